#pragma once

// Numeric identifiers of the program's dialogs, controls, images and strings.
namespace res {

constexpr int kAboutDialog = 100;
constexpr int kAboutMenuString = 101;
constexpr int kMainDialog = 102;
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

}  // namespace res
