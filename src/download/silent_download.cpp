#include "download/download_dlg.h"
#include "download/hex_image.h"
#include "download/model_rules.h"
#include "platform/file_bytes.h"

namespace {
// A file beyond kLargestHexText is taken for an image and sent as it is.
bool ReadsAsHexRecords(const std::string& path) {
  auto text = platform::ReadFileBytes(path, kLargestHexText);
  if (!text) return false;
  const HexRecordKind kind = DetectHexRecordKind(
      std::string_view(reinterpret_cast<const char*>(text.value().data()), text.value().size()));
  return kind == HexRecordKind::IntelHex || kind == HexRecordKind::S2 || kind == HexRecordKind::S3;
}
}  // namespace

// The firmware of the two HEX models usually comes as HEX or S-record text, which an
// unattended job converts as the Download button does; an image made beforehand (or a
// file that cannot be read, which the start step then reports) goes as it is.
bool CDownloadDlg::ConvertsBeforeSending(const std::string& path) const {
  return IsHexModel(modelCode) && ReadsAsHexRecords(path);
}

void CDownloadDlg::StartSilentDownload() {
  if (ConvertsBeforeSending(firmwarePath)) {
    DownloadHexFile();
  } else {
    StartDownload();
  }
}
