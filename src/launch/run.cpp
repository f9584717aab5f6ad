// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/run.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "launch/script.h"

namespace kestro::launch {
namespace {

constexpr std::string_view kRomsFolder = "ROMS/";

std::string inQuotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The first reason not to write the script, before anything is written; nothing when
// the run may go on.
std::optional<std::string> refusal(const core::OptionSet& options, std::string_view romFolder,
                                   const Build& build) {
  if (options.DirMame.empty()) {
    return "No MAME folder is chosen yet. On the \"Kestro Setup\" tab, open the folder that "
           "holds MAME in the folder list (double-click it), then press \"Run Mame\" again.";
  }
  if (options.mame.empty()) {
    return "No MAME executable is set. On the \"Kestro Setup\" tab, select it in the file list "
           "and press \"Set EXE\".";
  }
  if (!gameNameBelowRoms(romFolder)) {
    return "The folder " + inQuotes(romFolder) +
           " is no game's folder: MAME finds each game in a folder of its own inside the "
           "\"ROMS\" folder. On the \"File\" tab, open the ROMS folder and double-click the "
           "game's folder in it, then press \"Run Mame\" again.";
  }
  if (const std::optional<std::string> problem = mountFolderProblem(options.DirMame)) {
    return "The MAME folder " + inQuotes(options.DirMame) +
           " cannot be mounted by DOSBox as drive C, because " + *problem +
           ". Rename the folder or move MAME to another one, then open it on the \"Kestro "
           "Setup\" tab.";
  }
  std::vector<core::TypedText> texts = {{"game name", options.RomName},
                                        {"MAME executable's name", options.mame}};
  texts.insert(texts.end(), build.typed.begin(), build.typed.end());
  for (const core::TypedText& named : texts) {
    if (const std::optional<std::string> problem = textProblem(named.text)) {
      return "The " + std::string(named.what) + " " + inQuotes(named.text) +
             " cannot go into the launch script: it holds " + *problem + ".";
    }
  }
  if (!isDosShortName(options.mame)) {
    return "The MAME executable " + inQuotes(options.mame) +
           " has no DOS file name (at most eight characters, then a period and at most three "
           "more), so DOS cannot start it. Give it such a name, for example MAME.EXE, and set "
           "it again with \"Set EXE\".";
  }
  if (const std::optional<std::string> problem = shellCommandProblem(options.mame)) {
    return "The MAME executable " + inQuotes(options.mame) +
           " cannot be started from the launch script, because " + *problem +
           ". Give the program another name, for example MAME.EXE, and set it again with "
           "\"Set EXE\".";
  }
  const ProgramSearch search = findDosProgram(options.DirMame, options.mame);
  if (!search.error.empty()) {
    return "The MAME folder " + inQuotes(options.DirMame) + " cannot be read: " + search.error +
           ".";
  }
  if (search.found.empty()) {
    return "The MAME executable " + inQuotes(options.mame) + " is not in the MAME folder " +
           inQuotes(options.DirMame) +
           ". On the \"Kestro Setup\" tab, open the folder that holds it, or select the "
           "executable there and press \"Set EXE\".";
  }
  if (equalsIgnoringCase(search.found, kLaunchScriptName)) {
    return "The MAME executable " + inQuotes(options.mame) +
           " would start the launch script itself. Select MAME's own program and press \"Set "
           "EXE\".";
  }
  if (!build.unreadable.empty()) {
    const std::string_view name = build.unreadable.front();
    return "The " + std::string(name) +
           " value is not a number, so MAME's command line cannot be built. Press \"Default "
           "Settings\" on the \"Kestro Setup\" tab to set it again.";
  }
  return std::nullopt;
}

std::string cutWarning(const TailCut& cut) {
  std::string prompt = "DOS hands MAME at most " + std::to_string(kDosTailLimit) +
                       " characters after the executable's name, and this command line has " +
                       std::to_string(cut.length) + ". ";
  if (cut.gameNameCut) {
    prompt += "DOS will cut it within the game name " + inQuotes(cut.firstCut) +
              ", so MAME will get neither the whole game name nor any option.";
  } else {
    prompt += "DOS will cut it from the option " + inQuotes(cut.firstCut) +
              " on, so MAME will not get that option and the ones after it.";
  }
  return prompt +
         "\n\nPress OK to run MAME anyway, or Cancel to go back and turn some options off.";
}

}  // namespace

std::optional<std::string> gameNameBelowRoms(std::string_view romFolder) {
  // "ROMS/../x" and a final "/" are the same folders as the lists show them.
  std::string folder = std::filesystem::path(romFolder).lexically_normal().string();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::size_t nameStart = std::string::npos;
  for (std::size_t i = 0; i + kRomsFolder.size() <= folder.size(); ++i) {
    if (equalsIgnoringCase(std::string_view(folder).substr(i, kRomsFolder.size()), kRomsFolder)) {
      nameStart = i + kRomsFolder.size();
    }
  }
  if (nameStart == std::string::npos || nameStart == folder.size()) return std::nullopt;
  return folder.substr(nameStart);
}

std::string gameNameOf(std::string_view romFolder) {
  return gameNameBelowRoms(romFolder).value_or(std::string(romFolder));
}

PlannedRun planRun(const core::OptionSet& options, std::string_view romFolder,
                   char decimalSeparator) {
  core::OptionSet withGame = options;
  withGame.RomName = gameNameOf(romFolder);
  PlannedRun planned;
  planned.gameName = withGame.RomName;
  planned.build = buildCommandLine(withGame, decimalSeparator);
  planned.tailLength = dosTailLength(planned.build.line, withGame.mame.size());
  planned.cut =
      tailCut(planned.build.line, withGame.mame.size(), planned.gameName, planned.build.pieces);
  return planned;
}

std::string describePlannedRun(const PlannedRun& planned) {
  std::string text = planned.build.line + "\n";
  if (!planned.cut) {
    return text + "DOS passes MAME the whole line: " + std::to_string(planned.tailLength) + " of " +
           std::to_string(kDosTailLimit) + " characters after the executable's name.";
  }
  text += "DOS passes MAME only " + std::to_string(kDosTailLimit) + " of the line's " +
          std::to_string(planned.cut->length) + " characters after the executable's name, ";
  if (planned.cut->gameNameCut) {
    return text + "and cuts within the game name " + inQuotes(planned.cut->firstCut) + ".";
  }
  if (planned.cut->firstCut.empty()) return text + "and cuts the end of the line.";
  return text + "and cuts from the option " + inQuotes(planned.cut->firstCut) + " on.";
}

RunOutcome runMame(const RunContext& context) {
  core::OptionSet& options = context.options;
  const PlannedRun planned = planRun(options, context.romFolder, context.decimalSeparator);
  options.RomName = planned.gameName;
  options.gamename = options.RomName;
  const Build& build = planned.build;

  const auto tell = [&](std::string prompt, platform::MessageIcon icon) {
    context.showMessage({.prompt = std::move(prompt),
                         .title = std::string(kRunTitle),
                         .icon = icon,
                         .buttons = platform::MessageButtons::Ok});
    return RunOutcome::Refused;
  };

  if (std::optional<std::string> reason = refusal(options, context.romFolder, build)) {
    return tell(std::move(*reason), platform::MessageIcon::Exclamation);
  }
  if (std::optional<std::string> missing = context.starter.findInterpreter()) {
    return tell(std::move(*missing), platform::MessageIcon::Critical);
  }
  if (planned.cut) {
    const platform::MessageAnswer answer =
        context.showMessage({.prompt = cutWarning(*planned.cut),
                             .title = std::string(kRunTitle),
                             .icon = platform::MessageIcon::Exclamation,
                             .buttons = platform::MessageButtons::OkCancel});
    if (answer != platform::MessageAnswer::Ok) return RunOutcome::Cancelled;
  }

  const std::string script = launchScriptPath(options.DirMame);
  if (std::optional<std::string> failure = writeLaunchScript(script, build.line)) {
    return tell("The launch script " + inQuotes(script) + " cannot be written: " + *failure + ".",
                platform::MessageIcon::Critical);
  }
  if (std::optional<std::string> failure = context.starter.start(
          {.script = script, .folder = options.DirMame, .keepOpen = build.showsOutput})) {
    return tell(std::move(*failure), platform::MessageIcon::Critical);
  }
  return RunOutcome::Started;
}

}  // namespace kestro::launch
