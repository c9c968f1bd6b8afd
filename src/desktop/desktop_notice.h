// SPDX-License-Identifier: GPL-3.0-or-later
// Notices on the desktop through its notification service (org.freedesktop.Notifications on the
// session bus), for the window and for tavrin watch. Without a service, nothing is shown and the
// caller keeps its own log.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace tavrin {

class DesktopNotices : public QObject {
  Q_OBJECT

 public:
  // `open` is called when the user chooses the notice's action "Open Tavrin Lite" (offered only
  // where the service has actions); it needs the caller's event loop to run.
  explicit DesktopNotices(std::function<void()> open = nullptr, QObject* parent = nullptr);

  // Shows the notice, its body as plain text (markup in it is escaped); false when no
  // notification service answered.
  bool Show(const QString& summary, const QString& body);

 private slots:
  void OnActionInvoked(uint id, const QString& action);

 private:
  bool ServiceHasActions();

  std::function<void()> open_;
  uint lastId_ = 0;
  int actions_ = -1;  // unknown until the service is asked
};

// How a read ended, for its notice.
enum class ReadEnd { NoNewTracks, Done, DoneWithDamage, Failed };

// "Tavrin Lite: 3 new tracks, 1,842 points", "... no new tracks": the notice's summary.
QString ReadNoticeSummary(size_t tracks, size_t points, bool failed);
// Below it: where the tracks went, or what to do next.
QString ReadNoticeBody(ReadEnd end, const QString& port, const QString& dataFolder);

}  // namespace tavrin
