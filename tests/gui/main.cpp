// SPDX-License-Identifier: GPL-3.0-or-later
// The window's tests run on Qt's offscreen platform, with the zone pinned like every other test.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <ctime>

#include "gui/window/application.h"
#include "private_cache.h"

// Under the sanitizers: the web engine (Chromium inside Qt) frees some of its objects with a
// delete of another size, and keeps others, and the libudev monitor it starts, to the end of the
// process, as fontconfig keeps a pattern it read. All of it inside those libraries; every other
// check stays on for our code.
extern "C" const char* __asan_default_options() {
  return "new_delete_type_mismatch=0";
}
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6WebEngineCore\nleak:libudev\nleak:libfontconfig\n";
}

int main(int argc, char** argv) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  const tavrin::test::PrivateCache cache;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  tavrin::gui::PrepareWebEngine();
  QApplication app(argc, argv);
  tavrin::gui::UseKoreanFallbackFont();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
