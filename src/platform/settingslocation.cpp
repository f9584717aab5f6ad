#include "platform/settingslocation.h"

#include <pwd.h>
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

bool exists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::exists(path, error);
}

bool canWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

std::string besideProgram(const SettingsPlaces& places) {
  return places.programFolder + "/" + kFileName;
}

// The portable case: the folder can be written, or the kestro.ini already in it can.
bool writableBesideProgram(const SettingsPlaces& places) {
  if (places.programFolder.empty()) return false;
  const std::string beside = besideProgram(places);
  return exists(beside) ? canWrite(beside) : canWrite(places.programFolder);
}

std::string configFile(const SettingsPlaces& places) {
  if (!places.configHome.empty() && places.configHome.front() == '/') {
    return places.configHome + "/kestro/" + kFileName;
  }
  if (places.home.empty()) return {};
  return places.home + "/.config/kestro/" + kFileName;
}

std::string reason(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

// A new file with the bytes of `source` and the usual permissions, so that a copy of a
// read-only file can still be written.
bool copyBytes(const std::string& source, const std::string& target, std::string& problem) {
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    problem = reason(source, errno);
    return false;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out || !(out << bytes.str()) || !out.flush()) {
    problem = reason(target, errno);
    return false;
  }
  return true;
}

SettingsLocation nowhere(const SettingsPlaces& places, const std::string& config,
                         std::string problem) {
  // Something to read still: the user's file, the portable one, or the defaults.
  std::string file = places.shippedDefaults;
  if (exists(config)) {
    file = config;
  } else if (exists(besideProgram(places))) {
    file = besideProgram(places);
  }
  return {.file = file, .writable = false, .problem = std::move(problem)};
}

}  // namespace

std::string chooseSettingsFile(const SettingsPlaces& places) {
  const std::string config = configFile(places);
  return writableBesideProgram(places) || config.empty() ? besideProgram(places) : config;
}

SettingsLocation locateSettings(const SettingsPlaces& places) {
  const std::string beside = besideProgram(places);
  if (writableBesideProgram(places)) {
    // An installed program run from a folder its user may write: the first start brings the
    // defaults along, as a fresh portable copy has them beside it.
    std::string ignored;
    if (!exists(beside) && exists(places.shippedDefaults)) {
      copyBytes(places.shippedDefaults, beside, ignored);
    }
    return {.file = beside, .writable = true, .problem = {}};
  }
  const std::string file = configFile(places);
  if (file.empty()) return nowhere(places, file, "no home folder is known");

  if (exists(file)) {
    if (canWrite(file)) return {.file = file, .writable = true, .problem = {}};
    const int error = errno;
    return nowhere(places, file, reason(file, error));
  }
  std::error_code error;
  const fs::path folder = fs::path(file).parent_path();
  fs::create_directories(folder, error);
  if (error) return nowhere(places, file, folder.string() + ": " + error.message());
  const std::string seed = exists(beside) ? beside : places.shippedDefaults;
  std::string problem;
  if (exists(seed)) {
    if (!copyBytes(seed, file, problem)) return nowhere(places, file, problem);
  } else if (!canWrite(folder.string())) {
    const int denied = errno;
    return nowhere(places, file, reason(folder.string(), denied));
  }
  return {.file = file, .writable = true, .problem = {}};
}

SettingsPlaces systemSettingsPlaces() {
  SettingsPlaces places;
  places.programFolder = programFolder();
  if (const char* configHome = std::getenv("XDG_CONFIG_HOME")) places.configHome = configHome;
  if (const char* home = std::getenv("HOME"); home && *home) {
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
