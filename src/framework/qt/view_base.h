#pragma once

#include <cstddef>

#include "framework/control_state.h"
#include "framework/qt/control_view.h"
#include "framework/qt/dialog_window.h"

namespace fw::qt {

// What every control view knows: its window and which control of the dialog it shows.
class ViewBase : public ControlView {
 protected:
  ViewBase(DialogWindow& window, size_t index) : window_(window), index_(index) {}
  ControlState& Control() { return window_.Model().Controls()[index_]; }
  int Id() { return Control().id; }
  // Tells the dialog of a notification from this control.
  void Tell(fw::Notify notify) {
    const int id = Id();
    window_.Dispatch([&] { window_.Model().DispatchCommand(id, notify); });
  }

  DialogWindow& window_;
  size_t index_;
};

}  // namespace fw::qt
