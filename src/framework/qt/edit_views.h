#pragma once

#include <QLineEdit>
#include <QWidget>
#include <array>

#include "framework/qt/view_base.h"

namespace fw::qt {

// A one-line edit; with the digits-only style nothing but digits can be typed.
class EditView final : public QLineEdit, public ViewBase {
 public:
  EditView(DialogWindow& window, size_t index);
  QWidget& Widget() override { return *this; }
  void Show(const ControlState& state) override;
};

// An IPv4 address control: four fields of 0 to 255 separated by dots. A blank field is
// kept as blank (-1). Typing a dot after a number, or a third digit, moves on to the next
// field; Backspace at a field's start goes back; a value above 255 cannot be typed.
class IpAddressView final : public QWidget, public ViewBase {
 public:
  IpAddressView(DialogWindow& window, size_t index);
  QWidget& Widget() override { return *this; }
  void Show(const ControlState& state) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FieldEdited(size_t field, const QString& text);
  int FieldWidth() const;
  int DotWidth() const;

  std::array<QLineEdit*, 4> fields_{};
};

}  // namespace fw::qt
