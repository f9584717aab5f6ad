// Kestro as installed: the prefix install and its desktop files, the Debian package, and the
// real program started from them. The program runs as its own process on Qt's offscreen
// platform, driven through the probe it is started with (probe.cpp).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>
#include <filesystem>
#include <string>

#include "support/tempfolder.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

constexpr int kNobody = 65534;
const bool kRoot = ::geteuid() == 0;

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

QString q(const fs::path& path) { return QString::fromStdString(path.string()); }

// Runs a program to its end, as nobody when the tests run as root: the program's folder, owned
// by root, is then one its user cannot write.
Outcome run(const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
            bool asNobody = false) {
  QProcess process;
  process.setProcessEnvironment(environment);
  if (asNobody && kRoot) {
    process.start(
        "setpriv",
        QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "--", program} + arguments);
  } else {
    process.start(program, arguments);
  }
  process.waitForFinished(120000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

bool installed(const char* tool) { return !QStandardPaths::findExecutable(tool).isEmpty(); }

// Waits for the probe to report a line; the program takes its time on a busy machine.
bool reported(const fs::path& report, const std::string& line) {
  for (int i = 0; i < 600; ++i) {
    if (("\n" + test::readFile(report)).find("\n" + line + "\n") != std::string::npos) return true;
    QThread::msleep(100);
  }
  return false;
}

int count(const std::string& text, const std::string& part) {
  int found = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++found;
  return found;
}

// A folder the program's user owns and may write; the test's temporary folders are private.
fs::path userFolder(const fs::path& path, bool forNobody = true) {
  fs::create_directories(path);
  if (forNobody && kRoot && ::chown(path.c_str(), kNobody, kNobody) != 0)
    throw std::runtime_error("chown");
  return path;
}

// The program as a portable copy: the built program alone in a folder.
fs::path portableCopy(const fs::path& folder) {
  fs::copy_file(KESTRO_PROGRAM, folder / "kestro");
  return folder / "kestro";
}

// As on a desktop: a home, a private runtime folder, no display but Qt's offscreen one.
QProcessEnvironment programEnvironment(const fs::path& home, bool forNobody = true) {
  const fs::path runtime = userFolder(home.parent_path() / "runtime", forNobody);
  fs::permissions(runtime, fs::perms(0700));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("XDG_RUNTIME_DIR", q(runtime));
  environment.remove("XDG_CONFIG_HOME");
  environment.remove("DISPLAY");
  environment.remove("WAYLAND_DISPLAY");
  environment.insert("HOME", q(home));
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  return environment;
}

// ---------------------------------------------------------------------------------------------
// The command line

TEST(CommandLine, HelpAndVersionPrintWithoutAWindowAndQtKeepsItsOptions) {
  test::TempFolder folder;
  const fs::path program = portableCopy(folder.path());
  // Without a display, opening a window on the X11 platform would end the program.
  QProcessEnvironment noDisplay =
      programEnvironment(userFolder(folder.path() / "home", false), false);
  noDisplay.insert("QT_QPA_PLATFORM", "xcb");
  struct Case {
    QStringList arguments;
    int exitCode;
    std::string out;
    std::string err;
  };
  const std::string settings = "Settings file: " + folder.str() + "/kestro.ini\n";
  const Case cases[] = {
      {{"--version"}, 0, "kestro " KESTRO_VERSION "\n", ""},
      {{"-v"}, 0, "kestro " KESTRO_VERSION "\n", ""},
      {{"--help"}, 0, "Usage: kestro [Qt options]\n", ""},
      {{"-platform", "offscreen", "-h"}, 0, settings, ""},
      {{"-style", "fusion", "--bogus"}, 2, "", "kestro: unknown argument '--bogus'\n"},
  };
  for (const Case& example : cases) {
    SCOPED_TRACE(example.arguments.join(' ').toStdString());
    QProcessEnvironment environment = noDisplay;
    // The unknown argument is found only after Qt has had the line, which needs a platform.
    if (example.exitCode == 2) environment.insert("QT_QPA_PLATFORM", "offscreen");
    const Outcome outcome = run(q(program), example.arguments, environment);
    EXPECT_EQ(outcome.exitCode, example.exitCode);
    EXPECT_NE(outcome.out.find(example.out), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.err.find(example.err), std::string::npos) << outcome.err;
    if (example.exitCode == 0) {
      EXPECT_EQ(outcome.err, "");
    } else {
      EXPECT_EQ(outcome.out, "");
    }
  }
  EXPECT_FALSE(fs::exists(folder.path() / "kestro.ini"));
}

TEST(CommandLine, ASecondStartBringsTheFirstWindowBackAndEndsSilently) {
  test::TempFolder folder;
  const fs::path program = portableCopy(folder.path());
  fs::copy_file(KESTRO_SHIPPED_INI, folder.path() / "kestro.ini");
  const fs::path report = folder.path() / "report";
  QProcessEnvironment environment =
      programEnvironment(userFolder(folder.path() / "home", false), false);
  environment.insert("LD_PRELOAD", KESTRO_PROBE_LIBRARY);
  environment.insert("KESTRO_PROBE_MODE", "forward");
  environment.insert("KESTRO_PROBE_REPORT", q(report));
  QProcess first;
  first.setProcessEnvironment(environment);
  first.start(q(program), {});
  ASSERT_TRUE(reported(report, "hidden")) << test::readFile(report);

  // Qt's own option reaches Qt: without it the second start would have no display to open.
  QProcessEnvironment noDisplay =
      programEnvironment(userFolder(folder.path() / "home", false), false);
  noDisplay.insert("QT_QPA_PLATFORM", "xcb");
  const Outcome second = run(q(program), {"-platform", "offscreen"}, noDisplay);
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(second.out, "");
  EXPECT_EQ(second.err, "");
  EXPECT_TRUE(reported(report, "forward")) << test::readFile(report);
  ASSERT_TRUE(first.waitForFinished(60000));
  EXPECT_EQ(first.exitCode(), 0);
}

// ---------------------------------------------------------------------------------------------
// The prefix install

TEST(PrefixInstall, PutsTheProgramDefaultsMenuEntryIconsMetadataAndManualInPlace) {
  test::TempFolder prefix;
  const Outcome install =
      run("cmake", {"--install", KESTRO_BUILD_DIR, "--prefix", q(prefix.path())});
  ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
  const fs::path root = prefix.path();
  EXPECT_TRUE(fs::exists(root / "bin/kestro"));
  EXPECT_FALSE(fs::exists(root / "bin/kestro.ini"));
  EXPECT_EQ(test::readFile(root / "share/kestro/kestro.ini"), test::readFile(KESTRO_SHIPPED_INI));
  EXPECT_TRUE(fs::exists(root / "share/man/man1/kestro.1.gz"));
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const fs::path icon = root / "share/icons/hicolor" /
                          (std::to_string(size) + "x" + std::to_string(size)) / "apps/kestro.png";
    const QImage image(q(icon));
    EXPECT_EQ(image.size(), QSize(size, size)) << icon;
    // The picture fills its square: the ball at the top and the panel at the bottom.
    EXPECT_GT(qAlpha(image.pixel(size * 20 / 64, size * 10 / 64)), 200) << icon;
    EXPECT_GT(qAlpha(image.pixel(size * 32 / 64, size * 55 / 64)), 200) << icon;
  }

  const QString desktop = q(root / "share/applications" / (KESTRO_APP_ID ".desktop"));
  const QString metainfo = q(root / "share/metainfo" / (KESTRO_APP_ID ".metainfo.xml"));
  ASSERT_TRUE(QFile::exists(desktop));
  ASSERT_TRUE(QFile::exists(metainfo));
  if (!installed("desktop-file-validate") || !installed("appstreamcli")) {
    GTEST_SKIP() << "desktop-file-validate or appstreamcli is not installed";
  }
  const Outcome entry = run("desktop-file-validate", {desktop});
  EXPECT_EQ(entry.exitCode, 0) << entry.out << entry.err;
  EXPECT_EQ(entry.out + entry.err, "");
  const Outcome appstream = run("appstreamcli", {"validate", "--no-net", "--pedantic", metainfo});
  EXPECT_EQ(appstream.exitCode, 0) << appstream.out << appstream.err;
}

// ---------------------------------------------------------------------------------------------
// The Debian package

fs::path package() {
  for (const auto& entry : fs::directory_iterator(KESTRO_PACKAGE_DIR)) {
    if (entry.path().extension() == ".deb") return entry.path();
  }
  throw std::runtime_error("no package in " KESTRO_PACKAGE_DIR);
}

TEST(Package, DependsOnTheLinkedLibrariesAndDosbox) {
  const Outcome depends = run("dpkg-deb", {"--field", q(package()), "Depends"});
  ASSERT_EQ(depends.exitCode, 0) << depends.err;
  for (const char* needed : {"dosbox", "libc6", "libstdc++6", "libqt6widgets6", "libqt6gui6"}) {
    EXPECT_NE(depends.out.find(needed), std::string::npos) << needed << " in " << depends.out;
  }
}

TEST(Package, LintianReportsNoErrors) {
  if (!installed("lintian")) GTEST_SKIP() << "lintian is not installed";
  const Outcome lintian = run("lintian", {"--tag-display-limit", "0", q(package())});
  EXPECT_EQ(count("\n" + lintian.out, "\nE: "), 0) << lintian.out << lintian.err;
}

// The package unpacked into a temporary root, started by a user who may not write there.
class Unpacked : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::permissions(folder.path(), fs::perms(0755));
    const Outcome unpack = run("dpkg-deb", {"-x", q(package()), q(root)});
    ASSERT_EQ(unpack.exitCode, 0) << unpack.err;
    fs::copy_file(KESTRO_PROBE_LIBRARY, folder.path() / "probe.so");
    if (!kRoot) makeReadOnly(root);
  }
  void TearDown() override {
    for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
      std::error_code ignored;
      if (entry.is_directory()) fs::permissions(entry.path(), fs::perms(0755), ignored);
    }
  }

  static void makeReadOnly(const fs::path& tree) {
    for (const auto& entry : fs::recursive_directory_iterator(tree)) {
      fs::permissions(entry.path(), fs::perms::owner_write | fs::perms::group_write,
                      fs::perm_options::remove | fs::perm_options::nofollow);
    }
    fs::permissions(tree, fs::perms::owner_write, fs::perm_options::remove);
  }

  // Starts the unpacked program with the probe saving, and returns its report.
  std::string saveOnce(const fs::path& home) {
    const fs::path report = userFolder(folder.path() / "reports") / "report";
    QProcessEnvironment environment = programEnvironment(home);
    environment.insert("LD_PRELOAD", q(folder.path() / "probe.so"));
    environment.insert("KESTRO_PROBE_MODE", "save");
    environment.insert("KESTRO_PROBE_REPORT", q(report));
    const Outcome outcome = run(q(root / "usr/bin/kestro"), {}, environment, true);
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    return test::readFile(report);
  }

  test::TempFolder folder;
  fs::path root = folder.path() / "root";
};

// What the shipped defaults set: VESA 2 linear, 16-bit colour, a standard monitor.
void expectShippedDefaults(const std::string& report) {
  for (const char* line :
       {"state vidvesa3 1", "state viddep2 1", "state vidmon1 1", "state vidscanlines 0"}) {
    EXPECT_NE(report.find(std::string("\n") + line + "\n"), std::string::npos) << line << report;
  }
}

TEST_F(Unpacked, FirstStartShowsTheShippedDefaultsAndSavesIntoTheUsersConfigFolder) {
  const fs::path home = userFolder(folder.path() / "home");
  const std::string report = saveOnce(home);
  ASSERT_NE(report.find("saved\n"), std::string::npos) << report;
  expectShippedDefaults(report);
  EXPECT_EQ(count(report, "message: "), 0) << report;

  const std::string settings = test::readFile(home / ".config/kestro/kestro.ini");
  EXPECT_EQ(settings.rfind(test::readFile(KESTRO_SHIPPED_INI), 0), 0u)
      << "the user's file starts as the shipped one";
  const auto user = settings.find("[UserSettingsVid]");
  ASSERT_NE(user, std::string::npos) << settings;
  EXPECT_NE(settings.find("scanlines= 1", user), std::string::npos) << settings;
  EXPECT_FALSE(fs::exists(root / "usr/bin/kestro.ini"));
}

TEST_F(Unpacked, NoWritableSettingsFileIsSaidOnceAtStartUpNotAtEverySave) {
  // A home the user may not write: no configuration folder can be made there.
  const fs::path home = folder.path() / "home";
  fs::create_directories(home);
  fs::permissions(home, fs::perms(0555));
  const std::string report = saveOnce(home);
  ASSERT_NE(report.find("saved\n"), std::string::npos) << report;
  EXPECT_EQ(count(report, "message: "), 1) << report;
  EXPECT_NE(report.find("message: Kestro cannot save its settings"), std::string::npos) << report;
  EXPECT_LT(report.find("message: "), report.find("shown\n")) << "said before anything is done";
  expectShippedDefaults(report);
  EXPECT_FALSE(fs::exists(home / ".config"));
}

}  // namespace
}  // namespace kestro
