// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/dosrules.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace kestro::launch {
namespace {

// Characters the command line of DOS (and so of a batch file) reads as its own:
// redirection, pipes, batch variables, quoting and escapes.
constexpr std::string_view kShellCharacters = "&|<>^%\"";

// Punctuation that DOS accepts in a short name besides letters and digits.
constexpr std::string_view kNamePunctuation = "!#$%&'()-@^_`{}~";

bool isNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         kNamePunctuation.find(c) != std::string_view::npos;
}

bool isNamePart(std::string_view part, std::size_t longest) {
  return !part.empty() && part.size() <= longest && std::ranges::all_of(part, isNameCharacter);
}

std::string_view withoutFinalBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string> textProblem(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n' || c == '\r') return "a line break";
    if (byte < 0x20 || byte == 0x7F) return "a control character";
    if (byte >= 0x80) return "a character outside printable ASCII, which DOS cannot take";
    if (c == ' ') return "a blank, which would split it in two on MAME's command line";
    if (kShellCharacters.find(c) != std::string_view::npos) {
      return "the character " + std::string(1, c) +
             ", which the DOS command line reads as one of its own";
    }
  }
  return std::nullopt;
}

std::optional<std::string> shellCommandProblem(std::string_view executable) {
  if (executable.starts_with('@')) {
    return "it begins with @, which DOSBox's shell takes as the sign to run the rest of the "
           "line unseen, so it would look for a program of another name";
  }
  const std::string_view base = executable.substr(0, executable.find_first_of(".\\"));
  for (const std::string_view command : kDosBoxShellCommands) {
    if (equalsIgnoringCase(base, command)) {
      return "it is the name of " + std::string(command) +
             ", a command of DOSBox's own shell, which DOSBox would run instead of the program";
    }
  }
  return std::nullopt;
}

std::optional<std::string> mountFolderProblem(std::string_view folder) {
  if (!folder.starts_with('/')) return "it is not a full path from the root folder";
  for (const char c : folder) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n' || c == '\r')
      return "it holds a line break, which would start DOS commands of its own";
    if (byte < 0x20 || byte == 0x7F) return "it holds a control character";
    if (c == '%') return "it holds the character %, which DOSBox reads as a batch variable";
    if (c == '"') return "it holds a double quote, which would end the folder's name early";
  }
  if (folder.size() > kLongestMountedFolder) {
    return "its path has " + std::to_string(folder.size()) +
           " characters, and DOSBox mounts at most " + std::to_string(kLongestMountedFolder);
  }
  return std::nullopt;
}

bool isDosShortName(std::string_view name) {
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return isNamePart(name, 8);
  return isNamePart(name.substr(0, dot), 8) && isNamePart(name.substr(dot + 1), 3);
}

ProgramSearch findDosProgram(const std::string& folder, std::string_view command) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator entry(folder, error);
  for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
    std::error_code ignored;
    if (entry->is_regular_file(ignored)) names.push_back(entry->path().filename().string());
  }
  if (error) return {.found = {}, .error = error.message()};
  std::vector<std::string> candidates;
  if (command.find('.') != std::string_view::npos) {
    candidates.emplace_back(command);
  } else {
    for (const std::string_view extension : {".COM", ".EXE", ".BAT"}) {
      candidates.push_back(std::string(command) + std::string(extension));
    }
  }
  for (const std::string& candidate : candidates) {
    const auto match = std::ranges::find_if(
        names, [&](const std::string& name) { return equalsIgnoringCase(name, candidate); });
    if (match != names.end()) return {.found = *match, .error = {}};
  }
  return {};
}

std::size_t dosTailLength(std::string_view line, std::size_t nameLength) {
  return withoutFinalBlanks(line.substr(std::min(nameLength, line.size()))).size();
}

std::optional<TailCut> tailCut(std::string_view line, std::size_t nameLength,
                               std::string_view gameName, std::span<const std::string> pieces) {
  const std::size_t length = dosTailLength(line, nameLength);
  if (length <= kDosTailLimit) return std::nullopt;
  // The first character DOS drops, as a position on the whole line.
  const std::size_t firstLost = nameLength + kDosTailLimit;
  std::size_t start = nameLength + 1;
  if (start + gameName.size() > firstLost) {
    return TailCut{.length = length, .firstCut = std::string(gameName), .gameNameCut = true};
  }
  start += gameName.size() + 1;
  for (const std::string& piece : pieces) {
    // Losing only a piece's trailing blank costs nothing.
    if (start + withoutFinalBlanks(piece).size() > firstLost) {
      return TailCut{
          .length = length, .firstCut = piece.substr(0, piece.find(' ')), .gameNameCut = false};
    }
    start += piece.size();
  }
  return TailCut{.length = length, .firstCut = {}, .gameNameCut = false};
}

}  // namespace kestro::launch
