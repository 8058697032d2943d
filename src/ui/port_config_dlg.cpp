#include "ui/port_config_dlg.h"

#include <cstdio>
#include <limits>

#include "app/model_codes.h"
#include "framework/data_exchange.h"
#include "framework/message_box.h"
#include "res/dialog_templates.h"
#include "res/resource_ids.h"
#include "res/resources.h"

namespace {

constexpr const char* kCaption = "VRT_QLX";

constexpr const char* kComPorts[] = {
    "COM1",         "COM2",         "COM3",         "COM4",         "COM5",
    "COM6",         "COM7",         "COM8",         "COM9",         "\\\\.\\COM10",
    "\\\\.\\COM11", "\\\\.\\COM12", "\\\\.\\COM13", "\\\\.\\COM14", "\\\\.\\COM15",
    "\\\\.\\COM16", "\\\\.\\COM17", "\\\\.\\COM18", "\\\\.\\COM19", "\\\\.\\COM20",
};
constexpr const char* kBaudRates[] = {"2400", "4800", "9600", "19200", "38400", "57600", "115200"};
constexpr int kDefaultBaudRateIndex = 2;
constexpr const char* kParities[] = {"NONE", "ODD", "EVEN"};
constexpr const char* kHandShakes[] = {"DTR/DSR", "XON/XOFF"};

constexpr int kLineSettingBoxes[] = {res::kBaudRateCombo, res::kBitLengthCombo, res::kParityCombo,
                                     res::kStopBitCombo, res::kHandShakeCombo};

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

int PortTypeForName(const std::string& name) {
  if (StartsWith(name, "COM") || StartsWith(name, "\\\\.\\COM")) return CPortConfigDlg::kPortCom;
  if (StartsWith(name, "LPT")) return CPortConfigDlg::kPortLpt;
  if (StartsWith(name, "\\")) return CPortConfigDlg::kPortUsb;
  return CPortConfigDlg::kPortEthernet;
}

// The number a line-setting box holds. The boxes take typed text as well as a choice from
// their list; typed text that is no decimal number leaves `value` as it was.
void ReadDecimal(const std::string& text, int32_t& value) {
  uint32_t parsed = 0;
  if (fw::ParseUnsigned(text, parsed) && parsed <= std::numeric_limits<int32_t>::max()) {
    value = static_cast<int32_t>(parsed);
  }
}

}  // namespace

CPortConfigDlg::CPortConfigDlg(UsbDiscoveryBackends backends)
    : fw::Dialog(res::PortConfigDialogTemplate()), backends(std::move(backends)) {
  res::EnsureResources();
  Bind(res::kComRadio, fw::Notify::Clicked, [this] { OnRadioCom(); });
  Bind(res::kLptRadio, fw::Notify::Clicked, [this] { OnRadioLpt(); });
  Bind(res::kUsbRadio, fw::Notify::Clicked, [this] { OnRadioUsb(); });
  Bind(res::kEthernetRadio, fw::Notify::Clicked, [this] { OnRadioEthernet(); });
  Bind(res::kPortOkButton, fw::Notify::Clicked, [this] { OnButtonOk(); });
  Bind(res::kPortCancelButton, fw::Notify::Clicked, [this] { OnButtonCancel(); });
}

void CPortConfigDlg::DoDataExchange(fw::DataExchange& dx) {
  dx.Radio(res::kComRadio, portType);
  dx.UInt(res::kTcpPortEdit, tcpPort);
}

bool CPortConfigDlg::PreTranslateKey(int vk) {
  return vk == fw::kVkReturn || vk == fw::kVkEscape;
}

bool CPortConfigDlg::OnInitDialog() {
  fw::Dialog::OnInitDialog();
  portType = PortTypeForName(portName);
  ShowPortControls();
  UpdateData(false);
  SkinButton(okButton, res::kPortOkButton, "OK");
  SkinButton(cancelButton, res::kPortCancelButton, "Cancel");
  EnableRadiosByModel();
  listOnly = 0;
  return true;
}

void CPortConfigDlg::SkinButton(CSkinButton& button, int id, const char* caption) {
  button.LoadBitmaps(res::kFaceNormal, res::kFacePressed, res::kFaceDisabled);
  button.SetText(caption);
  button.SetTextFont("Arial", 15);
  button.SetTextPos(17, 3);
  button.SetTextColors(fw::Rgb(40, 40, 40), fw::Rgb(129, 129, 129));
  button.SubclassDlgItem(id, *this);
}

void CPortConfigDlg::EnableRadiosByModel() {
  bool lpt = true;
  bool usb = true;
  bool ethernet = true;
  switch (wantedModelCode) {
    case kModelTQR06:
    case kModelTQR27:
      lpt = usb = ethernet = false;
      break;
    case kModelTQM29:
      lpt = ethernet = false;
      break;
    case kModelTQT08:
    case kModelTQT28:
    case kModelTQR09:
      ethernet = false;
      break;
    default:
      break;
  }
  EnableItem(res::kComRadio, true);
  EnableItem(res::kLptRadio, lpt);
  EnableItem(res::kUsbRadio, usb);
  EnableItem(res::kEthernetRadio, ethernet);
}

void CPortConfigDlg::ResetAllLists() {
  ResetContent(res::kPortCombo);
  for (int id : kLineSettingBoxes) ResetContent(id);
}

void CPortConfigDlg::OnRadioCom() {
  ResetAllLists();
  // Read back before switching, so that a TCP port typed into the edit survives; a bad
  // one is reported and the switch goes on.
  UpdateData(true);
  portType = kPortCom;
  UpdateData(false);
  ShowPortControls();
}

void CPortConfigDlg::OnRadioLpt() {
  ResetAllLists();
  portType = kPortLpt;
  UpdateData(false);
  ShowPortControls();
}

void CPortConfigDlg::OnRadioUsb() {
  ResetAllLists();
  portType = kPortUsb;
  UpdateData(false);
  ShowPortControls();
}

void CPortConfigDlg::OnRadioEthernet() {
  for (int id : kLineSettingBoxes) ResetContent(id);
  portType = kPortEthernet;
  UpdateData(false);
  ShowPortControls();
}

void CPortConfigDlg::OnButtonOk() {
  if (SaveSettings()) EndDialog(fw::IDOK);
}

void CPortConfigDlg::OnButtonCancel() {
  OnCancel();
}

void CPortConfigDlg::FillComLists() {
  for (const char* name : kComPorts) AddString(res::kPortCombo, name);
  for (const char* rate : kBaudRates) AddString(res::kBaudRateCombo, rate);
  SetCurSel(res::kBaudRateCombo, kDefaultBaudRateIndex);
  AddString(res::kBitLengthCombo, "8");
  SetCurSel(res::kBitLengthCombo, 0);
  for (const char* parityName : kParities) AddString(res::kParityCombo, parityName);
  SetCurSel(res::kParityCombo, 0);
  AddString(res::kStopBitCombo, "1");
  SetCurSel(res::kStopBitCombo, 0);
  for (const char* handShake : kHandShakes) AddString(res::kHandShakeCombo, handShake);
  SetCurSel(res::kHandShakeCombo, 0);
}

void CPortConfigDlg::ShowPortControls() {
  // Runs once, or twice when USB finds no printer and the dialog falls back to COM.
  for (;;) {
    const bool ethernet = portType == kPortEthernet;
    SetItemText(res::kPortLabel, ethernet ? "IP" : "Port");
    SetItemText(res::kBaudRateLabel, ethernet ? "PORT" : "Baudrate");
    ShowItem(res::kPortCombo, !ethernet);
    ShowItem(res::kBaudRateCombo, !ethernet);
    ShowItem(res::kIpAddress, ethernet);
    ShowItem(res::kTcpPortEdit, ethernet);

    if (portType == kPortCom) {
      ResetContent(res::kPortCombo);
      FillComLists();
    } else if (portType == kPortLpt) {
      ResetContent(res::kPortCombo);
      for (const char* name : {"LPT1", "LPT2", "LPT3"}) AddString(res::kPortCombo, name);
    } else if (portType == kPortUsb) {
      ResetContent(res::kPortCombo);
      DiscoverUsbPrinters();
      if (GetCount(res::kPortCombo) == 0) {
        fw::MessageBox("Not Connect USB Printer", kCaption);
        portType = kPortCom;
        UpdateData(false);
        continue;
      }
    }
    break;
  }
  SetCurSel(res::kPortCombo, 0);
  for (int id : kLineSettingBoxes) EnableItem(id, portType == kPortCom);
}

int CPortConfigDlg::SaveSettings() {
  if (!UpdateData(true)) return 0;
  const int selected = GetCurSel(res::kPortCombo);

  if (portType == kPortEthernet) {
    std::array<int, 4> fields = GetIpFields(res::kIpAddress);
    for (int& field : fields) {
      if (field < 0) field = 0;
    }
    char address[64];
    std::snprintf(address, sizeof address, "%d.%d.%d.%d", fields[0], fields[1], fields[2],
                  fields[3]);
    portName = address;
    baudRate = static_cast<int32_t>(tcpPort);
    return 1;
  }

  if (selected < 0) {
    fw::MessageBox("Invalid Port Name!", kCaption);
    EndDialog(fw::IDCANCEL);
    return 0;
  }
  const std::string chosen = GetLBText(res::kPortCombo, selected);
  if (portType == kPortUsb) {
    for (const UsbPrinterEntry& entry : usbPrinters) {
      if (entry.name == chosen) {
        portName = entry.devicePath;
        break;
      }
    }
  } else {
    portName = chosen;
  }

  if (portType == kPortCom) {
    ReadDecimal(GetItemText(res::kBaudRateCombo), baudRate);
    ReadDecimal(GetItemText(res::kBitLengthCombo), dataBits);
    const int parityIndex = GetCurSel(res::kParityCombo);
    if (parityIndex >= 0 && parityIndex <= 2) parity = parityIndex;
    flowControl = GetCurSel(res::kHandShakeCombo);
    stopBits = GetCurSel(res::kStopBitCombo);
  }
  return 1;
}

void CPortConfigDlg::OnPaint(fw::PaintContext& dc) {
  const fw::Pen oldPen = dc.SelectPen(fw::Pen{fw::Rgb(0, 0, 0), 1, false});
  const fw::Brush oldBrush = dc.SelectBrush(whiteBrush);
  dc.Rectangle(ClientRect());
  dc.SelectPen(oldPen);
  dc.SelectBrush(oldBrush);
}

fw::CtlColor CPortConfigDlg::OnCtlColor(int id, const fw::CtlColor& defaults) {
  switch (id) {
    case res::kComRadio:
    case res::kLptRadio:
    case res::kUsbRadio:
    case res::kEthernetRadio:
    case res::kUnnamedControl:
      return fw::CtlColor{whiteBrush, fw::Rgb(100, 0, 0), true};
    default:
      return defaults;
  }
}

void CPortConfigDlg::OnLButtonDown(fw::Point) {
  SendSysCommand(fw::kScMove);
}
