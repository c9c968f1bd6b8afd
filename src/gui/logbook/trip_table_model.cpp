// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/logbook/trip_table_model.h"

#include <QCoreApplication>
#include <QFont>
#include <QPalette>
#include <cstdio>

#include "logbook/logbook_texts.h"
#include "store/track_catalogue.h"

namespace tavrin::gui {
namespace {

QString OdometerText(const std::optional<double>& km, Units units) {
  return km ? QString::number(ShownDistance(*km, units), 'f', 1) : QString();
}

// The note as a tip: its own characters, never read as rich text ("<b>" stays "<b>"), and its
// first few lines only, as a tip of a whole page would cover the list it explains.
QString NoteTip(const QString& note) {
  constexpr qsizetype kLineLength = 80;
  constexpr qsizetype kMostLines = 4;
  QStringList lines;
  QString line;
  bool cut = false;
  for (const QString& word : note.simplified().split(QLatin1Char(' '))) {
    if (!line.isEmpty() && line.size() + 1 + word.size() > kLineLength) {
      lines << line;
      line.clear();
    }
    if (lines.size() == kMostLines) {
      cut = true;
      break;
    }
    line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
  }
  if (!cut && !line.isEmpty()) lines << line;
  for (QString& shown : lines) {
    if (shown.size() > kLineLength) shown = shown.left(kLineLength - 1) + QChar(0x2026);
  }
  if (cut) lines.back() += QChar(0x2026);
  // A tip that looks like rich text is shown as such: this one is written as escaped HTML.
  return QStringLiteral("<p style='white-space:pre'>%1</p>")
      .arg(lines.join(QLatin1Char('\n'))
               .toHtmlEscaped()
               .replace(QLatin1Char('\n'), QStringLiteral("<br>")));
}

}  // namespace

QString PurposeName(logbook::Purpose purpose) {
  switch (purpose) {
    case logbook::Purpose::Business:
      return QCoreApplication::translate("TripTableModel", "business");
    case logbook::Purpose::Private:
      return QCoreApplication::translate("TripTableModel", "private");
    case logbook::Purpose::Commute:
      return QCoreApplication::translate("TripTableModel", "commute");
    case logbook::Purpose::None:
      break;
  }
  return {};
}

QString KmText(double km, Units units) {
  // As printf rounds it, which is how the track lists round their distances.
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", ShownDistance(km, units));
  return QString::fromLatin1(text);
}

TripTableModel::TripTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TripTableModel::SetUnits(Units units) {
  if (units == units_) return;
  units_ = units;
  emit headerDataChanged(Qt::Horizontal, Km, Km);
  if (!trips_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

void TripTableModel::SetEditors(PurposeChosen purposeChosen, NoteWritten noteWritten) {
  purposeChosen_ = std::move(purposeChosen);
  noteWritten_ = std::move(noteWritten);
}

void TripTableModel::SetTrips(std::vector<logbook::TripRow> trips,
                              std::map<std::string, QString> histories, const LocalZone& zone) {
  beginResetModel();
  trips_ = std::move(trips);
  histories_ = std::move(histories);
  zone_ = zone;
  endResetModel();
}

int TripTableModel::RowOfTrack(const std::string& track) const {
  for (size_t row = 0; row < trips_.size(); ++row) {
    if (trips_[row].track == track) return static_cast<int>(row);
  }
  return -1;
}

int TripTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(trips_.size());
}

int TripTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ColumnCount;
}

QString TripTableModel::Text(const logbook::TripRow& trip, int column) const {
  switch (column) {
    case Date:
      return QString::fromStdString(logbook::DateText(trip.date));
    case Start:
      return QString::fromStdString(trip.start);
    case End:
      return QString::fromStdString(trip.end);
    case From:
      return QString::fromStdString(trip.from);
    case To:
      return QString::fromStdString(trip.to);
    case Km:
      // A deleted or missing track's trip counts with the kilometres its entry kept, where it
      // kept them.
      return trip.kmKnown ? KmText(trip.km, units_) : QString();
    case Track:
      if (trip.trackMissing) return tr("missing");
      return trip.trackDeleted ? tr("deleted") : QString();
    case Purpose:
      if (trip.purpose == logbook::Purpose::None && trip.suggested) {
        return PurposeName(*trip.suggested) + QLatin1Char('?');  // offered, not set
      }
      return PurposeName(trip.purpose);
    case Note:
      return QString::fromStdString(trip.note);
    case OdometerStart:
      return OdometerText(trip.odometerStart, units_);
    case OdometerEnd:
      return OdometerText(trip.odometerEnd, units_);
    case Changed:
      return trip.changedUtc == 0
                 ? QString()
                 : QString::fromStdString(logbook::DateText(LocalDayOf(trip.changedUtc, zone_)));
    default:
      return {};
  }
}

QVariant TripTableModel::ToolTip(const logbook::TripRow& trip, int column) const {
  if (column == Changed) {
    const auto history = histories_.find(trip.track);
    if (history != histories_.end())
      return tr("Changes of this trip (UTC):\n%1").arg(history->second);
    return {};
  }
  // A long note is cut in its column; the tip shows its start.
  if (column == Note && !trip.note.empty()) return NoteTip(QString::fromStdString(trip.note));
  if (trip.trackDeleted) {
    return tr(
        "The track file of this trip was deleted; its purpose, note and changes stay in "
        "the logbook.");
  }
  if (trip.trackMissing) {
    return tr(
        "The track file of this trip is missing from the data folder (moved or removed outside "
        "Tavrin Lite); its purpose, note and changes stay in the logbook, and it still counts.");
  }
  if (column == Purpose && trip.purpose == logbook::Purpose::None && trip.suggested) {
    return tr("Offered: the last trip between %1 and %2 was %3. Press A, \"Accept offered\" or "
              "choose it in the drop-down to set it.")
        .arg(QString::fromStdString(trip.from), QString::fromStdString(trip.to),
             PurposeName(*trip.suggested));
  }
  return {};
}

QVariant TripTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const logbook::TripRow& trip = Trip(index.row());
  const int column = index.column();
  const bool offered =
      column == Purpose && trip.purpose == logbook::Purpose::None && trip.suggested.has_value();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      return Text(trip, column);
    case Qt::EditRole:
      return column == Note ? QVariant(QString::fromStdString(trip.note)) : QVariant();
    case Qt::ToolTipRole:
      return ToolTip(trip, column);
    case Qt::TextAlignmentRole: {
      const bool number = column == Km || column == OdometerStart || column == OdometerEnd;
      return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    case Qt::FontRole:
      if (offered) {
        QFont font;
        font.setItalic(true);
        return font;
      }
      return {};
    case Qt::ForegroundRole:
      if (offered ||
          ((trip.trackDeleted || trip.trackMissing) && (column == Km || column == Track))) {
        return QPalette().brush(QPalette::Disabled, QPalette::Text);
      }
      return {};
    case kPurposeRole:
      return static_cast<int>(trip.purpose);
    case kOfferedRole:
      return trip.suggested ? QVariant(static_cast<int>(*trip.suggested)) : QVariant();
    default:
      return {};
  }
}

QVariant TripTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[ColumnCount] = {
      QT_TRANSLATE_NOOP("TripTableModel", "Date"),
      QT_TRANSLATE_NOOP("TripTableModel", "Start"),
      QT_TRANSLATE_NOOP("TripTableModel", "End"),
      QT_TRANSLATE_NOOP("TripTableModel", "From"),
      QT_TRANSLATE_NOOP("TripTableModel", "To"),
      QT_TRANSLATE_NOOP("TripTableModel", "km"),  // "mi" in miles
      QT_TRANSLATE_NOOP("TripTableModel", "Track"),
      QT_TRANSLATE_NOOP("TripTableModel", "Purpose"),
      QT_TRANSLATE_NOOP("TripTableModel", "Note"),
      QT_TRANSLATE_NOOP("TripTableModel", "Odometer start"),
      QT_TRANSLATE_NOOP("TripTableModel", "Odometer end"),
      QT_TRANSLATE_NOOP("TripTableModel", "Changed")};
  if (section == Km && units_ == Units::Imperial) return tr("mi");
  return section >= 0 && section < ColumnCount
             ? QCoreApplication::translate("TripTableModel", kTitles[section])
             : QVariant();
}

Qt::ItemFlags TripTableModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.column() == Purpose || index.column() == Note) flags |= Qt::ItemIsEditable;
  return flags;
}

// Nothing is changed here: the page stores what was chosen and shows the trips again.
bool TripTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || index.row() >= rowCount()) return false;
  if (index.column() == Purpose && purposeChosen_) {
    purposeChosen_(index.row(), static_cast<logbook::Purpose>(value.toInt()));
    return true;
  }
  if (index.column() == Note && noteWritten_) {
    noteWritten_(index.row(), value.toString());
    return true;
  }
  return false;
}

}  // namespace tavrin::gui
