// SPDX-License-Identifier: GPL-3.0-or-later
// The web page of the History map, which carries what the user does on the map (a line clicked,
// a box drawn, a right-click) back to the window.
#pragma once

#include <QWebEnginePage>

namespace tavrin::gui {

// The page reports to the window through its console, in lines the window alone writes:
// "tavrin-track G I" (line I of the lines of generation G clicked), "tavrin-box S W N E" (a
// box drawn, in degrees), "tavrin-near LAT LON" (a right-click) and "tavrin-closer G A Z S W N E"
// (the view of lines G, at zoom Z, is closer than they are drawn for: ask A for the lines in the
// box S W N E).
class HistoryWebPage : public QWebEnginePage {
  Q_OBJECT

 public:
  using QWebEnginePage::QWebEnginePage;

 signals:
  void trackClicked(int generation, int line);
  void boxDrawn(double south, double west, double north, double east);
  void placeClicked(double latitude, double longitude);
  void closerLinesAsked(int generation, int asked, int zoom, double south, double west,
                        double north, double east);

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int lineNumber, const QString& sourceId) override;
};

}  // namespace tavrin::gui
