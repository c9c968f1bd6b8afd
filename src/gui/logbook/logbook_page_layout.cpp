// SPDX-License-Identifier: GPL-3.0-or-later
// The Logbook page's controls: the period and the exports above, the trips, what the selected
// trips get under them, and the totals, the odometer and the places at the foot of the page.
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QVBoxLayout>

#include "gui/common/widget_helpers.h"
#include "gui/logbook/logbook_page.h"
#include "gui/logbook/purpose_delegate.h"

namespace tavrin::gui {

QPushButton* LogbookPage::Button(const char* objectName, const QString& caption,
                                 void (LogbookPage::*slot)()) {
  auto* button = new QPushButton(caption);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  connect(button, &QPushButton::clicked, this, slot);
  return button;
}

QWidget* LogbookPage::MakePeriodRow() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  periodKind_ = new QComboBox;
  periodKind_->setObjectName("logbookPeriod");
  periodKind_->addItems({tr("Month"), tr("Year"), tr("All")});
  periodDate_ = new QDateEdit(QDate::currentDate());
  periodDate_->setObjectName("logbookDate");
  periodDate_->setDisplayFormat(
      tr("MMMM yyyy", "the date format of a month: Korean writes the year first"));
  periodDate_->setCalendarPopup(true);
  periodDate_->setAccessibleName(tr("Month or year of the period"));
  periodDate_->setMinimumWidth(
      periodDate_->fontMetrics().horizontalAdvance(QStringLiteral("September 0000")) + 48);
  summary_ = new QLabel;
  summary_->setObjectName("logbookSummary");
  QPushButton* print = Button("printLogbook", tr("Pr&int..."), &LogbookPage::OnPrint);
  print->setShortcut(QKeySequence::Print);
  print->setToolTip(tr("Print the trips of the period, a page a month (Ctrl+P)"));
  layout->addWidget(LabelFor(tr("Peri&od:"), periodKind_));
  layout->addWidget(periodKind_);
  layout->addWidget(periodDate_);
  layout->addWidget(summary_, 1);
  layout->addWidget(Button("exportLogbookCsv", tr("Export &CSV..."), &LogbookPage::OnExportCsv));
  layout->addWidget(Button("exportLogbookPdf", tr("Export P&DF..."), &LogbookPage::OnExportPdf));
  layout->addWidget(print);
  connect(periodKind_, &QComboBox::currentIndexChanged, this, &LogbookPage::OnPeriodChosen);
  connect(periodDate_, &QDateEdit::dateChanged, this, &LogbookPage::ShowPeriod);
  return row;
}

QWidget* LogbookPage::MakeTripList() {
  tripList_ = new QTableView;
  tripList_->setObjectName("tripList");
  tripList_->setAccessibleName(tr("Trips"));
  tripList_->setModel(&trips_);
  tripList_->setItemDelegateForColumn(TripTableModel::Purpose, new PurposeDelegate(tripList_));
  tripList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tripList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tripList_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::SelectedClicked);
  // Arrows move within the list; Tab leaves it.
  tripList_->setTabKeyNavigation(false);
  tripList_->verticalHeader()->hide();
  tripList_->verticalHeader()->setDefaultSectionSize(tripList_->fontMetrics().height() + 6);
  tripList_->installEventFilter(this);
  QHeaderView* header = tripList_->horizontalHeader();
  const QFontMetrics metrics = tripList_->fontMetrics();
  const auto widthOf = [&](const QString& sample) {
    return metrics.horizontalAdvance(sample) + 16;
  };
  // The widest texts the columns show, in the window's language.
  const std::pair<int, QString> samples[] = {
      {TripTableModel::Date, QStringLiteral("0000-00-00")},
      {TripTableModel::Start, QStringLiteral("00:00")},
      {TripTableModel::End, QStringLiteral("00:00")},
      {TripTableModel::From, QStringLiteral("-00.0000, -000.0000")},
      {TripTableModel::To, QStringLiteral("-00.0000, -000.0000")},
      {TripTableModel::Km, QStringLiteral("00000.00")},
      {TripTableModel::Track, QCoreApplication::translate("TripTableModel", "deleted")},
      {TripTableModel::Purpose, PurposeName(logbook::Purpose::Business) + QLatin1Char('?')},
      {TripTableModel::Note, QStringLiteral("A note of some words")},
      {TripTableModel::OdometerStart, QStringLiteral("000000.0")},
      {TripTableModel::OdometerEnd, QStringLiteral("000000.0")},
      {TripTableModel::Changed, QStringLiteral("0000-00-00")}};
  for (const auto& [column, sample] : samples) {
    header->resizeSection(column, std::max(widthOf(sample), header->sectionSizeHint(column)));
  }
  // The Purpose column holds its drop-down whole while it is open.
  QComboBox purposes;
  for (const logbook::Purpose purpose : logbook::kPurposes) purposes.addItem(PurposeName(purpose));
  header->resizeSection(
      TripTableModel::Purpose,
      std::max(header->sectionSize(TripTableModel::Purpose), purposes.sizeHint().width()));
  header->setSectionResizeMode(TripTableModel::Note, QHeaderView::Stretch);
  connect(tripList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &LogbookPage::OnSelectionChanged);
  return tripList_;
}

// What the selected trips get: a purpose by its button, the offered one, and a note.
QWidget* LogbookPage::MakeEditRow() {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(tr("Selected trips:")));
  const std::pair<const char*, QString> buttons[] = {{"purposeBusiness", tr("&Business")},
                                                     {"purposePrivate", tr("&Private")},
                                                     {"purposeCommute", tr("Co&mmute")},
                                                     {"purposeNone", tr("&None")}};
  const logbook::Purpose purposes[] = {logbook::Purpose::Business, logbook::Purpose::Private,
                                       logbook::Purpose::Commute, logbook::Purpose::None};
  for (size_t i = 0; i < std::size(buttons); ++i) {
    auto* button = new QPushButton(buttons[i].second);
    button->setObjectName(buttons[i].first);
    button->setAutoDefault(false);
    const logbook::Purpose purpose = purposes[i];
    connect(button, &QPushButton::clicked, this,
            [this, purpose] { SetPurposeOfSelected(purpose); });
    layout->addWidget(button);
  }
  QPushButton* accept = Button("acceptOffered", tr("&Accept offered"), &LogbookPage::AcceptOffered);
  accept->setToolTip(tr("Set the purpose offered (shown as \"business?\") for the selected trips"));
  layout->addWidget(accept);
  note_ = new QLineEdit;
  note_->setObjectName("tripNote");
  note_->setPlaceholderText(tr("The customer, the reason of the trip"));
  note_->setClearButtonEnabled(true);
  connect(note_, &QLineEdit::editingFinished, this, &LogbookPage::OnNoteEdited);
  connect(note_, &QLineEdit::returnPressed, this, [this] { tripList_->setFocus(); });
  layout->addWidget(LabelFor(tr("No&te:"), note_));
  layout->addWidget(note_, 1);
  return row;
}

// A line a purpose: its km and its number of trips, wide enough for a year's figures.
QWidget* LogbookPage::MakeTotals() {
  auto* group = new QGroupBox(tr("Totals of the period"));
  auto* grid = new QGridLayout(group);
  struct Total {
    std::optional<logbook::Purpose> purpose;  // nothing: every trip
    const char* name;                         // of the km's label; the count's ends in "Trips"
    QString caption;
  };
  const Total rows[] = {{logbook::Purpose::Business, "totalBusiness", tr("Business")},
                        {logbook::Purpose::Private, "totalPrivate", tr("Private")},
                        {logbook::Purpose::Commute, "totalCommute", tr("Commute")},
                        {logbook::Purpose::None, "totalNone", tr("No purpose yet")},
                        {std::nullopt, "totalAll", tr("All trips")}};
  totalsUnit_ = new QLabel(tr("km"));
  grid->addWidget(totalsUnit_, 0, 1, Qt::AlignRight);
  grid->addWidget(new QLabel(tr("trips")), 0, 2, Qt::AlignRight);
  const int kmWidth = fontMetrics().horizontalAdvance(QStringLiteral("000000.00")) + 4;
  int line = 1;
  for (const auto& [purpose, name, caption] : rows) {
    auto* label = new QLabel(caption);
    auto* km = new QLabel;
    km->setObjectName(name);
    km->setAccessibleName(tr("%1, km").arg(caption));
    km->setMinimumWidth(kmWidth);
    auto* trips = new QLabel;
    trips->setObjectName(QString::fromLatin1(name) + QStringLiteral("Trips"));
    trips->setAccessibleName(tr("%1, trips").arg(caption));
    for (QLabel* figure : {km, trips}) figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!purpose) {
      QFont bold = label->font();
      bold.setBold(true);
      for (QLabel* shown : {label, km, trips}) shown->setFont(bold);
    }
    grid->addWidget(label, line, 0);
    grid->addWidget(km, line, 1);
    grid->addWidget(trips, line, 2);
    totals_[purpose] = {km, trips};
    ++line;
  }
  grid->setRowStretch(line, 1);
  return group;
}

QWidget* LogbookPage::MakeOdometer() {
  auto* group = new QGroupBox(tr("Odometer"));
  odometerDate_ = new QDateEdit(QDate::currentDate());
  odometerDate_->setObjectName("odometerDate");
  odometerDate_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  odometerDate_->setCalendarPopup(true);
  odometerKm_ = new QDoubleSpinBox;
  odometerKm_->setObjectName("odometerKm");
  odometerKm_->setRange(0, 9999999.9);
  odometerKm_->setDecimals(1);
  odometerKm_->setSuffix(tr(" km"));
  odometerKm_->setGroupSeparatorShown(false);
  auto* form = new QFormLayout(group);
  form->addRow(LabelFor(tr("Da&y:"), odometerDate_), odometerDate_);
  form->addRow(LabelFor(tr("Readin&g:"), odometerKm_), odometerKm_);
  QPushButton* enter = Button("enterReading", tr("&Enter reading"), &LogbookPage::OnEnterReading);
  enter->setToolTip(tr("The odometer at the start of the day, before its first trip"));
  form->addRow(enter);
  return group;
}

QWidget* LogbookPage::MakePlaces() {
  auto* group = new QGroupBox(tr("Places"));
  placeList_ = new QTableWidget(0, 3);
  placeList_->setObjectName("placeList");
  placeList_->setAccessibleName(tr("Places"));
  placeList_->setHorizontalHeaderLabels({tr("Name"), tr("Position"), tr("Radius (m)")});
  placeList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  placeList_->setSelectionMode(QAbstractItemView::SingleSelection);
  placeList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  placeList_->setTabKeyNavigation(false);
  placeList_->verticalHeader()->hide();
  placeList_->verticalHeader()->setDefaultSectionSize(placeList_->fontMetrics().height() + 6);
  placeList_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  placeList_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  // A few places show at once; the trips above take the page's height.
  placeList_->setMaximumHeight(placeList_->verticalHeader()->defaultSectionSize() * 5 +
                               placeList_->horizontalHeader()->sizeHint().height() + 4);
  // Enter and a double-click change the place.
  connect(placeList_, &QTableWidget::activated, this, &LogbookPage::OnEditPlace);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(Button("addPlace", tr("Add p&lace..."), &LogbookPage::OnAddPlace));
  buttons->addWidget(Button("editPlace", tr("Rename or mo&ve..."), &LogbookPage::OnEditPlace));
  buttons->addWidget(Button("removePlace", tr("&Remove place"), &LogbookPage::OnRemovePlace));
  buttons->addStretch();
  auto* layout = new QHBoxLayout(group);
  layout->addWidget(placeList_, 1);
  layout->addLayout(buttons);
  return group;
}

void LogbookPage::SetTabOrderOfControls() {
  const auto named = [this](const char* objectName) {
    return findChild<QWidget*>(QString::fromUtf8(objectName));
  };
  SetTabOrder({periodKind_, periodDate_, named("exportLogbookCsv"), named("exportLogbookPdf"),
               named("printLogbook"), tripList_, named("purposeBusiness"), named("purposePrivate"),
               named("purposeCommute"), named("purposeNone"), named("acceptOffered"), note_,
               odometerDate_, odometerKm_, named("enterReading"), placeList_, named("addPlace"),
               named("editPlace"), named("removePlace")});
}

LogbookPage::LogbookPage(IPageOwner& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
  setObjectName("logbookPage");
  trips_.SetEditors(
      [this](int row, logbook::Purpose purpose) { SetPurpose(RowsWith(row), purpose); },
      [this](int row, const QString& note) { SetNote(RowsWith(row), note); });
  trouble_ = new QLabel;
  trouble_->setObjectName("logbookTrouble");
  trouble_->setWordWrap(true);
  trouble_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  trouble_->hide();
  body_ = new QWidget;
  auto* body = new QVBoxLayout(body_);
  body->setContentsMargins(0, 0, 0, 0);
  body->addWidget(MakePeriodRow());
  body->addWidget(MakeTripList(), 1);
  body->addWidget(MakeEditRow());
  auto* keys = new QLabel(
      tr("In the list: B, P, C or N sets the purpose of the selected trips, A takes the one "
         "offered, Enter goes to their note, F2 edits the cell, H lists the trip's changes (or "
         "point at its date under \"Changed\")."));
  keys->setWordWrap(true);
  keys->setEnabled(false);  // a hint, drawn quieter than the controls
  body->addWidget(keys);
  auto* foot = new QHBoxLayout;
  foot->setAlignment(Qt::AlignTop);
  foot->addWidget(MakeTotals());
  foot->addWidget(MakeOdometer());
  foot->addWidget(MakePlaces(), 1);
  body->addLayout(foot);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(trouble_);
  layout->addWidget(body_, 1);
  SetTabOrderOfControls();
  UnitsChanged();
  OnPeriodChosen();
}

}  // namespace tavrin::gui
