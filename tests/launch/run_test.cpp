// The run on real folders: the game name, the script's bytes, what DOS can carry, every refusal
// (nothing written or started), and the warning about a line that real DOSBox then cuts.
#include "launch/run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/stepped.h"
#include "launch/commandline.h"
#include "launch/dosrules.h"
#include "launch/script.h"
#include "support/dosbox.h"

namespace kestro::launch {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::HasSubstr;

TEST(GameName, ThePathAfterTheLastRomsFolder) {
  EXPECT_EQ(gameNameOf("/d/roms/a/Roms/mygame"), "mygame");  // the last, in any case
  EXPECT_EQ(gameNameOf("/d/EMU/ROMS/mygame/set2"), "mygame/set2");
  EXPECT_EQ(gameNameOf("/d/Emu/roms"), "/d/Emu/roms");
  EXPECT_EQ(gameNameOf("/d/Games/mygame"), "/d/Games/mygame");
}

TEST(LaunchScript, TheLineWrittenOverTheBlankRecord) {
  test::TempFolder folder;
  const std::string path = launchScriptPath(folder.str());
  test::writeFile(path, std::string(300, 'x'));  // an older, longer script leaves nothing
  const auto written = [&](std::string_view line) {
    EXPECT_EQ(writeLaunchScript(path, line), std::nullopt);
    return test::readFile(path);
  };
  EXPECT_EQ(written("mame.exe mygame -noscanlines "), "mame.exe mygame -noscanlines ");
  EXPECT_EQ(written("abcd"), "abcd\n");
  EXPECT_EQ(written(""), "\" \"\r\n");
}

TEST(DosRules, WhatTheScriptAndDosCanCarry) {
  for (const char* fine : {"pacman", "mygame/set2", "a-b_c!{}~'"}) EXPECT_FALSE(textProblem(fine));
  EXPECT_THAT(textProblem("pac\nman").value_or(""), HasSubstr("line break"));
  EXPECT_THAT(textProblem("pac\tman").value_or(""), HasSubstr("control character"));
  EXPECT_THAT(textProblem("pac man").value_or(""), HasSubstr("blank"));
  EXPECT_THAT(textProblem("pacm\xC3\xA4n").value_or(""), HasSubstr("printable ASCII"));
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
}

// The cut of "MAME.EXE game " and options -aaa.., -bbb.., .. of the given lengths.
std::optional<TailCut> cutOf(const std::string& game, const std::vector<std::size_t>& lengths) {
  std::vector<std::string> pieces;
  std::string line = "MAME.EXE " + game + " ";
  for (const std::size_t length : lengths) {
    pieces.push_back("-" + std::string(length - 2, static_cast<char>('a' + pieces.size())) + " ");
    line += pieces.back();
  }
  return tailCut(line, 8, game, pieces);
}

TEST(DosRules, DosKeeps126CharactersFromTheBlankAfterTheName) {
  EXPECT_EQ(cutOf("pacman", {60, 59}), std::nullopt);  // 8 + 119: the final blank is dropped
  EXPECT_EQ(cutOf("pacman", {60, 60}).value().firstCut, "-" + std::string(58, 'b'));
  EXPECT_EQ(cutOf("pacman", {119, 3}).value().firstCut, "-b");  // the piece before is whole
  EXPECT_TRUE(cutOf(std::string(130, 'g'), {5}).value().gameNameCut);
}

// A MAME folder holding the DOS test program as MAME.EXE, and the run of a game below it.
struct MameFolder {
  MameFolder() {
    fs::create_directory(mame);
    fs::copy_file(test::tailProgram(), mame / "MAME.EXE");
    core::resetSteppedValues(options, '.');
    options.vidscanlines = 1;
    options.mame = "MAME.EXE";
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
  std::string line() const { return buildCommandLine(options, '.').line; }

  test::TempFolder root;
  fs::path mame = root.path() / "MAME";
  std::string game = "pacman";
  core::OptionSet options;
  test::ChildDosBox dosbox{root.path()};
  platform::DosBoxStarter noDosBox{(root.path() / "none").string()};
  platform::ScriptStarter* starter = &dosbox;
  std::vector<platform::Message> messages;
  MessageAnswer answer = MessageAnswer::Ok;
};

TEST(RunMame, RefusalsSayWhyAndWriteAndStartNothing) {
  const std::pair<void (*)(MameFolder&), const char*> cases[] = {
      {[](MameFolder& m) { m.options.DirMame.clear(); }, "No MAME folder is chosen"},
      {[](MameFolder& m) { m.options.mame.clear(); }, "No MAME executable is set"},
      {[](MameFolder& m) { m.game = "a&b"; }, "game name \"a&b\" cannot go into the launch script"},
      {[](MameFolder& m) { m.options.mame = "MA%E.EXE"; }, "executable's name \"MA%E.EXE\""},
      {[](MameFolder& m) {
         m.options.vidreson = 1;
         m.options.vidresy = "24>0";
       },
       "custom resolution height \"24>0\""},
      {[](MameFolder& m) { m.options.mame = "mame0106b.exe"; }, "has no DOS file name"},
      {[](MameFolder& m) { m.options.mame = "MAME2.EXE"; }, "is not in the MAME folder"},
      {[](MameFolder& m) { m.options.DirMame += "/gone"; }, "cannot be read"},
      {[](MameFolder& m) {
         m.options.mame = "kestro";  // DOS would find KESTRO.BAT and start it over and over
         test::writeFile(m.script(), "old");
       },
       "would start the launch script itself"},
      {[](MameFolder& m) { m.options.beam = "wide"; }, "The beam value is not a number"},
      {[](MameFolder& m) { fs::create_directory(m.script()); },
       "cannot be written: Is a directory."},
      {[](MameFolder& m) { m.starter = &m.noDosBox; }, "Install the Debian package \"dosbox\""},
  };
  for (const auto& [setUp, reason] : cases) {
    MameFolder m;
    setUp(m);
    const std::string script = test::readFile(m.script());
    EXPECT_EQ(m.run(), RunOutcome::Refused) << reason;
    EXPECT_THAT(m.messages, ElementsAre(Field(&platform::Message::prompt, HasSubstr(reason))));
    EXPECT_EQ(test::readFile(m.script()), script) << reason;
    EXPECT_EQ(m.dosbox.starts(), 0) << reason;
  }
}

// Records the command and fails as a DOSBox that is no program would: a DOSBox kept open
// would wait for a user to close it.
struct FailingDosBox : platform::DosBoxStarter {
  std::vector<std::string> arguments;
  std::optional<std::string> startProcess(const platform::ProcessCommand& command) override {
    arguments = command.arguments;
    return "Exec format error";
  }
};

TEST(RunMame, ListingsKeepDosBoxOpenAndAFailedStartIsNamed) {
  MameFolder m;
  FailingDosBox dosbox;
  m.starter = &dosbox;
  m.options.reqromc = 1;
  EXPECT_EQ(m.run(), RunOutcome::Refused);
  EXPECT_EQ(dosbox.arguments.back(), m.script().string());  // no "-exit" after it
  EXPECT_THAT(m.messages, ElementsAre(Field(&platform::Message::prompt,
                                            HasSubstr("cannot be started: Exec format error."))));
}

// Video and Video 2 pieces bring the tail to 119 characters; DOS cuts it within
// "-soundcard 7 ". DOSBox runs the test program as MAME, whatever the case of its name.
TEST(RunMame, ALineDosWouldCutRunsOnlyWhenTheUserSaysOk) {
  MameFolder m;
  core::OptionSet& o = m.options;
  o.vidvesa2 = o.viddep2 = o.vidmon4 = o.snd7 = o.sndr2 = true;
  o.tripbufe = o.antid = o.transd = o.dmousec = 1;
  o.gamma = "1.4";
  o.fsslid = 11;
  o.JoyList = 9;
  o.mame = "mame.exe";
  for (const MessageAnswer answer : {MessageAnswer::Cancel, MessageAnswer::Ok}) {
    m.answer = answer;
    m.messages.clear();
    const bool ok = answer == MessageAnswer::Ok;
    EXPECT_EQ(m.run(), ok ? RunOutcome::Started : RunOutcome::Cancelled);
    ASSERT_EQ(m.messages.size(), 1u);
    EXPECT_EQ(m.messages[0].buttons, platform::MessageButtons::OkCancel);
    EXPECT_THAT(m.messages[0].prompt,
                AllOf(HasSubstr("at most 126 characters"), HasSubstr("has 167."),
                      HasSubstr("from the option \"-soundcard\" on")));
    EXPECT_EQ(test::readFile(m.script()), ok ? m.line() : "");
    EXPECT_EQ(m.dosbox.starts(), ok ? 1 : 0);
  }
  ASSERT_TRUE(m.dosbox.waitForExit()) << m.dosbox.log();
  EXPECT_EQ(test::readFile(m.mame / test::kTailFile), m.line().substr(8, 126)) << m.dosbox.log();
}

}  // namespace
}  // namespace kestro::launch
