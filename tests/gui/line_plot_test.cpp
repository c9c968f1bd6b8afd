// SPDX-License-Identifier: GPL-3.0-or-later
// The speed graph: its ranges, labels and readout for the cases the page meets, and the
// per-column reduction, which must draw exactly what drawing every point draws.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <functional>

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
  ASSERT_GE(x.size(), 2);
  EXPECT_EQ(x.front(), "0.0");
  EXPECT_EQ(x.back(), "1000.0");
  ASSERT_EQ(y.size(), 11);
  EXPECT_EQ(y.back(), "10.0");
  EXPECT_TRUE(plot.Readout().isEmpty());
  EXPECT_FALSE(plot.RemoveFirstSeries());
}

TEST(LinePlot, ATrackSetsTheRangesWhichThenOnlyWidenUntilTheGraphIsCleared) {
  LinePlot plot;
  AsOnThePage(plot);
  plot.resize(600, 480);
  const auto track = Speeds(300, [](size_t i) { return static_cast<float>(i % 46); });
  EXPECT_EQ(plot.AddSeries(track.data(), track.size(), "Speed", QColor(0, 0, 255), 0), 0);
  EXPECT_EQ(plot.XMax(), 299.0f) << "the track's own range, not the empty plot's 1000";
  EXPECT_EQ(plot.XLabels(), (QStringList{"0", "50", "100", "150", "200", "250", "300"}));
  EXPECT_EQ(plot.YLabels(), (QStringList{"0.0", "5.0", "10.0", "15.0", "20.0", "25.0", "30.0",
                                         "35.0", "40.0", "45.0"}));
  EXPECT_EQ(plot.Readout(), "Mean: 21.620    Min: 0.000    Max: 45.000");
  // A second press for a shorter, slower part of the same track: the first series goes, the
  // ranges stay.
  ASSERT_TRUE(plot.RemoveFirstSeries());
  const auto shorter = Speeds(50, [](size_t) { return 10.0f; });
  plot.AddSeries(shorter.data(), shorter.size(), "Speed", QColor(0, 0, 255), 0);
  EXPECT_EQ(plot.YMax(), 45.0f);
  EXPECT_EQ(plot.XMax(), 299.0f);
  EXPECT_EQ(plot.Readout(), "Mean: 10.000    Min: 10.000    Max: 10.000");
  // Another track: cleared, the plot takes that track's ranges.
  plot.Clear();
  EXPECT_EQ(plot.SeriesCount(), 0);
  EXPECT_TRUE(plot.Readout().isEmpty());
  plot.AddSeries(shorter.data(), shorter.size(), "Speed", QColor(0, 0, 255), 0);
  EXPECT_EQ(plot.XMax(), 49.0f);
  EXPECT_EQ(plot.YMin(), 10.0f);
  EXPECT_EQ(plot.YMax(), 10.0f);
  EXPECT_EQ(plot.XLabels().back(), "50");
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

// The labels a plot draws, as rectangles: an x label ends at its grid line above the baseline,
// a y label ends at the labels' right edge with its bottom on its line.
std::vector<QRect> LabelBoxes(const LinePlot& plot) {
  const QFontMetrics metrics(plot.LabelFont());
  std::vector<QRect> boxes;
  const QStringList x = plot.XLabels(), y = plot.YLabels();
  const std::vector<int> xTicks = plot.XTicks(), yTicks = plot.YTicks();
  EXPECT_EQ(x.size(), static_cast<qsizetype>(xTicks.size()));
  EXPECT_EQ(y.size(), static_cast<qsizetype>(yTicks.size()));
  for (qsizetype i = 0; i < x.size() && i < static_cast<qsizetype>(xTicks.size()); ++i) {
    const int w = metrics.horizontalAdvance(x[i]);
    boxes.emplace_back(xTicks[i] - w, plot.XLabelBaseline() - metrics.height(), w,
                       metrics.height());
  }
  for (qsizetype i = 0; i < y.size() && i < static_cast<qsizetype>(yTicks.size()); ++i) {
    const int w = metrics.horizontalAdvance(y[i]);
    boxes.emplace_back(plot.YLabelRight() - w, yTicks[i] - metrics.height(), w, metrics.height());
  }
  return boxes;
}

// The labels' values: evenly spaced by 1, 2 or 5 times a power of ten, each an exact multiple
// of that step, and taking in [low, high].
void ExpectNiceSteps(const QStringList& labels, double low, double high, const std::string& what) {
  ASSERT_GE(labels.size(), 2) << what;
  std::vector<double> values;
  for (const QString& label : labels) {
    bool number = false;
    values.push_back(label.toDouble(&number));
    ASSERT_TRUE(number) << what << ": " << label.toStdString();
  }
  const double step = values[1] - values[0];
  ASSERT_GT(step, 0) << what;
  const double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  const double factor = step / power;
  EXPECT_TRUE(std::fabs(factor - 1) < 1e-9 || std::fabs(factor - 2) < 1e-9 ||
              std::fabs(factor - 5) < 1e-9)
      << what << ": step " << step;
  for (size_t i = 0; i < values.size(); ++i) {
    const double multiple = values[i] / step;
    EXPECT_NEAR(multiple, std::round(multiple), 1e-9) << what << ": " << labels[i].toStdString();
    EXPECT_NEAR(values[i] - values[0], step * static_cast<double>(i), step * 1e-9) << what;
  }
  EXPECT_LE(values.front(), low) << what;
  EXPECT_GE(values.back(), high) << what;
}

TEST(LinePlot, TicksAreRoundStepsAndNoTwoLabelsOverlapFromFiftyToAMillionPoints) {
  for (const size_t count : {size_t{50}, size_t{1000}, size_t{100000}, size_t{1000000}}) {
    const auto track =
        Speeds(count, [](size_t i) { return static_cast<float>(3 + (i * 7919) % 187); });
    for (const QSize size : {QSize(260, 180), QSize(420, 260), QSize(726, 300), QSize(1400, 600)}) {
      LinePlot plot;
      AsOnThePage(plot);
      plot.resize(size);
      plot.AddSeries(track.data(), track.size(), "Speed", QColor(0, 0, 255), 0);
      const std::string what = std::to_string(count) + " points at " +
                               std::to_string(size.width()) + "x" + std::to_string(size.height());
      ExpectNiceSteps(plot.XLabels(), 0, static_cast<double>(count - 1), what + ", x");
      ExpectNiceSteps(plot.YLabels(), plot.YMin(), plot.YMax(), what + ", y");
      EXPECT_LE(plot.XLabels().size(), 11) << what << ": at most the ten divisions asked for";
      const std::vector<QRect> boxes = LabelBoxes(plot);
      for (size_t i = 0; i < boxes.size(); ++i) {
        for (size_t j = i + 1; j < boxes.size(); ++j) {
          EXPECT_FALSE(boxes[i].intersects(boxes[j]))
              << what << ": labels " << i << " and " << j << " overlap";
        }
      }
    }
  }
}

TEST(LinePlot, LabelsAreExactValuesNotSumsOfSteps) {
  LinePlot plot;
  AsOnThePage(plot);
  plot.resize(726, 300);
  const auto track = Speeds(60000, [](size_t i) { return static_cast<float>(i % 120) / 10; });
  plot.AddSeries(track.data(), track.size(), "Speed", QColor(0, 0, 255), 0);
  const QStringList x = plot.XLabels();
  EXPECT_EQ(x.back(), "60000");
  for (const QString& label : x) EXPECT_FALSE(label.endsWith("9")) << label.toStdString();
  const QStringList y = plot.YLabels();
  EXPECT_EQ(y.front(), "0.0");
  EXPECT_EQ(y.back(), "12.0") << "speeds up to 11.9";
}

// Rows of the image in which the series colour shows, within the plot's frame.
std::vector<int> RowsOfTheLine(LinePlot& plot) {
  const QImage image = Rendered(plot);
  const QRect area = plot.PlotArea();
  std::vector<int> rows;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (image.pixel(x, y) == qRgb(0, 0, 255)) {
        rows.push_back(y);
        break;
      }
    }
  }
  return rows;
}

TEST(LinePlot, ALineAtOneSpeedRunsInsideTheFrameOnAScaleAroundIt) {
  for (const float speed : {0.0f, 50.0f}) {
    LinePlot plot;
    AsOnThePage(plot);
    plot.resize(420, 260);
    const auto track = Speeds(100, [speed](size_t) { return speed; });
    plot.AddSeries(track.data(), track.size(), "Speed", QColor(0, 0, 255), 0);
    const std::vector<int> rows = RowsOfTheLine(plot);
    ASSERT_EQ(rows.size(), 1u) << speed << " km/h: one flat line, seen";
    const QRect area = plot.PlotArea();
    EXPECT_GT(rows.front(), area.top() + 2) << speed;
    EXPECT_LT(rows.front(), area.bottom() - 2) << speed << ": off the frame's bottom";
    const QStringList y = plot.YLabels();
    EXPECT_LE(y.front().toDouble(), speed);
    EXPECT_GT(y.back().toDouble(), speed) << "a scale above the line to read it on";
    EXPECT_GE(y.front().toDouble(), 0.0) << "no speed below zero";
  }
}

TEST(LinePlot, AClockAxisLabelsRoundTimesOfDayThatNeverOverlap) {
  const auto clock = [](double x, double step) {
    const long s = std::lround(x);
    return step < 60 ? QString::asprintf("%02ld:%02ld:%02ld", s / 3600 % 24, s / 60 % 60, s % 60)
                     : QString::asprintf("%02ld:%02ld", s / 3600 % 24, s / 60 % 60);
  };
  for (const long span : {40L, 600L, 3000L, 4 * 3600L, 30 * 3600L}) {
    for (const QSize size : {QSize(260, 180), QSize(726, 300)}) {
      LinePlot plot;
      AsOnThePage(plot);
      plot.SetXAxisClock(clock);
      plot.resize(size);
      std::vector<PlotValue> track;
      for (long t = 0; t <= span; t += std::max(1L, span / 500)) {
        track.push_back({static_cast<float>(8 * 3600 + 7 + t), 30});
      }
      plot.AddSeries(track.data(), track.size(), "Speed", QColor(0, 0, 255), 0);
      const std::string what = std::to_string(span) + " s at " + std::to_string(size.width());
      const QStringList x = plot.XLabels();
      ASSERT_GE(x.size(), 2) << what;
      for (const QString& label : x) {
        EXPECT_TRUE(label.size() == 5 || (span < 120 && label.size() == 8)) << what;
      }
      EXPECT_LE(x.front(), "08:00:07") << what << ": the grid starts at or before the track";
      const std::vector<QRect> boxes = LabelBoxes(plot);
      for (size_t i = 0; i + 1 < static_cast<size_t>(x.size()); ++i) {
        EXPECT_FALSE(boxes[i].intersects(boxes[i + 1])) << what << ": labels " << i;
      }
    }
  }
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
