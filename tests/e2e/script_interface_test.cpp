// What scripts and administrators see of an unattended run: every refusal says why on
// standard error while the log lines stay as they were, a settings file that overrides the
// command line says so, --json, --dry-run and --quiet.
#include <signal.h>

#include "e2e/silent_run_fixture.h"

namespace {

using testsupport::ProcessResult;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class ScriptInterface : public SilentRun {
 protected:
  // The one JSON object of a --json run, read back by Python's json module as
  // "outcome|exit_code|bytes_sent|reason".
  std::string ParsedJson(const ProcessResult& run) {
    const std::string file = state.Join("out.json");
    testsupport::WriteFile(file, run.out);
    testsupport::ProcessOptions options;
    auto parsed = testsupport::RunProcess(
        "/usr/bin/python3",
        {"-c",
         "import json,sys; d=json.load(open(sys.argv[1])); "
         "print('%s|%d|%d|%s' % (d['outcome'], d['exit_code'], d['bytes_sent'], d['reason']))",
         file},
        options);
    EXPECT_EQ(parsed.exitCode, 0) << parsed.err << run.out;
    return parsed.out;
  }
};

TEST_F(ScriptInterface, EveryRefusalSaysWhyAndTheLogLinesStayAsTheyWere) {
  auto invalid = Run({"-s", "-p", "LPX1"});
  EXPECT_EQ(invalid.exitCode, 1);
  EXPECT_NE(Log().find("]  Invalid parameters\r\n"), std::string::npos) << Log();
  EXPECT_TRUE(Has(invalid.err, "Invalid parameters (-p LPX1: no port")) << invalid.err;
  EXPECT_TRUE(Has(invalid.err, "vrtqlx: the log is " + programDir.Join("_VRT_QLX.txt")));

  // Skipped options and models outside the catalogue run as before, with a word.
  Image(100);
  auto typo = Run({"-s", "--tcpport", "43497", "-p", "NET", "127.0.0.1", "-tcpport", "1", "-m",
                   "tqr-23", "-f", "TQR-23_V1.00_120826.fls"});
  EXPECT_EQ(typo.exitCode, 2);
  EXPECT_TRUE(Has(typo.err, "unknown option --tcpport skipped")) << typo.err;
  EXPECT_TRUE(Has(typo.err, "model tqr-23 is not in the catalogue")) << typo.err;
  EXPECT_TRUE(Has(typo.err, "Socket Connect Error! ip=127.0.0.1, tcpport=1 (connect: "))
      << typo.err;
  EXPECT_NE(Log().find("]  Socket Connect Error! ip=127.0.0.1, tcpport=1\r\n"), std::string::npos);

  // A pseudo-terminal has no modem status: the reason says how to name it.
  const std::string tty = StartPrinter("serial");
  auto line = Run({"-s", "-p", "COM4", "-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"},
                  {{"QLX_COM4", tty}});
  EXPECT_EQ(line.exitCode, 2);
  EXPECT_TRUE(Has(line.err, "NODE,nomodem in QLX_COMn")) << line.err;

  // --quiet keeps the reasons and drops the words around them.
  auto quiet = Run({"--quiet", "-s", "--x", "-p", "LPX1"});
  EXPECT_EQ(quiet.exitCode, 1);
  EXPECT_TRUE(Has(quiet.err, "Invalid parameters")) << quiet.err;
  EXPECT_FALSE(Has(quiet.err, "skipped") || Has(quiet.err, "the log is")) << quiet.err;
}

TEST_F(ScriptInterface, ASettingsFileThatOverridesSaysSoAndAnUnsettledJobSaysWhy) {
  Image(100);
  testsupport::WriteFile(work.Join("vrtqlx.ini"),
                         "[QLX]\nPORTTYPE=NET\nIP=127.0.0.1\nTCPPORT=1\nMODELNAME=TQR-23\n"
                         "FWNAME=TQR-23_V1.00_120826.fls\n");
  auto overridden = Run({"-s", "-p", "COM1", "-m", "TQR-05"});
  EXPECT_TRUE(Has(overridden.err, "the settings file " + work.Join("vrtqlx.ini") +
                                      " takes precedence over the command line: port "
                                      "127.0.0.1 (TCP port 1), model TQR-23, file "
                                      "TQR-23_V1.00_120826.fls"))
      << overridden.err;
  std::remove(work.Join("vrtqlx.ini").c_str());

  // No file of the model: no display, so exit 3 with the reason, not advice to use -s.
  auto unsettled = Run({"-s", "-p", "NET", "127.0.0.1", "-m", "TQR-05"},
                       {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
  EXPECT_EQ(unsettled.exitCode, 3);
  EXPECT_TRUE(Has(unsettled.err,
                  "-s cannot settle the job: no firmware file "
                  "TQR-05_..._MMDDYY.fls in " +
                      work.path()))
      << unsettled.err;
  EXPECT_FALSE(Has(unsettled.err, "start it as")) << unsettled.err;
}

TEST_F(ScriptInterface, JsonTellsTheOutcomeOfASuccessARefusalAndInvalidParameters) {
  const std::string image = Image(200000);
  const std::string port = PortOf(StartPrinter("tcp", {"--port", "0"}));
  auto done = Run({"--json", "-s", "-p", "NET", "127.0.0.1", "-tcpport", port, "-m", "TQR-23", "-f",
                   "TQR-23_V1.00_120826.fls"});
  EXPECT_EQ(ParsedJson(done), "downloaded|0|200000|\n");
  EXPECT_EQ(Received(), image);

  auto refused = Run({"--json", "-s", "-p", "NET", "127.0.0.1", "-tcpport", "1", "-m", "TQR-23",
                      "-f", "TQR-23_V1.00_120826.fls"});
  EXPECT_TRUE(
      Has(ParsedJson(refused), "failed|2|0|Socket Connect Error! ip=127.0.0.1, tcpport=1 ("));

  auto invalid = Run({"--json", "-s", "-p", "LPX1"});
  EXPECT_TRUE(Has(ParsedJson(invalid), "invalid parameters|1|0|Invalid parameters (-p LPX1"));
}

TEST_F(ScriptInterface, DryRunSettlesTheJobWithoutOpeningAnything) {
  Image(3000);
  // A port mapped to a node that cannot be opened: a dry run never tries.
  const std::map<std::string, std::string> env{{"QLX_COM4", "/nonexistent/node"}};
  auto good = Run({"--dry-run", "-s", "-p", "COM4", "-m", "TQR-23"}, env);
  EXPECT_EQ(good.exitCode, 0) << good.err;
  EXPECT_TRUE(Has(good.out, "would download " + work.Join("TQR-23_V1.00_120826.fls") +
                                " (3000 bytes) into a TQR-23 over COM4 (/nonexistent/node)"))
      << good.out;

  auto missing = Run({"--dry-run", "-s", "-p", "COM4", "-m", "TQR-23", "-f", "gone.fls"}, env);
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_TRUE(Has(missing.err, "File Open Error. filename=" + work.Join("gone.fls")));

  testsupport::WriteFile(work.Join("fw.hex"), ":0100000011EE\n:00000001FF\n");
  auto hex = Run({"--dry-run", "-s", "-p", "COM4", "-m", "TQR-03", "-f", "fw.hex"}, env);
  EXPECT_EQ(hex.exitCode, 0) << hex.err;
  EXPECT_TRUE(Has(hex.out, "fw.hex, converted from HEX text,")) << hex.out;
  EXPECT_FALSE(testsupport::FileExistsAt(programDir.Join("_VRT_QLX.txt")));  // nothing logged
  EXPECT_FALSE(DriverFilesLeft());
}

}  // namespace
