#pragma once

#include "framework/dialog.h"

namespace fw {

// The colours every dialog of the application answers a control-colour query with unless
// it chooses others: the face, static controls and buttons.
void SetDialogColors(Color background, Color text);
CtlColor DefaultCtlColor();

}  // namespace fw
