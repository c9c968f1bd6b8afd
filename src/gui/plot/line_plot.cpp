// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/plot/line_plot.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <utility>

namespace tavrin::gui {
namespace {

QRect ToQRect(const PlotRect& r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// The y range the grid spans: the values' own, but a single value is given room on both sides,
// so that its line runs through the middle of the plot with a scale to read it on; a value at or
// above zero keeps the scale from going below zero.
std::pair<double, double> YRangeShown(float low, float high) {
  if (low != high) return {low, high};
  const double pad = std::max(1.0, std::fabs(static_cast<double>(low)) / 10);
  const double bottom = low >= 0 ? std::max(0.0, low - pad) : low - pad;
  return {bottom, high + pad};
}

// Writes `text` with its given horizontal edge (left, right or centre) at x and its bottom at y.
void TextAt(QPainter& painter, int x, int y, const QString& text, Qt::Alignment horizontal) {
  const QFontMetrics metrics(painter.font());
  const int width = metrics.horizontalAdvance(text);
  const int left = horizontal == Qt::AlignRight     ? x - width
                   : horizontal == Qt::AlignHCenter ? x - width / 2
                                                    : x;
  painter.drawText(QRect(left, y - metrics.height(), width, metrics.height()),
                   Qt::AlignLeft | Qt::AlignBottom, text);
}

}  // namespace

LinePlot::LinePlot(QWidget* parent) : QWidget(parent) {
  setObjectName("speedGraph");
  setWindowTitle(QStringLiteral("LinePlot"));
  setAccessibleName(tr("Speed graph"));
  setAttribute(Qt::WA_OpaquePaintEvent);  // the whole picture is painted: nothing to erase first
}

int LinePlot::AddSeries(const PlotValue* values, size_t count, const QString& name, QColor colour,
                        int style) {
  if (count >= PlotSeries::kMostValues) return -1;
  series_.emplace_back(name, colour, style, values, count);
  selected_ = SeriesCount() - 1;
  if (series_.back().Count() > 0) Widen(series_.back());
  MarkAllDirty();
  update();
  emit seriesChanged();
  return selected_;
}

// The first series after a clear takes the ranges over from the defaults; the rest only widen
// them, so that a shorter series drawn over a longer one keeps the scale it is compared on.
void LinePlot::Widen(const PlotSeries& added) {
  const bool first = !rangesSet_;
  rangesSet_ = true;
  if (!xLocked_) {
    xMin_ = first ? added.MinX() : std::min(xMin_, added.MinX());
    xMax_ = first ? added.MaxX() : std::max(xMax_, added.MaxX());
  }
  if (!yLocked_) {
    yMin_ = first ? added.MinY() : std::min(yMin_, added.MinY());
    yMax_ = first ? added.MaxY() : std::max(yMax_, added.MaxY());
  }
}

void LinePlot::Clear() {
  const bool hadSelection = selected_ >= 0;
  series_.clear();
  selected_ = -1;
  rangesSet_ = false;
  if (!xLocked_) {
    xMin_ = kDefaultXMin;
    xMax_ = kDefaultXMax;
  }
  if (!yLocked_) {
    yMin_ = kDefaultYMin;
    yMax_ = kDefaultYMax;
  }
  MarkAllDirty();
  update();
  if (hadSelection) emit seriesChanged();
}

bool LinePlot::RemoveFirstSeries() {
  if (series_.empty()) return false;
  series_.erase(series_.begin());
  if (selected_ >= 0) {
    selected_ = std::clamp(selected_ - 1, 0, std::max(SeriesCount() - 1, 0));
    emit seriesChanged();
  }
  update();
  return true;
}

void LinePlot::SetSelectedMean(float mean) {
  if (selected_ < 0 || selected_ >= SeriesCount()) return;
  series_[static_cast<size_t>(selected_)].SetMeanY(mean);
  update();
}

void LinePlot::MarkAllDirty() {
  for (PlotSeries& s : series_) s.MarkDirty();
}

void LinePlot::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  MarkAllDirty();
  update();
}

QString LinePlot::Readout() const {
  if (selected_ < 0 || selected_ >= SeriesCount()) return {};
  const PlotSeries& s = series_[static_cast<size_t>(selected_)];
  const auto figure = [](double value) { return QString::asprintf("%0.3f", value); };
  return tr("Mean: %1    Min: %2    Max: %3")
      .arg(figure(s.MeanY()), figure(s.MinY()), figure(s.MaxY()));
}

QStringList LinePlot::XLabels() const {
  return FrameNow().x.Labels();
}

QStringList LinePlot::YLabels() const {
  return FrameNow().y.Labels();
}

std::vector<int> LinePlot::XTicks() const {
  return XTicksOf(FrameNow());
}

std::vector<int> LinePlot::YTicks() const {
  return YTicksOf(FrameNow());
}

std::vector<int> LinePlot::XTicksOf(const Frame& frame) {
  const PlotRect& a = frame.layout.plot;
  const int q = frame.layout.q;
  const double dx = static_cast<double>(a.right - a.left) / frame.x.divisions;
  std::vector<int> ticks;
  for (int i = 0; i <= frame.x.divisions; ++i) {
    ticks.push_back(static_cast<int>(std::trunc(i * dx + (a.left - q))) + q);
  }
  return ticks;
}

std::vector<int> LinePlot::YTicksOf(const Frame& frame) {
  const PlotRect& a = frame.grid;
  const int q = frame.layout.q;
  const double dy = static_cast<double>(a.bottom - a.top) / frame.y.divisions;
  std::vector<int> ticks;
  for (int i = 0; i <= frame.y.divisions; ++i) {
    ticks.push_back(static_cast<int>(std::trunc((a.bottom + q) - i * dy)) - q);
  }
  return ticks;
}

int LinePlot::XLabelBaseline() const {
  return FrameNow().layout.labels.bottom;
}

int LinePlot::YLabelRight() const {
  return FrameNow().layout.labels.right;
}

// The plot's height does not depend on the room the y labels take, so the y axis is chosen
// first, its widest label sets that room, and the width left decides the x axis.
LinePlot::Frame LinePlot::FrameNow() const {
  const QFontMetrics metrics(LabelFont());
  int longestName = 0;
  for (const PlotSeries& s : series_) longestName = std::max<int>(longestName, s.Name().size());
  const PlotRect client{0, 0, width(), height()};
  Frame frame;
  const PlotLayout tall =
      LayOut(client, CaptionHeight(), 0, metrics.height(), SeriesCount(), longestName);
  const auto [low, high] = YRangeShown(yMin_, yMax_);
  frame.y = ChooseAxis(low, high, yDivisions_, yDecimals_, tall.plot.bottom - tall.plot.top,
                       [&](const QString&) { return metrics.height() + 1; });
  int widest = 0;
  for (const QString& label : frame.y.Labels()) {
    widest = std::max(widest, metrics.horizontalAdvance(label));
  }
  frame.layout = LayOut(client, CaptionHeight(), widest + metrics.horizontalAdvance('9'),
                        metrics.height(), SeriesCount(), longestName);
  frame.x = XAxisFor(frame.layout, metrics);
  frame.grid = frame.layout.plot;
  const int margin = std::min(frame.layout.q, (frame.grid.bottom - frame.grid.top) / 4);
  if (margin > 0) {
    frame.grid.top += margin;
    frame.grid.bottom -= margin;
  }
  return frame;
}

PlotAxis LinePlot::XAxisFor(const PlotLayout& layout, const QFontMetrics& metrics) const {
  const double pixels = layout.plot.right - layout.plot.left;
  const auto extent = [&](const QString& label) {
    return metrics.horizontalAdvance(label) + metrics.horizontalAdvance(' ');
  };
  if (xClock_)
    return ChooseAxisOfSteps(xMin_, xMax_, xDivisions_, ClockSteps(), xClock_, pixels, extent);
  return ChooseAxis(xMin_, xMax_, xDivisions_, xDecimals_, pixels, extent);
}

QRect LinePlot::PlotArea() const {
  return ToQRect(FrameNow().layout.plot);
}

int LinePlot::CaptionHeight() const {
  return style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
}

QFont LinePlot::LabelFont() const {
  QFont font = this->font();
  font.setPixelSize(std::max(1, static_cast<int>(CaptionHeight() * 0.75)));
  return font;
}

QFont LinePlot::TitleFont() const {
  QFont font = this->font();
  font.setPixelSize(std::max(1, CaptionHeight()));
  font.setBold(true);
  return font;
}

void LinePlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor window = palette().color(QPalette::Base);
  painter.fillRect(rect(), window);
  QStyleOptionFrame border;
  border.initFrom(this);
  border.state |= QStyle::State_Sunken;
  border.lineWidth = 2;
  style()->drawPrimitive(QStyle::PE_Frame, &border, &painter, this);
  const Frame frame = FrameNow();
  pointsDrawn_ = 0;
  if (frame.layout.plot.left >= frame.layout.plot.right) return;
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(window);
  DrawFrameAndTexts(painter, frame);
  DrawLegend(painter, frame.layout);
  DrawSeries(painter, frame);
}

void LinePlot::DrawFrameAndTexts(QPainter& painter, const Frame& frame) const {
  const PlotLayout& layout = frame.layout;
  painter.setPen(palette().color(QPalette::Text));
  painter.setFont(TitleFont());
  painter.save();
  // The y title reads upwards, centred on the left strip.
  painter.translate(layout.yTitle.right, (layout.yTitle.top + layout.yTitle.bottom) / 2);
  painter.rotate(-90);
  TextAt(painter, 0, 0, yTitle_, Qt::AlignHCenter);
  painter.restore();
  TextAt(painter, (layout.xTitle.left + layout.xTitle.right) / 2, layout.xTitle.bottom, xTitle_,
         Qt::AlignHCenter);
  DrawGrid(painter, frame);
  DrawLock(painter, layout.xLock, xLocked_);
  DrawLock(painter, layout.yLock, yLocked_);
  const QString readout = Readout();
  if (!readout.isEmpty()) {
    painter.setFont(LabelFont());
    painter.setPen(palette().color(QPalette::Text));
    TextAt(painter, layout.readout.right - 1,
           layout.readout.top + QFontMetrics(LabelFont()).height() - 1, readout, Qt::AlignRight);
  }
}

void LinePlot::DrawGrid(QPainter& painter, const Frame& frame) const {
  const PlotLayout& layout = frame.layout;
  const PlotRect& a = layout.plot;
  const QPen grid(QColor(220, 220, 220), 1);
  const QPen text(palette().color(QPalette::Text));
  painter.setFont(LabelFont());
  const QFontMetrics metrics(painter.font());
  const std::vector<int> xTicks = XTicksOf(frame), yTicks = YTicksOf(frame);
  const QStringList xLabels = frame.x.Labels(), yLabels = frame.y.Labels();
  // The axes leave room for every label; where a plot is too small even for the coarsest grid,
  // a label that would cover the one before it is left out.
  QRect lastLabel;
  for (size_t i = 0; i < xTicks.size(); ++i) {
    const int xi = xTicks[i];
    const QRect label(xi - metrics.horizontalAdvance(xLabels[i]),
                      layout.labels.bottom - metrics.height(),
                      metrics.horizontalAdvance(xLabels[i]), metrics.height());
    if (i == 0 || !label.intersects(lastLabel)) {
      painter.setPen(text);
      TextAt(painter, xi, layout.labels.bottom, xLabels[i], Qt::AlignRight);
      lastLabel = label;
    }
    painter.setPen(grid);
    painter.drawLine(xi, a.top, xi, a.bottom);
  }
  lastLabel = QRect();
  for (size_t i = 0; i < yTicks.size(); ++i) {
    const int yi = yTicks[i];
    const QRect label(layout.labels.right - metrics.horizontalAdvance(yLabels[i]),
                      yi - metrics.height(), metrics.horizontalAdvance(yLabels[i]),
                      metrics.height());
    if (i == 0 || !label.intersects(lastLabel)) {
      painter.setPen(text);
      TextAt(painter, layout.labels.right, yi, yLabels[i], Qt::AlignRight);
      lastLabel = label;
    }
    painter.setPen(grid);
    painter.drawLine(a.left, yi, a.right, yi);
  }
  painter.setPen(QPen(Qt::black, 1));
  const QPoint border[] = {
      {a.left, a.top}, {a.right, a.top}, {a.right, a.bottom}, {a.left, a.bottom}, {a.left, a.top}};
  painter.drawPolyline(border, 5);
}

void LinePlot::DrawLock(QPainter& painter, const PlotRect& box, bool locked) const {
  const int gx = (box.left + box.right) / 2, gy = (box.top + box.bottom) / 2;
  painter.fillRect(QRect(QPoint(gx - 5, gy - 2), QPoint(gx + 5, gy + 6)), Qt::black);
  painter.setPen(QPen(Qt::black, 1));
  const QPoint shackle[] = {{gx - 4, gy},
                            {gx - 2, gy - 7},
                            {gx + 2, gy - 7},
                            locked ? QPoint(gx + 4, gy) : QPoint(gx + 4, gy - 6)};
  painter.drawPolyline(shackle, 4);
}

void LinePlot::DrawLegend(QPainter& painter, const PlotLayout& layout) {
  if (SeriesCount() < 2) return;
  const int cy = QFontMetrics(LabelFont()).height();
  const int r = layout.rowHeight;
  painter.setFont(LabelFont());
  for (int j = 0; j < SeriesCount(); ++j) {
    PlotSeries& s = series_[static_cast<size_t>(j)];
    const PlotRect row{layout.legend.left, layout.legend.top + j * r, layout.legend.right,
                       layout.legend.top + (j + 1) * r - 1};
    s.legendRow = ToQRect(row);
    painter.fillRect(
        QRect(QPoint(row.left + 4, row.top + 4), QPoint(row.left + cy - 1, row.bottom - 5)),
        s.Colour());
    painter.setPen(palette().color(QPalette::Text));
    TextAt(painter, layout.legend.left + cy + 4, layout.legend.top + (j + 1) * r - 2, s.Name(),
           Qt::AlignLeft);
    if (j == selected_) {
      QStyleOptionFrame sunken;
      sunken.rect = s.legendRow;
      sunken.state = QStyle::State_Sunken;
      sunken.lineWidth = 1;
      style()->drawPrimitive(QStyle::PE_Frame, &sunken, &painter, this);
    }
  }
}

void LinePlot::DrawSeries(QPainter& painter, const Frame& frame) {
  const PlotRect& a = frame.layout.plot;
  const PlotRect& grid = frame.grid;
  painter.setClipRect(ToQRect(a));
  painter.setRenderHint(QPainter::Antialiasing, false);
  const double kx = (a.right - a.left) / (frame.x.Last() - frame.x.First());
  const double ky = (grid.bottom - grid.top) / (frame.y.Last() - frame.y.First());
  const auto xFirst = static_cast<float>(frame.x.First());
  const auto yFirst = static_cast<float>(frame.y.First());
  for (PlotSeries& s : series_) {
    const std::vector<QPoint>& all = s.ScreenPoints(a.left, grid.bottom, kx, ky, xFirst, yFirst);
    const std::vector<QPoint>& drawn = reduced_ ? s.ReducedPoints() : all;
    if (drawn.empty()) continue;
    painter.setPen(QPen(s.Colour(), 1));
    painter.drawPolyline(drawn.data(), static_cast<int>(drawn.size()));
    pointsDrawn_ += drawn.size();
  }
  painter.setClipping(false);
}

}  // namespace tavrin::gui
