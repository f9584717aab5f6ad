// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/icon.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace kestro::ui {

QImage programPicture(int size) {
  // Drawn on a 64 x 64 grid and scaled, so every size is the same picture.
  constexpr double kGrid = 64;
  QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / kGrid, size / kGrid);
  painter.setPen(QPen(QColor(0x10, 0x10, 0x30), 2));

  // The stick's base: a dark blue panel with a lighter top edge.
  QLinearGradient panel(0, 34, 0, 62);
  panel.setColorAt(0, QColor(0x40, 0x60, 0xD0));
  panel.setColorAt(1, QColor(0x18, 0x24, 0x70));
  painter.setBrush(panel);
  painter.drawRoundedRect(QRectF(3, 36, 58, 25), 7, 7);

  // Two fire buttons on the right of the panel.
  painter.setBrush(QColor(0xF0, 0xC0, 0x20));
  painter.drawEllipse(QRectF(38, 42, 9, 7));
  painter.drawEllipse(QRectF(49, 46, 9, 7));

  // The shaft and the red ball on top of it.
  painter.setBrush(QColor(0xC8, 0xC8, 0xD0));
  painter.drawRoundedRect(QRectF(17, 18, 6, 28), 3, 3);
  painter.setBrush(QColor(0x10, 0x10, 0x30));
  painter.drawEllipse(QRectF(11, 42, 18, 8));
  QRadialGradient ball(QPointF(16, 10), 14);
  ball.setColorAt(0, QColor(0xFF, 0x90, 0x90));
  ball.setColorAt(1, QColor(0xC0, 0x10, 0x10));
  painter.setBrush(ball);
  painter.drawEllipse(QRectF(8, 2, 24, 22));
  painter.end();
  return picture;
}

QIcon programIcon() { return QIcon(QPixmap::fromImage(programPicture(64))); }

}  // namespace kestro::ui
