// SPDX-License-Identifier: GPL-3.0-or-later
// The plot's layout arithmetic: where the titles, labels, legend, readout and grid go.
#include "gui/plot/line_plot.h"

namespace tavrin::gui {

PlotLayout LayOut(PlotRect client, int h, int cx, int cy, int seriesCount, int longestName) {
  PlotLayout out;
  PlotRect a{client.left + 5, client.top + 5, client.right - 5, client.bottom - 5};
  const int l = h + 4;
  const int s = l / 2;
  out.q = s / 2;
  out.yTitle = {a.left, a.top, a.left + l, a.bottom};
  out.xTitle = {a.left, a.bottom - l, a.right, a.bottom};
  a.left += l;
  a.bottom -= s + l;
  out.labels = {a.left, a.bottom - cy, a.left + cx, a.bottom};
  a.left += cx + out.q;
  a.top += s;
  a.bottom -= out.q + cy;
  a.right -= l;
  out.readout = a;
  a.top += cy;
  if (seriesCount >= 2) {
    const int m = std::max(longestName, 5);
    const int w = m * h / 2;
    out.rowHeight = cy + 4;
    const int mid = (a.top + a.bottom) / 2;
    out.legend = {a.right - w, mid - (seriesCount * out.rowHeight) / 2, a.right + 10,
                  mid + (seriesCount * out.rowHeight) / 2};
    a.right -= 10 + w;
    out.readout.right -= 10 + w;
  }
  out.xTitle.left = a.left;
  out.xTitle.right = a.right;
  out.yTitle.top = a.top;
  out.yTitle.bottom = a.bottom;
  out.xLock = {out.yTitle.left, out.labels.top - 2, out.yTitle.right, out.labels.bottom + 2};
  out.yLock = {out.labels.right + 2 - l, out.xTitle.top, out.labels.right + 2, out.xTitle.bottom};
  out.plot = a;
  return out;
}

}  // namespace tavrin::gui
