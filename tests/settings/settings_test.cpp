// Saving and loading the option set through a real settings file in a fresh folder.
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "core/controls.h"
#include "core/numbers.h"
#include "settings/inifile.h"
#include "settings/keytable.h"
#include "support/answeringwindow.h"
#include "support/tempfolder.h"
#include "ui/form.h"

namespace kestro::settings {
namespace {

using core::OptionSet;
using test::readFile;
using test::TempFolder;
using test::writeFile;

// The check boxes whose state the settings file does not keep.
constexpr std::string_view kUnstoredBoxes[] = {
    "vidreson",   "vgafreqe",  "logc",          "dispvercpyc",   "listsupc",
    "gmdirdescc", "reqromc",   "reqsampc",      "selgmhrddrivc", "supgmmakeyrc",
    "supgmdetc",  "selgmclnc", "chkinvmisromc", "chkmissampc"};

// Every option control of the record as one text, so two states compare in one assertion.
std::string describe(const OptionSet& options) {
  std::string text;
  for (const core::CheckBoxField& box : core::kCheckBoxes) {
    text += std::string(box.name) + "=" + std::to_string(options.*box.member) + " ";
  }
  for (const core::OptionGroup& group : core::kOptionGroups) {
    for (const core::OptionButtonField& button : group.members) {
      if (options.*button.member) text += std::string(button.name) + " ";
    }
  }
  // Stepped values compare as numbers: a save stores 0.5 as .5.
  const auto number = [](const std::string& value) {
    return core::numberTextForm(value, '.').value_or(value);
  };
  return text + "fsslid=" + std::to_string(options.fsslid) +
         " JoyList=" + std::to_string(options.JoyList) + " gamma=" + number(options.gamma) +
         " beam=" + number(options.beam) + " flicker=" + number(options.flicker) +
         " volume=" + number(options.volume) + " mame=" + options.mame;
}

void chooseMember(OptionSet& options, std::size_t index) {
  for (const core::OptionGroup& group : core::kOptionGroups) {
    if (group.frame == "vgafreqf") continue;  // not kept in the settings file
    core::setOptionButton(options, group.members[std::min(index, group.members.size() - 1)].member,
                          true);
  }
}

void tickEveryBox(OptionSet& options, int state) {
  for (const core::CheckBoxField& box : core::kCheckBoxes) options.*box.member = state;
}

OptionSet withoutUnstoredBoxes(OptionSet options) {
  for (const core::CheckBoxField& box : core::kCheckBoxes) {
    for (std::string_view unstored : kUnstoredBoxes) {
      if (box.name == unstored) options.*box.member = 0;
    }
  }
  return options;
}

OptionSet everythingOn() {
  OptionSet options;
  chooseMember(options, 0);
  tickEveryBox(options, 1);
  options.fsslid = 11;
  options.JoyList = 24;
  options.gamma = "0.5";
  options.beam = "16";
  options.flicker = "100";
  options.volume = "-12";
  options.mame = "MAME.EXE";
  return options;
}

OptionSet everythingOff() {
  OptionSet options;
  chooseMember(options, 6);
  options.fsslid = 0;
  options.JoyList = 0;
  options.gamma = "2";
  options.beam = "1";
  options.flicker = "0";
  options.volume = "0";
  return options;
}

OptionSet inBetween() {
  OptionSet options;
  chooseMember(options, 1);
  for (std::size_t i = 0; i < std::size(core::kCheckBoxes); i += 2) {
    options.*core::kCheckBoxes[i].member = 1;
  }
  options.fsslid = 5;
  options.JoyList = 12;
  options.gamma = "1.3";
  options.beam = "7";
  options.flicker = "42";
  options.volume = "-5";
  options.mame = "mame037.exe";
  return options;
}

std::string userValue(const std::string& ini, Section section, const std::string& key) {
  return ReadIniValue(std::string(kUserProfile[section]), key, ini);
}

TEST(SaveAndLoad, RestoreEveryStoredControl) {
  for (const OptionSet& original : {everythingOn(), everythingOff(), inBetween()}) {
    TempFolder folder;
    const std::string ini = (folder.path() / "kestro.ini").string();
    OptionSet saved = original;
    ASSERT_TRUE(saveUserSettings(saved, ini, '.').saved);
    EXPECT_EQ(describe(saved), describe(original)) << "a save changes no control";

    OptionSet loaded;
    loadUserSettings(loaded, ini, '.');
    EXPECT_EQ(describe(loaded), describe(withoutUnstoredBoxes(original)));
    // The labels show the stored text as it stands.
    EXPECT_EQ(loaded.vidgammal, userValue(ini, Section::Video, "gamma"));
    EXPECT_EQ(loaded.sndvoltxt, userValue(ini, Section::Audio, "volume"));
  }
}

TEST(Save, ANewFileHoldsTheSectionsAndKeysInOrder) {
  TempFolder folder;
  const std::string ini = (folder.path() / "kestro.ini").string();
  OptionSet options = everythingOn();
  ASSERT_TRUE(saveUserSettings(options, ini, '.').saved);
  EXPECT_EQ(readFile(ini),
            "[UserSettingsVid]\ntweak= 1\nvesa= 1\nscanlines= 1\nvsync= 1\nror= 1\nrol= 1\n"
            "depth= 8\nntsc= 1\nmonitor= 1\nresx=\nresy=\ngamma= .5\nvgafreq=\nstretch= 0\n"
            "triplebuf= 1\nflipx= 1\nflipy= 1\nrotate= 1\nantialias= 0\ntransparent= 0\n"
            "frameskip= 11\nsynced= 1\nwaitil= 1\nbeam= 16\nflicker= 100\n"
            "[UserSettingsAud]\nsndcard= 0\nsndrate= 11025\nsndbit= 8\nstereo= 1\nym3812= 1\n"
            "volume=-12\n[UserSettingsMisc]\njoy= 24\nnomouse= 1\n[EXE]\nexe=MAME.EXE\n");
}

TEST(Save, ButtonsAndBoxesMapToTheirStoredValues) {
  TempFolder folder;
  const std::string ini = (folder.path() / "kestro.ini").string();
  OptionSet options;
  chooseMember(options, 0);
  ASSERT_TRUE(saveUserSettings(options, ini, '.').saved);
  const std::pair<std::string, std::string> video[] = {
      {"tweak", "1"},   {"vesa", "1"},      {"depth", "8"},       {"monitor", "1"},
      {"stretch", "1"}, {"antialias", "1"}, {"transparent", "1"}, {"scanlines", "0"},
      {"rotate", "0"},  {"triplebuf", "0"}, {"flipx", "0"},       {"frameskip", "0"}};
  for (const auto& [key, value] : video)
    EXPECT_EQ(userValue(ini, Section::Video, key), value) << key;
  const std::pair<std::string, std::string> audio[] = {
      {"sndcard", "0"}, {"sndrate", "11025"}, {"sndbit", "8"}, {"stereo", "1"}, {"ym3812", "1"}};
  for (const auto& [key, value] : audio)
    EXPECT_EQ(userValue(ini, Section::Audio, key), value) << key;
  EXPECT_EQ(userValue(ini, Section::Misc, "joy"), "-1");
  EXPECT_EQ(userValue(ini, Section::Exe, "exe"), "");

  core::setOptionButton(options, &OptionSet::sndr2, true);
  core::setOptionButton(options, &OptionSet::snd3, true);
  options.tripbufe = 1;
  ASSERT_TRUE(saveUserSettings(options, ini, '.').saved);
  EXPECT_EQ(userValue(ini, Section::Audio, "sndrate"), "22050");
  EXPECT_EQ(userValue(ini, Section::Audio, "sndcard"), "3");
  EXPECT_EQ(userValue(ini, Section::Video, "triplebuf"), "1");
}

TEST(Save, GroupsWithNoButtonOnKeepTheLastLoadedValue) {
  TempFolder folder;
  const std::string ini = (folder.path() / "kestro.ini").string();
  writeFile(ini, "[UserSettingsVid]\nvesa=0\nmonitor=7\n[UserSettingsAud]\nsndrate=8000\n");
  OptionSet options;
  loadUserSettings(options, ini, '.');
  ASSERT_TRUE(saveUserSettings(options, ini, '.').saved);
  EXPECT_EQ(userValue(ini, Section::Video, "vesa"), "0");
  EXPECT_EQ(userValue(ini, Section::Video, "monitor"), "7");
  EXPECT_EQ(userValue(ini, Section::Audio, "sndrate"), "8000");
  // A group of two with neither button on counts as its second button.
  EXPECT_EQ(userValue(ini, Section::Video, "tweak"), "0");
  EXPECT_EQ(userValue(ini, Section::Video, "depth"), "16");
  EXPECT_EQ(userValue(ini, Section::Audio, "sndbit"), "16");
  EXPECT_EQ(userValue(ini, Section::Audio, "stereo"), "0");
  EXPECT_EQ(userValue(ini, Section::Audio, "ym3812"), "0");
}

TEST(Save, ASecondSaveLeavesTheFileUntouched) {
  TempFolder folder;
  const std::filesystem::path ini = folder.path() / "kestro.ini";
  std::filesystem::copy_file(KESTRO_SHIPPED_INI, ini);
  OptionSet options = inBetween();
  ASSERT_TRUE(saveUserSettings(options, ini.string(), '.').saved);
  const std::string first = readFile(ini);
  const auto firstTime = std::filesystem::last_write_time(ini);
  ASSERT_TRUE(saveUserSettings(options, ini.string(), '.').saved);
  EXPECT_EQ(readFile(ini), first);
  EXPECT_EQ(std::filesystem::last_write_time(ini), firstTime);
  // The shipped sections stay byte for byte at the head of the file.
  EXPECT_TRUE(first.starts_with(readFile(KESTRO_SHIPPED_INI)));
}

TEST(Save, CarriedOverKeysFollowTheLastLoad) {
  TempFolder folder;
  const std::filesystem::path ini = folder.path() / "kestro.ini";
  writeFile(ini, "[UserSettingsVid]\nresx= 640\nresy= 400\nvgafreq= 2\n");
  OptionSet options;
  loadUserSettings(options, ini.string(), '.');
  options.vidreson = 1;
  options.vidresx = "800";
  options.vidresy = "600";
  ASSERT_TRUE(saveUserSettings(options, ini.string(), '.').saved);
  EXPECT_EQ(userValue(ini.string(), Section::Video, "resx"), "640");
  EXPECT_EQ(userValue(ini.string(), Section::Video, "resy"), "400");
  EXPECT_EQ(userValue(ini.string(), Section::Video, "vgafreq"), "2");

  // After "Default Settings" a save copies the defaults of these keys into the user section.
  std::filesystem::remove(ini);
  std::filesystem::copy_file(KESTRO_SHIPPED_INI, ini);
  loadDefaultSettings(options, ini.string(), '.');
  ASSERT_TRUE(saveUserSettings(options, ini.string(), '.').saved);
  for (const char* key : {"resx", "resy", "vgafreq"}) {
    EXPECT_EQ(userValue(ini.string(), Section::Video, key),
              ReadIniValue("DefaultVid", key, ini.string()))
        << key;
  }
}

TEST(Save, NumbersUseAPeriodWhateverTheUsersSeparator) {
  TempFolder folder;
  const std::string ini = (folder.path() / "kestro.ini").string();
  OptionSet options = inBetween();
  options.gamma = "1,3";
  options.volume = "-0,5";
  ASSERT_TRUE(saveUserSettings(options, ini, ',').saved);
  EXPECT_NE(readFile(ini).find("gamma= 1.3\n"), std::string::npos);
  EXPECT_NE(readFile(ini).find("volume=-.5\n"), std::string::npos);

  // Loaded back in the same comma locale the value is still 1.3, not 13.
  OptionSet loaded;
  loadUserSettings(loaded, ini, ',');
  EXPECT_EQ(loaded.gamma, "1.3");
  EXPECT_EQ(core::readNumber(loaded.gamma, ','), 1.3);
}

TEST(Save, AValueThatIsNoNumberIsWrittenAsItStands) {
  TempFolder folder;
  const std::string ini = (folder.path() / "kestro.ini").string();
  writeFile(ini, "[UserSettingsVid]\nresx=wide\nvesa=\n");
  OptionSet options;
  loadUserSettings(options, ini, '.');
  ASSERT_TRUE(saveUserSettings(options, ini, '.').saved);
  EXPECT_EQ(userValue(ini, Section::Video, "resx"), "wide");
  EXPECT_EQ(userValue(ini, Section::Video, "vesa"), "");
}

struct LoadCase {
  const char* lines;  // the user sections' content
  std::function<void(const OptionSet&)> expect;
};

TEST(Load, StoredValuesSetTheirControls) {
  const LoadCase cases[] = {
      {"[UserSettingsAud]\nsndrate=22050\n",
       [](const OptionSet& o) { EXPECT_TRUE(!o.sndr1 && o.sndr2 && !o.sndr3); }},
      {"[UserSettingsAud]\nsndrate=44100\n", [](const OptionSet& o) { EXPECT_TRUE(o.sndr3); }},
      {"[UserSettingsAud]\nsndcard=1\n", [](const OptionSet& o) { EXPECT_TRUE(o.snd2); }},
      {"[UserSettingsAud]\nsndcard=3\n",
       [](const OptionSet& o) { EXPECT_TRUE(o.snd3 && !o.snd2); }},
      // 2 names no sound card: the group stays as it was (snd5 on before the load).
      {"[UserSettingsAud]\nsndcard=2\n", [](const OptionSet& o) { EXPECT_TRUE(o.snd5); }},
      {"[UserSettingsAud]\nym3812=1\n",
       [](const OptionSet& o) { EXPECT_TRUE(o.sndoplon && !o.sndoploff); }},
      {"[UserSettingsAud]\nym3812=0\n",
       [](const OptionSet& o) { EXPECT_TRUE(o.sndoploff && !o.sndoplon); }},
      {"[UserSettingsVid]\nstretch=1\nrotate=1\nantialias=0\n",
       [](const OptionSet& o) {
         EXPECT_EQ(o.stretche, 0);
         EXPECT_EQ(o.orrof, 1);
         EXPECT_EQ(o.antid, 1);
       }},
      {"[UserSettingsVid]\ntweak=01\n",
       [](const OptionSet& o) { EXPECT_TRUE(o.vidtweakon && !o.vidtweakoff); }},
      {"[UserSettingsVid]\ngamma=.8\n",
       [](const OptionSet& o) {
         EXPECT_EQ(o.gamma, ".8");
         EXPECT_EQ(o.vidgammal, ".8");
       }},
      {"[UserSettingsMisc]\njoy=-1\n", [](const OptionSet& o) { EXPECT_EQ(o.JoyList, -1); }},
      {"[UserSettingsMisc]\njoy=2.5\n", [](const OptionSet& o) { EXPECT_EQ(o.JoyList, 2); }},
      {"[UserSettingsVid]\nframeskip=3.5\n", [](const OptionSet& o) { EXPECT_EQ(o.fsslid, 4); }},
      // Out of range, not a number or no listed value: the control stays as it was.
      {"[UserSettingsMisc]\njoy=25\n", [](const OptionSet& o) { EXPECT_EQ(o.JoyList, 7); }},
      {"[UserSettingsVid]\nframeskip=12\n", [](const OptionSet& o) { EXPECT_EQ(o.fsslid, 9); }},
      {"[UserSettingsVid]\nframeskip=1e9\n", [](const OptionSet& o) { EXPECT_EQ(o.fsslid, 9); }},
      {"[UserSettingsVid]\nscanlines=2\nvsync=yes\n",
       [](const OptionSet& o) {
         EXPECT_EQ(o.vidscanlines, 1);
         EXPECT_EQ(o.vidvsync, 1);
       }},
      {"[UserSettingsVid]\ngamma=bright\nbeam=\n",
       [](const OptionSet& o) {
         EXPECT_EQ(o.gamma, "1.5");
         EXPECT_EQ(o.beam, "3");
         EXPECT_EQ(o.gammai, "bright");
       }},
  };
  for (const LoadCase& c : cases) {
    TempFolder folder;
    const std::string ini = (folder.path() / "kestro.ini").string();
    writeFile(ini, c.lines);
    OptionSet options;
    options.snd5 = true;
    options.JoyList = 7;
    options.fsslid = 9;
    options.vidscanlines = 1;
    options.vidvsync = 1;
    options.gamma = "1.5";
    options.beam = "3";
    loadUserSettings(options, ini, '.');
    SCOPED_TRACE(c.lines);
    c.expect(options);
  }
}

TEST(Load, AFirstRunShowsTheShippedDefaults) {
  TempFolder folder;
  const std::filesystem::path ini = folder.path() / "kestro.ini";
  std::filesystem::copy_file(KESTRO_SHIPPED_INI, ini);
  OptionSet first;
  first.mame = "kept?";
  loadUserSettings(first, ini.string(), '.');
  OptionSet defaults;
  loadDefaultSettings(defaults, ini.string(), '.');
  EXPECT_EQ(first.mame, "");  // the executable has no default
  first.mame = defaults.mame;
  EXPECT_EQ(describe(first), describe(defaults));
  EXPECT_EQ(first.resxi, defaults.resxi);
}

TEST(Load, TheDefaultLoadKeepsTheExecutable) {
  TempFolder folder;
  const std::filesystem::path ini = folder.path() / "kestro.ini";
  std::filesystem::copy_file(KESTRO_SHIPPED_INI, ini);
  OptionSet options = inBetween();
  loadDefaultSettings(options, ini.string(), '.');
  EXPECT_EQ(options.mame, "mame037.exe");
}

TEST(ShippedFile, HoldsAListedValueForEveryKeyInNumberTextForm) {
  const std::string shipped = readFile(KESTRO_SHIPPED_INI);
  OptionSet options;
  loadDefaultSettings(options, KESTRO_SHIPPED_INI, '.');
  for (const core::OptionGroup& group : core::kOptionGroups) {
    if (group.frame == "vgafreqf") continue;
    bool anyOn = false;
    for (const core::OptionButtonField& button : group.members) anyOn |= options.*button.member;
    EXPECT_TRUE(anyOn) << group.frame << " has no default";
  }
  for (const KeyRow& row : kKeyTable) {
    if (row.kind == KeyKind::Exe) continue;
    const std::string value = ReadIniValue(std::string(kDefaultProfile[row.section]),
                                           std::string(row.key), KESTRO_SHIPPED_INI);
    ASSERT_TRUE(core::readNumber(value, '.')) << row.key;
    const std::string line = std::string(row.key) + "=" + *core::numberTextForm(value, '.') + "\n";
    EXPECT_NE(shipped.find(line), std::string::npos) << line;
  }
  EXPECT_FALSE(options.gamma.empty());
}

TEST(SaveFailure, TellsTheUserOnceAndKeepsTheOptions) {
  TempFolder folder;
  // The program's folder is a regular file: no settings file can be made inside it.
  const std::filesystem::path notAFolder = folder.path() / "plain-file";
  writeFile(notAFolder, "x");
  test::AnsweringWindow window;
  ui::Environment environment;
  environment.programFolder = notAFolder.string();
  ui::MainForm form(environment, window);
  form.onActivated();
  core::setOptionButton(form.options(), &OptionSet::vidvesa4, true);
  const std::string before = describe(form.options());
  form.onSavesetClicked();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_NE(window.messages[0].prompt.find(form.IniPath()), std::string::npos);
  EXPECT_NE(window.messages[0].prompt.find("Not a directory"), std::string::npos);
  EXPECT_EQ(describe(form.options()), before);
}

TEST(StartUpLoad, EveryActivationRestoresWhatWasSaved) {
  TempFolder folder;
  std::filesystem::copy_file(KESTRO_SHIPPED_INI, folder.path() / "kestro.ini");
  test::AnsweringWindow window;
  ui::Environment environment;
  environment.programFolder = folder.str();
  ui::MainForm form(environment, window);
  form.onActivated();
  EXPECT_TRUE(form.options().vidvesa3) << "the shipped default on first start";
  core::setOptionButton(form.options(), &OptionSet::vidvesa1, true);
  form.options().gamma = "1.7";
  form.options().mame = "MAME.EXE";
  form.onSavesetClicked();
  core::setOptionButton(form.options(), &OptionSet::snd7, true);
  form.options().gamma = "0.6";
  form.options().mame = "OTHER.EXE";

  form.onActivated();  // back from the tray
  EXPECT_TRUE(form.options().vidvesa1);
  EXPECT_FALSE(form.options().snd7);
  EXPECT_EQ(form.options().gamma, "1.7");
  EXPECT_EQ(form.options().vidgammal, "1.7");
  EXPECT_EQ(form.options().mame, "MAME.EXE");
  EXPECT_TRUE(window.messages.empty());

  form.onLoaddefClicked();
  EXPECT_TRUE(form.options().vidvesa3);
  EXPECT_EQ(form.options().mame, "MAME.EXE");
}

}  // namespace
}  // namespace kestro::settings
