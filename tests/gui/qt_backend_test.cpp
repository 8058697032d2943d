#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "framework/message_box.h"
#include "framework/qt/file_filter.h"
#include "gui_fixture.h"
#include "res/resources.h"
#include "support/tick_dialog.h"

namespace {

using TimerDialog = testsupport::TickDialog;

using QtBackendGui = GuiTest;

TEST_F(QtBackendGui, TemplateFontGivesItsDialogBaseUnits) {
  res::EnsureResources();
  EXPECT_EQ(backend.DialogBaseUnits("Arial", 8), (fw::Size{6, 13}));
  TimerDialog dlg;
  backend.WhenOpened(500, [&](fw::Dialog& d) {
    EXPECT_EQ(backend.WindowOf(d)->size(), QSize(150, 81));
    // 5, 5, 40, 14 dialog units, each rounded: 7.5 -> 8, 8.125 -> 8, 60, 22.75 -> 23.
    EXPECT_EQ(ControlWidget(d, 1)->geometry(), QRect(8, 8, 60, 23));
    // A window that names no icon of its own shows the application's.
    EXPECT_FALSE(backend.WindowOf(d)->windowIcon().isNull());
    d.EndDialog(fw::IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), fw::IDOK);
}

TEST_F(QtBackendGui, TimersArePeriodicUntilKilledAndKeepFiringUnderAMessageBox) {
  TimerDialog dlg;
  int ticks = 0;
  int ticksUnderBox = 0;
  bool boxOpen = false;
  std::string caption;
  std::string text;
  int buttons = 0;
  backend.WhenBoxShown([&](QDialog& box) {
    auto* message = dynamic_cast<QMessageBox*>(&box);
    ASSERT_NE(message, nullptr);
    caption = message->windowTitle().toStdString();
    text = message->text().toStdString();
    buttons = static_cast<int>(message->buttons().size());
    // The owner's timer ticks on inside the box's loop; the operator then presses OK.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticksUnderBox >= 3; }, 5000));
    message->button(QMessageBox::Ok)->click();
  });
  dlg.onTimer = [&](int id) {
    ++ticks;
    if (boxOpen) ++ticksUnderBox;
    if (id == 7 && ticks == 2) {
      dlg.KillTimer(7);
      dlg.SetTimer(8, 5);
      boxOpen = true;
      EXPECT_EQ(fw::MessageBox("Write Failed!", "VRT_QLX"), fw::IDOK);
      boxOpen = false;
      dlg.KillTimer(8);
      dlg.PostClose();
    }
  };
  backend.WhenOpened(500, [&](fw::Dialog& d) { d.SetTimer(7, 5); });
  EXPECT_EQ(dlg.DoModal(), fw::IDCANCEL);
  EXPECT_GE(ticksUnderBox, 3);
  EXPECT_EQ(caption, "VRT_QLX");
  EXPECT_EQ(text, "Write Failed!");
  EXPECT_EQ(buttons, 1);
  EXPECT_FALSE(backend.TimerArmed(dlg, 7));
}

TEST_F(QtBackendGui, SettingAnArmedTimerAgainRearmsIt) {
  TimerDialog dlg;
  QElapsedTimer clock;
  qint64 firedAt = -1;
  dlg.onTimer = [&](int id) {
    firedAt = clock.elapsed();
    dlg.KillTimer(id);
    dlg.EndDialog(fw::IDOK);
  };
  backend.WhenOpened(500, [&](fw::Dialog& d) {
    clock.start();
    d.SetTimer(3, 10);
    d.SetTimer(3, 150);
  });
  EXPECT_EQ(dlg.DoModal(), fw::IDOK);
  EXPECT_GE(firedAt, 140);
}

TEST_F(QtBackendGui, QuitUnwindsNestedLoopsAndRefusesNewOnes) {
  TimerDialog outer(500);
  TimerDialog inner(501);
  int innerResult = 0;
  backend.WhenOpened(500, [&](fw::Dialog&) { innerResult = inner.DoModal(); });
  backend.WhenOpened(501, [&](fw::Dialog&) { backend.Quit(); });
  EXPECT_EQ(outer.DoModal(), fw::IDABORT);
  EXPECT_EQ(innerResult, fw::IDABORT);
  EXPECT_EQ(TimerDialog().DoModal(), fw::IDABORT);
  EXPECT_EQ(fw::MessageBox("x", "y"), fw::IDABORT);
}

TEST_F(QtBackendGui, FileDialogTakesTheFiltersAndStartsInTheDirectory) {
  QStringList filters;
  QString directory;
  backend.WhenBoxShown([&](QDialog& box) {
    auto* files = dynamic_cast<QFileDialog*>(&box);
    ASSERT_NE(files, nullptr);
    filters = files->nameFilters();
    directory = files->directory().absolutePath();
    files->reject();
  });
  EXPECT_EQ(fw::FileOpenDialog("Firmware File(*.fls)|*.fls|Firmware File(*.bin)|*.bin||", "/tmp"),
            std::nullopt);
  EXPECT_EQ(filters, (QStringList{"Firmware File(*.fls)", "Firmware File(*.bin)"}));
  EXPECT_EQ(directory, "/tmp");
}

TEST(NameFilters, FromTheBarSeparatedFilterForm) {
  const std::pair<std::string, QStringList> cases[] = {
      {"Firmware File(*.hex)|*.hex||", {"Firmware File(*.hex)"}},
      {"Images|*.fls;*.bin||", {"Images (*.fls *.bin)"}},
      {"|*.fls||", {"*.fls"}},
      {"All|*.*|Dangling", {"All (*.*)"}},
      {"", {}},
      {"||||", {}},
  };
  for (const auto& [filter, expected] : cases) {
    EXPECT_EQ(fw::qt::NameFilters(filter), expected) << filter;
  }
}

}  // namespace
