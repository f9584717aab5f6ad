// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon: a 64 x 64 picture of an arcade stick, painted in code. It is the window
// icon and the tray icon.
#pragma once

#include <QIcon>
#include <QImage>

namespace kestro::ui {

// The picture at `size` x `size` pixels; the desktop's icon files are made from it.
QImage programPicture(int size);
QIcon programIcon();

}  // namespace kestro::ui
