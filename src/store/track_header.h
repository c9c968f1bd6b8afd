// SPDX-License-Identifier: GPL-3.0-or-later
// The 64-byte header of a track file and the track store's list entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "store/track_point.h"

namespace tavrin {

constexpr uint8_t kTrackMarker = 0xF3;
// Marks a track the user made from selected points of another track.
constexpr uint16_t kSelectionMarker = 0x1234;
// Marks a track from which the user deleted points: a later read of the logger's copy of it
// does not undo the deletion.
constexpr uint16_t kEditedMarker = 0x4544;
constexpr size_t kNoteGroupUnits = 8;  // UTF-16 units: seven characters and a NUL

// Laid out exactly as on disk (little-endian, no padding), so it is read and written whole.
struct TrackHeader {
  uint8_t marker = 0;
  uint8_t memorySize = 0;   // low 8 bits of the logger's memory in megabits
  uint8_t saveBySpeed = 0;  // km/h
  uint8_t saveByTime = 0;   // seconds
  uint32_t pointCount = 0;
  uint32_t elapsedSeconds = 0;  // last minus first date-time
  uint32_t distance = 0;        // metres
  DateTime6 firstDateTime{};
  uint16_t saveByDistance = 0;  // metres
  DateTime6 lastDateTime{};
  uint16_t selectionMarker = 0;
  char16_t noteGroup1[kNoteGroupUnits]{};
  char16_t noteGroup2[kNoteGroupUnits]{};
};
static_assert(sizeof(TrackHeader) == 64, "a track header is 64 bytes on disk");
static_assert(offsetof(TrackHeader, pointCount) == 4);
static_assert(offsetof(TrackHeader, firstDateTime) == 16);
static_assert(offsetof(TrackHeader, saveByDistance) == 22);
static_assert(offsetof(TrackHeader, lastDateTime) == 24);
static_assert(offsetof(TrackHeader, selectionMarker) == 30);
static_assert(offsetof(TrackHeader, noteGroup1) == 32);
static_assert(offsetof(TrackHeader, noteGroup2) == 48);

// What a row of the lists shows of a track or of a day: a header's figures and the average speed.
struct RowFigures {
  TrackHeader header{};
  double averageSpeed = 0;  // km/h
  // The zone's name for the first and last date-time where the clock time they show comes twice
  // (the hour summer time's end repeats); empty elsewhere.
  std::string firstRepeatedClock, lastRepeatedClock;
};

// A stored track: its file, and what its header says.
struct TrackEntry : RowFigures {
  std::string path;
  // The records the track's points are read from, when the listing shows fewer points than them
  // (some records are no points); 0: the header's count. Readers use RecordsToRead().
  uint32_t countedRecords = 0;
  uint32_t RecordsToRead() const {
    return countedRecords != 0 ? countedRecords : header.pointCount;
  }
  char16_t noteGroup3[kNoteGroupUnits]{};  // spare: the logger's note groups 3 and 4
  char16_t noteGroup4[kNoteGroupUnits]{};
};

// Whether a header's distance is more than anything on the ground covers in its time (faster
// than sound): a track stored before steps across the 180th meridian were taken the short way
// round counts a lap of the globe, and its points tell the true distance when they cross it.
bool ImpossibleDistance(const TrackHeader& header);
// km/h from metres and seconds; 0 when no time passed.
double AverageSpeedKmh(uint32_t distanceMeters, uint32_t elapsedSeconds);
// km/h: the distance along the points over the time from the first to the last, as the lists
// give a track made of them.
double AverageSpeedOfPoints(std::span<const TrackPoint> points);

// Note groups travel as UTF-8 in the program and as UTF-16 in the header. Text that does not
// fit is cut to seven units.
void SetNoteGroup(char16_t (&units)[kNoteGroupUnits], const std::string& utf8);
std::string NoteGroupText(const char16_t (&units)[kNoteGroupUnits]);

}  // namespace tavrin
