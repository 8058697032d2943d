// The Win32 platform files against the system itself: the profile reader, the line state a
// COM port gets, device instance names from the registry, files in the log's place.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/event_log.h"
#include "platform/file_bytes.h"
#include "platform/profile_reader.h"
#include "platform/win32/device_registry.h"
#include "platform/win32/serial_dcb.h"
#include "ports/usb_product_match.h"
#include "support/temp_dir.h"

namespace {

TEST(Win32Profile, TheSystemsReaderAnswersAsTheProgramsOwnParser) {
  const std::string text =
      "[QLX]\r\nPORTTYPE = NET \r\nip=\"192.168.0.20\"\r\nTCPPORT=9100\r\nBAUDRATE=-38400x\r\n"
      "MODELNAME=TQR-23\r\nMODELNAME=second\r\n[other]\r\nFWNAME=no\r\n";
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.Join("vrtqlx.ini"), text);
  auto system = platform::ProfileReader::Load(dir.Join("vrtqlx.ini"));
  ASSERT_TRUE(system);
  const platform::ProfileReader own(text);
  for (const char* key : {"PORTTYPE", "IP", "MODELNAME", "FWNAME", "MISSING"}) {
    EXPECT_EQ(system.value().GetString("qlx", key, "none"), own.GetString("qlx", key, "none"))
        << key;
  }
  for (const char* key : {"TCPPORT", "BAUDRATE", "MISSING"}) {
    EXPECT_EQ(system.value().GetInt("QLX", key, 7), own.GetInt("QLX", key, 7)) << key;
  }
  EXPECT_FALSE(platform::ProfileReader::Load(dir.Join("absent.ini")));
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
