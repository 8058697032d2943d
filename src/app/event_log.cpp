#include "app/event_log.h"

#include <utility>

#include "framework/message_box.h"
#include "platform/file_bytes.h"
#include "platform/file_handle.h"
#include "platform/file_system.h"
#include "platform/local_time.h"
#include "platform/standard_paths.h"
#include "platform/terminal.h"

namespace {

constexpr const char* kLogFileName = "_VRT_QLX.txt";
constexpr const char* kBanner = "VORTANE QLX\r\n\r\n";
constexpr const char* kCaption = "VRT_QLX";

}  // namespace

std::string EscapeControls(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xF];
    }
  }
  return shown;
}

std::string WithReason(const std::string& text, const std::string& reason) {
  return reason.empty() ? text : text + " (" + reason + ")";
}

CEventLog* CEventLog::GetInstance() {
  static CEventLog* instance = nullptr;
  if (instance == nullptr) {
    const platform::LogPlaces places = platform::LogDirectories();
    instance = new CEventLog(places.first, places.fallback, platform::kStandardError);
  }
  return instance;
}

CEventLog::CEventLog(std::string moduleDir, std::string fallbackDir, int echoFd)
    : moduleDir(std::move(moduleDir)), fallbackDir(std::move(fallbackDir)), echoFd(echoFd) {}

void CEventLog::Report(int silent, int notice, const std::string& text) {
  Report(silent, notice, text, std::string());
}

void CEventLog::SetBeforeEcho(std::function<void()> function) {
  beforeEcho = std::move(function);
}

void CEventLog::Report(int silent, int notice, const std::string& text, const std::string& reason) {
  if (silent == 0) {
    fw::MessageBox(text, kCaption);
    return;
  }
  if (notice == kNotice) return;
  lastMessage = EscapeControls(text);
  lastReason = EscapeControls(reason);
  const std::string line = platform::FormatLogStamp(platform::CurrentTime()) + "  " + lastMessage;
  buffer += line + "\r\n";
  // A caller at a terminal sees the line at once; the log file gets it at exit.
  Echo(WithReason(line, lastReason));
}

void CEventLog::Warn(const std::string& text) {
  warnings.push_back(EscapeControls(text));
  Echo("vrtqlx: " + warnings.back());
}

void CEventLog::Echo(const std::string& line) {
  if (echoFd < 0) return;
  if (beforeEcho) beforeEcho();
  platform::WriteText(echoFd, line + "\n");
}

std::string CEventLog::FirstLogPath() const {
  if (!logFile.empty()) return logFile;
  return moduleDir.empty() ? std::string() : platform::JoinPath(moduleDir, kLogFileName);
}

std::string CEventLog::LogFilePath() const {
  if (linesLost) return std::string();
  return writtenTo.empty() ? FirstLogPath() : writtenTo;
}

void CEventLog::Flush() {
  if (buffer.empty()) return;
  // When the named file or the log's directory cannot take the lines (read-only
  // installation, a directory in the file's place, a full disk), they go to the user's state
  // directory rather than be lost. A log directory of the system's is made when missing.
  if (logFile.empty() && !moduleDir.empty()) platform::MakeDirectories(moduleDir, 0755);
  const std::string first = FirstLogPath();
  linesLost = false;
  if (!AppendTo(first)) {
    const std::string fallback =
        fallbackDir.empty() ? std::string() : platform::JoinPath(fallbackDir, kLogFileName);
    const bool kept =
        !fallback.empty() && platform::MakeDirectories(fallbackDir, 0700) && AppendTo(fallback);
    // The caller named or expects the first file: where the lines went instead is news.
    if (kept && !first.empty()) {
      Echo("vrtqlx: the log " + EscapeControls(first) + " cannot be written; its lines went to " +
           EscapeControls(fallback));
    } else if (!kept) {
      linesLost = true;
      Echo("vrtqlx: the log " + EscapeControls(first.empty() ? fallback : first) +
           " cannot be written, nor any other: its lines are on standard error only");
    }
  }
  buffer.clear();
}

bool CEventLog::AppendTo(const std::string& path) {
  if (path.empty()) return false;
  bool created = false;
  auto file = platform::File::OpenForAppend(path);
  if (!file && file.error() == ENOENT) {
    file = platform::File::CreateForAppend(path, 0644);
    created = file.ok();
    // Another run may have created it between the two opens; its banner is already there.
    if (!file && file.error() == EEXIST) file = platform::File::OpenForAppend(path);
  }
  if (!file) return false;
  // A FIFO, device or directory in the log's place would swallow the lines or hold the run.
  auto kind = file.value().Kind();
  if (!kind || kind.value() != platform::FileKind::kRegular) return false;
  // Another user's file in the log's place (a shared folder, a state directory under a
  // HOME that is not the run's) is not appended to: the lines go to the next place.
  if (const std::string why = file.value().WhyNotTrusted(platform::FileTrust::kOwner);
      !why.empty()) {
    Echo("vrtqlx: the log " + EscapeControls(path) + " " + why + ": not used");
    return false;
  }
  // The run's lines go down in one piece or not at all, so a full disk leaves no half line
  // for the next run's lines to join.
  const std::string entry = (created ? std::string(kBanner) : std::string()) + buffer + "\r\n";
  if (file.value().AppendWhole(entry)) {
    writtenTo = path;
    return true;
  }
  if (created) platform::RemoveFile(path);
  return false;
}
