#pragma once

#include "framework/dialog.h"
#include "ui/skin_button.h"

// The picture notice that closes an interactive download: leave the printer alone until
// it has taken the firmware.
class CNoticeDlg : public fw::Dialog {
 public:
  static constexpr int kOkButton = 1016;

  CNoticeDlg();

  bool OnInitDialog() override;
  void OnPaint(fw::PaintContext& dc) override;
  void OnLButtonDown(fw::Point at) override;

  CSkinButton okButton;
};
