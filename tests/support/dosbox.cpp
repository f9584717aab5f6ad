#include "support/dosbox.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace kestro::test {

std::filesystem::path tailProgram() { return KESTRO_TAIL_PROGRAM; }
std::filesystem::path failingProgram() { return KESTRO_FAILING_PROGRAM; }

// Numbers of our own, tried in turn: a number another server holds makes Xvfb end at once.
// (Letting Xvfb pick with -displayfd raced with other servers started at the same moment.)
VirtualDisplay::VirtualDisplay() {
  for (int attempt = 0; attempt < 20 && name_.empty(); ++attempt) {
    start(500 + (::getpid() * 7 + attempt * 31) % 4000);
  }
}

void VirtualDisplay::start(int number) {
  const std::string name = ":" + std::to_string(number);
  std::string words[] = {KESTRO_XVFB, name,      "-noreset", "-nolisten",
                         "tcp",       "-screen", "0",        "800x600x24"};
  std::vector<char*> arguments;
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t server = -1;
  const int error =
      ::posix_spawn(&server, arguments[0], &actions, nullptr, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return;
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
  for (int wait = 0; wait < 200; ++wait) {
    if (::waitpid(server, nullptr, WNOHANG) != 0) return;  // the number was taken
    if (std::filesystem::exists(socket)) {
      server_ = server;
      name_ = name;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ::kill(server, SIGTERM);
  ::waitpid(server, nullptr, 0);
}

VirtualDisplay::~VirtualDisplay() {
  if (server_ > 0 && ::kill(server_, SIGTERM) == 0) ::waitpid(server_, nullptr, 0);
}

bool VirtualDisplay::pressKeyInDosBox() const {
  if (name_.empty()) return false;
  // With no window manager the keyboard follows the pointer: move it onto the window first.
  // DOSBox replaces its window while it sets its video mode, so a window found a moment too
  // early may be gone when the key goes out: try again.
  const std::string press = "DISPLAY=" + name_ +
                            " " KESTRO_XDOTOOL
                            " search --onlyvisible --class dosbox mousemove --window %1 10 10"
                            " key space 2>/dev/null";
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (std::system(press.c_str()) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  return false;
}

ChildDosBox::~ChildDosBox() {
  if (child_ > 0 && ::kill(child_, SIGKILL) == 0) ::waitpid(child_, nullptr, 0);
}

std::optional<std::string> ChildDosBox::startProcess(const platform::ProcessCommand& command) {
  ++starts_;
  if (child_ > 0) return "the previous DOSBox of this test has not been waited for";
  platform::ProcessCommand words = command;  // posix_spawn takes the words unconst
  std::vector<char*> arguments{words.program.data()};
  for (std::string& word : words.arguments) arguments.push_back(word.data());
  arguments.push_back(nullptr);
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
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (home_ / "dosbox.log").c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  posix_spawn_file_actions_addchdir_np(&actions, command.workingFolder.c_str());
  const int error =
      ::posix_spawn(&child_, arguments[0], &actions, nullptr, arguments.data(), variables.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error == 0) return std::nullopt;
  child_ = -1;
  return std::generic_category().message(error);
}

bool ChildDosBox::waitForExit(std::chrono::seconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  pid_t done = 0;
  while (child_ > 0 && (done = ::waitpid(child_, nullptr, WNOHANG)) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;  // ended with the harness
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  child_ = -1;
  return done > 0;
}

}  // namespace kestro::test
