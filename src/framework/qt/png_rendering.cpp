#include "framework/qt/png_rendering.h"

#include <QPixmap>

#include "framework/qt/dialog_window.h"
#include "framework/qt/qt_backend.h"

namespace fw::qt {

QImage RenderDialog(QtBackend& backend, const Dialog& dialog) {
  DialogWindow* window = backend.WindowOf(dialog);
  if (!window) return QImage();
  const int before = window->LayoutChanges();
  QImage image = window->grab().toImage();
  if (window->LayoutChanges() != before) image = window->grab().toImage();
  return image.convertToFormat(QImage::Format_RGB32);
}

bool SaveDialogPng(QtBackend& backend, const Dialog& dialog, const std::string& path) {
  const QImage image = RenderDialog(backend, dialog);
  return !image.isNull() && image.save(QString::fromLocal8Bit(path.c_str()), "PNG");
}

}  // namespace fw::qt
