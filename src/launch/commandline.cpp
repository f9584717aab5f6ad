#include "launch/commandline.h"

#include <optional>

#include "core/numbers.h"
#include "core/options.h"

namespace kestro::launch {
namespace {

using core::OptionKind;

// A number as the command line writes it: the number text form without its blank.
std::string lineNumber(double value) {
  std::string text = core::numberTextForm(value);
  if (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

std::string withValue(std::string_view option, std::string_view value) {
  return std::string(option) + " " + std::string(value) + " ";
}

void addPiece(Build& build, std::string piece) {
  if (!piece.empty()) build.pieces.push_back(std::move(piece));
}

void addPieces(const core::Option& row, const core::OptionSet& options, char decimalSeparator,
               Build& build) {
  switch (row.kind) {
    case OptionKind::Box: {
      const bool ticked = options.*row.box == 1;
      if (row.when == core::Piece::WhenClear ? options.*row.box != 0 : !ticked) return;
      build.showsOutput = build.showsOutput || row.when == core::Piece::Listing;
      return addPiece(build, std::string(row.piece));
    }
    case OptionKind::Group:
      for (const core::Choice& choice : row.choices) {
        if (options.*choice.button) addPiece(build, std::string(choice.piece));
      }
      return;
    case OptionKind::Resolution:
      // The texts go in as they stand; the run refuses those the script cannot carry.
      if (options.*row.box != 1) return;
      return addPiece(build, withValue(row.piece, options.*row.text + "x" + options.*row.other));
    case OptionKind::Slider:
      // The lowest position leaves the choice to MAME.
      if (options.*row.position <= row.lowest || options.*row.position > row.highest) return;
      return addPiece(build, withValue(row.piece, lineNumber(options.*row.position)));
    case OptionKind::List: {
      const int index = options.*row.position;
      if (index < 0 || index >= static_cast<int>(row.entries.size())) return;
      return addPiece(build, std::string(row.entries[static_cast<std::size_t>(index)].piece));
    }
    case OptionKind::Stepped: {
      const std::optional<double> value = core::readNumber(options.*row.text, decimalSeparator);
      if (!value) {
        build.unreadable.push_back(row.key.name);
      } else if (*value != row.stepping.start) {
        addPiece(build, withValue(row.piece, lineNumber(*value)));
      }
      return;
    }
    case OptionKind::CarriedOver:
    case OptionKind::Exe:
      return;
  }
}

}  // namespace

Build buildCommandLine(const core::OptionSet& options, char decimalSeparator) {
  Build build;
  for (const core::Option& row : core::kOptions) addPieces(row, options, decimalSeparator, build);
  build.line = options.mame + " " + options.RomName + " ";
  for (const std::string& piece : build.pieces) build.line += piece;
  return build;
}

}  // namespace kestro::launch
