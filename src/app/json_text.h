#pragma once

#include <string>
#include <vector>

// A text as a JSON string, quotes included. Texts are 8-bit and come from outside:
// well-formed UTF-8 passes, control characters are escaped, and every other byte becomes
// U+FFFD, so the JSON is always valid UTF-8.
std::string JsonQuoted(const std::string& text);

// `texts` as a JSON array of strings.
std::string JsonQuotedList(const std::vector<std::string>& texts);
