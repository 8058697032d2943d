#include "framework/qt/static_views.h"

#include <QFontMetrics>
#include <QPainter>

#include "framework/qt/qt_backend.h"
#include "framework/qt/qt_paint_context.h"

namespace fw::qt {

namespace {
QString Text(const ControlState& state) {
  return QString::fromLocal8Bit(state.text.c_str());
}
}  // namespace

StaticView::StaticView(DialogWindow& window, size_t index)
    : QWidget(&window), ViewBase(window, index) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void StaticView::Show(const ControlState&) {
  update();
}

void StaticView::paintEvent(QPaintEvent*) {
  const ControlState& state = Control();
  const CtlColor colors = window_.ControlColors(state.id);
  QPainter painter(this);
  if (!colors.background.null) painter.fillRect(rect(), ToQColor(colors.background.color));
  painter.setFont(font());
  painter.setPen(ToQColor(colors.text));
  int flags = (state.style & style::kRightAlign) ? Qt::AlignRight : Qt::AlignLeft;
  if (state.style & (style::kNoWrap | style::kCenterVertically)) {
    flags |= Qt::TextSingleLine;
    flags |= (state.style & style::kCenterVertically) ? Qt::AlignVCenter : Qt::AlignTop;
  } else {
    flags |= Qt::AlignTop | Qt::TextWordWrap;
  }
  painter.drawText(rect(), flags, Text(state));
}

PictureView::PictureView(DialogWindow& window, size_t index)
    : QWidget(&window), ViewBase(window, index) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PictureView::Show(const ControlState&) {
  update();
}

QRect PictureView::Placement(const ControlState& state) const {
  // A picture control takes the size of its bitmap.
  if (const QImage* image = window_.Backend().Images().Find(state.imageId)) {
    return QRect(QPoint(state.rect.left, state.rect.top), image->size());
  }
  return ToQRect(state.rect);
}

void PictureView::paintEvent(QPaintEvent*) {
  if (const QImage* image = window_.Backend().Images().Find(Control().imageId)) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), *image);
  }
}

GroupBoxView::GroupBoxView(DialogWindow& window, size_t index)
    : QWidget(&window), ViewBase(window, index) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void GroupBoxView::Show(const ControlState&) {
  update();
}

void GroupBoxView::paintEvent(QPaintEvent*) {
  const ControlState& state = Control();
  const QFontMetrics metrics(font());
  const int top = metrics.height() / 2;
  QPainter painter(this);
  // The etched frame: a grey line with a white one inside it.
  painter.setPen(QColor(160, 160, 160));
  painter.drawRect(0, top, width() - 2, height() - top - 2);
  painter.setPen(Qt::white);
  painter.drawRect(1, top + 1, width() - 2, height() - top - 2);
  if (state.text.empty()) return;
  const CtlColor colors = window_.ControlColors(state.id);
  const QString text = Text(state);
  const QRect label(8, 0, metrics.horizontalAdvance(text) + 4, metrics.height());
  if (!colors.background.null) painter.fillRect(label, ToQColor(colors.background.color));
  painter.setPen(ToQColor(colors.text));
  painter.drawText(label, Qt::AlignCenter | Qt::TextSingleLine, text);
}

}  // namespace fw::qt
