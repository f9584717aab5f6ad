// SPDX-License-Identifier: GPL-3.0-or-later
// What DOS and a one-line batch file can carry: the characters of a name, DOS's short
// file names, how DOS finds a program, and the 126 characters DOS hands a program after
// its name.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/text.h"

namespace kestro::launch {

// DOS names know no case: MAME.EXE and mame.exe are one file to DOS.
using core::equalsIgnoringCase;

// Why the text cannot go into the launch script's one line and reach MAME as one word
// ("a line break", ...); nothing when it can.
std::optional<std::string> textProblem(std::string_view text);

// The commands of DOSBox's shell, as its "HELP /ALL" lists them. The shell runs one of
// these for a word that is the command's name alone or followed by a period or backslash,
// before it looks at any file: the line "DEL.EXE pacman" deletes pacman.
inline constexpr std::array<std::string_view, 32> kDosBoxShellCommands = {
    "ATTRIB", "CALL",     "CD",    "CHDIR", "CHOICE", "CLS",   "COPY", "DEL",
    "DELETE", "DIR",      "ECHO",  "ERASE", "EXIT",   "GOTO",  "HELP", "IF",
    "LH",     "LOADHIGH", "MD",    "MKDIR", "PATH",   "PAUSE", "RD",   "REM",
    "REN",    "RENAME",   "RMDIR", "SET",   "SHIFT",  "SUBST", "TYPE", "VER",
};

// Why DOSBox's shell would not start the executable of that name from the script's line,
// as a clause ("it is the name of DEL, ..."): its name is one of the shell's commands, or
// begins with the "@" that hides a batch line. Nothing when it would.
std::optional<std::string> shellCommandProblem(std::string_view executable);

// The longest host folder DOSBox 0.74 mounts: a longer one ends DOSBox with a buffer
// overflow as it mounts it.
inline constexpr std::size_t kLongestMountedFolder = 238;

// Why the folder cannot go into DOSBox's line MOUNT C "folder" and be mounted as it is, as
// a clause ("it holds a line break, ..."): a line break would start commands of its own,
// "%" is read as a batch variable, a double quote ends the name, a longer path overflows.
// Nothing when it can. Counts bytes, as DOSBox does.
std::optional<std::string> mountFolderProblem(std::string_view folder);

// A DOS short name: one to eight characters, optionally a period and one to three more,
// each a letter, a digit or a punctuation mark that DOS allows in names.
bool isDosShortName(std::string_view name);

// The file DOS runs for a command name in a folder, matched without regard to case: the
// name itself, or for a name without extension the first of .COM, .EXE and .BAT.
struct ProgramSearch {
  std::string found;  // the file's name as it is on disk; empty when none is there
  std::string error;  // why the folder could not be read; empty when it could
};
ProgramSearch findDosProgram(const std::string& folder, std::string_view command);

// DOS hands a program the line after its name, from the blank that follows the name,
// with the final blanks dropped and cut after this many characters.
inline constexpr std::size_t kDosTailLimit = 126;

// How many characters of the line DOS is asked to hand a program: those after its name, from
// the blank that follows the name, without the final blanks.
std::size_t dosTailLength(std::string_view line, std::size_t nameLength);

struct TailCut {
  std::size_t length = 0;  // the tail's length before the cut
  std::string firstCut;    // the first option, or the game name, that DOS cuts
  bool gameNameCut = false;
};

// Where DOS cuts a command line made of the executable's name, a blank, the game name, a
// blank and the pieces; nothing when the tail arrives whole.
std::optional<TailCut> tailCut(std::string_view line, std::size_t nameLength,
                               std::string_view gameName, std::span<const std::string> pieces);

}  // namespace kestro::launch
