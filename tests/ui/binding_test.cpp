// The widgets and the option set in step both ways: clicks, typing and keys write the record, and
// a record changed in code shows in the widgets without coming back as an edit. Also the arrow
// buttons and the monitor warning that comes before the frequency buttons are enabled.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QTimer>
#include <functional>

#include "core/controls.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

using core::OptionSet;
using WindowBinding = WindowTest;

// The record decides which member of a group is on, not Qt's auto-exclusive buttons.
TEST_F(WindowBinding, OptionButtonsOfAGroupSwitchEachOtherOffThroughClicks) {
  open();
  for (const char* button : {"vidvesa2", "vidmon2", "vidmon3", "vidmon3"}) click(button);
  EXPECT_FALSE(options().vidmon2 || checked("vidmon2"));
  EXPECT_TRUE(options().vidmon3 && checked("vidmon3")) << "a click on the one on keeps it on";
  EXPECT_TRUE(options().vidvesa2 && checked("vidvesa2")) << "another group is left alone";
  core::setOptionButton(options(), &OptionSet::vidmon3, false);  // a group left with none on
  window->showRecord();
  for (const auto& member : core::kVidmon) EXPECT_FALSE(checked(member.name)) << member.name;
}

TEST_F(WindowBinding, WidgetsAndRecordFollowEachOtherWithoutEcho) {
  open();
  for (const core::CheckBoxField& box : core::kCheckBoxes) {
    click(box.name);
    EXPECT_EQ(options().*box.member, 1) << box.name;
    click(box.name);
    EXPECT_EQ(options().*box.member, 0) << box.name;
  }
  auto& width = widget<QLineEdit>("vidresx");
  click("vidreson");
  QTest::keyClicks(&width, "6a4-0");
  EXPECT_EQ(width.text(), "640") << "digits only";
  EXPECT_EQ(options().vidresx, "640");
  click("vidreson");  // clearing it empties and greys the boxes
  EXPECT_EQ(options().vidresx, "");
  EXPECT_EQ(width.palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
  showTabOf("fsslid");
  QTest::keyClick(&widget("fsslid"), Qt::Key_End);
  EXPECT_EQ(options().fsslid, 11);
  showTabOf("JoyList");
  QTest::keyClick(&widget("JoyList"), Qt::Key_End);
  EXPECT_EQ(options().JoyList, 24);

  for (const core::CheckBoxField& box : core::kCheckBoxes) options().*box.member = 1;
  core::setOptionButton(options(), &OptionSet::sndr3, true);
  options().fsslid = 7;
  options().JoyList = 3;
  options().vidresx = "1024";
  window->showRecord();
  for (const core::CheckBoxField& box : core::kCheckBoxes) EXPECT_TRUE(checked(box.name));
  EXPECT_TRUE(checked("sndr3"));
  EXPECT_EQ(widget<QSlider>("fsslid").value(), 7);
  EXPECT_EQ(widget<QListWidget>("JoyList").currentRow(), 3);
  EXPECT_EQ(width.text(), "1024");
  // No handler ran: checking vgafreqe would have warned and enabled its buttons.
  EXPECT_EQ(messages.size(), 1u) << "only the one of the click on vgafreqe above";
  EXPECT_FALSE(options().vgafreq0Enabled);
}

// One click on each arrow button, the core's stepping rules aside: each steps its own value.
TEST_F(WindowBinding, ArrowButtonsStepTheValueShownInTheirLabel) {
  open();
  const std::tuple<std::string_view, std::string_view, QString> clicks[] = {
      {"vidgamup", "vidgammal", " 1.3"},
      {"vidgamdn", "vidgammal", " 1.2"},
      {"sndvolup", "sndvoltxt", " 0"},
      {"sndvoldn", "sndvoltxt", "-1"},
      {"bup", "beaml", " 2"},
      {"bdown", "beaml", " 1"},
      {"flup", "flickerl", " 1"},
      {"fldown", "flickerl", " 0"},
  };
  for (const auto& [button, name, shown] : clicks) {
    click(button);
    EXPECT_EQ(label(name), shown) << button;
  }
}

TEST_F(WindowBinding, CheckingTheFrequencyBoxWarnsBeforeEnablingItsButtonsEveryTime) {
  open();
  window->answerMessagesWith({});  // the real message box
  const auto enabledButtons = [this] {
    return std::ranges::count_if(std::array{"vgafreq0", "vgafreq1", "vgafreq2", "vgafreq3"},
                                 [this](const char* name) { return widget(name).isEnabled(); });
  };
  int warnings = 0;
  // The box runs its own event loop; this looks at it from inside that loop and closes it.
  std::function<void()> inspect = [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return QTimer::singleShot(10, inspect);
    ++warnings;
    EXPECT_EQ(box->windowTitle(), "WARNING");
    EXPECT_EQ(box->text(),
              "WARNING: the frequencies used might be way outside of your monitor range, and "
              "could even damage it. use these options at your own risk.");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->buttons(), QList<QAbstractButton*>{box->button(QMessageBox::Ok)});
    EXPECT_TRUE(box->isModal());
    EXPECT_EQ(enabledButtons(), 0);
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  };
  QTimer::singleShot(0, inspect);
  click("vgafreqe");
  EXPECT_EQ(warnings, 1);
  EXPECT_EQ(enabledButtons(), 4);
  click("vgafreq2");
  click("vgafreqe");  // clearing deselects and disables them, so no frequency goes to MAME
  EXPECT_FALSE(options().vgafreq2 || checked("vgafreq2"));
  EXPECT_EQ(enabledButtons(), 0);
  QTimer::singleShot(0, inspect);
  click("vgafreqe");
  EXPECT_EQ(warnings, 2);
}

}  // namespace
}  // namespace kestro::ui
