// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon as the desktop's icon theme wants it: one PNG per size under
// <folder>/<size>x<size>/apps/kestro.png, all drawn from the window icon's picture.
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdlib>
#include <iostream>

#include "ui/icon.h"

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::cerr << "usage: kestro_iconfiles FOLDER SIZE...\n";
    return 2;
  }
  const QDir root(QString::fromLocal8Bit(argv[1]));
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    const QString folder = QStringLiteral("%1x%1/apps").arg(size);
    if (size <= 0 || !root.mkpath(folder) ||
        !kestro::ui::programPicture(size).save(root.filePath(folder + "/kestro.png"), "PNG")) {
      std::cerr << "kestro_iconfiles: cannot write the " << argv[i] << " pixel icon\n";
      return 1;
    }
  }
  return 0;
}
