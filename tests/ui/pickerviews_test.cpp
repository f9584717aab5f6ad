// The picker views on the offscreen platform: each shows its model, the user's clicks
// reach the model, and the program's moves show in the view.
#include "ui/pickerviews.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTest>
#include <filesystem>
#include <memory>

#include "support/tempfolder.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;

QStringList itemTexts(const QListWidget& list) {
  QStringList texts;
  for (int i = 0; i < list.count(); ++i) texts << list.item(i)->text();
  return texts;
}

void doubleClickRow(QListWidget& list, int row) {
  // As the system delivers a double-click: a click, then the double-click and its release.
  const QPoint point = list.visualItemRect(list.item(row)).center();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, point);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, point);
  QTest::mouseRelease(list.viewport(), Qt::LeftButton, Qt::NoModifier, point);
  // The view opens the folder once the click's own handling is done.
  QCoreApplication::processEvents();
}

class PickerViews : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"games", "mame", "Music"})
      fs::create_directory(root.path() / folder);
    for (const char* file : {"MAME.EXE", "readme.txt", "b.exe"}) {
      test::writeFile(root.path() / "mame" / file, "x");
    }
  }
  int rowOf(const QListWidget& list, const QString& text) { return itemTexts(list).indexOf(text); }

  test::TempFolder root;
};

TEST_F(PickerViews, DriveListShowsTheDrivesAndHandsTheChoiceOn) {
  launch::DriveList model({"/", root.str()}, root.str());
  DriveListView view(model);
  view.show();
  ASSERT_EQ(view.count(), 2);
  EXPECT_EQ(view.itemText(0), "/");
  EXPECT_EQ(view.itemText(1), QString::fromStdString(root.str()));
  EXPECT_EQ(view.currentIndex(), 1);

  int changes = 0;
  const launch::Subscription subscription = model.subscribeChange([&] { ++changes; });
  view.setFocus();
  QTest::keyClick(&view, Qt::Key_Up);
  EXPECT_EQ(model.index(), 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(view.currentIndex(), 0);
}

TEST_F(PickerViews, FolderListOpensByDoubleClickAndEnterAndFollowsTheProgram) {
  launch::FolderList model(root.str());
  FolderListView view(model);
  view.resize(300, 400);
  view.show();
  const int current = model.currentIndex();
  ASSERT_EQ(view.count(), static_cast<int>(model.entries().size()));
  EXPECT_EQ(view.currentRow(), current);
  EXPECT_EQ(view.item(0)->text(), "/");
  EXPECT_EQ(itemTexts(view).mid(current + 1), (QStringList{"games", "mame", "Music"}));

  int changes = 0;
  const launch::Subscription subscription = model.subscribeChange([&] { ++changes; });
  doubleClickRow(view, rowOf(view, "mame"));
  EXPECT_EQ(model.path(), (root.path() / "mame").string());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(view.currentRow(), model.currentIndex());
  EXPECT_EQ(view.currentItem()->text(), "mame");

  // Enter opens the entry the user moved to: here the one above, the start folder.
  view.setFocus();
  QTest::keyClick(&view, Qt::Key_Up);
  QTest::keyClick(&view, Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(model.path(), root.str());
  EXPECT_EQ(changes, 2);

  // A move by the program shows in the view.
  model.setPath((root.path() / "games").string());
  EXPECT_EQ(view.currentItem()->text(), "games");
  EXPECT_EQ(view.count(), model.currentIndex() + 1);
}

TEST_F(PickerViews, FileListShowsTheFilesAndTakesTheSelection) {
  launch::FileList model((root.path() / "mame").string());
  FileListView view(model);
  view.resize(300, 400);
  view.show();
  EXPECT_EQ(itemTexts(view), (QStringList{"b.exe", "MAME.EXE", "readme.txt"}));

  model.setPattern("*.exe");
  EXPECT_EQ(itemTexts(view), (QStringList{"b.exe", "MAME.EXE"}));
  const QRect rect = view.visualItemRect(view.item(1));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
  EXPECT_EQ(model.selectedName(), "MAME.EXE");

  // The selection cleared in the view is cleared in the model.
  QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, rect.center());
  EXPECT_EQ(model.selectedName(), "");

  model.select(0);
  EXPECT_TRUE(view.item(0)->isSelected());
  model.setFolder(root.str());
  EXPECT_EQ(view.count(), 0);
  EXPECT_TRUE(view.selectedItems().isEmpty());
}

TEST_F(PickerViews, AViewOutlivingItsModelDoesNoHarm) {
  auto model = std::make_unique<launch::FileList>((root.path() / "mame").string());
  FileListView view(*model);
  view.show();
  model.reset();
  const QRect rect = view.visualItemRect(view.item(0));
  QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
  EXPECT_TRUE(view.item(0)->isSelected());
}

}  // namespace
}  // namespace kestro::ui

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
