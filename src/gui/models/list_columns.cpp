// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/models/list_columns.h"

#include <QCoreApplication>

namespace tavrin::gui {

const std::array<ListColumn, 7> kEntryColumns = {{
    {QT_TRANSLATE_NOOP("ListColumns", "No."), 70, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "First Date/Time"), 150, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "Last Date/Time"), 150, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "Drive Time"), 80, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "Drive Distance"), 80, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "Avg Speed"), 80, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "Etc"), 60, ColumnAlign::Left},
}};

const std::array<ListColumn, 8> kPointColumns = {{
    {QT_TRANSLATE_NOOP("ListColumns", "No."), 70, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "Date"), 80, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "Time"), 80, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "State"), 60, ColumnAlign::Centre},
    {QT_TRANSLATE_NOOP("ListColumns", "Latitude"), 80, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "Longitude"), 80, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "Heading"), 60, ColumnAlign::Left},
    {QT_TRANSLATE_NOOP("ListColumns", "Speed"), 60, ColumnAlign::Left},
}};

QString ColumnTitle(const ListColumn& column) {
  return QCoreApplication::translate("ListColumns", column.title);
}

QString SpeedColumnTitle(Units units) {
  return units == Units::Metric ? QCoreApplication::translate("ListColumns", "Speed")
                                : QCoreApplication::translate("ListColumns", "Speed (mph)");
}

}  // namespace tavrin::gui
