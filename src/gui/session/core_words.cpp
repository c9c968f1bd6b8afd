// SPDX-License-Identifier: GPL-3.0-or-later
// The core has no Qt, so its texts are translated where the window shows them: the fixed ones
// by their English (gathered here for the translation tools), the session's reports with figures
// by their kind.
#include "gui/session/core_words.h"

#include <QCoreApplication>

#include "wording/session_wording.h"

namespace tavrin::gui {

[[maybe_unused]] static const char* const kCoreTexts[] = {
    QT_TRANSLATE_NOOP("Core", "Running program"),
    QT_TRANSLATE_NOOP("Core", "Nothing selected Track Record."),
    QT_TRANSLATE_NOOP("Core", "Reading data."),
    QT_TRANSLATE_NOOP("Core", "Read Done."),
    QT_TRANSLATE_NOOP("Core", "Read done."),
    QT_TRANSLATE_NOOP("Core", "Deleted all Memory."),
    QT_TRANSLATE_NOOP("Core", "Error is Connection program to Device."),
    QT_TRANSLATE_NOOP("Core", "Do you remove all Flash memory?"),
    QT_TRANSLATE_NOOP("Core",
                      "The logger holds no track point in the chosen period, so nothing was read. "
                      "Choose another period, or get all tracks."),
    QT_TRANSLATE_NOOP("Core",
                      "The logger holds no new track point, so nothing was read. Get All Tracks "
                      "(tavrin read --all) reads the tracks read before again."),
    QT_TRANSLATE_NOOP("Core", "The logger holds no track point, so nothing was read."),
    QT_TRANSLATE_NOOP("Core",
                      "The record list is out of date. List the tracks again and export once "
                      "more."),
    QT_TRANSLATE_NOOP("Core", "names and descriptions"),
    QT_TRANSLATE_NOOP("Core", "elevation"),
    QT_TRANSLATE_NOOP("Core", "heart rate"),
    QT_TRANSLATE_NOOP("Core", "cadence"),
    QT_TRANSLATE_NOOP("Core", "temperature"),
    QT_TRANSLATE_NOOP("Core", "waypoints and routes without times"),
    QT_TRANSLATE_NOOP("Core", "routes"),
    QT_TRANSLATE_NOOP("Core", "waypoints"),
};

QString CoreText(const std::string& text) {
  return QCoreApplication::translate("Core", text.c_str());
}

QString ReportText(const SessionReport& report) {
  const QString group = QString::fromStdString(report.noteGroup);
  switch (report.kind) {
    case SessionReportKind::NoteGroupRefused:
      return report.noteGroupFaults.tooLong
                 ? QCoreApplication::translate("Core",
                                               "A note group holds at most 5 characters: %1.")
                       .arg(group)
                 : QCoreApplication::translate(
                       "Core",
                       "A note group may hold only the letters A-Z, a-z and the digits "
                       "0-9: %1.")
                       .arg(group);
    case SessionReportKind::ConnectionLost:
      return QCoreApplication::translate(
                 "Core",
                 "The connection to the logger on %1 was lost. Check the cable and "
                 "connect again.")
          .arg(QString::fromStdString(report.port));
    default:
      return CoreText(SessionReportText(report));
  }
}

}  // namespace tavrin::gui
