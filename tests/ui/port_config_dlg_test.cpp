// The communication settings dialog driven headless by a scripted operator: what it shows
// for each port type, what it stores on OK, its two messages, and the main window's
// Configuration button around it.
#include "ui/port_config_dlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/model_codes.h"
#include "download/download_dlg.h"
#include "framework/app_identity.h"
#include "framework/data_exchange.h"
#include "framework/dialog_colors.h"
#include "framework/headless/headless_backend.h"
#include "framework/headless/operator_actions.h"
#include "framework/message_box.h"
#include "res/resource_ids.h"
#include "usb/fake_usb_tree.h"

namespace {

const int kLineBoxes[] = {res::kBaudRateCombo, res::kBitLengthCombo, res::kParityCombo,
                          res::kStopBitCombo, res::kHandShakeCombo};

class PortConfigDialog : public ::testing::Test {
 protected:
  // A dialog handed the values a main window would hand it.
  std::unique_ptr<CPortConfigDlg> Dialog(const std::string& portName, int32_t model = kModelTQR05) {
    auto dlg = std::make_unique<CPortConfigDlg>(tree.Backends());
    dlg->wantedModelCode = model;
    dlg->portName = portName;
    dlg->baudRate = 115200;
    dlg->dataBits = 7;
    dlg->parity = 2;
    dlg->flowControl = 1;
    dlg->stopBits = 2;
    dlg->extraValue = 5;
    return dlg;
  }

  // Runs the dialog modally with `operate` as the operator; answers the modal result.
  int Run(CPortConfigDlg& dlg, std::function<void(CPortConfigDlg&)> operate) {
    backend.WhenOpened(res::kPortConfigDialog,
                       [&](fw::Dialog& d) { operate(static_cast<CPortConfigDlg&>(d)); });
    return dlg.DoModal();
  }

  static int CheckedRadio(const CPortConfigDlg& d) {
    for (int id : {res::kComRadio, res::kLptRadio, res::kUsbRadio, res::kEthernetRadio}) {
      if (d.IsItemChecked(id)) return id;
    }
    return 0;
  }

  static std::vector<std::string> PortEntries(const CPortConfigDlg& d) {
    std::vector<std::string> entries;
    for (int i = 0; i < d.GetCount(res::kPortCombo); ++i) {
      entries.push_back(d.GetLBText(res::kPortCombo, i));
    }
    return entries;
  }

  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& box : backend.MessageBoxes()) texts.push_back(box.text + "|" + box.caption);
    return texts;
  }

  FakeUsbTree tree;
  fw::HeadlessBackend backend;
  fw::ScopedBackend scopedBackend{backend};
};

TEST_F(PortConfigDialog, OpensOnThePortTypeOfThePortNameWithDefaults) {
  struct Case {
    std::string portName;
    int radio;
    std::string shown;  // the Port box's text
    bool lineBoxes;     // filled and enabled
    bool network;       // IP address and TCP port shown instead of Port and BaudRate
    bool noUsbMessage;
  };
  const std::vector<Case> cases = {
      {"\\\\.\\COM15", res::kComRadio, "COM1", true, false, false},
      {"COM3", res::kComRadio, "COM1", true, false, false},
      {"LPT2", res::kLptRadio, "LPT1", false, false, false},
      {"192.168.0.20", res::kEthernetRadio, "", false, true, false},
      {"", res::kEthernetRadio, "", false, true, false},
      {"com1", res::kEthernetRadio, "", false, true, false},
      {FakeUsbTree::PathOf("1-1", kFirstVendor, 0x0105), res::kComRadio, "COM1", true, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.portName);
    auto dlg = Dialog(c.portName);
    const size_t boxesBefore = backend.MessageBoxes().size();
    Run(*dlg, [&](CPortConfigDlg& d) {
      EXPECT_EQ(CheckedRadio(d), c.radio);
      EXPECT_EQ(d.GetItemText(res::kPortCombo), c.shown);
      EXPECT_EQ(d.IsItemVisible(res::kPortCombo), !c.network);
      EXPECT_EQ(d.IsItemVisible(res::kIpAddress), c.network);
      EXPECT_EQ(d.IsItemVisible(res::kTcpPortEdit), c.network);
      EXPECT_EQ(d.GetItemText(res::kPortLabel), c.network ? "IP" : "Port");
      EXPECT_EQ(d.GetItemText(res::kBaudRateLabel), c.network ? "PORT" : "Baudrate");
      for (int id : kLineBoxes) {
        EXPECT_EQ(d.IsItemEnabled(id), c.lineBoxes) << id;
        EXPECT_EQ(d.GetCount(id) > 0, c.lineBoxes) << id;
      }
      if (c.lineBoxes) {
        EXPECT_EQ(d.GetCount(res::kPortCombo), 20);
        EXPECT_EQ(d.GetLBText(res::kPortCombo, 9), "\\\\.\\COM10");
        for (auto [id, text] :
             std::vector<std::pair<int, std::string>>{{res::kBaudRateCombo, "9600"},
                                                      {res::kBitLengthCombo, "8"},
                                                      {res::kParityCombo, "NONE"},
                                                      {res::kStopBitCombo, "1"},
                                                      {res::kHandShakeCombo, "DTR/DSR"}}) {
          EXPECT_EQ(d.GetItemText(id), text);
        }
      }
      if (c.network) {
        EXPECT_EQ(d.GetIpFields(res::kIpAddress), (std::array<int, 4>{-1, -1, -1, -1}));
        EXPECT_EQ(d.GetItemText(res::kTcpPortEdit), "0");
      }
      fw::Click(d, res::kPortCancelButton);
    });
    const bool shownMessage = backend.MessageBoxes().size() > boxesBefore;
    EXPECT_EQ(shownMessage, c.noUsbMessage);
    if (shownMessage) {
      EXPECT_EQ(Messages().back(), "Not Connect USB Printer|VRT_QLX");
    }
    EXPECT_EQ(dlg->portName, c.portName);  // cancelled: nothing stored
  }
}

TEST_F(PortConfigDialog, ComStoresTheChosenLineSettings) {
  auto dlg = Dialog("COM3");
  EXPECT_EQ(Run(*dlg, [](CPortConfigDlg& d) { fw::Click(d, res::kPortOkButton); }), fw::IDOK);
  EXPECT_EQ(dlg->portName, "COM1");
  EXPECT_EQ(dlg->baudRate, 9600);
  EXPECT_EQ(dlg->dataBits, 8);
  EXPECT_EQ(dlg->parity, 0);
  EXPECT_EQ(dlg->flowControl, 0);
  EXPECT_EQ(dlg->stopBits, 0);
  EXPECT_EQ(dlg->extraValue, 5);

  dlg = Dialog("COM3");
  EXPECT_EQ(Run(*dlg,
                [](CPortConfigDlg& d) {
                  fw::SelectItem(d, res::kPortCombo, 12);
                  fw::SelectItem(d, res::kBaudRateCombo, 6);
                  fw::SelectItem(d, res::kParityCombo, 1);
                  fw::SelectItem(d, res::kHandShakeCombo, 1);
                  fw::Click(d, res::kPortOkButton);
                }),
            fw::IDOK);
  EXPECT_EQ(dlg->portName, "\\\\.\\COM13");
  EXPECT_EQ(dlg->baudRate, 115200);
  EXPECT_EQ(dlg->parity, 1);
  EXPECT_EQ(dlg->flowControl, 1);

  // A speed typed into the BaudRate box is taken as typed; text that is no number is not.
  for (const auto& [typed, stored] : std::vector<std::pair<std::string, int32_t>>{
           {"14400", 14400}, {"fast", 115200}, {"99999999999", 115200}}) {
    dlg = Dialog("COM3");
    Run(*dlg, [&, text = typed](CPortConfigDlg& d) {
      fw::TypeText(d, res::kBaudRateCombo, text);
      fw::Click(d, res::kPortOkButton);
    });
    EXPECT_EQ(dlg->baudRate, stored) << typed;
  }
}

TEST_F(PortConfigDialog, LptChangesOnlyThePortName) {
  auto dlg = Dialog("COM1");
  EXPECT_EQ(Run(*dlg,
                [](CPortConfigDlg& d) {
                  fw::Click(d, res::kLptRadio);
                  EXPECT_EQ(PortEntries(d), (std::vector<std::string>{"LPT1", "LPT2", "LPT3"}));
                  for (int id : kLineBoxes) EXPECT_EQ(d.GetCount(id), 0);
                  fw::SelectItem(d, res::kPortCombo, 2);
                  fw::Click(d, res::kPortOkButton);
                }),
            fw::IDOK);
  EXPECT_EQ(dlg->portName, "LPT3");
  EXPECT_EQ(dlg->baudRate, 115200);
  EXPECT_EQ(dlg->dataBits, 7);
  EXPECT_EQ(dlg->parity, 2);
  EXPECT_EQ(dlg->flowControl, 1);
  EXPECT_EQ(dlg->stopBits, 2);
}

TEST_F(PortConfigDialog, EthernetStoresAddressAndTcpPort) {
  struct Case {
    std::array<int, 4> fields;
    std::string port;
    std::string address;
  };
  const std::vector<Case> cases = {
      {{192, 168, 0, 20}, "9100", "192.168.0.20"},
      {{-1, -1, -1, -1}, "9100", "0.0.0.0"},
      {{10, -1, 0, 7}, "4000000", "10.0.0.7"},
  };
  for (const auto& c : cases) {
    auto dlg = Dialog("COM1");
    EXPECT_EQ(Run(*dlg,
                  [&](CPortConfigDlg& d) {
                    fw::Click(d, res::kEthernetRadio);
                    fw::TypeIpAddress(d, res::kIpAddress, c.fields);
                    fw::TypeText(d, res::kTcpPortEdit, c.port);
                    fw::Click(d, res::kPortOkButton);
                  }),
              fw::IDOK);
    EXPECT_EQ(dlg->portName, c.address);
    EXPECT_EQ(std::to_string(dlg->baudRate), c.port);
    EXPECT_EQ(dlg->dataBits, 7);
  }
}

TEST_F(PortConfigDialog, BadTcpPortKeepsTheDialogOpen) {
  auto dlg = Dialog("10.0.0.1");
  EXPECT_EQ(Run(*dlg,
                [&](CPortConfigDlg& d) {
                  fw::TypeText(d, res::kTcpPortEdit, "");
                  fw::Click(d, res::kPortOkButton);
                  EXPECT_FALSE(d.EndRequested());
                  EXPECT_EQ(Messages(),
                            (std::vector<std::string>{std::string(fw::kPositiveIntegerMessage) +
                                                      "|" + fw::ApplicationTitle()}));
                  fw::TypeText(d, res::kTcpPortEdit, "9100");
                  fw::Click(d, res::kPortOkButton);
                }),
            fw::IDOK);
  EXPECT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(dlg->baudRate, 9100);
}

TEST_F(PortConfigDialog, OnlyComReadsTheTcpPortBackBeforeSwitching) {
  auto dlg = Dialog("10.0.0.1");
  Run(*dlg, [&](CPortConfigDlg& d) {
    fw::TypeText(d, res::kTcpPortEdit, "7000");
    fw::Click(d, res::kLptRadio);
    fw::Click(d, res::kEthernetRadio);
    EXPECT_EQ(d.GetItemText(res::kTcpPortEdit), "0");
    fw::TypeText(d, res::kTcpPortEdit, "7000");
    fw::Click(d, res::kComRadio);
    fw::Click(d, res::kEthernetRadio);
    EXPECT_EQ(d.GetItemText(res::kTcpPortEdit), "7000");
    // A bad value is reported on the way to COM, and the switch still happens.
    fw::TypeText(d, res::kTcpPortEdit, "");
    fw::Click(d, res::kComRadio);
    EXPECT_EQ(backend.MessageBoxes().size(), 1u);
    EXPECT_EQ(CheckedRadio(d), res::kComRadio);
    EXPECT_EQ(d.GetItemText(res::kPortCombo), "COM1");
    fw::Click(d, res::kPortCancelButton);
  });
}

TEST_F(PortConfigDialog, PortNameOfTheOperatorsOwnCancelsTheDialog) {
  auto dlg = Dialog("LPT1");
  EXPECT_EQ(Run(*dlg,
                [](CPortConfigDlg& d) {
                  fw::TypeText(d, res::kPortCombo, "LPT7");
                  fw::Click(d, res::kPortOkButton);
                }),
            fw::IDCANCEL);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Invalid Port Name!|VRT_QLX"}));
  EXPECT_EQ(dlg->portName, "LPT1");
}

TEST_F(PortConfigDialog, RadiosByModel) {
  struct Case {
    int32_t model;
    bool lpt, usb, ethernet;
  };
  const std::vector<Case> cases = {
      {kModelTQR06, false, false, false}, {kModelTQR27, false, false, false},
      {kModelTQM29, false, true, false},  {kModelTQT08, true, true, false},
      {kModelTQR09, true, true, false},   {kModelTQR05, true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    // A disabled radio can still be the one shown when the port name is of its type.
    auto dlg = Dialog("LPT1", c.model);
    Run(*dlg, [&](CPortConfigDlg& d) {
      EXPECT_EQ(CheckedRadio(d), res::kLptRadio);
      EXPECT_TRUE(d.IsItemEnabled(res::kComRadio));
      EXPECT_EQ(d.IsItemEnabled(res::kLptRadio), c.lpt);
      EXPECT_EQ(d.IsItemEnabled(res::kUsbRadio), c.usb);
      EXPECT_EQ(d.IsItemEnabled(res::kEthernetRadio), c.ethernet);
      fw::Click(d, res::kPortCancelButton);
    });
  }
}

TEST_F(PortConfigDialog, UsbListsThePrintersFoundAndKeepsCounting) {
  tree.AddDevice("1-2", kFirstVendor, 0x0105);
  tree.AddDevice("1-3", kFirstVendor, 0x0117);
  tree.AddDevice("1-4", kFirstVendor, 0x0105);
  auto dlg = Dialog(FakeUsbTree::PathOf("9-9", kFirstVendor, 0x0105));
  EXPECT_EQ(Run(*dlg,
                [](CPortConfigDlg& d) {
                  EXPECT_EQ(CheckedRadio(d), res::kUsbRadio);
                  EXPECT_EQ(PortEntries(d), (std::vector<std::string>{"USB001:", "USB002:"}));
                  EXPECT_EQ(d.GetItemText(res::kPortCombo), "USB001:");
                  for (int id : kLineBoxes) EXPECT_FALSE(d.IsItemEnabled(id));
                  fw::Click(d, res::kUsbRadio);
                  EXPECT_EQ(PortEntries(d), (std::vector<std::string>{"USB003:", "USB004:"}));
                  fw::SelectItem(d, res::kPortCombo, 1);
                  fw::Click(d, res::kPortOkButton);
                }),
            fw::IDOK);
  EXPECT_EQ(dlg->portName, FakeUsbTree::PathOf("1-4", kFirstVendor, 0x0105));
  EXPECT_EQ(dlg->baudRate, 115200);
  EXPECT_TRUE(Messages().empty());

  // No printer of the model: back to COM with the message.
  dlg = Dialog("COM1", kModelTQR24);
  EXPECT_EQ(Run(*dlg,
                [](CPortConfigDlg& d) {
                  fw::Click(d, res::kUsbRadio);
                  EXPECT_EQ(CheckedRadio(d), res::kComRadio);
                  EXPECT_EQ(d.GetCount(res::kPortCombo), 20);
                  EXPECT_EQ(d.GetItemText(res::kBaudRateCombo), "9600");
                  fw::Click(d, res::kPortOkButton);
                }),
            fw::IDOK);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Not Connect USB Printer|VRT_QLX"}));
  EXPECT_EQ(dlg->portName, "COM1");
  EXPECT_EQ(dlg->baudRate, 9600);
}

TEST_F(PortConfigDialog, FaceFrameColoursKeysAndDragging) {
  backend.RecordPaint(true);
  auto dlg = Dialog("COM1");
  Run(*dlg, [&](CPortConfigDlg& d) {
    fw::PressKey(d, fw::kVkReturn);
    fw::PressKey(d, fw::kVkEscape);
    EXPECT_FALSE(d.EndRequested());
    d.DispatchLButtonDown(fw::Point{40, 40});
    EXPECT_EQ(backend.DragCount(), 1);

    // Radios and unnamed labels are dark red on white; the other controls keep the
    // application's colours.
    const fw::CtlColor defaults = fw::DefaultCtlColor();
    const fw::CtlColor radio = d.OnCtlColor(res::kUsbRadio, defaults);
    EXPECT_EQ(radio.text, fw::Rgb(100, 0, 0));
    EXPECT_TRUE(radio.transparent);
    EXPECT_EQ(d.OnCtlColor(res::kUnnamedControl, defaults).text, fw::Rgb(100, 0, 0));
    EXPECT_EQ(d.OnCtlColor(res::kPortLabel, defaults).text, defaults.text);
    fw::Click(d, res::kPortCancelButton);
  });
  ASSERT_FALSE(backend.Frames().empty());
  const auto& ops = backend.Frames().front().ops;
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.front().kind, fw::PaintOp::Kind::Rectangle);
  EXPECT_EQ(ops.front().rect, dlg->ClientRect());
  EXPECT_EQ(ops.front().pen.color, fw::Rgb(0, 0, 0));
  EXPECT_EQ(ops.front().pen.width, 1);
  EXPECT_EQ(ops.front().brush.color, fw::Rgb(255, 255, 255));
  // The two skinned buttons paint their faces with their captions.
  std::vector<std::string> captions;
  for (const auto& op : ops) {
    if (op.kind == fw::PaintOp::Kind::Text) captions.push_back(op.text);
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"OK", "Cancel"}));
}

// The main window's Configuration button: the settings go in, and come back only on OK.
TEST_F(PortConfigDialog, MainWindowTakesTheSettingsBackOnOk) {
  backend.WhenOpened(res::kPrinterSelectDialog, [](fw::Dialog& d) {
    fw::SelectItem(d, 1018, 22);  // TQR-23
  });
  CDownloadDlg window;
  std::vector<std::string> seen;
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog& d) {
    auto& main = static_cast<CDownloadDlg&>(d);
    main.port.baudRate = 4800;
    main.port.reserved[1] = 7;
    backend.WhenOpened(res::kPortConfigDialog, [&](fw::Dialog& c) {
      auto& config = static_cast<CPortConfigDlg&>(c);
      seen.push_back(config.portName + " " + std::to_string(config.baudRate) + " " +
                     std::to_string(config.wantedModelCode) + " " +
                     std::to_string(config.extraValue));
      fw::Click(c, res::kPortCancelButton);
    });
    fw::Click(d, res::kConfigButton);
    EXPECT_FALSE(main.IsItemEnabled(res::kSelectButton));
    EXPECT_EQ(main.port.rxBufferSize, 0);

    backend.WhenOpened(res::kPortConfigDialog, [](fw::Dialog& c) {
      fw::Click(c, res::kLptRadio);
      fw::SelectItem(c, res::kPortCombo, 1);
      fw::Click(c, res::kPortOkButton);
    });
    fw::Click(d, res::kConfigButton);
    EXPECT_TRUE(main.IsItemEnabled(res::kSelectButton));
    EXPECT_EQ(main.GetItemText(res::kHelpLine), "HELP : Select Firmware File.");
    fw::Click(d, res::kExitButton);
  });
  window.DoModal();
  EXPECT_EQ(seen, (std::vector<std::string>{"COM1 4800 2023 7"}));
  EXPECT_EQ(window.port.portName, "LPT2");
  EXPECT_EQ(window.port.baudRate, 4800);
  EXPECT_EQ(window.port.timeouts, (std::array<uint32_t, 5>{10, 10, 10, 0, 0}));
  EXPECT_EQ(window.port.rxBufferSize, 8192);
  EXPECT_EQ(window.port.reserved, (std::array<int32_t, 6>{4096, 7, 0, 3000, 0, 0}));
}

}  // namespace
