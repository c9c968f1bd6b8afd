// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/window/main_window.h"

#include <malloc.h>
#include <cerrno>

#include <QCloseEvent>
#include <QDate>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QTimeZone>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "export/desktop_opener.h"
#include "export/export_commands.h"
#include "gui/common/message_boxes.h"
#include "gui/device/bypass_dialog.h"
#include "gui/device/device_page.h"
#include "gui/device/read_period_dialog.h"
#include "gui/history/history_page.h"
#include "gui/logbook/logbook_page.h"
#include "gui/options/software_options_dialog.h"
#include "gui/records/track_record_page.h"
#include "gui/session/core_words.h"
#include "gui/window/about_dialog.h"
#include "gui/window/connection_images.h"
#include "settings/program_settings.h"

namespace tavrin::gui {
namespace {

// A million points' list, its map line and pages are buffers of tens of megabytes, some made on
// another thread. Left to itself the allocator keeps such freed buffers in the thread's heap
// for later, and the window holds them for as long as it runs; taken straight from the system,
// they go back to it when freed.
void GiveLargeBuffersBackWhenFreed() {
  static const bool set = mallopt(M_MMAP_THRESHOLD, 1 << 20) != 0;
  (void)set;
}

constexpr int kDevicePage = 0;

// The status line holds one line: the protocol's texts end in CR LF, which a single-line
// control does not show.
QString OneLine(const std::string& text) {
  QString line = CoreText(text).left(kStatusTextLimit);
  line.replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QLatin1Char(' '));
  return line.trimmed();
}

// The size the window was laid out for, which it takes where the screen has room.
constexpr QSize kPreferredSize(1100, 780);
// Without a saved size, the window leaves room around it on a small screen.
constexpr int kScreenPercent = 90;
// What the desktop adds above the window's own area: its title bar.
constexpr int kTitleBarRoom = 40;

// At most `most`, but never below `least` (the window's minimum wins over a small screen).
int Bounded(int value, int least, int most) {
  return std::max(std::min(value, most), least);
}

// The start of a span of `length` that begins at `start` as near as it can while it stays inside
// [areaStart, areaStart + areaLength); a span longer than the area begins where the area does.
int PulledInside(int start, int length, int areaStart, int areaLength) {
  return std::max(std::min(start, areaStart + areaLength - length), areaStart);
}

// Where the window opens: the saved place and size, or else the preferred size, at most 90 % of
// the area, centred; pulled inside `area` (a smaller screen, a monitor that is gone) with its
// title bar, and never smaller than `minimum`. The place is that of the frame's corner, the size
// that of the window's own area, below the title bar.
QRect WindowPlace(const std::optional<WindowGeometry>& saved, const QRect& area,
                  const QSize& minimum) {
  QSize size;
  QPoint corner;
  if (saved) {
    size = {Bounded(saved->width, minimum.width(), area.width()),
            Bounded(saved->height, minimum.height(), area.height() - kTitleBarRoom)};
    corner = {saved->x, saved->y};
  } else {
    size = {Bounded(kPreferredSize.width(), minimum.width(), area.width() * kScreenPercent / 100),
            Bounded(kPreferredSize.height(), minimum.height(),
                    area.height() * kScreenPercent / 100 - kTitleBarRoom)};
    corner = {area.x() + (area.width() - size.width()) / 2,
              area.y() + (area.height() - size.height() - kTitleBarRoom) / 2};
  }
  return {PulledInside(corner.x(), size.width(), area.x(), area.width()),
          PulledInside(corner.y(), size.height() + kTitleBarRoom, area.y(), area.height()),
          size.width(), size.height()};
}

}  // namespace

MainWindow::MainWindow(WindowSetup setup)
    : setup_(std::move(setup)),
      store_([this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
        return ShowMessage(text, icon, buttons);
      }),
      host_([this](const std::string& text, MsgIcon icon,
                   MsgButtons buttons) { return ShowMessage(text, icon, buttons); },
            nullptr),
      session_(host_, store_) {
  GiveLargeBuffersBackWhenFreed();
  setObjectName("mainWindow");
  setAcceptDrops(true);
  setWindowTitle(QString::fromUtf8(kProgramCaption));
  setWindowIcon(ProgramIcon());
  if (!setup_.messageBox) setup_.messageBox = QtMessageBoxes(this);
  if (!setup_.ports) setup_.ports = PortDiscovery::ForThisSystem();
  host_.SetPeriodQuestion(setup_.askPeriod ? setup_.askPeriod : [this] {
    ReadPeriodDialog dialog(QDate::currentDate(), this);
    return RunDialog(dialog) == QDialog::Accepted ? std::optional(dialog.Period()) : std::nullopt;
  });
  host_.Attach(&session_);
  store_.SetProblemReporter([this](const TrackFileProblem& p) { NoteTrackFileProblem(p); });
  // The status row comes first: everything after may report on the status line.
  QWidget* statusRow = BuildStatusRow();
  session_.SetSilenceLimit(setup_.loggerSilenceMs);
  LoadSettingsFile();
  const bool folderUsable = UseStartUpDataFolder();

  BuildMenu();
  tabs_ = new QTabWidget;
  tabs_->setObjectName("tabs");
  tabs_->setAccessibleName(tr("Pages"));
  devicePage_ = new DevicePage(*this);
  recordPage_ = new TrackRecordPage(*this);
  historyPage_ = new HistoryPage(*this);
  logbookPage_ = new LogbookPage(*this);
  tabs_->addTab(devicePage_, tr(" Device Control "));
  tabs_->addTab(recordPage_, tr("  Track Record  "));
  tabs_->addTab(historyPage_, tr("  History  "));
  tabs_->addTab(logbookPage_, tr("  Logbook  "));
  if (folderUsable) OpenLogbook(true);
  logbookListener_ = store_.Catalogue().ListenForChanges(
      [this](const TrackChangeNotice& notice) { FollowTracksInLogbook(notice); });
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  // Little above and below the tabs: a laptop's screen has no height to spare.
  const QMargins sides = layout->contentsMargins();
  layout->setContentsMargins(sides.left(), 2, sides.right(), 2);
  layout->setSpacing(4);
  layout->addWidget(tabs_, 1);
  layout->addWidget(statusRow);
  setCentralWidget(central);

  connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::OnTabChanged);
  connect(&host_, &QtSessionHost::statusText, this,
          [this](const QString& text) { SetStatusText(text.toStdString()); });
  connect(&host_, &QtSessionHost::progress, progress_, &QProgressBar::setValue);
  connect(&host_, &QtSessionHost::connectionImage, this, &MainWindow::ShowConnectionImage);
  connect(&host_, &QtSessionHost::deviceInfo, devicePage_, &DevicePage::ShowDeviceInfo);
  connect(&host_, &QtSessionHost::connectionLost, devicePage_, &DevicePage::OnConnectionLost);
  connect(&host_, &QtSessionHost::operationEnded, devicePage_, &DevicePage::OnOperationEnded);
  connect(&portCheck_, &QTimer::timeout, devicePage_, &DevicePage::CheckPortChanges);
  portCheck_.start(setup_.portCheckMs);
  ShowPage(kDevicePage);
  PlaceOnScreen();
}

MainWindow::~MainWindow() {
  ShutDown();
  store_.Catalogue().StopListening(logbookListener_);
  // The pages go before the store and the session they use, which are members of this window
  // and end before its child widgets otherwise would.
  delete takeCentralWidget();
  devicePage_ = nullptr;
  recordPage_ = nullptr;
  historyPage_ = nullptr;
  logbookPage_ = nullptr;
}

// The window's size and place: within the screen's free area, as it was left when it fits.
void MainWindow::PlaceOnScreen() {
  const std::optional<WindowGeometry>& saved = settings_.windowGeometry;
  QRect area;
  if (setup_.screenArea) {
    area = *setup_.screenArea;
  } else {
    // The screen the window was last closed on, when it is still there.
    QScreen* screen = saved ? QGuiApplication::screenAt(
                                  QPoint(saved->x + saved->width / 2, saved->y + saved->height / 2))
                            : nullptr;
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;  // nothing to show on: the size does not matter
    area = screen->availableGeometry();
  }
  const QRect place = WindowPlace(saved, area, minimumSizeHint());
  resize(place.size());
  move(place.topLeft());
}

// Kept in the settings file for the next start. A failed write loses only the place: the
// window opens at its default place next time, and the user has nothing to do about it.
void MainWindow::SaveGeometry() {
  const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : QRect(pos(), size());
  (void)SaveWindowGeometry(setup_.paths.settingsFile,
                           WindowGeometry{normal.x(), normal.y(), normal.width(), normal.height()});
}

void MainWindow::BuildMenu() {
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  QAction* about = help->addAction(tr("&About Tavrin Lite"));
  about->setObjectName("aboutAction");
  connect(about, &QAction::triggered, this, &MainWindow::ShowAbout);
}

QWidget* MainWindow::BuildStatusRow() {
  auto* row = new QWidget;
  imageLabel_ = new QLabel;
  imageLabel_->setObjectName("connectionImage");
  imageLabel_->setFixedSize(20, 20);
  statusLine_ = new QLabel(tr("Ready"));
  statusLine_->setObjectName("statusLine");
  // A screen reader reads a label's name: the name is the status text itself.
  statusLine_->setAccessibleName(statusLine_->text());
  statusLine_->setAccessibleDescription(tr("Status line"));
  statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  statusLine_->setFocusPolicy(Qt::TabFocus);  // reachable, so that a screen reader reads it
  statusLine_->setMinimumWidth(200);
  statusLine_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  progress_ = new QProgressBar;
  progress_->setObjectName("progress");
  progress_->setAccessibleName(tr("Progress"));
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(imageLabel_);
  layout->addWidget(statusLine_, 1);
  layout->addWidget(progress_, 1);
  ShowConnectionImage(ConnectionImage::Disconnected);
  return row;
}

void MainWindow::SetStatusText(const std::string& text) {
  const QString line = OneLine(text);
  statusLine_->setText(line);
  statusLine_->setAccessibleName(line);
  // A long text is cut at the line's end; its tool tip shows all of it.
  statusLine_->setToolTip(line);
}

MsgAnswer MainWindow::ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  return setup_.messageBox(text, icon, buttons);
}

int MainWindow::RunDialog(QDialog& dialog) {
  return setup_.runDialog ? setup_.runDialog(dialog) : dialog.exec();
}

void MainWindow::ShowConnectionImage(ConnectionImage image) {
  image_ = image;
  imageLabel_->setPixmap(ConnectionPixmap(image));
  imageLabel_->setAccessibleName(ConnectionImageName(image));
}

void MainWindow::OnTabChanged(int index) {
  if (index == currentPage_) return;
  if (session_.DownloadInProgress()) {
    ShowMessage(tr("Reading data.").toStdString(), MsgIcon::Warning, MsgButtons::Ok);
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(currentPage_);
    return;
  }
  ShowPage(index);
}

void MainWindow::ShowPage(int index) {
  currentPage_ = index;
  if (index == kDevicePage) {
    devicePage_->PageActivated();
  } else if (tabs_->widget(index) == recordPage_) {
    recordPage_->PageActivated();
  } else if (tabs_->widget(index) == historyPage_) {
    historyPage_->PageActivated();
  } else {
    if (RetryLogbook()) logbookPage_->LogbookReopened();
    logbookPage_->PageActivated();
  }
  tabs_->widget(index)->setFocus();
}

void MainWindow::OpenBypassDialog() {
  if (bypass_) return;  // one at a time
  bypass_ = new BypassDialog(
      session_,
      [this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
        return ShowMessage(text, icon, buttons);
      },
      this);
  bypass_->setAttribute(Qt::WA_DeleteOnClose);
  bypass_->show();
}

void MainWindow::OpenDocument(const std::string& path) {
  if (setup_.openDocument) {
    setup_.openDocument(path);
    return;
  }
  // xdg-open says by its exit status whether a program took the file; Qt's own opener only says
  // whether xdg-open started, so a missing program for KML files would pass without a word.
  auto* opener = new QProcess(this);
  opener->setProgram(QString::fromUtf8(kDesktopOpener));
  opener->setArguments({QString::fromStdString(path)});
  opener->setStandardOutputFile(QProcess::nullDevice());
  opener->setStandardErrorFile(QProcess::nullDevice());
  const auto tell = [this, path](const OpenerOutcome& outcome) {
    if (!outcome.Succeeded())
      ShowMessage(OpenerFailureText(path, outcome), MsgIcon::Warning, MsgButtons::Ok);
  };
  connect(opener, &QProcess::errorOccurred, this, [opener, tell](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    tell({ENOENT, 0});
    opener->deleteLater();
  });
  connect(opener, &QProcess::finished, this, [opener, tell](int status, QProcess::ExitStatus how) {
    tell({0, how == QProcess::NormalExit ? status : 128});
    opener->deleteLater();
  });
  opener->start();
}

void MainWindow::ShowAbout() {
  AboutDialog about(this);
  RunDialog(about);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Neither key closes the main window.
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
      event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

bool MainWindow::IsTrackFileName(const QString& name) {
  static const QStringList kSuffixes = {"gpx", "kml", "nmea", "nma", "txt", "log"};
  return kSuffixes.contains(QFileInfo(name).suffix().toLower());
}

namespace {

// The local files of a drop that the window imports.
QStringList DroppedTrackFiles(const QMimeData* data) {
  QStringList files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile() && MainWindow::IsTrackFileName(url.toLocalFile())) {
      files << url.toLocalFile();
    }
  }
  return files;
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedTrackFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QStringList files = DroppedTrackFiles(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  // The drop's own event ends first; the import then runs with the window's events going on.
  QTimer::singleShot(0, this, [this, files] { OpenTrackFiles(files); });
}

void MainWindow::OpenTrackFiles(const QStringList& files) {
  if (files.isEmpty()) return;
  tabs_->setCurrentWidget(recordPage_);
  recordPage_->ImportTrackFiles(files);
}

// Pages name tracks by their files, never by rows of another page's list.
void MainWindow::ShowTrackOnRecordPage(const std::string& path, std::optional<long long> pointUtc) {
  if (session_.DownloadInProgress()) {
    ShowMessage(tr("Reading data.").toStdString(), MsgIcon::Warning, MsgButtons::Ok);
    return;
  }
  tabs_->setCurrentWidget(recordPage_);
  recordPage_->ShowTrack(path, pointUtc);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  SaveGeometry();
  ShutDown();
  event->accept();
}

// Closing ends a download the way Stop does, keeping its points; nothing the line brings is
// handled afterwards.
void MainWindow::ShutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  portCheck_.stop();
  if (historyPage_ != nullptr) historyPage_->StopWork();
  if (bypass_) bypass_->close();
  if (session_.IsConnected()) session_.Disconnect();
  host_.Attach(nullptr);
}

}  // namespace tavrin::gui
