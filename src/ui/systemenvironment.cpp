// SPDX-License-Identifier: GPL-3.0-or-later
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
  Environment environment;
  environment.programFolder = std::move(programFolder);
  environment.decimalSeparator = userDecimalSeparator();
  environment.trayExists = QSystemTrayIcon::isSystemTrayAvailable();
  return environment;
}

}  // namespace kestro::ui
