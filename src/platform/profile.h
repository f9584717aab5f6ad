// The settings file's profile access: read and write one value of an INI file by section
// and key, behind the parameter order and results of the two system calls the program was
// written against, so the code above them needs nothing else to reach the file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestro::platform {

// Copies the value of `key` in `section` of `file` into `buffer`, cut to size - 1 characters
// and followed by a 0, and returns how many characters it copied (without the 0).
//
// The file is read anew on every call. A line "[name]" opens a section (blanks around the
// name do not count); a line "name=value" inside a section holds a key, split at its first
// "="; the name and the value lose the spaces and tabs around them, and a value enclosed in
// a matching pair of single or double quotes loses them too. A line without "=" inside a
// section is a key without a value: it reads as missing, and it hides a later line of the
// same key. Section and key names match without regard to letter case; the first section
// of a name and the first such key in it win. "key=" holds the empty text. Lines end in LF,
// CRLF or CR.
//
// A file that is not a regular file (a folder, a named pipe, a socket, a device) or that is
// larger than kProfileMaxBytes reads as missing: nothing blocks and nothing huge is loaded.
//
// When the file, the section or the key is missing, `defaultValue` (null: the empty text) is
// copied instead, without its trailing blanks. Size 0 or a null buffer copies nothing and
// returns 0. Listing a file's sections or a section's keys (a null section or key) is not
// provided: the buffer is left empty, errno is EINVAL and the result is 0.
unsigned long GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* defaultValue, char* buffer, unsigned long size,
                                       const char* file);

struct ProfileKey {
  std::string_view section;
  std::string_view key;
};

// The values of many keys from one read of `file`, by the rules of GetPrivateProfileStringA
// and in the order asked, whole however long: nothing for a key that reads as missing there
// (the default value's case). A call that reads many keys reads the file once, not once per
// key.
std::vector<std::optional<std::string>> GetPrivateProfileStrings(const char* file,
                                                                 std::span<const ProfileKey> keys);

// Makes key=value hold in `section` of `file` and returns nonzero, or returns 0 and leaves
// errno telling why. The same as WritePrivateProfileStrings with one entry.
int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* file);

struct ProfileEntry {
  std::string_view section;
  std::string_view key;
  std::string_view value;
};

// Makes every entry's key=value hold in `file`, with one replacement of the file for them
// all, and returns one errno per entry: 0 where the entry now holds. Of two entries for one
// key the later wins. An entry that is refused does not stop the others.
//
// Only the entries' values change, where they stand: the bytes after a key's "=" become the
// value, exactly as given; a key line without "=" gets "=" and the value. A value that reads
// back as the key already reads (the blanks and quotes around it aside) leaves its line as it
// is. A missing key gets a line of its own after the last non-blank line of its section, a
// missing section is added at the end of the file, a missing file is created; an added line
// ends like the line it follows (the file's last line end for a new section, LF in a new
// file). Everything else keeps its bytes, and when nothing changes the file is not rewritten.
// A file reached through symbolic links is written at the links' end.
//
// The new text goes into a temporary file beside the target, is flushed to disk, and
// replaces the target, with the target's permission bits and, where the system allows, its
// owner; the folder is flushed after. A write cut short leaves the old file or the new one.
// In a folder where no file can be made, the file is rewritten in place: the space a longer
// text needs is taken first (a write that cannot have it fails with the file as it was), only
// the bytes from the first change on are written, and the rewrite runs in a short-lived
// process of its own that ending the program does not stop, so no kill tears the file.
// A file the writer may not write is left alone (EACCES), even where its folder would let the
// writer replace it. Writers wait for each other on a lock file beside the target, at most
// kProfileLockWaitMilliseconds; past that the write fails with errno EWOULDBLOCK. A lock file
// that is not a regular file fails the write at once (ENOLCK).
//
// Refused, the file untouched: a file over kProfileMaxBytes (EFBIG), a file that is not a
// regular one (EINVAL, EISDIR for a folder). Refused with EINVAL for the entry alone: a null
// argument (deleting a key or a section is not provided), a line break in the section, key or
// value (it would split the line), and a key that is empty, holds "=" or starts with "[" (it
// would not read back).
std::vector<int> WritePrivateProfileStrings(const char* file,
                                            std::span<const ProfileEntry> entries);

// The files that writing keeps beside the target: the lock file stays, so every writer locks
// the same file; the temporary file lives only during a write, and a write removes one that
// a killed writer left behind.
inline constexpr std::string_view kProfileLockSuffix = ".lock";
inline constexpr std::string_view kProfileTempSuffix = ".tmp";
inline constexpr int kProfileLockWaitMilliseconds = 2000;

// A settings file is a few kilobytes; one this large is not a settings file. Reading stops
// here, so a huge or sparse file costs neither the memory nor the time of reading it.
inline constexpr std::uint64_t kProfileMaxBytes = std::uint64_t{16} << 20;

}  // namespace kestro::platform
