#pragma once

// Numeric identifiers of the program's dialogs, controls, images and strings.
namespace res {

constexpr int kAboutDialog = 100;
constexpr int kAboutMenuString = 101;
constexpr int kMainDialog = 102;
// Also the framework's ApplicationIconId(): the icon of every window.
constexpr int kAppIcon = 128;
constexpr int kPortConfigDialog = 129;
constexpr int kNoticeDialog = 151;
constexpr int kPrinterSelectDialog = 153;

constexpr int kFaceNormal = 139;
constexpr int kFacePressed = 140;
constexpr int kFaceDisabled = 141;
constexpr int kNoticePicture = 150;

// Main window controls.
constexpr int kTitleLine = 1011;
constexpr int kHelpLine = 1004;
constexpr int kPicture = 1017;
constexpr int kConfigButton = 1014;
constexpr int kSelectButton = 1003;
constexpr int kDownloadButton = 1002;
constexpr int kExitButton = 1024;

// Communication settings controls.
constexpr int kPortCombo = 1000;
constexpr int kBaudRateCombo = 1001;
constexpr int kBitLengthCombo = 1002;
constexpr int kParityCombo = 1003;
constexpr int kStopBitCombo = 1004;
constexpr int kHandShakeCombo = 1005;
constexpr int kComRadio = 1006;
constexpr int kLptRadio = 1007;
constexpr int kUsbRadio = 1008;
constexpr int kPortOkButton = 1009;
constexpr int kRadioFrame = 1015;
constexpr int kPortCancelButton = 1016;
constexpr int kEthernetRadio = 1019;
constexpr int kIpAddress = 1020;
constexpr int kTcpPortEdit = 1021;
constexpr int kBaudRateLabel = 1022;
constexpr int kPortLabel = 1023;
// Labels and frames that are never addressed by the program share this identifier.
constexpr int kUnnamedControl = 65535;

}  // namespace res
