// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/binders.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <algorithm>
#include <array>
#include <stdexcept>

#include "ui/captions.h"
#include "ui/pickerviews.h"

namespace kestro::ui {
namespace {

using core::OptionSet;

// The text boxes' backgrounds: white while on, light grey while off.
const QColor kOnBackground(0xFF, 0xFF, 0xFF);
const QColor kOffBackground(0xC0, 0xC0, 0xC0);

QString qText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Listens to `toggled`, which a click, the space bar and the accessibility toggle raise.
class CheckBoxBinder : public Binder {
 public:
  CheckBoxBinder(QAbstractButton& box, int OptionSet::*member, MainForm& form, Changed changed)
      : Binder(box), box_(box), member_(member) {
    QObject::connect(&box, &QAbstractButton::toggled, &context_,
                     [this, &options = form.options(), changed](bool on) {
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
  OptionButtonBinder(QAbstractButton& button, bool OptionSet::*member, MainForm& form,
                     Changed changed)
      : Binder(button), button_(button), member_(member), group_(core::groupOf(member_)) {
    button.setAutoExclusive(true);
    QObject::connect(&button, &QAbstractButton::toggled, &context_,
                     [this, &options = form.options(), changed](bool on) {
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
        group_, [&options](const core::Choice& choice) { return options.*choice.button; });
    const bool tabStop = on || (!anyOn && group_.front().button == member_);
    button_.setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
  }
  QAbstractButton& button_;
  bool OptionSet::*member_;
  std::span<const core::Choice> group_;
};

// Listens to `textChanged`, which typing, pasting, undo and an accessible text edit all raise.
class TextBoxBinder : public Binder {
 public:
  TextBoxBinder(QLineEdit& box, std::string OptionSet::*member, MainForm& form, Changed changed)
      : Binder(box), box_(box), member_(member) {
    QObject::connect(&box, &QLineEdit::textChanged, &context_,
                     [this, &options = form.options(), changed](const QString& text) {
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
  SliderBinder(QSlider& slider, int OptionSet::*member, MainForm& form, Changed changed)
      : Binder(slider), slider_(slider), member_(member) {
    const core::Slider& option = *core::findRow(&core::Slider::position, member_);
    slider.setRange(option.lowest, option.highest);
    QObject::connect(&slider, &QSlider::valueChanged, &context_,
                     [this, &options = form.options(), changed](int position) {
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
  ListBinder(QListWidget& list, int OptionSet::*member, MainForm& form, Changed changed)
      : Binder(list), list_(list), member_(member) {
    for (const core::Entry& entry : core::findRow(&core::List::position, member_)->entries) {
      auto* item = new QListWidgetItem(qText(entry.caption), &list);
      item->setData(Qt::UserRole, 0);
    }
    QObject::connect(&list, &QListWidget::itemSelectionChanged, &context_,
                     [this, &options = form.options(), changed] {
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
  LabelBinder(QLabel& label, std::string OptionSet::*member, MainForm&, const Changed&)
      : Binder(label), label_(label), member_(member) {}

 private:
  void pushValue(const OptionSet& options) override {
    const QString text = QString::fromStdString(options.*member_);
    if (label_.text() != text) label_.setText(text);
  }
  QLabel& label_;
  std::string OptionSet::*member_;
};

void runCommand(MainForm& form, Command command) {
  switch (command) {
    case Command::RunMame:
      return form.onRunmameClicked();
    case Command::Minimize:
      return form.onMiniClicked();
    case Command::Exit:
      return form.onExitClicked();
    case Command::SetExe:
      return form.onExesetClicked();
    case Command::DefaultSettings:
      return form.onLoaddefClicked();
    case Command::SaveSettings:
      return form.onSavesetClicked();
  }
}

// Listens to `clicked`, which a push button raises for the mouse, the keys and the accessible
// press alike: an arrow steps its value, any other button runs its command.
class PushButtonBinder : public Binder {
 public:
  PushButtonBinder(QAbstractButton& button, Binding bound, MainForm& form, Changed changed)
      : Binder(button) {
    QObject::connect(&button, &QAbstractButton::clicked, &context_, [&form, bound, changed] {
      if (const Step* step = std::get_if<Step>(&bound)) {
        form.onStepClicked(*step->stepped, step->direction);
      } else {
        runCommand(form, std::get<Command>(bound));
      }
      changed();
    });
  }

 private:
  void pushValue(const OptionSet&) override {}
};

// The bit of each alternative of Binding.
template <typename... Bound>
constexpr unsigned accepting() {
  return ((1u << Binding(std::in_place_type<Bound>).index()) | ... | 0u);
}

// A binder of type B for a widget of type W, given the row's binding of type Bound.
template <typename B, typename W, typename Bound>
std::unique_ptr<Binder> bindAs(const Control& row, QWidget& widget, MainForm& form,
                               Changed changed) {
  return std::make_unique<B>(static_cast<W&>(widget), std::get<Bound>(row.bound), form,
                             std::move(changed));
}

std::unique_ptr<Binder> bindNothing(const Control&, QWidget&, MainForm&, Changed) {
  return nullptr;
}

std::unique_ptr<Binder> bindPushButton(const Control& row, QWidget& widget, MainForm& form,
                                       Changed changed) {
  return std::make_unique<PushButtonBinder>(static_cast<QAbstractButton&>(widget), row.bound, form,
                                            std::move(changed));
}

QWidget* createLabel(const Control& row, QWidget* parent, Qt::Alignment alignment) {
  auto* label = new WrappingLabel(qText(row.caption), parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(alignment);
  return label;
}

// One entry per kind, in the order of Kind.
constexpr std::array kWidgetKinds =
    {
        WidgetKind{Kind::TabControl,
                   [](const Control&, QWidget* parent, MainForm&) -> QWidget* {
                     return new OptionTabs(parent);
                   },
                   bindNothing, accepting<std::monostate>(), false, false},
        WidgetKind{Kind::Tab,
                   [](const Control& row, QWidget* parent, MainForm&) -> QWidget* {
                     auto* page = new QWidget;
                     static_cast<QTabWidget*>(parent)->addTab(page, qText(row.caption));
                     return page;
                   },
                   bindNothing, accepting<std::monostate>(), false, false},
        WidgetKind{Kind::Frame,
                   [](const Control& row, QWidget* parent, MainForm&) -> QWidget* {
                     return new QGroupBox(qText(row.caption), parent);
                   },
                   bindNothing, accepting<std::monostate>(), false, false},
        WidgetKind{Kind::CheckBox,
                   [](const Control& row, QWidget* parent, MainForm&) -> QWidget* {
                     return new WrappingCheckBox(qText(row.caption), parent);
                   },
                   bindAs<CheckBoxBinder, QAbstractButton, int OptionSet::*>,
                   accepting<int OptionSet::*>(), false, true},
        WidgetKind{Kind::OptionButton,
                   [](const Control& row, QWidget* parent, MainForm&) -> QWidget* {
                     return new WrappingOptionButton(qText(row.caption), parent);
                   },
                   bindAs<OptionButtonBinder, QAbstractButton, bool OptionSet::*>,
                   accepting<bool OptionSet::*>(), false, true},
        WidgetKind{Kind::TextBox,
                   [](const Control&, QWidget* parent, MainForm&) -> QWidget* {
                     auto* box = new QLineEdit(parent);
                     box->setValidator(
                         new QRegularExpressionValidator(QRegularExpression("[0-9]*"), box));
                     return box;
                   },
                   bindAs<TextBoxBinder, QLineEdit, std::string OptionSet::*>,
                   accepting<std::string OptionSet::*>(), false, false},
        WidgetKind{Kind::Label,
                   [](const Control& row, QWidget* parent, MainForm&) {
                     return createLabel(row, parent, Qt::AlignLeft | Qt::AlignTop);
                   },
                   bindNothing, accepting<std::monostate>(), true, true},
        WidgetKind{Kind::CentredLabel,
                   [](const Control& row, QWidget* parent, MainForm&) {
                     return createLabel(row, parent, Qt::AlignHCenter | Qt::AlignTop);
                   },
                   bindAs<LabelBinder, QLabel, std::string OptionSet::*>,
                   accepting<std::string OptionSet::*>(), true, true},
        WidgetKind{Kind::ValueLabel,
                   [](const Control& row, QWidget* parent, MainForm&) {
                     QWidget* label = createLabel(row, parent, Qt::AlignCenter);
                     QPalette palette = label->palette();
                     palette.setColor(QPalette::Window, Qt::white);
                     label->setPalette(palette);
                     label->setAutoFillBackground(true);
                     return label;
                   },
                   bindAs<LabelBinder, QLabel, std::string OptionSet::*>,
                   accepting<std::string OptionSet::*>(), true, false},
        WidgetKind{Kind::Button,
                   [](const Control& row, QWidget* parent, MainForm&) -> QWidget* {
                     return new QPushButton(qText(row.caption), parent);
                   },
                   bindPushButton, accepting<Step, Command>(), false, true},
        WidgetKind{Kind::ListBox,
                   [](const Control&, QWidget* parent, MainForm&) -> QWidget* {
                     return new QListWidget(parent);
                   },
                   bindAs<ListBinder, QListWidget, int OptionSet::*>, accepting<int OptionSet::*>(),
                   false, false},
        WidgetKind{Kind::Slider,
                   [](const Control&, QWidget* parent, MainForm&) -> QWidget* {
                     auto* slider = new QSlider(Qt::Horizontal, parent);
                     slider->setSingleStep(1);
                     slider->setPageStep(3);
                     slider->setTickPosition(QSlider::TicksBelow);
                     slider->setTickInterval(1);
                     return slider;
                   },
                   bindAs<SliderBinder, QSlider, int OptionSet::*>, accepting<int OptionSet::*>(),
                   false, false},
        WidgetKind{Kind::DriveList,
                   [](const Control& row, QWidget* parent, MainForm& form) -> QWidget* {
                     const bool game = std::get<Picks>(row.bound) == Picks::GameFolder;
                     return new DriveListView(game ? form.RomDrive() : form.MameDrive(), parent);
                   },
                   bindNothing, accepting<Picks>(), false, false},
        WidgetKind{Kind::FolderList,
                   [](const Control& row, QWidget* parent, MainForm& form) -> QWidget* {
                     const bool game = std::get<Picks>(row.bound) == Picks::GameFolder;
                     return new FolderListView(game ? form.RomDir() : form.MameDir(), parent);
                   },
                   bindNothing, accepting<Picks>(), false, false},
        // FileList: MAME's executables; the game's folder has none.
        WidgetKind{Kind::FileList,
                   [](const Control& row, QWidget* parent, MainForm& form) -> QWidget* {
                     if (std::get<Picks>(row.bound) != Picks::Mame) {
                       throw std::logic_error("only MAME has a file list");
                     }
                     return new FileListView(form.MameFile(), parent);
                   },
                   bindNothing, accepting<Picks>(), false, false},
};
static_assert(kWidgetKinds.size() == static_cast<std::size_t>(Kind::FileList) + 1 && [] {
  for (std::size_t i = 0; i < kWidgetKinds.size(); ++i) {
    if (kWidgetKinds[i].kind != static_cast<Kind>(i)) return false;
  }
  return true;
}());

// Every row carries a binding its kind's entry accepts.
static_assert(std::ranges::all_of(kControls, [](const Control& row) {
  return (kWidgetKinds[static_cast<std::size_t>(row.kind)].accepts >> row.bound.index() & 1u) != 0;
}));

}  // namespace

const WidgetKind& widgetKind(Kind kind) { return kWidgetKinds.at(static_cast<std::size_t>(kind)); }

OptionTabs::OptionTabs(QWidget* parent) : QTabWidget(parent) {
  // The tab bar's own signal reaches this receiver before the tab control's, which shows the
  // page: so a page's controls can be made while it is still hidden. The bar is set up as the
  // tab control sets up its own.
  auto* bar = new QTabBar(this);
  bar->setObjectName("qt_tabwidget_tabbar");
  bar->setDrawBase(false);
  QObject::connect(bar, &QTabBar::currentChanged, this, [this](int index) {
    if (beforeShowing_ && index >= 0) beforeShowing_(index);
  });
  setTabBar(bar);
}

QPoint OptionTabs::pageOrigin() const {
  QStyleOptionTabWidgetFrame option;
  initStyleOption(&option);
  return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).topLeft();
}

void Binder::push(const OptionSet& options) {
  if (on_) widget_.setEnabled(on_());
  pushValue(options);
}

}  // namespace kestro::ui
