// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt faces of the picker models: a drive list (combo box), a folder list (double-click
// or Enter opens a folder) and a file list. Each is a view over a small item model that reads
// the picker's own list when asked, so a folder of many thousands of entries is neither copied
// nor measured entry by entry; the user's choices go back to the picker, and the form answers
// the picker's changes.
#pragma once

#include <QAbstractListModel>
#include <QComboBox>
#include <QListView>
#include <functional>
#include <vector>

#include "launch/pickers/notifier.h"
#include "launch/pickers/pickers.h"

class QKeyEvent;

namespace kestro::ui {

// A read-only model of one picker's list: the names, icons, indents, tooltips and accessible
// texts of its entries, made when a view asks for one; nothing is kept per entry. A hidden
// list shows nothing, so a list on a tab not yet seen reads no folder.
class PickerModel : public QAbstractListModel {
 public:
  // The entry's indentation level (a folder's depth below the root).
  static constexpr int DepthRole = Qt::UserRole + 1;
  // Whether the entry is marked (drawn with an emblem): as the marking test answers.
  static constexpr int MarkedRole = Qt::UserRole + 2;

  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // The picker's list was read anew: the views show it from the start.
  void reset();
  // The views show nothing, and nothing is read, until the next reset: for a hidden list.
  void clear();
  // Which rows are marked; none without a test. A marked row's icon carries an emblem and its
  // accessible description is `description`.
  void setMarkedTest(std::function<bool(int row)> test, QString description = {}) {
    marked_ = std::move(test);
    markedDescription_ = std::move(description);
  }
  // The marking test answers otherwise now: the views draw and speak every row anew.
  void marksChanged();
  // Up to `count` rows likely the widest, from the length of their names and their depth:
  // a list lays out all its rows at the width of these.
  std::vector<int> likelyWidest(int count) const;

 protected:
  virtual int entryCount() const = 0;
  // The entry's name as the file system has it; the row is within entryCount().
  virtual const std::string& nameAt(int row) const = 0;
  virtual QVariant iconAt(int /*row*/) const { return {}; }
  virtual QVariant toolTipAt(int /*row*/) const { return {}; }
  virtual int depthAt(int /*row*/) const { return 0; }

 private:
  int rows_ = 0;  // the count the views were last told of
  std::function<bool(int row)> marked_;
  QString markedDescription_;
};

class DriveListView : public QComboBox {
 public:
  explicit DriveListView(launch::DriveList& model, QWidget* parent = nullptr);

 private:
  void showModel();

  launch::DriveList& model_;
  launch::Subscription subscription_;
};

class FolderListView : public QListView {
 public:
  explicit FolderListView(launch::FolderList& model, QWidget* parent = nullptr);

  PickerModel& entries() const { return *entries_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void showModel();
  void openLater(int row);

  launch::FolderList& model_;
  PickerModel* entries_;
  bool stale_ = false;  // hidden since the list changed: shown when the list shows
  launch::Subscription subscription_;
};

class FileListView : public QListView {
 public:
  explicit FileListView(launch::FileList& model, QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void showModel();
  void takeSelection();

  launch::FileList& model_;
  PickerModel* entries_;
  int shownReading_ = -1;  // the reading of the folder the list shows; -1 for none
  bool showing_ = false;
  bool stale_ = false;  // hidden since the list changed: shown when the list shows
  launch::Subscription subscription_;
};

}  // namespace kestro::ui
