#include "framework/qt/key_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "framework/qt/dialog_window.h"
#include "framework/qt/key_codes.h"

namespace fw::qt {

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  // A key travels from the focused widget up through its parents; it is looked at once.
  QWidget* focus = QApplication::focusWidget();
  if (focus ? widget != focus : !widget->isWindow()) return false;
  auto* window = dynamic_cast<DialogWindow*>(widget->window());
  if (!window) return false;
  const int vk = VirtualKey(static_cast<QKeyEvent*>(event)->key());
  if (vk == 0) return false;
  bool taken = false;
  window->Dispatch([&] { taken = window->Model().DispatchKey(vk); });
  return taken;
}

}  // namespace fw::qt
