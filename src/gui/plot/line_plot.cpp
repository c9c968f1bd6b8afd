// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/plot/line_plot.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace tavrin::gui {
namespace {

QRect ToQRect(const PlotRect& r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
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

QString Format(unsigned decimals, double value) {
  return QString::asprintf("%0.*f", static_cast<int>(decimals), value);
}

}  // namespace

LinePlot::LinePlot(QWidget* parent) : QWidget(parent) {
  setObjectName("speedGraph");
  setWindowTitle(QStringLiteral("LinePlot"));
  setAccessibleName(QStringLiteral("Speed graph"));
  setAttribute(Qt::WA_OpaquePaintEvent);  // the whole picture is painted: nothing to erase first
}

int LinePlot::AddSeries(const PlotValue* values, size_t count, const QString& name, QColor colour,
                        int style) {
  if (count >= PlotSeries::kMostValues) return -1;
  series_.emplace_back(name, colour, style, values, count);
  selected_ = SeriesCount() - 1;
  const PlotSeries& added = series_.back();
  if (!xLocked_) {
    xMin_ = std::min(xMin_, added.MinX());
    xMax_ = std::max(xMax_, added.MaxX());
  }
  if (!yLocked_) {
    yMin_ = std::min(yMin_, added.MinY());
    yMax_ = std::max(yMax_, added.MaxY());
  }
  MarkAllDirty();
  update();
  emit seriesChanged();
  return selected_;
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
  return QString::asprintf("Mean: %0.3f    Min: %0.3f    Max: %0.3f", s.MeanY(), s.MinY(),
                           s.MaxY());
}

QStringList LinePlot::XLabels() const {
  QStringList labels;
  const double step = (static_cast<double>(xMax_) - xMin_) / xDivisions_;
  for (int i = 0; i <= xDivisions_; ++i) labels << Format(xDecimals_, i * step + xMin_);
  return labels;
}

QStringList LinePlot::YLabels() const {
  QStringList labels;
  const double step = (static_cast<double>(yMax_) - yMin_) / yDivisions_;
  for (int i = 0; i <= yDivisions_; ++i) labels << Format(yDecimals_, i * step + yMin_);
  return labels;
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
  QStyleOptionFrame frame;
  frame.initFrom(this);
  frame.state |= QStyle::State_Sunken;
  frame.lineWidth = 2;
  style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
  const QFontMetrics labels(LabelFont());
  const QString low = QString::asprintf("%0.f", yMin_), high = QString::asprintf("%0.f", yMax_);
  const int n = static_cast<int>(std::max(low.size(), high.size())) + 3;
  int longestName = 0;
  for (const PlotSeries& s : series_) longestName = std::max<int>(longestName, s.Name().size());
  const PlotLayout layout =
      LayOut({0, 0, width(), height()}, CaptionHeight(), labels.horizontalAdvance(QString(n, '9')),
             labels.height(), SeriesCount(), longestName);
  pointsDrawn_ = 0;
  if (layout.plot.left >= layout.plot.right) return;
  painter.setBackgroundMode(Qt::OpaqueMode);
  painter.setBackground(window);
  DrawFrameAndTexts(painter, layout);
  DrawLegend(painter, layout);
  DrawSeries(painter, layout);
}

void LinePlot::DrawFrameAndTexts(QPainter& painter, const PlotLayout& layout) const {
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
  DrawGrid(painter, layout);
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

void LinePlot::DrawGrid(QPainter& painter, const PlotLayout& layout) const {
  const PlotRect& a = layout.plot;
  const double dx = static_cast<double>(a.right - a.left) / xDivisions_;
  const double dy = static_cast<double>(a.bottom - a.top) / yDivisions_;
  const QPen grid(QColor(220, 220, 220), 1);
  const QPen text(palette().color(QPalette::Text));
  painter.setFont(LabelFont());
  const QStringList xLabels = XLabels(), yLabels = YLabels();
  for (int i = 0; i <= xDivisions_; ++i) {
    const int xi = static_cast<int>(std::trunc(i * dx + (a.left - layout.q))) + layout.q;
    painter.setPen(text);
    TextAt(painter, xi, layout.labels.bottom, xLabels[i], Qt::AlignRight);
    painter.setPen(grid);
    painter.drawLine(xi, a.top, xi, a.bottom);
  }
  int yTop = a.bottom;
  for (int i = 0; i <= yDivisions_; ++i) {
    const int yi = static_cast<int>(std::trunc((a.bottom + layout.q) - i * dy)) - layout.q;
    painter.setPen(text);
    TextAt(painter, layout.labels.right, yi, yLabels[i], Qt::AlignRight);
    painter.setPen(grid);
    painter.drawLine(a.left, yi, a.right, yi);
    yTop = yi;
  }
  painter.setPen(QPen(Qt::black, 1));
  const QPoint frame[] = {
      {a.left, yTop}, {a.right, yTop}, {a.right, a.bottom}, {a.left, a.bottom}, {a.left, yTop}};
  painter.drawPolyline(frame, 5);
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

void LinePlot::DrawSeries(QPainter& painter, const PlotLayout& layout) {
  const PlotRect& a = layout.plot;
  painter.setClipRect(ToQRect(a));
  painter.setRenderHint(QPainter::Antialiasing, false);
  const double kx = (a.right - a.left) / (static_cast<double>(xMax_) - xMin_);
  const double ky = (a.bottom - a.top) / (static_cast<double>(yMax_) - yMin_);
  for (PlotSeries& s : series_) {
    const std::vector<QPoint>& all = s.ScreenPoints(a.left, a.bottom, kx, ky, xMin_, yMin_);
    const std::vector<QPoint>& drawn = reduced_ ? s.ReducedPoints() : all;
    if (drawn.empty()) continue;
    painter.setPen(QPen(s.Colour(), 1));
    painter.drawPolyline(drawn.data(), static_cast<int>(drawn.size()));
    pointsDrawn_ += drawn.size();
  }
  painter.setClipping(false);
}

}  // namespace tavrin::gui
