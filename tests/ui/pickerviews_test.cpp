// SPDX-License-Identifier: GPL-3.0-or-later
// The drive, folder and file lists as the user and assistive technology meet them: the
// pickers' entries in their order, opening by double-click and Enter, typing the first letters
// of a name to reach it, and names shown as they are, never as markup.
#include <QAccessible>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QListView>
#include <QTextDocument>
#include <filesystem>

#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;

// A folder name Qt would take for rich text: an image read from a device that never ends.
const std::string kMarkupName = "<img src=&#47;dev&#47;zero>";

class PickerViews : public WindowTest {
 protected:
  void SetUp() override {
    for (const char* name : {"MAME", "roms", "Arcade", "beta", kMarkupName.c_str()}) {
      fs::create_directory(folder.path() / name);
    }
    for (const char* file : {"MAME.EXE", "mess.exe", "readme.txt"}) {
      test::writeFile(folder.path() / file, "x");
    }
    drives = {"/", folder.str()};
    open();
  }
  QAbstractItemView& view(std::string_view name) const {
    showTabOf(name);
    if (auto* list = window->control<QListView>(name)) return *list;
    return *widget<QComboBox>(name).view();
  }
  static QStringList shown(const QAbstractItemModel& model) {
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row) names << model.index(row, 0).data().toString();
    return names;
  }
  static QStringList names(const std::vector<std::string>& entries) {
    QStringList names;
    for (const std::string& name : entries) names << QString::fromStdString(name);
    return names;
  }
  std::vector<std::string> folderNames(const launch::FolderList& list) const {
    std::vector<std::string> names;
    for (const launch::FolderEntry& entry : list.entries()) names.push_back(entry.name);
    return names;
  }
  QString current(std::string_view name) const {
    return view(name).currentIndex().data().toString();
  }
};

TEST_F(PickerViews, EachListShowsItsPickersEntriesInOrderAndReadsThemAloud) {
  MainForm& form = window->form();
  const std::pair<std::string_view, std::vector<std::string>> lists[] = {
      {"RomDrive", form.RomDrive().drives()},
      {"MameDrive", form.MameDrive().drives()},
      {"RomDir", folderNames(form.RomDir())},
      {"MameDir", folderNames(form.MameDir())},
      {"MameFile", form.MameFile().files()}};
  for (const auto& [name, entries] : lists) {
    SCOPED_TRACE(name);
    QAbstractItemView& list = view(name);
    ASSERT_EQ(shown(*list.model()), names(entries));
    if (name.ends_with("Drive")) continue;  // the combo box's own accessible reads its choice
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(&list);
    EXPECT_EQ(node->role(), QAccessible::List);
    ASSERT_EQ(node->childCount(), static_cast<int>(entries.size()));
    for (int row = 0; row < node->childCount(); ++row) {
      EXPECT_EQ(node->child(row)->text(QAccessible::Name), names(entries)[row]);
    }
  }
  EXPECT_EQ(names(form.MameFile().files()), (QStringList{"MAME.EXE", "mess.exe"}));
  EXPECT_EQ(view("MameDir").currentIndex().row(), form.MameDir().currentIndex());
  EXPECT_EQ(widget<QComboBox>("RomDrive").currentText(), folder.str().c_str());
  // Each entry shows Qt's own picture of its kind, alike on every desktop: the open folders',
  // the closed ones' and the drives'.
  const auto builtIn = [](const char* name) {
    const QString path = QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-16.png");
    return QIcon(path.arg(QLatin1StringView(name))).pixmap(16).toImage();
  };
  QAbstractItemModel& folders = *view("MameDir").model();
  const std::pair<QModelIndex, const char*> pictures[] = {
      {folders.index(0, 0), "diropen"},
      {folders.index(folders.rowCount() - 1, 0), "dirclosed"},
      {view("RomDrive").model()->index(0, 0), "harddrive"}};
  for (const auto& [index, name] : pictures) {
    const QImage shown = index.data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
    EXPECT_FALSE(shown.isNull()) << name;
    EXPECT_EQ(shown, builtIn(name)) << name;
  }
}

TEST_F(PickerViews, DoubleClickAndEnterOpenTypingFindsAndTheFileListTakesTheSelection) {
  MainForm& form = window->form();
  pick("RomDir", "Arcade", true);
  EXPECT_EQ(form.RomDir().path(), (folder.path() / "Arcade").string());
  EXPECT_EQ(current("RomDir"), "Arcade");

  // The first letters of a name, in any case, move to the first entry that starts with them.
  QTest::keyClicks(&view("MameDir"), "RO");
  EXPECT_EQ(current("MameDir"), "roms");
  EXPECT_EQ(form.MameDir().path(), folder.str()) << "moving is not opening";
  QTest::keyClick(&view("MameDir"), Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(form.MameDir().path(), (folder.path() / "roms").string());

  pick("MameDir", QString::fromStdString(folder.path().filename().string()), true);
  QTest::keyClicks(&view("MameFile"), "me");
  EXPECT_EQ(form.MameFile().selectedName(), "mess.exe");
  pick("MameFile", "MAME.EXE");
  EXPECT_EQ(form.MameFile().selectedName(), "MAME.EXE");

  QTest::keyClicks(&widget<QComboBox>("MameDrive"), "/");  // the root, the first drive
  EXPECT_EQ(form.MameDrive().index(), 0);
  EXPECT_EQ(form.MameDir().path(), "/");
}

TEST_F(PickerViews, AMarkupNameIsShownAsItIs) {
  const QAbstractItemModel& folders = *view("RomDir").model();
  const QString name = QString::fromStdString(kMarkupName);
  const QModelIndexList found = folders.match(folders.index(0, 0), Qt::DisplayRole, name);
  ASSERT_EQ(found.size(), 1);
  EXPECT_EQ(found.front().data(Qt::AccessibleTextRole).toString(), name);
  // A tooltip is rendered as rich text when it looks like it, as QToolTip does.
  const QString tip = found.front().data(Qt::ToolTipRole).toString();
  QTextDocument rendered;
  if (Qt::mightBeRichText(tip)) {
    rendered.setHtml(tip);
  } else {
    rendered.setPlainText(tip);
  }
  EXPECT_EQ(rendered.toPlainText().toStdString(), (folder.path() / kMarkupName).string());
}

}  // namespace
}  // namespace kestro::ui
