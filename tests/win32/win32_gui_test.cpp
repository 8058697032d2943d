// The operator's windows on the Win32 backend under a real window system: Wine with a
// virtual X server in `make check` (scripts/windows-gui-check.sh starts both and the printer
// simulator, and compares what the simulator received with the file chosen here).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "download/download_dlg.h"
#include "framework/backend.h"
#include "framework/dialog_colors.h"
#include "framework/headless/operator_actions.h"
#include "framework/message_box.h"
#include "framework/win32/dialog_window.h"
#include "framework/win32/png_rendering.h"
#include "framework/win32/win32_api.h"
#include "framework/win32/win32_backend.h"
#include "framework/win32/win32_window_system.h"
#include "platform/tcp_socket.h"
#include "res/resource_ids.h"

namespace {

constexpr int kModelList = 1018;
constexpr int kTqr23Row = 22;
constexpr int kNoticeButton = 1016;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Runs the thread's messages for about `ms` milliseconds, waiting for them as a message
// loop does (the window system brings its windows' pictures to the screen when idle).
void PumpMessages(int ms) {
  const DWORD until = GetTickCount() + static_cast<DWORD>(ms);
  MSG msg;
  for (LONG left = ms; left > 0; left = static_cast<LONG>(until - GetTickCount())) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
  }
}

// The pixels of the screen's rectangle from (`x`, `y`), as the window system shows them.
fw::win32::Pixels ScreenPixels(int x, int y, int width, int height) {
  return fw::win32::CapturePixels(width, height, [&](HDC dc) {
    HDC screen = GetDC(nullptr);
    BitBlt(dc, 0, 0, width, height, screen, x, y, SRCCOPY);
    ReleaseDC(nullptr, screen);
  });
}

// The share of the dialog's own picture that the screen shows at the dialog's place.
double ShareShownOnScreen(fw::win32::Win32Backend& backend, const fw::Dialog& dialog) {
  const fw::win32::Pixels painted = fw::win32::DialogPixels(backend, dialog);
  if (painted.rgb.empty()) return 0;
  POINT origin{0, 0};
  ClientToScreen(backend.WindowOf(dialog)->Handle(), &origin);
  const std::vector<uint32_t> shown =
      ScreenPixels(origin.x, origin.y, painted.width, painted.height).rgb;
  if (shown.size() != painted.rgb.size()) return 0;
  size_t same = 0;
  for (size_t i = 0; i < shown.size(); ++i) same += shown[i] == painted.rgb[i];
  return static_cast<double>(same) / static_cast<double>(shown.size());
}

class Win32Gui : public ::testing::Test {
 protected:
  Win32Gui() {
    fw::win32::RegisterCommonControls();
    fw::SetDialogColors(fw::Rgb(255, 255, 255), fw::Rgb(80, 80, 80));
  }

  HWND Handle(const fw::Dialog& dialog) {
    fw::win32::DialogWindow* window = backend.WindowOf(dialog);
    return window ? window->Handle() : nullptr;
  }

  // Picks TQR-23 in the model picker, as the first window of every run.
  void PickTqr23() {
    backend.WhenOpened(res::kPrinterSelectDialog, [](fw::Dialog& picker) {
      EXPECT_TRUE(fw::SelectItem(picker, kModelList, kTqr23Row));
    });
  }

  fw::win32::Win32Backend backend;
  fw::ScopedBackend scoped{backend};
};

// The template font as Wine measures "Arial" 8 pt gives base units of 6 × 13 pixels, so the
// main window's 192 × 136 dialog units are 288 × 221 pixels of client area, and the
// progress frame drawn at (8, 200)–(278, 210) lies inside it. The picker's list, 94 pixels
// high with a sunken edge of 2 on each side, shows six whole rows of one character cell.
TEST_F(Win32Gui, WindowsAreSizedByTheTemplateFont) {
  EXPECT_EQ(backend.DialogBaseUnits("Arial", 8), (fw::Size{6, 13}));
  CDownloadDlg window;
  RECT list{};
  int rowHeight = 0;
  backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& picker) {
    const HWND box = GetDlgItem(Handle(picker), kModelList);
    rowHeight = static_cast<int>(SendMessageA(box, LB_GETITEMHEIGHT, 0, 0));
    GetClientRect(box, &list);
    EXPECT_TRUE(fw::SelectItem(picker, kModelList, kTqr23Row));
  });
  RECT client{};
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog&) {
    GetClientRect(Handle(window), &client);
    window.EndDialog(fw::IDOK);
  });
  EXPECT_EQ(window.DoModal(), fw::IDOK);
  EXPECT_EQ(client.right - client.left, 288);
  EXPECT_EQ(client.bottom - client.top, 221);
  EXPECT_EQ(window.modelName, "TQR-23");
  EXPECT_EQ(rowHeight, 13);
  EXPECT_EQ(list.bottom - list.top, 6 * 13);
}

// Enter and Escape reach the main window through the dialog loop and are swallowed there:
// the window ends only by the close that follows them.
TEST_F(Win32Gui, MainWindowSwallowsEnterAndEscape) {
  CDownloadDlg window;
  PickTqr23();
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog&) {
    const HWND button = GetDlgItem(Handle(window), res::kConfigButton);
    SetFocus(button);
    PostMessageA(button, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 0);
    window.PostClose();
  });
  EXPECT_EQ(window.DoModal(), fw::IDCANCEL);
}

// The settings dialog opened over the main window reaches the screen itself: the screen
// shows there what the dialog painted, not a dark or empty rectangle, and the controls its
// initialisation hid (the IP address and TCP port of a serial line) are hidden.
TEST_F(Win32Gui, SettingsDialogIsShownOnTheScreen) {
  CDownloadDlg window;
  PickTqr23();
  double shown = 0;
  backend.WhenOpened(res::kPortConfigDialog, [&](fw::Dialog& settings) {
    for (int i = 0; i < 60 && shown < 0.99; ++i) {
      PumpMessages(50);
      shown = ShareShownOnScreen(backend, settings);
    }
    for (const fw::ControlState& c : settings.Controls()) {
      if (c.id == res::kUnnamedControl) continue;
      const HWND control = GetDlgItem(Handle(settings), c.id);
      EXPECT_EQ(IsWindowVisible(control) != FALSE, c.visible) << "control " << c.id;
    }
    EXPECT_TRUE(fw::Click(settings, res::kPortCancelButton));
  });
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog&) {
    EXPECT_TRUE(fw::Click(window, res::kConfigButton));
    window.EndDialog(fw::IDOK);
  });
  EXPECT_EQ(window.DoModal(), fw::IDOK);
  EXPECT_GE(shown, 0.99);
}

// The whole interactive road into the printer simulator over TCP: pick TQR-23, set
// Ethernet 127.0.0.1 and the simulator's port, choose the file in the system's open-file
// dialog, download, and close the notice after the end step has run behind it.
TEST_F(Win32Gui, InteractiveDownloadIntoTheSimulator) {
  const std::string tcpPort = Environment("VRTQLX_SIM_TCP_PORT");
  const std::string firmware = Environment("VRTQLX_TEST_FIRMWARE");
  if (tcpPort.empty() || firmware.empty()) GTEST_SKIP() << "no printer simulator named";
  // The application's start step starts the sockets; this test runs the window alone.
  ASSERT_FALSE(platform::StartSockets().has_value());

  CDownloadDlg window;
  PickTqr23();
  backend.WhenOpened(res::kPortConfigDialog, [&](fw::Dialog& settings) {
    EXPECT_TRUE(fw::Click(settings, res::kEthernetRadio));
    EXPECT_TRUE(fw::TypeIpAddress(settings, res::kIpAddress, {127, 0, 0, 1}));
    EXPECT_TRUE(fw::TypeText(settings, res::kTcpPortEdit, tcpPort));
    EXPECT_TRUE(fw::Click(settings, res::kPortOkButton));
  });
  int fileDialogs = 0;
  backend.WhenBoxShown([&](HWND box) {
    // The file name field of the open-file dialog; any other box is a message box.
    if (!GetDlgItem(box, cmb13)) {
      char text[512] = {};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
      ADD_FAILURE() << "message box: " << text;
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(fw::IDOK, BN_CLICKED), 0);
      return;
    }
    ++fileDialogs;
    SendMessageA(box, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(firmware.c_str()));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(fw::IDOK, BN_CLICKED), 0);
  });
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog&) {
    EXPECT_TRUE(fw::Click(window, res::kConfigButton));
    EXPECT_EQ(window.port.portName, "127.0.0.1");
    EXPECT_EQ(std::to_string(window.port.baudRate), tcpPort);
    EXPECT_TRUE(fw::Click(window, res::kSelectButton));
    EXPECT_EQ(window.helpText, "HELP : Ready firmware download.");
    EXPECT_TRUE(fw::Click(window, res::kDownloadButton));
  });
  backend.WhenOpened(res::kNoticeDialog, [&](fw::Dialog& notice) {
    // The end step runs on the main window's timer while the notice's loop is running.
    MSG msg;
    while (window.helpText != "HELP : Finished firmware download." &&
           GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    EXPECT_TRUE(window.IsItemEnabled(res::kExitButton));
    EXPECT_TRUE(fw::Click(notice, kNoticeButton));
    EXPECT_TRUE(fw::Click(window, res::kExitButton));
  });
  EXPECT_EQ(window.DoModal(), fw::IDOK);
  EXPECT_EQ(fileDialogs, 1);
  EXPECT_EQ(window.downloadFailed, 0);
}

}  // namespace
