#include <unistd.h>

#include <cerrno>

#include "download/download_dlg.h"
#include "download/hex_image.h"
#include "platform/file_bytes.h"

namespace {
constexpr const char* kTempImageName = "tempHex.fls";
// A text file that fills the whole image area is under 1 MiB; anything far beyond that is
// no firmware of these models.
constexpr uint64_t kLargestHexFile = 64u << 20;

bool WriteAll(int fd, const uint8_t* data, size_t length) {
  while (length > 0) {
    const ssize_t n = write(fd, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

int CDownloadDlg::ConvertHexToFls(const std::string& path) {
  auto text = platform::ReadFileBytes(path, kLargestHexFile);
  if (!text) return 0;
  std::vector<uint8_t> area;
  const bool built = BuildHexImage(
      std::string_view(reinterpret_cast<const char*>(text.value().data()), text.value().size()),
      area);

  // The image lives only in the run's private directory: without it, or with an image that
  // could not be written whole, the conversion fails rather than send something else.
  auto dir = tempDir.Path();
  if (!dir) return 0;
  firmwarePath = dir.value() + "/" + kTempImageName;
  auto fd = tempDir.CreateFile(kTempImageName);
  if (!fd) return 0;
  bool whole = WriteAll(fd.value(), kHexImageHeader, sizeof kHexImageHeader);
  if (built && whole) whole = WriteAll(fd.value(), area.data(), area.size());
  if (close(fd.value()) != 0) whole = false;
  return built && whole ? 1 : 0;
}

void CDownloadDlg::DownloadHexFile() {
  const std::string operatorFile = firmwarePath;
  if (!ConvertHexToFls(firmwarePath)) {
    firmwarePath = operatorFile;
    // A silent run ends here with its failure, as a refused start does.
    return FailStart("Failed File Loading!!");
  }
  // The engine has the whole image in memory once its start step returns.
  StartDownload();
  platform::RemoveFile(firmwarePath);
  firmwarePath = operatorFile;
}
