#pragma once

// The Win32 headers the backend needs, with the macros that collide with the framework's
// own names taken away: windows.h renames calls such as MessageBox or SetWindowText to
// their A/W forms and defines IDOK and friends, which would rename the framework's members
// and constants in every file that includes both.
#ifndef NOMINMAX
#define NOMINMAX
#endif
// windows.h comes before the headers that use its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
// clang-format on

#undef CreateDialog
#undef CreateFile
#undef DrawText
#undef GetWindowText
#undef IDABORT
#undef IDCANCEL
#undef IDOK
#undef LoadString
#undef MessageBox
#undef SetWindowText
