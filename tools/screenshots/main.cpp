// Renders the operator's five windows to PNG files through the program's own Qt backend,
// offscreen, for the documentation: qlx-screenshots OUTPUT_DIR.
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <cstdio>
#include <string>

#include "framework/backend.h"
#include "framework/qt/png_rendering.h"
#include "framework/qt/qt_backend.h"
#include "operator_tour.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: qlx-screenshots OUTPUT_DIR\n", stderr);
    return 2;
  }
  QApplication app(argc, argv);
  fw::qt::QtBackend backend;
  fw::ScopedBackend scoped(backend);
  const bool all = screenshots::SaveOperatorWindows(
      backend, argv[1], '/',
      [&](const fw::Dialog& dialog, const std::string& path) {
        return fw::qt::SaveDialogPng(backend, dialog, path);
      },
      [&](const std::string& firmware) {
        backend.WhenBoxShown([firmware](QDialog& box) {
          if (auto* files = dynamic_cast<QFileDialog*>(&box)) {
            files->selectFile(QString::fromStdString(firmware));
            static_cast<QDialog*>(files)->accept();
          }
        });
      });
  return all ? 0 : 1;
}
