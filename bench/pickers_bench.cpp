// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a folder of many game folders into a folder list: the listing, the sort without
// regard to case and the entries, per size of the collection. The time should grow with the
// count of folders times a little more for the sort.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>

#include "launch/pickers/pickers.h"
#include "support/tempfolder.h"

namespace {

namespace fs = std::filesystem;

// A folder of `count` sub-folders named as game folders are, in both cases and out of order;
// made once per count and removed when the benchmarks end.
const kestro::test::TempFolder& collection(int count) {
  static std::map<int, std::unique_ptr<kestro::test::TempFolder>> made;
  auto& folder = made[count];
  if (!folder) {
    folder = std::make_unique<kestro::test::TempFolder>();
    for (int i = 0; i < count; ++i) {
      // 7919 is prime, so the numbers are each taken once.
      const long number = (static_cast<long>(i) * 7919) % count;
      fs::create_directory(folder->path() / ((i % 2 ? "rom" : "Rom") + std::to_string(number)));
    }
  }
  return *folder;
}

void BM_ReadFolderOfGameFolders(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  kestro::launch::FolderList list(collection(count).str());
  for (auto _ : state) {
    list.refresh();
    benchmark::DoNotOptimize(list.entries().data());
  }
  state.SetComplexityN(count);
}
BENCHMARK(BM_ReadFolderOfGameFolders)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
