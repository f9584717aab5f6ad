#include "launch/commandline.h"

#include <optional>

#include "core/numbers.h"

namespace kestro::launch {
namespace {

// A number as the command line writes it: the number text form without its blank.
std::string lineNumber(double value) {
  std::string text = core::numberTextForm(value);
  if (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

// The row's piece for this option set; empty when the row adds none.
std::string pieceOf(const PieceRow& row, const core::OptionSet& options, char decimalSeparator,
                    Build& build) {
  switch (row.rule) {
    case Rule::ButtonOn:
      return options.*row.button ? std::string(row.piece) : std::string();
    case Rule::BoxTicked:
      if (options.*row.box != 1) return {};
      build.showsOutput = build.showsOutput || row.showsOutput;
      return std::string(row.piece);
    case Rule::BoxClear:
      return options.*row.box == 0 ? std::string(row.piece) : std::string();
    case Rule::Resolution:
      // The texts go in as they stand; the run refuses those the script cannot carry.
      if (options.*row.box != 1) return {};
      return std::string(row.piece) + options.vidresx + "x" + options.vidresy + " ";
    case Rule::Stepped: {
      const std::optional<double> value = core::readNumber(options.*row.stepped, decimalSeparator);
      if (!value) {
        build.unreadable.push_back(row.control);
        return {};
      }
      if (*value == row.noPieceAt) return {};
      return std::string(row.piece) + " " + lineNumber(*value) + " ";
    }
    case Rule::FrameSkip:
      if (options.fsslid <= 0 || options.fsslid >= 12) return {};
      return std::string(row.piece) + " " + lineNumber(options.fsslid) + " ";
  }
  return {};
}

void appendPieces(std::span<const PieceRow> table, std::string& into,
                  const core::OptionSet& options, char decimalSeparator, Build& build) {
  for (const PieceRow& row : table) {
    std::string piece = pieceOf(row, options, decimalSeparator, build);
    if (piece.empty()) continue;
    into += piece;
    build.pieces.push_back(std::move(piece));
  }
}

}  // namespace

Build buildCommandLine(core::OptionSet& options, char decimalSeparator) {
  Build build;
  // Every build starts from nothing, so the same option set always gives the same line.
  options.voptions.clear();
  options.voptions2.clear();
  options.soptions.clear();
  options.other.clear();
  appendPieces(kVideoPieces, options.voptions, options, decimalSeparator, build);
  appendPieces(kVideo2Pieces, options.voptions2, options, decimalSeparator, build);
  appendPieces(kAudioPieces, options.soptions, options, decimalSeparator, build);
  if (options.JoyList >= 1 && options.JoyList < static_cast<int>(kJoystickPieces.size())) {
    const std::string_view joystick = kJoystickPieces[static_cast<std::size_t>(options.JoyList)];
    options.other += joystick;
    build.pieces.emplace_back(joystick);
  }
  appendPieces(kMiscPieces, options.other, options, decimalSeparator, build);
  options.FullMame = options.mame + " " + options.RomName + " " + options.voptions +
                     options.voptions2 + options.soptions + options.other;
  return build;
}

}  // namespace kestro::launch
