// "Run Mame" as a user gives it: the MAME folder and executable picked with the pickers on
// "Kestro Setup", the game's folder opened on "File", options clicked, and MAME (our DOS
// stand-in) run for real by DOSBox, which hands it the command line.
#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "support/dosbox.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;

class RunMameWindow : public WindowTest {
 protected:
  void SetUp() override {
    fs::create_directories(game);
    fs::copy_file(test::tailProgram(), mame / "MAME.EXE");
    starter = &dosbox;
    open();
  }

  // Double-clicks the named entry of a folder or file list.
  void doubleClickEntry(std::string_view list, const QString& entry) {
    showTabOf(list);
    auto& view = widget<QListWidget>(list);
    const QList<QListWidgetItem*> found = view.findItems(entry, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << entry.toStdString();
    const QPoint centre = view.visualItemRect(found.front()).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre);
    QCoreApplication::processEvents();  // a folder opens once the click is done with
  }

  fs::path mame = folder.path() / "MAME";
  fs::path game = mame / "ROMS" / "pacman";
  test::ChildDosBox dosbox{folder.path()};
};

TEST_F(RunMameWindow, PickersSetExeAndRunMameStartMameWithTheLine) {
  doubleClickEntry("MameDir", "MAME");
  EXPECT_EQ(window->form().options().DirMame, mame.string());
  doubleClickEntry("MameFile", "MAME.EXE");
  click("exeset");
  EXPECT_EQ(window->form().options().mame, "MAME.EXE");
  for (const char* entry : {"MAME", "ROMS", "pacman"}) doubleClickEntry("RomDir", entry);

  click("vidscanlines");
  click("vidvesa3");
  click("viddep2");
  click("vidgamup", 2);
  click("snd2");
  click("sndr3");
  click("sndb2");
  click("sndstereo1");
  click("sndvoldn", 3);
  click("logc");
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
  EXPECT_EQ(labelText("gamename"), "pacman");
}

TEST_F(RunMameWindow, ARefusedRunSaysWhyAndStartsNothing) {
  click("runmame");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].prompt.find("No MAME folder is chosen"), std::string::npos);
  EXPECT_EQ(dosbox.starts(), 0);
  EXPECT_FALSE(fs::exists(folder.path() / "kestro.bat"));
}

}  // namespace
}  // namespace kestro::ui
