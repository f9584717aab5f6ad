// SPDX-License-Identifier: GPL-3.0-or-later
// Opens a folder of many game folders from the ROM folder list, as the user does with Enter
// on it, and times each opening from the key until the list has shown the folder's entries:
// the reading, the sort, the list's layout and its painting. Prints the median and the
// slowest of RUNS openings in milliseconds, and the median processor time of one (which a
// busy machine changes far less than the time on the clock).
//
//   kestro_openprobe PARENT_FOLDER [RUNS]   (the parent holds the folder to open, and only it)
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "support/tempfolder.h"
#include "ui/mainwindow.h"

namespace {

double processorMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Enter on the row, then what Qt does before the user sees the list: the opening, which is
// queued, and a paint of the list.
void enterOn(QListView& list, int row) {
  list.setCurrentIndex(list.model()->index(row, 0));
  QTest::keyClick(&list, Qt::Key_Return);
  QCoreApplication::processEvents();
  list.viewport()->repaint();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PARENT_FOLDER [RUNS]\n", argv[0]);
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
  kestro::test::TempFolder home;
  kestro::ui::Environment environment;
  environment.programFolder = home.str();
  environment.startFolder = argv[1];
  environment.drives = {"/"};
  kestro::ui::MainWindow window(environment);
  window.answerMessagesWith(
      [](const kestro::platform::Message&) { return kestro::platform::MessageAnswer::Ok; });
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  auto* list = window.control<QListView>("RomDir");
  auto* tabs = window.control<QTabWidget>("optiontabs");
  for (QWidget* up = list; up != nullptr && tabs != nullptr; up = up->parentWidget()) {
    if (tabs->indexOf(up) >= 0) tabs->setCurrentIndex(tabs->indexOf(up));
  }
  QCoreApplication::processEvents();

  std::vector<double> ms;
  std::vector<double> processor;
  for (int run = 0; run < runs; ++run) {
    const int parent = list->currentIndex().row();  // the parent's only sub-folder follows
    QElapsedTimer timer;
    const double processorBefore = processorMs();
    timer.start();
    enterOn(*list, parent + 1);
    ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    processor.push_back(processorMs() - processorBefore);
    const int rows = list->model()->rowCount();
    enterOn(*list, parent);  // back up, untimed
    if (run == 0) std::fprintf(stderr, "opened: %d entries\n", rows);
  }
  std::sort(ms.begin(), ms.end());
  std::sort(processor.begin(), processor.end());
  std::printf("%.1f %.1f %.1f\n", ms[ms.size() / 2], ms.back(), processor[processor.size() / 2]);
  return 0;
}
