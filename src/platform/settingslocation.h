// SPDX-License-Identifier: GPL-3.0-or-later
// Where the settings file lives. An installed program (in PREFIX/bin, with the shipped settings
// in PREFIX/share/kestro) keeps it in the user's configuration folder, whoever runs it; a
// portable copy, a program without that layout, keeps kestro.ini beside itself as long as it
// may write there.
#pragma once

#include <string>

namespace kestro::platform {

struct SettingsPlaces {
  std::string programFolder;
  // The value of XDG_CONFIG_HOME, empty when unset; only an absolute path counts.
  std::string configHome;
  // The user's home folder; the configuration folder is its ".config" when configHome does not
  // count. Only an absolute path counts.
  std::string home;
  // Where an install puts the settings file as shipped, with its default sections: when it is
  // there, the program is installed, and a new settings file starts as a copy of it.
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

// The settings file, found without touching anything: what locateSettings would answer, for
// "--help". The one guess is whether a settings file that is not there yet can be made.
SettingsLocation findSettings(const SettingsPlaces& places);

// The settings file, made when it is not there yet: its folder is created and it starts as a
// copy of the shipped defaults (installed) or of the read-only kestro.ini beside the program (a
// portable copy that cannot write beside itself). The copy is a new file only: nothing in its
// place, a link included, is followed or replaced.
SettingsLocation locateSettings(const SettingsPlaces& places);

// The places of this process: its folder, XDG_CONFIG_HOME, HOME (or the password entry's home
// when HOME is unset or not absolute) and the shipped defaults under share/kestro of the
// install prefix.
SettingsPlaces systemSettingsPlaces();

}  // namespace kestro::platform
