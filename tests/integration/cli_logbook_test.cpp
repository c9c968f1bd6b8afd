// SPDX-License-Identifier: GPL-3.0-or-later
// tavrin places and tavrin logbook as a driver uses them: drives imported from GPX (home, office,
// a customer, home again, on two days), places named, purposes and notes given; the rows, the
// totals, the CSV read back by Python's csv module, the PDF's text read back by pdftotext, and
// the history of every change.
#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

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

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
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

  // The same as a user who may not write what root made: root is let write anything, so a run
  // as root becomes nobody for it.
  test::ProgramResult TavrinAsAnotherUser(std::vector<std::string> words) {
    std::vector<std::string> argv = {TAVRIN_CLI, "--data", dir / "DataLog", "--config",
                                     dir / "TVR.ini"};
    argv.insert(argv.end(), words.begin(), words.end());
    return test::Program(
               argv, dir.Path(),
               [] {
                 if (::geteuid() != 0) return;
                 const gid_t nobody = 65534;
                 if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                   ::_exit(125);
               })
        .WaitAtMost(120s);
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
  ASSERT_EQ(Tavrin({"logbook", "set", tracks[2], "--note", "=HYPERLINK(\"http://x\")"}).exitCode,
            0);
  ASSERT_EQ(Tavrin({"places", "rename", "Home", "@Home"}).exitCode, 0);
  // Python's reader sees the header and six rows of twelve fields, the note whole; a note or a
  // place's name a spreadsheet would run as a formula is written as text.
  const auto csv = Tavrin({"logbook", "--csv"});
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  std::ofstream(dir / "logbook.csv", std::ios::binary) << csv.out;
  const auto python = test::RunProgramWithin(
      {"/usr/bin/python3", "-c",
       "import csv,sys\n"
       "rows=list(csv.reader(open(sys.argv[1],encoding='utf-8',newline='')))\n"
       "print(len(rows), set(len(r) for r in rows), rows[2][3], '|', rows[2][7], '|', "
       "rows[4][8], '|', rows[3][7], '|', rows[1][3], '|', rows[0][11])",
       dir / "logbook.csv"},
      dir.Path(), 60s);
  ASSERT_EQ(python.exitCode, 0) << python.err;
  EXPECT_EQ(python.out,
            "7 {12} Office | Kim, \"contract\"\nsigned | 12000.0 | '=HYPERLINK(\"http://x\") | "
            "'@Home | Track\n");
  ASSERT_EQ(Tavrin({"places", "rename", "@Home", "Home"}).exitCode, 0);

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
  // The trip with an entry keeps its whole row; the other keeps its start. Both say why in a
  // column of their own, after the odometer's.
  for (const size_t column : {0, 1, 2, 3, 4, 5}) EXPECT_EQ(rows[5][column], before[5][column]);
  EXPECT_EQ(rows[5][6], "private");
  EXPECT_EQ(rows[5][7], "");
  ASSERT_EQ(rows[5].size(), 11u);
  EXPECT_EQ(rows[5][10], "track deleted");
  EXPECT_EQ(rows[4][1], before[4][1]);
  EXPECT_EQ(rows[4][5], "");
  ASSERT_EQ(rows[4].size(), 11u);
  EXPECT_EQ(rows[4][10], "track deleted");
  EXPECT_LT(rows[3].size(), 9u) << "a stored track's row has no mark";
  EXPECT_EQ(Tavrin({"logbook", "remove", tracks[0]}).exitCode, 1) << "a stored track's trip stays";
  ASSERT_EQ(Tavrin({"logbook", "remove", tracks[5]}).exitCode, 0);
  rows = Rows();
  EXPECT_EQ(rows.size(), 5u);
  const auto history = Lines(Tavrin({"logbook", "history", tracks[5]}).out);
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(Fields(history[1])[5], "deleted");
  EXPECT_EQ(Fields(history[2])[5], "removed");

  EXPECT_EQ(Tavrin({"places", "add", "Home", "37.1,127.1"}).exitCode, 1);
  // A position or a radius that cannot be is a usage error, as find's are.
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"places", "add", "Far", "91,0"},
        {"places", "add", "Hex", "0x25,127"},
        {"places", "add", "Small", "37.1,127.1", "--radius", "-5"},
        {"places", "move", "Home", "37.1,127.1", "--radius", "200000"}}) {
    EXPECT_EQ(Tavrin(wrong).exitCode, 2) << wrong[2] << " " << wrong[3];
  }
  EXPECT_EQ(Tavrin({"places", "rename", "Nowhere", "Else"}).exitCode, 1);
  EXPECT_EQ(Tavrin({"logbook", "set", tracks[0], "--purpose", "holiday"}).exitCode, 2);
  EXPECT_EQ(Tavrin({"logbook", "set", "19990101_000000.bt0", "--note", "x"}).exitCode, 1);
  EXPECT_EQ(Tavrin({"logbook", "--csv", "--pdf", dir / "x.pdf"}).exitCode, 2);
}

// A track file moved away, removed by hand or by a sync tool: its trip keeps its row, its
// kilometres and its place in the totals, marked, as a deletion the program saw.
TEST_F(CliLogbook, ATrackMissingKeepsItsRowMarkedAndCountsInTheTotals) {
  NamePlaces();
  ASSERT_EQ(Tavrin({"logbook", "set", tracks[1], tracks[2], "--purpose", "business"}).exitCode, 0);
  const auto before = Rows();
  const auto totalsBefore = Tavrin({"logbook"}).err;
  ASSERT_NE(totalsBefore.find("business"), std::string::npos) << totalsBefore;
  ASSERT_TRUE(std::filesystem::remove(tracks[2]));

  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 6u);
  for (const size_t column : {0, 1, 2, 3, 4, 5, 6}) EXPECT_EQ(rows[2][column], before[2][column]);
  ASSERT_EQ(rows[2].size(), 11u);
  EXPECT_EQ(rows[2][10], "track missing");
  EXPECT_EQ(Tavrin({"logbook"}).err, totalsBefore) << "the same trips, kilometres and purposes";
  const auto csv = Lines(Tavrin({"logbook", "--csv"}).out);
  ASSERT_EQ(csv.size(), 7u);
  EXPECT_TRUE(csv[3].ends_with(" UTC,track missing\r")) << csv[3];
  EXPECT_TRUE(csv[2].ends_with(" UTC,\r")) << csv[2];

  // Its trip can be taken out of the logbook as a deleted track's can.
  ASSERT_EQ(Tavrin({"logbook", "remove", tracks[2]}).exitCode, 0);
  EXPECT_EQ(Rows().size(), 5u);
  EXPECT_EQ(Fields(Lines(Tavrin({"logbook", "history", tracks[2]}).out).back())[4], "missing");
}

TEST_F(CliLogbook, OnlyTrackFilesOfTheDataFolderGetAPurpose) {
  const std::filesystem::path other = dir / "OtherData";
  std::filesystem::create_directories(other);
  const std::string elsewhere = (other / std::filesystem::path(tracks[0]).filename()).string();
  std::filesystem::copy_file(tracks[0], elsewhere);
  for (const std::string& given : {std::string("/etc/passwd"), std::string("passwd"), elsewhere,
                                   (dir / "DataLog/../TVR.ini")}) {
    const auto set = Tavrin({"logbook", "set", given, "--purpose", "private"});
    EXPECT_EQ(set.exitCode, 2) << given << "\n" << set.err;
    EXPECT_NE(set.err.find("give a track"), std::string::npos) << set.err;
  }
  EXPECT_EQ(Tavrin({"logbook", "history"}).out, "") << "nothing was stored";
  // Its own tracks, by name or by a path that leads into the folder another way.
  const std::string roundabout =
      (dir / "DataLog/../DataLog" / std::filesystem::path(tracks[0]).filename()).string();
  EXPECT_EQ(Tavrin({"logbook", "set", roundabout, "--purpose", "private"}).exitCode, 0);
  EXPECT_EQ(Rows()[0][6], "private");
}

// A download or a deletion of several tracks opens the logbook once: a damaged one is told once
// and kept aside once, and a run in the same second finds its copy rather than failing.
TEST_F(CliLogbook, ADamagedLogbookIsToldOnceAndKeptAsideOnce) {
  NamePlaces();
  const std::filesystem::path logbook = dir / "DataLog/logbook.sqlite";
  std::ofstream(logbook, std::ios::binary | std::ios::trunc) << std::string(8192, 'x');
  const auto deleted = Tavrin({"delete", tracks[4], tracks[5]});
  EXPECT_EQ(CountOf(deleted.err, "is damaged"), 1u) << deleted.err;
  for (int run = 0; run < 2; ++run) {
    const auto listed = Tavrin({"logbook"});
    EXPECT_EQ(listed.exitCode, 1);
    EXPECT_EQ(CountOf(listed.err, "\n"), 1u) << "one plain sentence: " << listed.err;
    EXPECT_NE(listed.err.find("a copy of it is kept as"), std::string::npos) << listed.err;
    EXPECT_EQ(listed.err.find("exists"), std::string::npos) << listed.err;
  }
  size_t copies = 0;
  for (const auto& item : std::filesystem::directory_iterator(dir / "DataLog")) {
    if (item.path().filename().string().starts_with("logbook.sqlite.damaged-")) ++copies;
  }
  EXPECT_EQ(copies, 1u);
}

// A good logbook the user may not write (another's, in a read-only folder) is no damaged one:
// it lists, and a change is refused with the reason.
TEST_F(CliLogbook, ALogbookThatCanOnlyBeReadIsListedAndRefusesChanges) {
  NamePlaces();
  ASSERT_EQ(Tavrin({"logbook", "set", tracks[0], "--purpose", "commute"}).exitCode, 0);
  namespace fs = std::filesystem;
  fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(dir / "DataLog",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  fs::permissions(dir / "DataLog/logbook.sqlite", fs::perms::owner_write, fs::perm_options::remove);

  const auto places = TavrinAsAnotherUser({"places", "list"});
  EXPECT_EQ(places.exitCode, 0) << places.err;
  EXPECT_NE(places.out.find("Office\t"), std::string::npos) << places.out;
  const auto listed = TavrinAsAnotherUser({"logbook"});
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_NE(listed.out.find("\tcommute\t"), std::string::npos) << listed.out;
  const auto added = TavrinAsAnotherUser({"places", "add", "Shop", "37.1,127.1"});
  EXPECT_EQ(added.exitCode, 1);
  EXPECT_NE(added.err.find("can only be read"), std::string::npos) << added.err;
  EXPECT_NE(added.err.find("cannot be written to"), std::string::npos) << added.err;
  EXPECT_EQ(added.err.find("damaged"), std::string::npos) << added.err;
  fs::permissions(dir / "DataLog", fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(CliLogbook, PlacesKeepWhatIsGivenAndAMistypedFolderIsRefused) {
  ASSERT_EQ(Tavrin({"places", "add", "Depot", "37.1,127.1", "--radius", "300"}).exitCode, 0);
  ASSERT_EQ(Tavrin({"places", "move", "Depot", "37.2,127.2", "--radius", "150"}).exitCode, 0);
  ASSERT_EQ(Tavrin({"places", "add", "New\nLine\t", "37.3,127.3"}).exitCode, 0);
  auto listed = Lines(Tavrin({"places", "list"}).out);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0], "Depot\t37.200000\t127.200000\t150") << "the radius given, the default";
  EXPECT_EQ(Fields(listed[1])[0], "New Line");
  EXPECT_EQ(Tavrin({"places", "remove", "New Line"}).exitCode, 0);
  EXPECT_EQ(Lines(Tavrin({"places", "list"}).out).size(), 1u);

  const std::string mistyped = dir / "DataLgo";
  for (const std::vector<std::string>& words : {std::vector<std::string>{"places", "list"},
                                                {"places", "add", "Home", "37.55,126.98"},
                                                {"logbook", "odometer", "2024-05-01", "12000"},
                                                {"logbook"}}) {
    std::vector<std::string> argv = {TAVRIN_CLI, "--data", mistyped, "--config", dir / "TVR.ini"};
    argv.insert(argv.end(), words.begin(), words.end());
    const auto run = test::RunProgramWithin(argv, dir.Path(), 60s);
    EXPECT_EQ(run.exitCode, 2) << words[0] << " " << words[1];
    EXPECT_NE(run.err.find("does not exist"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(mistyped)) << words[0] << " " << words[1];
  }
}

TEST_F(CliLogbook, AnOdometerReadingThatRunsBackwardsIsKeptWithAWarning) {
  ASSERT_EQ(Tavrin({"logbook", "odometer", "2024-05-01", "12000"}).exitCode, 0);
  const auto lower = Tavrin({"logbook", "odometer", "2024-05-02", "11000"});
  EXPECT_EQ(lower.exitCode, 0);
  EXPECT_NE(lower.err.find("runs backwards"), std::string::npos) << lower.err;
  EXPECT_NE(lower.err.find("2024-05-01"), std::string::npos) << lower.err;
  const auto onward = Tavrin({"logbook", "odometer", "2024-05-02", "12100"});
  EXPECT_EQ(onward.err, "");
  const auto badDate = Tavrin({"logbook", "odometer", "2024-13-01", "12000"});
  EXPECT_EQ(badDate.exitCode, 2);
  EXPECT_NE(badDate.err.find("odometer: date:"), std::string::npos) << badDate.err;
  const auto badKm = Tavrin({"logbook", "odometer", "2024-05-03", "-5"});
  EXPECT_EQ(badKm.exitCode, 2);
  EXPECT_NE(badKm.err.find("odometer: km:"), std::string::npos) << badKm.err;
}

}  // namespace
}  // namespace tavrin
