// Start-up on the first show and on every return from the tray or the task bar, never on a mere
// re-activation; and the end of the program. The start-up shows itself in what it resets: the
// stepped values and the greyed dependants.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include "windowtest.h"

namespace kestro::ui {
namespace {

using WindowLifecycle = WindowTest;

TEST_F(WindowLifecycle, StartUpRunsOnFirstShowAndOnReturnFromTheTrayOrTheTaskBar) {
  for (const bool tray : {true, false}) {
    SCOPED_TRACE(tray ? "tray" : "task bar");
    open(tray);
    const auto expectStartUpRan = [this] {
      EXPECT_EQ(label("vidgammal"), " 1.2");
      EXPECT_EQ(label("sndvoltxt"), " 0");
      EXPECT_FALSE(widget("vidresx").isEnabled());
      EXPECT_FALSE(widget("vgafreq0").isEnabled());
    };
    expectStartUpRan();
    EXPECT_EQ(window->trayIcon().isVisible(), tray);
    // Without a tray the task bar is the way back: the window keeps its entry there.
    EXPECT_EQ(window->windowType(), tray ? Qt::Tool : Qt::Window);
    for (std::string_view name : {"vidgamup", "sndvoldn", "vidreson", "vgafreqe"}) click(name);
    QTest::keyClicks(&widget("vidresx"), "640");
    click("mini");
    EXPECT_EQ(window->isVisible(), !tray) << "never an invisible program with no way back";
    EXPECT_EQ(window->isMinimized(), !tray);
    EXPECT_EQ(label("vidgammal"), " 1.3") << "hiding alone changes nothing";

    tray ? window->onTrayActivated(QSystemTrayIcon::Trigger) : window->showNormal();
    EXPECT_TRUE(window->isVisible() && !window->isMinimized());
    expectStartUpRan();
    EXPECT_TRUE(checked("vidreson")) << "what the start-up does not touch stays";
    EXPECT_EQ(widget<QLineEdit>("vidresx").text(), "640");
  }
}

// Coming back from another program or a message box, or the tray's event while showing.
TEST_F(WindowLifecycle, ReactivationIsNoStartUp) {
  open();
  click("vidgamup");
  for (QEvent::Type type : {QEvent::WindowDeactivate, QEvent::WindowActivate}) {
    QEvent event(type);
    QApplication::sendEvent(window.get(), &event);
  }
  window->activateWindow();
  window->onTrayActivated(QSystemTrayIcon::Trigger);
  click("vgafreqe");  // closes its (answered) warning
  EXPECT_EQ(label("vidgammal"), " 1.3");
  EXPECT_TRUE(widget("vgafreq0").isEnabled());
}

// "Exit" and the close box end the program's event loop at once, nothing asked.
TEST_F(WindowLifecycle, ExitAndTheCloseBoxEndTheProgram) {
  for (const bool byExit : {true, false}) {
    open();
    QTimer::singleShot(0, window.get(), [&] { byExit ? click("exit") : (void)window->close(); });
    // Only a guard against hanging should the program fail to end.
    QTimer::singleShot(60000, window.get(), [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0) << (byExit ? "Exit" : "close box");
    EXPECT_FALSE(window->trayIcon().isVisible());
  }
}

}  // namespace
}  // namespace kestro::ui
