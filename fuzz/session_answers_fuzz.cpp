// SPDX-License-Identifier: GPL-3.0-or-later
// Answers from the line as the logger session meets them: arbitrary bytes arrive on a link in
// pieces and go through the whole dispatch — the drain, the reader, every handler ($GPBT, erase
// progress and flash errors, read answers, points), the acknowledgements the timers send and a
// hang-up at the end — with the session first put by the input's first byte into the state a
// command leaves it in. Nothing may crash, overflow or move the progress off its 0-1000 scale.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "../tests/support/scripted_link.h"
#include "protocol/logger_session.h"
#include "store/track_store.h"
#include "wording/session_wording.h"

namespace {

using namespace tavrin;

// A host with no window and no time: every question is answered at once; posted work and the
// acknowledgement timer run when the input's next piece has been handed over.
class QuietHost : public ISessionHost {
 public:
  void SetStatusText(const std::string&) override {}
  void SetProgress(int position) override {
    if (position < 0 || position > 1000) std::abort();
  }
  // Worded as a front end words it, so that the figures of any answer are put into words too.
  void Report(const SessionReport& report) override { (void)SessionReportText(report); }
  bool Confirm(SessionQuestion) override { return true; }
  void NotifyDeviceInfo(DeviceNotice) override {}
  void StartTimer(SessionTimer timer, int) override {
    if (timer == SessionTimer::Ack) ackDue = true;
  }
  void StopTimer(SessionTimer timer) override {
    if (timer == SessionTimer::Ack) ackDue = false;
  }
  std::optional<ReadPeriod> AskReadPeriod() override {
    return ReadPeriod{{24, 5, 1, 0, 0, 0}, {24, 5, 31, 23, 59, 59}};
  }
  void SetConnectionImage(ConnectionImage) override {}
  void Pause(int) override {}
  void PostDataArrived() override { dataPosted = true; }
  void PostConnectionLost() override { lostPosted = true; }

  // Runs what the session was promised, as the host's loop would.
  void RunPending(LoggerSession& session) {
    while (dataPosted) {
      dataPosted = false;
      session.OnDataArrived();
    }
    if (ackDue) session.OnTimer(SessionTimer::Ack);
    if (lostPosted) {
      lostPosted = false;
      session.OnConnectionLost();
    }
  }

  bool dataPosted = false;
  bool lostPosted = false;
  bool ackDue = false;
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

// What the session may have been asked just before the answers come; empty is nothing.
constexpr std::optional<Command> kCommandsBefore[] = {
    std::nullopt,           Command::GetInfo,          Command::Erase,
    Command::ReadAllBinary, Command::ReadAllNmea,      Command::ReadNewBinary,
    Command::ReadNewNmea,   Command::ReadPeriodBinary, Command::ReadPeriodNmea,
    Command::Stop,
};

}  // namespace

// Input: a command byte, a piece-size byte (its top bit: hang up at the end), then the answers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const DataFolder folder;
  if (size < 2) return 0;
  {
    QuietHost host;
    TrackStore store;
    if (!store.PrepareDataFolder(folder.Path())) std::abort();
    LoggerSession session(host, store);
    auto owned = std::make_unique<test::ScriptedLink>();
    test::ScriptedLink& link = *owned;
    session.AttachLink(std::move(owned));
    const std::optional<Command> command = kCommandsBefore[data[0] % std::size(kCommandsBefore)];
    if (command) session.SendCommand(*command);
    const size_t piece = (data[1] & 0x3f) + 1u;
    const std::string answers(reinterpret_cast<const char*>(data + 2), size - 2);
    for (size_t at = 0; at < answers.size(); at += piece) {
      link.FromLogger(answers.substr(at, piece));
      host.RunPending(session);
    }
    if (data[1] & 0x80) {
      link.HangUp();
      host.RunPending(session);
    }
  }
  folder.Empty();
  return 0;
}
