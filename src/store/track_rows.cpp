#include "store/track_rows.h"

#include <cstdio>

namespace tavrin {

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

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[96];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

std::string HeaderDateTimeText(const DateTime6& dt) {
  return Format("20%02d-%02d-%02d %02d:%02d:%02d", dt[0], dt[1], dt[2], dt[3], dt[4], dt[5]);
}

}  // namespace

EntryRow EntryRowTexts(const SAVESTATE& entry, int number) {
  const TRACKHEADER& h = entry.header;
  // The elapsed field is unsigned on disk but a track whose clock went back holds a negative
  // difference; it is shown signed, as it was computed.
  const int elapsed = static_cast<int>(h.elapsedSeconds);
  return EntryRow{
      Format("%04d", number),
      HeaderDateTimeText(h.firstDateTime),
      HeaderDateTimeText(h.lastDateTime),
      Format("%d:%d:%d", elapsed / 3600, elapsed % 3600 / 60, elapsed % 60),
      Format("%.2fKm", h.distance / 1000.0),
      Format("%.1fKm/h", entry.averageSpeed),
      Format("%d", static_cast<int>(h.pointCount)),
  };
}

PointRow PointRowTexts(const SAVELOG& point, int number) {
  return PointRow{
      Format("%d", number),
      Format("20%02d-%02d-%02d", point.Year(), point.Month(), point.Day()),
      Format("%02d:%02d:%02d", point.Hour(), point.Minute(), point.Second()),
      FixKindLetter(point.FixKind()),
      Format("%.4f", static_cast<double>(point.latitude)),
      Format("%.4f", static_cast<double>(point.longitude)),
      Format("%d", point.HeadingDegrees()),
      Format("%d", static_cast<int>(point.speed)),
  };
}

void SetupEntryColumns(IListView& list, unsigned extraStyle) {
  list.SetColumns(kEntryColumns, extraStyle | kStyleFullRowSelect);
}

void SetupPointColumns(IListView& list, unsigned existingStyle) {
  list.SetColumns(kPointColumns, existingStyle | kStyleGridLines | kStyleFullRowSelect);
}

}  // namespace tavrin
