// SPDX-License-Identifier: GPL-3.0-or-later
// A session host for tests: records what the session shows and runs its timers and posted
// events on an EventLoop, or on a VirtualLoop whose clock moves only when nothing else is left.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "../unit/test_support.h"
#include "protocol/event_loop.h"
#include "protocol/logger_session.h"
#include "virtual_loop.h"
#include "wording/session_wording.h"

namespace tavrin::test {

template <typename Loop>
class BasicSessionTestHost : public ISessionHost {
 public:
  struct Message {
    std::string text;
    MsgIcon icon;
  };

  void SetStatusText(const std::string& text) override { statuses.push_back(text); }
  void SetProgress(int position) override { progress.push_back(position); }
  MsgAnswer ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) {
    messages.push_back({text, icon});
    if (onMessage) onMessage(text);
    if (buttons == MsgButtons::OkCancel) return okCancelAnswer;
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
  }
  // Worded as the front ends word it, and recorded as a status and a message, status first.
  void Report(const SessionReport& report) override {
    const std::string text = SessionReportText(report);
    if (report.OnStatusLine()) SetStatusText(text);
    if (report.InBox()) ShowMessage(text, report.icon, MsgButtons::Ok);
  }
  // Recorded as the window words it, so that a test reads one list of what was asked and told.
  bool Confirm(SessionQuestion question) override {
    if (question == SessionQuestion::EraseMemory) {
      return ShowMessage("Do you remove all Flash memory?", MsgIcon::Warning,
                         MsgButtons::OkCancel) == MsgAnswer::Ok;
    }
    return false;
  }
  void NotifyDeviceInfo(DeviceNotice what) override { deviceNotices.push_back(what); }
  void StartTimer(SessionTimer timer, int milliseconds) override {
    loop.StartTimer(static_cast<int>(timer), std::chrono::milliseconds(milliseconds),
                    [this, timer] {
                      if (session) session->OnTimer(timer);
                    });
  }
  void StopTimer(SessionTimer timer) override { loop.StopTimer(static_cast<int>(timer)); }
  std::optional<ReadPeriod> AskReadPeriod() override { return period; }
  void SetConnectionImage(ConnectionImage image) override { images.push_back(image); }
  // A row for each track the session reports saved, as a front end's list would show it.
  void TrackFileSaved(const TrackEntry& entry) override {
    trackList.InsertRow(trackList.RowCount(), entry, trackList.RowCount() + 1);
  }
  void ConnectionLost() override { ++connectionsLost; }
  void OperationEnded(const OperationEnd& end) override { ends.push_back(end); }
  void Pause(int milliseconds) override { pauses.push_back(milliseconds); }
  void PostDataArrived() override {
    loop.Post([this] {
      if (session) session->OnDataArrived();
    });
  }
  void PostConnectionLost() override {
    loop.Post([this] {
      if (session) session->OnConnectionLost();
    });
  }

  bool SawStatus(const std::string& text) const {
    for (const auto& s : statuses) {
      if (s == text) return true;
    }
    return false;
  }
  bool SawMessage(const std::string& text) const {
    for (const auto& m : messages) {
      if (m.text == text) return true;
    }
    return false;
  }
  // How `operation` last ended; empty while it has not.
  std::optional<OperationEnd> Ended(Operation operation) const {
    for (auto end = ends.rbegin(); end != ends.rend(); ++end) {
      if (end->operation == operation) return *end;
    }
    return std::nullopt;
  }
  // Runs the loop until `done` or two seconds passed.
  bool RunUntil(const std::function<bool()>& done, int timeoutMs = 2000) {
    return loop.RunUntil(done, std::chrono::milliseconds(timeoutMs));
  }

  Loop loop;
  LoggerSession* session = nullptr;
  std::vector<std::string> statuses;
  std::vector<int> progress;
  std::vector<Message> messages;
  std::vector<DeviceNotice> deviceNotices;
  std::vector<ConnectionImage> images;
  std::vector<int> pauses;
  int connectionsLost = 0;
  std::vector<OperationEnd> ends;
  EntryRowsRecorder trackList;
  std::optional<ReadPeriod> period;
  MsgAnswer okCancelAnswer = MsgAnswer::Ok;
  std::function<void(const std::string&)> onMessage;
};

using SessionTestHost = BasicSessionTestHost<EventLoop>;
using VirtualSessionTestHost = BasicSessionTestHost<VirtualLoop>;

}  // namespace tavrin::test
