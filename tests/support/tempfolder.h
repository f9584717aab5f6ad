// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder for one test, removed with everything in it when the test ends. Tests use
// it as the program's folder, so none reads or writes a settings file of another.
#pragma once

#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

namespace kestro::test {

// Checks `done` every 20 ms until it holds or `bound` passes; whether it held.
inline bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestro-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  // Folders a test locked are opened first, so that everything goes.
  ~TempFolder() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    const auto open = fs::perm_options::add | fs::perm_options::nofollow;
    fs::permissions(path_, fs::perms::owner_all, open, ignored);
    for (fs::recursive_directory_iterator entry(path_, ignored), end; entry != end;
         entry.increment(ignored))
      fs::permissions(entry->path(), fs::perms::owner_all, open, ignored);
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& file) {
  return (std::ostringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str();
}

inline void writeFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// The user a test's child runs as where permission bits must stop it: nobody when the tests
// run as root, whom no bit stops, else 0 for ourselves.
inline const uid_t kBoundUser = ::geteuid() == 0 ? 65534 : 0;

// Makes the folder `path`, or the file of `bytes` where given, with the bits `mode`, and gives
// it to `user` where not 0.
inline void make(const std::filesystem::path& path, unsigned mode, uid_t user = 0,
                 const std::string* bytes = nullptr) {
  if (bytes) {
    writeFile(path, *bytes);
  } else {
    std::filesystem::create_directories(path);
  }
  if (user != 0 && ::chown(path.c_str(), user, user) != 0) throw std::runtime_error("chown");
  std::filesystem::permissions(path, std::filesystem::perms(mode));
}

// In a child: becomes `user` where not 0, or ends.
inline void becomeUser(uid_t user) {
  if (user != 0 && (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0))
    ::_exit(125);
}

// Runs `body` in a child process, as `user` where not 0, and returns the text it returned. The
// child ends within ten seconds, so a call that blocks fails the test instead of hanging it,
// and what it changes in its process (signals, filters, its user) ends with it.
inline std::string inChild(const std::function<std::string()>& body, uid_t user = 0) {
  int channel[2];
  if (::pipe(channel) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    ::alarm(10);
    becomeUser(user);
    const std::string answer = body();
    ::_exit(::write(channel[1], answer.data(), answer.size()) == ssize_t(answer.size()) ? 0 : 126);
  }
  ::close(channel[1]);
  std::string answer;
  char buffer[4096];
  for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
    answer.append(buffer, got);
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return answer;
  return "child ended with status " + std::to_string(status);
}

// Runs `step(0)`, `step(1)`, ... in a child process, as `user` where not 0, and kills it `delay`
// after its first step; "" when the kill ended it, else how it ended.
inline std::string killedWhileRunning(const std::function<bool(int)>& step,
                                      std::chrono::microseconds delay, uid_t user = 0) {
  int started[2];
  if (::pipe(started) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = ::fork();
  if (child == 0) {
    becomeUser(user);
    for (int round = 0;; ++round) {
      if (!step(round)) ::_exit(1);
      if (round == 0 && ::write(started[1], "!", 1) != 1) ::_exit(2);
    }
  }
  ::close(started[1]);
  char signal = 0;
  const bool running = ::read(started[0], &signal, 1) == 1;
  ::close(started[0]);
  if (running) ::usleep(static_cast<useconds_t>(delay.count()));
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return "";
  return "the child ended with status " + std::to_string(status) + " before the kill";
}

}  // namespace kestro::test
