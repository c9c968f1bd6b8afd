// SPDX-License-Identifier: GPL-3.0-or-later
// The Photos dialog as a user meets it: opened from the Track Record page over a stored track,
// a folder of real JPEGs (ImageMagick draws them, exiv2 sets the capture time) matched, shown in
// the list and as thumbnails on the map, and their positions written and read back by exiftool.
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTextLayout>
#include <QWebEngineView>
#include <cmath>
#include <fstream>
#include <sstream>

#include "../support/photo_samples.h"
#include "export_test_support.h"
#include "gui/records/photos_dialog.h"
#include "gui/records/track_record_page.h"
#include "photos/photo_time.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

// The stored track: 2024-05-01 10:00:00 to 10:05:00 UTC, a point every 5 s, moving north-east.
constexpr int kPoints = 61;

TrackPoint PointAt(int index) {
  return MakePoint(DateTime{24, 5, 1, 10, index * 5 / 60, index * 5 % 60}, kFix3D,
                   37.5f + 0.0001f * static_cast<float>(index),
                   127.0f + 0.0002f * static_cast<float>(index), 36, 90);
}

// Where a photo `seconds` after the track's start stands, from the stored floats.
std::pair<double, double> ExpectedAt(double seconds) {
  const int index = static_cast<int>(seconds / 5);
  const double share = (seconds - index * 5) / 5;
  const TrackPoint a = PointAt(index), b = PointAt(index + 1);
  return {a.latitude + share * (static_cast<double>(b.latitude) - a.latitude),
          a.longitude + share * (static_cast<double>(b.longitude) - a.longitude)};
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The position exiftool reads from the photo, or nothing.
std::optional<std::pair<double, double>> ExiftoolPosition(const std::filesystem::path& path) {
  const auto run = RunTool("exiftool -n -s3 -GPSLatitude -GPSLongitude " + Quote(path.string()));
  std::istringstream lines(run.output);
  double latitude = 0, longitude = 0;
  if (run.exitCode != 0 || !(lines >> latitude >> longitude)) return std::nullopt;
  return std::pair{latitude, longitude};
}

// The height `text` takes in `width` pixels, wrapped as a list's item is: at word boundaries, and
// anywhere in a word longer than the line.
int WrappedHeight(const QFont& font, const QString& text, int width) {
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  qreal height = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    height += line.height();
  }
  layout.endLayout();
  return static_cast<int>(std::ceil(height));
}

class PhotosDialogTest : public WindowTest {
 protected:
  PhotosDialogTest() {
    std::vector<TrackPoint> points;
    for (int i = 0; i < kPoints; ++i) points.push_back(PointAt(i));
    std::filesystem::create_directories(dir / "DataLog");
    WriteTrackFile(dir / "DataLog/20240501_100000.bt0",
                   Header(points[0], kPoints, kPoints * 5 - 5, 0), points);
    std::filesystem::create_directories(photos);
    gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  }

  std::filesystem::path Photo(const std::string& name, const std::string& utcTime) {
    const std::filesystem::path path = photos / name;
    EXPECT_TRUE(MakePhoto(path.string(), CaptureTime{utcTime, "", "+00:00"}))
        << "ImageMagick's convert could not draw " << path << " (Debian package imagemagick)";
    return path;
  }

  // Opens the dialog from the page and runs `use` on it while it is shown.
  void WithDialog(const std::function<void(gui::PhotosDialog&)>& use) {
    bool used = false;
    gui.fillDialog = [&](QDialog& dialog) {
      if (auto* photosDialog = qobject_cast<gui::PhotosDialog*>(&dialog)) {
        photosDialog->show();
        use(*photosDialog);
        used = true;
        return static_cast<int>(QDialog::Accepted);
      }
      return clockDialog ? clockDialog(dialog) : static_cast<int>(QDialog::Rejected);
    };
    ASSERT_TRUE(gui.Press("photosButton"));
    EXPECT_TRUE(used);
  }

  static void FindIn(gui::PhotosDialog& dialog, const std::filesystem::path& folder) {
    dialog.findChild<QLineEdit*>("photoFolder")->setText(QString::fromStdString(folder.string()));
    dialog.FindPositions();
    ASSERT_TRUE(GuiDriver::WaitFor([&] { return !dialog.Busy(); }));
  }

  static QString Result(gui::PhotosDialog& dialog, const std::string& name) {
    for (const photos::PhotoItem& item : dialog.PhotoList().Items()) {
      if (std::filesystem::path(item.path).filename() == name) {
        return gui::PhotoListModel::ResultText(item);
      }
    }
    return QStringLiteral("<no row for %1>").arg(QString::fromStdString(name));
  }

  const std::filesystem::path photos = dir.Path() / "photos";
  std::function<int(QDialog&)> clockDialog;
};

TEST_F(PhotosDialogTest, MatchesShowOnTheMapAndArePutIntoThePhotosThatWereToBeTagged) {
  const auto inTrack = Photo("in_track.jpg", "2024:05:01 10:01:02");
  const auto later = Photo("later.jpg", "2024:05:01 12:00:00");
  std::ofstream(photos / "broken.jpg") << "not a picture";
  const std::string laterBefore = FileBytes(later), brokenBefore = FileBytes(photos / "broken.jpg");
  WithDialog([&](gui::PhotosDialog& dialog) {
    FindIn(dialog, photos);
    ASSERT_EQ(dialog.PhotoList().rowCount(), 3);
    EXPECT_EQ(Result(dialog, "in_track.jpg"), "to tag");
    EXPECT_TRUE(Result(dialog, "later.jpg").startsWith("not tagged: taken"))
        << Result(dialog, "later.jpg").toStdString();
    EXPECT_TRUE(Result(dialog, "broken.jpg").contains("broken.jpg"))
        << Result(dialog, "broken.jpg").toStdString();
    EXPECT_EQ(dialog.Summary(), "To tag: 1, out of range: 1, already tagged: 0, failed: 1.");

    // The match is on the map as its thumbnail, beside the track.
    QWebEngineView* map = dialog.MapView();
    ASSERT_TRUE(GuiDriver::WaitFor(
        [&] { return GuiDriver::RunPageScript(*map, "window.tavrinPhotoMarkers").toInt() == 1; }));
    EXPECT_EQ(GuiDriver::RunPageScript(*map, "window.tavrinLinePoints").toInt(), kPoints);
    EXPECT_TRUE(
        GuiDriver::RunPageScript(*map,
                                 "document.querySelector('.tavrin-photo img').src.startsWith("
                                 "'data:image/jpeg;base64,')")
            .toBool());

    ASSERT_TRUE(dialog.findChild<QPushButton*>("writePositions")->isEnabled());
    dialog.WritePositions();
    ASSERT_TRUE(GuiDriver::WaitFor([&] { return !dialog.Busy(); }));
    EXPECT_EQ(Result(dialog, "in_track.jpg"), "tagged");
    EXPECT_EQ(dialog.Summary(), "Tagged: 1, out of range: 1, already tagged: 0, failed: 1.");
  });
  ASSERT_FALSE(gui.boxes.empty());
  EXPECT_EQ(gui.boxes.back().text.rfind("Write the positions into 1 photo(s)?", 0), 0u)
      << gui.boxes.back().text;
  if (!ReaderInstalled("exiftool", "libimage-exiftool-perl")) return;
  const auto written = ExiftoolPosition(inTrack);
  ASSERT_TRUE(written) << "exiftool reads a position from the tagged photo";
  const auto [latitude, longitude] = ExpectedAt(62);
  EXPECT_NEAR(written->first, latitude, 1e-7);
  EXPECT_NEAR(written->second, longitude, 1e-7);
  EXPECT_EQ(FileBytes(later), laterBefore) << "a photo out of range is left as it was";
  EXPECT_EQ(FileBytes(photos / "broken.jpg"), brokenBefore);
}

// In the dialog as it opens, every result reads whole: the columns stay within the list's width,
// and a long reason wraps in its own column, a file name longer than a line too, its row tall
// enough for every line.
TEST_F(PhotosDialogTest, EveryResultReadsWholeWithoutScrollingSideways) {
  Photo("in_track.jpg", "2024:05:01 10:01:02");
  Photo("taken_two_days_later_on_the_harbour_wall_at_dusk.jpg", "2024:05:03 19:00:00");
  ASSERT_TRUE(
      DrawImage((photos / "scanned_from_the_old_flatbed_without_a_capture_time.jpg").string()));
  std::ofstream(photos / "broken.jpg") << "not a picture";
  WithDialog([&](gui::PhotosDialog& dialog) {
    FindIn(dialog, photos);
    auto* list = dialog.findChild<QTableView*>("photoList");
    QApplication::processEvents();
    const int room = list->viewport()->width();
    EXPECT_LE(list->horizontalHeader()->length(), room) << "the columns need no sideways scroll";
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    ASSERT_EQ(list->model()->rowCount(), 4);
    for (int row = 0; row < 4; ++row) {
      const QModelIndex result = list->model()->index(row, gui::PhotoListModel::kResult);
      const QString text = result.data().toString();
      const QRect cell = list->visualRect(result);
      EXPECT_LE(cell.right(), room) << text.toStdString();
      EXPECT_LE(WrappedHeight(list->font(), text, cell.width() - 2 * margin), cell.height())
          << text.toStdString() << " in a cell of " << cell.width() << " x " << cell.height();
    }
  });
}

// The photos whose place is outside the map's view, or whose thumbnail is not whole in it, as
// "name: why" lines; empty when every photo shows whole.
constexpr char kPhotosNotInView[] = R"(photoMarkers.map(function(marker) {
  var view = map.getBounds(), box = map.getContainer().getBoundingClientRect();
  var thumb = marker.getElement().getBoundingClientRect();
  var name = marker.options.title + ': ';
  if (!view.contains(marker.getLatLng())) return name + 'off the map\n';
  if (thumb.left < box.left || thumb.top < box.top || thumb.right > box.right ||
      thumb.bottom > box.bottom) {
    return name + 'thumbnail cut at ' + JSON.stringify(thumb) + '\n';
  }
  return '';
}).join(''))";

// The listing shows Seoul time, nine hours ahead of the photos' UTC times, and a second day's
// track runs due north so far that, at the zoom that fits it, it leaves only 4 pixels of the
// map's height: the first view still shows that track and every photo along it whole, the
// one at its southern start too.
TEST_F(PhotosDialogTest, TheFirstViewShowsTheTrackAndEveryPhotoWholeWhateverTheZone) {
  gui.window->Store().SetTimeZoneOffset({9, 0});
  WithDialog([&](gui::PhotosDialog& dialog) {
    QWebEngineView* map = dialog.MapView();
    // Leaflet's map pixels at zoom 16, y growing southward; the track's own view keeps 48 pixels
    // above it and 16 below.
    const double world = 256.0 * 65536, pi = std::acos(-1.0);
    const double southY = world / 2 * (1 - std::log(std::tan(pi / 4 + 37.5 * pi / 360)) / pi);
    const double northY = southY - (map->height() - 48 - 16 - 4);
    const double north =
        (2 * std::atan(std::exp(pi * (1 - 2 * northY / world))) - pi / 2) * 180 / pi;
    std::vector<TrackPoint> points;
    for (int i = 0; i < kPoints; ++i) {
      points.push_back(MakePoint(DateTime{24, 5, 2, 10, i * 5 / 60, i * 5 % 60}, kFix3D,
                                 static_cast<float>(37.5 + (north - 37.5) * i / (kPoints - 1)),
                                 127.0f, 36, 0));
    }
    WriteTrackFile(dir / "DataLog/20240502_100000.bt0",
                   Header(points[0], kPoints, kPoints * 5 - 5, 0), points);
    Photo("start.jpg", "2024:05:02 10:00:00");
    Photo("middle.jpg", "2024:05:02 10:02:30");
    Photo("end.jpg", "2024:05:02 10:05:00");
    FindIn(dialog, photos);
    ASSERT_TRUE(GuiDriver::WaitFor(
        [&] { return GuiDriver::RunPageScript(*map, "window.tavrinPhotoMarkers").toInt() == 3; }));
    ASSERT_EQ(GuiDriver::RunPageScript(*map, "map.getSize().y").toInt(), map->height());
    EXPECT_EQ(GuiDriver::RunPageScript(*map, "window.tavrinLinePoints").toInt(), kPoints)
        << "the photos' track is on the map";
    EXPECT_EQ(GuiDriver::RunPageScript(*map, kPhotosNotInView).toString().toStdString(), "");
  });
}

// Two tracks of a day, half an hour apart, are two lines: nothing is drawn across the gap.
TEST_F(PhotosDialogTest, EachTrackOfTheDayIsALineOfItsOwn) {
  std::vector<TrackPoint> later;
  for (int i = 0; i < kPoints; ++i) {
    later.push_back(MakePoint(DateTime{24, 5, 1, 11, i * 5 / 60, i * 5 % 60}, kFix3D,
                              PointAt(i).latitude + 0.01f, PointAt(i).longitude, 36, 90));
  }
  WriteTrackFile(dir / "DataLog/20240501_110000.bt0", Header(later[0], kPoints, kPoints * 5 - 5, 0),
                 later);
  Photo("first.jpg", "2024:05:01 10:01:00");
  Photo("second.jpg", "2024:05:01 11:01:00");
  WithDialog([&](gui::PhotosDialog& dialog) {
    QWebEngineView* map = dialog.MapView();
    FindIn(dialog, photos);
    ASSERT_TRUE(GuiDriver::WaitFor(
        [&] { return GuiDriver::RunPageScript(*map, "window.tavrinPhotoMarkers").toInt() == 2; }));
    EXPECT_EQ(GuiDriver::RunPageScript(*map, "window.tavrinLinePoints").toInt(), 2 * kPoints);
    EXPECT_EQ(GuiDriver::RunPageScript(*map, "line.getLatLngs().length").toInt(), 2)
        << "the tracks are joined across the gap between them";
  });
}

TEST_F(PhotosDialogTest, FieldsAreCheckedAndAChangedFieldAsksForANewMatch) {
  Photo("in_track.jpg", "2024:05:01 10:01:02");
  WithDialog([&](gui::PhotosDialog& dialog) {
    auto* write = dialog.findChild<QPushButton*>("writePositions");
    EXPECT_FALSE(write->isEnabled()) << "nothing matched yet";
    dialog.FindPositions();
    EXPECT_EQ(gui.boxes.back().text.rfind("Choose the folder of the photos first", 0), 0u);
    FindIn(dialog, photos);
    EXPECT_TRUE(write->isEnabled());
    // Writing must use the fields the list shows.
    dialog.findChild<QSpinBox*>("photoMaxGap")->setValue(5);
    EXPECT_FALSE(write->isEnabled());
    EXPECT_TRUE(dialog.Summary().startsWith("The fields changed"))
        << dialog.Summary().toStdString();

    const size_t boxes = gui.boxes.size();
    dialog.findChild<QLineEdit*>("photoClockOffset")->setText("90 seconds");
    dialog.FindPositions();
    ASSERT_EQ(gui.boxes.size(), boxes + 1);
    EXPECT_EQ(gui.boxes.back().text.rfind("Clock offset: ", 0), 0u) << gui.boxes.back().text;
    dialog.findChild<QLineEdit*>("photoClockOffset")->setText("+00:00:00");
    dialog.findChild<QComboBox*>("photoZone")->setEditText("Mars/Olympus");
    dialog.FindPositions();
    ASSERT_EQ(gui.boxes.size(), boxes + 2);
    EXPECT_EQ(gui.boxes.back().text.rfind("Camera zone: \"Mars/Olympus\" is no time zone", 0), 0u)
        << gui.boxes.back().text;
  });
}

// A camera keeps a small JPEG of each photo in its EXIF: the marker shows that one, without
// reading the photo whole.
TEST_F(PhotosDialogTest, TheThumbnailTheCameraKeptIsTheMarkersPicture) {
  const auto photo = Photo("kept.jpg", "2024:05:01 10:01:02");
  const std::filesystem::path thumb = dir.Path() / "thumb.jpg";
  ASSERT_TRUE(DrawImage(thumb.string(), "32x24"));
  {
    auto image = Exiv2::ImageFactory::open(photo.string());
    image->readMetadata();
    Exiv2::ExifThumb(image->exifData()).setJpegThumbnail(thumb.string());
    image->writeMetadata();
  }
  const QString expected =
      "data:image/jpeg;base64," + QByteArray::fromStdString(FileBytes(thumb)).toBase64();
  WithDialog([&](gui::PhotosDialog& dialog) {
    FindIn(dialog, photos);
    QWebEngineView* map = dialog.MapView();
    ASSERT_TRUE(GuiDriver::WaitFor(
        [&] { return GuiDriver::RunPageScript(*map, "window.tavrinPhotoMarkers").toInt() == 1; }));
    EXPECT_EQ(GuiDriver::RunPageScript(*map, "document.querySelector('.tavrin-photo img').src"),
              expected);
  });
}

// A photo of a clock that showed 10:01:32 while the camera wrote 10:01:02: the camera is 30 s
// slow, and every photo is matched 30 s later.
TEST_F(PhotosDialogTest, AClockPhotoSetsTheOffsetAndTheMatchFollows) {
  Photo("clock.jpg", "2024:05:01 10:01:02");
  clockDialog = [](QDialog& dialog) {
    auto* ask = qobject_cast<QInputDialog*>(&dialog);
    if (ask == nullptr) return static_cast<int>(QDialog::Rejected);
    ask->setTextValue("2024-05-01 10:01:32Z");
    return static_cast<int>(QDialog::Accepted);
  };
  WithDialog([&](gui::PhotosDialog& dialog) {
    FindIn(dialog, photos);
    dialog.OffsetFromClockPhoto();
    EXPECT_EQ(gui.boxes.back().text.rfind("Choose the photo of a clock in the list first", 0), 0u)
        << "no row chosen yet";
    dialog.findChild<QTableView*>("photoList")->selectRow(0);
    dialog.OffsetFromClockPhoto();
    ASSERT_TRUE(GuiDriver::WaitFor([&] { return !dialog.Busy(); }));
    EXPECT_EQ(dialog.findChild<QLineEdit*>("photoClockOffset")->text(), "+00:00:30");
    const photos::PhotoItem& item = dialog.PhotoList().Items().at(0);
    ASSERT_TRUE(item.utcSeconds && item.position);
    EXPECT_EQ(photos::FormatUtc(*item.utcSeconds), "2024-05-01T10:01:32Z");
    EXPECT_NEAR(item.position->latitude, ExpectedAt(92).first, 1e-7);
  });
}

// However soon Stop comes, every photo is either written whole or left as it was, and the list
// says which.
TEST_F(PhotosDialogTest, StoppingLeavesEachPhotoWrittenOrUntouchedAsTheListSays) {
  std::map<std::string, std::string> before;
  for (int k = 0; k < 24; ++k) {
    char name[32], time[32];
    std::snprintf(name, sizeof name, "p%02d.jpg", k);
    std::snprintf(time, sizeof time, "2024:05:01 10:0%d:%02d", k / 12, k % 12 * 5 + 1);
    before[name] = FileBytes(Photo(name, time));
  }
  WithDialog([&](gui::PhotosDialog& dialog) {
    FindIn(dialog, photos);
    ASSERT_EQ(dialog.PhotoList().rowCount(), 24);
    dialog.WritePositions();
    dialog.findChild<QPushButton*>("stopPhotos")->click();
    ASSERT_TRUE(GuiDriver::WaitFor([&] { return !dialog.Busy(); }));
    size_t left = 0;
    for (const photos::PhotoItem& item : dialog.PhotoList().Items()) {
      const std::string name = std::filesystem::path(item.path).filename().string();
      const bool unchanged = FileBytes(item.path) == before[name];
      if (item.state == photos::PhotoState::ToTag) {
        ++left;
        EXPECT_TRUE(unchanged) << name << " is listed as not written";
      } else {
        EXPECT_EQ(item.state, photos::PhotoState::Tagged) << name;
        EXPECT_FALSE(unchanged) << name << " is listed as written";
      }
    }
    if (left > 0) {
      EXPECT_TRUE(dialog.Summary().startsWith("Stopped. ")) << dialog.Summary().toStdString();
    }
  });
}

// Matching photos lists every stored track; the page's own list, and what its rows delete, stay
// as the page shows them.
TEST_F(PhotosDialogTest, FindingPositionsLeavesThePagesRowsOnTheirOwnTracks) {
  const std::filesystem::path older = dir.Path() / "DataLog/20240430_090000.bt0";
  const std::vector<TrackPoint> olderPoints = {Point(24, 4, 30, 9, 0, 0),
                                               Point(24, 4, 30, 9, 0, 5)};
  WriteTrackFile(older.string(), Header(olderPoints[0], 2, 5, 0), olderPoints);
  // The page as it opens: the newest day, by days.
  gui.Find<QRadioButton>("byDays")->click();
  gui.Find<QPushButton>("conformSelected")->click();
  auto& records = gui.window->RecordTab()->RecordList();
  ASSERT_EQ(records.RowCount(), 1);
  ASSERT_EQ(records.data(records.index(0, 1), Qt::DisplayRole).toString().left(10), "2024-05-01");

  Photo("in_track.jpg", "2024:05:01 10:01:02");
  WithDialog([&](gui::PhotosDialog& dialog) { FindIn(dialog, photos); });

  records.SetTicked(0, true);
  gui.yes = true;
  ASSERT_TRUE(gui.Press("deleteSelectTrack"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "DataLog/20240501_100000.bt0"))
      << "the day shown and ticked is deleted";
  EXPECT_TRUE(std::filesystem::exists(older)) << "the day not shown stays";
}

}  // namespace
}  // namespace tavrin::test
