// SPDX-License-Identifier: GPL-3.0-or-later
// The window as assistive technology and the keyboard reach it: the accessibility tree walked
// in-process (as a screen reader sees it through AT-SPI), its actions, and the keys of the option
// groups and the joystick list. Every way of changing a control must reach the record.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QRadioButton>
#include <QTabBar>
#include <map>

#include "ui/layout.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

using Access = WindowTest;

void walk(QAccessibleInterface* node, std::vector<QAccessibleInterface*>& nodes) {
  nodes.push_back(node);
  for (int i = 0; i < node->childCount(); ++i) {
    if (QAccessibleInterface* child = node->child(i)) walk(child, nodes);
  }
}

QAccessibleInterface* accessible(QWidget& widget) {
  return QAccessible::queryAccessibleInterface(&widget);
}

TEST_F(Access, RolesNamesAndEveryActionReachTheRecord) {
  open();
  // A screen reader reaches a tab's controls by choosing the tab, which makes them.
  QAccessibleInterface* bar = accessible(*widget<QTabWidget>("optiontabs").tabBar());
  for (int tab = 0; tab < bar->childCount(); ++tab) {
    bar->child(tab)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  }
  std::vector<QAccessibleInterface*> nodes;
  walk(accessible(*window), nodes);
  // Check boxes first: the two that switch their dependants on come before those dependants.
  std::stable_partition(nodes.begin(), nodes.end(), [](QAccessibleInterface* node) {
    return node->role() == QAccessible::CheckBox;
  });
  std::map<QAccessible::Role, int> seen;
  for (QAccessibleInterface* node : nodes) {
    const std::string name = node->object() ? node->object()->objectName().toStdString() : "";
    const auto* row = std::ranges::find(kControls, name, &Control::name);
    if (row == std::end(kControls)) continue;  // Qt's inner widgets and list entries
    const bool box = row->kind == Kind::CheckBox;
    if (!box && row->kind != Kind::OptionButton) continue;
    ++seen[node->role()];
    EXPECT_EQ(node->role(), box ? QAccessible::CheckBox : QAccessible::RadioButton) << name;
    node->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(box ? options().*std::get<int core::OptionSet::*>(row->bound) == 1
                    : options().*std::get<bool core::OptionSet::*>(row->bound))
        << name;
  }
  // Every check box and option button of the layout was reached.
  const auto rowsOf = [](Kind kind) {
    return static_cast<int>(std::ranges::count(kControls, kind, &Control::kind));
  };
  EXPECT_EQ(seen, (std::map<QAccessible::Role, int>{
                      {QAccessible::CheckBox, rowsOf(Kind::CheckBox)},
                      {QAccessible::RadioButton, rowsOf(Kind::OptionButton)}}));
  EXPECT_EQ(messages.size(), 1u) << "the frequency warning, for the frequency box";
  accessible(widget("vidresx"))->setText(QAccessible::Value, "800");
  EXPECT_EQ(options().vidresx, "800");
  accessible(widget("fsslid"))->valueInterface()->setCurrentValue(5);
  EXPECT_EQ(options().fsslid, 5);

  // A label that shows a value speaks it, with its purpose as the description; so does the
  // game name once a run has set it.
  accessible(widget("vidgamup"))
      ->actionInterface()
      ->doAction(QAccessibleActionInterface::pressAction());
  ASSERT_TRUE(QTest::qWaitFor([this] { return options().gamma == "1.3"; }));
  click("runmame");  // refused, no MAME folder, but names the game
  for (const std::string name : {"vidgammal", "sndvoltxt", "beaml", "flickerl", "gamename"}) {
    QAccessibleInterface* node = accessible(widget(name));
    EXPECT_EQ(node->text(QAccessible::Name), label(name)) << name;
    EXPECT_EQ(node->text(QAccessible::Description).isEmpty(), name == "gamename");
  }
  EXPECT_EQ(label("gamename").toStdString(), folder.path().string());
}

TEST_F(Access, OneTabStopPerGroupAndTheArrowKeysMoveInsideIt) {
  open();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  click("vidvesa2");
  for (const char* frame : {"vidtweak", "viddep", "vidvm", "vidmon", "sndcard", "sndrate", "sndbit",
                            "sndstereo", "sndopl", "vgafreqf"}) {
    int stops = 0;
    for (auto* button : widget(frame).findChildren<QRadioButton*>()) {
      stops += (button->focusPolicy() & Qt::TabFocus) != 0 ? 1 : 0;
    }
    EXPECT_EQ(stops, 1) << frame;
  }
  widget("vidvesa2").setFocus(Qt::TabFocusReason);
  QTest::keyClick(&widget("vidvesa2"), Qt::Key_Down);
  EXPECT_TRUE(options().vidvesa3 && !options().vidvesa2);
  EXPECT_EQ(QApplication::focusWidget(), &widget("vidvesa3"));
  QTest::keyClick(&widget("vidvesa3"), Qt::Key_Tab);
  EXPECT_FALSE(widget("vidvm").isAncestorOf(QApplication::focusWidget()));
  EXPECT_TRUE(options().vidvesa3) << "leaving the group changes nothing";
}

TEST_F(Access, TheJoystickListAndTheRecordAgreeBothWays) {
  open();
  showTabOf("JoyList");
  auto& list = widget<QListWidget>("JoyList");
  const auto selected = [&list] {
    const QList<QListWidgetItem*> items = list.selectedItems();
    return items.isEmpty() ? -1 : list.row(items.front());
  };
  const auto clickRow = [&list](int row, Qt::KeyboardModifiers keys = {}) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, keys,
                      list.visualItemRect(list.item(row)).center());
  };
  list.setFocus(Qt::TabFocusReason);  // tabbing in with nothing selected selects nothing
  EXPECT_EQ(options().JoyList, -1);
  EXPECT_EQ(selected(), -1);
  clickRow(2);
  EXPECT_EQ(options().JoyList, 2);
  clickRow(2, Qt::ControlModifier);  // clears the selection
  EXPECT_EQ(selected(), -1);
  EXPECT_EQ(options().JoyList, -1);
  clickRow(4);
  QTest::keyClick(&list, Qt::Key_Down);
  EXPECT_EQ(options().JoyList, 5);
  QTest::keyClick(&list, Qt::Key_End);
  EXPECT_EQ(options().JoyList, 24);
  for (const int row : {9, -1, 24}) {
    options().JoyList = row;
    window->showRecord();
    EXPECT_EQ(selected(), row);
  }
}

}  // namespace
}  // namespace kestro::ui
