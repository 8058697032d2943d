#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "app_job.h"
#include "platform/file_handle.h"

namespace {

using namespace std::string_literals;

struct SettingsCase {
  const char* name;
  std::string ini;
  std::vector<std::string> files;
  int outcome;
  std::string portName;
  int32_t baudRate;
  std::string modelName;
  std::string firmwareName;
};

const SettingsCase kCases[] = {
    {"EmptyFile", "", {}, -1, "", 0, "", ""},
    {"SerialJob",
     "[QLX]\nPORTTYPE=com3\nBAUDRATE=9600\nMODELNAME=TQR-03\nFWNAME=x.fls\n",
     {},
     1,
     "COM3",
     9600,
     "TQR-03",
     "x.fls"},
    {"SerialWithoutBaudRateIsZero",
     "[QLX]\r\nPORTTYPE=COM3\r\nMODELNAME=TQR-03\r\nFWNAME=x.fls\r\n",
     {},
     1,
     "COM3",
     0,
     "TQR-03",
     "x.fls"},
    {"SerialLongNameGetsDevicePrefix",
     "[QLX]\nPORTTYPE=COM12\nMODELNAME=TQR-03\nFWNAME=x.fls\n",
     {},
     1,
     "\\\\.\\COM12",
     0,
     "TQR-03",
     "x.fls"},
    {"EthernetWithoutAddress",
     "[QLX]\nPORTTYPE=NET\nMODELNAME=TQR-03\nFWNAME=x.fls\n",
     {},
     -1,
     "",
     0,
     "",
     ""},
    {"EthernetWithoutTcpPortIsZero",
     "[QLX]\nPORTTYPE=NET\nIP=192.168.1.20\nMODELNAME=TQR-03\nFWNAME=x.fls\n",
     {},
     1,
     "192.168.1.20",
     0,
     "TQR-03",
     "x.fls"},
    {"EthernetWithTcpPort",
     "[QLX]\nPORTTYPE=NET\nIP=192.168.1.20\nTCPPORT=2000\nMODELNAME=TQR-03\nFWNAME=x.fls\n",
     {},
     1,
     "192.168.1.20",
     2000,
     "TQR-03",
     "x.fls"},
    {"UsbTakesNewestFileOfModel",
     "[QLX]\nPORTTYPE=USB\nMODELNAME=TQR-03\n",
     {"TQR-03_A_123109.fls", "TQR-03_B_010110.fls", "TQR-04_C_010111.fls"},
     1,
     "",
     0,
     "TQR-03",
     "TQR-03_B_010110.fls"},
    {"UsbWithoutFileOfModel",
     "[QLX]\nPORTTYPE=USB\nMODELNAME=TQR-03\n",
     {"TQR-04_C_010111.fls"},
     -1,
     "",
     0,
     "TQR-03",
     ""},
    {"MissingPortType", "[QLX]\nMODELNAME=TQR-03\nFWNAME=x.fls\n", {}, -1, "", 0, "", ""},
    {"UnknownPortType",
     "[QLX]\nPORTTYPE=SCSI\nMODELNAME=TQR-03\nFWNAME=x.fls\n",
     {},
     -1,
     "",
     0,
     "",
     ""},
    {"KeysOutsideTheSection", "PORTTYPE=COM1\n[OTHER]\nPORTTYPE=COM1\n", {}, -1, "", 0, "", ""},
    {"CatalogueModelOfNoFamily",
     "[QLX]\nPORTTYPE=LPT1\nMODELNAME=TQG-36\nFWNAME=x.fls\n",
     {},
     -1,
     "LPT1",
     0,
     "",
     ""},
    {"FamilyIsCaseSensitive",
     "[QLX]\nPORTTYPE=LPT1\nMODELNAME=tqr-03\nFWNAME=x.fls\n",
     {},
     -1,
     "LPT1",
     0,
     "",
     ""},
    {"UnknownModelOfKnownFamily",
     "[QLX]\nPORTTYPE=LPT1\nMODELNAME=TQB-99\nFWNAME=x.fls\n",
     {},
     1,
     "LPT1",
     0,
     "TQB-99",
     "x.fls"},
    {"UpperCaseFls",
     "[QLX]\nPORTTYPE=LPT1\nMODELNAME=TQR-03\nFWNAME=x.FLS\n",
     {},
     -1,
     "LPT1",
     0,
     "TQR-03",
     ""},
    {"FileNameTooShortForFls",
     "[QLX]\nPORTTYPE=LPT1\nMODELNAME=TQR-03\nFWNAME=ls\n",
     {},
     -1,
     "LPT1",
     0,
     "TQR-03",
     ""},
    {"FileWithoutModel", "[QLX]\nPORTTYPE=LPT1\nFWNAME=x.fls\n", {}, -1, "LPT1", 0, "", ""},
    {"NeitherModelNorFileTakesTheOneFile",
     "[QLX]\nPORTTYPE=LPT1\n",
     {"TQS-21_V3_020211.fls"},
     1,
     "LPT1",
     0,
     "TQS-21",
     "TQS-21_V3_020211.fls"},
    {"NeitherModelNorFileWithTwoFiles",
     "[QLX]\nPORTTYPE=LPT1\n",
     {"TQS-21_V3_020211.fls", "TQS-21_V4_020212.fls"},
     -1,
     "LPT1",
     0,
     "",
     ""},
    {"NeitherModelNorFileWithNameWithoutUnderscore",
     "[QLX]\nPORTTYPE=LPT1\n",
     {"firmware.fls"},
     -1,
     "LPT1",
     0,
     "",
     ""},
    {"AbsoluteFirmwareName",
     "[QLX]\nPORTTYPE=LPT1\nMODELNAME=TQR-03\nFWNAME=/opt/fw/x.fls\n",
     {},
     1,
     "LPT1",
     0,
     "TQR-03",
     "/opt/fw/x.fls"},
    {"ValueCutAtNulByte",
     "[QLX]\nPORTTYPE=COM1\0junk\nMODELNAME=TQR-03\nFWNAME=x.fls\n"s,
     {},
     1,
     "COM1",
     0,
     "TQR-03",
     "x.fls"},
    {"BinaryBytes", "\x01\xff[\x00QLX]\n\x7f=\x80\xfe\n[QLX\n=\n\xff\xfe"s, {}, -1, "", 0, "", ""},
    {"OverLongValuesKeptWhole",
     "[QLX]\nPORTTYPE=COM" + LongText(300, '7') + "\nMODELNAME=TQR" + LongText(400, 'x') +
         "\nFWNAME=" + LongText(1000, 'n') + ".fls\n",
     {},
     1,
     "\\\\.\\COM" + LongText(300, '7'),
     0,
     "TQR" + LongText(400, 'x'),
     LongText(1000, 'n') + ".fls"},
};

// Opens the file as the start does, then reads the job through what it opened.
int LoadFrom(CFirmwareApp& app, const std::string& path) {
  auto file = platform::File::OpenReadOnly(path);
  return app.LoadSettingsFile(path, file);
}

void PrintTo(const SettingsCase& c, std::ostream* out) {
  *out << c.name;
}

class SettingsFileTest : public testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsFileTest, DecodesTheJob) {
  const SettingsCase& c = GetParam();
  AppJob job(c.files);
  const std::string path = job.dir.Join("vrtqlx.ini");
  testsupport::WriteFile(path, c.ini);

  EXPECT_EQ(LoadFrom(job.app, path), c.outcome);
  EXPECT_EQ(job.app.port.portName, c.portName);
  EXPECT_EQ(job.app.port.baudRate, c.baudRate);
  EXPECT_EQ(job.app.modelName, c.modelName);
  EXPECT_EQ(job.app.firmwareName, c.firmwareName);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsFileTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFileTest, FileThatCannotBeReadIsInvalidParameters) {
  AppJob job;
  const std::string directory = job.dir.Join("vrtqlx.ini");
  ASSERT_EQ(::mkdir(directory.c_str(), 0755), 0);
  EXPECT_EQ(LoadFrom(job.app, directory), -1);

  const std::string fifo = job.dir.Join("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(LoadFrom(job.app, fifo), -1);  // and does not wait for a writer

  const std::string huge = job.dir.Join("huge.ini");
  testsupport::WriteFile(huge, "[QLX]\nPORTTYPE=LPT1\n" + LongText(2u << 20, ';'));
  EXPECT_EQ(LoadFrom(job.app, huge), -1);
}

TEST(SettingsFileTest, BaudRateOfSerialPortIsNotTakenForOtherKinds) {
  AppJob job;
  const std::string path = job.dir.Join("vrtqlx.ini");
  testsupport::WriteFile(path,
                         "[QLX]\nPORTTYPE=LPT1\nBAUDRATE=9600\nTCPPORT=7\nMODELNAME=TQR-03\n"
                         "FWNAME=x.fls\n");
  // A file put in its place after the check is not the one read.
  auto checked = platform::File::OpenReadOnly(path);
  testsupport::WriteFile(job.dir.Join("swap.ini"), "[QLX]\nPORTTYPE=COM1\nBAUDRATE=9600\n");
  ASSERT_EQ(std::rename(job.dir.Join("swap.ini").c_str(), path.c_str()), 0);
  ASSERT_EQ(job.app.LoadSettingsFile(path, checked), 1);
  EXPECT_EQ(job.app.port.baudRate, 0);
  EXPECT_EQ(job.app.flags.kindLpt, 1);
  EXPECT_EQ(job.app.flags.kindUsb, 0);  // the settings file never falls back to USB
}

TEST(SettingsFileTest, AddressIsReadAsTheCommandLineReadsIt) {
  const std::pair<std::string, std::string> kAddresses[] = {{"127.000.000.010", "127.0.0.10"},
                                                            {"0x7f.1", ""},
                                                            {"2130706433", ""},
                                                            {"127.1", ""},
                                                            {"0177.0.0.1", ""},
                                                            {"printer.lan", "printer.lan"}};
  for (const auto& [ip, taken] : kAddresses) {
    SCOPED_TRACE(ip);
    AppJob job;
    const std::string path = job.dir.Join("vrtqlx.ini");
    testsupport::WriteFile(path,
                           "[QLX]\nPORTTYPE=NET\nIP=" + ip + "\nMODELNAME=TQR-03\nFWNAME=x.fls\n");
    EXPECT_EQ(LoadFrom(job.app, path), taken.empty() ? -1 : 1);
    EXPECT_EQ(job.app.port.portName, taken);
    if (taken.empty()) {
      EXPECT_NE(job.app.invalidReason.find("IP=" + ip), std::string::npos);
    }
  }
}

}  // namespace
