#include "ui/mainwindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QTextDocument>
#include <type_traits>
#include <variant>

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

// What a control without a caption speaks: a stepped value's label and arrows say which value
// they show or move.
std::string spokenOf(const Control& row) {
  if (const Step* step = std::get_if<Step>(&row.bound)) {
    const bool up = step->direction == core::StepDirection::Up;
    return std::string(step->stepped->spoken) + (up ? " up" : " down");
  }
  if (const auto* text = std::get_if<std::string OptionSet::*>(&row.bound)) {
    if (const auto* stepped = core::findRow(&core::SteppedValue::label, *text)) {
      return std::string(stepped->spoken) + " value";
    }
  }
  return std::string(row.spoken);
}

// The row of the dependent kind whose box the binding is (`box`) or whose controls it
// switches, or nullptr.
const core::Option* switchingRow(const Binding& bound, bool box) {
  for (const core::Option& row : core::kOptions) {
    const bool found = std::visit(
        [&]<typename Kind>(const Kind& kind) {
          if constexpr (core::Switching<Kind>) {
            return std::visit(
                [&]<typename Bound>(const Bound& member) {
                  if constexpr (std::is_same_v<Bound, int OptionSet::*>) {
                    if (box) return member == kind.box;
                  }
                  return !box && kind.switches(member);
                },
                bound);
          } else {
            return false;
          }
        },
        row);
    if (found) return &row;
  }
  return nullptr;
}

// The label that shows the game's name: the layout's one centred label.
std::string_view gameNameLabel() {
  for (const Control& row : kControls) {
    if (row.kind == Kind::CentredLabel) return row.name;
  }
  throw std::logic_error("no label for the game's name");
}

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
  buildGameMenu();
  // A game folder opened in the list changes the game name on the line, and a game with options
  // of its own, or leaving one, changes the options.
  romFolderWatch_ = form_.RomDir().subscribeChange([this] { showRecord(); });
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

void MainWindow::buildGameMenu() {
  gameMenu_ = new QMenu(this);
  giveOwn_ = gameMenu_->addAction(QString(), this, [this] {
    form_.onGiveOwnOptions(menuGame_);
    showRecord();
  });
  useCommon_ = gameMenu_->addAction(QString(), this, [this] {
    form_.onUseCommonOptions(menuGame_);
    showRecord();
  });
  auto& view = *control<QAbstractItemView>("RomDir");
  if (auto* folders = dynamic_cast<FolderListView*>(&view)) {
    folders->entries().setMarkedTest(
        [this](int row) {
          const std::optional<std::string> game = form_.gameOfEntry(row);
          return game && form_.hasOwnOptions(*game);
        },
        "Has options of its own");
  }
  view.installEventFilter(this);
  view.viewport()->installEventFilter(this);
  gameLabelDescription_ = control(gameNameLabel())->accessibleDescription();
  savesetDescription_ = control("saveset")->accessibleDescription();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  auto* view = control<QAbstractItemView>("RomDir");
  if (event->type() != QEvent::ContextMenu || view == nullptr ||
      (watched != view && watched != view->viewport())) {
    return QWidget::eventFilter(watched, event);
  }
  const auto& request = *static_cast<QContextMenuEvent*>(event);
  if (request.reason() == QContextMenuEvent::Mouse) {
    // The entry under the pointer.
    const QPoint at = view->viewport()->mapFrom(static_cast<QWidget*>(watched), request.pos());
    showGameMenu(view->indexAt(at).row(), request.globalPos());
  } else {
    // The context-menu key and Shift+F10 act on the current entry, the menu shown at it.
    const QModelIndex current = view->currentIndex();
    showGameMenu(current.row(), view->viewport()->mapToGlobal(view->visualRect(current).center()));
  }
  return true;
}

void MainWindow::showGameMenu(int row, QPoint where) {
  const std::optional<std::string> game = form_.gameOfEntry(row);
  if (!game) return;
  menuGame_ = *game;
  const QString name = QString::fromStdString(*game);
  const bool own = form_.hasOwnOptions(*game);
  giveOwn_->setText(plainMenuText("Give " + name + " options of its own"));
  giveOwn_->setEnabled(!own);
  useCommon_->setText(plainMenuText("Use the common options for " + name));
  useCommon_->setEnabled(own);
  gameMenu_->popup(where);
}

QWidget* MainWindow::control(std::string_view name) const {
  return controls_.value(qText(name), nullptr);
}

void MainWindow::buildControls() {
  QPoint pageOrigin;
  for (const Control& row : kControls) {
    QWidget* parent = row.in.empty() ? this : control(row.in);
    QWidget* widget = widgetKind(row.kind).create(row, parent, form_);
    widget->setObjectName(qText(row.name));
    const QString spoken = QString::fromStdString(spokenOf(row));
    if (widgetKind(row.kind).showsText) {
      // A label speaks the text it shows, which may change; the row says what that is.
      widget->setAccessibleDescription(spoken);
    } else {
      widget->setAccessibleName(spoken.isEmpty() ? qText(row.caption) : spoken);
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
    if (widgetKind(row.kind).fitsCaption) growToFitCaption(*control(row.name));
  }
  control<QTabWidget>("optiontabs")->setCurrentIndex(0);
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
    const core::Option* switching = switchingRow(row.bound, true);
    auto changed = [this, switching] {
      if (switching != nullptr) form_.onSwitchChanged(*switching);
      showRecord();
    };
    auto binder = widgetKind(row.kind).bind(row, *control(row.name), form_, changed);
    if (!binder) continue;
    if (const core::Option* dependent = switchingRow(row.bound, false)) {
      binder->switchWith([this, dependent] { return form_.switchedOn(*dependent); });
    }
    binders_.push_back(std::move(binder));
  }
}

void MainWindow::showRecord() {
  for (const auto& binder : binders_) binder->push(form_.options());
  showPlannedRun();
  showLastGames();
  showOwnOptions();
}

void MainWindow::showOwnOptions() {
  if (markedGames_ != form_.ownGames()) {
    markedGames_ = form_.ownGames();
    if (auto* folders = dynamic_cast<FolderListView*>(control("RomDir"))) {
      folders->entries().marksChanged();
    }
  }
  const QString game = QString::fromStdString(form_.ownOptionsGame());
  const auto tell = [&game](QWidget& widget, const QString& text, const QString& common) {
    widget.setToolTip(game.isEmpty() ? QString() : plainToolTip(text));
    widget.setAccessibleDescription(game.isEmpty() ? common : text);
  };
  tell(*control(gameNameLabel()),
       "The window shows the options of " + game + ": its own over the common options",
       gameLabelDescription_);
  tell(*control("saveset"),
       "Saves the options of " + game + " only; the other games keep the common options",
       savesetDescription_);
}

void MainWindow::showPlannedRun() {
  QString text = QString::fromStdString(launch::describePlannedRun(form_.plannedRun()));
  if (const std::string& game = form_.ownOptionsGame(); !game.empty()) {
    text += QString::fromStdString("\nIt runs with the options of " + game +
                                   ": its own over the common options.");
  }
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
