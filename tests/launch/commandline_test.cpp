// MAME's command line: every control's piece in its tab's string, the worked examples,
// the numbers as the line writes them, and builds that repeat without growing.
#include "launch/commandline.h"

#include <gtest/gtest.h>

#include <string>

#include "core/controls.h"

namespace kestro::launch {
namespace {

using core::OptionSet;

// Every control in its design state, with the executable and game of the examples.
OptionSet designState() {
  OptionSet options;
  options.gamma = "1.2";
  options.beam = "1";
  options.flicker = "0";
  options.volume = "0";
  options.mame = "mame.exe";
  options.RomName = "mygame";
  return options;
}

// Ticks a check box or turns an option button on, by the control's name.
void turnOn(OptionSet& options, std::string_view control) {
  for (const core::CheckBoxField& box : core::kCheckBoxes) {
    if (box.name == control) {
      options.*box.member = 1;
      return;
    }
  }
  const core::OptionButtonField* button = core::optionButtonNamed(control);
  ASSERT_NE(button, nullptr) << control;
  core::setOptionButton(options, button->member, true);
}

struct RowCase {
  const char* control;
  const char* piece;
  std::string OptionSet::*into;
};

// Written out here from MAME's option names, not taken from the builder's tables.
const RowCase kRows[] = {
    {"vidtweakon", "-tweak ", &OptionSet::voptions},
    {"vidvesa1", "-vesamode vesa1 ", &OptionSet::voptions},
    {"vidvesa2", "-vesamode vesa2b ", &OptionSet::voptions},
    {"vidvesa3", "-vesamode vesa2l ", &OptionSet::voptions},
    {"vidvesa4", "-vesamode vesa3 ", &OptionSet::voptions},
    {"vidvsync", "-vsync ", &OptionSet::voptions},
    {"vidror", "-ror ", &OptionSet::voptions},
    {"vidrol", "-rol ", &OptionSet::voptions},
    {"viddep1", "-depth 8 ", &OptionSet::voptions},
    {"viddep2", "-depth 16 ", &OptionSet::voptions},
    {"vidntsc", "-ntsc ", &OptionSet::voptions},
    {"vidmon2", "-monitor ntsc ", &OptionSet::voptions},
    {"vidmon3", "-monitor pal ", &OptionSet::voptions},
    {"vidmon4", "-monitor arcade ", &OptionSet::voptions},
    {"vgafreq0", "-vgafreq 0 ", &OptionSet::voptions2},
    {"vgafreq1", "-vgafreq 1 ", &OptionSet::voptions2},
    {"vgafreq2", "-vgafreq 2 ", &OptionSet::voptions2},
    {"vgafreq3", "-vgafreq 3 ", &OptionSet::voptions2},
    {"stretche", "-nostretch ", &OptionSet::voptions2},
    {"tripbufe", "-triplebuffer ", &OptionSet::voptions2},
    {"orfx", "-flipx ", &OptionSet::voptions2},
    {"orfy", "-flipy ", &OptionSet::voptions2},
    {"orrof", "-norotate ", &OptionSet::voptions2},
    {"antid", "-noantialias ", &OptionSet::voptions2},
    {"transd", "-notranslucency ", &OptionSet::voptions2},
    {"ase", "-alwayssynced ", &OptionSet::voptions2},
    {"wie", "-waitinterlace ", &OptionSet::voptions2},
    {"snd2", "-soundcard 1 ", &OptionSet::soptions},
    {"snd3", "-soundcard 3 ", &OptionSet::soptions},
    {"snd4", "-soundcard 4 ", &OptionSet::soptions},
    {"snd5", "-soundcard 5 ", &OptionSet::soptions},
    {"snd6", "-soundcard 6 ", &OptionSet::soptions},
    {"snd7", "-soundcard 7 ", &OptionSet::soptions},
    {"sndr1", "-sr 11025 ", &OptionSet::soptions},
    {"sndr2", "-sr 22050 ", &OptionSet::soptions},
    {"sndr3", "-sr 44100 ", &OptionSet::soptions},
    {"sndb1", "-sb 8 ", &OptionSet::soptions},
    {"sndb2", "-sb 16 ", &OptionSet::soptions},
    {"sndstereo1", "-stereo ", &OptionSet::soptions},
    {"sndstereo2", "-nostereo ", &OptionSet::soptions},
    {"sndoplon", "-ym3812opl ", &OptionSet::soptions},
    {"logc", "-log ", &OptionSet::other},
    {"dispvercpyc", "-help ", &OptionSet::other},
    {"listsupc", "-list ", &OptionSet::other},
    {"gmdirdescc", "-listfull ", &OptionSet::other},
    {"reqromc", "-listroms ", &OptionSet::other},
    {"reqsampc", "-listsamples ", &OptionSet::other},
    {"selgmhrddrivc", "-listdetails ", &OptionSet::other},
    {"supgmmakeyrc", "-listgames ", &OptionSet::other},
    {"supgmdetc", "-listinfo ", &OptionSet::other},
    {"selgmclnc", "-listclones ", &OptionSet::other},
    {"chkinvmisromc", "-verifyroms ", &OptionSet::other},
    {"chkmissampc", "-verifysamples ", &OptionSet::other},
    {"dmousec", "-nomouse ", &OptionSet::other},
};

TEST(CommandLine, DesignStateGivesOnlyNoScanLines) {
  OptionSet options = designState();
  buildCommandLine(options, '.');
  EXPECT_EQ(options.FullMame, "mame.exe mygame -noscanlines ");
  EXPECT_EQ(options.voptions, "-noscanlines ");
  EXPECT_EQ(options.voptions2, "");
  EXPECT_EQ(options.soptions, "");
  EXPECT_EQ(options.other, "");
}

TEST(CommandLine, EachControlAddsItsPieceToItsTab) {
  for (const RowCase& row : kRows) {
    OptionSet options = designState();
    options.vidscanlines = 1;  // so that the control's piece stands alone
    turnOn(options, row.control);
    buildCommandLine(options, '.');
    EXPECT_EQ(options.FullMame, std::string("mame.exe mygame ") + row.piece) << row.control;
    EXPECT_EQ(options.*row.into, row.piece) << row.control;
  }
}

TEST(CommandLine, MembersWithoutAPieceAddNothing) {
  for (const char* control :
       {"vidtweakoff", "vidmon1", "snd1", "sndoploff", "vgafreqe", "vidscanlines"}) {
    OptionSet options = designState();
    options.vidscanlines = 1;
    turnOn(options, control);
    buildCommandLine(options, '.');
    EXPECT_EQ(options.FullMame, "mame.exe mygame ") << control;
  }
}

TEST(CommandLine, WorkedExample) {
  OptionSet options = designState();
  options.vidscanlines = 1;
  turnOn(options, "vidvesa3");
  turnOn(options, "viddep2");
  turnOn(options, "snd2");
  turnOn(options, "sndr3");
  turnOn(options, "sndb2");
  turnOn(options, "sndstereo1");
  options.gamma = "1.4";
  options.fsslid = 2;
  options.JoyList = 2;
  options.logc = 1;
  buildCommandLine(options, '.');
  EXPECT_EQ(options.FullMame,
            "mame.exe mygame -vesamode vesa2l -depth 16 -gamma 1.4 -frameskip 2 -soundcard 1 "
            "-sr 44100 -sb 16 -stereo -joy standard -log ");

  // Flicker closes the Video 2 pieces, volume the Audio pieces.
  options.flicker = "5";
  options.volume = "-3";
  buildCommandLine(options, '.');
  EXPECT_EQ(options.FullMame,
            "mame.exe mygame -vesamode vesa2l -depth 16 -gamma 1.4 -frameskip 2 -flicker 5 "
            "-soundcard 1 -sr 44100 -sb 16 -stereo -volume -3 -joy standard -log ");
}

struct SteppedCase {
  std::string OptionSet::*value;
  const char* text;
  char separator;
  const char* expected;  // the whole line after the game name
};

TEST(CommandLine, SteppedValuesAsNumbersWithAPeriod) {
  const SteppedCase cases[] = {
      {&OptionSet::gamma, "1.2", '.', ""},
      {&OptionSet::gamma, "1.1", '.', "-gamma 1.1 "},
      {&OptionSet::gamma, "2", '.', "-gamma 2 "},
      {&OptionSet::gamma, "0.8", '.', "-gamma .8 "},
      {&OptionSet::gamma, "0.5", '.', "-gamma .5 "},
      {&OptionSet::gamma, "1,4", ',', "-gamma 1.4 "},
      {&OptionSet::gamma, "1,2", ',', ""},
      {&OptionSet::beam, "1", '.', ""},
      {&OptionSet::beam, "16", '.', "-beam 16 "},
      {&OptionSet::flicker, "0", '.', ""},
      {&OptionSet::flicker, "100", '.', "-flicker 100 "},
      {&OptionSet::volume, "0", '.', ""},
      {&OptionSet::volume, "-3", '.', "-volume -3 "},
      {&OptionSet::volume, "-12", '.', "-volume -12 "},
  };
  for (const SteppedCase& c : cases) {
    OptionSet options = designState();
    options.vidscanlines = 1;
    options.*c.value = c.text;
    buildCommandLine(options, c.separator);
    EXPECT_EQ(options.FullMame, std::string("mame.exe mygame ") + c.expected) << c.text;
  }
}

TEST(CommandLine, FrameSkipOneToEleven) {
  const std::pair<int, const char*> cases[] = {
      {0, ""}, {1, "-frameskip 1 "}, {11, "-frameskip 11 "}, {12, ""}, {-1, ""}};
  for (const auto& [slider, expected] : cases) {
    OptionSet options = designState();
    options.vidscanlines = 1;
    options.fsslid = slider;
    buildCommandLine(options, '.');
    EXPECT_EQ(options.voptions2, expected) << slider;
  }
}

TEST(CommandLine, JoystickList) {
  const char* const expected[] = {
      "",
      "-joy auto ",
      "-joy standard ",
      "-joy dual ",
      "-joy 4button ",
      "-joy 6button ",
      "-joy 8button ",
      "-joy fspro ",
      "-joy wingex ",
      "-joy wingwarrior ",
      "-joy sidewinder ",
      "-joy gamepadpro ",
      "-joy sneslpt1 ",
      "-joy sneslpt2 ",
      "-joy sneslpt3 ",
      "-joy psxlpt1 ",
      "-joy psxlpt2 ",
      "-joy psxlpt3 ",
      "-joy n64lpt1 ",
      "-joy n64lpt2 ",
      "-joy n64lpt3 ",
      "-joy grip ",
      "-joy grip4 ",
      "-hotrod ",
      "-hotrodse ",
  };
  for (int index = -2; index <= 25; ++index) {
    OptionSet options = designState();
    options.JoyList = index;
    options.logc = 1;
    buildCommandLine(options, '.');
    const std::string joystick = index >= 0 && index <= 24 ? expected[index] : "";
    EXPECT_EQ(options.other, joystick + "-log ") << index;
  }
}

TEST(CommandLine, ResolutionAfterMonitorBeforeGamma) {
  OptionSet options = designState();
  options.vidscanlines = 1;
  options.vidntsc = 1;
  turnOn(options, "vidmon2");
  options.vidreson = 1;
  options.vidresx = "320";
  options.vidresy = "240";
  options.gamma = "1.1";
  buildCommandLine(options, '.');
  EXPECT_EQ(options.voptions, "-ntsc -monitor ntsc -resolution 320x240 -gamma 1.1 ");

  // The texts go in as they stand; only the check box counts.
  options.vidresx.clear();
  options.vidresy.clear();
  buildCommandLine(options, '.');
  EXPECT_EQ(options.voptions, "-ntsc -monitor ntsc -resolution x -gamma 1.1 ");
  options.vidreson = 0;
  options.vidresx = "320";
  buildCommandLine(options, '.');
  EXPECT_EQ(options.voptions, "-ntsc -monitor ntsc -gamma 1.1 ");
}

TEST(CommandLine, BuildingTwiceGivesTheSameLine) {
  OptionSet options = designState();
  turnOn(options, "snd3");
  options.JoyList = 23;
  buildCommandLine(options, '.');
  const std::string first = options.FullMame;
  buildCommandLine(options, '.');
  EXPECT_EQ(options.FullMame, first);
  EXPECT_EQ(first, "mame.exe mygame -noscanlines -soundcard 3 -hotrod ");
}

TEST(CommandLine, PiecesListedInLineOrder) {
  OptionSet options = designState();
  turnOn(options, "sndr1");
  options.beam = "2";
  options.JoyList = 1;
  options.dmousec = 1;
  const Build build = buildCommandLine(options, '.');
  const std::vector<std::string> expected = {"-noscanlines ", "-beam 2 ", "-sr 11025 ",
                                             "-joy auto ", "-nomouse "};
  EXPECT_EQ(build.pieces, expected);
}

TEST(CommandLine, ValuesThatAreNoNumbersGiveNoPieceAndAreNamed) {
  OptionSet options = designState();
  options.vidscanlines = 1;
  options.gamma = "";
  options.volume = "loud";
  const Build build = buildCommandLine(options, '.');
  EXPECT_EQ(options.FullMame, "mame.exe mygame ");
  const std::vector<std::string_view> expected = {"gamma", "volume"};
  EXPECT_EQ(build.unreadable, expected);
}

TEST(CommandLine, ListingCheckingAndHelpOptionsShowOutput) {
  const char* const showing[] = {"dispvercpyc", "listsupc",      "gmdirdescc",   "reqromc",
                                 "reqsampc",    "selgmhrddrivc", "supgmmakeyrc", "supgmdetc",
                                 "selgmclnc",   "chkinvmisromc", "chkmissampc"};
  for (const char* control : showing) {
    OptionSet options = designState();
    turnOn(options, control);
    EXPECT_TRUE(buildCommandLine(options, '.').showsOutput) << control;
  }
  for (const char* control : {"logc", "dmousec", "vidvsync", "snd2"}) {
    OptionSet options = designState();
    turnOn(options, control);
    EXPECT_FALSE(buildCommandLine(options, '.').showsOutput) << control;
  }
}

TEST(CommandLine, NothingIsCheckedOnTheWay) {
  OptionSet options = designState();
  options.mame.clear();
  options.RomName = "/home/me/games/mygame";
  buildCommandLine(options, '.');
  EXPECT_EQ(options.FullMame, " /home/me/games/mygame -noscanlines ");
}

}  // namespace
}  // namespace kestro::launch
