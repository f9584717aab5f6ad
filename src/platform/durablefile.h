// SPDX-License-Identifier: GPL-3.0-or-later
// A small file kept durably: read whole and bounded, and replaced under a writers' lock so that
// no reader, crash or kill ever meets half a file. Knows nothing of what the file holds.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestro::platform {

// A settings file is a few kilobytes; one this large is not a settings file. Reading stops
// here, so a huge or sparse file costs neither the memory nor the time of reading it.
inline constexpr std::uint64_t kDurableMaxBytes = std::uint64_t{16} << 20;

// The files that writing keeps beside the target: the lock file stays, so every writer locks
// the same file; the temporary file lives only during a write, and a write removes one that
// a killed writer left behind.
inline constexpr std::string_view kLockSuffix = ".lock";
inline constexpr std::string_view kTempSuffix = ".tmp";
inline constexpr int kLockWaitMilliseconds = 2000;

// The whole of a regular file of at most kDurableMaxBytes, or nothing with errno telling why:
// ENOENT for a missing file, EFBIG for a larger one, EISDIR for a folder, EINVAL for any other
// object that is not a regular file. A named pipe in the file's place does not block.
std::optional<std::string> readWholeFile(const char* path);

// Makes the file's text (empty for a missing file) the new text where it stands; false leaves
// the file as it is.
using TextEdit = std::function<bool(std::string& text)>;

// Reads `path` under the writers' lock, hands its text to `edit` and puts the edited text in
// place with one replacement; 0, or the errno of the failure. A file reached through
// symbolic links is written at the links' end; a missing file is created.
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
// kLockWaitMilliseconds; past that the write fails with EWOULDBLOCK. A lock file that is not a
// regular file fails the write at once (ENOLCK). A file that readWholeFile refuses is neither
// handed to `edit` nor written.
int rewriteFile(const char* path, const TextEdit& edit);

}  // namespace kestro::platform
