// A fresh main window for each test, over a fresh folder as the program's folder, with the
// helpers that drive it the way a user does: show a control's tab, click it, type into it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "support/tempfolder.h"
#include "ui/mainwindow.h"

namespace kestro::ui {

class WindowTest : public testing::Test {
 protected:
  // Opens and shows the window. Messages are collected instead of shown unless the test asks
  // for the real message box.
  void open(bool trayExists = true, char decimalSeparator = '.');

  template <typename Widget = QWidget>
  Widget& widget(std::string_view name) const {
    auto* found = window->control<Widget>(name);
    if (found == nullptr) throw std::logic_error("no such control: " + std::string(name));
    return *found;
  }

  // Brings the control's tab to the front, as the user must before reaching it.
  void showTabOf(std::string_view name) const;
  void click(std::string_view name, int times = 1) const;
  void type(std::string_view name, const QString& keys) const;
  QString labelText(std::string_view name) const;
  bool checked(std::string_view name) const;

  test::TempFolder folder;
  // Where "Run Mame" starts the launch script; DOSBox, detached, when none is set.
  platform::ScriptStarter* starter = nullptr;
  std::unique_ptr<MainWindow> window;
  std::vector<platform::Message> messages;
};

}  // namespace kestro::ui
