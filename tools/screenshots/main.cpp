// Renders the operator's five windows to PNG files through the program's own Qt backend,
// offscreen, for the documentation: qlx-screenshots OUTPUT_DIR.
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <cstdio>
#include <string>

#include "framework/backend.h"
#include "framework/dialog_colors.h"
#include "framework/message_box.h"
#include "framework/qt/png_rendering.h"
#include "framework/qt/qt_backend.h"
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
    firmware_ = dir.value() + "/" + kFirmwareName;
    fw::SetDialogColors(fw::Rgb(255, 255, 255), fw::Rgb(80, 80, 80));
    backend_.WhenBoxShown([this](QDialog& box) {
      if (auto* files = dynamic_cast<QFileDialog*>(&box)) {
        files->selectFile(QString::fromStdString(firmware_));
        static_cast<QDialog*>(files)->accept();
      }
    });
    screenshots::TakeOperatorTour(
        backend_, [this](const fw::Dialog& dialog, const char* name) { Save(dialog, name); });
    return saved_ == 5;
  }

 private:
  void Save(const fw::Dialog& dialog, const char* name) {
    const std::string path = outDir_ + "/" + name;
    if (fw::qt::SaveDialogPng(backend_, dialog, path)) {
      ++saved_;
      std::printf("%s\n", path.c_str());
    } else {
      std::fprintf(stderr, "qlx-screenshots: cannot write %s\n", path.c_str());
    }
  }

  std::string outDir_;
  // The file chosen in the main window's file dialog; it is never downloaded.
  static constexpr const char* kFirmwareName = "TQR-23_V1.00_120826.fls";
  platform::RunDirectory scratch_;
  std::string firmware_;
  fw::qt::QtBackend backend_;
  fw::ScopedBackend scoped_{backend_};
  int saved_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: qlx-screenshots OUTPUT_DIR\n", stderr);
    return 2;
  }
  QApplication app(argc, argv);
  return Screenshots(argv[1]).Run() ? 0 : 1;
}
