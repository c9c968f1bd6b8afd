// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/plot/plot_series.h"

#include <algorithm>
#include <cmath>

namespace tavrin::gui {

PlotSeries::PlotSeries(QString name, QColor colour, int style, const PlotValue* values,
                       size_t count)
    : name_(std::move(name)), style_(style), colour_(colour) {
  if (count > 0 && values != nullptr) data_.assign(values, values + count);
  ComputeStatistics();
}

// The extremes start from the first value; the y values are summed in extended precision.
void PlotSeries::ComputeStatistics() {
  if (data_.empty()) return;
  minX_ = maxX_ = data_.front().x;
  minY_ = maxY_ = data_.front().y;
  long double sum = 0;
  for (const PlotValue& v : data_) {
    minX_ = std::min(minX_, v.x);
    maxX_ = std::max(maxX_, v.x);
    minY_ = std::min(minY_, v.y);
    maxY_ = std::max(maxY_, v.y);
    sum += v.y;
  }
  meanY_ = static_cast<float>(sum / static_cast<long double>(data_.size()));
  dirty_ = true;
}

const std::vector<QPoint>& PlotSeries::ScreenPoints(int left, int bottom, double kx, double ky,
                                                    float minX, float minY) {
  if (!dirty_) return screen_;
  screen_.resize(data_.size());
  for (size_t i = 0; i < data_.size(); ++i) {
    const double x = std::trunc((static_cast<double>(data_[i].x) - minX) * kx);
    const double y = std::trunc((static_cast<double>(data_[i].y) - minY) * ky);
    screen_[i] = QPoint(static_cast<int>(x) + left, bottom - static_cast<int>(y));
  }
  reduced_ = ReduceToColumns(screen_);
  dirty_ = false;
  return screen_;
}

std::vector<QPoint> ReduceToColumns(const std::vector<QPoint>& points) {
  std::vector<QPoint> reduced;
  reduced.reserve(std::min<size_t>(points.size(), 8192));
  size_t i = 0;
  while (i < points.size()) {
    // A run of consecutive points in one pixel column.
    size_t end = i + 1;
    while (end < points.size() && points[end].x() == points[i].x()) ++end;
    const auto [low, high] = std::minmax_element(
        points.begin() + static_cast<ptrdiff_t>(i), points.begin() + static_cast<ptrdiff_t>(end),
        [](const QPoint& a, const QPoint& b) { return a.y() < b.y(); });
    for (const QPoint& p : {points[i], *low, *high, points[end - 1]}) {
      if (reduced.empty() || reduced.back() != p) reduced.push_back(p);
    }
    i = end;
  }
  return reduced;
}

}  // namespace tavrin::gui
