// The window as the form's logic sees it, for tests that drive the form without Qt: it
// records what the form asks of it and answers message boxes as the test says.
#pragma once

#include <vector>

#include "platform/messagebox.h"
#include "ui/form.h"

namespace kestro::test {

class AnsweringWindow : public ui::WindowOps {
 public:
  std::vector<platform::Message> messages;
  platform::MessageAnswer answer = platform::MessageAnswer::Ok;
  int hides = 0;
  int minimizes = 0;
  int trayIconShows = 0;
  int ends = 0;

  platform::MessageAnswer showMessage(const platform::Message& message) override {
    messages.push_back(message);
    return answer;
  }
  void hideToTray() override { ++hides; }
  void minimizeToTaskBar() override { ++minimizes; }
  void showTrayIcon() override { ++trayIconShows; }
  void endProgram() override { ++ends; }
};

}  // namespace kestro::test
