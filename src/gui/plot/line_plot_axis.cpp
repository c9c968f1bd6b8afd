// SPDX-License-Identifier: GPL-3.0-or-later
// The plot's axes: grid steps of 1, 2 or 5 times a power of ten, as fine as the labels allow
// without running into each other.
#include <cmath>

#include "gui/plot/line_plot.h"

namespace tavrin::gui {
namespace {

constexpr int kStepFactors[] = {1, 2, 5};

// 10^exponent, computed so that a whole power is exact.
double PowerOfTen(int exponent) {
  return exponent >= 0 ? std::pow(10.0, exponent) : 1.0 / std::pow(10.0, -exponent);
}

PlotAxis AxisWithStep(double low, double high, int factor, int exponent, unsigned decimals) {
  PlotAxis axis;
  axis.factor = factor;
  axis.exponent = exponent;
  axis.decimals = std::max<int>(static_cast<int>(decimals), -exponent);
  const double step = factor * PowerOfTen(exponent);
  // The grid starts at the multiple of the step at or below the lowest value and ends at the one
  // at or above the highest; a single value still gets one interval.
  axis.firstStep = std::floor(low / step);
  const double lastStep = std::max(std::ceil(high / step), axis.firstStep + 1);
  axis.divisions = static_cast<int>(lastStep - axis.firstStep);
  return axis;
}

}  // namespace

// The multiple is scaled by a power of ten last, and divided by it for a negative exponent, so
// that 60000 is 6 * 10^4 exactly rather than an accumulation of steps that prints as 59999.
double PlotAxis::Value(int i) const {
  const double units = (firstStep + i) * factor;
  return exponent >= 0 ? units * PowerOfTen(exponent) : units / PowerOfTen(-exponent);
}

QString PlotAxis::Label(int i) const {
  if (text) return text(Value(i), Step());
  return QString::asprintf("%0.*f", decimals, Value(i) + 0.0);  // + 0.0: no "-0"
}

QStringList PlotAxis::Labels() const {
  QStringList labels;
  for (int i = 0; i <= divisions; ++i) labels << Label(i);
  return labels;
}

PlotAxis ChooseAxis(double low, double high, int mostDivisions, unsigned decimals, double pixels,
                    const std::function<int(const QString&)>& extent) {
  if (!std::isfinite(low) || !std::isfinite(high) || high < low) return PlotAxis{};
  mostDivisions = std::max(mostDivisions, 1);
  // No finer than the labels' decimals can write, and no coarser than one step over the range.
  const int finest = -static_cast<int>(decimals);
  const int coarsest =
      static_cast<int>(std::ceil(std::log10(std::max({std::fabs(low), std::fabs(high), 1.0})))) + 1;
  PlotAxis chosen;
  for (int exponent = finest; exponent <= coarsest; ++exponent) {
    for (const int factor : kStepFactors) {
      const double step = factor * PowerOfTen(exponent);
      if ((high - low) / step > mostDivisions) continue;  // too many lines: spare the labels
      chosen = AxisWithStep(low, high, factor, exponent, decimals);
      if (chosen.divisions > mostDivisions) continue;
      int widest = 0;
      for (const QString& label : chosen.Labels()) widest = std::max(widest, extent(label));
      if (pixels / chosen.divisions >= widest) return chosen;
    }
  }
  return chosen;  // the coarsest: a plot too small for any finer grid
}

PlotAxis ChooseAxisOfSteps(double low, double high, int mostDivisions,
                           const std::vector<int>& steps, const AxisLabelText& text, double pixels,
                           const std::function<int(const QString&)>& extent) {
  if (!std::isfinite(low) || !std::isfinite(high) || high < low || steps.empty()) return {};
  mostDivisions = std::max(mostDivisions, 1);
  PlotAxis chosen;
  for (const int step : steps) {
    if ((high - low) / step > mostDivisions) continue;
    chosen = AxisWithStep(low, high, step, 0, 0);
    chosen.text = text;
    if (chosen.divisions > mostDivisions) continue;
    int widest = 0;
    for (const QString& label : chosen.Labels()) widest = std::max(widest, extent(label));
    if (pixels / chosen.divisions >= widest) return chosen;
  }
  return chosen;  // the coarsest
}

const std::vector<int>& ClockSteps() {
  static const std::vector<int> steps = [] {
    std::vector<int> s = {1,   2,   5,    10,   15,   30,    60,    120,  300,
                          600, 900, 1800, 3600, 7200, 10800, 21600, 43200};
    for (int days = 1; days <= 1000; days *= 10) {
      for (const int factor : kStepFactors) s.push_back(factor * days * 86400);
    }
    return s;
  }();
  return steps;
}

}  // namespace tavrin::gui
