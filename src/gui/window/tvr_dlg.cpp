#include "gui/window/tvr_dlg.h"

#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QUrl>
#include <QVBoxLayout>

#include "gui/device/date_time_dlg.h"
#include "gui/device/dev_bypass_dlg.h"
#include "gui/device/device_ctrl_dlg.h"
#include "gui/options/env_set_dlg.h"
#include "gui/records/record_ctrl_dlg.h"
#include "gui/window/about_dlg.h"
#include "gui/window/connection_images.h"
#include "gui/window/message_boxes.h"

namespace tavrin::gui {
namespace {

constexpr int kDevicePage = 0;

// The status line holds one line: the protocol's texts end in CR LF, which a single-line
// control does not show.
QString OneLine(const std::string& text) {
  QString line = QString::fromStdString(text).left(kStatusTextLimit);
  line.replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QLatin1Char(' '));
  return line.trimmed();
}

}  // namespace

CTVRDlg::CTVRDlg(WindowSetup setup)
    : setup_(std::move(setup)),
      store_([this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
        return ShowMessage(text, icon, buttons);
      }),
      host_([this](const std::string& text, MsgIcon icon,
                   MsgButtons buttons) { return ShowMessage(text, icon, buttons); },
            nullptr),
      session_(host_, store_) {
  setObjectName("mainWindow");
  setWindowTitle(QString::fromUtf8(kProgramCaption));
  setWindowIcon(ProgramIcon());
  if (!setup_.messageBox) setup_.messageBox = QtMessageBoxes(this);
  if (!setup_.ports) setup_.ports = PortDiscovery::ForThisSystem();
  host_.SetPeriodQuestion(setup_.askPeriod ? setup_.askPeriod : [this] {
    CDateTimeDlg dialog(QDate::currentDate(), this);
    return RunDialog(dialog) == QDialog::Accepted ? std::optional(dialog.Period()) : std::nullopt;
  });
  host_.Attach(&session_);
  session_.SetSilenceLimit(setup_.loggerSilenceMs);
  if (auto prepared = store_.PrepareDataFolder(setup_.paths.dataFolder); !prepared) {
    ShowMessage(prepared.Error().reason, MsgIcon::Error, MsgButtons::Ok);
  }
  LoadSettingsFile();

  BuildMenu();
  tabs_ = new QTabWidget;
  tabs_->setObjectName("tabs");
  tabs_->setAccessibleName(QStringLiteral("Pages"));
  devicePage_ = new CDeviceCtrlDlg(*this);
  recordPage_ = new CRecordCtrlDlg(*this);
  tabs_->addTab(devicePage_, QStringLiteral(" Device Control "));
  tabs_->addTab(recordPage_, QStringLiteral("  Track Record  "));
  host_.SetDeviceTrackList(&devicePage_->TrackList());
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(tabs_, 1);
  layout->addWidget(BuildStatusRow());
  setCentralWidget(central);

  connect(tabs_, &QTabWidget::currentChanged, this, &CTVRDlg::OnTabChanged);
  connect(&host_, &CQtSessionHost::statusText, this,
          [this](const QString& text) { SetStatusText(text.toStdString()); });
  connect(&host_, &CQtSessionHost::progress, progress_, &QProgressBar::setValue);
  connect(&host_, &CQtSessionHost::connectionImage, this, &CTVRDlg::ShowConnectionImage);
  connect(&host_, &CQtSessionHost::deviceInfo, devicePage_, &CDeviceCtrlDlg::ShowDeviceInfo);
  connect(&host_, &CQtSessionHost::connectionLost, devicePage_, &CDeviceCtrlDlg::OnConnectionLost);
  connect(&portCheck_, &QTimer::timeout, devicePage_, &CDeviceCtrlDlg::CheckPortChanges);
  portCheck_.start(setup_.portCheckMs);
  ShowPage(kDevicePage);
  resize(1100, 780);
}

CTVRDlg::~CTVRDlg() {
  ShutDown();
  // The pages go before the store and the session they use, which are members of this window
  // and end before its child widgets otherwise would.
  host_.SetDeviceTrackList(nullptr);
  delete takeCentralWidget();
  devicePage_ = nullptr;
  recordPage_ = nullptr;
}

void CTVRDlg::LoadSettingsFile() {
  std::vector<std::string> warnings;
  settings_ = LoadSettings(setup_.paths.settingsFile, SystemStandardOffsetMinutes(), warnings);
  store_.SetTimeZoneOffset(settings_.StoreOffset());
  for (const std::string& warning : warnings) SetStatusText(warning);
}

void CTVRDlg::BuildMenu() {
  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  QAction* about = help->addAction(QStringLiteral("About Tavrin Lite"));
  about->setObjectName("aboutAction");
  connect(about, &QAction::triggered, this, &CTVRDlg::ShowAbout);
}

QWidget* CTVRDlg::BuildStatusRow() {
  auto* row = new QWidget;
  imageLabel_ = new QLabel;
  imageLabel_->setObjectName("connectionImage");
  imageLabel_->setFixedSize(20, 20);
  statusLine_ = new QLabel(QStringLiteral("Ready"));
  statusLine_->setObjectName("statusLine");
  statusLine_->setAccessibleName(QStringLiteral("Status"));
  statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  statusLine_->setFocusPolicy(Qt::TabFocus);  // reachable, so that a screen reader reads it
  statusLine_->setMinimumWidth(200);
  statusLine_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  progress_ = new QProgressBar;
  progress_->setObjectName("progress");
  progress_->setAccessibleName(QStringLiteral("Progress"));
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

void CTVRDlg::SetStatusText(const std::string& text) {
  const QString line = OneLine(text);
  statusLine_->setText(line);
  statusLine_->setAccessibleDescription(line);
}

MsgAnswer CTVRDlg::ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  return setup_.messageBox(text, icon, buttons);
}

int CTVRDlg::RunDialog(QDialog& dialog) {
  return setup_.runDialog ? setup_.runDialog(dialog) : dialog.exec();
}

void CTVRDlg::ShowConnectionImage(ConnectionImage image) {
  image_ = image;
  imageLabel_->setPixmap(ConnectionPixmap(image));
  imageLabel_->setAccessibleName(ConnectionImageName(image));
}

void CTVRDlg::OnTabChanged(int index) {
  if (index == currentPage_) return;
  if (session_.DownloadInProgress()) {
    ShowMessage("Reading data.", MsgIcon::Warning, MsgButtons::Ok);
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(currentPage_);
    return;
  }
  ShowPage(index);
}

void CTVRDlg::ShowPage(int index) {
  currentPage_ = index;
  if (index == kDevicePage) {
    devicePage_->PageActivated();
  } else {
    recordPage_->PageActivated();
  }
  tabs_->widget(index)->setFocus();
}

void CTVRDlg::OpenSoftwareOptions() {
  const QDateTime now = QDateTime::currentDateTimeUtc();
  Settings edited = settings_;
  CEnvSetDlg dialog(edited, QString::fromStdString(store_.DataFolder()), TimeZoneList(now),
                    SystemTimeZone(now), this);
  const bool accepted = RunDialog(dialog) == QDialog::Accepted;
  // Choosing the computer's zone on first opening is kept in memory even after CANCLE.
  settings_.localTime = edited.localTime;
  if (!accepted) return;
  settings_ = edited;
  if (auto saved = SaveSettings(setup_.paths.settingsFile, settings_); !saved) {
    ShowMessage(saved.Error().reason, MsgIcon::Error, MsgButtons::Ok);
  }
  store_.SetTimeZoneOffset(settings_.StoreOffset());
}

void CTVRDlg::OpenBypassDialog() {
  if (bypass_) return;  // one at a time
  bypass_ = new CDevByPassDlg(
      session_,
      [this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
        return ShowMessage(text, icon, buttons);
      },
      this);
  bypass_->setAttribute(Qt::WA_DeleteOnClose);
  bypass_->show();
}

void CTVRDlg::OpenDocument(const std::string& path) {
  if (setup_.openDocument) {
    setup_.openDocument(path);
  } else {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
  }
}

void CTVRDlg::ShowAbout() {
  CAboutDlg about(this);
  RunDialog(about);
}

void CTVRDlg::keyPressEvent(QKeyEvent* event) {
  // Neither key closes the main window.
  if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
      event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void CTVRDlg::closeEvent(QCloseEvent* event) {
  ShutDown();
  event->accept();
}

// Closing ends a download the way Stop does, keeping its points; nothing the line brings is
// handled afterwards.
void CTVRDlg::ShutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  portCheck_.stop();
  if (bypass_) bypass_->close();
  if (session_.IsConnected()) session_.ConnectDevice(false);
  host_.Attach(nullptr);
}

}  // namespace tavrin::gui
