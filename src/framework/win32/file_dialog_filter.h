#pragma once

#include <string>

namespace fw::win32 {

// The "Desc|*.ext|Desc|*.ext||" form of a filter as the open-file dialog takes it: the same
// pieces, each ended by a zero, the list ended by one more.
std::string FileDialogFilter(const std::string& filter);

}  // namespace fw::win32
