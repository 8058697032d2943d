#include "framework/dialog_colors.h"

namespace fw {

namespace {
CtlColor& ApplicationColors() {
  static CtlColor colors{Brush{Rgb(240, 240, 240), false}, Rgb(0, 0, 0), false};
  return colors;
}
}  // namespace

void SetDialogColors(Color background, Color text) {
  ApplicationColors() = CtlColor{Brush{background, false}, text, false};
}

CtlColor DefaultCtlColor() {
  return ApplicationColors();
}

}  // namespace fw
