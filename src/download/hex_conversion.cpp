#include "download/download_dlg.h"
#include "download/hex_image.h"
#include "platform/file_bytes.h"
#include "platform/file_system.h"

namespace {
constexpr const char* kTempImageName = "tempHex.fls";
}  // namespace

int CDownloadDlg::ConvertHexToFls(const std::string& path, std::string* why) {
  auto text = platform::ReadFileBytes(path, kLargestHexText);
  if (!text) {
    if (why) *why = text.Describe();
    return 0;
  }
  std::vector<uint8_t> area;
  const bool built = BuildHexImage(
      std::string_view(reinterpret_cast<const char*>(text.value().data()), text.value().size()),
      area, why);

  // The image lives only in the run's private directory: without it, or with an image that
  // could not be written whole, the conversion fails rather than send something else.
  auto dir = tempDir.Path();
  if (!dir) {
    if (why) *why = dir.Describe();
    return 0;
  }
  firmwarePath = platform::JoinPath(dir.value(), kTempImageName);
  auto file = tempDir.CreateFile(kTempImageName);
  if (!file) {
    if (why) *why = file.Describe();
    return 0;
  }
  auto bytes = [](const uint8_t* data, size_t length) {
    return std::string_view(reinterpret_cast<const char*>(data), length);
  };
  bool whole = file.value().WriteAll(bytes(kHexImageHeader, sizeof kHexImageHeader)).ok();
  if (built && whole) whole = file.value().WriteAll(bytes(area.data(), area.size())).ok();
  if (built && !whole && why) *why = "the temporary image could not be written whole";
  return built && whole ? 1 : 0;
}

void CDownloadDlg::DownloadHexFile() {
  // The conversion already counts as part of the download: a stop signal during it is
  // recorded, and the private directory goes before the process ends.
  stopGuard = std::make_unique<platform::StopGuard>();
  const std::string operatorFile = firmwarePath;
  std::string why;
  const int converted = ConvertHexToFls(firmwarePath, &why);
  if (const int signal = platform::PendingStopSignal(); signal != 0) {
    firmwarePath = operatorFile;
    return InterruptDownload(signal);
  }
  if (!converted) {
    firmwarePath = operatorFile;
    // A silent run ends here with its failure, as a refused start does.
    return FailStart("Failed File Loading!!", why);
  }
  // The engine has the whole image in memory once its start step returns.
  StartDownload();
  tempDir.RemoveFile(firmwarePath);
  firmwarePath = operatorFile;
}
