// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt window of Kestro: the six tabs built from the layout table, each widget bound to its
// field of the option set by a binder, events forwarded to MainForm, and the tray icon that brings
// the window back after "Minimize". The controls of a tab are made and bound when the tab first
// shows, or when one of them is asked for, whichever comes first.
#pragma once

#include <QFont>
#include <QHash>
#include <QSystemTrayIcon>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "ui/binders.h"
#include "ui/form.h"
#include "ui/layout.h"

class QAction;
class QMenu;
class QTabWidget;

namespace kestro::ui {

// The kinds of font the layout names, the last being GammaArrow.
inline constexpr std::size_t kFontKinds = static_cast<std::size_t>(Font::GammaArrow) + 1;

class MainWindow : public QWidget, public WindowOps {
  Q_OBJECT

 public:
  // Starts the launch script through DOSBox.
  explicit MainWindow(Environment environment);
  // Starts the launch script through the given starter.
  MainWindow(Environment environment, platform::ScriptStarter& starter);
  ~MainWindow() override;

  MainForm& form() { return form_; }
  const MainForm& form() const { return form_; }
  QSystemTrayIcon& trayIcon() { return *tray_; }

  // The widget of the named control, or nullptr. A control of a tab not shown yet is made,
  // with the rest of its tab, when asked for.
  QWidget* control(std::string_view name);
  template <typename Widget>
  Widget* control(std::string_view name) {
    return qobject_cast<Widget*>(control(name));
  }

  // Pushes the option set into the widgets, with their signals blocked so that nothing comes
  // back as a user edit, and shows the line "Run Mame" would write and the last games. Runs
  // after every handler; whoever changes the record directly calls it.
  void showRecord();

  // Where messages go instead of a message box, for tests; an empty function restores the box.
  using MessageAnswerer = std::function<platform::MessageAnswer(const platform::Message&)>;
  void answerMessagesWith(MessageAnswerer answerer) { answerer_ = std::move(answerer); }

  platform::MessageAnswer showMessage(const platform::Message& message) override;
  void hideToTray() override;
  void minimizeToTaskBar() override;
  void showTrayIcon() override;
  void endProgram() override;

 public slots:
  // The tray icon's event: shows the window; a window already showing is only raised.
  void onTrayActivated(QSystemTrayIcon::ActivationReason reason);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // The game folder list's context menu, by mouse on its viewport and by keyboard on the list.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  // Makes the tab control with its tabs, and the controls of the first tab.
  void buildControls();
  // Makes, places, fits and binds the controls of the tab at `index`, once, and shows the
  // record in them.
  void buildTab(int index);
  QWidget* make(const Control& row);
  // The named control if it is made, or nullptr.
  QWidget* made(std::string_view name) const;
  void place(QWidget& widget, const Control& row) const;
  void bind(const Control& row);
  void runStartUp();
  void buildTrayMenu();
  // The "Run Mame" button's tooltip and accessible description: the line it would write.
  void showPlannedRun();
  void showLastGames();
  // The tooltips and descriptions that say whose options the window shows and saves.
  void showOwnOptions();
  void buildGameMenu();
  // The context menu of the game folder list's entry `row`, at `where` on the screen; none for
  // an entry that is no game folder.
  void showGameMenu(int row, QPoint where);
  void copyCommandLine();

  MainForm form_;
  // One font per kind of font, shared by every control of that kind.
  std::array<QFont, kFontKinds> fonts_;
  QHash<QString, QWidget*> controls_;
  // Where the pages start inside the tab control, and which tabs have their controls.
  QPoint pageOrigin_;
  std::vector<bool> tabsBuilt_;
  std::vector<std::unique_ptr<Binder>> binders_;
  QSystemTrayIcon* tray_ = nullptr;
  // The tray menu's entries of the last games, hidden while unused, and the one that says
  // there are none yet.
  std::vector<QAction*> lastGameActions_;
  QAction* noLastGames_ = nullptr;
  launch::Subscription romFolderWatch_;
  // The game folder list's context menu, the game it was opened on, and the descriptions the
  // window's controls have while it shows the common options.
  QMenu* gameMenu_ = nullptr;
  QAction* giveOwn_ = nullptr;
  QAction* useCommon_ = nullptr;
  std::string menuGame_;
  std::vector<std::string> markedGames_;  // the games the game folder list marks
  MessageAnswerer answerer_;
  bool startUpDue_ = true;
  bool ending_ = false;
};

}  // namespace kestro::ui
