#include "framework/qt/click_through_filter.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>

namespace fw::qt {

bool ClickThroughFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
      type != QEvent::MouseButtonRelease) {
    return false;
  }
  // The window system's mouse events reach a window before its widgets; looking at them
  // there sees each press once, wherever it goes on to.
  auto* window = qobject_cast<QWindow*>(watched);
  if (!window) return false;
  const auto* mouse = static_cast<const QMouseEvent*>(event);
  const Qt::MouseButton button = mouse->button();
  if (swallowing_ != Qt::NoButton && button == swallowing_) {
    if (type == QEvent::MouseButtonRelease) swallowing_ = Qt::NoButton;
    return true;
  }
  if (type != QEvent::MouseButtonPress) return false;
  const QPoint at = mouse->globalPosition().toPoint();
  // A swallowed press leaves the first one on record, so a third quick press is not taken
  // either.
  if (SecondPressElsewhere(*window, mouse->timestamp(), at, button)) {
    swallowing_ = button;
    return true;
  }
  pressWindow_ = window;
  pressTime_ = mouse->timestamp();
  pressAt_ = at;
  pressButton_ = button;
  return false;
}

bool ClickThroughFilter::SecondPressElsewhere(const QWindow& window, ulong timestamp, QPoint at,
                                              Qt::MouseButton button) const {
  if (button != pressButton_ || pressWindow_ == &window) return false;
  if (pressWindow_ && pressWindow_->isVisible()) return false;
  const QStyleHints* hints = QGuiApplication::styleHints();
  // Unsigned: a clock that went back gives a large gap, not a double click.
  if (timestamp - pressTime_ > static_cast<ulong>(hints->mouseDoubleClickInterval())) {
    return false;
  }
  return (at - pressAt_).manhattanLength() <= hints->mouseDoubleClickDistance();
}

}  // namespace fw::qt
