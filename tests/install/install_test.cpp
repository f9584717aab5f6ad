// SPDX-License-Identifier: GPL-3.0-or-later
// Kestro as installed: the prefix install, the Debian package, and the real program started
// from them as its own process on Qt's offscreen platform, driven by the probe (probe.cpp).
#include <gtest/gtest.h>
#include <signal.h>

#include <QImage>
#include <QProcess>
#include <filesystem>
#include <string>

#include "support/tempfolder.h"

namespace kestro {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode = -1;
  std::string out, err;
};

QString q(const fs::path& path) { return QString::fromStdString(path.string()); }

// Starts a program, as nobody where asked and the tests run as root: the program's folder,
// owned by root, is then one its user cannot write.
void launch(QProcess& process, const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment, bool asNobody) {
  process.setProcessEnvironment(environment);
  if (asNobody) process.setChildProcessModifier([] { test::becomeUser(test::kBoundUser); });
  process.start(program, arguments);
}

Outcome run(const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
            bool asNobody = false) {
  QProcess process;
  launch(process, program, arguments, environment, asNobody);
  if (!process.waitForFinished(120000)) process.kill();
  process.waitForFinished();
  // -1 when it did not start, did not end in time or crashed.
  return {process.error() == QProcess::UnknownError ? process.exitCode() : -1,
          process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

int count(const std::string& text, const std::string& part) {
  int found = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++found;
  return found;
}

// Waits for the probe to report a line; the program takes its time on a busy machine.
bool reported(const fs::path& report, const std::string& line) {
  return test::waitUntil(
      [&] { return count("\n" + test::readFile(report), "\n" + line + "\n") > 0; },
      std::chrono::minutes(1));
}

// As on a desktop: a home, a private runtime folder, no display but Qt's offscreen one; the
// folders owned by nobody when the program runs as nobody.
QProcessEnvironment programEnvironment(const fs::path& home, bool asNobody) {
  const fs::path runtime = home.parent_path() / "runtime";
  test::make(home, 0755, asNobody ? test::kBoundUser : 0);
  test::make(runtime, 0700, asNobody ? test::kBoundUser : 0);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"XDG_CONFIG_HOME", "DISPLAY", "WAYLAND_DISPLAY"})
    environment.remove(name);
  environment.insert("XDG_RUNTIME_DIR", q(runtime));
  environment.insert("HOME", q(home));
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  return environment;
}

// The program the prefix install put in place answers its command line without a window and
// leaves Qt's own options to Qt.
TEST(PrefixInstall, PutsEverythingInPlaceAndTheProgramAnswersItsCommandLine) {
  test::TempFolder prefix;
  const Outcome install =
      run("cmake", {"--install", KESTRO_BUILD_DIR, "--prefix", q(prefix.path())});
  ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
  const fs::path root = prefix.path();
  const fs::path home = root / "home";
  const std::string settings = "Settings file: " + home.string() + "/.config/kestro/kestro.ini\n";
  const struct {
    QStringList arguments;
    int exitCode;
    std::string out, err;
  } cases[] = {
      {{"--version"}, 0, "kestro " KESTRO_VERSION "\n", ""},
      {{"-v"}, 0, "kestro " KESTRO_VERSION "\n", ""},
      {{"--help"}, 0, "Usage: kestro [Qt options]\n", ""},
      {{"-platform", "offscreen", "-h"}, 0, settings, ""},
      {{"-platform", "offscreen", "--bogus"}, 2, "", "kestro: unknown argument '--bogus'\n"},
  };
  // Without a display, X11 ends the program: Qt, which has the line before the unknown argument
  // is found, must have taken "-platform", and help must come without a window.
  QProcessEnvironment environment = programEnvironment(home, false);
  environment.insert("QT_QPA_PLATFORM", "xcb");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const Outcome outcome = run(q(root / "bin/kestro"), c.arguments, environment);
    EXPECT_EQ(outcome.exitCode, c.exitCode);
    EXPECT_EQ(c.exitCode == 0 ? outcome.err : outcome.out, "");
    EXPECT_NE(outcome.out.find(c.out), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.err.find(c.err), std::string::npos) << outcome.err;
  }
  EXPECT_FALSE(fs::exists(home / ".config")) << "help made the settings file";
  EXPECT_EQ(test::readFile(root / "share/kestro/kestro.ini"), test::readFile(KESTRO_SHIPPED_INI));
  EXPECT_TRUE(fs::exists(root / "share/man/man1/kestro.1.gz"));
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const std::string side = std::to_string(size);
    const QImage image(q(root / "share/icons/hicolor" / (side + "x" + side) / "apps/kestro.png"));
    EXPECT_EQ(image.size(), QSize(size, size)) << size;
    // Drawn to its size: the ball near the top left corner.
    EXPECT_GT(qAlpha(image.pixel(size * 20 / 64, size * 10 / 64)), 200) << size;
  }
  const fs::path desktop = root / "share/applications" / (KESTRO_APP_ID ".desktop");
  const fs::path metainfo = root / "share/metainfo" / (KESTRO_APP_ID ".metainfo.xml");
  const Outcome entry = run("desktop-file-validate", {q(desktop)});
  EXPECT_EQ(entry.out + entry.err, "") << "every fault named";
  const Outcome appstream =
      run("appstreamcli", {"validate", "--no-net", "--pedantic", q(metainfo)});
  EXPECT_EQ(appstream.exitCode, 0) << appstream.out << appstream.err;
}

fs::path package() {
  for (const auto& entry : fs::directory_iterator(KESTRO_PACKAGE_DIR)) {
    if (entry.path().extension() == ".deb") return entry.path();
  }
  throw std::runtime_error("no package in " KESTRO_PACKAGE_DIR);
}

// Unpacked, the package is started by its own user (root, where the tests run as root), who may
// write beside the program, and by one who may write neither there nor in its home. The probe
// saves and hides the window; a start while the first is stopped says on screen that it gets no
// answer, and a later one brings the window back.
TEST(Package, DependsAndPassesLintianAndUnpackedShowsTheDefaultsAndSavesAndComesForward) {
  const Outcome depends = run("dpkg-deb", {"--field", q(package()), "Depends"});
  for (const char* needed : {"dosbox", "libc6", "libstdc++6", "libqt6widgets6", "libqt6gui6"}) {
    EXPECT_NE(depends.out.find(needed), std::string::npos) << needed << " in " << depends.out;
  }
  const Outcome lintian = run("lintian", {"--tag-display-limit", "0", q(package())});
  EXPECT_EQ(count("\n" + lintian.out, "\nE: "), 0) << lintian.out << lintian.err;
  test::TempFolder folder;
  fs::permissions(folder.path(), fs::perms(0755));
  const fs::path root = folder.path() / "root";
  const Outcome unpack = run("dpkg-deb", {"-x", q(package()), q(root)});
  ASSERT_EQ(unpack.exitCode, 0) << unpack.err;
  const QString program = q(root / "usr/bin/kestro");
  fs::copy_file(KESTRO_PROBE_LIBRARY, folder.path() / "probe.so");
  for (const bool owner : {true, false}) {
    SCOPED_TRACE(owner ? "owner" : "locked out");
    const fs::path home = folder.path() / (owner ? "owner" : "locked") / "home";
    const fs::path file =
        owner ? home / ".config/kestro/kestro.ini" : root / "usr/share/kestro/kestro.ini";
    const fs::path report = home.parent_path() / "runtime/report";
    const QProcessEnvironment plain = programEnvironment(home, !owner);
    QProcessEnvironment probed = plain;
    probed.insert("LD_PRELOAD", q(folder.path() / "probe.so"));
    probed.insert("KESTRO_PROBE_REPORT", q(report));
    if (!owner) fs::permissions(home, fs::perms(0555));
    QProcess first;
    launch(first, program, {}, probed, !owner);
    ASSERT_TRUE(reported(report, "hidden")) << test::readFile(report);
    ::kill(static_cast<pid_t>(first.processId()), SIGSTOP);
    const Outcome stopped = run(program, {}, probed, !owner);
    ::kill(static_cast<pid_t>(first.processId()), SIGCONT);
    EXPECT_EQ(stopped.exitCode, 1);
    const Outcome second = run(program, {}, plain, !owner);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out + second.err, "");
    EXPECT_TRUE(reported(report, "forward")) << test::readFile(report);
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    const std::string said = "\n" + test::readFile(report);
    // The shipped defaults: VESA 2 linear, 16-bit colour, a standard monitor.
    for (const char* line : {"vidvesa3 1", "viddep2 1", "vidmon1 1", "vidscanlines 0"}) {
      EXPECT_EQ(count(said, std::string("\nstate ") + line + "\n"), 1) << line;
    }
    // The stopped first start's report goes on with the later start's message; an unwritable
    // file is said once, before the window shows.
    EXPECT_EQ(count(said, "\nmessage: "), owner ? 1 : 2) << said;
    EXPECT_EQ(count(said, "\nhidden\nmessage: Another Kestro runs on the settings file " +
                              file.string() + " but does not answer"),
              1);
    EXPECT_EQ(said.find("\nmessage: Kestro cannot save") < said.find("\nshown\n"), !owner);
    if (!owner) continue;
    const std::string settings = test::readFile(file);
    EXPECT_EQ(settings.rfind(test::readFile(KESTRO_SHIPPED_INI), 0), 0u)
        << "the user's file starts as the shipped one";
    EXPECT_NE(settings.find("scanlines= 1", settings.find("[UserSettingsVid]")), std::string::npos)
        << settings;
  }
}

}  // namespace
}  // namespace kestro
