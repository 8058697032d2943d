#include "framework/qt/dialog_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include "framework/app_identity.h"
#include "framework/dialog_colors.h"
#include "framework/qt/control_view.h"
#include "framework/qt/qt_backend.h"
#include "framework/qt/qt_paint_context.h"
#include "framework/qt/widget_factory.h"

namespace fw::qt {

QRect ControlView::Placement(const ControlState& state) const {
  return ToQRect(state.rect);
}

DialogWindow::DialogWindow(Dialog& dialog, QtBackend& backend)
    : QDialog(nullptr), dialog_(dialog), backend_(backend) {
  const DialogTemplate& t = dialog.Template();
  setFont(backend_.Fonts().DialogFont(t.fontName, t.fontPoints));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setWindowModality(Qt::ApplicationModal);
  shownTopmost_ = dialog.Topmost();
  ApplyWindowFlags();
  const Rect& r = dialog.WindowRect();
  setFixedSize(r.Width(), r.Height());
  setWindowTitle(QString::fromLocal8Bit(dialog.WindowText().c_str()));
}

DialogWindow::~DialogWindow() = default;

void DialogWindow::ApplyWindowFlags() {
  const uint32_t style = dialog_.Template().style;
  Qt::WindowFlags flags = (style & dialog_style::kAppWindow) ? Qt::Window : Qt::Dialog;
  if (style & dialog_style::kCaption) {
    flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  } else {
    flags |= Qt::FramelessWindowHint;
  }
  // A system-modal dialog stays above every window of the program, topmost ones included.
  if (shownTopmost_ || (style & dialog_style::kSystemModal)) flags |= Qt::WindowStaysOnTopHint;
  setWindowFlags(flags);
}

void DialogWindow::BuildControls() {
  auto& controls = dialog_.Controls();
  for (size_t i = 0; i < controls.size(); ++i) {
    views_.push_back(CreateControlView(*this, i));
    SyncView(i);
  }
  // The first control of the template is on top, the last at the bottom: a frame listed
  // after what it surrounds is drawn beneath it. Qt stacks later children on top, so the
  // order is turned round.
  for (auto view = views_.rbegin(); view != views_.rend(); ++view) (*view)->Widget().raise();
}

void DialogWindow::ShowFirstTime() {
  SyncWindow();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  shownRect_ = dialog_.WindowRect();
  if (dialog_.Minimized()) {
    showMinimized();
  } else {
    show();
    // The offscreen platform (tests, screenshots) has no stacking to change.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
      raise();
      activateWindow();
    }
  }
}

void DialogWindow::SyncView(size_t index) {
  const auto& controls = dialog_.Controls();
  if (index >= views_.size() || index >= controls.size()) return;
  const ControlState& state = controls[index];
  ControlView& view = *views_[index];
  QWidget& widget = view.Widget();
  view.Show(state);
  const QRect place = view.Placement(state);
  if (widget.geometry() != place) {
    widget.setGeometry(place);
    ++layoutChanges_;
    // An owner-drawn button that takes its face's size comes to the top of its siblings,
    // so it stays above any picture it overlaps.
    if (state.cls == ControlClass::OwnerDrawButton) widget.raise();
  }
  widget.setEnabled(state.enabled);
  widget.setVisible(state.visible);
}

void DialogWindow::SyncControl(int id) {
  const auto& controls = dialog_.Controls();
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].id == id) SyncView(i);
  }
}

void DialogWindow::SyncWindow() {
  setWindowTitle(QString::fromLocal8Bit(dialog_.WindowText().c_str()));
  const int iconId = dialog_.Icon() != 0 ? dialog_.Icon() : ApplicationIconId();
  if (iconId != shownIcon_) {
    shownIcon_ = iconId;
    const QImage* icon = backend_.Images().Find(shownIcon_);
    setWindowIcon(icon ? QIcon(QPixmap::fromImage(*icon)) : QIcon());
  }
  const Rect& r = dialog_.WindowRect();
  if (!(r == shownRect_)) {
    if (r.Width() != width() || r.Height() != height()) setFixedSize(r.Width(), r.Height());
    if (r.left != shownRect_.left || r.top != shownRect_.top) move(r.left, r.top);
    shownRect_ = r;
  }
  if (dialog_.Topmost() != shownTopmost_) {
    shownTopmost_ = dialog_.Topmost();
    const bool wasVisible = isVisible();
    ApplyWindowFlags();  // hides the window
    if (wasVisible) show();
  }
  if (isVisible() && dialog_.Minimized() != isMinimized()) {
    if (dialog_.Minimized()) {
      showMinimized();
    } else {
      showNormal();
    }
  }
}

void DialogWindow::Invalidate(const QRect& rect) {
  pending_ += rect;
  update(rect);
}

void DialogWindow::UpdateNow() {
  if (!pending_.isEmpty() && isVisible()) repaint(pending_);
}

void DialogWindow::Dispatch(const std::function<void()>& handler) {
  if (closing_) return;
  handler();
  backend_.UnwindEnded();
}

CtlColor DialogWindow::ControlColors(int id) {
  return dialog_.OnCtlColor(id, DefaultCtlColor());
}

void DialogWindow::paintEvent(QPaintEvent* event) {
  pending_ -= event->region();
  QPainter painter(this);
  const Brush face = DefaultCtlColor().background;
  painter.fillRect(event->rect(), face.null ? QColor(Qt::white) : ToQColor(face.color));
  QtPaintContext dc(painter, backend_.Fonts(), backend_.Images());
  dialog_.OnPaint(dc);
}

void DialogWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
  const QPoint at = event->position().toPoint();
  Dispatch([&] { dialog_.DispatchLButtonDown(Point{at.x(), at.y()}); });
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (dialog_.SystemMenu().empty()) return QDialog::contextMenuEvent(event);
  QMenu menu(this);
  for (const auto& entry : dialog_.SystemMenu()) {
    if (entry.command == 0) {
      menu.addSeparator();
    } else {
      menu.addAction(QString::fromLocal8Bit(entry.text.c_str()))->setData(entry.command);
    }
  }
  const QAction* chosen = menu.exec(event->globalPos());
  if (!chosen) return;
  const unsigned command = chosen->data().toUInt();
  Dispatch([&] { dialog_.SendSysCommand(command); });
}

void DialogWindow::closeEvent(QCloseEvent* event) {
  // The dialog decides whether the window system's close ends it.
  event->ignore();
  Dispatch([&] { dialog_.DispatchClose(); });
}

}  // namespace fw::qt
