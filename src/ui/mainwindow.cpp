// SPDX-License-Identifier: GPL-3.0-or-later
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

constexpr std::size_t kRows = std::size(kControls);

// The row's index in the layout table, or kRows.
constexpr std::size_t rowIndex(std::string_view name) {
  for (std::size_t index = 0; index < kRows; ++index) {
    if (kControls[index].name == name) return index;
  }
  return kRows;
}

// The tab each row is on, by its index in the tab control: for a tab its own index, for the tab
// control -1. A row's frame or tab comes before it in the table, so it is known by then.
constexpr std::array<int, kRows> kTabOfRow = [] {
  std::array<int, kRows> tabs{};
  int tabsSeen = 0;
  for (std::size_t index = 0; index < kRows; ++index) {
    const Control& row = kControls[index];
    if (row.kind == Kind::Tab) {
      tabs[index] = tabsSeen++;
    } else if (row.in.empty()) {
      tabs[index] = -1;
    } else if (const std::size_t holder = rowIndex(row.in); holder < index) {
      tabs[index] = tabs[holder];
    } else {
      throw std::logic_error("a control comes before its frame or tab");
    }
  }
  return tabs;
}();

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
  for (std::size_t kind = 0; kind < kFontKinds; ++kind) {
    fonts_[kind] = fontFor(static_cast<Font>(kind));
  }
  setFont(fonts_[static_cast<std::size_t>(Font::Window)]);
  setWindowIcon(programIcon());

  tray_ = new QSystemTrayIcon(windowIcon(), this);
  tray_->setToolTip(windowTitle());
  buildTrayMenu();
  connect(tray_, &QSystemTrayIcon::activated, this, &MainWindow::onTrayActivated);

  buildControls();
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

QWidget* MainWindow::control(std::string_view name) {
  if (QWidget* widget = made(name)) return widget;
  const std::size_t index = rowIndex(name);
  if (index == kRows) return nullptr;
  buildTab(kTabOfRow[index]);
  return made(name);
}

QWidget* MainWindow::made(std::string_view name) const {
  return controls_.value(qText(name), nullptr);
}

void MainWindow::buildControls() {
  for (const Control& row : kControls) {
    if (row.kind == Kind::TabControl || row.kind == Kind::Tab) make(row);
  }
  auto& tabs = *static_cast<OptionTabs*>(made("optiontabs"));
  // Every tab is in before the first control on a tab is placed.
  pageOrigin_ = tabs.pageOrigin();
  tabsBuilt_.assign(static_cast<std::size_t>(tabs.count()), false);
  tabs.setCurrentIndex(0);
  buildTab(0);
  tabs.beforeShowing([this](int index) { buildTab(index); });
}

void MainWindow::buildTab(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= tabsBuilt_.size() ||
      tabsBuilt_[static_cast<std::size_t>(index)]) {
    return;
  }
  tabsBuilt_[static_cast<std::size_t>(index)] = true;
  std::vector<const Control*> rows;
  for (std::size_t row = 0; row < kRows; ++row) {
    if (kTabOfRow[row] == index && kControls[row].kind != Kind::Tab) {
      rows.push_back(&kControls[row]);
    }
  }
  for (const Control* row : rows) make(*row);
  for (const Control* row : rows) {
    if (row->labelledBy.empty()) continue;
    auto* label = qobject_cast<QLabel*>(made(row->labelledBy));
    label->setBuddy(made(row->name));
    made(row->name)->setAccessibleName(label->text());
  }
  // Every control of the tab is in place before any grows, so each sees all of its neighbours.
  for (const Control* row : rows) {
    if (widgetKind(row->kind).fitsCaption) growToFitCaption(*made(row->name));
  }
  const std::size_t bound = binders_.size();
  for (const Control* row : rows) bind(*row);
  for (std::size_t binder = bound; binder < binders_.size(); ++binder) {
    binders_[binder]->push(form_.options());
  }
  if (gameMenu_ != nullptr) showOwnOptions();
}

QWidget* MainWindow::make(const Control& row) {
  QWidget* parent = row.in.empty() ? this : made(row.in);
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
  if (row.kind != Kind::Tab) {
    widget->setFont(fonts_[static_cast<std::size_t>(row.font)]);
    place(*widget, row);
  }
  return widget;
}

void MainWindow::place(QWidget& widget, const Control& row) const {
  QRect box(pixels(row.left), pixels(row.top), pixels(row.width), pixels(row.height));
  if (!row.in.empty() && kControls[rowIndex(row.in)].kind == Kind::Tab) {
    box.translate(-pageOrigin_);
    if (row.top < kTabStripTwips) box.moveTop(0);
  }
  widget.setGeometry(box);
}

void MainWindow::bind(const Control& row) {
  const core::Option* switching = switchingRow(row.bound, true);
  auto changed = [this, switching] {
    if (switching != nullptr) form_.onSwitchChanged(*switching);
    showRecord();
  };
  auto binder = widgetKind(row.kind).bind(row, *made(row.name), form_, changed);
  if (!binder) return;
  if (const core::Option* dependent = switchingRow(row.bound, false)) {
    binder->switchWith([this, dependent] { return form_.switchedOn(*dependent); });
  }
  binders_.push_back(std::move(binder));
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
  // A control on a tab not made yet is told when its tab is made.
  const auto tell = [&game](QWidget* widget, const QString& text, const QString& common) {
    if (widget == nullptr) return;
    widget->setToolTip(game.isEmpty() ? QString() : plainToolTip(text));
    widget->setAccessibleDescription(game.isEmpty() ? common : text);
  };
  tell(made(gameNameLabel()),
       "The window shows the options of " + game + ": its own over the common options",
       QString::fromStdString(spokenOf(kControls[rowIndex(gameNameLabel())])));
  tell(made("saveset"),
       "Saves the options of " + game + " only; the other games keep the common options",
       QString());
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
