// The pickers' icons come from the style's standard icons, whose look-up walks the icon
// theme's folders: each is asked for once however often the lists are filled, is still drawn,
// and is asked again of a new style.
#include <QComboBox>
#include <QProxyStyle>
#include <QStyleFactory>
#include <filesystem>
#include <map>

#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;

// The Fusion style, counting the standard icons asked of it.
class CountingStyle : public QProxyStyle {
 public:
  CountingStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}
  QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                     const QWidget* widget) const override {
    ++asked[which];
    return QProxyStyle::standardIcon(which, option, widget);
  }
  mutable std::map<StandardPixmap, int> asked;
};

class PickerViews : public WindowTest {
 protected:
  void TearDown() override {
    window.reset();
    QApplication::setStyle(QStyleFactory::create("Fusion"));
  }
  // Opens the folders down a folder list and back up where it started, drawing each step.
  void walk(std::string_view list, const std::vector<QString>& down) {
    const QString start = widget<QListWidget>(list).currentItem()->text();
    for (const QString& name : down) {
      pick(list, name, true);
      window->grab();
    }
    ASSERT_EQ(widget<QListWidget>(list).currentItem()->text(), down.back());
    pick(list, start, true);
    window->grab();
  }
};

TEST_F(PickerViews, EachStandardIconIsAskedForOnceAndDrawn) {
  fs::create_directories(folder.path() / "MAME" / "ROMS" / "pacman");
  drives = {"/", folder.str()};
  auto* style = new CountingStyle;  // the application takes it
  QApplication::setStyle(style);
  open();
  walk("RomDir", {"MAME", "ROMS"});
  walk("MameDir", {"MAME", "ROMS", "pacman"});
  walk("MameDir", {"MAME"});
  EXPECT_EQ(style->asked, (std::map<QStyle::StandardPixmap, int>{{QStyle::SP_DriveHDIcon, 1},
                                                                 {QStyle::SP_DirOpenIcon, 1},
                                                                 {QStyle::SP_DirClosedIcon, 1}}));
  auto& folders = widget<QListWidget>("MameDir");
  ASSERT_GT(folders.count(), 1);
  for (const QIcon& icon : {folders.item(0)->icon(), folders.item(folders.count() - 1)->icon(),
                            widget<QComboBox>("MameDrive").itemIcon(0)}) {
    EXPECT_FALSE(icon.pixmap(16, 16).isNull());
  }

  auto* next = new CountingStyle;
  QApplication::setStyle(next);  // the first one is deleted here
  window->grab();
  EXPECT_EQ(next->asked[QStyle::SP_DirOpenIcon], 1);
  EXPECT_FALSE(folders.item(0)->icon().pixmap(16, 16).isNull());
}

}  // namespace
}  // namespace kestro::ui
