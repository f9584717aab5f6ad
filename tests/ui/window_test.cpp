// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the mouse, the keys and assistive technology (its accessibility tree, walked
// in-process) reach it: every way of changing a control must reach the record.
#include <gmock/gmock.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "ui/captions.h"
#include "ui/layout.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Window = WindowTest;
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

QString spoken(QWidget& control) { return accessible(control)->text(QAccessible::Name); }

// Name, where its place counts from (the tab control if empty), its place there in pixels (the
// layout's twips over 15, rounded), caption, what a screen reader says if not the caption, font
// size, and whether the fonts here may not fit the caption (it may grow).
// clang-format off
const std::tuple<std::string_view, std::string_view, QRect, QString, QString, double, bool> kSample[] = {
    {"gamename", "", {24, 272, 353, 17}, "Game name. Double click on the game's folder to select it.", "", 8, true},
    {"vidres", "res", {104, 16, 97, 73}, "Custom Resulution", "", 6.75, false},
    {"vidgamup", "vidgamma", {40, 56, 25, 25}, QString::fromUtf8("\u25B2"), "Gamma up", 14.25, false},
    {"fldown", "vecof", {48, 200, 25, 25}, QString::fromUtf8("\u25BC"), "Vector flicker down", 15.75, false},
    {"vidgammal", "vidgamma", {16, 24, 73, 17}, " 1.2", " 1.2", 8, false},
    {"strtchl", "vmof", {16, 40, 57, 33}, "  Disable   Stretch mode (pixel doubling)", "", 6, true},
    {"stretche", "vmof", {40, 24, 17, 17}, "", "  Disable   Stretch mode (pixel doubling)", 6, false},
    {"chkinvmisromc", "otherf", {16, 184, 177, 25}, "Check the selected game for invalid / missing roms", "", 6.75, true},
    {"loaddef", "", {152, 272, 105, 25}, "Default Settings", "", 8, false}};
// clang-format on

TEST_F(Window, LayoutCaptionsAndNames) {
  open();
  EXPECT_EQ(window->windowTitle(), "Kestro 9x");
  EXPECT_EQ(window->size(), QSize(441, 361));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  auto& tabs = widget<QTabWidget>("optiontabs");
  QStringList captions;
  for (int i = 0; i < tabs.count(); ++i) captions << tabs.tabText(i);
  EXPECT_EQ(captions, (QStringList{"File", "Video", "Video 2", "Audio", "Misc", "Kestro Setup"}));
  for (const auto& [name, in, expected, caption, says, points, mayGrow] : kSample) {
    QWidget& control = widget(name);
    const QRect actual(control.mapTo(&widget(in.empty() ? "optiontabs" : in), QPoint()),
                       control.size());
    const QRect grown(expected.topLeft(), actual.size().expandedTo(expected.size()));
    const char* text = qobject_cast<QGroupBox*>(&control) ? "title" : "text";
    EXPECT_EQ(control.property(text).toString(), caption) << name;
    EXPECT_EQ(spoken(control), says.isEmpty() ? caption : says) << name;
    EXPECT_DOUBLE_EQ(control.font().pointSizeF(), points) << name;
    EXPECT_EQ(actual, mayGrow ? grown : expected) << name;
  }
  // Frames whose top lies inside the tab strip sit at the top of their page instead.
  for (const char* name : {"joyf", "otherf"}) EXPECT_EQ(widget(name).y(), 0) << name;
  // Every control is named and shows its caption whole inside its frame or page.
  for (const Control& row : kControls) {
    if (row.kind == Kind::Tab || row.kind == Kind::TabControl) continue;
    QWidget& control = widget(row.name);
    EXPECT_FALSE(spoken(control).isEmpty()) << row.name;
    EXPECT_TRUE(captionFits(control)) << row.name;
    EXPECT_TRUE(control.parentWidget()->rect().contains(control.geometry())) << row.name;
  }
}

// Clicks, keys and arrow buttons reach the record; the record reaches the widgets, no handler run.
TEST_F(Window, WidgetsAndRecordFollowEachOther) {
  open();
  auto& width = widget<QLineEdit>("vidresx");
  click("vidreson");  // its handler enables the boxes on the field the click wrote
  QTest::keyClicks(&width, "6a4-0");
  EXPECT_EQ(options().vidresx, "640") << "digits only";
  click("vidreson");  // clearing it empties and greys the boxes
  EXPECT_EQ(options().vidresx, "");
  EXPECT_EQ(width.palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
  showTabOf("fsslid");
  QTest::keyClick(&widget("fsslid"), Qt::Key_End);
  EXPECT_EQ(options().fsslid, 11);
  const std::tuple<const char*, const char*, const char*, QString, QString> arrows[] = {
      {"vidgammal", "vidgamup", "vidgamdn", " 1.3", " 1.2"},
      {"sndvoltxt", "sndvolup", "sndvoldn", " 0", "-1"},
      {"beaml", "bup", "bdown", " 2", " 1"},
      {"flickerl", "flup", "fldown", " 1", " 0"},
  };
  for (const auto& [name, up, down, afterUp, afterDown] : arrows) {
    click(up);
    EXPECT_EQ(label(name), afterUp) << up;
    click(down);
    EXPECT_EQ(label(name), afterDown) << down;
  }

  options().vgafreqe = options().logc = 1;
  options().fsslid = 7;
  options().vidresx = "1024";
  window->showRecord();
  EXPECT_TRUE(checked("vgafreqe") && checked("logc"));
  EXPECT_EQ(widget<QSlider>("fsslid").value(), 7);
  EXPECT_EQ(width.text(), "1024");
  EXPECT_TRUE(messages.empty()) << "no handler ran: checking vgafreqe would have warned";
}

TEST_F(Window, CheckingTheFrequencyBoxWarnsBeforeEnablingItsButtonsEveryTime) {
  open();
  window->answerMessagesWith({});  // the real message box
  int warnings = 0;
  // The box runs its own event loop; this looks at it from inside that loop and closes it.
  std::function<void()> examine = [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return QTimer::singleShot(10, examine);
    ++warnings;
    EXPECT_EQ(box->windowTitle(), "WARNING");
    EXPECT_EQ(box->text(),
              "WARNING: the frequencies used might be way outside of your monitor range, and "
              "could even damage it. use these options at your own risk.");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->buttons(), QList<QAbstractButton*>{box->button(QMessageBox::Ok)});
    window->showRecord();  // the buttons as the record has them now
    EXPECT_FALSE(widget("vgafreq2").isEnabled());
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  };
  for (int time = 1; time <= 2; ++time) {
    QTimer::singleShot(0, examine);
    click("vgafreqe");
    EXPECT_EQ(warnings, time);
    EXPECT_TRUE(widget("vgafreq2").isEnabled());
    click("vgafreq2");
    click("vgafreqe");  // clearing deselects and disables them, so no frequency goes to MAME
    EXPECT_FALSE(options().vgafreq2 || checked("vgafreq2"));
    EXPECT_FALSE(widget("vgafreq2").isEnabled());
  }
}

// A tab's controls are made when the tab first shows: chosen with Ctrl+Tab, which moves the focus
// into it, or with the mouse, each shows what the settings file held at start-up, and a click on
// it reaches the record and the save; "Default Settings" loads the file's defaults. Then the keys
// in the option groups, and the joystick list, whose record follows its selection, not its row.
TEST_F(Window, ATabFirstShownShowsTheLoadedRecordAndFeedsItAndTheKeysReachGroupsAndLists) {
  test::writeFile(home / "kestro.ini",
                  "[UserSettingsVid]\nvesa= 2\nflipx= 1\n[DefaultVid]\nvesa= 3\n");
  open();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  widget("runmame").setFocus(Qt::TabFocusReason);
  const std::tuple<int, const char*, const char*, const char*> cases[] = {
      {1, "vidvesa2", "vidvesa4", "\nvesa= 4\n"}, {2, "orfx", "ase", "\nsynced= 1\n"}};
  auto& tabs = widget<QTabWidget>("optiontabs");
  QTabBar& bar = *tabs.tabBar();
  for (const auto& [tab, loaded, clicked, saved] : cases) {
    SCOPED_TRACE(loaded);
    EXPECT_EQ(window->findChild<QWidget*>(loaded), nullptr) << "made only when first shown";
    if (tab == 1) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
      EXPECT_TRUE(tabs.widget(tab)->isAncestorOf(QApplication::focusWidget()));
    } else {
      QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.tabRect(tab).center());
    }
    ASSERT_EQ(bar.currentIndex(), tab);
    EXPECT_TRUE(checked(loaded) && widget(loaded).isVisible());
    QTest::mouseClick(&widget(clicked), Qt::LeftButton);
  }
  click("saveset");
  const std::string file = test::readFile(home / "kestro.ini");
  for (const auto& [tab, loaded, clicked, saved] : cases) EXPECT_THAT(file, HasSubstr(saved));
  click("loaddef");
  EXPECT_TRUE(checked("vidvesa3"));

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
  clickRow(2);
  EXPECT_EQ(options().JoyList, 2);
  clickRow(2, Qt::ControlModifier);  // clears the selection
  EXPECT_EQ(options().JoyList, -1);
  clickRow(4);
  QTest::keyClick(&list, Qt::Key_Down);
  EXPECT_EQ(options().JoyList, 5);
  for (const int row : {9, -1, 24}) {
    options().JoyList = row;
    window->showRecord();
    EXPECT_EQ(selected(), row);
  }
}

// A file too large to be a settings file is named once, at start-up, and never read; a save into
// it says why it failed and loses nothing.
TEST_F(Window, ASettingsFileTooLargeIsNamedOnceAndASaveThatFailsSaysWhy) {
  const std::string ini = (home / "kestro.ini").string();
  test::writeFile(ini, "[UserSettingsVid]\ngamma= 2\n");
  fs::resize_file(ini, std::uintmax_t{1} << 40);  // sparse: no disk space taken
  open();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_THAT(messages[0].prompt, HasSubstr(ini + ": it holds"));
  EXPECT_EQ(label("vidgammal"), " 1.2") << "the start-up values stand";
  click("vidgamup");
  click("saveset");
  EXPECT_EQ(label("vidgammal"), " 1.3");
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_THAT(messages[1].prompt, HasSubstr(ini + ":\nFile too large"));
  backFromTray();
  EXPECT_EQ(messages.size(), 2u);
}

// The start-up, seen in what it resets, runs on the first show and on each return from the tray or
// the task bar, not on a re-activation nor, with a tray, on a return from a minimize; "Exit" or
// the close box ends the program, nothing asked.
TEST_F(Window, LifeFromStartUpToExit) {
  for (const bool tray : {true, false}) {
    SCOPED_TRACE(tray ? "tray, Exit" : "task bar, close box");
    open(tray);
    const auto expectStartUpRan = [this] {
      EXPECT_EQ(label("vidgammal"), " 1.2");
      EXPECT_FALSE(widget("vidresx").isEnabled() || widget("vgafreq0").isEnabled());
    };
    EXPECT_EQ(window->trayIcon().isVisible(), tray);
    EXPECT_EQ(window->windowType(), tray ? Qt::Tool : Qt::Window) << "keeps a task-bar entry";
    for (const char* name : {"vidgamup", "vidreson", "vgafreqe"}) click(name);
    QTest::keyClicks(&widget("vidresx"), "640");
    if (tray) {
      window->showMinimized();
      window->onTrayActivated(QSystemTrayIcon::Trigger);
      EXPECT_FALSE(window->isMinimized());
      EXPECT_EQ(label("vidgammal"), " 1.3");
    }
    click("mini");
    EXPECT_EQ(window->isVisible(), !tray) << "never an invisible program with no way back";
    EXPECT_EQ(label("vidgammal"), " 1.3") << "hiding alone changes nothing";
    tray ? window->onTrayActivated(QSystemTrayIcon::Trigger) : window->showNormal();
    expectStartUpRan();
    EXPECT_TRUE(checked("vidreson")) << "what the start-up does not touch stays";
    EXPECT_EQ(widget<QLineEdit>("vidresx").text(), "640");

    // Coming back from another program or a message box, or the tray's event while showing.
    click("vidgamup");
    for (QEvent::Type type : {QEvent::WindowDeactivate, QEvent::WindowActivate}) {
      QEvent event(type);
      QApplication::sendEvent(window.get(), &event);
    }
    window->activateWindow();
    window->onTrayActivated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(label("vidgammal"), " 1.3");

    QTimer::singleShot(0, window.get(), [&] { tray ? click("exit") : (void)window->close(); });
    // Only a guard against hanging should the program fail to end.
    QTimer::singleShot(60000, window.get(), [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window->trayIcon().isVisible());
  }
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
  int reached = 0;
  for (QAccessibleInterface* node : nodes) {
    const std::string name = node->object() ? node->object()->objectName().toStdString() : "";
    const auto* row = std::ranges::find(kControls, name, &Control::name);
    if (row == std::end(kControls)) continue;  // Qt's inner widgets and list entries
    const bool box = row->kind == Kind::CheckBox;
    if (!box && row->kind != Kind::OptionButton) continue;
    ++reached;
    EXPECT_EQ(node->role(), box ? QAccessible::CheckBox : QAccessible::RadioButton) << name;
    node->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(box ? options().*std::get<int core::OptionSet::*>(row->bound) == 1
                    : options().*std::get<bool core::OptionSet::*>(row->bound))
        << name;
  }
  EXPECT_EQ(reached, std::ranges::count_if(kControls, [](const Control& row) {
              return row.kind == Kind::CheckBox || row.kind == Kind::OptionButton;
            }));
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

}  // namespace
}  // namespace kestro::ui
