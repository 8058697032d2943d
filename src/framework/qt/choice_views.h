#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>

#include "framework/qt/view_base.h"

namespace fw::qt {

// A drop-down combo box, with editable text when its style says so. Choosing an entry
// selects it; typing leaves no entry selected, so the typed text is what the dialog reads.
class ComboView final : public QComboBox, public ViewBase {
 public:
  ComboView(DialogWindow& window, size_t index);
  QWidget& Widget() override { return *this; }
  void Show(const ControlState& state) override;
  // The template's height includes the dropped-down list; the closed box is one line.
  QRect Placement(const ControlState& state) const override;
};

// A single-selection list box; every selection the operator makes is reported. Its rows are
// as tall as the template font's character cell, and unless its style says otherwise it
// shows whole rows only, its height trimmed to fit.
class ListView final : public QListWidget, public ViewBase {
 public:
  ListView(DialogWindow& window, size_t index);
  QWidget& Widget() override { return *this; }
  void Show(const ControlState& state) override;
  QRect Placement(const ControlState& state) const override;

 private:
  int rowHeight_;
};

// An automatic radio button: a click checks it and clears the others of its group.
class RadioView final : public QRadioButton, public ViewBase {
 public:
  RadioView(DialogWindow& window, size_t index);
  QWidget& Widget() override { return *this; }
  void Show(const ControlState& state) override;
};

}  // namespace fw::qt
