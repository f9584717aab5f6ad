// SPDX-License-Identifier: GPL-3.0-or-later
// The drive, folder and file lists with which the user points at MAME and at the game:
// what each list holds and the changes it reports, free of any window toolkit. On Linux
// a drive is a mounted file system, named by the folder it is mounted on.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "launch/pickers/notifier.h"

namespace kestro::launch {

// The mount points listed in a mounts table (the text of /proc/self/mounts), the root
// first and the rest sorted; pseudo file systems and the system's own areas are left out.
std::vector<std::string> drivesFromMounts(std::string_view mountsText);

// The mounted file systems of this machine that are folders; the root alone when the
// mounts table cannot be read.
std::vector<std::string> mountedDrives();

// The drive holding a folder: the longest mount point that is the folder or one of its
// ancestors; -1 when none is.
int driveHolding(const std::vector<std::string>& drives, std::string_view folder);

class DriveList {
 public:
  DriveList(std::vector<std::string> drives, std::string_view startFolder);
  DriveList(const DriveList&) = delete;
  DriveList& operator=(const DriveList&) = delete;

  const std::vector<std::string>& drives() const { return drives_; }
  int index() const { return index_; }
  // The chosen drive's mount point; empty when the list holds none.
  std::string drive() const;

  // The user's choice: reports a change when it is another drive than the chosen one.
  void choose(int index);

  [[nodiscard]] Subscription subscribeChange(std::function<void()> listener) {
    return changed_.subscribe(std::move(listener));
  }

 private:
  std::vector<std::string> drives_;
  int index_ = -1;
  Notifier changed_;
};

struct FolderEntry {
  std::string name;  // as shown: "/" for the root, otherwise the folder's own name
  std::string path;
  int depth = 0;     // indentation: 0 for the root, one more per level
  bool open = true;  // the current folder and its ancestors are open; subfolders are not
};

// A classic folder list: the current folder's ancestors from the root down, the current
// folder, then its subfolders. A folder that cannot be read shows no subfolders. The
// subfolders are read when first asked for, so a list nobody looks at costs no reading.
class FolderList {
 public:
  // Placed in the start folder (or its nearest existing ancestor) without a change.
  explicit FolderList(std::string_view startFolder);
  FolderList(const FolderList&) = delete;
  FolderList& operator=(const FolderList&) = delete;

  const std::string& path() const { return path_; }
  const std::vector<FolderEntry>& entries() const {
    listSubfolders();
    return entries_;
  }
  int currentIndex() const { return currentIndex_; }

  // The program moves the list; a change is reported when the path differs. A path that
  // is no folder leaves the list where it is and gives false.
  bool setPath(std::string_view folder);
  // The user opens an entry (a double-click): always reported, also for the current
  // folder, since opening it is how the user picks the folder the list already shows.
  bool open(int index);
  // Reads the subfolders again, as after folders were made or removed; no change.
  void refresh();

  // The path changed: the list's change event.
  [[nodiscard]] Subscription subscribeChange(std::function<void()> listener) {
    return changed_.subscribe(std::move(listener));
  }
  // The entries were read again (also after every change): for views.
  [[nodiscard]] Subscription subscribeListing(std::function<void()> listener) {
    return listed_.subscribe(std::move(listener));
  }

 private:
  void readEntries();
  void listSubfolders() const;

  std::string path_;
  mutable std::vector<FolderEntry> entries_;
  mutable bool subfoldersListed_ = false;
  int currentIndex_ = 0;
  Notifier changed_;
  Notifier listed_;
};

inline constexpr std::string_view kAllFiles = "*";

// Whether a file name matches a pattern of * and ? wildcards, without regard to case
// (DOS programs on Linux disks are often named MAME.EXE); several patterns may be
// joined with ";".
bool matchesPattern(std::string_view name, std::string_view pattern);

// The files of one folder that match a pattern, sorted, and the one the user selected; read
// when first asked for.
class FileList {
 public:
  explicit FileList(std::string_view folder);
  FileList(const FileList&) = delete;
  FileList& operator=(const FileList&) = delete;

  const std::string& folder() const { return folder_; }
  const std::string& pattern() const { return pattern_; }
  const std::vector<std::string>& files() const {
    listFiles();
    return files_;
  }
  int selectedIndex() const {
    listFiles();
    return selected_;
  }
  // Counts the readings of the folder (made or due): a view shows the files again only after
  // one.
  int readings() const { return readings_; }
  // The selected file's name without its folder; empty when none is selected.
  std::string selectedName() const;

  // Another folder clears the selection; the same folder is read again and keeps it.
  void setFolder(std::string_view folder);
  // Keeps the selection when the selected file still matches.
  void setPattern(std::string_view pattern);
  // -1 (or any index outside the list) selects nothing.
  void select(int index);

  [[nodiscard]] Subscription subscribeListing(std::function<void()> listener) {
    return listed_.subscribe(std::move(listener));
  }

 private:
  void readFiles(const std::string& keepSelected);
  void listFiles() const;

  std::string folder_;
  std::string pattern_{kAllFiles};
  mutable std::vector<std::string> files_;
  mutable int selected_ = -1;
  mutable bool filesListed_ = false;
  mutable std::string keepSelected_;  // selected again once the files are read
  int readings_ = 0;
  Notifier listed_;
};

}  // namespace kestro::launch
