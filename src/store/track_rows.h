// SPDX-License-Identifier: GPL-3.0-or-later
// The rows the track store shows: what each cell says. The store hands rows to a small list
// interface; the GUI's models, the command line and the tests each implement it. What each column
// is called, and how wide it is, is each front end's own.
#pragma once

#include <array>
#include <span>
#include <string>

#include "base/units.h"
#include "store/local_zone.h"
#include "store/track_header.h"

namespace tavrin {

using EntryRow = std::array<std::string, 7>;
using PointRow = std::array<std::string, 8>;

// Texts of one track or day row; `number` is the 1-based row number. Imperial units give the
// distance in miles and the average speed in mph, to the same decimals.
EntryRow EntryRowTexts(const RowFigures& entry, int number, Units units = Units::Metric);
// Texts of one point row, with the date and time as the point holds them; the speed is whole
// km/h, or whole mph.
PointRow PointRowTexts(const TrackPoint& point, int number, Units units = Units::Metric);
// Texts of one row of a UTC point shown in the zone of `times`; a time in the hour that summer
// time's end repeats carries the zone's name for it ("01:30:00 EST").
PointRow ShownPointRow(LocalTimes& times, const TrackPoint& point, int number,
                       Units units = Units::Metric);
// A UTC instant (seconds since 1970) as the lists show a date-time: "2024-05-03 08:10:00" in the
// zone, with the zone's name in an hour the clock shows twice.
std::string ShownDateTimeText(long long utcSeconds, const LocalZone& zone);
// The same time of day alone: "08:10:00", named likewise.
std::string ShownTimeText(long long utcSeconds, const LocalZone& zone);

class IListView {
 public:
  virtual ~IListView() = default;
  virtual void RemoveAllRows() = 0;
};

// A list of tracks or days. A row arrives as its figures and number; the list formats the cells
// with EntryRowTexts when it shows them, so that a folder of ten thousand tracks is listed
// without formatting ten thousand rows nobody scrolls to.
class IEntryRows : public IListView {
 public:
  virtual int RowCount() const = 0;
  virtual void InsertRow(int index, const RowFigures& entry, int number) = 0;
};

// A list of points. Points arrive in batches so that a view over the store's point vector can
// show a million of them without a million calls; row k of a batch is numbered firstNumber + k.
// The points hold UTC date-times; the rows show them in `zone` (LocalTimes::Shown).
class IPointRows : public IListView {
 public:
  virtual void AppendPointRows(std::span<const TrackPoint> points, int firstNumber,
                               const LocalZone& zone) = 0;
};

}  // namespace tavrin
