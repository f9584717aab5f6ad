// SPDX-License-Identifier: GPL-3.0-or-later
// The option set: everything the main window holds, as a plain record with one field per
// control, named after the control. The window binds its widgets to these fields; every piece
// of logic reads and writes the record, so it runs without a window.
#pragma once

#include <string>
#include <string_view>

namespace kestro::core {

inline constexpr std::string_view kGameNamePrompt =
    "Game name. Double click on the game's folder to select it.";

// Check boxes hold 0 (clear) or 1 (ticked); option buttons are on or off.
using CheckBox = int;
using OptionButton = bool;

struct OptionSet {
  // Video tab.
  OptionButton vidtweakon = false;
  OptionButton vidtweakoff = false;
  CheckBox vidreson = 0;
  std::string vidresx;
  std::string vidresy;
  OptionButton viddep1 = false;
  OptionButton viddep2 = false;
  CheckBox vidntsc = 0;
  OptionButton vidvesa1 = false;
  OptionButton vidvesa2 = false;
  OptionButton vidvesa3 = false;
  OptionButton vidvesa4 = false;
  OptionButton vidmon1 = false;
  OptionButton vidmon2 = false;
  OptionButton vidmon3 = false;
  OptionButton vidmon4 = false;
  CheckBox vidscanlines = 0;
  CheckBox vidvsync = 0;
  CheckBox vidror = 0;
  CheckBox vidrol = 0;

  // Video 2 tab.
  CheckBox vgafreqe = 0;
  OptionButton vgafreq0 = false;
  OptionButton vgafreq1 = false;
  OptionButton vgafreq2 = false;
  OptionButton vgafreq3 = false;
  CheckBox stretche = 0;
  CheckBox tripbufe = 0;
  CheckBox antid = 0;
  CheckBox transd = 0;
  CheckBox orfx = 0;
  CheckBox orfy = 0;
  CheckBox orrof = 0;
  int fsslid = 0;
  CheckBox ase = 0;
  CheckBox wie = 0;

  // Audio tab.
  OptionButton snd1 = false;
  OptionButton snd2 = false;
  OptionButton snd3 = false;
  OptionButton snd4 = false;
  OptionButton snd5 = false;
  OptionButton snd6 = false;
  OptionButton snd7 = false;
  OptionButton sndr1 = false;
  OptionButton sndr2 = false;
  OptionButton sndr3 = false;
  OptionButton sndb1 = false;
  OptionButton sndb2 = false;
  OptionButton sndstereo1 = false;
  OptionButton sndstereo2 = false;
  OptionButton sndoplon = false;
  OptionButton sndoploff = false;

  // Misc tab.
  int JoyList = -1;  // the selected entry, -1 for none
  CheckBox logc = 0;
  CheckBox dmousec = 0;
  CheckBox dispvercpyc = 0;
  CheckBox listsupc = 0;
  CheckBox gmdirdescc = 0;
  CheckBox reqromc = 0;
  CheckBox reqsampc = 0;
  CheckBox selgmhrddrivc = 0;
  CheckBox supgmmakeyrc = 0;
  CheckBox supgmdetc = 0;
  CheckBox selgmclnc = 0;
  CheckBox chkinvmisromc = 0;
  CheckBox chkmissampc = 0;

  // The stepped values, held as text in the user's number conventions, and the labels that
  // show them.
  std::string gamma;
  std::string volume;
  std::string beam;
  std::string flicker;
  std::string vidgammal;
  std::string sndvoltxt;
  std::string beaml;
  std::string flickerl;

  // The label that shows the game of the last run.
  std::string gamename{kGameNamePrompt};

  // Window-level strings of the launch.
  std::string mame;     // the MAME executable's file name, without folder
  std::string DirMame;  // the MAME folder
  std::string RomName;  // the game name of the last run

  bool operator==(const OptionSet&) const = default;
};

}  // namespace kestro::core
