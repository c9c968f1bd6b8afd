// The logger's account of itself ($GPBT), flash memory errors and erase progress.
#include <algorithm>
#include <cstdio>

#include "protocol/logger_session.h"
#include "protocol/nmea.h"
#include "store/utf8_text.h"

namespace tavrin {
namespace {

constexpr size_t kNoteFieldCharacters = 7;  // what the note fields hold

}  // namespace

void CLoggerSession::OnGpbt(std::string_view line) {
  const auto fields = SplitFields(line);
  DeviceState& d = deviceState_;
  for (size_t k = 1; k < fields.size(); ++k) {
    const std::string_view f = fields[k];
    if (f.empty()) continue;
    const auto value = static_cast<uint32_t>(ParseInteger(f));
    if (infoComplete_) {
      // Counts only: the rest was taken over by the last full answer.
      if (k == 13) d.usedPoints = value;
      if (k == 14) {
        d.newPoints = value;
        host_.NotifyDeviceInfo(kDeviceInfoCounts);
      }
      continue;
    }
    switch (k) {
      case 1:
      case 2:
      case 3:
      case 4:
        d.noteGroups[k - 1] = CutToCharacters(f, kNoteFieldCharacters);
        break;
      case 7:
        d.saveBySpeed = static_cast<uint8_t>(value);
        break;
      case 8:
        d.saveByTime = static_cast<uint8_t>(value);
        break;
      case 9:
        d.saveByDistance = static_cast<uint16_t>(value);
        break;
      case 10:
        d.memorySize = value;
        break;
      case 11:
        d.positionA = value;
        break;
      case 12:
        d.positionB = value;
        break;
      case 13:
        d.usedPoints = value;
        break;
      case 14:
        d.newPoints = value;
        host_.NotifyDeviceInfo(kDeviceInfoFull);
        if (d.usedPoints == 0) {
          Status("Empty Memory.");
          infoComplete_ = true;
        } else if (d.IsConsistent()) {
          Status("Unknown Memory infomation.");
          infoComplete_ = true;
        } else {
          Status("Unknown Memory infomation.(Memory Scanning...)");
        }
        break;
      default:
        break;
    }
  }
}

void CLoggerSession::OnFlashError(int code) {
  Status(code == 0   ? "<<< Flash Memory Error(Type 1).\r\n"
         : code == 1 ? "<<< Flash Memory Error(Type 2).\r\n"
                     : "<<< Unknown Message(200,3)\r\n");
  host_.ShowMessage("Error is Connection program to Device.", MsgIcon::Error, MsgButtons::Ok);
  host_.SetProgress(0);
}

void CLoggerSession::OnErase(int code, long long a) {
  if (code == 0) {
    host_.SetProgress(1000);
    Status("<<< Flash Memory Erase Done.\r\n");
    host_.ShowMessage("Deleted all Memory.", MsgIcon::Warning, MsgButtons::Ok);
    host_.SetProgress(0);
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
