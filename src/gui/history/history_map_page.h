// SPDX-License-Identifier: GPL-3.0-or-later
// The History map: a page of our own drawn by Leaflet (the distribution's package, local files)
// on OpenStreetMap tiles, holding the lines of a period, and the web page that carries what the
// user does on the map (a line clicked, a box drawn, a right-click) back to the window.
#pragma once

#include <QWebEnginePage>
#include <string>

namespace tavrin::gui {

// The page's whole text: the lines come later, by TavrinShowHistory(generation, lines).
std::string HistoryMapHtml();

// The page reports to the window through its console, in lines the window alone writes:
// "tavrin-track G I" (line I of the lines of generation G clicked), "tavrin-box S W N E" (a
// box drawn, in degrees) and "tavrin-near LAT LON" (a right-click).
class HistoryWebPage : public QWebEnginePage {
  Q_OBJECT

 public:
  using QWebEnginePage::QWebEnginePage;

 signals:
  void trackClicked(int generation, int line);
  void boxDrawn(double south, double west, double north, double east);
  void placeClicked(double latitude, double longitude);

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                int lineNumber, const QString& sourceId) override;
};

}  // namespace tavrin::gui
