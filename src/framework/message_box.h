#pragma once

#include <optional>
#include <string>

namespace fw {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;

// A modal box with the text, the caption and one OK button, no icon. The caller's window
// timers keep firing while it is open. Answers IDOK, or IDABORT when the process is ending.
int MessageBox(const std::string& text, const std::string& caption);

// The open-file dialog. `filter` is in the "Desc|*.ext|Desc|*.ext||" form; `initialDir`
// is where it starts. Answers the chosen file's full path, or nothing when cancelled.
std::optional<std::string> FileOpenDialog(const std::string& filter, const std::string& initialDir);

}  // namespace fw
