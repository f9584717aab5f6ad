// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <thread>

namespace kestro::app {

// The first text a window measures makes fontconfig read its XML configuration, tens of files
// and the largest single cost of showing the window. Read beside the display connection's
// set-up, on a second processor, the window shows sooner. fontconfig does not wait for a
// reading in progress (it reads again), so nothing may measure text before `wait` returns.
class FontSetUp {
 public:
  FontSetUp();
  void wait();

 private:
  std::jthread reading_;
};

}  // namespace kestro::app
