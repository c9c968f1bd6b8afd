// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/note_group.h"

#include <algorithm>

#include "protocol/session_reports.h"
#include "store/utf8_text.h"

namespace tavrin {
namespace {

bool IsAsciiLetterOrDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

NoteGroupFaults FindNoteGroupFaults(std::string_view group, size_t limit) {
  NoteGroupFaults faults;
  faults.tooLong = CharacterCount(group) > limit;
  faults.notLettersOrDigits = !std::all_of(group.begin(), group.end(), IsAsciiLetterOrDigit);
  return faults;
}

bool IsValidNoteGroup(std::string_view group) {
  return !FindNoteGroupFaults(group).Any();
}

std::optional<SessionReport> NoteGroupRefusal(std::string_view group, size_t limit) {
  const NoteGroupFaults faults = FindNoteGroupFaults(group, limit);
  if (!faults.Any()) return std::nullopt;
  SessionReport report;
  report.kind = SessionReportKind::NoteGroupRefused;
  report.place = ReportPlace::Box;
  report.icon = MsgIcon::Error;
  report.noteGroup = group;
  report.noteGroupFaults = faults;
  return report;
}

}  // namespace tavrin
