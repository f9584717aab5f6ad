// The window as the form's logic sees it, for tests that drive the form without Qt: it
// keeps the messages the form shows and answers them as the test says.
#pragma once

#include <vector>

#include "ui/form.h"

namespace kestro::test {

class AnsweringWindow : public ui::WindowOps {
 public:
  std::vector<platform::Message> messages;
  platform::MessageAnswer answer = platform::MessageAnswer::Ok;

  platform::MessageAnswer showMessage(const platform::Message& message) override {
    messages.push_back(message);
    return answer;
  }
  void hideToTray() override {}
  void minimizeToTaskBar() override {}
  void showTrayIcon() override {}
  void endProgram() override {}
};

}  // namespace kestro::test
