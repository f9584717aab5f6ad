// The run on real folders with real DOSBox: the game name, the script, the start, what
// DOS hands MAME, every refusal (nothing written, nothing started) and the warning about
// a line that DOS would cut.
#include "launch/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "launch/script.h"
#include "support/dosbox.h"
#include "support/tempfolder.h"

namespace kestro::launch {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;

TEST(GameName, ThePathAfterTheLastRomsFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"/d/Emu/roms/mygame", "mygame"},
      {"/d/EMU/ROMS/MyGame", "MyGame"},
      {"/d/roms/a/roms/b", "b"},
      {"/d/Emu/roms/mygame/set2", "mygame/set2"},
      {"/d/Emu/Roms/x", "x"},
      {"/d/Emu/myroms/x", "x"},  // any folder name ending in ROMS
      {"/d/Emu/roms", "/d/Emu/roms"},
      {"/d/Games/mygame", "/d/Games/mygame"},
      {"D:\\Emu\\roms\\mygame", "D:\\Emu\\roms\\mygame"},
      {"/", "/"},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(gameNameOf(path), name) << path;
}

// A MAME folder holding the DOS test program as MAME.EXE and a ROMS folder with a game.
class Run : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(romFolder);
    fs::copy_file(test::tailProgram(), mameFolder / "MAME.EXE");
    options.gamma = "1.2";
    options.beam = "1";
    options.flicker = "0";
    options.volume = "0";
    options.vidscanlines = 1;
    options.mame = "MAME.EXE";
    options.DirMame = mameFolder.string();
  }

  RunOutcome run(platform::ScriptStarter& starter) {
    return runMame({.options = options,
                    .romFolder = romFolder.string(),
                    .decimalSeparator = '.',
                    .starter = starter,
                    .showMessage = [this](const platform::Message& message) {
                      messages.push_back(message);
                      return answer;
                    }});
  }
  RunOutcome run() { return run(dosbox); }

  fs::path script() const { return mameFolder / "kestro.bat"; }
  std::string tail() const { return test::readFile(mameFolder / test::kTailFile); }

  void expectPiecesEmpty() const {
    EXPECT_EQ(options.voptions, "");
    EXPECT_EQ(options.voptions2, "");
    EXPECT_EQ(options.soptions, "");
    EXPECT_EQ(options.other, "");
  }

  // Refused with one message holding `words`; nothing written, nothing started.
  void expectRefused(RunOutcome outcome, const std::string& words) {
    EXPECT_EQ(outcome, RunOutcome::Refused);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].prompt.find(words), std::string::npos) << messages[0].prompt;
    EXPECT_EQ(messages[0].title, "Run Mame");
    EXPECT_EQ(messages[0].buttons, platform::MessageButtons::Ok);
    EXPECT_FALSE(fs::exists(script()));
    EXPECT_EQ(dosbox.starts(), 0);
    expectPiecesEmpty();
  }

  test::TempFolder root;
  fs::path mameFolder = root.path() / "MAME";
  fs::path romFolder = mameFolder / "ROMS" / "pacman";
  test::ChildDosBox dosbox{root.path()};
  core::OptionSet options;
  std::vector<platform::Message> messages;
  MessageAnswer answer = MessageAnswer::Ok;
};

TEST_F(Run, DosBoxStartsTheScriptAndMameGetsTheLine) {
  options.vidvesa3 = true;
  options.viddep2 = true;
  options.snd2 = true;
  options.sndr3 = true;
  options.sndb2 = true;
  options.sndstereo1 = true;
  options.gamma = "1.4";
  options.fsslid = 2;
  options.JoyList = 2;
  options.logc = 1;
  EXPECT_EQ(run(), RunOutcome::Started);
  EXPECT_TRUE(messages.empty());
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();

  const std::string line =
      "MAME.EXE pacman -vesamode vesa2l -depth 16 -gamma 1.4 -frameskip 2 -soundcard 1 "
      "-sr 44100 -sb 16 -stereo -joy standard -log ";
  EXPECT_EQ(options.FullMame, line);
  EXPECT_EQ(test::readFile(script()), line);
  // DOS hands over the line after the name, from its blank on, without the final blank;
  // MAME.EXE ran in the MAME folder, where it wrote its file.
  EXPECT_EQ(tail(), line.substr(8, line.size() - 9)) << dosbox.log();
  EXPECT_EQ(options.RomName, "pacman");
  EXPECT_EQ(options.gamename, "pacman");
  expectPiecesEmpty();

  ASSERT_TRUE(dosbox.lastCommand());
  EXPECT_EQ(dosbox.lastCommand()->workingFolder, mameFolder.string());
  EXPECT_EQ(dosbox.lastCommand()->arguments.back(), "-exit");

  // A second run writes and hands over the same line, not the pieces twice.
  fs::remove(mameFolder / test::kTailFile);
  EXPECT_EQ(run(), RunOutcome::Started);
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_EQ(options.FullMame, line);
  EXPECT_EQ(tail(), line.substr(8, line.size() - 9));
}

TEST_F(Run, DosBoxHandsTheProgram126CharactersAfterItsName) {
  // The tail counts from the blank after the name; final blanks are dropped, the rest is
  // cut after 126 characters.
  const struct {
    std::string tail;
    std::string arrives;
  } cases[] = {
      {" " + std::string(124, 'a') + " ", " " + std::string(124, 'a')},
      {" " + std::string(125, 'a') + " ", " " + std::string(125, 'a')},
      {" " + std::string(126, 'a') + " ", " " + std::string(125, 'a')},
      {" " + std::string(200, 'a') + " ", " " + std::string(125, 'a')},
      {" pac  ", " pac"},
      {"  pac   -x ", "  pac   -x"},
  };
  for (const auto& c : cases) {
    fs::remove(mameFolder / test::kTailFile);
    ASSERT_EQ(writeLaunchScript(script().string(), "MAME.EXE" + c.tail), std::nullopt);
    ASSERT_EQ(dosbox.start({.script = script().string(), .folder = mameFolder.string()}),
              std::nullopt);
    ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
    EXPECT_EQ(tail(), c.arrives) << c.tail.size();
  }
}

TEST_F(Run, NoMameFolderChosen) {
  options.DirMame.clear();
  expectRefused(run(), "No MAME folder is chosen");
  // What the run got as far as stays for the next one.
  EXPECT_EQ(options.RomName, "pacman");
  EXPECT_EQ(options.gamename, "pacman");
  EXPECT_EQ(options.FullMame, "MAME.EXE pacman ");
}

TEST_F(Run, NoExecutableSet) {
  options.mame.clear();
  expectRefused(run(), "No MAME executable is set");
  EXPECT_EQ(options.FullMame, " pacman ");
}

TEST_F(Run, GameNamesTheScriptCannotCarry) {
  const std::pair<const char*, const char*> cases[] = {
      {"a&b", "character &"},     {"pac man", "blank"},
      {"pac\nman", "line break"}, {"pacm\xC3\xA4n", "printable ASCII"},
      {"100%", "character %"},
  };
  for (const auto& [game, problem] : cases) {
    romFolder = mameFolder / "ROMS" / game;
    fs::create_directories(romFolder);
    messages.clear();
    expectRefused(run(), std::string("The game name \"") + game + "\"");
    EXPECT_NE(messages.at(0).prompt.find(problem), std::string::npos) << messages.at(0).prompt;
    EXPECT_EQ(options.RomName, game);
  }
}

TEST_F(Run, CustomResolutionTheScriptCannotCarry) {
  options.vidreson = 1;
  options.vidresx = "320";
  options.vidresy = "24>0";
  expectRefused(run(), "custom resolution height \"24>0\"");
  // Texts that are not used are not looked at.
  options.vidreson = 0;
  messages.clear();
  options.vidresy = "24>0";
  EXPECT_EQ(run(), RunOutcome::Started);
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
}

TEST_F(Run, ExecutableWithoutADosName) {
  fs::copy_file(test::tailProgram(), mameFolder / "mame0106b.exe");
  options.mame = "mame0106b.exe";
  expectRefused(run(), "has no DOS file name");
}

TEST_F(Run, ExecutableNotInTheMameFolder) {
  options.mame = "MAME2.EXE";
  expectRefused(run(), "is not in the MAME folder");
  // Letter case does not matter to DOS.
  messages.clear();
  options.mame = "mame.exe";
  EXPECT_EQ(run(), RunOutcome::Started);
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_EQ(tail(), " pacman");
}

TEST_F(Run, ExecutableThatIsTheLaunchScript) {
  test::writeFile(script(), "old");
  options.mame = "kestro";  // DOS would find KESTRO.BAT and start it over and over
  EXPECT_EQ(run(), RunOutcome::Refused);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].prompt.find("would start the launch script itself"), std::string::npos);
  EXPECT_EQ(test::readFile(script()), "old");
  EXPECT_EQ(dosbox.starts(), 0);
}

TEST_F(Run, MameFolderThatDosBoxCannotMount) {
  mameFolder = root.path() / "MA\"ME";
  fs::create_directory(mameFolder);
  fs::copy_file(test::tailProgram(), mameFolder / "MAME.EXE");
  options.DirMame = mameFolder.string();
  expectRefused(run(), "holds a double quote");
}

TEST_F(Run, SteppedValueThatIsNoNumber) {
  options.beam = "wide";
  expectRefused(run(), "The beam value is not a number");
}

TEST_F(Run, ScriptThatCannotBeWritten) {
  fs::create_directory(script());
  EXPECT_EQ(run(), RunOutcome::Refused);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].prompt,
            "The launch script \"" + script().string() + "\" cannot be written: Is a directory.");
  EXPECT_EQ(dosbox.starts(), 0);
  expectPiecesEmpty();
}

TEST_F(Run, NoDosBoxWritesNothing) {
  test::TempFolder emptyPath;
  platform::DosBoxStarter missing(emptyPath.str());
  expectRefused(run(missing), "DOSBox");
  EXPECT_NE(messages[0].prompt.find("Install the Debian package \"dosbox\""), std::string::npos);
}

TEST_F(Run, DosBoxThatCannotBeStartedIsNamed) {
  test::TempFolder path;
  const fs::path fake = path.path() / "dosbox";
  test::writeFile(fake, "not a program");
  fs::permissions(fake, fs::perms::owner_all);
  platform::DosBoxStarter broken(path.str());
  EXPECT_EQ(run(broken), RunOutcome::Refused);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].prompt,
            "DOSBox (\"" + fake.string() + "\") cannot be started: Exec format error.");
  // The failure lies in the start: the script is there for the user to try.
  EXPECT_EQ(test::readFile(script()), "MAME.EXE pacman ");
  expectPiecesEmpty();
}

// Records the command instead of running it: a DOSBox asked to stay open would wait for
// a user to close it.
class RecordingDosBox : public platform::DosBoxStarter {
 public:
  std::optional<platform::ProcessCommand> command;

 protected:
  std::optional<std::string> startProcess(const platform::ProcessCommand& started) override {
    command = started;
    return std::nullopt;
  }
};

TEST_F(Run, ListingOptionsKeepDosBoxOpen) {
  options.reqromc = 1;
  RecordingDosBox recording;
  EXPECT_EQ(run(recording), RunOutcome::Started);
  ASSERT_TRUE(recording.command);
  const std::vector<std::string>& arguments = recording.command->arguments;
  EXPECT_EQ(std::ranges::find(arguments, "-exit"), arguments.end());
  EXPECT_EQ(arguments.back(), script().string());
}

// A line whose tail DOS cuts within "-soundcard 7 ": the Video pieces and the Video 2
// pieces bring the tail to 119 characters, the sound card's name ends at 131.
class LongLine : public Run {
 protected:
  void SetUp() override {
    Run::SetUp();
    options.vidvesa2 = true;
    options.viddep2 = true;
    options.vidmon4 = true;
    options.gamma = "1.4";
    options.tripbufe = 1;
    options.antid = 1;
    options.transd = 1;
    options.fsslid = 11;
    options.snd7 = true;
    options.sndr2 = true;
    options.JoyList = 9;
    options.dmousec = 1;
  }

  void expectWarned() {
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].buttons, platform::MessageButtons::OkCancel);
    const std::string& prompt = messages[0].prompt;
    EXPECT_NE(prompt.find("at most 126 characters"), std::string::npos) << prompt;
    EXPECT_NE(prompt.find("has 167."), std::string::npos) << prompt;
    EXPECT_NE(prompt.find("from the option \"-soundcard\" on"), std::string::npos) << prompt;
  }
};

TEST_F(LongLine, CancelGoesBackWithoutWritingOrStarting) {
  answer = MessageAnswer::Cancel;
  EXPECT_EQ(run(), RunOutcome::Cancelled);
  expectWarned();
  EXPECT_FALSE(fs::exists(script()));
  EXPECT_EQ(dosbox.starts(), 0);
  expectPiecesEmpty();
  EXPECT_EQ(options.FullMame.size(), 8u + 168u);
}

TEST_F(LongLine, OkRunsAndDosCutsTheLine) {
  answer = MessageAnswer::Ok;
  EXPECT_EQ(run(), RunOutcome::Started);
  expectWarned();
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_EQ(test::readFile(script()), options.FullMame);
  const std::string arrived = tail();
  EXPECT_EQ(arrived, options.FullMame.substr(8, 126));
  EXPECT_TRUE(arrived.ends_with("-frameskip 11 -soundc")) << arrived;
}

}  // namespace
}  // namespace kestro::launch
