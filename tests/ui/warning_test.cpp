// The monitor warning of the frequency check box: shown, with its exact text, before any
// frequency button is enabled, and again on every switch to on.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "windowtest.h"

namespace kestro::ui {
namespace {

using WindowWarning = WindowTest;

constexpr std::string_view kFrequencyButtons[] = {"vgafreq0", "vgafreq1", "vgafreq2", "vgafreq3"};
const QString kPrompt =
    "WARNING: the frequencies used might be way outside of your monitor range, and could even "
    "damage it. use these options at your own risk.";

bool anyFrequencyButtonEnabled(const MainWindow& window) {
  for (std::string_view name : kFrequencyButtons) {
    if (window.control(name)->isEnabled()) return true;
  }
  return false;
}

TEST_F(WindowWarning, ComesBeforeTheFrequencyButtonsAreEnabledEveryTime) {
  open();
  std::vector<bool> enabledWhileShown;
  window->answerMessagesWith([&](const platform::Message& message) {
    messages.push_back(message);
    enabledWhileShown.push_back(anyFrequencyButtonEnabled(*window));
    return platform::MessageAnswer::Ok;
  });
  click("vgafreqe");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(QString::fromStdString(messages[0].prompt), kPrompt);
  EXPECT_EQ(messages[0].title, "WARNING");
  EXPECT_EQ(messages[0].icon, platform::MessageIcon::Exclamation);
  EXPECT_EQ(messages[0].buttons, platform::MessageButtons::Ok);
  for (std::string_view name : kFrequencyButtons) EXPECT_TRUE(widget(name).isEnabled()) << name;
  EXPECT_EQ(enabledWhileShown, std::vector<bool>{false});

  // Clearing the box deselects and disables the buttons, so no frequency goes to MAME.
  click("vgafreq2");
  EXPECT_TRUE(window->form().options().vgafreq2);
  click("vgafreqe");
  EXPECT_FALSE(window->form().options().vgafreq2);
  for (std::string_view name : kFrequencyButtons) {
    EXPECT_FALSE(widget(name).isEnabled()) << name;
    EXPECT_FALSE(checked(name)) << name;
  }
  click("vgafreqe");
  EXPECT_EQ(messages.size(), 2u);
}

// The real message box, closed by OK or by Escape: either way the buttons are enabled after.
const std::pair<const char*, std::function<void(QMessageBox&)>> kWaysToClose[] = {
    {"OK",
     [](QMessageBox& box) { QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton); }},
    {"Escape", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }},
};

TEST_F(WindowWarning, RealMessageBoxIsModalWithTitleTextIconAndOneOkButton) {
  open();
  window->answerMessagesWith({});
  for (const auto& [way, close] : kWaysToClose) {
    SCOPED_TRACE(way);
    bool seen = false;
    // The box runs its own event loop; this looks at it from inside that loop and closes it.
    std::function<void()> inspect = [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) {
        QTimer::singleShot(10, inspect);
        return;
      }
      seen = true;
      EXPECT_EQ(box->windowTitle(), "WARNING");
      EXPECT_EQ(box->text(), kPrompt);
      EXPECT_EQ(box->icon(), QMessageBox::Warning);
      EXPECT_EQ(box->buttons().size(), 1);
      EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
      EXPECT_TRUE(box->isModal());
      EXPECT_FALSE(anyFrequencyButtonEnabled(*window));
      close(*box);
    };
    QTimer::singleShot(0, inspect);
    click("vgafreqe");
    EXPECT_TRUE(seen);
    EXPECT_TRUE(anyFrequencyButtonEnabled(*window));
    click("vgafreqe");  // clear it for the next way
  }
}

}  // namespace
}  // namespace kestro::ui
