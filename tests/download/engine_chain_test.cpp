#include <sys/stat.h>

#include <algorithm>
#include <numeric>

#include "download/engine_fixture.h"
#include "framework/headless/operator_actions.h"
#include "framework/message_box.h"
#include "res/resource_ids.h"
#include "support/temp_dir.h"

namespace {

std::string Bytes(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + 3);
  return s;
}

std::vector<int> Range(int from, int to) {
  std::vector<int> v(static_cast<size_t>(to - from + 1));
  std::iota(v.begin(), v.end(), from);
  return v;
}

TEST_F(EngineTest, PortChainSendsBlocksThenSettlesAndClosesASilentWindow) {
  const std::string image = Bytes(10000);
  auto dlg = Window(kModelTQR01, "LPT1", Firmware(image));
  int timersArmedDuringWrites = 0;
  printer->onWrite = [&](size_t) { timersArmedDuringWrites += backend.ArmedTimerCount(); };

  RunSilent(*dlg);

  EXPECT_EQ(printer->writeSizes, (std::vector<size_t>{4096, 4096, 1808}));
  EXPECT_EQ(std::string(printer->received.begin(), printer->received.end()), image);
  EXPECT_EQ(timersArmedDuringWrites, 0);
  // The block that completes the image leaves the bar where the block before it left it.
  std::vector<int> expected{98, 196};
  for (int p : Range(197, 268)) expected.push_back(p);
  EXPECT_EQ(BarProgress(), expected);
  // Three sends, the first settle step, 71 settle periods of 800 ms, notice, end.
  EXPECT_EQ(clock.NowMs() - start, 30u + 10u + 71u * 800u + 10u + 10u);
  EXPECT_FALSE(printer->open);
  EXPECT_EQ(backend.ArmedTimerCount(), 0);
  EXPECT_EQ(dlg->downloadFailed, 0);
  EXPECT_EQ(dlg->bytesSent, 0u);
  EXPECT_TRUE(dlg->imageBuffer.empty());
  EXPECT_EQ(dlg->helpText, "HELP : Finished firmware download.");
  EXPECT_FALSE(testsupport::FileExistsAt(work.Join("lpt.dll")));
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(EngineTest, ImageOfOneBlockGoesInOneTickAndSettlesAllTheWay) {
  auto dlg = Window(kModelTQR23, "LPT1", Firmware(Bytes(4096)));
  RunSilent(*dlg);
  EXPECT_EQ(printer->writeSizes, (std::vector<size_t>{4096}));
  EXPECT_EQ(BarProgress(), Range(1, 268));
  EXPECT_EQ(clock.NowMs() - start, 10u + 10u + 267u * 200u + 10u + 10u);
}

TEST_F(EngineTest, EmptyImagesCountAsComplete) {
  auto empty = Window(kModelTQR23, "LPT1", Firmware(""));
  RunSilent(*empty);
  EXPECT_TRUE(printer->received.empty());
  EXPECT_EQ(empty->downloadFailed, 0);
  EXPECT_EQ(empty->helpText, "HELP : Finished firmware download.");

  auto header = Window(kModelTQB18, "LPT1", Firmware(""));
  RunSilent(*header);
  EXPECT_EQ(printer->received, (std::vector<uint8_t>{0x08, 0x23, 0x6D, 0x74, 0x6D, 0x73}));
}

TEST_F(EngineTest, HeaderIsAddedOnlyToImagesThatLackIt) {
  const std::string withHeader = std::string("\x08\x23\x6D\x74\x6D\x73", 6) + "payload";
  auto dlg = Window(kModelTQB18, "LPT1", Firmware(withHeader));
  RunSilent(*dlg);
  EXPECT_EQ(std::string(printer->received.begin(), printer->received.end()), withHeader);

  printer->received.clear();
  auto other = Window(kModelTQB18, "LPT1", Firmware("payload"));
  RunSilent(*other);
  EXPECT_EQ(std::string(printer->received.begin(), printer->received.end()), withHeader);
}

TEST_F(EngineTest, DevicePathsOfTwoModelsUseSmallBlocksWithoutPause) {
  auto dlg = Window(kModelTQR05, "\\\\?\\usb#vid_7a3c&pid_0105#1-2#{x}", Firmware(Bytes(200)));
  RunSilent(*dlg);
  EXPECT_EQ(printer->writeSizes, (std::vector<size_t>{64, 64, 64, 8}));
  EXPECT_EQ(BarProgress().front(), 76);  // 64 × 240 ÷ 200

  printer->writeSizes.clear();
  auto other = Window(kModelTQR01, "\\\\?\\usb#vid_7a3c&pid_0101#1-2#{x}", Firmware(Bytes(5000)));
  RunSilent(*other);
  EXPECT_EQ(printer->writeSizes, (std::vector<size_t>{4096, 904}));
}

TEST_F(EngineTest, ShortWriteEndsTheDownloadAtOnce) {
  printer->takeAtMost = 5000;
  auto dlg = Window(kModelTQR01, "LPT1", Firmware(Bytes(20000)));
  RunSilent(*dlg);
  EXPECT_EQ(printer->writeSizes, (std::vector<size_t>{4096, 4096}));
  EXPECT_EQ(LastLogLine(), "Write Failed!");
  EXPECT_EQ(dlg->downloadFailed, 1);
  EXPECT_EQ(dlg->helpText, "HELP : Finished firmware download.");
  EXPECT_FALSE(printer->open);
  EXPECT_EQ(clock.NowMs() - start, 20u + 10u + 10u);
}

TEST_F(EngineTest, RefusedStartsReportAndCloseWhatTheyOpened) {
  auto missing = Window(kModelTQR01, "LPT1", work.Join("absent.fls"));
  RunSilent(*missing);
  EXPECT_EQ(LastLogLine(), "File Open Error. filename=" + work.Join("absent.fls"));
  EXPECT_FALSE(printer->open);
  EXPECT_EQ(missing->downloadFailed, 1);
  EXPECT_FALSE(testsupport::FileExistsAt(work.Join("lpt.dll")));

  printer->refuseOpen = true;
  auto noPort = Window(kModelTQR01, "LPT2", Firmware("x"));
  RunSilent(*noPort);
  EXPECT_EQ(LastLogLine(), "Port Open Error. Port=LPT2");
  EXPECT_TRUE(printer->received.empty());
}

TEST_F(EngineTest, ReadOnlyFirmwareStillDownloads) {
  const std::string path = Firmware("read only image");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  auto dlg = Window(kModelTQR23, "LPT1", path);
  RunSilent(*dlg);
  EXPECT_EQ(dlg->downloadFailed, 0);
  EXPECT_EQ(printer->received.size(), 15u);
}

TEST_F(EngineTest, DriverFileIsEmptiedAtStartAndRemovedAtEnd) {
  testsupport::WriteFile(work.Join("lpt.dll"), "old contents");
  bool emptyDuringDownload = false;
  printer->onWrite = [&](size_t) {
    emptyDuringDownload = testsupport::FileExistsAt(work.Join("lpt.dll")) &&
                          testsupport::ReadFile(work.Join("lpt.dll")).empty();
  };
  auto dlg = Window(kModelTQR23, "LPT1", Firmware("abc"));
  RunSilent(*dlg);
  EXPECT_TRUE(emptyDuringDownload);
  EXPECT_FALSE(testsupport::FileExistsAt(work.Join("lpt.dll")));
}

TEST_F(EngineTest, ProgressIsRightForImagesBeyondThirtyTwoBitProducts) {
  // 24 MiB: bytesSent × 240 passes 2^32 before the end of the image.
  auto dlg = Window(kModelTQR23, "LPT1", Firmware(std::string(24u << 20, 'x')));
  RunSilent(*dlg);
  const auto progress = BarProgress();
  ASSERT_GE(progress.size(), 6143u);
  EXPECT_EQ(progress[6142], static_cast<int>(uint64_t{6143} * 4096 * 240 / (24u << 20)));
  EXPECT_EQ(*std::max_element(progress.begin(), progress.begin() + 6143), 239);
}

TEST_F(EngineTest, DownloadWithoutAFileIsRefusedAndTheButtonsComeBack) {
  auto dlg = Window(kModelTQR01, "LPT1", "");
  backend.WhenOpened(res::kPrinterSelectDialog, [](fw::Dialog& d) { fw::SelectItem(d, 1018, 0); });
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog& d) {
    auto& main = static_cast<CDownloadDlg&>(d);
    main.firmwarePath.clear();
    main.OnDownload();
    EXPECT_TRUE(main.IsItemEnabled(res::kDownloadButton));
    EXPECT_TRUE(main.IsItemEnabled(res::kConfigButton));
    fw::Click(d, res::kExitButton);
  });
  EXPECT_EQ(dlg->DoModal(), fw::IDOK);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].text, "No select File!! Select File!");
  EXPECT_EQ(backend.MessageBoxes()[0].caption, "VRT_QLX");
}

TEST_F(EngineTest, InteractiveEndStepRunsBehindTheNotice) {
  auto dlg = Window(kModelTQR23, "LPT1", "");
  const std::string firmware = Firmware(Bytes(100));
  bool cleanedUpBehindNotice = false;
  backend.WhenOpened(res::kPrinterSelectDialog, [](fw::Dialog& d) { fw::SelectItem(d, 1018, 22); });
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog& d) {
    auto& main = static_cast<CDownloadDlg&>(d);
    EXPECT_EQ(main.modelName, "TQR-23");
    EXPECT_FALSE(main.IsItemEnabled(res::kDownloadButton));
    main.port.portName = "LPT1";
    main.firmwarePath = firmware;
    main.OnDownload();
    EXPECT_FALSE(main.IsItemEnabled(res::kExitButton));
    EXPECT_EQ(main.helpText, "HELP : firmware downloading....");
  });
  backend.WhenOpened(res::kNoticeDialog, [&](fw::Dialog& notice) {
    backend.After(1000, [&] {
      cleanedUpBehindNotice = dlg->IsItemEnabled(res::kExitButton) && !printer->open &&
                              dlg->helpText == "HELP : Finished firmware download.";
      fw::Click(notice, 1016);
      backend.After(10, [&] { fw::Click(*dlg, res::kExitButton); });
    });
  });
  EXPECT_EQ(dlg->DoModal(), fw::IDOK);
  EXPECT_TRUE(cleanedUpBehindNotice);
  EXPECT_EQ(backend.OpenedTemplates(),
            (std::vector<int>{res::kPrinterSelectDialog, res::kMainDialog, res::kNoticeDialog}));
}

TEST_F(EngineTest, TwoModelsGetATextMessageAndTheEndStepRunsBehindIt) {
  auto dlg = Window(kModelTQR10, "LPT1", "");
  const std::string firmware = Firmware(Bytes(10));
  backend.SetMessageBoxHoldMs(5000);
  bool endedBehindBox = false;
  backend.WhenOpened(res::kPrinterSelectDialog, [](fw::Dialog& d) { fw::SelectItem(d, 1018, 9); });
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog& d) {
    auto& main = static_cast<CDownloadDlg&>(d);
    main.port.portName = "LPT1";
    main.firmwarePath = firmware;
    main.OnDownload();
    // One send, 268 settle steps of 600 ms from the first, notice at +160230 ms; the box
    // stays open for 5 s after that.
    backend.After(163000, [&] {
      endedBehindBox = backend.MessageBoxes().size() == 1 && !printer->open &&
                       dlg->IsItemEnabled(res::kExitButton);
    });
    backend.After(170000, [&] { fw::Click(*dlg, res::kExitButton); });
  });
  EXPECT_EQ(dlg->DoModal(), fw::IDOK);
  EXPECT_TRUE(endedBehindBox);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].text,
            "Do not turn off the printer until the self-test page is printed automatically.");
  EXPECT_EQ(std::count(backend.OpenedTemplates().begin(), backend.OpenedTemplates().end(),
                       res::kNoticeDialog),
            0);
}

TEST_F(EngineTest, SystemMenuOpensTheAboutBox) {
  auto dlg = Window(kModelTQR01, "LPT1", "");
  backend.WhenOpened(res::kPrinterSelectDialog, [](fw::Dialog& d) { fw::SelectItem(d, 1018, 0); });
  backend.WhenOpened(res::kAboutDialog, [](fw::Dialog& d) {
    EXPECT_EQ(d.GetItemText(-1), "");  // the icon comes first
    fw::PressKey(d, fw::kVkReturn);
  });
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog& d) {
    ASSERT_EQ(d.SystemMenu().size(), 2u);
    EXPECT_EQ(d.SystemMenu()[0].command, 0u);
    EXPECT_EQ(d.SystemMenu()[1].command, 0x10u);
    EXPECT_EQ(d.SystemMenu()[1].text, "&About VORTANE QLX Firmware Downloader...");
    EXPECT_EQ(d.Icon(), res::kAppIcon);
    d.SendSysCommand(0x10);
    fw::Click(d, res::kExitButton);
  });
  EXPECT_EQ(dlg->DoModal(), fw::IDOK);
  EXPECT_EQ(backend.OpenedTemplates(),
            (std::vector<int>{res::kPrinterSelectDialog, res::kMainDialog, res::kAboutDialog}));
}

}  // namespace
