#include "framework/message_box.h"

#include "framework/backend.h"

namespace fw {

int MessageBox(const std::string& text, const std::string& caption) {
  return CurrentBackend().MessageBox(text, caption);
}

std::optional<std::string> FileOpenDialog(const std::string& filter,
                                          const std::string& initialDir) {
  return CurrentBackend().FileOpenDialog(filter, initialDir);
}

}  // namespace fw
