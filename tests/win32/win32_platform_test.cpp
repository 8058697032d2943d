// The Win32 platform files against the system itself: the profile reader, the line state a
// COM port gets, device instance names from the registry, files in the log's place.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h must come first.
#include <sddl.h>
#include <winspool.h>

#include <cstring>
#include <utility>
#include <vector>

#include "app/event_log.h"
#include "platform/file_bytes.h"
#include "platform/file_handle.h"
#include "platform/file_system.h"
#include "platform/profile_reader.h"
#include "platform/run_directory.h"
#include "platform/spooler.h"
#include "platform/spooler_port_text.h"
#include "platform/win32/device_registry.h"
#include "platform/win32/owner_only_access.h"
#include "platform/win32/serial_dcb.h"
#include "platform/win32/trusted_owner.h"
#include "ports/queue_hold.h"
#include "ports/usb_product_match.h"
#include "support/temp_dir.h"

namespace {

// The settings file is read through the file whose owner was checked, and the system's
// reader answers from it while it is open: as the program's own parser does, and not at all
// once the file is renamed under it.
TEST(Win32Profile, TheSystemsReaderAnswersAsTheProgramsOwnParser) {
  const std::string text =
      "[QLX]\r\nPORTTYPE = NET \r\nip=\"192.168.0.20\"\r\nTCPPORT=9100\r\nBAUDRATE=-38400x\r\n"
      "MODELNAME=TQR-23\r\nMODELNAME=second\r\n[other]\r\nFWNAME=no\r\n";
  testsupport::TempDir dir;
  const std::string path = dir.Join("vrtqlx.ini");
  testsupport::WriteFile(path, text);
  auto file = platform::File::OpenReadOnly(path);
  ASSERT_TRUE(file);
  auto system = platform::ProfileReader::Read(file.value(), path);
  ASSERT_TRUE(system);
  const platform::ProfileReader own(text);
  for (const char* key : {"PORTTYPE", "IP", "MODELNAME", "FWNAME", "MISSING"}) {
    EXPECT_EQ(system.value().GetString("qlx", key, "none"), own.GetString("qlx", key, "none"))
        << key;
  }
  for (const char* key : {"TCPPORT", "BAUDRATE", "MISSING"}) {
    EXPECT_EQ(system.value().GetInt("QLX", key, 7), own.GetInt("QLX", key, 7)) << key;
  }
  EXPECT_FALSE(MoveFileA(path.c_str(), dir.Join("other.ini").c_str()));
}

// Who may own a settings file, judged on accounts made by hand: Wine shows every file of
// another Unix user as owned by one fixed account, never as another Windows user's.
TEST(Win32FileTrust, OnlyTheUserAdministratorsAndSystemMayOwnASettingsFile) {
  struct Sid {
    explicit Sid(const char* text) { ConvertStringSidToSidA(text, &sid); }
    ~Sid() { LocalFree(sid); }
    PSID sid = nullptr;
  };
  const Sid user("S-1-5-21-1004336348-1177238915-682003330-1001");
  const struct {
    const char* owner;
    bool trusted;
  } kOwners[] = {{"S-1-5-21-1004336348-1177238915-682003330-1001", true},
                 {"S-1-5-32-544", true},  // Administrators
                 {"S-1-5-18", true},      // SYSTEM
                 {"S-1-5-21-1004336348-1177238915-682003330-1002", false},
                 {"S-1-5-32-545", false},  // Users
                 {"S-1-1-0", false},       // Everyone
                 {"S-1-5-7", false}};      // anonymous
  for (const auto& c : kOwners) {
    const Sid owner(c.owner);
    ASSERT_NE(owner.sid, nullptr) << c.owner;
    EXPECT_EQ(platform::IsTrustedOwner(owner.sid, user.sid), c.trusted) << c.owner;
  }
  // A user that cannot be read is no one's file.
  EXPECT_FALSE(platform::IsTrustedOwner(user.sid, nullptr));
}

TEST(Win32RunDirectory, OnTheSystemDriveAndOnlyItsUserMayOpenIt) {
  platform::RunDirectory run;
  auto path = run.Path();
  ASSERT_TRUE(path) << path.Describe();
  char system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(system, sizeof system), 2u);
  EXPECT_EQ(path.value().substr(0, 8), std::string(system, 2) + "\\Temp\\");

  // The access list the directory is made with (Wine keeps a folder's list only as Unix
  // modes, so the list is read off the attributes rather than the folder).
  platform::OwnerOnlyAccess access;
  ASSERT_NE(access.attributes(), nullptr);
  PSECURITY_DESCRIPTOR descriptor = access.attributes()->lpSecurityDescriptor;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
  EXPECT_NE(control & SE_DACL_PROTECTED, 0);  // nothing handed down from C:\Temp
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl != nullptr);
  ASSERT_EQ(dacl->AceCount, 1);
  ACCESS_ALLOWED_ACE* ace = nullptr;
  ASSERT_TRUE(GetAce(dacl, 0, reinterpret_cast<void**>(&ace)));
  EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
  EXPECT_EQ(ace->Mask & FILE_ALL_ACCESS, static_cast<DWORD>(FILE_ALL_ACCESS));
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  BYTE user[256];
  DWORD size = sizeof user;
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, user, size, &size));
  CloseHandle(token);
  EXPECT_TRUE(EqualSid(&ace->SidStart, reinterpret_cast<TOKEN_USER*>(user)->User.Sid));
}

TEST(Win32Paths, AbsoluteIsWhatWindowsCallsAbsoluteAndJoinsUseBackslashes) {
  for (const char* path :
       {"C:\\fw\\x.fls", "z:/fw/x.fls", "\\\\server\\share\\x.fls", "\\fw\\x.fls", "/fw/x.fls"}) {
    EXPECT_TRUE(platform::IsAbsolutePath(path)) << path;
  }
  for (const char* path : {"x.fls", "fw\\x.fls", "C:x.fls", "1:\\x.fls", ""}) {
    EXPECT_FALSE(platform::IsAbsolutePath(path)) << path;
  }
  EXPECT_EQ(platform::JoinPath("C:\\work", "x.fls"), "C:\\work\\x.fls");
  EXPECT_EQ(platform::JoinPath("C:\\", "x.fls"), "C:\\x.fls");
}

TEST(Win32SpoolerPorts, PrintersAreMatchedByTheirPortTexts) {
  struct Case {
    const char* portText;
    const char* portName;
    bool onPort;
  };
  const Case cases[] = {
      {"COM5:", "COM5", true},          {"COM5:", "COM1", false},
      {"COM10:", "COM1", true},  // a substring test, as the spooler's port lists are read
      {"LPT1:", "LPT1", true},          {"LPT1:,COM5:", "COM5", true},
      {"COM12:", "\\\\.\\COM12", true}, {"\\\\.\\COM12", "\\\\.\\COM12", true},
      {"USB001", "COM5", false},        {"FILE:", "LPT1", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::PortTextNamesPort(c.portText, c.portName, "\\\\.\\whatever"), c.onPort)
        << c.portText << " / " << c.portName;
  }
  EXPECT_TRUE(platform::PortTextIsUsb("USB001"));
  EXPECT_TRUE(platform::PortTextIsUsb("LPT1:,USB002"));
  EXPECT_FALSE(platform::PortTextIsUsb("COM5:"));
  EXPECT_FALSE(platform::PortTextIsUsb("usb"));
}

DWORD AttributesOf(const std::string& name) {
  HANDLE printer = nullptr;
  if (!OpenPrinterA(const_cast<char*>(name.c_str()), &printer, nullptr)) return ~0u;
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  std::vector<BYTE> info(needed + 1);
  const bool read = GetPrinterA(printer, 2, info.data(), needed, &needed);
  ClosePrinter(printer);
  return read ? reinterpret_cast<PRINTER_INFO_2A*>(info.data())->Attributes : ~0u;
}

// A USB printer is made to refuse jobs (its attribute word) before it is paused: when the
// pause is refused, as Wine's spooler refuses every pause, the word must come back.
TEST(Win32Spooler, APrinterWhosePauseIsRefusedGetsItsAttributeWordBack) {
  const std::string name = "QlxRefusedPause";
  const std::string key = "System\\CurrentControlSet\\Control\\Print\\Printers\\" + name;
  HKEY printerKey = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &printerKey, nullptr),
            ERROR_SUCCESS);
  for (auto [field, value] : {std::pair{"Name", name.c_str()},
                              {"Port", "USB001"},
                              {"Printer Driver", "VORTANE TQR-23"},
                              {"Print Processor", "winprint"},
                              {"Datatype", "RAW"}}) {
    RegSetValueExA(printerKey, field, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(std::strlen(value) + 1));
  }
  RegCloseKey(printerKey);
  auto spooler = platform::CreateSystemSpooler();
  const DWORD before = AttributesOf(name);
  // Wine's spooler reads its printers from these keys; the one of Windows does not.
  if (before == ~0u) GTEST_SKIP() << "the spooler did not take a printer from the registry";
  // The spooler takes the word: refusing jobs changes it, taking them again puts it back.
  ASSERT_TRUE(spooler->SetAcceptingJobs(name, false, "held"));
  EXPECT_EQ(AttributesOf(name), static_cast<DWORD>(PRINTER_ATTRIBUTE_RAW_ONLY));
  ASSERT_TRUE(spooler->SetAcceptingJobs(name, true, {}));
  EXPECT_EQ(AttributesOf(name), before);

  HolderJudge judge;
  judge.self = {"test-host", 1, 4242, 77};
  judge.stateOf = [](const platform::RunIdentity&) { return platform::RunState::kRunning; };
  bool messageCut = false;
  if (HoldQueue(*spooler, name, judge, true, messageCut)) {
    EXPECT_TRUE(ReleaseQueue(*spooler, name, judge));  // a spooler that grants the pause
  }
  EXPECT_EQ(AttributesOf(name), before);
  const auto queue = spooler->GetQueue(name);
  ASSERT_TRUE(queue);
  EXPECT_TRUE(queue.value().acceptingJobs);
  EXPECT_FALSE(queue.value().paused);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
}

TEST(Win32SerialLine, TheLinkTimeOutsAreAppliedAsCarried) {
  const COMMTIMEOUTS applied = platform::CommTimeoutsFor({10, 10, 100, 5, 3000});
  EXPECT_EQ(applied.ReadIntervalTimeout, 10u);
  EXPECT_EQ(applied.ReadTotalTimeoutMultiplier, 10u);
  EXPECT_EQ(applied.ReadTotalTimeoutConstant, 100u);
  EXPECT_EQ(applied.WriteTotalTimeoutMultiplier, 5u);
  EXPECT_EQ(applied.WriteTotalTimeoutConstant, 3000u);
}

TEST(Win32SerialLine, LineStateFollowsTheSettingsAndKeepsTheRest) {
  DCB found{};
  found.DCBlength = sizeof found;
  found.XonChar = 0x11;
  found.fBinary = TRUE;
  platform::SerialLineSettings settings{19200, 7, 2, 2, platform::SerialFlowControl::kDtrDsr};
  auto dsr = platform::LineStateFor(found, settings, platform::ModemLines::kPresent);
  ASSERT_TRUE(dsr);
  EXPECT_EQ(dsr->BaudRate, 19200u);
  EXPECT_EQ(dsr->ByteSize, 7);
  EXPECT_EQ(dsr->Parity, 2);
  EXPECT_EQ(dsr->StopBits, 2);
  EXPECT_TRUE(dsr->fParity);
  EXPECT_TRUE(dsr->fOutxDsrFlow);
  EXPECT_FALSE(dsr->fOutxCtsFlow);
  EXPECT_EQ(dsr->fDtrControl, static_cast<DWORD>(DTR_CONTROL_HANDSHAKE));
  EXPECT_EQ(dsr->fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
  EXPECT_FALSE(dsr->fOutX);
  EXPECT_EQ(dsr->XonChar, 0x11);
  EXPECT_TRUE(dsr->fBinary);

  settings.flowControl = platform::SerialFlowControl::kXonXoff;
  settings.parity = 0;
  auto xon = platform::LineStateFor(found, settings, platform::ModemLines::kPresent);
  ASSERT_TRUE(xon);
  EXPECT_FALSE(xon->fParity);
  EXPECT_TRUE(xon->fOutxCtsFlow);
  EXPECT_FALSE(xon->fOutxDsrFlow);
  EXPECT_EQ(xon->fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
  EXPECT_TRUE(xon->fOutX && xon->fInX);
  // A line without modem status waits for neither DSR nor CTS.
  auto bare = platform::LineStateFor(found, settings, platform::ModemLines::kAbsent);
  ASSERT_TRUE(bare);
  EXPECT_FALSE(bare->fOutxCtsFlow || bare->fOutxDsrFlow);

  settings.dataBits = 9;
  EXPECT_FALSE(platform::LineStateFor(found, settings, platform::ModemLines::kPresent));
}

TEST(Win32Registry, DeviceInstanceTextIsReadAndMapsToItsModel) {
  const std::string key =
      "Software\\vrtqlx-test\\DeviceClasses\\##.#usb#vid_7a3c&pid_0105#1-2#{a5dcbf10}";
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &handle, nullptr),
            ERROR_SUCCESS);
  const char instance[] = "USB\\VID_7A3C&PID_0105\\5&1A2B";
  RegSetValueExA(handle, "DeviceInstance", 0, REG_SZ, reinterpret_cast<const BYTE*>(instance),
                 sizeof instance);
  const DWORD number = 5;
  RegSetValueExA(handle, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof number);
  RegCloseKey(handle);

  const platform::Win32DeviceRegistry registry(HKEY_CURRENT_USER);
  auto value = registry.ReadValue(key, "DeviceInstance");
  ASSERT_TRUE(value);
  EXPECT_TRUE(value.value().plainString);
  EXPECT_EQ(value.value().text, instance);
  EXPECT_EQ(UsbModelCodeForDeviceInstance(value.value().text), 2005);
  auto notText = registry.ReadValue(key, "Number");
  ASSERT_TRUE(notText);
  EXPECT_FALSE(notText.value().plainString);
  EXPECT_FALSE(registry.ReadValue(key + "\\absent", "DeviceInstance"));
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\vrtqlx-test");
}

TEST(Win32Files, OnlyRegularFilesAreReadWrittenOrRemoved) {
  testsupport::TempDir dir;
  // A directory named like the log would swallow every line: they go to the fallback.
  ASSERT_TRUE(CreateDirectoryA(dir.Join("_VRT_QLX.txt").c_str(), nullptr));
  CEventLog log(dir.path(), dir.Join("fallback"), -1);
  log.Report(CEventLog::kSilent, CEventLog::kMessage, "Write Failed!");
  log.Flush();
  EXPECT_NE(testsupport::ReadFile(dir.Join("fallback\\_VRT_QLX.txt")).find("  Write Failed!\r\n"),
            std::string::npos);
  // Nor is a directory read as firmware, emptied or deleted as a driver file.
  EXPECT_FALSE(platform::ReadFileBytes(dir.Join("_VRT_QLX.txt"), 1 << 20));
  EXPECT_FALSE(platform::WriteFileBytes(dir.Join("_VRT_QLX.txt"), nullptr, 0));
  EXPECT_FALSE(platform::RemoveFile(dir.Join("_VRT_QLX.txt")));
  EXPECT_EQ(GetFileAttributesA(dir.Join("_VRT_QLX.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace
