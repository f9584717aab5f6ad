// The folder that holds the program's own executable; the settings file lives there.
#pragma once

#include <string>

namespace kestro::platform {

// Empty when the system cannot tell.
std::string programFolder();

}  // namespace kestro::platform
