// The widgets and the option set in step both ways: clicks, typing and keys write the record;
// a record changed in code shows in the widgets without coming back as an edit. Also the arrow
// buttons and the two check boxes that switch other controls.
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "core/controls.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

using core::OptionSet;
using WindowBinding = WindowTest;

std::uint32_t baseColour(const QWidget& box) {
  const QColor colour = box.palette().color(QPalette::Base);
  return static_cast<std::uint32_t>(colour.red() | colour.green() << 8 | colour.blue() << 16);
}

TEST_F(WindowBinding, OptionButtonsOfAGroupSwitchEachOtherOffThroughClicks) {
  open();
  OptionSet& options = window->form().options();
  click("vidvesa2");
  click("vidmon2");
  EXPECT_TRUE(options.vidmon2);
  click("vidmon3");
  EXPECT_FALSE(options.vidmon2);
  EXPECT_TRUE(options.vidmon3);
  EXPECT_FALSE(checked("vidmon2"));
  EXPECT_TRUE(checked("vidmon3"));
  EXPECT_TRUE(options.vidvesa2) << "another group is left alone";
  EXPECT_TRUE(checked("vidvesa2"));

  click("vidmon3");  // a click on the button that is on keeps it on
  EXPECT_TRUE(options.vidmon3);
  EXPECT_TRUE(checked("vidmon3"));

  // A group may be left with no member on; the widgets follow the record.
  core::setOptionButton(options, &OptionSet::vidmon3, false);
  window->showRecord();
  for (const core::OptionButtonField& member : core::kVidmon) {
    EXPECT_FALSE(checked(member.name)) << member.name;
  }
  EXPECT_TRUE(checked("vidvesa2"));
}

TEST_F(WindowBinding, EveryCheckBoxWritesItsFieldBothWays) {
  open();
  OptionSet& options = window->form().options();
  for (const core::CheckBoxField& box : core::kCheckBoxes) {
    click(box.name);
    EXPECT_EQ(options.*box.member, 1) << box.name;
    click(box.name);
    EXPECT_EQ(options.*box.member, 0) << box.name;
  }
}

TEST_F(WindowBinding, RecordShowsInTheWidgetsWithoutEchoingBack) {
  open();
  OptionSet& options = window->form().options();
  for (const core::CheckBoxField& box : core::kCheckBoxes) options.*box.member = 1;
  core::setOptionButton(options, &OptionSet::snd5, true);
  core::setOptionButton(options, &OptionSet::sndr3, true);
  options.fsslid = 7;
  options.JoyList = 24;
  options.vidresx = "1024";
  options.vidgammal = " .8";
  options.gamename = "pacman";
  const OptionSet before = options;
  window->showRecord();

  for (const core::CheckBoxField& box : core::kCheckBoxes) EXPECT_TRUE(checked(box.name));
  EXPECT_TRUE(checked("snd5"));
  EXPECT_FALSE(checked("snd1"));
  EXPECT_TRUE(checked("sndr3"));
  EXPECT_EQ(widget<QSlider>("fsslid").value(), 7);
  EXPECT_EQ(widget<QListWidget>("JoyList").currentRow(), 24);
  EXPECT_EQ(widget<QLineEdit>("vidresx").text(), "1024");
  EXPECT_EQ(labelText("vidgammal"), " .8");
  EXPECT_EQ(labelText("gamename"), "pacman");
  // Nothing came back: no handler ran (checking vgafreqe would have warned) and the record
  // is as it was set.
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(options.vidresx, before.vidresx);
  EXPECT_EQ(options.JoyList, 24);
  EXPECT_EQ(options.fsslid, 7);
  EXPECT_FALSE(options.vgafreq0Enabled) << "display state stays the record's";
}

TEST_F(WindowBinding, SliderAndJoystickListFollowKeysAndClicks) {
  open();
  OptionSet& options = window->form().options();
  showTabOf("fsslid");
  auto& slider = widget<QSlider>("fsslid");
  slider.setFocus();
  QTest::keyClick(&slider, Qt::Key_Right);
  QTest::keyClick(&slider, Qt::Key_Right);
  EXPECT_EQ(options.fsslid, 2);
  QTest::keyClick(&slider, Qt::Key_End);
  EXPECT_EQ(options.fsslid, 11);

  showTabOf("JoyList");
  auto& list = widget<QListWidget>("JoyList");
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                    list.visualItemRect(list.item(2)).center());
  EXPECT_EQ(options.JoyList, 2);
  QTest::keyClick(&list, Qt::Key_Down);
  EXPECT_EQ(options.JoyList, 3);
}

TEST_F(WindowBinding, CustomResolutionBoxesFollowTheirCheckBoxAndTakeDigitsOnly) {
  open();
  OptionSet& options = window->form().options();
  auto& width = widget<QLineEdit>("vidresx");
  auto& height = widget<QLineEdit>("vidresy");
  EXPECT_FALSE(width.isEnabled());
  EXPECT_EQ(baseColour(width), 0xC0C0C0u);

  click("vidreson");
  EXPECT_TRUE(width.isEnabled());
  EXPECT_TRUE(height.isEnabled());
  EXPECT_EQ(baseColour(width), 0xFFFFFFu);
  EXPECT_EQ(baseColour(height), 0xFFFFFFu);
  type("vidresx", "6a4-0");
  type("vidresy", "48.0");
  EXPECT_EQ(width.text(), "640");
  EXPECT_EQ(options.vidresx, "640");
  EXPECT_EQ(options.vidresy, "480");

  click("vidreson");
  EXPECT_FALSE(width.isEnabled());
  EXPECT_EQ(baseColour(height), 0xC0C0C0u);
  EXPECT_EQ(width.text(), "");
  EXPECT_EQ(options.vidresy, "");
}

// Clicks on one arrow button from the start values, with its label after each click.
struct Steps {
  std::string_view button;
  std::string_view label;
  std::vector<QString> labels;
  std::string value;
};

const Steps kSteps[] = {
    {"vidgamup",
     "vidgammal",
     {" 1.3", " 1.4", " 1.5", " 1.6", " 1.7", " 1.8", " 1.9", " 2", " 2"},
     "2"},
    {"vidgamdn", "vidgammal", {" 1.1", " 1", " .9", " .8", " .7", " .6", " .5", " .5"}, "0.5"},
    {"sndvolup", "sndvoltxt", {" 0"}, "0"},
    {"sndvoldn", "sndvoltxt", {"-1", "-2", "-3"}, "-3"},
    {"bdown", "beaml", {" 1"}, "1"},
    {"bup", "beaml", {" 2", " 3"}, "3"},
    {"flup", "flickerl", {" 1", " 2"}, "2"},
    {"fldown", "flickerl", {" 0"}, "0"},
};

TEST_F(WindowBinding, ArrowButtonsStepTheirValueAndLabel) {
  open();
  for (const Steps& steps : kSteps) {
    SCOPED_TRACE(std::string(steps.button));
    window->hide();  // coming back runs the start-up, which sets every value to its start
    window->show();
    std::vector<QString> seen;
    for (std::size_t i = 0; i < steps.labels.size(); ++i) {
      click(steps.button);
      seen.push_back(labelText(steps.label));
    }
    EXPECT_EQ(seen, steps.labels);
    const auto* stepped =
        std::ranges::find_if(core::kSteppedValues, [&](const core::SteppedValue& value) {
          return value.upButton == steps.button || value.downButton == steps.button;
        });
    EXPECT_EQ(window->form().options().*stepped->value, steps.value);
  }
}

}  // namespace
}  // namespace kestro::ui
