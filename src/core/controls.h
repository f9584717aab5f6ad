// The option controls as data: each named field of the option set, and the ten groups of
// option buttons. The window binds widgets by these names; the groups decide which
// buttons switch each other off.
#pragma once

#include <span>
#include <string_view>

#include "core/optionset.h"

namespace kestro::core {

template <typename Value>
struct Field {
  std::string_view name;
  Value OptionSet::*member;
};

using CheckBoxField = Field<CheckBox>;
using OptionButtonField = Field<OptionButton>;
using TextField = Field<std::string>;

#define KESTRO_FIELD(name) {#name, &OptionSet::name}

inline constexpr CheckBoxField kCheckBoxes[] = {
    KESTRO_FIELD(vidreson),      KESTRO_FIELD(vidntsc),       KESTRO_FIELD(vidscanlines),
    KESTRO_FIELD(vidvsync),      KESTRO_FIELD(vidror),        KESTRO_FIELD(vidrol),
    KESTRO_FIELD(vgafreqe),      KESTRO_FIELD(stretche),      KESTRO_FIELD(tripbufe),
    KESTRO_FIELD(antid),         KESTRO_FIELD(transd),        KESTRO_FIELD(orfx),
    KESTRO_FIELD(orfy),          KESTRO_FIELD(orrof),         KESTRO_FIELD(ase),
    KESTRO_FIELD(wie),           KESTRO_FIELD(logc),          KESTRO_FIELD(dmousec),
    KESTRO_FIELD(dispvercpyc),   KESTRO_FIELD(listsupc),      KESTRO_FIELD(gmdirdescc),
    KESTRO_FIELD(reqromc),       KESTRO_FIELD(reqsampc),      KESTRO_FIELD(selgmhrddrivc),
    KESTRO_FIELD(supgmmakeyrc),  KESTRO_FIELD(supgmdetc),     KESTRO_FIELD(selgmclnc),
    KESTRO_FIELD(chkinvmisromc), KESTRO_FIELD(chkmissampc),
};

inline constexpr TextField kTextBoxes[] = {KESTRO_FIELD(vidresx), KESTRO_FIELD(vidresy)};

// A group is the set of option buttons inside one frame, named after the frame.
struct OptionGroup {
  std::string_view frame;
  std::span<const OptionButtonField> members;
};

inline constexpr OptionButtonField kVidtweak[] = {KESTRO_FIELD(vidtweakon),
                                                  KESTRO_FIELD(vidtweakoff)};
inline constexpr OptionButtonField kViddep[] = {KESTRO_FIELD(viddep1), KESTRO_FIELD(viddep2)};
inline constexpr OptionButtonField kVidvm[] = {KESTRO_FIELD(vidvesa1), KESTRO_FIELD(vidvesa2),
                                               KESTRO_FIELD(vidvesa3), KESTRO_FIELD(vidvesa4)};
inline constexpr OptionButtonField kVidmon[] = {KESTRO_FIELD(vidmon1), KESTRO_FIELD(vidmon2),
                                                KESTRO_FIELD(vidmon3), KESTRO_FIELD(vidmon4)};
inline constexpr OptionButtonField kVgafreqf[] = {KESTRO_FIELD(vgafreq0), KESTRO_FIELD(vgafreq1),
                                                  KESTRO_FIELD(vgafreq2), KESTRO_FIELD(vgafreq3)};
inline constexpr OptionButtonField kSndcard[] = {
    KESTRO_FIELD(snd1), KESTRO_FIELD(snd2), KESTRO_FIELD(snd3), KESTRO_FIELD(snd4),
    KESTRO_FIELD(snd5), KESTRO_FIELD(snd6), KESTRO_FIELD(snd7)};
inline constexpr OptionButtonField kSndrate[] = {KESTRO_FIELD(sndr1), KESTRO_FIELD(sndr2),
                                                 KESTRO_FIELD(sndr3)};
inline constexpr OptionButtonField kSndbit[] = {KESTRO_FIELD(sndb1), KESTRO_FIELD(sndb2)};
inline constexpr OptionButtonField kSndstereo[] = {KESTRO_FIELD(sndstereo1),
                                                   KESTRO_FIELD(sndstereo2)};
inline constexpr OptionButtonField kSndopl[] = {KESTRO_FIELD(sndoplon), KESTRO_FIELD(sndoploff)};

#undef KESTRO_FIELD

inline constexpr OptionGroup kOptionGroups[] = {
    {"vidtweak", kVidtweak}, {"viddep", kViddep},     {"vidvm", kVidvm},
    {"vidmon", kVidmon},     {"vgafreqf", kVgafreqf}, {"sndcard", kSndcard},
    {"sndrate", kSndrate},   {"sndbit", kSndbit},     {"sndstereo", kSndstereo},
    {"sndopl", kSndopl},
};

// The group that holds the button, or nullptr for a member of no group.
const OptionGroup* groupOf(OptionButton OptionSet::*button);
const OptionButtonField* optionButtonNamed(std::string_view name);

// Turning a button on turns every other member of its group off; turning it off
// leaves the group with no member on.
void setOptionButton(OptionSet& options, OptionButton OptionSet::*button, bool on);

}  // namespace kestro::core
