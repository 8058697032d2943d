#include "framework/headless/headless_backend.h"

#include <algorithm>

#include "framework/dialog.h"
#include "framework/message_box.h"

namespace fw {

HeadlessBackend::HeadlessBackend(platform::Clock* clock) : clock_(clock) {}

platform::Clock& HeadlessBackend::Clock() const {
  return clock_ ? *clock_ : platform::CurrentClock();
}

void HeadlessBackend::WhenOpened(int templateId, std::function<void(Dialog&)> handler) {
  openHandlers_[templateId] = std::move(handler);
}

void HeadlessBackend::WhenFileDialog(
    std::function<std::optional<std::string>(const std::string&, const std::string&)> answer) {
  fileAnswer_ = std::move(answer);
}

void HeadlessBackend::After(uint32_t ms, std::function<void()> action) {
  actions_.push_back(Action{Clock().NowMs() + ms, ++seq_, std::move(action)});
}

bool HeadlessBackend::Live(const Dialog* dialog) const {
  return std::find(live_.begin(), live_.end(), dialog) != live_.end();
}

bool HeadlessBackend::TimerArmed(const Dialog& dialog, int id) const {
  return std::any_of(timers_.begin(), timers_.end(),
                     [&](const Timer& t) { return t.dialog == &dialog && t.id == id; });
}

int HeadlessBackend::ArmedTimerCount() const {
  return static_cast<int>(timers_.size());
}

int HeadlessBackend::RunModal(Dialog& dialog) {
  if (quitting_) return IDABORT;
  dialog.CreateWindowState(
      DialogBaseUnits(dialog.Template().fontName, dialog.Template().fontPoints));
  live_.push_back(&dialog);
  dialog.ClearEnd();
  dialog.RunInitDialog();
  if (!dialog.EndRequested() && !quitting_) {
    openedTemplates_.push_back(dialog.Template().id);
    Invalidate(dialog, dialog.ClientRect(), true);
    PaintPending();
    auto handler = openHandlers_.find(dialog.Template().id);
    if (handler != openHandlers_.end()) {
      auto run = handler->second;  // a copy: the handler may replace itself
      run(dialog);
    }
  }
  while (!dialog.EndRequested() && !quitting_) {
    if (Step(std::nullopt) == StepResult::NothingToDo) {
      // No timer, message or scripted action is left that could ever end this dialog;
      // waiting would hang the process, so the loop gives up.
      ++idleEnds_;
      dialog.EndDialog(IDABORT);
    }
  }
  const int result = quitting_ ? IDABORT : dialog.ModalResult();
  Forget(dialog);
  dialog.DestroyWindowState();
  return result;
}

void HeadlessBackend::Forget(Dialog& dialog) {
  live_.erase(std::remove(live_.begin(), live_.end(), &dialog), live_.end());
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.dialog == &dialog; }),
                timers_.end());
  posted_.erase(std::remove_if(posted_.begin(), posted_.end(),
                               [&](const Posted& p) { return p.dialog == &dialog; }),
                posted_.end());
  invalid_.erase(&dialog);
}

HeadlessBackend::StepResult HeadlessBackend::Step(std::optional<uint64_t> limit) {
  if (!posted_.empty()) {
    Posted message = std::move(posted_.front());
    posted_.pop_front();
    if (Live(message.dialog)) message.run();
    return StepResult::Worked;
  }
  PaintPending();

  // The earliest timer or scripted action; ties go to what was armed first.
  Timer* timer = nullptr;
  for (auto& t : timers_) {
    if (!timer || t.due < timer->due || (t.due == timer->due && t.seq < timer->seq)) timer = &t;
  }
  auto action = std::min_element(actions_.begin(), actions_.end(),
                                 [](const Action& a, const Action& b) { return a.due < b.due; });
  const bool haveAction = action != actions_.end();
  auto sleepUntil = [this](uint64_t when) {
    const uint64_t now = Clock().NowMs();
    if (when > now) Clock().SleepMs(uint32_t(std::min<uint64_t>(when - now, UINT32_MAX)));
  };
  if (!timer && !haveAction) {
    if (limit) sleepUntil(*limit);
    return limit ? StepResult::ReachedLimit : StepResult::NothingToDo;
  }
  const bool takeAction = haveAction && (!timer || action->due < timer->due);
  const uint64_t due = takeAction ? action->due : timer->due;
  if (limit && due > *limit) {
    sleepUntil(*limit);
    return StepResult::ReachedLimit;
  }
  sleepUntil(due);

  if (takeAction) {
    auto run = std::move(action->run);
    actions_.erase(action);
    run();
    return StepResult::Worked;
  }
  // A periodic timer comes due again one period after it was handled, unless the handler
  // kills or re-arms it.
  Dialog* dialog = timer->dialog;
  const int id = timer->id;
  timer->due = Clock().NowMs() + timer->period;
  timer->seq = ++seq_;
  dialog->DispatchTimer(id);
  return StepResult::Worked;
}

void HeadlessBackend::SetTimer(Dialog& dialog, int id, uint32_t ms) {
  for (auto& t : timers_) {
    if (t.dialog == &dialog && t.id == id) {
      t.period = ms;
      t.due = Clock().NowMs() + ms;
      t.seq = ++seq_;
      return;
    }
  }
  timers_.push_back(Timer{&dialog, id, ms, Clock().NowMs() + ms, ++seq_});
}

void HeadlessBackend::KillTimer(Dialog& dialog, int id) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.dialog == &dialog && t.id == id; }),
                timers_.end());
}

void HeadlessBackend::PostClose(Dialog& dialog) {
  posted_.push_back(Posted{&dialog, [&dialog] { dialog.DispatchClose(); }});
}

void HeadlessBackend::Invalidate(Dialog& dialog, const Rect& rect, bool) {
  invalid_[&dialog].push_back(rect);
}

void HeadlessBackend::UpdateWindow(Dialog& dialog) {
  auto it = invalid_.find(&dialog);
  if (it != invalid_.end() && !it->second.empty()) Paint(dialog);
}

void HeadlessBackend::PaintPending() {
  for (Dialog* dialog : std::vector<Dialog*>(live_)) {
    auto it = invalid_.find(dialog);
    if (it != invalid_.end() && !it->second.empty()) Paint(*dialog);
  }
}

void HeadlessBackend::Paint(Dialog& dialog) {
  std::vector<Rect> rects = std::move(invalid_[&dialog]);
  invalid_[&dialog].clear();
  if (!recordPaint_) return;
  RecordingPaintContext dc;
  dialog.PaintWindow(dc);
  frames_.push_back(PaintFrame{dialog.Template().id, std::move(rects), std::move(dc.Ops())});
}

int HeadlessBackend::MessageBox(const std::string& text, const std::string& caption) {
  messageBoxes_.push_back(MessageBoxRecord{text, caption});
  if (quitting_) return IDABORT;
  // The box runs a modal loop of its own until the operator answers it.
  const uint64_t answerAt = Clock().NowMs() + messageBoxHoldMs_;
  while (!quitting_ && Clock().NowMs() < answerAt) {
    if (Step(answerAt) != StepResult::Worked) break;
  }
  return quitting_ ? IDABORT : IDOK;
}

std::optional<std::string> HeadlessBackend::FileOpenDialog(const std::string& filter,
                                                           const std::string& initialDir) {
  fileDialogFilters_.push_back(filter);
  if (quitting_ || !fileAnswer_) return std::nullopt;
  return fileAnswer_(filter, initialDir);
}

Size HeadlessBackend::DialogBaseUnits(const std::string&, int) {
  // What "Arial" 8 pt measures on the real display; every template is laid out with it.
  return Size{6, 13};
}

}  // namespace fw
