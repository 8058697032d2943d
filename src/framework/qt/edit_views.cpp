#include "framework/qt/edit_views.h"

#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

namespace fw::qt {

EditView::EditView(DialogWindow& window, size_t index)
    : QLineEdit(&window), ViewBase(window, index) {
  const uint32_t bits = Control().style;
  if (bits & style::kDigitsOnly) {
    setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this));
  }
  setAlignment((bits & style::kRightAlign) ? Qt::AlignRight : Qt::AlignLeft);
  setFrame(bits & style::kBorder);
  setFocusPolicy((bits & style::kTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
  connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
    Control().text = text.toLocal8Bit().toStdString();
    Tell(fw::Notify::EditChange);
  });
}

void EditView::Show(const ControlState& state) {
  const QString text = QString::fromLocal8Bit(state.text.c_str());
  if (text != this->text()) {
    const QSignalBlocker quiet(this);
    setText(text);
  }
}

IpAddressView::IpAddressView(DialogWindow& window, size_t index)
    : QWidget(&window), ViewBase(window, index) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  for (size_t i = 0; i < fields_.size(); ++i) {
    auto* field = new QLineEdit(this);
    field->setFrame(false);
    field->setAlignment(Qt::AlignCenter);
    field->setMaxLength(3);
    // A number of 0 to 255 and nothing that could only grow past it ("300" is refused as
    // its last digit is typed, which a range validator would let stand).
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression("25[0-5]|2[0-4][0-9]|[01]?[0-9]?[0-9]|"), field));
    field->installEventFilter(this);
    connect(field, &QLineEdit::textEdited, this,
            [this, i](const QString& text) { FieldEdited(i, text); });
    fields_[i] = field;
  }
  setFocusProxy(fields_[0]);
}

void IpAddressView::FieldEdited(size_t field, const QString& text) {
  bool ok = false;
  const int value = text.toInt(&ok);
  Control().ipFields[field] = ok ? value : -1;
  if (text.size() == 3 && field + 1 < fields_.size()) fields_[field + 1]->setFocus();
}

bool IpAddressView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  for (size_t i = 0; i < fields_.size(); ++i) {
    QLineEdit* field = fields_[i];
    if (watched != field) continue;
    // As in the address control this follows: a dot ends a field that holds a number; in an
    // empty field (where a third digit has just moved the caret) it is swallowed, so that
    // "127.0.0.1" typed straight through fills the four fields.
    if (key == Qt::Key_Period) {
      if (!field->text().isEmpty() && i + 1 < fields_.size()) {
        fields_[i + 1]->setFocus();
        fields_[i + 1]->selectAll();
      }
      return true;
    }
    // Backspace at the start of a field goes on in the field before it.
    if (key == Qt::Key_Backspace && i > 0 && field->cursorPosition() == 0 &&
        !field->hasSelectedText()) {
      fields_[i - 1]->setFocus();
      fields_[i - 1]->end(false);
      return true;
    }
    break;
  }
  return QWidget::eventFilter(watched, event);
}

void IpAddressView::Show(const ControlState& state) {
  for (size_t i = 0; i < fields_.size(); ++i) {
    const int value = state.ipFields[i];
    const QString text = value < 0 ? QString() : QString::number(value);
    if (fields_[i]->text() != text) {
      const QSignalBlocker quiet(fields_[i]);
      fields_[i]->setText(text);
    }
  }
}

int IpAddressView::DotWidth() const {
  return fontMetrics().horizontalAdvance('.') + 2;
}

int IpAddressView::FieldWidth() const {
  return std::max(1, (width() - 3 * DotWidth() - 2) / 4);
}

void IpAddressView::resizeEvent(QResizeEvent*) {
  // Four equal fields with a dot between each two.
  const int step = FieldWidth() + DotWidth();
  for (size_t i = 0; i < fields_.size(); ++i) {
    fields_[i]->setGeometry(1 + static_cast<int>(i) * step, 1, FieldWidth(), height() - 2);
  }
  update();
}

void IpAddressView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(0, 0, width() - 1, height() - 1);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
  for (int i = 1; i < 4; ++i) {
    const QRect dot(1 + i * FieldWidth() + (i - 1) * DotWidth(), 0, DotWidth(), height());
    painter.drawText(dot, Qt::AlignCenter, QStringLiteral("."));
  }
}

}  // namespace fw::qt
