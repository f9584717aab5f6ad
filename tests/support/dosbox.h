// DOSBox as the tests run it: the very command the program starts, run headless as the
// test's own child with a fresh home folder, and waited for with a bound, so a test reads
// only finished files and ends only its own process.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/starter.h"

namespace kestro::test {

// The DOS test program, assembled at build time: it writes the command tail DOS handed
// it to TAIL.TXT in its current folder.
std::filesystem::path tailProgram();
inline constexpr std::string_view kTailFile = "TAIL.TXT";

class ChildDosBox : public platform::DosBoxStarter {
 public:
  // DOSBox writes its configuration below `home` and its messages to a log there.
  explicit ChildDosBox(std::filesystem::path home);
  ~ChildDosBox() override;
  ChildDosBox(const ChildDosBox&) = delete;
  ChildDosBox& operator=(const ChildDosBox&) = delete;

  int starts() const { return starts_; }
  const std::optional<platform::ProcessCommand>& lastCommand() const { return lastCommand_; }

  // Waits until the child has ended, at most `bound`; a child still running then is
  // ended (it is ours) and the answer is false.
  bool waitForExit(std::chrono::seconds bound = std::chrono::seconds(60));
  // The exit status of the last child, once it has been waited for.
  std::optional<int> exitStatus() const { return exitStatus_; }
  // What DOSBox printed, for a failing test's message.
  std::string log() const;

 protected:
  std::optional<std::string> startProcess(const platform::ProcessCommand& command) override;

 private:
  std::filesystem::path home_;
  pid_t child_ = -1;
  int starts_ = 0;
  std::optional<platform::ProcessCommand> lastCommand_;
  std::optional<int> exitStatus_;
};

}  // namespace kestro::test
