#include <unistd.h>

#include <QListWidget>
#include <QWindow>

#include "app/firmware_app.h"
#include "app/model_catalogue.h"
#include "download/download_dlg.h"
#include "gui_fixture.h"
#include "res/resource_ids.h"
#include "support/temp_dir.h"
#include "ui/notice_dlg.h"
#include "ui/printer_select_dlg.h"

namespace {

class PickerGui : public GuiTest {
 protected:
  QListWidget* List(fw::Dialog& picker) {
    return dynamic_cast<QListWidget*>(ControlWidget(picker, 1018));
  }
  CPrinterSelectDlg picker;
};

TEST_F(PickerGui, ListsTheCatalogueAndAClickChoosesAtOnce) {
  backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& d) {
    QListWidget* list = List(d);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 39);
    int row = 0;
    for (const auto& model : ModelCatalogue()) {
      EXPECT_EQ(list->item(row++)->text().toStdString(), model.name);
    }
    EXPECT_TRUE(backend.WindowOf(d)->windowFlags() & Qt::WindowStaysOnTopHint);
    // Whole rows of the font's cell height: 94 pixels of template trimmed.
    const int rowHeight = list->visualItemRect(list->item(0)).height();
    EXPECT_EQ(rowHeight, 13);
    EXPECT_EQ(list->viewport()->height() % rowHeight, 0);
    EXPECT_EQ(list->viewport()->height() / rowHeight, 7);
    // The list is above the group box listed after it: no frame line crosses the rows.
    const QImage shot = Render(d);
    const QRect rows(list->viewport()->mapTo(backend.WindowOf(d), QPoint(0, 0)),
                     list->viewport()->size());
    EXPECT_EQ(CountColour(shot, rows, fw::Color{160, 160, 160}), 0);
    EXPECT_EQ(PixelAt(shot, 2, 60), (fw::Color{160, 160, 160}));  // the frame beside the list
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(0)).center());
  });
  EXPECT_EQ(picker.DoModal(), fw::IDOK);
  EXPECT_EQ(picker.modelName, "TQR-01");
  EXPECT_EQ(picker.modelCode, 2001);
}

TEST_F(PickerGui, DownArrowChoosesAndCloses) {
  backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& d) {
    QListWidget* list = List(d);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
  });
  EXPECT_EQ(picker.DoModal(), fw::IDOK);
  EXPECT_FALSE(picker.modelName.empty());
  EXPECT_EQ(picker.modelCode, ModelCodeForName(picker.modelName));
}

TEST_F(PickerGui, EnterWithNothingChosenDoesNothingEscapeCancels) {
  backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& d) {
    QListWidget* list = List(d);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(d.EndRequested());
    EXPECT_TRUE(list->selectedItems().isEmpty());
    // The label and the frame let the mouse through: the face drags.
    QTest::mousePress(backend.WindowOf(d), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(backend.DragRequests(), 1);
    QTest::keyClick(list, Qt::Key_Escape);
  });
  EXPECT_EQ(picker.DoModal(), fw::IDCANCEL);
  EXPECT_TRUE(picker.modelName.empty());
}

TEST_F(PickerGui, EscapeEndsTheProgramWithCodeOneBeforeTheMainWindow) {
  testsupport::TempDir work;
  char here[4096];
  const std::string previous = getcwd(here, sizeof here) ? here : "/";
  ASSERT_EQ(chdir(work.path().c_str()), 0);
  CFirmwareApp app;
  app.SetCommandLine(std::vector<std::string>{"vrtqlx"});
  backend.WhenOpened(res::kPrinterSelectDialog,
                     [&](fw::Dialog& d) { QTest::keyClick(backend.WindowOf(d), Qt::Key_Escape); });
  EXPECT_EQ(app.Run(), 1);
  EXPECT_EQ(backend.OpenedTemplates(), std::vector<int>{res::kPrinterSelectDialog});
  ASSERT_EQ(chdir(previous.c_str()), 0);
}

// The picker ends on the first press of a double click. The main window then lies under the
// pointer with Exit beneath the seventh row; the second click of the double click must not
// press it, and a later click does.
TEST_F(PickerGui, DoubleClickOnTheSeventhRowLeavesTheMainWindowAlone) {
  CDownloadDlg window;
  QPoint global;
  backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& d) {
    QListWidget* list = List(d);
    const QRect seventh = list->visualItemRect(list->item(6));
    global = list->viewport()->mapToGlobal(QPoint(seventh.right() - 10, seventh.center().y()));
    QWindow* handle = backend.WindowOf(d)->windowHandle();
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, handle->mapFromGlobal(global));
  });
  bool exitUnderPointer = false;
  bool endedBySecondClick = true;
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog&) {
    fw::qt::DialogWindow* mainWindow = backend.WindowOf(window);
    QWidget* exitButton = ControlWidget(window, res::kExitButton);
    exitUnderPointer =
        exitButton && mainWindow->childAt(mainWindow->mapFromGlobal(global)) == exitButton;
    // The rest of the double click, through the window system, timed as one.
    QWindow* handle = mainWindow->windowHandle();
    const QPointF local = handle->mapFromGlobal(global);
    int time = QTest::lastMouseTimestamp;
    for (QEvent::Type type :
         {QEvent::MouseButtonRelease, QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      const Qt::MouseButtons held =
          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
      qt_handleMouseEvent(handle, local, global, held, Qt::LeftButton, type, Qt::NoModifier,
                          ++time);
    }
    QTest::lastMouseTimestamp = time + QTest::mouseDoubleClickInterval;
    QApplication::processEvents();
    endedBySecondClick = window.EndRequested();
    EXPECT_TRUE(window.IsItemEnabled(res::kConfigButton));
    EXPECT_FALSE(window.IsItemEnabled(res::kSelectButton));
    EXPECT_FALSE(window.IsItemEnabled(res::kDownloadButton));
    EXPECT_TRUE(window.IsItemEnabled(res::kExitButton));
    EXPECT_FALSE(window.Item(res::kExitButton)->pressed);
    QTest::mouseClick(handle, Qt::LeftButton, Qt::NoModifier, local.toPoint());
  });
  EXPECT_EQ(window.DoModal(), fw::IDOK);
  EXPECT_EQ(window.modelName, "TQR-07");
  EXPECT_TRUE(exitUnderPointer);
  EXPECT_FALSE(endedBySecondClick);
}

using NoticeGui = GuiTest;

TEST_F(NoticeGui, PictureAndOkButtonWithCaptionAt42) {
  CNoticeDlg notice;
  QImage shot;
  backend.WhenOpened(res::kNoticeDialog, [&](fw::Dialog& d) {
    shot = Render(d);
    QWidget* ok = ControlWidget(d, 1016);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->geometry(), QRect(117, 163, 108, 22));
    // Dragging starts anywhere on the face outside the button, the picture included.
    QTest::mousePress(backend.WindowOf(d), Qt::LeftButton, Qt::NoModifier, QPoint(160, 40));
    EXPECT_EQ(backend.DragRequests(), 1);
    QTest::keyClick(backend.WindowOf(d), Qt::Key_Return);
  });
  EXPECT_EQ(notice.DoModal(), fw::IDOK);
  ASSERT_EQ(shot.size(), QSize(344, 192));
  EXPECT_EQ(PixelAt(shot, 0, 100), (fw::Color{0, 0, 0}));  // the frame, the bottom line too
  EXPECT_EQ(PixelAt(shot, 100, 191), (fw::Color{0, 0, 0}));
  // "Warnning" in red at the top of the picture, "Firmware Download" in black below it.
  EXPECT_GT(CountColour(shot, QRect(3, 1, 330, 40), fw::Color{220, 0, 0}), 200);
  EXPECT_GT(CountColour(shot, QRect(3, 70, 330, 30), fw::Color{0, 0, 0}), 200);
  EXPECT_GT(CountColour(shot, QRect(3, 120, 330, 40), fw::Color{0, 0, 200}), 100);
  // The OK caption starts 42 pixels into the button.
  int firstX = INT_MAX;
  for (int y = 163; y < 185; ++y) {
    for (int x = 117; x < 225; ++x) {
      if (PixelAt(shot, x, y) == fw::Color{40, 40, 40}) firstX = std::min(firstX, x);
    }
  }
  EXPECT_GE(firstX, 117 + 42);
  EXPECT_LE(firstX, 117 + 44);
}

TEST_F(NoticeGui, EscapeEndsWithCancel) {
  CNoticeDlg notice;
  backend.WhenOpened(res::kNoticeDialog,
                     [&](fw::Dialog& d) { QTest::keyClick(backend.WindowOf(d), Qt::Key_Escape); });
  EXPECT_EQ(notice.DoModal(), fw::IDCANCEL);
}

}  // namespace
