// The conversion's images against those of srec_cat, run as a process (Linux only).
#include <gtest/gtest.h>

#include <string>

#include "download/hex_records.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"

namespace {

using hextest::Image;
using hextest::IntelRecord;
using hextest::S3Record;

// The images equal those srec_cat makes of the same text, for linear and segment
// addresses in Intel HEX and for S3 records.
TEST(HexImage, ImagesEqualThoseOfSrecCat) {
  const std::string srecCat = "/usr/bin/srec_cat";
  if (!testsupport::FileExistsAt(srecCat)) GTEST_SKIP() << "srec_cat is not installed";
  const std::vector<int> run{0x10, 0x21, 0x32, 0x43, 0x54, 0x65, 0x76, 0x87};
  const std::string intel = IntelRecord(4, 0, {0x00, 0x01}) + IntelRecord(0, 0x0000, run) +
                            IntelRecord(0, 0xFFF8, run) + IntelRecord(4, 0, {0x00, 0x03}) +
                            IntelRecord(0, 0xFFF8, run) + IntelRecord(5, 0, {0, 0, 0x12, 0x34}) +
                            IntelRecord(2, 0, {0x10, 0x00}) + IntelRecord(0, 0x0100, run) +
                            IntelRecord(1, 0, {});
  const std::string s3 = "S00600004844521B\n" + S3Record(0, run) + S3Record(0x2ABCD, run) +
                         S3Record(0x3FFF8, run) + "S70500000000FA\n";
  testsupport::TempDir dir;
  for (const auto& [text, format] : {std::pair{intel, "-intel"}, std::pair{s3, "-motorola"}}) {
    testsupport::WriteFile(dir.Join("in.txt"), text);
    auto run = testsupport::RunProcess(srecCat, {dir.Join("in.txt"), format, "-fill", "0xFF", "0",
                                                 "0x40000", "-o", dir.Join("out.bin"), "-binary"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string expected = testsupport::ReadFile(dir.Join("out.bin"));
    const auto area = Image(text);
    EXPECT_EQ(std::string(area.begin(), area.end()), expected) << format;
  }
}

}  // namespace
