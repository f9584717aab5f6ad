// The settings file's profile access: read and write one value of an INI file by section
// and key, behind the parameter order and results of the two system calls the program was
// written against, so the code above them needs nothing else to reach the file.
#pragma once

#include <string_view>

namespace kestro::platform {

// Copies the value of `key` in `section` of `file` into `buffer`, cut to size - 1 characters
// and followed by a 0, and returns how many characters it copied (without the 0).
//
// The file is read anew on every call. A line "[name]" opens a section (blanks around the
// name do not count); a line "name=value" inside a section holds a key, split at its first
// "="; the name and the value lose the spaces and tabs around them, and a value enclosed in
// a matching pair of single or double quotes loses them too. Section and key names match
// without regard to letter case; the first section of a name and the first such key in it
// win. "key=" holds the empty text. Lines end in LF, CRLF or CR.
//
// When the file, the section or the key is missing, `defaultValue` (null: the empty text) is
// copied instead, without its trailing blanks. Size 0 or a null buffer copies nothing and
// returns 0. Listing a file's sections or a section's keys (a null section or key) is not
// provided: the buffer is left empty, errno is EINVAL and the result is 0.
unsigned long GetPrivateProfileStringA(const char* section, const char* key,
                                       const char* defaultValue, char* buffer, unsigned long size,
                                       const char* file);

// Makes key=value hold in `section` of `file` and returns nonzero, or returns 0 and leaves
// errno as the failing system call set it.
//
// Only the one value changes, where it stands: the bytes after the key's "=" become `value`,
// exactly as given. A missing key gets a line of its own after the last non-blank line of
// its section, a missing section is added at the end of the file, a missing file is
// created; an added line ends like the file's other lines (LF in a new file). Everything
// else in the file keeps its bytes, and writing the value a key already holds leaves the
// file untouched. A file reached through symbolic links is written at the links' end.
//
// The new text goes into a temporary file beside the target that then replaces it, with the
// target's permission bits and, where the system allows, its owner, so a write that is cut
// short leaves the old file or the new one. In a folder where no file can be made, the file
// is rewritten in place. A file the writer may not write is left alone (EACCES), even where
// its folder would let the writer replace it. Writers wait for each other on a lock file
// beside the target, at most kProfileLockWaitMilliseconds; past that the write fails with
// errno EWOULDBLOCK.
//
// Refused with errno EINVAL, the file untouched: a null argument (deleting a key or a
// section is not provided), a line break in the section, key or value (it would split the
// line), and a key that is empty, holds "=" or starts with "[" (it would not read back).
int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* file);

// The files that writing keeps beside the target: the lock file stays, so every writer locks
// the same file; the temporary file lives only during a write, and a write removes one that
// a killed writer left behind.
inline constexpr std::string_view kProfileLockSuffix = ".lock";
inline constexpr std::string_view kProfileTempSuffix = ".tmp";
inline constexpr int kProfileLockWaitMilliseconds = 2000;

}  // namespace kestro::platform
