#include "app/terminal_progress.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/terminal.h"

namespace {

std::string Duration(uint64_t ms) {
  const uint64_t seconds = (ms + 999) / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                static_cast<unsigned long long>(seconds % 60));
  return text;
}

std::string Rate(double bytesPerSecond) {
  char text[32];
  if (bytesPerSecond >= 1024.0 * 1024.0) {
    std::snprintf(text, sizeof text, "%.1f MiB/s", bytesPerSecond / (1024.0 * 1024.0));
  } else if (bytesPerSecond >= 1024.0) {
    std::snprintf(text, sizeof text, "%.1f KiB/s", bytesPerSecond / 1024.0);
  } else {
    std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond);
  }
  return text;
}

std::string Amount(const char* phase, uint64_t sent, uint64_t total) {
  const uint64_t percent = total == 0 ? 100 : sent * 100 / total;
  char text[96];
  std::snprintf(text, sizeof text, "%s  %llu / %llu bytes  %llu%%", phase,
                static_cast<unsigned long long>(sent), static_cast<unsigned long long>(total),
                static_cast<unsigned long long>(percent));
  return text;
}

}  // namespace

std::unique_ptr<TerminalProgress> TerminalProgress::ForStandardError() {
  if (!platform::IsTerminal(platform::kStandardError)) return nullptr;
  return std::make_unique<TerminalProgress>(platform::kStandardError);
}

TerminalProgress::TerminalProgress(int fd) : fd(fd) {}

bool TerminalProgress::DueForRedraw(Phase phase, bool last) {
  const uint64_t now = platform::CurrentClock().NowMs();
  if (phase != shown || last || now - lastDrawMs >= kRedrawIntervalMs) {
    if (phase == Phase::kSending && shown != Phase::kSending) sendStartMs = now;
    shown = phase;
    lastDrawMs = now;
    return true;
  }
  return false;
}

void TerminalProgress::OnSending(uint64_t sent, uint64_t total) {
  std::lock_guard guard(drawLock);
  stallWatch.Touch();
  lastSent = sent;
  lastTotal = total;
  if (!DueForRedraw(Phase::kSending, sent == total)) return;
  std::string text = Amount("sending", sent, total);
  const uint64_t elapsedMs = lastDrawMs - sendStartMs;
  if (sent > 0 && elapsedMs > 0) {
    const double rate = static_cast<double>(sent) * 1000.0 / static_cast<double>(elapsedMs);
    const auto msLeft = static_cast<uint64_t>(static_cast<double>(total - sent) * 1000.0 / rate);
    text += "  " + Rate(rate) + "  " + Duration(msLeft) + " left";
  }
  sendingText = text;
  Draw(text);
}

void TerminalProgress::OnWaitingForPrinter(uint64_t total, uint64_t msLeft) {
  std::lock_guard guard(drawLock);
  stallWatch.Pause();
  if (!DueForRedraw(Phase::kWaiting, msLeft == 0)) return;
  Draw(Amount("waiting for the printer", total, total) + "  " + Duration(msLeft) + " left");
}

void TerminalProgress::OnEnded() {
  stallWatch.Pause();
  std::lock_guard guard(drawLock);
  EndLineLocked();
  shown = Phase::kNone;
}

void TerminalProgress::ShowStall(unsigned seconds) {
  std::lock_guard guard(drawLock);
  if (shown != Phase::kSending || !lineOpen) return;
  Draw(sendingText + "  stalled " + std::to_string(seconds) + " s");
}

void TerminalProgress::Finish(bool failed, double seconds) {
  stallWatch.Pause();
  std::lock_guard guard(drawLock);
  EndLineLocked();
  char text[128];
  if (failed) {
    std::snprintf(text, sizeof text, "stopped after %llu of %llu bytes\n",
                  static_cast<unsigned long long>(lastSent),
                  static_cast<unsigned long long>(lastTotal));
  } else {
    std::snprintf(text, sizeof text, "sent %llu bytes in %.1f s\n",
                  static_cast<unsigned long long>(lastSent), seconds);
  }
  platform::WriteText(fd, text);
}

void TerminalProgress::EndLine() {
  std::lock_guard guard(drawLock);
  EndLineLocked();
}

void TerminalProgress::EndLineLocked() {
  if (!lineOpen) return;
  platform::WriteText(fd, "\n");
  lineOpen = false;
  drawnLength = 0;
}

void TerminalProgress::Draw(const std::string& full) {
  // Cut to the terminal's width: a line that wrapped could not be drawn over, and each
  // redraw would leave a trail.
  const int columns = platform::TerminalColumns(fd);
  const std::string text = columns > 1 && full.size() >= static_cast<size_t>(columns)
                               ? full.substr(0, columns - 1)
                               : full;
  // Blanks cover what a longer earlier line left on the terminal.
  std::string line = "\r" + text;
  if (text.size() < drawnLength) line.append(drawnLength - text.size(), ' ');
  drawnLength = text.size();
  platform::WriteText(fd, line);
  lineOpen = true;
}
