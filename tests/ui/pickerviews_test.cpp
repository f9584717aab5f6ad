// SPDX-License-Identifier: GPL-3.0-or-later
// The drive, folder and file lists as the user and assistive technology meet them, names that
// look like markup shown as their text.
#include <QAccessible>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QListView>
#include <QTextDocument>
#include <filesystem>
#include <ranges>

#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;

// Names that look like markup, a tag or an entity; a tag as such would render (or load a file,
// or freeze the window over nested tables).
const QString kMarkupNames[] = {"<b>bold", "a & b &amp; c"};

using PickerViews = WindowTest;

QStringList shown(const QAbstractItemModel& model) {
  QStringList names;
  for (int row = 0; row < model.rowCount(); ++row) names << model.index(row, 0).data().toString();
  return names;
}

QStringList names(const auto& entries) {
  QStringList names;
  for (const std::string& name : entries) names << QString::fromStdString(name);
  return names;
}

TEST_F(PickerViews, ShowTheirPickersEntriesReadThemAloudShowMarkupAsTextAndFindAndOpenByKeys) {
  for (const char* name : {"MAME", "Arcade", "beta"}) fs::create_directory(folder.path() / name);
  for (const QString& name : kMarkupNames) {
    fs::create_directory(folder.path() / name.toStdString());
  }
  fs::create_directories(folder.path() / "ROMS" / "<i>game");
  for (const char* file : {"MAME.EXE", "mess.exe", "readme.txt"}) {
    test::writeFile(folder.path() / file, "x");
  }
  drives = {"/", folder.str()};
  open();
  const auto view = [this](std::string_view name) -> QAbstractItemView& {
    showTabOf(name);
    if (auto* list = window->control<QListView>(name)) return *list;
    return *widget<QComboBox>(name).view();
  };
  MainForm& form = window->form();
  const auto named = std::views::transform(&launch::FolderEntry::name);
  const std::pair<std::string_view, QStringList> lists[] = {
      {"RomDrive", names(form.RomDrive().drives())},
      {"MameDrive", names(form.MameDrive().drives())},
      {"RomDir", names(form.RomDir().entries() | named)},
      {"MameDir", names(form.MameDir().entries() | named)},
      {"MameFile", {"MAME.EXE", "mess.exe"}}};
  for (const auto& [name, entries] : lists) {
    SCOPED_TRACE(name);
    QAbstractItemView& list = view(name);
    ASSERT_EQ(shown(*list.model()), entries);
    if (name.ends_with("Drive")) continue;  // the combo box's own accessible reads its choice
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(&list);
    EXPECT_EQ(node->role(), QAccessible::List);
    QStringList read;
    for (int i = 0; i < node->childCount(); ++i) read << node->child(i)->text(QAccessible::Name);
    EXPECT_EQ(read, entries);
  }
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
    EXPECT_EQ(shown, builtIn(name)) << name;
  }

  // Every tooltip of the lists and the line shown before the run read such names as text.
  // What a tooltip shows: Qt renders it as rich text when it guesses so.
  const auto shownTip = [](const QString& toolTip) {
    if (!Qt::mightBeRichText(toolTip)) return toolTip;
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
  };
  int checked = 0;
  for (const QAbstractItemView* list : window->findChildren<QAbstractItemView*>()) {
    const QAbstractItemModel& model = *list->model();
    for (int row = 0; row < model.rowCount(); ++row) {
      const QModelIndex index = model.index(row, 0);
      const QString toolTip = index.data(Qt::ToolTipRole).toString();
      if (toolTip.isEmpty()) continue;
      const QString name = index.data(Qt::DisplayRole).toString();
      EXPECT_TRUE(shownTip(toolTip) == name || shownTip(toolTip).endsWith("/" + name))
          << toolTip.toStdString();
      checked += static_cast<int>(std::ranges::count(kMarkupNames, name));
    }
  }
  EXPECT_EQ(checked, 2 * static_cast<int>(std::size(kMarkupNames))) << "in both folder lists";
  pick("RomDir", "ROMS", true);
  pick("RomDir", "<i>game", true);
  const QString line = widget("runmame").toolTip();
  EXPECT_TRUE(shownTip(line).contains(" <i>game")) << line.toStdString();

  // The first letters of a name, in any case, move to the first entry that starts with them;
  // Enter opens the folder (a double-click opens one in every test that opens a game).
  QTest::keyClicks(&view("MameFile"), "me");
  EXPECT_EQ(form.MameFile().selectedName(), "mess.exe");
  QTest::keyClicks(&view("MameDir"), "BE");
  EXPECT_EQ(view("MameDir").currentIndex().data().toString(), "beta");
  EXPECT_EQ(form.MameDir().path(), folder.str()) << "moving is not opening";
  QTest::keyClick(&view("MameDir"), Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(form.MameDir().path(), (folder.path() / "beta").string());
}

}  // namespace
}  // namespace kestro::ui
