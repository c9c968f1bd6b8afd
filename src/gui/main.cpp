// tavrin-lite: the desktop program.
#include <QApplication>
#include <QFont>

#include "gui/window/tvr_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tavrin-lite"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tavrin Lite"));
  // Some texts of the program are Korean: a Korean font stands behind the desktop's own.
  QFont font = QApplication::font();
  font.setFamilies({font.family(), QStringLiteral("NanumGothic"), QStringLiteral("Nanum Gothic")});
  QApplication::setFont(font);
  return tavrin::gui::CTVRApp().Run();
}
