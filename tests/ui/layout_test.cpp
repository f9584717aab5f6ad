// The window as built from the layout table: its frame, the places and captions of a sample of
// controls on every tab, fonts, accessible names, and captions that show whole.
#include "ui/layout.h"

#include <QAccessible>
#include <QFontInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

#include "ui/captions.h"
#include "windowtest.h"

namespace kestro::ui {
namespace {

QRect tableRect(const Control& row) {
  const auto pixels = [](int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; };
  return {pixels(row.left), pixels(row.top), pixels(row.width), pixels(row.height)};
}

const Control& rowNamed(std::string_view name) {
  for (const Control& row : kControls) {
    if (row.name == name) return row;
  }
  throw std::logic_error("no such row");
}

bool onTab(const Control& row) { return rowNamed(row.in).kind == Kind::Tab; }

using WindowLayout = WindowTest;

TEST_F(WindowLayout, FixedCaptionedWindowWithSixTabsOpeningOnFile) {
  open();
  EXPECT_EQ(window->windowTitle(), "Kestro 9x");
  EXPECT_EQ(window->size(), QSize(441, 361));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_EQ(window->windowType(), Qt::Tool) << "no task-bar button while there is a tray";
  EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(64, 64)));
  EXPECT_EQ(window->trayIcon().icon().cacheKey(), window->windowIcon().cacheKey());

  auto& tabs = widget<QTabWidget>("optiontabs");
  const QStringList captions = {"File", "Video", "Video 2", "Audio", "Misc", "Kestro Setup"};
  ASSERT_EQ(tabs.count(), captions.size());
  for (int i = 0; i < tabs.count(); ++i) EXPECT_EQ(tabs.tabText(i), captions[i]);
  EXPECT_EQ(tabs.currentIndex(), 0);
  EXPECT_EQ(tabs.geometry(), QRect(16, 8, 409, 337));
}

// Places are checked in the coordinates of the table: a control on a tab from the tab
// control's corner, one in a frame from the frame's. A control marked `mayGrow` has a caption
// that the fonts here may not fit into its box; it keeps its place and may only grow.
struct Placed {
  std::string_view name;
  QString caption;
  bool mayGrow = false;
};

const Placed kSample[] = {
    {"RomDrive", ""},
    {"RomDir", ""},
    {"gamename", "Game name. Double click on the game's folder to select it.", true},
    {"runmame", "Run Mame"},
    {"mini", "Minimize"},
    {"exit", "Exit"},
    {"res", "Resolution"},
    {"vidres", "Custom Resulution"},
    {"vidresx", ""},
    {"vidntsc", ""},
    {"vidgamup", QString::fromUtf8("\u25B2")},
    {"vidrorl", QString::fromUtf8("Rotate 90\u00B0 CW"), true},
    {"Label1", QString::fromUtf8("Rotate 90\u00B0 CCW"), true},
    {"Frame1", "Misc Video Options"},
    {"vgafreqe", ""},
    {"strtchl", "  Disable   Stretch mode (pixel doubling)", true},
    {"fsl", "          Frame Skip: 0-Auto             11-Max", true},
    {"fsslid", ""},
    {"bdown", QString::fromUtf8("\u25BC")},
    {"sndcard", "Sound Card"},
    {"snd3", "Pro Audio Spectrum", true},
    {"sndr3", "41100 Khz", true},
    {"sndvoltxt", " 0"},  // the start-up's volume
    {"JoyList", ""},
    {"chkinvmisromc", "Check the selected game for invalid / missing roms", true},
    {"mamefindl", "Find Mame executable"},
    {"MameFile", ""},
    {"loaddef", "Default Settings"},
};

QString captionOf(const QWidget& control) {
  if (const auto* frame = qobject_cast<const QGroupBox*>(&control)) return frame->title();
  if (const auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
  return {};
}

TEST_F(WindowLayout, SampleOfEveryTabAtItsPlaceWithItsCaption) {
  open();
  auto& tabs = widget<QTabWidget>("optiontabs");
  for (const Placed& sample : kSample) {
    SCOPED_TRACE(std::string(sample.name));
    const Control& row = rowNamed(sample.name);
    QWidget& control = widget(sample.name);
    QWidget& holder = onTab(row) ? tabs : widget(row.in);
    const QRect expected = tableRect(row);
    const QRect actual(control.mapTo(&holder, QPoint()), control.size());
    EXPECT_EQ(captionOf(control), sample.caption);
    EXPECT_EQ(actual.topLeft(), expected.topLeft());
    if (sample.mayGrow) {
      EXPECT_GE(actual.width(), expected.width());
      EXPECT_GE(actual.height(), expected.height());
    } else {
      EXPECT_EQ(actual.size(), expected.size());
    }
  }
}

TEST_F(WindowLayout, FramesStartingInsideTheTabStripSitAtTheTopOfTheirPage) {
  open();
  auto& tabs = widget<QTabWidget>("optiontabs");
  for (std::string_view name : {"joyf", "otherf"}) {
    QWidget& frame = widget(name);
    EXPECT_EQ(frame.y(), 0) << name;
    EXPECT_EQ(frame.mapTo(&tabs, QPoint()).x(), tableRect(rowNamed(name)).x()) << name;
    EXPECT_EQ(frame.height(), tableRect(rowNamed(name)).height()) << name;
  }
}

// Every caption shows whole, every control stays inside its frame or page, and a control that
// grew covers no neighbour that it did not touch in the table.
TEST_F(WindowLayout, CaptionsShowWholeWithoutCoveringNeighbours) {
  open();
  for (const Control& row : kControls) {
    if (row.kind == Kind::Tab || row.kind == Kind::TabControl) continue;
    SCOPED_TRACE(std::string(row.name));
    const QWidget& control = widget(row.name);
    EXPECT_TRUE(captionFits(control));
    EXPECT_TRUE(control.parentWidget()->rect().contains(control.geometry()));
    for (const Control& other : kControls) {
      if (other.in != row.in || other.name <= row.name) continue;
      if (tableRect(row).intersects(tableRect(other))) continue;
      EXPECT_FALSE(control.geometry().intersects(widget(other.name).geometry())) << other.name;
    }
  }
}

TEST_F(WindowLayout, FontsAndArrowGlyphs) {
  open();
  struct Expected {
    std::string_view name;
    double points;
  };
  const Expected fonts[] = {
      {"vidtweakon", 6},   {"strtchl", 6},      {"ase", 6},     {"vidtweak", 6.75},
      {"vecof", 6.75},     {"logc", 6.75},      {"res", 8},     {"vgafreq0", 8},
      {"gamename", 8},     {"mamefindl", 8},    {"JoyList", 8}, {"vidresx", 8},
      {"vidgammal", 8},    {"runmame", 8},      {"bup", 15.75}, {"sndvoldn", 15.75},
      {"vidgamup", 14.25}, {"vidgamdn", 14.25},
  };
  for (const Expected& expected : fonts) {
    EXPECT_DOUBLE_EQ(widget(expected.name).font().pointSizeF(), expected.points) << expected.name;
  }
  EXPECT_TRUE(QFontInfo(widget("vidtweakon").font()).family().contains("Condensed") ||
              QFontInfo(widget("vidtweakon").font()).styleName().contains("Condensed"));
  for (std::string_view up : {"bup", "flup", "sndvolup", "vidgamup"}) {
    EXPECT_EQ(widget<QPushButton>(up).text(), QString::fromUtf8("\u25B2")) << up;
  }
  for (std::string_view down : {"bdown", "fldown", "sndvoldn", "vidgamdn"}) {
    EXPECT_EQ(widget<QPushButton>(down).text(), QString::fromUtf8("\u25BC")) << down;
  }
}

TEST_F(WindowLayout, JoystickListAndFrameSkipSlider) {
  open();
  const auto& list = widget<QListWidget>("JoyList");
  ASSERT_EQ(list.count(), 25);
  EXPECT_EQ(list.item(0)->text(), "None");
  EXPECT_EQ(list.item(3)->text(), "Dual Joysticks");
  EXPECT_EQ(list.item(21)->text(), "Gravis GrIP");
  EXPECT_EQ(list.item(24)->text(), "Hotrod SE");
  EXPECT_EQ(list.currentRow(), -1);
  EXPECT_TRUE(list.selectedItems().isEmpty());
  const auto& slider = widget<QSlider>("fsslid");
  EXPECT_EQ(slider.orientation(), Qt::Horizontal);
  EXPECT_EQ(slider.minimum(), 0);
  EXPECT_EQ(slider.maximum(), 11);
  EXPECT_EQ(slider.singleStep(), 1);
  EXPECT_EQ(slider.value(), 0);
}

// What a screen reader says for each control: its caption, the label beside a box without one,
// or a short name of what it holds.
TEST_F(WindowLayout, AccessibleNames) {
  open();
  const auto spoken = [this](std::string_view name) {
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&widget(name));
    return reader ? reader->text(QAccessible::Name) : QString();
  };
  const std::pair<std::string_view, QString> names[] = {
      {"runmame", "Run Mame"},
      {"snd3", "Pro Audio Spectrum"},
      {"vidres", "Custom Resulution"},
      {"vidntsc", "Ntsc mode 288x224"},
      {"vidrol", QString::fromUtf8("Rotate 90\u00B0 CCW")},
      {"vgafreqe", "Use freq change"},
      {"stretche", "  Disable   Stretch mode (pixel doubling)"},
      {"tripbufe", "Triple Buffering On / Off"},
      {"vidresx", "Custom resolution width"},
      {"vidresy", "Custom resolution height"},
      {"vidgammal", "Gamma value"},
      {"sndvoltxt", "Volume value"},
      {"vidgamup", "Gamma up"},
      {"sndvoldn", "Volume down"},
      {"fldown", "Vector flicker down"},
      {"fsslid", "Frame skip"},
      {"JoyList", "Joystick"},
      {"MameFile", "MAME executables"},
  };
  for (const auto& [name, expected] : names) EXPECT_EQ(spoken(name), expected) << name;
  for (const Control& row : kControls) {
    if (row.kind == Kind::Tab) continue;
    EXPECT_FALSE(spoken(row.name).isEmpty()) << row.name;
  }
}

}  // namespace
}  // namespace kestro::ui
