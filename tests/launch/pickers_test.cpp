// The drive, folder and file lists on real folders: what each shows, which changes it
// reports, and folders that vanish or cannot be read.
#include "launch/pickers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/tempfolder.h"

namespace kestro::launch {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(Drives, MountedFileSystemsRootFirst) {
  // Each line tests one rule of which mounts count as drives.
  const std::string mounts =
      "proc /proc proc rw 0 0\n"                        // kernel: no
      "sysfs /sys sysfs rw 0 0\n"                       // kernel: no
      "tmpfs /dev/shm tmpfs rw 0 0\n"                   // system area: no
      "tmpfs /run tmpfs rw 0 0\n"                       // system area: no
      "tmpfs /run/user/1000 tmpfs rw 0 0\n"             // system area: no
      "/dev/sdc1 /run/media/me/STICK vfat rw 0 0\n"     // removable medium: yes
      "overlay / overlay rw 0 0\n"                      // the root, listed first
      "/dev/sda2 /home ext4 rw 0 0\n"                   // yes
      "/dev/sdb1 /media/me/My\\040Games vfat rw 0 0\n"  // escaped blank: yes
      "tmpfs /tmp tmpfs rw 0 0\n"                       // a place for files: yes
      "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"       // package images: no
      "cgroup2 /mnt/cg cgroup2 rw 0 0\n"                // pseudo anywhere: no
      "/dev/sda2 /home ext4 rw 0 0\n"                   // mounted twice: once
      "broken line\n";                                  // ignored
  const Names expected = {"/", "/home", "/media/me/My Games", "/run/media/me/STICK", "/tmp"};
  EXPECT_EQ(drivesFromMounts(mounts), expected);
  EXPECT_EQ(drivesFromMounts(""), Names{"/"});
}

TEST(Drives, ThisMachinesDrivesAreFoldersWithTheRootFirst) {
  const Names drives = mountedDrives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives.front(), "/");
  for (const std::string& drive : drives) EXPECT_TRUE(fs::is_directory(drive)) << drive;
}

TEST(Drives, TheDriveHoldingAFolderIsItsLongestMountPoint) {
  const Names drives = {"/", "/media/usb", "/media/usb2"};
  EXPECT_EQ(driveHolding(drives, "/media/usb2/mame"), 2);
  EXPECT_EQ(driveHolding(drives, "/media/usb"), 1);
  EXPECT_EQ(driveHolding(drives, "/media/usbx"), 0);
  EXPECT_EQ(driveHolding(drives, "/"), 0);
  EXPECT_EQ(driveHolding({"/media/usb"}, "/home"), -1);
}

TEST(DriveList, PlacedWithoutAChangeAndReportsOnlyAnotherDrive) {
  DriveList drives({"/", "/media/usb"}, "/media/usb/games");
  EXPECT_EQ(drives.index(), 1);
  EXPECT_EQ(drives.drive(), "/media/usb");
  int changes = 0;
  const Subscription subscription = drives.subscribeChange([&] { ++changes; });
  drives.choose(1);
  EXPECT_EQ(changes, 0);
  drives.choose(0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(drives.drive(), "/");
  drives.choose(7);
  drives.choose(-1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(drives.index(), 0);
}

// A folder with subfolders in mixed case, a hidden one, a file and a link to a folder.
struct Tree {
  test::TempFolder root;
  fs::path start = root.path() / "start";
  Tree() {
    for (const char* name : {"beta", "Alpha", "Gamma", ".hidden", "beta/inner"}) {
      fs::create_directories(start / name);
    }
    test::writeFile(start / "file.txt", "x");
    fs::create_directory_symlink(start / "Alpha", start / "link");
  }
};

Names namesOf(const std::vector<FolderEntry>& entries) {
  Names names;
  for (const FolderEntry& entry : entries) names.push_back(entry.name);
  return names;
}

Names ancestorNames(const fs::path& folder) {
  Names names{"/"};
  for (const fs::path& part : folder.relative_path()) names.push_back(part.string());
  return names;
}

TEST(FolderList, AncestorsThenTheCurrentFolderThenSubfolders) {
  Tree tree;
  FolderList folders(tree.start.string());
  EXPECT_EQ(folders.path(), tree.start.string());
  Names expected = ancestorNames(tree.start);
  const int current = static_cast<int>(expected.size()) - 1;
  for (const char* name : {"Alpha", "beta", "Gamma", "link"}) expected.push_back(name);
  EXPECT_EQ(namesOf(folders.entries()), expected);
  EXPECT_EQ(folders.currentIndex(), current);

  const std::vector<FolderEntry>& entries = folders.entries();
  EXPECT_EQ(entries[0].path, "/");
  EXPECT_EQ(entries[0].depth, 0);
  EXPECT_TRUE(entries[static_cast<std::size_t>(current)].open);
  EXPECT_EQ(entries[static_cast<std::size_t>(current)].depth, current);
  const FolderEntry& alpha = entries[static_cast<std::size_t>(current) + 1];
  EXPECT_EQ(alpha.path, (tree.start / "Alpha").string());
  EXPECT_EQ(alpha.depth, current + 1);
  EXPECT_FALSE(alpha.open);
}

TEST(FolderList, ReportsEveryChangeOfPathByTheProgramOrTheUser) {
  Tree tree;
  FolderList folders((tree.start / "beta" / "").string());  // a trailing separator is dropped
  EXPECT_EQ(folders.path(), (tree.start / "beta").string());
  std::vector<std::string> reported;
  int listings = 0;
  const Subscription change = folders.subscribeChange([&] { reported.push_back(folders.path()); });
  const Subscription listing = folders.subscribeListing([&] { ++listings; });

  EXPECT_TRUE(folders.setPath((tree.start / "beta").string()));  // where it is: no change
  EXPECT_TRUE(reported.empty());
  EXPECT_FALSE(folders.setPath((tree.start / "file.txt").string()));  // no folder
  EXPECT_FALSE(folders.setPath((tree.start / "missing").string()));
  EXPECT_TRUE(reported.empty());
  EXPECT_EQ(folders.path(), (tree.start / "beta").string());

  EXPECT_TRUE(folders.setPath(tree.start.string()));
  const int gamma = static_cast<int>(ancestorNames(tree.start).size()) + 2;
  ASSERT_EQ(folders.entries()[static_cast<std::size_t>(gamma)].name, "Gamma");
  EXPECT_TRUE(folders.open(gamma));
  EXPECT_TRUE(folders.open(folders.currentIndex()));  // opening the folder shown counts too
  EXPECT_TRUE(folders.open(0));
  EXPECT_FALSE(folders.open(-1));
  EXPECT_FALSE(folders.open(static_cast<int>(folders.entries().size())));

  const std::vector<std::string> expected = {tree.start.string(), (tree.start / "Gamma").string(),
                                             (tree.start / "Gamma").string(), "/"};
  EXPECT_EQ(reported, expected);
  EXPECT_EQ(listings, 4);
  EXPECT_EQ(folders.currentIndex(), 0);
}

TEST(FolderList, StartsInTheNearestFolderThatExists) {
  Tree tree;
  FolderList folders((tree.start / "gone" / "deeper").string());
  EXPECT_EQ(folders.path(), tree.start.string());
}

TEST(FolderList, FoldersThatVanishOrCannotBeReadShowWhatIsThere) {
  Tree tree;
  FolderList folders(tree.start.string());
  int changes = 0;
  const Subscription change = folders.subscribeChange([&] { ++changes; });
  const Names before = namesOf(folders.entries());

  fs::remove_all(tree.start / "Gamma");
  const int gamma = folders.currentIndex() + 3;
  ASSERT_EQ(folders.entries()[static_cast<std::size_t>(gamma)].name, "Gamma");
  EXPECT_FALSE(folders.open(gamma));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(folders.path(), tree.start.string());
  EXPECT_EQ(folders.entries().size(), before.size() - 1);

  // The current folder itself gone: its ancestors and itself, nothing below.
  fs::remove_all(tree.start);
  folders.refresh();
  EXPECT_EQ(namesOf(folders.entries()), ancestorNames(tree.start));
  EXPECT_EQ(changes, 0);
}

TEST(FolderList, ASubscriptionOutlivingItsListDoesNoHarm) {
  Tree tree;
  Subscription subscription;
  {
    FolderList folders(tree.start.string());
    subscription = folders.subscribeChange([] {});
    EXPECT_TRUE(subscription.connected());
  }
  EXPECT_FALSE(subscription.connected());
}

TEST(FilePattern, WildcardsWithoutRegardToCase) {
  const struct {
    const char* name;
    const char* pattern;
    bool matches;
  } cases[] = {
      {"mame.exe", "*.exe", true},
      {"MAME.EXE", "*.exe", true},
      {"Mame.Exe", "*.EXE", true},
      {"mame.exe.bak", "*.exe", false},
      {"exe", "*.exe", false},
      {".exe", "*.exe", true},
      {"mame.com", "*.exe;*.com", true},
      {"mame.com", "*.exe; *.com", true},
      {"mame1.exe", "mame?.exe", true},
      {"mame.exe", "mame?.exe", false},
      {"anything", "*", true},
      {"anything", "", true},
      {"a.b.c", "*.*", true},
      {"abc", "a*c*", true},
      {"abd", "a*c", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(matchesPattern(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
  }
}

TEST(FileList, ListsFilesOfItsFolderByPatternAndKeepsTheSelectionSensibly) {
  test::TempFolder root;
  for (const char* name : {"MAME.EXE", "readme.txt", "b.exe", "Other.Exe", ".hidden.exe"}) {
    test::writeFile(root.path() / name, "x");
  }
  fs::create_directory(root.path() / "folder.exe");
  fs::create_directory(root.path() / "sub");
  test::writeFile(root.path() / "sub" / "mame.exe", "x");

  FileList files(root.str());
  EXPECT_EQ(files.pattern(), kAllFiles);
  EXPECT_EQ(files.files(), (Names{"b.exe", "MAME.EXE", "Other.Exe", "readme.txt"}));
  EXPECT_EQ(files.selectedName(), "");

  files.setPattern("*.exe");
  EXPECT_EQ(files.files(), (Names{"b.exe", "MAME.EXE", "Other.Exe"}));
  files.select(1);
  EXPECT_EQ(files.selectedName(), "MAME.EXE");
  files.setPattern("*.EXE");  // still listed: still selected
  EXPECT_EQ(files.selectedName(), "MAME.EXE");
  files.setFolder(root.str());  // read again: kept
  EXPECT_EQ(files.selectedName(), "MAME.EXE");

  files.setFolder((root.path() / "sub").string());  // another folder: nothing selected
  EXPECT_EQ(files.files(), Names{"mame.exe"});
  EXPECT_EQ(files.pattern(), "*.EXE");
  EXPECT_EQ(files.selectedIndex(), -1);
  files.select(0);
  files.select(5);
  EXPECT_EQ(files.selectedName(), "");

  files.setFolder((root.path() / "missing").string());
  EXPECT_TRUE(files.files().empty());
}

}  // namespace
}  // namespace kestro::launch
