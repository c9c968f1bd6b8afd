// SPDX-License-Identifier: GPL-3.0-or-later
// The logger's account of itself ($GPBT), flash memory errors and erase progress.
#include <algorithm>
#include <cstdio>
#include <type_traits>

#include "protocol/logger_session.h"
#include "protocol/nmea.h"
#include "store/utf8_text.h"

namespace tavrin {
namespace {

constexpr size_t kNoteFieldCharacters = 7;  // what the note fields hold
constexpr size_t kUsedPointsField = 13;
constexpr size_t kNewPointsField = 14;

// Stores a numeric $GPBT field into its member, keeping the low bits the member holds.
using FieldSetter = void (*)(DeviceState&, uint32_t);
template <auto Member>
void Set(DeviceState& d, uint32_t value) {
  using Field = std::remove_reference_t<decltype(d.*Member)>;
  d.*Member = static_cast<Field>(value);
}

// Fields 7-13 of a full answer (field 14 ends the answer; 5 and 6 are not used).
FieldSetter NumericField(size_t field) {
  switch (field) {
    case 7:
      return Set<&DeviceState::saveBySpeed>;
    case 8:
      return Set<&DeviceState::saveByTime>;
    case 9:
      return Set<&DeviceState::saveByDistance>;
    case 10:
      return Set<&DeviceState::memorySize>;
    case 11:
      return Set<&DeviceState::positionA>;
    case 12:
      return Set<&DeviceState::positionB>;
    case kUsedPointsField:
      return Set<&DeviceState::usedPoints>;
    default:
      return nullptr;
  }
}

}  // namespace

void LoggerSession::OnGpbt(std::string_view line) {
  const auto fields = SplitFields(line);
  DeviceState& d = deviceState_;
  // Fields are taken in order, so field 14's notice comes after fields 1-13 are stored. An
  // empty field leaves the old value.
  for (size_t k = 1; k < fields.size(); ++k) {
    const std::string_view f = fields[k];
    if (f.empty()) continue;
    const auto value = static_cast<uint32_t>(ParseInteger(f));
    if (k == kNewPointsField) {
      d.newPoints = value;
      EndGpbt();
    } else if (infoComplete_) {
      // Counts only: the rest was taken over by the last full answer.
      if (k == kUsedPointsField) d.usedPoints = value;
    } else if (k >= 1 && k <= 4) {
      d.noteGroups[k - 1] = CutToCharacters(f, kNoteFieldCharacters);
    } else if (const FieldSetter set = NumericField(k)) {
      set(d, value);
    }
  }
}

// The new-point count ends an answer: the device page hears of it, and a full answer says what
// the memory figures mean.
void LoggerSession::EndGpbt() {
  if (infoComplete_) {
    host_.NotifyDeviceInfo(DeviceNotice::CountsOnly);
    return;
  }
  host_.NotifyDeviceInfo(DeviceNotice::FullInfo);
  const DeviceState& d = deviceState_;
  if (d.usedPoints == 0) {
    Status("Empty Memory.");
    infoComplete_ = true;
  } else if (d.IsConsistent()) {
    Status("Unknown Memory infomation.");
    infoComplete_ = true;
  } else {
    Status("Unknown Memory infomation.(Memory Scanning...)");
  }
  if (infoPending_) {
    infoPending_ = false;
    EndOperation(Operation::Info, Outcome::Done);
  }
}

void LoggerSession::OnFlashError(int code) {
  Status(code == 0   ? "<<< Flash Memory Error(Type 1).\r\n"
         : code == 1 ? "<<< Flash Memory Error(Type 2).\r\n"
                     : "<<< Unknown Message(200,3)\r\n");
  SessionReport report;
  report.kind = SessionReportKind::FlashError;
  report.place = ReportPlace::Box;
  report.icon = MsgIcon::Error;
  report.flashErrorCode = code;
  host_.Report(report);
  host_.SetProgress(0);
  // A read goes on (later sectors may still arrive) but does not end as done; an erase or an
  // info request ends here.
  if (transferActive_) {
    readFailed_ = true;
  } else {
    EndPendingOperations(Outcome::Failed);
  }
}

void LoggerSession::OnErase(int code, long long a) {
  if (code == 0) {
    host_.SetProgress(1000);
    Status("<<< Flash Memory Erase Done.\r\n");
    SessionReport report;
    report.kind = SessionReportKind::MemoryErased;
    report.place = ReportPlace::Box;
    host_.Report(report);
    host_.SetProgress(0);
    if (erasePending_) {
      erasePending_ = false;
      EndOperation(Operation::Erase, Outcome::Done);
    }
    return;
  }
  // 64 sectors fill the 0-1000 scale. The sector number comes from the line: a damaged or absurd
  // one must neither leave the scale nor overflow the conversion to int.
  host_.SetProgress(static_cast<int>(std::clamp(static_cast<double>(a) * 15.625, 0.0, 1000.0)));
  char text[64];
  std::snprintf(text, sizeof text, "<<< Flash Memory Erase #%d Sector OK.\r\n", code);
  Status(text);
}

}  // namespace tavrin
