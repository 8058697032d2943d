#include "framework/win32/dialog_window.h"

#include <algorithm>
#include <string>

#include "framework/dialog_colors.h"
#include "framework/message_box.h"
#include "framework/win32/gdi_paint_context.h"
#include "framework/win32/win32_backend.h"

namespace fw::win32 {

namespace {
constexpr const char* kWindowProperty = "vrtqlx.dialog";
// Longer texts than this are not read back from a control.
constexpr int kMaxControlText = 4096;

std::string WindowText(HWND hwnd) {
  const int length = std::clamp(GetWindowTextLengthA(hwnd), 0, kMaxControlText);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::clamp(got, 0, length)));
  return text;
}

void SetTextIfChanged(HWND hwnd, const std::string& text) {
  if (WindowText(hwnd) != text) SetWindowTextA(hwnd, text.c_str());
}

// The four edit fields of an IP address control, left to right.
std::vector<HWND> IpFieldEdits(HWND control) {
  std::vector<HWND> fields;
  for (HWND child = GetWindow(control, GW_CHILD); child && fields.size() < 8;
       child = GetWindow(child, GW_HWNDNEXT)) {
    fields.push_back(child);
  }
  std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
    RECT ra{}, rb{};
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  return fields;
}

// A field's number, or -1 when it is blank or not a number of 0 to 255.
int FieldValue(const std::string& text) {
  if (text.empty() || text.size() > 3) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value <= 255 ? value : -1;
}

std::vector<std::string> ListItems(HWND hwnd, bool combo) {
  const UINT countMessage = combo ? CB_GETCOUNT : LB_GETCOUNT;
  const UINT lengthMessage = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  const UINT textMessage = combo ? CB_GETLBTEXT : LB_GETTEXT;
  const int count = static_cast<int>(SendMessageA(hwnd, countMessage, 0, 0));
  std::vector<std::string> items;
  for (int i = 0; i < count; ++i) {
    const int length =
        std::clamp(static_cast<int>(SendMessageA(hwnd, lengthMessage, i, 0)), 0, kMaxControlText);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(hwnd, textMessage, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(strnlen(text.c_str(), static_cast<size_t>(length)));
    items.push_back(std::move(text));
  }
  return items;
}

void ShowItems(HWND hwnd, const ControlState& state) {
  const bool combo = state.cls == ControlClass::ComboBox;
  if (ListItems(hwnd, combo) != state.items) {
    SendMessageA(hwnd, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    for (const std::string& item : state.items) {
      SendMessageA(hwnd, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(item.c_str()));
    }
  }
  const UINT getSel = combo ? CB_GETCURSEL : LB_GETCURSEL;
  if (static_cast<int>(SendMessageA(hwnd, getSel, 0, 0)) != state.curSel) {
    SendMessageA(hwnd, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(state.curSel), 0);
  }
  if (combo && (state.style & style::kEditableDropDown)) SetTextIfChanged(hwnd, state.text);
}

void ShowIpFields(HWND hwnd, const ControlState& state) {
  const std::vector<HWND> fields = IpFieldEdits(hwnd);
  if (fields.size() != state.ipFields.size()) return;
  for (size_t i = 0; i < fields.size(); ++i) {
    const int value = state.ipFields[i];
    SetTextIfChanged(fields[i], value < 0 ? std::string() : std::to_string(value));
  }
}
}  // namespace

DialogWindow* DialogWindow::Of(HWND hwnd) {
  return hwnd ? static_cast<DialogWindow*>(GetPropA(hwnd, kWindowProperty)) : nullptr;
}

INT_PTR CALLBACK DialogWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* window = reinterpret_cast<DialogWindow*>(lParam);
    if (!window) return FALSE;
    SetPropA(hwnd, kWindowProperty, window);
    window->Initialise(hwnd);
    return FALSE;  // the dialog's initialisation has placed the focus itself, or left it
  }
  DialogWindow* window = Of(hwnd);
  return window ? window->Receive(message, wParam, lParam) : FALSE;
}

void DialogWindow::Initialise(HWND hwnd) {
  hwnd_ = hwnd;
  // The dialog manager converted the template with the window system's own font metrics;
  // the window and its controls are placed again with the framework's own (MeasureBaseUnits),
  // so that every window has the size the program draws in.
  const DialogTemplate& t = dialog_.Template();
  const Size baseUnits = backend_.DialogBaseUnits(t.fontName, t.fontPoints);
  dialog_.CreateWindowState(baseUnits);
  const auto& controls = dialog_.Controls();
  // The dialog manager creates the controls in template order, each below the one before.
  for (HWND child = GetWindow(hwnd, GW_CHILD); child && children_.size() < controls.size();
       child = GetWindow(child, GW_HWNDNEXT)) {
    // A list's rows are one character cell of the template font high, the same on every
    // backend, whatever height the window system's own face of that font has.
    if (controls[children_.size()].cls == ControlClass::ListBox) {
      SendMessageA(child, LB_SETITEMHEIGHT, 0, static_cast<LPARAM>(baseUnits.cy));
    }
    children_.push_back(child);
  }
  const Rect unplaced{-1, -1, -1, -1};
  shownRects_.assign(controls.size(), unplaced);
  shownRect_ = unplaced;
  for (size_t i = 0; i < children_.size(); ++i) SyncView(i);
  SyncWindow();
  Centre();
  Dispatch([&] { dialog_.RunInitDialog(); });
  if (!dialog_.HasWindow() || ended_) return;
  SyncWindow();
  if (HMENU menu = GetSystemMenu(hwnd, FALSE)) {
    for (const auto& entry : dialog_.SystemMenu()) {
      AppendMenuA(menu, entry.command == 0 ? MF_SEPARATOR : MF_STRING, entry.command,
                  entry.command == 0 ? nullptr : entry.text.c_str());
    }
  }
  backend_.Opened(*this);
}

void DialogWindow::Centre() {
  RECT area{};
  RECT window{};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) || !GetWindowRect(hwnd_, &window)) {
    return;
  }
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::Forget() {
  RemovePropA(hwnd_, kWindowProperty);
  hwnd_ = nullptr;
  children_.clear();
}

int DialogWindow::IndexOf(HWND child) const {
  for (size_t i = 0; i < children_.size(); ++i) {
    if (children_[i] == child) return static_cast<int>(i);
  }
  return -1;
}

void DialogWindow::Dispatch(const std::function<void()>& handler) {
  if (!hwnd_ || ended_) return;
  handler();
  backend_.UnwindEnded();
}

void DialogWindow::EndIfRequested(bool quitting) {
  if (ended_ || !hwnd_ || !(quitting || dialog_.EndRequested())) return;
  ended_ = true;
  ::EndDialog(hwnd_, quitting ? IDABORT : dialog_.ModalResult());
}

INT_PTR DialogWindow::Receive(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const auto child = reinterpret_cast<HWND>(lParam);
      const int index = child ? IndexOf(child) : -1;
      if (index >= 0) {
        Command(index, HIWORD(wParam));
      } else if (!child) {
        // A menu or accelerator command: the dialog manager's own OK and Cancel.
        const int id = LOWORD(wParam);
        Dispatch([&] { dialog_.DispatchCommand(id, Notify::Clicked); });
      }
      return TRUE;
    }
    case WM_TIMER: {
      const int id = static_cast<int>(wParam);
      Dispatch([&] { dialog_.DispatchTimer(id); });
      return TRUE;
    }
    case WM_CLOSE:
      Dispatch([&] { dialog_.DispatchClose(); });
      return TRUE;
    case WM_PAINT:
      Paint();
      return TRUE;
    case WM_CTLCOLORDLG: {
      const Brush face = DefaultCtlColor().background;
      return reinterpret_cast<INT_PTR>(face.null ? GetStockObject(WHITE_BRUSH)
                                                 : backend_.Objects().SolidBrush(face.color));
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return static_cast<INT_PTR>(
          ControlColors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_DRAWITEM:
      if (lParam) DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_LBUTTONDOWN: {
      const Point at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      Dispatch([&] { dialog_.DispatchLButtonDown(at); });
      return TRUE;
    }
    case WM_CONTEXTMENU:
      // A window without a caption has no system menu button: its menu opens on a right
      // click on the face.
      if (!(GetWindowLongA(hwnd_, GWL_STYLE) & WS_SYSMENU) && !dialog_.SystemMenu().empty()) {
        ShowSystemMenu(
            POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return TRUE;
      }
      return FALSE;
    case WM_SYSCOMMAND:
      // The program's own menu entries go to the dialog; the system's commands (move,
      // close, …) to the window system, which turns a close into WM_CLOSE.
      if ((wParam & 0xFFF0u) < SC_SIZE) {
        const auto command = static_cast<unsigned>(wParam);
        Dispatch([&] { dialog_.SendSysCommand(command); });
        return TRUE;
      }
      return FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(backend_.Objects().IconOf(dialog_.Icon()));
    case kOpenedMessage:
      Dispatch([&] { backend_.RunOpenHandler(dialog_); });
      return TRUE;
    case kBoxShownMessage:
      backend_.RunBoxHandler(reinterpret_cast<HWND>(lParam));
      backend_.UnwindEnded();
      return TRUE;
    case WM_DESTROY:
      Forget();
      return FALSE;
    default:
      return FALSE;
  }
}

void DialogWindow::ReadText(ControlState& state, HWND child) {
  state.text = WindowText(child);
}

void DialogWindow::ReadRadios() {
  auto& controls = dialog_.Controls();
  for (size_t i = 0; i < children_.size() && i < controls.size(); ++i) {
    if (controls[i].cls == ControlClass::Radio) {
      controls[i].checked = SendMessageA(children_[i], BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
  }
}

void DialogWindow::Command(int index, int code) {
  auto& controls = dialog_.Controls();
  if (syncing_ || index >= static_cast<int>(controls.size())) return;
  ControlState& state = controls[static_cast<size_t>(index)];
  const HWND child = children_[static_cast<size_t>(index)];
  const int id = state.id;
  std::optional<Notify> notify;
  switch (state.cls) {
    case ControlClass::PushButton:
    case ControlClass::OwnerDrawButton:
      if (code == BN_CLICKED) notify = Notify::Clicked;
      break;
    case ControlClass::Radio:
      if (code == BN_CLICKED) {
        ReadRadios();
        notify = Notify::Clicked;
      }
      break;
    case ControlClass::ComboBox:
      if (code == CBN_SELCHANGE) {
        const int row = static_cast<int>(SendMessageA(child, CB_GETCURSEL, 0, 0));
        if (row < 0 || row >= static_cast<int>(state.items.size())) break;
        state.curSel = row;
        state.text = state.items[static_cast<size_t>(row)];
        notify = Notify::SelChange;
      } else if (code == CBN_EDITCHANGE) {
        ReadText(state, child);
        state.curSel = -1;
        notify = Notify::EditChange;
      }
      break;
    case ControlClass::ListBox:
      if (code == LBN_SELCHANGE) {
        const int row = static_cast<int>(SendMessageA(child, LB_GETCURSEL, 0, 0));
        if (row < 0 || row >= static_cast<int>(state.items.size())) break;
        state.curSel = row;
        notify = Notify::SelChange;
      } else if (code == LBN_DBLCLK) {
        notify = Notify::DoubleClicked;
      }
      break;
    case ControlClass::Edit:
      if (code == EN_CHANGE) {
        ReadText(state, child);
        notify = Notify::EditChange;
      }
      break;
    case ControlClass::IpAddress:
      if (code == EN_CHANGE) {
        const std::vector<HWND> fields = IpFieldEdits(child);
        if (fields.size() != state.ipFields.size()) break;
        for (size_t i = 0; i < fields.size(); ++i)
          state.ipFields[i] = FieldValue(WindowText(fields[i]));
      }
      break;
    default:
      break;
  }
  if (notify) Dispatch([&] { dialog_.DispatchCommand(id, *notify); });
}

LRESULT DialogWindow::ControlColors(HDC dc, HWND child) {
  const int index = IndexOf(child);
  const CtlColor defaults = DefaultCtlColor();
  const CtlColor colors =
      index < 0 ? defaults
                : dialog_.OnCtlColor(dialog_.Controls()[static_cast<size_t>(index)].id, defaults);
  SetTextColor(dc, ToColorRef(colors.text));
  SetBkMode(dc, colors.transparent ? TRANSPARENT : OPAQUE);
  if (colors.background.null) return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  SetBkColor(dc, ToColorRef(colors.background.color));
  return reinterpret_cast<LRESULT>(backend_.Objects().SolidBrush(colors.background.color));
}

void DialogWindow::DrawItem(const DRAWITEMSTRUCT& item) {
  const int index = IndexOf(item.hwndItem);
  if (index < 0) return;
  ControlState& state = dialog_.Controls()[static_cast<size_t>(index)];
  state.pressed = (item.itemState & ODS_SELECTED) != 0;
  const int saved = SaveDC(item.hDC);
  // The owner paints in the dialog's coordinates, as it would on the dialog itself.
  OffsetViewportOrgEx(item.hDC, -state.rect.left, -state.rect.top, nullptr);
  GdiPaintContext dc(item.hDC, backend_.Objects());
  dialog_.PaintOwnerDrawn(state.id, dc);
  RestoreDC(item.hDC, saved);
}

void DialogWindow::Paint() {
  PAINTSTRUCT ps{};
  HDC hdc = BeginPaint(hwnd_, &ps);
  if (hdc) {
    GdiPaintContext dc(hdc, backend_.Objects());
    dialog_.OnPaint(dc);
  }
  EndPaint(hwnd_, &ps);
}

void DialogWindow::CopyClientArea(HDC target, int width, int height) {
  // A dialog not on screen yet (its loop shows it once idle) is shown now, and everything
  // it holds painted afresh before its pixels are read.
  if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNA);
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  HDC source = GetDC(hwnd_);
  if (!source) return;
  BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
  ReleaseDC(hwnd_, source);
}

void DialogWindow::ShowSystemMenu(POINT at) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (const auto& entry : dialog_.SystemMenu()) {
    AppendMenuA(menu, entry.command == 0 ? MF_SEPARATOR : MF_STRING, entry.command,
                entry.command == 0 ? nullptr : entry.text.c_str());
  }
  const auto command = static_cast<unsigned>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr));
  DestroyMenu(menu);
  if (command != 0) Dispatch([&] { dialog_.SendSysCommand(command); });
}

void DialogWindow::SyncControl(int id) {
  const auto& controls = dialog_.Controls();
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].id == id) SyncView(i);
  }
}

void DialogWindow::SyncView(size_t index) {
  const auto& controls = dialog_.Controls();
  if (index >= children_.size() || index >= controls.size()) return;
  const ControlState& state = controls[index];
  const HWND child = children_[index];
  syncing_ = true;
  switch (state.cls) {
    case ControlClass::Static:
    case ControlClass::PushButton:
    case ControlClass::GroupBox:
    case ControlClass::Edit:
      SetTextIfChanged(child, state.text);
      break;
    case ControlClass::Radio:
      SetTextIfChanged(child, state.text);
      SendMessageA(child, BM_SETCHECK, state.checked ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case ControlClass::ComboBox:
    case ControlClass::ListBox:
      ShowItems(child, state);
      break;
    case ControlClass::IpAddress:
      ShowIpFields(child, state);
      break;
    case ControlClass::Picture: {
      HBITMAP bitmap = backend_.Objects().Bitmap(state.imageId);
      if (reinterpret_cast<HBITMAP>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0)) != bitmap) {
        SendMessageA(child, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
      }
      break;
    }
    case ControlClass::Icon:
      SendMessageA(child, STM_SETICON,
                   reinterpret_cast<WPARAM>(backend_.Objects().IconOf(state.imageId)), 0);
      break;
    case ControlClass::OwnerDrawButton:
      break;
  }
  if (!(state.rect == shownRects_[index])) {
    shownRects_[index] = state.rect;
    // A picture or icon control takes the size of its image.
    const bool sizedByImage =
        (state.cls == ControlClass::Picture || state.cls == ControlClass::Icon) &&
        backend_.Objects().Bitmap(state.imageId);
    SetWindowPos(child, nullptr, state.rect.left, state.rect.top, state.rect.Width(),
                 state.rect.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | (sizedByImage ? SWP_NOSIZE : 0u));
  }
  if ((IsWindowEnabled(child) != FALSE) != state.enabled) EnableWindow(child, state.enabled);
  // The control's own style bit: the window system calls every control of a dialog not yet
  // shown invisible, so a control hidden while the dialog initialises would appear with it.
  const bool shown = (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != state.visible) {
    ShowWindow(child, state.visible ? SW_SHOWNA : SW_HIDE);
  }
  // Static colours and owner-drawn faces depend on more than the window system knows.
  if (state.cls == ControlClass::Static || state.cls == ControlClass::OwnerDrawButton) {
    InvalidateRect(child, nullptr, TRUE);
  }
  syncing_ = false;
}

void DialogWindow::SyncWindow() {
  if (!hwnd_) return;
  SetTextIfChanged(hwnd_, dialog_.WindowText());
  if (dialog_.Icon() != shownIcon_) {
    shownIcon_ = dialog_.Icon();
    HICON icon = backend_.Objects().IconOf(shownIcon_);
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  const Rect& r = dialog_.WindowRect();
  if (!(r == shownRect_)) {
    // The dialog's rectangle is its client area; the window adds its frame around it.
    RECT outer{0, 0, r.Width(), r.Height()};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(hwnd_, GWL_EXSTYLE)));
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (r.left == shownRect_.left && r.top == shownRect_.top) flags |= SWP_NOMOVE;
    SetWindowPos(hwnd_, nullptr, r.left, r.top, outer.right - outer.left, outer.bottom - outer.top,
                 flags);
    shownRect_ = r;
  }
  if (dialog_.Topmost() != shownTopmost_) {
    shownTopmost_ = dialog_.Topmost();
    SetWindowPos(hwnd_, shownTopmost_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  if (IsWindowVisible(hwnd_) && dialog_.Minimized() != (IsIconic(hwnd_) != FALSE)) {
    ShowWindow(hwnd_, dialog_.Minimized() ? SW_MINIMIZE : SW_RESTORE);
  }
}

}  // namespace fw::win32
