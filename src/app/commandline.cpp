// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"

namespace kestro::app {

Request requestOf(const std::vector<std::string>& arguments) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--") break;
    if (argument == "--help" || argument == "-h" || argument == "-?") return Request::Help;
    if (argument == "--version" || argument == "-v") return Request::Version;
  }
  return Request::Run;
}

std::string versionText() { return "kestro " KESTRO_VERSION "\n"; }

std::string helpText(const platform::SettingsLocation& settings) {
  return "Usage: kestro [Qt options]\n"
         "A front end for the DOS build of the MAME arcade emulator: choose MAME, a game and\n"
         "MAME's options in one window, and \"Run Mame\" starts the game through DOSBox.\n"
         "\n"
         "  -h, --help     print this help and exit\n"
         "  -v, --version  print the version and exit\n"
         "\n"
         "Qt's own options, such as -platform, -style or -display, work as in every Qt program.\n"
         "A second start on the same settings file brings the running window forward.\n"
         "\n"
         "Settings file: " +
         settings.file + "\n" +
         (settings.writable ? "" : "Kestro cannot save its settings: " + settings.problem + "\n");
}

std::string unknownArgumentMessage(const std::vector<std::string>& leftOver) {
  if (leftOver.size() < 2) return {};
  return "kestro: unknown argument '" + leftOver[1] +
         "'\nTry 'kestro --help' for more information.\n";
}

}  // namespace kestro::app
