#include "app/event_log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
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
  // A name with line breaks or other control characters cannot forge a line of its own.
  laterRun.Report(CEventLog::kSilent, CEventLog::kMessage, "File Open Error. filename=a\r\nb\x1b");
  laterRun.Flush();
  const std::string both = testsupport::ReadFile(LogPath());
  ASSERT_EQ(both.substr(0, first.size()), first);
  EXPECT_TRUE(MatchesLog(both.substr(first.size()),
                         kStamp + R"(  File Open Error\. filename=a\\r\\nb\\x1B)" + "\r\n\r\n"))
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
  // Whatever stands in the file's place is left as it is, and no run waits on it.
  const std::string elsewhere = stateDir.Join("elsewhere.txt");
  testsupport::WriteFile(elsewhere, "untouched");
  const std::vector<std::pair<const char*, std::function<int()>>> kinds = {
      {"directory", [&] { return ::mkdir(LogPath().c_str(), 0755); }},
      {"fifo", [&] { return ::mkfifo(LogPath().c_str(), 0644); }},
      {"link", [&] { return ::symlink(elsewhere.c_str(), LogPath().c_str()); }},
  };
  const std::string fallback = stateDir.Join("vrtqlx");
  for (const auto& [kind, make] : kinds) {
    SCOPED_TRACE(kind);
    ASSERT_EQ(make(), 0);
    CEventLog log(programDir.path(), fallback, -1);
    log.Report(CEventLog::kSilent, CEventLog::kMessage, "Invalid parameters");
    log.Flush();
    const std::string content = testsupport::ReadFile(fallback + "/_VRT_QLX.txt");
    EXPECT_TRUE(
        MatchesLog(content, "VORTANE QLX\r\n\r\n" + kStamp + "  Invalid parameters\r\n\r\n"))
        << content;
    EXPECT_EQ(testsupport::ReadFile(elsewhere), "untouched");
    ::remove(LogPath().c_str());
    ::unlink((fallback + "/_VRT_QLX.txt").c_str());
  }

  CEventLog nowhere(programDir.Join("missing"), "", -1);
  nowhere.Report(CEventLog::kSilent, CEventLog::kMessage, "lost");
  nowhere.Flush();
  EXPECT_TRUE(nowhere.PendingLines().empty());
}

TEST_F(EventLogTest, AWriteThatFailsHalfWayLeavesNoPartOfTheLines) {
  const std::string earlier = "VORTANE QLX\r\n\r\n" + std::string(1000, 'e') + "\r\n\r\n";
  testsupport::WriteFile(LogPath(), earlier);
  // The file may grow by a few bytes only: the write of the run's lines stops half-way.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit tight = saved;
  tight.rlim_cur = earlier.size() + 10;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
  const std::string fallback = stateDir.Join("vrtqlx");
  CEventLog log(programDir.path(), fallback, -1);
  log.Report(CEventLog::kSilent, CEventLog::kMessage, "Write Failed!");
  log.Flush();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(testsupport::ReadFile(LogPath()), earlier);
  const std::string content = testsupport::ReadFile(fallback + "/_VRT_QLX.txt");
  EXPECT_TRUE(MatchesLog(content, "VORTANE QLX\r\n\r\n" + kStamp + "  Write Failed!\r\n\r\n"))
      << content;
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
