// The form's pickers on real folders: which change moves what, and "Set EXE".
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

}  // namespace
}  // namespace kestro::ui
