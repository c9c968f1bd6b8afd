// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "private_cache.h"

int main(int argc, char** argv) {
  // Calendar conversions use the host's zone; tests pin it and change it only where they mean to.
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  const tavrin::test::PrivateCache cache;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
