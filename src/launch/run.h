// The run behind "Run Mame": the game name from the ROM folder, the command line, the
// launch script in the MAME folder and its start. What DOS or the script could not
// carry is refused with a message before anything is written.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/optionset.h"
#include "platform/messagebox.h"
#include "platform/starter.h"

namespace kestro::launch {

// The part of the ROM folder's path after the last "ROMS/", in any case of letters; the
// whole path when it holds none.
std::string gameNameOf(std::string_view romFolder);

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
