#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "platform/usb_devices.h"
#include "ports/usb_discovery_backends.h"
#include "ports/usb_printer_entry.h"
#include "ui/skin_button.h"

// The communication settings: a serial port with its line settings, a parallel port, a
// connected USB printer, or a TCP address and port. The owner hands the current values in,
// runs the dialog and takes them back on IDOK. Without its window the object also finds the
// device path of the first connected USB printer of a model.
class CPortConfigDlg : public fw::Dialog {
 public:
  enum PortType : int { kPortCom = 0, kPortLpt = 1, kPortUsb = 2, kPortEthernet = 3 };

  explicit CPortConfigDlg(UsbDiscoveryBackends backends = UsbDiscoveryBackends::System());

  void DoDataExchange(fw::DataExchange& dx) override;
  bool PreTranslateKey(int vk) override;
  bool OnInitDialog() override;
  void OnPaint(fw::PaintContext& dc) override;
  fw::CtlColor OnCtlColor(int id, const fw::CtlColor& defaults) override;
  void OnLButtonDown(fw::Point at) override;

  // USB printer discovery: appends every connected printer of `wantedModelCode` to
  // `usbPrinters` and, unless `listOnly` is set, its name to the Port box.
  void DiscoverUsbPrinters();
  // `path` receives the device path of the first printer found; untouched when none is.
  // `modelName` is not needed: the model is `wantedModelCode`.
  void FindUsbPrinterPath(const std::string& modelName, std::string& path);
  // Opens device `index` of `interfaces` shared, with its interface path in `path`;
  // nothing when it cannot be opened.
  std::optional<platform::UsbDeviceHandle> OpenDeviceInterface(
      const platform::UsbDeviceInterfaceList& interfaces, size_t index, std::string& path);
  // `wantedCode` when the device's registry entry names that model, else -1.
  int LookUpUsbModelInRegistry(const std::string& path, int wantedCode);
  void FreeUsbPrinters();

  void ShowPortControls();
  // Stores the controls' values in the members; 1 when they were stored. A bad TCP port
  // keeps the dialog open; a port name of the operator's own ends it with IDCANCEL.
  int SaveSettings();

  int listOnly = 0;
  int32_t wantedModelCode = 0;
  std::string portName;
  int32_t extraValue = 1;
  int32_t flowControl = 0;
  int32_t baudRate = 0;
  int32_t dataBits = 0;
  int32_t parity = 0;
  int32_t stopBits = 0;
  std::vector<UsbPrinterEntry> usbPrinters;
  CSkinButton okButton;
  CSkinButton cancelButton;
  int portType = -1;
  uint32_t tcpPort = 0;

 private:
  void OnRadioCom();
  void OnRadioLpt();
  void OnRadioUsb();
  void OnRadioEthernet();
  void OnButtonOk();
  void OnButtonCancel();
  void ResetAllLists();
  void FillComLists();
  void EnableRadiosByModel();
  void SkinButton(CSkinButton& button, int id, const char* caption);

  UsbDiscoveryBackends backends;
  const fw::Brush whiteBrush{fw::Color{255, 255, 255}, false};
};
