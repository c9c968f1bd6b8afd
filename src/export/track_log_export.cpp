// The track log: the NMEA text's sentences, kept in the DORVALE folder and not opened.
#include "export/export_paths.h"
#include "export/kml_creator.h"

namespace tavrin {

Result<std::string> CKMLCreator::MakeLog(std::span<const SAVELOG> points,
                                         const std::string& trackFile) {
  return WriteSentenceFile(points, trackFile,
                           OutputPath(FolderOf(trackFile), kLogFolder, StemOf(trackFile) + ".log"),
                           "track log", "Can't create Log file");
}

}  // namespace tavrin
