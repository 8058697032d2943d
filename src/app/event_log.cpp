#include "app/event_log.h"

#include <utility>

#include "framework/message_box.h"
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

CEventLog* CEventLog::GetInstance() {
  static CEventLog* instance = nullptr;
  if (instance == nullptr) {
    auto moduleDir = platform::ProgramDirectory();
    auto stateDir = platform::UserStateDirectory();
    instance =
        new CEventLog(moduleDir ? moduleDir.value() : std::string(),
                      stateDir ? platform::JoinPath(stateDir.value(), "vrtqlx") : std::string(),
                      platform::kStandardError);
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
  const std::string line = platform::FormatLogStamp(platform::CurrentTime()) + "  " + text;
  buffer += line + "\r\n";
  if (echoFd >= 0) {
    // A caller at a terminal sees the line at once; the log file gets it at exit.
    if (beforeEcho) beforeEcho();
    const std::string echoed = line + (reason.empty() ? "" : " (" + reason + ")") + "\n";
    platform::WriteText(echoFd, echoed);
  }
}

void CEventLog::Flush() {
  if (buffer.empty()) return;
  // When the program's directory cannot take the log (read-only installation, a directory
  // in the file's place), the lines go to the user's state directory rather than be lost.
  if (!AppendTo(moduleDir) && !fallbackDir.empty() &&
      platform::MakeDirectories(fallbackDir, 0700)) {
    AppendTo(fallbackDir);
  }
  buffer.clear();
}

bool CEventLog::AppendTo(const std::string& dir) const {
  if (dir.empty()) return false;
  const std::string path = platform::JoinPath(dir, kLogFileName);
  auto file = platform::File::OpenForAppend(path);
  if (!file) {
    file = platform::File::CreateForAppend(path, 0644);
    if (file) {
      file.value().WriteAll(kBanner);
    } else if (file.error() == EEXIST) {
      // Another run created it between the two opens; its banner is already there.
      file = platform::File::OpenForAppend(path);
    }
  }
  if (!file) return false;
  // Write errors past this point are not reported: the log has no one to tell.
  file.value().WriteAll(buffer + "\r\n");
  return true;
}
