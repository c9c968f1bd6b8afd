// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/host_record.h"

#include "emulator/read_selection.h"

namespace tavrin::emulator {

namespace {

int ReceivedFixKind(int kind, int mode) {
  if (kind == kFixTrackStart) return kFixTrackStart;
  if (IsBinaryMode(mode)) return kFix3D;
  return kind == kFixNone ? kFixNone : kFix3D;
}

}  // namespace

TrackPoint HostRecord(const TrackPoint& point, int mode) {
  TrackPoint r;
  r.monthFix = static_cast<uint8_t>(0x40 | (point.monthFix & 0x0F));
  r.SetFixKind(ReceivedFixKind(point.FixKind(), mode));
  r.speed = point.speed;
  r.heading = point.heading;
  r.latitude = point.latitude;
  r.longitude = point.longitude;
  r.dateTime = point.dateTime & ~0x80u;  // the reserved bit between year and day
  return r;
}

}  // namespace tavrin::emulator
