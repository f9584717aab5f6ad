// "Run Mame" after the pickers and "Set EXE" as a user works them, with MAME (our DOS stand-in)
// run for real by DOSBox, which hands it the command line; the line shown before the run, and
// the tray menu's last games.
#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <filesystem>

#include "support/dosbox.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;

// The program's folder holds a text file and MAME, with the DOS test program as MAME.EXE and a
// game below ROMS. MAME's folder stands in for a second drive.
class RunMame : public WindowTest {
 protected:
  void SetUp() override {
    fs::create_directories(mame / "ROMS" / "pacman");
    fs::copy_file(test::tailProgram(), mame / "MAME.EXE");
    test::writeFile(folder.path() / "readme.txt", "x");
    drives = {"/", mame.string()};
    starter = &dosbox;
    open();
  }

  // Clicks the named entry of a list, and double-clicks it to open a folder.
  void pick(std::string_view list, const QString& entry, bool andOpen = false) {
    showTabOf(list);
    auto& view = widget<QListWidget>(list);
    const QList<QListWidgetItem*> found = view.findItems(entry, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << entry.toStdString();
    const QPoint centre = view.visualItemRect(found.front()).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre);
    if (andOpen) QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre);
    QCoreApplication::processEvents();  // a folder opens once the click is done with
  }

  // MAME's folder, its executable and the game's folder, chosen in the pickers.
  void chooseMameAndGame(const QString& game = "pacman") {
    pick("MameDir", "MAME", true);
    pick("MameFile", "MAME.EXE");
    click("exeset");
    pick("RomDir", "MAME", true);
    pick("RomDir", "ROMS", true);
    pick("RomDir", game, true);
  }
  // Writes the settings file and brings the window back from the tray, which reads it.
  void loadSettings(const std::string& bytes) {
    test::writeFile(ini, bytes);
    click("mini");
    window->onTrayActivated(QSystemTrayIcon::Trigger);
  }
  std::string runLine() const {
    return widget("runmame").accessibleDescription().section('\n', 0, 0).toStdString();
  }
  // The tray menu's entries between its two separators that show.
  std::vector<QAction*> lastGames() const {
    std::vector<QAction*> shown;
    int separators = 0;
    for (QAction* action : window->trayIcon().contextMenu()->actions()) {
      separators += action->isSeparator() ? 1 : 0;
      if (separators == 1 && !action->isSeparator() && action->isVisible()) shown.push_back(action);
    }
    return shown;
  }
  std::vector<std::string> lastGameTexts() const {
    std::vector<std::string> texts;
    for (const QAction* action : lastGames()) texts.push_back(action->text().toStdString());
    return texts;
  }
  QAction& trayAction(const QString& text) const {
    for (QAction* action : window->trayIcon().contextMenu()->actions()) {
      if (action->text() == text) return *action;
    }
    throw std::logic_error("no tray action " + text.toStdString());
  }
  std::string entry(const fs::path& game, const fs::path& mameFolder, int number) const {
    return "game" + std::to_string(number) + "=" + game.string() + "\nmamedir" +
           std::to_string(number) + "=" + mameFolder.string() + "\n";
  }

  fs::path mame = folder.path() / "MAME";
  fs::path ini = folder.path() / "kestro.ini";
  test::ChildDosBox dosbox{folder.path()};
};

TEST_F(RunMame, ThroughThePickersMameGetsTheLineOfTheClickedOptions) {
  EXPECT_EQ(options().DirMame, "") << "the lists' start placement is no change";
  EXPECT_EQ(widget<QListWidget>("MameFile").count(), 0) << "the start-up shows only *.exe";
  // Each drive list moves only its own folder list; the MAME drive alone sets the MAME folder.
  showTabOf("RomDrive");
  QTest::keyClick(&widget("RomDrive"), Qt::Key_Down);
  EXPECT_EQ(widget<QListWidget>("RomDir").currentItem()->text(), "MAME");
  EXPECT_EQ(window->form().MameDir().path(), folder.str());
  EXPECT_EQ(options().DirMame, "");
  showTabOf("MameDrive");
  QTest::keyClick(&widget("MameDrive"), Qt::Key_Down);
  EXPECT_EQ(widget<QListWidget>("MameDir").currentItem()->text(), "MAME");
  EXPECT_EQ(options().DirMame, mame.string());

  options().mame = "OLD.EXE";  // as the settings file restored it
  click("exeset");
  EXPECT_EQ(options().mame, "") << "Set EXE with no file selected";
  pick("MameFile", "MAME.EXE");
  click("exeset");
  EXPECT_EQ(options().mame, "MAME.EXE");
  pick("RomDir", "ROMS", true);
  pick("RomDir", "pacman", true);

  for (const char* option :
       {"vidscanlines", "vidvesa3", "viddep2", "vidgamup", "vidgamup", "snd2", "sndr3", "sndb2",
        "sndstereo1", "sndvoldn", "sndvoldn", "sndvoldn", "logc"}) {
    click(option);
  }
  click("runmame");
  ASSERT_TRUE(messages.empty()) << messages.front().prompt;
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  const std::string line =
      "MAME.EXE pacman -vesamode vesa2l -depth 16 -gamma 1.4 -soundcard 1 -sr 44100 -sb 16 "
      "-stereo -volume -3 -log ";
  EXPECT_EQ(test::readFile(mame / "kestro.bat"), line);
  // DOS hands the program what follows its name, without the final blank.
  EXPECT_EQ(test::readFile(mame / test::kTailFile), line.substr(8, line.size() - 9))
      << dosbox.log();
  EXPECT_EQ(label("gamename"), "pacman");
}

TEST_F(RunMame, TheRunButtonTellsTheLineOfTheOptionsAndGameFolderAndWhereDosCutsIt) {
  chooseMameAndGame();
  const auto told = [this] { return widget("runmame").toolTip().toStdString(); };
  const auto whole = [](int length) {
    return "\nDOS passes MAME the whole line: " + std::to_string(length) +
           " of 126 characters after the executable's name.";
  };
  EXPECT_EQ(told(), "MAME.EXE pacman -noscanlines " + whole(20));
  click("logc");
  EXPECT_EQ(widget("runmame").accessibleDescription().toStdString(),
            "MAME.EXE pacman -noscanlines -log " + whole(25));
  fs::create_directory(mame / "ROMS" / "galaga");
  pick("RomDir", "ROMS", true);
  pick("RomDir", "galaga", true);
  EXPECT_EQ(runLine(), "MAME.EXE galaga -noscanlines -log ");

  loadSettings("[UserSettingsVid]\nscanlines=1\nframeskip=3\n[EXE]\nexe=MAME.EXE\n");
  EXPECT_EQ(runLine(), "MAME.EXE galaga -frameskip 3 -log ");

  for (const char* option :
       {"dispvercpyc", "listsupc", "gmdirdescc", "reqromc", "reqsampc", "selgmhrddrivc",
        "supgmmakeyrc", "supgmdetc", "selgmclnc", "chkinvmisromc"}) {
    click(option);
  }
  EXPECT_EQ(told().substr(told().find('\n') + 1),
            "DOS passes MAME only 126 of the line's 128 characters after the executable's name, "
            "and cuts from the option \"-verifyroms\" on.");
}

TEST_F(RunMame, ARunPutsItsGameAtTheTopOfTheLastGamesAndTheOtherSectionsKeepTheirBytes) {
  // Comments, blanks around values, CR LF and a default section after the last games.
  const std::string user =
      "; mine\r\n[UserSettingsVid]\r\nscanlines = 1 \r\n[EXE]\r\nexe=MAME.EXE\r\n";
  const std::string defaults = "\r\n[DefaultVid]\r\nframeskip= 2\r\n; keep this\r\n";
  loadSettings(user + "[LastGames]\r\ngame1=/old/ROMS/mk\r\nmamedir1=/old\r\n" + defaults);
  EXPECT_EQ(lastGameTexts(), std::vector<std::string>{"mk (/old)"});
  chooseMameAndGame();
  click("logc");
  trayAction("Copy command line").trigger();
  const std::string copied = QGuiApplication::clipboard()->text().toStdString();
  EXPECT_EQ(copied, "MAME.EXE pacman -frameskip 2 -log ");

  click("runmame");
  ASSERT_TRUE(messages.empty()) << messages.front().prompt;
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_EQ(test::readFile(mame / "kestro.bat"), copied);
  const std::string pacman = (mame / "ROMS" / "pacman").string();
  EXPECT_EQ(test::readFile(ini), user + "[LastGames]\r\ngame1=" + pacman +
                                     "\r\nmamedir1=" + mame.string() +
                                     "\r\ngame2=/old/ROMS/mk\r\nmamedir2=/old\r\n" + defaults);
  EXPECT_EQ(lastGameTexts(),
            std::vector<std::string>({"pacman (" + mame.string() + ")", "mk (/old)"}));
}

TEST_F(RunMame, ALastGameRunsWithTheWindowsOptionsMovesToTheTopAndFiveAreKept) {
  fs::create_directory(mame / "ROMS" / "galaga");
  std::string games;
  for (int number = 1; number <= 5; ++number) {
    const fs::path game = number == 3 ? mame / "ROMS" / "galaga"
                                      : fs::path("/old/ROMS") / std::string(1, 'a' + number);
    games += entry(game, number == 3 ? mame : fs::path("/old"), number);
  }
  loadSettings("[EXE]\nexe=MAME.EXE\n[LastGames]\n" + games);
  click("logc");
  lastGames().at(2)->trigger();
  ASSERT_TRUE(messages.empty()) << messages.front().prompt;
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_EQ(test::readFile(mame / "kestro.bat"), "MAME.EXE galaga -noscanlines -log ");
  EXPECT_EQ(window->form().RomDir().path(), (mame / "ROMS" / "galaga").string());
  EXPECT_EQ(options().DirMame, mame.string());
  const std::string galaga = "galaga (" + mame.string() + ")";
  EXPECT_EQ(lastGameTexts(),
            std::vector<std::string>({galaga, "b (/old)", "c (/old)", "e (/old)", "f (/old)"}));

  pick("RomDir", "ROMS", true);
  pick("RomDir", "pacman", true);
  click("runmame");
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();
  EXPECT_EQ(lastGameTexts(), std::vector<std::string>({"pacman (" + mame.string() + ")", galaga,
                                                       "b (/old)", "c (/old)", "e (/old)"}));
  EXPECT_EQ(test::readFile(ini).find("/old/ROMS/f"), std::string::npos);
}

TEST_F(RunMame, BrokenLastGamesAreLeftOutOrRefusedAndNeverRun) {
  const fs::path gone = folder.path() / "gone";
  const std::string bytes = "[EXE]\nexe=MAME.EXE\n[LastGames]\ngame1=#\x01;==noise\nmamedir1=%%\n" +
                            entry("ROMS/relative", mame, 2) +
                            entry(mame / "ROMS" / "pacman", gone, 3) +
                            entry(gone / "ROMS" / "x", mame, 4) +
                            entry("/" + std::string(300, 'l'), mame, 5) + "[[[\n= ]\n";
  loadSettings(bytes);
  ASSERT_EQ(lastGameTexts(), std::vector<std::string>(
                                 {"pacman (" + gone.string() + ")", "x (" + mame.string() + ")"}));
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
  EXPECT_EQ(lastGameTexts().size(), 2U);
}

}  // namespace
}  // namespace kestro::ui
