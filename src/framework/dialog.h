#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/control_state.h"
#include "framework/dialog_template.h"
#include "framework/geometry.h"
#include "framework/paint_context.h"

namespace fw {

class DataExchange;
class Dialog;

enum class Notify { Clicked, SelChange, EditChange, DoubleClicked };

constexpr int kVkReturn = 13;
constexpr int kVkEscape = 27;
constexpr unsigned kScMove = 0xF012;  // system move command with the caption hit code

struct DrawItemState {
  bool pressed = false;
  bool disabled = false;
  bool focused = false;
};

// A control the dialog's owner paints itself (an owner-drawn button).
class OwnerDrawControl {
 public:
  virtual ~OwnerDrawControl() = default;
  virtual void DrawItem(Dialog& dialog, int id, PaintContext& dc, const DrawItemState& state) = 0;
};

// Colours of a control, as the colour query of a child control answers them.
struct CtlColor {
  Brush background;
  Color text{0, 0, 0};
  bool transparent = false;
};

// A modal dialog built from a template, with controls addressed by id, a message map of
// handlers bound to (id, notification), data exchange, window timers and painting.
class Dialog {
 public:
  explicit Dialog(DialogTemplate tmpl);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  int DoModal();
  void EndDialog(int result);

  virtual bool OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // The system's close command; ends the dialog with IDCANCEL unless overridden.
  virtual void OnClose();
  virtual void OnTimer(int id);
  virtual void OnPaint(PaintContext& dc);
  virtual CtlColor OnCtlColor(int id, const CtlColor& defaults);
  // Sees every key press first; true swallows it.
  virtual bool PreTranslateKey(int vk);
  virtual void OnLButtonDown(Point at);
  virtual void OnSysCommand(unsigned command);
  virtual void DoDataExchange(DataExchange& dx);

  bool UpdateData(bool saveAndValidate);

  void Bind(int id, Notify notify, std::function<void()> handler);

  void SetTimer(int id, uint32_t ms);
  void KillTimer(int id);
  void PostClose();
  void Invalidate(const Rect& rect, bool erase = true);
  void InvalidateAll(bool erase = true);
  void UpdateWindow();

  // Controls. Before the window exists (or after it is gone) these do nothing and read as
  // empty, as calls on a window that is not there do.
  bool HasWindow() const { return created_; }
  ControlState* Item(int id);
  const ControlState* Item(int id) const;
  void EnableItem(int id, bool enable);
  bool IsItemEnabled(int id) const;
  void ShowItem(int id, bool show);
  bool IsItemVisible(int id) const;
  void SetItemText(int id, std::string text);
  std::string GetItemText(int id) const;
  void CheckItem(int id, bool checked);
  bool IsItemChecked(int id) const;
  void SetItemImage(int id, int imageId);
  void SetItemRect(int id, const Rect& pixels);
  int AddString(int id, std::string text);
  void ResetContent(int id);
  int GetCount(int id) const;
  int GetCurSel(int id) const;
  void SetCurSel(int id, int index);
  std::string GetLBText(int id, int index) const;
  void SetIpFields(int id, const std::array<int, 4>& fields);
  std::array<int, 4> GetIpFields(int id) const;
  void AttachOwnerDraw(int id, OwnerDrawControl* control);
  OwnerDrawControl* OwnerDraw(int id) const;

  // The window.
  void SetWindowText(std::string text);
  const std::string& WindowText() const { return windowText_; }
  void MoveWindow(const Rect& pixels);
  const Rect& WindowRect() const { return windowRect_; }
  Rect ClientRect() const { return Rect{0, 0, windowRect_.Width(), windowRect_.Height()}; }
  void SetTopmost(bool topmost);
  bool Topmost() const { return topmost_; }
  void SetMinimized(bool minimized);
  bool Minimized() const { return minimized_; }
  // Sends the system command as the window's menu or caption would.
  void SendSysCommand(unsigned command);
  // Entries the window adds to its system menu (command 0 stands for a separator); the
  // menu starts empty each time the window is created.
  struct MenuEntry {
    unsigned command = 0;
    std::string text;
  };
  void AppendSystemMenu(unsigned command, std::string text);
  const std::vector<MenuEntry>& SystemMenu() const { return systemMenu_; }
  // The image resource shown as the window's icon (0: none).
  void SetIcon(int imageId);
  int Icon() const { return iconId_; }

  const DialogTemplate& Template() const { return template_; }
  std::vector<ControlState>& Controls() { return controls_; }
  const std::vector<ControlState>& Controls() const { return controls_; }

  // Entry points for backends: they turn the window system's events into these calls.
  void CreateWindowState(Size baseUnits);
  void DestroyWindowState();
  bool RunInitDialog();
  bool EndRequested() const { return endRequested_; }
  int ModalResult() const { return modalResult_; }
  void ClearEnd();
  void DispatchCommand(int id, Notify notify);
  void DispatchTimer(int id) { OnTimer(id); }
  void DispatchClose() { OnClose(); }
  // A key press; answers true when something took it.
  bool DispatchKey(int vk);
  void DispatchLButtonDown(Point at) { OnLButtonDown(at); }
  // Paints the face and then every visible owner-drawn control.
  void PaintWindow(PaintContext& dc);
  void PaintOwnerDrawn(int id, PaintContext& dc);

 private:
  void Changed(int id);

  DialogTemplate template_;
  std::vector<ControlState> controls_;
  std::map<std::pair<int, Notify>, std::function<void()>> handlers_;
  std::map<int, OwnerDrawControl*> ownerDrawn_;
  std::string windowText_;
  std::vector<MenuEntry> systemMenu_;
  int iconId_ = 0;
  Rect windowRect_;
  bool topmost_ = false;
  bool minimized_ = false;
  bool created_ = false;
  bool endRequested_ = false;
  int modalResult_ = 0;
};

}  // namespace fw
