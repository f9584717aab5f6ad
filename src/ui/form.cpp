#include "ui/form.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <variant>

#include "core/options.h"
#include "core/text.h"
#include "launch/run.h"
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
  // Joined as text, as the settings file has always been found: the folder, then the name.
  IniPath_ = environment_.programFolder + "/kestro.ini";
  // A file that cannot be a settings file is named once, at start-up, not at every return.
  const auto problem = firstActivation ? settings::settingsFileProblem(IniPath_) : std::nullopt;
  if (problem) window_.showMessage({.prompt = *problem, .title = "Kestro"});
  LoadUserSettings();
  lastGames_ = settings::loadLastGames(IniPath_);
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
  const settings::SaveOutcome outcome =
      settings::saveUserSettings(options_, remembered_, IniPath_, environment_.decimalSeparator);
  if (outcome.saved || !environment_.settingsWritable) return;
  // Said once, after the save: the window keeps every option, so nothing is lost.
  window_.showMessage({.prompt = "The settings could not be saved to " + IniPath_ + ":\n" +
                                 std::error_code(outcome.error, std::generic_category()).message() +
                                 ".",
                       .title = "Save Settings",
                       .icon = platform::MessageIcon::Critical,
                       .buttons = platform::MessageButtons::Ok});
}

void MainForm::onLoaddefClicked() {
  settings::loadDefaultSettings(options_, remembered_, IniPath_, environment_.decimalSeparator);
}

void MainForm::LoadUserSettings() {
  settings::loadUserSettings(options_, remembered_, IniPath_, environment_.decimalSeparator);
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
}

void MainForm::onRomDriveChanged() { RomDir_.setPath(RomDrive_.drive()); }

void MainForm::onMameDriveChanged() { MameDir_.setPath(MameDrive_.drive()); }

void MainForm::onMameDirChanged() {
  options_.DirMame = MameDir_.path();
  MameFile_.setFolder(MameDir_.path());
}

}  // namespace kestro::ui
