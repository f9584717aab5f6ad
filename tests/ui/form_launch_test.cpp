// The form's pickers and "Run Mame" on real folders: which change moves what, "Set EXE",
// and a whole run through the pickers that DOSBox carries out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/controls.h"
#include "support/answeringwindow.h"
#include "support/dosbox.h"
#include "support/tempfolder.h"
#include "ui/form.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// The program's folder holds two programs and a MAME folder with the DOS test program
// as MAME.EXE and a game below ROMS; a folder "usb" stands in for a second drive.
class FormLaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(game);
    fs::create_directories(usb);
    fs::copy_file(test::tailProgram(), mame / "MAME.EXE");
    test::writeFile(root.path() / "tool.exe", "x");
    test::writeFile(root.path() / "readme.txt", "x");
    test::writeFile(usb / "X.EXE", "x");
    form = std::make_unique<MainForm>(
        Environment{
            .programFolder = root.str(), .startFolder = root.str(), .drives = {"/", usb.string()}},
        window, dosbox);
  }

  // Opens the subfolder of that name in a folder list, as a double-click does.
  static void openSubfolder(launch::FolderList& folders, const std::string& name) {
    for (std::size_t i = static_cast<std::size_t>(folders.currentIndex()) + 1;
         i < folders.entries().size(); ++i) {
      if (folders.entries()[i].name == name) {
        ASSERT_TRUE(folders.open(static_cast<int>(i)));
        return;
      }
    }
    FAIL() << "no folder " << name << " in " << folders.path();
  }

  static void selectFile(launch::FileList& files, const std::string& name) {
    const auto found = std::ranges::find(files.files(), name);
    ASSERT_NE(found, files.files().end()) << name;
    files.select(static_cast<int>(found - files.files().begin()));
  }

  test::TempFolder root;
  fs::path mame = root.path() / "MAME";
  fs::path game = mame / "ROMS" / "pacman";
  fs::path usb = root.path() / "usb";
  test::AnsweringWindow window;
  test::ChildDosBox dosbox{root.path()};
  std::unique_ptr<MainForm> form;
};

TEST_F(FormLaunch, ListsStartInTheStartFolderWithoutAChange) {
  EXPECT_EQ(form->MameDir().path(), root.str());
  EXPECT_EQ(form->RomDir().path(), root.str());
  EXPECT_EQ(form->MameFile().folder(), root.str());
  EXPECT_EQ(form->MameDrive().drive(), "/");
  EXPECT_EQ(form->options().DirMame, "");
  // All files until start-up sets the pattern.
  EXPECT_EQ(form->MameFile().files(), (Names{"readme.txt", "tool.exe"}));
  form->onActivated();
  EXPECT_EQ(form->MameFile().pattern(), "*.exe");
  EXPECT_EQ(form->MameFile().files(), Names{"tool.exe"});
  EXPECT_EQ(form->options().DirMame, "");
}

TEST_F(FormLaunch, SetExeTakesTheSelectedFilesNameOrNothing) {
  form->onActivated();
  selectFile(form->MameFile(), "tool.exe");
  form->onExesetClicked();
  EXPECT_EQ(form->options().mame, "tool.exe");
  EXPECT_EQ(form->options().DirMame, "");  // the start folder was never reported

  form->MameFile().select(-1);
  form->options().mame = "MAME.EXE";  // as restored from the settings file
  form->onExesetClicked();
  EXPECT_EQ(form->options().mame, "");
}

TEST_F(FormLaunch, OpeningTheMameFolderSetsDirMameAndMovesTheFileList) {
  form->onActivated();
  openSubfolder(form->MameDir(), "MAME");
  EXPECT_EQ(form->options().DirMame, mame.string());
  EXPECT_EQ(form->MameFile().folder(), mame.string());
  EXPECT_EQ(form->MameFile().pattern(), "*.exe");
  EXPECT_EQ(form->MameFile().files(), Names{"MAME.EXE"});
}

TEST_F(FormLaunch, OpeningTheFolderTheListShowsPicksItToo) {
  form->MameDir().open(form->MameDir().currentIndex());
  EXPECT_EQ(form->options().DirMame, root.str());
}

TEST_F(FormLaunch, AnotherDriveAloneMovesTheFolderListAndSetsDirMame) {
  form->onActivated();
  form->MameDrive().choose(1);
  EXPECT_EQ(form->MameDir().path(), usb.string());
  EXPECT_EQ(form->options().DirMame, usb.string());
  EXPECT_EQ(form->MameFile().files(), Names{"X.EXE"});
  EXPECT_EQ(form->RomDir().path(), root.str());
}

TEST_F(FormLaunch, TheRomDriveMovesOnlyTheRomFolderList) {
  form->RomDrive().choose(1);
  EXPECT_EQ(form->RomDir().path(), usb.string());
  EXPECT_EQ(form->MameDir().path(), root.str());
  EXPECT_EQ(form->options().DirMame, "");
}

TEST_F(FormLaunch, RunWithoutAMameFolderSaysSo) {
  form->onActivated();
  selectFile(form->MameFile(), "tool.exe");
  form->onExesetClicked();
  form->onRunmameClicked();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_NE(window.messages[0].prompt.find("No MAME folder is chosen"), std::string::npos);
  EXPECT_EQ(dosbox.starts(), 0);
  EXPECT_FALSE(fs::exists(root.path() / "kestro.bat"));
  EXPECT_FALSE(fs::exists("/kestro.bat"));
}

TEST_F(FormLaunch, RunMameThroughThePickersInDosBox) {
  form->onActivated();
  openSubfolder(form->MameDir(), "MAME");
  selectFile(form->MameFile(), "MAME.EXE");
  form->onExesetClicked();
  for (const char* folder : {"MAME", "ROMS", "pacman"}) openSubfolder(form->RomDir(), folder);

  core::OptionSet& options = form->options();
  options.vidscanlines = 1;
  core::setOptionButton(options, &core::OptionSet::vidvesa3, true);
  core::setOptionButton(options, &core::OptionSet::viddep2, true);
  core::setOptionButton(options, &core::OptionSet::snd2, true);
  core::setOptionButton(options, &core::OptionSet::sndr3, true);
  core::setOptionButton(options, &core::OptionSet::sndb2, true);
  core::setOptionButton(options, &core::OptionSet::sndstereo1, true);
  for (int step = 0; step < 2; ++step) {
    form->onStepClicked(core::kSteppedValues[0], core::StepDirection::Up);
  }
  options.fsslid = 2;
  options.JoyList = 2;
  options.logc = 1;

  form->onRunmameClicked();
  EXPECT_TRUE(window.messages.empty());
  ASSERT_TRUE(dosbox.waitForExit()) << dosbox.log();

  const std::string line =
      "MAME.EXE pacman -vesamode vesa2l -depth 16 -gamma 1.4 -frameskip 2 -soundcard 1 "
      "-sr 44100 -sb 16 -stereo -joy standard -log ";
  EXPECT_EQ(options.FullMame, line);
  EXPECT_EQ(options.gamename, "pacman");
  EXPECT_EQ(test::readFile(mame / "kestro.bat"), line);
  EXPECT_EQ(test::readFile(mame / test::kTailFile), line.substr(8, line.size() - 9))
      << dosbox.log();
  EXPECT_EQ(options.voptions + options.voptions2 + options.soptions + options.other, "");
}

}  // namespace
}  // namespace kestro::ui
