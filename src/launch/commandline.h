// SPDX-License-Identifier: GPL-3.0-or-later
// MAME's command line from the option set: a walk over the option table, each row adding the
// pieces its kind gives (core/options.h) in table order. Every piece ends in one space; the
// pieces carry their own separators.
#pragma once

#include <string>

#include "core/options.h"

namespace kestro::launch {

// The command line of one run and what the build learnt on the way: every option piece, the
// stepped values that held no number, whether MAME shows output, and the typed texts on it.
struct Build : core::LinePieces {
  // The executable's name, the game name and every piece: "mame.exe mygame -log ".
  std::string line;
};

// Builds the line of `mame`, the game name `RomName` and the pieces. Stepped values are read
// with the user's decimal separator; every number on the line is written with a period.
Build buildCommandLine(const core::OptionSet& options, char decimalSeparator);

}  // namespace kestro::launch
