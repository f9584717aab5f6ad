// SPDX-License-Identifier: GPL-3.0-or-later
// "Run Mame" after the pickers and "Set EXE" as a user works them, with MAME (our DOS stand-in)
// run for real by DOSBox, which hands it the command line; the line shown before the run, and
// the tray menu's last games.
#include <QClipboard>
#include <QMenu>
#include <filesystem>

#include "support/dosbox.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;

// The program's folder holds a text file and MAME, with the DOS test program as MAME.EXE and
// games below ROMS. MAME's folder stands in for a second drive.
class RunMame : public WindowTest {
 protected:
  void SetUp() override {
    fs::create_directories(mame / "ROMS" / "pacman");
    fs::create_directories(mame / "ROMS" / "galaga");
    fs::copy_file(test::tailProgram(), mame / "MAME.EXE");
    test::writeFile(folder.path() / "readme.txt", "x");
    drives = {"/", mame.string()};
    starter = &dosbox;
    open();
  }
  void loadSettings(const std::string& bytes) {
    test::writeFile(ini, bytes);
    backFromTray();
  }
  void openGame(const QString& game) {
    pick("RomDir", "ROMS", true);
    pick("RomDir", game, true);
  }
  // The tray menu's last games: its entries that show between its two separators.
  std::vector<QAction*> lastGames() const {
    std::vector<QAction*> shown;
    int separators = 0;
    for (QAction* action : window->trayIcon().contextMenu()->actions()) {
      separators += action->isSeparator() ? 1 : 0;
      if (separators == 1 && !action->isSeparator() && action->isVisible()) shown.push_back(action);
    }
    return shown;
  }
  std::string lastGameTexts() const {
    std::string texts;
    for (const QAction* action : lastGames()) texts += action->text().toStdString() + "; ";
    return texts;
  }
  static std::string entry(const fs::path& game, const fs::path& mameFolder, int number) {
    const std::string n = std::to_string(number);
    return "game" + n + "=" + game.string() + "\r\nmamedir" + n + "=" + mameFolder.string() +
           "\r\n";
  }
  std::string bat() const { return test::readFile(mame / "kestro.bat"); }

  fs::path mame = folder.path() / "MAME";
  fs::path ini = folder.path() / "kestro.ini";
  test::ChildDosBox dosbox{folder.path()};
};

TEST_F(RunMame, ThroughThePickersMameGetsTheLineOfTheClickedOptionsAsTheButtonTells) {
  EXPECT_EQ(options().DirMame, "") << "the lists' start placement is no change";
  EXPECT_EQ(widget<QListView>("MameFile").model()->rowCount(), 0)
      << "the start-up shows only *.exe";
  // Each drive list moves only its own folder list; the MAME drive alone sets the MAME folder.
  showTabOf("RomDrive");
  QTest::keyClick(&widget("RomDrive"), Qt::Key_Down);
  EXPECT_EQ(widget<QListView>("RomDir").currentIndex().data().toString(), "MAME");
  EXPECT_EQ(window->form().MameDir().path(), folder.str());
  EXPECT_EQ(options().DirMame, "");
  showTabOf("MameDrive");
  QTest::keyClick(&widget("MameDrive"), Qt::Key_Down);
  EXPECT_EQ(widget<QListView>("MameDir").currentIndex().data().toString(), "MAME");
  EXPECT_EQ(options().DirMame, mame.string());

  options().mame = "OLD.EXE";  // as the settings file restored it
  click("exeset");
  EXPECT_EQ(options().mame, "") << "Set EXE with no file selected";
  pick("MameFile", "MAME.EXE");
  click("exeset");
  EXPECT_EQ(options().mame, "MAME.EXE");
  openGame("pacman");
  const auto told = [this] { return widget("runmame").toolTip().toStdString(); };
  EXPECT_EQ(told().substr(0, told().find('\n')), "MAME.EXE pacman -noscanlines ");

  for (const char* option :
       {"vidscanlines", "vidvesa3", "viddep2", "vidgamup", "vidgamup", "snd2", "sndr3", "sndb2",
        "sndstereo1", "sndvoldn", "sndvoldn", "sndvoldn", "logc"}) {
    click(option);
  }
  const std::string line =
      "MAME.EXE pacman -vesamode vesa2l -depth 16 -gamma 1.4 -soundcard 1 -sr 44100 -sb 16 "
      "-stereo -volume -3 -log ";
  EXPECT_EQ(widget("runmame").accessibleDescription().toStdString(),
            line + "\nDOS passes MAME the whole line: " + std::to_string(line.size() - 9) +
                " of 126 characters after the executable's name.");
  click("runmame");
  ASSERT_TRUE(messages.empty()) << messages.front().prompt;
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_EQ(bat(), line);
  // DOS hands the program what follows its name, without the final blank.
  EXPECT_EQ(test::readFile(mame / test::kTailFile), line.substr(8, line.size() - 9))
      << dosbox.log();
  EXPECT_EQ(label("gamename"), "pacman");

  for (const char* option : {"dispvercpyc", "listsupc", "gmdirdescc", "reqromc", "reqsampc"}) {
    click(option);
  }
  EXPECT_EQ(told().substr(told().find('\n') + 1),
            "DOS passes MAME only 126 of the line's 144 characters after the executable's name, "
            "and cuts from the option \"-listroms\" on.");
}

// Five are kept, newest first; a chosen one runs with the window's options and moves to the top;
// the settings file's other sections keep their bytes (comments, blanks, CR LF).
TEST_F(RunMame, LastGamesRunMoveToTheTopAndFiveAreKept) {
  const std::string user =
      "; mine\r\n[UserSettingsVid]\r\nscanlines = 1 \r\n[EXE]\r\nexe=MAME.EXE\r\n";
  const std::string defaults = "\r\n[DefaultVid]\r\nframeskip= 2\r\n; keep this\r\n";
  std::string games;
  for (int number = 1; number <= 5; ++number) {
    games += number == 3 ? entry(mame / "ROMS" / "galaga", mame, number)
                         : entry("/old/ROMS/" + std::string(1, 'a' + number), "/old", number);
  }
  loadSettings(user + "[LastGames]\r\n" + games + defaults);
  click("logc");
  lastGames().at(2)->trigger();
  ASSERT_TRUE(messages.empty()) << messages.front().prompt;
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_EQ(bat(), "MAME.EXE galaga -frameskip 2 -log ");
  EXPECT_EQ(options().DirMame, mame.string());
  for (QAction* action : window->trayIcon().contextMenu()->actions()) {
    if (action->text() == "Copy command line") action->trigger();
  }
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), bat());
  EXPECT_EQ(test::readFile(ini),
            user + "[LastGames]\r\n" + entry(mame / "ROMS" / "galaga", mame, 1) +
                entry("/old/ROMS/b", "/old", 2) + entry("/old/ROMS/c", "/old", 3) +
                entry("/old/ROMS/e", "/old", 4) + entry("/old/ROMS/f", "/old", 5) + defaults);

  openGame("pacman");
  click("runmame");
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  const std::string m = mame.string();
  EXPECT_EQ(lastGameTexts(),
            "pacman (" + m + "); galaga (" + m + "); b (/old); c (/old); e (/old); ");
  EXPECT_EQ(test::readFile(ini).find("/old/ROMS/f"), std::string::npos);
}

TEST_F(RunMame, BrokenLastGamesAreLeftOutOrRefusedAndNeverRun) {
  const fs::path gone = folder.path() / "gone";
  // Entries the file cannot hold are left out by the settings layer (tests/settings).
  const std::string bytes = "[EXE]\nexe=MAME.EXE\n[LastGames]\n" +
                            entry(mame / "ROMS" / "pacman", gone, 3) +
                            entry(gone / "ROMS" / "x", mame, 4);
  loadSettings(bytes);
  const std::string shown = "pacman (" + gone.string() + "); x (" + mame.string() + "); ";
  ASSERT_EQ(lastGameTexts(), shown);
  lastGames().at(0)->trigger();
  lastGames().at(1)->trigger();
  ASSERT_EQ(messages.size(), 2U);
  EXPECT_NE(messages[0].prompt.find("The MAME folder \"" + gone.string() + "\" cannot be read"),
            std::string::npos)
      << messages[0].prompt;
  EXPECT_NE(messages[1].prompt.find("The game folder \"" + (gone / "ROMS" / "x").string() +
                                    "\" is not there any more"),
            std::string::npos)
      << messages[1].prompt;
  EXPECT_EQ(options().DirMame, "") << "no MAME folder was opened";
  EXPECT_EQ(dosbox.starts(), 0);
  EXPECT_EQ(test::readFile(ini), bytes);
  EXPECT_EQ(lastGameTexts(), shown);
}

}  // namespace
}  // namespace kestro::ui
