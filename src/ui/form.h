// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's logic without the window: it owns the option set and answers each
// event of the window with the handler of the control that raised it. The Qt window
// binds its widgets to the option set and forwards events here; tests drive it directly.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/options.h"
#include "core/stepped.h"
#include "launch/pickers/pickers.h"
#include "launch/run.h"
#include "platform/messagebox.h"
#include "platform/starter.h"
#include "settings/lastgames.h"
#include "settings/settings.h"

namespace kestro::ui {

// What the logic asks of the window beyond the option set it shows.
class WindowOps {
 public:
  virtual ~WindowOps() = default;
  virtual platform::MessageAnswer showMessage(const platform::Message& message) = 0;
  virtual void hideToTray() = 0;
  virtual void minimizeToTaskBar() = 0;
  virtual void showTrayIcon() = 0;
  virtual void endProgram() = 0;
};

// What the program learns of its surroundings once, at start.
struct Environment {
  // The folder of the settings file kestro.ini: the program's own for a portable copy.
  std::string programFolder;
  char decimalSeparator = '.';
  bool trayExists = true;
  // Where the drive and folder lists open; the process's current folder when empty.
  std::string startFolder;
  // What the drive lists offer; the mounted file systems when empty.
  std::vector<std::string> drives;
  // False when the settings file can be written nowhere; the user is told so once, at start.
  bool settingsWritable = true;
};

class MainForm {
 public:
  // Starts the launch script through DOSBox.
  MainForm(Environment environment, WindowOps& window);
  // Starts the launch script through the given starter.
  MainForm(Environment environment, WindowOps& window, platform::ScriptStarter& starter);
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  core::OptionSet& options() { return options_; }
  const core::OptionSet& options() const { return options_; }
  const Environment& environment() const { return environment_; }
  const std::string& IniPath() const { return IniPath_; }

  // The pickers of the game's folder ("File" tab) and of MAME ("Kestro Setup" tab). The
  // form answers their changes; the window shows them.
  launch::DriveList& RomDrive() { return RomDrive_; }
  launch::FolderList& RomDir() { return RomDir_; }
  launch::DriveList& MameDrive() { return MameDrive_; }
  launch::FolderList& MameDir() { return MameDir_; }
  launch::FileList& MameFile() { return MameFile_; }

  // The start-up sequence, run each time the window becomes active after being shown.
  void onActivated();
  void onMiniClicked();
  void onExitClicked();
  void onStepClicked(const core::SteppedValue& stepped, core::StepDirection direction);
  // The box of a dependent kind (core::Switching) changed and the record took the change: its
  // controls go on, after its warning if it has one, or off.
  void onSwitchChanged(const core::Option& row);
  // Whether the controls of that dependent kind are on. Start-up turns them all off.
  bool switchedOn(const core::Option& row) const;
  void onSavesetClicked();
  void onLoaddefClicked();
  void onExesetClicked();
  void onRunmameClicked();
  // A game of the tray menu's last games: its MAME folder and game folder are opened in the
  // pickers, then it runs as "Run Mame" would, with the options the window holds.
  void onLastGameChosen(std::size_t index);

  // The line "Run Mame" would write now, for the options and the ROM folder list's folder.
  launch::PlannedRun plannedRun() const;
  // Newest first, as the settings file held them at the last activation and as runs since
  // added to them.
  const std::vector<settings::LastGame>& lastGames() const { return lastGames_; }

  // The start-up load: fills the option set from the user sections of the settings file, with
  // the keys of the open game's own section over them when it has one.
  void LoadUserSettings();

  // Options of a game's own (settings/gameoptions.h). The game that entry `row` of the game
  // folder list is, when it lies below ROMS and its name can name a section; nothing otherwise.
  std::optional<std::string> gameOfEntry(int row) const;
  // Whether the game has options of its own, as the settings file held them at the last look
  // (each activation, each folder opened in the game folder list, each change made here).
  bool hasOwnOptions(std::string_view game) const;
  const std::vector<std::string>& ownGames() const { return ownGames_; }
  // The game whose own options the window shows and "Save Settings" saves; empty while it shows
  // the common options.
  const std::string& ownOptionsGame() const { return ownGame_; }
  // "Give NAME options of its own": makes the game's empty section; the window keeps what it
  // shows, and saves into that section from now on when the game is the open one.
  void onGiveOwnOptions(const std::string& game);
  // "Use the common options for NAME": removes the section after the user agrees; the window
  // loads the common options when it showed that game's.
  void onUseCommonOptions(const std::string& game);

 private:
  Environment environment_;
  WindowOps& window_;
  core::OptionSet options_;
  settings::Remembered remembered_;
  std::string IniPath_;
  std::vector<settings::LastGame> lastGames_;
  // The games with options of their own, and the open one when it is one of them.
  std::vector<std::string> ownGames_;
  std::string ownGame_;
  // Loads the option set the window shows: the common options, or the open game's over them;
  // the executable, which is no option of a game, stays as it is.
  void loadShownOptions();
  // The start places the lists in the MAME folder of the newest last game still there.
  void openAtLastMameFolder();
  void tellNotSaved(const std::string& title, int error);
  // The dependent kinds whose controls are off.
  std::vector<const core::Option*> switchedOff_;

  // The run of the game in that folder; a run that started joins the last games.
  void runGame(const std::string& romFolder);

  // The pickers and what ties them together.
  void wirePickers();
  void onRomDriveChanged();
  void onMameDriveChanged();
  void onMameDirChanged();
  void onRomDirChanged();
  launch::DriveList RomDrive_;
  launch::FolderList RomDir_;
  launch::DriveList MameDrive_;
  launch::FolderList MameDir_;
  launch::FileList MameFile_;
  std::vector<launch::Subscription> pickerWiring_;

  platform::DosBoxStarter dosbox_;
  platform::ScriptStarter* starter_;
};

}  // namespace kestro::ui
