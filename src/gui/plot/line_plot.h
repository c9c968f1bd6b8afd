// SPDX-License-Identifier: GPL-3.0-or-later
// The line plot control: series drawn as lines on a grid with tick labels, axis titles, two
// axis-lock glyphs, a legend from two series on, and the mean, minimum and maximum of the
// selected series. The first series after a clear sets the ranges; later ones only widen them.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "gui/plot/plot_series.h"

class QFontMetrics;

namespace tavrin::gui {

// Rectangles as the layout arithmetic uses them: right and bottom lie outside.
struct PlotRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Where each part of the plot goes, for a client rectangle, a caption-bar height and the size of
// the widest y label.
struct PlotLayout {
  PlotRect plot;     // A: the grid and the lines
  PlotRect readout;  // R
  PlotRect legend;   // empty with fewer than two series
  PlotRect xTitle;   // Tx
  PlotRect yTitle;   // Ty
  PlotRect labels;   // B
  PlotRect xLock, yLock;
  double dx = 0, dy = 0;  // pixels per grid interval
  int q = 0;
  int rowHeight = 0;  // of the legend
};

PlotLayout LayOut(PlotRect client, int captionHeight, int labelWidth, int labelHeight,
                  int seriesCount, int longestName);

// Writes an axis value as its label, given the step between two labels (a clock shows seconds
// only when the step is under a minute).
using AxisLabelText = std::function<QString(double value, double step)>;

// One axis as the grid shows it: `divisions` intervals of factor * 10^exponent (factor 1, 2 or
// 5, or any whole step on an axis of chosen steps) from firstStep steps above zero, labelled with
// `decimals` decimals or by `text` when it is set.
struct PlotAxis {
  double firstStep = 0;
  int factor = 1;
  int exponent = 0;
  int divisions = 1;
  int decimals = 0;
  AxisLabelText text;

  double Step() const { return Value(1) - Value(0); }
  double First() const { return Value(0); }
  double Last() const { return Value(divisions); }
  double Value(int i) const;
  QString Label(int i) const;
  QStringList Labels() const;
};

// The axis for values from low to high over `pixels`: the finest step of 1, 2 or 5 times a power
// of ten that `decimals` can write, that needs at most mostDivisions intervals, and that leaves
// each interval as long as the longest extent(label) of its labels.
PlotAxis ChooseAxis(double low, double high, int mostDivisions, unsigned decimals, double pixels,
                    const std::function<int(const QString&)>& extent);
// The same for an axis whose steps are whole numbers from a list, finest first (a clock's
// seconds, minutes and hours), labelled by `text`.
PlotAxis ChooseAxisOfSteps(double low, double high, int mostDivisions,
                           const std::vector<int>& steps, const AxisLabelText& text, double pixels,
                           const std::function<int(const QString&)>& extent);

// The steps of a time axis in seconds: 1, 2, 5, 10, 15 and 30 seconds and minutes, 1, 2, 3, 6
// and 12 hours, then 1, 2 and 5 times a power of ten days.
const std::vector<int>& ClockSteps();

class LinePlot : public QWidget {
  Q_OBJECT

 public:
  explicit LinePlot(QWidget* parent = nullptr);

  void SetXAxisTitle(const QString& title) { xTitle_ = title; }
  void SetYAxisTitle(const QString& title) { yTitle_ = title; }
  // The most grid intervals along x; fewer are drawn where the labels need the room.
  void SetXDivisions(int divisions) { xDivisions_ = divisions; }
  void SetXDecimals(unsigned decimals) { xDecimals_ = decimals; }
  // x values are seconds, on a grid of clock steps labelled by `text`; an empty `text` goes back
  // to decimal steps.
  void SetXAxisClock(AxisLabelText text) { xClock_ = std::move(text); }
  void SetRangeLocks(bool x, bool y) {
    xLocked_ = x;
    yLocked_ = y;
  }

  // Adds a series and selects it; returns its index. A series too large to hold is refused
  // (returns -1) rather than kept without its values.
  int AddSeries(const PlotValue* values, size_t count, const QString& name, QColor colour,
                int style);
  bool RemoveFirstSeries();
  // The mean the readout gives for the selected series, where its owner knows a truer one than
  // the mean of the values (a speed's is the distance over the time, not the mean of samples
  // taken at uneven times).
  void SetSelectedMean(float mean);
  // Removes every series and forgets the ranges, so that the next series sets them anew (another
  // track is shown).
  void Clear();

  int SeriesCount() const { return static_cast<int>(series_.size()); }
  int Selected() const { return selected_; }
  float XMin() const { return xMin_; }
  float XMax() const { return xMax_; }
  float YMin() const { return yMin_; }
  float YMax() const { return yMax_; }
  // The readout line, or empty without a valid selected series.
  QString Readout() const;
  // The x and y tick label texts, as the grid shows them at the present size.
  QStringList XLabels() const;
  QStringList YLabels() const;
  // Where the grid lines are at the present size: x of each vertical line, y of each horizontal
  // one. The lowest and highest horizontal lines keep a margin inside the frame, so that a line
  // along them is not hidden under it. An x label ends at its line, its bottom at XLabelBaseline();
  // a y label ends at YLabelRight(), its bottom at its line.
  std::vector<int> XTicks() const;
  std::vector<int> YTicks() const;
  int XLabelBaseline() const;
  int YLabelRight() const;
  // The rectangle the lines are drawn in (the frame's inside).
  QRect PlotArea() const;
  QFont LabelFont() const;
  // Lines drawn for the series at the last paint (after the per-column reduction).
  size_t PointsDrawn() const { return pointsDrawn_; }
  // Draws with the per-column reduction (default) or every point, for comparing the two.
  void SetReduced(bool reduced) { reduced_ = reduced; }

 signals:
  void seriesChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The layout and both axes for the present size and ranges; `grid` is the plot rectangle less
  // the margins above and below the horizontal grid lines.
  struct Frame {
    PlotLayout layout;
    PlotRect grid;
    PlotAxis x, y;
  };
  Frame FrameNow() const;
  PlotAxis XAxisFor(const PlotLayout& layout, const QFontMetrics& metrics) const;
  static std::vector<int> XTicksOf(const Frame& frame);
  static std::vector<int> YTicksOf(const Frame& frame);
  void Widen(const PlotSeries& added);
  void MarkAllDirty();
  int CaptionHeight() const;
  QFont TitleFont() const;
  void DrawFrameAndTexts(QPainter& painter, const Frame& frame) const;
  void DrawGrid(QPainter& painter, const Frame& frame) const;
  void DrawLock(QPainter& painter, const PlotRect& box, bool locked) const;
  void DrawLegend(QPainter& painter, const PlotLayout& layout);
  void DrawSeries(QPainter& painter, const Frame& frame);

  QString xTitle_ = QStringLiteral("X Axis");
  QString yTitle_ = QStringLiteral("Y Axis");
  int xDivisions_ = 21;
  int yDivisions_ = 10;
  unsigned xDecimals_ = 1;
  AxisLabelText xClock_;
  unsigned yDecimals_ = 1;
  // The ranges a plot shows before its first series.
  static constexpr float kDefaultXMin = 0, kDefaultXMax = 1000;
  static constexpr float kDefaultYMin = 0, kDefaultYMax = 10;
  float xMin_ = kDefaultXMin, xMax_ = kDefaultXMax;
  float yMin_ = kDefaultYMin, yMax_ = kDefaultYMax;
  bool rangesSet_ = false;  // by a series since the last clear; until then the defaults show
  int selected_ = -1;
  bool xLocked_ = false, yLocked_ = false;
  std::vector<PlotSeries> series_;
  bool reduced_ = true;
  size_t pointsDrawn_ = 0;
};

}  // namespace tavrin::gui
