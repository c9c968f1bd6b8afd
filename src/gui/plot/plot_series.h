// SPDX-License-Identifier: GPL-3.0-or-later
// One series of the line plot: its values, their extremes and mean, and the window points they
// were last drawn at.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstddef>
#include <vector>

namespace tavrin::gui {

struct PlotValue {
  float x = 0;
  float y = 0;
};

// The series' values in window coordinates, reduced to what one pixel column can show: per
// column the first, lowest, highest and last point, which a 1-pixel polyline draws exactly as it
// draws all of them.
std::vector<QPoint> ReduceToColumns(const std::vector<QPoint>& points);

class PlotSeries {
 public:
  // A series of more values than this cannot be held (2^29).
  static constexpr size_t kMostValues = size_t{1} << 29;

  PlotSeries(QString name, QColor colour, int style, const PlotValue* values, size_t count);

  const QString& Name() const { return name_; }
  QColor Colour() const { return colour_; }
  int Style() const { return style_; }
  size_t Count() const { return data_.size(); }
  const std::vector<PlotValue>& Values() const { return data_; }
  float MinX() const { return minX_; }
  float MaxX() const { return maxX_; }
  float MinY() const { return minY_; }
  float MaxY() const { return maxY_; }
  float MeanY() const { return meanY_; }
  void SetMeanY(float mean) { meanY_ = mean; }

  // The window points must be computed again before the next drawing.
  void MarkDirty() { dirty_ = true; }
  bool Dirty() const { return dirty_; }
  // Window points for the plot rectangle and ranges, computed when dirty, and their reduction.
  const std::vector<QPoint>& ScreenPoints(int left, int bottom, double kx, double ky, float minX,
                                          float minY);
  const std::vector<QPoint>& ReducedPoints() const { return reduced_; }

  QRect legendRow;

 private:
  void ComputeStatistics();

  QString name_;
  int style_;
  std::vector<PlotValue> data_;
  std::vector<QPoint> screen_;
  std::vector<QPoint> reduced_;
  QColor colour_;
  bool dirty_ = true;
  float minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0, meanY_ = 0;
};

}  // namespace tavrin::gui
