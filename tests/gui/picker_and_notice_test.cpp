#include <unistd.h>

#include <QListWidget>

#include "app/firmware_app.h"
#include "app/model_catalogue.h"
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

using NoticeGui = GuiTest;

TEST_F(NoticeGui, PictureAndOkButtonWithCaptionAt42) {
  CNoticeDlg notice;
  QImage shot;
  backend.WhenOpened(res::kNoticeDialog, [&](fw::Dialog& d) {
    shot = Render(d);
    QWidget* ok = ControlWidget(d, 1016);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->geometry(), QRect(117, 162, 108, 22));
    // Dragging starts anywhere on the face outside the button, the picture included.
    QTest::mousePress(backend.WindowOf(d), Qt::LeftButton, Qt::NoModifier, QPoint(160, 40));
    EXPECT_EQ(backend.DragRequests(), 1);
    QTest::keyClick(backend.WindowOf(d), Qt::Key_Return);
  });
  EXPECT_EQ(notice.DoModal(), fw::IDOK);
  ASSERT_EQ(shot.size(), QSize(343, 191));
  EXPECT_EQ(PixelAt(shot, 0, 100), (fw::Color{0, 0, 0}));  // the frame
  // "Warnning" in red at the top of the picture, "Firmware Download" in black below it.
  EXPECT_GT(CountColour(shot, QRect(3, 1, 330, 40), fw::Color{220, 0, 0}), 200);
  EXPECT_GT(CountColour(shot, QRect(3, 70, 330, 30), fw::Color{0, 0, 0}), 200);
  EXPECT_GT(CountColour(shot, QRect(3, 120, 330, 40), fw::Color{0, 0, 200}), 100);
  // The OK caption starts 42 pixels into the button.
  int firstX = INT_MAX;
  for (int y = 162; y < 184; ++y) {
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
