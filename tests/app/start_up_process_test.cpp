#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <regex>

#include "support/process_runner.h"
#include "support/temp_dir.h"

// The built program run as a process: a copy beside its own log file in a temp program
// directory, started in a temp working directory, with its state directory and every port
// pointed at temp places so that nothing of the machine is touched.
namespace {

using namespace std::string_literals;

const std::string kStamp = R"(\[\d{4}/\d\d/\d\d-\d\d:\d\d:\d\d\])";
const std::string kInvalidLog = "VORTANE QLX\r\n\r\n" + kStamp + "  Invalid parameters\r\n\r\n";

void ExpectInvalidParameters(const testsupport::ProcessResult& result, const std::string& log) {
  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_TRUE(std::regex_match(log, std::regex(kInvalidLog))) << log;
  // The log line as it always was; standard error adds the reason, notices and where the
  // log is.
  EXPECT_TRUE(std::regex_match(result.err, std::regex("(vrtqlx: [^\n]*\n)*" + kStamp +
                                                      "  Invalid parameters \\([^\n]+\\)\n"
                                                      "vrtqlx: the log is [^\n]*\n")))
      << result.err;
  EXPECT_EQ(result.out, "");
}

class StartUpProcessTest : public testing::Test {
 protected:
  void SetUp() override {
    program = programDir.Join("vrtqlx");
    testsupport::PlaceFile(VRTQLX_BINARY, program);
    options.workingDir = workDir.path();
    // No run here may reach a display: an interactive start without one ends at once.
    options.unset = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    options.env["XDG_STATE_HOME"] = stateDir.path();
    options.env["HOME"] = stateDir.path();
    options.env["QLX_SYSFS_ROOT"] = emptyRoot.path();
    options.env["QLX_DEV_ROOT"] = emptyRoot.path();
    for (int i = 1; i <= 20; ++i) options.env["QLX_COM" + std::to_string(i)] = "/nonexistent/com";
    for (int i = 1; i <= 3; ++i) options.env["QLX_LPT" + std::to_string(i)] = "/nonexistent/lpt";
  }

  testsupport::ProcessResult Run(const std::vector<std::string>& args) {
    return testsupport::RunProcess(program, args, options);
  }
  std::string Log() const { return testsupport::ReadFile(programDir.Join("_VRT_QLX.txt")); }
  // Runs with `args` and checks for the refusal of invalid parameters.
  void ExpectRefused(const std::vector<std::string>& args) {
    const testsupport::ProcessResult result = Run(args);
    ExpectInvalidParameters(result, Log());
  }
  void WriteIni(const std::string& content) {
    testsupport::WriteFile(workDir.Join("vrtqlx.ini"), content);
  }

  testsupport::TempDir programDir;
  testsupport::TempDir workDir;
  testsupport::TempDir stateDir;
  testsupport::TempDir emptyRoot;
  std::string program;
  testsupport::ProcessOptions options;
};

TEST_F(StartUpProcessTest, InvalidCommandLines) {
  const std::vector<std::vector<std::string>> cases = {
      {"-s", "-p", "LPX1"},
      {"-s", "-b", "9600", "-p", "COM1"},
      {"-s", "-p", "NET"},
      {"-s", "-p", "NET", "10.0.0.1", "-m", "TQR-03", "-f", "x.fls", "-b", "9600"},
      {"-s", "-m", std::string(100000, 'M'), "-f", std::string(5000, 'f'), "-p",
       std::string(70000, 'Z')},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.size() > 2 ? args[2].substr(0, 20) : "");
    ::remove(programDir.Join("_VRT_QLX.txt").c_str());
    ExpectRefused(args);
    EXPECT_FALSE(testsupport::FileExistsAt(workDir.Join("_VRT_QLX.txt")));
  }
}

TEST_F(StartUpProcessTest, InvalidSettingsFiles) {
  std::string manyValues = "[QLX]\nPORTTYPE=USB\n";
  for (int i = 0; i < 2000; ++i)
    manyValues += "KEY" + std::to_string(i) + "=" + std::string(300, 'v') + "\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"empty", ""},
      {"no port type", "[QLX]\nMODELNAME=TQR-03\nFWNAME=x.fls\n"},
      {"model of no family", "[QLX]\nPORTTYPE=COM1\nMODELNAME=TQG-36\nFWNAME=x.fls\n"},
      {"upper-case FLS", "[QLX]\nPORTTYPE=COM1\nMODELNAME=TQR-03\nFWNAME=x.FLS\n"},
      {"binary bytes", "\x00\x01\xff\xfe[QLX]\x00\nPORTTYPE=\x80\x81\n\r\r\n\xff=\xff"s},
      {"over-long values", "[QLX]\nPORTTYPE=" + std::string(5000, 'Q') +
                               "\nMODELNAME=" + std::string(5000, 'M') + "\n"},
      {"many long keys, no firmware file", manyValues},
  };
  for (const auto& [name, content] : cases) {
    SCOPED_TRACE(name);
    ::remove(programDir.Join("_VRT_QLX.txt").c_str());
    WriteIni(content);
    // The settings file decides alone: a valid command line does not count.
    ExpectRefused({"-s", "-p", "COM1", "-m", "TQR-03", "-f", "x.fls"});
  }
}

TEST_F(StartUpProcessTest, SettingsFileThatCannotBeReadIsInvalidParameters) {
  ASSERT_EQ(::mkdir(workDir.Join("vrtqlx.ini").c_str(), 0755), 0);
  ExpectRefused({});
  ASSERT_EQ(::rmdir(workDir.Join("vrtqlx.ini").c_str()), 0);

  ::remove(programDir.Join("_VRT_QLX.txt").c_str());
  ASSERT_EQ(::mkfifo(workDir.Join("vrtqlx.ini").c_str(), 0644), 0);
  ExpectRefused({});
}

TEST_F(StartUpProcessTest, DiscoveryThatSettlesNothing) {
  // Thousands of firmware files: not "the one file", and none of the asked model.
  for (int i = 0; i < 2500; ++i) {
    testsupport::WriteFile(workDir.Join("TQR-04_" + std::to_string(i) + "_010110.fls"), "");
  }
  testsupport::WriteFile(workDir.Join("TQR-03.fls"), "");
  testsupport::WriteFile(workDir.Join("TQR-03_nodate.fls"), "");
  WriteIni("[QLX]\nPORTTYPE=LPT1\n");
  ExpectRefused({});
  ::remove(programDir.Join("_VRT_QLX.txt").c_str());
  WriteIni("[QLX]\nPORTTYPE=LPT1\nMODELNAME=TQR-03\n");
  ExpectRefused({});
}

TEST_F(StartUpProcessTest, LogIsAppendedAcrossRuns) {
  ExpectRefused({"-s", "-p", "LPX1"});
  const std::string first = Log();
  WriteIni("");
  EXPECT_EQ(Run({}).exitCode, 1);
  const std::string both = Log();
  ASSERT_EQ(both.substr(0, first.size()), first);
  EXPECT_TRUE(std::regex_match(both.substr(first.size()),
                               std::regex(kStamp + "  Invalid parameters\r\n\r\n")))
      << both;
}

TEST_F(StartUpProcessTest, LogGoesToStateDirectoryWhenProgramDirectoryCannotTakeIt) {
  ASSERT_EQ(::mkdir(programDir.Join("_VRT_QLX.txt").c_str(), 0755), 0);
  const auto result = Run({"-s", "-p", "LPX1"});
  EXPECT_EQ(result.exitCode, 1);
  const std::string log = testsupport::ReadFile(stateDir.Join("vrtqlx/_VRT_QLX.txt"));
  EXPECT_TRUE(std::regex_match(log, std::regex(kInvalidLog))) << log;
}

TEST_F(StartUpProcessTest, UsbJobWithoutConnectedPrinter) {
  WriteIni("[QLX]\nPORTTYPE=USB\nMODELNAME=TQR-03\nFWNAME=x.fls\n");
  const auto result = Run({});
  EXPECT_EQ(result.exitCode, 2) << result.err;
  EXPECT_TRUE(
      std::regex_match(Log(), std::regex("VORTANE QLX\r\n\r\n" + kStamp +
                                         "  Not connected Printer using usb<TQR-03>\r\n\r\n")))
      << Log();
}

TEST_F(StartUpProcessTest, HelpAndVersionAnswerOnStandardOutputOnly) {
  // Even a settings file, which otherwise decides every start, leaves them alone.
  WriteIni("[QLX]\nPORTTYPE=COM1\nMODELNAME=TQR-03\nFWNAME=x.fls\n");
  for (const char* asked : {"--version", "-V"}) {
    const auto version = Run({asked, "-s"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "vrtqlx " VRTQLX_VERSION "\n");
    EXPECT_EQ(version.err, "");
  }
  EXPECT_EQ(Run({"-h"}).out, Run({"--help"}).out);
  const auto help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.err, "");
  for (const char* item :
       {"-s",       "-m MODEL",   "-p PORT",        "-b BAUD",      "-tcpport PORT",
        "-f FILE",  "vrtqlx.ini", "PORTTYPE",       "BAUDRATE",     "IP",
        "TCPPORT",  "MODELNAME",  "FWNAME",         "Exit codes",   "QLX_COMn",
        "QLX_LPTn", ",nomodem",   "QLX_SYSFS_ROOT", "QLX_DEV_ROOT", "CUPS_SERVER"}) {
    EXPECT_NE(help.out.find(item), std::string::npos) << item;
  }
  EXPECT_FALSE(testsupport::FileExistsAt(programDir.Join("_VRT_QLX.txt")));
  EXPECT_FALSE(testsupport::FileExistsAt(stateDir.Join("vrtqlx")));

  // Only as the first argument; an option of that form that the program does not know is
  // refused at once, with a word.
  ::remove(workDir.Join("vrtqlx.ini").c_str());
  const auto typo = Run({"--helpme"});
  EXPECT_EQ(typo.exitCode, 1);
  EXPECT_NE(typo.err.find("unknown option --helpme"), std::string::npos) << typo.err;
}

TEST_F(StartUpProcessTest, RefusedPortSaysWhyOnStandardErrorOnly) {
  testsupport::WriteFile(workDir.Join("x.fls"), "image");
  const auto result = Run({"-s", "-p", "COM2", "-m", "TQR-23", "-f", "x.fls"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(std::regex_match(
      Log(), std::regex("VORTANE QLX\r\n\r\n" + kStamp + "  Port Open Error. Port=COM2\r\n\r\n")))
      << Log();
  EXPECT_TRUE(std::regex_match(
      result.err, std::regex(kStamp + "  Port Open Error. Port=COM2 \\(/nonexistent/com: No "
                                      "such file or directory\\)\nvrtqlx: the log is [^\n]*\n")))
      << result.err;
}

TEST_F(StartUpProcessTest, StartWithoutJobSaysThereIsNoOperatorWindow) {
  const auto result = Run({});
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_NE(result.err.find("no operator window"), std::string::npos) << result.err;
  EXPECT_FALSE(testsupport::FileExistsAt(programDir.Join("_VRT_QLX.txt")));
}

}  // namespace
