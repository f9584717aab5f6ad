// SPDX-License-Identifier: GPL-3.0-or-later
// Folder names that look like markup, planted where the lists open: every tooltip and the line
// shown before the run read them as text. As markup they would load /dev/zero without limit,
// freeze the window over nested tables or simply render.
#include <QAbstractItemView>
#include <QTextDocument>
#include <filesystem>

#include "windowtest.h"

namespace kestro::ui {
namespace {

namespace fs = std::filesystem;

// What a tooltip shows: Qt renders it as rich text when it guesses so.
QString shown(const QString& toolTip) {
  if (!Qt::mightBeRichText(toolTip)) return toolTip;
  QTextDocument document;
  document.setHtml(toolTip);
  return document.toPlainText();
}

QString nestedTables(int depth) {
  QString text;
  for (int i = 0; i < depth; ++i) text += "<table><tr><td>";
  return text;
}

class PlainText : public WindowTest {};

TEST_F(PlainText, FolderNamesLikeMarkupShowAsTheirText) {
  const QString names[] = {"<img src=&#47;dev&#47;zero>", "<b>bold", "<font color=red>red",
                           nestedTables(17), "a & b &amp; c"};
  for (const QString& name : names) fs::create_directory(folder.path() / name.toStdString());
  fs::create_directories(folder.path() / "ROMS" / "<i>game");
  open();
  showTabOf("MameDir");  // the setup tab's lists are made when it first shows

  int checked = 0;
  for (const QAbstractItemView* view : window->findChildren<QAbstractItemView*>()) {
    const QAbstractItemModel& model = *view->model();
    for (int row = 0; row < model.rowCount(); ++row) {
      const QModelIndex index = model.index(row, 0);
      const QString toolTip = index.data(Qt::ToolTipRole).toString();
      if (toolTip.isEmpty()) continue;
      const QString name = index.data(Qt::DisplayRole).toString();
      EXPECT_TRUE(shown(toolTip) == name || shown(toolTip).endsWith("/" + name))
          << toolTip.toStdString();
      ++checked;
    }
  }
  // The game folder list shows the program's folder; the lists of other tabs read when shown.
  EXPECT_GE(checked, static_cast<int>(std::size(names)));

  pick("RomDir", "ROMS", true);
  pick("RomDir", "<i>game", true);
  const QString line = widget("runmame").toolTip();
  EXPECT_TRUE(shown(line).contains(" <i>game")) << line.toStdString();
}

}  // namespace
}  // namespace kestro::ui
