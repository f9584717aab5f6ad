#include "ui/systemenvironment.h"

#include <QLocale>
#include <QSystemTrayIcon>

namespace kestro::ui {

char userDecimalSeparator() {
  const QString separator = QLocale::system().decimalPoint();
  if (separator.size() != 1 || separator.front().unicode() >= 0x80) return '.';
  return separator.front().toLatin1();
}

Environment systemEnvironment(std::string programFolder) {
  return {.programFolder = std::move(programFolder),
          .decimalSeparator = userDecimalSeparator(),
          .trayExists = QSystemTrayIcon::isSystemTrayAvailable()};
}

}  // namespace kestro::ui
