// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as a whole: what no control changed, values of any length too, survives a
// save byte for byte, a save (of the options or of the last games) is all of it or none of it
// even when the saver is killed, and a file that cannot be a settings file is named.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/optionset.h"
#include "platform/durablefile.h"
#include "settings/inifile.h"
#include "settings/lastgames.h"
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
  const fs::file_time_type longAgo = test::ageFile(file);
  loadUserSettings(options, remembered, file, '.');
  EXPECT_TRUE(options.vidvesa2);
  ASSERT_TRUE(saveUserSettings(options, remembered, file, '.').saved);
  EXPECT_EQ(readFile(file), edited);
  EXPECT_EQ(fs::last_write_time(file), longAgo) << "a save that changes nothing rewrites nothing";
}

// "Save Settings" and the last games each write with one replacement: a saver killed at any
// moment leaves whole saves only, never one run's game beside another run's MAME folder.
TEST_F(SettingsFile, ASaverKilledAnywhereLeavesWholeSavesOnly) {
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
  std::vector<LastGame> lists[2];
  for (const std::string game : {"a", "b", "c", "d", "e"}) {
    lists[0].push_back({"/r/ROMS/" + game, "/one"});
    lists[1].push_back({"/s/ROMS/" + game + game, "/two"});
  }
  // After rounds 0, 1, 2, 3 the file holds the settings and the list of saves 1 and 0, 1 and 1,
  // 0 and 1, 0 and 0: four whole states, one of which a kill must leave.
  const auto save = [&](int round) {
    const int which = round % 4 < 2 ? 1 : 0;
    return round % 2 == 0 ? saveUserSettings(saves[which], remembered[which], file, '.').saved
                          : saveLastGames(lists[which], file) == 0;
  };
  ASSERT_TRUE(saveUserSettings(saves[0], remembered[0], file, '.').saved);
  ASSERT_EQ(saveLastGames(lists[0], file), 0);
  std::vector<std::string> whole = {readFile(file)};
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(save(round));
    whole.push_back(readFile(file));
  }
  std::mt19937 random(3);
  for (int kill = 0; kill < 12; ++kill) {
    writeFile(file, whole[0]);
    const auto delay = std::chrono::microseconds(std::uniform_int_distribution(0, 20000)(random));
    ASSERT_EQ(test::killedWhileRunning(save, delay), "");
    ASSERT_NE(std::ranges::find(whole, readFile(file)), whole.end())
        << "half a save, kill " << kill;
  }
}

TEST_F(SettingsFile, AFileThatCannotBeASettingsFileIsNamed) {
  const struct {
    std::int64_t size;  // -1: no file, -2: a folder
    std::string named;  // empty: nothing to name
  } cases[] = {
      {-1, ""},  // the usual first start
      {platform::kDurableMaxBytes, ""},
      {platform::kDurableMaxBytes + 1,
       "17 MiB, and a settings file may hold at most 16 MiB. The options start at their initial "
       "state (every check box clear, no option button chosen)"},
      {std::int64_t{1} << 40,  // sparse: no disk space taken
       file + ": it holds 1048576 MiB, and a settings file may hold at most 16 MiB."},
      {-2, file + ": it is a folder."},
  };
  for (const auto& [size, named] : cases) {
    fs::remove(file);
    if (size == -2) fs::create_directory(file);
    if (size >= 0) {
      writeFile(file, "[EXE]\nexe=MAME.EXE\n");
      fs::resize_file(file, static_cast<std::uintmax_t>(size));
    }
    const std::optional<std::string> problem = settingsFileProblem(file);
    EXPECT_EQ(problem.has_value(), !named.empty()) << size;
    EXPECT_NE(problem.value_or("").find(named), std::string::npos) << problem.value_or("");
  }
}

}  // namespace
}  // namespace kestro::settings
