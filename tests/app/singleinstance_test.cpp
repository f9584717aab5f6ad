// SPDX-License-Identifier: GPL-3.0-or-later
// The single instance on real folders: a first start in the test's own event loop, later starts
// beside it, and a start that dies holding the lock in a child.
#include "app/singleinstance.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <array>
#include <filesystem>
#include <future>
#include <memory>
#include <string>

#include "support/tempfolder.h"

namespace kestro::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A login's XDG_RUNTIME_DIR (unset when empty), HOME and settings file, below the test's folder.
struct Login {
  std::string runtime, home, settings;
};

// Made in the test's own thread: no other thread reads the environment meanwhile.
std::unique_ptr<SingleInstance> start(const fs::path& base, const Login& login) {
  ::setenv("XDG_RUNTIME_DIR", (base / login.runtime).c_str(), 1);
  if (login.runtime.empty()) ::unsetenv("XDG_RUNTIME_DIR");
  ::setenv("HOME", (base / login.home).c_str(), 1);
  return std::make_unique<SingleInstance>(base / login.settings, openInstanceFolder());
}

std::string said(SingleInstance::Claim claim) {
  return std::array{"first", "forwarded", "no answer"}[static_cast<int>(claim)];
}

TEST(SingleInstance, ALaterStartFindsTheFirstWhateverWayItsLoginReachesTheSettingsFile) {
  int argc = 1;
  char name[] = "kestro";
  char* argv[] = {name, nullptr};
  const QCoreApplication application(argc, argv);
  test::TempFolder folder;
  const fs::path base = folder.path();
  // A runtime folder whose path is longer than a socket's address may be.
  const std::string run = std::string(200, 'x') + "/run";
  test::make(base / run, 0700);
  test::make(base / "home", 0755);
  fs::create_directory_symlink(base / "home", base / "link");
  ::unsetenv("XDG_CACHE_HOME");
  const std::string settings = "home/.config/kestro/kestro.ini";
  const struct {
    Login first;
    Login later;
  } cases[] = {
      {{run, "home", settings}, {run, "home", settings}},
      // No runtime folder, and the first's home reached through a link, its folders not made yet.
      {{"", "link", "link/.config/kestro/kestro.ini"}, {"", "home", settings}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    // A start killed while it holds the lock leaves its lock file and its socket behind.
    std::string story =
        test::inChild([&] { return said(start(base, c.first).release()->claim()); });
    const auto first = start(base, c.first);
    story += " " + said(first->claim());
    QObject::connect(first.get(), &SingleInstance::comeForward, [&] { story += " forward"; });
    // While the first's event loop does not run, later starts give up waiting; once it runs,
    // their requests are over and only the one still waiting brings the window forward.
    for (int busy = 0; busy < 2; ++busy) story += " " + said(start(base, c.later)->claim(300ms));
    const auto later = start(base, c.later);
    auto answer = std::async(std::launch::async, [&] { return said(later->claim()); });
    test::waitUntil(
        [&] {
          QCoreApplication::processEvents();
          return answer.wait_for(0s) == std::future_status::ready;
        },
        60s);
    story += " " + answer.get();
    EXPECT_EQ(story, "first first no answer no answer forward forwarded");
  }
  // Everything a start made is gone once it ended.
  EXPECT_TRUE(fs::is_empty(base / run));
  EXPECT_TRUE(fs::is_empty(base / "home/.cache/kestro"));
}

// The folder a start takes: its runtime folder when only the user can reach it, else its cache
// folder's "kestro" under the same condition, else none.
TEST(SingleInstance, TakesOnlyAFolderOfTheUsersOwnThatNoOneElseCanReach) {
  test::TempFolder folder;
  const fs::path base = folder.path();
  fs::current_path(base);  // where a relative path would lead to a good folder
  test::make(base / "private", 0700);
  test::make(base / "open", 0755);
  test::make(base / "shared", 0770);
  test::make(base / "others", 0700, test::kBoundUser);
  fs::create_directory_symlink(base / "private", base / "link");
  test::make(base / "opencache/kestro", 0755);
  const struct {
    std::string runtime, cache, expected;
  } cases[] = {
      {base / "private", base / "cache", "private"},
      {base / "open", base / "cache", "cache/kestro"},
      {base / "shared", base / "cache", "cache/kestro"},
      {base / "others", base / "cache", test::kBoundUser ? "cache/kestro" : "others"},
      {base / "link", base / "cache", "cache/kestro"},
      {"private", base / "cache", "cache/kestro"},
      {"", base / "opencache", "none"},
  };
  for (const auto& c : cases) {
    const int taken = openInstanceFolder(c.runtime, c.cache);
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/fd/" + std::to_string(taken), error);
    EXPECT_EQ(taken < 0 ? "none" : path.lexically_relative(base).string(), c.expected)
        << c.runtime << " " << c.cache;
    if (taken >= 0) ::close(taken);
  }
}

}  // namespace
}  // namespace kestro::app
