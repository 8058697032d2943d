// Silent USB jobs of the built program, run as a process against a fake sysfs tree whose
// printer node is the printer simulator's FIFO: the job finds the printer of its model and
// the simulator receives the image byte for byte.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "usb/fake_usb_tree.h"

namespace {

class SilentUsbJob : public ::testing::Test {
 protected:
  SilentUsbJob() {
    testsupport::PlaceFile(VRTQLX_BINARY, program);
    options.workingDir = work.path();
    options.env["QLX_SYSFS_ROOT"] = tree.sysfs();
    options.env["QLX_DEV_ROOT"] = tree.dev();
    options.env["XDG_STATE_HOME"] = state.path();
    options.env["HOME"] = state.path();
    // No print spooler of the machine takes part.
    options.env["CUPS_SERVER"] = state.Join("no-cups.sock");
    options.timeLimit = std::chrono::milliseconds(60000);
  }

  // A printer of another model ahead of the one the jobs want, so that matching by model
  // decides where the image goes.
  void AddPrinters(bool withJobPrinter, uint16_t product) {
    otherNode = tree.AddDevice("1-1", kFirstVendor, 0x0118);  // TQR-24
    if (!withJobPrinter) return;
    const std::string node = tree.AddDevice("1-2", kFirstVendor, product, FakeUsbTree::Node::kFifo);
    printer = std::make_unique<testsupport::ChildProcess>(
        std::vector<std::string>{VRTQLX_SIM_BINARY, "node", "--path", node, "--out", received});
    auto line = printer->ReadLine(10000);
    ASSERT_TRUE(line && *line == "ready " + node) << (line ? *line : "no ready line");
  }

  std::string Image(size_t size, const std::string& name) {
    std::mt19937 random(static_cast<unsigned>(size));
    std::string bytes(size, '\0');
    for (auto& b : bytes) b = static_cast<char>(random());
    testsupport::WriteFile(work.Join(name), bytes);
    return bytes;
  }

  testsupport::ProcessResult Run(const std::vector<std::string>& args) {
    return testsupport::RunProcess(program, args, options);
  }

  std::string Received() {
    EXPECT_TRUE(printer->Wait(10000).has_value());
    return testsupport::ReadFile(received);
  }

  void ExpectCleanEnd(const testsupport::ProcessResult& result) {
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    for (const char* name : {"com.dll", "lpt.dll", "usb.dll"}) {
      EXPECT_FALSE(testsupport::FileExistsAt(work.Join(name))) << name;
    }
    EXPECT_EQ(testsupport::ReadFile(otherNode), "");
  }

  FakeUsbTree tree;
  testsupport::TempDir programDir;
  testsupport::TempDir work;
  testsupport::TempDir state;
  std::string program = programDir.Join("vrtqlx");
  std::string received = state.Join("received.bin");
  std::string otherNode;
  testsupport::ProcessOptions options;
  std::unique_ptr<testsupport::ChildProcess> printer;
};

// TQR-05 sends 64-byte blocks on a device path; an image this large leaves the bar at 239
// after sending, so the settle phase is as short as that model allows (about 23 s).
TEST_F(SilentUsbJob, CommandLineJobReachesThePrinterOfItsModel) {
  AddPrinters(true, 0x0105);
  const std::string image = Image(256 * 1024 + 17, "x.fls");
  const auto result = Run({"-s", "-p", "USB", "-m", "TQR-05", "-f", "x.fls"});
  ExpectCleanEnd(result);
  EXPECT_TRUE(Received() == image) << "the simulator did not receive the image";
}

TEST_F(SilentUsbJob, SettingsFileJob) {
  AddPrinters(true, 0x0117);
  const std::string image = Image(768 * 1024, "TQR-23_V1.00_120826.fls");
  testsupport::WriteFile(work.Join("vrtqlx.ini"),
                         "[QLX]\nPORTTYPE=USB\nMODELNAME=TQR-23\nFWNAME=TQR-23_V1.00_120826.fls\n");
  const auto result = Run({});
  ExpectCleanEnd(result);
  EXPECT_TRUE(Received() == image) << "the simulator did not receive the image";
}

TEST_F(SilentUsbJob, NoPrinterOfTheModelIsLoggedAndExitsWith2) {
  AddPrinters(false, 0);
  Image(4096, "x.fls");
  const auto result = Run({"-s", "-p", "USB", "-m", "TQR-05", "-f", "x.fls"});
  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 2);
  const std::string log = testsupport::ReadFile(programDir.Join("_VRT_QLX.txt"));
  EXPECT_NE(log.find("]  Not connected Printer using usb<TQR-05>\r\n"), std::string::npos) << log;
  EXPECT_FALSE(testsupport::FileExistsAt(work.Join("usb.dll")));
  EXPECT_EQ(testsupport::ReadFile(otherNode), "");
}

}  // namespace
