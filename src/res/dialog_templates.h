#pragma once

#include "framework/dialog_template.h"

namespace res {

fw::DialogTemplate MainDialogTemplate();
fw::DialogTemplate AboutDialogTemplate();

}  // namespace res
