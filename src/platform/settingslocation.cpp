// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settingslocation.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/programfolder.h"

namespace kestro::platform {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFileName = "kestro.ini";

bool absolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

bool exists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::exists(path, error);
}

bool canWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

std::string reason(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

bool installed(const SettingsPlaces& places) { return exists(places.shippedDefaults); }

std::string besideProgram(const SettingsPlaces& places) {
  return places.programFolder + "/" + kFileName;
}

// The portable case: the folder can be written, or the kestro.ini already in it can.
bool writableBesideProgram(const SettingsPlaces& places) {
  if (places.programFolder.empty() || installed(places)) return false;
  const std::string beside = besideProgram(places);
  return exists(beside) ? canWrite(beside) : canWrite(places.programFolder);
}

std::string configFile(const SettingsPlaces& places) {
  if (absolute(places.configHome)) return places.configHome + "/kestro/" + kFileName;
  if (absolute(places.home)) return places.home + "/.config/kestro/" + kFileName;
  return {};
}

// Whether `folder`, made where missing, could take a new file: its nearest existing part must.
bool couldMakeIn(fs::path folder, std::string& problem) {
  std::error_code error;
  while (!fs::exists(folder, error) && folder.has_relative_path()) folder = folder.parent_path();
  if (canWrite(folder.string())) return true;
  problem = reason(folder.string(), errno);
  return false;
}

// `target` as a new file with the bytes of `source` and the usual permissions (a copy of a
// read-only file can still be written). The bytes go to a file of our own first, which is then
// linked under the target's name: link() neither follows nor replaces what is there, and no
// one sees half a copy. A regular file that another start put there first is as good.
bool copyAsNewFile(const std::string& source, const std::string& target, std::string& problem) {
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    problem = reason(source, errno);
    return false;
  }
  const std::string bytes = (std::ostringstream() << in.rdbuf()).str();
  std::string temporary = target + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    problem = reason(target, errno);
    return false;
  }
  bool written = ::fchmod(fd, 0644) == 0;
  for (std::size_t done = 0; written && done < bytes.size();) {
    const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
    written = count > 0 || (count < 0 && errno == EINTR);
    if (count > 0) done += static_cast<std::size_t>(count);
  }
  written = ::close(fd) == 0 && written && ::link(temporary.c_str(), target.c_str()) == 0;
  const int error = errno;
  ::unlink(temporary.c_str());
  struct stat made {};
  if (written || (error == EEXIST && ::lstat(target.c_str(), &made) == 0 && S_ISREG(made.st_mode)))
    return true;
  problem = reason(target, error);
  return false;
}

SettingsLocation writableAt(const std::string& file) {
  return {.file = file, .writable = true, .problem = {}};
}

SettingsLocation nowhere(const SettingsPlaces& places, const std::string& config,
                         std::string problem) {
  // Something to read still: the user's file, the portable one, or the defaults.
  std::string file = places.shippedDefaults;
  if (exists(config)) {
    file = config;
  } else if (!installed(places) && exists(besideProgram(places))) {
    file = besideProgram(places);
  }
  return {.file = file, .writable = false, .problem = std::move(problem)};
}

SettingsLocation settingsLocation(const SettingsPlaces& places, bool make) {
  if (writableBesideProgram(places)) return writableAt(besideProgram(places));
  const std::string file = configFile(places);
  if (file.empty()) return nowhere(places, file, "no home folder is known");

  if (exists(file)) {
    if (canWrite(file)) return writableAt(file);
    const int error = errno;
    return nowhere(places, file, reason(file, error));
  }
  // Something that is not a file, such as a link to nothing, holds the file's place.
  if (struct stat held{}; ::lstat(file.c_str(), &held) == 0) {
    return nowhere(places, file, reason(file, EEXIST));
  }
  const fs::path folder = fs::path(file).parent_path();
  std::string problem;
  if (!make)
    return couldMakeIn(folder, problem) ? writableAt(file) : nowhere(places, file, problem);
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return nowhere(places, file, folder.string() + ": " + error.message());
  const std::string seed = installed(places) ? places.shippedDefaults : besideProgram(places);
  if (exists(seed) ? !copyAsNewFile(seed, file, problem) : !couldMakeIn(folder, problem)) {
    return nowhere(places, file, problem);
  }
  return writableAt(file);
}

}  // namespace

SettingsLocation findSettings(const SettingsPlaces& places) {
  return settingsLocation(places, false);
}

SettingsLocation locateSettings(const SettingsPlaces& places) {
  return settingsLocation(places, true);
}

SettingsPlaces systemSettingsPlaces() {
  SettingsPlaces places;
  places.programFolder = programFolder();
  if (const char* configHome = std::getenv("XDG_CONFIG_HOME")) places.configHome = configHome;
  if (const char* home = std::getenv("HOME"); home && absolute(home)) {
    places.home = home;
  } else if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) {
    places.home = entry->pw_dir;
  }
  if (!places.programFolder.empty()) {
    places.shippedDefaults =
        (fs::path(places.programFolder) / KESTRO_DEFAULTS_FROM_PROGRAM / kFileName)
            .lexically_normal()
            .string();
  }
  return places;
}

}  // namespace kestro::platform
