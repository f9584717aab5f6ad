// MAME's command line: the worked example, numbers as the line writes them, and the rows whose
// piece is easy to get wrong, written out from MAME's option names, not the builder's tables.
#include "launch/commandline.h"

#include <gtest/gtest.h>

#include <string>

#include "core/stepped.h"

namespace kestro::launch {
namespace {

using core::OptionSet;

TEST(CommandLine, PiecesInTableOrder) {
  const struct {
    void (*set)(OptionSet&);
    const char* pieces;  // what follows "mame.exe mygame "
    char separator = '.';
  } cases[] = {
      {[](OptionSet&) {}, "-noscanlines "},
      {[](OptionSet& o) {
         o.vidscanlines = o.logc = 1;
         o.vidvesa3 = o.viddep2 = o.snd2 = o.sndr3 = o.sndb2 = o.sndstereo1 = true;
         o.gamma = "1.4";
         o.fsslid = o.JoyList = 2;
         o.flicker = "5";
         o.volume = "-3";
       },
       "-vesamode vesa2l -depth 16 -gamma 1.4 -frameskip 2 -flicker 5 -soundcard 1 -sr 44100 "
       "-sb 16 -stereo -volume -3 -joy standard -log "},
      // Numbers with a period and no leading zero; the Hotrods are no "-joy" value.
      {[](OptionSet& o) {
         o.gamma = "0.8";
         o.fsslid = 11;
         o.JoyList = 23;
       },
       "-noscanlines -gamma .8 -frameskip 11 -hotrod "},
      // No trailing zero; members and "None" that give no piece.
      {[](OptionSet& o) {
         o.gamma = "2";
         o.JoyList = 0;
         o.snd1 = o.vidtweakoff = o.vidmon1 = o.sndoploff = true;
         o.stretche = o.antid = o.transd = 1;
       },
       "-noscanlines -gamma 2 -nostretch -noantialias -notranslucency "},
      // Sound card 2 and a rate of 44100 that are no typos.
      {[](OptionSet& o) {
         o.vidvesa2 = o.viddep1 = o.snd3 = o.sndr3 = true;
         o.gamma = "1,1";
       },
       "-vesamode vesa2b -noscanlines -depth 8 -gamma 1.1 -soundcard 3 -sr 44100 ", ','},
      // NTSC and the NTSC monitor both; the resolution after the monitor, before gamma.
      {[](OptionSet& o) {
         o.vidntsc = o.vidreson = 1;
         o.vidmon2 = true;
         o.vidresx = "320";
         o.vidresy = "240";
         o.gamma = "1.1";
       },
       "-noscanlines -ntsc -monitor ntsc -resolution 320x240 -gamma 1.1 "},
  };
  for (const auto& c : cases) {
    OptionSet options;  // every control at its initial state
    core::resetSteppedValues(options, '.');
    options.mame = "mame.exe";
    options.RomName = "mygame";
    c.set(options);
    const Build build = buildCommandLine(options, c.separator);
    EXPECT_EQ(build.line, std::string("mame.exe mygame ") + c.pieces);
    std::string pieces;
    for (const std::string& piece : build.pieces) pieces += piece;
    EXPECT_EQ(pieces, c.pieces);
  }
}

}  // namespace
}  // namespace kestro::launch
