#include "framework/headless/operator_actions.h"

#include "framework/dialog.h"

namespace fw {

namespace {
bool Reachable(Dialog& dialog, int id) {
  const ControlState* c = dialog.Item(id);
  return c && c->visible && c->enabled;
}

// An automatic radio button checks itself and clears the others of its group.
void CheckRadioInGroup(Dialog& dialog, int id) {
  auto& controls = dialog.Controls();
  size_t at = 0;
  while (at < controls.size() && controls[at].id != id) ++at;
  size_t first = at;
  while (first > 0 && !(controls[first].style & style::kGroup) &&
         controls[first - 1].cls == ControlClass::Radio) {
    --first;
  }
  for (size_t i = first; i < controls.size() && controls[i].cls == ControlClass::Radio; ++i) {
    if (i > first && (controls[i].style & style::kGroup)) break;
    dialog.CheckItem(controls[i].id, i == at);
  }
}
}  // namespace

bool Click(Dialog& dialog, int id) {
  if (!Reachable(dialog, id)) return false;
  if (dialog.Item(id)->cls == ControlClass::Radio) CheckRadioInGroup(dialog, id);
  dialog.DispatchCommand(id, Notify::Clicked);
  return true;
}

bool SelectItem(Dialog& dialog, int id, int index) {
  if (!Reachable(dialog, id) || index < 0 || index >= dialog.GetCount(id)) return false;
  dialog.SetCurSel(id, index);
  dialog.DispatchCommand(id, Notify::SelChange);
  return true;
}

bool TypeText(Dialog& dialog, int id, const std::string& text) {
  if (!Reachable(dialog, id)) return false;
  ControlState* c = dialog.Item(id);
  if (c->style & style::kDigitsOnly) {
    for (char ch : text) {
      if (ch < '0' || ch > '9') return false;
    }
  }
  // Typing into a combo box's edit leaves no entry of its list selected.
  if (c->cls == ControlClass::ComboBox) c->curSel = -1;
  dialog.SetItemText(id, text);
  dialog.DispatchCommand(id, Notify::EditChange);
  return true;
}

bool TypeIpAddress(Dialog& dialog, int id, const std::array<int, 4>& fields) {
  if (!Reachable(dialog, id)) return false;
  dialog.SetIpFields(id, fields);
  return true;
}

void PressKey(Dialog& dialog, int vk) {
  dialog.DispatchKey(vk);
}

}  // namespace fw
