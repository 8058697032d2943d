#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/backend.h"
#include "framework/headless/recording_paint_context.h"
#include "platform/clock.h"

namespace fw {

// A backend with no display. Silent runs use it on the real clock; tests use it on a
// virtual clock, where waiting for a timer jumps to it, and script the operator through it.
class HeadlessBackend final : public Backend {
 public:
  struct MessageBoxRecord {
    std::string text;
    std::string caption;
  };
  struct PaintFrame {
    int templateId = 0;
    std::vector<Rect> invalidated;
    std::vector<PaintOp> ops;
  };

  // `clock` defaults to the program's current clock, looked up at each use.
  explicit HeadlessBackend(platform::Clock* clock = nullptr);

  // The scripted operator.
  // Runs `handler` each time a dialog of template `templateId` has opened (after its
  // initialisation); what it does happens inside that dialog's modal loop.
  void WhenOpened(int templateId, std::function<void(Dialog&)> handler);
  // How long the operator leaves each message box open before pressing OK; the caller's
  // timers keep firing meanwhile.
  void SetMessageBoxHoldMs(uint32_t ms) { messageBoxHoldMs_ = ms; }
  void WhenFileDialog(
      std::function<std::optional<std::string>(const std::string&, const std::string&)> answer);
  // Runs `action` once, `ms` after now, from whichever modal loop is running then.
  void After(uint32_t ms, std::function<void()> action);
  // Records what every paint draws (off by default, so long silent runs keep no history).
  void RecordPaint(bool on) { recordPaint_ = on; }

  const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<std::string>& FileDialogFilters() const { return fileDialogFilters_; }
  const std::vector<PaintFrame>& Frames() const { return frames_; }
  void ClearFrames() { frames_.clear(); }
  const std::vector<int>& OpenedTemplates() const { return openedTemplates_; }
  int DragCount() const { return dragCount_; }
  // Modal loops that ended because nothing could ever happen in them again.
  int IdleEnds() const { return idleEnds_; }
  bool TimerArmed(const Dialog& dialog, int id) const;
  int ArmedTimerCount() const;

  int RunModal(Dialog& dialog) override;
  void SetTimer(Dialog& dialog, int id, uint32_t ms) override;
  void KillTimer(Dialog& dialog, int id) override;
  void PostClose(Dialog& dialog) override;
  void Invalidate(Dialog& dialog, const Rect& rect, bool erase) override;
  void UpdateWindow(Dialog& dialog) override;
  void ControlChanged(Dialog&, int) override {}
  void WindowChanged(Dialog&) override {}
  void BeginWindowDrag(Dialog&) override { ++dragCount_; }
  int MessageBox(const std::string& text, const std::string& caption) override;
  std::optional<std::string> FileOpenDialog(const std::string& filter,
                                            const std::string& initialDir) override;
  Size DialogBaseUnits(const std::string& fontName, int points) override;
  void Quit() override { quitting_ = true; }
  bool Quitting() const override { return quitting_; }

 private:
  struct Timer {
    Dialog* dialog;
    int id;
    uint32_t period;
    uint64_t due;
    uint64_t seq;
  };
  struct Action {
    uint64_t due;
    uint64_t seq;
    std::function<void()> run;
  };
  struct Posted {
    Dialog* dialog;
    std::function<void()> run;
  };
  enum class StepResult { Worked, ReachedLimit, NothingToDo };

  platform::Clock& Clock() const;
  StepResult Step(std::optional<uint64_t> limit);
  void PaintPending();
  void Paint(Dialog& dialog);
  bool Live(const Dialog* dialog) const;
  void Forget(Dialog& dialog);

  platform::Clock* clock_;
  std::vector<Dialog*> live_;
  std::vector<Timer> timers_;
  std::vector<Action> actions_;
  std::deque<Posted> posted_;
  std::map<Dialog*, std::vector<Rect>> invalid_;
  uint64_t seq_ = 0;
  bool quitting_ = false;
  bool recordPaint_ = false;
  uint32_t messageBoxHoldMs_ = 0;
  std::map<int, std::function<void(Dialog&)>> openHandlers_;
  std::function<std::optional<std::string>(const std::string&, const std::string&)> fileAnswer_;
  std::vector<MessageBoxRecord> messageBoxes_;
  std::vector<std::string> fileDialogFilters_;
  std::vector<PaintFrame> frames_;
  std::vector<int> openedTemplates_;
  int dragCount_ = 0;
  int idleEnds_ = 0;
};

}  // namespace fw
