#include "support/dosbox.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>
#include <vector>

#include "support/tempfolder.h"

extern char** environ;

namespace kestro::test {
namespace {

// Headless: no window, no sound card, and a home folder of the test's own.
std::vector<std::string> childEnvironment(const std::filesystem::path& home) {
  std::vector<std::string> variables;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view text(*variable);
    if (text.starts_with("HOME=") || text.starts_with("SDL_VIDEODRIVER=") ||
        text.starts_with("SDL_AUDIODRIVER=")) {
      continue;
    }
    variables.emplace_back(text);
  }
  variables.push_back("HOME=" + home.string());
  variables.emplace_back("SDL_VIDEODRIVER=dummy");
  variables.emplace_back("SDL_AUDIODRIVER=dummy");
  return variables;
}

std::vector<char*> pointersTo(std::vector<std::string>& words) {
  std::vector<char*> pointers;
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::filesystem::path tailProgram() { return KESTRO_TAIL_PROGRAM; }

ChildDosBox::ChildDosBox(std::filesystem::path home) : home_(std::move(home)) {}

ChildDosBox::~ChildDosBox() {
  if (child_ > 0) {
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
  }
}

std::optional<std::string> ChildDosBox::startProcess(const platform::ProcessCommand& command) {
  ++starts_;
  lastCommand_ = command;
  if (child_ > 0) return "the previous DOSBox of this test has not been waited for";
  std::vector<std::string> words{command.program};
  words.insert(words.end(), command.arguments.begin(), command.arguments.end());
  std::vector<std::string> variables = childEnvironment(home_);
  std::vector<char*> argv = pointersTo(words);
  std::vector<char*> envp = pointersTo(variables);
  const std::string logPath = (home_ / "dosbox.log").string();

  const pid_t child = ::fork();
  if (child < 0) return std::generic_category().message(errno);
  if (child == 0) {
    const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (log >= 0) {
      ::dup2(log, STDOUT_FILENO);
      ::dup2(log, STDERR_FILENO);
    }
    if (!command.workingFolder.empty() && ::chdir(command.workingFolder.c_str()) != 0) {
      ::_exit(126);
    }
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  child_ = child;
  exitStatus_.reset();
  return std::nullopt;
}

bool ChildDosBox::waitForExit(std::chrono::seconds bound) {
  if (child_ <= 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + bound;
  int status = 0;
  while (true) {
    const pid_t done = ::waitpid(child_, &status, WNOHANG);
    if (done == child_) break;
    if (done < 0 && errno != EINTR) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(child_, SIGKILL);
      ::waitpid(child_, nullptr, 0);
      child_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  child_ = -1;
  exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return true;
}

std::string ChildDosBox::log() const { return readFile(home_ / "dosbox.log"); }

}  // namespace kestro::test
