// SPDX-License-Identifier: GPL-3.0-or-later
// Reads and edits of the settings file on fuzzed file bytes, sections, keys and values.
// Whatever the file holds, a write the calls accept reads back as written, changes no other
// line, and a read never writes past its buffer; a removed key or section reads as missing,
// and the names listed read as listed.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/inifile.h"

namespace {

using kestro::platform::GetPrivateProfileStringA;
using kestro::platform::IniEntry;
using kestro::platform::IniText;

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

std::string& folder() {
  static std::string path;
  return path;
}

const std::string& settingsFile() {
  static const std::string path = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestro-fuzz-XXXXXX").string();
    require(mkdtemp(pattern.data()) != nullptr, "a temporary folder");
    folder() = pattern;
    std::atexit([] { std::filesystem::remove_all(folder()); });
    return pattern + "/kestro.ini";
  }();
  return path;
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A value as a read returns it: without the blanks and one pair of matching quotes around it.
std::string_view asRead(std::string_view value) {
  value = kestro::core::trimBlanks(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

std::string read(const char* section, const char* key) {
  std::vector<char> buffer(70000, '#');
  const unsigned long size = 65536;
  const unsigned long count =
      GetPrivateProfileStringA(section, key, "", buffer.data(), size, settingsFile().c_str());
  require(count < size && buffer[count] == '\0', "the read's count and terminator");
  for (std::size_t i = size; i < buffer.size(); ++i) require(buffer[i] == '#', "the buffer");
  return {buffer.data(), count};
}

// A text without the 0 that would end it as a C string.
std::string text(FuzzedDataProvider& data, std::size_t longest) {
  std::string result = data.ConsumeRandomLengthString(longest);
  result.erase(std::remove(result.begin(), result.end(), '\0'), result.end());
  return result;
}

bool acceptable(const std::string& key, const std::string& section, const std::string& value) {
  const auto breaks = [](const std::string& s) { return s.find_first_of("\r\n") != s.npos; };
  const std::string_view name = kestro::core::trimBlanks(key);
  return !breaks(section) && !breaks(key) && !breaks(value) && !name.empty() &&
         name.find('=') == name.npos && name.front() != '[';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  struct Write {
    std::string section, key, value;
  };
  std::vector<Write> writes(data.ConsumeIntegralInRange<int>(1, 3));
  for (Write& write : writes) {
    write.section = text(data, 24);
    write.key = text(data, 24);
    write.value = text(data, 300);
  }
  const std::string old = data.ConsumeRemainingBytesAsString();
  std::ofstream(settingsFile(), std::ios::binary | std::ios::trunc) << old;

  for (const Write& write : writes) read(write.section.c_str(), write.key.c_str());
  std::vector<IniEntry> entries;
  for (const Write& write : writes) entries.push_back({write.section, write.key, write.value});
  std::vector<int> errors;
  require(kestro::platform::editIniFile(settingsFile(),
                                        [&](IniText& ini) { errors = ini.set(entries); }) == 0,
          "the file is written");
  require(errors.size() == writes.size(), "one result per entry");
  const std::string edited = contents(settingsFile());

  bool anyWritten = false;
  for (std::size_t i = 0; i < writes.size(); ++i) {
    const Write& write = writes[i];
    require((errors[i] == 0) == acceptable(write.key, write.section, write.value),
            "an acceptable entry is written, any other refused");
    if (errors[i] != 0) continue;
    anyWritten = true;
    // The last entry for a key is the one that holds.
    bool later = false;
    for (std::size_t j = i + 1; j < writes.size(); ++j) {
      later |= errors[j] == 0 &&
               kestro::core::equalsIgnoringCase(kestro::core::trimBlanks(writes[j].section),
                                                kestro::core::trimBlanks(write.section)) &&
               kestro::core::equalsIgnoringCase(kestro::core::trimBlanks(writes[j].key),
                                                kestro::core::trimBlanks(write.key));
    }
    if (!later) {
      require(read(write.section.c_str(), write.key.c_str()) == asRead(write.value),
              "a written value reads back");
    }
  }
  if (!anyWritten) require(edited == old, "a refused write leaves the file");

  // Between the first and the last change of the file, at most parts of lines go: every line
  // the write did not touch keeps its bytes. With one entry the old bytes that went lie within
  // one line.
  const std::size_t kept = static_cast<std::size_t>(
      std::mismatch(old.begin(), old.end(), edited.begin(), edited.end()).first - old.begin());
  std::size_t keptAtEnd = 0;
  while (keptAtEnd < old.size() - kept && keptAtEnd < edited.size() - kept &&
         old[old.size() - 1 - keptAtEnd] == edited[edited.size() - 1 - keptAtEnd]) {
    ++keptAtEnd;
  }
  const std::string_view gone = std::string_view(old).substr(kept, old.size() - kept - keptAtEnd);
  if (writes.size() == 1) require(gone.find_first_of("\r\n") == gone.npos, "other lines kept");

  // What is removed reads as missing and is not listed.
  const Write& first = writes.front();
  IniText ini(old);
  const std::size_t sectionCount = ini.sections().size();
  ini.removeKey(first.section, first.key);
  require(!ini.value(first.section, first.key), "a removed key reads as missing");
  ini.removeSection(first.section);
  for (const Write& write : writes) {
    require(!ini.value(first.section, write.key), "a removed section holds no key");
  }
  for (const std::string& name : ini.sections()) {
    require(!kestro::core::equalsIgnoringCase(name, kestro::core::trimBlanks(first.section)),
            "a removed section is not listed");
  }
  require(ini.sections().size() + 1 >= sectionCount, "other sections kept");
  return 0;
}
