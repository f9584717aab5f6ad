// SPDX-License-Identifier: GPL-3.0-or-later
// MAME's command line, the launch script and what DOS and DOSBox take, on real DOSBox.
#include "launch/run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <variant>

#include "core/stepped.h"
#include "launch/commandline.h"
#include "launch/dosrules.h"
#include "launch/script.h"
#include "support/dosbox.h"

namespace kestro::launch {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::HasSubstr;
using Check = std::optional<std::string> (*)(std::string_view);
using core::OptionSet;
using O = OptionSet;

// Every control at its initial state, the stepped values at their start, the scan lines on:
// a line with no option piece. The resolution's texts go in only with their box.
OptionSet quiet() {
  OptionSet options;
  core::resetSteppedValues(options, '.');
  options.vidscanlines = 1;
  options.vidresx = "320";
  options.vidresy = "240";
  options.mame = "mame.exe";
  options.RomName = "mygame";
  return options;
}

// One control set to one value: a box ticked (or cleared), a button on, a position or a text.
struct Set {
  std::variant<int O::*, bool O::*, std::string O::*> field;
  int number = 1;
  std::string text = {};
  char separator = '.';
  void operator()(OptionSet& options) const {
    if (const auto* box = std::get_if<int O::*>(&field)) options.** box = number;
    if (const auto* button = std::get_if<bool O::*>(&field)) options.** button = true;
    if (const auto* value = std::get_if<std::string O::*>(&field)) options.** value = text;
  }
};

// The pieces the line DOSBox runs below does not show.
TEST(CommandLine, EachControlGivesItsPiece) {
  // clang-format off
  const std::pair<Set, const char*> pieces[] = {
      {{&O::vidtweakon}, "-tweak "}, {{&O::vidtweakoff}, ""},
      {{&O::vidvesa1}, "-vesamode vesa1 "}, {{&O::vidvesa3}, "-vesamode vesa2l "},
      {{&O::vidvesa4}, "-vesamode vesa3 "}, {{&O::vidvsync}, "-vsync "}, {{&O::vidror}, "-ror "},
      {{&O::vidrol}, "-rol "}, {{&O::viddep1}, "-depth 8 "}, {{&O::vidmon1}, ""},
      {{&O::vidmon2}, "-monitor ntsc "}, {{&O::vidmon3}, "-monitor pal "},
      // Numbers with a period and no leading or trailing zero; a comma read.
      {{&O::gamma, 0, "2"}, "-gamma 2 "}, {{&O::gamma, 0, "0.8"}, "-gamma .8 "},
      {{&O::gamma, 0, "1,1", ','}, "-gamma 1.1 "},
      {{&O::vgafreqe}, ""}, {{&O::vgafreq0}, "-vgafreq 0 "}, {{&O::vgafreq1}, "-vgafreq 1 "},
      {{&O::vgafreq2}, "-vgafreq 2 "}, {{&O::vgafreq3}, "-vgafreq 3 "},
      {{&O::stretche}, "-nostretch "}, {{&O::orfx}, "-flipx "}, {{&O::orfy}, "-flipy "},
      {{&O::orrof}, "-norotate "}, {{&O::fsslid, 0}, ""}, {{&O::fsslid, 2}, "-frameskip 2 "},
      {{&O::ase}, "-alwayssynced "}, {{&O::wie}, "-waitinterlace "}, {{&O::beam, 0, "2"}, "-beam 2 "},
      {{&O::snd1}, ""}, {{&O::snd2}, "-soundcard 1 "}, {{&O::snd3}, "-soundcard 3 "},
      {{&O::snd4}, "-soundcard 4 "}, {{&O::snd5}, "-soundcard 5 "}, {{&O::snd6}, "-soundcard 6 "},
      {{&O::sndr1}, "-sr 11025 "}, {{&O::sndr3}, "-sr 44100 "}, {{&O::sndb1}, "-sb 8 "},
      {{&O::sndstereo2}, "-nostereo "}, {{&O::sndoplon}, "-ym3812opl "}, {{&O::sndoploff}, ""},
      {{&O::dispvercpyc}, "-help "}, {{&O::listsupc}, "-list "}, {{&O::gmdirdescc}, "-listfull "},
      {{&O::reqromc}, "-listroms "}, {{&O::reqsampc}, "-listsamples "},
      {{&O::selgmhrddrivc}, "-listdetails "}, {{&O::supgmmakeyrc}, "-listgames "},
      {{&O::supgmdetc}, "-listinfo "}, {{&O::selgmclnc}, "-listclones "},
      {{&O::chkinvmisromc}, "-verifyroms "}, {{&O::chkmissampc}, "-verifysamples "},
  };
  // The joystick list's pieces by position, one past its end included.
  const char* joysticks[] = {
      "", "-joy auto ", "-joy standard ", "-joy dual ", "-joy 4button ", "-joy 6button ",
      "-joy 8button ", "-joy fspro ", "-joy wingex ", "-joy wingwarrior ", "-joy sidewinder ",
      "-joy gamepadpro ", "-joy sneslpt1 ", "-joy sneslpt2 ", "-joy sneslpt3 ", "-joy psxlpt1 ",
      "-joy psxlpt2 ", "-joy psxlpt3 ", "-joy n64lpt1 ", "-joy n64lpt2 ", "-joy n64lpt3 ",
      "-joy grip ", "-joy grip4 ", "-hotrod ", "-hotrodse ", "",
  };
  // clang-format on
  std::vector<std::pair<Set, const char*>> rows(std::begin(pieces), std::end(pieces));
  for (int position = 0; position < static_cast<int>(std::size(joysticks)); ++position) {
    rows.push_back({{&O::JoyList, position}, joysticks[position]});
  }
  for (const auto& [set, piece] : rows) {
    OptionSet options = quiet();
    set(options);
    const Build build = buildCommandLine(options, set.separator);
    EXPECT_EQ(build.line, std::string("mame.exe mygame ") + piece);
    EXPECT_EQ(build.pieces.size(), *piece ? 1u : 0u) << piece;
    // Only the listing, checking and help options ask MAME for output the user must read.
    EXPECT_EQ(build.showsOutput, std::string_view(piece).starts_with("-list") ||
                                     std::string_view(piece).starts_with("-verify") ||
                                     std::string_view(piece) == "-help ")
        << piece;
  }
}

// The game's name after the last ROMS folder, the script's bytes and where DOS cuts the tail.
TEST(DosRules, TheGameNameTheScriptAndWhatDosAndDosBoxTake) {
  EXPECT_EQ(gameNameOf("/d/roms/a/Roms/mygame"), "mygame");  // the last, in any case
  EXPECT_EQ(gameNameOf("/d/EMU/ROMS/mygame/set2"), "mygame/set2");
  EXPECT_EQ(gameNameOf("/d/Emu/roms"), "/d/Emu/roms");
  EXPECT_EQ(gameNameOf("/d/ROMS/x/../pacman/"), "pacman");
  test::TempFolder folder;
  const std::string path = launchScriptPath(folder.str());
  test::writeFile(path, std::string(300, 'x'));  // an older, longer script leaves nothing
  for (const auto& [line, bytes] :
       {std::pair{"mame.exe a -b ", "mame.exe a -b "}, {"abcd", "abcd\n"}, {"", "\" \"\r\n"}}) {
    EXPECT_EQ(writeLaunchScript(path, line), std::nullopt);
    EXPECT_EQ(test::readFile(path), bytes);
  }

  const std::string longest = "/" + std::string(kLongestMountedFolder - 1, 'f');
  const std::tuple<Check, std::vector<std::string>> fine[] = {
      {textProblem, {"mygame/set2", "a-b_c!{}~'"}},
      {mountFolderProblem, {"/", "/games/MAME 0.37b", "/a<b>c|d&e^f'!\xC3\xA9", longest}},
      {shellCommandProblem,
       {"CD-X.EXE", "CDX.EXE", "DELTA.EXE", "MOUNT.COM", "ECHO(.EXE", "A@.EXE"}}};
  for (const auto& [check, texts] : fine) {
    for (const std::string& text : texts) EXPECT_EQ(check(text), std::nullopt) << text;
  }
  const std::tuple<Check, std::string, const char*> problems[] = {
      {textProblem, "pac\nman", "line break"},
      {textProblem, "pac\tman", "control character"},
      {textProblem, "pac man", "blank"},
      {textProblem, "pacm\xC3\xA4n", "printable ASCII"},
      {mountFolderProblem, longest + "f",
       "its path has 239 characters, and DOSBox mounts at most 238"},
      {mountFolderProblem, "games/mame", "not a full path"},
      {mountFolderProblem, "/a\rb", "line break"},
      {mountFolderProblem, "/a\tb", "control character"},
      {mountFolderProblem, "/a\x7F", "control character"},
      {mountFolderProblem, "/100%games", "the character %"},
      {mountFolderProblem, "/say\"hi", "a double quote"},
      {shellCommandProblem, "@MAME.EXE", "begins with @"},
      {shellCommandProblem, "Echo.Com", "a command of DOSBox's"},
      {shellCommandProblem, "rem", "a command of DOSBox's"}};
  for (const auto& [check, text, problem] : problems) {
    EXPECT_THAT(check(text).value_or(""), HasSubstr(problem)) << text;
  }
  for (const char c : std::string_view("&|<>^%\"")) {
    EXPECT_THAT(textProblem(std::string("a") + c).value_or(""),
                HasSubstr(std::string("character ") + c));
  }
  for (const char* name : {"MAME.EXE", "mame", "MAME0106.EXE", "M.E", "MAME_(1).EXE"}) {
    EXPECT_TRUE(isDosShortName(name)) << name;
  }
  for (const char* name : {"MAME01060.EXE", "MAME01060", "MAME.EXEC", ".EXE", "MAME.", "MAME.E.X",
                           "MA ME.EXE", "dir/MAME.EXE", "MAME+.EXE", ""}) {
    EXPECT_FALSE(isDosShortName(name)) << name;
  }
  // DOS keeps 126 characters from the blank after the name. The cut of "MAME.EXE game " and
  // options -aaa.., -bbb.., .. of the given lengths.
  const auto cutOf = [](const std::string& game, const std::vector<std::size_t>& lengths) {
    std::vector<std::string> pieces;
    std::string line = "MAME.EXE " + game + " ";
    for (const std::size_t length : lengths) {
      pieces.push_back("-" + std::string(length - 2, static_cast<char>('a' + pieces.size())) + " ");
      line += pieces.back();
    }
    return tailCut(line, 8, game, pieces);
  };
  EXPECT_EQ(cutOf("pacman", {60, 59}), std::nullopt);  // 8 + 119: the final blank is dropped
  EXPECT_EQ(cutOf("pacman", {119, 3}).value().firstCut, "-b");  // the piece before is whole
  EXPECT_TRUE(cutOf(std::string(130, 'g'), {5}).value().gameNameCut);
}

// A MAME folder holding the DOS test program as MAME.EXE, and the run of a game below it. The
// user's DOSBox configuration has start-up lines that would end DOSBox before MAME runs.
struct MameFolder {
  explicit MameFolder(bool withDisplay = false) : dosbox(root.path(), withDisplay) {
    fs::create_directories(root.path() / ".dosbox");
    fs::create_directory(mame);
    fs::copy_file(test::tailProgram(), mame / "MAME.EXE");
    test::writeFile(root.path() / ".dosbox" / "dosbox-0.74-3.conf", "[autoexec]\nEXIT\n");
    options.DirMame = mame.string();
  }
  RunOutcome run() {
    return runMame({.options = options,
                    .romFolder = (mame / "ROMS" / game).string(),
                    .starter = *starter,
                    .showMessage = [this](const platform::Message& message) {
                      messages.push_back(message);
                      return answer;
                    }});
  }
  fs::path script() const { return mame / "kestro.bat"; }

  test::TempFolder root;
  fs::path mame = root.path() / "MAME";
  std::string game = "pacman";
  OptionSet options = quiet();
  test::ChildDosBox dosbox;
  platform::ScriptStarter* starter = &dosbox;
  std::vector<platform::Message> messages;
  platform::MessageAnswer answer = platform::MessageAnswer::Ok;
};

TEST(RunMame, RefusalsSayWhyAndWriteAndStartNothing) {
  platform::DosBoxStarter noDosBox{"/nowhere"};
  const std::pair<std::function<void(MameFolder&)>, const char*> cases[] = {
      {[](MameFolder& m) { m.options.DirMame.clear(); }, "No MAME folder is chosen"},
      {[](MameFolder& m) { m.options.mame.clear(); }, "No MAME executable is set"},
      {[](MameFolder& m) { m.game = "a&b"; }, "game name \"a&b\" cannot go into the launch script"},
      {[](MameFolder& m) { m.options.mame = "MA%E.EXE"; }, "executable's name \"MA%E.EXE\""},
      // Outside ROMS the whole path would become the game's name on MAME's line.
      {[](MameFolder& m) { m.game = "../../etc"; }, "ROMS/../../etc\" is no game's folder"},
      {[](MameFolder& m) { m.options.vidreson = 1, m.options.vidresy = "2>0"; }, "height \"2>0"},
      {[](MameFolder& m) { m.options.mame = "mame0106b.exe"; }, "has no DOS file name"},
      {[](MameFolder& m) { m.options.mame = "MAME2.EXE"; }, "is not in the MAME folder"},
      // DOS would find KESTRO.BAT and start it over and over.
      {[](MameFolder& m) { m.options.mame = "kestro", test::writeFile(m.script(), "old"); },
       "would start the launch script itself"},
      {[](MameFolder& m) { m.options.beam = "wide"; }, "The beam value is not a number"},
      {[&](MameFolder& m) { m.starter = &noDosBox; }, "Install the Debian package \"dosbox\""},
      // A name DOSBox would read as commands of its own.
      {[](MameFolder& m) { m.options.DirMame += "\nMOUNT E .\nECHO INJECTED>E:\\INJ.TXT\nREM "; },
       "cannot be mounted by DOSBox as drive C, because it holds a line break"},
      {[](MameFolder& m) { m.options.mame = "DEL.EXE"; },  // DEL would delete the game's file
       "\"DEL.EXE\" cannot be started from the launch script, because it is the name of DEL"},
      // A launch script that is not a file of its own is left as it is.
      {[](MameFolder& m) { fs::create_directory(m.script()); }, "written: Is a directory."},
      {[](MameFolder& m) { fs::create_symlink("../victim", m.script()); }, "a symbolic link"},
      {[](MameFolder& m) { fs::create_hard_link(m.mame / "MAME.EXE", m.script()); }, "hard links"},
      // A FIFO would take the line or block the window.
      {[](MameFolder& m) { ::mkfifo(m.script().c_str(), 0644); }, "it is not a plain file"},
  };
  for (const auto& [setUp, reason] : cases) {
    MameFolder m;
    setUp(m);
    const auto content = [&] {
      return fs::is_regular_file(m.script()) ? test::readFile(m.script()) : "no file";
    };
    const std::string script = content();
    EXPECT_EQ(m.run(), RunOutcome::Refused) << reason;
    EXPECT_THAT(m.messages, ElementsAre(Field(&platform::Message::prompt, HasSubstr(reason))));
    EXPECT_EQ(content(), script) << reason;
    EXPECT_EQ(m.dosbox.starts(), 0) << reason;
  }
}

// A failing MAME keeps DOSBox open until a key is pressed in its window (on an X server of the
// test's own); a MAME that succeeds closes it (the cut line below). The folder is the longest
// DOSBox mounts, with a blank and characters a shell reads.
TEST(RunMame, DosBoxWaitsForAKeyAfterMameFails) {
  MameFolder m(true);
  ASSERT_FALSE(m.dosbox.display().empty()) << "Xvfb did not start";
  m.options.DirMame.resize(kLongestMountedFolder - 12, 'd');
  m.options.DirMame += "a b<c>d|&e^'";
  fs::rename(m.mame, m.options.DirMame);
  m.mame = m.options.DirMame;
  fs::copy_file(test::failingProgram(), m.mame / "MAME.EXE", fs::copy_options::overwrite_existing);
  ASSERT_EQ(m.run(), RunOutcome::Started);
  // DOSBox names the redirection as it reaches the line "IF ERRORLEVEL 1 PAUSE > NUL".
  ASSERT_TRUE(m.dosbox.waitForOutput("SHELL:Redirect output to NUL"))
      << "MAME failed, DOSBox closed\n"
      << m.dosbox.log();
  EXPECT_EQ(test::readFile(m.mame / test::kTailFile), " pacman");
  EXPECT_FALSE(m.dosbox.waitForExit(std::chrono::seconds(1))) << "DOSBox did not wait for a key";
  EXPECT_TRUE(m.dosbox.pressKeyUntilExit()) << "a key left DOSBox open\n" << m.dosbox.log();
}

// A DOSBox that records its command and cannot start: one kept open would wait for a user.
TEST(RunMame, ListingsKeepDosBoxOpenAndAFailedStartIsNamed) {
  struct FailingDosBox : platform::DosBoxStarter {
    std::vector<std::string> arguments;
    std::optional<std::string> startProcess(const platform::ProcessCommand& command) override {
      arguments = command.arguments;
      return "Exec format error";
    }
  } dosbox;
  MameFolder m;
  m.starter = &dosbox;
  m.options.reqromc = 1;
  EXPECT_EQ(m.run(), RunOutcome::Refused);
  EXPECT_EQ(dosbox.arguments.back(), "CALL kestro.bat");  // and nothing that closes DOSBox
  EXPECT_THAT(m.messages, ElementsAre(Field(&platform::Message::prompt,
                                            HasSubstr("cannot be started: Exec format error."))));
}

// A piece of every kind, in the option table's order, makes a line DOS cuts within
// "-noantialias ". DOSBox runs the test program MAME.EXE as "mame.exe".
TEST(RunMame, ALineDosWouldCutRunsOnlyWhenTheUserSaysOk) {
  MameFolder m;
  OptionSet& o = m.options;
  o.vidvesa2 = o.viddep2 = o.vidmon4 = o.snd7 = o.sndr2 = o.sndb2 = o.sndstereo1 = true;
  o.vidntsc = o.vidreson = o.tripbufe = o.antid = o.transd = o.logc = o.dmousec = 1;
  o.vidscanlines = 0;
  o.gamma = "1.4";
  o.flicker = "5";
  o.volume = "-3";
  o.fsslid = 11;
  o.JoyList = 9;
  const std::string tail =
      " pacman -vesamode vesa2b -noscanlines -depth 16 -ntsc -monitor arcade -resolution 320x240 "
      "-gamma 1.4 -triplebuffer -noantialias -notranslucency -frameskip 11 -flicker 5 -soundcard 7 "
      "-sr 22050 -sb 16 -stereo -volume -3 -joy wingwarrior -log -nomouse ";
  for (const bool ok : {false, true}) {
    m.answer = ok ? platform::MessageAnswer::Ok : platform::MessageAnswer::Cancel;
    m.messages.clear();
    EXPECT_EQ(m.run(), ok ? RunOutcome::Started : RunOutcome::Cancelled);
    ASSERT_EQ(m.messages.size(), 1u);
    EXPECT_EQ(m.messages[0].buttons, platform::MessageButtons::OkCancel);
    EXPECT_THAT(m.messages[0].prompt,
                AllOf(HasSubstr("at most 126 characters"), HasSubstr("has 248."),
                      HasSubstr("from the option \"-noantialias\" on")));
    EXPECT_EQ(test::readFile(m.script()), ok ? "mame.exe" + tail : "");
  }
  ASSERT_TRUE(m.dosbox.waitForExit()) << m.dosbox.log();
  EXPECT_EQ(test::readFile(m.mame / test::kTailFile), tail.substr(0, 126)) << m.dosbox.log();
}

}  // namespace
}  // namespace kestro::launch
