#include <gtest/gtest.h>

#include <limits>

#include "app_job.h"

namespace {

struct Flags {
  int portResolved, kindCom, kindLpt, kindUsb, kindNet;
};

struct CommandLineCase {
  const char* name;
  std::vector<std::string> args;  // without the program name
  std::vector<std::string> files;
  int outcome;
  std::string portName;
  int32_t baudRate;
  std::string modelName;
  std::string firmwareName;
  Flags flags;
};

const std::string kDateFile = "TQR-03_V1.00_010110.fls";

const CommandLineCase kCases[] = {
    {"NoArguments", {}, {}, 0, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"FirstArgumentNotDashS", {"-m", "TQR-03", "-s"}, {}, 0, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"DashSIsCaseSensitive", {"-S", "-m", "TQR-03"}, {}, 0, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"DashSAloneTakesTheOneFileAndUsb",
     {"-s"},
     {kDateFile},
     1,
     "",
     0,
     "TQR-03",
     kDateFile,
     {0, 0, 0, 1, 0}},
    {"DashSAloneInEmptyDirectoryIsInteractive", {"-s"}, {}, 0, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"SerialShortName",
     {"-s", "-p", "com3", "-f", "a.fls", "-m", "M"},
     {},
     1,
     "COM3",
     115200,
     "M",
     "a.fls",
     {1, 1, 0, 0, 0}},
    {"SerialLongNameGetsDevicePrefix",
     {"-s", "-p", "com12", "-m", "TQR-03", "-f", "x.fls"},
     {},
     1,
     "\\\\.\\COM12",
     115200,
     "TQR-03",
     "x.fls",
     {1, 1, 0, 0, 0}},
    {"SerialDevicePathUpperCased",
     {"-s", "-p", "\\\\.\\com15", "-m", "TQR-03", "-f", "x.fls"},
     {},
     1,
     "\\\\.\\COM15",
     115200,
     "TQR-03",
     "x.fls",
     {1, 1, 0, 0, 0}},
    {"BaudRateAfterSerialPort",
     {"-s", "-p", "COM1", "-b", "9600", "-m", "TQR-03", "-f", "x"},
     {},
     1,
     "COM1",
     9600,
     "TQR-03",
     "x",
     {1, 1, 0, 0, 0}},
    // Numbers that are not numbers of the right form and range are refused, never read in
    // part: the port's values stay as "-p" set them.
    // clang-format off
    {"BaudRateWithTrailingText", {"-s", "-p", "COM1", "-b", "9600baud"}, {}, -1, "COM1", 115200, "", "", {1, 1, 0, 0, 0}},
    {"BaudRateOutsideTheSet", {"-s", "-p", "COM1", "-b", "12345"}, {}, -1, "COM1", 115200, "", "", {1, 1, 0, 0, 0}},
    {"BaudRateOfEndlessDigits", {"-s", "-p", "COM1", "-b", LongText(400, '9')}, {}, -1, "COM1", 115200, "", "", {1, 1, 0, 0, 0}},
    {"TcpPortNotANumber", {"-s", "-p", "NET", "1.2.3.4", "-tcpport", "abc"}, {}, -1, "1.2.3.4", 9100, "", "", {1, 0, 0, 0, 1}},
    {"TcpPortOutOfRange", {"-s", "-p", "NET", "1.2.3.4", "-tcpport", "70000"}, {}, -1, "1.2.3.4", 9100, "", "", {1, 0, 0, 0, 1}},
    {"AddressOctetPast255", {"-s", "-p", "NET", "300.1.1.1"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"AddressInShortForm", {"-s", "-p", "NET", "127.1"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"AddressInHex", {"-s", "-p", "NET", "0x7f.1"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"AddressAsOneNumber", {"-s", "-p", "NET", "2130706433"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"AddressInOctal", {"-s", "-p", "NET", "0177.0.0.1"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"ScriptOptionAfterDashS", {"-s", "--dry-run", "-p", "LPT1"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    // clang-format on
    {"AddressWithLeadingZerosIsDecimal",
     {"-s", "-p", "NET", "127.000.000.010", "-m", "TQR-03", "-f", "x"},
     {},
     1,
     "127.0.0.10",
     9100,
     "TQR-03",
     "x",
     {1, 0, 0, 0, 1}},
    {"BaudRateBeforeSerialPort",
     {"-s", "-b", "9600", "-p", "COM1"},
     {},
     -1,
     "",
     0,
     "",
     "",
     {0, 0, 0, 0, 0}},
    {"BaudRateWithoutValue",
     {"-s", "-p", "COM1", "-b"},
     {},
     -1,
     "COM1",
     115200,
     "",
     "",
     {1, 1, 0, 0, 0}},
    {"Ethernet",
     {"-s", "-p", "NET", "192.168.0.7", "-tcpport", "2000", "-m", "TQR-03", "-f", "x"},
     {},
     1,
     "192.168.0.7",
     2000,
     "TQR-03",
     "x",
     {1, 0, 0, 0, 1}},
    {"EthernetDefaultTcpPort",
     {"-s", "-p", "net", "10.0.0.1", "-m", "TQR-03", "-f", "x"},
     {},
     1,
     "10.0.0.1",
     9100,
     "TQR-03",
     "x",
     {1, 0, 0, 0, 1}},
    {"EthernetWithoutAddress", {"-s", "-p", "NET"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"TcpPortBeforeEthernet",
     {"-s", "-tcpport", "2000", "-p", "NET", "1.2.3.4"},
     {},
     -1,
     "",
     0,
     "",
     "",
     {0, 0, 0, 0, 0}},
    {"TcpPortOnSerialPort",
     {"-s", "-p", "COM2", "-tcpport", "2000"},
     {},
     -1,
     "COM2",
     115200,
     "",
     "",
     {1, 1, 0, 0, 0}},
    {"UnknownPortKind", {"-s", "-p", "LPX1"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"PortWithoutValue", {"-s", "-p"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"ModelWithoutValue", {"-s", "-m"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"FileWithoutValue", {"-s", "-f"}, {}, -1, "", 0, "", "", {0, 0, 0, 0, 0}},
    {"UnknownArgumentSkipped",
     {"-s", "-x", "-p", "LPT1", "-m", "TQR-03", "-f", "f.fls"},
     {},
     1,
     "LPT1",
     0,
     "TQR-03",
     "f.fls",
     {1, 0, 1, 0, 0}},
    {"ValuesAreNotOptionNames", {"-s", "-m", "-f"}, {}, 0, "", 0, "-f", "", {0, 0, 0, 0, 0}},
    {"LaterSerialPortWinsOverUsb",
     {"-s", "-p", "USB", "-p", "COM1", "-m", "TQR-03", "-f", "x"},
     {},
     1,
     "COM1",
     115200,
     "TQR-03",
     "x",
     {1, 1, 0, 1, 0}},
    {"LaterUsbKeepsEarlierPortName",
     {"-s", "-p", "COM1", "-p", "usb", "-m", "TQR-03", "-f", "x"},
     {},
     1,
     "COM1",
     115200,
     "TQR-03",
     "x",
     {0, 1, 0, 1, 0}},
    {"NoPortMeansUsb",
     {"-s", "-m", "TQR-03", "-f", "x.fls"},
     {},
     1,
     "",
     0,
     "TQR-03",
     "x.fls",
     {0, 0, 0, 1, 0}},
    {"ModelWithoutFileTakesNewest",
     {"-s", "-m", "TQR-03", "-p", "LPT2"},
     {"TQR-03_A_123109.fls", "TQR-03_B_010110.fls"},
     1,
     "LPT2",
     0,
     "TQR-03",
     "TQR-03_B_010110.fls",
     {1, 0, 1, 0, 0}},
    {"ModelWithoutMatchingFileIsInteractive",
     {"-s", "-m", "TQR-03"},
     {"TQR-04_A_010110.fls"},
     0,
     "",
     0,
     "TQR-03",
     "",
     {0, 0, 0, 0, 0}},
    {"FileWithoutModelIsReplacedByDiscovery",
     {"-s", "-f", "mine.fls"},
     {"TQR-05_X_010110.fls"},
     1,
     "",
     0,
     "TQR-05",
     "TQR-05_X_010110.fls",
     {0, 0, 0, 1, 0}},
    {"OverLongValuesKeptWhole",
     {"-s", "-p", "COM" + LongText(300, 'A'), "-m", LongText(5000, 'M'), "-f", LongText(5000, 'f')},
     {},
     1,
     "\\\\.\\COM" + LongText(300, 'A'),
     115200,
     LongText(5000, 'M'),
     LongText(5000, 'f'),
     {1, 1, 0, 0, 0}},
};

void PrintTo(const CommandLineCase& c, std::ostream* out) {
  *out << c.name;
}

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, DecodesTheJob) {
  const CommandLineCase& c = GetParam();
  AppJob job(c.files);
  std::vector<std::string> argv{"vrtqlx"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  job.app.SetCommandLine(argv);

  EXPECT_EQ(job.app.ParseCommandLine(), c.outcome);
  EXPECT_EQ(job.app.port.portName, c.portName);
  EXPECT_EQ(job.app.port.baudRate, c.baudRate);
  EXPECT_EQ(job.app.modelName, c.modelName);
  EXPECT_EQ(job.app.firmwareName, c.firmwareName);
  const RunFlags& f = job.app.flags;
  EXPECT_EQ(f.portResolved, c.flags.portResolved);
  EXPECT_EQ(f.kindCom, c.flags.kindCom);
  EXPECT_EQ(f.kindLpt, c.flags.kindLpt);
  EXPECT_EQ(f.kindUsb, c.flags.kindUsb);
  EXPECT_EQ(f.kindNet, c.flags.kindNet);
  if (c.outcome == 1) {
    EXPECT_EQ(f.modelGiven, 1);
    EXPECT_EQ(f.fileGiven, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLineTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
