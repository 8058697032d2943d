#include "framework/qt/button_views.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "framework/qt/qt_backend.h"
#include "framework/qt/qt_paint_context.h"

namespace fw::qt {

OwnerDrawButtonView::OwnerDrawButtonView(DialogWindow& window, size_t index)
    : QWidget(&window), ViewBase(window, index) {
  setFocusPolicy((Control().style & style::kTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
}

void OwnerDrawButtonView::Show(const ControlState&) {
  update();
}

void OwnerDrawButtonView::paintEvent(QPaintEvent*) {
  const Rect at = Control().rect;
  const int id = Id();
  QPainter painter(this);
  // The drawing object paints in the dialog's coordinates, as it would on the dialog.
  painter.translate(-at.left, -at.top);
  QtPaintContext dc(painter, window_.Backend().Fonts(), window_.Backend().Images());
  window_.Model().PaintOwnerDrawn(id, dc);
}

void OwnerDrawButtonView::SetPressed(bool pressed) {
  if (Control().pressed == pressed) return;
  Control().pressed = pressed;
  update();
}

void OwnerDrawButtonView::Release() {
  const bool click = Control().pressed;
  held_ = false;
  SetPressed(false);
  if (click && isEnabled()) Tell(fw::Notify::Clicked);
}

void OwnerDrawButtonView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  held_ = true;
  setFocus(Qt::MouseFocusReason);
  SetPressed(true);
}

void OwnerDrawButtonView::mouseMoveEvent(QMouseEvent* event) {
  if (held_) SetPressed(rect().contains(event->position().toPoint()));
}

void OwnerDrawButtonView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && held_) Release();
}

void OwnerDrawButtonView::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Space || event->isAutoRepeat()) return QWidget::keyPressEvent(event);
  held_ = true;
  SetPressed(true);
}

void OwnerDrawButtonView::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
    return QWidget::keyReleaseEvent(event);
  }
  if (held_) Release();
}

void OwnerDrawButtonView::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void OwnerDrawButtonView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::EnabledChange) return;
  // A button disabled while held is no longer pressed.
  if (!isEnabled()) {
    held_ = false;
    Control().pressed = false;
  }
  update();
}

PushButtonView::PushButtonView(DialogWindow& window, size_t index)
    : QPushButton(&window), ViewBase(window, index) {
  setAutoDefault(false);
  connect(this, &QPushButton::clicked, this, [this] { Tell(fw::Notify::Clicked); });
}

void PushButtonView::Show(const ControlState& state) {
  setText(QString::fromLocal8Bit(state.text.c_str()));
}

}  // namespace fw::qt
