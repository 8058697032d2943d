#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "app/file_error.h"
#include "app_job.h"
#include "platform/file_system.h"

namespace {

struct DiscoveryCase {
  const char* name;
  std::vector<std::string> files;
  std::string model;  // empty: FindAnyFirmware, else FindFirmwareForModel for it
  int outcome;
  std::string firmwareName;
};

const DiscoveryCase kCases[] = {
    {"AnyInEmptyDirectory", {}, "", 0, ""},
    {"AnyTakesTheOnlyFile", {"TQR-03_V1.00_010110.fls"}, "", 1, "TQR-03_V1.00_010110.fls"},
    {"AnyMatchesExtensionWithoutCase", {"TQM-29_V1_010110.FlS"}, "", 1, "TQM-29_V1_010110.FlS"},
    {"AnyRefusesTwoFiles", {"TQR-03_A_010110.fls", "notes.fls"}, "", 0, ""},
    {"AnyRefusesNameWithoutUnderscore", {"firmware.fls"}, "", 0, ""},
    {"AnyRefusesUnknownFamily", {"TQG-36_V1_010110.fls"}, "", 0, ""},
    {"AnyIgnoresOtherExtensions",
     {"TQR-03_A_010110.fls", "TQR-03_A_010110.bin", "x.fls.txt"},
     "",
     1,
     "TQR-03_A_010110.fls"},
    {"AnyPassesOverEmptyAndDotTitles",
     {"TQR-03_A_010110.fls", ".fls", "..fls"},
     "",
     1,
     "TQR-03_A_010110.fls"},
    {"ModelInEmptyDirectory", {}, "TQR-03", 0, ""},
    {"ModelTakesNewerYear",
     {"TQR-03_A_123109.fls", "TQR-03_B_010110.fls"},
     "TQR-03",
     1,
     "TQR-03_B_010110.fls"},
    {"ModelTakesNewerYearListedOtherwise",
     {"TQR-03_B_010110.fls", "TQR-03_A_123109.fls"},
     "TQR-03",
     1,
     "TQR-03_B_010110.fls"},
    {"ModelWithoutDateNeverChosen", {"TQR-03_notes.fls"}, "TQR-03", 0, ""},
    {"ModelWithoutDateBesideDatedFile",
     {"TQR-03_notes.fls", "TQR-03_A_051710.fls"},
     "TQR-03",
     1,
     "TQR-03_A_051710.fls"},
    {"ModelMustMatchWholePrefix", {"TQR-030_A_010110.fls"}, "TQR-03", 0, ""},
    {"ModelNeedsUnderscore", {"TQR-03.fls"}, "TQR-03", 0, ""},
    {"ModelIsCaseSensitive", {"tqr-03_A_010110.fls"}, "TQR-03", 0, ""},
    {"MonthThirteenIsJanuaryOfNextYear",
     {"TQR-03_A_123109.fls", "TQR-03_B_130109.fls"},
     "TQR-03",
     1,
     "TQR-03_B_130109.fls"},
    {"MonthThirteenIsBeforeSecondOfJanuary",
     {"TQR-03_C_010210.fls", "TQR-03_B_130109.fls"},
     "TQR-03",
     1,
     "TQR-03_C_010210.fls"},
    {"DayZeroIsLastDayOfPreviousMonth",
     {"TQR-03_A_013010.fls", "TQR-03_B_020010.fls"},
     "TQR-03",
     1,
     "TQR-03_B_020010.fls"},
    {"NameShorterThanAStampNeverChosen", {"A_1.fls"}, "A", 0, ""},
};

void PrintTo(const DiscoveryCase& c, std::ostream* out) {
  *out << c.name;
}

class DiscoveryTest : public testing::TestWithParam<DiscoveryCase> {};

TEST_P(DiscoveryTest, SettlesTheFile) {
  const DiscoveryCase& c = GetParam();
  AppJob job(c.files);
  if (c.model.empty()) {
    EXPECT_EQ(job.app.FindAnyFirmware(), c.outcome);
    if (c.outcome == 1) {
      EXPECT_EQ(job.app.modelName, c.firmwareName.substr(0, 6));
    }
  } else {
    job.app.modelName = c.model;
    EXPECT_EQ(job.app.FindFirmwareForModel(), c.outcome);
  }
  EXPECT_EQ(job.app.firmwareName, c.firmwareName);
}

INSTANTIATE_TEST_SUITE_P(Table, DiscoveryTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// 1 January 2010 written as month 13 of 2009, and as 32 December 2009: the same day, so
// the file the directory lists first wins.
TEST(DiscoveryTest, EqualStampsKeepTheFileListedFirst) {
  AppJob job({"TQR-03_A_130109.fls", "TQR-03_B_123209.fls", "TQR-03_C_010110.fls"});
  auto listing = platform::ListDirectory(job.dir.path(), ".fls");
  ASSERT_TRUE(listing);
  ASSERT_EQ(listing.value().size(), 3u);
  job.app.modelName = "TQR-03";
  EXPECT_EQ(job.app.FindFirmwareForModel(), 1);
  EXPECT_EQ(job.app.firmwareName, listing.value().front());
}

TEST(DiscoveryTest, ThousandsOfFilesInTheDirectory) {
  AppJob job;
  for (int i = 0; i < 3000; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "TQR-03_%04d_%02d%02d%02d.fls", i, 1 + i % 12, 1 + i % 28,
                  i % 10);
    testsupport::WriteFile(job.dir.Join(name), "");
  }
  testsupport::WriteFile(job.dir.Join("TQR-03_newest_061511.fls"), "");
  job.app.modelName = "TQR-03";
  EXPECT_EQ(job.app.FindFirmwareForModel(), 1);
  EXPECT_EQ(job.app.firmwareName, "TQR-03_newest_061511.fls");

  CFirmwareApp any;
  any.workDir = job.dir.path();
  EXPECT_EQ(any.FindAnyFirmware(), 0);
}

TEST(DiscoveryTest, PathsBeyondTheOldPathLimit) {
  const std::string name = "TQR-03_" + LongText(230, 'v') + "_070912.fls";
  AppJob job({name});
  EXPECT_EQ(job.app.FindAnyFirmware(), 1);
  EXPECT_EQ(job.app.firmwareName, name);
}

TEST(FileExistsTest, AnswersOnlyAMissingFileWithZero) {
  AppJob job({"present.ini"});
  EXPECT_EQ(job.app.FileExists(job.dir.Join("present.ini")), 1);
  EXPECT_EQ(job.app.FileExists(job.dir.Join("absent.ini")), 0);

  const std::string directory = job.dir.Join("sub");
  ASSERT_EQ(::mkdir(directory.c_str(), 0755), 0);
  EXPECT_THROW(job.app.FileExists(directory), FileError);
  EXPECT_THROW(job.app.FileExists(job.dir.Join("missing-dir/vrtqlx.ini")), FileError);
  EXPECT_THROW(job.app.FileExists(job.dir.Join("present.ini/vrtqlx.ini")), FileError);
}

TEST(FileExistsTest, UnreadableFileRaisesItsErrorCode) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  AppJob job({"locked.ini"});
  ASSERT_EQ(::chmod(job.dir.Join("locked.ini").c_str(), 0), 0);
  try {
    job.app.FileExists(job.dir.Join("locked.ini"));
    ADD_FAILURE() << "no FileError";
  } catch (const FileError& error) {
    EXPECT_EQ(error.cause, EACCES);
  }
}

TEST(FileExistsTest, DotEntries) {
  CFirmwareApp app;
  EXPECT_EQ(app.IsDotEntry("."), 1);
  EXPECT_EQ(app.IsDotEntry(".."), 1);
  EXPECT_EQ(app.IsDotEntry("..."), 0);
  EXPECT_EQ(app.IsDotEntry(""), 0);
  EXPECT_EQ(app.IsDotEntry(".fls"), 0);
}

}  // namespace
