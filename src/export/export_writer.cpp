// SPDX-License-Identifier: GPL-3.0-or-later
// What every export shares: where its file goes, creating and finishing it, telling the user of
// failures, and opening the result.
#include "export/export_writer.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <thread>

#include "export/export_paths.h"
#include "store/posix_file.h"

namespace tavrin {

ExportWriter::ExportWriter(MessageBoxFn messageBox, DocumentOpener opener, ExportOptions options)
    : messageBox_(std::move(messageBox)),
      opener_(std::move(opener)),
      options_(std::move(options)),
      localTimes_(options_.zone) {}

void ExportWriter::PrintUtf8(const char* format, ...) {
  // Most pieces fit the small buffer; a longer one (a deep program folder in an icon path) is
  // formatted again into a buffer of its full length instead of being cut.
  char small[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (length >= 0 && static_cast<size_t>(length) < sizeof small) {
    file_.Append(std::string_view(small, static_cast<size_t>(length)));
  } else if (length > 0) {
    std::string large(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(large.data(), large.size(), format, again);
    file_.Append(std::string_view(large.data(), static_cast<size_t>(length)));
  }
  va_end(again);
  file_.EndPiece();
}

void ExportWriter::CloseFile() {
  // A writer that finished has closed its file; one still open was cut short, and half a file
  // must not replace an earlier export.
  file_.Discard();
}

std::string ExportWriter::OutputPath(const std::string& parent, const char* folderName,
                                     const std::string& fileName) const {
  const std::string folder =
      options_.outputFolder.empty() ? parent + "/" + folderName : options_.outputFolder;
  // One level, as the parent already exists; a failure shows when the file is created.
  ::mkdir(folder.c_str(), 0755);
  return folder + "/" + fileName;
}

bool ExportWriter::CreateFile(const std::string& path, const char* failureText) {
  const auto created = file_.Create(path);
  if (created) return true;
  ShowMessage(std::string(failureText) + "\n" + path + ": " + created.Error().SystemText() +
                  ". Check that the folder exists and that you may write to it.",
              MsgIcon::Error);
  return false;
}

Result<std::string> ExportWriter::FinishFile(const std::string& path) {
  const auto closed = file_.Close();
  if (closed) return path;
  const int error = closed.Error().systemError;
  const bool full = error == ENOSPC || error == EFBIG || error == EDQUOT;
  ShowMessage("Could not write " + path + ": " + ErrnoText(error) +
                  ". Nothing was written under that name; an earlier export of it is unchanged. " +
                  (full ? "Free some disk space and export again."
                        : "Check that you may write to the folder and export again."),
              MsgIcon::Error);
  return Told();
}

namespace {

constexpr char kNoPositionReasons[] = "not a number, off the globe or an empty record";

}  // namespace

bool ExportWriter::RefuseWithoutPositions(const ExportablePoints& points,
                                          const std::string& trackFile, const char* kind) const {
  if (!points.NoneLeft()) return false;
  ShowMessage("None of the " + std::to_string(points.LeftOut()) + " point(s) of " +
                  NameOf(trackFile) + " has a valid position (" + kNoPositionReasons + "), so no " +
                  kind +
                  " file was made. Read the track from the logger again or choose another track.",
              MsgIcon::Warning);
  return true;
}

void ExportWriter::ReportLeftOut(const ExportablePoints& points, const std::string& source,
                                 const std::string& path) const {
  if (points.LeftOut() == 0) return;
  const std::string of = source.empty() ? "" : " of " + NameOf(source);
  ShowMessage(std::to_string(points.LeftOut()) + " point(s)" + of + " have no valid position (" +
                  kNoPositionReasons + ") and were left out of " + NameOf(path) +
                  (points.Points().empty() ? ", which shows no track."
                                           : ". The other points are in the file."),
              MsgIcon::Warning);
}

void ExportWriter::OpenDocument(const std::string& path) const {
  if (!opener_) return;
  // Give the closed file a moment before another program reads it.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  opener_(path);
}

void ExportWriter::ShowMessage(const std::string& text, MsgIcon icon) const {
  lastShown_ = text;
  if (messageBox_) messageBox_(text, icon, MsgButtons::Ok);
}

}  // namespace tavrin
