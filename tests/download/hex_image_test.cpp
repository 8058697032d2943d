#include "download/hex_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "download/hex_records.h"

namespace {

using hextest::DataRecord;
using hextest::Image;
using hextest::IntelRecord;
using hextest::S3Record;

TEST(HexImage, IntelHexDataRecordLandsInAnAreaOfOnes) {
  auto area = Image(":0400000001020304F2\n:00000001FF\n");
  ASSERT_EQ(area.size(), kHexImageSize);
  EXPECT_EQ(area[0], 1);
  EXPECT_EQ(area[3], 4);
  EXPECT_EQ(area[4], 0xFF);
  EXPECT_EQ(area[kHexImageSize - 1], 0xFF);
}

TEST(HexImage, AddressRecordsMoveLaterDataAndChecksumsAreNotChecked) {
  auto area = Image(":020000021000EC\n:02001000AABB00\n");
  EXPECT_EQ(area[0x10010], 0xAA);
  EXPECT_EQ(area[0x10011], 0xBB);
  EXPECT_EQ(area[0x10], 0xFF);
  // A linear address record gives the upper 16 bits; the record that comes last decides,
  // and start-address records place nothing.
  auto linear = Image(
      ":020000040003F7\n:02001000CCDD44\n:0400000500001234B1\n:0400000300201000C9\n"
      ":020000021000EC\n:01002000EEF1\n");
  EXPECT_EQ(linear[0x30010], 0xCC);
  EXPECT_EQ(linear[0x30011], 0xDD);
  EXPECT_EQ(linear[0x10020], 0xEE);
  EXPECT_EQ(linear[0x10], 0xFF);
  EXPECT_EQ(linear[0x20], 0xFF);
  EXPECT_EQ(std::count(linear.begin(), linear.end(), 0xFF), kHexImageSize - 3);
  Image(":020000040004F6\n:0100000011EE\n", false);  // linear base 0x40000
}

TEST(HexImage, SRecordsUseTheWidthOfTheFirstDataLine) {
  // S0 header, then S2 lines with 3-byte addresses; the S1 line is ignored.
  auto s2 = Image("S00600004844521B\ns2060000101122FF\nS1050000AABBCC\nS804000000FB\n");
  EXPECT_EQ(s2[0x10], 0x11);
  EXPECT_EQ(s2[0x11], 0x22);
  EXPECT_EQ(s2[0], 0xFF);
  auto s3 = Image("S30700000020334400\n");
  EXPECT_EQ(s3[0x20], 0x33);
  EXPECT_EQ(s3[0x21], 0x44);
}

TEST(HexImage, PairsThatAreNotPlainDigitsAreReadAsTheLibraryReadsThem) {
  EXPECT_EQ(Image(":01000000 5EE\n")[0], 0x05);  // a leading blank is skipped
  EXPECT_EQ(Image(":010000000xEE\n")[0], 0x00);  // "0x" alone is a zero
  EXPECT_EQ(Image(":010000007zEE\n")[0], 0x07);  // reading stops at the first non-digit
  EXPECT_EQ(Image(":01000000abEE\n")[0], 0xAB);  // lower-case digits
}

TEST(HexImage, ByteCountsOfEightyAndMorePlaceThatManyBytes) {
  auto area = Image(DataRecord(0x100, 0x90, 0x5A));
  EXPECT_EQ(area[0x100 + 0x8F], 0x5A);
  EXPECT_EQ(area[0x100 + 0x90], 0xFF);
}

TEST(HexImage, RefusesTextOfNoKnownKind) {
  struct Row {
    const char* text;
    HexRecordKind kind;
  };
  const Row rows[] = {
      {"", HexRecordKind::Undecided},
      {"S0030000FC\n", HexRecordKind::Undecided},
      {"hello\n:00000001FF\n", HexRecordKind::Invalid},
      {":00000001FF\nS2060000101122FF\n", HexRecordKind::Invalid},
      {"\n\n:00000001FF\n\n", HexRecordKind::IntelHex},
      {"S2060000101122FF\ns3070000002033FF\n", HexRecordKind::S2},
  };
  for (const auto& row : rows) EXPECT_EQ(DetectHexRecordKind(row.text), row.kind) << row.text;
  Image("hello\n", false);
  Image("", false);
}

TEST(HexImage, TheAreaHoldsExactlyItsSizeInDataBytes) {
  std::string full;
  for (int segment = 0; segment < 4; ++segment) {
    char record[32];
    std::snprintf(record, sizeof record, ":02000002%04X00\n", segment * 0x1000);
    full += record;
    for (int address = 0; address < 0x10000; address += 0x80) {
      full += DataRecord(address, 0x80, segment);
    }
  }
  auto area = Image(full);
  EXPECT_EQ(area[0x3FFFF], 3);
  Image(full + DataRecord(0, 1, 7), false);
}

TEST(HexImage, TextCutShortFailsAndABadLineIsNamed) {
  std::vector<uint8_t> area;
  std::string why;
  EXPECT_FALSE(BuildHexImage(":0100000011EE\n", area, &why));
  EXPECT_EQ(why, "no end record: the text is cut short");
  EXPECT_FALSE(BuildHexImage("S30700000020334400\n", area, &why));
  EXPECT_FALSE(BuildHexImage(":0100000011EE\n\n:04000000010203\n:00000001FF\n", area, &why));
  EXPECT_EQ(why.rfind("line 3: ", 0), 0u) << why;
  // What follows the end record is not read.
  EXPECT_TRUE(BuildHexImage(":0100000011EE\n:00000001FF\n:04000000010203\n", area));
}

TEST(HexImage, BytesOutsideTheAreaAndShortRecordsFail) {
  Image(":020000024000BA\n:0100000011EE\n", false);  // segment base 0x40000
  Image("S30800FFFFFF1122FF\n", false);              // far above the area
  Image(":04000000010203\n", false);                 // four bytes promised, three given
  Image(":0\n", true);                               // no record type: ignored
  Image(":0100000Z11\n", true);                      // record type 'Z': ignored
}

}  // namespace
