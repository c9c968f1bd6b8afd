// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin places and tavrin logbook as a driver uses them: drives imported from GPX (home, office,
// a customer, home again, on two days), places named, purposes and notes given; the rows, the
// totals, the CSV read back by Python's csv module, the PDF's text read back by pdftotext, and
// the history of every change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/program_run.h"
#include "test_support.h"

namespace tavrin {
namespace {

using namespace std::chrono_literals;

struct Spot {
  double latitude, longitude;
};
constexpr Spot kHome{37.5500, 126.9800}, kOffice{37.5650, 127.0100}, kCustomer{37.5200, 127.0500};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

// 301 points two seconds apart from one spot to another, bowed a little to the north.
std::string Drive(Spot from, Spot to, int day, int hour) {
  std::string points;
  for (int i = 0; i <= 300; ++i) {
    const double f = i / 300.0;
    char point[160];
    std::snprintf(point, sizeof point,
                  "<trkpt lat=\"%.6f\" lon=\"%.6f\"><time>2024-05-%02dT%02d:%02d:%02dZ</time>"
                  "</trkpt>\n",
                  from.latitude + (to.latitude - from.latitude) * f + 0.0003 * std::sin(f * M_PI),
                  from.longitude + (to.longitude - from.longitude) * f, day, hour, 2 * i / 60,
                  2 * i % 60);
    points += point;
  }
  return "<trk><trkseg>\n" + points + "</trkseg></trk>\n";
}

class CliLogbook : public ::testing::Test {
 protected:
  CliLogbook() {
    std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=0\r\n";
    std::string gpx =
        "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" "
        "xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    for (int day : {1, 2}) {
      gpx += Drive(kHome, kOffice, day, 7) + Drive(kOffice, kCustomer, day, 10) +
             Drive(kCustomer, kHome, day, 15);
    }
    std::ofstream(dir / "drives.gpx") << gpx << "</gpx>\n";
    const auto imported = Tavrin({"import", dir / "drives.gpx"});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    for (const std::string& line : Lines(imported.out)) {
      if (line.front() == '/') tracks.push_back(line);  // then a summary line
    }
  }

  test::ProgramResult Tavrin(std::vector<std::string> words) {
    std::vector<std::string> argv = {TAVRIN_CLI, "--data", dir / "DataLog", "--config",
                                     dir / "TVR.ini"};
    argv.insert(argv.end(), words.begin(), words.end());
    return test::RunProgramWithin(argv, dir.Path(), 120s);
  }

  void NamePlaces() {
    for (const auto& [name, at] :
         {std::pair("Home", "37.55,126.98"), std::pair("Office", "37.565,127.01"),
          std::pair("Kim, Lee & Co", "37.52,127.05")}) {
      const auto added = Tavrin({"places", "add", name, at});
      ASSERT_EQ(added.exitCode, 0) << added.err;
    }
  }

  std::vector<std::vector<std::string>> Rows(std::vector<std::string> words = {}) {
    words.insert(words.begin(), "logbook");
    const auto run = Tavrin(words);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : Lines(run.out)) rows.push_back(Fields(line));
    return rows;
  }

  test::TempDir dir;
  std::vector<std::string> tracks;  // the imported track files, in time order
};

TEST_F(CliLogbook, TripsAreNamedByPlacesWithTheListsDistancesPurposesAndTotals) {
  ASSERT_EQ(tracks.size(), 6u);
  EXPECT_EQ(Rows()[0][3], "37.5500, 126.9800") << "no place named yet: the position";
  NamePlaces();
  auto rows = Rows();
  ASSERT_EQ(rows.size(), 6u);
  const auto listed = Lines(Tavrin({"list"}).out);
  ASSERT_EQ(listed.size(), 6u);
  const char* const ends[][2] = {
      {"Home", "Office"}, {"Office", "Kim, Lee & Co"}, {"Kim, Lee & Co", "Home"}};
  std::vector<double> listedKm;
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][0], i < 3 ? "2024-05-01" : "2024-05-02");
    EXPECT_EQ(rows[i][3], ends[i % 3][0]);
    EXPECT_EQ(rows[i][4], ends[i % 3][1]);
    // The list's distance ("3.12Km"), to the logbook's tenth of a kilometre.
    listedKm.push_back(std::stod(Fields(listed[i])[4]));
    EXPECT_NEAR(std::stod(rows[i][5]), listedKm.back(), 0.05) << listed[i];
  }

  ASSERT_EQ(Tavrin({"logbook", "set", tracks[0], "--purpose", "commute"}).exitCode, 0);
  const auto set = Tavrin({"logbook", "set", tracks[1], tracks[2], "--purpose", "business",
                           "--note", "Kim, contract \"B\""});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  rows = Rows();
  EXPECT_EQ(rows[0][6], "commute");
  EXPECT_EQ(rows[1][6], "business");
  EXPECT_EQ(rows[2][7], "Kim, contract \"B\"");
  // The second day's trips between the same places are offered the first day's purposes.
  EXPECT_EQ(rows[3][6], "commute?");
  EXPECT_EQ(rows[4][6], "business?");
  EXPECT_EQ(Rows({"--purpose", "business"}).size(), 2u);
  EXPECT_EQ(Rows({"--from", "2024-05-02"}).size(), 3u);
  const auto totals = Tavrin({"logbook", "--to", "2024-05-01"});
  const double business = listedKm[1] + listedKm[2];
  char expected[64];
  std::snprintf(expected, sizeof expected, "business %.1f km", business);
  EXPECT_NE(totals.err.find(expected), std::string::npos) << totals.err;
  EXPECT_NE(totals.err.find("3 trips"), std::string::npos) << totals.err;

  // A place moved renames the trips that began and ended there, and the move is kept.
  ASSERT_EQ(Tavrin({"places", "move", "Office", "37.60,127.10"}).exitCode, 0);
  rows = Rows();
  EXPECT_EQ(rows[0][4], "37.5650, 127.0100");
  const auto history = Tavrin({"logbook", "history"});
  EXPECT_NE(history.out.find("place\tOffice\tposition\t37.565000, 127.010000\t37.600000, "
                             "127.100000"),
            std::string::npos)
      << history.out;
  const auto ofTrip = Lines(Tavrin({"logbook", "history", tracks[2]}).out);
  ASSERT_EQ(ofTrip.size(), 2u);
  EXPECT_EQ(Fields(ofTrip[0])[3], "purpose");
  EXPECT_EQ(Fields(ofTrip[1])[5], "Kim, contract \"B\"");
}

TEST_F(CliLogbook, TheCsvAndThePdfHoldEveryRowAndTheTotals) {
  NamePlaces();
  ASSERT_EQ(Tavrin({"logbook", "set", tracks[1], "--purpose", "business", "--note",
                    "Kim, \"contract\"\nsigned"})
                .exitCode,
            0);
  ASSERT_EQ(Tavrin({"logbook", "odometer", "2024-05-02", "12000"}).exitCode, 0);
  const auto csv = Tavrin({"logbook", "--csv"});
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  std::ofstream(dir / "logbook.csv", std::ios::binary) << csv.out;
  // Python's reader sees the header and six rows of eleven fields, the note whole.
  const auto python = test::RunProgramWithin(
      {"/usr/bin/python3", "-c",
       "import csv,sys\n"
       "rows=list(csv.reader(open(sys.argv[1],encoding='utf-8',newline='')))\n"
       "print(len(rows), set(len(r) for r in rows), rows[2][3], '|', rows[2][7], '|', "
       "rows[4][8])",
       dir / "logbook.csv"},
      dir.Path(), 60s);
  ASSERT_EQ(python.exitCode, 0) << python.err;
  EXPECT_EQ(python.out, "7 {11} Office | Kim, \"contract\"\nsigned | 12000.0\n");

  const std::string pdf = dir / "logbook.pdf";
  const auto written = Tavrin({"logbook", "--pdf", pdf});
  ASSERT_EQ(written.exitCode, 0) << written.err;
  EXPECT_EQ(written.err.find("QStandardPaths"), std::string::npos) << written.err;
  const auto text =
      test::RunProgramWithin({"/usr/bin/pdftotext", "-layout", pdf, "-"}, dir.Path(), 60s);
  ASSERT_EQ(text.exitCode, 0) << text.err;
  // Each row is a line of the page with its date, start, places and distance.
  const std::vector<std::string> page = Lines(text.out);
  for (const std::string& row : Lines(Tavrin({"logbook"}).out)) {
    const auto fields = Fields(row);
    const bool found = std::any_of(page.begin(), page.end(), [&](const std::string& line) {
      return std::all_of(fields.begin(), fields.begin() + 6, [&](const std::string& field) {
        return line.find(field) != std::string::npos;
      });
    });
    EXPECT_TRUE(found) << row << "\n" << text.out;
  }
  EXPECT_NE(text.out.find("May 2024"), std::string::npos);
  EXPECT_NE(text.out.find("Total:"), std::string::npos);
  EXPECT_NE(text.out.find("business:"), std::string::npos);
  EXPECT_NE(text.out.find("Signature:"), std::string::npos);
}

TEST_F(CliLogbook, ADeletedTrackKeepsItsRowAndHistoryAndBadInputIsRefused) {
  NamePlaces();
  const auto before = Rows();
  ASSERT_EQ(Tavrin({"logbook", "set", tracks[5], "--purpose", "private"}).exitCode, 0);
  ASSERT_EQ(Tavrin({"delete", tracks[5], tracks[4]}).exitCode, 0);
  auto rows = Rows();
  ASSERT_EQ(rows.size(), 6u);
  // The trip with an entry keeps its whole row; the other keeps its start and says why.
  for (const size_t column : {0, 1, 2, 3, 4, 5}) EXPECT_EQ(rows[5][column], before[5][column]);
  EXPECT_EQ(rows[5][6], "private");
  EXPECT_EQ(rows[5][7], " (track deleted)");
  EXPECT_EQ(rows[4][1], before[4][1]);
  EXPECT_EQ(rows[4][5], "track deleted");
  EXPECT_EQ(Tavrin({"logbook", "remove", tracks[0]}).exitCode, 1) << "a stored track's trip stays";
  ASSERT_EQ(Tavrin({"logbook", "remove", tracks[5]}).exitCode, 0);
  rows = Rows();
  EXPECT_EQ(rows.size(), 5u);
  const auto history = Lines(Tavrin({"logbook", "history", tracks[5]}).out);
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(Fields(history[1])[5], "deleted");
  EXPECT_EQ(Fields(history[2])[5], "removed");

  EXPECT_EQ(Tavrin({"places", "add", "Home", "37.1,127.1"}).exitCode, 1);
  EXPECT_EQ(Tavrin({"places", "add", "Far", "91,0"}).exitCode, 2);
  EXPECT_EQ(Tavrin({"places", "rename", "Nowhere", "Else"}).exitCode, 1);
  EXPECT_EQ(Tavrin({"logbook", "set", tracks[0], "--purpose", "holiday"}).exitCode, 2);
  EXPECT_EQ(Tavrin({"logbook", "set", "19990101_000000.bt0", "--note", "x"}).exitCode, 1);
  EXPECT_EQ(Tavrin({"logbook", "--csv", "--pdf", dir / "x.pdf"}).exitCode, 2);
}

}  // namespace
}  // namespace tavrin
