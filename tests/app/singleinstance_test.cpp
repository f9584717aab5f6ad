// SPDX-License-Identifier: GPL-3.0-or-later
// The single instance between real processes: a first start runs Qt's event loop in a child,
// later starts claim in children of their own, each with the environment of its login.
#include "app/singleinstance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <array>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "support/tempfolder.h"

namespace kestro::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A login's TMPDIR, XDG_RUNTIME_DIR (unset when empty), HOME and settings file, below the test's
// folder ("long" stands for a 200-character name).
struct Start {
  const char* tmp;
  const char* runtime;
  const char* home;
  const char* settings;
};

fs::path below(const fs::path& base, std::string path) {
  if (path.starts_with("long/")) path.replace(0, 4, std::string(200, 'x'));
  return base / path;
}

void enter(const fs::path& base, const Start& start) {
  ::setenv("TMPDIR", below(base, start.tmp).c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", below(base, start.runtime).c_str(), 1);
  if (!*start.runtime) ::unsetenv("XDG_RUNTIME_DIR");
  ::setenv("HOME", below(base, start.home).c_str(), 1);
  ::unsetenv("XDG_CACHE_HOME");
}

// The event loop a first start listens with, in a child.
std::unique_ptr<QCoreApplication> application() {
  static int argc = 1;
  static char name[] = "kestro";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QCoreApplication>(argc, argv);
}

const char* said(SingleInstance::Claim claim) {
  return std::array{"first", "forwarded", "no answer"}[static_cast<int>(claim)];
}

// A first start in a child: says how its claim went, stops itself where asked, and says
// "forward" and ends when a later start asks it to come forward. A stopped one is killed.
struct FirstStart {
  FirstStart(const fs::path& base, const Start& start, bool stop) : stopped(stop) {
    int channel[2];
    if (::pipe(channel) != 0) throw std::runtime_error("pipe failed");
    if ((child = ::fork()) == 0) {
      ::alarm(30);
      enter(base, start);
      const auto say = [&](const std::string& line) {
        if (::write(channel[1], (line + "\n").data(), line.size() + 1) < 0) ::_exit(1);
      };
      {
        const auto loop = application();
        SingleInstance instance(below(base, start.settings), openInstanceFolder());
        say(said(instance.claim()));
        if (stop) ::raise(SIGSTOP);
        QObject::connect(&instance, &SingleInstance::comeForward, [&] {
          say("forward");
          QCoreApplication::quit();
        });
        QCoreApplication::exec();
      }
      ::_exit(0);
    }
    ::close(channel[1]);
    reports = channel[0];
  }
  ~FirstStart() {
    if (stopped) ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(reports);
  }
  // The child's next line; empty when it ended without one.
  std::string line() const {
    std::string text;
    for (char c; ::read(reports, &c, 1) == 1 && c != '\n';) text += c;
    return text;
  }
  bool stopped;
  pid_t child;
  int reports;
};

TEST(SingleInstance, ALaterStartFindsTheFirstWhateverElseItsLoginOrAnotherUserMade) {
  test::TempFolder folder;
  const fs::path base = folder.path();
  fs::permissions(base, fs::perms(0755));
  for (const char* tmp : {"tmp", "tmp2", "tmp3", "long/tmp"}) test::make(below(base, tmp), 01777);
  for (const char* runtime : {"run", "long/run"}) test::make(below(base, runtime), 0700);
  test::make(base / "home", 0755);
  fs::create_directory_symlink(base / "home", base / "link");
  const char* settings = "home/.config/kestro/kestro.ini";
  const Start usual{"tmp", "run", "home", settings};
  const Start noRuntime{"tmp", "", "home", settings};
  const Start planted{"tmp3", "", "home", settings};
  const Start longNames{"long/tmp", "long/run", "home", settings};

  enum Event { Nothing, Stopped, Planted };  // before the later start
  const struct {
    Start first;
    Start later;
    Event event;
    const char* expected;
  } cases[] = {
      {usual, usual, Nothing, "first forwarded forward"},
      // A home reached through a link, its folder not made yet.
      {{"tmp", "", "link", "link/.config/kestro/kestro.ini"},
       noRuntime,
       Nothing,
       "first forwarded forward"},
      {noRuntime, {"tmp2", "", "home", settings}, Nothing, "first forwarded forward"},
      {longNames, longNames, Nothing, "first forwarded forward"},
      // Another user first puts a FIFO under each name a start makes in TMPDIR.
      {planted, planted, Planted, "first forwarded forward"},
      // A stopped first start takes connections without answering, until its queue is full;
      // killed, it leaves the lock to the next start.
      {usual, usual, Stopped, "first no answer no answer no answer no answer no answer first"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    if (c.event == Planted) {
      const std::string names = test::inChild([&] {
        enter(base, c.first);
        const auto loop = application();
        SingleInstance instance(below(base, c.first.settings), openInstanceFolder());
        instance.claim(1s);
        std::string made;
        for (const auto& entry : fs::directory_iterator(below(base, c.first.tmp)))
          made += entry.path().string() + '\n';
        return made;
      });
      const auto plant = [&] {
        std::string failed;
        std::istringstream lines(names);
        for (std::string name; std::getline(lines, name);)
          if (::mkfifo(name.c_str(), 0666) != 0) failed += name;
        return failed;
      };
      ASSERT_EQ(test::inChild(plant, test::kBoundUser), "");
    }
    const auto later = [&](int starts) {
      return test::inChild([&] {
        enter(base, c.later);
        const auto loop = application();
        std::string claims;
        for (int start = 0; start < starts; ++start) {
          SingleInstance instance(below(base, c.later.settings), openInstanceFolder());
          claims += std::string(" ") + said(instance.claim(c.event == Stopped ? 300ms : 5s));
        }
        return claims;
      });
    };
    auto first = std::make_unique<FirstStart>(base, c.first, c.event == Stopped);
    std::string said = first->line();  // first of all: the first start has claimed
    said += later(c.event == Stopped ? 5 : 1);
    if (c.event != Stopped) said += " " + first->line();
    first.reset();
    if (c.event == Stopped) said += later(1);
    EXPECT_EQ(said, c.expected);
  }
  // Everything a start made is gone once it ended.
  EXPECT_TRUE(fs::is_empty(base / "run"));
  EXPECT_TRUE(fs::is_empty(base / "home/.cache/kestro"));
}

// The folder a start takes: its runtime folder when only the user can reach it, else its cache
// folder's "kestro" under the same condition, else none.
TEST(SingleInstance, TakesOnlyAFolderOfTheUsersOwnThatNoOneElseCanReach) {
  test::TempFolder folder;
  const fs::path base = folder.path();
  test::make(base / "private", 0700);
  test::make(base / "open", 0755);
  test::make(base / "shared", 0770);
  test::make(base / "others", 0700, test::kBoundUser);
  fs::create_directory_symlink(base / "private", base / "link");
  test::writeFile(base / "file", "");
  test::make(base / "opencache/kestro", 0755);
  test::make(base / "linkcache", 0700);
  fs::create_directory_symlink(base / "private", base / "linkcache/kestro");
  // clang-format off
  const struct {
    std::string runtime;
    std::string cache;
    std::string expected;
  } cases[] = {
      {base / "private", base / "cache",     "private"},
      {base / "open",    base / "cache",     "cache/kestro"},
      {base / "shared",  base / "cache",     "cache/kestro"},
      {base / "others",  base / "cache",     test::kBoundUser ? "cache/kestro" : "others"},
      {base / "link",    base / "cache",     "cache/kestro"},
      {base / "file",    base / "cache",     "cache/kestro"},
      {"private",        base / "cache",     "cache/kestro"},
      {"",               base / "cache",     "cache/kestro"},
      {"",               base / "opencache", "none"},
      {"",               base / "linkcache", "none"},
      {"",               "cache",            "none"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const int taken = openInstanceFolder(c.runtime, c.cache);
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/fd/" + std::to_string(taken), error);
    EXPECT_EQ(taken < 0 ? "none" : path.lexically_relative(base).string(), c.expected)
        << c.runtime << " " << c.cache;
    if (taken >= 0) ::close(taken);
  }
  EXPECT_EQ(fs::status(base / "cache/kestro").permissions(), fs::perms(0700));
}

}  // namespace
}  // namespace kestro::app
