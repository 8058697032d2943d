#pragma once

#include <array>
#include <string>

namespace fw {

class Dialog;

// What a scripted operator does to an open dialog. Each acts only on a control that is
// there, visible and enabled, as a person's click would; the answer says whether it did.
bool Click(Dialog& dialog, int id);
bool SelectItem(Dialog& dialog, int id, int index);
bool TypeText(Dialog& dialog, int id, const std::string& text);
bool TypeIpAddress(Dialog& dialog, int id, const std::array<int, 4>& fields);
void PressKey(Dialog& dialog, int vk);

}  // namespace fw
