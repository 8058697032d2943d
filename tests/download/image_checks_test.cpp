#include <cstring>

#include "download/engine_fixture.h"

namespace {

// An image the check reads as FPGA type `type` (0, 1 or 2).
std::string TypedImage(int type) {
  std::string image(64, '\0');
  image[9] = 0x44;
  std::memcpy(&image[10], "Xesigner", 8);
  image[40] = static_cast<char>(0xCF);
  image[41] = type == 2 ? 0x21 : 0x41;
  image[42] = static_cast<char>(type == 1 ? 0xA1 : 0x00);
  image[43] = 0x03;
  return image;
}

std::vector<uint8_t> Reply(const std::string& text) {
  return {text.begin(), text.end()};
}

TEST(ImageFpgaType, ReadsTheTypeOnlyFromWellFormedImagesOfTwoModels) {
  CDownloadDlg dlg(FakePortBackends(std::make_shared<FakePrinter>()));
  dlg.modelCode = kModelTQR10;
  auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
  EXPECT_EQ(dlg.GetImageFpgaType(bytes(TypedImage(0))), 0);
  EXPECT_EQ(dlg.GetImageFpgaType(bytes(TypedImage(1))), 1);
  EXPECT_EQ(dlg.GetImageFpgaType(bytes(TypedImage(2))), 2);
  EXPECT_EQ(dlg.GetImageFpgaType(bytes(TypedImage(1).substr(0, 43))), -1);

  std::string designer = TypedImage(1);
  std::memcpy(&designer[10], "Designer", 8);
  EXPECT_EQ(dlg.GetImageFpgaType(bytes(designer)), -1);
  // "Designer" starting at offset 9 leaves offsets 10-17 reading "esigner?": it passes.
  std::string shifted = TypedImage(1);
  std::memcpy(&shifted[9], "Designer", 8);
  EXPECT_EQ(dlg.GetImageFpgaType(bytes(shifted)), 1);
  std::string otherKind = TypedImage(1);
  otherKind[41] = 0x42;
  EXPECT_EQ(dlg.GetImageFpgaType(bytes(otherKind)), -1);

  dlg.modelCode = kModelTQR12;
  EXPECT_EQ(dlg.GetImageFpgaType(bytes(TypedImage(1))), -1);
}

TEST(PrinterFirmwareVersion, ComparesAgainstTheSinglePrecisionThreshold) {
  struct Row {
    std::string reply;
    int newer;
  };
  const Row rows[] = {
      {std::string("\x01") + "1.35", 1},  {std::string("\x01") + "1.34", 0},
      {std::string("\x01") + "10.05", 1}, {"", 0},
      {std::string("\x01") + "1.33", 0},  {std::string("\x01") + "2.00xyz", 1},
      {std::string("\x01") + "x", 0},
  };
  for (const auto& row : rows) {
    uint8_t reply[20] = {};
    std::memcpy(reply, row.reply.data(), std::min<size_t>(row.reply.size(), 20));
    EXPECT_EQ(CDownloadDlg::IsPrinterFirmwareNewer(reply), row.newer) << row.reply;
  }
  uint8_t full[20];
  std::memset(full, '9', sizeof full);  // no zero byte anywhere: the text is 20 bytes long
  EXPECT_EQ(CDownloadDlg::IsPrinterFirmwareNewer(full), 1);
}

struct CheckCase {
  const char* name;
  int imageType;
  std::vector<std::vector<uint8_t>> replies;
  const char* refusal;  // nullptr: the download goes on
  size_t queryBytes;    // query bytes the printer received before the image
};

class CompatibilityCheck : public EngineTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CompatibilityCheck, RefusesOrGoesOn) {
  const CheckCase& c = GetParam();
  for (const auto& r : c.replies) printer->replies.push_back(r);
  const std::string image = TypedImage(c.imageType);
  auto dlg = Window(kModelTQR11, "LPT1", Firmware(image));
  RunSilent(*dlg);
  if (c.refusal) {
    EXPECT_EQ(LastLogLine(), c.refusal);
    EXPECT_EQ(dlg->downloadFailed, 1);
    EXPECT_EQ(printer->received.size(), c.queryBytes);
  } else {
    EXPECT_EQ(dlg->downloadFailed, 0);
    EXPECT_EQ(printer->received.size(), c.queryBytes + image.size());
  }
  EXPECT_FALSE(printer->open);
}

const auto kNew = Reply(std::string("\x01") + "1.35");
const auto kOld = Reply(std::string("\x01") + "1.34");

INSTANTIATE_TEST_SUITE_P(
    Cases, CompatibilityCheck,
    ::testing::Values(
        CheckCase{"silent_printer_type0", 0, {}, nullptr, 3},
        CheckCase{"silent_printer_type1", 1, {}, "Please check version of FW.", 3},
        CheckCase{"old_printer_type2", 2, {kOld}, "Please check version of FW.", 3},
        CheckCase{"old_printer_type0", 0, {kOld}, nullptr, 3},
        CheckCase{"new_printer_no_fpga_answer", 1, {kNew}, "You need to check version of FW!!!", 8},
        CheckCase{"new_printer_bad_marker",
                  1,
                  {kNew, Reply("X5abc")},
                  "You need to check version of FW!!!",
                  8},
        CheckCase{"digit_5_is_type1", 1, {kNew, Reply("_5abc")}, nullptr, 8},
        CheckCase{"digit_8_is_not_type1",
                  1,
                  {kNew, Reply("_8abc")},
                  "Please Check the device type of FPGA.",
                  8},
        CheckCase{"lower_hex_b_is_type2", 2, {kNew, Reply("_babc")}, nullptr, 8},
        CheckCase{"upper_hex_B_is_type2", 2, {kNew, Reply("_Babc")}, nullptr, 8},
        CheckCase{"type0_new_printer_digit3", 0, {kNew, Reply("_3abc")}, nullptr, 8}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

TEST_F(EngineTest, NoQueryIsSentForOtherModelsOrOverTcp) {
  auto dlg = Window(kModelTQR12, "LPT1", Firmware(TypedImage(1)));
  RunSilent(*dlg);
  EXPECT_EQ(printer->received.size(), 64u);
}

}  // namespace
