// The pickers as a user works them, "Set EXE" and "Run Mame": MAME's drive, folder and executable
// picked on "Kestro Setup", the game's drive and folder on "File", and MAME (our DOS stand-in)
// run for real by DOSBox, which hands it the command line.
#include <QListWidget>
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

  enum How { Click, DoubleClick, Enter };
  // Clicks the named entry of a list; a double-click or Enter opens a folder.
  void pick(std::string_view list, const QString& entry, How how = Click) {
    showTabOf(list);
    auto& view = widget<QListWidget>(list);
    const QList<QListWidgetItem*> found = view.findItems(entry, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << entry.toStdString();
    const QPoint centre = view.visualItemRect(found.front()).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre);
    if (how == DoubleClick) QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre);
    if (how == Enter) QTest::keyClick(&view, Qt::Key_Return);
    QCoreApplication::processEvents();  // a folder opens once the click is done with
  }
  void chooseNextDrive(std::string_view list) {
    showTabOf(list);
    QTest::keyClick(&widget(list), Qt::Key_Down);
  }
  QString shownFolder(std::string_view list) {
    return widget<QListWidget>(list).currentItem()->text();
  }

  fs::path mame = folder.path() / "MAME";
  test::ChildDosBox dosbox{folder.path()};
};

TEST_F(RunMame, ThroughThePickersMameGetsTheLineOfTheClickedOptions) {
  EXPECT_EQ(options().DirMame, "") << "the lists' start placement is no change";
  EXPECT_EQ(widget<QListWidget>("MameFile").count(), 0) << "the start-up shows only *.exe";
  // Each drive list moves only its own folder list; the MAME drive alone sets the MAME folder.
  chooseNextDrive("RomDrive");
  EXPECT_EQ(shownFolder("RomDir"), "MAME");
  EXPECT_EQ(shownFolder("MameDir"), QString::fromStdString(folder.path().filename()));
  EXPECT_EQ(options().DirMame, "");
  chooseNextDrive("MameDrive");
  EXPECT_EQ(shownFolder("MameDir"), "MAME");
  EXPECT_EQ(options().DirMame, mame.string());

  options().mame = "OLD.EXE";  // as the settings file restored it
  click("exeset");
  EXPECT_EQ(options().mame, "") << "Set EXE with no file selected";
  pick("MameFile", "MAME.EXE");
  click("exeset");
  EXPECT_EQ(options().mame, "MAME.EXE");
  pick("RomDir", "ROMS", Enter);
  pick("RomDir", "pacman", DoubleClick);

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

}  // namespace
}  // namespace kestro::ui
