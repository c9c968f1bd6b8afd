// SPDX-License-Identifier: GPL-3.0-or-later
// The pieces every export is made of: number formatting that must equal printf's, escaping of
// outside text, and the map page's zoom steps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "export/export_file.h"
#include "export/markup_text.h"
#include "map/map_view.h"

namespace tavrin {
namespace {

template <typename... Args>
std::string Printf(const char* format, Args... args) {
  char text[512];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

template <typename Append>
std::string Appended(Append append) {
  TextBuffer buffer;
  append(buffer);
  return std::string(buffer.View());
}

TEST(ExportText, NumbersMatchPrintfConversions) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> degrees(-180.0f, 180.0f);
  std::vector<double> values = {0.0,
                                -0.0,
                                0.5,
                                1e-7,
                                -1e-7,
                                0.0000005,
                                59.99999,
                                59.999999,
                                2.5e-5,
                                1234567.0,
                                1e300,
                                -1e300,
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::nan("")};
  for (int i = 0; i < 20000; ++i) values.push_back(degrees(random));  // floats, as points hold
  for (double v : values) {
    EXPECT_EQ(Appended([&](TextBuffer& b) { b.AppendFixed(v, 6); }), Printf("%f", v)) << v;
    EXPECT_EQ(Appended([&](TextBuffer& b) { b.AppendFixed(v, 2); }), Printf("%.2f", v)) << v;
    const double minutes = std::fabs(v) / 3;
    EXPECT_EQ(Appended([&](TextBuffer& b) { b.AppendFixedWidth(minutes, 7, 4); }),
              Printf("%07.4f", minutes));
    EXPECT_EQ(Appended([&](TextBuffer& b) { b.AppendFixedWidth(-minutes, 7, 4); }),
              Printf("%07.4f", -minutes));
  }
  for (long long n : {0LL, 5LL, -5LL, 42LL, -42LL, 100LL, 127LL, -1234LL, 4294967296LL}) {
    EXPECT_EQ(Appended([&](TextBuffer& b) { b.AppendInt(n); }), Printf("%lld", n));
    EXPECT_EQ(Appended([&](TextBuffer& b) { b.AppendZeroPadded(n, 2); }), Printf("%02lld", n));
    EXPECT_EQ(Appended([&](TextBuffer& b) { b.AppendZeroPadded(n, 3); }), Printf("%03lld", n));
    EXPECT_EQ(Appended([&](TextBuffer& b) { b.AppendDigits(n, 2); }), Printf("%.2lld", n));
    EXPECT_EQ(Appended([&](TextBuffer& b) { b.AppendDigits(n, 3); }), Printf("%.3lld", n));
  }
}

TEST(ExportText, XmlTextEscapesMarkupAndRepairsBadBytes) {
  EXPECT_EQ(XmlText("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e&apos;f");
  EXPECT_EQ(XmlText("트랙 Ünïcode\t\r\n"), "트랙 Ünïcode\t\r\n");
  // A lone continuation byte, a cut sequence, an overlong slash, a surrogate, U+FFFF, and
  // control characters XML forbids all become U+FFFD.
  EXPECT_EQ(XmlText("x\x80y"), "x\uFFFDy");
  EXPECT_EQ(XmlText("\xE2\x82"), "\uFFFD\uFFFD");
  EXPECT_EQ(XmlText("\xC0\xAF"), "\uFFFD\uFFFD");
  EXPECT_EQ(XmlText("\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(XmlText("\xEF\xBF\xBF"), "\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(XmlText(std::string("a\0b\x1B", 4)), "a\uFFFDb\uFFFD");
  EXPECT_EQ(XmlText("\xF0\x9F\x97\xBA"), "\xF0\x9F\x97\xBA");  // a map, four bytes
}

TEST(ExportText, UrlQueryValueKeepsOnlyUnreservedCharacters) {
  EXPECT_EQ(UrlQueryValue("AIza-Sy_0.9~z"), "AIza-Sy_0.9~z");
  EXPECT_EQ(UrlQueryValue("a&b=c d#\"<"), "a%26b%3Dc%20d%23%22%3C");
  EXPECT_EQ(UrlQueryValue("é"), "%C3%A9");
}

TEST(ExportText, MapZoomStepsAtEachBound) {
  const std::pair<double, int> steps[] = {{0.0, 17},   {0.000999, 17}, {0.001, 15}, {0.004999, 15},
                                          {0.005, 13}, {0.0099, 13},   {0.01, 12},  {0.0499, 12},
                                          {0.05, 11},  {0.0999, 11},   {0.1, 9},    {0.4999, 9},
                                          {0.5, 7},    {45.0, 7}};
  for (const auto& [extent, zoom] : steps) EXPECT_EQ(MapZoom(extent), zoom) << extent;
}

}  // namespace
}  // namespace tavrin
