// MAME's command line from the option set: one table per tab saying which control (or
// stepped value) adds which option piece, and the build that walks them in order. Every
// piece ends in one space; the pieces carry their own separators.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/optionset.h"

namespace kestro::launch {

// What a row looks at, and when it adds its piece.
enum class Rule {
  ButtonOn,    // an option button that is on
  BoxTicked,   // a check box at 1
  BoxClear,    // a check box at 0
  Resolution,  // the check box ticked: the option, the two text boxes joined by "x"
  Stepped,     // a stepped value whose number is not the one that gives no piece
  FrameSkip,   // the slider between 1 and 11
};

struct PieceRow {
  std::string_view control;
  Rule rule = Rule::ButtonOn;
  // The whole piece, or for a row with a value the option's name before it.
  std::string_view piece;
  core::OptionButton core::OptionSet::*button = nullptr;
  core::CheckBox core::OptionSet::*box = nullptr;
  std::string core::OptionSet::*stepped = nullptr;
  double noPieceAt = 0;
  // A listing, checking or help option: MAME prints something the user wants to read.
  bool showsOutput = false;
};

namespace rows {
constexpr PieceRow on(std::string_view control, core::OptionButton core::OptionSet::*button,
                      std::string_view piece) {
  return {.control = control, .rule = Rule::ButtonOn, .piece = piece, .button = button};
}
constexpr PieceRow ticked(std::string_view control, core::CheckBox core::OptionSet::*box,
                          std::string_view piece, bool showsOutput = false) {
  return {.control = control,
          .rule = Rule::BoxTicked,
          .piece = piece,
          .box = box,
          .showsOutput = showsOutput};
}
constexpr PieceRow clear(std::string_view control, core::CheckBox core::OptionSet::*box,
                         std::string_view piece) {
  return {.control = control, .rule = Rule::BoxClear, .piece = piece, .box = box};
}
constexpr PieceRow stepped(std::string_view control, std::string core::OptionSet::*value,
                           double noPieceAt, std::string_view option) {
  return {.control = control,
          .rule = Rule::Stepped,
          .piece = option,
          .stepped = value,
          .noPieceAt = noPieceAt};
}
}  // namespace rows

#define KESTRO_ON(name, piece) rows::on(#name, &core::OptionSet::name, piece)
#define KESTRO_TICKED(name, piece) rows::ticked(#name, &core::OptionSet::name, piece)
#define KESTRO_CLEAR(name, piece) rows::clear(#name, &core::OptionSet::name, piece)
#define KESTRO_LISTING(name, piece) rows::ticked(#name, &core::OptionSet::name, piece, true)
#define KESTRO_STEPPED(name, noPieceAt, option) \
  rows::stepped(#name, &core::OptionSet::name, noPieceAt, option)

// The Video tab, into `voptions`.
inline constexpr PieceRow kVideoPieces[] = {
    KESTRO_ON(vidtweakon, "-tweak "),
    KESTRO_ON(vidvesa1, "-vesamode vesa1 "),
    KESTRO_ON(vidvesa2, "-vesamode vesa2b "),
    KESTRO_ON(vidvesa3, "-vesamode vesa2l "),
    KESTRO_ON(vidvesa4, "-vesamode vesa3 "),
    KESTRO_CLEAR(vidscanlines, "-noscanlines "),
    KESTRO_TICKED(vidvsync, "-vsync "),
    KESTRO_TICKED(vidror, "-ror "),
    KESTRO_TICKED(vidrol, "-rol "),
    KESTRO_ON(viddep1, "-depth 8 "),
    KESTRO_ON(viddep2, "-depth 16 "),
    KESTRO_TICKED(vidntsc, "-ntsc "),
    KESTRO_ON(vidmon2, "-monitor ntsc "),
    KESTRO_ON(vidmon3, "-monitor pal "),
    KESTRO_ON(vidmon4, "-monitor arcade "),
    {.control = "vidreson",
     .rule = Rule::Resolution,
     .piece = "-resolution ",
     .box = &core::OptionSet::vidreson},
    KESTRO_STEPPED(gamma, 1.2, "-gamma"),
};

// The Video 2 tab, into `voptions2`.
inline constexpr PieceRow kVideo2Pieces[] = {
    KESTRO_ON(vgafreq0, "-vgafreq 0 "),
    KESTRO_ON(vgafreq1, "-vgafreq 1 "),
    KESTRO_ON(vgafreq2, "-vgafreq 2 "),
    KESTRO_ON(vgafreq3, "-vgafreq 3 "),
    KESTRO_TICKED(stretche, "-nostretch "),
    KESTRO_TICKED(tripbufe, "-triplebuffer "),
    KESTRO_TICKED(orfx, "-flipx "),
    KESTRO_TICKED(orfy, "-flipy "),
    KESTRO_TICKED(orrof, "-norotate "),
    KESTRO_TICKED(antid, "-noantialias "),
    KESTRO_TICKED(transd, "-notranslucency "),
    {.control = "fsslid", .rule = Rule::FrameSkip, .piece = "-frameskip"},
    KESTRO_TICKED(ase, "-alwayssynced "),
    KESTRO_TICKED(wie, "-waitinterlace "),
    KESTRO_STEPPED(beam, 1, "-beam"),
    KESTRO_STEPPED(flicker, 0, "-flicker"),
};

// The Audio tab, into `soptions`. The card numbers skip 2; `sndr3` stands for 44100.
inline constexpr PieceRow kAudioPieces[] = {
    KESTRO_ON(snd2, "-soundcard 1 "),     KESTRO_ON(snd3, "-soundcard 3 "),
    KESTRO_ON(snd4, "-soundcard 4 "),     KESTRO_ON(snd5, "-soundcard 5 "),
    KESTRO_ON(snd6, "-soundcard 6 "),     KESTRO_ON(snd7, "-soundcard 7 "),
    KESTRO_ON(sndr1, "-sr 11025 "),       KESTRO_ON(sndr2, "-sr 22050 "),
    KESTRO_ON(sndr3, "-sr 44100 "),       KESTRO_ON(sndb1, "-sb 8 "),
    KESTRO_ON(sndb2, "-sb 16 "),          KESTRO_ON(sndstereo1, "-stereo "),
    KESTRO_ON(sndstereo2, "-nostereo "),  KESTRO_ON(sndoplon, "-ym3812opl "),
    KESTRO_STEPPED(volume, 0, "-volume"),
};

// The joystick list, by selected index, first into `other`; "None" gives nothing, and the
// last two are options of their own rather than values of "-joy".
inline constexpr std::array<std::string_view, 25> kJoystickPieces = {
    "",
    "-joy auto ",
    "-joy standard ",
    "-joy dual ",
    "-joy 4button ",
    "-joy 6button ",
    "-joy 8button ",
    "-joy fspro ",
    "-joy wingex ",
    "-joy wingwarrior ",
    "-joy sidewinder ",
    "-joy gamepadpro ",
    "-joy sneslpt1 ",
    "-joy sneslpt2 ",
    "-joy sneslpt3 ",
    "-joy psxlpt1 ",
    "-joy psxlpt2 ",
    "-joy psxlpt3 ",
    "-joy n64lpt1 ",
    "-joy n64lpt2 ",
    "-joy n64lpt3 ",
    "-joy grip ",
    "-joy grip4 ",
    "-hotrod ",
    "-hotrodse ",
};

// The Misc tab's check boxes, into `other` after the joystick piece.
inline constexpr PieceRow kMiscPieces[] = {
    KESTRO_TICKED(logc, "-log "),
    KESTRO_LISTING(dispvercpyc, "-help "),
    KESTRO_LISTING(listsupc, "-list "),
    KESTRO_LISTING(gmdirdescc, "-listfull "),
    KESTRO_LISTING(reqromc, "-listroms "),
    KESTRO_LISTING(reqsampc, "-listsamples "),
    KESTRO_LISTING(selgmhrddrivc, "-listdetails "),
    KESTRO_LISTING(supgmmakeyrc, "-listgames "),
    KESTRO_LISTING(supgmdetc, "-listinfo "),
    KESTRO_LISTING(selgmclnc, "-listclones "),
    KESTRO_LISTING(chkinvmisromc, "-verifyroms "),
    KESTRO_LISTING(chkmissampc, "-verifysamples "),
    KESTRO_TICKED(dmousec, "-nomouse "),
};

#undef KESTRO_ON
#undef KESTRO_TICKED
#undef KESTRO_CLEAR
#undef KESTRO_LISTING
#undef KESTRO_STEPPED

// What a build learnt beyond the strings it set.
struct Build {
  // Every option piece in the order of the line.
  std::vector<std::string> pieces;
  // Stepped values that held no number: they gave no piece, and the line is not the
  // one the user asked for.
  std::vector<std::string_view> unreadable;
  // A listing, checking or help option is on the line.
  bool showsOutput = false;
};

// Fills `voptions`, `voptions2`, `soptions` and `other` from nothing with the pieces of
// the four tabs and sets `FullMame` to `mame`, the game name `RomName` and the
// pieces. Stepped values are read with the user's decimal separator; every number on the
// line is written with a period.
Build buildCommandLine(core::OptionSet& options, char decimalSeparator);

}  // namespace kestro::launch
