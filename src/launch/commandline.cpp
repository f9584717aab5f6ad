// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/commandline.h"

#include <variant>

namespace kestro::launch {

Build buildCommandLine(const core::OptionSet& options, char decimalSeparator) {
  Build build;
  for (const core::Option& row : core::kOptions) {
    std::visit([&](const auto& kind) { kind.addPieces(options, decimalSeparator, build); }, row);
  }
  build.line = options.mame + " " + options.RomName + " ";
  for (const std::string& piece : build.pieces) build.line += piece;
  return build;
}

}  // namespace kestro::launch
