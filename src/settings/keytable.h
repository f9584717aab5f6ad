// The settings file's keys, one row each, in the order the save writes them and the loads
// read them. Each row says where the key lives, which remembered value carries it and how
// its control maps to the stored value; the save and both loads are loops over this table.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/optionset.h"

namespace kestro::settings {

// The section a key belongs to; the profile being saved or loaded names it.
enum class Section { Video, Audio, Misc, Exe };

enum class KeyKind {
  Choice,         // option group of more than two: the chosen button's value, else remembered
  Pair,           // option group of two: the first button's value when on, else the second's
  Check,          // check box: its state
  InvertedCheck,  // check box that disables a feature: 1 when clear, 0 when ticked
  Slider,         // whole number, the slider's position
  List,           // whole number, the list's selected index
  Stepped,        // a stepped value's text, shown in its label
  CarriedOver,    // fed by no control: written back as last loaded
  Exe,            // the MAME executable's name, text as it stands
};

struct ChoiceValue {
  core::OptionButton core::OptionSet::*button;
  int value;
};

struct KeyRow {
  Section section;
  std::string_view key;
  // The remembered value; nullptr for flipx, whose value lives only for one save or load.
  std::string core::OptionSet::*remembered;
  KeyKind kind;
  std::span<const ChoiceValue> choices = {};
  core::CheckBox core::OptionSet::*checkBox = nullptr;
  int core::OptionSet::*position = nullptr;  // slider or list
  int lowest = 0;
  int highest = 0;
  std::string core::OptionSet::*text = nullptr;   // stepped value
  std::string core::OptionSet::*label = nullptr;  // its label
};

using core::OptionSet;

inline constexpr ChoiceValue kTweakValues[] = {{&OptionSet::vidtweakon, 1},
                                               {&OptionSet::vidtweakoff, 0}};
inline constexpr ChoiceValue kVesaValues[] = {{&OptionSet::vidvesa1, 1},
                                              {&OptionSet::vidvesa2, 2},
                                              {&OptionSet::vidvesa3, 3},
                                              {&OptionSet::vidvesa4, 4}};
inline constexpr ChoiceValue kDepthValues[] = {{&OptionSet::viddep1, 8}, {&OptionSet::viddep2, 16}};
inline constexpr ChoiceValue kMonitorValues[] = {{&OptionSet::vidmon1, 1},
                                                 {&OptionSet::vidmon2, 2},
                                                 {&OptionSet::vidmon3, 3},
                                                 {&OptionSet::vidmon4, 4}};
// Sound cards skip 2: the seven buttons stand for 0, 1, 3, 4, 5, 6 and 7.
inline constexpr ChoiceValue kSndcardValues[] = {
    {&OptionSet::snd1, 0}, {&OptionSet::snd2, 1}, {&OptionSet::snd3, 3}, {&OptionSet::snd4, 4},
    {&OptionSet::snd5, 5}, {&OptionSet::snd6, 6}, {&OptionSet::snd7, 7}};
inline constexpr ChoiceValue kSndrateValues[] = {
    {&OptionSet::sndr1, 11025}, {&OptionSet::sndr2, 22050}, {&OptionSet::sndr3, 44100}};
inline constexpr ChoiceValue kSndbitValues[] = {{&OptionSet::sndb1, 8}, {&OptionSet::sndb2, 16}};
inline constexpr ChoiceValue kStereoValues[] = {{&OptionSet::sndstereo1, 1},
                                                {&OptionSet::sndstereo2, 0}};
inline constexpr ChoiceValue kYm3812Values[] = {{&OptionSet::sndoplon, 1},
                                                {&OptionSet::sndoploff, 0}};

constexpr KeyRow choice(Section section, std::string_view key, std::string OptionSet::*remembered,
                        std::span<const ChoiceValue> values) {
  return {section, key, remembered, values.size() > 2 ? KeyKind::Choice : KeyKind::Pair, values};
}
constexpr KeyRow check(std::string_view key, std::string OptionSet::*remembered,
                       core::CheckBox OptionSet::*box, KeyKind kind = KeyKind::Check) {
  return {.section = Section::Video,
          .key = key,
          .remembered = remembered,
          .kind = kind,
          .checkBox = box};
}
constexpr KeyRow stepped(Section section, std::string_view key, std::string OptionSet::*remembered,
                         std::string OptionSet::*text, std::string OptionSet::*label) {
  return {.section = section,
          .key = key,
          .remembered = remembered,
          .kind = KeyKind::Stepped,
          .text = text,
          .label = label};
}
constexpr KeyRow carriedOver(std::string_view key, std::string OptionSet::*remembered) {
  return {.section = Section::Video,
          .key = key,
          .remembered = remembered,
          .kind = KeyKind::CarriedOver};
}

constexpr KeyRow inSection(KeyRow row, Section section) {
  row.section = section;
  return row;
}

inline constexpr KeyRow kKeyTable[] = {
    choice(Section::Video, "tweak", &OptionSet::tweaki, kTweakValues),
    choice(Section::Video, "vesa", &OptionSet::vesai, kVesaValues),
    check("scanlines", &OptionSet::scanlinesi, &OptionSet::vidscanlines),
    check("vsync", &OptionSet::vsynci, &OptionSet::vidvsync),
    check("ror", &OptionSet::rori, &OptionSet::vidror),
    check("rol", &OptionSet::roli, &OptionSet::vidrol),
    choice(Section::Video, "depth", &OptionSet::depthi, kDepthValues),
    check("ntsc", &OptionSet::ntsci, &OptionSet::vidntsc),
    choice(Section::Video, "monitor", &OptionSet::monitori, kMonitorValues),
    carriedOver("resx", &OptionSet::resxi),
    carriedOver("resy", &OptionSet::resyi),
    stepped(Section::Video, "gamma", &OptionSet::gammai, &OptionSet::gamma, &OptionSet::vidgammal),
    carriedOver("vgafreq", &OptionSet::vgafreqi),
    check("stretch", &OptionSet::stretchi, &OptionSet::stretche, KeyKind::InvertedCheck),
    check("triplebuf", &OptionSet::triplebufi, &OptionSet::tripbufe),
    check("flipx", nullptr, &OptionSet::orfx),
    check("flipy", &OptionSet::flipyi, &OptionSet::orfy),
    check("rotate", &OptionSet::rotatei, &OptionSet::orrof),
    check("antialias", &OptionSet::antialiasi, &OptionSet::antid, KeyKind::InvertedCheck),
    check("transparent", &OptionSet::transparenti, &OptionSet::transd, KeyKind::InvertedCheck),
    {.section = Section::Video,
     .key = "frameskip",
     .remembered = &OptionSet::frameskipi,
     .kind = KeyKind::Slider,
     .position = &OptionSet::fsslid,
     .lowest = 0,
     .highest = 11},
    check("synced", &OptionSet::syncedi, &OptionSet::ase),
    check("waitil", &OptionSet::waitili, &OptionSet::wie),
    stepped(Section::Video, "beam", &OptionSet::beami, &OptionSet::beam, &OptionSet::beaml),
    stepped(Section::Video, "flicker", &OptionSet::flickeri, &OptionSet::flicker,
            &OptionSet::flickerl),
    choice(Section::Audio, "sndcard", &OptionSet::sndcardi, kSndcardValues),
    choice(Section::Audio, "sndrate", &OptionSet::sndratei, kSndrateValues),
    choice(Section::Audio, "sndbit", &OptionSet::sndbiti, kSndbitValues),
    choice(Section::Audio, "stereo", &OptionSet::stereoi, kStereoValues),
    choice(Section::Audio, "ym3812", &OptionSet::ym3812i, kYm3812Values),
    stepped(Section::Audio, "volume", &OptionSet::volumei, &OptionSet::volume,
            &OptionSet::sndvoltxt),
    {.section = Section::Misc,
     .key = "joy",
     .remembered = &OptionSet::joyi,
     .kind = KeyKind::List,
     .position = &OptionSet::JoyList,
     .lowest = -1,
     .highest = 24},
    inSection(check("nomouse", &OptionSet::mousei, &OptionSet::dmousec), Section::Misc),
    {.section = Section::Exe, .key = "exe", .remembered = &OptionSet::mame, .kind = KeyKind::Exe},
};

// The section names of one profile; the default profile has no executable section.
struct Profile {
  std::string_view video;
  std::string_view audio;
  std::string_view misc;
  std::string_view exe;  // empty: the profile does not hold the executable

  std::string_view operator[](Section section) const {
    switch (section) {
      case Section::Video:
        return video;
      case Section::Audio:
        return audio;
      case Section::Misc:
        return misc;
      case Section::Exe:
        return exe;
    }
    return {};
  }
};

inline constexpr Profile kUserProfile{"UserSettingsVid", "UserSettingsAud", "UserSettingsMisc",
                                      "EXE"};
inline constexpr Profile kDefaultProfile{"DefaultVid", "DefaultAud", "DefaultMisc", ""};

}  // namespace kestro::settings
