// SPDX-License-Identifier: GPL-3.0-or-later
// What the Photos dialog does: the fields read into the options, the photos read and matched or
// written on another thread, and the matches put on the map.
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QWebEngineView>
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>

#include "export/export_writer.h"
#include "export/exportable_points.h"
#include "gui/records/photos_dialog.h"
#include "map/map_line.h"
#include "photos/photo_thumbnail.h"
#include "photos/photo_time.h"
#include "store/track_store.h"

namespace tavrin::gui {
namespace {

using photos::PhotoItem;
using photos::PhotoState;

// A thumbnail of the photo for its marker, as a data URL: the one the camera keeps in the photo,
// else the photo made small (Qt reads a JPEG at an eighth of its size without decoding it
// whole); empty when neither can be had (most raw files).
QString Thumbnail(const std::string& path) {
  const std::string embedded = photos::EmbeddedThumbnail(path);
  if (!embedded.empty()) {
    return QStringLiteral("data:image/jpeg;base64,") +
           QString::fromLatin1(QByteArray::fromStdString(embedded).toBase64());
  }
  QImageReader reader(QString::fromStdString(path));
  reader.setAutoTransform(true);
  const QSize full = reader.size();
  if (full.isValid()) reader.setScaledSize(full.scaled(88, 88, Qt::KeepAspectRatioByExpanding));
  const QImage image = reader.read();
  if (image.isNull()) return {};
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", 80);
  return QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(bytes.toBase64());
}

// "+00:01:30": the seconds a clock offset field shows, whole seconds.
QString OffsetText(double seconds) {
  const long long whole = std::llround(std::abs(seconds));
  return QStringLiteral("%1%2:%3:%4")
      .arg(seconds < 0 ? '-' : '+')
      .arg(whole / 3600, 2, 10, QChar('0'))
      .arg(whole / 60 % 60, 2, 10, QChar('0'))
      .arg(whole % 60, 2, 10, QChar('0'));
}

// The instant a listed date-time stands for: a listing shows the store's zone, not UTC.
double UtcSecondsOf(const DateTime6& shown, const LocalZone& zone) {
  return static_cast<double>(photos::LocalToUtcSeconds(
      photos::CivilSeconds(2000 + shown[0], shown[1], shown[2], shown[3], shown[4], shown[5]),
      zone));
}

// Whether one of the UTC times lies within the track's points, give or take the gap. The points
// hold UTC, as the header the store makes from the first and the last of them.
bool HoldsATime(const PointVector& points, const std::vector<double>& times, double gap) {
  if (points.empty()) return false;
  const auto first = ToCalendarSeconds(points.front().GetDateTime());
  const auto last = ToCalendarSeconds(points.back().GetDateTime());
  return first && last && std::any_of(times.begin(), times.end(), [&](double time) {
           return static_cast<double>(*first) - gap <= time &&
                  time <= static_cast<double>(*last) + gap;
         });
}

}  // namespace

void PhotosDialog::Tell(const QString& text, MsgIcon icon) {
  owner_.ShowMessage(text.toStdString(), icon, MsgButtons::Ok);
}

std::optional<photos::GeotagOptions> PhotosDialog::OptionsFromFields() {
  photos::GeotagOptions options;
  const std::string zoneText = zone_->currentText().trimmed().toStdString();
  const auto zone = photos::ParseCameraZone(zoneText);
  if (!zone) {
    Tell(tr("Camera zone: \"%1\" is no time zone. Give a zone such as Europe/Berlin, or an "
            "offset such as +02:00.")
             .arg(QString::fromStdString(zoneText)));
    zone_->setFocus();
    return std::nullopt;
  }
  options.cameraZone = *zone;
  std::string why;
  const auto offset = photos::ParseClockOffset(offset_->text().trimmed().toStdString(), why);
  if (!offset) {
    Tell(tr("Clock offset: %1. Give it as +HH:MM:SS, for example +00:01:30 for a camera 90 "
            "seconds slow.")
             .arg(QString::fromStdString(why)));
    offset_->setFocus();
    return std::nullopt;
  }
  options.clockOffsetSeconds = *offset;
  options.maxGapSeconds = maxGap_->value();
  options.overwrite = overwrite_->isChecked();
  options.sidecar = sidecar_->isChecked();
  return options;
}

void PhotosDialog::FindPositions() {
  if (Busy()) return;
  const QString folder = folder_->text().trimmed();
  if (folder.isEmpty()) {
    Tell(tr("Choose the folder of the photos first: type it under Photo folder, or press Choose."),
         MsgIcon::Information);
    folder_->setFocus();
    return;
  }
  if (!QFileInfo(folder).isDir()) {
    Tell(tr("The folder %1 cannot be found. Check its name, or press Choose to pick it.")
             .arg(folder));
    folder_->setFocus();
    return;
  }
  const auto options = OptionsFromFields();
  if (!options) return;
  storedTracks_ = owner_.Store().Catalogue().ListTracks(nullptr, false).tracks;
  auto timeline = photos::LoadStoredTimeline(owner_.Store(), storedTracks_);
  if (!timeline) {
    Tell(
        tr("No stored track has a point with a position, so no photo can be placed. Read the "
           "logger's tracks first, or choose the data folder that holds them in Software "
           "Options."));
    return;
  }
  const photos::FoundPhotos found =
      photos::FindPhotos({folder.toStdString()}, subfolders_->isChecked());
  photos_.SetItems({});
  thumbnails_.clear();
  if (found.files.empty()) {
    const QString shown = QDir::toNativeSeparators(folder);
    summary_->setText(subfolders_->isChecked()
                          ? tr("No photos (JPEG, raw, HEIF or TIFF files) in %1.").arg(shown)
                          : tr("No photos (JPEG, raw, HEIF or TIFF files) in %1 (tick Subfolders "
                               "too to look deeper).")
                                .arg(shown));
    ShowBusy(false, {});
    return;
  }
  timeline_ = std::make_shared<const photos::TrackTimeline>(std::move(*timeline));
  stale_ = false;
  usedOptions_ = *options;
  PlanOnOtherThread(found.files, *options);
}

void PhotosDialog::PlanOnOtherThread(std::vector<std::string> files,
                                     photos::GeotagOptions options) {
  stop_ = false;
  writing_ = false;
  ShowBusy(true, tr("Reading %1 photos...").arg(files.size()));
  std::shared_ptr<const photos::TrackTimeline> timeline = timeline_;
  work_ = std::async(std::launch::async, [this, files = std::move(files), options, timeline] {
    WorkResult result;
    for (size_t k = 0; k < files.size(); ++k) {
      if (stop_) {
        result.stopped = true;
        break;
      }
      result.items.push_back(photos::PlanPhoto(files[k], *timeline, options));
      result.thumbnails.push_back(result.items.back().position ? Thumbnail(files[k]) : QString());
      QMetaObject::invokeMethod(
          this, [this, done = k + 1, total = files.size()] { Progress(done, total); },
          Qt::QueuedConnection);
    }
    QMetaObject::invokeMethod(
        this, [this] { WorkDone(); }, Qt::QueuedConnection);
    return result;
  });
}

void PhotosDialog::WritePositions() {
  if (Busy()) return;
  const auto& items = photos_.Items();
  const auto toTag = std::count_if(items.begin(), items.end(), [](const PhotoItem& item) {
    return item.state == PhotoState::ToTag;
  });
  if (toTag == 0) {
    Tell(tr("No photo in the list is to be tagged. Press Find positions after choosing a folder."),
         MsgIcon::Information);
    return;
  }
  const QString question =
      tr("Write the positions into %n photo(s)?", nullptr, static_cast<int>(toTag)) + " " +
      (usedOptions_.sidecar ? tr("Each position goes into an XMP sidecar beside its photo.")
                            : tr("Each photo gets its position; nothing else in it changes (raw "
                                 "files get an XMP sidecar)."));
  if (owner_.ShowMessage(question.toStdString(), MsgIcon::Question, MsgButtons::YesNo) !=
      MsgAnswer::Yes) {
    return;
  }
  WriteOnOtherThread(items, usedOptions_);
}

void PhotosDialog::WriteOnOtherThread(std::vector<PhotoItem> items, photos::GeotagOptions options) {
  stop_ = false;
  writing_ = true;
  ShowBusy(true, tr("Writing positions..."));
  work_ = std::async(std::launch::async, [this, items = std::move(items), options]() mutable {
    photos::WritePhotos(
        items, options,
        [this](size_t done, size_t total) {
          QMetaObject::invokeMethod(
              this, [this, done, total] { Progress(done, total); }, Qt::QueuedConnection);
        },
        &stop_);
    WorkResult result;
    result.items = std::move(items);
    result.stopped = stop_;
    QMetaObject::invokeMethod(
        this, [this] { WorkDone(); }, Qt::QueuedConnection);
    return result;
  });
}

void PhotosDialog::Progress(size_t done, size_t total) {
  if (!Busy()) return;
  progress_->setRange(0, static_cast<int>(total));
  progress_->setValue(static_cast<int>(done));
  summary_->setText((writing_ ? tr("Writing %1 of %2 photos...") : tr("Reading %1 of %2 photos..."))
                        .arg(done)
                        .arg(total));
}

void PhotosDialog::WorkDone() {
  if (!work_.valid()) return;
  WorkResult result = work_.get();
  const bool planned = !writing_;
  photos_.SetItems(std::move(result.items));
  if (planned) thumbnails_ = std::move(result.thumbnails);
  ShowBusy(false, {});
  Summarise(result.stopped);
  if (planned) WriteMapPage();
  FitColumns();
}

void PhotosDialog::MarkStale() {
  if (Busy() || photos_.Items().empty() || stale_) return;
  stale_ = true;
  ShowBusy(false, {});
  summary_->setText(
      tr("The fields changed: press Find positions to match the photos again before writing."));
}

void PhotosDialog::StopWork() {
  stop_ = true;
  if (work_.valid()) {
    work_.wait();
    WorkDone();
  }
}

void PhotosDialog::Summarise(bool stopped) {
  const photos::PhotoCounts counts = photos::CountPhotos(photos_.Items());
  const size_t toTag = counts.toTag, tagged = counts.tagged, outOfRange = counts.outOfRange,
               alreadyTagged = counts.alreadyTagged, failed = counts.failed;
  const auto number = [](size_t count) { return QString::number(count); };
  QString text;
  if (!writing_) {
    text = tr("To tag: %1, out of range: %2, already tagged: %3, failed: %4.")
               .arg(number(toTag), number(outOfRange), number(alreadyTagged), number(failed));
  } else if (toTag > 0) {
    text = tr("Tagged: %1, not written: %2, out of range: %3, already tagged: %4, failed: %5.")
               .arg(number(tagged), number(toTag), number(outOfRange), number(alreadyTagged),
                    number(failed));
  } else {
    text = tr("Tagged: %1, out of range: %2, already tagged: %3, failed: %4.")
               .arg(number(tagged), number(outOfRange), number(alreadyTagged), number(failed));
  }
  if (stopped) text = tr("Stopped. %1").arg(text);
  summary_->setText(text);
  owner_.SetStatusText(summary_->text().toStdString());
}

// The tracks that hold the matched photos, in time order, each to be drawn as a line of its own:
// the map must not join one track's end to the next one's start across the gap between them.
PhotosDialog::TracksNearPhotos PhotosDialog::TrackPointsNearPhotos() {
  std::vector<double> times;
  for (const PhotoItem& item : photos_.Items()) {
    if (item.position && item.utcSeconds) times.push_back(*item.utcSeconds);
  }
  TracksNearPhotos near;
  if (times.empty()) return near;
  TrackStore& store = owner_.Store();
  const double gap = usedOptions_.maxGapSeconds;
  // A date-time in the hour repeated when summer time ends stands for two instants, up to two
  // hours apart (Antarctica/Troll): the listing only says which tracks to read, the points
  // read say which hold a photo.
  const double doubt = 2 * 3600.0;
  PointVector points;
  for (const TrackEntry& entry : storedTracks_) {
    const double first = UtcSecondsOf(entry.header.firstDateTime, store.Zone()) - doubt - gap;
    const double last = UtcSecondsOf(entry.header.lastDateTime, store.Zone()) + doubt + gap;
    const bool mayHoldOne =
        std::any_of(times.begin(), times.end(), [&](double t) { return first <= t && t <= last; });
    points.clear();
    if (mayHoldOne && store.Files().ReadTrackPoints(entry, points) &&
        HoldsATime(points, times, gap)) {
      const std::size_t start = near.points.size();
      std::copy_if(points.begin(), points.end(), std::back_inserter(near.points), IsExportable);
      if (start > 0 && near.points.size() > start) near.starts.push_back(start);
    }
  }
  return near;
}

void PhotosDialog::WriteMapPage() {
  ExportOptions options;
  options.zone = owner_.Store().Zone();
  ExportWriter writer(
      [this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
        return owner_.ShowMessage(text, icon, buttons);
      },
      nullptr, options);
  const TracksNearPhotos tracks = TrackPointsNearPhotos();
  const std::string line = EncodeMapLine(tracks.points, tracks.starts);
  const auto page =
      writer.MakeOpenMapPage(owner_.Store().DataFolder(), tracks.points, &line, kPhotoMapPageName);
  if (!page) return;
  owner_.WindowPages().Keep(*page);
  photosOnMap_ = true;
  map_->load(QUrl::fromLocalFile(QString::fromStdString(*page)));
}

void PhotosDialog::ShowOnMap() {
  QJsonArray markers;
  const auto& items = photos_.Items();
  for (size_t k = 0; k < items.size(); ++k) {
    if (!items[k].position || !items[k].utcSeconds) continue;
    QJsonObject marker;
    marker["lat"] = items[k].position->latitude;
    marker["lon"] = items[k].position->longitude;
    marker["name"] =
        QString::fromStdString(std::filesystem::path(items[k].path).filename().string());
    marker["time"] = QString::fromStdString(photos::FormatUtc(*items[k].utcSeconds));
    marker["thumb"] = k < thumbnails_.size() ? thumbnails_[k] : QString();
    markers.append(marker);
  }
  map_->page()->runJavaScript(
      QStringLiteral("TavrinShowPhotos(%1);")
          .arg(QString::fromUtf8(QJsonDocument(markers).toJson(QJsonDocument::Compact))));
}

void PhotosDialog::OffsetFromClockPhoto() {
  if (Busy()) return;
  const QModelIndexList rows = list_->selectionModel()->selectedRows();
  if (rows.isEmpty()) {
    Tell(tr("Choose the photo of a clock in the list first, then press From a clock photo and "
            "give the time the clock showed."),
         MsgIcon::Information);
    return;
  }
  const std::string path = photos_.Items()[static_cast<size_t>(rows.front().row())].path;
  const std::string zoneText = zone_->currentText().trimmed().toStdString();
  const auto zone = photos::ParseCameraZone(zoneText);
  if (!zone) {
    Tell(tr("Camera zone: \"%1\" is no time zone. Give a zone such as Europe/Berlin, or an "
            "offset such as +02:00.")
             .arg(QString::fromStdString(zoneText)));
    return;
  }
  QInputDialog ask(this);
  ask.setObjectName("clockTimeDialog");
  ask.setWindowTitle(tr("Clock photo"));
  ask.setLabelText(
      tr("The time the clock in %1 showed, YYYY-MM-DD hh:mm:ss in the camera's zone (or ending "
         "in Z for UTC):")
          .arg(QString::fromStdString(std::filesystem::path(path).filename().string())));
  if (owner_.RunDialog(ask) != QDialog::Accepted) return;
  std::string why;
  const auto trueTime = photos::ParseTrueTime(ask.textValue().trimmed().toStdString(),
                                              photos::ClockPhotoZone(path, *zone), why);
  if (!trueTime) {
    Tell(tr("The clock's time: %1. Give it as YYYY-MM-DD hh:mm:ss, for example 2024-05-01 "
            "10:30:05.")
             .arg(QString::fromStdString(why)));
    return;
  }
  const auto offset = photos::ClockOffsetFromPhoto(path, *trueTime, *zone);
  if (!offset) {
    Tell(QString::fromStdString(offset.Error().reason + "."));
    return;
  }
  offset_->setText(OffsetText(*offset));
  FindPositions();
}

}  // namespace tavrin::gui
