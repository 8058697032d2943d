#include "ui/printer_select_dlg.h"

#include "app/model_catalogue.h"
#include "app/model_codes.h"
#include "framework/message_box.h"
#include "res/dialog_templates.h"

CPrinterSelectDlg::CPrinterSelectDlg() : fw::Dialog(res::PrinterSelectDialogTemplate()) {
  Bind(kModelList, fw::Notify::SelChange, [this] { OnSelChangeModels(); });
}

bool CPrinterSelectDlg::OnInitDialog() {
  fw::Dialog::OnInitDialog();
  for (const auto& model : ModelCatalogue()) AddString(kModelList, std::string(model.name));
  SetTopmost(true);
  return true;
}

void CPrinterSelectDlg::OnSelChangeModels() {
  const int index = GetCurSel(kModelList);
  modelName = GetLBText(kModelList, index);
  modelCode = kFallbackModelCode;
  for (const auto& model : ModelCatalogue()) {
    if (model.name == modelName) {
      modelCode = model.code;
      break;
    }
  }
  fw::Dialog::OnOK();
}

void CPrinterSelectDlg::OnOK() {
  // Enter with no model chosen would hand the window no model at all; it does nothing.
  if (GetCurSel(kModelList) < 0) return;
  fw::Dialog::OnOK();
}

void CPrinterSelectDlg::OnLButtonDown(fw::Point) {
  SendSysCommand(fw::kScMove);
}
