#include "framework/dialog.h"

#include "framework/backend.h"
#include "framework/data_exchange.h"
#include "framework/message_box.h"

namespace fw {

namespace {
// number × numerator ÷ denominator, rounded half away from zero: how dialog units become
// pixels, so that every backend gives a window the same size.
int MulDiv(int number, int numerator, int denominator) {
  const long long product = static_cast<long long>(number) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

// Position and size are scaled each on its own, so a control's size in pixels does not
// depend on where it stands.
Rect DialogUnitsToPixels(const Rect& dlu, Size baseUnits) {
  const int left = MulDiv(dlu.left, baseUnits.cx, 4);
  const int top = MulDiv(dlu.top, baseUnits.cy, 8);
  return Rect{left, top, left + MulDiv(dlu.Width(), baseUnits.cx, 4),
              top + MulDiv(dlu.Height(), baseUnits.cy, 8)};
}
}  // namespace

Dialog::Dialog(DialogTemplate tmpl) : template_(std::move(tmpl)) {}

Dialog::~Dialog() = default;

int Dialog::DoModal() {
  endRequested_ = false;
  return CurrentBackend().RunModal(*this);
}

void Dialog::EndDialog(int result) {
  endRequested_ = true;
  modalResult_ = result;
}

void Dialog::ClearEnd() {
  endRequested_ = false;
  modalResult_ = 0;
}

bool Dialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() {
  EndDialog(IDCANCEL);
}

void Dialog::OnClose() {
  OnCancel();
}

void Dialog::OnTimer(int) {}

void Dialog::OnPaint(PaintContext&) {}

CtlColor Dialog::OnCtlColor(int, const CtlColor& defaults) {
  return defaults;
}

bool Dialog::PreTranslateKey(int) {
  return false;
}

void Dialog::OnLButtonDown(Point) {}

void Dialog::OnSysCommand(unsigned command) {
  // Default handling of the commands the program's windows receive.
  if ((command & 0xFFF0u) == (kScMove & 0xFFF0u)) CurrentBackend().BeginWindowDrag(*this);
}

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::UpdateData(bool saveAndValidate) {
  DataExchange dx(*this, saveAndValidate);
  DoDataExchange(dx);
  return !dx.Failed();
}

void Dialog::Bind(int id, Notify notify, std::function<void()> handler) {
  handlers_[{id, notify}] = std::move(handler);
}

void Dialog::SetTimer(int id, uint32_t ms) {
  if (created_) CurrentBackend().SetTimer(*this, id, ms);
}

void Dialog::KillTimer(int id) {
  if (created_) CurrentBackend().KillTimer(*this, id);
}

void Dialog::PostClose() {
  if (created_) CurrentBackend().PostClose(*this);
}

void Dialog::Invalidate(const Rect& rect, bool erase) {
  if (created_) CurrentBackend().Invalidate(*this, rect, erase);
}

void Dialog::InvalidateAll(bool erase) {
  Invalidate(ClientRect(), erase);
}

void Dialog::UpdateWindow() {
  if (created_) CurrentBackend().UpdateWindow(*this);
}

ControlState* Dialog::Item(int id) {
  if (!created_) return nullptr;
  for (auto& c : controls_) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

const ControlState* Dialog::Item(int id) const {
  return const_cast<Dialog*>(this)->Item(id);
}

void Dialog::Changed(int id) {
  CurrentBackend().ControlChanged(*this, id);
}

void Dialog::EnableItem(int id, bool enable) {
  if (auto* c = Item(id); c && c->enabled != enable) {
    c->enabled = enable;
    Changed(id);
  }
}

bool Dialog::IsItemEnabled(int id) const {
  const auto* c = Item(id);
  return c && c->enabled;
}

void Dialog::ShowItem(int id, bool show) {
  if (auto* c = Item(id); c && c->visible != show) {
    c->visible = show;
    Changed(id);
  }
}

bool Dialog::IsItemVisible(int id) const {
  const auto* c = Item(id);
  return c && c->visible;
}

void Dialog::SetItemText(int id, std::string text) {
  if (auto* c = Item(id)) {
    c->text = std::move(text);
    Changed(id);
  }
}

std::string Dialog::GetItemText(int id) const {
  const auto* c = Item(id);
  return c ? c->text : std::string();
}

void Dialog::CheckItem(int id, bool checked) {
  if (auto* c = Item(id); c && c->checked != checked) {
    c->checked = checked;
    Changed(id);
  }
}

bool Dialog::IsItemChecked(int id) const {
  const auto* c = Item(id);
  return c && c->checked;
}

void Dialog::SetItemImage(int id, int imageId) {
  if (auto* c = Item(id)) {
    c->imageId = imageId;
    Changed(id);
  }
}

void Dialog::SetItemRect(int id, const Rect& pixels) {
  if (auto* c = Item(id); c && !(c->rect == pixels)) {
    c->rect = pixels;
    Changed(id);
  }
}

int Dialog::AddString(int id, std::string text) {
  auto* c = Item(id);
  if (!c) return -1;
  c->items.push_back(std::move(text));
  Changed(id);
  return static_cast<int>(c->items.size()) - 1;
}

void Dialog::ResetContent(int id) {
  if (auto* c = Item(id)) {
    c->items.clear();
    c->curSel = -1;
    if (c->cls == ControlClass::ComboBox) c->text.clear();
    Changed(id);
  }
}

int Dialog::GetCount(int id) const {
  const auto* c = Item(id);
  return c ? static_cast<int>(c->items.size()) : 0;
}

int Dialog::GetCurSel(int id) const {
  const auto* c = Item(id);
  return c ? c->curSel : -1;
}

void Dialog::SetCurSel(int id, int index) {
  auto* c = Item(id);
  if (!c) return;
  const bool inRange = index >= 0 && index < static_cast<int>(c->items.size());
  c->curSel = inRange ? index : -1;
  if (c->cls == ControlClass::ComboBox) c->text = inRange ? c->items[index] : std::string();
  Changed(id);
}

std::string Dialog::GetLBText(int id, int index) const {
  const auto* c = Item(id);
  if (!c || index < 0 || index >= static_cast<int>(c->items.size())) return std::string();
  return c->items[index];
}

void Dialog::SetIpFields(int id, const std::array<int, 4>& fields) {
  if (auto* c = Item(id)) {
    c->ipFields = fields;
    Changed(id);
  }
}

std::array<int, 4> Dialog::GetIpFields(int id) const {
  const auto* c = Item(id);
  return c ? c->ipFields : std::array<int, 4>{-1, -1, -1, -1};
}

void Dialog::AttachOwnerDraw(int id, OwnerDrawControl* control) {
  ownerDrawn_[id] = control;
}

OwnerDrawControl* Dialog::OwnerDraw(int id) const {
  auto it = ownerDrawn_.find(id);
  return it == ownerDrawn_.end() ? nullptr : it->second;
}

void Dialog::SetWindowText(std::string text) {
  windowText_ = std::move(text);
  if (created_) CurrentBackend().WindowChanged(*this);
}

void Dialog::MoveWindow(const Rect& pixels) {
  windowRect_ = pixels;
  if (created_) CurrentBackend().WindowChanged(*this);
}

void Dialog::SetTopmost(bool topmost) {
  topmost_ = topmost;
  if (created_) CurrentBackend().WindowChanged(*this);
}

void Dialog::SetMinimized(bool minimized) {
  minimized_ = minimized;
  if (created_) CurrentBackend().WindowChanged(*this);
}

void Dialog::SendSysCommand(unsigned command) {
  OnSysCommand(command);
}

void Dialog::AppendSystemMenu(unsigned command, std::string text) {
  systemMenu_.push_back(MenuEntry{command, std::move(text)});
}

void Dialog::SetIcon(int imageId) {
  iconId_ = imageId;
  if (created_) CurrentBackend().WindowChanged(*this);
}

void Dialog::CreateWindowState(Size baseUnits) {
  controls_.clear();
  for (const auto& t : template_.controls) {
    ControlState c;
    c.id = t.id;
    c.cls = t.cls;
    c.style = t.style;
    c.rect = DialogUnitsToPixels(t.dlu, baseUnits);
    c.text = t.text;
    c.imageId = t.imageId;
    controls_.push_back(std::move(c));
  }
  windowRect_ = DialogUnitsToPixels(Rect{0, 0, template_.width, template_.height}, baseUnits);
  windowText_ = template_.caption;
  systemMenu_.clear();
  iconId_ = 0;
  topmost_ = false;
  minimized_ = false;
  created_ = true;
}

void Dialog::DestroyWindowState() {
  created_ = false;
  controls_.clear();
  ownerDrawn_.clear();
}

bool Dialog::RunInitDialog() {
  return OnInitDialog();
}

void Dialog::DispatchCommand(int id, Notify notify) {
  auto it = handlers_.find({id, notify});
  if (it != handlers_.end()) {
    it->second();
    return;
  }
  if (notify != Notify::Clicked) return;
  if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

bool Dialog::DispatchKey(int vk) {
  if (PreTranslateKey(vk)) return true;
  // A dialog's own keyboard handling: Enter presses the default (OK), Escape cancels.
  if (vk == kVkReturn) {
    DispatchCommand(IDOK, Notify::Clicked);
    return true;
  }
  if (vk == kVkEscape) {
    DispatchCommand(IDCANCEL, Notify::Clicked);
    return true;
  }
  return false;
}

void Dialog::PaintWindow(PaintContext& dc) {
  OnPaint(dc);
  for (const auto& c : controls_) {
    if (c.visible && c.cls == ControlClass::OwnerDrawButton) PaintOwnerDrawn(c.id, dc);
  }
}

void Dialog::PaintOwnerDrawn(int id, PaintContext& dc) {
  auto* owner = OwnerDraw(id);
  const auto* c = Item(id);
  if (!owner || !c) return;
  owner->DrawItem(*this, id, dc, DrawItemState{c->pressed, !c->enabled, false});
}

}  // namespace fw
