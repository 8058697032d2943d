// Renders the operator's five windows to PNG files through the program's own Win32
// backend, for the documentation: qlx-screenshots OUTPUT_DIR (under Wine in
// `make screenshots-windows`).
#include <cstdio>
#include <string>

#include "framework/backend.h"
#include "framework/dialog_colors.h"
#include "framework/message_box.h"
#include "framework/win32/png_rendering.h"
#include "framework/win32/win32_api.h"
#include "framework/win32/win32_backend.h"
#include "framework/win32/win32_window_system.h"
#include "operator_tour.h"
#include "platform/run_directory.h"

namespace {

class Screenshots {
 public:
  explicit Screenshots(std::string outDir) : outDir_(std::move(outDir)) {}

  bool Run() {
    auto dir = scratch_.Path();
    auto file = scratch_.CreateFile(kFirmwareName);
    if (!dir || !file) return false;
    firmware_ = dir.value() + "\\" + kFirmwareName;
    fw::SetDialogColors(fw::Rgb(255, 255, 255), fw::Rgb(80, 80, 80));
    backend_.WhenBoxShown([this](HWND box) {
      SendMessageA(box, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(firmware_.c_str()));
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(fw::IDOK, BN_CLICKED), 0);
    });
    screenshots::TakeOperatorTour(
        backend_, [this](const fw::Dialog& dialog, const char* name) { Save(dialog, name); });
    return saved_ == 5;
  }

 private:
  void Save(const fw::Dialog& dialog, const char* name) {
    const std::string path = outDir_ + "\\" + name;
    if (fw::win32::SaveDialogPng(backend_, dialog, path)) {
      ++saved_;
      std::printf("%s\n", name);
    } else {
      std::fprintf(stderr, "qlx-screenshots: cannot write %s\n", path.c_str());
    }
  }

  std::string outDir_;
  // The file chosen in the main window's file dialog; it is never downloaded.
  static constexpr const char* kFirmwareName = "TQR-23_V1.00_120826.fls";
  platform::RunDirectory scratch_;
  std::string firmware_;
  fw::win32::Win32Backend backend_;
  fw::ScopedBackend scoped_{backend_};
  int saved_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: qlx-screenshots OUTPUT_DIR\n", stderr);
    return 2;
  }
  fw::win32::RegisterCommonControls();
  return Screenshots(argv[1]).Run() ? 0 : 1;
}
