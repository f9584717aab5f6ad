// SPDX-License-Identifier: GPL-3.0-or-later
// Starting the launch script through a command interpreter, without waiting for it. On
// Linux the interpreter is DOSBox, which runs the batch file and the DOS build of MAME.
// The run talks to the ScriptStarter interface; tests start the same command as their
// own child and wait for it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::platform {

struct ScriptLaunch {
  std::string script;  // the launch script's full path
  std::string folder;  // the folder it runs in: the MAME folder
  // Leave the interpreter open once the script ends, so that MAME's output can be read.
  bool keepOpen = false;
};

class ScriptStarter {
 public:
  virtual ~ScriptStarter() = default;
  // Looks the interpreter up before anything is written; on failure, which program is
  // missing and what to do about it.
  virtual std::optional<std::string> findInterpreter() = 0;
  // Starts the script and returns at once; on failure, which program and the reason.
  virtual std::optional<std::string> start(const ScriptLaunch& launch) = 0;
};

struct ProcessCommand {
  std::string program;                 // full path of the program
  std::vector<std::string> arguments;  // after the program's own name
  std::string workingFolder;
};

// The full path of an executable file of that name in a PATH-style list of folders, of
// which only full paths count; empty when there is none.
std::string findProgram(std::string_view name, std::string_view searchPath);

// Starts the command detached: the caller does not wait, keeps no handle and leaves no
// zombie, and the program goes on when the caller ends. On failure the system's reason.
std::optional<std::string> startDetached(const ProcessCommand& command);

inline constexpr std::string_view kDosBoxProgram = "dosbox";
inline constexpr std::string_view kDosBoxPackage = "dosbox";

// After the script, unless DOSBox is kept open: MAME's exit code survives CALL, so an error
// keeps DOSBox, with MAME's words, on screen until a key is pressed; success closes it.
inline constexpr std::array<std::string_view, 3> kDosBoxClosingLines = {
    "IF ERRORLEVEL 1 ECHO MAME ended with an error. Press a key to close DOSBox.",
    "IF ERRORLEVEL 1 PAUSE > NUL",
    "EXIT",
};

// DOSBox's start-up commands (it takes eleven at most), run in order: full CPU speed, the
// MAME folder as drive C, that drive, the script by CALL so that control comes back after
// it, then the closing lines. Without the user's autoexec lines, which could mount drive C
// elsewhere; the user's DOSBox configuration is read but never changed.
ProcessCommand dosboxCommand(const std::string& dosbox, const ScriptLaunch& launch);

class DosBoxStarter : public ScriptStarter {
 public:
  // Looks DOSBox up in the folders of the search path (the PATH variable by default).
  DosBoxStarter();
  explicit DosBoxStarter(std::string searchPath);

  std::optional<std::string> findInterpreter() override;
  std::optional<std::string> start(const ScriptLaunch& launch) override;

 protected:
  // Starts DOSBox's command; detached here, as a child that is waited for in tests.
  virtual std::optional<std::string> startProcess(const ProcessCommand& command);

 private:
  std::string searchPath_;
  std::string dosbox_;
};

}  // namespace kestro::platform
