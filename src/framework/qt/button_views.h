#pragma once

#include <QPushButton>
#include <QWidget>

#include "framework/qt/view_base.h"

namespace fw::qt {

// An owner-drawn button: the dialog's drawing object paints it (DrawItem). It looks pressed
// while the left button (or the space bar) is held on it, and is clicked when released over
// it.
class OwnerDrawButtonView final : public QWidget, public ViewBase {
 public:
  OwnerDrawButtonView(DialogWindow& window, size_t index);
  QWidget& Widget() override { return *this; }
  void Show(const ControlState& state) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void SetPressed(bool pressed);
  void Release();

  bool held_ = false;
};

// A standard push button.
class PushButtonView final : public QPushButton, public ViewBase {
 public:
  PushButtonView(DialogWindow& window, size_t index);
  QWidget& Widget() override { return *this; }
  void Show(const ControlState& state) override;
};

}  // namespace fw::qt
