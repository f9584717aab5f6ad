// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/fontsetup.h"

#include <fontconfig/fontconfig.h>

namespace kestro::app {

// Qt's own FcInit then finds the configuration made and returns at once.
FontSetUp::FontSetUp() : reading_([] { FcInit(); }) {}

void FontSetUp::wait() {
  if (reading_.joinable()) reading_.join();
}

}  // namespace kestro::app
