// The window as built from the layout table: its frame and tabs, what a screen reader says, and
// the place, caption and font of a sample of controls on every tab, with no caption clipped.
#include "ui/layout.h"

#include <QAccessible>
#include <QGroupBox>
#include <QListWidget>

#include "ui/captions.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

using WindowLayout = WindowTest;

TEST_F(WindowLayout, FixedWindowOpeningOnFileWithItsJoysticksAndSpokenNames) {
  open();
  EXPECT_EQ(window->windowTitle(), "Kestro 9x");
  EXPECT_EQ(window->size(), QSize(441, 361));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  auto& tabs = widget<QTabWidget>("optiontabs");
  QStringList captions;
  for (int i = 0; i < tabs.count(); ++i) captions << tabs.tabText(i);
  EXPECT_EQ(captions, (QStringList{"File", "Video", "Video 2", "Audio", "Misc", "Kestro Setup"}));
  EXPECT_EQ(tabs.currentIndex(), 0);
  ASSERT_EQ(widget<QListWidget>("JoyList").count(), 25);
  EXPECT_EQ(widget<QListWidget>("JoyList").item(24)->text(), "Hotrod SE");

  // A caption, the label beside a box without one, or a short name of what a control holds.
  const auto spoken = [this](std::string_view name) {
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&widget(name));
    return reader ? reader->text(QAccessible::Name) : QString();
  };
  EXPECT_EQ(spoken("snd3"), "Pro Audio Spectrum");
  EXPECT_EQ(spoken("stretche"), "  Disable   Stretch mode (pixel doubling)");
  EXPECT_EQ(spoken("vidgammal"), "Gamma value");
  EXPECT_EQ(spoken("vidgamup"), "Gamma up");
  for (const Control& row : kControls) {
    EXPECT_TRUE(row.kind == Kind::Tab || !spoken(row.name).isEmpty()) << row.name;
  }
}

QRect tableRect(std::string_view name) {
  const Control& row = *std::ranges::find(kControls, name, &Control::name);
  const auto pixels = [](int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; };
  return {pixels(row.left), pixels(row.top), pixels(row.width), pixels(row.height)};
}

// Places are in the table's coordinates, from the corner of the tab control (`in` empty) or of
// the frame. A control whose caption the fonts here may not fit keeps its place and may grow.
struct Placed {
  std::string_view name, in;
  QString caption;
  double points;
  bool mayGrow = false;
};

const Placed kSample[] = {
    {"gamename", "", "Game name. Double click on the game's folder to select it.", 8, true},
    {"vidres", "res", "Custom Resulution", 6.75},
    {"vidgamup", "vidgamma", QString::fromUtf8("\u25B2"), 14.25},
    {"vidrorl", "", QString::fromUtf8("Rotate 90\u00B0 CW"), 6, true},
    {"strtchl", "vmof", "  Disable   Stretch mode (pixel doubling)", 6, true},
    {"bdown", "vecof", QString::fromUtf8("\u25BC"), 15.75},
    {"sndr3", "sndrate", "41100 Khz", 6, true},
    {"chkinvmisromc", "otherf", "Check the selected game for invalid / missing roms", 6.75, true},
    {"loaddef", "", "Default Settings", 8},
};

TEST_F(WindowLayout, ControlsInPlaceWithTheirCaptionsShownWhole) {
  open();
  for (const Placed& sample : kSample) {
    SCOPED_TRACE(std::string(sample.name));
    QWidget& control = widget(sample.name);
    QWidget& corner = widget(sample.in.empty() ? "optiontabs" : sample.in);
    const QRect actual(control.mapTo(&corner, QPoint()), control.size());
    const QRect expected = tableRect(sample.name);
    const char* caption = qobject_cast<QGroupBox*>(&control) ? "title" : "text";
    EXPECT_EQ(control.property(caption).toString(), sample.caption);
    EXPECT_DOUBLE_EQ(control.font().pointSizeF(), sample.points);
    EXPECT_EQ(actual.topLeft(), expected.topLeft());
    EXPECT_TRUE(sample.mayGrow
                    ? actual.width() >= expected.width() && actual.height() >= expected.height()
                    : actual.size() == expected.size());
  }
  // Frames whose top lies inside the tab strip sit at the top of their page instead.
  for (std::string_view name : {"joyf", "otherf"}) {
    EXPECT_EQ(widget(name).y(), 0) << name;
    EXPECT_EQ(widget(name).mapTo(&widget("optiontabs"), QPoint()).x(), tableRect(name).x());
  }
  // Every caption shows whole, every control stays inside its frame or page, and one that grew
  // covers no neighbour that it did not touch in the table.
  for (const Control& row : kControls) {
    if (row.kind == Kind::Tab || row.kind == Kind::TabControl) continue;
    const QWidget& control = widget(row.name);
    EXPECT_TRUE(captionFits(control)) << row.name;
    EXPECT_TRUE(control.parentWidget()->rect().contains(control.geometry())) << row.name;
    for (const Control& other : kControls) {
      if (other.in != row.in || other.name <= row.name) continue;
      EXPECT_TRUE(tableRect(row.name).intersects(tableRect(other.name)) ||
                  !control.geometry().intersects(widget(other.name).geometry()))
          << row.name << " covers " << other.name;
    }
  }
}

}  // namespace
}  // namespace kestro::ui
