// SPDX-License-Identifier: GPL-3.0-or-later
#include <QStringList>
#include <cmath>

#include "gui/history/history_web_page.h"

namespace tavrin::gui {
namespace {

// The numbers after the message's word, all of them finite; empty when they are not `count`.
QList<double> Numbers(const QStringList& words, qsizetype count) {
  QList<double> numbers;
  if (words.size() != count + 1) return {};
  for (qsizetype i = 1; i < words.size(); ++i) {
    bool ok = false;
    const double value = words[i].toDouble(&ok);
    if (!ok || !std::isfinite(value)) return {};
    numbers << value;
  }
  return numbers;
}

}  // namespace

// Any other message (Leaflet's own, a script error) is left to the web engine.
void HistoryWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                              const QString& message, int lineNumber,
                                              const QString& sourceId) {
  const QStringList words = message.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  const QString word = words.isEmpty() ? QString() : words.front();
  if (word == QLatin1String("tavrin-track")) {
    if (const QList<double> n = Numbers(words, 2); !n.isEmpty())
      emit trackClicked(static_cast<int>(n[0]), static_cast<int>(n[1]));
  } else if (word == QLatin1String("tavrin-box")) {
    if (const QList<double> n = Numbers(words, 4); !n.isEmpty())
      emit boxDrawn(n[0], n[1], n[2], n[3]);
  } else if (word == QLatin1String("tavrin-closer")) {
    if (const QList<double> n = Numbers(words, 7); !n.isEmpty()) {
      emit closerLinesAsked(static_cast<int>(n[0]), static_cast<int>(n[1]), static_cast<int>(n[2]),
                            n[3], n[4], n[5], n[6]);
    }
  } else if (word == QLatin1String("tavrin-near")) {
    if (const QList<double> n = Numbers(words, 2); !n.isEmpty()) emit placeClicked(n[0], n[1]);
  } else {
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceId);
  }
}

}  // namespace tavrin::gui
