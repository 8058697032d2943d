#pragma once

#include <cstddef>

namespace fw::qt {

class ControlView;
class DialogWindow;

// The widget for control `index` of the window's dialog, a child of the window.
ControlView* CreateControlView(DialogWindow& window, size_t index);

}  // namespace fw::qt
