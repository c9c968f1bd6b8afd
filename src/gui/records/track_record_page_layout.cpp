// SPDX-License-Identifier: GPL-3.0-or-later
// The Track Record page's controls and their places.
#include <QButtonGroup>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <algorithm>

#include "gui/records/track_record_page.h"

#include "export/export_formats.h"
#include "gui/common/widget_helpers.h"

namespace tavrin::gui {
namespace {

QComboBox* NumberList(const char* objectName, int count, int selected, const QString& name) {
  auto* list = new QComboBox;
  list->setObjectName(objectName);
  list->setAccessibleName(name);
  for (int i = 0; i < count; ++i) list->addItem(QString::asprintf(" %d", i));
  list->setCurrentIndex(selected);
  return list;
}

QDateEdit* DatePicker(const char* objectName, const QString& name, bool longFormat) {
  auto* picker = new QDateEdit;
  picker->setObjectName(objectName);
  picker->setAccessibleName(name);
  picker->setCalendarPopup(true);
  picker->setDisplayFormat(
      longFormat ? QCoreApplication::translate("TrackRecordPage", "dddd, MMMM d, yyyy",
                                               "the date format of a day, in the language's order")
                 : QStringLiteral("yyyy-MM-dd"));
  picker->setDate(QDate::currentDate());
  // The whole date stays readable, beside the drop-down arrow.
  picker->setMinimumWidth(picker->fontMetrics().horizontalAdvance(picker->text()) + 48);
  return picker;
}

// The export buttons' captions come with the formats, which the command line shares and which
// know nothing of translations: they are gathered here for the page that shows them.
[[maybe_unused]] constexpr const char* kExportCaptions[] = {
    QT_TRANSLATE_NOOP("TrackRecordPage", "Export to Google Earth (&KML)"),
    QT_TRANSLATE_NOOP("TrackRecordPage", "Export to &NMEA Data (GPRMC)"),
    QT_TRANSLATE_NOOP("TrackRecordPage", "Export to Dor&vale"),
    QT_TRANSLATE_NOOP("TrackRecordPage", "Export to GP&X"),
};

}  // namespace

QPushButton* TrackRecordPage::MakeButton(const char* objectName, const QString& caption,
                                         void (TrackRecordPage::*slot)()) {
  auto* button = new QPushButton(caption);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, slot);
  return button;
}

QWidget* TrackRecordPage::MakeListModeGroup() {
  auto* group = new QGroupBox(tr("Select Data List"));
  byDays_ = new QRadioButton(tr("By &Days"));
  byDays_->setObjectName("byDays");
  byTracks_ = new QRadioButton(tr("By &Tracks"));
  byTracks_->setObjectName("byTracks");
  auto* modes = new QButtonGroup(group);
  modes->addButton(byDays_);
  modes->addButton(byTracks_);
  byDays_->setChecked(true);
  // Toggled, not clicked: a screen reader's toggle action and the keyboard change them too.
  connect(byDays_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) OnByDays();
  });
  connect(byTracks_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) OnByTracks();
  });
  // Side by side: the column's height is what a laptop's screen lacks, not its width.
  auto* layout = new QHBoxLayout(group);
  layout->addWidget(byDays_);
  layout->addWidget(byTracks_);
  return group;
}

QWidget* TrackRecordPage::MakePeriodGroup() {
  auto* group = new QGroupBox(tr(" Select a Period of Time "));
  selectAll_ = new QCheckBox(tr("&Select All Tracks"));
  selectAll_->setObjectName("selectAllTracks");
  connect(selectAll_, &QCheckBox::toggled, this, &TrackRecordPage::RefreshRecordList);
  calendar_ = new QCalendarWidget;
  calendar_->setObjectName("dayCalendar");
  calendar_->setAccessibleName(tr("Day"));
  calendar_->setMaximumWidth(260);
  connect(calendar_, &QCalendarWidget::selectionChanged, this, &TrackRecordPage::OnCalendarDay);
  periodStart_ = DatePicker("periodStart", tr("Start of Period of Day"), true);
  periodEnd_ = DatePicker("periodEnd", tr("End of Period of Day"), true);
  startLabel_ = LabelFor(tr(" Start of &Period of Day"), periodStart_);
  endLabel_ = LabelFor(tr(" End of Period of Da&y"), periodEnd_);
  conformSelected_ =
      MakeButton("conformSelected", tr("C&onform Selected"), &TrackRecordPage::OnConformSelected);
  auto* period = new QWidget;
  auto* periodLayout = new QVBoxLayout(period);
  periodLayout->setContentsMargins(0, 0, 0, 0);
  for (QWidget* w : std::initializer_list<QWidget*>{startLabel_, periodStart_, endLabel_,
                                                    periodEnd_, conformSelected_}) {
    periodLayout->addWidget(w);
  }
  periodLayout->addStretch();
  // The day (by tracks) and the period (by days) take turns in one place as large as the larger
  // of them, so that switching modes moves nothing on the page.
  modeControls_ = new QStackedWidget;
  modeControls_->addWidget(calendar_);
  modeControls_->addWidget(period);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(selectAll_);
  layout->addWidget(modeControls_);
  return group;
}

QWidget* TrackRecordPage::MakeTrackDataGroup() {
  auto* group = new QGroupBox(tr(" Track Data "));
  windowStart_ = DatePicker("windowStartDate", tr("Date of Start"), false);
  windowEnd_ = DatePicker("windowEndDate", tr("Date of End"), false);
  startHour_ = NumberList("windowStartHour", 24, 0, tr("Start hour"));
  startMinute_ = NumberList("windowStartMinute", 60, 0, tr("Start minute"));
  endHour_ = NumberList("windowEndHour", 24, 23, tr("End hour"));
  endMinute_ = NumberList("windowEndMinute", 60, 59, tr("End minute"));
  conformTrack_ = MakeButton("conformTrackSelected", tr("Conform Track Selected"),
                             &TrackRecordPage::OnConformTrack);
  auto* edit = new QGroupBox(tr(" Edit Track  "));
  createTrack_ = MakeButton("createSelectedTrack", tr("&Create selected Track data"),
                            &TrackRecordPage::OnCreateTrack);
  deletePoints_ = MakeButton("deleteSelectedPoints", tr("D&elete selected Track data"),
                             &TrackRecordPage::OnDeletePoints);
  auto* editLayout = new QVBoxLayout(edit);
  editLayout->addWidget(createTrack_);
  editLayout->addWidget(deletePoints_);
  // One line, which the column is made wide enough for: a wrapped line would need more height
  // than the window's smallest size gives it.
  auto* hint = new QLabel(tr("Edit Track Data when \"By Tracks\" Selected"));
  editLayout->addWidget(hint);
  auto* grid = new QGridLayout(group);
  grid->addWidget(LabelFor(tr("Date o&f Start  /     Hour      Minute"), windowStart_), 0, 0, 1, 3);
  grid->addWidget(windowStart_, 1, 0);
  grid->addWidget(startHour_, 1, 1);
  grid->addWidget(startMinute_, 1, 2);
  grid->addWidget(LabelFor(tr("Date of End  /     Ho&ur      Minute"), windowEnd_), 2, 0, 1, 3);
  grid->addWidget(windowEnd_, 3, 0);
  grid->addWidget(endHour_, 3, 1);
  grid->addWidget(endMinute_, 3, 2);
  grid->addWidget(conformTrack_, 4, 0, 1, 3);
  grid->addWidget(edit, 5, 0, 1, 3);
  return group;
}

QWidget* TrackRecordPage::MakeRecordButtons() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(MakeButton("deleteSelectTrack", tr("Delete Se&lect Track"),
                               &TrackRecordPage::OnDeleteTicked));
  deleteAll_ =
      MakeButton("deleteAllTracks", tr("Delete &All Tracks"), &TrackRecordPage::OnDeleteAll);
  layout->addWidget(deleteAll_);
  layout->addStretch();
  for (const ExportFormat& format : ExportFormats()) {
    auto* button = new QPushButton(tr(format.caption));
    button->setObjectName(format.buttonName);
    button->setAutoDefault(false);
    button->setVisible(format.buttonShown);
    button->setMinimumWidth(button->sizeHint().width());  // the caption is never cut
    const ExportKind kind = format.kind;
    connect(button, &QPushButton::clicked, this, [this, kind] { OnExport(kind); });
    layout->addWidget(button);
  }
  return row;
}

// Under the left column: the tracks of other devices come in, and the program's options.
QHBoxLayout* TrackRecordPage::MakeImportAndOptionsRow() {
  auto* row = new QHBoxLayout;
  // Every letter of its caption is taken on this page: Ctrl+I instead.
  QPushButton* import =
      MakeButton("importTracks", tr("Import Tracks..."), &TrackRecordPage::OnImportTracks);
  import->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  import->setToolTip(tr("Import the GPX, KML or NMEA files of other devices (Ctrl+I)"));
  row->addWidget(import);
  row->addWidget(
      MakeButton("softwareOptions", tr("Soft&ware Options"), &TrackRecordPage::OnSoftwareOptions));
  return row;
}

QWidget* TrackRecordPage::MakeViewButtons() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(MakeButton("trackData", tr("T&rack Data"), &TrackRecordPage::OnTrackData));
  layout->addWidget(MakeButton("googleMaps", tr("Google &Maps"), &TrackRecordPage::OnGoogleMaps));
  layout->addWidget(
      MakeButton("speedGraphButton", tr("Speed &Graph"), &TrackRecordPage::OnSpeedGraph));
  layout->addWidget(MakeButton("photosButton", tr("Photos..."), &TrackRecordPage::OnPhotos));
  layout->addStretch();
  fileName_ = new QLineEdit;
  fileName_->setObjectName("selectedFile");
  fileName_->setReadOnly(true);
  // Room for a track file's name, "20240503_081000.bt0", and a little more.
  fileName_->setMinimumWidth(
      fileName_->fontMetrics().horizontalAdvance(QStringLiteral("00000000_000000.bt0__")) + 12);
  auto* label = LabelFor(tr("Selected Track&ing Log file"), fileName_);
  fileName_->setAccessibleName(ShownText(label->text()));
  layout->addWidget(label);
  layout->addWidget(fileName_);
  return row;
}

void TrackRecordPage::SetTabOrderOfControls() {
  const auto named = [this](const char* objectName) {
    return findChild<QWidget*>(QString::fromUtf8(objectName));
  };
  // The left column: the list mode, the day or period, the time window and the editing.
  SetTabOrder({byDays_, byTracks_, selectAll_, calendar_, periodStart_, periodEnd_,
               conformSelected_, windowStart_, startHour_, startMinute_, windowEnd_, endHour_,
               endMinute_, conformTrack_, createTrack_, deletePoints_, named("importTracks"),
               named("softwareOptions"), recordView_});
  // The right column: the records, the buttons under them, the views.
  SetTabOrder({recordView_, named("deleteSelectTrack"), deleteAll_});
  QWidget* previous = deleteAll_;
  for (const ExportFormat& format : ExportFormats()) {
    QWidget* button = named(format.buttonName);
    QWidget::setTabOrder(previous, button);
    previous = button;
  }
  SetTabOrder({previous, named("trackData"), named("googleMaps"), named("speedGraphButton"),
               named("photosButton"), fileName_, pointView_, graph_});
}

// The part of the map view that takes the keys is made with its page, long after the page's
// other controls, and Qt puts it at the end of the window's Tab chain, after the status line: it
// belongs where the points list stands, under the view buttons.
void TrackRecordPage::KeepMapInTabOrder() {
  QWidget* keys = map_->focusProxy() != nullptr ? map_->focusProxy() : map_;
  QWidget::setTabOrder(pointView_, keys);
}

// The check box shares the first column with the row's number; the column widens only when
// the two, or a heading, need more than its width. The list is never narrower than its columns,
// so it never scrolls sideways.
void TrackRecordPage::SetRecordColumnWidths() {
  const QStyle* style = recordView_->style();
  const int checkedNumber = style->pixelMetric(QStyle::PM_IndicatorWidth) +
                            style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) +
                            recordView_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) +
                            2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
  int columns = 0;
  for (int c = 0; c < records_.columnCount(); ++c) {
    const int width = ColumnWidthFor(
        *recordView_, c,
        c == 0 ? std::max(records_.ColumnWidth(c), checkedNumber) : records_.ColumnWidth(c));
    recordView_->setColumnWidth(c, width);
    columns += width;
  }
  recordView_->setMinimumWidth(columns + 2 * recordView_->frameWidth() +
                               style->pixelMetric(QStyle::PM_ScrollBarExtent));
}

}  // namespace tavrin::gui
