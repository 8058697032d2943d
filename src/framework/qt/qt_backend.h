#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/backend.h"
#include "framework/qt/click_through_filter.h"
#include "framework/qt/dlu_metrics.h"
#include "framework/qt/image_cache.h"
#include "framework/qt/key_filter.h"

class QDialog;
class QEventLoop;
class QTimer;

namespace fw::qt {

class DialogWindow;

// The backend on Qt Widgets: a window per open dialog, a nested QEventLoop per modal run,
// a QTimer per window timer, Qt's message box and file dialog. Needs a QApplication for
// its whole life.
class QtBackend final : public Backend {
 public:
  QtBackend();
  ~QtBackend() override;
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  // Runs `handler` inside the modal loop of each dialog of template `templateId` once its
  // window is on screen (for scripts, tests and the screenshot tool).
  void WhenOpened(int templateId, std::function<void(Dialog&)> handler);
  // Runs `handler` inside the loop of each message box or file dialog once it is shown.
  void WhenBoxShown(std::function<void(QDialog&)> handler);

  DialogWindow* WindowOf(const Dialog& dialog) const;
  const std::vector<int>& OpenedTemplates() const { return openedTemplates_; }
  int DragRequests() const { return dragRequests_; }
  bool TimerArmed(const Dialog& dialog, int id) const;

  DluMetrics& Fonts() { return fonts_; }
  ImageCache& Images() { return images_; }
  // Ends the modal loop of every dialog that has asked to end (or all, when quitting).
  void UnwindEnded();

  int RunModal(Dialog& dialog) override;
  void SetTimer(Dialog& dialog, int id, uint32_t ms) override;
  void KillTimer(Dialog& dialog, int id) override;
  void PostClose(Dialog& dialog) override;
  void Invalidate(Dialog& dialog, const Rect& rect, bool erase) override;
  void UpdateWindow(Dialog& dialog) override;
  void ControlChanged(Dialog& dialog, int id) override;
  void WindowChanged(Dialog& dialog) override;
  void BeginWindowDrag(Dialog& dialog) override;
  int MessageBox(const std::string& text, const std::string& caption) override;
  std::optional<std::string> FileOpenDialog(const std::string& filter,
                                            const std::string& initialDir) override;
  Size DialogBaseUnits(const std::string& fontName, int points) override;
  void Quit() override;
  bool Quitting() const override { return quitting_; }

 private:
  struct Frame {
    Dialog* dialog;
    QEventLoop* loop;
  };

  // The window a box belongs to: the innermost open dialog.
  QWidget* TopWindow() const;
  bool AnyTopmost() const;
  int RunBox(QDialog& box);
  void Forget(const Dialog& dialog);

  DluMetrics fonts_;
  ImageCache images_;
  KeyFilter keyFilter_;
  ClickThroughFilter clickThroughFilter_;
  std::map<const Dialog*, DialogWindow*> windows_;
  std::vector<Frame> frames_;
  std::map<std::pair<const Dialog*, int>, QTimer*> timers_;
  std::vector<QPointer<QDialog>> boxes_;
  std::map<int, std::function<void(Dialog&)>> openHandlers_;
  std::function<void(QDialog&)> boxHandler_;
  std::vector<int> openedTemplates_;
  int dragRequests_ = 0;
  bool quitting_ = false;
};

}  // namespace fw::qt
