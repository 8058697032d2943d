#include <cstdio>

#include "download/engine_fixture.h"
#include "download/hex_image.h"
#include "framework/headless/operator_actions.h"
#include "res/resource_ids.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

// Runs an interactive download of `operatorFile` for TQR-03 on LPT1 and closes the window.
void DownloadInteractively(fw::HeadlessBackend& backend, CDownloadDlg& dlg,
                           const std::string& operatorFile, std::string& pathAfter) {
  backend.WhenOpened(res::kPrinterSelectDialog, [](fw::Dialog& d) { fw::SelectItem(d, 1018, 2); });
  backend.WhenOpened(res::kNoticeDialog, [](fw::Dialog& d) { fw::Click(d, 1016); });
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog& d) {
    auto& main = static_cast<CDownloadDlg&>(d);
    main.port.portName = "LPT1";
    main.firmwarePath = operatorFile;
    main.OnDownload();
    pathAfter = main.firmwarePath;
    backend.After(600000, [&main] { fw::Click(main, res::kExitButton); });
  });
  dlg.DoModal();
}

TEST_F(EngineTest, HexFirmwareArrivesAsTheConvertedImageAndLeavesNoTemporaryFile) {
  const std::string hex = Firmware(":0400000001020304F2\n:00000001FF\n", "fw.hex");
  auto dlg = Window(kModelTQR03, "LPT1", "");
  std::string pathAfter;
  DownloadInteractively(backend, *dlg, hex, pathAfter);

  ASSERT_EQ(printer->received.size(), 4u + kHexImageSize);
  EXPECT_EQ(std::vector<uint8_t>(printer->received.begin(), printer->received.begin() + 8),
            (std::vector<uint8_t>{0x1B, 0x23, 0x6D, 0x6B, 1, 2, 3, 4}));
  EXPECT_EQ(printer->received.back(), 0xFF);
  EXPECT_EQ(pathAfter, hex);
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(EngineTest, TextThatIsNoHexFailsLoadingAndKeepsTheOperatorsFile) {
  const std::string notHex = Firmware("firmware notes\n", "notes.hex");
  auto dlg = Window(kModelTQR04, "LPT1", "");
  std::string pathAfter;
  DownloadInteractively(backend, *dlg, notHex, pathAfter);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].text, "Failed File Loading!!");
  EXPECT_EQ(pathAfter, notHex);
  EXPECT_TRUE(printer->received.empty());
  EXPECT_TRUE(printer->openedPaths.empty());
}

}  // namespace
