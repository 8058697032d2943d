#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <string>

#include "framework/backend.h"
#include "framework/dialog.h"
#include "framework/dialog_colors.h"
#include "framework/message_box.h"
#include "framework/qt/dialog_window.h"
#include "framework/qt/png_rendering.h"
#include "framework/qt/qt_backend.h"

// One QApplication for the whole test program (offscreen, as CTest sets it), and a fresh
// Qt backend installed for each test.
class GuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!qApp) {
      static int argc = 1;
      static char name[] = "test_gui";
      static char* argv[] = {name, nullptr};
      new QApplication(argc, argv);
    }
  }

  GuiTest() { fw::SetDialogColors(fw::Rgb(255, 255, 255), fw::Rgb(80, 80, 80)); }

  // The widget that shows control `id` of the open dialog.
  QWidget* ControlWidget(const fw::Dialog& dialog, int id) {
    fw::qt::DialogWindow* window = backend.WindowOf(dialog);
    if (!window) return nullptr;
    const auto& controls = dialog.Controls();
    const auto children = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
      for (const auto& c : controls) {
        if (c.id == id && child->geometry().topLeft() == QPoint(c.rect.left, c.rect.top)) {
          return child;
        }
      }
    }
    return nullptr;
  }

  void ClickControl(const fw::Dialog& dialog, int id) {
    QWidget* widget = ControlWidget(dialog, id);
    ASSERT_NE(widget, nullptr) << "control " << id;
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  }

  QImage Render(const fw::Dialog& dialog) { return fw::qt::RenderDialog(backend, dialog); }

  fw::qt::QtBackend backend;
  fw::ScopedBackend scoped{backend};
};

inline fw::Color PixelAt(const QImage& image, int x, int y) {
  const QRgb p = image.pixel(x, y);
  return fw::Rgb(qRed(p), qGreen(p), qBlue(p));
}

// How many pixels of `box` have exactly this colour.
inline int CountColour(const QImage& image, const QRect& box, fw::Color colour) {
  int n = 0;
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) {
      if (PixelAt(image, x, y) == colour) ++n;
    }
  }
  return n;
}

inline std::ostream& operator<<(std::ostream& os, const fw::Color& c) {
  return os << "RGB(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}
