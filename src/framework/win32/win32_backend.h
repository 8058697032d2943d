#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/backend.h"
#include "framework/win32/gdi_objects.h"
#include "framework/win32/win32_api.h"

namespace fw::win32 {

class DialogWindow;

// The backend on plain Win32: each modal run is the dialog manager's own
// (DialogBoxIndirectParamA on a template built in memory), so nested runs, message boxes
// and the file dialog all keep dispatching every window's timers, as the program expects.
class Win32Backend final : public Backend {
 public:
  Win32Backend();
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  // Runs `handler` inside the modal loop of each dialog of template `templateId` once its
  // window is on screen (for the operator driver of tests and the screenshot tool).
  void WhenOpened(int templateId, std::function<void(Dialog&)> handler);
  // Runs `handler` inside the loop of each message box or file dialog once it is active.
  void WhenBoxShown(std::function<void(HWND)> handler);

  DialogWindow* WindowOf(const Dialog& dialog) const;
  GdiObjects& Objects() { return objects_; }
  // Ends the modal run of every dialog that has asked to end (or all, when quitting).
  void UnwindEnded();
  // The dialog's window is on screen and initialised.
  void Opened(DialogWindow& window);
  // Runs the handler waiting for the dialog's template; called from inside its loop.
  void RunOpenHandler(Dialog& dialog);
  void RunBoxHandler(HWND box);

  int RunModal(Dialog& dialog) override;
  void SetTimer(Dialog& dialog, int id, uint32_t ms) override;
  void KillTimer(Dialog& dialog, int id) override;
  void PostClose(Dialog& dialog) override;
  void Invalidate(Dialog& dialog, const Rect& rect, bool erase) override;
  void UpdateWindow(Dialog& dialog) override;
  void ControlChanged(Dialog& dialog, int id) override;
  void WindowChanged(Dialog& dialog) override;
  void BeginWindowDrag(Dialog& dialog) override;
  int MessageBox(const std::string& text, const std::string& caption) override;
  std::optional<std::string> FileOpenDialog(const std::string& filter,
                                            const std::string& initialDir) override;
  Size DialogBaseUnits(const std::string& fontName, int points) override;
  void Quit() override;
  bool Quitting() const override { return quitting_; }

 private:
  static LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ActivationHook(int code, WPARAM wParam, LPARAM lParam);
  // The window a box belongs to: the innermost open dialog.
  HWND TopWindow() const;
  bool AnyTopmost() const;
  void CloseBoxes();

  GdiObjects objects_;
  std::vector<DialogWindow*> frames_;
  std::map<int, std::function<void(Dialog&)>> openHandlers_;
  std::function<void(HWND)> boxHandler_;
  std::map<std::pair<std::string, int>, Size> baseUnits_;
  HHOOK keyHook_ = nullptr;
  HHOOK activationHook_ = nullptr;
  int boxesOpen_ = 0;
  bool quitting_ = false;
};

}  // namespace fw::win32
