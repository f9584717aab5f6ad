// Writing one value: every kind of write compared byte for byte with the file it must leave,
// on a settings file as users keep it and on small files with other line ends and layouts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cerrno>
#include <string>

#include "platform/profile.h"
#include "platform/profilefixtures.h"
#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

using test::readFile;
using test::readValue;
using test::TempFolder;
using test::writeFile;

// A settings file after some saves and some editing by hand: comments, blank lines, a key
// the program does not know, names in letter case of their own, blanks around "=", a quoted
// value, the default sections, CRLF line ends and no line end after the last line.
constexpr std::string_view kUserFile =
    "; Kestro settings\r\n"
    "\r\n"
    "[UserSettingsVid]\r\n"
    "tweak= 0\r\n"
    "Vesa = 2\r\n"
    "depth=8\r\n"
    "gamma=\" 1.2\"\r\n"
    "; carried through from the defaults\r\n"
    "resx= 640\r\n"
    "myfilter=on\r\n"
    "\r\n"
    "[UserSettingsAud]\r\n"
    "sndrate= 22050\r\n"
    "volume=-3\r\n"
    "\r\n"
    "[usersettingsmisc]\r\n"
    "\r\n"
    "[DefaultVid]\r\n"
    "tweak= 0\r\n"
    "vesa= 1\r\n"
    "depth= 16\r\n"
    "gamma= 1\r\n"
    "\r\n"
    "[DefaultAud]\r\n"
    "sndrate= 44100\r\n"
    "volume= 0\r\n"
    "stereo= 1\r\n"
    "\r\n"
    "[DefaultMisc]\r\n"
    "joy=-1\r\n"
    "nomouse= 0";

// Each write must leave kUserFile with exactly one change: its first `before` becomes `after`.
struct EditCase {
  const char* what;
  const char* section;
  const char* key;
  const char* value;
  std::string_view before;
  std::string_view after;
};

constexpr EditCase kEditCases[] = {
    {"a value is replaced where it stands, stored as given with its leading blank",
     "UserSettingsVid", "depth", " 16", "depth=8\r\n", "depth= 16\r\n"},
    {"names match without case; the key's spelling and the blanks before = stay", "userSETTINGSvid",
     "VESA", " 3", "Vesa = 2\r\n", "Vesa = 3\r\n"},
    {"a quoted value is replaced with its quotes", "UserSettingsVid", "gamma", " .8",
     "gamma=\" 1.2\"\r\n", "gamma= .8\r\n"},
    {"the empty value leaves key=", "UserSettingsVid", "tweak", "", "tweak= 0\r\n", "tweak=\r\n"},
    {"the user section's key changes, not the default section's", "USERSETTINGSAUD", "SNDRATE",
     " 11025", "sndrate= 22050\r\n", "sndrate= 11025\r\n"},
    {"a missing key goes after the section's last non-blank line, an unknown key",
     "UserSettingsVid", "scanlines", " 1", "myfilter=on\r\n", "myfilter=on\r\nscanlines= 1\r\n"},
    {"a missing key goes after the last key, before the blank line", "UserSettingsAud", "stereo",
     " 1", "volume=-3\r\n", "volume=-3\r\nstereo= 1\r\n"},
    {"a section with no keys gets its key right after its header", "UserSettingsMisc", "joy", "-1",
     "[usersettingsmisc]\r\n", "[usersettingsmisc]\r\njoy=-1\r\n"},
    {"a missing section goes at the end; the last line gets its line end first", "EXE", "exe",
     "mame.exe", "nomouse= 0", "nomouse= 0\r\n[EXE]\r\nexe=mame.exe\r\n"},
    {"names given with blanks are written without them", " EXE\t", " exe ", "mame.exe",
     "nomouse= 0", "nomouse= 0\r\n[EXE]\r\nexe=mame.exe\r\n"},
};

TEST(ProfileWrite, ChangesOnlyTheOneValueOrAddsOneLine) {
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "kestro.ini";
  for (const EditCase& row : kEditCases) {
    SCOPED_TRACE(row.what);
    writeFile(file, std::string(kUserFile));
    std::string expected(kUserFile);
    const std::size_t at = expected.find(row.before);
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, row.before.size(), row.after);

    EXPECT_NE(WritePrivateProfileStringA(row.section, row.key, row.value, file.c_str()), 0);
    EXPECT_EQ(readFile(file), expected);
  }
}

// Small files: other line ends, duplicates, files that end oddly.
struct LayoutCase {
  const char* what;
  std::string_view before;
  const char* section;
  const char* key;
  const char* value;
  std::string_view after;
};

constexpr LayoutCase kLayoutCases[] = {
    {"an empty file gets the section and the key, LF", "", "S", "k", "v", "[S]\nk=v\n"},
    {"the last section's last line gets its line end before the new key", "[A]\nx=1", "A", "y", "2",
     "[A]\nx=1\ny=2\n"},
    {"a header ending the file without a line end", "[A]", "A", "k", "v", "[A]\nk=v\n"},
    {"CR line ends: the added key uses CR", "[A]\rx=1\r\r[B]\rz=3\r", "A", "y", "2",
     "[A]\rx=1\ry=2\r\r[B]\rz=3\r"},
    {"CR line ends: the added section uses CR", "[A]\rx=1", "B", "k", "v", "[A]\rx=1\r[B]\rk=v\r"},
    {"the file's first line end is the one added lines use", "[A]\r\nx=1\n", "A", "y", "2",
     "[A]\r\nx=1\ny=2\r\n"},
    {"the first section of a name takes the key; its later twin stays", "[A]\nx=1\n[B]\n[a]\nk=2\n",
     "A", "k", "3", "[A]\nx=1\nk=3\n[B]\n[a]\nk=2\n"},
    {"the first key of a name changes; its later twin stays", "[A]\nk=1\nK=2\n", "A", "k", "3",
     "[A]\nk=3\nK=2\n"},
    {"a key before any section is not the section's", "k=1\n[A]\n", "A", "k", "2",
     "k=1\n[A]\nk=2\n"},
    {"the whole rest of the line is the value", "[A]\nk = 1 ; note\n", "A", "k", "2",
     "[A]\nk =2\n"},
    {"a line of blanks is blank", "[A]\nx=1\n  \t\n[B]\n", "A", "y", "2",
     "[A]\nx=1\ny=2\n  \t\n[B]\n"},
    {"a comment is a non-blank line of its section", "[A]\nx=1\n; about B\n[B]\n", "A", "y", "2",
     "[A]\nx=1\n; about B\ny=2\n[B]\n"},
    {"a value stored with blanks and quotes as given", "[A]\nx=1\n", "A", "x", " 'q' ",
     "[A]\nx= 'q' \n"},
    {"the UTF-8 signature stays", "\xEF\xBB\xBF[A]\nx=1\n", "A", "x", "2",
     "\xEF\xBB\xBF[A]\nx=2\n"},
};

TEST(ProfileWrite, KeepsEachLayoutAndLineEnd) {
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "kestro.ini";
  for (const LayoutCase& row : kLayoutCases) {
    SCOPED_TRACE(row.what);
    writeFile(file, std::string(row.before));
    EXPECT_NE(WritePrivateProfileStringA(row.section, row.key, row.value, file.c_str()), 0);
    EXPECT_EQ(readFile(file), row.after);
  }
}

TEST(ProfileWrite, NewFileHoldsTheSavedKeysInTheOrderWritten) {
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "kestro.ini";
  std::string expected;
  std::string_view section;
  int number = 0;
  for (const test::SavedKey& saved : test::kSavedKeys) {
    const std::string value = " " + std::to_string(++number);
    ASSERT_NE(WritePrivateProfileStringA(saved.section, saved.key, value.c_str(), file.c_str()), 0);
    if (section != saved.section) {
      section = saved.section;
      expected += "[" + std::string(section) + "]\n";
    }
    expected += std::string(saved.key) + "=" + value + "\n";
  }
  EXPECT_EQ(readFile(file), expected);
  // Section order as the save writes them: each section opened once, where it first appears.
  EXPECT_LT(expected.find("[UserSettingsVid]"), expected.find("[UserSettingsAud]"));
  EXPECT_LT(expected.find("[UserSettingsAud]"), expected.find("[UserSettingsMisc]"));
  EXPECT_LT(expected.find("[UserSettingsMisc]"), expected.find("[EXE]"));

  number = 0;
  for (const test::SavedKey& saved : test::kSavedKeys) {
    EXPECT_EQ(readValue(file, saved.section, saved.key), std::to_string(++number)) << saved.key;
  }
}

struct stat statusOf(const std::filesystem::path& file) {
  struct stat status {};
  EXPECT_EQ(::stat(file.c_str(), &status), 0);
  return status;
}

TEST(ProfileWrite, TheValueAKeyHoldsLeavesTheFileUntouched) {
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "kestro.ini";
  const std::string text = "[A]\r\nk= 16\r\nj=16\r\n";
  writeFile(file, text);
  // An old time stamp: a rewrite, even of the same bytes, would change it.
  const timeval longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimes(file.c_str(), longAgo), 0);
  const struct stat before = statusOf(file);

  EXPECT_NE(WritePrivateProfileStringA("A", "k", " 16", file.c_str()), 0);
  EXPECT_NE(WritePrivateProfileStringA("a", "J", "16", file.c_str()), 0);
  const struct stat after = statusOf(file);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(readFile(file), text);

  // The same number without its blank is another text: stored as given.
  EXPECT_NE(WritePrivateProfileStringA("A", "j", " 16", file.c_str()), 0);
  EXPECT_EQ(readFile(file), "[A]\r\nk= 16\r\nj= 16\r\n");
}

TEST(ProfileWrite, RefusesWhatWouldNotReadBack) {
  struct Refused {
    const char* what;
    const char* section;
    const char* key;
    const char* value;
  };
  const Refused refused[] = {
      {"a line break in the value would start a section", "A", "k", "1\r\n[Evil]\r\nk=2"},
      {"a CR alone in the value is a line end too", "A", "k", "1\r2"},
      {"a line break in the key", "A", "k\nj", "1"},
      {"a line break in the section", "A\nB", "k", "1"},
      {"a key holding = would be cut at it", "A", "a=b", "1"},
      {"a key starting with [ could read as a section", "A", "[B]", "1"},
      {"an empty key", "A", " \t", "1"},
      {"no section", nullptr, "k", "1"},
      {"no key (deleting a section is not provided)", "A", nullptr, "1"},
      {"no value (deleting a key is not provided)", "A", "k", nullptr},
  };
  TempFolder folder;
  const std::filesystem::path file = folder.path() / "kestro.ini";
  const std::filesystem::path missing = folder.path() / "missing.ini";
  const std::string text = "[A]\nk=0\n";
  writeFile(file, text);
  for (const Refused& row : refused) {
    SCOPED_TRACE(row.what);
    errno = 0;
    EXPECT_EQ(WritePrivateProfileStringA(row.section, row.key, row.value, file.c_str()), 0);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(readFile(file), text);
    EXPECT_EQ(WritePrivateProfileStringA(row.section, row.key, row.value, missing.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(missing));
  }
  errno = 0;
  EXPECT_EQ(WritePrivateProfileStringA("A", "k", "1", nullptr), 0);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(WritePrivateProfileStringA("A", "k", "1", ""), 0);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(WritePrivateProfileStringA("A", "k", "1", folder.path().c_str()), 0);
  EXPECT_EQ(errno, EISDIR);
}

}  // namespace
}  // namespace kestro::platform
