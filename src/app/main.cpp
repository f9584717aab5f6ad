// SPDX-License-Identifier: GPL-3.0-or-later
// Kestro's start: the window is the program. It is created with every option at its initial
// state and shown; the program ends when the window goes. Before that, the command line is
// answered, the settings file is found (and made at the first start), and a second start on
// the same file hands over to the first.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/commandline.h"
#include "app/fontsetup.h"
#include "app/settingsmessage.h"
#include "app/singleinstance.h"
#include "platform/settingslocation.h"
#include "ui/mainwindow.h"
#include "ui/systemenvironment.h"

int main(int argc, char* argv[]) {
  using namespace kestro;
  const platform::SettingsPlaces places = platform::systemSettingsPlaces();
  switch (app::requestOf(std::vector<std::string>(argv, argv + argc))) {
    // Printed with C's streams: C++'s would set up their locale at every start, half a
    // megabyte of memory for three rare messages.
    case app::Request::Help:
      std::fputs(app::helpText(platform::findSettings(places)).c_str(), stdout);
      return 0;
    case app::Request::Version:
      std::fputs(app::versionText().c_str(), stdout);
      return 0;
    case app::Request::Run:
      break;
  }

  app::FontSetUp fonts;
  QApplication application(argc, argv);
  std::vector<std::string> leftOver;
  for (const QString& argument : QApplication::arguments())
    leftOver.push_back(argument.toStdString());
  if (const std::string unknown = app::unknownArgumentMessage(leftOver); !unknown.empty()) {
    std::fputs(unknown.c_str(), stderr);
    return 2;
  }

  const platform::SettingsLocation location = platform::locateSettings(places);
  app::SingleInstance instance(location.file, app::openInstanceFolder());
  switch (instance.claim()) {
    case app::SingleInstance::Claim::Forwarded:
      return 0;
    case app::SingleInstance::Claim::NoAnswer: {
      // Said on the screen too: a start from the menu has no terminal.
      const platform::Message message = app::noAnswerMessage(location.file);
      std::fprintf(stderr, "kestro: %s\n", message.prompt.c_str());
      fonts.wait();
      QMessageBox box(QMessageBox::Critical, QString::fromStdString(message.title),
                      QString::fromStdString(message.prompt), QMessageBox::Ok);
      box.setTextFormat(Qt::PlainText);
      box.exec();
      return 1;
    }
    case app::SingleInstance::Claim::First:
      break;
  }

  // Every settings file is some folder's "/kestro.ini"; the window joins the two again, so the
  // folder is taken off as text and a portable copy's path comes back byte for byte.
  constexpr std::string_view kName = "/kestro.ini";
  ui::Environment environment =
      ui::systemEnvironment(location.file.substr(0, location.file.size() - kName.size()));
  environment.settingsWritable = location.writable;
  // A window hidden to the tray is not closed; the window itself ends the program.
  QApplication::setQuitOnLastWindowClosed(false);
  fonts.wait();
  ui::MainWindow window(std::move(environment));
  // A second start brings the window back as the tray icon does.
  QObject::connect(&instance, &app::SingleInstance::comeForward, &window,
                   [&window] { window.onTrayActivated(QSystemTrayIcon::Trigger); });
  window.show();
  if (!location.writable) {
    QTimer::singleShot(0, &window, [&window, &location] {
      window.showMessage(app::unwritableSettingsMessage(location));
    });
  }
  return QApplication::exec();
}
