// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file's text on real files, read and edited by writers that race or are killed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <barrier>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/durablefile.h"
#include "platform/inifile.h"
#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;
using test::inChild;
using test::readFile;
using test::writeFile;

class Profile : public ::testing::Test {
 protected:
  std::string value(const char* section, const std::string& key) const {
    return readIniFile(file).value(section, key).value_or("");
  }
  std::string write(const char* section, const std::string& key, const std::string& text) const {
    const int error = editIniFile(file, [&](IniText& ini) { ini.set(section, key, text); });
    return error ? std::strerror(error) : "";
  }

  test::TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
};

// A hand-edited file's text and "k" of "S" in it as the system call GetPrivateProfileString reads
// it; nothing where it reads as missing.
TEST(IniText, ReadsAsTheSystemCallDoes) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      // Blanks around names and values go; the first section of a name wins, its first "=" splits.
      {"  [ \tS  ]\n \t k \t=  v w \t\n", "v w"},
      {"[S]\nj=1\n[S]\nk=2\n", {}},
      {"[S]\nk = a=b ; note\n", "a=b ; note"},
      // "key=" is empty; a line without "=" reads as missing and hides a later line of its key.
      {"[S]\nk=\n", ""},
      {"[S]\n K \nk=v\n", {}},
      {"[S]\nkey\nk=v\n", "v"},
      {"k=1\n[S]\n[T]\nk=2\n", {}},
      // One pair of matching quotes goes.
      {"[S]\nk= ' a ' \n", " a "},
      {"[S]\nk=\"a'\n", "\"a'"},
      {"[S]\nk=\"\n", "\""},
      {"[S]\nk=\"a\"b\"\n", "a\"b"},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(IniText(text).value("S", "k"), value) << text;
}

// A file saved and edited by hand: comments, an unknown key, odd letter case and blanks,
// quotes, CRLF and no line end at the end.
const std::string kUser =
    "; Kestro settings\r\n\r\n[UserSettingsVid]\r\nVesa = 2\r\ngamma=\" 1.2\"\r\n; a note\r\n"
    "myfilter=on\r\n\r\n[usersettingsmisc]\r\n\r\n[DefaultMisc]\r\njoy=-1\r\nnomouse= 0";

// A null value removes the key, a null key the section.
struct EditCase {
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string_view from, to;  // the file's first `from` becomes `to`; none: not even rewritten
};

const EditCase kEditCases[] = {
    // Only the value changes, with the blanks as given.
    {kUser, "userSETTINGSvid", "VESA", " 3", "Vesa = 2\r", "Vesa = 3\r"},
    {kUser, "UserSettingsVid", "gamma", " .8", "gamma=\" 1.2\"", "gamma= .8"},
    // A key line without "=" is the key and takes the value.
    {"[S]\nk\nk=v\n", "S", "k", "1", "k\n", "k=1\n"},
    {"[S]\n K \n", "S", "k", "", " K \n", " K =\n"},
    // A missing key goes after the last non-blank line of its section, ending like it.
    {kUser, "UserSettingsMisc", "joy", "-1", "settingsmisc]\r\n", "settingsmisc]\r\njoy=-1\r\n"},
    {"[A]\rx=1\n\n[B]\n", "A", "k", "v", "x=1\n", "x=1\nk=v\n"},
    {"[A]\r\nx=1\n\n[B]\r\n", "B", "k", "v", "[B]\r\n", "[B]\r\nk=v\r\n"},
    {"[A]\rx=1", "A", "k", "v", "x=1", "x=1\rk=v\r"},
    // A missing section goes at the end, ending like the file's last line.
    {kUser, "Game:pacman", "vesa", "3", "nomouse= 0", "nomouse= 0\r\n[Game:pacman]\r\nvesa=3\r\n"},
    {"[A]\r\nx=1\n", "B", "k", "v", "x=1\n", "x=1\n[B]\nk=v\n"},
    // A removed key loses every line of its name in the section that counts.
    {"[S]\nk=1\nj=2\n K \n[T]\nk=3\n[s]\nk=4\n", "s", " K", nullptr, "k=1\nj=2\n K \n", "j=2\n"},
    {"[A]\nx=1\nk=2", "A", "k", nullptr, "k=2", ""},
    {kUser, "UserSettingsVid", "none", nullptr, "", ""},
    // A removed section loses every header of its name and its lines.
    {"\xEF\xBB\xBF[A]\nk=1\n[b]\n[a]\rm=3\r\n[C]", " a ", nullptr, nullptr,
     "[A]\nk=1\n[b]\n[a]\rm=3\r\n", "[b]\n"},
    {kUser, "Game:pacman", nullptr, nullptr, "", ""},
};

TEST_F(Profile, AnEditChangesOnlyItsLinesAndAFileItLeavesAsItWasIsNotRewritten) {
  for (const EditCase& edit : kEditCases) {
    SCOPED_TRACE(&edit - kEditCases);
    writeFile(file, edit.before);
    const fs::file_time_type longAgo = fs::last_write_time(file) - std::chrono::hours(24);
    fs::last_write_time(file, longAgo);  // a rewrite shows in the file's time
    EXPECT_EQ(editIniFile(file,
                          [&](IniText& ini) {
                            if (!edit.key) ini.removeSection(edit.section);
                            if (edit.key && !edit.value) ini.removeKey(edit.section, edit.key);
                            if (edit.value) ini.set(edit.section, edit.key, edit.value);
                          }),
              0);
    std::string expected = edit.before;
    if (!edit.from.empty()) expected.replace(expected.find(edit.from), edit.from.size(), edit.to);
    EXPECT_EQ(readFile(file), expected);
    EXPECT_EQ(fs::last_write_time(file) == longAgo, edit.from.empty());
  }
}

// An edit of many keys and sections through a link is one replacement at the link's end with
// the file's bits; a refused entry stops no other, and a killed writer's temporary file,
// planted as a link to a file of another's, is removed, not followed.
TEST_F(Profile, AnEditThroughALinkIsOneReplacementKeepingTheBitsAndRefusingOnlyBadEntries) {
  const fs::path target = folder.path() / "store.ini";
  const fs::path leftover = target.string() + std::string(kTempSuffix);
  const std::string before = "[A]\nk=0\ngone=1\n[B]\nj=0\n[Old]\nx=1\n";
  writeFile(target, before);
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  fs::create_hard_link(target, folder.path() / "before");  // a replaced file leaves this one
  fs::create_symlink("store.ini", file);
  writeFile(folder.path() / "victim", "keep me");
  fs::create_symlink("victim", leftover);
  // The later entry for a key wins.
  const IniEntry entries[] = {{"A", "k", "1"},   {"A", "k", "1\r2"}, {"A\nB", "k", "1"},
                              {"A", "a=b", "1"}, {"A", "[B]", "1"},  {"A", " \t", "1"},
                              {"C", "n", "2"},   {"b", "J", "3"},    {"A", "K", "4"}};
  std::vector<int> errors;
  EXPECT_EQ(editIniFile(file,
                        [&](IniText& ini) {
                          errors = ini.set(entries);
                          ini.removeKey("a", "GONE");
                          ini.removeSection("old");
                        }),
            0);
  EXPECT_EQ(errors, (std::vector<int>{0, EINVAL, EINVAL, EINVAL, EINVAL, EINVAL, 0, 0, 0}));
  EXPECT_EQ(readFile(target), "[A]\nk=4\n[B]\nj=3\n[C]\nn=2\n");
  EXPECT_EQ(readFile(folder.path() / "before"), before);
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
  EXPECT_EQ(readFile(folder.path() / "victim"), "keep me");
  EXPECT_FALSE(fs::exists(fs::symlink_status(leftover)));
}

TEST_F(Profile, AHugeFileAPipeOrADeviceIsNeitherReadNorWrittenAndNothingBlocks) {
  const std::string small = "[S]\nk=v\n", lock = file + std::string(kLockSuffix);
  const struct {
    std::uint64_t size;  // the file's, sparse: no disk space taken
    std::string oddAt;   // where a pipe or a link to a device replaces the file or the lock
    bool pipe;
    int error;  // of a write, 0 for none
  } cases[] = {
      {kDurableMaxBytes, "", false, 0},   {kDurableMaxBytes + 1, "", false, EFBIG},
      {small.size(), file, true, EINVAL}, {small.size(), file, false, EINVAL},
      {small.size(), lock, true, ENOLCK}, {small.size(), lock, false, ELOOP},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.oddAt.empty() ? std::to_string(row.size) : row.oddAt);
    fs::remove(lock);
    fs::remove(file);
    writeFile(file, small);
    fs::resize_file(file, row.size);
    if (!row.oddAt.empty()) {
      fs::remove(row.oddAt);
      ASSERT_TRUE(!row.pipe || ::mkfifo(row.oddAt.c_str(), 0666) == 0);
      if (!row.pipe) fs::create_symlink("/dev/zero", row.oddAt);
    }
    // An odd lock file stops writes only.
    EXPECT_EQ(inChild([&] { return value("S", "k"); }), row.error && row.oddAt != lock ? "" : "v");
    EXPECT_EQ(inChild([&] { return write("S", "k", "w"); }),
              row.error ? std::strerror(row.error) : "");
    EXPECT_EQ(row.oddAt == file ? row.size : fs::file_size(file), row.size);
    EXPECT_EQ(row.oddAt == lock ? readFile(file) : small, small);
  }
  EXPECT_FALSE(fs::exists("/dev/zero.lock"));
}

TEST_F(Profile, TwoWritersAtOnceLoseNoKey) {
  const std::string shipped = readFile(KESTRO_SHIPPED_INI);
  writeFile(file, shipped);
  // A write from a stale copy loses the other's key. Each round both start at once: back to
  // back, one could starve the other on a loaded machine.
  std::barrier together(2);
  const auto writer = [&](char name) {
    for (int i = 0; i < 150; ++i) {
      together.arrive_and_wait();
      EXPECT_EQ(write("UserSettingsVid", name + std::to_string(i), "1"), "");
    }
  };
  { std::jthread a(writer, 'a'), b(writer, 'b'); }
  for (const char name : {'a', 'b'}) {
    for (int i = 0; i < 150; ++i)
      EXPECT_EQ(value("UserSettingsVid", name + std::to_string(i)), "1");
  }
  EXPECT_TRUE(readFile(file).starts_with(shipped));
}

// A writer that may write the file but make no file beside it rewrites it in place. Every write
// moves megabytes, so kills land inside writes; a file-size limit fails a write part way, as a
// full disk does.
TEST_F(Profile, InPlaceAWriterKilledOrOutOfSpaceLeavesTheOldFileOrTheNewAndNoFileBesideIt) {
  const uid_t writer = test::kBoundUser;
  const std::string tail = "[B]\n" + std::string(8 << 20, ';') + "\n";
  const std::string longValue(5000, '2');
  const std::string shortText = "[A]\nk=1\n" + tail, longText = "[A]\nk=" + longValue + "\n" + tail;
  test::make(file, 0644, writer, &shortText);
  ASSERT_EQ(::chmod(folder.path().c_str(), writer != 0 ? 0755 : 0555), 0);
  EXPECT_EQ(inChild(
                [&] {
                  ::signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{shortText.size() + 100, shortText.size() + 100};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  return write("A", "k", longValue);
                },
                writer),
            std::strerror(EFBIG));
  EXPECT_TRUE(readFile(file) == shortText) << "the file changed";
  std::mt19937 random(8);
  for (int kill = 0; kill < 12; ++kill) {
    writeFile(file, shortText);
    const auto delay = std::chrono::microseconds(std::uniform_int_distribution(0, 30000)(random));
    ASSERT_EQ(test::killedWhileRunning(
                  [&](int round) { return write("A", "k", round % 2 ? "1" : longValue).empty(); },
                  delay, writer),
              "");
    // Writers lock the file itself here; taking the lock waits for a rewrite under way.
    const int handle = ::open(file.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(handle, LOCK_EX), 0);
    const std::string text = readFile(file);
    ::close(handle);
    ASSERT_TRUE(text == shortText || text == longText)
        << "torn at byte " << std::ranges::mismatch(text, shortText).in1 - text.begin();
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);
}

}  // namespace
}  // namespace kestro::platform
