#pragma once

#include <QObject>

namespace fw::qt {

// Hands every key pressed in one of the dialogs' windows to the dialog's key filter first
// (and to its own Enter and Escape handling), before the focused control sees it. Keys of
// Qt's own boxes and of open drop-down lists are left alone.
class KeyFilter final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace fw::qt
