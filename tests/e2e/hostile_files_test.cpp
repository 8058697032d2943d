#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "e2e/silent_run_fixture.h"

namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

TEST_F(SilentRun, FirmwareThatIsNoRegularFileIsRefusedAtOnce) {
  const std::string port = PortOf(StartPrinter("tcp", {"--port", "0"}));
  ASSERT_EQ(::mkfifo(work.Join("fifo.fls").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("/dev/zero", work.Join("zero.fls").c_str()), 0);
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);  // the program reaches it through this process's /proc entry
  const std::string pipePath =
      "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(pipeFds[0]);
  for (const std::string& file : {work.Join("fifo.fls"), pipePath, work.Join("zero.fls")}) {
    SCOPED_TRACE(file);
    const auto begin = SteadyClock::now();
    auto run = Run({"-s", "-p", "NET", "127.0.0.1", "-tcpport", port, "-m", "TQR-23", "-f", file});
    EXPECT_LT(SteadyClock::now() - begin, 2s);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(Log().find("]  File Open Error. filename=" + file + "\r\n"), std::string::npos)
        << Log();
    EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
    EXPECT_FALSE(DriverFilesLeft());
    ::unlink(programDir.Join("_VRT_QLX.txt").c_str());
    printer.reset();
    StartPrinter("tcp", {"--port", port});
  }
  ::close(pipeFds[0]);
  ::close(pipeFds[1]);
}

TEST_F(SilentRun, DriverFileThatIsAFifoIsLeftAlone) {
  const std::string image = Image(1000);
  ASSERT_EQ(::mkfifo(work.Join("usb.dll").c_str(), 0644), 0);
  const std::string port = PortOf(StartPrinter("tcp", {"--port", "0"}));
  auto run = Run({"-s", "-p", "NET", "127.0.0.1", "-tcpport", port, "-m", "TQR-23", "-f",
                  "TQR-23_V1.00_120826.fls"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(Received(), image);
  struct stat st {};
  ASSERT_EQ(::lstat(work.Join("usb.dll").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(SilentRun, FullDiskUnderTheLogSendsTheLinesToTheFallbackWhole) {
  // The program and its log on a small file system that is full.
  testsupport::TempDir mountPoint;
  const long binarySize = [] {
    struct stat st {};
    return ::stat(VRTQLX_BINARY, &st) == 0 ? static_cast<long>(st.st_size) : 0L;
  }();
  const std::string options = "size=" + std::to_string(binarySize + (256 << 10));
  if (::mount("tmpfs", mountPoint.path().c_str(), "tmpfs", 0, options.c_str()) != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  }
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{mountPoint.path()};
  const std::string smallProgram = mountPoint.Join("vrtqlx");
  testsupport::PlaceFile(VRTQLX_BINARY, smallProgram);
  const std::string earlier = "VORTANE QLX\r\n\r\n" + std::string(4081, 'e');  // one whole page
  testsupport::WriteFile(mountPoint.Join("_VRT_QLX.txt"), earlier);
  {
    const int filler = ::open(mountPoint.Join("filler").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(filler, 0);
    const std::string block(4096, 'f');
    while (::write(filler, block.data(), block.size()) > 0) {
    }
    ::close(filler);
  }
  program = smallProgram;
  auto run =
      Run({"-s", "-p", "NET", "127.0.0.1", "-tcpport", "1", "-m", "TQR-23", "-f", "absent.fls"});
  EXPECT_EQ(run.exitCode, 2) << run.err;
  EXPECT_EQ(testsupport::ReadFile(mountPoint.Join("_VRT_QLX.txt")), earlier);
  const std::string fallback = testsupport::ReadFile(state.Join("vrtqlx/_VRT_QLX.txt"));
  EXPECT_NE(fallback.find("]  Socket Connect Error! ip=127.0.0.1, tcpport=1\r\n\r\n"),
            std::string::npos)
      << fallback;
}

// The names in `dir`, without "." and "..".
std::vector<std::string> EntriesOf(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST_F(SilentRun, StopDuringAHexDownloadLeavesNoPrivateDirectory) {
  testsupport::TempDir tmp;
  testsupport::WriteFile(work.Join("fw.hex"), ":0400000011223344EE\n:00000001FF\n");
  const std::string tty = StartPrinter("serial", {"--rate", "20000"});
  auto run = StartRun({"-s", "-p", "COM1", "-m", "TQR-03", "-f", "fw.hex"},
                      {{"QLX_COM1", tty + ",nomodem"}, {"TMPDIR", tmp.path()}});
  ASSERT_TRUE(
      WaitUntil([&] { return RunningPid() > 0 && !testsupport::ReadFile(received).empty(); }));
  ASSERT_EQ(::kill(RunningPid(), SIGTERM), 0);
  const auto result = run.get();
  EXPECT_EQ(result.signal, SIGTERM) << result.err;
  EXPECT_NE(Log().find("]  Download interrupted\r\n"), std::string::npos) << Log();
  const std::vector<std::string> left = EntriesOf(tmp.path());
  EXPECT_TRUE(left.empty()) << left.front();
}

// TMPDIR in a folder another user owns: that user moves the run's private directory away
// while a HEX job sends and puts a link to a directory of root's in its place. The run ends
// without removing anything through the link.
TEST_F(SilentRun, PrivateDirectorySwappedForALinkCostsTheLinkedDirectoryNothing) {
  constexpr uid_t kNobody = 65534;
  testsupport::TempDir tmp;
  testsupport::TempDir victim;
  testsupport::WriteFile(victim.Join("tempHex.fls"), "root's");
  testsupport::WriteFile(victim.Join("other.txt"), "root's");
  ASSERT_EQ(::chown(tmp.path().c_str(), kNobody, kNobody), 0);
  testsupport::WriteFile(work.Join("fw.hex"), ":0400000011223344EE\n:00000001FF\n");
  const std::string tty = StartPrinter("serial", {"--rate", "20000"});
  auto run = StartRun({"-s", "-p", "COM1", "-m", "TQR-03", "-f", "fw.hex"},
                      {{"QLX_COM1", tty + ",nomodem"}, {"TMPDIR", tmp.path()}});
  ASSERT_TRUE(
      WaitUntil([&] { return RunningPid() > 0 && !testsupport::ReadFile(received).empty(); }));
  std::string made;
  for (const auto& name : EntriesOf(tmp.path())) {
    if (name.rfind("vrtqlx-", 0) == 0) made = name;
  }
  ASSERT_FALSE(made.empty());
  const pid_t swapper = ::fork();
  if (swapper == 0) {
    const bool swapped = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 &&
                         ::rename(tmp.Join(made).c_str(), tmp.Join("moved").c_str()) == 0 &&
                         ::symlink(victim.path().c_str(), tmp.Join(made).c_str()) == 0;
    ::_exit(swapped ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(swapper, &status, 0), swapper);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(::kill(RunningPid(), SIGTERM), 0);
  EXPECT_EQ(run.get().signal, SIGTERM);
  EXPECT_EQ(testsupport::ReadFile(victim.Join("tempHex.fls")), "root's");
  EXPECT_EQ(testsupport::ReadFile(victim.Join("other.txt")), "root's");
  EXPECT_EQ(::rmdir(tmp.Join("moved").c_str()), 0);  // the run's own files are gone from it
}

// A file larger than the memory the run may use is refused before anything is paused, as a
// file that cannot be loaded, and leaves nothing behind.
TEST_F(SilentRun, FirmwareLargerThanTheRunsMemoryIsRefusedAtTheStart) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under any ulimit -v";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "the address sanitizer's shadow memory does not fit under any ulimit -v";
#endif
#endif
  const std::string image = work.Join("TQR-23_V1.00_120826.fls");
  testsupport::WriteFile(image, "");
  ASSERT_EQ(::truncate(image.c_str(), 2LL << 30), 0);  // sparse: no disk taken
  const std::string binary = program;
  program = "/bin/sh";
  auto run = Run({"-c", "ulimit -v 1000000; exec \"$0\" \"$@\"", binary, "-s", "-p", "NET",
                  "127.0.0.1", "-tcpport", "1", "-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"});
  EXPECT_EQ(run.exitCode, 2) << run.err;
  EXPECT_NE(Log().find("]  File Open Error. filename=" + image + "\r\n"), std::string::npos)
      << Log();
  EXPECT_NE(run.err.find("do not fit in the memory this run may use"), std::string::npos)
      << run.err;
  EXPECT_FALSE(DriverFilesLeft());
}

}  // namespace
