#pragma once

#include <QDialog>
#include <QRegion>
#include <functional>
#include <vector>

#include "framework/dialog.h"
#include "framework/geometry.h"

namespace fw::qt {

class ControlView;
class QtBackend;

// The top-level window of one open dialog: frameless unless its template has a caption,
// its face painted by the dialog's OnPaint, one child widget per control of the template.
class DialogWindow final : public QDialog {
 public:
  DialogWindow(Dialog& dialog, QtBackend& backend);
  ~DialogWindow() override;

  Dialog& Model() { return dialog_; }
  QtBackend& Backend() { return backend_; }

  // Creates the widgets of the controls, in template order (which is the tab order).
  void BuildControls();
  // Shows the window centred on the screen, as the dialog's state says.
  void ShowFirstTime();
  // Model to view: every control with this id, and the window itself.
  void SyncControl(int id);
  void SyncWindow();
  void Invalidate(const QRect& rect);
  // Paints what is invalid now, not later.
  void UpdateNow();
  // Runs one of the dialog's handlers, then lets the modal loops of ended dialogs unwind.
  // Does nothing once the window is closing.
  void Dispatch(const std::function<void()>& handler);
  // The colours the dialog answers for control `id`.
  CtlColor ControlColors(int id);
  // Counts the times a control widget moved or changed size.
  int LayoutChanges() const { return layoutChanges_; }
  void StartClosing() { closing_ = true; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  // The window has no caption: its system menu opens on a right click on the face.
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Escape and the window system's close go to the dialog, never straight to QDialog.
  void reject() override {}

 private:
  void SyncView(size_t index);
  void ApplyWindowFlags();

  Dialog& dialog_;
  QtBackend& backend_;
  std::vector<ControlView*> views_;  // owned by Qt as children of the window
  QRegion pending_;
  Rect shownRect_;
  bool shownTopmost_ = false;
  int shownIcon_ = 0;
  bool closing_ = false;
  int layoutChanges_ = 0;
};

}  // namespace fw::qt
