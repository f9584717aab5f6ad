// The pickers as a user works them, "Set EXE" and "Run Mame": MAME's folder and executable
// picked on "Kestro Setup", the game's folder opened on "File", and MAME (our DOS stand-in) run
// for real by DOSBox, which hands it the command line.
#include <QListWidget>
#include <filesystem>

#include "support/dosbox.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;

// The program's folder holds a text file, MAME with the DOS test program as MAME.EXE and a game
// below ROMS, and a folder "usb" that stands in for a second drive.
class Pickers : public WindowTest {
 protected:
  void SetUp() override {
    fs::create_directories(game);
    fs::create_directories(usb);
    fs::copy_file(test::tailProgram(), mame / "MAME.EXE");
    test::writeFile(folder.path() / "readme.txt", "x");
    test::writeFile(usb / "X.EXE", "x");
    drives = {"/", usb.string()};
    starter = &dosbox;
    open();
  }

  enum How { Click, ControlClick, DoubleClick, Enter };
  // Clicks the named entry of a list; a double-click or Enter opens a folder.
  void pick(std::string_view list, const QString& entry, How how = Click) {
    showTabOf(list);
    auto& view = widget<QListWidget>(list);
    const QList<QListWidgetItem*> found = view.findItems(entry, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << entry.toStdString();
    const QPoint centre = view.visualItemRect(found.front()).center();
    const Qt::KeyboardModifiers keys = how == ControlClick ? Qt::ControlModifier : Qt::NoModifier;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, keys, centre);
    if (how == DoubleClick) QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre);
    if (how == Enter) QTest::keyClick(&view, Qt::Key_Return);
    QCoreApplication::processEvents();  // a folder opens once the click is done with
  }
  QString shownFolder(std::string_view list) {
    return widget<QListWidget>(list).currentItem()->text();
  }

  fs::path mame = folder.path() / "MAME";
  fs::path game = mame / "ROMS" / "pacman";
  fs::path usb = folder.path() / "usb";
  test::ChildDosBox dosbox{folder.path()};
};

TEST_F(Pickers, SetExeAndRunMameStartMameWithTheLineOfTheClickedOptions) {
  EXPECT_EQ(options().DirMame, "") << "the lists' start placement is no change";
  EXPECT_EQ(widget<QListWidget>("MameFile").count(), 0) << "the start-up shows only *.exe";
  pick("MameDir", "MAME", DoubleClick);
  EXPECT_EQ(options().DirMame, mame.string());
  pick("MameFile", "MAME.EXE");
  click("exeset");
  EXPECT_EQ(options().mame, "MAME.EXE");
  pick("RomDir", "MAME", DoubleClick);
  pick("RomDir", "ROMS", Enter);
  pick("RomDir", "pacman", DoubleClick);

  for (const char* option :
       {"vidscanlines", "vidvesa3", "viddep2", "snd2", "sndr3", "sndb2", "sndstereo1", "logc"}) {
    click(option);
  }
  click("vidgamup", 2);
  click("sndvoldn", 3);
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

// Each drive list moves only its own folder list; the MAME drive alone sets the MAME folder.
TEST_F(Pickers, DrivesMoveTheirOwnListsAndSetExeTakesOnlyASelectedFile) {
  showTabOf("RomDrive");
  QTest::keyClick(&widget("RomDrive"), Qt::Key_Down);
  EXPECT_EQ(shownFolder("RomDir"), "usb");
  EXPECT_EQ(window->form().MameDir().path(), folder.str());
  EXPECT_EQ(options().DirMame, "");
  showTabOf("MameDrive");
  QTest::keyClick(&widget("MameDrive"), Qt::Key_Down);
  EXPECT_EQ(shownFolder("MameDir"), "usb");
  EXPECT_EQ(options().DirMame, usb.string());

  pick("MameFile", "X.EXE");
  click("exeset");
  EXPECT_EQ(options().mame, "X.EXE");
  pick("MameFile", "X.EXE", ControlClick);  // clears the selection
  click("exeset");
  EXPECT_EQ(options().mame, "");
}

}  // namespace
}  // namespace kestro::ui
