// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/pickerviews.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QImageReader>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <array>
#include <functional>
#include <numeric>
#include <optional>

#include "ui/plaintext.h"

namespace kestro::ui {
namespace {

constexpr int kSmallIcon = 16;

// File names are bytes on Linux; Qt reads them in the system's encoding.
QString shownName(const std::string& name) { return QFile::decodeName(name.c_str()); }

// The pickers' pictures of a drive, an open and a closed folder: Qt's own, which its common
// style draws where the icon theme has none. Taken straight from Qt's resources they need no
// look-up in the icon theme and look alike on every desktop; should a build of Qt lack one,
// the style's icon stands in. Read when first drawn and dropped with the application.
enum class Picture { Drive, OpenFolder, ClosedFolder };

QIcon builtInIcon(const char* name, QStyle::StandardPixmap standIn) {
  // The small picture alone, as the style gives it: reading a picture costs more than
  // scaling one on a screen that draws two pixels per point. Read as the PNG it is: left to
  // guess the format, Qt would load every image format plug-in to ask it first.
  QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png")
                          .arg(QLatin1StringView(name))
                          .arg(kSmallIcon),
                      "png");
  reader.setAutoDetectImageFormat(false);
  const QImage picture = reader.read();
  if (picture.isNull()) return QApplication::style()->standardIcon(standIn);
  return QIcon(QPixmap::fromImage(picture));
}

const QIcon& pickerIcon(Picture which) {
  static std::optional<std::array<QIcon, 3>> read;
  if (!read) {
    read = std::array{builtInIcon("harddrive", QStyle::SP_DriveHDIcon),
                      builtInIcon("diropen", QStyle::SP_DirOpenIcon),
                      builtInIcon("dirclosed", QStyle::SP_DirClosedIcon)};
    qAddPostRoutine([] { read.reset(); });
  }
  return (*read)[static_cast<std::size_t>(which)];
}

// A picker's picture that is read when first drawn: a list's size, which the window's
// layout asks for while it is built, needs only the small size the lists draw at.
class PictureEngine : public QIconEngine {
 public:
  explicit PictureEngine(Picture which) : which_(which) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    pickerIcon(which_).paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return pickerIcon(which_).pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    return pickerIcon(which_).pixmap(size, scale, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return {side, side};
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return pickerIcon(which_).availableSizes(mode, state);
  }
  bool isNull() override { return false; }
  QIconEngine* clone() const override { return new PictureEngine(which_); }

 private:
  Picture which_;
};

// An icon with the mark of a marked entry in its lower right corner: a white-rimmed blue dot,
// drawn alike on every desktop and with every icon theme.
class EmblemIconEngine : public QIconEngine {
 public:
  explicit EmblemIconEngine(QIcon base) : base_(std::move(base)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    base_.paint(painter, rect, Qt::AlignCenter, mode, state);
    // Clear of the picture's lowest rows, which some themes leave empty and some lists cut.
    const double side = std::min(rect.width(), rect.height()) * 0.5;
    const QRectF dot(rect.right() + 1 - side, rect.bottom() + 1 - side * 1.25, side, side);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(Qt::white, 1.5));
    painter->setBrush(QColor(0x1f, 0x5f, 0xbf));
    painter->drawEllipse(dot.adjusted(0.75, 0.75, -0.75, -0.75));
    painter->restore();
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    QPixmap picture(size * scale);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    paint(&painter, picture.rect(), mode, state);
    painter.end();
    picture.setDevicePixelRatio(scale);
    return picture;
  }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return {side, side};
  }
  bool isNull() override { return false; }
  QIconEngine* clone() const override { return new EmblemIconEngine(base_); }

 private:
  QIcon base_;
};

constexpr int kIndentPerLevel = 12;
// How many of a list's likely widest rows are measured for the width of all.
constexpr int kMeasuredRows = 100;

class DriveModel final : public PickerModel {
 public:
  DriveModel(const launch::DriveList& list, QObject* parent) : PickerModel(parent), list_(list) {
    reset();
  }

 protected:
  int entryCount() const override { return static_cast<int>(list_.drives().size()); }
  const std::string& nameAt(int row) const override {
    return list_.drives()[static_cast<std::size_t>(row)];
  }
  QVariant iconAt(int) const override {
    static const QIcon icon(new PictureEngine(Picture::Drive));
    return icon;
  }

 private:
  const launch::DriveList& list_;
};

class FolderModel final : public PickerModel {
 public:
  FolderModel(const launch::FolderList& list, QObject* parent) : PickerModel(parent), list_(list) {}

 protected:
  int entryCount() const override { return static_cast<int>(list_.entries().size()); }
  const std::string& nameAt(int row) const override { return entry(row).name; }
  QVariant iconAt(int row) const override {
    static const QIcon openIcon(new PictureEngine(Picture::OpenFolder));
    static const QIcon closedIcon(new PictureEngine(Picture::ClosedFolder));
    return entry(row).open ? openIcon : closedIcon;
  }
  QVariant toolTipAt(int row) const override { return plainToolTip(shownName(entry(row).path)); }
  int depthAt(int row) const override { return entry(row).depth; }

 private:
  const launch::FolderEntry& entry(int row) const {
    return list_.entries()[static_cast<std::size_t>(row)];
  }

  const launch::FolderList& list_;
};

class FileModel final : public PickerModel {
 public:
  FileModel(const launch::FileList& list, QObject* parent) : PickerModel(parent), list_(list) {}

 protected:
  int entryCount() const override { return static_cast<int>(list_.files().size()); }
  const std::string& nameAt(int row) const override {
    return list_.files()[static_cast<std::size_t>(row)];
  }

 private:
  const launch::FileList& list_;
};

// Draws each entry indented by its depth, so a folder list reads as the path from the root
// down, and gives every row one size: the list lays out its rows without measuring each,
// as wide as the widest of the rows likely widest, which are measured once per reading.
class PickerDelegate : public QStyledItemDelegate {
 public:
  PickerDelegate(QListView& view, const PickerModel& model)
      : QStyledItemDelegate(&view), view_(view), model_(model) {
    view.setUniformItemSizes(true);
    connect(&model, &QAbstractItemModel::modelReset, this, [this] { widest_ = -1; });
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->rect.adjust(indentOf(index), 0, 0, 0);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QSize own = QStyledItemDelegate::sizeHint(option, index) + QSize(indentOf(index), 0);
    if (widest_ < 0 && !measuring_) {
      const QScopedValueRollback guard(measuring_, true);
      int widest = 0;
      for (int row : model_.likelyWidest(kMeasuredRows)) {
        widest = std::max(widest, view_.sizeHintForIndex(model_.index(row)).width());
      }
      widest_ = widest;
    }
    return {std::max(own.width(), widest_), own.height()};
  }

 private:
  static int indentOf(const QModelIndex& index) {
    return index.data(PickerModel::DepthRole).toInt() * kIndentPerLevel;
  }

  QListView& view_;
  const PickerModel& model_;
  mutable int widest_ = -1;  // not measured since the last reading
  mutable bool measuring_ = false;
};

}  // namespace

int PickerModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QVariant PickerModel::data(const QModelIndex& index, int role) const {
  // The count the views know may lag the picker's list until its reset.
  const int row = index.row();
  if (!index.isValid() || row >= rows_ || row >= entryCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      return shownName(nameAt(row));
    case Qt::DecorationRole:
      if (marked_ && marked_(row)) return QIcon(new EmblemIconEngine(iconAt(row).value<QIcon>()));
      return iconAt(row);
    case Qt::AccessibleDescriptionRole:
      return marked_ && marked_(row) ? QVariant(markedDescription_) : QVariant();
    case Qt::ToolTipRole:
      return toolTipAt(row);
    case DepthRole:
      return depthAt(row);
    case MarkedRole:
      return marked_ && marked_(row);
    default:
      return {};
  }
}

void PickerModel::reset() {
  beginResetModel();
  rows_ = entryCount();
  endResetModel();
}

void PickerModel::marksChanged() {
  if (rows_ > 0) {
    emit dataChanged(index(0), index(rows_ - 1),
                     {Qt::DecorationRole, Qt::AccessibleDescriptionRole, MarkedRole});
  }
}

void PickerModel::clear() {
  beginResetModel();
  rows_ = 0;
  endResetModel();
}

std::vector<int> PickerModel::likelyWidest(int count) const {
  std::vector<int> rows(static_cast<std::size_t>(std::min(rows_, entryCount())));
  std::iota(rows.begin(), rows.end(), 0);
  if (static_cast<int>(rows.size()) > count) {
    // A byte of the name and an indent level count alike, roughly a character each.
    const auto extent = [this](int row) {
      return nameAt(row).size() + static_cast<std::size_t>(depthAt(row)) * 2;
    };
    std::ranges::nth_element(rows, rows.begin() + count, std::ranges::greater{}, extent);
    rows.resize(static_cast<std::size_t>(count));
  }
  return rows;
}

DriveListView::DriveListView(launch::DriveList& model, QWidget* parent)
    : QComboBox(parent), model_(model) {
  setModel(new DriveModel(model_, this));
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
    : QListView(parent), model_(model), entries_(new FolderModel(model, this)) {
  setModel(entries_);
  setItemDelegate(new PickerDelegate(*this, *entries_));
  // Small icons, as a classic folder list has them, alike on every desktop.
  setIconSize(QSize(kSmallIcon, kSmallIcon));
  setSelectionMode(QAbstractItemView::SingleSelection);
  showModel();
  subscription_ = model_.subscribeListing([this] { showModel(); });
  connect(this, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { openLater(index.row()); });
}

void FolderListView::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      currentIndex().isValid()) {
    openLater(currentIndex().row());
    return;
  }
  QListView::keyPressEvent(event);
}

void FolderListView::openLater(int row) {
  // Opening reads the list anew; the click or key that asked is done with first.
  QMetaObject::invokeMethod(
      this,
      [this, row] {
        if (subscription_.connected()) model_.open(row);
      },
      Qt::QueuedConnection);
}

void FolderListView::showEvent(QShowEvent* event) {
  if (stale_) showModel();
  QListView::showEvent(event);
}

void FolderListView::showModel() {
  stale_ = !isVisible();
  if (stale_) {
    entries_->clear();
    return;
  }
  entries_->reset();
  setCurrentIndex(entries_->index(model_.currentIndex()));
  // A hidden list is not laid out for this: Qt scrolls to the current entry when it shows.
  if (isVisible() && currentIndex().isValid()) scrollTo(currentIndex());
}

FileListView::FileListView(launch::FileList& model, QWidget* parent)
    : QListView(parent), model_(model), entries_(new FileModel(model, this)) {
  setModel(entries_);
  setItemDelegate(new PickerDelegate(*this, *entries_));
  setSelectionMode(QAbstractItemView::SingleSelection);
  showModel();
  subscription_ = model_.subscribeListing([this] { showModel(); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { takeSelection(); });
}

void FileListView::takeSelection() {
  if (showing_ || !subscription_.connected()) return;
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  model_.select(selected.isEmpty() ? -1 : selected.front().row());
}

void FileListView::showEvent(QShowEvent* event) {
  if (stale_) showModel();
  QListView::showEvent(event);
}

void FileListView::showModel() {
  const QScopedValueRollback guard(showing_, true);
  stale_ = !isVisible();
  if (stale_) {
    shownReading_ = -1;
    entries_->clear();
    return;
  }
  // A change of the selection alone leaves the list as it is.
  if (model_.readings() != shownReading_) {
    shownReading_ = model_.readings();
    entries_->reset();
  }
  const int selected = model_.selectedIndex();
  if (selected < 0) {
    clearSelection();
    setCurrentIndex({});
  } else {
    selectionModel()->setCurrentIndex(entries_->index(selected),
                                      QItemSelectionModel::ClearAndSelect);
  }
}

}  // namespace kestro::ui
