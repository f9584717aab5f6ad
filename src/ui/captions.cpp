// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/captions.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <algorithm>
#include <optional>
#include <type_traits>
#include <utility>

namespace kestro::ui {
namespace {

// Keeps a grown caption clear of the sibling to its right and of its frame's border.
constexpr int kGap = 2;

struct Lines {
  QStringList texts;
  int widest = 0;
};

// A caption's text in one font, with the widths of its pieces kept once measured: growing a
// control tries one width after another, and each try breaks the same text again.
class Measured {
 public:
  Measured(const QString& text, const QFont& font) : text_(text), metrics_(font) {}

  const QString& text() const { return text_; }
  const QFontMetrics& metrics() const { return metrics_; }

  struct Height {
    int block;       // of the lines' block
    int inkDescent;  // below the last line's base line, of its letters' ink
  };

  // How high these lines of the text stand.
  Height height(const QStringList& lines) {
    const QString joined = lines.join(u'\n');
    const auto known = heights_.find(joined);
    if (known != heights_.end()) return *known;
    const QRect block =
        metrics_.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop, joined);
    const Height height{block.height(),
                        std::max(0, metrics_.tightBoundingRect(lines.back()).bottom() + 1)};
    heights_.insert(joined, height);
    return height;
  }

  // The advance of the text's characters [start, end).
  int advance(qsizetype start, qsizetype end) {
    const auto known = advances_.find({start, end});
    if (known != advances_.end()) return *known;
    const int width = metrics_.horizontalAdvance(text_.mid(start, end - start));
    advances_.insert({start, end}, width);
    return width;
  }

 private:
  QString text_;
  QFontMetrics metrics_;
  QHash<std::pair<qsizetype, qsizetype>, int> advances_;
  QHash<QString, Height> heights_;
};

// Breaks at blanks only, as the layout's own labels did: a hyphen keeps its word together, a
// word wider than the box stays one piece, and blanks at a break vanish. Blanks that open the
// caption stay, since some captions are placed with them.
Lines breakIntoLines(Measured& measured, int width) {
  const QString& text = measured.text();
  const auto isBlank = [&text](qsizetype at) { return text[at] == u' '; };
  Lines lines;
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = -1;
    for (qsizetype at = start + 1; at <= text.size(); ++at) {
      const bool wordEnds = !isBlank(at - 1) && (at == text.size() || isBlank(at));
      if (!wordEnds) continue;
      if (end >= 0 && measured.advance(start, at) > width) break;
      end = at;
    }
    if (end < 0) break;  // only blanks are left
    lines.texts << text.mid(start, end - start);
    lines.widest = std::max(lines.widest, measured.advance(start, end));
    for (start = end; start < text.size() && isBlank(start);) ++start;
  }
  return lines;
}

// The height the caption takes as the style draws it: the lines' block, or for a caption drawn
// from the top, down to the lowest point of its last line's letters, so that a box one line
// high shows a caption without descenders whole.
int neededHeight(const Lines& lines, Measured& measured, bool fromTop) {
  if (lines.texts.isEmpty()) return 0;
  const Measured::Height height = measured.height(lines.texts);
  return fromTop ? height.block - measured.metrics().descent() + height.inkDescent : height.block;
}

QStyleOptionButton buttonOption(const QAbstractButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  return option;
}

// Where a check box, option button or push button draws its caption.
QRect captionRect(const QAbstractButton& button) {
  const QStyleOptionButton option = buttonOption(button);
  QStyle::SubElement element = QStyle::SE_PushButtonContents;
  if (qobject_cast<const QCheckBox*>(&button)) element = QStyle::SE_CheckBoxContents;
  if (qobject_cast<const QRadioButton*>(&button)) element = QStyle::SE_RadioButtonContents;
  return button.style()->subElementRect(element, &option, &button);
}

enum class Towards { Right, Down };

// The edge that the control may grow to: its parent's inner edge, or the near edge of the
// closest sibling in the way.
int growthLimit(const QWidget& control, Towards towards) {
  const bool right = towards == Towards::Right;
  const QWidget& parent = *control.parentWidget();
  const QRect place = control.geometry();
  const int border = qobject_cast<const QGroupBox*>(&parent) ? 2 * kGap : kGap;
  int limit = (right ? parent.width() : parent.height()) - border;
  for (const QObject* child : parent.children()) {
    const auto* sibling = qobject_cast<const QWidget*>(child);
    if (sibling == nullptr || sibling == &control || sibling->isWindow()) continue;
    const QRect other = sibling->geometry();
    const bool inTheWay = right ? other.top() <= place.bottom() && place.top() <= other.bottom() &&
                                      other.left() > place.left()
                                : other.left() <= place.right() && place.left() <= other.right() &&
                                      other.top() > place.top();
    if (inTheWay) limit = std::min(limit, (right ? other.left() : other.top()) - kGap);
  }
  return limit;
}

// The room a caption has inside its control, and whether the caption fits it.
struct Caption {
  QString text;
  QFont font;
  QRect room;
  bool fromTop = false;
};

std::optional<Caption> captionOf(const QWidget& control) {
  if (const auto* label = qobject_cast<const QLabel*>(&control)) {
    return Caption{label->text(), label->font(), label->contentsRect(),
                   (label->alignment() & Qt::AlignTop) != 0};
  }
  if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
    if (qobject_cast<const QPushButton*>(button)) return std::nullopt;
    return Caption{button->text(), button->font(), captionRect(*button)};
  }
  return std::nullopt;
}

int neededHeight(const Caption& caption, Measured& measured) {
  return neededHeight(breakIntoLines(measured, caption.room.width()), measured, caption.fromTop);
}

bool fits(const Caption& caption, Measured& measured) {
  const Lines lines = breakIntoLines(measured, caption.room.width());
  return lines.widest <= caption.room.width() &&
         neededHeight(lines, measured, caption.fromTop) <= caption.room.height();
}

// Whether the caption shows whole; `measured` holds the measures of its text in its font.
bool captionFits(const QWidget& control, std::optional<Measured>& measured) {
  if (const auto* frame = qobject_cast<const QGroupBox*>(&control)) {
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.textAlignment = frame->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxLabel, frame);
    return title.width() >= QFontMetrics(frame->font()).horizontalAdvance(frame->title()) &&
           title.right() < frame->width();
  }
  if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
    return QFontMetrics(button->font()).horizontalAdvance(button->text()) <=
           captionRect(*button).width();
  }
  const std::optional<Caption> caption = captionOf(control);
  if (!caption || caption->text.isEmpty()) return true;
  if (!measured) measured.emplace(caption->text, caption->font);
  return fits(*caption, *measured);
}

}  // namespace

QString wrapText(const QString& text, const QFont& font, int width) {
  Measured measured(text, font);
  return breakIntoLines(measured, width).texts.join(u'\n');
}

template <typename Button>
void WrappingButton<Button>::paintEvent(QPaintEvent*) {
  constexpr bool isCheckBox = std::is_same_v<Button, QCheckBox>;
  QStylePainter painter(this);
  QStyleOptionButton option;
  this->initStyleOption(&option);
  option.text = wrapText(option.text, this->font(), captionRect(*this).width());
  painter.drawControl(isCheckBox ? QStyle::CE_CheckBox : QStyle::CE_RadioButton, option);
}

template class WrappingButton<QCheckBox>;
template class WrappingButton<QRadioButton>;

void WrappingLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect room = contentsRect();
  style()->drawItemText(&painter, room, static_cast<int>(alignment()), palette(), isEnabled(),
                        wrapText(text(), font(), room.width()), foregroundRole());
}

bool captionFits(const QWidget& control) {
  std::optional<Measured> measured;
  return captionFits(control, measured);
}

void growToFitCaption(QWidget& control) {
  // The caption's text and font stay while the control grows: their measures are kept.
  std::optional<Measured> measured;
  if (captionFits(control, measured)) return;
  const QSize start = control.size();
  const int widest = std::max(start.width(), growthLimit(control, Towards::Right) - control.x());
  for (int width = start.width() + 1; width <= widest; ++width) {
    control.resize(width, start.height());
    if (captionFits(control, measured)) return;
  }
  // Even the widest box needs more lines than it holds: where the space below is free, the
  // box grows down, at the narrowest width that needs no more lines than the widest.
  control.resize(widest, start.height());
  const std::optional<Caption> caption = captionOf(control);
  if (!caption || !measured) return;
  const int height = start.height() + neededHeight(*caption, *measured) - caption->room.height();
  if (control.y() + height > growthLimit(control, Towards::Down)) return;
  for (int width = start.width(); width <= widest; ++width) {
    control.resize(width, height);
    if (captionFits(control, measured)) return;
  }
}

}  // namespace kestro::ui
