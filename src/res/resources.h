#pragma once

namespace res {

// Registers the program's images and strings with the framework; safe to call again.
void EnsureResources();

}  // namespace res
