// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/options.h"

#include <cstdint>
#include <optional>

#include "core/numbers.h"

namespace kestro::core {
namespace {

// A number as the command line writes it: the number text form without its blank.
std::string lineNumber(double value) {
  std::string text = numberTextForm(value);
  if (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

std::string withValue(std::string_view option, std::string_view value) {
  return std::string(option) + " " + std::string(value) + " ";
}

void addPiece(LinePieces& line, std::string piece) {
  if (!piece.empty()) line.pieces.push_back(std::move(piece));
}

// 1 and 0 as the file stores a box; any other text leaves the box as it is.
void applyBox(CheckBox& box, const std::string& text, char separator, bool inverted) {
  const std::optional<double> number = readNumber(text, separator);
  if (number == 1.0) box = inverted ? 0 : 1;
  if (number == 0.0) box = inverted ? 1 : 0;
}

template <typename Int>
void applyPosition(int& position, const std::string& text, char separator, int lowest,
                   int highest) {
  const std::optional<Int> read = wholeNumber<Int>(text, separator);
  if (read && *read >= lowest && *read <= highest) position = *read;
}

void addChoicePieces(const OptionSet& options, std::span<const Choice> choices, LinePieces& line) {
  for (const Choice& choice : choices) {
    if (options.*choice.button) addPiece(line, std::string(choice.piece));
  }
}

}  // namespace

// Box
void Box::take(const OptionSet& options, std::string& value) const {
  value = std::to_string(options.*box);
}
void Box::apply(OptionSet& options, const std::string& text, char separator) const {
  applyBox(options.*box, text, separator, false);
}
void Box::addPieces(const OptionSet& options, char, LinePieces& line) const {
  if (when == Piece::WhenClear ? options.*box != 0 : options.*box != 1) return;
  line.showsOutput = line.showsOutput || when == Piece::Listing;
  addPiece(line, std::string(piece));
}

// InvertedBox
void InvertedBox::take(const OptionSet& options, std::string& value) const {
  value = options.*box == 1 ? "0" : "1";
}
void InvertedBox::apply(OptionSet& options, const std::string& text, char separator) const {
  applyBox(options.*box, text, separator, true);
}
void InvertedBox::addPieces(const OptionSet& options, char, LinePieces& line) const {
  if (options.*box == 1) addPiece(line, std::string(piece));
}

// Group
void Group::take(const OptionSet& options, std::string& value) const {
  if (choices.size() == 2) {
    // A pair stores its first button's number when that is on, else the second's.
    value = std::to_string(choices[options.*choices[0].button ? 0 : 1].stored);
    return;
  }
  for (const Choice& choice : choices) {
    if (options.*choice.button) {
      value = std::to_string(choice.stored);
      return;
    }
  }
  // No button on: the remembered value travels on.
}
void Group::apply(OptionSet& options, const std::string& text, char separator) const {
  const std::optional<double> number = readNumber(text, separator);
  for (const Choice& choice : choices) {
    if (number && *number == choice.stored) {
      setOptionButton(options, choice.button, true);
      return;
    }
  }
}
void Group::addPieces(const OptionSet& options, char, LinePieces& line) const {
  addChoicePieces(options, choices, line);
}

// Slider
void Slider::take(const OptionSet& options, std::string& value) const {
  value = std::to_string(options.*position);
}
void Slider::apply(OptionSet& options, const std::string& text, char separator) const {
  applyPosition<std::int32_t>(options.*position, text, separator, lowest, highest);
}
void Slider::addPieces(const OptionSet& options, char, LinePieces& line) const {
  if (options.*position <= lowest || options.*position > highest) return;
  addPiece(line, withValue(option, lineNumber(options.*position)));
}

// List
void List::take(const OptionSet& options, std::string& value) const {
  value = std::to_string(options.*position);
}
void List::apply(OptionSet& options, const std::string& text, char separator) const {
  applyPosition<std::int16_t>(options.*position, text, separator, -1,
                              static_cast<int>(entries.size()) - 1);
}
void List::addPieces(const OptionSet& options, char, LinePieces& line) const {
  const int index = options.*position;
  if (index < 0 || index >= static_cast<int>(entries.size())) return;
  addPiece(line, std::string(entries[static_cast<std::size_t>(index)].piece));
}

// SteppedValue
void SteppedValue::take(const OptionSet& options, std::string& text) const {
  text = options.*value;
}
void SteppedValue::apply(OptionSet& options, const std::string& text, char separator) const {
  // The steppers and the command line need a number: a text that holds none is not taken.
  if (readNumber(text, separator)) {
    options.*value = text;
    options.*label = text;
  }
}
void SteppedValue::addPieces(const OptionSet& options, char separator, LinePieces& line) const {
  const std::optional<double> number = readNumber(options.*value, separator);
  if (!number) {
    line.unreadable.push_back(key.name);
  } else if (*number != stepping.start) {
    addPiece(line, withValue(option, lineNumber(*number)));
  }
}

// CustomResolution
void CustomResolution::addPieces(const OptionSet& options, char, LinePieces& line) const {
  // The texts go in as they stand; the run refuses those the script cannot carry.
  if (options.*box != 1) return;
  addPiece(line, withValue(option, options.*width + "x" + options.*height));
  line.typed.push_back({"custom resolution width", options.*width});
  line.typed.push_back({"custom resolution height", options.*height});
}
void CustomResolution::switchOff(OptionSet& options) const {
  (options.*width).clear();
  (options.*height).clear();
}

// FrequencyGroup
void FrequencyGroup::addPieces(const OptionSet& options, char, LinePieces& line) const {
  // Read whatever the box holds: clearing the box turns every button off.
  addChoicePieces(options, choices, line);
}
void FrequencyGroup::switchOff(OptionSet& options) const {
  for (const Choice& choice : choices) options.*choice.button = false;
}

std::span<const Choice> groupOf(OptionButton OptionSet::*button) {
  for (const Option& row : kOptions) {
    std::span<const Choice> choices;
    if (const auto* group = std::get_if<Group>(&row)) choices = group->choices;
    if (const auto* group = std::get_if<FrequencyGroup>(&row)) choices = group->choices;
    if (std::ranges::find(choices, button, &Choice::button) != choices.end()) return choices;
  }
  return {};
}

void setOptionButton(OptionSet& options, OptionButton OptionSet::*button, bool on) {
  if (on) {
    for (const Choice& member : groupOf(button)) options.*member.button = false;
  }
  options.*button = on;
}

}  // namespace kestro::core
