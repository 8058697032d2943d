#include "app/event_log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

#include "framework/backend.h"
#include "framework/headless/headless_backend.h"
#include "platform/clock.h"
#include "platform/local_time.h"
#include "support/temp_dir.h"

namespace {

const std::string kStamp = R"(\[\d{4}/\d\d/\d\d-\d\d:\d\d:\d\d\])";

bool MatchesLog(const std::string& content, const std::string& pattern) {
  return std::regex_match(content, std::regex(pattern));
}

class EventLogTest : public testing::Test {
 protected:
  std::string LogPath() const { return programDir.Join("_VRT_QLX.txt"); }

  testsupport::TempDir programDir;
  testsupport::TempDir stateDir;
};

TEST_F(EventLogTest, NoticesOnlyLeaveNoFile) {
  CEventLog log(programDir.path(), stateDir.path(), -1);
  log.Report(CEventLog::kSilent, CEventLog::kNotice, "Complete!!");
  log.Flush();
  EXPECT_FALSE(testsupport::FileExistsAt(LogPath()));
}

TEST_F(EventLogTest, FirstWriteOutStartsWithBannerLaterOnesAppend) {
  {
    CEventLog log(programDir.path(), stateDir.path(), -1);
    log.Report(CEventLog::kSilent, CEventLog::kMessage, "Write Failed!");
    log.Report(CEventLog::kSilent, 2, "any other notice value records");
    log.Flush();
    EXPECT_TRUE(log.PendingLines().empty());
    log.Flush();  // nothing gathered since: nothing written
  }
  const std::string first = testsupport::ReadFile(LogPath());
  EXPECT_TRUE(MatchesLog(first, "VORTANE QLX\r\n\r\n" + kStamp + "  Write Failed!\r\n" + kStamp +
                                    "  any other notice value records\r\n\r\n"))
      << first;

  CEventLog laterRun(programDir.path(), stateDir.path(), -1);
  laterRun.Report(CEventLog::kSilent, CEventLog::kMessage, "two\r\nlines");
  laterRun.Flush();
  const std::string both = testsupport::ReadFile(LogPath());
  ASSERT_EQ(both.substr(0, first.size()), first);
  EXPECT_TRUE(MatchesLog(both.substr(first.size()), kStamp + "  two\r\nlines\r\n\r\n"))
      << both.substr(first.size());
  EXPECT_FALSE(testsupport::FileExistsAt(stateDir.Join("_VRT_QLX.txt")));
}

TEST_F(EventLogTest, SilentLinesAreEchoedAtOnce) {
  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_NONBLOCK), 0);
  CEventLog log(programDir.path(), stateDir.path(), pipeFds[1]);
  log.Report(CEventLog::kSilent, CEventLog::kNotice, "In silent mode");
  log.Report(CEventLog::kSilent, CEventLog::kMessage, "Invalid parameters");
  char echoed[256] = {};
  const ssize_t got = ::read(pipeFds[0], echoed, sizeof echoed - 1);
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
  ASSERT_GT(got, 0);
  EXPECT_TRUE(MatchesLog(echoed, kStamp + "  Invalid parameters\n")) << echoed;
}

TEST_F(EventLogTest, ProgramDirectoryThatCannotTakeTheLogFallsBack) {
  ASSERT_EQ(::mkdir(LogPath().c_str(), 0755), 0);  // a directory in the file's place
  const std::string fallback = stateDir.Join("vrtqlx");
  CEventLog log(programDir.path(), fallback, -1);
  log.Report(CEventLog::kSilent, CEventLog::kMessage, "Invalid parameters");
  log.Flush();
  const std::string content = testsupport::ReadFile(fallback + "/_VRT_QLX.txt");
  EXPECT_TRUE(MatchesLog(content, "VORTANE QLX\r\n\r\n" + kStamp + "  Invalid parameters\r\n\r\n"))
      << content;

  CEventLog nowhere(programDir.Join("missing"), "", -1);
  nowhere.Report(CEventLog::kSilent, CEventLog::kMessage, "lost");
  nowhere.Flush();
  EXPECT_TRUE(nowhere.PendingLines().empty());
}

TEST_F(EventLogTest, InteractiveReportsAreMessageBoxes) {
  platform::VirtualClock clock;
  platform::ScopedClock useClock(clock);
  fw::HeadlessBackend backend(&clock);
  fw::ScopedBackend useBackend(backend);
  CEventLog log(programDir.path(), stateDir.path(), -1);
  log.Report(CEventLog::kInteractive, CEventLog::kNotice, "Complete!!");
  log.Report(CEventLog::kInteractive, CEventLog::kMessage, "Write Failed!");
  ASSERT_EQ(backend.MessageBoxes().size(), 2u);
  EXPECT_EQ(backend.MessageBoxes()[0].text, "Complete!!");
  EXPECT_EQ(backend.MessageBoxes()[0].caption, "VRT_QLX");
  EXPECT_EQ(backend.MessageBoxes()[1].text, "Write Failed!");
  log.Flush();
  EXPECT_FALSE(testsupport::FileExistsAt(LogPath()));
}

TEST(LocalTimeTest, LogStampAndCalendarCarry) {
  const char* saved = std::getenv("TZ");
  const std::string previous = saved ? saved : "";
  ::setenv("TZ", "UTC0", 1);
  ::tzset();
  EXPECT_EQ(platform::FormatLogStamp(1272896521), "[2010/05/03-14:22:01]");
  auto thirteenth = platform::MakeLocalTime({2009, 13, 1, 0, 0, 0});
  auto january = platform::MakeLocalTime({2010, 1, 1, 0, 0, 0});
  ASSERT_TRUE(thirteenth);
  ASSERT_TRUE(january);
  EXPECT_EQ(thirteenth.value(), january.value());
  EXPECT_EQ(january.value(), 1262304000);
  auto beforeEpoch = platform::MakeLocalTime({1969, 12, 31, 23, 59, 59});
  ASSERT_TRUE(beforeEpoch);  // -1 here is a time, not an error
  EXPECT_EQ(beforeEpoch.value(), -1);
  if (saved) {
    ::setenv("TZ", previous.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

}  // namespace
