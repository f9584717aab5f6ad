// SPDX-License-Identifier: GPL-3.0-or-later
// Captions that are never clipped. The layout's boxes were measured for a bitmap font narrower
// than any font here, so a caption that does not fit widens its control to the right, as far as
// its frame or page and its neighbours allow, and wraps onto the lines its height holds; only
// where even that is too little does the box grow down into free space.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QString>

class QFont;

namespace kestro::ui {

// The text broken into lines no wider than `width` where its words allow.
QString wrapText(const QString& text, const QFont& font, int width);

// A check box or option button whose caption wraps onto further lines, like a label's.
template <typename Button>
class WrappingButton : public Button {
 public:
  using Button::Button;

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Clicks on any line of the caption count, not only on the first.
  bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

using WrappingCheckBox = WrappingButton<QCheckBox>;
using WrappingOptionButton = WrappingButton<QRadioButton>;

// A label that breaks its caption at blanks only, as check boxes and option buttons here do.
class WrappingLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Whether the control's caption shows whole in its present size.
bool captionFits(const QWidget& control);

// Widens the control to the right until its caption fits, without covering a sibling or
// passing its parent's edge, and makes it taller where that is not enough and there is room.
void growToFitCaption(QWidget& control);

}  // namespace kestro::ui
