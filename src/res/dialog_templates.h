#pragma once

#include "framework/dialog_template.h"

namespace res {

fw::DialogTemplate MainDialogTemplate();
fw::DialogTemplate AboutDialogTemplate();
fw::DialogTemplate PrinterSelectDialogTemplate();
fw::DialogTemplate NoticeDialogTemplate();
fw::DialogTemplate PortConfigDialogTemplate();

}  // namespace res
