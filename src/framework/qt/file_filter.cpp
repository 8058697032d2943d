#include "framework/qt/file_filter.h"

#include <vector>

namespace fw::qt {

QStringList NameFilters(const std::string& filter) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : filter) {
    if (c == '|') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);

  QStringList filters;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    const std::string& description = parts[i];
    std::string pattern = parts[i + 1];
    if (description.empty() && pattern.empty()) break;  // the "||" that ends the list
    if (pattern.empty()) continue;
    for (char& c : pattern) {
      if (c == ';') c = ' ';
    }
    const std::string bracketed = "(" + pattern + ")";
    const bool named = description.size() >= bracketed.size() &&
                       description.compare(description.size() - bracketed.size(), bracketed.size(),
                                           bracketed) == 0;
    const std::string text =
        named ? description : (description.empty() ? pattern : description + " " + bracketed);
    filters << QString::fromLocal8Bit(text.c_str());
  }
  return filters;
}

}  // namespace fw::qt
