// The settings file's profile access on real files: the reading rules of the system call the
// loaders were written against, writes compared byte for byte, and writers that are killed,
// race each other, or meet links, leftovers and permission bits. Writers are real processes.
#include "platform/profile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/text.h"
#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class Profile : public ::testing::Test {
 protected:
  // Reads one value the way the program does: into a buffer of 255 characters.
  std::string value(const std::string& section, const std::string& key) const {
    char buffer[255] = {};
    return {buffer,
            GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, 255, file.c_str())};
  }
  bool write(const std::string& section, const std::string& key, const std::string& text) const {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(), file.c_str());
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
    // Blanks around names and values go, also around requested names; case does not count.
    {"  [ \tS  ]\n \t k \t=  v w \t\n", "v w"},
    {"[S]\nk=v\n", "v", " S ", "\tk "},
    {"[uSeR]\nKeY=v\n", "v", "User", "key"},
    // The first section and key of a name win; a key is split at its first "=".
    {"[S]\nk=1\nK=2\n", "1"},
    {"[S]\nj=1\n[S]\nk=2\n", "d"},
    {"[S]\nk = a=b ; note\n", "a=b ; note"},
    // "key=" is the empty text, not the default; a line without "=" is a key without a value,
    // which reads as missing and hides a later line of its key.
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
    // A missing file, section or key gives the default without its trailing blanks, cut too.
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

// A load reads many keys at once: each must read as it reads alone, in any order and letter
// case, asked twice or not there, whole however long.
TEST_F(Profile, ABatchReadGivesEachKeyWhatItsOwnReadGives) {
  constexpr const char* kMissing = "\x01";
  for (const ReadCase& row : kReadCases) {
    SCOPED_TRACE(row.text.value_or("no file"));
    fs::remove(file);
    if (row.text) writeFile(file, *row.text);
    const ProfileKey keys[] = {{row.section, row.key}, {"t", "K"},     {"S", "j"},
                               {row.section, row.key}, {" s", "key "}, {"T", "k"}};
    const std::vector<std::optional<std::string>> values =
        GetPrivateProfileStrings(file.c_str(), keys);
    ASSERT_EQ(values.size(), std::size(keys));
    for (std::size_t index = 0; index < values.size(); ++index) {
      const std::string section(keys[index].section);
      const std::string key(keys[index].key);
      std::string alone(1024, '\0');
      alone.resize(GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing, alone.data(),
                                            alone.size(), file.c_str()));
      EXPECT_EQ(values[index].value_or(kMissing), alone) << section << " " << key;
    }
  }
}

// A settings file after some saves and editing by hand: comments, blank lines, a key the
// program does not know, names in letter case of their own, blanks around "=", a quoted
// value, default sections, CRLF line ends and no line end after the last line.
constexpr std::string_view kUserFile =
    "; Kestro settings\r\n\r\n[UserSettingsVid]\r\ntweak= 0\r\nVesa = 2\r\ndepth=8\r\n"
    "gamma=\" 1.2\"\r\n; carried through from the defaults\r\nresx= 640\r\nmyfilter=on\r\n\r\n"
    "[UserSettingsAud]\r\nsndrate= 22050\r\nvolume=-3\r\n\r\n[usersettingsmisc]\r\n\r\n"
    "[DefaultVid]\r\ntweak= 0\r\nvesa= 1\r\ndepth= 16\r\n\r\n"
    "[DefaultAud]\r\nsndrate= 44100\r\nvolume= 0\r\n\r\n[DefaultMisc]\r\njoy=-1\r\nnomouse= 0";

TEST_F(Profile, AWriteChangesOnlyItsValueOrAddsOneLine) {
  // Each write leaves kUserFile with one change: its first `before` becomes `after`.
  const struct {
    const char* section;
    const char* key;
    const char* value;
    std::string_view before;
    std::string_view after;
  } edits[] = {
      {"userSETTINGSvid", "VESA", " 3", "Vesa = 2\r\n", "Vesa = 3\r\n"},  // blanks as given
      {"UserSettingsVid", "gamma", " .8", "gamma=\" 1.2\"\r\n", "gamma= .8\r\n"},
      {"USERSETTINGSAUD", "SNDRATE", " 11025", "sndrate= 22050\r\n", "sndrate= 11025\r\n"},
      // A missing key goes after the last non-blank line of its section.
      {"UserSettingsVid", "scanlines", " 1", "myfilter=on\r\n", "myfilter=on\r\nscanlines= 1\r\n"},
      {"UserSettingsMisc", "joy", "-1", "settingsmisc]\r\n", "settingsmisc]\r\njoy=-1\r\n"},
      // A missing section goes at the end, after a line end for the last line.
      {"EXE", "exe", "mame.exe", "nomouse= 0", "nomouse= 0\r\n[EXE]\r\nexe=mame.exe\r\n"},
  };
  for (const auto& edit : edits) {
    writeFile(file, std::string(kUserFile));
    std::string expected(kUserFile);
    expected.replace(expected.find(edit.before), edit.before.size(), edit.after);
    EXPECT_TRUE(write(edit.section, edit.key, edit.value));
    EXPECT_EQ(readFile(file), expected);
  }
  // The value a key holds already: the file is not even rewritten.
  writeFile(file, std::string(kUserFile));
  const fs::file_time_type longAgo = fs::last_write_time(file) - std::chrono::hours(24);
  fs::last_write_time(file, longAgo);
  EXPECT_TRUE(write("usersettingsvid", "DEPTH", "8"));
  EXPECT_EQ(readFile(file), kUserFile);
  EXPECT_EQ(fs::last_write_time(file), longAgo);
}

struct EditCase {
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;  // the same as before: the file is not even rewritten
};

const EditCase kEditCases[] = {
    // A value that reads back as the key reads already keeps its line: quotes, blanks.
    {"[V]\nvgafreq=\"3\"\n", "V", "vgafreq", " 3", "[V]\nvgafreq=\"3\"\n"},
    {"[V]\nk = 'a b' \n", "v", "K", "a b", "[V]\nk = 'a b' \n"},
    {"[V]\nk=\" 3\"\n", "V", "k", " 3", "[V]\nk= 3\n"},
    // A key line without "=" is the key: it takes the value and reads it from then on.
    {"[S]\nk\nk=v\n", "S", "k", "1", "[S]\nk=1\nk=v\n"},
    {"[S]\n K \n", "S", "k", "", "[S]\n K =\n"},
    // An added line ends like the line it follows, so no blank line after it merges into it.
    {"[A]\rx=1\n\n[B]\n", "A", "k", "v", "[A]\rx=1\nk=v\n\n[B]\n"},
    {"[A]\r\nx=1\n\n[B]\r\n", "B", "k", "v", "[A]\r\nx=1\n\n[B]\r\nk=v\r\n"},
    {"[A]\rx=1", "A", "k", "v", "[A]\rx=1\rk=v\r"},
    // A new section ends its lines like the file's last line.
    {"[A]\r\nx=1\n", "B", "k", "v", "[A]\r\nx=1\n[B]\nk=v\n"},
};

TEST_F(Profile, AWriteKeepsWhatReadsTheSameAndEndsNewLinesLikeItsSection) {
  for (const EditCase& edit : kEditCases) {
    SCOPED_TRACE(edit.before);
    writeFile(file, edit.before);
    const fs::file_time_type longAgo = fs::last_write_time(file) - std::chrono::hours(24);
    fs::last_write_time(file, longAgo);
    EXPECT_TRUE(write(edit.section, edit.key, edit.value));
    EXPECT_EQ(readFile(file), edit.after);
    EXPECT_EQ(fs::last_write_time(file) == longAgo, edit.before == edit.after);
    EXPECT_EQ(value(edit.section, edit.key), core::trimBlanks(edit.value));
  }
}

TEST_F(Profile, ABatchIsOneReplacementAndARefusedEntryStopsNoOther) {
  writeFile(file, "[A]\nk=0\n[B]\nj=0\n");
  fs::create_hard_link(file, folder.path() / "before");  // a replaced file leaves this one
  const ProfileEntry entries[] = {
      {"A", "k", "1"}, {"A", "bad", "1\n[C]"}, {"C", "n", "2"},
      {"b", "J", "3"}, {"A", "K", "4"},  // the later entry for a key wins
  };
  EXPECT_EQ(WritePrivateProfileStrings(file.c_str(), entries),
            (std::vector<int>{0, EINVAL, 0, 0, 0}));
  EXPECT_EQ(readFile(file), "[A]\nk=4\n[B]\nj=3\n[C]\nn=2\n");
  EXPECT_EQ(readFile(folder.path() / "before"), "[A]\nk=0\n[B]\nj=0\n");
  EXPECT_FALSE(fs::exists(file + std::string(kProfileTempSuffix)));
}

// Runs `body` in a child process that must end within ten seconds, so a call that blocks
// fails the test instead of hanging it; the child's exit code is the result.
int inChild(const std::function<int()>& body, uid_t user = 0) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(10);
    if (user != 0 && (::setgid(user) != 0 || ::setuid(user) != 0)) _exit(125);
    _exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(Profile, AFileOverTheSizeLimitIsNeitherReadNorOverwritten) {
  const std::string small = "[S]\nk=v\n";
  const struct {
    std::uint64_t size;  // zeros after `small`, up to this size
    bool usable;
  } cases[] = {
      {kProfileMaxBytes, true}, {kProfileMaxBytes + 1, false}, {std::uint64_t{1} << 40, false}};
  for (const auto& sized : cases) {
    SCOPED_TRACE(sized.size);
    writeFile(file, small);
    fs::resize_file(file, sized.size);  // sparse: no disk space taken
    EXPECT_EQ(value("S", "k"), sized.usable ? "v" : "");
    errno = 0;
    EXPECT_EQ(write("S", "k", "w"), sized.usable);
    if (!sized.usable) {
      EXPECT_EQ(errno, EFBIG);
    }
    EXPECT_EQ(fs::file_size(file), sized.size);
  }
}

TEST_F(Profile, APipeSocketOrDeviceAsTheFileOrItsLockNeverBlocks) {
  const std::string lock = file + std::string(kProfileLockSuffix);
  const std::function<void(const std::string&)> objects[] = {
      [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0); },
      [](const std::string& path) {
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(listener);
      },
      [](const std::string& path) { fs::create_symlink("/dev/zero", path); },
  };
  for (const bool asLock : {false, true}) {
    for (const auto& make : objects) {
      fs::remove(file);
      fs::remove(lock);
      if (asLock) writeFile(file, "[S]\nk=v\n");
      make(asLock ? lock : file);
      SCOPED_TRACE(fs::status(asLock ? lock : file).type() == fs::file_type::fifo ? "fifo"
                                                                                  : "other");
      EXPECT_EQ(inChild([&] { return value("S", "k") == (asLock ? "v" : "") ? 0 : 1; }), 0);
      EXPECT_EQ(inChild([&] { return write("S", "k", "w") ? 1 : 0; }), 0) << "a write went through";
      if (asLock) {
        EXPECT_EQ(readFile(file), "[S]\nk=v\n");
      }
    }
  }
  EXPECT_FALSE(fs::exists("/dev/zero.lock"));
}

// Writers that may not make files in the settings file's folder but may write the file
// rewrite it in place. As root, a user without rights writes; otherwise the folder is made
// read-only for ourselves.
class InPlace : public Profile {
 protected:
  void SetUp() override {
    writeFile(file, "");
    if (::geteuid() == 0) {
      writer = 65534;  // nobody; the folder stays root's
      ASSERT_EQ(::chown(file.c_str(), writer, writer), 0);
    }
    ASSERT_EQ(::chmod(folder.path().c_str(), writer != 0 ? 0755 : 0555), 0);
  }
  void TearDown() override { ::chmod(folder.path().c_str(), 0700); }

  // Writes as the writer; the file's text must come out as `expected`.
  void writeInPlace(const std::string& section, const std::string& key, const std::string& text,
                    const std::string& expected) {
    EXPECT_EQ(inChild([&] { return write(section, key, text) ? 0 : errno; }, writer), 0);
    EXPECT_EQ(readFile(file), expected);
  }
  bool becomeWriter() const {
    return writer == 0 || (::setgid(writer) == 0 && ::setuid(writer) == 0);
  }

  uid_t writer = 0;  // 0: ourselves
};

TEST_F(InPlace, TheFileChangesAsAReplacedOneWouldAndNoFileIsMadeBesideIt) {
  writeFile(file, "[A]\nk=1\n[B]\nj=2\n");
  writeInPlace("A", "k", "100", "[A]\nk=100\n[B]\nj=2\n");
  writeInPlace("A", "k", "", "[A]\nk=\n[B]\nj=2\n");
  writeInPlace("B", "j", "3", "[A]\nk=\n[B]\nj=3\n");
  writeInPlace("A", "n", "4", "[A]\nk=\nn=4\n[B]\nj=3\n");
  writeInPlace("C", "m", "5", "[A]\nk=\nn=4\n[B]\nj=3\n[C]\nm=5\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);
}

TEST_F(InPlace, AWriteThatRunsOutOfSpaceLeavesTheFileAsItWas) {
  const std::string old = "[A]\nk=1\n[B]\n" + std::string(10000, ';') + "\n";
  writeFile(file, old);
  // A file-size limit fails a write part way, as a full disk does.
  const int error = inChild(
      [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{old.size() + 100, old.size() + 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return write("A", "k", std::string(1000, '2')) ? 0 : errno;
      },
      writer);
  EXPECT_EQ(error, EFBIG);
  EXPECT_TRUE(readFile(file) == old) << "the file changed";
}

TEST_F(InPlace, AWriterKilledMidWriteLeavesTheOldFileOrTheNew) {
  // Every write moves megabytes, so kills land inside writes.
  const std::string tail = "[B]\n" + std::string(8 << 20, ';') + "\n";
  const std::string shortText = "[A]\nk=1\n" + tail;
  const std::string longText = "[A]\nk=" + std::string(5000, '2') + "\n" + tail;
  std::mt19937 random(8);
  for (int kill = 0; kill < 12; ++kill) {
    writeFile(file, shortText);
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      if (!becomeWriter()) _exit(125);
      for (int round = 0;; ++round) {
        if (!write("A", "k", round % 2 ? "1" : std::string(5000, '2'))) _exit(1);
        if (round == 0 && ::write(started[1], "!", 1) != 1) _exit(2);
      }
    }
    ::close(started[1]);
    char signal = 0;
    ASSERT_EQ(::read(started[0], &signal, 1), 1) << "the writer failed before its first write";
    ::close(started[0]);
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 30000)(random));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "a write failed";
    // Writers lock the file itself here; taking the lock waits for a rewrite under way.
    const int handle = ::open(file.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(handle, LOCK_EX), 0);
    const std::string text = readFile(file);
    ::close(handle);
    ASSERT_TRUE(text == shortText || text == longText)
        << "torn at byte " << std::ranges::mismatch(text, shortText).in1 - text.begin();
  }
}

// A save's 34 keys in its four sections, in its order.
constexpr int kSavedKeys = 34;
std::string sectionOf(int key) {
  return std::array{"UserSettingsVid", "UserSettingsAud", "UserSettingsMisc",
                    "EXE"}[key * 4 / kSavedKeys];
}
std::string nameOf(int key) { return "key" + std::to_string(key); }

// A round's value reads as the round's number and changes length from round to round, so
// that every write moves the rest of the file.
std::string valueOfRound(int round) {
  return " " + std::to_string(round) + "." + std::string((round % 4) * 30u, '0');
}

// The user sections as a save writes them into a file without them, key i at rounds[i].
std::string userSections(const std::vector<int>& rounds) {
  std::string text;
  std::string section;
  for (int key = 0; key < kSavedKeys; ++key) {
    if (section != sectionOf(key)) text += "[" + (section = sectionOf(key)) + "]\n";
    text += nameOf(key) + "=" + valueOfRound(rounds[key]) + "\n";
  }
  return text;
}

TEST_F(Profile, AWriterKilledMidSaveLeavesEveryKeyOldOrNewAndTheDefaultsAsTheyWere) {
  // The defaults come after the user sections, so every write moves them; a long comment
  // makes each write take a while, so that kills land inside writes as well as between them.
  std::string defaults = readFile(KESTRO_SHIPPED_INI);
  for (int line = 0; line < 25000; ++line) defaults += "; padding line of the packager's notes\n";
  for (int kill = 0; kill < 30; ++kill) {
    writeFile(file, userSections(std::vector<int>(kSavedKeys, 0)) + defaults);
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    const pid_t child = ::fork();
    if (child == 0) {  // saves rounds 1, 2, ... until killed, telling of each write of round 1
      for (int round = 1;; ++round) {
        for (int key = 0; key < kSavedKeys; ++key) {
          if (!write(sectionOf(key), nameOf(key), valueOfRound(round))) _exit(1);
          if (round == 1 && ::write(started[1], "!", 1) != 1) _exit(2);
        }
      }
    }
    ::close(started[1]);
    char signal = 0;
    ASSERT_EQ(::read(started[0], &signal, 1), 1) << "the writer failed before its first write";
    ::usleep(static_cast<useconds_t>(kill * 677));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(started[0]);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "a write failed";

    // The keys written in the last round hold it, the rest the round before; anything else
    // (a torn file, a lost key) fails the byte comparison.
    std::vector<int> rounds;
    for (int key = 0; key < kSavedKeys; ++key) {
      rounds.push_back(std::stoi(value(sectionOf(key), nameOf(key))));
    }
    EXPECT_GE(rounds[0], 1);
    for (int key = 1; key < kSavedKeys; ++key) {
      EXPECT_TRUE(rounds[key] == rounds[key - 1] || rounds[key] == rounds[0] - 1) << key;
    }
    const std::string text = readFile(file), expected = userSections(rounds) + defaults;
    ASSERT_TRUE(text == expected) << "differs from byte "
                                  << std::ranges::mismatch(text, expected).in1 - text.begin();
  }
}

TEST_F(Profile, TwoWritersAtOnceLoseNoKey) {
  const std::string shipped = readFile(KESTRO_SHIPPED_INI);
  writeFile(file, shipped);
  // Both start on one signal and add keys of their own to two sections both write, so a write
  // that starts from a stale copy loses a key.
  const auto section = [](int index) { return index % 2 ? "UserSettingsAud" : "UserSettingsVid"; };
  const auto key = [](char writer, int index) { return writer + std::to_string(index); };
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  std::vector<pid_t> writers;
  for (const char writer : {'a', 'b'}) {
    writers.push_back(::fork());
    if (writers.back() == 0) {
      ::close(go[1]);
      if (char unused; ::read(go[0], &unused, 1) != 0) _exit(3);
      for (int i = 0; i < 150; ++i) {
        if (!write(section(i), key(writer, i), key(writer, i))) _exit(1);
      }
      _exit(0);
    }
  }
  ::close(go[0]);
  ::close(go[1]);  // the pipe's end starts both
  for (const pid_t child : writers) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write failed";
  }
  for (const char writer : {'a', 'b'}) {
    for (int i = 0; i < 150; ++i) EXPECT_EQ(value(section(i), key(writer, i)), key(writer, i));
  }
  EXPECT_TRUE(readFile(file).starts_with(shipped));
}

TEST_F(Profile, AWriteThatWouldNotReadBackIsRefused) {
  writeFile(file, "[A]\nk=0\n");
  const auto refused = [&](const char* section, const char* key, const char* text) {
    errno = 0;
    return WritePrivateProfileStringA(section, key, text, file.c_str()) == 0 && errno == EINVAL;
  };
  EXPECT_TRUE(refused("A", "k", "1\r\n[Evil]\r\nk=2"));
  EXPECT_TRUE(refused("A", "k", "1\r2"));
  EXPECT_TRUE(refused("A\nB", "k", "1"));
  for (const char* key : {"a=b", "[B]", " \t"}) EXPECT_TRUE(refused("A", key, "1")) << key;
  EXPECT_EQ(readFile(file), "[A]\nk=0\n");
}

TEST_F(Profile, AWriteIntoARegularFileAsFolderFailsWithENOTDIR) {
  writeFile(file, "not a folder");
  errno = 0;
  EXPECT_EQ(WritePrivateProfileStringA("A", "k", "1", (file + "/kestro.ini").c_str()), 0);
  EXPECT_EQ(errno, ENOTDIR);
}

TEST_F(Profile, AFileReachedThroughALinkStaysALinkAndKeepsItsPermissionBits) {
  const fs::path target = folder.path() / "store.ini";
  writeFile(target, "[A]\nk=0\n");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  fs::create_symlink("store.ini", file);
  EXPECT_TRUE(write("A", "k", "1"));
  EXPECT_EQ(fs::read_symlink(file), "store.ini");
  EXPECT_EQ(readFile(target), "[A]\nk=1\n");
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
}

TEST_F(Profile, AKilledWritersTemporaryFileIsRemovedNotFollowed) {
  const std::string temp = file + std::string(kProfileTempSuffix);
  writeFile(file, "[A]\nk=0\n");
  writeFile(folder.path() / "victim", "keep me");
  fs::create_symlink("victim", temp);
  EXPECT_TRUE(write("A", "k", "1"));
  EXPECT_EQ(readFile(file), "[A]\nk=1\n");
  EXPECT_EQ(readFile(folder.path() / "victim"), "keep me");
  EXPECT_FALSE(fs::exists(fs::symlink_status(temp)));
}

}  // namespace
}  // namespace kestro::platform
