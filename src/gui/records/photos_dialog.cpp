// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/records/photos_dialog.h"

#include <QCompleter>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QStyle>
#include <QTimeZone>
#include <QVBoxLayout>
#include <QWebEngineView>

#include "gui/common/widget_helpers.h"
#include "gui/common/wrapping_delegate.h"
#include "store/track_store.h"

namespace tavrin::gui {
namespace {

// How the zone of Software Options is offered: its name, or its offset when it has none.
QString ZoneText(const LocalZone& zone) {
  if (!zone.Name().empty()) return QString::fromStdString(zone.Name());
  const int minutes = zone.OffsetMinutesAt(QDateTime::currentSecsSinceEpoch());
  const int size = std::abs(minutes);
  return QStringLiteral("%1%2:%3")
      .arg(minutes < 0 ? '-' : '+')
      .arg(size / 60, 2, 10, QChar('0'))
      .arg(size % 60, 2, 10, QChar('0'));
}

QHBoxLayout* Row(QWidget* widget) {
  auto* layout = new QHBoxLayout(widget);
  layout->setContentsMargins(0, 0, 0, 0);
  return layout;
}

}  // namespace

PhotosDialog::PhotosDialog(IPageOwner& owner, QWidget* parent) : QDialog(parent), owner_(owner) {
  setObjectName("photosDialog");
  setWindowTitle(tr("Photos"));
  setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeFolderRow());
  layout->addWidget(MakeCameraRow());

  list_ = new QTableView;
  list_->setObjectName("photoList");
  list_->setAccessibleName(tr("Photos"));
  list_->setModel(&photos_);
  list_->setTabKeyNavigation(false);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->verticalHeader()->hide();
  // A result can be a long sentence: its column takes the room the others leave and wraps it,
  // and each row grows to its text, so that it reads whole without scrolling sideways. A long
  // file name gives way instead, shortened in the middle (its tooltip holds the whole path).
  list_->horizontalHeader()->setStretchLastSection(true);
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  list_->setWordWrap(true);
  list_->setItemDelegateForColumn(PhotoListModel::kResult, new WrappingDelegate(list_));
  list_->setTextElideMode(Qt::ElideMiddle);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setColumnWidth(0, 150);
  list_->setColumnWidth(1, 170);
  list_->setColumnWidth(2, 170);
  map_ = new QWebEngineView;
  map_->setObjectName("photoMap");
  map_->setAccessibleName(tr("Map of the photos"));
  map_->setMinimumSize(320, 240);
  connect(map_, &QWebEngineView::loadFinished, this, [this](bool ok) {
    if (ok && photosOnMap_) ShowOnMap();
  });
  map_->setHtml(QStringLiteral("<p style=\"font: 10pt sans-serif; margin: 12px\">%1</p>")
                    .arg(tr("Choose the folder of the photos and press Find positions: each photo "
                            "that can be placed shows here beside its track.")
                             .toHtmlEscaped()));
  auto* split = new QSplitter;
  split->addWidget(list_);
  split->addWidget(map_);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  // The same shares from the start (the sizes weigh the width the dialog gives): by their size
  // hints the web view would take most of it and leave the list's results too little.
  split->setSizes({600, 400});
  layout->addWidget(split, 1);
  layout->addWidget(MakeWritingRow());
  SetTabOrderOfControls();
  resize(1040, 640);
  photos::PrepareForThreads();
  ShowBusy(false, {});
  // The list stands for the fields it was matched with: changing them asks for a new match.
  connect(folder_, &QLineEdit::textEdited, this, &PhotosDialog::MarkStale);
  connect(subfolders_, &QCheckBox::toggled, this, &PhotosDialog::MarkStale);
  connect(zone_, &QComboBox::currentTextChanged, this, &PhotosDialog::MarkStale);
  connect(offset_, &QLineEdit::textEdited, this, &PhotosDialog::MarkStale);
  connect(maxGap_, &QSpinBox::valueChanged, this, &PhotosDialog::MarkStale);
  connect(overwrite_, &QCheckBox::toggled, this, &PhotosDialog::MarkStale);
  connect(sidecar_, &QCheckBox::toggled, this, &PhotosDialog::MarkStale);
}

PhotosDialog::~PhotosDialog() {
  StopWork();
}

QWidget* PhotosDialog::MakeFolderRow() {
  auto* row = new QWidget;
  QHBoxLayout* layout = Row(row);
  folder_ = new QLineEdit;
  folder_->setObjectName("photoFolder");
  folder_->setPlaceholderText(tr("The folder of the photos"));
  connect(folder_, &QLineEdit::returnPressed, this, &PhotosDialog::FindPositions);
  chooseFolder_ = NamedButton("choosePhotoFolder", tr("C&hoose..."));
  connect(chooseFolder_, &QPushButton::clicked, this, [this] {
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Folder of the photos"),
        folder_->text().isEmpty() ? QDir::homePath() : folder_->text());
    if (folder.isEmpty()) return;
    folder_->setText(folder);
    FindPositions();
  });
  subfolders_ = new QCheckBox(tr("&Subfolders too"));
  subfolders_->setObjectName("photoSubfolders");
  find_ = NamedButton("findPositions", tr("&Find positions"));
  find_->setDefault(true);
  connect(find_, &QPushButton::clicked, this, &PhotosDialog::FindPositions);
  layout->addWidget(LabelFor(tr("Photo fo&lder"), folder_));
  layout->addWidget(folder_, 1);
  layout->addWidget(chooseFolder_);
  layout->addWidget(subfolders_);
  layout->addWidget(find_);
  return row;
}

QWidget* PhotosDialog::MakeCameraRow() {
  auto* row = new QWidget;
  QHBoxLayout* layout = Row(row);
  zone_ = new QComboBox;
  zone_->setObjectName("photoZone");
  zone_->setEditable(true);
  zone_->setInsertPolicy(QComboBox::NoInsert);
  zone_->addItem(ZoneText(owner_.Store().Zone()));
  zone_->addItem(QStringLiteral("UTC"));
  // The region zones of the database, by name; a fixed +HH:MM can be typed.
  for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
    if (id.contains('/') && !id.startsWith("Etc/")) zone_->addItem(QString::fromLatin1(id));
  }
  zone_->completer()->setCompletionMode(QCompleter::PopupCompletion);
  zone_->setToolTip(
      tr("The zone the camera's clock was set to, for photos that do not say: a zone such as "
         "Europe/Berlin, or +HH:MM"));
  offset_ = new QLineEdit(QStringLiteral("+00:00:00"));
  offset_->setObjectName("photoClockOffset");
  offset_->setToolTip(tr("Added to the camera's times: a camera 90 seconds slow needs +00:01:30"));
  // Room for "-00:00:00" and the field's frame, whatever the font.
  offset_->setFixedWidth(offset_->fontMetrics().horizontalAdvance(QStringLiteral("-00:00:00")) +
                         2 * offset_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 16);
  clockPhoto_ = NamedButton("clockPhoto", tr("From a &clock photo..."));
  clockPhoto_->setToolTip(
      tr("Choose a photo of a clock in the list, then give the time the clock showed"));
  connect(clockPhoto_, &QPushButton::clicked, this, &PhotosDialog::OffsetFromClockPhoto);
  maxGap_ = new QSpinBox;
  maxGap_->setObjectName("photoMaxGap");
  maxGap_->setRange(1, 24 * 3600);
  maxGap_->setValue(static_cast<int>(photos::kDefaultMaxGapSeconds));
  maxGap_->setSuffix(tr(" s"));
  overwrite_ = new QCheckBox(tr("O&verwrite positions"));
  overwrite_->setObjectName("photoOverwrite");
  sidecar_ = new QCheckBox(tr("XMP si&decar files"));
  sidecar_->setObjectName("photoSidecar");
  sidecar_->setToolTip(
      tr("Write each position into NAME.xmp beside the photo and leave the photo as it is"));
  layout->addWidget(LabelFor(tr("Camera &zone"), zone_));
  layout->addWidget(zone_, 1);
  layout->addWidget(LabelFor(tr("Clock &offset"), offset_));
  layout->addWidget(offset_);
  layout->addWidget(clockPhoto_);
  layout->addWidget(LabelFor(tr("Max &gap"), maxGap_));
  layout->addWidget(maxGap_);
  layout->addWidget(overwrite_);
  layout->addWidget(sidecar_);
  return row;
}

QWidget* PhotosDialog::MakeWritingRow() {
  auto* row = new QWidget;
  QHBoxLayout* layout = Row(row);
  summary_ = new QLabel;
  summary_->setObjectName("photoSummary");
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  progress_ = new QProgressBar;
  progress_->setObjectName("photoProgress");
  progress_->setAccessibleName(tr("Progress"));
  progress_->setMaximumWidth(200);
  write_ = NamedButton("writePositions", tr("&Write positions"));
  connect(write_, &QPushButton::clicked, this, &PhotosDialog::WritePositions);
  stopButton_ = NamedButton("stopPhotos", tr("S&top"));
  connect(stopButton_, &QPushButton::clicked, this, [this] { stop_ = true; });
  close_ = NamedButton("closePhotos", tr("Close"));
  connect(close_, &QPushButton::clicked, this, &PhotosDialog::reject);
  layout->addWidget(summary_, 1);
  layout->addWidget(progress_);
  layout->addWidget(write_);
  layout->addWidget(stopButton_);
  layout->addWidget(close_);
  return row;
}

// The time and the position are as wide in every row; a file name takes what it needs up to a
// quarter of the list, so that the result, which can be a sentence, keeps the most room.
void PhotosDialog::FitColumns() {
  list_->resizeColumnToContents(PhotoListModel::kTaken);
  list_->resizeColumnToContents(PhotoListModel::kPosition);
  list_->resizeColumnToContents(PhotoListModel::kPhoto);
  const int most = list_->viewport()->width() / 4;
  if (list_->columnWidth(PhotoListModel::kPhoto) > most) {
    list_->setColumnWidth(PhotoListModel::kPhoto, most);
  }
}

void PhotosDialog::SetTabOrderOfControls() {
  SetTabOrder({folder_, chooseFolder_, subfolders_, find_, zone_, offset_, clockPhoto_, maxGap_,
               overwrite_, sidecar_, list_, map_, write_, stopButton_, close_});
}

// While the other thread works only Stop answers; the fields keep what the work was started with.
void PhotosDialog::ShowBusy(bool busy, const QString& what) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           folder_, chooseFolder_, subfolders_, find_, zone_, offset_, clockPhoto_, maxGap_,
           overwrite_, sidecar_, write_, close_}) {
    control->setEnabled(!busy);
  }
  stopButton_->setEnabled(busy);
  progress_->setVisible(busy);
  if (busy) {
    progress_->setRange(0, 0);
    summary_->setText(what);
  }
  write_->setEnabled(!busy && !stale_ &&
                     std::any_of(photos_.Items().begin(), photos_.Items().end(),
                                 [](const photos::PhotoItem& item) {
                                   return item.state == photos::PhotoState::ToTag;
                                 }));
}

// Escape and the window's close button stop the work first: nothing is left half done.
void PhotosDialog::reject() {
  StopWork();
  QDialog::reject();
}

}  // namespace tavrin::gui
