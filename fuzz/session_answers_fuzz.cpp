// Answers from the line as the logger session meets them: arbitrary bytes go through the reader
// to every handler ($GPBT, erase progress and flash errors, read answers, points), with the
// session first put by the input's first byte into the state a command leaves it in. Nothing may
// crash, overflow or move the progress off its 0-1000 scale.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include "protocol/logger_session.h"
#include "store/track_store.h"

namespace {

using namespace tavrin;

// A host with no window and no time: every question is answered at once, timers never fire.
class QuietHost : public ISessionHost {
 public:
  void SetStatusText(const std::string&) override {}
  void SetProgress(int position) override {
    if (position < 0 || position > 1000) std::abort();
  }
  MsgAnswer ShowMessage(const std::string&, MsgIcon, MsgButtons buttons) override {
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
  }
  void NotifyDeviceInfo(DeviceNotice) override {}
  void StartTimer(SessionTimer, int) override {}
  void StopTimer(SessionTimer) override {}
  std::optional<ReadPeriod> AskReadPeriod() override {
    return ReadPeriod{{24, 5, 1, 0, 0, 0}, {24, 5, 31, 23, 59, 59}};
  }
  void SetConnectionImage(ConnectionImage) override {}
  IEntryRows* DeviceTrackList() override { return nullptr; }
  void Pause(int) override {}
  void PostDataArrived() override {}
  void PostConnectionLost() override {}
};

// The data folder the downloads write into: made once, emptied after every input, removed at
// the end of the run.
class DataFolder {
 public:
  DataFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrin-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~DataFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }
  void Empty() const {
    std::error_code ignored;
    for (const auto& item : std::filesystem::directory_iterator(path_, ignored)) {
      std::filesystem::remove_all(item.path(), ignored);
    }
  }

 private:
  std::string path_;
};

// What the session may have been asked just before the answers come; 0 is nothing.
constexpr int kCommandsBefore[] = {
    0,
    kCmdGetInfo,
    kCmdErase,
    kCmdReadAllBinary,
    kCmdReadAllNmea,
    kCmdReadNewBinary,
    kCmdReadNewNmea,
    kCmdReadPeriodBinary,
    kCmdReadPeriodNmea,
    kCmdEnd,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const DataFolder folder;
  if (size == 0) return 0;
  {
    QuietHost host;
    CTrackStore store;
    store.PrepareDataFolder(folder.Path());
    CLoggerSession session(host, store);
    const int command = kCommandsBefore[data[0] % std::size(kCommandsBefore)];
    if (command != 0) session.SendCommand(command);
    session.ReceiveBytes(std::span<const uint8_t>(data + 1, size - 1));
  }
  folder.Empty();
  return 0;
}
