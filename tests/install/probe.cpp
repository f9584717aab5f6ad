// Loaded into a real Kestro (LD_PRELOAD) by the install tests, so that they can drive the
// installed program's own window: it reports what the window shows into the file named by
// KESTRO_PROBE_REPORT and clicks as KESTRO_PROBE_MODE says:
//   save     report the state of every check box, option button and slider, tick
//            "vidscanlines", press "Save Settings", then "Exit";
//   forward  press "Minimize", report "hidden", wait for the window to come back (a second
//            start asks for it), report "forward", then "Exit";
//   picture  save the window's picture to KESTRO_PROBE_PICTURE, then "Exit" (this made
//            data/screenshots/kestro.png).
// Every message box is reported as "message: <text>" and answered with OK.
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {

struct Probe {
  QString mode = qEnvironmentVariable("KESTRO_PROBE_MODE", "save");
  QFile report{qEnvironmentVariable("KESTRO_PROBE_REPORT")};
  int step = 0;
  int ticksSinceSave = 0;

  void say(const QString& line) {
    report.write((line + '\n').toUtf8());
    report.flush();
  }

  static QWidget* window() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->objectName() == "kestro") return widget;
    }
    return nullptr;
  }

  static void click(QWidget* window, const char* name) {
    auto* button = window->findChild<QAbstractButton*>(name);
    if (button) QTest::mouseClick(button, Qt::LeftButton);
  }

  bool answerMessages() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box && box->isVisible()) {
        say("message: " + box->text().replace('\n', ' '));
        box->button(QMessageBox::Ok)->click();
        return true;
      }
    }
    return false;
  }

  void reportState(QWidget* window) {
    for (auto* button : window->findChildren<QAbstractButton*>()) {
      if (button->isCheckable() && !button->objectName().isEmpty()) {
        say(QStringLiteral("state %1 %2").arg(button->objectName()).arg(button->isChecked()));
      }
    }
    for (auto* slider : window->findChildren<QSlider*>()) {
      say(QStringLiteral("state %1 %2").arg(slider->objectName()).arg(slider->value()));
    }
  }

  void tick() {
    if (answerMessages()) return;
    QWidget* main = window();
    if (!main) return;
    const bool showing = main->isVisible() && !main->isMinimized();
    if (mode == "save") {
      if (step == 0 && showing) {
        // Set first: a message box of the save runs this timer again inside the click.
        step = 1;
        say("shown");
        reportState(main);
        click(main, "vidscanlines");
        click(main, "saveset");
      } else if (step == 1 && ++ticksSinceSave > 3) {
        step = 2;
        say("saved");
        click(main, "exit");
      }
    } else if (mode == "picture") {
      if (step == 0 && showing) {
        step = 1;
        main->grab().save(qEnvironmentVariable("KESTRO_PROBE_PICTURE"), "PNG");
        click(main, "exit");
      }
    } else if (mode == "forward") {
      if (step == 0 && showing) {
        step = 1;
        click(main, "mini");
      } else if (step == 1 && !showing) {
        say("hidden");
        step = 2;
      } else if (step == 2 && showing) {
        step = 3;
        say("forward");
        click(main, "exit");
      }
    }
  }
};

void startProbe() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
  auto* probe = new Probe;
  if (!probe->report.open(QIODevice::WriteOnly | QIODevice::Append)) return;
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, [probe] { probe->tick(); });
  timer->start(100);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(startProbe)
