// Renders the operator's five windows to PNG files through the program's own Win32
// backend, for the documentation: qlx-screenshots OUTPUT_DIR (under Wine in
// `make screenshots-windows`).
#include <cstdio>
#include <string>

#include "framework/backend.h"
#include "framework/message_box.h"
#include "framework/win32/png_rendering.h"
#include "framework/win32/win32_api.h"
#include "framework/win32/win32_backend.h"
#include "framework/win32/win32_window_system.h"
#include "operator_tour.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: qlx-screenshots OUTPUT_DIR\n", stderr);
    return 2;
  }
  fw::win32::RegisterCommonControls();
  fw::win32::Win32Backend backend;
  fw::ScopedBackend scoped(backend);
  const bool all = screenshots::SaveOperatorWindows(
      backend, argv[1], '\\',
      [&](const fw::Dialog& dialog, const std::string& path) {
        return fw::win32::SaveDialogPng(backend, dialog, path);
      },
      [&](const std::string& firmware) {
        backend.WhenBoxShown([firmware](HWND box) {
          SendMessageA(box, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(firmware.c_str()));
          PostMessageA(box, WM_COMMAND, MAKEWPARAM(fw::IDOK, BN_CLICKED), 0);
        });
      });
  return all ? 0 : 1;
}
