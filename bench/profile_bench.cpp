// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the settings file's profile access: one read, one write that changes a value and
// one that finds it unchanged, on a settings file of the usual size and on one of a megabyte,
// and a whole save of the 34 keys into each.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/inifile.h"
#include "settings/keytable.h"

namespace kestro {
namespace {

using platform::GetPrivateProfileStringA;
using platform::WritePrivateProfileStringA;

constexpr std::size_t kLargeFileBytes = 1 << 20;

// The keys a save writes, in its order: section and key.
std::vector<std::pair<std::string, std::string>> savedKeys() {
  std::vector<std::pair<std::string, std::string>> keys;
  for (const settings::KeyRow& row : settings::kKeyTable) {
    keys.emplace_back(settings::kUserProfile[row.section], row.key);
  }
  return keys;
}

// A settings file after a save: the user sections, then the shipped file with its defaults.
std::string usualFile() {
  std::string text;
  std::string section;
  for (const auto& [keySection, key] : savedKeys()) {
    if (section != keySection) text += "[" + (section = keySection) + "]\n";
    text += key + "= 1\n";
  }
  std::ifstream shipped(KESTRO_SHIPPED_INI, std::ios::binary);
  return text + std::string(std::istreambuf_iterator<char>(shipped), {});
}

// A megabyte: sections of other keys first, so that every call walks the whole file before
// it reaches the program's sections at the end.
std::string largeFile() {
  std::string text;
  for (int section = 0; text.size() < kLargeFileBytes - usualFile().size(); ++section) {
    text += "[Notes" + std::to_string(section) + "]\n";
    for (int key = 0; key < 20; ++key) {
      text += "note" + std::to_string(key) + "= a line of someone else's settings\n";
    }
  }
  return text + usualFile();
}

// The settings file of one measurement, in a folder of its own that goes with it.
class SettingsFile {
 public:
  explicit SettingsFile(bool large) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestro-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = pattern;
    path_ = (folder_ / "kestro.ini").string();
    text_ = large ? largeFile() : usualFile();
    std::ofstream(path_, std::ios::binary) << text_;
  }
  ~SettingsFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const char* path() const { return path_.c_str(); }
  std::size_t size() const { return text_.size(); }
  long lines() const { return std::count(text_.begin(), text_.end(), '\n'); }

 private:
  std::filesystem::path folder_;
  std::string path_;
  std::string text_;
};

void describe(benchmark::State& state, const SettingsFile& file, int callsPerIteration) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * callsPerIteration *
                          static_cast<std::int64_t>(file.size()));
  state.SetLabel(std::to_string(file.size()) + " bytes, " + std::to_string(file.lines()) +
                 " lines");
}

void BM_Read(benchmark::State& state) {
  const SettingsFile file(state.range(0) != 0);
  char buffer[255];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        GetPrivateProfileStringA("UserSettingsAud", "volume", "", buffer, 255, file.path()));
  }
  describe(state, file, 1);
}

void BM_WriteChangedValue(benchmark::State& state) {
  const SettingsFile file(state.range(0) != 0);
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    if (!WritePrivateProfileStringA("UserSettingsAud", "volume", flip ? " 2" : " 1", file.path())) {
      state.SkipWithError("the write failed");
    }
  }
  describe(state, file, 1);
}

void BM_WriteUnchangedValue(benchmark::State& state) {
  const SettingsFile file(state.range(0) != 0);
  for (auto _ : state) {
    if (!WritePrivateProfileStringA("UserSettingsAud", "volume", " 1", file.path())) {
      state.SkipWithError("the write failed");
    }
  }
  describe(state, file, 1);
}

// Argument 0: the usual file; 1: the megabyte.
BENCHMARK(BM_Read)->Arg(0)->Arg(1);
BENCHMARK(BM_WriteChangedValue)->Arg(0)->Arg(1);
BENCHMARK(BM_WriteUnchangedValue)->Arg(0)->Arg(1);

}  // namespace
}  // namespace kestro
