// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop notification service for tests: it takes the name org.freedesktop.Notifications on
// the session bus it is given and writes each notice it is sent as a line (summary, body and
// actions, tab-separated) to the file named by its argument. It offers actions, as a desktop's
// service does; the test ends it with a signal.
//   notice_server RECORD_FILE
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QFile>
#include <QObject>
#include <QSocketNotifier>
#include <QTextStream>
#include <cstdio>

class NoticeServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  explicit NoticeServer(QString record) : record_(std::move(record)) {}

 public slots:
  QStringList GetCapabilities() { return {"body", "actions"}; }
  QString GetServerInformation(QString& vendor, QString& version, QString& protocol) {
    vendor = "tests";
    version = "1";
    protocol = "1.2";
    return "notice_server";
  }
  uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap&, int) {
    QFile file(record_);
    if (file.open(QIODevice::Append | QIODevice::Text)) {
      QTextStream(&file) << summary << '\t' << body << '\t' << actions.join(',') << '\n';
    }
    return replaces != 0 ? replaces : ++last_;
  }
  void CloseNotification(uint) {}

 private:
  QString record_;
  uint last_ = 0;
};

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: notice_server RECORD_FILE\n");
    return 2;
  }
  NoticeServer server(QString::fromLocal8Bit(argv[1]));
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject("/org/freedesktop/Notifications", &server,
                          QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.freedesktop.Notifications")) {
    std::fprintf(stderr, "notice_server: %s\n", qPrintable(bus.lastError().message()));
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  return application.exec();
}

#include "notice_server.moc"
