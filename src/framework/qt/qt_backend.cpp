#include "framework/qt/qt_backend.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <memory>

#include "framework/message_box.h"
#include "framework/qt/dialog_window.h"
#include "framework/qt/file_filter.h"
#include "framework/qt/qt_paint_context.h"

namespace fw::qt {

QtBackend::QtBackend() {
  qApp->installEventFilter(&keyFilter_);
  qApp->installEventFilter(&clickThroughFilter_);
}

QtBackend::~QtBackend() {
  if (!qApp) return;
  qApp->removeEventFilter(&clickThroughFilter_);
  qApp->removeEventFilter(&keyFilter_);
}

void QtBackend::WhenOpened(int templateId, std::function<void(Dialog&)> handler) {
  openHandlers_[templateId] = std::move(handler);
}

void QtBackend::WhenBoxShown(std::function<void(QDialog&)> handler) {
  boxHandler_ = std::move(handler);
}

DialogWindow* QtBackend::WindowOf(const Dialog& dialog) const {
  auto it = windows_.find(&dialog);
  return it == windows_.end() ? nullptr : it->second;
}

bool QtBackend::TimerArmed(const Dialog& dialog, int id) const {
  auto it = timers_.find({&dialog, id});
  return it != timers_.end() && it->second->isActive();
}

void QtBackend::UnwindEnded() {
  for (const Frame& frame : frames_) {
    if (quitting_ || frame.dialog->EndRequested()) frame.loop->exit(0);
  }
}

int QtBackend::RunModal(Dialog& dialog) {
  if (quitting_) return IDABORT;
  const DialogTemplate& t = dialog.Template();
  dialog.CreateWindowState(DialogBaseUnits(t.fontName, t.fontPoints));
  dialog.ClearEnd();
  auto window = std::make_unique<DialogWindow>(dialog, *this);
  windows_[&dialog] = window.get();
  window->BuildControls();
  dialog.RunInitDialog();
  if (!dialog.EndRequested() && !quitting_) {
    window->ShowFirstTime();
    openedTemplates_.push_back(t.id);
    if (auto handler = openHandlers_.find(t.id); handler != openHandlers_.end()) {
      auto run = handler->second;  // a copy: the handler may replace itself
      DialogWindow* shown = window.get();
      QTimer::singleShot(0, shown,
                         [shown, run, &dialog] { shown->Dispatch([&] { run(dialog); }); });
    }
    QEventLoop loop;
    frames_.push_back(Frame{&dialog, &loop});
    if (!dialog.EndRequested() && !quitting_) loop.exec(QEventLoop::DialogExec);
    frames_.pop_back();
  }
  const int result = quitting_ ? IDABORT : dialog.ModalResult();
  window->StartClosing();
  Forget(dialog);
  window->hide();
  window.reset();
  dialog.DestroyWindowState();
  return result;
}

void QtBackend::Forget(const Dialog& dialog) {
  windows_.erase(&dialog);
  for (auto it = timers_.begin(); it != timers_.end();) {
    it = it->first.first == &dialog ? timers_.erase(it) : std::next(it);
  }
}

void QtBackend::SetTimer(Dialog& dialog, int id, uint32_t ms) {
  DialogWindow* window = WindowOf(dialog);
  if (!window) return;
  QTimer*& timer = timers_[{&dialog, id}];
  if (!timer) {
    // The window owns its timers; they go with it.
    timer = new QTimer(window);
    QObject::connect(timer, &QTimer::timeout, window, [window, id] {
      window->Dispatch([&] { window->Model().DispatchTimer(id); });
    });
  }
  timer->start(static_cast<int>(std::min<uint32_t>(ms, INT32_MAX)));
}

void QtBackend::KillTimer(Dialog& dialog, int id) {
  if (auto it = timers_.find({&dialog, id}); it != timers_.end()) it->second->stop();
}

void QtBackend::PostClose(Dialog& dialog) {
  DialogWindow* window = WindowOf(dialog);
  if (!window) return;
  // Queued behind what is already waiting; dropped if the window is gone by then.
  QMetaObject::invokeMethod(
      window, [window] { window->Dispatch([&] { window->Model().DispatchClose(); }); },
      Qt::QueuedConnection);
}

void QtBackend::Invalidate(Dialog& dialog, const Rect& rect, bool) {
  if (DialogWindow* window = WindowOf(dialog)) window->Invalidate(ToQRect(rect));
}

void QtBackend::UpdateWindow(Dialog& dialog) {
  if (DialogWindow* window = WindowOf(dialog)) window->UpdateNow();
}

void QtBackend::ControlChanged(Dialog& dialog, int id) {
  if (DialogWindow* window = WindowOf(dialog)) window->SyncControl(id);
}

void QtBackend::WindowChanged(Dialog& dialog) {
  if (DialogWindow* window = WindowOf(dialog)) window->SyncWindow();
}

void QtBackend::BeginWindowDrag(Dialog& dialog) {
  DialogWindow* window = WindowOf(dialog);
  if (!window) return;
  ++dragRequests_;
  if (QWindow* handle = window->windowHandle()) handle->startSystemMove();
}

QWidget* QtBackend::TopWindow() const {
  return frames_.empty() ? nullptr : WindowOf(*frames_.back().dialog);
}

bool QtBackend::AnyTopmost() const {
  return std::any_of(windows_.begin(), windows_.end(),
                     [](const auto& entry) { return entry.first->Topmost(); });
}

int QtBackend::RunBox(QDialog& box) {
  if (AnyTopmost()) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  boxes_.emplace_back(&box);
  if (boxHandler_) {
    auto run = boxHandler_;
    QTimer::singleShot(0, &box, [run, &box] { run(box); });
  }
  const int answer = box.exec();
  boxes_.erase(std::remove(boxes_.begin(), boxes_.end(), QPointer<QDialog>(&box)), boxes_.end());
  UnwindEnded();
  return answer;
}

int QtBackend::MessageBox(const std::string& text, const std::string& caption) {
  if (quitting_) return IDABORT;
  QMessageBox box(QMessageBox::NoIcon, QString::fromLocal8Bit(caption.c_str()),
                  QString::fromLocal8Bit(text.c_str()), QMessageBox::Ok, TopWindow());
  RunBox(box);
  return quitting_ ? IDABORT : IDOK;
}

std::optional<std::string> QtBackend::FileOpenDialog(const std::string& filter,
                                                     const std::string& initialDir) {
  if (quitting_) return std::nullopt;
  QFileDialog dialog(TopWindow(), QString(), QString::fromLocal8Bit(initialDir.c_str()));
  // Qt's own dialog behaves the same on every desktop and under test.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(NameFilters(filter));
  const int answer = RunBox(dialog);
  if (quitting_ || answer != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

Size QtBackend::DialogBaseUnits(const std::string& fontName, int points) {
  return fonts_.BaseUnits(fontName, points);
}

void QtBackend::Quit() {
  quitting_ = true;
  for (const auto& box : std::vector<QPointer<QDialog>>(boxes_)) {
    if (box) box->done(QDialog::Rejected);
  }
  UnwindEnded();
}

}  // namespace fw::qt
