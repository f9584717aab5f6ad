// The program's icon: a 64 x 64 picture of an arcade stick, painted in code. It is the window
// icon and the tray icon.
#pragma once

#include <QIcon>

namespace kestro::ui {

QIcon programIcon();

}  // namespace kestro::ui
