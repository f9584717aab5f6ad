// Writing safely: a writer killed mid-save, two writers at once, failing system calls, links,
// leftovers, permissions and folders the writer may not change. Children are real processes.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/profilefixtures.h"
#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

using test::kSavedKeys;
using test::readFile;
using test::readValue;
using test::TempFolder;
using test::writeFile;

const std::string kTempSuffix(kProfileTempSuffix);
const std::string kLockSuffix(kProfileLockSuffix);

bool writeValue(const std::string& file, const char* section, const char* key,
                const std::string& value) {
  return WritePrivateProfileStringA(section, key, value.c_str(), file.c_str()) != 0;
}

// Runs `work` in a child process and returns its exit status; the child's exit code is what
// `work` returns.
int inChild(const std::function<int()>& work) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(work());
  int status = 0;
  EXPECT_EQ(::waitpid(child, &status, 0), child);
  return status;
}

// Compares long texts, naming the first place they differ instead of printing both whole.
::testing::AssertionResult sameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto [differs, unused] =
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  const std::size_t at = static_cast<std::size_t>(differs - actual.begin());
  return ::testing::AssertionFailure()
         << "sizes " << actual.size() << " and " << expected.size() << ", first difference at "
         << at << ": \"" << actual.substr(at, 40) << "\" instead of \"" << expected.substr(at, 40)
         << "\"";
}

// The value a key gets in a round: it reads as the round's number, and its length changes
// from round to round, so that every write moves the rest of the file.
std::string valueOfRound(int round) {
  return " " + std::to_string(round) + "." +
         std::string(static_cast<std::size_t>(round % 4) * 30, '0');
}

// The user sections as a save writes them into a file that has none, every key holding the
// value its round gave it.
std::string userSections(const std::vector<int>& rounds) {
  std::string text;
  std::string_view section;
  for (std::size_t index = 0; index < kSavedKeys.size(); ++index) {
    if (section != kSavedKeys[index].section) {
      section = kSavedKeys[index].section;
      text += "[" + std::string(section) + "]\n";
    }
    text += std::string(kSavedKeys[index].key) + "=" + valueOfRound(rounds[index]) + "\n";
  }
  return text;
}

TEST(ProfileSafety, AWriterKilledMidSaveLeavesEveryKeyOldOrNew) {
  TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
  // The user sections first, so that every write moves all the rest of the file and a torn
  // one shows; then the shipped defaults, padded with a long comment so that each write takes
  // a while and the kills land inside writes as well as between them.
  std::string defaults(test::kShippedDefaults);
  for (int line = 0; line < 25000; ++line) defaults += "; padding line of the packager's notes\n";
  const std::vector<int> roundZero(kSavedKeys.size(), 0);

  int killsLeavingATemporaryFile = 0;
  // Kills at thirty moments, spread over the first rounds at uneven steps.
  for (int kill = 0; kill < 30; ++kill) {
    const int pauseMicroseconds = kill * 677;
    SCOPED_TRACE(pauseMicroseconds);
    // Every key at round 0, then a child saving rounds 1, 2, ... until killed.
    writeFile(file, userSections(roundZero) + defaults);
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(started[0]);
      for (int round = 1;; ++round) {
        for (const test::SavedKey& saved : kSavedKeys) {
          if (!writeValue(file, saved.section, saved.key, valueOfRound(round))) _exit(1);
          if (started[1] >= 0) {
            if (::write(started[1], "!", 1) != 1) _exit(2);
            ::close(started[1]);
            started[1] = -1;
          }
        }
      }
    }
    ::close(started[1]);
    char signal = 0;
    ASSERT_EQ(::read(started[0], &signal, 1), 1) << "the writer failed before its first write";
    ::close(started[0]);
    ::usleep(static_cast<useconds_t>(pauseMicroseconds));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own: a write failed";
    if (std::filesystem::exists(file + kTempSuffix)) ++killsLeavingATemporaryFile;

    // The save goes key by key: the keys written in the last round hold it, the rest the
    // round before. Anything else (a torn file, a lost key) fails the byte comparison.
    std::vector<int> rounds;
    for (const test::SavedKey& saved : kSavedKeys) {
      const std::string value = readValue(file, saved.section, saved.key);
      ASSERT_FALSE(value.empty()) << saved.key;
      rounds.push_back(std::stoi(value));
    }
    const int last = rounds.front();
    EXPECT_GE(last, 1);
    for (std::size_t index = 1; index < rounds.size(); ++index) {
      EXPECT_TRUE(rounds[index] == rounds[index - 1] ||
                  (rounds[index] == last - 1 && rounds[index - 1] == last))
          << kSavedKeys[index].key << " holds round " << rounds[index];
    }
    ASSERT_TRUE(sameBytes(readFile(file), userSections(rounds) + defaults));

    // A leftover of the killed writer goes with the next write.
    ASSERT_TRUE(writeValue(file, "EXE", "exe", valueOfRound(0)));
    EXPECT_FALSE(std::filesystem::exists(file + kTempSuffix));
  }
  // Not a condition (timing decides it), but it shows whether kills hit writes at all.
  RecordProperty("KillsLeavingATemporaryFile", killsLeavingATemporaryFile);
}

TEST(ProfileSafety, TwoWritersAtOnceLoseNoKey) {
  constexpr int kKeysEach = 150;
  TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
  writeFile(file, std::string(test::kShippedDefaults));
  // Both start together on a signal, and each adds its own keys, alternating between two
  // sections both of them write, so a write that starts from a stale copy loses a key.
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  std::vector<pid_t> writers;
  for (const char writer : {'a', 'b'}) {
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(go[1]);
      char unused;
      if (::read(go[0], &unused, 1) != 0) _exit(3);
      for (int index = 0; index < kKeysEach; ++index) {
        const std::string key = writer + std::to_string(index);
        const char* section = index % 2 == 0 ? "UserSettingsVid" : "UserSettingsAud";
        if (!writeValue(file, section, key.c_str(), key)) _exit(1);
      }
      _exit(0);
    }
    writers.push_back(child);
  }
  ::close(go[0]);
  ::close(go[1]);  // the end of the pipe starts both
  for (const pid_t child : writers) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write failed";
  }
  for (const char writer : {'a', 'b'}) {
    for (int index = 0; index < kKeysEach; ++index) {
      const std::string key = writer + std::to_string(index);
      const char* section = index % 2 == 0 ? "UserSettingsVid" : "UserSettingsAud";
      EXPECT_EQ(readValue(file, section, key.c_str()), key);
    }
  }
  EXPECT_EQ(readFile(file).substr(0, test::kShippedDefaults.size()), test::kShippedDefaults);
}

TEST(ProfileSafety, AFailedCallFailsTheWriteWithItsErrno) {
  TempFolder folder;
  // A folder in the path that is a regular file.
  const std::filesystem::path notAFolder = folder.path() / "plain";
  writeFile(notAFolder, "not a folder");
  errno = 0;
  EXPECT_EQ(WritePrivateProfileStringA("A", "k", "1", (notAFolder / "kestro.ini").c_str()), 0);
  EXPECT_EQ(errno, ENOTDIR);
  // A folder that does not exist.
  errno = 0;
  EXPECT_EQ(WritePrivateProfileStringA("A", "k", "1", (folder.path() / "no/kestro.ini").c_str()),
            0);
  EXPECT_EQ(errno, ENOENT);
  // Links that go round in a circle.
  std::filesystem::create_symlink("b.ini", folder.path() / "a.ini");
  std::filesystem::create_symlink("a.ini", folder.path() / "b.ini");
  errno = 0;
  EXPECT_EQ(WritePrivateProfileStringA("A", "k", "1", (folder.path() / "a.ini").c_str()), 0);
  EXPECT_EQ(errno, ELOOP);
}

TEST(ProfileSafety, AFullDiskLeavesTheOldFile) {
  TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
  const std::string text = std::string(test::kShippedDefaults) + "[EXE]\nexe=mame.exe\n";
  writeFile(file, text);
  // A file size limit stands in for a full disk: the write of the new text stops short.
  const int status = inChild([&] {
    const rlimit limit{4096, 4096};
    ::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 100;
    errno = 0;
    if (WritePrivateProfileStringA("EXE", "exe", std::string(5000, 'x').c_str(), file.c_str()))
      return 101;
    return errno;
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), EFBIG);
  EXPECT_EQ(readFile(file), text);
  EXPECT_FALSE(std::filesystem::exists(file + kTempSuffix));
}

TEST(ProfileSafety, AWriterThatHoldsTheLockTooLongFailsTheWriteNotHangsIt) {
  TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
  writeFile(file, "[A]\nk=0\n");
  const int lockFile = ::open((file + kLockSuffix).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
  ASSERT_GE(lockFile, 0);
  ASSERT_EQ(::flock(lockFile, LOCK_EX), 0);
  errno = 0;
  EXPECT_EQ(WritePrivateProfileStringA("A", "k", "1", file.c_str()), 0);
  EXPECT_EQ(errno, EWOULDBLOCK);
  EXPECT_EQ(readFile(file), "[A]\nk=0\n");
  ::close(lockFile);
  EXPECT_NE(WritePrivateProfileStringA("A", "k", "1", file.c_str()), 0);
  EXPECT_EQ(readFile(file), "[A]\nk=1\n");
}

TEST(ProfileSafety, AFileReachedThroughLinksStaysALink) {
  TempFolder folder;
  const std::filesystem::path store = folder.path() / "store";
  std::filesystem::create_directory(store);
  writeFile(store / "settings.ini", "[A]\nk=0\n");
  // kestro.ini -> via.ini (relative) -> store/settings.ini (absolute)
  std::filesystem::create_symlink(store / "settings.ini", folder.path() / "via.ini");
  std::filesystem::create_symlink("via.ini", folder.path() / "kestro.ini");
  const std::filesystem::path file = folder.path() / "kestro.ini";

  EXPECT_NE(WritePrivateProfileStringA("A", "k", "1", file.c_str()), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_EQ(std::filesystem::read_symlink(file), "via.ini");
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "via.ini"));
  EXPECT_EQ(readFile(store / "settings.ini"), "[A]\nk=1\n");
  // The lock lives beside the file it guards.
  EXPECT_TRUE(std::filesystem::exists(store / ("settings.ini" + kLockSuffix)));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / ("kestro.ini" + kLockSuffix)));

  // A link to a file not there yet: the file is made at the link's end.
  std::filesystem::create_symlink("store/new.ini", folder.path() / "dangling.ini");
  EXPECT_NE(WritePrivateProfileStringA("A", "k", "2", (folder.path() / "dangling.ini").c_str()), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "dangling.ini"));
  EXPECT_EQ(readFile(store / "new.ini"), "[A]\nk=2\n");
}

TEST(ProfileSafety, AKilledWritersTemporaryFileIsRemovedAndNotFollowed) {
  TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
  const std::string temp = file + kTempSuffix;
  writeFile(file, "[A]\nk=0\n");

  writeFile(temp, "[A]\nk=ha");
  EXPECT_NE(WritePrivateProfileStringA("A", "k", "1", file.c_str()), 0);
  EXPECT_EQ(readFile(file), "[A]\nk=1\n");
  EXPECT_FALSE(std::filesystem::exists(temp));

  // Even a write that changes nothing clears it.
  writeFile(temp, "[A]\nk=ha");
  EXPECT_NE(WritePrivateProfileStringA("A", "k", "1", file.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(temp));

  // A link left in its place is removed, never written through.
  const std::filesystem::path victim = folder.path() / "victim";
  writeFile(victim, "keep me");
  std::filesystem::create_symlink(victim, temp);
  EXPECT_NE(WritePrivateProfileStringA("A", "k", "2", file.c_str()), 0);
  EXPECT_EQ(readFile(file), "[A]\nk=2\n");
  EXPECT_EQ(readFile(victim), "keep me");
  EXPECT_FALSE(std::filesystem::is_symlink(temp));
}

TEST(ProfileSafety, TheReplacedFileKeepsItsPermissionBitsAndOwner) {
  TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
  writeFile(file, "[A]\nk=0\n");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  // The superuser can hand the file to another owner, whom the replaced file must keep.
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
  }
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);

  EXPECT_NE(WritePrivateProfileStringA("A", "k", "1", file.c_str()), 0);
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "expected a replaced file, not one written over";
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(readFile(file), "[A]\nk=1\n");

  // A new file gets the usual bits of a new file.
  const std::string fresh = (folder.path() / "fresh.ini").string();
  const mode_t mask = ::umask(022);
  EXPECT_NE(WritePrivateProfileStringA("A", "k", "1", fresh.c_str()), 0);
  ::umask(mask);
  struct stat created {};
  ASSERT_EQ(::stat(fresh.c_str(), &created), 0);
  EXPECT_EQ(created.st_mode & 07777, 0644u);
}

// Runs `work` in a child that has given up the superuser's rights, so permission bits count.
int asOrdinaryUser(const std::function<int()>& work) {
  return inChild([&] {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
         ::setresuid(65534, 65534, 65534) != 0)) {
      return 200;
    }
    return work();
  });
}

TEST(ProfileSafety, AFolderWhereNoFileCanBeMadeGetsTheFileWrittenInPlace) {
  TempFolder folder;
  const std::filesystem::path shared = folder.path() / "shared";
  std::filesystem::create_directory(shared);
  const std::string file = (shared / "kestro.ini").string();
  writeFile(file, "[A]\nk=0\n");
  ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 0555), 0);
  ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);

  const int status = asOrdinaryUser([&] {
    errno = 0;
    return WritePrivateProfileStringA("A", "k", " 12345", file.c_str()) != 0 ? 0 : errno;
  });
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 200) GTEST_SKIP() << "cannot give up the superuser's rights here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(readFile(file), "[A]\nk= 12345\n");
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  // And back to a shorter text: nothing of the longer one is left over.
  ASSERT_TRUE(WIFEXITED(asOrdinaryUser(
      [&] { return WritePrivateProfileStringA("A", "k", "2", file.c_str()) != 0 ? 0 : errno; })));
  EXPECT_EQ(readFile(file), "[A]\nk=2\n");
  EXPECT_FALSE(std::filesystem::exists(file + kTempSuffix));

  // No new file can be made there at all.
  const std::string missing = (shared / "missing.ini").string();
  const int refused = asOrdinaryUser([&] {
    errno = 0;
    return WritePrivateProfileStringA("A", "k", "1", missing.c_str()) != 0 ? 0 : errno;
  });
  ASSERT_TRUE(WIFEXITED(refused));
  EXPECT_EQ(WEXITSTATUS(refused), EACCES);
  ::chmod(shared.c_str(), 0755);  // lets the temporary folder go
}

TEST(ProfileSafety, AFileTheWriterMayNotWriteStaysAsItWas) {
  TempFolder folder;
  const std::filesystem::path open = folder.path() / "open";
  std::filesystem::create_directory(open);
  const std::string file = (open / "kestro.ini").string();
  writeFile(file, "[A]\nk=0\n");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
  ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);

  // The folder would let anyone replace the file; its bits say it is not to be written.
  const int status = asOrdinaryUser([&] {
    errno = 0;
    return WritePrivateProfileStringA("A", "k", "1", file.c_str()) != 0 ? 0 : errno;
  });
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 200) GTEST_SKIP() << "cannot give up the superuser's rights here";
  EXPECT_EQ(WEXITSTATUS(status), EACCES);
  EXPECT_EQ(readFile(file), "[A]\nk=0\n");
}

}  // namespace
}  // namespace kestro::platform
