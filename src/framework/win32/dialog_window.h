#pragma once

#include <functional>
#include <vector>

#include "framework/dialog.h"
#include "framework/win32/win32_api.h"

namespace fw::win32 {

class Win32Backend;

// One open dialog's window: made by the dialog manager from the in-memory template, its
// procedure turning the window system's messages into the dialog's handlers and showing
// the dialog's state in the child controls.
class DialogWindow {
 public:
  DialogWindow(Dialog& dialog, Win32Backend& backend) : dialog_(dialog), backend_(backend) {}
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Posted to the window once it is on screen, and when a box it owns has become active.
  static constexpr UINT kOpenedMessage = WM_APP + 1;
  static constexpr UINT kBoxShownMessage = WM_APP + 2;

  // The dialog procedure of every dialog the backend runs; `lParam` of the initialisation
  // is the DialogWindow.
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The DialogWindow of one of the backend's dialog windows, or null for any other window.
  static DialogWindow* Of(HWND hwnd);

  Dialog& Model() { return dialog_; }
  HWND Handle() const { return hwnd_; }

  // Model to window: the control with this id, and the window itself.
  void SyncControl(int id);
  void SyncWindow();
  // Copies what the client area shows, painted afresh, into `target`.
  void CopyClientArea(HDC target, int width, int height);
  // Runs one of the dialog's handlers, then ends the modal runs of the dialogs that asked.
  void Dispatch(const std::function<void()>& handler);
  // Ends the window system's modal run with the dialog's result, once.
  void EndIfRequested(bool quitting);

 private:
  INT_PTR Receive(UINT message, WPARAM wParam, LPARAM lParam);
  void Initialise(HWND hwnd);
  void Command(int index, int code);
  void ReadRadios();
  void ReadText(ControlState& state, HWND child);
  LRESULT ControlColors(HDC dc, HWND child);
  void DrawItem(const DRAWITEMSTRUCT& item);
  void Paint();
  void ShowSystemMenu(POINT at);
  void Centre();
  void Forget();
  int IndexOf(HWND child) const;
  void SyncView(size_t index);

  Dialog& dialog_;
  Win32Backend& backend_;
  HWND hwnd_ = nullptr;
  std::vector<HWND> children_;  // in template order
  std::vector<Rect> shownRects_;
  Rect shownRect_;
  bool shownTopmost_ = false;
  int shownIcon_ = 0;
  bool syncing_ = false;
  bool ended_ = false;
};

}  // namespace fw::win32
