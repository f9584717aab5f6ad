// Starting the launch script: DOSBox's command line, a missing DOSBox named before anything
// is started, where DOSBox is looked for, and what the started program inherits.
#include "platform/starter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <functional>
#include <thread>

#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;

TEST(DosBoxCommand, MountsCallsAndClosesOnlyAfterSuccessUnlessKeptOpen) {
  ScriptLaunch launch{.script = "/games/mame/kestro.bat", .folder = "/games/mame"};
  const ProcessCommand closing = dosboxCommand("/usr/bin/dosbox", launch);
  EXPECT_EQ(closing.program, "/usr/bin/dosbox");
  EXPECT_EQ(closing.workingFolder, "/games/mame");
  std::vector<std::string> arguments = {"-noautoexec",
                                        "-c",
                                        "config -set cpu cycles=max",
                                        "-c",
                                        "MOUNT C \"/games/mame\"",
                                        "-c",
                                        "C:",
                                        "-c",
                                        "CALL kestro.bat"};
  launch.keepOpen = true;
  EXPECT_EQ(dosboxCommand("/usr/bin/dosbox", launch).arguments, arguments);
  for (const char* line :
       {"IF ERRORLEVEL 1 ECHO MAME ended with an error. Press a key to close DOSBox.",
        "IF ERRORLEVEL 1 PAUSE > NUL", "EXIT"}) {
    arguments.insert(arguments.end(), {"-c", line});
  }
  EXPECT_EQ(closing.arguments, arguments);
}

TEST(DosBoxStarter, AMissingDosBoxIsNamedWithItsPackage) {
  test::TempFolder emptyPath;
  DosBoxStarter starter(emptyPath.str());
  const std::string expected =
      "DOSBox, which runs the launch script and MAME, is not installed: there is no program "
      "\"dosbox\" in the search path. Install the Debian package \"dosbox\".";
  EXPECT_EQ(starter.findInterpreter(), expected);
  EXPECT_EQ(starter.start({.script = "/x/kestro.bat", .folder = "/x"}), expected);
}

// Runs from the folder for the test's length, as Kestro runs from wherever it was started.
class CurrentFolder {
 public:
  explicit CurrentFolder(const fs::path& folder) : before_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~CurrentFolder() { fs::current_path(before_); }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  fs::path before_;
};

// A "dosbox" in the current folder and in a folder below it: only a full path finds one.
TEST(DosBoxStarter, OnlyFullPathsOfTheSearchPathAreSearched) {
  test::TempFolder folder;
  fs::create_directory(folder.path() / "bin");
  for (const fs::path& planted : {folder.path() / "dosbox", folder.path() / "bin" / "dosbox"}) {
    test::writeFile(planted, "#!/bin/sh\n");
    fs::permissions(planted, fs::perms::owner_all);
  }
  const CurrentFolder here(folder.path());
  for (const char* relative : {"", ".", ":", "bin", "./bin", "/nonexistent::/also-not"}) {
    EXPECT_TRUE(DosBoxStarter(relative).findInterpreter()) << '"' << relative << '"';
  }
  EXPECT_EQ(findProgram("dosbox", "bin:" + folder.str() + "/bin"), folder.str() + "/bin/dosbox");
}

// Starts `sh -c script` detached in the folder and returns what it wrote to "out".
std::string startedShellWrites(const fs::path& folder, const std::string& script) {
  const fs::path out = folder / "out";
  const std::optional<std::string> failure = startDetached(
      {.program = "/bin/sh", .arguments = {"-c", script}, .workingFolder = folder.string()});
  if (failure) return "not started: " + *failure;
  for (int i = 0; i < 1000 && !fs::exists(out); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return test::readFile(out);
}

TEST(StartDetached, RunsInItsFolderAsNobodysChildOrNamesWhyNot) {
  test::TempFolder folder;
  EXPECT_EQ(startedShellWrites(folder.path(), "pwd > out.tmp && mv out.tmp out; sleep 1"),
            folder.str() + "\n");
  // The program still runs, yet the caller has no child left to wait for: no zombie.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  const std::optional<std::string> failure = startDetached(
      {.program = "/bin/true", .arguments = {}, .workingFolder = folder.str() + "/missing"});
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("cannot be entered"), std::string::npos) << *failure;
  EXPECT_TRUE(startDetached(
      {.program = folder.str() + "/no-such-program", .arguments = {}, .workingFolder = {}}));
}

// Runs the check in a child of the test, so that what it changes ends with it; the child's
// exit status: 0 when the check held.
int inChild(const std::function<bool()>& check) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(check() ? 0 : 1);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(StartDetached, TheProgramStartsWithNoSignalIgnored) {
  test::TempFolder folder;
  EXPECT_EQ(inChild([&] {
              ::signal(SIGPIPE, SIG_IGN);
              ::signal(SIGINT, SIG_IGN);
              // The C library's own two, which only the system call can set: SIG_IGN is 1.
              alignas(8) unsigned long ignore[8] = {1};
              for (const int number : {32, 33}) {
                ::syscall(SYS_rt_sigaction, number, ignore, nullptr, (NSIG - 1) / 8);
              }
              return startedShellWrites(folder.path(),
                                        "grep SigIgn /proc/$$/status > out.tmp; mv out.tmp out") ==
                     "SigIgn:\t0000000000000000\n";
            }),
            0);
}

// Where the kernel has no close_range, as before Linux 5.9: a seccomp filter answers ENOSYS.
bool withoutCloseRange() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_close_range, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{.len = std::size(filter), .filter = filter};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

TEST(StartDetached, TheProgramInheritsNoDescriptorEvenWithoutCloseRange) {
  for (const bool closeRange : {true, false}) {
    test::TempFolder folder;
    // In a child of the test, so that the filter and the open descriptor end with it.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (!closeRange && !withoutCloseRange()) ::_exit(2);
      if (::dup2(::open("/dev/null", O_RDONLY), 57) != 57) ::_exit(3);
      const std::string found = startedShellWrites(
          folder.path(), "{ test -e /proc/$$/fd/57 && echo open || echo closed; } > out");
      ::_exit(found == "closed\n" ? 0 : found == "open\n" ? 1 : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: inherited, 2: no seccomp, else: did not run; "
                                      << (closeRange ? "with" : "without") << " close_range";
  }
}

}  // namespace
}  // namespace kestro::platform
