// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded into a real Kestro (LD_PRELOAD) by the install tests to drive its window. It reports to
// the file KESTRO_PROBE_REPORT "shown" and "state <name> <0|1>" for every check box and option
// button, ticks "vidscanlines", presses "Save Settings" and "Minimize", reports "hidden", and
// once a second start brings the window back, reports "forward" and presses "Exit". It reports each
// message box as "message: <text>" and answers it with OK.
#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

struct Probe {
  QFile report{qEnvironmentVariable("KESTRO_PROBE_REPORT")};
  int step = 0;

  void say(const QString& line) {
    report.write((line + '\n').toUtf8());
    report.flush();
  }

  void tick() {
    QWidget* main = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
        say("message: " + box->text().replace('\n', ' '));
        return box->button(QMessageBox::Ok)->click();
      }
      if (widget->objectName() == "kestro") main = widget;
    }
    if (!main) return;
    const auto click = [main](const char* name) {
      QTest::mouseClick(main->findChild<QAbstractButton*>(name), Qt::LeftButton);
    };
    const bool showing = main->isVisible() && !main->isMinimized();
    if (step == 0 && showing) {
      step = 1;  // first: a message box of the save runs this timer again inside the click
      say("shown");
      // A tab's controls are made when the tab first shows: each tab is shown in turn.
      auto* tabs = main->findChild<QTabWidget*>("optiontabs");
      for (int tab = tabs->count() - 1; tab >= 0; --tab) tabs->setCurrentIndex(tab);
      for (auto* button : main->findChildren<QAbstractButton*>()) {
        if (button->isCheckable() && !button->objectName().isEmpty()) {
          say(QStringLiteral("state %1 %2").arg(button->objectName()).arg(button->isChecked()));
        }
      }
      click("vidscanlines");
      click("saveset");
      click("mini");
    } else if (step == 1 && !showing) {
      step = 2;
      say("hidden");
    } else if (step == 2 && showing) {
      step = 3;
      say("forward");
      click("exit");
    }
  }
};

void startProbe() {
  auto* probe = new Probe;
  probe->report.open(QIODevice::WriteOnly | QIODevice::Append);
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, [probe] { probe->tick(); });
  timer->start(100);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(startProbe)
