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
#include <QStandardPaths>
#include <QTimer>

#include "gui/common/message_boxes.h"
#include "gui/window/main_window.h"

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

int Application::Run(bool selfTest) {
  const auto lock = InstanceLock::Acquire(InstanceLockPath());
  if (!lock) {
    QtMessageBoxes(nullptr)("Running program", MsgIcon::Warning, MsgButtons::Ok);
    return 1;
  }
  MainWindow window;
  QuitWhenPainted quit;
  if (selfTest) {
    window.installEventFilter(&quit);
    QTimer::singleShot(30000, qApp, [] { QApplication::exit(1); });
  }
  window.show();
  return QApplication::exec();
}

}  // namespace tavrin::gui
