// What scripts and administrators see of an unattended run: every refusal says why on
// standard error while the log lines stay as they were, a settings file that overrides the
// command line says so, --json, --dry-run and --quiet.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "e2e/silent_run_fixture.h"
#include "support/pty_pair.h"
#include "usb/fake_usb_tree.h"

namespace {

using testsupport::ProcessResult;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class ScriptInterface : public SilentRun {
 protected:
  // `expression` of the one JSON object `d` of a --json run, as Python's json module reads it.
  std::string FromJson(const ProcessResult& run, const std::string& expression) {
    const std::string file = state.Join("out.json");
    testsupport::WriteFile(file, run.out);
    testsupport::ProcessOptions options;
    auto parsed = testsupport::RunProcess(
        "/usr/bin/python3",
        {"-c", "import json,sys; d=json.load(open(sys.argv[1])); print(" + expression + ")", file},
        options);
    EXPECT_EQ(parsed.exitCode, 0) << parsed.err << run.out;
    return parsed.out;
  }
  // "outcome|exit_code|bytes_sent|reason"
  std::string ParsedJson(const ProcessResult& run) {
    return FromJson(run,
                    "'%s|%d|%d|%s' % (d['outcome'], d['exit_code'], d['bytes_sent'], d['reason'])");
  }
  std::string Warnings(const ProcessResult& run) {
    return FromJson(run, "'|'.join(d['warnings'])");
  }
};

TEST_F(ScriptInterface, EveryRefusalSaysWhyAndTheLogLinesStayAsTheyWere) {
  auto invalid = Run({"-s", "-p", "LPX1"});
  EXPECT_EQ(invalid.exitCode, 1);
  EXPECT_NE(Log().find("]  Invalid parameters\r\n"), std::string::npos) << Log();
  EXPECT_TRUE(Has(invalid.err, "Invalid parameters (-p LPX1: no port")) << invalid.err;
  EXPECT_TRUE(Has(invalid.err, "vrtqlx: the log is " + programDir.Join("_VRT_QLX.txt")));

  // A script's option after -s is refused, never skipped: "--dry-run" there would flash.
  Image(100);
  auto late = Run({"-s", "-p", "NET", "127.0.0.1", "--dry-run", "-m", "TQR-23"});
  EXPECT_EQ(late.exitCode, 1);
  EXPECT_TRUE(Has(late.err,
                  "Invalid parameters (--dry-run after -s: the program's own options "
                  "belong before it"))
      << late.err;

  // Skipped options and models outside the catalogue run as before, with a word.
  auto typo = Run({"-s", "-tcp", "43497", "-p", "NET", "127.0.0.1", "-tcpport", "1", "-m", "tqr-23",
                   "-f", "TQR-23_V1.00_120826.fls"});
  EXPECT_EQ(typo.exitCode, 2);
  EXPECT_TRUE(Has(typo.err, "unknown option -tcp skipped")) << typo.err;
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

  // --quiet keeps the reasons and warnings and drops the notices around them.
  auto quiet = Run({"--quiet", "-s", "-x", "-p", "LPX1"});
  EXPECT_EQ(quiet.exitCode, 1);
  EXPECT_TRUE(Has(quiet.err, "Invalid parameters")) << quiet.err;
  EXPECT_TRUE(Has(quiet.err, "unknown option -x skipped")) << quiet.err;
  EXPECT_FALSE(Has(quiet.err, "the log is")) << quiet.err;

  // Standard streams a script closed: a pipe nobody reads fails the echo, never the run (no
  // death by SIGPIPE); a closed descriptor is no number for a link to take. The log keeps
  // the line either way.
  std::remove(programDir.Join("_VRT_QLX.txt").c_str());
  testsupport::ProcessOptions options;
  options.workingDir = work.path();
  const auto closedPipe = testsupport::RunProcess(
      "/usr/bin/python3",
      {"-c",
       "import os,subprocess,sys; r,w=os.pipe(); os.close(r); "
       "sys.exit(subprocess.run(sys.argv[1:], stdout=w, stderr=w).returncode % 256)",
       program, "-s", "-p", "LPX1"},
      options);
  EXPECT_EQ(closedPipe.exitCode, 1) << closedPipe.err;
  const auto closedFds = testsupport::RunProcess(
      "/bin/sh", {"-c", "exec 1>&- 2>&-; exec \"$0\" -s -p LPX1", program}, options);
  EXPECT_EQ(closedFds.exitCode, 1);
  const std::string log = Log();
  EXPECT_NE(log.find("Invalid parameters", log.find("Invalid parameters") + 1), std::string::npos)
      << log;

  // --log takes a file, not the next option; a log that cannot be written says where it went.
  auto misused = Run({"--log", "-s", "-p", "LPT1"});
  EXPECT_EQ(misused.exitCode, 1);
  EXPECT_TRUE(Has(misused.err, "--log needs a file name, not the option -s")) << misused.err;
  auto nowhere = Run({"--log", "/nonexistent/dir/x.log", "-s", "-p", "LPX1"});
  EXPECT_TRUE(Has(nowhere.err,
                  "the log /nonexistent/dir/x.log cannot be written; its lines went "
                  "to "))
      << nowhere.err;
  auto lost = Run({"--json", "--log", "/nonexistent/dir/x.log", "-s", "-p", "LPX1"},
                  {{"XDG_STATE_HOME", "/proc/no-state"}});
  EXPECT_TRUE(Has(lost.err, "nor any other")) << lost.err;
  EXPECT_EQ(FromJson(lost, "repr(d['log_file'])"), "''\n");  // no file named that was not written
}

TEST_F(ScriptInterface, ASettingsFileThatOverridesSaysSoAndAnUnsettledJobSaysWhy) {
  Image(100);
  testsupport::WriteFile(work.Join("vrtqlx.ini"),
                         "[QLX]\nPORTTYPE=NET\nIP=127.0.0.1\nTCPPORT=1\nMODELNAME=TQR-23\n"
                         "FWNAME=TQR-23_V1.00_120826.fls\n");
  auto overridden = Run({"--quiet", "--json", "-s", "-p", "COM1", "-m", "TQR-05"});
  EXPECT_TRUE(Has(Warnings(overridden), "takes precedence over the command line"))
      << overridden.out;
  EXPECT_TRUE(Has(overridden.err, "the settings file " + work.Join("vrtqlx.ini") +
                                      " takes precedence over the command line: port "
                                      "127.0.0.1 (TCP port 1), model TQR-23, file "
                                      "TQR-23_V1.00_120826.fls"))
      << overridden.err;
  // Another user's settings file in a shared (1777) folder, or one others may write, does not
  // steer the run: the command line does, and without -s the start is invalid.
  ASSERT_EQ(::chmod(work.path().c_str(), 01777), 0);
  ASSERT_EQ(::chown(work.Join("vrtqlx.ini").c_str(), 65534, 65534), 0);
  const std::string dropped = "vrtqlx.ini in " + work.path() + " belongs to nobody: not used";
  auto alone = Run({"--json"});
  EXPECT_EQ(alone.exitCode, 1);
  EXPECT_TRUE(Has(ParsedJson(alone), "invalid parameters|1|0|Invalid parameters (" + dropped))
      << alone.out;
  auto commanded = Run({"--quiet", "-s", "-p", "NET", "127.0.0.1", "-tcpport", "1", "-m", "TQR-23",
                        "-f", "TQR-23_V1.00_120826.fls"});
  EXPECT_TRUE(Has(commanded.err, dropped)) << commanded.err;
  EXPECT_TRUE(Has(commanded.err, "Socket Connect Error! ip=127.0.0.1, tcpport=1")) << commanded.err;
  ASSERT_EQ(::chown(work.Join("vrtqlx.ini").c_str(), 0, 0), 0);
  ASSERT_EQ(::chmod(work.Join("vrtqlx.ini").c_str(), 0666), 0);
  EXPECT_TRUE(
      Has(Run({}).err, "vrtqlx.ini in " + work.path() + " is writable by others: not used"));
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

  // What the printer is known to have taken, in one figure: the reason, bytes_sent and the
  // progress line's last words (over TCP, what its stack acknowledged).
  Image(3'000'000, "TQR-23_V2.00_120826.fls");
  printer.reset();
  const std::string resetting =
      PortOf(StartPrinter("tcp", {"--port", "0", "--reset-after", "100000"}));
  auto cut = Run({"--json", "-s", "-p", "NET", "127.0.0.1", "-tcpport", resetting, "-m", "TQR-23",
                  "-f", "TQR-23_V2.00_120826.fls"},
                 {}, Stderr::kTerminal);
  const std::string taken = FromJson(cut, "d['bytes_sent']");
  const uint64_t known = std::stoull(taken);
  EXPECT_TRUE(Has(ParsedJson(cut), taken.substr(0, taken.size() - 1) + " of 3000000 bytes sent)"))
      << cut.out;
  EXPECT_TRUE(Has(cut.err, "stopped after " + std::to_string(known) + " of 3000000 bytes"))
      << cut.err;
  EXPECT_GE(known, Received().size());
  EXPECT_LT(known, 3'000'000u);

  // Strict UTF-8: a surrogate, an overlong form and a code point past U+10FFFF in a name are
  // shown as U+FFFD, byte for byte; well-formed UTF-8 passes.
  auto odd = Run({"--json", "--dry-run", "-s", "-p", "NET", "127.0.0.1", "-m", "TQR-23", "-f",
                  "a\xED\xA0\x80"
                  "b\xC0\xAF"
                  "c\xF4\x90\x80\x80"
                  "\xC3\xA9.fls"});
  EXPECT_EQ(FromJson(odd, "ascii(d['file'])"),
            "'" + work.path() +
                "/a\\ufffd\\ufffd\\ufffdb\\ufffd\\ufffdc\\ufffd\\ufffd\\ufffd\\ufffd\\xe9.fls'\n");

  auto invalid = Run({"--json", "-s", "-p", "LPX1"});
  EXPECT_TRUE(Has(ParsedJson(invalid), "invalid parameters|1|0|Invalid parameters (-p LPX1"));

  // Every warning reaches a script, even a quiet one: on standard error and in "warnings".
  testsupport::WriteFile(work.Join("TQR-05_V1.00_120826.fls"), "");
  auto warned = Run({"--quiet", "--json", "--dry-run", "-s", "-p", "NET", "127.0.0.1", "-m",
                     "tqr-01", "-f", "TQR-05_V1.00_120826.fls"});
  EXPECT_EQ(warned.exitCode, 0) << warned.err;
  EXPECT_EQ(Warnings(warned),
            "model tqr-01 is not in the catalogue: it is downloaded as a "
            "TQR-03|the firmware file TQR-05_V1.00_120826.fls names the model "
            "TQR-05, not tqr-01|the firmware image " +
                work.Join("TQR-05_V1.00_120826.fls") + " is empty: there is nothing to send\n");
  EXPECT_TRUE(Has(warned.err, "names the model TQR-05")) << warned.err;

  // A script is never shown a window: a job -s cannot settle ends with exit 3 and why, even
  // where a display is present.
  auto unsettled = Run({"--json", "-s", "-p", "NET", "127.0.0.1", "-m", "TQR-09"},
                       {{"QT_QPA_PLATFORM", "offscreen"}});
  EXPECT_EQ(unsettled.exitCode, 3);
  EXPECT_TRUE(Has(ParsedJson(unsettled),
                  "no window|3|0|-s cannot settle the job: no firmware "
                  "file TQR-09_..._MMDDYY.fls"));
}

TEST_F(ScriptInterface, DryRunSettlesTheJobWithoutOpeningAnything) {
  Image(3000);
  // A line that is there is looked at, never opened.
  testsupport::PtyPair line;
  const std::map<std::string, std::string> env{{"QLX_COM4", line.SlavePath() + ",nomodem"}};
  auto good = Run({"--dry-run", "-s", "-p", "COM4", "-m", "TQR-23"}, env);
  EXPECT_EQ(good.exitCode, 0) << good.err;
  EXPECT_TRUE(Has(good.out, "would download " + work.Join("TQR-23_V1.00_120826.fls") +
                                " (3000 bytes) into a TQR-23 over COM4 (" + line.SlavePath() + ")"))
      << good.out;

  auto missing = Run({"--dry-run", "-s", "-p", "COM4", "-m", "TQR-23", "-f", "gone.fls"}, env);
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_TRUE(Has(missing.err, "File Open Error. filename=" + work.Join("gone.fls")));

  testsupport::WriteFile(work.Join("fw.hex"), ":0100000011EE\n:00000001FF\n");
  auto hex = Run({"--dry-run", "-s", "-p", "COM4", "-m", "TQR-03", "-f", "fw.hex"}, env);
  EXPECT_EQ(hex.exitCode, 0) << hex.err;
  EXPECT_TRUE(Has(hex.out, "fw.hex, converted from HEX text,")) << hex.out;
  testsupport::WriteFile(work.Join("cut.hex"), ":0100000011EE\n:0100010022DC\n");
  auto cut = Run({"--dry-run", "-s", "-p", "COM4", "-m", "TQR-03", "-f", "cut.hex"}, env);
  EXPECT_EQ(cut.exitCode, 2);
  EXPECT_TRUE(Has(cut.err, "Failed File Loading!! (no end record: the text is cut short)"))
      << cut.err;
  EXPECT_FALSE(testsupport::FileExistsAt(programDir.Join("_VRT_QLX.txt")));  // nothing logged

  // Names are shown as the log shows them: no control character reaches the terminal.
  testsupport::WriteFile(work.Join("x\x1b[2Jy.fls"), "abc");
  auto shown = Run({"--dry-run", "-s", "-p", "COM4", "-m", "TQR-23", "-f", "x\x1b[2Jy.fls"}, env);
  EXPECT_TRUE(Has(shown.out, "x\\x1B[2Jy.fls (3 bytes)")) << shown.out;
  EXPECT_TRUE(Has(Run({"--bad\x1b[2J"}).err, "unknown option --bad\\x1B[2J"));
  EXPECT_FALSE(DriverFilesLeft());
}

TEST_F(ScriptInterface, DryRunRefusesWhatTheRunRefusesWithTheSameReason) {
  Image(3000);
  testsupport::PtyPair line;
  const std::string file = work.Join("plain-file");
  testsupport::WriteFile(file, "");
  const std::vector<std::string> job{"-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"};
  struct Case {
    std::vector<std::string> options;  // after -s; empty: the settings file below
    std::string node;
    std::string ini;
    std::string reason;
  };
  const std::string net = "[QLX]\nPORTTYPE=NET\nIP=127.0.0.1\nMODELNAME=TQR-23\n";
  const std::vector<Case> cases{
      {{"-p", "COM4"}, "/nonexistent/node", "", "/nonexistent/node: No such file or directory"},
      {{"-p", "COM4"}, file, "", file + ": ioctl(TIOCEXCL): Inappropriate ioctl for device"},
      {{"-p", "COM4", "-b", "0"}, "", "", "Invalid parameters (-b 0: no baud rate"},
      {{},
       line.SlavePath() + ",nomodem",
       "[QLX]\nPORTTYPE=COM4\nMODELNAME=TQR-23\n",
       line.SlavePath() + ": configure: Invalid argument"},
      {{"-p", "NET", "127.0.0.1", "-tcpport", "70000"}, "", "", "(-tcpport 70000: no TCP port"},
      {{}, "", net + "TCPPORT=65536\n", "tcpport=65536 (no TCP port (1-65535))"},
      {{}, "", net, "tcpport=0 (no TCP port (1-65535))"},
  };
  for (const Case& c : cases) {
    if (!c.ini.empty()) testsupport::WriteFile(work.Join("vrtqlx.ini"), c.ini);
    std::vector<std::string> args{"-s"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), job.begin(), job.end());
    if (c.options.empty()) args.clear();
    std::vector<std::string> dryArgs{"--json", "--dry-run"};
    dryArgs.insert(dryArgs.end(), args.begin(), args.end());
    args.insert(args.begin(), "--json");
    const std::map<std::string, std::string> env{{"QLX_COM4", c.node}};
    const auto real = Run(args, env);
    const auto dry = Run(dryArgs, env);
    const std::string realReason = FromJson(real, "d['exit_code'], d['reason']");
    EXPECT_TRUE(Has(realReason, c.reason)) << realReason;
    EXPECT_EQ(FromJson(dry, "d['exit_code'], d['reason']"), realReason);
    std::remove(work.Join("vrtqlx.ini").c_str());
  }
}

TEST_F(ScriptInterface, ListNamesThePrintersOfTheRangeAndThePresentLines) {
  FakeUsbTree tree;
  const std::string printer = tree.AddDevice("1-2", kFirstVendor, 0x0117);
  tree.AddDevice("1-3", 0x1234, 0x0117);  // not of the range
  const std::string unnamed = tree.AddDevice("1-4", kFirstVendor, 0x01ee);
  testsupport::PtyPair line;
  testsupport::WriteFile(work.Join("plain-file"), "");
  const std::map<std::string, std::string> env{{"QLX_SYSFS_ROOT", tree.sysfs()},
                                               {"QLX_DEV_ROOT", tree.dev()},
                                               {"QLX_COM1", line.SlavePath()},
                                               {"QLX_COM2", work.Join("plain-file")}};
  auto listed = Run({"--list", "--json"}, env);
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_EQ(FromJson(listed, "d['usb'], d['lines']"),
            "[{'model': 'TQR-23', 'port': 'USB', 'node': '" + printer +
                "', 'vendor_id': '7a3c', 'product_id': '0117', 'queues': []}, {'model': '', "
                "'port': 'USB', 'node': '" +
                unnamed +
                "', 'vendor_id': '7a3c', 'product_id': '01ee', 'queues': []}] [{'port': "
                "'COM1', 'kind': 'serial', 'device': '" +
                line.SlavePath() + "', 'queues': []}]\n");
  // No scheduler answers here: the listing still comes, and says so.
  EXPECT_TRUE(Has(Warnings(listed), "the queues are not listed")) << listed.out;
  EXPECT_TRUE(Has(Run({"--list"}, env).out, "COM1 serial " + line.SlavePath() + ", no queues"));
  EXPECT_EQ(Run({"--list", "-s", "-p", "COM1"}).exitCode, 1);
  EXPECT_FALSE(testsupport::FileExistsAt(programDir.Join("_VRT_QLX.txt")));  // nothing logged
  EXPECT_EQ(Run({"-s", "--list"}).exitCode, 1);
}

}  // namespace
