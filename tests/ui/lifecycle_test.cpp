// Start-up, hiding to the tray and coming back, the path without a tray, and the end of the
// program. The start-up sequence shows itself in the values it resets: the stepped values and
// the greyed dependants.
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "windowtest.h"

namespace kestro::ui {
namespace {

class WindowLifecycle : public WindowTest {
 protected:
  // Changes that the next start-up sequence undoes, and some that it keeps.
  void changeWhatStartUpResets() {
    click("vidgamup");
    click("sndvoldn");
    click("vidreson");
    type("vidresx", "640");
  }

  void expectStartUpRan() {
    EXPECT_EQ(labelText("vidgammal"), " 1.2");
    EXPECT_EQ(labelText("sndvoltxt"), " 0");
    EXPECT_EQ(window->form().options().gamma, "1.2");
    EXPECT_FALSE(widget("vidresx").isEnabled());
    // What the start-up does not touch stays: the check box and the typed width.
    EXPECT_TRUE(checked("vidreson"));
    EXPECT_EQ(widget<QLineEdit>("vidresx").text(), "640");
  }
};

TEST_F(WindowLifecycle, FirstShowRunsTheStartUp) {
  open();
  EXPECT_EQ(labelText("vidgammal"), " 1.2");
  EXPECT_EQ(labelText("sndvoltxt"), " 0");
  EXPECT_EQ(labelText("beaml"), " 1");
  EXPECT_EQ(labelText("flickerl"), " 0");
  for (std::string_view name :
       {"vidresx", "vidresy", "vgafreq0", "vgafreq1", "vgafreq2", "vgafreq3"}) {
    EXPECT_FALSE(widget(name).isEnabled()) << name;
  }
  EXPECT_EQ(window->form().IniPath(), folder.str() + "/kestro.ini");
  EXPECT_TRUE(window->trayIcon().isVisible());
}

TEST_F(WindowLifecycle, MinimizeHidesToTheTrayAndTheTrayIconBringsTheStartUpBack) {
  open();
  changeWhatStartUpResets();
  showTabOf("vidgamup");
  click("mini");
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(window->trayIcon().isVisible());
  EXPECT_EQ(labelText("vidgammal"), " 1.3") << "hiding alone changes nothing";

  window->onTrayActivated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(window->isVisible());
  expectStartUpRan();
  EXPECT_EQ(widget<QTabWidget>("optiontabs").currentIndex(), 0) << "the tab that was showing";
}

TEST_F(WindowLifecycle, ComingBackFromAnotherProgramOrAMessageBoxIsNoStartUp) {
  open();
  click("vidgamup");
  for (QEvent::Type type : {QEvent::WindowDeactivate, QEvent::WindowActivate}) {
    QEvent event(type);
    QApplication::sendEvent(window.get(), &event);
  }
  window->activateWindow();
  window->onTrayActivated(QSystemTrayIcon::Trigger);  // the tray's event while showing
  window->onTrayActivated(QSystemTrayIcon::DoubleClick);
  click("vgafreqe");  // closes its (answered) warning
  EXPECT_EQ(labelText("vidgammal"), " 1.3");
  EXPECT_TRUE(widget("vgafreq0").isEnabled());
}

TEST_F(WindowLifecycle, WithoutATrayMinimizeUsesTheTaskBarAndRestoringRunsTheStartUp) {
  open(/*trayExists=*/false);
  EXPECT_EQ(window->windowType(), Qt::Window) << "a task-bar entry is the way back";
  EXPECT_FALSE(window->trayIcon().isVisible());
  changeWhatStartUpResets();
  showTabOf("mini");
  click("mini");
  EXPECT_TRUE(window->isMinimized());
  EXPECT_TRUE(window->isVisible()) << "never an invisible program with no way back";
  EXPECT_FALSE(window->trayIcon().isVisible());
  EXPECT_EQ(labelText("vidgammal"), " 1.3");

  window->showNormal();
  EXPECT_FALSE(window->isMinimized());
  expectStartUpRan();
}

// "Exit" and the close box end the program's event loop at once, nothing asked.
TEST_F(WindowLifecycle, ExitAndTheCloseBoxEndTheProgram) {
  for (const bool byExit : {true, false}) {
    SCOPED_TRACE(byExit ? "Exit" : "close box");
    open();
    QTimer::singleShot(0, window.get(), [&] {
      if (byExit) {
        click("exit");
      } else {
        window->close();
      }
    });
    // Only a guard against hanging for ever if the program failed to end.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(60000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window->trayIcon().isVisible());
    window.reset();
  }
}

}  // namespace
}  // namespace kestro::ui
