// SPDX-License-Identifier: GPL-3.0-or-later
// The line "Run Mame" would write, planned and put into words after every change of an option:
// with every box ticked, the longest line the options give.
#include <benchmark/benchmark.h>

#include "core/options.h"
#include "core/stepped.h"
#include "launch/run.h"

namespace {

void BM_PlanAndDescribeTheRun(benchmark::State& state) {
  kestro::core::OptionSet options;
  kestro::core::resetSteppedValues(options, '.');
  for (const kestro::core::Option& row : kestro::core::kOptions) {
    if (const auto* box = std::get_if<kestro::core::Box>(&row)) options.*box->box = 1;
    if (const auto* box = std::get_if<kestro::core::InvertedBox>(&row)) options.*box->box = 1;
  }
  options.mame = "MAME.EXE";
  for (auto _ : state) {
    const kestro::launch::PlannedRun planned =
        kestro::launch::planRun(options, "/home/user/MAME/ROMS/pacman", '.');
    benchmark::DoNotOptimize(kestro::launch::describePlannedRun(planned));
  }
}
BENCHMARK(BM_PlanAndDescribeTheRun);

}  // namespace
