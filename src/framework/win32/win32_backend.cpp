#include "framework/win32/win32_backend.h"

#include <algorithm>
#include <cstring>

#include "framework/message_box.h"
#include "framework/win32/dialog_template_builder.h"
#include "framework/win32/dialog_window.h"
#include "framework/win32/file_dialog_filter.h"
#include "framework/win32/font_cell.h"

namespace fw::win32 {

namespace {
constexpr const char* kBoxSeenProperty = "vrtqlx.box";

BOOL CALLBACK CloseForeignWindow(HWND hwnd, LPARAM) {
  if (!DialogWindow::Of(hwnd) && IsWindowVisible(hwnd)) PostMessageA(hwnd, WM_CLOSE, 0, 0);
  return TRUE;
}
}  // namespace

Win32Backend::Win32Backend() {
  // The dialog manager's loop has no place for a filter of the program's own; a message
  // filter hook sees every message of a dialog loop before the dialog manager does.
  keyHook_ = SetWindowsHookExA(WH_MSGFILTER, &Win32Backend::KeyHook, nullptr, GetCurrentThreadId());
}

Win32Backend::~Win32Backend() {
  if (activationHook_) UnhookWindowsHookEx(activationHook_);
  if (keyHook_) UnhookWindowsHookEx(keyHook_);
}

void Win32Backend::WhenOpened(int templateId, std::function<void(Dialog&)> handler) {
  openHandlers_[templateId] = std::move(handler);
}

void Win32Backend::WhenBoxShown(std::function<void(HWND)> handler) {
  boxHandler_ = std::move(handler);
  if (boxHandler_ && !activationHook_) {
    activationHook_ =
        SetWindowsHookExA(WH_CBT, &Win32Backend::ActivationHook, nullptr, GetCurrentThreadId());
  }
}

DialogWindow* Win32Backend::WindowOf(const Dialog& dialog) const {
  for (DialogWindow* window : frames_) {
    if (&window->Model() == &dialog && window->Handle()) return window;
  }
  return nullptr;
}

void Win32Backend::UnwindEnded() {
  for (DialogWindow* window : std::vector<DialogWindow*>(frames_))
    window->EndIfRequested(quitting_);
}

void Win32Backend::Opened(DialogWindow& window) {
  if (openHandlers_.count(window.Model().Template().id)) {
    PostMessageA(window.Handle(), DialogWindow::kOpenedMessage, 0, 0);
  }
}

void Win32Backend::RunOpenHandler(Dialog& dialog) {
  auto it = openHandlers_.find(dialog.Template().id);
  if (it == openHandlers_.end()) return;
  auto run = it->second;  // a copy: the handler may replace itself
  run(dialog);
}

void Win32Backend::RunBoxHandler(HWND box) {
  if (!boxHandler_ || !IsWindow(box)) return;
  auto run = boxHandler_;
  run(box);
}

int Win32Backend::RunModal(Dialog& dialog) {
  if (quitting_) return IDABORT;
  const std::vector<uint16_t> tmpl = BuildDialogTemplate(dialog.Template());
  DialogWindow window(dialog, *this);
  dialog.ClearEnd();
  const HWND owner = TopWindow();
  frames_.push_back(&window);
  const INT_PTR answer = DialogBoxIndirectParamA(
      GetModuleHandleA(nullptr), reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()), owner,
      &DialogWindow::Procedure, reinterpret_cast<LPARAM>(&window));
  frames_.erase(std::remove(frames_.begin(), frames_.end(), &window), frames_.end());
  const bool created = dialog.HasWindow();
  if (created) dialog.DestroyWindowState();
  if (answer == -1 && !created) return -1;  // the window could not be made
  return quitting_ ? IDABORT : dialog.ModalResult();
}

void Win32Backend::SetTimer(Dialog& dialog, int id, uint32_t ms) {
  if (DialogWindow* window = WindowOf(dialog)) {
    ::SetTimer(window->Handle(), static_cast<UINT_PTR>(id), ms, nullptr);
  }
}

void Win32Backend::KillTimer(Dialog& dialog, int id) {
  if (DialogWindow* window = WindowOf(dialog)) {
    ::KillTimer(window->Handle(), static_cast<UINT_PTR>(id));
  }
}

void Win32Backend::PostClose(Dialog& dialog) {
  if (DialogWindow* window = WindowOf(dialog)) PostMessageA(window->Handle(), WM_CLOSE, 0, 0);
}

void Win32Backend::Invalidate(Dialog& dialog, const Rect& rect, bool erase) {
  if (DialogWindow* window = WindowOf(dialog)) {
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    InvalidateRect(window->Handle(), &area, erase ? TRUE : FALSE);
  }
}

void Win32Backend::UpdateWindow(Dialog& dialog) {
  if (DialogWindow* window = WindowOf(dialog)) ::UpdateWindow(window->Handle());
}

void Win32Backend::ControlChanged(Dialog& dialog, int id) {
  if (DialogWindow* window = WindowOf(dialog)) window->SyncControl(id);
}

void Win32Backend::WindowChanged(Dialog& dialog) {
  if (DialogWindow* window = WindowOf(dialog)) window->SyncWindow();
}

void Win32Backend::BeginWindowDrag(Dialog& dialog) {
  DialogWindow* window = WindowOf(dialog);
  if (!window) return;
  // The system's move with the caption's hit code: the window follows the pointer until
  // the button is released, as when its caption is dragged.
  ReleaseCapture();
  SendMessageA(window->Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

HWND Win32Backend::TopWindow() const {
  for (auto it = frames_.rbegin(); it != frames_.rend(); ++it) {
    if ((*it)->Handle()) return (*it)->Handle();
  }
  return nullptr;
}

bool Win32Backend::AnyTopmost() const {
  return std::any_of(frames_.begin(), frames_.end(),
                     [](DialogWindow* window) { return window->Model().Topmost(); });
}

int Win32Backend::MessageBox(const std::string& text, const std::string& caption) {
  if (quitting_) return IDABORT;
  ++boxesOpen_;
  MessageBoxA(TopWindow(), text.c_str(), caption.c_str(), MB_OK | (AnyTopmost() ? MB_TOPMOST : 0u));
  --boxesOpen_;
  UnwindEnded();
  return quitting_ ? IDABORT : IDOK;
}

std::optional<std::string> Win32Backend::FileOpenDialog(const std::string& filter,
                                                        const std::string& initialDir) {
  if (quitting_) return std::nullopt;
  const std::string filters = FileDialogFilter(filter);
  char path[MAX_PATH] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = TopWindow();
  ofn.lpstrFilter = filters.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof(path);
  ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
  ++boxesOpen_;
  const BOOL chosen = GetOpenFileNameA(&ofn);
  --boxesOpen_;
  UnwindEnded();
  if (quitting_ || !chosen) return std::nullopt;
  return std::string(path, strnlen(path, sizeof(path)));
}

Size Win32Backend::DialogBaseUnits(const std::string& fontName, int points) {
  const auto key = std::make_pair(fontName, points);
  if (auto it = baseUnits_.find(key); it != baseUnits_.end()) return it->second;
  HDC dc = GetDC(nullptr);
  const int emPixels = MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
  HFONT font = objects_.FontOf(fontName, -emPixels);
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  const Size units = MeasureBaseUnits(dc, emPixels);
  if (old) SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  baseUnits_[key] = units;
  return units;
}

void Win32Backend::CloseBoxes() {
  // A box's own loop ends when its window is closed; the answer is ignored while quitting.
  if (boxesOpen_ > 0) EnumThreadWindows(GetCurrentThreadId(), &CloseForeignWindow, 0);
}

void Win32Backend::Quit() {
  quitting_ = true;
  CloseBoxes();
  UnwindEnded();
}

LRESULT CALLBACK Win32Backend::KeyHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && lParam) {
    const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
    if (msg.message == WM_KEYDOWN) {
      if (DialogWindow* window = DialogWindow::Of(GetAncestor(msg.hwnd, GA_ROOT))) {
        bool taken = false;
        const int vk = static_cast<int>(msg.wParam);
        window->Dispatch([&] { taken = window->Model().DispatchKey(vk); });
        if (taken) return TRUE;
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK Win32Backend::ActivationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    const HWND activated = reinterpret_cast<HWND>(wParam);
    const HWND owner = GetWindow(activated, GW_OWNER);
    // A box of one of the backend's dialogs, seen for the first time: its owner's
    // procedure runs the handler from inside the box's loop.
    if (!DialogWindow::Of(activated) && DialogWindow::Of(owner) &&
        !GetPropA(activated, kBoxSeenProperty)) {
      SetPropA(activated, kBoxSeenProperty, activated);
      PostMessageA(owner, DialogWindow::kBoxShownMessage, 0, reinterpret_cast<LPARAM>(activated));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace fw::win32
