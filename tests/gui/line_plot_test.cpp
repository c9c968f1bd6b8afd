// SPDX-License-Identifier: GPL-3.0-or-later
// The speed graph: its ranges, labels and readout for the cases the page meets, and the
// per-column reduction, which must draw exactly what drawing every point draws.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "gui/plot/line_plot.h"

namespace tavrin::gui {
namespace {

std::vector<PlotValue> Speeds(size_t count, const std::function<float(size_t)>& speed) {
  std::vector<PlotValue> values(count);
  for (size_t i = 0; i < count; ++i) values[i] = {static_cast<float>(i), speed(i)};
  return values;
}

// The page's settings for its speed graph.
void AsOnThePage(LinePlot& plot) {
  plot.SetXAxisTitle("Time");
  plot.SetYAxisTitle("Speed");
  plot.SetXDivisions(10);
  plot.SetXDecimals(0);
}

QImage Rendered(LinePlot& plot) {
  QImage image(plot.size(), QImage::Format_RGB32);
  plot.render(&image);
  return image;
}

TEST(LinePlot, AFreshPlotShowsItsDefaultGridAndNoReadout) {
  LinePlot plot;
  const QStringList x = plot.XLabels(), y = plot.YLabels();
  ASSERT_EQ(x.size(), 22);
  EXPECT_EQ(x.front(), "0.0");
  EXPECT_EQ(x.back(), "1000.0");
  ASSERT_EQ(y.size(), 11);
  EXPECT_EQ(y.back(), "10.0");
  EXPECT_TRUE(plot.Readout().isEmpty());
  EXPECT_FALSE(plot.RemoveFirstSeries());
}

TEST(LinePlot, ATrackWidensTheRangesWhichNeverNarrowAgain) {
  LinePlot plot;
  AsOnThePage(plot);
  const auto track = Speeds(300, [](size_t i) { return static_cast<float>(i % 46); });
  EXPECT_EQ(plot.AddSeries(track.data(), track.size(), "Speed", QColor(0, 0, 255), 0), 0);
  EXPECT_EQ(plot.XLabels(), (QStringList{"0", "100", "200", "300", "400", "500", "600", "700",
                                         "800", "900", "1000"}));
  EXPECT_EQ(plot.YLabels(), (QStringList{"0.0", "4.5", "9.0", "13.5", "18.0", "22.5", "27.0",
                                         "31.5", "36.0", "40.5", "45.0"}));
  EXPECT_EQ(plot.Readout(), "Mean: 21.620    Min: 0.000    Max: 45.000");
  // A second press for a shorter, slower track: the first series goes, the ranges stay.
  ASSERT_TRUE(plot.RemoveFirstSeries());
  const auto shorter = Speeds(50, [](size_t) { return 10.0f; });
  plot.AddSeries(shorter.data(), shorter.size(), "Speed", QColor(0, 0, 255), 0);
  EXPECT_EQ(plot.YMax(), 45.0f);
  EXPECT_EQ(plot.XMax(), 1000.0f);
  EXPECT_EQ(plot.Readout(), "Mean: 10.000    Min: 10.000    Max: 10.000");
}

TEST(LinePlot, AnEmptySeriesKeepsTheRangesAndReadsZero) {
  LinePlot plot;
  plot.AddSeries(nullptr, 0, "Speed", QColor(0, 0, 255), 0);
  EXPECT_EQ(plot.YMax(), 10.0f);
  EXPECT_EQ(plot.XMax(), 1000.0f);
  EXPECT_EQ(plot.Readout(), "Mean: 0.000    Min: 0.000    Max: 0.000");
}

TEST(LinePlot, TheSelectionFollowsTheSeriesThatRemain) {
  LinePlot plot;
  const auto a = Speeds(3, [](size_t) { return 1.0f; });
  plot.AddSeries(a.data(), a.size(), "A", Qt::red, 0);
  plot.AddSeries(a.data(), a.size(), "B", Qt::blue, 0);
  EXPECT_EQ(plot.Selected(), 1);
  plot.RemoveFirstSeries();
  EXPECT_EQ(plot.Selected(), 0);
  plot.RemoveFirstSeries();
  EXPECT_EQ(plot.Selected(), 0);
  EXPECT_TRUE(plot.Readout().isEmpty()) << "no series left to read out";
}

TEST(LinePlot, TheReducedDrawingMatchesTheFullOnePixelForPixel) {
  LinePlot plot;
  AsOnThePage(plot);
  plot.resize(420, 260);
  // Far more points than pixel columns, jumping about, with flat runs and spikes.
  const auto track = Speeds(20000, [](size_t i) {
    return static_cast<float>(40 + 30 * std::sin(i * 0.013) + (i % 97 == 0 ? 50 : 0) +
                              static_cast<int>(i * 7919 % 13));
  });
  plot.AddSeries(track.data(), track.size(), "Speed", QColor(0, 0, 255), 0);
  plot.SetReduced(false);
  const QImage full = Rendered(plot);
  const size_t fullPoints = plot.PointsDrawn();
  plot.SetReduced(true);
  const QImage reduced = Rendered(plot);
  EXPECT_EQ(fullPoints, 20000u);
  EXPECT_LT(plot.PointsDrawn(), 4u * 420u) << "at most four points per pixel column";
  ASSERT_EQ(full.size(), reduced.size());
  EXPECT_TRUE(full == reduced) << "the two drawings differ";
  // And the line was drawn at all: some pixels carry the series colour.
  int blue = 0;
  for (int y = 0; y < reduced.height(); ++y) {
    for (int x = 0; x < reduced.width(); ++x) blue += reduced.pixel(x, y) == qRgb(0, 0, 255);
  }
  EXPECT_GT(blue, 400);
}

TEST(LinePlot, APlotTooNarrowForItsMarginsDrawsNoLine) {
  LinePlot plot;
  plot.resize(40, 200);
  const auto track = Speeds(100, [](size_t) { return 5.0f; });
  plot.AddSeries(track.data(), track.size(), "Speed", QColor(0, 0, 255), 0);
  Rendered(plot);
  EXPECT_EQ(plot.PointsDrawn(), 0u);
}

TEST(PlotLayout, FollowsTheMarginArithmetic) {
  // Client 400 x 300, caption 20, labels 30 x 12, one series.
  const PlotLayout one = LayOut({0, 0, 400, 300}, 20, 30, 12, 1, 5);
  // L = 24, s = 12, q = 6: left 5 + 24 + 30 + 6, top 5 + 12 + 12, right 395 - 24,
  // bottom 295 - 36 - 18.
  EXPECT_EQ(one.plot.left, 65);
  EXPECT_EQ(one.plot.top, 29);
  EXPECT_EQ(one.plot.right, 371);
  EXPECT_EQ(one.plot.bottom, 241);
  EXPECT_EQ(one.legend.right - one.legend.left, 0);
  // Two series make room for a legend of five characters' width: 5 * 20 / 2 = 50, plus 10.
  const PlotLayout two = LayOut({0, 0, 400, 300}, 20, 30, 12, 2, 3);
  EXPECT_EQ(two.plot.right, 371 - 60);
  EXPECT_EQ(two.legend.left, 321);
  EXPECT_EQ(two.legend.right, 381);
  EXPECT_EQ(two.rowHeight, 16);
}

}  // namespace
}  // namespace tavrin::gui
