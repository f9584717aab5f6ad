// SPDX-License-Identifier: GPL-3.0-or-later
// What every file writer of the program needs from the system: the reason for a failed
// call in words, and a write that goes on until every byte is out.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <system_error>

namespace kestro::platform {

inline std::string systemReason(int error) { return std::generic_category().message(error); }

// False with errno set when a write fails; an interrupted write is taken up again.
inline bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace kestro::platform
