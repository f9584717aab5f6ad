// SPDX-License-Identifier: GPL-3.0-or-later
// INI text read and edited in one walk of its lines: a read marks where each key asked for
// stands, an edit builds the new text from the old one's unchanged parts and the changes.
#include "platform/initext.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/text.h"

namespace kestro::platform {
namespace {

using core::equalsIgnoringCase;
using core::trimBlanks;

constexpr std::string_view kUtf8Signature = "\xEF\xBB\xBF";  // "UTF-8 with signature"

// One line of the text: [begin, textEnd) is its text, [textEnd, end) its line end.
struct Line {
  std::size_t begin, textEnd, end;
};

// The name a header line opens, up to its last "]": any name without a line break reads back.
std::optional<std::string_view> sectionHeader(std::string_view text) {
  text = trimBlanks(text);
  if (text.empty() || text.front() != '[') return std::nullopt;
  const std::size_t close = text.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trimBlanks(text.substr(1, close - 1));
}

// A key line inside a section: its name (the text before its first "=", or the whole line)
// and where its "=" stands (npos: it has none, and holds no value).
struct KeyLine {
  std::string_view name;
  std::size_t equals;
};

KeyLine keyLine(std::string_view text) {
  const std::size_t equals = text.find('=');
  return {trimBlanks(equals == std::string_view::npos ? text : text.substr(0, equals)), equals};
}

// Calls visit(line, text, header) for every line, `header` holding the name of a header line.
// LFs are looked up ahead at the speed of memchr, CRs only within the line at hand, so LF, CRLF
// and CR files alike take one pass.
template <typename Visit>
void walk(std::string_view file, Visit&& visit) {
  const auto find = [file](char letter, std::size_t from, std::size_t to) {
    const void* found = from < to ? std::memchr(file.data() + from, letter, to - from) : nullptr;
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - file.data()) : to;
  };
  std::size_t nextLf = find('\n', 0, file.size());
  std::size_t begin = file.starts_with(kUtf8Signature) ? kUtf8Signature.size() : 0;
  while (begin < file.size()) {
    if (nextLf < begin) nextLf = find('\n', begin, file.size());
    Line line{begin, find('\r', begin, nextLf), 0};
    line.end = line.textEnd == file.size() ? line.textEnd : line.textEnd + 1;
    if (line.end < file.size() && file[line.textEnd] == '\r' && file[line.end] == '\n') ++line.end;
    begin = line.end;
    const std::string_view text = file.substr(line.begin, line.textEnd - line.begin);
    visit(line, text, sectionHeader(text));
  }
}

// Calls visit(line, key) for every line but blank ones in the first section named `section`.
template <typename Visit>
void walkSection(std::string_view file, std::string_view section, Visit&& visit) {
  section = trimBlanks(section);
  enum { Before, Inside, After } where = Before;
  walk(file, [&](const Line& line, std::string_view text, std::optional<std::string_view> header) {
    if (header) {
      if (where == Inside) where = After;
      if (where == Before && equalsIgnoringCase(*header, section)) where = Inside;
      return;
    }
    const KeyLine key = keyLine(text);
    if (where == Inside && (!key.name.empty() || key.equals != std::string_view::npos)) {
      visit(line, key);
    }
  });
}

// A value as the read hands it over: without the blanks and one pair of matching quotes.
std::string_view asRead(std::string_view raw) {
  raw = trimBlanks(raw);
  const bool quoted =
      raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front();
  return quoted ? raw.substr(1, raw.size() - 2) : raw;
}

// A section, key or value that would not come back as written: a line break splits its line,
// a key holding "=" would be cut at it, one starting with "[" could read as a section.
bool wouldCorrupt(std::string_view section, std::string_view key, std::string_view value) {
  const auto breaks = [](std::string_view text) { return text.find_first_of("\r\n") != text.npos; };
  return breaks(section) || breaks(key) || breaks(value) || key.empty() ||
         key.find('=') != std::string_view::npos || key.front() == '[';
}

// One key asked for, and where it stands in the text.
struct KeyWork {
  std::string_view key;
  std::string_view value;  // the last entry's for this key
  bool found = false;
  bool hasEquals = true;       // false: a line with the key's name alone
  std::size_t valueBegin = 0;  // just after the key's "=", or the line's end without one
  std::size_t valueEnd = 0;    // the key line's line end
};

// One section asked for, and where its missing keys go.
struct SectionWork {
  std::string_view name;
  std::vector<KeyWork> keys;
  bool found = false;
  std::size_t insertAt = 0;             // just after the section's last non-blank line
  bool insertAfterUnendedLine = false;  // that line ends the text without a line end
  std::string_view lineEnd;             // the line end of that line, or of one before it
};

// The work for the entry's key, added where there is none yet: sections and keys in the order
// of their first entry.
KeyWork& workFor(std::vector<SectionWork>& sections, const IniEntry& entry) {
  auto section = std::ranges::find_if(sections, [&](const SectionWork& known) {
    return equalsIgnoringCase(known.name, entry.section);
  });
  if (section == sections.end())
    section = sections.insert(sections.end(), {entry.section, {}, false, 0, false, {}});
  auto key = std::ranges::find_if(section->keys, [&](const KeyWork& known) {
    return equalsIgnoringCase(known.key, entry.key);
  });
  if (key == section->keys.end())
    key = section->keys.insert(section->keys.end(), {entry.key, {}, false, true, 0, 0});
  return *key;
}

// Walks the text once and marks, for every section and key asked for, the first place of its
// name; returns the text's last line end.
std::string_view locate(std::string_view file, std::vector<SectionWork>& sections) {
  std::string_view lastEnd;
  SectionWork* current = nullptr;
  walk(file, [&](const Line& line, std::string_view text, std::optional<std::string_view> header) {
    const std::string_view ending = file.substr(line.textEnd, line.end - line.textEnd);
    if (!ending.empty()) lastEnd = ending;
    const auto markInsert = [&] {
      current->insertAt = line.end;
      current->insertAfterUnendedLine = ending.empty();
      if (!ending.empty()) current->lineEnd = ending;
    };
    if (header) {
      current = nullptr;
      const auto section = std::ranges::find_if(sections, [&](const SectionWork& known) {
        return !known.found && equalsIgnoringCase(*header, known.name);
      });
      if (section == sections.end()) return;
      current = &*section;
      current->found = true;
      current->lineEnd = lastEnd;
      markInsert();
      return;
    }
    if (current == nullptr) return;
    const KeyLine key = keyLine(text);
    if (key.name.empty() && key.equals == std::string_view::npos) return;  // a blank line
    markInsert();
    for (KeyWork& work : current->keys) {
      if (!work.found && equalsIgnoringCase(key.name, work.key)) {
        work.found = true;
        work.hasEquals = key.equals != std::string_view::npos;
        work.valueBegin = work.hasEquals ? line.begin + key.equals + 1 : line.textEnd;
        work.valueEnd = line.textEnd;
        break;
      }
    }
  });
  return lastEnd;
}

// One change of the old text: `text` replaces its bytes [at, end).
struct Change {
  std::size_t at, end;
  std::string text;
};

// Makes the changes in `text` where it stands, moving each kept part once (left-moving parts
// front to back, then right-moving ones back to front); false when there are none.
bool apply(std::string& text, std::vector<Change>& changes) {
  if (changes.empty()) return false;
  std::ranges::stable_sort(changes, {}, &Change::at);  // changes at one place keep their order
  struct Part {
    std::size_t from, to, size;
  };
  std::vector<Part> parts{{0, 0, changes.front().at}};
  std::size_t growth = 0;  // wraps around for a text that shrinks, and comes out right
  for (std::size_t index = 0; index < changes.size(); ++index) {
    const Change& change = changes[index];
    growth += change.text.size() - (change.end - change.at);
    const std::size_t next = index + 1 < changes.size() ? changes[index + 1].at : text.size();
    parts.push_back({change.end, change.end + growth, next - change.end});
  }
  const std::size_t size = text.size() + growth;
  if (size > text.size()) text.resize(size);
  char* const data = text.data();
  for (const Part& part : parts) {
    if (part.to < part.from) std::memmove(data + part.to, data + part.from, part.size);
  }
  for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
    if (part->to > part->from) std::memmove(data + part->to, data + part->from, part->size);
  }
  for (std::size_t index = 0; index < changes.size(); ++index) {
    changes[index].text.copy(data + parts[index + 1].to - changes[index].text.size(),
                             changes[index].text.size());
  }
  text.resize(size);
  return true;
}

std::string keyLines(const SectionWork& section, std::string_view lineEnd) {
  std::string text;
  for (const KeyWork& key : section.keys) {
    if (!key.found) text.append(key.key).append("=").append(key.value).append(lineEnd);
  }
  return text;
}

// The changes that make every entry hold.
std::vector<Change> changesFor(std::string_view file, std::vector<SectionWork>& sections) {
  std::string_view lastEnd = locate(file, sections);
  if (lastEnd.empty()) lastEnd = "\n";
  std::vector<Change> changes;
  std::string newSections;
  for (const SectionWork& section : sections) {
    for (const KeyWork& key : section.keys) {
      if (!key.found) continue;
      const std::string_view old = file.substr(key.valueBegin, key.valueEnd - key.valueBegin);
      if (key.hasEquals && asRead(old) == asRead(key.value)) continue;
      changes.push_back(
          {key.valueBegin, key.valueEnd, (key.hasEquals ? "" : "=") + std::string(key.value)});
    }
    if (section.found) {
      const std::string_view lineEnd = section.lineEnd.empty() ? lastEnd : section.lineEnd;
      std::string added = keyLines(section, lineEnd);
      if (added.empty()) continue;
      if (section.insertAfterUnendedLine) added.insert(0, lineEnd);
      changes.push_back({section.insertAt, section.insertAt, std::move(added)});
    } else {
      newSections.append("[").append(section.name).append("]").append(lastEnd);
      newSections.append(keyLines(section, lastEnd));
    }
  }
  if (!newSections.empty()) {
    if (!file.empty() && file.back() != '\n' && file.back() != '\r') newSections.insert(0, lastEnd);
    changes.push_back({file.size(), file.size(), std::move(newSections)});
  }
  return changes;
}

}  // namespace

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const {
  return values(std::vector<IniKey>{{section, key}}).front();
}

std::vector<std::optional<std::string>> IniText::values(std::span<const IniKey> keys) const {
  std::vector<IniEntry> asked;
  for (const IniKey& key : keys)
    asked.push_back({trimBlanks(key.section), trimBlanks(key.key), {}});
  std::vector<SectionWork> sections;
  for (const IniEntry& entry : asked) workFor(sections, entry);
  locate(text_, sections);
  std::vector<std::optional<std::string>> values(keys.size());
  for (std::size_t index = 0; index < keys.size(); ++index) {
    const KeyWork& key = workFor(sections, asked[index]);
    const std::string_view raw(text_.data() + key.valueBegin, key.valueEnd - key.valueBegin);
    if (key.found && key.hasEquals) values[index] = std::string(asRead(raw));
  }
  return values;
}

std::vector<std::string> IniText::sections() const {
  std::vector<std::string> names;
  walk(text_, [&](const Line&, std::string_view, std::optional<std::string_view> header) {
    if (header && std::ranges::none_of(names, [&](const std::string& name) {
          return equalsIgnoringCase(name, *header);
        })) {
      names.emplace_back(*header);
    }
  });
  return names;
}

int IniText::set(std::string_view section, std::string_view key, std::string_view value) {
  return set(std::vector<IniEntry>{{section, key, value}}).front();
}

std::vector<int> IniText::set(std::span<const IniEntry> entries) {
  std::vector<int> errors(entries.size(), 0);
  std::vector<IniEntry> accepted;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const IniEntry& entry = entries[index];
    const std::string_view key = trimBlanks(entry.key);
    if (wouldCorrupt(entry.section, key, entry.value)) {
      errors[index] = EINVAL;
    } else {
      accepted.push_back({trimBlanks(entry.section), key, entry.value});
    }
  }
  std::vector<SectionWork> sections;
  for (const IniEntry& entry : accepted) workFor(sections, entry).value = entry.value;
  std::vector<Change> changes = changesFor(text_, sections);
  changed_ |= apply(text_, changes);
  return errors;
}

void IniText::removeKey(std::string_view section, std::string_view key) {
  key = trimBlanks(key);
  std::vector<Change> changes;
  walkSection(text_, section, [&](const Line& line, const KeyLine& found) {
    if (equalsIgnoringCase(found.name, key)) changes.push_back({line.begin, line.end, {}});
  });
  changed_ |= apply(text_, changes);
}

void IniText::removeSection(std::string_view section) {
  section = trimBlanks(section);
  std::vector<Change> changes;
  bool inside = false;
  walk(text_, [&](const Line& line, std::string_view, std::optional<std::string_view> header) {
    if (header) inside = equalsIgnoringCase(*header, section);
    if (inside) changes.push_back({line.begin, line.end, {}});
  });
  changed_ |= apply(text_, changes);
}

}  // namespace kestro::platform
