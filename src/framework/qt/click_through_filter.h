#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWindow>

namespace fw::qt {

// A click that closes a window (the model picker ends on a press) may be the first of a
// double click. Its second press lands on whatever window then lies under the pointer, and
// must not press a button there: a press that would make a double click with a press in
// another window, one that is gone or hidden now, is swallowed with its release.
class ClickThroughFilter final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool SecondPressElsewhere(const QWindow& window, ulong timestamp, QPoint at,
                            Qt::MouseButton button) const;

  QPointer<QWindow> pressWindow_;
  ulong pressTime_ = 0;
  QPoint pressAt_;
  Qt::MouseButton pressButton_ = Qt::NoButton;
  Qt::MouseButton swallowing_ = Qt::NoButton;
};

}  // namespace fw::qt
