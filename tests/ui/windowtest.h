// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh main window for each test over a fresh folder as the program's folder, with helpers
// that drive it as a user does: bring a control's tab to the front and click it.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>
#include <memory>
#include <stdexcept>

#include "support/tempfolder.h"
#include "ui/mainwindow.h"

namespace kestro::ui {

class WindowTest : public testing::Test {
 protected:
  // Opens and shows the window, collecting messages until a test asks for the real box.
  void open(bool trayExists = true, char decimalSeparator = '.') {
    messages.clear();
    const Environment environment{home.string(), decimalSeparator, trayExists, folder.str(),
                                  drives};
    window = starter ? std::make_unique<MainWindow>(environment, *starter)
                     : std::make_unique<MainWindow>(environment);
    window->answerMessagesWith([this](const platform::Message& message) {
      messages.push_back(message);
      return platform::MessageAnswer::Ok;
    });
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  template <typename Widget = QWidget>
  Widget& widget(std::string_view name) const {
    if (auto* found = window->control<Widget>(name)) return *found;
    throw std::logic_error("no such control: " + std::string(name));
  }
  core::OptionSet& options() const { return window->form().options(); }
  QString label(std::string_view name) const { return widget<QLabel>(name).text(); }
  bool checked(std::string_view name) const { return widget<QAbstractButton>(name).isChecked(); }

  // Brings the control's tab to the front, as the user must before reaching it.
  void showTabOf(std::string_view name) const {
    auto& tabs = widget<QTabWidget>("optiontabs");
    for (QWidget* up = &widget(name); up != nullptr; up = up->parentWidget()) {
      if (tabs.indexOf(up) >= 0) tabs.setCurrentIndex(tabs.indexOf(up));
    }
  }
  void click(std::string_view name, int times = 1) const {
    showTabOf(name);
    for (int i = 0; i < times; ++i) QTest::mouseClick(&widget(name), Qt::LeftButton);
  }
  // Clicks the named entry of a picker list, and double-clicks it to open a folder.
  void pick(std::string_view list, const QString& entry, bool andOpen = false) const {
    showTabOf(list);
    auto& view = widget<QListView>(list);
    const QModelIndexList found =
        view.model()->match(view.model()->index(0, 0), Qt::DisplayRole, entry, 2, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << entry.toStdString();
    const QPoint centre = view.visualRect(found.front()).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre);
    if (andOpen) QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre);
    QCoreApplication::processEvents();  // a folder opens once the click is done with
  }
  // "Minimize" to the tray and back, which runs the start-up again.
  void backFromTray() const {
    click("mini");
    window->onTrayActivated(QSystemTrayIcon::Trigger);
  }

  test::TempFolder folder;
  std::filesystem::path home = folder.path();  // where the settings file lives
  std::vector<std::string> drives{"/"};
  platform::ScriptStarter* starter = nullptr;  // "Run Mame"'s; DOSBox, detached, when none
  std::unique_ptr<MainWindow> window;
  std::vector<platform::Message> messages;
};

}  // namespace kestro::ui
