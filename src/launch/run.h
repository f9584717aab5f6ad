// SPDX-License-Identifier: GPL-3.0-or-later
// The run behind "Run Mame": the game name from the ROM folder, the command line, the
// launch script in the MAME folder and its start. What DOS or the script could not
// carry is refused with a message before anything is written.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/optionset.h"
#include "launch/commandline.h"
#include "launch/dosrules.h"
#include "platform/messagebox.h"
#include "platform/starter.h"

namespace kestro::launch {

// The part of the ROM folder's path after the last "ROMS/", in any case of letters, the path
// taken as the lists show it ("x/../y" as "y", no final "/"); nothing when no name follows a
// "ROMS/", which a run refuses.
std::optional<std::string> gameNameBelowRoms(std::string_view romFolder);

// The game's name as the line and the menus show it: the name below ROMS, or the whole path.
std::string gameNameOf(std::string_view romFolder);

// The line a run would write for the option set and the ROM folder, and what DOS makes of it.
// The run starts from it, so what the user is shown before a run is what the run writes.
struct PlannedRun {
  std::string gameName;
  Build build;
  std::size_t tailLength = 0;  // characters after the executable's name that DOS is asked to pass
  std::optional<TailCut> cut;  // where DOS cuts the line; nothing when it passes it whole
};
PlannedRun planRun(const core::OptionSet& options, std::string_view romFolder,
                   char decimalSeparator);

// The planned line and how much of it DOS passes, in words, ending with the first option DOS
// cuts when the line is too long: the text the user reads before pressing "Run Mame".
std::string describePlannedRun(const PlannedRun& planned);

enum class RunOutcome { Started, Refused, Cancelled };

using ShowMessage = std::function<platform::MessageAnswer(const platform::Message&)>;

inline constexpr std::string_view kRunTitle = "Run Mame";

struct RunContext {
  core::OptionSet& options;
  std::string romFolder;  // the ROM folder list's current path
  char decimalSeparator = '.';
  platform::ScriptStarter& starter;
  ShowMessage showMessage;
};

// Sets `RomName` and the label of the game name, builds the command line, then writes and starts
// the launch script unless something stands in the way, which a message names.
RunOutcome runMame(const RunContext& context);

}  // namespace kestro::launch
