// SPDX-License-Identifier: GPL-3.0-or-later
// The line plot control: series drawn as lines on a grid with tick labels, axis titles, two
// axis-lock glyphs, a legend from two series on, and the mean, minimum and maximum of the
// selected series. It widens its ranges to every series it is given and never narrows them.
#pragma once

#include <QWidget>
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

class LinePlot : public QWidget {
  Q_OBJECT

 public:
  explicit LinePlot(QWidget* parent = nullptr);

  void SetXAxisTitle(const QString& title) { xTitle_ = title; }
  void SetYAxisTitle(const QString& title) { yTitle_ = title; }
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

  int SeriesCount() const { return static_cast<int>(series_.size()); }
  int Selected() const { return selected_; }
  float XMin() const { return xMin_; }
  float XMax() const { return xMax_; }
  float YMin() const { return yMin_; }
  float YMax() const { return yMax_; }
  // The readout line, or empty without a valid selected series.
  QString Readout() const;
  // The x and y tick label texts, as the grid shows them.
  QStringList XLabels() const;
  QStringList YLabels() const;
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
  void MarkAllDirty();
  int CaptionHeight() const;
  QFont LabelFont() const;
  QFont TitleFont() const;
  void DrawFrameAndTexts(QPainter& painter, const PlotLayout& layout) const;
  void DrawGrid(QPainter& painter, const PlotLayout& layout) const;
  void DrawLock(QPainter& painter, const PlotRect& box, bool locked) const;
  void DrawLegend(QPainter& painter, const PlotLayout& layout);
  void DrawSeries(QPainter& painter, const PlotLayout& layout);

  QString xTitle_ = QStringLiteral("X Axis");
  QString yTitle_ = QStringLiteral("Y Axis");
  int xDivisions_ = 21;
  int yDivisions_ = 10;
  unsigned xDecimals_ = 1;
  unsigned yDecimals_ = 1;
  float xMin_ = 0, xMax_ = 1000;
  float yMin_ = 0, yMax_ = 10;
  int selected_ = -1;
  bool xLocked_ = false, yLocked_ = false;
  std::vector<PlotSeries> series_;
  bool reduced_ = true;
  size_t pointsDrawn_ = 0;
};

}  // namespace tavrin::gui
