// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file's text, read and edited under the rules of the system calls
// GetPrivateProfileString and WritePrivateProfileString:
// - A line "[name]" opens a section: the name runs to the line's last "]", without the blanks
//   around it. Lines before the first section belong to none.
// - Inside a section, a line "name=value" holds a key, split at its first "="; the name and the
//   value lose the spaces and tabs around them, and a value in one matching pair of single or
//   double quotes loses them too. "key=" holds the empty text.
// - A line without "=" inside a section is a key without a value: it reads as missing and hides
//   a later line of its name.
// - Section and key names compare without regard to ASCII case; the first section of a name
//   and the first line of a key inside it are the ones that count.
// - Lines end in LF, CRLF or CR; a UTF-8 signature before the first line belongs to no line.
// An edit changes only the bytes it must, and every other byte of the text stays as it was.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestro::platform {

struct IniKey {
  std::string_view section;
  std::string_view key;
};

struct IniEntry {
  std::string_view section;
  std::string_view key;
  std::string_view value;
};

// An INI file's text. Names asked for lose the blanks around them.
class IniText {
 public:
  IniText() = default;
  explicit IniText(std::string text) : text_(std::move(text)) {}

  const std::string& text() const& { return text_; }
  std::string text() && { return std::move(text_); }
  // Whether an edit has changed the text since it was made.
  bool changed() const { return changed_; }

  // The value of `key` in `section`, whole however long; nothing when it reads as missing.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  // The values of many keys, in the order asked, from one walk of the text.
  std::vector<std::optional<std::string>> values(std::span<const IniKey> keys) const;
  // The names of all sections, in file order, each once (as its first header writes it).
  std::vector<std::string> sections() const;

  // Makes key=value hold; 0, or EINVAL for an entry that would not read back: a line break in
  // the section, key or value, or a key that is empty, holds "=" or starts with "[".
  //
  // Only the value changes, where it stands: the bytes after the key's "=" become the value,
  // exactly as given; a key line without "=" gets "=" and the value. A value that reads back as
  // the key already reads (the blanks and quotes around it aside) leaves its line as it is. A
  // missing key gets a line of its own after the last non-blank line of its section, a missing
  // section is added at the end; an added line ends like the line it follows (the text's last
  // line end for a new section, LF in an empty text).
  int set(std::string_view section, std::string_view key, std::string_view value);
  // The same for many entries in one walk of the text, one result per entry. Of two entries
  // for one key the later wins; a refused entry does not stop the others.
  std::vector<int> set(std::span<const IniEntry> entries);
  // Removes every line of the key in the section that counts, so the key reads as missing.
  void removeKey(std::string_view section, std::string_view key);
  // Removes every section of the name: its header and every line up to the next header.
  void removeSection(std::string_view section);

 private:
  std::string text_;
  bool changed_ = false;
};

}  // namespace kestro::platform
