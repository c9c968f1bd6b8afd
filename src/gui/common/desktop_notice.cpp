// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/common/desktop_notice.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QLocale>
#include <QVariantMap>

namespace tavrin {
namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kOpenAction[] = "open";
constexpr int kShownMs = 10000;

QString Counted(size_t count, const char* one, const char* many) {
  return QLocale(QLocale::English).toString(static_cast<qulonglong>(count)) + " " +
         (count == 1 ? one : many);
}

}  // namespace

DesktopNotices::DesktopNotices(std::function<void()> open, QObject* parent)
    : QObject(parent), open_(std::move(open)) {
  if (open_) {
    QDBusConnection::sessionBus().connect(kService, kPath, kService, "ActionInvoked", this,
                                          SLOT(OnActionInvoked(uint, QString)));
  }
}

bool DesktopNotices::ServiceHasActions() {
  if (actions_ < 0) {
    QDBusInterface service(kService, kPath, kService, QDBusConnection::sessionBus());
    const QDBusReply<QStringList> capabilities = service.call("GetCapabilities");
    actions_ = capabilities.isValid() && capabilities.value().contains("actions") ? 1 : 0;
  }
  return actions_ == 1;
}

bool DesktopNotices::Show(const QString& summary, const QString& body) {
  if (!QDBusConnection::sessionBus().isConnected()) return false;
  QDBusInterface service(kService, kPath, kService, QDBusConnection::sessionBus());
  if (!service.isValid()) return false;
  QStringList actions;
  if (open_ && ServiceHasActions()) actions << kOpenAction << QStringLiteral("Open Tavrin Lite");
  const QDBusReply<uint> id =
      service.call("Notify", QStringLiteral("Tavrin Lite"), lastId_, QStringLiteral("tavrin-lite"),
                   summary, body, actions, QVariantMap(), kShownMs);
  if (!id.isValid()) return false;
  lastId_ = id.value();
  return true;
}

void DesktopNotices::OnActionInvoked(uint id, const QString& action) {
  if (id == lastId_ && action == kOpenAction && open_) open_();
}

QString ReadNoticeBody(ReadEnd end, const QString& port, const QString& dataFolder) {
  switch (end) {
    case ReadEnd::NoNewTracks:
      return QStringLiteral("The logger on %1 has no tracks not read before.").arg(port);
    case ReadEnd::Failed:
      return QStringLiteral(
                 "The read from %1 ended early; what arrived is kept, nothing was "
                 "erased. Plug the logger in again to read the rest.")
          .arg(port);
    case ReadEnd::DoneWithDamage:
      return QStringLiteral("Read from %1 into %2. Items were damaged on the line: read again.")
          .arg(port, dataFolder);
    case ReadEnd::Done:
      break;
  }
  return QStringLiteral("Read from %1 into %2.").arg(port, dataFolder);
}

QString ReadNoticeSummary(size_t tracks, size_t points, bool failed) {
  if (failed) {
    return points == 0 ? QStringLiteral("Tavrin Lite: the read failed")
                       : QStringLiteral("Tavrin Lite: the read failed; ") +
                             Counted(points, "point", "points") + " kept";
  }
  if (tracks == 0) return QStringLiteral("Tavrin Lite: no new tracks");
  return QStringLiteral("Tavrin Lite: ") + Counted(tracks, "new track", "new tracks") + ", " +
         Counted(points, "point", "points");
}

}  // namespace tavrin
