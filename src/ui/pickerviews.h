// The Qt faces of the picker models: a drive list (combo box), a folder list (double-click
// or Enter opens a folder) and a file list. Each shows its model and hands the user's
// choices back to it; the form answers the model's changes.
#pragma once

#include <QComboBox>
#include <QListWidget>

#include "launch/pickers/notifier.h"
#include "launch/pickers/pickers.h"

class QKeyEvent;

namespace kestro::ui {

class DriveListView : public QComboBox {
 public:
  explicit DriveListView(launch::DriveList& model, QWidget* parent = nullptr);

 private:
  void showModel();

  launch::DriveList& model_;
  launch::Subscription subscription_;
};

class FolderListView : public QListWidget {
 public:
  explicit FolderListView(launch::FolderList& model, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void showModel();
  void openLater(int row);

  launch::FolderList& model_;
  launch::Subscription subscription_;
};

class FileListView : public QListWidget {
 public:
  explicit FileListView(launch::FileList& model, QWidget* parent = nullptr);

 private:
  void showModel();
  void takeSelection();

  launch::FileList& model_;
  launch::Subscription subscription_;
};

}  // namespace kestro::ui
