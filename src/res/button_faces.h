#pragma once

#include "framework/resources.h"

namespace res {

// The skinned buttons' face in the given ink: a white field inside a one-pixel white
// margin and a one-pixel frame, with solid blocks 9 pixels wide at both ends, each crossed
// by two white stripes near its top and bottom. Black for the normal face, red for the
// pressed one, light grey for the disabled one.
fw::Image DrawButtonFace(uint32_t ink);

}  // namespace res
