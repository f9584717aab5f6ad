#include "ui/pickerviews.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <map>

#include "ui/plaintext.h"

namespace kestro::ui {
namespace {

// File names are bytes on Linux; Qt reads them in the system's encoding.
QString shownName(const std::string& name) { return QFile::decodeName(name.c_str()); }

// The standard icons of the pickers, asked of the application's style once per style: each
// look-up walks the icon theme's folders, and the lists are filled again on every change.
// They go with their style, so none outlives the application.
const QIcon& standardIcon(QStyle::StandardPixmap which) {
  static QPointer<QStyle> fetchedFrom;
  static std::map<QStyle::StandardPixmap, QIcon> fetched;
  QStyle* style = QApplication::style();
  if (fetchedFrom != style) {
    fetched.clear();
    fetchedFrom = style;
    // The style that goes may no longer be the one fetched from, once another is set.
    QObject::connect(style, &QObject::destroyed, [] {
      if (fetchedFrom.isNull()) fetched.clear();
    });
  }
  auto found = fetched.find(which);
  if (found == fetched.end()) found = fetched.emplace(which, style->standardIcon(which)).first;
  return found->second;
}

// A standard icon that is looked up when first drawn rather than when the list is filled:
// at start most lists are on tabs not yet seen, and the window shows without waiting for
// the icon theme.
class StandardIconEngine : public QIconEngine {
 public:
  explicit StandardIconEngine(QStyle::StandardPixmap which) : which_(which) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    standardIcon(which_).paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return standardIcon(which_).pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    return standardIcon(which_).pixmap(size, scale, mode, state);
  }
  // Laying a list out asks for the size, not the picture. The lists ask for the small size
  // that every icon theme and the style's own pictures have, so the answer needs no look-up.
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return {side, side};
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return standardIcon(which_).availableSizes(mode, state);
  }
  bool isNull() override { return false; }
  QIconEngine* clone() const override { return new StandardIconEngine(which_); }

 private:
  QStyle::StandardPixmap which_;
};

QIcon lazyStandardIcon(QStyle::StandardPixmap which) {
  return QIcon(new StandardIconEngine(which));
}

constexpr int kSmallIcon = 16;
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
  const QIcon icon = lazyStandardIcon(QStyle::SP_DriveHDIcon);
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
  // Small icons, as a classic folder list has them, alike on every desktop.
  setIconSize(QSize(kSmallIcon, kSmallIcon));
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
  static const QIcon openIcon = lazyStandardIcon(QStyle::SP_DirOpenIcon);
  static const QIcon closedIcon = lazyStandardIcon(QStyle::SP_DirClosedIcon);
  for (const launch::FolderEntry& entry : model_.entries()) {
    auto* item =
        new QListWidgetItem(entry.open ? openIcon : closedIcon, shownName(entry.name), this);
    item->setData(kDepthRole, entry.depth);
    item->setToolTip(plainToolTip(shownName(entry.path)));
  }
  setCurrentRow(model_.currentIndex());
  // A hidden list is not laid out for this: Qt scrolls to the current entry when it shows.
  if (isVisible() && currentItem() != nullptr) scrollToItem(currentItem());
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
