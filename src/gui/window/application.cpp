// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/application.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include "gui/common/languages.h"
#include "gui/common/message_boxes.h"
#include "gui/session/core_words.h"
#include "gui/window/main_window.h"
#include "settings/app_paths.h"
#include "settings/settings.h"

namespace tavrin::gui {

std::optional<InstanceLock> InstanceLock::Acquire(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return std::nullopt;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return std::nullopt;
  }
  return InstanceLock(fd);
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : fd_(other.fd_) {
  other.fd_ = -1;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

std::string InstanceLockPath() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  QDir().mkpath(folder);
  return (folder + QStringLiteral("/Venbrook Project.lock")).toStdString();
}

void PrepareWebEngine() {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
}

void UseKoreanFallbackFont() {
  QFont font = QApplication::font();
  // The desktop's font is often a name that only fontconfig resolves ("Sans Serif"). In a list
  // of families Qt passes over such a name, and every Latin text would be drawn in the Korean
  // font, whose point at the usual sizes sits below the line like a comma ("7,84Km"). The list
  // starts with the family the name stands for instead, and DejaVu Sans, whose point reads as
  // one at every size, stands in for a Korean font chosen as the desktop's own.
  QString shown = QFontInfo(font).family();
  if (shown.startsWith(QStringLiteral("Nanum"))) shown = QStringLiteral("DejaVu Sans");
  font.setFamilies({shown, QStringLiteral("DejaVu Sans"), QStringLiteral("NanumGothic"),
                    QStringLiteral("Nanum Gothic")});
  QApplication::setFont(font);
}

namespace {

// Quits the program once the watched window has been painted.
class QuitWhenPainted : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

std::string FileHandOverPath() {
  const std::string lock = InstanceLockPath();
  return lock.substr(0, lock.rfind('/') + 1) + "tavrin-lite.files";
}

bool HandFilesToRunningWindow(const QStringList& files, const std::string& path) {
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(path));
  if (!socket.waitForConnected(3000)) return false;
  for (const QString& file : files) socket.write((file + QLatin1Char('\n')).toUtf8());
  socket.flush();
  const bool written = socket.bytesToWrite() == 0 || socket.waitForBytesWritten(3000);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(3000);
  return written;
}

FileHandOver::FileHandOver(MainWindow& window, const std::string& path) : window_(window) {
  const QString name = QString::fromStdString(path);
  // A socket left by a run that crashed is in the way: this run holds the lock, so it is stale.
  QLocalServer::removeServer(name);
  if (!server_.listen(name)) return;
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        QStringList files;
        for (const QByteArray& line : socket->readAll().split('\n')) {
          if (!line.isEmpty()) files << QString::fromUtf8(line);
        }
        socket->deleteLater();
        window_.raise();
        window_.activateWindow();
        window_.OpenTrackFiles(files);
      });
    }
  });
}

int Application::Run(bool selfTest, const QStringList& files) {
  // The window and its boxes speak in the language of the settings file, or of the desktop without
  // one.
  std::vector<std::string> unused;
  const Settings stored = LoadSettings(DefaultAppPaths().settingsFile, 0, unused);
  (void)UseLanguage(LanguageOf(stored.languageInFile ? stored.language : -1));
  const auto lock = InstanceLock::Acquire(InstanceLockPath());
  if (!lock) {
    // Files opened from the file manager go to the window that runs already.
    if (!files.isEmpty() && HandFilesToRunningWindow(files, FileHandOverPath())) return 0;
    QtMessageBoxes(nullptr)(CoreText("Running program").toStdString(), MsgIcon::Warning,
                            MsgButtons::Ok);
    return 1;
  }
  MainWindow window;
  FileHandOver handOver(window, FileHandOverPath());
  QuitWhenPainted quit;
  if (selfTest) {
    window.installEventFilter(&quit);
    QTimer::singleShot(30000, qApp, [] { QApplication::exit(1); });
  }
  window.show();
  if (!files.isEmpty())
    QTimer::singleShot(0, &window, [&window, files] { window.OpenTrackFiles(files); });
  return QApplication::exec();
}

}  // namespace tavrin::gui
