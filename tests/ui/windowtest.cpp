#include "windowtest.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

namespace kestro::ui {

void WindowTest::open(bool trayExists, char decimalSeparator) {
  Environment environment;
  environment.programFolder = folder.str();
  environment.decimalSeparator = decimalSeparator;
  environment.trayExists = trayExists;
  environment.startFolder = folder.str();
  environment.drives = {"/"};
  window = starter ? std::make_unique<MainWindow>(environment, *starter)
                   : std::make_unique<MainWindow>(environment);
  window->answerMessagesWith([this](const platform::Message& message) {
    messages.push_back(message);
    return platform::MessageAnswer::Ok;
  });
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

void WindowTest::showTabOf(std::string_view name) const {
  auto& tabs = widget<QTabWidget>("optiontabs");
  for (QWidget* ancestor = &widget(name); ancestor != nullptr;
       ancestor = ancestor->parentWidget()) {
    if (const int index = tabs.indexOf(ancestor); index >= 0) tabs.setCurrentIndex(index);
  }
}

void WindowTest::click(std::string_view name, int times) const {
  showTabOf(name);
  for (int i = 0; i < times; ++i) QTest::mouseClick(&widget(name), Qt::LeftButton);
}

void WindowTest::type(std::string_view name, const QString& keys) const {
  showTabOf(name);
  QTest::keyClicks(&widget(name), keys);
}

QString WindowTest::labelText(std::string_view name) const { return widget<QLabel>(name).text(); }

bool WindowTest::checked(std::string_view name) const {
  return widget<QAbstractButton>(name).isChecked();
}

}  // namespace kestro::ui
