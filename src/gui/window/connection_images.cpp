// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/connection_images.h"

#include <QCoreApplication>

// The images are compiled into the window's static library, whose resources a program must
// ask for by name.
static void LoadImages() {
  Q_INIT_RESOURCE(images);
}

namespace tavrin::gui {
namespace {

void EnsureImages() {
  static const bool loaded = (LoadImages(), true);
  (void)loaded;
}

}  // namespace

QPixmap ConnectionPixmap(ConnectionImage image) {
  EnsureImages();
  switch (image) {
    case ConnectionImage::Receiving:
      return QPixmap(QStringLiteral(":/images/receiving.png"));
    case ConnectionImage::Connected:
      return QPixmap(QStringLiteral(":/images/connected.png"));
    case ConnectionImage::Disconnected:
      break;
  }
  return QPixmap(QStringLiteral(":/images/disconnected.png"));
}

QString ConnectionImageName(ConnectionImage image) {
  switch (image) {
    case ConnectionImage::Receiving:
      return QCoreApplication::translate("MainWindow", "Receiving");
    case ConnectionImage::Connected:
      return QCoreApplication::translate("MainWindow", "Connected");
    case ConnectionImage::Disconnected:
      break;
  }
  return QCoreApplication::translate("MainWindow", "Disconnected");
}

QIcon ProgramIcon() {
  EnsureImages();
  return QIcon(QStringLiteral(":/images/program.png"));
}

}  // namespace tavrin::gui
