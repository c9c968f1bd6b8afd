// SPDX-License-Identifier: GPL-3.0-or-later
// The line plot control: series drawn as lines on a grid with tick labels, axis titles, two
// axis-lock glyphs, a legend from two series on, and the mean, minimum and maximum of the
// selected series. The first series after a clear sets the ranges; later ones only widen them.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "gui/plot/plot_series.h"

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

// One axis as the grid shows it: `divisions` intervals of factor * 10^exponent (factor 1, 2 or
// 5) from firstStep steps above zero, labelled with `decimals` decimals.
struct PlotAxis {
  double firstStep = 0;
  int factor = 1;
  int exponent = 0;
  int divisions = 1;
  int decimals = 0;

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

class LinePlot : public QWidget {
  Q_OBJECT

 public:
  explicit LinePlot(QWidget* parent = nullptr);

  void SetXAxisTitle(const QString& title) { xTitle_ = title; }
  void SetYAxisTitle(const QString& title) { yTitle_ = title; }
  // The most grid intervals along x; fewer are drawn where the labels need the room.
  void SetXDivisions(int divisions) { xDivisions_ = divisions; }
  void SetXDecimals(unsigned decimals) { xDecimals_ = decimals; }
  void SetRangeLocks(bool x, bool y) {
    xLocked_ = x;
    yLocked_ = y;
  }

  // Adds a series and selects it; returns its index. A series too large to hold is refused
  // (returns -1) rather than kept without its values.
  int AddSeries(const PlotValue* values, size_t count, const QString& name, QColor colour,
                int style);
  bool RemoveFirstSeries();
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
  // one. An x label ends at its line, its bottom at XLabelBaseline(); a y label ends at
  // YLabelRight(), its bottom at its line.
  std::vector<int> XTicks() const;
  std::vector<int> YTicks() const;
  int XLabelBaseline() const;
  int YLabelRight() const;
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
  // The layout and both axes for the present size and ranges.
  struct Frame {
    PlotLayout layout;
    PlotAxis x, y;
  };
  Frame FrameNow() const;
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
