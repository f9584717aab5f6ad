// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's layout as data: every control of the six tabs, one row each, with its
// kind, the frame or tab that holds it, its caption, its place in twips, its font and what it
// is bound to: a field of the option set, a stepped value's arrow, a command or the pickers it
// shows. The window is built and bound by one loop over this table; what each kind of widget
// is made of and how it binds is one entry of the widget kinds' table (ui/binders.h), and what
// an option does is its kind's type in the option table (core/options.h).
#pragma once

#include <string_view>
#include <type_traits>
#include <variant>

#include "core/options.h"
#include "core/stepped.h"

namespace kestro::ui {

// 15 twips make one pixel at 96 dots per inch; Qt scales pixels on denser screens.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidthTwips = 6615;
inline constexpr int kClientHeightTwips = 5415;
// The tab strip took the top 529 twips of the tab control where the layout was drawn; a frame
// whose top lies inside it sits at the top edge of its page instead.
inline constexpr int kTabStripTwips = 529;

enum class Kind {
  TabControl,
  Tab,
  Frame,
  CheckBox,
  OptionButton,
  TextBox,
  Label,
  CentredLabel,
  ValueLabel,  // shows a stepped value: centred on white
  Button,
  ListBox,
  Slider,
  DriveList,
  FolderList,
  FileList,
};

enum class Font {
  Window,      // the window's own font
  Small,       // "Small Fonts" 6 pt
  SmallFrame,  // "Small Fonts" 6.75 pt: nested frames, Misc check boxes, tab captions
  Arrow,       // the arrow glyph of the up and down buttons, 15.75 pt
  GammaArrow,  // the same at 14.25 pt
};

// An arrow button: the stepped value it moves, and which way. Its accessible name is the
// value's own, with "up" or "down".
struct Step {
  const core::SteppedValue* stepped;
  core::StepDirection direction;
};

// What a push button with words does; the form has a handler for each.
enum class Command { RunMame, Minimize, Exit, SetExe, DefaultSettings, SaveSettings };

// Whose drive, folder and file lists a picker shows: the game's folder or MAME's.
enum class Picks { GameFolder, Mame };

// A check box, slider or list holds a whole number; an option button is on or off; a text
// box or a label shows a text. A push button steps a value or runs a command.
using Binding = std::variant<std::monostate, int core::OptionSet::*, bool core::OptionSet::*,
                             std::string core::OptionSet::*, Step, Command, Picks>;

struct Control {
  std::string_view name;
  Binding bound;
  Kind kind;
  std::string_view in;  // the frame, tab or tab control that holds it
  std::string_view caption;
  int left, top, width, height;  // twips from the top-left corner of `in`
  Font font;
  // The accessible name of a control without a caption; for a label that shows a value, which
  // it speaks, what the value is. A stepped value's label and arrows take their value's.
  std::string_view spoken = {};
  std::string_view labelledBy = {};  // the label beside a check box without a caption
};

// The control's name and the field of the same name, from one word: a wrong name does not
// compile.
#define KESTRO_BOUND(field) #field, &core::OptionSet::field

inline constexpr std::string_view kUp = "\u25B2";
inline constexpr std::string_view kDown = "\u25BC";

namespace rows {
using enum Kind;
using enum core::StepDirection;
using F = Font;
using O = core::OptionSet;
using core::rows::kBeamSteps;
using core::rows::kFlickerSteps;
using core::rows::kGammaSteps;
using core::rows::kVolumeSteps;

// A control on a tab is placed from the tab control's top-left corner, as a frame's
// controls are placed from the frame's.
// One row per control, its name and binding on its first line.
// clang-format off
inline constexpr Control kControls[] = {
    {"optiontabs", {}, TabControl, "", "", 240, 120, 6135, 5055, F::SmallFrame, "Options"},
    {"filetab", {}, Tab, "optiontabs", "File", 0, 0, 0, 0, F::SmallFrame},
    {"videotab", {}, Tab, "optiontabs", "Video", 0, 0, 0, 0, F::SmallFrame},
    {"video2tab", {}, Tab, "optiontabs", "Video 2", 0, 0, 0, 0, F::SmallFrame},
    {"audiotab", {}, Tab, "optiontabs", "Audio", 0, 0, 0, 0, F::SmallFrame},
    {"misctab", {}, Tab, "optiontabs", "Misc", 0, 0, 0, 0, F::SmallFrame},
    {"setuptab", {}, Tab, "optiontabs", "Kestro Setup", 0, 0, 0, 0, F::SmallFrame},

    // File
    {"RomDrive", Picks::GameFolder, DriveList, "filetab", "", 360, 600, 5415, 315, F::Window, "ROM drive"},
    {"RomDir", Picks::GameFolder, FolderList, "filetab", "", 360, 1080, 5415, 2790, F::Window, "ROM folders"},
    {KESTRO_BOUND(gamename), CentredLabel, "filetab",
     "Game name. Double click on the game's folder to select it.", 360, 4080, 5295, 255,
     F::Window},
    {"runmame", Command::RunMame, Button, "filetab", "Run Mame", 600, 4440, 1455, 375,
     F::Window},
    {"mini", Command::Minimize, Button, "filetab", "Minimize", 2520, 4440, 1095, 375,
     F::Window},
    {"exit", Command::Exit, Button, "filetab", "Exit", 4080, 4440, 1455, 375, F::Window},

    // Video
    {"res", {}, Frame, "videotab", "Resolution", 360, 600, 5415, 1335, F::Window},
    {"vidtweak", {}, Frame, "res", "Tweak Mode", 120, 240, 1455, 1095, F::SmallFrame},
    {KESTRO_BOUND(vidtweakon), OptionButton, "vidtweak", "Tweaked Mode", 120, 240, 1215, 255,
     F::Small},
    {KESTRO_BOUND(vidtweakoff), OptionButton, "vidtweak", "Regular Mode", 120, 600, 1215, 255,
     F::Small},
    {"vidres", {}, Frame, "res", "Custom Resulution", 1560, 240, 1455, 1095, F::SmallFrame},
    {KESTRO_BOUND(vidreson), CheckBox, "vidres", "Custom", 120, 240, 1215, 255, F::Small},
    {KESTRO_BOUND(vidresx), TextBox, "vidres", "", 120, 600, 495, 285, F::Window, "Custom resolution width"},
    {KESTRO_BOUND(vidresy), TextBox, "vidres", "", 840, 600, 495, 285, F::Window, "Custom resolution height"},
    {"vidresby", {}, Label, "vidres", "X", 600, 720, 255, 135, F::Small},
    {"viddep", {}, Frame, "res", "Color Depth", 3000, 240, 1455, 1095, F::SmallFrame},
    {KESTRO_BOUND(viddep1), OptionButton, "viddep", "8-Bit Color", 120, 240, 1215, 255, F::Small},
    {KESTRO_BOUND(viddep2), OptionButton, "viddep", "16-Bit Color", 120, 600, 1215, 255, F::Small},
    {KESTRO_BOUND(vidntsc), CheckBox, "res", "", 4820, 480, 255, 255, F::Small, "", "vidntscl"},
    {"vidntscl", {}, Label, "res", "Ntsc mode 288x224", 4560, 840, 735, 375, F::Small},
    {"vidvm", {}, Frame, "videotab", "Vesa Mode", 360, 2160, 1575, 1935, F::Window},
    {KESTRO_BOUND(vidvesa1), OptionButton, "vidvm", "Vesa 1", 240, 360, 1095, 255, F::Small},
    {KESTRO_BOUND(vidvesa2), OptionButton, "vidvm", "Vesa 2B", 240, 720, 1095, 255, F::Small},
    {KESTRO_BOUND(vidvesa3), OptionButton, "vidvm", "Vesa 2L", 240, 1080, 1095, 255, F::Small},
    {KESTRO_BOUND(vidvesa4), OptionButton, "vidvm", "Vesa 3", 240, 1440, 1095, 255, F::Small},
    {"vidgamma", {}, Frame, "videotab", "Gamma", 2280, 2160, 1575, 1935, F::Window},
    {KESTRO_BOUND(vidgammal), ValueLabel, "vidgamma", "", 240, 360, 1095, 255, F::Window},
    {"vidgamup", Step{&kGammaSteps, Up}, Button, "vidgamma", kUp, 600, 840, 375, 375, F::GammaArrow},
    {"vidgamdn", Step{&kGammaSteps, Down}, Button, "vidgamma", kDown, 600, 1320, 375, 375,
     F::GammaArrow},
    {"vidmon", {}, Frame, "videotab", "Monitor Type", 4200, 2160, 1575, 1935, F::Window},
    {KESTRO_BOUND(vidmon1), OptionButton, "vidmon", "Standard", 240, 360, 1095, 255, F::Small},
    {KESTRO_BOUND(vidmon2), OptionButton, "vidmon", "NTSC", 240, 720, 1095, 255, F::Small},
    {KESTRO_BOUND(vidmon3), OptionButton, "vidmon", "PAL", 240, 1080, 1095, 255, F::Small},
    {KESTRO_BOUND(vidmon4), OptionButton, "vidmon", "Arcade", 240, 1440, 1095, 255, F::Small},
    {KESTRO_BOUND(vidscanlines), CheckBox, "videotab", "", 840, 4200, 255, 255, F::Small, "",
     "vidscanlinesl"},
    {KESTRO_BOUND(vidvsync), CheckBox, "videotab", "", 2280, 4200, 255, 255, F::Small, "",
     "vidvsyncl"},
    {KESTRO_BOUND(vidror), CheckBox, "videotab", "", 3650, 4200, 255, 255, F::Small, "", "vidrorl"},
    {KESTRO_BOUND(vidrol), CheckBox, "videotab", "", 5040, 4200, 255, 255, F::Small, "", "Label1"},
    {"vidscanlinesl", {}, Label, "videotab", "Scan Lines ON/OFF", 240, 4560, 1455, 255, F::Small},
    {"vidvsyncl", {}, Label, "videotab", "Vsync ON/OFF", 1680, 4560, 1335, 255, F::Small},
    {"vidrorl", {}, Label, "videotab", "Rotate 90\u00B0 CW", 3240, 4560, 975, 255, F::Small},
    {"Label1", {}, Label, "videotab", "Rotate 90\u00B0 CCW", 4560, 4560, 1095, 255, F::Small},

    // Video 2
    {"Frame1", {}, Frame, "video2tab", "Misc Video Options", 240, 600, 5655, 4215, F::Window},
    {"vgafreqf", {}, Frame, "Frame1", "VGA Frequency", 240, 360, 1215, 1335, F::SmallFrame},
    {KESTRO_BOUND(vgafreq0), OptionButton, "vgafreqf", "0", 600, 240, 495, 255, F::Window},
    {KESTRO_BOUND(vgafreqe), CheckBox, "vgafreqf", "", 200, 360, 255, 195, F::Small, "",
     "vgafreql"},
    {KESTRO_BOUND(vgafreq1), OptionButton, "vgafreqf", "1", 600, 480, 495, 255, F::Window},
    {"vgafreql", {}, Label, "vgafreqf", "Use freq change", 120, 600, 375, 495, F::Small},
    {KESTRO_BOUND(vgafreq2), OptionButton, "vgafreqf", "2", 600, 720, 375, 255, F::Window},
    {KESTRO_BOUND(vgafreq3), OptionButton, "vgafreqf", "3", 600, 960, 375, 255, F::Window},
    {"vmof", {}, Frame, "Frame1", "Vesa Mode options", 1560, 360, 2535, 1335, F::SmallFrame},
    {KESTRO_BOUND(stretche), CheckBox, "vmof", "", 600, 360, 255, 255, F::Small, "", "strtchl"},
    {KESTRO_BOUND(tripbufe), CheckBox, "vmof", "", 1780, 360, 255, 255, F::Small, "", "tripbufl"},
    {"strtchl",
     {}, Label, "vmof", "  Disable   Stretch mode (pixel doubling)", 240, 600, 855, 495, F::Small},
    {"tripbufl", {}, Label, "vmof", "Triple Buffering On / Off", 1440, 720, 855, 375, F::Small},
    {"vecof", {}, Frame, "Frame1", "Vector options", 4200, 360, 1215, 3615, F::SmallFrame},
    {KESTRO_BOUND(antid), CheckBox, "vecof", "Disable Antialiasing", 120, 240, 975, 375, F::Small},
    {KESTRO_BOUND(transd), CheckBox, "vecof", "Disable Translucency", 120, 720, 975, 375, F::Small},
    {"Label3", {}, Label, "vecof", "Vector width", 120, 1320, 975, 135, F::Small},
    {KESTRO_BOUND(beaml), ValueLabel, "vecof", "", 120, 1440, 975, 255, F::Window},
    {"bup", Step{&kBeamSteps, Up}, Button, "vecof", kUp, 120, 1800, 375, 375, F::Arrow},
    {"bdown", Step{&kBeamSteps, Down}, Button, "vecof", kDown, 720, 1800, 375, 375, F::Arrow},
    {"Label2", {}, Label, "vecof", "Vector Flicker", 120, 2520, 975, 135, F::Small},
    {KESTRO_BOUND(flickerl), ValueLabel, "vecof", "", 120, 2640, 975, 255, F::Window},
    {"flup", Step{&kFlickerSteps, Up}, Button, "vecof", kUp, 120, 3000, 375, 375, F::Arrow},
    {"fldown", Step{&kFlickerSteps, Down}, Button, "vecof", kDown, 720, 3000, 375, 375, F::Arrow},
    {"orf", {}, Frame, "Frame1", "Orientation", 240, 1800, 1215, 2175, F::SmallFrame},
    {KESTRO_BOUND(orfx), CheckBox, "orf", "Flip Display Horizontally", 120, 360, 975, 400,
     F::Small},
    {KESTRO_BOUND(orfy), CheckBox, "orf", "Flip Display Vertically", 120, 960, 975, 400, F::Small},
    {KESTRO_BOUND(orrof), CheckBox, "orf", "Disable Display Rotation", 120, 1560, 975, 400,
     F::Small},
    {"fsl",
     {}, Label, "Frame1", "          Frame Skip: 0-Auto             11-Max", 2280, 1920, 1215, 375,
     F::Small},
    {KESTRO_BOUND(fsslid), Slider, "Frame1", "", 2280, 2280, 1215, 495, F::Small, "Frame skip"},
    {KESTRO_BOUND(ase), CheckBox, "Frame1", "Always Synced", 2280, 3000, 1215, 255, F::Small},
    {KESTRO_BOUND(wie), CheckBox, "Frame1", "Wait for Interlace", 2280, 3600, 1215, 255, F::Small},

    // Audio
    {"sndcard", {}, Frame, "audiotab", "Sound Card", 360, 600, 1335, 2775, F::Window},
    {KESTRO_BOUND(snd1), OptionButton, "sndcard", "None", 120, 240, 1095, 255, F::Small},
    {KESTRO_BOUND(snd2), OptionButton, "sndcard", "Sound Blaster", 120, 600, 1095, 255, F::Small},
    {KESTRO_BOUND(snd3), OptionButton, "sndcard", "Pro Audio Spectrum", 120, 960, 1095, 255,
     F::Small},
    {KESTRO_BOUND(snd4), OptionButton, "sndcard", "Ultrasound Max", 120, 1320, 1095, 255, F::Small},
    {KESTRO_BOUND(snd5), OptionButton, "sndcard", "Ultrasound", 120, 1680, 1095, 255, F::Small},
    {KESTRO_BOUND(snd6), OptionButton, "sndcard", "Win Sound System", 120, 2040, 1095, 255,
     F::Small},
    {KESTRO_BOUND(snd7), OptionButton, "sndcard", "Ensoniq Soundscape", 120, 2400, 975, 255,
     F::Small},
    {"sndbit", {}, Frame, "audiotab", "Sample Bits", 1920, 600, 1335, 975, F::Window},
    {KESTRO_BOUND(sndb1), OptionButton, "sndbit", "8-Bit Samples", 120, 240, 1095, 255, F::Small},
    {KESTRO_BOUND(sndb2), OptionButton, "sndbit", "16-Bit Samples", 120, 600, 1095, 255, F::Small},
    {"sndopl", {}, Frame, "audiotab", "YM3812 opl", 3480, 600, 1335, 975, F::Window},
    {KESTRO_BOUND(sndoplon), OptionButton, "sndopl", "Enabled", 120, 240, 1095, 255, F::Small},
    {KESTRO_BOUND(sndoploff), OptionButton, "sndopl", "Disabled", 120, 600, 1095, 255, F::Small},
    {"sndstereo", {}, Frame, "audiotab", "Stereo", 1920, 1800, 1335, 975, F::Window},
    {KESTRO_BOUND(sndstereo1), OptionButton, "sndstereo", "Stereo ON", 120, 240, 1095, 255,
     F::Small},
    {KESTRO_BOUND(sndstereo2), OptionButton, "sndstereo", "Stereo OFF", 120, 600, 1095, 255,
     F::Small},
    {"sndvol", {}, Frame, "audiotab", "Volume", 1920, 3000, 1335, 1695, F::Window},
    {KESTRO_BOUND(sndvoltxt), ValueLabel, "sndvol", "", 240, 240, 855, 255, F::Window},
    {"sndvolup", Step{&kVolumeSteps, Up}, Button, "sndvol", kUp, 480, 600, 375, 375, F::Arrow},
    {"sndvoldn", Step{&kVolumeSteps, Down}, Button, "sndvol", kDown, 480, 1080, 375, 375, F::Arrow},
    {"sndrate", {}, Frame, "audiotab", "Sample Rate", 360, 3600, 1335, 1095, F::Window},
    {KESTRO_BOUND(sndr1), OptionButton, "sndrate", "11025 Khz", 120, 240, 1095, 255, F::Small},
    {KESTRO_BOUND(sndr2), OptionButton, "sndrate", "22050 Khz", 120, 480, 1095, 255, F::Small},
    {KESTRO_BOUND(sndr3), OptionButton, "sndrate", "41100 Khz", 120, 720, 1095, 255, F::Small},

    // Misc
    {"joyf", {}, Frame, "misctab", "Joystick", 240, 480, 2295, 4335, F::Window},
    {KESTRO_BOUND(JoyList), ListBox, "joyf", "", 240, 360, 1815, 3765, F::Window, "Joystick"},
    {"otherf", {}, Frame, "misctab", "Other Settings", 2760, 480, 3135, 4335, F::Window},
    {KESTRO_BOUND(logc), CheckBox, "otherf", "Log", 240, 360, 1215, 255, F::SmallFrame},
    {KESTRO_BOUND(dmousec), CheckBox, "otherf", "Disable mouse", 1680, 360, 1215, 255,
     F::SmallFrame},
    {KESTRO_BOUND(dispvercpyc), CheckBox, "otherf", "Display version + copyright info", 240, 600,
     2655, 255, F::SmallFrame},
    {KESTRO_BOUND(listsupc), CheckBox, "otherf", "List supported games", 240, 840, 2655, 255,
     F::SmallFrame},
    {KESTRO_BOUND(gmdirdescc), CheckBox, "otherf", "List game directory + description", 240, 1080,
     2655, 255, F::SmallFrame},
    {KESTRO_BOUND(reqromc), CheckBox, "otherf", "Selected games' required roms.", 240, 1320, 2655,
     255, F::SmallFrame},
    {KESTRO_BOUND(reqsampc), CheckBox, "otherf", "Selected games' required samples", 240, 1560,
     2535, 255, F::SmallFrame},
    {KESTRO_BOUND(selgmhrddrivc), CheckBox, "otherf", "Selected games' hardware + drivers", 240,
     1800, 2655, 255, F::SmallFrame},
    {KESTRO_BOUND(supgmmakeyrc), CheckBox, "otherf", "List supported games + maker, year", 240,
     2040, 2655, 255, F::SmallFrame},
    {KESTRO_BOUND(supgmdetc), CheckBox, "otherf", "List supported games' in depth details", 240,
     2280, 2655, 255, F::SmallFrame},
    {KESTRO_BOUND(selgmclnc), CheckBox, "otherf", "List the clones of the selected game", 240,
     2520, 2655, 255, F::SmallFrame},
    {KESTRO_BOUND(chkinvmisromc), CheckBox, "otherf",
     "Check the selected game for invalid / missing roms", 240, 2760, 2655, 375, F::SmallFrame},
    {KESTRO_BOUND(chkmissampc), CheckBox, "otherf", "Check the selected game for missing samples",
     240, 3120, 2655, 375, F::SmallFrame},

    // Kestro Setup
    {"mamefindl", {}, Label, "setuptab", "Find Mame executable", 2040, 840, 2055, 375, F::Window},
    {"MameDrive", Picks::Mame, DriveList, "setuptab", "", 240, 1320, 2775, 315, F::Window, "MAME drive"},
    {"MameFile", Picks::Mame, FileList, "setuptab", "", 3120, 1320, 2775, 2040, F::Window, "MAME executables"},
    {"MameDir", Picks::Mame, FolderList, "setuptab", "", 240, 1680, 2775, 1665, F::Window, "MAME folders"},
    {"exeset", Command::SetExe, Button, "setuptab", "Set EXE", 240, 4080, 1815, 375,
     F::Window},
    {"loaddef", Command::DefaultSettings, Button, "setuptab", "Default Settings", 2280, 4080,
     1575, 375, F::Window},
    {"saveset", Command::SaveSettings, Button, "setuptab", "Save Settings", 4080, 4080, 1815,
     375, F::Window},
};
// clang-format on
}  // namespace rows
using rows::kControls;

#undef KESTRO_BOUND

template <typename Member>
constexpr int timesBound(Member member) {
  int times = 0;
  for (const Control& row : kControls) {
    const Member* bound = std::get_if<Member>(&row.bound);
    if (bound != nullptr && *bound == member) ++times;
  }
  return times;
}

constexpr int timesStepped(const core::SteppedValue& stepped, core::StepDirection direction) {
  int times = 0;
  for (const Control& row : kControls) {
    const Step* step = std::get_if<Step>(&row.bound);
    if (step != nullptr && step->stepped->value == stepped.value && step->direction == direction) {
      ++times;
    }
  }
  return times;
}

// Every control of the option table has exactly one widget, and each stepped value its two
// arrows.
constexpr bool everyOptionBoundOnce() {
  bool once = true;
  const auto boundOnce = [&once]<typename Field>(const Field& field) {
    if constexpr (std::is_same_v<Field, core::SteppedValue>) {
      once = once && timesStepped(field, core::StepDirection::Up) == 1 &&
             timesStepped(field, core::StepDirection::Down) == 1;
    } else {
      once = once && timesBound(field) == 1;
    }
  };
  for (const core::Option& option : core::kOptions) {
    std::visit([&](const auto& kind) { kind.eachControl(boundOnce); }, option);
  }
  return once;
}

static_assert(everyOptionBoundOnce());

}  // namespace kestro::ui
