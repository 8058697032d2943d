#include "framework/qt/choice_views.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "framework/headless/operator_actions.h"
#include "framework/qt/qt_backend.h"
#include "framework/qt/qt_paint_context.h"

namespace fw::qt {

namespace {
QStringList Items(const ControlState& state) {
  QStringList items;
  for (const auto& item : state.items) items << QString::fromLocal8Bit(item.c_str());
  return items;
}

Qt::FocusPolicy FocusFor(const ControlState& state) {
  return (state.style & style::kTabStop) ? Qt::StrongFocus : Qt::ClickFocus;
}
}  // namespace

ComboView::ComboView(DialogWindow& window, size_t index)
    : QComboBox(&window), ViewBase(window, index) {
  setEditable(Control().style & style::kEditableDropDown);
  setInsertPolicy(QComboBox::NoInsert);
  setFocusPolicy(FocusFor(Control()));
  connect(this, &QComboBox::activated, this, [this](int row) {
    ControlState& state = Control();
    if (row < 0 || row >= static_cast<int>(state.items.size())) return;
    state.curSel = row;
    state.text = state.items[row];
    Tell(fw::Notify::SelChange);
  });
  if (QLineEdit* edit = lineEdit()) {
    connect(edit, &QLineEdit::textEdited, this, [this](const QString& text) {
      ControlState& state = Control();
      state.text = text.toLocal8Bit().toStdString();
      state.curSel = -1;
      Tell(fw::Notify::EditChange);
    });
  }
}

void ComboView::Show(const ControlState& state) {
  const QSignalBlocker quiet(this);
  const QStringList items = Items(state);
  QStringList shown;
  for (int i = 0; i < count(); ++i) shown << itemText(i);
  if (shown != items) {
    clear();
    addItems(items);
  }
  setCurrentIndex(state.curSel);
  if (isEditable()) setEditText(QString::fromLocal8Bit(state.text.c_str()));
}

QRect ComboView::Placement(const ControlState& state) const {
  QRect place = ToQRect(state.rect);
  place.setHeight(std::min(place.height(), sizeHint().height()));
  return place;
}

ListView::ListView(DialogWindow& window, size_t index)
    : QListWidget(&window),
      ViewBase(window, index),
      rowHeight_(window.Backend()
                     .DialogBaseUnits(window.Model().Template().fontName,
                                      window.Model().Template().fontPoints)
                     .cy) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setFocusPolicy(FocusFor(Control()));
  setVerticalScrollBarPolicy((Control().style & style::kVerticalScroll) ? Qt::ScrollBarAsNeeded
                                                                        : Qt::ScrollBarAlwaysOff);
  // Selection, not the current row: a list that takes the focus gets a current row
  // without anything being chosen.
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> chosen = selectedItems();
    if (chosen.isEmpty()) return;
    Control().curSel = row(chosen.front());
    Tell(fw::Notify::SelChange);
  });
}

void ListView::Show(const ControlState& state) {
  const QSignalBlocker quiet(this);
  const QStringList items = Items(state);
  QStringList shown;
  for (int i = 0; i < count(); ++i) shown << item(i)->text();
  if (shown != items) {
    clear();
    addItems(items);
    for (int i = 0; i < count(); ++i) item(i)->setSizeHint(QSize(0, rowHeight_));
  }
  if (state.curSel >= 0 && state.curSel < count()) {
    setCurrentRow(state.curSel);
  } else {
    clearSelection();
  }
}

QRect ListView::Placement(const ControlState& state) const {
  QRect place = ToQRect(state.rect);
  if (state.style & style::kNoIntegralHeight) return place;
  const int frames = 2 * frameWidth();
  const int rows = std::max(0, (place.height() - frames) / rowHeight_);
  place.setHeight(frames + rows * rowHeight_);
  return place;
}

RadioView::RadioView(DialogWindow& window, size_t index)
    : QRadioButton(&window), ViewBase(window, index) {
  // Groups follow the template's group marks, not Qt's parent-wide exclusivity.
  setAutoExclusive(false);
  setFocusPolicy(FocusFor(Control()));
  // Buttons fill with the palette's button colour by default; a radio stands on the
  // background its dialog answers for it, like static text.
  setBackgroundRole(QPalette::Window);
  connect(this, &QRadioButton::clicked, this, [this] {
    const int id = Id();
    window_.Dispatch([&] { Click(window_.Model(), id); });
    // A click on a checked radio unchecks Qt's widget but not the control.
    if (!window_.Model().HasWindow()) return;
    const QSignalBlocker quiet(this);
    setChecked(Control().checked);
  });
}

void RadioView::Show(const ControlState& state) {
  const QSignalBlocker quiet(this);
  setText(QString::fromLocal8Bit(state.text.c_str()));
  setChecked(state.checked);
  const CtlColor colors = window_.ControlColors(state.id);
  QPalette colours = palette();
  // Disabled radios keep the window system's grey text.
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    colours.setColor(group, QPalette::WindowText, ToQColor(colors.text));
  }
  if (!colors.background.null)
    colours.setColor(QPalette::Window, ToQColor(colors.background.color));
  setPalette(colours);
  setAutoFillBackground(!colors.background.null);
}

}  // namespace fw::qt
