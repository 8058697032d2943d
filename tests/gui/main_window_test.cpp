#include <QListWidget>
#include <QStyle>
#include <map>

#include "download/download_dlg.h"
#include "framework/headless/operator_actions.h"
#include "framework/resources.h"
#include "gui_fixture.h"
#include "res/resource_ids.h"
#include "ui/notice_dlg.h"

namespace {

constexpr fw::Color kCaption{40, 40, 40};
constexpr fw::Color kCaptionDisabled{129, 129, 129};
constexpr fw::Color kBar{135, 206, 250};
constexpr fw::Color kBlack{0, 0, 0};
constexpr fw::Color kWhite{255, 255, 255};

// The leftmost and topmost pixel of `colour` inside `box`.
QPoint FirstOf(const QImage& image, const QRect& box, fw::Color colour) {
  QPoint first(INT_MAX, INT_MAX);
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) {
      if (PixelAt(image, x, y) == colour) {
        first.setX(std::min(first.x(), x));
        first.setY(std::min(first.y(), y));
      }
    }
  }
  return first;
}

class MainWindowGui : public GuiTest {
 protected:
  // Opens the main window with TQR-23 picked and runs `check` once it is on screen.
  void OpenWith(std::function<void()> check) {
    backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& picker) {
      auto* list = dynamic_cast<QListWidget*>(ControlWidget(picker, 1018));
      ASSERT_NE(list, nullptr);
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                        list->visualItemRect(list->item(22)).center());
    });
    backend.WhenOpened(res::kMainDialog, [&, check](fw::Dialog&) {
      check();
      window.EndDialog(fw::IDOK);
    });
    EXPECT_EQ(window.DoModal(), fw::IDOK);
  }

  QSize WindowSize(const fw::Dialog& dialog) { return backend.WindowOf(dialog)->size(); }

  CDownloadDlg window;
};

// Dialog units become pixels rounded half away from zero: the Arial 8 pt windows
// (base units 6 x 13) have fixed sizes; the other two fonts depend on what the machine has.
TEST_F(MainWindowGui, EveryWindowTakesItsTemplateSize) {
  std::map<int, QSize> sizes;
  auto record = [&](fw::Dialog& d) { sizes[d.Template().id] = WindowSize(d); };
  backend.WhenOpened(res::kPortConfigDialog, [&](fw::Dialog& d) {
    record(d);
    d.EndDialog(fw::IDCANCEL);
  });
  backend.WhenOpened(res::kAboutDialog, [&](fw::Dialog& d) {
    record(d);
    d.EndDialog(fw::IDOK);
  });
  backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& d) {
    record(d);
    fw::SelectItem(d, 1018, 22);
  });
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog& d) {
    record(d);
    ClickControl(window, res::kConfigButton);
    window.SendSysCommand(0x10);  // the About entry of the system menu
    window.EndDialog(fw::IDOK);
  });
  EXPECT_EQ(window.DoModal(), fw::IDOK);
  backend.WhenOpened(res::kNoticeDialog, [&](fw::Dialog& d) {
    record(d);
    d.EndDialog(fw::IDOK);
  });
  CNoticeDlg notice;
  notice.DoModal();

  auto rounded = [&](const char* font, int points, int w, int h) {
    const fw::Size base = backend.DialogBaseUnits(font, points);
    return QSize((w * base.cx + 2) / 4, (h * base.cy + 4) / 8);
  };
  EXPECT_EQ(sizes[res::kMainDialog], QSize(288, 221));
  EXPECT_EQ(sizes[res::kPrinterSelectDialog], QSize(218, 120));
  EXPECT_EQ(sizes[res::kNoticeDialog], QSize(344, 192));
  EXPECT_EQ(sizes[res::kPortConfigDialog], rounded("Small Fonts", 7, 197, 151));
  EXPECT_EQ(sizes[res::kAboutDialog], rounded("MS Sans Serif", 8, 235, 55));
}

// The About box's two lines are one line high each: the name with its version and the
// notice line fit their width, so neither is cut off.
TEST_F(MainWindowGui, AboutBoxLinesAreWhole) {
  int lines = 0;
  backend.WhenOpened(res::kAboutDialog, [&](fw::Dialog& d) {
    const auto children = backend.WindowOf(d)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const fw::ControlState& c : d.Controls()) {
      if (c.cls != fw::ControlClass::Static) continue;
      for (const QWidget* child : children) {
        if (child->geometry().topLeft() != QPoint(c.rect.left, c.rect.top)) continue;
        ++lines;
        EXPECT_LE(child->fontMetrics().horizontalAdvance(QString::fromStdString(c.text)),
                  child->width())
            << c.text;
      }
    }
    d.EndDialog(fw::IDOK);
  });
  OpenWith([&] { window.SendSysCommand(0x10); });
  EXPECT_EQ(lines, 2);
}

// The settings dialog is system-modal: it stays above the topmost main window. Its radio
// buttons stand on white, enabled or not.
TEST_F(MainWindowGui, SettingsDialogStaysAboveWithRadiosOnWhite) {
  QImage shot;
  std::vector<QRect> radios;
  bool above = false;
  backend.WhenOpened(res::kPortConfigDialog, [&](fw::Dialog& d) {
    d.EnableItem(res::kUsbRadio, false);
    shot = Render(d);
    for (int id : {res::kComRadio, res::kLptRadio, res::kUsbRadio, res::kEthernetRadio}) {
      QWidget* radio = ControlWidget(d, id);
      // Right of the round indicator, which is grey inside when disabled, as it should be.
      const int indicator = radio->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth);
      radios.push_back(radio->geometry().adjusted(indicator, 0, 0, 0));
    }
    QWidget* settings = backend.WindowOf(d);
    above = (settings->windowFlags() & Qt::WindowStaysOnTopHint) &&
            QApplication::activeModalWidget() == settings;
    d.EndDialog(fw::IDCANCEL);
  });
  OpenWith([&] {
    EXPECT_TRUE(backend.WindowOf(window)->windowFlags() & Qt::WindowStaysOnTopHint);
    ClickControl(window, res::kConfigButton);
  });
  EXPECT_TRUE(above);
  ASSERT_EQ(radios.size(), 4u);
  for (const QRect& radio : radios) {
    SCOPED_TRACE(radio.x());
    EXPECT_EQ(CountColour(shot, radio, fw::Color{239, 239, 239}), 0);
    EXPECT_EQ(PixelAt(shot, radio.left(), radio.top()), kWhite);
    EXPECT_EQ(PixelAt(shot, radio.right(), radio.bottom()), kWhite);
  }
}

TEST_F(MainWindowGui, ButtonsTakeTheirFaceSizeWithCaptionsInTheirColours) {
  QImage shot;
  OpenWith([&] { shot = Render(window); });
  ASSERT_EQ(shot.size(), QSize(288, 221));
  struct Row {
    int id;
    int top;
    bool enabled;
  };
  for (const Row& row : {Row{res::kConfigButton, 47, true}, Row{res::kSelectButton, 85, false},
                         Row{res::kDownloadButton, 120, false}, Row{res::kExitButton, 156, true}}) {
    SCOPED_TRACE(row.id);
    const QRect face(164, row.top, 108, 22);
    const fw::Color ink = row.enabled ? kCaption : kCaptionDisabled;
    const fw::Color other = row.enabled ? kCaptionDisabled : kCaption;
    EXPECT_GT(CountColour(shot, face, ink), 20);
    EXPECT_EQ(CountColour(shot, face, other), 0);
    // The caption starts at 17, 3 in the button (within the glyphs' side bearing).
    const QPoint first = FirstOf(shot, face, ink);
    EXPECT_GE(first.x(), 164 + 17);
    EXPECT_LE(first.x(), 164 + 19);
    EXPECT_GE(first.y(), row.top + 3);
    EXPECT_LE(first.y(), row.top + 6);
    // The face: a black (disabled: grey) frame one pixel in from the edge.
    const fw::Color frame = row.enabled ? kBlack : fw::Color{192, 192, 192};
    EXPECT_EQ(PixelAt(shot, 164 + 50, row.top + 1), frame);
    EXPECT_EQ(PixelAt(shot, 164 + 50, row.top), kWhite);
    EXPECT_EQ(PixelAt(shot, 164 + 108, row.top + 10), kWhite);  // right of the face
  }
}

TEST_F(MainWindowGui, ButtonsAreExactlyTheFaceSizeAfterTheFirstPaint) {
  OpenWith([&] {
    Render(window);
    for (int id :
         {res::kConfigButton, res::kSelectButton, res::kDownloadButton, res::kExitButton}) {
      const fw::Rect& r = window.Item(id)->rect;
      EXPECT_EQ(r.Width(), 108) << id;
      EXPECT_EQ(r.Height(), 22) << id;
      QWidget* widget = ControlWidget(window, id);
      ASSERT_NE(widget, nullptr);
      EXPECT_EQ(widget->size(), QSize(108, 22)) << id;
    }
  });
}

TEST_F(MainWindowGui, ProgressBarFillsFromItsOriginInsideTheFrame) {
  QImage empty;
  QImage partway;
  OpenWith([&] {
    empty = Render(window);
    window.progress = 100;
    window.Invalidate(CDownloadDlg::kBarRect);
    window.UpdateWindow();
    partway = Render(window);
  });
  // The frame (8, 200)-(278, 210), right and bottom edges left out.
  for (QPoint p : {QPoint(8, 200), QPoint(277, 200), QPoint(8, 209), QPoint(277, 209)}) {
    EXPECT_EQ(PixelAt(partway, p.x(), p.y()), kBlack) << p.x() << "," << p.y();
  }
  EXPECT_EQ(PixelAt(partway, 278, 205), kWhite);
  EXPECT_EQ(PixelAt(partway, 100, 210), kWhite);
  EXPECT_EQ(CountColour(empty, QRect(9, 201, 268, 8), kBar), 0);
  // The bar: (9, 201) to (109, 209), inside its one-pixel outline.
  EXPECT_EQ(CountColour(partway, QRect(10, 202, 98, 6), kBar), 98 * 6);
  EXPECT_EQ(PixelAt(partway, 9, 205), kBlack);
  EXPECT_EQ(PixelAt(partway, 108, 205), kBlack);
  EXPECT_EQ(PixelAt(partway, 109, 205), kWhite);
}

TEST_F(MainWindowGui, TitleHelpLinesAndModelPicture) {
  QImage shot;
  OpenWith([&] { shot = Render(window); });
  // The title line on its own background down to the line under it at y 15, its text grey.
  EXPECT_EQ(PixelAt(shot, 280, 5), (fw::Color{238, 239, 206}));
  EXPECT_EQ(PixelAt(shot, 280, 14), (fw::Color{238, 239, 206}));
  EXPECT_GT(CountColour(shot, QRect(0, 0, 286, 14), fw::Color{100, 100, 100}), 50);
  EXPECT_EQ(PixelAt(shot, 200, 15), kBlack);
  EXPECT_EQ(PixelAt(shot, 200, 16), kWhite);
  // The help line's text in dark red on white.
  EXPECT_GT(CountColour(shot, QRect(10, 21, 276, 17), fw::Color{100, 0, 0}), 100);
  // TQR-23's picture, 160, from the picture control's corner (9, 44).
  const fw::Image* picture = fw::FindImage(160);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->bitsPerPixel, 8);
  int same = 0;
  for (int y = 0; y < picture->height; ++y) {
    for (int x = 0; x < picture->width; ++x) {
      const uint32_t p = picture->pixels[y * picture->width + x];
      same += PixelAt(shot, 9 + x, 44 + y) == fw::Rgb(p >> 16, (p >> 8) & 0xFF, p & 0xFF);
    }
  }
  EXPECT_EQ(same, picture->width * picture->height);
}

TEST_F(MainWindowGui, EnterEscapeDoNothingAndTheFaceDrags) {
  OpenWith([&] {
    fw::qt::DialogWindow* w = backend.WindowOf(window);
    QTest::keyClick(w, Qt::Key_Return);
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_FALSE(window.EndRequested());
    // The help line lets the mouse through to the face.
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(100, 30));
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(100, 30));
    EXPECT_EQ(backend.DragRequests(), 1);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
  });
}

}  // namespace
