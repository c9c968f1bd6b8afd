// tavrin-lite: the desktop program.
#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "base/version.h"
#include "gui/window/tvr_app.h"
#include "gui/window/tvr_dlg.h"

namespace {

constexpr char kUsage[] =
    "Usage: tavrin-lite [--version | --self-test]\n"
    "The desktop manager of a GPS track logger.\n"
    "  --version    print the version and what it was built from\n"
    "  --self-test  open the window, and close it as soon as it is painted (exit 0)\n";

}  // namespace

int main(int argc, char** argv) {
  bool selfTest = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("tavrin-lite %s\n", tavrin::kVersionAndBuild);
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--self-test") == 0) selfTest = true;
  }
  // Past a file size limit a write fails and the read says so, instead of the program dying.
  std::signal(SIGXFSZ, SIG_IGN);
  tavrin::gui::PrepareWebEngine();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tavrin-lite"));
  // The window system adds the display name to a caption that does not end with it: the caption
  // is the name, so that the title bar reads "Tavrin Lite V1.1.0" and nothing more.
  QApplication::setApplicationDisplayName(QString::fromUtf8(tavrin::gui::kProgramCaption));
  QApplication::setApplicationVersion(QString::fromUtf8(tavrin::kVersion));
  QApplication::setDesktopFileName(QStringLiteral("io.github.tavrinlite.TavrinLite"));
  tavrin::gui::UseKoreanFallbackFont();
  return tavrin::gui::CTVRApp().Run(selfTest);
}
