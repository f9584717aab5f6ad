#include "ui/binders.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

namespace kestro::ui {
namespace {

using core::OptionSet;
using Changed = std::function<void()>;

// The text boxes' backgrounds: white while on, light grey while off.
const QColor kOnBackground(0xFF, 0xFF, 0xFF);
const QColor kOffBackground(0xC0, 0xC0, 0xC0);

QString qText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Listens to `toggled`, which a click, the space bar and the accessibility toggle raise.
class CheckBoxBinder : public Binder {
 public:
  CheckBoxBinder(QAbstractButton& box, const Control& row, OptionSet& options, Changed changed)
      : Binder(box, row.enabledBy), box_(box), member_(std::get<int OptionSet::*>(row.bound)) {
    QObject::connect(&box, &QAbstractButton::toggled, &context_,
                     [this, &options, changed](bool on) {
                       options.*member_ = on ? 1 : 0;
                       changed();
                     });
  }

 private:
  void pushValue(const OptionSet& options) override {
    const QSignalBlocker blocker(box_);
    box_.setChecked(options.*member_ == 1);
  }
  QAbstractButton& box_;
  int OptionSet::*member_;
};

// Listens to `toggled`. The buttons of a group are auto-exclusive, so Qt announces them as radio
// buttons, moves among them with the arrow keys and keeps one Tab stop per group; the record
// still decides which is on, and may have none on.
class OptionButtonBinder : public Binder {
 public:
  OptionButtonBinder(QAbstractButton& button, const Control& row, OptionSet& options,
                     Changed changed)
      : Binder(button, row.enabledBy),
        button_(button),
        member_(std::get<bool OptionSet::*>(row.bound)),
        group_(*core::groupOf(member_)) {
    button.setAutoExclusive(true);
    QObject::connect(&button, &QAbstractButton::toggled, &context_,
                     [this, &options, changed](bool on) {
                       if (!on) {
                         // Only a member of the group turning on turns this one off, and its own
                         // toggle follows.
                         options.*member_ = false;
                         return;
                       }
                       core::setOptionButton(options, member_, true);
                       changed();
                     });
  }

 private:
  void pushValue(const OptionSet& options) override {
    const bool on = options.*member_;
    if (button_.isChecked() != on) {
      const QSignalBlocker blocker(button_);
      // Qt refuses to turn off the one button on in an exclusive group.
      button_.setAutoExclusive(false);
      button_.setChecked(on);
      button_.setAutoExclusive(true);
    }
    const bool anyOn = std::ranges::any_of(
        group_.choices, [&options](const core::Choice& choice) { return options.*choice.button; });
    const bool tabStop = on || (!anyOn && group_.choices.front().button == member_);
    button_.setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
  }
  QAbstractButton& button_;
  bool OptionSet::*member_;
  const core::Option& group_;
};

// Listens to `textChanged`, which typing, pasting, undo and an accessible text edit all raise.
class TextBoxBinder : public Binder {
 public:
  TextBoxBinder(QLineEdit& box, const Control& row, OptionSet& options, Changed changed)
      : Binder(box, row.enabledBy),
        box_(box),
        member_(std::get<std::string OptionSet::*>(row.bound)) {
    QObject::connect(&box, &QLineEdit::textChanged, &context_,
                     [this, &options, changed](const QString& text) {
                       options.*member_ = text.toStdString();
                       changed();
                     });
  }

 private:
  void pushValue(const OptionSet& options) override {
    const QString text = QString::fromStdString(options.*member_);
    // Only a changed text is written back, so typing keeps its cursor.
    if (box_.text() != text) {
      const QSignalBlocker blocker(box_);
      box_.setText(text);
    }
    QPalette palette = box_.palette();
    palette.setColor(QPalette::Base, box_.isEnabled() ? kOnBackground : kOffBackground);
    box_.setPalette(palette);
  }
  QLineEdit& box_;
  std::string OptionSet::*member_;
};

// Listens to `valueChanged`: dragging, the keys, the wheel and an accessible value all raise it.
class SliderBinder : public Binder {
 public:
  SliderBinder(QSlider& slider, const Control& row, OptionSet& options, Changed changed)
      : Binder(slider, row.enabledBy),
        slider_(slider),
        member_(std::get<int OptionSet::*>(row.bound)) {
    const core::Option& option = *core::optionAt(member_);
    slider.setRange(option.lowest, option.highest);
    QObject::connect(&slider, &QSlider::valueChanged, &context_,
                     [this, &options, changed](int position) {
                       options.*member_ = position;
                       changed();
                     });
  }

 private:
  void pushValue(const OptionSet& options) override {
    const QSignalBlocker blocker(slider_);
    slider_.setValue(options.*member_);
  }
  QSlider& slider_;
  int OptionSet::*member_;
};

// Listens to `itemSelectionChanged`: the record follows the selection, not the current row,
// which the list moves to the first entry when it gets the focus with nothing selected, and
// keeps when Ctrl+click clears the selection.
class ListBinder : public Binder {
 public:
  ListBinder(QListWidget& list, const Control& row, OptionSet& options, Changed changed)
      : Binder(list, row.enabledBy), list_(list), member_(std::get<int OptionSet::*>(row.bound)) {
    for (const core::Entry& entry : core::optionAt(member_)->entries) {
      auto* item = new QListWidgetItem(qText(entry.caption), &list);
      item->setData(Qt::UserRole, 0);
    }
    QObject::connect(&list, &QListWidget::itemSelectionChanged, &context_,
                     [this, &options, changed] {
                       options.*member_ = selectedRow();
                       changed();
                     });
  }

 private:
  int selectedRow() const {
    const QList<QListWidgetItem*> selected = list_.selectedItems();
    return selected.isEmpty() ? -1 : list_.row(selected.front());
  }
  void pushValue(const OptionSet& options) override {
    const int row = options.*member_;
    if (row == selectedRow()) return;
    const QSignalBlocker blocker(list_);
    if (row >= 0 && row < list_.count()) {
      list_.setCurrentRow(row);
    } else {
      list_.clearSelection();
    }
  }
  QListWidget& list_;
  int OptionSet::*member_;
};

// A label that shows a text of the record. With no accessible name of its own it speaks that
// text, so a screen reader reads the value, not a fixed name.
class LabelBinder : public Binder {
 public:
  LabelBinder(QLabel& label, const Control& row)
      : Binder(label, row.enabledBy),
        label_(label),
        member_(std::get<std::string OptionSet::*>(row.bound)) {}

 private:
  void pushValue(const OptionSet& options) override {
    const QString text = QString::fromStdString(options.*member_);
    if (label_.text() != text) label_.setText(text);
  }
  QLabel& label_;
  std::string OptionSet::*member_;
};

// Listens to `clicked`, which a push button raises for the mouse, the keys and the accessible
// press alike: an arrow steps its value, any other button runs its handler.
class PushButtonBinder : public Binder {
 public:
  PushButtonBinder(QAbstractButton& button, const Control& row, MainForm& form, Changed changed)
      : Binder(button, row.enabledBy) {
    const Binding bound = row.bound;
    QObject::connect(&button, &QAbstractButton::clicked, &context_, [&form, bound, changed] {
      if (const Step* step = std::get_if<Step>(&bound)) {
        form.onStepClicked(*core::optionAt(step->value), step->direction);
      } else {
        (form.*std::get<void (MainForm::*)()>(bound))();
      }
      changed();
    });
  }

 private:
  void pushValue(const OptionSet&) override {}
};

}  // namespace

void Binder::push(const OptionSet& options) {
  if (enabledBy_ != nullptr) widget_.setEnabled(options.*enabledBy_);
  pushValue(options);
}

std::unique_ptr<Binder> bindControl(const Control& row, QWidget& widget, MainForm& form,
                                    Changed changed) {
  if (std::holds_alternative<std::monostate>(row.bound)) return nullptr;
  OptionSet& options = form.options();
  switch (row.kind) {
    case Kind::CheckBox:
      return std::make_unique<CheckBoxBinder>(static_cast<QAbstractButton&>(widget), row, options,
                                              std::move(changed));
    case Kind::OptionButton:
      return std::make_unique<OptionButtonBinder>(static_cast<QAbstractButton&>(widget), row,
                                                  options, std::move(changed));
    case Kind::TextBox:
      return std::make_unique<TextBoxBinder>(static_cast<QLineEdit&>(widget), row, options,
                                             std::move(changed));
    case Kind::Slider:
      return std::make_unique<SliderBinder>(static_cast<QSlider&>(widget), row, options,
                                            std::move(changed));
    case Kind::ListBox:
      return std::make_unique<ListBinder>(static_cast<QListWidget&>(widget), row, options,
                                          std::move(changed));
    case Kind::CentredLabel:
    case Kind::ValueLabel:
      return std::make_unique<LabelBinder>(static_cast<QLabel&>(widget), row);
    case Kind::Button:
      return std::make_unique<PushButtonBinder>(static_cast<QAbstractButton&>(widget), row, form,
                                                std::move(changed));
    default:
      return nullptr;
  }
}

}  // namespace kestro::ui
