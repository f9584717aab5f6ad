// MAME's command line from the option set: a walk over the option table, each row adding the
// piece of its control (or stepped value) in table order. Every piece ends in one space; the
// pieces carry their own separators.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/optionset.h"

namespace kestro::launch {

// The command line of one run and what the build learnt on the way.
struct Build {
  // The executable's name, the game name and every piece: "mame.exe mygame -log ".
  std::string line;
  // Every option piece in the order of the line.
  std::vector<std::string> pieces;
  // Stepped values that held no number: they gave no piece, and the line is not the
  // one the user asked for.
  std::vector<std::string_view> unreadable;
  // A listing, checking or help option is on the line.
  bool showsOutput = false;
};

// Builds the line of `mame`, the game name `RomName` and the pieces. Stepped values are read
// with the user's decimal separator; every number on the line is written with a period.
Build buildCommandLine(const core::OptionSet& options, char decimalSeparator);

}  // namespace kestro::launch
