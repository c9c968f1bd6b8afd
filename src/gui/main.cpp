// tavrin-lite: the desktop program.
#include <QApplication>

#include "gui/window/tvr_app.h"

int main(int argc, char** argv) {
  tavrin::gui::PrepareWebEngine();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tavrin-lite"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tavrin Lite"));
  tavrin::gui::UseKoreanFallbackFont();
  return tavrin::gui::CTVRApp().Run();
}
