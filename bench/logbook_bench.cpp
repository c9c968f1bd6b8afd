// SPDX-License-Identifier: GPL-3.0-or-later
// The drive logbook of a year: 3,000 trips (eight a day or so, 600 points each) between twenty
// named places, half of them with a purpose and a note. Prints, beside listing the same tracks
// (the Track Record page's list), the time to make the year's logbook, its CSV and its PDF.
//   logbook_bench [FOLDER]   the tracks are made in FOLDER (kept) or in a temporary folder
#include <QGuiApplication>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>

#include "base/civil_date.h"
#include "base/great_circle.h"
#include "bench_tracks.h"
#include "desktop/logbook_pdf.h"
#include "logbook/logbook_csv.h"
#include "logbook/logbook_store.h"
#include "logbook/trip_rows.h"
#include "store/track_store.h"

namespace {

using namespace tavrin;
namespace fs = std::filesystem;
using bench::Clock;
using bench::MillisecondsSince;
using bench::PointAt;

constexpr int kTrips = 3000;
constexpr int kPointsPerTrip = 600;
constexpr int kPlaces = 20;

struct Spot {
  double latitude, longitude;
};

Spot PlaceSpot(int k) {
  return {37.45 + 0.01 * (k % 5) * 3, 126.90 + 0.012 * (k / 5) * 3};
}

// Trip n: from one place to another, two seconds a point.
void WriteTrip(TrackStore& store, int n, std::mt19937& random) {
  const Spot from = PlaceSpot(static_cast<int>(random() % kPlaces));
  const Spot to = PlaceSpot(static_cast<int>(random() % kPlaces));
  // Spread over the year, a trip every 2 h 55 min.
  const long long start = DaysOfCivilDate(2024, 1, 1) * 86400LL + n * (365LL * 86400 / kTrips);
  std::vector<TrackPoint> points;
  for (int i = 0; i < kPointsPerTrip; ++i) {
    const double f = i / double(kPointsPerTrip - 1);
    points.push_back(PointAt(start + 2 * i, from.latitude + (to.latitude - from.latitude) * f,
                             from.longitude + (to.longitude - from.longitude) * f));
  }
  TrackHeader figures{};
  figures.elapsedSeconds = 2 * (kPointsPerTrip - 1);
  figures.distance = static_cast<uint32_t>(
      GreatCircleMetres(from.latitude, from.longitude, to.latitude, to.longitude));
  bench::WriteTrackFile(store, points, figures);
}

}  // namespace

int main(int argc, char** argv) {
  const bool keep = argc > 1;
  const fs::path folder =
      keep ? fs::path(argv[1]) : fs::temp_directory_path() / "tavrin-logbook-bench/DataLog";
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qtArgc = 1;
  QGuiApplication application(qtArgc, argv);
  TrackStore store;
  if (!store.PrepareDataFolder(folder.string())) return 1;
  std::mt19937 random(2024);
  if (std::distance(fs::directory_iterator(folder), fs::directory_iterator{}) < kTrips) {
    std::printf("making %d trips of %d points in %s...\n", kTrips, kPointsPerTrip, folder.c_str());
    for (int n = 0; n < kTrips; ++n) WriteTrip(store, n, random);
  }
  fs::remove(folder / logbook::kLogbookFileName);
  logbook::LogbookStore book;
  if (!book.Open(folder.string())) return 1;
  for (int k = 0; k < kPlaces; ++k) {
    (void)book.AddPlace("Place " + std::to_string(k), PlaceSpot(k).latitude,
                        PlaceSpot(k).longitude);
  }
  TrackListing listing = store.Catalogue().ListTracks(nullptr, false);
  std::vector<std::string> business;
  for (size_t i = 0; i < listing.tracks.size(); i += 2)
    business.push_back(fs::path(listing.tracks[i].path).filename().string());
  (void)book.SetPurpose(business, logbook::Purpose::Business);
  (void)book.SetNote(business, "Customer visit");

  std::printf("the logbook of a year: %zu trips, %d places\n", listing.tracks.size(), kPlaces);
  for (int run = 0; run < 3; ++run) {
    auto start = Clock::now();
    listing = store.Catalogue().ListTracks(nullptr, false);
    const double listMs = MillisecondsSince(start);
    start = Clock::now();
    const logbook::LogbookReport report = logbook::MakeLogbookReport(
        store.Catalogue().ListTracks(nullptr, false), book, store.Zone(), {});
    const double reportMs = MillisecondsSince(start);
    start = Clock::now();
    const std::string csv = logbook::LogbookCsv(report);
    const double csvMs = MillisecondsSince(start);
    start = Clock::now();
    const QString pdf = QString::fromStdString((folder.parent_path() / "logbook.pdf").string());
    const bool written = static_cast<bool>(gui::WriteLogbookPdf(report, pdf, "Drive logbook"));
    const double pdfMs = MillisecondsSince(start);
    std::printf(
        "  listing the tracks %.0f ms; the logbook (listing, places, entries) %.0f ms; CSV %.0f "
        "ms (%zu bytes); PDF %.0f ms (%s, %.0f kB)\n",
        listMs, reportMs, csvMs, csv.size(), pdfMs, written ? "written" : "FAILED",
        written ? static_cast<double>(fs::file_size(pdf.toStdString())) / 1000 : 0.0);
  }
  if (!keep) fs::remove_all(folder.parent_path());
  return 0;
}
