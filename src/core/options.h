// SPDX-License-Identifier: GPL-3.0-or-later
// Every option, declared once: one row per option, of the type of its kind. A kind's type holds
// only its own fields and says, in one place (its functions in options.cpp), how the settings
// file stores it and reads it back, what it puts on MAME's command line and which fields of the
// option set its controls are bound to; the two dependent kinds also say which controls they
// switch on and off. The rows stand in the order of both the file's keys and the line's pieces,
// so the save, both loads and the command-line builder are each one std::visit over this table.
// Member pointers name the fields: a wrong name or type does not compile.
#pragma once

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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

// A text the user typed that goes onto the line as it stands, and what it is.
struct TypedText {
  std::string_view what;
  std::string text;
};

// What the rows put on the command line, in table order.
struct LinePieces {
  // Every option piece in the order of the line; each ends in one space.
  std::vector<std::string> pieces;
  // Stepped values that held no number: they gave no piece, and the line is not the one the
  // user asked for.
  std::vector<std::string_view> unreadable;
  // A listing, checking or help option is on the line.
  bool showsOutput = false;
  // Typed texts on the line, which the launch script must be able to carry.
  std::vector<TypedText> typed;
};

// Where a box's piece goes: when it is ticked, when it is clear, or when ticked as a listing
// that asks MAME for output.
enum class Piece { WhenTicked, WhenClear, Listing };

// A check box: stores 0 or 1 as it stands.
struct Box {
  CheckBox OptionSet::*box;
  std::string_view piece;
  Key key = {};
  Piece when = Piece::WhenTicked;

  static constexpr bool kStoresNumber = true;
  void take(const OptionSet& options, std::string& value) const;
  void apply(OptionSet& options, const std::string& text, char separator) const;
  void addPieces(const OptionSet& options, char separator, LinePieces& line) const;
  constexpr void eachControl(auto each) const { each(box); }
};

// A check box that disables a feature: the file stores 1 when it is clear.
struct InvertedBox {
  CheckBox OptionSet::*box;
  std::string_view piece;  // when ticked
  Key key;

  static constexpr bool kStoresNumber = true;
  void take(const OptionSet& options, std::string& value) const;
  void apply(OptionSet& options, const std::string& text, char separator) const;
  void addPieces(const OptionSet& options, char separator, LinePieces& line) const;
  constexpr void eachControl(auto each) const { each(box); }
};

// Option buttons that switch each other off; the file stores the number of the one on.
struct Group {
  std::span<const Choice> choices;
  Key key;

  static constexpr bool kStoresNumber = true;
  void take(const OptionSet& options, std::string& value) const;
  void apply(OptionSet& options, const std::string& text, char separator) const;
  void addPieces(const OptionSet& options, char separator, LinePieces& line) const;
  constexpr void eachControl(auto each) const {
    for (const Choice& choice : choices) each(choice.button);
  }
};

// A whole number from `lowest` to `highest`; the lowest leaves the choice to MAME.
struct Slider {
  int OptionSet::*position;
  Key key;
  std::string_view option;
  int lowest;
  int highest;

  static constexpr bool kStoresNumber = true;
  void take(const OptionSet& options, std::string& value) const;
  void apply(OptionSet& options, const std::string& text, char separator) const;
  void addPieces(const OptionSet& options, char separator, LinePieces& line) const;
  constexpr void eachControl(auto each) const { each(position); }
};

// The selected entry of a list, -1 for none.
struct List {
  int OptionSet::*position;
  Key key;
  std::span<const Entry> entries;

  static constexpr bool kStoresNumber = true;
  void take(const OptionSet& options, std::string& value) const;
  void apply(OptionSet& options, const std::string& text, char separator) const;
  void addPieces(const OptionSet& options, char separator, LinePieces& line) const;
  constexpr void eachControl(auto each) const { each(position); }
};

struct Stepping {
  double step;
  double lower;
  double upper;
  double start;  // also the value that adds no piece
};

// A number text moved by a pair of arrow buttons within its limits, shown in its label. Its
// controls are the label and the two arrows, which speak `spoken` and what each is.
struct SteppedValue {
  std::string OptionSet::*value;
  std::string OptionSet::*label;
  Key key;
  std::string_view option;
  Stepping stepping;
  std::string_view spoken;

  static constexpr bool kStoresNumber = true;
  void take(const OptionSet& options, std::string& value) const;
  void apply(OptionSet& options, const std::string& text, char separator) const;
  void addPieces(const OptionSet& options, char separator, LinePieces& line) const;
  constexpr void eachControl(auto each) const {
    each(label);
    each(*this);
  }
};

// The custom resolution: a check box that adds its option with the two texts joined by "x",
// and switches the two text boxes on and off. The file does not keep it.
struct CustomResolution {
  CheckBox OptionSet::*box;
  std::string OptionSet::*width;
  std::string OptionSet::*height;
  std::string_view option;

  static constexpr std::string_view kWarning = {};
  void addPieces(const OptionSet& options, char separator, LinePieces& line) const;
  constexpr void eachControl(auto each) const {
    each(box);
    each(width);
    each(height);
  }
  // The controls the box switches on and off, and what clearing the box does to them.
  constexpr bool switches(std::string OptionSet::*text) const {
    return text == width || text == height;
  }
  constexpr bool switches(auto) const { return false; }
  void switchOff(OptionSet& options) const;
};

// The VGA frequency: option buttons that a check box switches on, after a warning, and off,
// turning them all off. The file does not keep them; the numbers only order the group.
struct FrequencyGroup {
  CheckBox OptionSet::*box;
  std::span<const Choice> choices;

  static constexpr std::string_view kWarning =
      "THE FREQUENCIES USED MIGHT BE WAY OUTSIDE OF YOUR MONITOR RANGE, AND COULD EVEN DAMAGE "
      "IT. USE THESE OPTIONS AT YOUR OWN RISK.";
  void addPieces(const OptionSet& options, char separator, LinePieces& line) const;
  constexpr void eachControl(auto each) const {
    each(box);
    for (const Choice& choice : choices) each(choice.button);
  }
  constexpr bool switches(OptionButton OptionSet::*button) const {
    return std::ranges::find(choices, button, &Choice::button) != choices.end();
  }
  constexpr bool switches(auto) const { return false; }
  void switchOff(OptionSet& options) const;
};

// A key fed by no control: written back as last loaded.
struct CarriedOver {
  Key key;

  static constexpr bool kStoresNumber = false;
  void take(const OptionSet&, std::string&) const {}
  void apply(OptionSet&, const std::string&, char) const {}
  void addPieces(const OptionSet&, char, LinePieces&) const {}
  constexpr void eachControl(auto) const {}
};

// The MAME executable's name, kept as text as it stands; the line starts with it.
struct Executable {
  std::string OptionSet::*name;
  Key key;

  static constexpr bool kStoresNumber = false;
  void take(const OptionSet& options, std::string& value) const { value = options.*name; }
  void apply(OptionSet& options, const std::string& text, char) const { options.*name = text; }
  void addPieces(const OptionSet&, char, LinePieces&) const {}
  constexpr void eachControl(auto) const {}
};

using Option = std::variant<Box, InvertedBox, Group, Slider, List, SteppedValue, CustomResolution,
                            FrequencyGroup, CarriedOver, Executable>;

// A kind the settings file keeps under a key, and one that switches other controls.
template <typename Kind>
concept Kept = requires(const Kind& kind, const OptionSet& options, std::string& value) {
  kind.key;
  kind.take(options, value);
};
template <typename Kind>
concept Switching = requires(const Kind& kind, OptionSet& options) {
  kind.switchOff(options);
};

namespace rows {
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
constexpr Piece kWhenClear = Piece::WhenClear;
constexpr Piece kListing = Piece::Listing;

// The stepped values stand apart so that the layout's arrow buttons can name them.
// clang-format off
inline constexpr SteppedValue kGammaSteps{&O::gamma, &O::vidgammal, {kVideo, "gamma"}, "-gamma", {0.1, 0.5, 2, 1.2}, "Gamma"};
inline constexpr SteppedValue kBeamSteps{&O::beam, &O::beaml, {kVideo, "beam"}, "-beam", {1, 1, 16, 1}, "Vector width"};
inline constexpr SteppedValue kFlickerSteps{&O::flicker, &O::flickerl, {kVideo, "flicker"}, "-flicker", {1, 0, 100, 0}, "Vector flicker"};
inline constexpr SteppedValue kVolumeSteps{&O::volume, &O::sndvoltxt, {kAudio, "volume"}, "-volume", {1, -12, 0, 0}, "Volume"};

inline constexpr Option kOptions[] = {
    // The Video tab.
    Group{kTweak, {kVideo, "tweak"}},
    Group{kVesa, {kVideo, "vesa"}},
    Box{&O::vidscanlines, "-noscanlines ", {kVideo, "scanlines"}, kWhenClear},
    Box{&O::vidvsync, "-vsync ", {kVideo, "vsync"}},
    Box{&O::vidror, "-ror ", {kVideo, "ror"}},
    Box{&O::vidrol, "-rol ", {kVideo, "rol"}},
    Group{kDepth, {kVideo, "depth"}},
    Box{&O::vidntsc, "-ntsc ", {kVideo, "ntsc"}},
    Group{kMonitor, {kVideo, "monitor"}},
    CustomResolution{&O::vidreson, &O::vidresx, &O::vidresy, "-resolution"},
    CarriedOver{{kVideo, "resx"}},
    CarriedOver{{kVideo, "resy"}},
    kGammaSteps,
    // The Video 2 tab.
    CarriedOver{{kVideo, "vgafreq"}},
    FrequencyGroup{&O::vgafreqe, kVgaFrequency},
    InvertedBox{&O::stretche, "-nostretch ", {kVideo, "stretch"}},
    Box{&O::tripbufe, "-triplebuffer ", {kVideo, "triplebuf"}},
    Box{&O::orfx, "-flipx ", {kVideo, "flipx"}},
    Box{&O::orfy, "-flipy ", {kVideo, "flipy"}},
    Box{&O::orrof, "-norotate ", {kVideo, "rotate"}},
    InvertedBox{&O::antid, "-noantialias ", {kVideo, "antialias"}},
    InvertedBox{&O::transd, "-notranslucency ", {kVideo, "transparent"}},
    Slider{&O::fsslid, {kVideo, "frameskip"}, "-frameskip", 0, 11},
    Box{&O::ase, "-alwayssynced ", {kVideo, "synced"}},
    Box{&O::wie, "-waitinterlace ", {kVideo, "waitil"}},
    kBeamSteps,
    kFlickerSteps,
    // The Audio tab.
    Group{kSoundCard, {kAudio, "sndcard"}},
    Group{kSampleRate, {kAudio, "sndrate"}},
    Group{kSampleBits, {kAudio, "sndbit"}},
    Group{kStereo, {kAudio, "stereo"}},
    Group{kYm3812, {kAudio, "ym3812"}},
    kVolumeSteps,
    // The Misc tab.
    List{&O::JoyList, {kMisc, "joy"}, kJoysticks},
    Box{&O::logc, "-log "},
    Box{&O::dispvercpyc, "-help ", {}, kListing},
    Box{&O::listsupc, "-list ", {}, kListing},
    Box{&O::gmdirdescc, "-listfull ", {}, kListing},
    Box{&O::reqromc, "-listroms ", {}, kListing},
    Box{&O::reqsampc, "-listsamples ", {}, kListing},
    Box{&O::selgmhrddrivc, "-listdetails ", {}, kListing},
    Box{&O::supgmmakeyrc, "-listgames ", {}, kListing},
    Box{&O::supgmdetc, "-listinfo ", {}, kListing},
    Box{&O::selgmclnc, "-listclones ", {}, kListing},
    Box{&O::chkinvmisromc, "-verifyroms ", {}, kListing},
    Box{&O::chkmissampc, "-verifysamples ", {}, kListing},
    Box{&O::dmousec, "-nomouse ", {kMisc, "nomouse"}},
    // Kestro Setup.
    Executable{&O::mame, {Section::Exe, "exe"}},
};
// clang-format on
}  // namespace rows
using rows::kOptions;

// The settings key of a row; an empty name for a row the file does not keep.
constexpr Key keyOf(const Option& row) {
  return std::visit(
      []<typename Kind>(const Kind& kind) {
        if constexpr (Kept<Kind>) {
          return kind.key;
        } else {
          return Key{};
        }
      },
      row);
}

// A group has two members at least, and a stepped value starts inside its limits.
constexpr bool rowIsWhole(const Option& row) {
  if (const auto* group = std::get_if<Group>(&row)) return group->choices.size() >= 2;
  if (const auto* stepped = std::get_if<SteppedValue>(&row)) {
    const Stepping& limits = stepped->stepping;
    return limits.lower <= limits.start && limits.start <= limits.upper;
  }
  return true;
}
static_assert(std::ranges::all_of(kOptions, rowIsWhole));

// The row of the given kind whose field `field` holds `value`, or nullptr.
template <typename Kind, typename Field>
constexpr const Kind* findRow(Field Kind::*field, const Field& value) {
  for (const Option& row : kOptions) {
    const Kind* kind = std::get_if<Kind>(&row);
    if (kind != nullptr && kind->*field == value) return kind;
  }
  return nullptr;
}

// The buttons of the group that holds `button`; empty when none does.
std::span<const Choice> groupOf(OptionButton OptionSet::*button);

// Turning a button on turns every other member of its group off; turning it off leaves the
// group with no member on.
void setOptionButton(OptionSet& options, OptionButton OptionSet::*button, bool on);

}  // namespace kestro::core
