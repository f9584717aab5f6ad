// The main window clicked as a user does: its layout, the widgets and the option set in step both
// ways, the arrow buttons, the monitor warning, and the window's life from start-up to exit.
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>
#include <functional>

#include "core/options.h"
#include "ui/captions.h"
#include "ui/layout.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

using Window = WindowTest;

QRect tableRect(std::string_view name) {
  const Control& row = *std::ranges::find(kControls, name, &Control::name);
  const auto pixels = [](int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; };
  return {pixels(row.left), pixels(row.top), pixels(row.width), pixels(row.height)};
}

QString spoken(QWidget& control) {
  return QAccessible::queryAccessibleInterface(&control)->text(QAccessible::Name);
}

// Name, where its place counts from (the tab control if empty), caption, what a screen reader says
// if not the caption, font size, and whether the fonts here may not fit the caption (it may grow).
const std::tuple<std::string_view, std::string_view, QString, QString, double, bool> kSample[] = {
    {"gamename", "", "Game name. Double click on the game's folder to select it.", "", 8, true},
    {"vidres", "res", "Custom Resulution", "", 6.75, false},
    {"vidgamup", "vidgamma", QString::fromUtf8("\u25B2"), "Gamma up", 14.25, false},
    {"vidgammal", "vidgamma", " 1.2", " 1.2", 8, false},
    {"vidrorl", "", QString::fromUtf8("Rotate 90\u00B0 CW"), "", 6, true},
    {"strtchl", "vmof", "  Disable   Stretch mode (pixel doubling)", "", 6, true},
    {"stretche", "vmof", "", "  Disable   Stretch mode (pixel doubling)", 6, false},
    {"sndr3", "sndrate", "41100 Khz", "", 6, true},
    {"chkinvmisromc", "otherf", "Check the selected game for invalid / missing roms", "", 6.75,
     true},
    {"loaddef", "", "Default Settings", "", 8, false}};

TEST_F(Window, LayoutCaptionsAndNames) {
  open();
  EXPECT_EQ(window->windowTitle(), "Kestro 9x");
  EXPECT_EQ(window->size(), QSize(441, 361));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  auto& tabs = widget<QTabWidget>("optiontabs");
  QStringList captions;
  for (int i = 0; i < tabs.count(); ++i) captions << tabs.tabText(i);
  EXPECT_EQ(captions, (QStringList{"File", "Video", "Video 2", "Audio", "Misc", "Kestro Setup"}));
  EXPECT_EQ(tabs.currentIndex(), 0);
  EXPECT_EQ(widget<QListWidget>("JoyList").count(), 25);
  for (const auto& [name, in, caption, says, points, mayGrow] : kSample) {
    QWidget& control = widget(name);
    const QRect actual(control.mapTo(&widget(in.empty() ? "optiontabs" : in), QPoint()),
                       control.size());
    const QRect expected = tableRect(name);
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

// The record decides which member of a group is on, not Qt's auto-exclusive buttons.
TEST_F(Window, OptionButtonsOfAGroupSwitchEachOtherOffThroughClicks) {
  open();
  for (const char* button : {"vidvesa2", "vidmon2", "vidmon3", "vidmon3"}) click(button);
  EXPECT_FALSE(options().vidmon2 || checked("vidmon2"));
  EXPECT_TRUE(options().vidmon3 && checked("vidmon3")) << "a click on the one on keeps it on";
  EXPECT_TRUE(options().vidvesa2 && checked("vidvesa2")) << "another group is left alone";
  core::setOptionButton(options(), &core::OptionSet::vidmon3, false);  // a group left with none on
  window->showRecord();
  for (const char* name : {"vidmon1", "vidmon2", "vidmon3", "vidmon4"}) {
    EXPECT_FALSE(checked(name)) << name;
  }
}

TEST_F(Window, WidgetsAndRecordFollowEachOtherWithoutEcho) {
  open();
  auto& width = widget<QLineEdit>("vidresx");
  click("vidreson");  // its handler enables the boxes on the field the click wrote
  QTest::keyClicks(&width, "6a4-0");
  EXPECT_EQ(options().vidresx, "640") << "digits only";
  click("vidreson");  // clearing it empties and greys the boxes
  EXPECT_EQ(options().vidresx, "");
  EXPECT_EQ(width.palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
  for (const char* name : {"fsslid", "JoyList"}) {
    showTabOf(name);
    QTest::keyClick(&widget(name), Qt::Key_End);
  }
  EXPECT_EQ(options().fsslid, 11);
  EXPECT_EQ(options().JoyList, 24);

  options().vgafreqe = options().logc = 1;
  options().fsslid = 7;
  options().JoyList = 3;
  options().vidresx = "1024";
  window->showRecord();
  EXPECT_TRUE(checked("vgafreqe") && checked("logc"));
  EXPECT_EQ(widget<QSlider>("fsslid").value(), 7);
  EXPECT_EQ(widget<QListWidget>("JoyList").currentRow(), 3);
  EXPECT_EQ(width.text(), "1024");
  EXPECT_TRUE(messages.empty()) << "no handler ran: checking vgafreqe would have warned";
}

// One click up and one down on each value's arrow buttons, the stepping rules aside: each steps
// its own value, shown in its label.
TEST_F(Window, ArrowButtonsStepTheValueShownInTheirLabel) {
  open();
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
}

TEST_F(Window, CheckingTheFrequencyBoxWarnsBeforeEnablingItsButtonsEveryTime) {
  open();
  window->answerMessagesWith({});  // the real message box
  const auto enabledButtons = [this] {
    return std::ranges::count_if(std::array{"vgafreq0", "vgafreq1", "vgafreq2", "vgafreq3"},
                                 [this](const char* name) { return widget(name).isEnabled(); });
  };
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
    EXPECT_TRUE(box->isModal());
    window->showRecord();  // the buttons as the record has them now
    EXPECT_EQ(enabledButtons(), 0);
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  };
  for (int time = 1; time <= 2; ++time) {
    QTimer::singleShot(0, examine);
    click("vgafreqe");
    EXPECT_EQ(warnings, time);
    EXPECT_EQ(enabledButtons(), 4);
    click("vgafreq2");
    click("vgafreqe");  // clearing deselects and disables them, so no frequency goes to MAME
    EXPECT_FALSE(options().vgafreq2 || checked("vgafreq2"));
    EXPECT_EQ(enabledButtons(), 0);
  }
}

// The start-up, seen in what it resets, runs on the first show and on each return from the tray or
// the task bar, not on a re-activation; "Exit" or the close box ends the program, nothing asked.
TEST_F(Window, LifeFromStartUpToExit) {
  for (const bool tray : {true, false}) {
    SCOPED_TRACE(tray ? "tray, Exit" : "task bar, close box");
    open(tray);
    const auto expectStartUpRan = [this] {
      EXPECT_EQ(label("vidgammal"), " 1.2");
      EXPECT_EQ(label("sndvoltxt"), " 0");
      EXPECT_FALSE(widget("vidresx").isEnabled() || widget("vgafreq0").isEnabled());
    };
    expectStartUpRan();
    EXPECT_EQ(window->trayIcon().isVisible(), tray);
    EXPECT_EQ(window->windowType(), tray ? Qt::Tool : Qt::Window) << "keeps a task-bar entry";
    for (const char* name : {"vidgamup", "sndvoldn", "vidreson", "vgafreqe"}) click(name);
    QTest::keyClicks(&widget("vidresx"), "640");
    click("mini");
    EXPECT_EQ(window->isVisible(), !tray) << "never an invisible program with no way back";
    EXPECT_EQ(window->isMinimized(), !tray);
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
    click("vgafreqe", 2);  // off, then on again past its (answered) warning
    EXPECT_EQ(label("vidgammal"), " 1.3");
    EXPECT_TRUE(widget("vgafreq0").isEnabled());

    QTimer::singleShot(0, window.get(), [&] { tray ? click("exit") : (void)window->close(); });
    // Only a guard against hanging should the program fail to end.
    QTimer::singleShot(60000, window.get(), [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window->trayIcon().isVisible());
  }
}

}  // namespace
}  // namespace kestro::ui
