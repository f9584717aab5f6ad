// SPDX-License-Identifier: GPL-3.0-or-later
// Where the settings file lives, on real folders, found by a child that read-only bits stop.
#include "platform/settingslocation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;

enum class Beside { None, Writable, ReadOnly };

struct Case {
  bool installed;  // the shipped settings lie in share/kestro
  bool programFolderWritable;
  Beside beside;
  const char* configHome;  // relative to the case's folder when it starts with "/"
  const char* home;        // "home" (writable), "ro" (read-only) or "relhome" (relative)
  const char* userFile;    // in home/.config/kestro: "mine", "!" (read-only), "->" (a link to
                           // nothing) or "" (none)
  // Expected, relative to the case's folder:
  const char* file;
  bool writable;
  const char* content;  // "shipped", "portable", "mine" or "" for no file
};

// The program's folder is given with a trailing separator, which the portable file's name
// keeps: the folder and the name are joined as text.
// clang-format off
const Case kCases[] = {
  {false, true,  Beside::None,     "",        "home", "",     "prog//kestro.ini",               true,  ""},
  {false, true,  Beside::Writable, "",        "home", "",     "prog//kestro.ini",               true,  "portable"},
  {false, false, Beside::Writable, "",        "home", "",     "prog//kestro.ini",               true,  "portable"},
  {false, false, Beside::ReadOnly, "/xdg",    "home", "",     "xdg/kestro/kestro.ini",          true,  "portable"},
  {false, true,  Beside::ReadOnly, "",        "home", "",     "home/.config/kestro/kestro.ini", true,  "portable"},
  {false, false, Beside::ReadOnly, "",        "ro",   "",     "prog//kestro.ini",               false, "portable"},
  // Installed: never beside the program, even where its user (root) may write there.
  {true,  true,  Beside::None,     "",        "home", "",     "home/.config/kestro/kestro.ini", true,  "shipped"},
  {true,  true,  Beside::Writable, "",        "home", "",     "home/.config/kestro/kestro.ini", true,  "shipped"},
  {true,  false, Beside::None,     "/xdg",    "home", "",     "xdg/kestro/kestro.ini",          true,  "shipped"},
  {true,  false, Beside::None,     "rel/cfg", "home", "",     "home/.config/kestro/kestro.ini", true,  "shipped"},
  {true,  false, Beside::None,     "",        "home", "mine", "home/.config/kestro/kestro.ini", true,  "mine"},
  {true,  false, Beside::None,     "",        "home", "!",    "home/.config/kestro/kestro.ini", false, "mine"},
  {true,  false, Beside::None,     "",        "ro",   "",     "share/kestro/kestro.ini",        false, "shipped"},
  {true,  false, Beside::None,     "",        "home", "->",   "share/kestro/kestro.ini",        false, "shipped"},
  {true,  false, Beside::None,     "",        "relhome", "",  "share/kestro/kestro.ini",        false, "shipped"},
};
// clang-format on

const std::map<std::string_view, std::string> kContents = {{"shipped", "[DefaultVid]\nshipped\n"},
                                                           {"portable", "[EXE]\nportable\n"},
                                                           {"mine", "[UserSettingsVid]\nmine\n"},
                                                           {"", ""}};

// Made by the test, then given to the user that runs the case.
void make(const fs::path& path, bool writable, const std::string* bytes = nullptr) {
  test::make(path, bytes ? (writable ? 0644 : 0444) : (writable ? 0755 : 0555), test::kBoundUser,
             bytes);
}

TEST(SettingsLocation, FollowsTheTableOfPlaces) {
  for (const Case& example : kCases) {
    SCOPED_TRACE(&example - kCases);
    test::TempFolder folder;
    const fs::path base = folder.path();
    make(base, true);
    make(base / "share/kestro", true);
    if (example.installed) make(base / "share/kestro/kestro.ini", false, &kContents.at("shipped"));
    make(base / "prog", true);
    if (example.beside != Beside::None) {
      make(base / "prog/kestro.ini", example.beside == Beside::Writable, &kContents.at("portable"));
    }
    make(base / "prog", example.programFolderWritable);
    make(base / "home", true);
    const std::string userFile = example.userFile;
    if (!userFile.empty()) make(base / "home/.config/kestro", true);
    if (userFile == "mine" || userFile == "!") {
      make(base / "home/.config/kestro/kestro.ini", userFile != "!", &kContents.at("mine"));
    } else if (userFile == "->") {
      fs::create_symlink(base / "elsewhere", base / "home/.config/kestro/kestro.ini");
    }
    const std::string home = example.home;
    make(base / "home", home != "ro");

    std::string configHome = example.configHome;
    if (configHome.starts_with('/')) configHome = base.string() + configHome;
    const SettingsPlaces places{
        .programFolder = (base / "prog/").string(),
        .configHome = configHome,
        .home = home == "home" || home == "ro" ? (base / "home").string() : home,
        .shippedDefaults = (base / "share/kestro/kestro.ini").string()};
    const std::string expected = base.string() + "/" + example.file;
    // As one line: the file, whether it is writable and a problem says so, where "--help"
    // (finding without making) differs, and anything made outside the case's folder.
    const std::string found = test::inChild(
        [&] {
          fs::current_path(base);
          const bool existed = fs::exists(expected);
          const SettingsLocation looked = findSettings(places);
          const bool madeByLooking = fs::exists(expected) != existed;
          const SettingsLocation location = locateSettings(places);
          return location.file + (location.writable ? " writable" : " read-only") +
                 (location.problem.empty() == location.writable ? "" : " " + location.problem) +
                 (looked.file != location.file || looked.writable != location.writable
                      ? " --help says " + looked.file
                      : "") +
                 (madeByLooking ? " made by looking" : "") +
                 (fs::exists(base / "elsewhere") ? " followed the link" : "") +
                 (fs::exists(base / "relhome") ? " made in the current folder" : "");
        },
        test::kBoundUser);
    EXPECT_EQ(found, expected + (example.writable ? " writable" : " read-only"));
    EXPECT_EQ(test::readFile(expected), kContents.at(example.content));
  }
}

}  // namespace
}  // namespace kestro::platform
