#pragma once

#include <QRect>
#include <QWidget>

#include "framework/control_state.h"

namespace fw::qt {

// The Qt widget that shows one control of a dialog. The dialog window places it, enables
// and shows it; the view shows the rest of the control's state and turns the operator's
// input into changes of that state and into the dialog's notifications.
class ControlView {
 public:
  virtual ~ControlView() = default;
  virtual QWidget& Widget() = 0;
  // Shows the state (text, items, selection, check, colours).
  virtual void Show(const ControlState& state) = 0;
  // Where the widget goes in the dialog's client area.
  virtual QRect Placement(const ControlState& state) const;
};

}  // namespace fw::qt
