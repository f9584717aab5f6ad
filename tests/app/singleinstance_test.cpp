// The single instance between real processes: a first start runs Qt's event loop in a child,
// later starts claim in children of their own, each with the environment of its login.
#include "app/singleinstance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "support/tempfolder.h"

namespace kestro::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uid_t kNobody = 65534;
const bool kRoot = ::geteuid() == 0;

// What a login gives a start, and the settings file it starts on.
struct Start {
  fs::path tmp;
  fs::path runtime;  // empty: XDG_RUNTIME_DIR unset
  fs::path home;
  fs::path settings;
};

void enter(const Start& start) {
  ::setenv("TMPDIR", start.tmp.c_str(), 1);
  if (start.runtime.empty()) {
    ::unsetenv("XDG_RUNTIME_DIR");
  } else {
    ::setenv("XDG_RUNTIME_DIR", start.runtime.c_str(), 1);
  }
  ::setenv("HOME", start.home.c_str(), 1);
  ::unsetenv("XDG_CACHE_HOME");
}

// The event loop a first start listens with, in a child.
std::unique_ptr<QCoreApplication> application() {
  static int argc = 1;
  static char name[] = "kestro";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QCoreApplication>(argc, argv);
}

std::string text(SingleInstance::Claim claim) {
  switch (claim) {
    case SingleInstance::Claim::First:
      return "first";
    case SingleInstance::Claim::Forwarded:
      return "forwarded";
    case SingleInstance::Claim::NoAnswer:
      return "no answer";
  }
  return {};
}

// A first start in a child: it says how its claim went, stops itself where asked, and says
// "forward" when a later start asks it to come forward, then ends. A stopped one is killed with
// the object; another is waited for, so that it ends as a start ends.
class FirstStart {
 public:
  FirstStart(const Start& start, bool stop) : stopped_(stop) {
    int channel[2];
    if (::pipe(channel) != 0) throw std::runtime_error("pipe failed");
    child_ = ::fork();
    if (child_ == 0) {
      ::close(channel[0]);
      ::alarm(30);
      enter(start);
      {
        const auto loop = application();
        SingleInstance instance(start.settings, openInstanceFolder());
        const auto say = [&](const std::string& line) {
          if (::write(channel[1], (line + "\n").data(), line.size() + 1) < 0) ::_exit(1);
        };
        say(text(instance.claim()));
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
    reports_ = channel[0];
  }
  ~FirstStart() {
    if (stopped_) ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
    ::close(reports_);
  }
  // The child's next line; empty when it ended without one.
  std::string line() {
    std::string said;
    for (char c; ::read(reports_, &c, 1) == 1 && c != '\n';) said += c;
    return said;
  }

 private:
  bool stopped_;
  pid_t child_;
  int reports_;
};

void own(const fs::path& folder, fs::perms mode, uid_t user = ::geteuid()) {
  fs::create_directories(folder);
  const gid_t group = user == ::geteuid() ? ::getegid() : user;
  if (::chown(folder.c_str(), user, group) != 0) throw std::runtime_error("chown failed");
  fs::permissions(folder, mode);
}

TEST(SingleInstance, ALaterStartFindsTheFirstWhateverElseItsLoginOrAnotherUserMade) {
  test::TempFolder folder;
  const fs::path base = folder.path();
  fs::permissions(base, fs::perms(0755));
  const fs::path longName(std::string(200, 'x'));
  for (const fs::path& tmp :
       {base / "tmp", base / "tmp2", base / "tmp3", base / longName / "tmp"}) {
    own(tmp, fs::perms(01777));
  }
  for (const fs::path& runtime : {base / "run", base / longName / "run"}) {
    own(runtime, fs::perms(0700));
  }
  own(base / "open", fs::perms(0755));
  own(base / "home", fs::perms(0755));
  fs::create_directory_symlink(base / "home", base / "link");
  const fs::path settings = ".config/kestro/kestro.ini";
  const Start usual{base / "tmp", base / "run", base / "home", base / "home" / settings};
  const Start noRuntime{base / "tmp", "", base / "home", base / "home" / settings};

  const struct {
    const char* name;
    Start first;
    Start later;
    bool stopFirst;
    bool planted;  // another user first puts a FIFO under each name a start makes in TMPDIR
    const char* expected;
  } cases[] = {
      {"one login", usual, usual, false, false, "first forwarded forward"},
      {"a home reached through a link, its folder not made yet",
       {base / "tmp", "", base / "link", base / "link" / settings},
       noRuntime,
       false,
       false,
       "first forwarded forward"},
      {"two logins, two TMPDIRs",
       noRuntime,
       {base / "tmp2", "", base / "home", usual.settings},
       false,
       false,
       "first forwarded forward"},
      {"long TMPDIR and runtime folder",
       {base / longName / "tmp", base / longName / "run", base / "home", usual.settings},
       {base / longName / "tmp", base / longName / "run", base / "home", usual.settings},
       false,
       false,
       "first forwarded forward"},
      {"a runtime folder others may read",
       {base / "tmp", base / "open", base / "home", usual.settings},
       {base / "tmp", base / "open", base / "home", usual.settings},
       false,
       false,
       "first forwarded forward"},
      {"names planted in TMPDIR",
       {base / "tmp3", "", base / "home", usual.settings},
       {base / "tmp3", "", base / "home", usual.settings},
       false,
       true,
       "first forwarded forward"},
      {"a stopped first start", usual, usual, true, false,
       "first no answer no answer no answer no answer no answer first"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.planted) {
      const std::string names = test::inChild([&] {
        enter(c.first);
        const auto loop = application();
        SingleInstance instance(c.first.settings, openInstanceFolder());
        instance.claim(1s);
        std::string made;
        for (const auto& entry : fs::directory_iterator(c.first.tmp))
          made += entry.path().string() + '\n';
        return made;
      });
      const std::string planted = test::inChild(
          [&] {
            std::string failed;
            for (std::size_t at = 0, end; (end = names.find('\n', at)) != std::string::npos;
                 at = end + 1) {
              const std::string name = names.substr(at, end - at);
              if (::mkfifo(name.c_str(), 0666) != 0) failed += name + " ";
            }
            return failed;
          },
          kRoot ? kNobody : 0);
      ASSERT_EQ(planted, "");
    }
    const auto later = [&](int starts) {
      return test::inChild([&] {
        enter(c.later);
        const auto loop = application();
        std::string claims;
        for (int start = 0; start < starts; ++start) {
          SingleInstance instance(c.later.settings, openInstanceFolder());
          claims += " " + text(instance.claim(c.stopFirst ? 300ms : 5s));
        }
        return claims;
      });
    };
    auto first = std::make_unique<FirstStart>(c.first, c.stopFirst);
    std::string said = first->line();
    // A stopped first start takes connections without answering, until its queue is full.
    said += later(c.stopFirst ? 5 : 1);
    if (!c.stopFirst) said += " " + first->line();
    // Ended, or killed when stopped, it leaves the lock to the next start.
    first.reset();
    if (c.stopFirst) said += later(1);
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
  own(base / "private", fs::perms(0700));
  own(base / "open", fs::perms(0755));
  own(base / "shared", fs::perms(0770));
  own(base / "others", fs::perms(0700), kRoot ? kNobody : ::geteuid());
  fs::create_directory_symlink(base / "private", base / "link");
  test::writeFile(base / "file", "");
  own(base / "opencache/kestro", fs::perms(0755));
  own(base / "linkcache", fs::perms(0700));
  fs::create_directory_symlink(base / "private", base / "linkcache/kestro");
  const struct {
    std::string runtime;
    std::string cache;
    std::string expected;
  } cases[] = {
      {base / "private", base / "cache", "private"},
      {base / "open", base / "cache", "cache/kestro"},
      {base / "shared", base / "cache", "cache/kestro"},
      {base / "others", base / "cache", kRoot ? "cache/kestro" : "others"},
      {base / "link", base / "cache", "cache/kestro"},
      {base / "file", base / "cache", "cache/kestro"},
      {"private", base / "cache", "cache/kestro"},
      {"", base / "cache", "cache/kestro"},
      {"", base / "opencache", "none"},
      {"", base / "linkcache", "none"},
      {"", "cache", "none"},
  };
  for (const auto& c : cases) {
    const int taken = openInstanceFolder(c.runtime, c.cache);
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/fd/" + std::to_string(taken), error);
    EXPECT_EQ(taken < 0 ? "none" : path.lexically_relative(base).string(), c.expected)
        << c.runtime << " " << c.cache;
    if (taken >= 0) ::close(taken);
  }
  std::error_code ignored;
  EXPECT_EQ(fs::status(base / "cache/kestro").permissions(), fs::perms(0700));
}

}  // namespace
}  // namespace kestro::app
