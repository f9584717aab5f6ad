// Kestro's start: the window is the program. It is created with every option at its initial
// state and shown; the program ends when the window goes.
#include <QApplication>

#include "platform/programfolder.h"
#include "ui/mainwindow.h"
#include "ui/systemenvironment.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // A window hidden to the tray is not closed; the window itself ends the program.
  QApplication::setQuitOnLastWindowClosed(false);
  kestro::ui::MainWindow window(kestro::ui::systemEnvironment(kestro::platform::programFolder()));
  window.show();
  return QApplication::exec();
}
