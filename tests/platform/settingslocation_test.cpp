// SPDX-License-Identifier: GPL-3.0-or-later
// Where the settings file lives, on real folders, found by a child that read-only bits stop.
#include "platform/settingslocation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;

// Each file made holds the name of its kind: "shipped", "portable" or "mine" (the user's).
struct Case {
  bool installed;  // the shipped settings lie in share/kestro
  bool programFolderWritable;
  const char* beside;      // the portable file beside the program: "", "rw" or "ro"
  const char* configHome;  // relative to the case's folder when it starts with "/"
  const char* home;        // "home" (writable), "ro" (read-only) or "relhome" (relative)
  const char* userFile;    // in home/.config/kestro: "mine", "ro" (read-only), "->" (to nothing)
  const char* file;        // expected, relative to the case's folder
  bool writable;
  const char* content;  // of the file, "" for none
};

// The program's folder is given with a trailing separator, which the portable file's name
// keeps: the folder and the name are joined as text.
// clang-format off
const Case kCases[] = {
  {false, true,  "",   "",        "home", "",     "prog//kestro.ini",               true,  ""},
  {false, false, "rw", "",        "home", "",     "prog//kestro.ini",               true,  "portable"},
  {false, true,  "ro", "/xdg",    "home", "",     "xdg/kestro/kestro.ini",          true,  "portable"},
  {false, false, "ro", "",        "ro",   "",     "prog//kestro.ini",               false, "portable"},
  // Installed: never beside the program, even where its user (root) may write there.
  {true,  true,  "rw", "rel/cfg", "home", "",     "home/.config/kestro/kestro.ini", true,  "shipped"},
  {true,  false, "",   "",        "home", "mine", "home/.config/kestro/kestro.ini", true,  "mine"},
  {true,  false, "",   "",        "home", "ro",   "home/.config/kestro/kestro.ini", false, "mine"},
  {true,  false, "",   "",        "ro",   "",     "share/kestro/kestro.ini",        false, "shipped"},
  {true,  false, "",   "",        "home", "->",   "share/kestro/kestro.ini",        false, "shipped"},
  {true,  false, "",   "",        "relhome", "",  "share/kestro/kestro.ini",        false, "shipped"},
};
// clang-format on

// Made by the test, then given to the user that runs the case.
void make(const fs::path& path, bool writable, const std::string* bytes = nullptr) {
  test::make(path, bytes ? (writable ? 0644 : 0444) : (writable ? 0755 : 0555), test::kBoundUser,
             bytes);
}

TEST(SettingsLocation, FollowsTheTableOfPlaces) {
  const std::string shipped = "shipped", portable = "portable", mine = "mine";
  for (const Case& example : kCases) {
    SCOPED_TRACE(&example - kCases);
    test::TempFolder folder;
    const fs::path base = folder.path();
    make(base, true);
    make(base / "share/kestro", true);
    if (example.installed) make(base / "share/kestro/kestro.ini", false, &shipped);
    make(base / "prog", true);
    const std::string beside = example.beside, home = example.home, userFile = example.userFile;
    if (!beside.empty()) make(base / "prog/kestro.ini", beside == "rw", &portable);
    make(base / "prog", example.programFolderWritable);
    if (!userFile.empty()) make(base / "home/.config/kestro", true);
    if (userFile == "mine" || userFile == "ro") {
      make(base / "home/.config/kestro/kestro.ini", userFile == "mine", &mine);
    } else if (userFile == "->") {
      fs::create_symlink(base / "elsewhere", base / "home/.config/kestro/kestro.ini");
    }
    make(base / "home", home != "ro");

    std::string configHome = example.configHome;
    if (configHome.starts_with('/')) configHome = base.string() + configHome;
    const SettingsPlaces places{.programFolder = (base / "prog/").string(),
                                .configHome = configHome,
                                .home = home == "relhome" ? home : (base / "home").string(),
                                .shippedDefaults = (base / "share/kestro/kestro.ini").string()};
    const std::string expected = base.string() + "/" + example.file;
    // As one line: the file, whether it is writable and a problem says so, where "--help"
    // (finding without making) differs, and anything made by looking or through the link.
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
                 (fs::exists(base / "elsewhere") ? " followed the link" : "");
        },
        test::kBoundUser);
    EXPECT_EQ(found, expected + (example.writable ? " writable" : " read-only"));
    EXPECT_EQ(test::readFile(expected), example.content);
  }
}

}  // namespace
}  // namespace kestro::platform
