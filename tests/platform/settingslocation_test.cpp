// Where the settings file lives, against real folders and permissions. Each case runs in a
// child process that, when the tests run as root, becomes nobody: root may write anywhere, so
// a read-only folder stops only an ordinary user.
#include "platform/settingslocation.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

enum class Beside { None, Writable, ReadOnly };

struct Case {
  const char* name;
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

// clang-format off
const Case kCases[] = {
  {"WritableFolder",               true,  Beside::None,     "",          true,  "",
   "prog/kestro.ini",                    true,  "shipped"},
  {"WritableFolderKeepsItsFile",   true,  Beside::Writable, "",          true,  "",
   "prog/kestro.ini",                    true,  "portable"},
  {"WritableFileInReadOnlyFolder", false, Beside::Writable, "",          true,  "",
   "prog/kestro.ini",                    true,  "portable"},
  {"ReadOnlyFolderWithoutFile",    false, Beside::None,     "/xdg",      true,  "",
   "xdg/kestro/kestro.ini",              true,  "shipped"},
  {"ReadOnlyFolderWithFile",       false, Beside::ReadOnly, "/xdg",      true,  "",
   "xdg/kestro/kestro.ini",              true,  "portable"},
  {"ReadOnlyFileInWritableFolder", true,  Beside::ReadOnly, "/xdg",      true,  "",
   "xdg/kestro/kestro.ini",              true,  "portable"},
  {"MissingConfigFolderUnsetXdg",  false, Beside::None,     "",          true,  "",
   "home/.config/kestro/kestro.ini",     true,  "shipped"},
  {"RelativeXdg",                  false, Beside::None,     "rel/cfg",   true,  "",
   "home/.config/kestro/kestro.ini",     true,  "shipped"},
  {"ExistingUserFileIsKept",       false, Beside::None,     "",          true,  "mine",
   "home/.config/kestro/kestro.ini",     true,  "mine"},
  {"ReadOnlyUserFile",             false, Beside::None,     "",          true,  "!",
   "home/.config/kestro/kestro.ini",     false, "mine"},
  {"NowhereToWrite",               false, Beside::None,     "",          false, "",
   "share/kestro/kestro.ini",            false, "shipped"},
  {"NowhereToWriteReadsThePortableFile", false, Beside::ReadOnly, "",    false, "",
   "prog/kestro.ini",                    false, "portable"},
};
// clang-format on

// Made by the test, then given to the user that runs the case.
void own(const fs::path& path) {
  if (::geteuid() == 0 && ::chown(path.c_str(), kNobody, kNobody) != 0) {
    throw std::runtime_error("chown " + path.string());
  }
}

void makeFile(const fs::path& file, const std::string& bytes, bool writable) {
  test::writeFile(file, bytes);
  own(file);
  fs::permissions(file, writable ? fs::perms(0644) : fs::perms(0444));
}

void makeFolder(const fs::path& folder, bool writable) {
  fs::create_directories(folder);
  own(folder);
  fs::permissions(folder, writable ? fs::perms(0755) : fs::perms(0555));
}

struct Found {
  std::string chosen;
  SettingsLocation location;
  bool existsAfterChoosing = false;
};

// Runs locateSettings in a child of the user's, and brings back what it found.
Found locateAsUser(const SettingsPlaces& places, const fs::path& expected) {
  int channel[2];
  if (::pipe(channel) != 0) throw std::runtime_error("pipe");
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      ::_exit(3);
    }
    const std::string chosen = chooseSettingsFile(places);
    const bool made = fs::exists(expected);
    const SettingsLocation location = locateSettings(places);
    const std::string answer = chosen + '\n' + (made ? "1" : "0") + '\n' + location.file + '\n' +
                               (location.writable ? "1" : "0") + '\n' + location.problem;
    const bool sent =
        ::write(channel[1], answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
    ::_exit(sent ? 0 : 4);
  }
  ::close(channel[1]);
  std::string answer;
  char buffer[4096];
  for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
    answer.append(buffer, got);
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("child failed");

  std::istringstream lines(answer);
  Found found;
  std::string made, writable;
  std::getline(lines, found.chosen);
  std::getline(lines, made);
  std::getline(lines, found.location.file);
  std::getline(lines, writable);
  std::getline(lines, found.location.problem);
  found.existsAfterChoosing = made == "1";
  found.location.writable = writable == "1";
  return found;
}

TEST(SettingsLocation, FollowsTheTableOfPlaces) {
  const std::string contents[] = {"[DefaultVid]\nshipped\n", "[EXE]\nportable\n",
                                  "[UserSettingsVid]\nmine\n"};
  auto contentOf = [&](std::string_view word) -> std::string {
    if (word == "shipped") return contents[0];
    if (word == "portable") return contents[1];
    if (word == "mine") return contents[2];
    return {};
  };
  for (const Case& example : kCases) {
    SCOPED_TRACE(example.name);
    test::TempFolder folder;
    const fs::path base = folder.path();
    makeFolder(base, true);
    makeFolder(base / "share/kestro", true);
    makeFile(base / "share/kestro/kestro.ini", contents[0], false);
    makeFolder(base / "prog", true);
    if (example.beside != Beside::None) {
      makeFile(base / "prog/kestro.ini", contents[1], example.beside == Beside::Writable);
    }
    makeFolder(base / "prog", example.programFolderWritable);
    makeFolder(base / "home", true);
    if (*example.userFile) {
      makeFolder(base / "home/.config/kestro", true);
      makeFile(base / "home/.config/kestro/kestro.ini", contents[2], *example.userFile != '!');
    }
    makeFolder(base / "home", example.homeWritable);

    std::string configHome = example.configHome;
    if (configHome.starts_with('/')) configHome = base.string() + configHome;
    const SettingsPlaces places{.programFolder = (base / "prog").string(),
                                .configHome = configHome,
                                .home = (base / "home").string(),
                                .shippedDefaults = (base / "share/kestro/kestro.ini").string()};
    const fs::path expected = base / example.file;
    const bool existedBefore = fs::exists(expected);
    const Found found = locateAsUser(places, expected);

    EXPECT_EQ(found.location.file, expected.string());
    EXPECT_EQ(found.location.writable, example.writable) << found.location.problem;
    EXPECT_EQ(found.location.problem.empty(), example.writable);
    EXPECT_EQ(test::readFile(expected), contentOf(example.content));
    if (example.writable) {
      EXPECT_EQ(found.chosen, found.location.file);
    }
    EXPECT_EQ(found.existsAfterChoosing, existedBefore) << "choosing alone makes nothing";
    // Reading is all a user without a writable file gets: nothing beside the program changes.
    if (!example.programFolderWritable && example.beside == Beside::None) {
      EXPECT_FALSE(fs::exists(base / "prog/kestro.ini"));
    }
    for (const auto& entry : fs::recursive_directory_iterator(base)) {
      std::error_code ignored;
      if (entry.is_directory()) fs::permissions(entry.path(), fs::perms(0755), ignored);
    }
  }
}

TEST(SettingsLocation, ThePortableFileIsTheProgramsFolderAndTheNameJoinedAsText) {
  test::TempFolder folder;
  own(folder.path());
  // A trailing separator stays doubled, as the settings file has always been found.
  const SettingsPlaces places{.programFolder = folder.str() + "/",
                              .configHome = "",
                              .home = "/nonexistent",
                              .shippedDefaults = ""};
  EXPECT_EQ(locateAsUser(places, "/nonexistent").location.file, folder.str() + "//kestro.ini");
}

}  // namespace
}  // namespace kestro::platform
