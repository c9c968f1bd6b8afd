#include "gui/window/connection_images.h"

namespace tavrin::gui {

QPixmap ConnectionPixmap(ConnectionImage image) {
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
      return QStringLiteral("Receiving");
    case ConnectionImage::Connected:
      return QStringLiteral("Connected");
    case ConnectionImage::Disconnected:
      break;
  }
  return QStringLiteral("Disconnected");
}

QIcon ProgramIcon() {
  return QIcon(QStringLiteral(":/images/connected.png"));
}

}  // namespace tavrin::gui
