// SPDX-License-Identifier: GPL-3.0-or-later
// The track log: the NMEA text's sentences, kept in the DORVALE folder and not opened.
#include "export/export_paths.h"
#include "export/export_writer.h"

namespace tavrin {

Result<std::string> ExportWriter::MakeLog(std::span<const TrackPoint> points,
                                          const std::string& trackFile) {
  return WriteSentenceFile(points, trackFile,
                           OutputPath(FolderOf(trackFile), kLogFolder, StemOf(trackFile) + ".log"),
                           "track log", "Can't create Log file");
}

}  // namespace tavrin
