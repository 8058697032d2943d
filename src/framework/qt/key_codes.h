#pragma once

namespace fw::qt {

// The virtual-key code of a Qt key, as the dialogs' key filters know keys; 0 for keys
// they never see.
int VirtualKey(int qtKey);

}  // namespace fw::qt
