// SPDX-License-Identifier: GPL-3.0-or-later
// Starting the launch script: where DOSBox is looked for and what the started program inherits.
#include "platform/starter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>

#include "support/tempfolder.h"

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;

// A "dosbox" in the current folder and below it: only a full path of the search path finds one.
TEST(FindProgram, OnlyFullPathsOfTheSearchPathAreSearched) {
  test::TempFolder folder;
  const std::string script = "#!/bin/sh\n";
  test::make(folder.path() / "bin", 0755);
  for (const char* planted : {"dosbox", "bin/dosbox"})
    test::make(folder.path() / planted, 0700, 0, &script);
  EXPECT_EQ(test::inChild([&] {
              fs::current_path(folder.path());
              std::string found;
              for (const char* relative : {"", ".", ":", "bin", "./bin", "/nonexistent::/also-not"})
                found += findProgram("dosbox", relative);
              return found + findProgram("dosbox", "bin:" + folder.str() + "/bin");
            }),
            folder.str() + "/bin/dosbox");
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

// The program runs in its folder, as nobody's child, with no signal ignored and none of the
// caller's files open, also where the kernel has no close_range.
TEST(StartDetached, TheProgramStartsCleanOrTheFailureIsNamed) {
  for (const bool closeRange : {true, false}) {
    test::TempFolder folder;
    const fs::path out = folder.path() / "out";
    EXPECT_EQ(test::inChild([&]() -> std::string {
                if (!closeRange && !withoutCloseRange()) return "no seccomp filter";
                if (::dup2(::open("/dev/null", O_RDONLY), 57) != 57) return "no descriptor 57";
                ::signal(SIGPIPE, SIG_IGN);
                ::signal(SIGINT, SIG_IGN);
                // The C library's own two, which only the system call can set: SIG_IGN is 1.
                alignas(8) unsigned long ignore[8] = {1};
                for (const int number : {32, 33}) {
                  ::syscall(SYS_rt_sigaction, number, ignore, nullptr, (NSIG - 1) / 8);
                }
                const std::optional<std::string> failure = startDetached(
                    {.program = "/bin/sh",
                     .arguments = {"-c",
                                   "{ pwd; grep SigIgn /proc/$$/status; test -e /proc/$$/fd/57 "
                                   "&& echo open || echo closed; } > out.tmp; mv out.tmp out"},
                     .workingFolder = folder.str()});
                if (failure) return "not started: " + *failure;
                // No child is left to wait for: no zombie.
                if (::waitpid(-1, nullptr, WNOHANG) != -1 || errno != ECHILD) return "a child";
                test::waitUntil([&] { return fs::exists(out); }, std::chrono::seconds(10));
                return test::readFile(out);
              }),
              folder.str() + "\nSigIgn:\t0000000000000000\nclosed\n")
        << (closeRange ? "with" : "without") << " close_range";
  }
  const std::optional<std::string> failure =
      startDetached({.program = "/bin/true", .arguments = {}, .workingFolder = "/nonexistent"});
  EXPECT_NE(failure.value_or("").find("cannot be entered"), std::string::npos);
  EXPECT_TRUE(startDetached({.program = "/nonexistent", .arguments = {}, .workingFolder = {}}));
}

}  // namespace
}  // namespace kestro::platform
