// SPDX-License-Identifier: GPL-3.0-or-later
// The outside readers the export tests rely on: when one is missing, the test says which and
// what to do, instead of failing on output it could not parse.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "export_test_support.h"

namespace tavrin {
namespace {

// Sets PATH to a folder with no programs in it for the life of the object.
class EmptyPath {
 public:
  EmptyPath() {
    if (const char* old = std::getenv("PATH")) old_ = old;
    ::setenv("PATH", dir_.Path().c_str(), 1);
  }
  ~EmptyPath() { ::setenv("PATH", old_.c_str(), 1); }

 private:
  test::TempDir dir_;
  std::string old_;
};

TEST(OutsideReaders, AMissingXmllintIsNamedWithWhatToDo) {
  const EmptyPath noPrograms;
  EXPECT_NONFATAL_FAILURE(test::ExpectXmllintAccepts("/nonexistent.kml"),
                          "xmllint is not installed (Debian package libxml2-utils): run "
                          "scripts/install-deps.sh");
  EXPECT_NONFATAL_FAILURE(test::ExpectValidGpx("/nonexistent.gpx"), "xmllint is not installed");
}

TEST(OutsideReaders, AMissingGpsbabelIsNamedWithWhatToDo) {
  const EmptyPath noPrograms;
  EXPECT_NONFATAL_FAILURE(test::GpsbabelReads("gpx", "/nonexistent.gpx"),
                          "gpsbabel is not installed (Debian package gpsbabel): run "
                          "scripts/install-deps.sh");
}

TEST(OutsideReaders, InstalledReadersAreFound) {
  EXPECT_TRUE(test::ReaderInstalled("xmllint", "libxml2-utils"));
  EXPECT_TRUE(test::ReaderInstalled("gpsbabel", "gpsbabel"));
}

}  // namespace
}  // namespace tavrin
