#include "app/json_text.h"

#include <cstdio>

namespace {

// The length of the well-formed UTF-8 sequence that starts at `at`, or 0 when it is none:
// overlong forms, UTF-16 surrogates (U+D800 to U+DFFF) and code points past U+10FFFF are
// not UTF-8, whatever their shape.
size_t Utf8Length(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  // The range the second byte must lie in; it is narrower than 80-BF after the leads whose
  // sequences could otherwise be overlong, a surrogate or too large.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

// Texts are 8-bit and come from outside. Well-formed UTF-8 passes as it is; control
// characters become \u00XX escapes; every byte that is not part of well-formed UTF-8 becomes
// \ufffd (the replacement character), so the JSON is always valid UTF-8 and says where a
// name held something it cannot show.
std::string JsonQuoted(const std::string& text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else if (c >= 0x80) {
      if (const size_t length = Utf8Length(text, i); length > 0) {
        out.append(text, i, length);
        i += length - 1;
      } else {
        out += "\\ufffd";
      }
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    }
  }
  return out + "\"";
}

std::string JsonQuotedList(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (const std::string& text : texts) {
    if (out.size() > 1) out += ", ";
    out += JsonQuoted(text);
  }
  return out + "]";
}
