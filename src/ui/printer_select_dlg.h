#pragma once

#include <cstdint>
#include <string>

#include "framework/dialog.h"

// Asks the operator once, at the start of an interactive run, which printer model is to be
// updated. Any change of the selection closes it with that model's name and code.
class CPrinterSelectDlg : public fw::Dialog {
 public:
  static constexpr int kModelList = 1018;

  CPrinterSelectDlg();

  bool OnInitDialog() override;
  void OnLButtonDown(fw::Point at) override;
  void OnOK() override;

  int32_t modelCode = 0;
  std::string modelName;

 private:
  void OnSelChangeModels();
};
