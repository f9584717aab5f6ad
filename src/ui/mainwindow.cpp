#include "ui/mainwindow.h"

#include <QApplication>
#include <QClipboard>
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
#include <QSlider>
#include <QStyleOptionTabWidgetFrame>
#include <QTabWidget>
#include <QTextDocument>

#include "core/options.h"
#include "launch/run.h"
#include "ui/binders.h"
#include "ui/captions.h"
#include "ui/icon.h"
#include "ui/pickerviews.h"
#include "ui/plaintext.h"

namespace kestro::ui {
namespace {

using core::OptionSet;

// The two check boxes whose change switches their dependent controls.
struct DependentGroup {
  core::CheckBox OptionSet::*box;
  void (MainForm::*onChange)();
};

constexpr DependentGroup kDependentGroups[] = {
    {&OptionSet::vidreson, &MainForm::onResolutionBoxChanged},
    {&OptionSet::vgafreqe, &MainForm::onFrequencyBoxChanged},
};

QString qText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int pixels(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

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

bool isLabel(Kind kind) {
  return kind == Kind::Label || kind == Kind::CentredLabel || kind == Kind::ValueLabel;
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
  buildTrayMenu();
  connect(tray_, &QSystemTrayIcon::activated, this, &MainWindow::onTrayActivated);

  buildControls();
  bind();
  // A game folder opened in the list changes the game name on the line.
  romFolderWatch_ = form_.RomDir().subscribeChange([this] { showPlannedRun(); });
  showRecord();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void MainWindow::buildTrayMenu() {
  auto* menu = new QMenu(this);
  menu->addAction("Show", this, [this] { onTrayActivated(QSystemTrayIcon::Trigger); });
  menu->addAction("Copy command line", this, [this] { copyCommandLine(); });
  menu->addSeparator();
  noLastGames_ = menu->addAction("No games run yet");
  noLastGames_->setEnabled(false);
  for (std::size_t index = 0; index < settings::kLastGamesKept; ++index) {
    QAction* action = menu->addAction(QString());
    connect(action, &QAction::triggered, this, [this, index] {
      form_.onLastGameChosen(index);
      showRecord();
    });
    lastGameActions_.push_back(action);
  }
  menu->addSeparator();
  menu->addAction("Exit", this, [this] { form_.onExitClicked(); });
  tray_->setContextMenu(menu);
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
    if (isLabel(row.kind)) {
      // A label speaks the text it shows, which may change; the row says what that is.
      widget->setAccessibleDescription(qText(row.spoken));
    } else {
      widget->setAccessibleName(qText(row.spoken.empty() ? row.caption : row.spoken));
    }
    controls_.insert(widget->objectName(), widget);
    if (row.kind == Kind::Tab) {
      // Every tab is in before the first control on a tab is placed.
      pageOrigin = static_cast<OptionTabs*>(parent)->pageOrigin();
      continue;
    }
    widget->setFont(fontFor(row.font));
    place(*widget, row, pageOrigin);
  }
  for (const Control& row : kControls) {
    if (row.labelledBy.empty()) continue;
    auto* label = control<QLabel>(row.labelledBy);
    label->setBuddy(control(row.name));
    control(row.name)->setAccessibleName(label->text());
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
    case Kind::OptionButton:
      return new WrappingOptionButton(caption, parent);
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
    case Kind::ListBox:
      return new QListWidget(parent);
    case Kind::Slider: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
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
  for (const Control& row : kControls) {
    void (MainForm::*onChange)() = nullptr;
    if (const auto* box = std::get_if<int OptionSet::*>(&row.bound)) {
      const auto* group = std::ranges::find(kDependentGroups, *box, &DependentGroup::box);
      if (group != std::end(kDependentGroups)) onChange = group->onChange;
    }
    auto changed = [this, onChange] {
      if (onChange != nullptr) (form_.*onChange)();
      showRecord();
    };
    if (auto binder = bindControl(row, *control(row.name), form_, changed)) {
      binders_.push_back(std::move(binder));
    }
  }
}

void MainWindow::showRecord() {
  for (const auto& binder : binders_) binder->push(form_.options());
  showPlannedRun();
  showLastGames();
}

void MainWindow::showPlannedRun() {
  const QString text = QString::fromStdString(launch::describePlannedRun(form_.plannedRun()));
  QWidget& button = *control("runmame");
  button.setToolTip(plainToolTip(text));
  button.setAccessibleDescription(text);
}

void MainWindow::showLastGames() {
  const std::vector<settings::LastGame>& games = form_.lastGames();
  noLastGames_->setVisible(games.empty());
  for (std::size_t index = 0; index < lastGameActions_.size(); ++index) {
    QAction& action = *lastGameActions_[index];
    action.setVisible(index < games.size());
    if (index >= games.size()) continue;
    const settings::LastGame& game = games[index];
    action.setText(plainMenuText(
        QString::fromStdString(launch::gameNameOf(game.romFolder) + " (" + game.mameFolder + ")")));
  }
}

void MainWindow::copyCommandLine() {
  QGuiApplication::clipboard()->setText(QString::fromStdString(form_.plannedRun().build.line));
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

// Without a tray, "Minimize" sends the window to the task bar, and coming back from there is the
// return that runs the start-up. With a tray only a return from the tray runs it.
void MainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || form_.environment().trayExists) return;
  const auto* change = static_cast<QWindowStateChangeEvent*>(event);
  if ((change->oldState() & Qt::WindowMinimized) && !isMinimized() && isVisible()) runStartUp();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  form_.onExitClicked();
}

}  // namespace kestro::ui
