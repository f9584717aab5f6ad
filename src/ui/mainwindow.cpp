#include "ui/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyleOptionTabWidgetFrame>
#include <QTabWidget>
#include <cstdint>

#include "core/controls.h"
#include "ui/captions.h"
#include "ui/icon.h"
#include "ui/pickerviews.h"

namespace kestro::ui {
namespace {

using core::OptionSet;

// Controls whose click reaches the window's logic. The check boxes among them have their
// field written before the handler runs.
struct ClickHandler {
  std::string_view control;
  void (MainForm::*handler)();
};

constexpr ClickHandler kClickHandlers[] = {
    {"vidreson", &MainForm::onVidresonClicked}, {"vgafreqe", &MainForm::onVgafreqeClicked},
    {"mini", &MainForm::onMiniClicked},         {"exit", &MainForm::onExitClicked},
    {"saveset", &MainForm::onSavesetClicked},   {"loaddef", &MainForm::onLoaddefClicked},
    {"exeset", &MainForm::onExesetClicked},     {"runmame", &MainForm::onRunmameClicked},
};

// The display state that code changes: enabled flags, background colours and label texts.
struct EnabledFlag {
  std::string_view control;
  bool OptionSet::*enabled;
};

constexpr EnabledFlag kEnabledFlags[] = {
    {"vidresx", &OptionSet::vidresxEnabled},   {"vidresy", &OptionSet::vidresyEnabled},
    {"vgafreq0", &OptionSet::vgafreq0Enabled}, {"vgafreq1", &OptionSet::vgafreq1Enabled},
    {"vgafreq2", &OptionSet::vgafreq2Enabled}, {"vgafreq3", &OptionSet::vgafreq3Enabled},
};

struct BackColour {
  std::string_view control;
  std::uint32_t OptionSet::*colour;
};

constexpr BackColour kBackColours[] = {
    {"vidresx", &OptionSet::vidresxBackColor},
    {"vidresy", &OptionSet::vidresyBackColor},
};

constexpr core::TextField kLabelTexts[] = {
    {"vidgammal", &OptionSet::vidgammal}, {"sndvoltxt", &OptionSet::sndvoltxt},
    {"beaml", &OptionSet::beaml},         {"flickerl", &OptionSet::flickerl},
    {"gamename", &OptionSet::gamename},
};

QString qText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int pixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

// A colour value of the record: red in the lowest byte, blue in the highest.
QColor colourOf(std::uint32_t value) {
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

// "Small Fonts" was a narrow bitmap face; a condensed sans-serif comes closest.
QFont smallFont(double points) {
  QFont font;
  font.setFamilies({"DejaVu Sans Condensed", "Liberation Sans Narrow", "Arial Narrow"});
  font.setStyleHint(QFont::SansSerif);
  font.setStretch(QFont::SemiCondensed);
  font.setPointSizeF(points);
  return font;
}

QFont windowFont(double points) {
  QFont font = QApplication::font();
  font.setPointSizeF(points);
  return font;
}

QFont fontFor(Font role) {
  switch (role) {
    case Font::Small:
      return smallFont(6);
    case Font::SmallFrame:
      return smallFont(6.75);
    case Font::Arrow:
      return windowFont(15.75);
    case Font::GammaArrow:
      return windowFont(14.25);
    case Font::Window:
      break;
  }
  return windowFont(8);
}

const Control& rowNamed(std::string_view name) {
  for (const Control& row : kControls) {
    if (row.name == name) return row;
  }
  throw std::logic_error("no control named " + std::string(name));
}

QMessageBox::Icon iconOf(platform::MessageIcon icon) {
  switch (icon) {
    case platform::MessageIcon::Critical:
      return QMessageBox::Critical;
    case platform::MessageIcon::Information:
      return QMessageBox::Information;
    case platform::MessageIcon::Question:
      return QMessageBox::Question;
    case platform::MessageIcon::Exclamation:
      break;
  }
  return QMessageBox::Warning;
}

bool hasCaptionToFit(Kind kind) {
  return kind == Kind::CheckBox || kind == Kind::OptionButton || kind == Kind::Label ||
         kind == Kind::CentredLabel || kind == Kind::Button;
}

// The tab control, telling where its pages start inside it.
class OptionTabs : public QTabWidget {
 public:
  using QTabWidget::QTabWidget;

  // The pages' top-left corner as the style lays the control out, the tab strip above it.
  QPoint pageOrigin() const {
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).topLeft();
  }
};

}  // namespace

MainWindow::MainWindow(Environment environment) : form_(std::move(environment), *this) { build(); }

MainWindow::MainWindow(Environment environment, platform::ScriptStarter& starter)
    : form_(std::move(environment), *this, starter) {
  build();
}

MainWindow::~MainWindow() = default;

void MainWindow::build() {
  setObjectName("kestro");
  setWindowTitle("Kestro 9x");
  Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
  // A tool window has no task-bar button: the tray icon is the way back from "Minimize".
  // Without a tray the task bar has to be that way.
  flags |= form_.environment().trayExists ? Qt::Tool : Qt::Window;
  setWindowFlags(flags);
  setFixedSize(pixels(kClientWidthTwips), pixels(kClientHeightTwips));
  setFont(fontFor(Font::Window));
  setWindowIcon(programIcon());

  tray_ = new QSystemTrayIcon(windowIcon(), this);
  tray_->setToolTip(windowTitle());
  auto* trayMenu = new QMenu(this);
  trayMenu->addAction("Show", this, [this] { onTrayActivated(QSystemTrayIcon::Trigger); });
  trayMenu->addAction("Exit", this, [this] { form_.onExitClicked(); });
  tray_->setContextMenu(trayMenu);
  connect(tray_, &QSystemTrayIcon::activated, this, &MainWindow::onTrayActivated);

  buildControls();
  bind();
  showRecord();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

QWidget* MainWindow::control(std::string_view name) const {
  return controls_.value(qText(name), nullptr);
}

void MainWindow::buildControls() {
  QPoint pageOrigin;
  for (const Control& row : kControls) {
    QWidget* parent = row.in.empty() ? this : control(row.in);
    QWidget* widget = createControl(row, parent);
    widget->setObjectName(qText(row.name));
    widget->setAccessibleName(qText(row.spoken.empty() ? row.caption : row.spoken));
    controls_.insert(widget->objectName(), widget);
    if (row.kind == Kind::Tab) {
      // Every tab is in before the first control on a tab is placed.
      pageOrigin = static_cast<OptionTabs*>(parent)->pageOrigin();
      continue;
    }
    widget->setFont(fontFor(row.font));
    place(*widget, row, pageOrigin);
  }
  for (const LabelBeside& pair : kLabelsBeside) {
    auto* label = control<QLabel>(pair.label);
    label->setBuddy(control(pair.control));
    control(pair.control)->setAccessibleName(label->text());
  }
  // Every control is in place before any grows, so each sees all of its neighbours.
  for (const Control& row : kControls) {
    if (hasCaptionToFit(row.kind)) growToFitCaption(*control(row.name));
  }
  control<QTabWidget>("optiontabs")->setCurrentIndex(0);
}

QWidget* MainWindow::createControl(const Control& row, QWidget* parent) {
  const QString caption = qText(row.caption);
  switch (row.kind) {
    case Kind::TabControl:
      return new OptionTabs(parent);
    case Kind::Tab: {
      auto* page = new QWidget;
      static_cast<QTabWidget*>(parent)->addTab(page, caption);
      return page;
    }
    case Kind::Frame:
      return new QGroupBox(caption, parent);
    case Kind::CheckBox:
      return new WrappingCheckBox(caption, parent);
    case Kind::OptionButton: {
      // The option set decides which member of a group is on, and a group may have none.
      auto* button = new WrappingOptionButton(caption, parent);
      button->setAutoExclusive(false);
      return button;
    }
    case Kind::TextBox: {
      auto* box = new QLineEdit(parent);
      box->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), box));
      return box;
    }
    case Kind::Label:
    case Kind::CentredLabel:
    case Kind::ValueLabel: {
      auto* label = new WrappingLabel(caption, parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(row.kind == Kind::Label          ? Qt::AlignLeft | Qt::AlignTop
                          : row.kind == Kind::CentredLabel ? Qt::AlignHCenter | Qt::AlignTop
                                                           : Qt::AlignCenter);
      if (row.kind == Kind::ValueLabel) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, Qt::white);
        label->setPalette(palette);
        label->setAutoFillBackground(true);
      }
      return label;
    }
    case Kind::Button:
      return new QPushButton(caption, parent);
    case Kind::ListBox: {
      auto* list = new QListWidget(parent);
      for (std::string_view joystick : kJoysticks) {
        auto* item = new QListWidgetItem(qText(joystick), list);
        item->setData(Qt::UserRole, 0);
      }
      return list;
    }
    case Kind::Slider: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
      slider->setRange(0, 11);
      slider->setSingleStep(1);
      slider->setPageStep(3);
      slider->setTickPosition(QSlider::TicksBelow);
      slider->setTickInterval(1);
      return slider;
    }
    case Kind::DriveList:
    case Kind::FolderList:
    case Kind::FileList:
      return createPicker(row, parent);
  }
  throw std::logic_error("unknown kind of control");
}

// The drive, folder and file lists with which the user picks the game and MAME.
QWidget* MainWindow::createPicker(const Control& row, QWidget* parent) {
  if (row.name == "RomDrive") return new DriveListView(form_.RomDrive(), parent);
  if (row.name == "MameDrive") return new DriveListView(form_.MameDrive(), parent);
  if (row.name == "RomDir") return new FolderListView(form_.RomDir(), parent);
  if (row.name == "MameDir") return new FolderListView(form_.MameDir(), parent);
  if (row.name == "MameFile") return new FileListView(form_.MameFile(), parent);
  throw std::logic_error("no picker named " + std::string(row.name));
}

void MainWindow::place(QWidget& widget, const Control& row, QPoint pageOrigin) {
  QRect box(pixels(row.left), pixels(row.top), pixels(row.width), pixels(row.height));
  if (!row.in.empty() && rowNamed(row.in).kind == Kind::Tab) {
    box.translate(-pageOrigin);
    if (row.top < kTabStripTwips) box.moveTop(0);
  }
  widget.setGeometry(box);
}

void MainWindow::bind() {
  for (const core::CheckBoxField& field : core::kCheckBoxes) {
    connect(control<QAbstractButton>(field.name), &QAbstractButton::clicked, this,
            [this, field](bool checked) {
              form_.options().*field.member = checked ? 1 : 0;
              showRecord();
            });
  }
  for (const core::OptionGroup& group : core::kOptionGroups) {
    for (const core::OptionButtonField& member : group.members) {
      // A click always turns the button on, even one that was on already.
      connect(control<QAbstractButton>(member.name), &QAbstractButton::clicked, this,
              [this, member] {
                core::setOptionButton(form_.options(), member.member, true);
                showRecord();
              });
    }
  }
  for (const core::TextField& field : core::kTextBoxes) {
    connect(control<QLineEdit>(field.name), &QLineEdit::textEdited, this,
            [this, field](const QString& text) {
              form_.options().*field.member = text.toStdString();
              showRecord();
            });
  }
  connect(control<QSlider>("fsslid"), &QSlider::valueChanged, this, [this](int position) {
    form_.options().fsslid = position;
    showRecord();
  });
  connect(control<QListWidget>("JoyList"), &QListWidget::currentRowChanged, this, [this](int row) {
    form_.options().JoyList = row;
    showRecord();
  });
  for (const core::SteppedValue& stepped : core::kSteppedValues) {
    for (const auto& [button, direction] :
         {std::pair{stepped.downButton, core::StepDirection::Down},
          std::pair{stepped.upButton, core::StepDirection::Up}}) {
      connect(control<QAbstractButton>(button), &QAbstractButton::clicked, this,
              [this, &stepped, direction] {
                form_.onStepClicked(stepped, direction);
                showRecord();
              });
    }
  }
  for (const ClickHandler& click : kClickHandlers) {
    connect(control<QAbstractButton>(click.control), &QAbstractButton::clicked, this,
            [this, click] {
              (form_.*click.handler)();
              showRecord();
            });
  }
}

void MainWindow::showRecord() {
  const OptionSet& options = form_.options();
  const auto check = [this](std::string_view name, bool on) {
    auto* button = control<QAbstractButton>(name);
    const QSignalBlocker blocker(button);
    button->setChecked(on);
  };
  for (const core::CheckBoxField& field : core::kCheckBoxes) {
    check(field.name, options.*field.member == 1);
  }
  for (const core::OptionGroup& group : core::kOptionGroups) {
    for (const core::OptionButtonField& member : group.members) {
      check(member.name, options.*member.member);
    }
  }
  for (const core::TextField& field : core::kTextBoxes) {
    auto* box = control<QLineEdit>(field.name);
    const QString text = QString::fromStdString(options.*field.member);
    // Only a changed text is written back, so typing keeps its cursor.
    if (box->text() != text) {
      const QSignalBlocker blocker(box);
      box->setText(text);
    }
  }
  {
    auto* slider = control<QSlider>("fsslid");
    const QSignalBlocker blocker(slider);
    slider->setValue(options.fsslid);
  }
  {
    auto* list = control<QListWidget>("JoyList");
    const QSignalBlocker blocker(list);
    list->setCurrentRow(options.JoyList);
  }
  for (const EnabledFlag& flag : kEnabledFlags) {
    control(flag.control)->setEnabled(options.*flag.enabled);
  }
  for (const BackColour& back : kBackColours) {
    QWidget* box = control(back.control);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, colourOf(options.*back.colour));
    box->setPalette(palette);
  }
  for (const core::TextField& field : kLabelTexts) {
    control<QLabel>(field.name)->setText(QString::fromStdString(options.*field.member));
  }
}

void MainWindow::runStartUp() {
  form_.onActivated();
  showRecord();
}

platform::MessageAnswer MainWindow::showMessage(const platform::Message& message) {
  if (answerer_) return answerer_(message);
  const bool okOnly = message.buttons == platform::MessageButtons::Ok;
  QMessageBox box(iconOf(message.icon), QString::fromStdString(message.title),
                  QString::fromStdString(message.prompt),
                  okOnly ? QMessageBox::Ok : QMessageBox::Ok | QMessageBox::Cancel, this);
  box.setTextFormat(Qt::PlainText);
  return box.exec() == QMessageBox::Ok ? platform::MessageAnswer::Ok
                                       : platform::MessageAnswer::Cancel;
}

void MainWindow::hideToTray() { hide(); }

void MainWindow::minimizeToTaskBar() { showMinimized(); }

void MainWindow::showTrayIcon() { tray_->show(); }

void MainWindow::endProgram() {
  if (ending_) return;
  ending_ = true;
  tray_->hide();
  QCoreApplication::quit();
}

void MainWindow::onTrayActivated(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::Context) return;  // the icon's menu answers that
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

// The window becomes active in the sense of the start-up sequence when the program shows it:
// first, and after every hide. Shows by the window system, activation when the user comes
// back from another program, and a message box closing do not count.
void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous() && startUpDue_) {
    startUpDue_ = false;
    runStartUp();
  }
}

void MainWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous()) startUpDue_ = true;
}

// A minimized window is as good as hidden: coming back from the task bar is a return too.
void MainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange) return;
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  if ((change->oldState() & Qt::WindowMinimized) && !isMinimized() && isVisible()) runStartUp();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  form_.onExitClicked();
}

}  // namespace kestro::ui
