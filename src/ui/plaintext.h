// SPDX-License-Identifier: GPL-3.0-or-later
// Names of folders and files, paths and values from the settings file are text, never markup.
// Qt guesses rich text in tooltips (and in labels and message boxes left to guess), and reads
// "&" in menu and button texts as the mark of a shortcut key; a folder named like a tag would
// otherwise render, load images from any path or freeze the window while Qt lays out a table.
// Every text that carries such a name goes through one of these on its way to a widget.
#pragma once

#include <QString>
#include <QTextDocument>

namespace kestro::ui {

// A tooltip that shows `text` exactly. Qt shows a text it does not guess to be rich as it is;
// one it would take for markup is escaped, its line breaks and blanks kept.
inline QString plainToolTip(const QString& text) {
  return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpacePre) : text;
}

// A menu entry's or a button's text that shows `text` exactly: "&" is doubled so it names no
// shortcut, and a tab, which would start a shortcut's column, becomes a blank.
inline QString plainMenuText(QString text) {
  return text.replace('&', QStringLiteral("&&")).replace('\t', ' ');
}

}  // namespace kestro::ui
