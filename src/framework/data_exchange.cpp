#include "framework/data_exchange.h"

#include <cctype>
#include <vector>

#include "framework/app_identity.h"
#include "framework/dialog.h"
#include "framework/message_box.h"

namespace fw {

bool ParseUnsigned(const std::string& text, uint32_t& value) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i == text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  uint64_t v = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    v = v * 10 + static_cast<uint64_t>(text[i] - '0');
    if (v > UINT32_MAX) return false;
  }
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i != text.size()) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

void DataExchange::Text(int id, std::string& value) {
  if (failed_) return;
  if (saveAndValidate_) {
    value = dialog_.GetItemText(id);
  } else {
    dialog_.SetItemText(id, value);
  }
}

void DataExchange::UInt(int id, uint32_t& value) {
  if (failed_) return;
  if (!saveAndValidate_) {
    dialog_.SetItemText(id, std::to_string(value));
    return;
  }
  uint32_t parsed = 0;
  if (!ParseUnsigned(dialog_.GetItemText(id), parsed)) {
    MessageBox(kPositiveIntegerMessage, ApplicationTitle());
    failed_ = true;
    return;
  }
  value = parsed;
}

void DataExchange::Radio(int firstId, int& index) {
  if (failed_) return;
  // The group runs from the first radio to the next control that starts a group.
  std::vector<int> group;
  bool inGroup = false;
  for (const auto& c : dialog_.Controls()) {
    if (!inGroup) {
      inGroup = c.id == firstId;
    } else if ((c.style & style::kGroup) || c.cls != ControlClass::Radio) {
      break;
    }
    if (inGroup) group.push_back(c.id);
  }
  if (saveAndValidate_) {
    index = -1;
    for (size_t i = 0; i < group.size(); ++i) {
      if (dialog_.IsItemChecked(group[i])) index = static_cast<int>(i);
    }
  } else {
    for (size_t i = 0; i < group.size(); ++i) {
      dialog_.CheckItem(group[i], static_cast<int>(i) == index);
    }
  }
}

}  // namespace fw
