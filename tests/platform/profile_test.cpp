// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on real files: the system call's reading rules, edits byte for byte, and
// writers that are killed, race, or meet links, leftovers, odd files and permission bits.
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
  // "" when the write went through, else why not.
  std::string write(const std::string& section, const std::string& key,
                    const std::string& text) const {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(), file.c_str())
               ? ""
               : std::strerror(errno);
  }

  test::TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
};

struct ReadCase {
  std::optional<std::string> text;  // nothing: there is no file
  std::string expected;             // the buffer's text; the result is its length
  const char* section = "S";
  const char* key = "k";
  const char* defaultValue = "d";
  unsigned long size = 255;
};

const ReadCase kReadCases[] = {
    // Blanks around names go, also around requested ones; case does not count.
    {"  [ \tS  ]\n \t k \t=  v w \t\n", "v w"},
    {"[S]\nk=v\n", "v", " S ", "\tk "},
    {"[uSeR]\nKeY=v\n", "v", "User", "key"},
    // The first section and key of a name win, split at the first "=".
    {"[S]\nk=1\nK=2\n", "1"},
    {"[S]\nj=1\n[S]\nk=2\n", "d"},
    {"[S]\nk = a=b ; note\n", "a=b ; note"},
    // "key=" is empty; a line without "=" reads as missing and hides a later line of its key.
    {"[S]\nk=\n", ""},
    {"[S]\nk\n", "d"},
    {"[S]\n K \nk=v\n", "d"},
    {"[S]\nkey\nk=v\n", "v"},
    {"k=1\n[S]\n[T]\nk=2\n", "d"},
    // One pair of matching quotes goes.
    {"[S]\nk=\"a b\"\n", "a b"},
    {"[S]\nk= ' a ' \n", " a "},
    {"[S]\nk=\"a'\n", "\"a'"},
    {"[S]\nk=\"\n", "\""},
    {"[S]\nk=\"a\"b\"\n", "a\"b"},
    // CRLF, CR, no line end at the end, a UTF-8 signature.
    {"[S]\r\nj=1\r\nk=v\r\n", "v"},
    {"[S]\rj=1\rk=v\r[T]\rk=w", "v"},
    {"\xEF\xBB\xBF[S]\nk=v", "v"},
    // Cut to size - 1, after the quotes go.
    {"[S]\nk=\"abcdef\"\n", "abc", "S", "k", "d", 4},
    {"[S]\nk=" + std::string(300, 'x'), std::string(254, 'x')},
    // No file, section or key: the default less its trailing blanks, cut too.
    {std::nullopt, "d"},
    {"[T]\nk=v\n", "d"},
    {"", " d", "S", "k", " d \t "},
    {std::nullopt, "def", "S", "k", "default", 4},
    {std::nullopt, "", "S", "k", nullptr},
};

TEST_F(Profile, ReadFollowsTheRulesOfTheSystemCall) {
  for (const ReadCase& row : kReadCases) {
    SCOPED_TRACE(row.text.value_or("no file"));
    fs::remove(file);
    if (row.text) writeFile(file, *row.text);
    std::string buffer(row.size + 8, '#');
    const unsigned long count = GetPrivateProfileStringA(row.section, row.key, row.defaultValue,
                                                         buffer.data(), row.size, file.c_str());
    ASSERT_EQ(count, row.expected.size());
    EXPECT_EQ(buffer.substr(0, count + 1), row.expected + '\0');
    EXPECT_EQ(buffer.substr(row.size), "########") << "written past the buffer's size";
  }
}

// A file saved and edited by hand: comments, an unknown key, odd letter case and blanks,
// quotes, CRLF and no line end at the end.
const std::string kUser =
    "; Kestro settings\r\n\r\n[UserSettingsVid]\r\ntweak= 0\r\nVesa = 2\r\ndepth=8\r\n"
    "gamma=\" 1.2\"\r\n; carried through from the defaults\r\nresx= 640\r\nmyfilter=on\r\n\r\n"
    "[UserSettingsAud]\r\nsndrate= 22050\r\nvolume=-3\r\n\r\n[usersettingsmisc]\r\n\r\n"
    "[DefaultVid]\r\ntweak= 0\r\nvesa= 1\r\ndepth= 16\r\n\r\n"
    "[DefaultAud]\r\nsndrate= 44100\r\nvolume= 0\r\n\r\n[DefaultMisc]\r\njoy=-1\r\nnomouse= 0";

enum class Op { Set, RemoveKey, RemoveSection };

struct EditCase {
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string_view from, to;  // the file's first `from` becomes `to`; none: not even rewritten
  Op op = Op::Set;
};

const EditCase kEditCases[] = {
    // Only the value changes, with the blanks as given.
    {kUser, "userSETTINGSvid", "VESA", " 3", "Vesa = 2\r", "Vesa = 3\r"},
    {kUser, "UserSettingsVid", "gamma", " .8", "gamma=\" 1.2\"", "gamma= .8"},
    {kUser, "USERSETTINGSAUD", "SNDRATE", " 11025", "sndrate= 22050", "sndrate= 11025"},
    {"[V]\nk=\" 3\"\n", "V", "k", " 3", "\" 3\"", " 3"},
    // A value that reads back as it reads already keeps its line.
    {kUser, "usersettingsvid", "DEPTH", "8", "", ""},
    {"[V]\nvgafreq=\"3\"\n", "V", "vgafreq", " 3", "", ""},
    {"[V]\nk = 'a b' \n", "v", "K", "a b", "", ""},
    // A key line without "=" is the key and takes the value.
    {"[S]\nk\nk=v\n", "S", "k", "1", "k\n", "k=1\n"},
    {"[S]\n K \n", "S", "k", "", " K \n", " K =\n"},
    // A missing key goes after the last non-blank line of its section, ending like it.
    {kUser, "UserSettingsVid", "scanlines", " 1", "myfilter=on\r\n",
     "myfilter=on\r\nscanlines= 1\r\n"},
    {kUser, "UserSettingsMisc", "joy", "-1", "settingsmisc]\r\n", "settingsmisc]\r\njoy=-1\r\n"},
    {"[A]\rx=1\n\n[B]\n", "A", "k", "v", "x=1\n", "x=1\nk=v\n"},
    {"[A]\r\nx=1\n\n[B]\r\n", "B", "k", "v", "[B]\r\n", "[B]\r\nk=v\r\n"},
    {"[A]\rx=1", "A", "k", "v", "x=1", "x=1\rk=v\r"},
    // A missing section goes at the end, ending like the file's last line.
    {kUser, "Game:pacman", "vesa", "3", "nomouse= 0", "nomouse= 0\r\n[Game:pacman]\r\nvesa=3\r\n"},
    {"[A]\r\nx=1\n", "B", "k", "v", "x=1\n", "x=1\n[B]\nk=v\n"},
    // A removed key loses every line of its name in the section that counts.
    {kUser, "usersettingsvid", "GAMMA", nullptr, "gamma=\" 1.2\"\r\n", "", Op::RemoveKey},
    {"[S]\nk=1\nj=2\n K \n[T]\nk=3\n[s]\nk=4\n", "s", " K", nullptr, "k=1\nj=2\n K \n", "j=2\n",
     Op::RemoveKey},
    {"[A]\nx=1\nk=2", "A", "k", nullptr, "k=2", "", Op::RemoveKey},
    {kUser, "UserSettingsVid", "none", nullptr, "", "", Op::RemoveKey},
    // A removed section loses every header of its name and its lines.
    {kUser, "defaultaud", nullptr, nullptr, "[DefaultAud]\r\nsndrate= 44100\r\nvolume= 0\r\n\r\n",
     "", Op::RemoveSection},
    {"\xEF\xBB\xBF[A]\nk=1\n[b]\n[a]\rm=3\r\n[C]", " a ", nullptr, nullptr,
     "[A]\nk=1\n[b]\n[a]\rm=3\r\n", "[b]\n", Op::RemoveSection},
    {kUser, "Game:pacman", nullptr, nullptr, "", "", Op::RemoveSection},
};

TEST_F(Profile, AnEditChangesOnlyItsLinesAndAFileItLeavesAsItWasIsNotRewritten) {
  for (const EditCase& edit : kEditCases) {
    SCOPED_TRACE(std::string(edit.section) + " " + (edit.key ? edit.key : "") + " in " +
                 edit.before.substr(0, 20));
    writeFile(file, edit.before);
    const fs::file_time_type longAgo = test::ageFile(file);
    if (edit.op == Op::Set) {
      EXPECT_EQ(write(edit.section, edit.key, edit.value), "");
    } else {
      EXPECT_EQ(editIniFile(file,
                            [&](IniText& ini) {
                              if (edit.op == Op::RemoveKey) ini.removeKey(edit.section, edit.key);
                              if (edit.op == Op::RemoveSection) ini.removeSection(edit.section);
                            }),
                0);
    }
    std::string expected = edit.before;
    if (!edit.from.empty()) expected.replace(expected.find(edit.from), edit.from.size(), edit.to);
    EXPECT_EQ(readFile(file), expected);
    EXPECT_EQ(fs::last_write_time(file) == longAgo, edit.from.empty());
  }
}

// The keys that read in a section and the sections, in file order, each once, any case.
TEST(IniTextNames, KeysAndSectionsListWhatReadsInFileOrderOnce) {
  const struct {
    std::string text;
    const char* section;
    std::string keys, sections;
  } cases[] = {
      {"k=0\n[Game:pacman]\r\nVesa = 2\r\n; c\r\nK\r\nk=1\n\ngamma=\"\"\nVESA=3\n[b]\nj=1\n"
       "[GAME:PACMAN]\nm=1\n",
       "game:Pacman", "Vesa gamma ", "Game:pacman b "},
      {"\xEF\xBB\xBF[ A ]\nx=1\n[B]\r[a]\ry=2\r", " a", "x ", "A B "},
      {"", "A", "", ""},
  };
  for (const auto& row : cases) {
    const IniText ini(row.text);
    std::string keys, sections;
    for (const std::string& key : ini.keys(row.section)) keys += key + " ";
    for (const std::string& section : ini.sections()) sections += section + " ";
    EXPECT_EQ(keys, row.keys) << row.text;
    EXPECT_EQ(sections, row.sections) << row.text;
  }
}

TEST_F(Profile, AnEditOfManyKeysAndSectionsIsOneReplacementAndARefusedEntryStopsNoOther) {
  writeFile(file, "[A]\nk=0\ngone=1\n[B]\nj=0\n[Old]\nx=1\n");
  fs::create_hard_link(file, folder.path() / "before");  // a replaced file leaves this one
  const IniEntry entries[] = {
      {"A", "k", "1"},    {"A", "k", "1\r\n[Evil]\r\nk=2"},
      {"A", "k", "1\r2"}, {"A\nB", "k", "1"},
      {"A", "a=b", "1"},  {"A", "[B]", "1"},
      {"A", " \t", "1"},  {"C", "n", "2"},
      {"b", "J", "3"},    {"A", "K", "4"},  // the later entry for a key wins
  };
  std::vector<int> errors;
  EXPECT_EQ(editIniFile(file,
                        [&](IniText& ini) {
                          errors = ini.set(entries);
                          ini.removeKey("a", "GONE");
                          ini.removeSection("old");
                        }),
            0);
  EXPECT_EQ(errors, (std::vector<int>{0, EINVAL, EINVAL, EINVAL, EINVAL, EINVAL, EINVAL, 0, 0, 0}));
  EXPECT_EQ(readFile(file), "[A]\nk=4\n[B]\nj=3\n[C]\nn=2\n");
  EXPECT_EQ(readFile(folder.path() / "before"), "[A]\nk=0\ngone=1\n[B]\nj=0\n[Old]\nx=1\n");
  EXPECT_FALSE(fs::exists(file + std::string(kTempSuffix)));
}

TEST_F(Profile, AHugeFileAPipeOrADeviceIsNeitherReadNorWrittenAndNothingBlocks) {
  const std::string small = "[S]\nk=v\n", lock = file + std::string(kLockSuffix);
  const struct {
    std::uint64_t size;  // the file's, sparse: no disk space taken
    std::string oddAt;   // where a pipe or a link to a device replaces the file or the lock
    bool pipe;
    bool readable;  // "v" reads
    int error;      // of a write, 0 for none
  } cases[] = {
      {kDurableMaxBytes, "", false, true, 0},
      {kDurableMaxBytes + 1, "", false, false, EFBIG},
      {std::uint64_t{1} << 40, "", false, false, EFBIG},
      {small.size(), file, true, false, EINVAL},
      {small.size(), file, false, false, EINVAL},
      {small.size(), lock, true, true, ENOLCK},
      {small.size(), lock, false, true, ELOOP},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.oddAt.empty() ? std::to_string(row.size) : row.oddAt);
    fs::remove(lock);
    fs::remove(file);
    writeFile(file, small);
    fs::resize_file(file, row.size);
    if (!row.oddAt.empty()) {
      fs::remove(row.oddAt);
      if (row.pipe) {
        ASSERT_EQ(::mkfifo(row.oddAt.c_str(), 0666), 0);
      } else {
        fs::create_symlink("/dev/zero", row.oddAt);
      }
    }
    EXPECT_EQ(inChild([&] { return value("S", "k"); }), row.readable ? "v" : "");
    EXPECT_EQ(inChild([&] { return write("S", "k", "w"); }),
              row.error ? std::strerror(row.error) : "");
    EXPECT_EQ(row.oddAt == file ? row.size : fs::file_size(file), row.size);
    EXPECT_EQ(row.oddAt == lock ? readFile(file) : small, small);
  }
  EXPECT_FALSE(fs::exists("/dev/zero.lock"));
}

TEST_F(Profile, ALinkedFileStaysALinkKeepsItsBitsAndALeftoverIsRemovedNotFollowed) {
  const fs::path target = folder.path() / "store.ini";
  writeFile(target, "[A]\nk=0\n");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  fs::create_symlink("store.ini", file);
  // A killed writer's temporary file, planted as a link to a file of another's.
  const fs::path leftover = target.string() + std::string(kTempSuffix);
  writeFile(folder.path() / "victim", "keep me");
  fs::create_symlink("victim", leftover);
  EXPECT_EQ(write("A", "k", "1"), "");
  EXPECT_EQ(fs::read_symlink(file), "store.ini");
  EXPECT_EQ(readFile(target), "[A]\nk=1\n");
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
  EXPECT_EQ(readFile(folder.path() / "victim"), "keep me");
  EXPECT_FALSE(fs::exists(fs::symlink_status(leftover)));
}

TEST_F(Profile, TwoWritersAtOnceLoseNoKey) {
  const std::string shipped = readFile(KESTRO_SHIPPED_INI);
  writeFile(file, shipped);
  // Both add keys to two sections, so a write from a stale copy loses one; each round both
  // start at once (back to back, one could starve the other on a loaded machine).
  const auto section = [](int index) { return index % 2 ? "UserSettingsAud" : "UserSettingsVid"; };
  const auto key = [](char writer, int index) { return writer + std::to_string(index); };
  std::barrier together(2);
  std::vector<std::thread> writers;
  for (const char writer : {'a', 'b'}) {
    writers.emplace_back([&, writer] {
      for (int i = 0; i < 150; ++i) {
        together.arrive_and_wait();
        EXPECT_EQ(write(section(i), key(writer, i), key(writer, i)), "");
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  for (const char writer : {'a', 'b'}) {
    for (int i = 0; i < 150; ++i) EXPECT_EQ(value(section(i), key(writer, i)), key(writer, i));
  }
  EXPECT_TRUE(readFile(file).starts_with(shipped));
}

// A writer that may write the file but make no file beside it rewrites it in place.
class InPlace : public Profile {
 protected:
  void SetUp() override {
    const std::string none;
    test::make(file, 0644, writer, &none);
    ASSERT_EQ(::chmod(folder.path().c_str(), writer != 0 ? 0755 : 0555), 0);
  }
  const uid_t writer = test::kBoundUser;
};

// Every write moves megabytes, so kills land inside writes; a file-size limit fails a write part
// way, as a full disk does.
TEST_F(InPlace, AWriterKilledOrOutOfSpaceLeavesTheOldFileOrTheNewAndNoFileBesideIt) {
  const std::string tail = "[B]\n" + std::string(8 << 20, ';') + "\n";
  const std::string longValue(5000, '2');
  const std::string shortText = "[A]\nk=1\n" + tail, longText = "[A]\nk=" + longValue + "\n" + tail;
  writeFile(file, shortText);
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
