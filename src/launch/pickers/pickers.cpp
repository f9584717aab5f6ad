// SPDX-License-Identifier: GPL-3.0-or-later
#include "launch/pickers/pickers.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "core/text.h"

namespace kestro::launch {
namespace {

namespace fs = std::filesystem;

using core::lowerAscii;
using core::trimBlanks;

// Names sorted as a reader expects them: without regard to case first, then by their bytes.
// Each name is folded once into a key that compares as a whole. The fold also flips each
// byte's top bit, so the keys compare as the lists have always ordered names: byte by byte as
// signed chars, names in other scripts before the letters A to Z.
void sortNames(std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) {
    std::string key(name.size(), '\0');
    std::ranges::transform(name, key.begin(), [](char c) {
      return static_cast<char>(static_cast<unsigned char>(lowerAscii(c)) ^ 0x80U);
    });
    keyed.emplace_back(std::move(key), std::move(name));
  }
  std::ranges::sort(keyed, [](const auto& a, const auto& b) {
    if (const int order = a.first.compare(b.first); order != 0) return order < 0;
    return a.second < b.second;
  });
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
}

// An absolute, lexically normal path without a trailing separator ("/" for the root).
std::string normalFolder(std::string_view folder) {
  fs::path path(folder);
  std::error_code ignored;
  if (path.is_relative()) path = fs::absolute(path, ignored);
  std::string text = path.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text.empty() ? "/" : text;
}

bool isFolder(const std::string& path) {
  std::error_code ignored;
  return fs::is_directory(path, ignored);
}

// File systems of the kernel and of the system's plumbing: no place for MAME or games.
constexpr std::string_view kPseudoFileSystems[] = {
    "autofs",     "binfmt_misc", "bpf",      "cgroup",   "cgroup2",         "configfs",
    "debugfs",    "devpts",      "devtmpfs", "efivarfs", "fusectl",         "hugetlbfs",
    "mqueue",     "nsfs",        "proc",     "pstore",   "ramfs",           "rpc_pipefs",
    "securityfs", "selinuxfs",   "sysfs",    "tracefs",  "fuse.gvfsd-fuse", "fuse.portal",
};

// The system's own areas; removable media mounted below /run/media stay.
constexpr std::string_view kSystemAreas[] = {"/proc", "/sys", "/dev", "/run", "/snap"};
constexpr std::string_view kMediaArea = "/run/media";

bool isBelowOrAt(std::string_view path, std::string_view folder) {
  if (folder == "/") return !path.empty() && path.front() == '/';
  return path == folder ||
         (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

// What separates the mounts table's fields.
constexpr std::string_view kBlanks = " \t\v\f\r";

// The mounts table writes blanks, tabs, line breaks and backslashes in a path as \ooo.
std::string decodeMountPath(std::string_view field) {
  const auto octalAt = [&](std::size_t at, char highest) {
    return at < field.size() && field[at] >= '0' && field[at] <= highest;
  };
  std::string path;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && octalAt(i + 1, '3') && octalAt(i + 2, '7') && octalAt(i + 3, '7')) {
      path.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                       (field[i + 3] - '0')));
      i += 3;
    } else {
      path.push_back(field[i]);
    }
  }
  return path;
}

bool offeredAsDrive(std::string_view mountPoint, std::string_view fileSystem) {
  if (std::ranges::find(kPseudoFileSystems, fileSystem) != std::ranges::end(kPseudoFileSystems)) {
    return false;
  }
  if (isBelowOrAt(mountPoint, kMediaArea)) return mountPoint != kMediaArea;
  return std::ranges::none_of(kSystemAreas,
                              [&](std::string_view area) { return isBelowOrAt(mountPoint, area); });
}

bool matchesOne(std::string_view name, std::string_view pattern) {
  // Wildcard matching with one remembered star: linear enough for file names.
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starAt = std::string_view::npos;
  std::size_t nameAtStar = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      nameAtStar = n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++nameAtStar;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

enum class Kind { Folder, File };

// Whether a listed entry is of the kind; a link counts as what it points at. Most file systems
// tell the kind in the listing, so only links and the rest are looked at one by one.
bool isOfKind(const std::string& folder, const dirent& entry, Kind kind) {
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
    return entry.d_type == (kind == Kind::Folder ? DT_DIR : DT_REG);
  }
  struct stat status {};
  if (::stat((folder + '/' + entry.d_name).c_str(), &status) != 0) return false;
  return kind == Kind::Folder ? S_ISDIR(status.st_mode) : S_ISREG(status.st_mode);
}

// The sorted names of a folder's entries of one kind that pass the test, hidden (dot) names
// left out; whatever can be read when the folder cannot be read whole.
template <typename Test>
std::vector<std::string> namesIn(const std::string& folder, Kind kind, Test test) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), &::closedir);
  if (!listing) return names;
  while (const dirent* entry = ::readdir(listing.get())) {
    const std::string_view name = entry->d_name;
    if (name.empty() || name.front() == '.') continue;
    if (isOfKind(folder, *entry, kind) && test(name)) names.emplace_back(name);
  }
  sortNames(names);
  return names;
}

}  // namespace

std::vector<std::string> drivesFromMounts(std::string_view mountsText) {
  std::vector<std::string> drives;
  while (!mountsText.empty()) {
    const std::size_t end = std::min(mountsText.find('\n'), mountsText.size());
    std::string_view line = mountsText.substr(0, end);
    mountsText.remove_prefix(std::min(end + 1, mountsText.size()));
    // The device, the mount point and the file system: the first three blank-separated fields.
    std::string_view fields[3];
    std::size_t found = 0;
    for (; found < 3; ++found) {
      const std::size_t start = line.find_first_not_of(kBlanks);
      if (start == std::string_view::npos) break;
      line.remove_prefix(start);
      const std::size_t size = std::min(line.find_first_of(kBlanks), line.size());
      fields[found] = line.substr(0, size);
      line.remove_prefix(size);
    }
    if (found < 3) continue;
    const std::string_view fileSystem = fields[2];
    std::string path = decodeMountPath(fields[1]);
    if (path.empty() || path.front() != '/' || path == "/") continue;
    if (!offeredAsDrive(path, fileSystem)) continue;
    if (std::ranges::find(drives, path) == drives.end()) drives.push_back(std::move(path));
  }
  sortNames(drives);
  drives.insert(drives.begin(), "/");
  return drives;
}

std::vector<std::string> mountedDrives() {
  // Read with C's streams: C++'s would set up their locale for this one file at every start.
  std::string text;
  if (std::FILE* mounts = std::fopen("/proc/self/mounts", "r")) {
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, mounts)) > 0;) {
      text.append(buffer, got);
    }
    std::fclose(mounts);
  }
  std::vector<std::string> drives = drivesFromMounts(text);
  // Bind mounts of single files (as containers make them) are no drives.
  std::erase_if(drives, [](const std::string& drive) { return !isFolder(drive); });
  if (drives.empty() || drives.front() != "/") drives.insert(drives.begin(), "/");
  return drives;
}

int driveHolding(const std::vector<std::string>& drives, std::string_view folder) {
  int best = -1;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    if (!isBelowOrAt(folder, drives[i])) continue;
    if (best < 0 || drives[i].size() > drives[static_cast<std::size_t>(best)].size()) {
      best = static_cast<int>(i);
    }
  }
  return best;
}

DriveList::DriveList(std::vector<std::string> drives, std::string_view startFolder)
    : drives_(std::move(drives)), index_(driveHolding(drives_, normalFolder(startFolder))) {}

std::string DriveList::drive() const {
  if (index_ < 0 || index_ >= static_cast<int>(drives_.size())) return {};
  return drives_[static_cast<std::size_t>(index_)];
}

void DriveList::choose(int index) {
  if (index < 0 || index >= static_cast<int>(drives_.size()) || index == index_) return;
  index_ = index;
  changed_.notify();
}

FolderList::FolderList(std::string_view startFolder) {
  fs::path folder(normalFolder(startFolder));
  while (!isFolder(folder.string()) && folder.has_relative_path()) folder = folder.parent_path();
  path_ = normalFolder(folder.string());
  readEntries();
}

bool FolderList::setPath(std::string_view folder) {
  const std::string path = normalFolder(folder);
  if (!isFolder(path)) return false;
  if (path == path_) return true;
  path_ = path;
  readEntries();
  listed_.notify();
  changed_.notify();
  return true;
}

bool FolderList::open(int index) {
  if (index < 0 || index >= static_cast<int>(entries().size())) return false;
  const std::string path = entries_[static_cast<std::size_t>(index)].path;
  if (!isFolder(path)) {
    // Gone since it was listed: show what is there now.
    refresh();
    return false;
  }
  path_ = path;
  readEntries();
  listed_.notify();
  changed_.notify();
  return true;
}

void FolderList::refresh() {
  readEntries();
  listed_.notify();
}

void FolderList::readEntries() {
  entries_.clear();
  entries_.push_back({"/", "/", 0, true});
  fs::path walked("/");
  for (const fs::path& part : fs::path(path_).relative_path()) {
    walked /= part;
    entries_.push_back({part.string(), walked.string(), static_cast<int>(entries_.size()), true});
  }
  currentIndex_ = static_cast<int>(entries_.size()) - 1;
  subfoldersListed_ = false;
}

void FolderList::listSubfolders() const {
  if (subfoldersListed_) return;
  subfoldersListed_ = true;
  const int childDepth = currentIndex_ + 1;
  std::vector<std::string> names =
      namesIn(path_, Kind::Folder, [](std::string_view) { return true; });
  entries_.reserve(entries_.size() + names.size());
  const std::string prefix = path_ == "/" ? path_ : path_ + '/';
  for (std::string& name : names) {
    std::string path = prefix + name;
    entries_.push_back({std::move(name), std::move(path), childDepth, false});
  }
}

bool matchesPattern(std::string_view name, std::string_view pattern) {
  if (trimBlanks(pattern).empty()) return true;
  while (true) {
    const std::size_t end = pattern.find(';');
    if (matchesOne(name, trimBlanks(pattern.substr(0, end)))) return true;
    if (end == std::string_view::npos) return false;
    pattern.remove_prefix(end + 1);
  }
}

FileList::FileList(std::string_view folder) : folder_(normalFolder(folder)) { readFiles({}); }

std::string FileList::selectedName() const {
  // Unread with nothing to select again: nothing is selected, whatever the folder holds.
  if (!filesListed_ && keepSelected_.empty()) return {};
  listFiles();
  if (selected_ < 0 || selected_ >= static_cast<int>(files_.size())) return {};
  return files_[static_cast<std::size_t>(selected_)];
}

void FileList::setFolder(std::string_view folder) {
  const std::string path = normalFolder(folder);
  const std::string keep = path == folder_ ? selectedName() : std::string();
  folder_ = path;
  readFiles(keep);
  listed_.notify();
}

void FileList::setPattern(std::string_view pattern) {
  pattern_ = pattern;
  readFiles(selectedName());
  listed_.notify();
}

void FileList::select(int index) {
  listFiles();
  const int selected = index >= 0 && index < static_cast<int>(files_.size()) ? index : -1;
  if (selected == selected_) return;
  selected_ = selected;
  listed_.notify();
}

void FileList::readFiles(const std::string& keepSelected) {
  keepSelected_ = keepSelected;
  filesListed_ = false;
  ++readings_;
}

void FileList::listFiles() const {
  if (filesListed_) return;
  filesListed_ = true;
  files_ = namesIn(folder_, Kind::File,
                   [this](std::string_view name) { return matchesPattern(name, pattern_); });
  selected_ = -1;
  if (keepSelected_.empty()) return;
  const auto kept = std::ranges::find(files_, keepSelected_);
  if (kept != files_.end()) selected_ = static_cast<int>(kept - files_.begin());
}

}  // namespace kestro::launch
