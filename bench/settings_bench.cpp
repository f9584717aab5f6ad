// SPDX-License-Identifier: GPL-3.0-or-later
// A full save (every value changed, and nothing changed) and a full load, on the shipped
// settings file and on a 1 MB one, so the cost per file size shows. A full save of the 1 MB
// file, flushed to disk, should fit in one frame at 60 Hz (16 ms), so pressing "Save
// Settings" never stalls the window.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/options.h"
#include "settings/settings.h"
#include "support/tempfolder.h"

namespace {

using kestro::core::OptionSet;
using kestro::settings::Remembered;

struct SettingsFile {
  kestro::test::TempFolder folder;
  std::string path = (folder.path() / "kestro.ini").string();

  explicit SettingsFile(std::size_t fillerBytes) {
    std::filesystem::copy_file(KESTRO_SHIPPED_INI, path);
    std::ofstream out(path, std::ios::app);
    // Sections of other programs sharing the file, as a large hand-kept file would have.
    for (int section = 0; out.tellp() < static_cast<std::streamoff>(fillerBytes); ++section) {
      out << "[Other" << section << "]\n";
      for (int key = 0; key < 20; ++key) out << "key" << key << "=some value " << key << "\n";
    }
  }
};

OptionSet optionSet(bool variant) {
  OptionSet options;
  for (const kestro::core::Option& row : kestro::core::kOptions) {
    const auto choices = kestro::core::groupOf(std::visit(
        []<typename Kind>(const Kind& kind) -> kestro::core::OptionButton OptionSet::* {
          if constexpr (requires { kind.choices; }) return kind.choices[0].button;
          return nullptr;
        },
        row));
    if (!choices.empty()) {
      kestro::core::setOptionButton(options, choices[variant ? 0 : 1].button, true);
    }
    if (const auto* box = std::get_if<kestro::core::Box>(&row)) options.*box->box = variant;
    if (const auto* box = std::get_if<kestro::core::InvertedBox>(&row)) options.*box->box = variant;
  }
  options.fsslid = variant ? 11 : 3;
  options.JoyList = variant ? 24 : 2;
  options.gamma = variant ? "0.8" : "1.7";
  options.beam = variant ? "16" : "2";
  options.flicker = variant ? "100" : "5";
  options.volume = variant ? "-12" : "-3";
  options.mame = variant ? "MAME.EXE" : "MAME37B.EXE";
  return options;
}

void fileSizeCounter(benchmark::State& state, const SettingsFile& file) {
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(file.path));
}

void BM_SaveChanged(benchmark::State& state) {
  SettingsFile file(static_cast<std::size_t>(state.range(0)));
  OptionSet variants[] = {optionSet(true), optionSet(false)};
  Remembered remembered;
  bool which = false;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        kestro::settings::saveUserSettings(variants[which], remembered, file.path, '.'));
    which = !which;
  }
  fileSizeCounter(state, file);
}

void BM_SaveUnchanged(benchmark::State& state) {
  SettingsFile file(static_cast<std::size_t>(state.range(0)));
  OptionSet options = optionSet(true);
  Remembered remembered;
  kestro::settings::saveUserSettings(options, remembered, file.path, '.');
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        kestro::settings::saveUserSettings(options, remembered, file.path, '.'));
  }
  fileSizeCounter(state, file);
}

void BM_LoadUser(benchmark::State& state) {
  SettingsFile file(static_cast<std::size_t>(state.range(0)));
  OptionSet saved = optionSet(true);
  Remembered remembered;
  kestro::settings::saveUserSettings(saved, remembered, file.path, '.');
  for (auto _ : state) {
    OptionSet options;
    kestro::settings::loadUserSettings(options, remembered, file.path, '.');
    benchmark::DoNotOptimize(options);
  }
  fileSizeCounter(state, file);
}

// 0: the shipped file alone; then 256 KiB and 1 MiB, to show the growth with the file.
#define KESTRO_SIZES Arg(0)->Arg(256 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_SaveChanged)->KESTRO_SIZES;
BENCHMARK(BM_SaveUnchanged)->KESTRO_SIZES;
BENCHMARK(BM_LoadUser)->KESTRO_SIZES;

}  // namespace
