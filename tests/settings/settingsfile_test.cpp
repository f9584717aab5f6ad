// The settings file as a whole: values of any length come back whole, what no control
// changed survives a save byte for byte, a save is all of it or none of it even when the
// saver is killed, and a file that cannot be a settings file is named, not read.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/optionset.h"
#include "platform/profile.h"
#include "settings/inifile.h"
#include "settings/settings.h"
#include "support/tempfolder.h"

namespace kestro::settings {
namespace {

namespace fs = std::filesystem;
using core::OptionSet;
using test::readFile;
using test::writeFile;

class SettingsFile : public ::testing::Test {
 protected:
  test::TempFolder folder;
  const std::string file = (folder.path() / "kestro.ini").string();
};

TEST_F(SettingsFile, AValueOfAnyLengthReadsWhole) {
  for (const std::size_t length : {0, 253, 254, 255, 300, 5000}) {
    const std::string text(length, 'x');
    writeFile(file, "[EXE]\nexe= " + text + " \n");
    EXPECT_EQ(ReadIniValue("EXE", "exe", file), text) << length;
  }
}

// Replaces the value of `key` in the first section named `section` of `text`.
std::string withValue(std::string text, std::string_view section, std::string_view key,
                      std::string_view value) {
  const std::size_t line = text.find("\n" + std::string(key) + "=", text.find(section));
  const std::size_t begin = line + key.size() + 2;
  return text.replace(begin, text.find('\n', begin) - begin, value);
}

TEST_F(SettingsFile, WhatNoControlChangedComesBackFromASaveByteForByte) {
  writeFile(file, readFile(KESTRO_SHIPPED_INI));
  OptionSet first;  // every key holds a value, so no load falls back to a default
  Remembered firstRemembered;
  loadDefaultSettings(first, firstRemembered, file, '.');
  ASSERT_TRUE(saveUserSettings(first, firstRemembered, file, '.').saved);
  // Edited by hand: a quoted value of a key no control feeds, values longer than a first read
  // takes, blanks around a value a control feeds.
  std::string edited = withValue(readFile(file), "[UserSettingsVid]", "vgafreq", "\"3\"");
  edited = withValue(edited, "[UserSettingsVid]", "resx", "640 " + std::string(300, 'x'));
  edited = withValue(edited, "[UserSettingsVid]", "vesa", "  \"2\"  ");
  edited = withValue(edited, "[EXE]", "exe", std::string(260, 'M') + ".EXE");
  writeFile(file, edited);
  OptionSet options;
  Remembered remembered;
  loadUserSettings(options, remembered, file, '.');
  EXPECT_TRUE(options.vidvesa2);
  ASSERT_TRUE(saveUserSettings(options, remembered, file, '.').saved);
  EXPECT_EQ(readFile(file), edited);
}

TEST_F(SettingsFile, ASaverKilledAnywhereLeavesOneWholeSave) {
  // Defaults after the user sections and a long tail make every save move much of the file.
  std::string padding;
  for (int line = 0; line < 20000; ++line) padding += "; the packager's notes, kept\n";
  writeFile(file, readFile(KESTRO_SHIPPED_INI) + padding);
  OptionSet saves[2];
  Remembered remembered[2];
  saves[1].vidscanlines = 1;
  saves[1].fsslid = 7;
  saves[1].mame = "MAME37B.EXE";
  saves[1].gamma = "0.8";
  ASSERT_TRUE(saveUserSettings(saves[0], remembered[0], file, '.').saved);
  const std::string firstSave = readFile(file);
  ASSERT_TRUE(saveUserSettings(saves[1], remembered[1], file, '.').saved);
  const std::string secondSave = readFile(file);
  std::mt19937 random(3);
  for (int kill = 0; kill < 12; ++kill) {
    writeFile(file, firstSave);
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      for (int round = 1;; ++round) {
        if (!saveUserSettings(saves[round % 2], remembered[round % 2], file, '.').saved) _exit(1);
        if (round == 1 && ::write(started[1], "!", 1) != 1) _exit(2);
      }
    }
    ::close(started[1]);
    char signal = 0;
    ASSERT_EQ(::read(started[0], &signal, 1), 1) << "the saver failed before its first save";
    ::close(started[0]);
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "a save failed";
    const std::string text = readFile(file);
    ASSERT_TRUE(text == firstSave || text == secondSave) << "half a save, kill " << kill;
  }
}

TEST_F(SettingsFile, AFileThatCannotBeASettingsFileIsNamedOnceAndNeverOverwritten) {
  EXPECT_EQ(settingsFileProblem(file), std::nullopt) << "a missing file is the usual first start";
  writeFile(file, readFile(KESTRO_SHIPPED_INI));
  fs::resize_file(file, platform::kProfileMaxBytes);
  EXPECT_EQ(settingsFileProblem(file), std::nullopt);
  fs::resize_file(file, platform::kProfileMaxBytes + 1);
  EXPECT_NE(settingsFileProblem(file).value_or("").find("holds 17 MiB"), std::string::npos);

  constexpr std::uint64_t kHuge = std::uint64_t{1} << 40;  // sparse: no disk space taken
  fs::resize_file(file, kHuge);
  const std::optional<std::string> problem = settingsFileProblem(file);
  ASSERT_TRUE(problem);
  EXPECT_NE(problem->find(file + ": it holds 1048576 MiB"), std::string::npos) << *problem;
  EXPECT_NE(problem->find("at most 16 MiB"), std::string::npos) << *problem;
  OptionSet options;
  Remembered remembered;
  loadUserSettings(options, remembered, file, '.');
  EXPECT_EQ(options.gamma, OptionSet().gamma);
  EXPECT_EQ(options.vidvesa1, OptionSet().vidvesa1) << "the shipped defaults were not read";
  EXPECT_EQ(saveUserSettings(options, remembered, file, '.').error, EFBIG);
  EXPECT_EQ(fs::file_size(file), kHuge);
  std::string start(100, '\0');
  std::ifstream(file, std::ios::binary).read(start.data(), 100);
  EXPECT_EQ(start, readFile(KESTRO_SHIPPED_INI).substr(0, 100));

  fs::remove(file);
  fs::create_directory(file);
  EXPECT_NE(settingsFileProblem(file).value_or("").find("it is a folder"), std::string::npos);
}

}  // namespace
}  // namespace kestro::settings
