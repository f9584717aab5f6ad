#include "support/dosbox.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace kestro::test {

std::filesystem::path tailProgram() { return KESTRO_TAIL_PROGRAM; }
std::filesystem::path failingProgram() { return KESTRO_FAILING_PROGRAM; }

namespace {

// Runs the X client with those words on the display and waits for it; its exit status, or -1.
int runToEnd(const std::string& display, std::vector<std::string> words) {
  std::vector<char*> arguments;
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);
  std::string ours = "DISPLAY=" + display;
  std::vector<char*> variables{ours.data()};
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (!std::string_view(*variable).starts_with("DISPLAY=")) variables.push_back(*variable);
  }
  variables.push_back(nullptr);
  pid_t child = -1;
  if (::posix_spawn(&child, arguments[0], nullptr, nullptr, arguments.data(), variables.data()) !=
      0) {
    return -1;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

VirtualDisplay::VirtualDisplay() {
  // A display number of our own; one taken already makes Xvfb end, and the next is tried.
  for (int attempt = 0; attempt < 20 && name_.empty(); ++attempt) {
    start(500 + (::getpid() * 7 + attempt * 31) % 4000);
  }
}

void VirtualDisplay::start(int number) {
  const std::string name = ":" + std::to_string(number);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string words[] = {KESTRO_XVFB, name,      "-noreset", "-nolisten",
                         "tcp",       "-screen", "0",        "800x600x24"};
  std::vector<char*> arguments;
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);
  pid_t server = -1;
  const int error =
      ::posix_spawn(&server, arguments[0], &actions, nullptr, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return;
  // Ready once its socket is there; gone when the number was taken.
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
  for (int wait = 0; wait < 200; ++wait) {
    if (::waitpid(server, nullptr, WNOHANG) != 0) return;
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
  // With no window manager the keyboard follows the pointer: move it onto the window first.
  return !name_.empty() &&
         runToEnd(name_, {KESTRO_XDOTOOL, "search", "--class", "dosbox", "mousemove", "--window",
                          "%1", "10", "10", "key", "space"}) == 0;
}

ChildDosBox::~ChildDosBox() { end(); }

void ChildDosBox::end() {
  if (child_ > 0 && ::kill(child_, SIGKILL) == 0) ::waitpid(child_, nullptr, 0);
  child_ = -1;
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
