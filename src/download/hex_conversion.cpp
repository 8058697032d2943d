#include <unistd.h>

#include "download/download_dlg.h"
#include "download/hex_image.h"
#include "platform/file_bytes.h"

namespace {
constexpr const char* kTempImageName = "tempHex.fls";
// A text file that fills the whole image area is under 1 MiB; anything far beyond that is
// no firmware of these models.
constexpr uint64_t kLargestHexFile = 64u << 20;

void WriteAll(int fd, const uint8_t* data, size_t length) {
  while (length > 0) {
    const ssize_t n = write(fd, data, length);
    if (n <= 0) return;  // write errors leave a short file, which will not convert again
    data += n;
    length -= static_cast<size_t>(n);
  }
}
}  // namespace

int CDownloadDlg::ConvertHexToFls(const std::string& path) {
  auto text = platform::ReadFileBytes(path, kLargestHexFile);
  if (!text) return 0;
  std::vector<uint8_t> area;
  const bool built = BuildHexImage(
      std::string_view(reinterpret_cast<const char*>(text.value().data()), text.value().size()),
      area);

  auto dir = tempDir.Path();
  firmwarePath = dir ? dir.value() + "/" + kTempImageName : std::string(kTempImageName);
  auto fd = tempDir.CreateFile(kTempImageName);
  if (fd) {
    WriteAll(fd.value(), kHexImageHeader, sizeof kHexImageHeader);
    if (built) WriteAll(fd.value(), area.data(), area.size());
    close(fd.value());
  }
  return built ? 1 : 0;
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
