#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "framework/dialog.h"
#include "platform/clock.h"

namespace testsupport {

// A 100 × 50 dialog with one OK button, for the framework's and the backends' own tests.
inline fw::DialogTemplate SmallTemplate(int id) {
  fw::DialogTemplate t;
  t.id = id;
  t.width = 100;
  t.height = 50;
  t.fontName = "Arial";
  t.controls = {fw::Control(1, fw::ControlClass::PushButton, "OK", 5, 5, 40, 14)};
  return t;
}

// A dialog that logs each timer tick with the time it fired at, then hands it on.
class TickDialog : public fw::Dialog {
 public:
  explicit TickDialog(int id = 500) : fw::Dialog(SmallTemplate(id)) {}
  std::vector<std::pair<int, uint64_t>> ticks;
  std::function<void(int)> onTimer;
  void OnTimer(int id) override {
    ticks.emplace_back(id, platform::CurrentClock().NowMs());
    if (onTimer) onTimer(id);
  }
};

}  // namespace testsupport
