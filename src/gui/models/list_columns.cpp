// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/models/list_columns.h"

namespace tavrin::gui {

const std::array<ListColumn, 7> kEntryColumns = {{
    {"No.", 70, ColumnAlign::Left},
    {"First Date/Time", 150, ColumnAlign::Left},
    {"Last Date/Time", 150, ColumnAlign::Left},
    {"Drive Time", 80, ColumnAlign::Left},
    {"Drive Distance", 80, ColumnAlign::Left},
    {"Avg Speed", 80, ColumnAlign::Left},
    {"Etc", 60, ColumnAlign::Left},
}};

const std::array<ListColumn, 8> kPointColumns = {{
    {"No.", 70, ColumnAlign::Left},
    {"Date", 80, ColumnAlign::Left},
    {"Time", 80, ColumnAlign::Left},
    {"State", 60, ColumnAlign::Centre},
    {"Latitude", 80, ColumnAlign::Left},
    {"Longitude", 80, ColumnAlign::Left},
    {"Heading", 60, ColumnAlign::Left},
    {"Speed", 60, ColumnAlign::Left},
}};

}  // namespace tavrin::gui
