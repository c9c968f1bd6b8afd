// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin-lite: the desktop program.
#include <QApplication>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "base/version.h"
#include "gui/window/application.h"

namespace {

constexpr char kUsage[] =
    "Usage: tavrin-lite [--help | --version | --self-test] [FILE...]\n"
    "The desktop manager of a GPS track logger: download its tracks, list them, show them on a\n"
    "map and in a speed graph, cut them, export them and place photos on them.\n"
    "\n"
    "Options:\n"
    "  --help       print this help and exit\n"
    "  --version    print the version and what it was built from\n"
    "  --self-test  open the window, and close it as soon as it is painted: exit status 0, or 1\n"
    "               when no paint came within 30 seconds\n"
    "\n"
    "Each FILE (GPX, KML or NMEA text of another device) is imported into the stored tracks and\n"
    "the first track it gives is shown; when the window runs already, it takes the files.\n";

}  // namespace

int main(int argc, char** argv) {
  bool selfTest = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("tavrin-lite %s%s\n", tavrin::kVersionAndBuild, tavrin::kLicenceNotice);
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--self-test") == 0) selfTest = true;
  }
  QStringList files;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '-') files << QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath();
  }
  // Past a file size limit a write fails and the read says so, instead of the program dying.
  std::signal(SIGXFSZ, SIG_IGN);
  tavrin::gui::PrepareWebEngine();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tavrin-lite"));
  // No display name: Qt would add it to every caption that does not end with it, and the title
  // bars must read "Tavrin Lite V1.1.0", "Software Options", ... and nothing more.
  QApplication::setApplicationVersion(QString::fromUtf8(tavrin::kVersion));
  QApplication::setDesktopFileName(QStringLiteral("io.github.tavrinlite.TavrinLite"));
  tavrin::gui::UseKoreanFallbackFont();
  return tavrin::gui::Application().Run(selfTest, files);
}
