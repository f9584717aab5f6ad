// Every option, declared once: one row says how the settings file stores it (section, key,
// values) and what it puts on MAME's command line. The rows stand in the order of both the
// file's keys and the line's pieces, so the save, both loads and the command-line builder are
// each one loop over this table. Member pointers name the fields: a wrong name or type does
// not compile.
#pragma once

#include <algorithm>
#include <span>
#include <string_view>

#include "core/optionset.h"

namespace kestro::core {

// The section of the settings file a key belongs to; None for an option the file does not keep.
enum class Section { None, Video, Audio, Misc, Exe };

struct Key {
  Section section = Section::None;
  std::string_view name;
};

// One option button of a group: the number the settings file stores for it, and its piece.
struct Choice {
  OptionButton OptionSet::*button;
  int stored;
  std::string_view piece;
};

// One entry of a list: its caption and its piece.
struct Entry {
  std::string_view caption;
  std::string_view piece;
};

enum class OptionKind {
  Box,          // a check box
  Group,        // option buttons that switch each other off
  Resolution,   // a check box that adds its option with the two texts joined by "x"
  Slider,       // a whole number from `lowest` to `highest`
  List,         // the selected entry, `lowest` for none
  Stepped,      // a number text moved by a pair of arrow buttons, shown in its label
  CarriedOver,  // a key fed by no control: written back as last loaded
  Exe,          // the MAME executable's name, text as it stands
};

enum class Stored { AsIs, Inverted };  // a box that disables a feature stores 1 when clear
enum class Piece { WhenTicked, WhenClear, Listing };  // a listing asks MAME for output

struct Stepping {
  double step;
  double lower;
  double upper;
  double start;  // also the value that adds no piece
};

struct Option {
  OptionKind kind;
  Key key = {};
  // The whole piece of a box; the option's name before its value for the other kinds.
  std::string_view piece = {};
  CheckBox OptionSet::*box = nullptr;
  Stored stored = Stored::AsIs;
  Piece when = Piece::WhenTicked;
  std::span<const Choice> choices = {};
  int OptionSet::*position = nullptr;  // slider or list
  int lowest = 0;
  int highest = 0;
  std::span<const Entry> entries = {};
  std::string OptionSet::*text = nullptr;   // stepped value, resolution width, executable
  std::string OptionSet::*other = nullptr;  // stepped value's label, resolution height
  Stepping stepping = {};
};

namespace declare {
constexpr Option box(CheckBox OptionSet::*box, std::string_view piece, Key key = {},
                     Stored stored = Stored::AsIs, Piece when = Piece::WhenTicked) {
  return {.kind = OptionKind::Box,
          .key = key,
          .piece = piece,
          .box = box,
          .stored = stored,
          .when = when};
}
constexpr Option listing(CheckBox OptionSet::*box, std::string_view piece) {
  return declare::box(box, piece, {}, Stored::AsIs, Piece::Listing);
}
constexpr Option group(std::span<const Choice> choices, Key key = {}) {
  return {.kind = OptionKind::Group, .key = key, .choices = choices};
}
constexpr Option resolution(CheckBox OptionSet::*box, std::string OptionSet::*width,
                            std::string OptionSet::*height, std::string_view option) {
  return {
      .kind = OptionKind::Resolution, .piece = option, .box = box, .text = width, .other = height};
}
constexpr Option slider(int OptionSet::*position, Key key, std::string_view option, int lowest,
                        int highest) {
  return {.kind = OptionKind::Slider,
          .key = key,
          .piece = option,
          .position = position,
          .lowest = lowest,
          .highest = highest};
}
constexpr Option list(int OptionSet::*position, Key key, std::span<const Entry> entries) {
  return {.kind = OptionKind::List,
          .key = key,
          .position = position,
          .lowest = -1,
          .highest = static_cast<int>(entries.size()) - 1,
          .entries = entries};
}
constexpr Option stepped(std::string OptionSet::*value, std::string OptionSet::*label, Key key,
                         std::string_view option, Stepping stepping) {
  return {.kind = OptionKind::Stepped,
          .key = key,
          .piece = option,
          .text = value,
          .other = label,
          .stepping = stepping};
}
constexpr Option carriedOver(Key key) { return {.kind = OptionKind::CarriedOver, .key = key}; }
constexpr Option exe(std::string OptionSet::*name, Key key) {
  return {.kind = OptionKind::Exe, .key = key, .text = name};
}
}  // namespace declare

namespace rows {
using namespace declare;
using O = OptionSet;

inline constexpr Choice kTweak[] = {{&O::vidtweakon, 1, "-tweak "}, {&O::vidtweakoff, 0, ""}};
inline constexpr Choice kVesa[] = {{&O::vidvesa1, 1, "-vesamode vesa1 "},
                                   {&O::vidvesa2, 2, "-vesamode vesa2b "},
                                   {&O::vidvesa3, 3, "-vesamode vesa2l "},
                                   {&O::vidvesa4, 4, "-vesamode vesa3 "}};
inline constexpr Choice kDepth[] = {{&O::viddep1, 8, "-depth 8 "}, {&O::viddep2, 16, "-depth 16 "}};
inline constexpr Choice kMonitor[] = {{&O::vidmon1, 1, ""},
                                      {&O::vidmon2, 2, "-monitor ntsc "},
                                      {&O::vidmon3, 3, "-monitor pal "},
                                      {&O::vidmon4, 4, "-monitor arcade "}};
// Not kept in the settings file: the numbers only order the group.
inline constexpr Choice kVgaFrequency[] = {{&O::vgafreq0, 0, "-vgafreq 0 "},
                                           {&O::vgafreq1, 1, "-vgafreq 1 "},
                                           {&O::vgafreq2, 2, "-vgafreq 2 "},
                                           {&O::vgafreq3, 3, "-vgafreq 3 "}};
// Sound cards skip 2: the seven buttons stand for 0, 1, 3, 4, 5, 6 and 7.
inline constexpr Choice kSoundCard[] = {
    {&O::snd1, 0, ""},
    {&O::snd2, 1, "-soundcard 1 "},
    {&O::snd3, 3, "-soundcard 3 "},
    {&O::snd4, 4, "-soundcard 4 "},
    {&O::snd5, 5, "-soundcard 5 "},
    {&O::snd6, 6, "-soundcard 6 "},
    {&O::snd7, 7, "-soundcard 7 "},
};
// The third rate's caption reads 41100; MAME gets 44100.
inline constexpr Choice kSampleRate[] = {{&O::sndr1, 11025, "-sr 11025 "},
                                         {&O::sndr2, 22050, "-sr 22050 "},
                                         {&O::sndr3, 44100, "-sr 44100 "}};
inline constexpr Choice kSampleBits[] = {{&O::sndb1, 8, "-sb 8 "}, {&O::sndb2, 16, "-sb 16 "}};
inline constexpr Choice kStereo[] = {{&O::sndstereo1, 1, "-stereo "},
                                     {&O::sndstereo2, 0, "-nostereo "}};
inline constexpr Choice kYm3812[] = {{&O::sndoplon, 1, "-ym3812opl "}, {&O::sndoploff, 0, ""}};

// "None" gives nothing; the last two are options of their own rather than values of "-joy".
inline constexpr Entry kJoysticks[] = {
    {"None", ""},
    {"Auto", "-joy auto "},
    {"Standard", "-joy standard "},
    {"Dual Joysticks", "-joy dual "},
    {"4 Button Pad", "-joy 4button "},
    {"6 Button Pad", "-joy 6button "},
    {"8 Button Pad", "-joy 8button "},
    {"Flight Stick Pro", "-joy fspro "},
    {"Wingman Extreme", "-joy wingex "},
    {"Wingman Warrior", "-joy wingwarrior "},
    {"Side Winder", "-joy sidewinder "},
    {"Game Pad Pro", "-joy gamepadpro "},
    {"Snes - LPT1", "-joy sneslpt1 "},
    {"Snes - LPT2", "-joy sneslpt2 "},
    {"Snes - LPT3", "-joy sneslpt3 "},
    {"PSX - LPT1", "-joy psxlpt1 "},
    {"PSX - LPT2", "-joy psxlpt2 "},
    {"PSX - LPT3", "-joy psxlpt3 "},
    {"N64 - LPT1", "-joy n64lpt1 "},
    {"N64 - LPT2", "-joy n64lpt2 "},
    {"N64 - LPT3", "-joy n64lpt3 "},
    {"Gravis GrIP", "-joy grip "},
    {"GrIP constrained", "-joy grip4 "},
    {"Hotrod", "-hotrod "},
    {"Hotrod SE", "-hotrodse "},
};

constexpr Section kVideo = Section::Video;
constexpr Section kAudio = Section::Audio;
constexpr Section kMisc = Section::Misc;

inline constexpr Option kOptions[] = {
    // The Video tab.
    group(kTweak, {kVideo, "tweak"}),
    group(kVesa, {kVideo, "vesa"}),
    box(&O::vidscanlines, "-noscanlines ", {kVideo, "scanlines"}, Stored::AsIs, Piece::WhenClear),
    box(&O::vidvsync, "-vsync ", {kVideo, "vsync"}),
    box(&O::vidror, "-ror ", {kVideo, "ror"}),
    box(&O::vidrol, "-rol ", {kVideo, "rol"}),
    group(kDepth, {kVideo, "depth"}),
    box(&O::vidntsc, "-ntsc ", {kVideo, "ntsc"}),
    group(kMonitor, {kVideo, "monitor"}),
    resolution(&O::vidreson, &O::vidresx, &O::vidresy, "-resolution"),
    carriedOver({kVideo, "resx"}),
    carriedOver({kVideo, "resy"}),
    stepped(&O::gamma, &O::vidgammal, {kVideo, "gamma"}, "-gamma", {0.1, 0.5, 2, 1.2}),
    // The Video 2 tab.
    carriedOver({kVideo, "vgafreq"}),
    group(kVgaFrequency),
    box(&O::stretche, "-nostretch ", {kVideo, "stretch"}, Stored::Inverted),
    box(&O::tripbufe, "-triplebuffer ", {kVideo, "triplebuf"}),
    box(&O::orfx, "-flipx ", {kVideo, "flipx"}),
    box(&O::orfy, "-flipy ", {kVideo, "flipy"}),
    box(&O::orrof, "-norotate ", {kVideo, "rotate"}),
    box(&O::antid, "-noantialias ", {kVideo, "antialias"}, Stored::Inverted),
    box(&O::transd, "-notranslucency ", {kVideo, "transparent"}, Stored::Inverted),
    slider(&O::fsslid, {kVideo, "frameskip"}, "-frameskip", 0, 11),
    box(&O::ase, "-alwayssynced ", {kVideo, "synced"}),
    box(&O::wie, "-waitinterlace ", {kVideo, "waitil"}),
    stepped(&O::beam, &O::beaml, {kVideo, "beam"}, "-beam", {1, 1, 16, 1}),
    stepped(&O::flicker, &O::flickerl, {kVideo, "flicker"}, "-flicker", {1, 0, 100, 0}),
    // The Audio tab.
    group(kSoundCard, {kAudio, "sndcard"}),
    group(kSampleRate, {kAudio, "sndrate"}),
    group(kSampleBits, {kAudio, "sndbit"}),
    group(kStereo, {kAudio, "stereo"}),
    group(kYm3812, {kAudio, "ym3812"}),
    stepped(&O::volume, &O::sndvoltxt, {kAudio, "volume"}, "-volume", {1, -12, 0, 0}),
    // The Misc tab.
    list(&O::JoyList, {kMisc, "joy"}, kJoysticks),
    box(&O::logc, "-log "),
    listing(&O::dispvercpyc, "-help "),
    listing(&O::listsupc, "-list "),
    listing(&O::gmdirdescc, "-listfull "),
    listing(&O::reqromc, "-listroms "),
    listing(&O::reqsampc, "-listsamples "),
    listing(&O::selgmhrddrivc, "-listdetails "),
    listing(&O::supgmmakeyrc, "-listgames "),
    listing(&O::supgmdetc, "-listinfo "),
    listing(&O::selgmclnc, "-listclones "),
    listing(&O::chkinvmisromc, "-verifyroms "),
    listing(&O::chkmissampc, "-verifysamples "),
    box(&O::dmousec, "-nomouse ", {kMisc, "nomouse"}),
    // Kestro Setup.
    exe(&O::mame, {Section::Exe, "exe"}),
};
}  // namespace rows
using rows::kOptions;

constexpr std::size_t countOptions(OptionKind kind) {
  return static_cast<std::size_t>(
      std::ranges::count_if(kOptions, [kind](const Option& row) { return row.kind == kind; }));
}
constexpr std::size_t countKeys() {
  return static_cast<std::size_t>(
      std::ranges::count_if(kOptions, [](const Option& row) { return !row.key.name.empty(); }));
}
constexpr bool groupsAreWhole() {
  return std::ranges::all_of(kOptions, [](const Option& row) {
    return row.kind != OptionKind::Group || row.choices.size() >= 2;
  });
}
constexpr bool steppedStartsInRange() {
  return std::ranges::all_of(kOptions, [](const Option& row) {
    return row.kind != OptionKind::Stepped ||
           (row.stepping.lower <= row.stepping.start && row.stepping.start <= row.stepping.upper);
  });
}

// The settings file holds 34 keys; the window shows 10 groups, 4 stepped values and 25
// joysticks.
static_assert(countKeys() == 34);
static_assert(countOptions(OptionKind::Group) == 10 && groupsAreWhole());
static_assert(countOptions(OptionKind::Stepped) == 4 && steppedStartsInRange());
static_assert(std::size(rows::kJoysticks) == 25);
static_assert(std::size(rows::kSoundCard) == 7 && std::size(rows::kSampleRate) == 3);

// The group whose buttons include `button`, or nullptr.
const Option* groupOf(OptionButton OptionSet::*button);

// The row of the slider, list or stepped value at that field, or nullptr.
const Option* optionAt(int OptionSet::*position);
const Option* optionAt(std::string OptionSet::*text);

// Turning a button on turns every other member of its group off; turning it off leaves the
// group with no member on.
void setOptionButton(OptionSet& options, OptionButton OptionSet::*button, bool on);

}  // namespace kestro::core
