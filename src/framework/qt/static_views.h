#pragma once

#include <QWidget>

#include "framework/qt/view_base.h"

namespace fw::qt {

// Static text on the background brush the dialog answers for it. Static controls, pictures
// and group boxes let the mouse through to the dialog face, so the window can be dragged
// by them.
class StaticView final : public QWidget, public ViewBase {
 public:
  StaticView(DialogWindow& window, size_t index);
  QWidget& Widget() override { return *this; }
  void Show(const ControlState& state) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A bitmap (or icon) at its own size from the control's top-left corner; nothing when the
// control holds no image.
class PictureView final : public QWidget, public ViewBase {
 public:
  PictureView(DialogWindow& window, size_t index);
  QWidget& Widget() override { return *this; }
  void Show(const ControlState& state) override;
  QRect Placement(const ControlState& state) const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// An etched frame with the optional label in its top edge.
class GroupBoxView final : public QWidget, public ViewBase {
 public:
  GroupBoxView(DialogWindow& window, size_t index);
  QWidget& Widget() override { return *this; }
  void Show(const ControlState& state) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace fw::qt
