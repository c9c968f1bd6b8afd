// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA 0183 text: one $GPRMC sentence per point, as a GPS receiver would have sent it.
#include <cmath>

#include "export/export_paths.h"
#include "export/export_writer.h"
#include "protocol/nmea.h"

namespace tavrin {
namespace {

constexpr double kKmPerNauticalMile = 1.852;

// A coordinate as NMEA writes it: whole degrees truncated toward zero, and the minutes left
// over. Only positions on the globe get here (see IsExportable).
struct DegreesMinutes {
  long long degrees = 0;
  double minutes = 0;
};

DegreesMinutes SplitDegrees(double value) {
  const double whole = std::trunc(value);
  return {static_cast<long long>(std::fabs(whole)), std::fabs(value - whole) * 60.0};
}

}  // namespace

Result<std::string> ExportWriter::MakeTxt(std::span<const TrackPoint> points,
                                          const std::string& trackFile) {
  auto written = WriteSentenceFile(
      points, trackFile, OutputPath(FolderOf(trackFile), kTxtFolder, StemOf(trackFile) + ".txt"),
      "NMEA text", "Can't create Txt file");
  if (written) OpenDocument(*written);
  return written;
}

Result<std::string> ExportWriter::WriteSentenceFile(std::span<const TrackPoint> points,
                                                    const std::string& trackFile,
                                                    const std::string& path, const char* kind,
                                                    const char* failureText) {
  const ExportablePoints exportable(points);
  if (RefuseWithoutPositions(exportable, trackFile, kind)) return Told();
  if (!CreateFile(path, failureText)) return Told();
  for (const TrackPoint& point : exportable.Points()) WriteRmcSentence(point);
  auto written = FinishFile(path);
  if (written) ReportLeftOut(exportable, trackFile, *written);
  return written;
}

// "$GPRMC,%.2d%.2d%.02d,A,%.2d%07.4f,%c,%.3d%07.4f,%c,%.2f,%d,%.2d%.2d%.2d,,*hh\r\n" with the
// checksum in place of hh. Time and date are UTC, as the sentence defines them.
void ExportWriter::WriteRmcSentence(const TrackPoint& point) {
  ExportFile& f = file_;
  const size_t start = f.Size();
  const DateTime utc = UtcDateTime(point);
  const double latitude = point.latitude, longitude = point.longitude;
  const DegreesMinutes lat = SplitDegrees(latitude), lon = SplitDegrees(longitude);

  f.Append("$GPRMC,");
  f.AppendDigits(utc.hour, 2);
  f.AppendDigits(utc.minute, 2);
  f.AppendDigits(utc.second, 2);
  f.Append(",A,");  // always valid: the logger kept the point
  f.AppendDigits(lat.degrees, 2);
  f.AppendFixedWidth(lat.minutes, 7, 4);
  f.Append(latitude >= 0 ? ",N," : ",S,");
  f.AppendDigits(lon.degrees, 3);
  f.AppendFixedWidth(lon.minutes, 7, 4);
  f.Append(longitude >= 0 ? ",E," : ",W,");
  f.AppendFixed(point.speed / kKmPerNauticalMile, 2);
  f.Append(',');
  f.AppendInt(point.HeadingDegrees());
  f.Append(',');
  f.AppendDigits(utc.day, 2);
  f.AppendDigits(utc.month, 2);
  f.AppendDigits(utc.year, 2);
  f.Append(",,");

  // The checksum covers everything between "$" and "*".
  const uint8_t checksum = NmeaChecksum(f.View().substr(start + 1));
  f.Append('*');
  f.Append(ChecksumDigit(checksum >> 4));
  f.Append(ChecksumDigit(checksum));
  f.Append("\r\n");
  f.EndPiece();
}

}  // namespace tavrin
