// SPDX-License-Identifier: GPL-3.0-or-later
// The rules for the names and the line that reach DOS: what a text may hold, DOS short names,
// where DOS cuts the command line, and which file DOS runs for a command in a folder.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/text.h"
#include "launch/dosrules.h"

namespace {

namespace fs = std::filesystem;
using namespace kestro::launch;

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

const fs::path& folder() {
  static const fs::path path = [] {
    std::string pattern = (fs::temp_directory_path() / "kestro-fuzz-XXXXXX").string();
    require(mkdtemp(pattern.data()) != nullptr, "a temporary folder");
    return fs::path(pattern);
  }();
  // Registered once the path stands, so it runs before the path goes.
  static const bool removedAtExit = std::atexit([] { fs::remove_all(path); }) == 0;
  (void)removedAtExit;
  return path;
}

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return result;
}

void checkText(std::string_view text) {
  const bool clean = std::ranges::all_of(text, [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte < 0x7F &&
           std::string_view("&|<>^%\"").find(c) == std::string_view::npos;
  });
  require(textProblem(text).has_value() != clean, "textProblem names every unfit character");

  const bool shortName = isDosShortName(text);
  require(shortName == isDosShortName(upper(text)), "short names know no case");
  if (shortName) {
    require(!text.empty() && text.size() <= 12, "a short name's length");
    require(std::ranges::count(text, '.') <= 1, "a short name's one period");
    require(text.front() != '.' && text.back() != '.', "a short name's parts");
  }
}

void checkTail(FuzzedDataProvider& data) {
  const std::string name = data.ConsumeRandomLengthString(16);
  const std::string game = data.ConsumeRandomLengthString(40);
  std::vector<std::string> pieces(data.ConsumeIntegralInRange<int>(0, 12));
  std::string line = name + " " + game + " ";
  for (std::string& piece : pieces) {
    piece = data.ConsumeRandomLengthString(30) + " ";
    line += piece;
  }
  std::string_view tail = std::string_view(line).substr(name.size());
  while (!tail.empty() && tail.back() == ' ') tail.remove_suffix(1);
  const std::optional<TailCut> cut = tailCut(line, name.size(), game, pieces);
  require(cut.has_value() == (tail.size() > kDosTailLimit), "a cut exactly when DOS cuts");
  if (!cut) return;
  require(cut->length == tail.size(), "the tail's length");
  if (cut->gameNameCut) {
    require(cut->firstCut == game, "the game name named");
    require(name.size() + 1 + game.size() > name.size() + kDosTailLimit, "the game name is cut");
  } else if (!cut->firstCut.empty()) {
    require(std::ranges::any_of(
                pieces, [&](const std::string& piece) { return piece.starts_with(cut->firstCut); }),
            "the cut option is one of the pieces");
  }
}

void checkSearch(FuzzedDataProvider& data) {
  std::error_code ignored;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder(), ignored)) {
    fs::remove_all(entry.path(), ignored);
  }
  for (int count = data.ConsumeIntegralInRange<int>(0, 4); count > 0; --count) {
    std::string file = data.ConsumeRandomLengthString(14);
    if (file.empty() || file == "." || file == ".." ||
        file.find_first_of(std::string("/\0", 2)) != std::string::npos) {
      continue;
    }
    if (data.ConsumeBool()) {
      fs::create_directory(folder() / file, ignored);  // a folder is no program
    } else {
      std::ofstream(folder() / file) << "x";
    }
  }
  std::vector<std::string> files;  // the regular files the folder holds now
  for (const fs::directory_entry& entry : fs::directory_iterator(folder(), ignored)) {
    if (entry.is_regular_file(ignored)) files.push_back(entry.path().filename().string());
  }
  const std::string command = data.ConsumeRandomLengthString(14);
  const ProgramSearch search = findDosProgram(folder().string(), command);
  require(search.error.empty(), "the folder reads");
  std::vector<std::string> wanted;
  if (command.find('.') != std::string::npos) {
    wanted = {command};
  } else {
    wanted = {command + ".COM", command + ".EXE", command + ".BAT"};
  }
  const auto matches = [&](const std::string& file) {
    return std::ranges::any_of(wanted, [&](const std::string& name) {
      return kestro::core::equalsIgnoringCase(file, name);
    });
  };
  if (!search.found.empty()) {
    require(std::ranges::find(files, search.found) != files.end(), "the found file exists");
    require(matches(search.found), "the found file answers the command");
  } else {
    require(std::ranges::none_of(files, matches), "an answering file is found");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  switch (data.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
      checkText(data.ConsumeRemainingBytesAsString());
      break;
    case 1:
      checkTail(data);
      break;
    default:
      checkSearch(data);
      break;
  }
  return 0;
}
