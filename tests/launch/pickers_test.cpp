// SPDX-License-Identifier: GPL-3.0-or-later
// The drive, folder and file lists on real folders.
#include "launch/pickers/pickers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/tempfolder.h"

namespace kestro::launch {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(Drives, TheRootFirstThenFileSystemsThatCanHoldGamesAndTheOneHoldingTheFolder) {
  const std::string mounts =
      "proc /proc proc rw 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"                       // the system's own area
      "/dev/sdc1 /run/media/me/STICK vfat rw 0 0\n"     // a removable medium in it
      "overlay / overlay rw 0 0\n"                      // listed once, first
      "/dev/sdb1 /media/me/My\\040Games vfat rw 0 0\n"  // an escaped blank
      "cgroup2 /mnt/cg cgroup2 rw 0 0\n"                // a pseudo file system anywhere
      "/dev/sda2 /home ext4 rw 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n";
  EXPECT_EQ(drivesFromMounts(mounts),
            (Names{"/", "/home", "/media/me/My Games", "/run/media/me/STICK"}));
  EXPECT_EQ(drivesFromMounts(""), Names{"/"});
  // The list is placed on the drive holding the folder and reports only another drive.
  DriveList drives({"/", "/media/usb"}, "/media/usbx");
  EXPECT_EQ(drives.index(), 0);
  int changes = 0;
  const Subscription subscription = drives.subscribeChange([&] { ++changes; });
  drives.choose(0);
  drives.choose(7);
  drives.choose(1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(drives.drive(), "/media/usb");
}

// Subfolders sorted without regard to case, then by their bytes; the openings and moves the
// list reports, and a folder gone since it was listed.
TEST(FolderList, SortsSubfoldersAndReportsOpeningsAndMovesElsewhere) {
  test::TempFolder root;
  for (const char* name : {"beta", "Zed", "alpha", "B", "_x", "Alpha", "b"}) {
    fs::create_directory(root.path() / name);
  }
  test::writeFile(root.path() / "a file", "x");
  FolderList folders((root.path() / "gone").string());  // the nearest folder that exists
  EXPECT_EQ(folders.path(), root.str());
  Names names;
  for (std::size_t i = static_cast<std::size_t>(folders.currentIndex()) + 1;
       i < folders.entries().size(); ++i) {
    const FolderEntry& entry = folders.entries()[i];
    EXPECT_EQ(entry.path, (root.path() / entry.name).string());
    EXPECT_EQ(entry.depth, folders.currentIndex() + 1);
    names.push_back(entry.name);
  }
  EXPECT_EQ(names, (Names{"_x", "Alpha", "alpha", "B", "b", "beta", "Zed"}));
  const FolderList top("/");  // the root's subfolders lie right under it
  ASSERT_GT(top.entries().size(), 1u);
  EXPECT_EQ(top.entries()[1].path, "/" + top.entries()[1].name);

  const fs::path sub = root.path() / "beta";
  Names reported;
  const Subscription change = folders.subscribeChange([&] { reported.push_back(folders.path()); });
  EXPECT_TRUE(folders.setPath(root.str()));  // where it is: no change
  EXPECT_FALSE(folders.setPath((root.path() / "gone").string()));
  EXPECT_TRUE(folders.setPath(sub.string()));
  EXPECT_TRUE(folders.open(folders.currentIndex()));  // the folder shown, picked
  fs::remove(sub);
  EXPECT_FALSE(folders.open(folders.currentIndex()));
  EXPECT_EQ(folders.entries().size(), static_cast<std::size_t>(folders.currentIndex()) + 1);
  EXPECT_TRUE(folders.open(0));
  EXPECT_EQ(reported, (Names{sub.string(), sub.string(), "/"}));
}

TEST(FileList, FilesOfItsFolderByPatternAndTheSelectedOne) {
  test::TempFolder root;
  const fs::path other = root.path() / "other.exe";  // a folder, no file
  fs::create_directory(other);
  for (const char* file : {"MAME.EXE", "b.exe", "b.exe.bak", ".x.exe", "other.exe/MAME.EXE"}) {
    test::writeFile(root.path() / file, "x");
  }
  FileList files(root.str());
  files.setPattern("*.exe");
  EXPECT_EQ(files.files(), (Names{"b.exe", "MAME.EXE"}));
  const int readings = files.readings();
  files.select(1);
  EXPECT_EQ(files.readings(), readings) << "a selection reads nothing";
  files.setPattern("*.EXE");    // still listed: still selected
  files.setFolder(root.str());  // read again: kept
  EXPECT_EQ(files.selectedName(), "MAME.EXE");
  files.setFolder(other.string());  // another folder: nothing selected
  EXPECT_EQ(files.selectedName(), "");
  files.setFolder((root.path() / "gone").string());
  EXPECT_TRUE(files.files().empty());
}

}  // namespace
}  // namespace kestro::launch
