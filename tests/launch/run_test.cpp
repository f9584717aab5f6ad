// The run on real folders: the game name, the script's bytes, what DOS and DOSBox can carry,
// every refusal (nothing written or started), the warning about a line that real DOSBox then
// cuts, and real DOSBox closing after MAME or staying open when MAME fails.
#include "launch/run.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
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

// Beyond the refusals of the run below: what DOSBox was measured to take, and the rest of
// what it does not.
TEST(DosRules, WhatDosBoxsMountLineAndShellTake) {
  for (const std::string& fine :
       {std::string("/"), std::string("/games/MAME 0.37b"), std::string("/a<b>c|d&e^f'!\xC3\xA9"),
        "/" + std::string(kLongestMountedFolder - 1, 'f')}) {
    EXPECT_EQ(mountFolderProblem(fine), std::nullopt) << fine;
  }
  const std::pair<std::string, const char*> folders[] = {
      {"games/mame", "not a full path"},
      {"/a\rb", "line break"},
      {"/a\tb", "control character"},
      {"/a\x7F", "control character"},
  };
  for (const auto& [folder, problem] : folders) {
    EXPECT_THAT(mountFolderProblem(folder).value_or(""), HasSubstr(problem)) << folder;
  }
  for (const char* fine : {"MAME.EXE", "CD-X.EXE", "CDX.EXE", "DELTA.EXE", "MOUNT.COM", "ECHO(.EXE",
                           "A@.EXE", "mame"}) {
    EXPECT_EQ(shellCommandProblem(fine), std::nullopt) << fine;
  }
  for (const char* command : {"cd.com", "Echo.Com", "rem", "LOADHIGH.EXE"}) {
    EXPECT_THAT(shellCommandProblem(command).value_or(""), HasSubstr("a command of DOSBox's"))
        << command;
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
  ~MameFolder() {
    if (fifoReader >= 0) ::close(fifoReader);
  }
  // Moves the MAME folder to that path below the root, making the folders on the way.
  void moveTo(const std::string& below) {
    const fs::path moved = root.path() / below;
    fs::create_directories(moved.parent_path());
    fs::rename(mame, moved);
    mame = moved;
    options.DirMame = mame.string();
  }
  // A path below the root of exactly `length` characters, in folders DOS and Linux take.
  std::string pathOfLength(std::size_t length) const {
    std::string below;
    std::size_t left = length - root.str().size() - 1;
    for (; left > 200; left -= 201) below += std::string(200, 'd') + "/";
    return below + std::string(left, 'd');
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
  int fifoReader = -1;
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
      // A name DOSBox would read as commands of its own.
      {[](MameFolder& m) { m.moveTo("a\nMOUNT E .\nECHO INJECTED>E:\\INJ.TXT\nREM "); },
       "cannot be mounted by DOSBox as drive C, because it holds a line break"},
      {[](MameFolder& m) { m.moveTo("100%games"); }, "because it holds the character %"},
      {[](MameFolder& m) { m.moveTo("say\"hi"); }, "because it holds a double quote"},
      {[](MameFolder& m) { m.moveTo(m.pathOfLength(kLongestMountedFolder + 1)); },
       "its path has 239 characters, and DOSBox mounts at most 238"},
      {[](MameFolder& m) {
         fs::copy_file(m.mame / "MAME.EXE", m.mame / "DEL.EXE");
         m.options.mame = "DEL.EXE";  // the shell's DEL would delete the game's file
       },
       "\"DEL.EXE\" cannot be started from the launch script, because it is the name of DEL"},
      {[](MameFolder& m) {
         fs::copy_file(m.mame / "MAME.EXE", m.mame / "@MAME.EXE");
         m.options.mame = "@MAME.EXE";
       },
       "because it begins with @"},
      // A launch script that is not a file of its own is left as it is.
      {[](MameFolder& m) {
         test::writeFile(m.root.path() / "victim", "keep");
         fs::create_symlink("../victim", m.script());
       },
       "cannot be written: it is a symbolic link"},
      {[](MameFolder& m) { fs::create_hard_link(m.mame / "MAME.EXE", m.script()); },
       "cannot be written: it has other names (hard links)"},
      {[](MameFolder& m) {
         ASSERT_EQ(::mkfifo(m.script().c_str(), 0644), 0);
         // With a reader the FIFO would take the line; without one, block the window.
         m.fifoReader = ::open(m.script().c_str(), O_RDONLY | O_NONBLOCK);
       },
       "cannot be written: it is not a plain file"},
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

// MAME's exit code decides: 0 closes DOSBox, anything else keeps it open, with MAME's words
// on screen, until a key is pressed. Measured from outside, in DOSBox's window on an X server
// of the test's own: the failing MAME has run (its tail file is written), DOSBox still runs
// seconds later, and a key pressed in its window closes it. The MAME folder that succeeds is
// the longest DOSBox mounts, holding characters a shell line would read as its own.
TEST(RunMame, DosBoxClosesAfterMameSucceedsAndWaitsForAKeyAfterItFails) {
  const test::VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  for (const bool fails : {false, true}) {
    MameFolder m;
    test::ChildDosBox dosbox(m.root.path(), display.name());
    m.starter = &dosbox;
    if (fails) {
      fs::remove(m.mame / "MAME.EXE");
      fs::copy_file(test::failingProgram(), m.mame / "MAME.EXE");
    } else {
      std::string below = m.pathOfLength(kLongestMountedFolder);
      below.replace(below.size() - 12, 12, "a<b>c|d&e^f'");
      m.moveTo(below);
      ASSERT_EQ(m.options.DirMame.size(), kLongestMountedFolder);
    }
    ASSERT_EQ(m.run(), RunOutcome::Started);
    const fs::path tail = m.mame / test::kTailFile;
    bool ended = false;
    for (int i = 0; i < 600 && !ended && !fs::exists(tail); ++i) {
      ended = dosbox.waitForExit(std::chrono::seconds(0));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(fs::exists(tail)) << dosbox.log();
    EXPECT_EQ(test::readFile(tail), " pacman");
    if (fails) {
      EXPECT_FALSE(dosbox.waitForExit(std::chrono::seconds(3))) << "MAME failed, DOSBox closed";
      ASSERT_TRUE(display.pressKeyInDosBox())
          << "no DOSBox window to press a key in on " << display.name();
      EXPECT_TRUE(dosbox.waitForExit(std::chrono::seconds(20))) << "the key left DOSBox open";
    } else {
      EXPECT_TRUE(ended || dosbox.waitForExit()) << dosbox.log();
    }
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
  EXPECT_EQ(dosbox.arguments.back(), "CALL kestro.bat");  // and nothing that closes DOSBox
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
