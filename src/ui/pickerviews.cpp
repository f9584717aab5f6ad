#include "ui/pickerviews.h"

#include <QFile>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

namespace kestro::ui {
namespace {

// File names are bytes on Linux; Qt reads them in the system's encoding.
QString shownName(const std::string& name) { return QFile::decodeName(name.c_str()); }

constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPerLevel = 12;

// Indents each folder by its depth, so the list reads as the path from the root down.
class IndentDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->rect.adjust(indentOf(index), 0, 0, 0);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(indentOf(index), 0);
  }

 private:
  static int indentOf(const QModelIndex& index) {
    return index.data(kDepthRole).toInt() * kIndentPerLevel;
  }
};

}  // namespace

DriveListView::DriveListView(launch::DriveList& model, QWidget* parent)
    : QComboBox(parent), model_(model) {
  const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
  for (const std::string& drive : model_.drives()) addItem(icon, shownName(drive));
  showModel();
  subscription_ = model_.subscribeChange([this] { showModel(); });
  connect(this, &QComboBox::activated, this, [this](int index) {
    if (subscription_.connected()) model_.choose(index);
  });
}

void DriveListView::showModel() {
  const QSignalBlocker blocker(this);
  setCurrentIndex(model_.index());
}

FolderListView::FolderListView(launch::FolderList& model, QWidget* parent)
    : QListWidget(parent), model_(model) {
  setItemDelegate(new IndentDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  showModel();
  subscription_ = model_.subscribeListing([this] { showModel(); });
  connect(this, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { openLater(row(item)); });
}

void FolderListView::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
    openLater(currentRow());
    return;
  }
  QListWidget::keyPressEvent(event);
}

void FolderListView::openLater(int row) {
  // Opening fills the list anew; the item that was clicked must outlive its own signal.
  QMetaObject::invokeMethod(
      this,
      [this, row] {
        if (subscription_.connected()) model_.open(row);
      },
      Qt::QueuedConnection);
}

void FolderListView::showModel() {
  const QSignalBlocker blocker(this);
  clear();
  const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
  for (const launch::FolderEntry& entry : model_.entries()) {
    auto* item =
        new QListWidgetItem(entry.open ? openIcon : closedIcon, shownName(entry.name), this);
    item->setData(kDepthRole, entry.depth);
    item->setToolTip(shownName(entry.path));
  }
  setCurrentRow(model_.currentIndex());
  if (currentItem() != nullptr) scrollToItem(currentItem());
}

FileListView::FileListView(launch::FileList& model, QWidget* parent)
    : QListWidget(parent), model_(model) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  showModel();
  subscription_ = model_.subscribeListing([this] { showModel(); });
  connect(this, &QListWidget::itemSelectionChanged, this, [this] { takeSelection(); });
}

void FileListView::takeSelection() {
  if (!subscription_.connected()) return;
  const QList<QListWidgetItem*> selected = selectedItems();
  model_.select(selected.isEmpty() ? -1 : row(selected.front()));
}

void FileListView::showModel() {
  const QSignalBlocker blocker(this);
  const std::vector<std::string>& files = model_.files();
  bool same = count() == static_cast<int>(files.size());
  for (int i = 0; same && i < count(); ++i) {
    same = item(i)->text() == shownName(files[static_cast<std::size_t>(i)]);
  }
  if (!same) {
    clear();
    for (const std::string& file : files) addItem(shownName(file));
  }
  const int selected = model_.selectedIndex();
  if (selected < 0) {
    clearSelection();
    setCurrentRow(-1);
  } else {
    setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
  }
}

}  // namespace kestro::ui
