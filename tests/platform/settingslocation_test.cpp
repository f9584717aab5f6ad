// Where the settings file lives, on real folders. Each case runs in a child that is nobody when
// the tests run as root, whom no read-only folder stops.
#include "platform/settingslocation.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;

enum class Beside { None, Writable, ReadOnly };

struct Case {
  bool programFolderWritable;
  Beside beside;
  const char* configHome;  // relative to the case's folder when it starts with "/"
  bool homeWritable;
  const char* userFile;  // already in ~/.config/kestro, "" for none; "!" read-only
  // Expected, relative to the case's folder:
  const char* file;
  bool writable;
  const char* content;  // "shipped", "portable", "mine" or "" for no file
};

// The program's folder is given with a trailing separator, which stays doubled in the
// portable file's name, as that file has always been found.
// clang-format off
const Case kCases[] = {
  {true,  Beside::None,     "",        true,  "",     "prog//kestro.ini",               true,  "shipped"},
  {true,  Beside::Writable, "",        true,  "",     "prog//kestro.ini",               true,  "portable"},
  {false, Beside::Writable, "",        true,  "",     "prog//kestro.ini",               true,  "portable"},
  {false, Beside::None,     "/xdg",    true,  "",     "xdg/kestro/kestro.ini",          true,  "shipped"},
  {false, Beside::ReadOnly, "/xdg",    true,  "",     "xdg/kestro/kestro.ini",          true,  "portable"},
  {true,  Beside::ReadOnly, "/xdg",    true,  "",     "xdg/kestro/kestro.ini",          true,  "portable"},
  {false, Beside::None,     "",        true,  "",     "home/.config/kestro/kestro.ini", true,  "shipped"},
  {false, Beside::None,     "rel/cfg", true,  "",     "home/.config/kestro/kestro.ini", true,  "shipped"},
  {false, Beside::None,     "",        true,  "mine", "home/.config/kestro/kestro.ini", true,  "mine"},
  {false, Beside::None,     "",        true,  "!",    "home/.config/kestro/kestro.ini", false, "mine"},
  {false, Beside::None,     "",        false, "",     "share/kestro/kestro.ini",        false, "shipped"},
  {false, Beside::ReadOnly, "",        false, "",     "prog//kestro.ini",               false, "portable"},
};
// clang-format on

constexpr uid_t kNobody = 65534;
const std::map<std::string_view, std::string> kContents = {{"shipped", "[DefaultVid]\nshipped\n"},
                                                           {"portable", "[EXE]\nportable\n"},
                                                           {"mine", "[UserSettingsVid]\nmine\n"},
                                                           {"", ""}};

// Made by the test, then given to the user that runs the case.
void make(const fs::path& path, bool writable, const std::string* bytes = nullptr) {
  if (bytes) {
    test::writeFile(path, *bytes);
  } else {
    fs::create_directories(path);
  }
  if (::geteuid() == 0 && ::chown(path.c_str(), kNobody, kNobody) != 0) {
    throw std::runtime_error("chown " + path.string());
  }
  fs::permissions(path, fs::perms(bytes ? (writable ? 0644 : 0444) : (writable ? 0755 : 0555)));
}

TEST(SettingsLocation, FollowsTheTableOfPlaces) {
  for (const Case& example : kCases) {
    SCOPED_TRACE(&example - kCases);
    test::TempFolder folder;
    const fs::path base = folder.path();
    make(base, true);
    make(base / "share/kestro", true);
    make(base / "share/kestro/kestro.ini", false, &kContents.at("shipped"));
    make(base / "prog", true);
    if (example.beside != Beside::None) {
      make(base / "prog/kestro.ini", example.beside == Beside::Writable, &kContents.at("portable"));
    }
    make(base / "prog", example.programFolderWritable);
    make(base / "home", true);
    if (*example.userFile) {
      make(base / "home/.config/kestro", true);
      make(base / "home/.config/kestro/kestro.ini", *example.userFile != '!',
           &kContents.at("mine"));
    }
    make(base / "home", example.homeWritable);

    std::string configHome = example.configHome;
    if (configHome.starts_with('/')) configHome = base.string() + configHome;
    const SettingsPlaces places{.programFolder = (base / "prog/").string(),
                                .configHome = configHome,
                                .home = (base / "home").string(),
                                .shippedDefaults = (base / "share/kestro/kestro.ini").string()};
    const std::string expected = base.string() + "/" + example.file;
    // What the user finds, as one line: the file, whether it may be written and whether the
    // problem says so, the file chosen before any is made, and anything choosing made.
    const std::string found = test::inChild(
        [&] {
          const bool existed = fs::exists(expected);
          const std::string chosen = chooseSettingsFile(places);
          const bool made = fs::exists(expected) != existed;
          const SettingsLocation location = locateSettings(places);
          return location.file + (location.writable ? " writable" : " read-only") +
                 (location.problem.empty() == location.writable ? "" : " " + location.problem) +
                 (location.writable && chosen != location.file ? " chose " + chosen : "") +
                 (made ? " made by choosing" : "");
        },
        ::geteuid() == 0 ? kNobody : 0);
    EXPECT_EQ(found, expected + (example.writable ? " writable" : " read-only"));
    EXPECT_EQ(test::readFile(expected), kContents.at(example.content));
    for (const auto& entry : fs::recursive_directory_iterator(base)) {
      std::error_code ignored;
      if (entry.is_directory()) fs::permissions(entry.path(), fs::perms(0755), ignored);
    }
  }
}

}  // namespace
}  // namespace kestro::platform
