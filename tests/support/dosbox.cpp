// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/dosbox.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

extern char** environ;

namespace kestro::test {
namespace {

// Spawns `words` with `actions`; -1, with the reason in errno, when it cannot start.
pid_t spawn(std::vector<std::string> words, const posix_spawn_file_actions_t& actions,
            char* const* variables = environ) {
  std::vector<char*> arguments;
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);
  pid_t child = -1;
  const int error =
      ::posix_spawn(&child, arguments[0], &actions, nullptr, arguments.data(), variables);
  errno = error;
  return error == 0 ? child : -1;
}

}  // namespace

std::filesystem::path tailProgram() { return KESTRO_TAIL_PROGRAM; }
std::filesystem::path failingProgram() { return KESTRO_FAILING_PROGRAM; }

// Xvfb takes the first display number no other server holds and writes it to the pipe once it
// takes clients; a socket file of a number proves neither, as it may be one left behind.
ChildDosBox::ChildDosBox(std::filesystem::path home, bool withDisplay) : home_(std::move(home)) {
  if (!withDisplay) return;
  int ready[2];
  if (::pipe2(ready, O_CLOEXEC | O_NONBLOCK) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, ready[1], STDOUT_FILENO);
  server_ = spawn({KESTRO_XVFB, "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
                   "800x600x24"},
                  actions);
  posix_spawn_file_actions_destroy(&actions);
  ::close(ready[1]);
  std::string said;
  waitUntil(
      [&] {
        char buffer[16];
        const ssize_t got = ::read(ready[0], buffer, sizeof buffer);
        if (got > 0) said.append(buffer, static_cast<std::size_t>(got));
        return got == 0 || said.ends_with('\n');  // the server ended, or said its number
      },
      std::chrono::seconds(30));
  ::close(ready[0]);
  if (said.size() > 1 && said.ends_with('\n')) display_ = ":" + said.substr(0, said.size() - 1);
}

ChildDosBox::~ChildDosBox() {
  if (child_ > 0 && ::kill(child_, SIGKILL) == 0) ::waitpid(child_, nullptr, 0);
  if (server_ > 0 && ::kill(server_, SIGTERM) == 0) ::waitpid(server_, nullptr, 0);
  for (const int fd : {terminal_, screen_})
    if (fd >= 0) ::close(fd);
}

std::optional<std::string> ChildDosBox::startProcess(const platform::ProcessCommand& command) {
  ++starts_;
  if (child_ > 0) return "the previous DOSBox of this test has not been waited for";
  // A terminal, where DOSBox writes each line as it goes; to a file it writes when its buffer
  // fills or it ends. The harness keeps DOSBox's side open, so its last lines stay readable.
  if (terminal_ < 0) {
    terminal_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (terminal_ < 0 || ::grantpt(terminal_) != 0 || ::unlockpt(terminal_) != 0) {
      return "no terminal for DOSBox's output";
    }
    screen_ = ::open(::ptsname(terminal_), O_RDWR | O_NOCTTY | O_CLOEXEC);
  }
  // No sound card, the test's own home folder, and no window unless on the test's display.
  std::string ours[] = {"HOME=" + home_.string(), "SDL_AUDIODRIVER=dummy",
                        display_.empty() ? "SDL_VIDEODRIVER=dummy" : "DISPLAY=" + display_};
  std::vector<char*> variables{ours[0].data(), ours[1].data(), ours[2].data()};
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view text(*variable);
    if (!text.starts_with("HOME=") && !text.starts_with("SDL_") && !text.starts_with("DISPLAY=")) {
      variables.push_back(*variable);
    }
  }
  variables.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, screen_, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, screen_, STDERR_FILENO);
  posix_spawn_file_actions_addchdir_np(&actions, command.workingFolder.c_str());
  std::vector<std::string> words{command.program};
  words.insert(words.end(), command.arguments.begin(), command.arguments.end());
  child_ = spawn(words, actions, variables.data());
  posix_spawn_file_actions_destroy(&actions);
  if (child_ > 0) return std::nullopt;
  return std::generic_category().message(errno);
}

bool ChildDosBox::waitForExit(Bound bound) {
  const bool ended =
      waitUntil([this] { return child_ < 0 || ::waitpid(child_, nullptr, WNOHANG) != 0; }, bound);
  if (ended) child_ = -1;
  return ended && starts_ > 0;
}

bool ChildDosBox::waitForOutput(std::string_view line, Bound bound) {
  waitUntil([&] { return log().find(line) != std::string::npos || waitForExit(Bound(0)); }, bound);
  return log().find(line) != std::string::npos;
}

const std::string& ChildDosBox::log() {
  char buffer[4096];
  for (ssize_t got; terminal_ >= 0 && (got = ::read(terminal_, buffer, sizeof buffer)) > 0;) {
    log_.append(buffer, static_cast<std::size_t>(got));
  }
  return log_;
}

// A key taken closes DOSBox at once, often before xdotool sends the key's release, which then
// fails on a window that is gone: whether DOSBox ended is the answer, never xdotool's status.
// Before DOSBox's window is mapped xdotool finds none; the next round tries again.
bool ChildDosBox::pressKeyUntilExit(Bound bound) {
  const std::string press = "DISPLAY=" + display_ +
                            " " KESTRO_XDOTOOL
                            " search --onlyvisible --class dosbox key --window %1 space"
                            " >/dev/null 2>&1";
  return waitUntil(
      [&] {
        if (waitForExit(Bound(0))) return true;
        [[maybe_unused]] const int status = std::system(press.c_str());
        return waitForExit(std::chrono::seconds(1));
      },
      bound);
}

}  // namespace kestro::test
