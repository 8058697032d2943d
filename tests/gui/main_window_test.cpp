#include <QListWidget>

#include "app/model_catalogue.h"
#include "download/download_dlg.h"
#include "gui_fixture.h"
#include "res/resource_ids.h"

namespace {

using MainWindowGui = GuiTest;

TEST_F(MainWindowGui, RendersFaceButtonsLinesAndBar) {
  CDownloadDlg window;
  backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& picker) {
    auto* list = dynamic_cast<QListWidget*>(ControlWidget(picker, 1018));
    ASSERT_NE(list, nullptr);
    list->setCurrentRow(22);  // TQR-23
  });
  QImage shot;
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog&) {
    window.progress = 100;
    window.InvalidateAll();
    shot = Render(window);
    fw::qt::SaveDialogPng(backend, window, "/tmp/main_window.png");
    window.EndDialog(fw::IDOK);
  });
  EXPECT_EQ(window.DoModal(), fw::IDOK);
  EXPECT_EQ(window.modelName, "TQR-23");
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.size(), QSize(288, 221));
}

}  // namespace
