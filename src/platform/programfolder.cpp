// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/programfolder.h"

#include <filesystem>
#include <system_error>

namespace kestro::platform {

std::string programFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return executable.parent_path().string();
}

}  // namespace kestro::platform
