#include "res/dialog_templates.h"

#include "framework/app_identity.h"
#include "res/resource_ids.h"

namespace res {

using fw::Control;
using fw::ControlClass;
namespace ds = fw::dialog_style;
namespace cs = fw::style;

fw::DialogTemplate MainDialogTemplate() {
  fw::DialogTemplate t;
  t.id = kMainDialog;
  t.width = 192;
  t.height = 136;
  t.fontName = "Arial";
  t.fontPoints = 8;
  t.style = ds::kPopup | ds::kVisible | ds::kThinBorder | ds::kAppWindow;
  t.controls = {
      Control(kTitleLine, ControlClass::Static, "  " + fw::ApplicationNameAndVersion(), 0, 0, 191,
              9),
      Control(kHelpLine, ControlClass::Static, "Select File...", 7, 13, 184, 11,
              cs::kNoWrap | cs::kCenterVertically),
      Control(kPicture, ControlClass::Picture, "", 6, 27, 113, 112),
      Control(kConfigButton, ControlClass::OwnerDrawButton, "", 109, 29, 75, 15, cs::kTabStop),
      Control(kSelectButton, ControlClass::OwnerDrawButton, "", 109, 52, 75, 14, cs::kTabStop),
      Control(kDownloadButton, ControlClass::OwnerDrawButton, "", 109, 74, 75, 14, cs::kTabStop),
      Control(kExitButton, ControlClass::OwnerDrawButton, "", 109, 96, 75, 14, cs::kTabStop),
  };
  return t;
}

fw::DialogTemplate AboutDialogTemplate() {
  fw::DialogTemplate t;
  t.id = kAboutDialog;
  t.width = 235;
  t.height = 55;
  t.fontName = "MS Sans Serif";
  t.fontPoints = 8;
  t.style = ds::kModalFrame | ds::kCaption | ds::kSystemMenu;
  t.caption = "About " + fw::ApplicationName();
  t.controls = {
      Control(-1, ControlClass::Icon, "", 11, 17, 20, 20, 0, kAppIcon),
      // The line is 119 units wide: the program's short name keeps name and version on it.
      Control(-1, ControlClass::Static, fw::ApplicationTitle() + " Version " VRTQLX_VERSION, 69, 25,
              119, 8),
      Control(-1, ControlClass::Static, "Firmware download utility", 69, 41, 119, 8),
      Control(1, ControlClass::PushButton, "OK", 178, 7, 50, 14, cs::kTabStop | cs::kGroup),
  };
  return t;
}

fw::DialogTemplate PrinterSelectDialogTemplate() {
  fw::DialogTemplate t;
  t.id = kPrinterSelectDialog;
  t.width = 145;
  t.height = 74;
  t.fontName = "Arial";
  t.fontPoints = 8;
  t.style = ds::kPopup | ds::kThinBorder;
  t.controls = {
      Control(1018, ControlClass::ListBox, "", 2, 15, 142, 58, cs::kVerticalScroll | cs::kTabStop),
      Control(-1, ControlClass::GroupBox, "", 1, 11, 144, 54),
      Control(-1, ControlClass::Static, "Select Printer", 2, 5, 44, 8),
  };
  return t;
}

fw::DialogTemplate NoticeDialogTemplate() {
  fw::DialogTemplate t;
  t.id = kNoticeDialog;
  t.width = 229;
  t.height = 118;
  t.fontName = "Arial";
  t.fontPoints = 8;
  t.style = ds::kPopup;
  t.controls = {
      Control(1016, ControlClass::OwnerDrawButton, "Button1", 78, 100, 74, 14, cs::kTabStop),
      Control(65535, ControlClass::Picture, "", 2, 1, 224, 109, 0, kNoticePicture),
  };
  return t;
}

// The communication settings. The IP address control and the TCP port edit lie over the Port
// and BaudRate boxes; only one pair is shown at a time.
fw::DialogTemplate PortConfigDialogTemplate() {
  constexpr uint32_t kCombo = cs::kEditableDropDown | cs::kVerticalScroll | cs::kTabStop;
  fw::DialogTemplate t;
  t.id = kPortConfigDialog;
  t.width = 197;
  t.height = 151;
  t.fontName = "Small Fonts";
  t.fontPoints = 7;
  t.style = ds::kPopup | ds::kSystemModal;
  t.controls = {
      Control(kPortLabel, ControlClass::Static, "Port", 20, 28, 48, 13),
      Control(kBaudRateLabel, ControlClass::Static, "BaudRate", 20, 44, 48, 13),
      Control(kUnnamedControl, ControlClass::Static, "BitLength", 20, 60, 48, 13),
      Control(kUnnamedControl, ControlClass::Static, "Parity", 20, 76, 48, 13),
      Control(kUnnamedControl, ControlClass::Static, "StopBit", 20, 92, 48, 13),
      Control(kUnnamedControl, ControlClass::Static, "HandShake", 20, 108, 48, 13),
      Control(kUnnamedControl, ControlClass::GroupBox, "", 3, 18, 191, 106),
      Control(kPortCombo, ControlClass::ComboBox, "", 79, 26, 73, 68, kCombo),
      Control(kBaudRateCombo, ControlClass::ComboBox, "", 79, 42, 73, 60, kCombo),
      Control(kBitLengthCombo, ControlClass::ComboBox, "", 79, 58, 73, 54, kCombo),
      Control(kParityCombo, ControlClass::ComboBox, "", 79, 74, 73, 54, kCombo),
      Control(kStopBitCombo, ControlClass::ComboBox, "", 79, 90, 73, 48, kCombo),
      Control(kHandShakeCombo, ControlClass::ComboBox, "", 79, 106, 73, 54, kCombo),
      Control(kRadioFrame, ControlClass::GroupBox, "", 3, 0, 191, 20),
      Control(kComRadio, ControlClass::Radio, "COM", 15, 8, 34, 9, cs::kGroup),
      Control(kLptRadio, ControlClass::Radio, "LPT", 59, 8, 29, 9),
      Control(kUsbRadio, ControlClass::Radio, "USB", 103, 8, 31, 9),
      Control(kEthernetRadio, ControlClass::Radio, "Ethernet", 144, 8, 44, 10),
      Control(kPortOkButton, ControlClass::OwnerDrawButton, "OK", 15, 129, 78, 19, cs::kTabStop),
      Control(kPortCancelButton, ControlClass::OwnerDrawButton, "Button1", 100, 129, 78, 19,
              cs::kTabStop),
      Control(kIpAddress, ControlClass::IpAddress, "IPAddress1", 78, 26, 108, 14, cs::kTabStop),
      Control(kTcpPortEdit, ControlClass::Edit, "", 78, 42, 77, 14,
              cs::kDigitsOnly | cs::kRightAlign | cs::kBorder | cs::kAutoHorizontalScroll |
                  cs::kTabStop),
  };
  return t;
}

}  // namespace res
