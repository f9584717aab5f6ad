// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and loading the option set through a real settings file in a fresh folder.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "core/options.h"
#include "settings/inifile.h"
#include "settings/keytable.h"
#include "support/tempfolder.h"

namespace kestro::settings {
namespace {

namespace fs = std::filesystem;
using core::OptionSet;
using test::readFile;

// Option set i of seven: member i of every group the file keeps (its last when it has fewer),
// boxes all ticked (0), all clear (1) or every other one, and values across their ranges.
OptionSet sample(int i) {
  OptionSet options;
  std::size_t box = 0;
  for (const core::Option& row : core::kOptions) {
    if (const auto* group = std::get_if<core::Group>(&row)) {
      const std::size_t member = std::min<std::size_t>(i, group->choices.size() - 1);
      core::setOptionButton(options, group->choices[member].button, true);
    }
    const auto* plain = std::get_if<core::Box>(&row);
    const auto* inverted = std::get_if<core::InvertedBox>(&row);
    if (plain != nullptr || inverted != nullptr) {
      options.*(plain ? plain->box : inverted->box) = i == 0 || (i > 1 && (++box + i) % 2 == 0);
    }
  }
  options.fsslid = 11 - i * 11 / 6;
  options.JoyList = 24 - i * 25 / 6;
  options.gamma = core::valueText(0.5 + i * 0.25, '.');
  options.beam = std::to_string(16 - i * 15 / 6);
  options.flicker = std::to_string(100 - i * 100 / 6);
  options.volume = std::to_string(2 * i - 12);
  options.mame = "MAME" + std::to_string(i) + ".EXE";
  return options;
}

class Settings : public ::testing::Test {
 protected:
  // What a save of `options` writes (every key, so the file holds the last save only).
  std::string saved(const OptionSet& options) const {
    Remembered copy = remembered;
    const fs::path other = folder.path() / "saved.ini";
    EXPECT_TRUE(saveUserSettings(options, copy, other.string(), '.').saved);
    return readFile(other);
  }
  // The values the user sections hold for `keys`, joined by blanks.
  std::string stored(std::initializer_list<std::string_view> keys) const {
    std::string values;
    for (const std::string_view key : keys) {
      const KeyRow& row = *std::ranges::find(kKeyTable, key, &KeyRow::key);
      values += " " + ReadIniValue(std::string(kUserProfile[row.section]), std::string(key), ini);
    }
    return values.substr(1);
  }

  test::TempFolder folder;
  const std::string ini = (folder.path() / "kestro.ini").string();
  // What the loads and saves carry between them; a save of another file goes through a copy.
  Remembered remembered;
};

// Set 0 as bytes: every box ticked, so stretch, antialias and transparent store 0, rotate 1.
TEST_F(Settings, ANewFileHoldsTheKeysInOrderAndALoadRestoresEveryStoredControl) {
  EXPECT_EQ(saved(sample(0)),
            "[UserSettingsVid]\ntweak= 1\nvesa= 1\nscanlines= 1\nvsync= 1\nror= 1\nrol= 1\n"
            "depth= 8\nntsc= 1\nmonitor= 1\nresx=\nresy=\ngamma= .5\nvgafreq=\nstretch= 0\n"
            "triplebuf= 1\nflipx= 1\nflipy= 1\nrotate= 1\nantialias= 0\ntransparent= 0\n"
            "frameskip= 11\nsynced= 1\nwaitil= 1\nbeam= 16\nflicker= 100\n"
            "[UserSettingsAud]\nsndcard= 0\nsndrate= 11025\nsndbit= 8\nstereo= 1\nym3812= 1\n"
            "volume=-12\n[UserSettingsMisc]\njoy= 24\nnomouse= 1\n[EXE]\nexe=MAME0.EXE\n");
  for (int i = 0; i < 7; ++i) {
    OptionSet options = sample(i);
    ASSERT_TRUE(saveUserSettings(options, remembered, ini, '.').saved);
    EXPECT_EQ(saved(options), readFile(ini)) << "a save changes no control";
    OptionSet loaded;
    loadUserSettings(loaded, remembered, ini, '.');
    EXPECT_EQ(saved(loaded), readFile(ini)) << i;
  }
}

TEST_F(Settings, StoredValuesSetTheirControlsAndBadOnesLeaveThem) {
  test::writeFile(ini,
                  "[UserSettingsVid]\ntweak=01\ngamma=.8\nstretch=1\nrotate=1\nantialias=0\n"
                  "transparent=0\nframeskip=3.5\n[UserSettingsAud]\nsndcard=3\nsndrate=44100\n"
                  "[UserSettingsMisc]\njoy=2.5\n");
  OptionSet options;
  loadUserSettings(options, remembered, ini, '.');
  EXPECT_EQ(options.gamma + " " + options.vidgammal, ".8 .8");
  // With the round trip, this pins both ways of the values that hold a trick.
  const std::vector<int> controls = {options.vidtweakon, options.stretche, options.orrof,
                                     options.antid,      options.transd,   options.fsslid,
                                     options.JoyList,    options.snd3,     options.sndr3};
  EXPECT_EQ(controls, (std::vector<int>{1, 0, 1, 1, 1, 4, 2, 1, 1}));
  // Values out of range or holding no number leave their controls.
  test::writeFile(
      ini,
      "[UserSettingsVid]\nscanlines=yes\nvsync=2\ngamma=bright\nframeskip=12\nbeam=\n"
      "[UserSettingsAud]\nsndcard=2\n[UserSettingsMisc]\njoy=1e9\n[EXE]\nexe=MAME4.EXE\n");
  options = sample(4);
  const std::string before = saved(options);
  loadUserSettings(options, remembered, ini, '.');
  EXPECT_EQ(saved(options), before);
}

TEST_F(Settings, KeysNoControlFeedsWriteBackWhatWasLastLoadedAlsoAfterDefaultSettings) {
  // Groups with no button on, the keys carried over, texts that hold no number.
  test::writeFile(ini,
                  "[UserSettingsVid]\nvesa=0\nresx=wide\nresy= 400\nvgafreq= 2\n"
                  "[UserSettingsAud]\nsndrate=8000\n");
  OptionSet options;
  loadUserSettings(options, remembered, ini, '.');
  options.vidreson = 1;  // the resolution boxes feed the command line, not the file
  options.vidresx = options.vidresy = "1024";
  ASSERT_TRUE(saveUserSettings(options, remembered, ini, '.').saved);
  EXPECT_EQ(stored({"vesa", "resx", "resy", "vgafreq", "sndrate"}), "0 wide 400 2 8000");
  // A group of two with neither button on counts as its second button.
  EXPECT_EQ(stored({"tweak", "depth", "sndbit", "stereo", "ym3812"}), "0 16 16 0 0");
  fs::copy_file(KESTRO_SHIPPED_INI, ini, fs::copy_options::overwrite_existing);
  loadDefaultSettings(options, remembered, ini, '.');
  ASSERT_TRUE(saveUserSettings(options, remembered, ini, '.').saved);
  EXPECT_EQ(stored({"resx", "resy", "vgafreq"}), "640 480 0");
}

TEST_F(Settings, AFirstRunShowsTheShippedDefaultsAndEachSetsItsControl) {
  fs::copy_file(KESTRO_SHIPPED_INI, ini);
  OptionSet first = sample(0), overAll = sample(0), overNone = sample(1);
  loadUserSettings(first, remembered, ini, '.');
  EXPECT_EQ(first.mame, "");  // the executable has no default
  loadDefaultSettings(overAll, remembered, ini, '.');
  loadDefaultSettings(overNone, remembered, ini, '.');
  EXPECT_EQ(overAll.mame, "MAME0.EXE") << "the default load keeps the executable";
  // Loaded over two option sets that differ in every control, the defaults leave them alike:
  // every key holds a value its control takes.
  overAll.mame = overNone.mame = "";
  EXPECT_EQ(saved(first), saved(overAll));
  EXPECT_EQ(saved(overNone), saved(overAll));
}

}  // namespace
}  // namespace kestro::settings
