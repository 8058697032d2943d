#include "download/download_dlg.h"

#include "app/event_log.h"
#include "download/about_dlg.h"
#include "download/model_rules.h"
#include "framework/app_identity.h"
#include "framework/application.h"
#include "framework/data_exchange.h"
#include "framework/message_box.h"
#include "framework/resources.h"
#include "platform/standard_paths.h"
#include "res/dialog_templates.h"
#include "res/resource_ids.h"
#include "res/resources.h"
#include "ui/printer_select_dlg.h"

namespace {
constexpr unsigned kAboutCommand = 0x10;
}  // namespace

CDownloadDlg::CDownloadDlg() : CDownloadDlg(PortBackends::System()) {}

CDownloadDlg::CDownloadDlg(PortBackends portBackends)
    : fw::Dialog(res::MainDialogTemplate()), portIO(portBackends), portMap(portBackends.portMap) {
  res::EnsureResources();
  Bind(res::kConfigButton, fw::Notify::Clicked, [this] { OnConfiguration(); });
  Bind(res::kDownloadButton, fw::Notify::Clicked, [this] { OnDownload(); });
  Bind(res::kSelectButton, fw::Notify::Clicked, [this] { OnSelectFile(); });
  Bind(res::kExitButton, fw::Notify::Clicked, [this] { fw::Dialog::OnOK(); });
}

CDownloadDlg::~CDownloadDlg() {
  // Queues moved aside by a download that never reached its end step go back now.
  RestoreSpoolerPrinters();
  if (portIO.PortKind != -1) portIO.Close();
}

void CDownloadDlg::DoDataExchange(fw::DataExchange& dx) {
  dx.Text(res::kHelpLine, helpText);
}

bool CDownloadDlg::PreTranslateKey(int vk) {
  return vk == fw::kVkReturn || vk == fw::kVkEscape;
}

void CDownloadDlg::OnOK() {
  fw::Dialog::OnOK();
}

void CDownloadDlg::Report(const std::string& text) {
  CEventLog::GetInstance()->Report(silent, CEventLog::kMessage, text);
}

void CDownloadDlg::SetHelpText(const char* text) {
  helpText = text;
  UpdateData(false);
}

bool CDownloadDlg::OnInitDialog() {
  fw::Dialog::OnInitDialog();
  const std::string aboutEntry = fw::LoadString(res::kAboutMenuString);
  if (!aboutEntry.empty()) {
    AppendSystemMenu(0, std::string());
    AppendSystemMenu(kAboutCommand, aboutEntry);
  }
  SetIcon(res::kAppIcon);
  SetHelpText("HELP : Set Communication Configuration. ");
  EnableItem(res::kDownloadButton, false);
  EnableItem(res::kSelectButton, false);
  SetTopmost(true);
  SetWindowText(fw::ApplicationName());

  const std::pair<CSkinButton*, std::pair<int, const char*>> buttons[] = {
      {&configButton, {res::kConfigButton, "Configuration"}},
      {&selectButton, {res::kSelectButton, "Select f/w"}},
      {&downloadButton, {res::kDownloadButton, "Download"}},
      {&exitButton, {res::kExitButton, "Exit"}},
  };
  for (const auto& [button, idAndCaption] : buttons) {
    button->LoadBitmaps(res::kFaceNormal, res::kFacePressed, res::kFaceDisabled);
    button->SetText(idAndCaption.second);
    button->SetTextFont("Arial", 15);
    button->SetTextPos(17, 3);
    button->SetTextColors(fw::Rgb(40, 40, 40), fw::Rgb(129, 129, 129));
    button->SubclassDlgItem(idAndCaption.first, *this);
  }

  if (invalidParameters) {
    CEventLog::GetInstance()->Flush();
    fw::Application::EndProcess(1);
    return true;
  }
  if (silent) {
    // The window stays invisible for the whole run.
    MoveWindow(fw::Rect{0, 0, 0, 0});
    StartSilentDownload();
    CEventLog::GetInstance()->Report(silent, CEventLog::kNotice, "Complete!!");
    return true;
  }

  progress = 0;
  CPrinterSelectDlg select;
  if (select.DoModal() != fw::IDOK) {
    fw::Application::EndProcess(1);
    return true;
  }
  modelName = select.modelName;
  modelCode = select.modelCode;
  SetItemImage(res::kPicture, ModelPictureId(modelCode));
  port.portName = "COM1";
  // Built by appending: GCC 12 warns falsely about " " + a temporary string (-Wrestrict).
  std::string title = " ";
  title += GetItemText(res::kTitleLine);
  SetItemText(res::kTitleLine, title);
  return true;
}

void CDownloadDlg::EnableButtons() {
  for (int id : {res::kDownloadButton, res::kConfigButton, res::kSelectButton, res::kExitButton}) {
    EnableItem(id, true);
  }
}

void CDownloadDlg::OnSelectFile() {
  // The firmware beside the program in a build tree or a copied folder; an installed
  // program's folder holds none, so the dialog opens where the operator started it.
  auto startDir = platform::IsInstalledUnderSystemPrefix() ? platform::CurrentDirectory()
                                                           : platform::ProgramDirectory();
  auto chosen = fw::FileOpenDialog(FirmwareFileFilter(modelCode),
                                   startDir ? startDir.value() : std::string());
  if (!chosen) return;
  firmwarePath = *chosen;
  EnableItem(res::kDownloadButton, true);
  SetHelpText("HELP : Ready firmware download.");
}

void CDownloadDlg::OnDownload() {
  for (int id : {res::kConfigButton, res::kSelectButton, res::kDownloadButton, res::kExitButton}) {
    EnableItem(id, false);
  }
  if (firmwarePath.empty()) {
    Report("No select File!! Select File!");
    EnableButtons();
    return;
  }
  SetHelpText("HELP : firmware downloading....");
  if (IsHexModel(modelCode)) {
    DownloadHexFile();
  } else {
    StartDownload();
  }
}

void CDownloadDlg::OnPaint(fw::PaintContext& dc) {
  const fw::Rect client = ClientRect();
  const fw::Pen oldPen = dc.SelectPen(fw::Pen{fw::Rgb(0, 0, 0), 1, false});
  const fw::Brush oldBrush = dc.SelectBrush(fw::Brush{fw::Rgb(255, 255, 255), false});
  dc.Rectangle(client);
  dc.Line(fw::Point{0, 15}, fw::Point{client.right, 15});
  dc.Rectangle(kBarRect);
  dc.SelectPen(fw::Pen{fw::Rgb(0, 0, 0), 0, false});
  dc.SelectBrush(fw::Brush{fw::Rgb(135, 206, 250), false});
  dc.Rectangle(fw::Rect{9, 201, 9 + progress, 209});
  dc.SelectPen(oldPen);
  dc.SelectBrush(oldBrush);
}

fw::CtlColor CDownloadDlg::OnCtlColor(int id, const fw::CtlColor& defaults) {
  if (id == res::kTitleLine)
    return fw::CtlColor{fw::Brush{fw::Rgb(238, 239, 206), false}, fw::Rgb(100, 100, 100), true};
  if (id == res::kHelpLine)
    return fw::CtlColor{fw::Brush{fw::Rgb(255, 255, 255), false}, fw::Rgb(100, 0, 0), true};
  return defaults;
}

void CDownloadDlg::OnLButtonDown(fw::Point) {
  SendSysCommand(fw::kScMove);
}

void CDownloadDlg::OnSysCommand(unsigned command) {
  if ((command & 0xFFF0u) == kAboutCommand) {
    CAboutDlg about;
    about.DoModal();
    return;
  }
  fw::Dialog::OnSysCommand(command);
}
