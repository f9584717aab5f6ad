// Where the settings file lives. A portable copy keeps kestro.ini beside the program, as long as
// it may write there; an installed program keeps it in the user's configuration folder.
#pragma once

#include <string>

namespace kestro::platform {

struct SettingsPlaces {
  std::string programFolder;
  // The value of XDG_CONFIG_HOME, empty when unset; only an absolute path counts.
  std::string configHome;
  // The user's home folder; the configuration folder is its ".config" when configHome does not
  // count.
  std::string home;
  // The settings file as shipped, with its default sections: a new settings file starts as a
  // copy of it.
  std::string shippedDefaults;
};

struct SettingsLocation {
  // The settings file the program reads and writes.
  std::string file;
  // False when no settings file can be written anywhere; `problem` then says why, and `file`
  // is the best one to read.
  bool writable = true;
  std::string problem;
};

// Chooses the settings file without touching anything: beside the program when that folder
// can be written or a kestro.ini there can, otherwise kestro/kestro.ini in the user's
// configuration folder.
std::string chooseSettingsFile(const SettingsPlaces& places);

// Chooses the settings file and, when it does not exist yet, makes it: its folder is created
// and it starts as a copy of the settings file beside the program (a read-only portable copy)
// or else of the shipped defaults.
SettingsLocation locateSettings(const SettingsPlaces& places);

// The places of this process: its folder, XDG_CONFIG_HOME, HOME (or the password entry's home
// when HOME is unset) and the shipped defaults under share/kestro of the install prefix.
SettingsPlaces systemSettingsPlaces();

}  // namespace kestro::platform
