#include "ui/notice_dlg.h"

#include "framework/message_box.h"
#include "res/dialog_templates.h"
#include "res/resource_ids.h"
#include "res/resources.h"

CNoticeDlg::CNoticeDlg() : fw::Dialog(res::NoticeDialogTemplate()) {
  res::EnsureResources();
  Bind(kOkButton, fw::Notify::Clicked, [this] { fw::Dialog::OnOK(); });
}

bool CNoticeDlg::OnInitDialog() {
  fw::Dialog::OnInitDialog();
  okButton.LoadBitmaps(res::kFaceNormal, res::kFacePressed, res::kFaceDisabled);
  okButton.SetText("OK");
  okButton.SetTextFont("Arial", 15);
  okButton.SetTextPos(42, 3);
  okButton.SetTextColors(fw::Rgb(40, 40, 40), fw::Rgb(129, 129, 129));
  okButton.SubclassDlgItem(kOkButton, *this);
  return true;
}

void CNoticeDlg::OnPaint(fw::PaintContext& dc) {
  const fw::Pen oldPen = dc.SelectPen(fw::Pen{fw::Rgb(0, 0, 0), 1, false});
  const fw::Brush oldBrush = dc.SelectBrush(fw::Brush{fw::Rgb(255, 255, 255), false});
  dc.Rectangle(ClientRect());
  dc.SelectPen(oldPen);
  dc.SelectBrush(oldBrush);
}

void CNoticeDlg::OnLButtonDown(fw::Point) {
  SendSysCommand(fw::kScMove);
}
