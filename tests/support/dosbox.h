// DOSBox as the tests run it: the very command the program starts, run headless as the test's
// own child and waited for, so a test reads only finished files and ends only its own process.
#pragma once

#include <sys/types.h>

#include <chrono>

#include "platform/starter.h"
#include "support/tempfolder.h"

namespace kestro::test {

// The DOS test programs, assembled at build time: each writes the command tail DOS handed
// it to TAIL.TXT in its current folder; the tail program then ends with exit code 0, the
// failing one prints a complaint and ends with 1, as MAME does when a ROM is missing.
std::filesystem::path tailProgram();
std::filesystem::path failingProgram();
inline constexpr std::string_view kTailFile = "TAIL.TXT";

// An X server of the test's own (Xvfb, on a free display number), for a test
// that presses a key in DOSBox's window; ended with the object.
class VirtualDisplay {
 public:
  VirtualDisplay();
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // ":N", or empty when the server did not start.
  const std::string& name() const { return name_; }
  // Presses the space bar in DOSBox's window, through the XTEST extension as a user would;
  // false when there is no such window.
  bool pressKeyInDosBox() const;

 private:
  void start(int number);

  pid_t server_ = -1;
  std::string name_;
};

class ChildDosBox : public platform::DosBoxStarter {
 public:
  // DOSBox writes its configuration below `home` and its messages to a log there. Without
  // a display it runs with no window at all.
  explicit ChildDosBox(std::filesystem::path home, std::string display = {})
      : home_(std::move(home)), display_(std::move(display)) {}
  ~ChildDosBox() override;
  ChildDosBox(const ChildDosBox&) = delete;
  ChildDosBox& operator=(const ChildDosBox&) = delete;

  int starts() const { return starts_; }
  // Waits at most `bound` for the child to end; one still running is ended with the harness.
  bool waitForExit(std::chrono::seconds bound = std::chrono::seconds(60));
  // Ends a child still running, and waits for it.
  void end();
  // What DOSBox printed, for a failing test's message.
  std::string log() const { return readFile(home_ / "dosbox.log"); }

 protected:
  std::optional<std::string> startProcess(const platform::ProcessCommand& command) override;

 private:
  std::filesystem::path home_;
  std::string display_;
  pid_t child_ = -1;
  int starts_ = 0;
};

}  // namespace kestro::test
