// Settings files to test and measure the profile access on: the 34 keys the program saves,
// in the order it saves them, and the default sections that come with the program.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/profile.h"

namespace kestro::test {

struct SavedKey {
  const char* section;
  const char* key;
};

inline constexpr std::array<SavedKey, 34> kSavedKeys = {{
    {"UserSettingsVid", "tweak"},     {"UserSettingsVid", "vesa"},
    {"UserSettingsVid", "scanlines"}, {"UserSettingsVid", "vsync"},
    {"UserSettingsVid", "ror"},       {"UserSettingsVid", "rol"},
    {"UserSettingsVid", "depth"},     {"UserSettingsVid", "ntsc"},
    {"UserSettingsVid", "monitor"},   {"UserSettingsVid", "resx"},
    {"UserSettingsVid", "resy"},      {"UserSettingsVid", "gamma"},
    {"UserSettingsVid", "vgafreq"},   {"UserSettingsVid", "stretch"},
    {"UserSettingsVid", "triplebuf"}, {"UserSettingsVid", "flipx"},
    {"UserSettingsVid", "flipy"},     {"UserSettingsVid", "rotate"},
    {"UserSettingsVid", "antialias"}, {"UserSettingsVid", "transparent"},
    {"UserSettingsVid", "frameskip"}, {"UserSettingsVid", "synced"},
    {"UserSettingsVid", "waitil"},    {"UserSettingsVid", "beam"},
    {"UserSettingsVid", "flicker"},   {"UserSettingsAud", "sndcard"},
    {"UserSettingsAud", "sndrate"},   {"UserSettingsAud", "sndbit"},
    {"UserSettingsAud", "stereo"},    {"UserSettingsAud", "ym3812"},
    {"UserSettingsAud", "volume"},    {"UserSettingsMisc", "joy"},
    {"UserSettingsMisc", "nomouse"},  {"EXE", "exe"},
}};

// The default sections as they come beside the program, with a comment of the kind a
// packager leaves; LF line ends (withLineEnd gives other ones).
inline constexpr std::string_view kShippedDefaults =
    "; Kestro settings. Save Settings writes the user sections; the default sections below\n"
    "; are read by Default Settings and never written.\n"
    "\n"
    "[DefaultVid]\n"
    "tweak= 0\nvesa= 1\nscanlines= 0\nvsync= 0\nror= 0\nrol= 0\ndepth= 16\nntsc= 0\n"
    "monitor= 1\nresx= 640\nresy= 480\ngamma= 1\nvgafreq= 0\nstretch= 1\ntriplebuf= 0\n"
    "flipx= 0\nflipy= 0\nrotate= 0\nantialias= 1\ntransparent= 1\nframeskip= 0\nsynced= 0\n"
    "waitil= 0\nbeam= 1\nflicker= 0\n"
    "\n"
    "[DefaultAud]\n"
    "sndcard= 0\nsndrate= 22050\nsndbit= 16\nstereo= 1\nym3812= 0\nvolume= 0\n"
    "\n"
    "[DefaultMisc]\n"
    "joy=-1\nnomouse= 0\n";

inline std::string withLineEnd(std::string_view text, std::string_view lineEnd) {
  std::string converted;
  for (const char letter : text) {
    if (letter == '\n') {
      converted.append(lineEnd);
    } else {
      converted.push_back(letter);
    }
  }
  return converted;
}

// Reads one value the way the program does: into a buffer of 255 characters.
inline std::string readValue(const std::filesystem::path& file, const char* section,
                             const char* key) {
  char buffer[255] = {};
  const unsigned long count =
      platform::GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer, file.c_str());
  return std::string(buffer, count);
}

}  // namespace kestro::test
