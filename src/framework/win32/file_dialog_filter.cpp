#include "framework/win32/file_dialog_filter.h"

namespace fw::win32 {

std::string FileDialogFilter(const std::string& filter) {
  std::string pieces = filter;
  for (char& c : pieces) {
    if (c == '|') c = '\0';
  }
  // A filter that does not end with "||" still ends its last piece and the list.
  while (pieces.size() < 2 || pieces[pieces.size() - 1] != '\0' ||
         pieces[pieces.size() - 2] != '\0') {
    pieces.push_back('\0');
  }
  return pieces;
}

}  // namespace fw::win32
