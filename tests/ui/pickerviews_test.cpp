// The pickers' icons come from the style's standard icons, whose look-up walks the icon
// theme's folders: each is asked for once however often the lists are filled, and is still
// drawn.
#include <QComboBox>
#include <QListWidget>
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
  void SetUp() override {
    fs::create_directories(folder.path() / "MAME" / "ROMS" / "pacman");
    drives = {"/", folder.str()};
    QApplication::setStyle(style);
    open();
  }
  void TearDown() override {
    window.reset();
    QApplication::setStyle(QStyleFactory::create("Fusion"));
  }

  // Walks a folder list down the given folders and back up to where it started, opening
  // each by a double-click, and draws the window after each step.
  void walk(std::string_view list, const std::vector<QString>& down) {
    showTabOf(list);
    auto& view = widget<QListWidget>(list);
    const int startRow = view.currentRow();
    for (const QString& name : down) {
      const QList<QListWidgetItem*> found = view.findItems(name, Qt::MatchExactly);
      ASSERT_EQ(found.size(), 1) << name.toStdString();
      const QPoint centre = view.visualItemRect(found.front()).center();
      QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre);
      QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre);
      QCoreApplication::processEvents();  // a folder opens once the click is done with
      window->grab();
    }
    ASSERT_EQ(view.currentItem()->text(), down.back());  // walked down as far as asked
    view.setCurrentRow(startRow);
    QTest::keyClick(&view, Qt::Key_Return);
    QCoreApplication::processEvents();
    window->grab();
  }

  CountingStyle* style = new CountingStyle;  // the application takes it
};

TEST_F(PickerViews, EachStandardIconIsAskedForOnceAndDrawn) {
  for (const char* tab : {"RomDir", "MameDir"}) {
    showTabOf(tab);
    window->grab();
  }
  walk("RomDir", {"MAME", "ROMS"});
  walk("MameDir", {"MAME", "ROMS", "pacman"});
  walk("MameDir", {"MAME"});

  EXPECT_EQ(style->asked, (std::map<QStyle::StandardPixmap, int>{{QStyle::SP_DriveHDIcon, 1},
                                                                 {QStyle::SP_DirOpenIcon, 1},
                                                                 {QStyle::SP_DirClosedIcon, 1}}));
  auto& folders = widget<QListWidget>("MameDir");
  auto& drivesBox = widget<QComboBox>("MameDrive");
  ASSERT_GT(folders.count(), 1);
  for (const QIcon& icon : {folders.item(0)->icon(), folders.item(folders.count() - 1)->icon(),
                            drivesBox.itemIcon(0)}) {
    EXPECT_FALSE(icon.isNull());
    EXPECT_FALSE(icon.pixmap(16, 16).isNull());
  }
}

TEST_F(PickerViews, ANewStyleIsAskedAgain) {
  window->grab();
  auto* next = new CountingStyle;
  QApplication::setStyle(next);  // the first one is deleted here
  showTabOf("MameDir");
  window->grab();
  EXPECT_EQ(next->asked[QStyle::SP_DirOpenIcon], 1);
  EXPECT_FALSE(widget<QListWidget>("MameDir").item(0)->icon().pixmap(16, 16).isNull());
}

}  // namespace
}  // namespace kestro::ui
