// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/desktop_notice.h"

#include <QCoreApplication>
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
// The texts are translated in the window; tavrin watch installs no translation and keeps them
// English.
constexpr char kOnePoint[] = QT_TRANSLATE_NOOP("DesktopNotice", "%1 point");
constexpr char kPoints[] = QT_TRANSLATE_NOOP("DesktopNotice", "%1 points");
constexpr char kOneNewTrack[] = QT_TRANSLATE_NOOP("DesktopNotice", "%1 new track");
constexpr char kNewTracks[] = QT_TRANSLATE_NOOP("DesktopNotice", "%1 new tracks");

// "1 point", "1,842 points": `one` and `many` hold %1 for the count.
QString Counted(size_t count, const char* one, const char* many) {
  return QCoreApplication::translate("DesktopNotice", count == 1 ? one : many)
      .arg(QLocale(QLocale::English).toString(static_cast<qulonglong>(count)));
}

// Notification services read the body as markup: a path with <, > or & in it must not be taken
// for tags.
QString MarkupEscaped(const QString& text) {
  QString escaped;
  escaped.reserve(text.size());
  for (const QChar c : text) {
    if (c == u'&') {
      escaped += QStringLiteral("&amp;");
    } else if (c == u'<') {
      escaped += QStringLiteral("&lt;");
    } else if (c == u'>') {
      escaped += QStringLiteral("&gt;");
    } else {
      escaped += c;
    }
  }
  return escaped;
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
  if (open_ && ServiceHasActions())
    actions << kOpenAction << QCoreApplication::translate("DesktopNotice", "Open Tavrin Lite");
  const QDBusReply<uint> id =
      service.call("Notify", QStringLiteral("Tavrin Lite"), lastId_, QStringLiteral("tavrin-lite"),
                   summary, MarkupEscaped(body), actions, QVariantMap(), kShownMs);
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
      return QCoreApplication::translate("DesktopNotice",
                                         "The logger on %1 has no tracks not read before.")
          .arg(port);
    case ReadEnd::Failed:
      return QCoreApplication::translate(
                 "DesktopNotice",
                 "The read from %1 ended early; what arrived is kept, nothing was erased. Plug "
                 "the logger in again to read the rest.")
          .arg(port);
    case ReadEnd::DoneWithDamage:
      return QCoreApplication::translate(
                 "DesktopNotice",
                 "Read from %1 into %2. Items were damaged on the line: read again.")
          .arg(port, dataFolder);
    case ReadEnd::Done:
      break;
  }
  return QCoreApplication::translate("DesktopNotice", "Read from %1 into %2.")
      .arg(port, dataFolder);
}

QString ReadNoticeSummary(size_t tracks, size_t points, bool failed) {
  if (failed) {
    return points == 0
               ? QCoreApplication::translate("DesktopNotice", "Tavrin Lite: the read failed")
               : QCoreApplication::translate("DesktopNotice",
                                             "Tavrin Lite: the read failed; %1 kept")
                     .arg(Counted(points, kOnePoint, kPoints));
  }
  if (tracks == 0)
    return QCoreApplication::translate("DesktopNotice", "Tavrin Lite: no new tracks");
  // Every summary starts with "Tavrin Lite: ", in every language: the window's status line
  // takes the rest.
  return QCoreApplication::translate("DesktopNotice", "Tavrin Lite: %1, %2")
      .arg(Counted(tracks, kOneNewTrack, kNewTracks), Counted(points, kOnePoint, kPoints));
}

}  // namespace tavrin
