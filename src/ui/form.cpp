// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/form.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <variant>

#include "core/options.h"
#include "core/text.h"
#include "launch/run.h"
#include "settings/gameoptions.h"
#include "settings/inifile.h"
#include "settings/settings.h"

namespace kestro::ui {
namespace {

// The pickers' surroundings made explicit, so that every list opens in the same place.
Environment withPickerPlaces(Environment environment) {
  if (environment.startFolder.empty()) {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    environment.startFolder = error ? "/" : current.string();
  }
  if (environment.drives.empty()) environment.drives = launch::mountedDrives();
  return environment;
}

// The folder of the games in a MAME folder: its ROMS folder in any case of letters, or the MAME
// folder itself when it has none.
std::string romsFolderIn(const std::string& mameFolder) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::is_directory(fs::path(mameFolder) / "ROMS", error)) {
    return (fs::path(mameFolder) / "ROMS").string();
  }
  for (fs::directory_iterator it(mameFolder, error), end; !error && it != end;
       it.increment(error)) {
    std::error_code isError;
    if (core::equalsIgnoringCase(it->path().filename().string(), "ROMS") &&
        it->is_directory(isError)) {
      return it->path().string();
    }
  }
  return mameFolder;
}

// The drive list chooses the folder's drive and the folder list opens the folder, as the user
// would; false when the folder list did not move.
bool openInPickers(launch::DriveList& drives, launch::FolderList& folders,
                   const std::string& folder) {
  const std::string before = folders.path();
  const int drive = launch::driveHolding(drives.drives(), folder);
  if (drive >= 0) drives.choose(drive);
  return folders.setPath(folder) && folders.path() != before;
}

}  // namespace

MainForm::MainForm(Environment environment, WindowOps& window)
    : environment_(withPickerPlaces(std::move(environment))),
      window_(window),
      RomDrive_(environment_.drives, environment_.startFolder),
      RomDir_(environment_.startFolder),
      MameDrive_(environment_.drives, environment_.startFolder),
      MameDir_(environment_.startFolder),
      MameFile_(MameDir_.path()),
      starter_(&dosbox_) {
  wirePickers();
}

MainForm::MainForm(Environment environment, WindowOps& window, platform::ScriptStarter& starter)
    : MainForm(std::move(environment), window) {
  starter_ = &starter;
}

void MainForm::onActivated() {
  switchedOff_.clear();
  for (const core::Option& row : core::kOptions) {
    std::visit(
        [&]<typename Kind>(const Kind&) {
          if constexpr (core::Switching<Kind>) switchedOff_.push_back(&row);
        },
        row);
  }
  core::resetSteppedValues(options_, environment_.decimalSeparator);
  if (environment_.trayExists) window_.showTrayIcon();
  MameFile_.setPattern("*.exe");
  const bool firstActivation = IniPath_.empty();
  // Joined as text, the folder, then the name, so a portable copy's path stays byte for byte.
  IniPath_ = environment_.programFolder + "/kestro.ini";
  // A file that cannot be a settings file is named once, at start-up, not at every return.
  const auto problem = firstActivation ? settings::settingsFileProblem(IniPath_) : std::nullopt;
  if (problem) window_.showMessage({.prompt = *problem, .title = "Kestro"});
  LoadUserSettings();
  lastGames_ = settings::loadLastGames(IniPath_);
  if (firstActivation) openAtLastMameFolder();
}

void MainForm::openAtLastMameFolder() {
  for (const settings::LastGame& game : lastGames_) {
    std::error_code error;
    if (!std::filesystem::is_directory(game.mameFolder, error)) continue;
    // Opening the folder the list already shows reports no change; the user's open would.
    if (!openInPickers(MameDrive_, MameDir_, game.mameFolder)) onMameDirChanged();
    openInPickers(RomDrive_, RomDir_, romsFolderIn(game.mameFolder));
    return;
  }
}

void MainForm::onMiniClicked() {
  if (environment_.trayExists) {
    window_.hideToTray();
  } else {
    // Without a tray a hidden window could never come back: keep it on the task bar.
    window_.minimizeToTaskBar();
  }
}

void MainForm::onExitClicked() { window_.endProgram(); }

void MainForm::onStepClicked(const core::SteppedValue& stepped, core::StepDirection direction) {
  core::stepValue(options_, stepped, direction, environment_.decimalSeparator);
}

void MainForm::onSwitchChanged(const core::Option& row) {
  std::visit(
      [&]<typename Kind>(const Kind& kind) {
        if constexpr (core::Switching<Kind>) {
          if (options_.*kind.box == 1) {
            if (!Kind::kWarning.empty()) {
              window_.showMessage({.prompt = "WARNING: " + core::lowerAscii(Kind::kWarning),
                                   .title = "WARNING",
                                   .icon = platform::MessageIcon::Exclamation,
                                   .buttons = platform::MessageButtons::Ok});
            }
            std::erase(switchedOff_, &row);
          }
          if (options_.*kind.box == 0) {
            kind.switchOff(options_);
            if (std::ranges::find(switchedOff_, &row) == switchedOff_.end()) {
              switchedOff_.push_back(&row);
            }
          }
        }
      },
      row);
}

bool MainForm::switchedOn(const core::Option& row) const {
  return std::ranges::find(switchedOff_, &row) == switchedOff_.end();
}

void MainForm::onSavesetClicked() {
  const char separator = environment_.decimalSeparator;
  const settings::SaveOutcome outcome =
      ownGame_.empty()
          ? settings::saveUserSettings(options_, remembered_, IniPath_, separator)
          : settings::saveGameOptions(options_, remembered_, IniPath_, separator, ownGame_);
  if (!outcome.saved) tellNotSaved("Save Settings", outcome.error);
}

void MainForm::tellNotSaved(const std::string& title, int error) {
  if (!environment_.settingsWritable) return;  // the user heard so at start
  // Said once, after the save: the window keeps every option, so nothing is lost.
  window_.showMessage({.prompt = "The settings could not be saved to " + IniPath_ + ":\n" +
                                 std::error_code(error, std::generic_category()).message() + ".",
                       .title = title,
                       .icon = platform::MessageIcon::Critical,
                       .buttons = platform::MessageButtons::Ok});
}

void MainForm::onLoaddefClicked() {
  settings::loadDefaultSettings(options_, remembered_, IniPath_, environment_.decimalSeparator);
}

void MainForm::LoadUserSettings() {
  ownGames_ = settings::gamesWithOwnOptions(IniPath_);
  const std::optional<std::string> game = launch::gameNameBelowRoms(RomDir_.path());
  ownGame_ = game && hasOwnOptions(*game) ? *game : std::string();
  if (ownGame_.empty()) {
    settings::loadUserSettings(options_, remembered_, IniPath_, environment_.decimalSeparator);
  } else {
    settings::loadGameOptions(options_, remembered_, IniPath_, environment_.decimalSeparator,
                              ownGame_);
  }
}

void MainForm::loadShownOptions() {
  const std::string mame = options_.mame;
  LoadUserSettings();
  options_.mame = mame;
}

std::optional<std::string> MainForm::gameOfEntry(int row) const {
  const std::vector<launch::FolderEntry>& entries = RomDir_.entries();
  if (row < 0 || static_cast<std::size_t>(row) >= entries.size()) return std::nullopt;
  std::optional<std::string> game = launch::gameNameBelowRoms(entries[row].path);
  if (!game || !settings::gameSection(*game)) return std::nullopt;
  return game;
}

bool MainForm::hasOwnOptions(std::string_view game) const {
  return settings::holdsGame(ownGames_, game);
}

void MainForm::onGiveOwnOptions(const std::string& game) {
  const int error = settings::giveOwnOptions(IniPath_, game);
  if (error != 0) return tellNotSaved("Give " + game + " options of its own", error);
  ownGames_ = settings::gamesWithOwnOptions(IniPath_);
  const std::optional<std::string> open = launch::gameNameBelowRoms(RomDir_.path());
  if (open && core::equalsIgnoringCase(*open, game)) ownGame_ = *open;
}

void MainForm::onUseCommonOptions(const std::string& game) {
  const std::string title = "Use the common options for " + game;
  const platform::MessageAnswer answer = window_.showMessage(
      {.prompt = game + " will use the common options; the options of its own are removed from the "
                        "settings file.",
       .title = title,
       .icon = platform::MessageIcon::Question,
       .buttons = platform::MessageButtons::OkCancel});
  if (answer != platform::MessageAnswer::Ok) return;
  const int error = settings::useCommonOptions(IniPath_, game);
  if (error != 0) return tellNotSaved(title, error);
  ownGames_ = settings::gamesWithOwnOptions(IniPath_);
  if (core::equalsIgnoringCase(ownGame_, game)) loadShownOptions();
}

void MainForm::onExesetClicked() { options_.mame = MameFile_.selectedName(); }

void MainForm::onRunmameClicked() { runGame(RomDir_.path()); }

void MainForm::runGame(const std::string& romFolder) {
  const launch::RunOutcome outcome =
      launch::runMame({.options = options_,
                       .romFolder = romFolder,
                       .decimalSeparator = environment_.decimalSeparator,
                       .starter = *starter_,
                       .showMessage = [this](const platform::Message& message) {
                         return window_.showMessage(message);
                       }});
  if (outcome != launch::RunOutcome::Started) return;
  // A list that cannot be written stays in the menu until the next return from the tray;
  // the game has started, so nothing more is said.
  if (settings::rememberLastGame(lastGames_,
                                 {.romFolder = romFolder, .mameFolder = options_.DirMame})) {
    settings::saveLastGames(lastGames_, IniPath_);
  }
}

void MainForm::onLastGameChosen(std::size_t index) {
  if (index >= lastGames_.size()) return;
  const settings::LastGame game = lastGames_[index];
  const std::string openBefore = RomDir_.path();
  if (!RomDir_.setPath(game.romFolder)) {
    window_.showMessage(
        {.prompt = "The game folder \"" + game.romFolder +
                   "\" is not there any more. On the \"File\" tab, open the game's folder "
                   "(double-click it), then press \"Run Mame\".",
         .title = std::string(launch::kRunTitle),
         .icon = platform::MessageIcon::Exclamation,
         .buttons = platform::MessageButtons::Ok});
    return;
  }
  // Opened as the user opens it, so its own options load before the run.
  if (RomDir_.path() == openBefore) onRomDirChanged();
  const std::string chosenBefore = options_.DirMame;
  const bool mameOpened = MameDir_.setPath(game.mameFolder);
  if (mameOpened) {
    // Opening the folder the list already shows reports no change; the user's open would.
    onMameDirChanged();
  } else {
    // The run says why it cannot use the folder, as for a folder gone since it was opened.
    options_.DirMame = game.mameFolder;
  }
  runGame(RomDir_.path());
  if (!mameOpened) options_.DirMame = chosenBefore;
}

launch::PlannedRun MainForm::plannedRun() const {
  return launch::planRun(options_, RomDir_.path(), environment_.decimalSeparator);
}

void MainForm::wirePickers() {
  pickerWiring_.push_back(RomDrive_.subscribeChange([this] { onRomDriveChanged(); }));
  pickerWiring_.push_back(MameDrive_.subscribeChange([this] { onMameDriveChanged(); }));
  pickerWiring_.push_back(MameDir_.subscribeChange([this] { onMameDirChanged(); }));
  pickerWiring_.push_back(RomDir_.subscribeChange([this] { onRomDirChanged(); }));
}

void MainForm::onRomDriveChanged() { RomDir_.setPath(RomDrive_.drive()); }

// A game with options of its own loads them; leaving it loads the common options again. Between
// games without, nothing changes.
void MainForm::onRomDirChanged() {
  if (IniPath_.empty()) return;  // nothing is loaded before the first activation
  ownGames_ = settings::gamesWithOwnOptions(IniPath_);
  const std::optional<std::string> game = launch::gameNameBelowRoms(RomDir_.path());
  const bool own = game && hasOwnOptions(*game);
  if (own || !ownGame_.empty()) loadShownOptions();
}

void MainForm::onMameDriveChanged() { MameDir_.setPath(MameDrive_.drive()); }

void MainForm::onMameDirChanged() {
  options_.DirMame = MameDir_.path();
  MameFile_.setFolder(MameDir_.path());
}

}  // namespace kestro::ui
