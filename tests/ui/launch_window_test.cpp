// "Run Mame" after the pickers and "Set EXE" as a user works them, with MAME (our DOS stand-in)
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

  fs::path mame = folder.path() / "MAME";
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

}  // namespace
}  // namespace kestro::ui
