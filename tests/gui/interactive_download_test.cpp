#include <unistd.h>

#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <fstream>
#include <random>

#include "download/download_dlg.h"
#include "gui_fixture.h"
#include "res/resource_ids.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

constexpr fw::Color kBar{135, 206, 250};

class InteractiveDownloadGui : public GuiTest {
 protected:
  InteractiveDownloadGui() {
    char here[4096];
    previousDir = getcwd(here, sizeof here) ? here : "/";
    EXPECT_EQ(chdir(work.path().c_str()), 0);
  }
  ~InteractiveDownloadGui() override { EXPECT_EQ(chdir(previousDir.c_str()), 0); }

  std::string MakeFirmware(size_t bytes) {
    std::string image(bytes, '\0');
    std::mt19937 random(7);
    for (char& c : image) c = static_cast<char>(random());
    const std::string path = work.Join("TQR-23_V1.00_120826.fls");
    testsupport::WriteFile(path, image);
    return path;
  }

  testsupport::TempDir work;
  std::string previousDir;
};

// Pick TQR-23, configure Ethernet to the printer simulator, choose the file in Qt's file
// dialog, download, and see the end step run while the notice is still open.
TEST_F(InteractiveDownloadGui, PickConfigureChooseDownloadNotice) {
  const std::string received = work.Join("received.bin");
  testsupport::ChildProcess printer({VRTQLX_SIM_BINARY, "tcp", "--port", "0", "--out", received});
  const auto ready = printer.ReadLine(10000);
  ASSERT_TRUE(ready && ready->rfind("ready 127.0.0.1:", 0) == 0) << ready.value_or("");
  const std::string tcpPort = ready->substr(ready->find(':') + 1);
  const std::string firmware = MakeFirmware(96 * 1024);

  CDownloadDlg window;
  backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& picker) {
    auto* list = dynamic_cast<QListWidget*>(ControlWidget(picker, 1018));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(22)).center());
  });
  QImage settingsShot;
  std::vector<QRect> buttonRects;
  backend.WhenOpened(res::kPortConfigDialog, [&](fw::Dialog& settings) {
    ClickControl(settings, res::kEthernetRadio);
    ASSERT_TRUE(settings.IsItemVisible(res::kIpAddress));
    QWidget* address = ControlWidget(settings, res::kIpAddress);
    ASSERT_NE(address, nullptr);
    const auto fields = address->findChildren<QLineEdit*>();
    ASSERT_EQ(fields.size(), 4);
    // Typed straight through, key by key, into whichever field has the caret: a third digit
    // or a dot moves on, a value above 255 cannot be typed, Backspace goes back.
    auto type = [&](const QString& keys) {
      for (const QChar c : keys) {
        QWidget* caret = address->window()->focusWidget();
        QTest::keyClick(caret ? caret : fields[0],
                        c == '\b' ? Qt::Key_Backspace : static_cast<Qt::Key>(c.unicode()));
      }
    };
    auto shown = [&] {
      QStringList texts;
      for (auto* field : fields) texts << field->text();
      return texts.join('|').toStdString();
    };
    fields[0]->setFocus();
    type("10.1.2.300");
    EXPECT_EQ(shown(), "10|1|2|30");
    type("\b\b\b\b\b");  // the 30 and on into the field before, taking its 2
    EXPECT_EQ(shown(), "10|1||");
    for (auto* field : fields) field->clear();
    fields[0]->setFocus();
    type("127.0.0.1");
    EXPECT_EQ(shown(), "127|0|0|1");
    auto* portEdit = dynamic_cast<QLineEdit*>(ControlWidget(settings, res::kTcpPortEdit));
    ASSERT_NE(portEdit, nullptr);
    portEdit->clear();
    QTest::keyClicks(portEdit, QString::fromStdString("x" + tcpPort));  // the letter is refused
    settingsShot = Render(settings);
    for (int id : {res::kPortOkButton, res::kPortCancelButton}) {
      buttonRects.push_back(ControlWidget(settings, id)->geometry());
    }
    ClickControl(settings, res::kPortOkButton);
  });
  std::vector<std::string> filters;
  backend.WhenBoxShown([&](QDialog& box) {
    auto* files = dynamic_cast<QFileDialog*>(&box);
    ASSERT_NE(files, nullptr);
    for (const QString& f : files->nameFilters()) filters.push_back(f.toStdString());
    files->selectFile(QString::fromStdString(firmware));
    static_cast<QDialog*>(files)->accept();
  });
  QImage endShot;
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog&) {
    ClickControl(window, res::kConfigButton);
    EXPECT_EQ(window.port.portName, "127.0.0.1");
    EXPECT_EQ(window.port.baudRate, std::stoi(tcpPort));
    EXPECT_EQ(window.helpText, "HELP : Select Firmware File.");
    ClickControl(window, res::kSelectButton);
    EXPECT_EQ(window.firmwarePath, firmware);
    EXPECT_EQ(window.helpText, "HELP : Ready firmware download.");
    ClickControl(window, res::kDownloadButton);
    EXPECT_FALSE(window.IsItemEnabled(res::kExitButton));
  });
  backend.WhenOpened(res::kNoticeDialog, [&](fw::Dialog& notice) {
    // The main window's end step runs behind the open notice.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window.helpText == "HELP : Finished firmware download."; }, 10000));
    for (int id :
         {res::kConfigButton, res::kSelectButton, res::kDownloadButton, res::kExitButton}) {
      EXPECT_TRUE(window.IsItemEnabled(id)) << id;
    }
    endShot = Render(window);
    ClickControl(notice, 1016);
    QTimer::singleShot(0, [&] { ClickControl(window, res::kExitButton); });
  });

  EXPECT_EQ(window.DoModal(), fw::IDOK);
  EXPECT_EQ(backend.OpenedTemplates(),
            (std::vector<int>{res::kPrinterSelectDialog, res::kMainDialog, res::kPortConfigDialog,
                              res::kNoticeDialog}));
  EXPECT_EQ(filters, std::vector<std::string>{"Firmware File(*.fls)"});
  EXPECT_EQ(window.downloadFailed, 0);

  const auto summary = printer.ReadLine(10000);
  ASSERT_TRUE(summary.has_value());
  EXPECT_EQ(summary->rfind("received 98304 bytes", 0), 0u) << *summary;
  EXPECT_EQ(testsupport::ReadFile(received), testsupport::ReadFile(firmware));

  // The full bar behind the notice: (9, 201) to (277, 209).
  ASSERT_FALSE(endShot.isNull());
  EXPECT_EQ(CountColour(endShot, QRect(10, 202, 266, 6), kBar), 266 * 6);
  // The settings dialog's skinned buttons at their face size, captions at 17, 3.
  ASSERT_FALSE(settingsShot.isNull());
  ASSERT_EQ(buttonRects.size(), 2u);
  for (const QRect& face : buttonRects) {
    EXPECT_EQ(face.size(), QSize(108, 22));
    int firstX = INT_MAX;
    int firstY = INT_MAX;
    for (int y = face.top(); y <= face.bottom(); ++y) {
      for (int x = face.left(); x <= face.right(); ++x) {
        if (PixelAt(settingsShot, x, y) == fw::Color{40, 40, 40}) {
          firstX = std::min(firstX, x);
          firstY = std::min(firstY, y);
        }
      }
    }
    EXPECT_GE(firstX, face.left() + 17);
    EXPECT_LE(firstX, face.left() + 19);
    EXPECT_GE(firstY, face.top() + 3);
    EXPECT_LE(firstY, face.top() + 6);
  }
}

}  // namespace
