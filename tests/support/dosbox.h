// SPDX-License-Identifier: GPL-3.0-or-later
// DOSBox as the tests run it: the very command the program starts, run as the test's own child
// and waited for, so a test reads only finished files and ends only its own process.
#pragma once

#include <sys/types.h>

#include <chrono>

#include "platform/starter.h"
#include "support/tempfolder.h"

namespace kestro::test {

// DOS programs that stand in for MAME: each writes the command tail DOS handed it to TAIL.TXT
// in its current folder; the tail program then ends with exit code 0, the failing one prints
// a complaint and ends with 1, as MAME does when a ROM is missing.
std::filesystem::path tailProgram();
std::filesystem::path failingProgram();
inline constexpr std::string_view kTailFile = "TAIL.TXT";

// DOSBox's configuration goes below `home`. Without a display DOSBox runs with no window; with
// one, on an X server of its own (Xvfb), where a test presses a key in DOSBox's window.
class ChildDosBox : public platform::DosBoxStarter {
 public:
  using Bound = std::chrono::milliseconds;
  explicit ChildDosBox(std::filesystem::path home, bool withDisplay = false);
  ~ChildDosBox() override;
  ChildDosBox(const ChildDosBox&) = delete;
  ChildDosBox& operator=(const ChildDosBox&) = delete;

  int starts() const { return starts_; }
  // Waits at most `bound` for the child to end; one still running is ended with the harness.
  bool waitForExit(Bound bound = std::chrono::seconds(60));
  // Waits at most `bound` for DOSBox to write `line`; false when it ends or the time is up.
  bool waitForOutput(std::string_view line, Bound bound = std::chrono::seconds(60));
  // Presses the space bar in DOSBox's window, as a user would, until DOSBox ends or `bound`
  // passes; whether DOSBox ended.
  bool pressKeyUntilExit(Bound bound = std::chrono::seconds(60));
  const std::string& log();                                // what DOSBox wrote so far
  const std::string& display() const { return display_; }  // ":N"; empty when none started

 protected:
  std::optional<std::string> startProcess(const platform::ProcessCommand& command) override;

 private:
  std::filesystem::path home_;
  std::string display_;
  pid_t server_ = -1;  // the X server
  pid_t child_ = -1;
  int starts_ = 0;
  int terminal_ = -1;  // DOSBox's output: the terminal's side the harness reads
  int screen_ = -1;    // and DOSBox's side
  std::string log_;
};

}  // namespace kestro::test
