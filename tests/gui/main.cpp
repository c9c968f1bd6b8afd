// The window's tests run on Qt's offscreen platform, with the zone pinned like every other test.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <ctime>

#include "gui/window/tvr_app.h"

int main(int argc, char** argv) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  tavrin::gui::PrepareWebEngine();
  QApplication app(argc, argv);
  tavrin::gui::UseKoreanFallbackFont();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
