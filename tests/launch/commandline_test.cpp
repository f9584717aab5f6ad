// SPDX-License-Identifier: GPL-3.0-or-later
// MAME's command line: each control's piece once, as literal text written from MAME's option
// names, and numbers as the line writes them (the order of the pieces: run_test.cpp).
#include "launch/commandline.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "core/stepped.h"

namespace kestro::launch {
namespace {

using core::OptionSet;
using O = OptionSet;

// Every control at its initial state, the stepped values at their start, the scan lines on:
// a line with no option piece. The resolution's texts go in only with their box.
OptionSet quiet() {
  OptionSet options;
  core::resetSteppedValues(options, '.');
  options.vidscanlines = 1;
  options.vidresx = "320";
  options.vidresy = "240";
  options.mame = "mame.exe";
  options.RomName = "mygame";
  return options;
}

// One control set to one value: a box ticked (or cleared), a button on, a position or a text.
struct Set {
  std::variant<int O::*, bool O::*, std::string O::*> field;
  int number = 1;
  std::string text = {};
  char separator = '.';
  void operator()(OptionSet& options) const {
    if (const auto* box = std::get_if<int O::*>(&field)) options.** box = number;
    if (const auto* button = std::get_if<bool O::*>(&field)) options.** button = true;
    if (const auto* value = std::get_if<std::string O::*>(&field)) options.** value = text;
  }
};

TEST(CommandLine, EachControlGivesItsPiece) {
  // clang-format off
  std::vector<std::pair<Set, const char*>> pieces = {
      {{&O::vidtweakon}, "-tweak "}, {{&O::vidtweakoff}, ""},
      {{&O::vidvesa1}, "-vesamode vesa1 "}, {{&O::vidvesa2}, "-vesamode vesa2b "},
      {{&O::vidvesa3}, "-vesamode vesa2l "}, {{&O::vidvesa4}, "-vesamode vesa3 "},
      {{&O::vidscanlines, 0}, "-noscanlines "}, {{&O::vidvsync}, "-vsync "},
      {{&O::vidror}, "-ror "}, {{&O::vidrol}, "-rol "}, {{&O::viddep1}, "-depth 8 "},
      {{&O::viddep2}, "-depth 16 "}, {{&O::vidntsc}, "-ntsc "}, {{&O::vidmon1}, ""},
      {{&O::vidmon2}, "-monitor ntsc "}, {{&O::vidmon3}, "-monitor pal "},
      {{&O::vidmon4}, "-monitor arcade "}, {{&O::vidreson}, "-resolution 320x240 "},
      // Numbers with a period and no leading or trailing zero; a comma read.
      {{&O::gamma, 0, "1.4"}, "-gamma 1.4 "}, {{&O::gamma, 0, "2"}, "-gamma 2 "},
      {{&O::gamma, 0, "0.8"}, "-gamma .8 "}, {{&O::gamma, 0, "1,1", ','}, "-gamma 1.1 "},
      {{&O::vgafreqe}, ""}, {{&O::vgafreq0}, "-vgafreq 0 "}, {{&O::vgafreq1}, "-vgafreq 1 "},
      {{&O::vgafreq2}, "-vgafreq 2 "}, {{&O::vgafreq3}, "-vgafreq 3 "},
      {{&O::stretche}, "-nostretch "}, {{&O::tripbufe}, "-triplebuffer "}, {{&O::orfx}, "-flipx "},
      {{&O::orfy}, "-flipy "}, {{&O::orrof}, "-norotate "}, {{&O::antid}, "-noantialias "},
      {{&O::transd}, "-notranslucency "}, {{&O::fsslid, 0}, ""}, {{&O::fsslid, 2}, "-frameskip 2 "},
      {{&O::fsslid, 11}, "-frameskip 11 "}, {{&O::ase}, "-alwayssynced "},
      {{&O::wie}, "-waitinterlace "}, {{&O::beam, 0, "2"}, "-beam 2 "},
      {{&O::flicker, 0, "5"}, "-flicker 5 "}, {{&O::snd1}, ""}, {{&O::snd2}, "-soundcard 1 "},
      {{&O::snd3}, "-soundcard 3 "}, {{&O::snd4}, "-soundcard 4 "}, {{&O::snd5}, "-soundcard 5 "},
      {{&O::snd6}, "-soundcard 6 "}, {{&O::snd7}, "-soundcard 7 "}, {{&O::sndr1}, "-sr 11025 "},
      {{&O::sndr2}, "-sr 22050 "}, {{&O::sndr3}, "-sr 44100 "}, {{&O::sndb1}, "-sb 8 "},
      {{&O::sndb2}, "-sb 16 "}, {{&O::sndstereo1}, "-stereo "}, {{&O::sndstereo2}, "-nostereo "},
      {{&O::sndoplon}, "-ym3812opl "}, {{&O::sndoploff}, ""},
      {{&O::volume, 0, "-3"}, "-volume -3 "}, {{&O::logc}, "-log "},
      {{&O::dispvercpyc}, "-help "}, {{&O::listsupc}, "-list "}, {{&O::gmdirdescc}, "-listfull "},
      {{&O::reqromc}, "-listroms "}, {{&O::reqsampc}, "-listsamples "},
      {{&O::selgmhrddrivc}, "-listdetails "}, {{&O::supgmmakeyrc}, "-listgames "},
      {{&O::supgmdetc}, "-listinfo "}, {{&O::selgmclnc}, "-listclones "},
      {{&O::chkinvmisromc}, "-verifyroms "}, {{&O::chkmissampc}, "-verifysamples "},
      {{&O::dmousec}, "-nomouse "},
  };
  // The joystick list's pieces by position, one past its end included.
  const char* joysticks[] = {
      "", "-joy auto ", "-joy standard ", "-joy dual ", "-joy 4button ", "-joy 6button ",
      "-joy 8button ", "-joy fspro ", "-joy wingex ", "-joy wingwarrior ", "-joy sidewinder ",
      "-joy gamepadpro ", "-joy sneslpt1 ", "-joy sneslpt2 ", "-joy sneslpt3 ", "-joy psxlpt1 ",
      "-joy psxlpt2 ", "-joy psxlpt3 ", "-joy n64lpt1 ", "-joy n64lpt2 ", "-joy n64lpt3 ",
      "-joy grip ", "-joy grip4 ", "-hotrod ", "-hotrodse ", "",
  };
  // clang-format on
  for (int position = 0; position < static_cast<int>(std::size(joysticks)); ++position) {
    pieces.push_back({{&O::JoyList, position}, joysticks[position]});
  }
  for (const auto& [set, piece] : pieces) {
    OptionSet options = quiet();
    set(options);
    const Build build = buildCommandLine(options, set.separator);
    EXPECT_EQ(build.line, std::string("mame.exe mygame ") + piece);
    EXPECT_EQ(build.pieces.size(), *piece ? 1u : 0u) << piece;
    // Only the listing, checking and help options ask MAME for output the user must read.
    EXPECT_EQ(build.showsOutput, std::string_view(piece).starts_with("-list") ||
                                     std::string_view(piece).starts_with("-verify") ||
                                     std::string_view(piece) == "-help ")
        << piece;
  }
}

}  // namespace
}  // namespace kestro::launch
