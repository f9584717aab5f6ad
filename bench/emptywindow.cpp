// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick of the start-up measurement: the least a Qt 6 program does to show a window
// of Kestro's size and caption.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle("Kestro 9x");
  window.resize(441, 361);
  window.show();
  return QApplication::exec();
}
