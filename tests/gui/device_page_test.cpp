// SPDX-License-Identifier: GPL-3.0-or-later
// The Device Control page driven as a user drives it, against the emulated logger in the same
// process.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTabWidget>

#include "../support/emulator_process.h"
#include "../support/folder_conditions.h"
#include "../support/pty_pair.h"
#include "emulator/memory_file.h"
#include "gui/device/device_page.h"
#include "gui/records/track_record_page.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

class DevicePage : public WindowTest {
 protected:
  // Reads the logger's figures, then its new tracks, and checks that the whole memory came.
  void ReadEveryNewTrack(int ms = 20000) {
    ASSERT_EQ(gui.PressAndWait("readOptions", Operation::Info)->outcome, Outcome::Done);
    EXPECT_EQ(Text("numberOfTrackPoints"), " 3000/3000");
    const auto read = gui.PressAndWait("readNewTracks", Operation::Read, ms);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->outcome, Outcome::Done);
    EXPECT_EQ(read->points, 3000u);
  }
};

TEST_F(DevicePage, ConnectAndReadOptionsShowTheLoggersValues) {
  gui.ChoosePort("emulated");
  const size_t since = gui.ends.size();
  ASSERT_TRUE(gui.Press("connect"));
  EXPECT_EQ(gui.window->StatusText(), "Connected emulated(230400).");
  // Connecting asks the logger what it holds, so that a read may follow at once.
  const auto info = gui.WaitForEnd(Operation::Info, since);
  ASSERT_TRUE(info && info->outcome == Outcome::Done);
  EXPECT_EQ(Text("saveBySpeed"), " 12 Km/h");
  EXPECT_EQ(Text("saveByTime"), " 1 sec");
  EXPECT_EQ(Text("saveByDistance"), " 100 m");
  EXPECT_EQ(Text("note1"), "TEST");
  EXPECT_EQ(Text("note2"), "A1");
  EXPECT_EQ(Text("memorySize"), " 32 Mbit");
  EXPECT_EQ(Text("numberOfTrackPoints"), " 3000/3000");
  EXPECT_EQ(Text("remainedMemory"), " 98 %");  // 100 - 300000 / 258048, cut
  // Connected: the port choice is locked, the device actions are open.
  EXPECT_FALSE(gui.Find<QWidget>("portList")->isEnabled());
  EXPECT_TRUE(gui.Find<QWidget>("readNewTracks")->isEnabled());
  EXPECT_EQ(gui.Caption("connect"), "Disconnect");
}

TEST_F(DevicePage, OptionsAndNotesWrittenComeBackOnTheNextRead) {
  ConnectAndReadOptions();
  auto* speed = gui.Find<QComboBox>("saveBySpeed");
  speed->setCurrentIndex(speed->findText(" 20 Km/h"));
  ASSERT_EQ(gui.PressAndWait("setOptions", Operation::Options)->outcome, Outcome::Done);
  EXPECT_EQ(link->Memory().options.bySpeed, 20);

  // The device settings dialog, filled in as a user would.
  gui.fillDialog = [](QDialog& dialog) {
    dialog.findChild<QLineEdit*>("distance")->setText("250");
    dialog.findChild<QLineEdit*>("group1")->setText("HOME");
    dialog.findChild<QLineEdit*>("group3")->setText("X1");
    dialog.findChild<QPushButton*>("ok")->click();
    return dialog.result();
  };
  ASSERT_EQ(gui.PressAndWait("deviceSettings", Operation::Notes)->outcome, Outcome::Done);
  EXPECT_EQ(link->Memory().options, (SaveOptions{20, 1, 250}));
  EXPECT_EQ(link->Memory().notes, (NoteGroups{"HOME", "A1", "X1", ""}));

  ASSERT_EQ(gui.PressAndWait("readOptions", Operation::Info)->outcome, Outcome::Done);
  EXPECT_EQ(Text("saveBySpeed"), " 20 Km/h");
  EXPECT_EQ(Text("saveByDistance"), " 250 m");
  EXPECT_EQ(Text("note1"), "HOME");
  EXPECT_EQ(Text("note3"), "X1");
}

TEST_F(DevicePage, ASecondLoggerNeitherShowsNorGetsTheFirstLoggersNotes) {
  ConnectAndReadOptions();
  ASSERT_EQ(Text("note1"), "TEST");
  ASSERT_TRUE(gui.Press("connect"));  // Disconnect
  for (const char* field : {"note1", "note2", "memorySize", "numberOfTrackPoints"}) {
    EXPECT_EQ(Text(field), "") << field << " after disconnecting";
  }
  memory.notes = {"", "", "", ""};  // another logger, whose note groups are empty
  ConnectAndReadOptions();
  EXPECT_EQ(Text("note1"), "");
  EXPECT_EQ(Text("note2"), "");
  gui.fillDialog = [](QDialog& dialog) {
    dialog.findChild<QPushButton*>("ok")->click();
    return dialog.result();
  };
  ASSERT_EQ(gui.PressAndWait("deviceSettings", Operation::Notes)->outcome, Outcome::Done);
  EXPECT_EQ(link->Memory().notes, (NoteGroups{"", "", "", ""}));
}

TEST_F(DevicePage, ReadingEverythingAgainKeepsATrackWhosePointsTheUserDeleted) {
  ConnectAndReadOptions();
  ASSERT_EQ(gui.PressAndWait("readNewTracks", Operation::Read)->outcome, Outcome::Done);
  const std::filesystem::path first = dir.Path() / "DataLog/20240501_080000.bt0";
  const auto pointsOf = [](const std::filesystem::path& track) {
    TrackStore store;
    return store.Files().ReadTrackHeader(track.string()).value_or(TrackEntry{}).header.pointCount;
  };
  const uint32_t whole = pointsOf(first);
  ASSERT_GT(whole, 10u);
  const std::filesystem::path second = TrackFiles().at(1);
  const uint32_t secondPoints = pointsOf(second);

  gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
  gui.Find<QRadioButton>("byTracks")->click();
  auto* all = gui.Find<QCheckBox>("selectAllTracks");
  if (!all->isChecked()) all->click();
  auto* page = gui.window->RecordTab();
  page->LoadRecord(0);
  auto* points = gui.Find<QTableView>("pointList");
  points->selectionModel()->select(
      QItemSelection(page->PointList().index(0, 0), page->PointList().index(9, 7)),
      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  ASSERT_TRUE(gui.Press("deleteSelectedPoints"));
  ASSERT_EQ(pointsOf(first), whole - 10);

  gui.Find<QTabWidget>("tabs")->setCurrentIndex(0);
  gui.boxes.clear();
  const auto again = gui.PressAndWait("getAllTracks", Operation::Read);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->outcome, Outcome::Done);
  EXPECT_EQ(pointsOf(first), whole - 10) << "the user's deletion stands";
  EXPECT_EQ(pointsOf(second), secondPoints) << "the others are read as before";
  EXPECT_EQ(TrackFiles().size(), 5u);
  bool told = false;
  for (const auto& box : gui.boxes) {
    told = told || box.text.find("20240501_080000.bt0 holds your edits") != std::string::npos;
  }
  EXPECT_TRUE(told) << "the user hears that the edited copy was kept";
}

TEST_F(DevicePage, AValueOutsideTheTableGetsItsOwnEntryAndIsKept) {
  memory.options = SaveOptions{8, 1, 100};
  ConnectAndReadOptions();
  auto* speed = gui.Find<QComboBox>("saveBySpeed");
  EXPECT_EQ(speed->count(), 14);
  EXPECT_EQ(speed->currentText(), " U-8 Km/h");
  ASSERT_EQ(gui.PressAndWait("setOptions", Operation::Options)->outcome, Outcome::Done);
  EXPECT_EQ(link->Memory().options.bySpeed, 8);
}

TEST_F(DevicePage, ReadNewTracksFillsTheListAndWritesTheFiles) {
  ConnectAndReadOptions();
  // The list takes the read's tracks together once the download is over, not one by one while
  // the logger is still sending.
  std::vector<int> rowsWhileReading;
  QObject::connect(&gui.window->Host(), &gui::QtSessionHost::progress, [&](int position) {
    if (position > 0 && position < 1000) {
      rowsWhileReading.push_back(gui.window->DeviceTab()->TrackList().RowCount());
    }
  });
  const auto read = gui.PressAndWait("readNewTracks", Operation::Read);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->outcome, Outcome::Done);
  EXPECT_EQ(read->points, 3000u);
  EXPECT_TRUE(gui.SawBox("Read done."));
  EXPECT_TRUE(std::any_of(progress.begin(), progress.end(), [](int p) {
    return p > 0 && p < 1000;
  })) << "the progress moved during the read";
  EXPECT_EQ(gui.window->ProgressPosition(), 0);
  ASSERT_FALSE(rowsWhileReading.empty());
  EXPECT_EQ(std::count(rowsWhileReading.begin(), rowsWhileReading.end(), 0),
            static_cast<long>(rowsWhileReading.size()))
      << "the list grew during the read";
  EXPECT_EQ(gui.window->DeviceTab()->TrackList().RowCount(), 5);
  EXPECT_EQ(TrackFiles().size(), 5u);
  EXPECT_EQ(TrackFiles().front().filename(), "20240501_080000.bt0");
  // The figures follow the read without asking: nothing new is left, and the page says so
  // instead of reading.
  auto* figures = gui.Find<QLineEdit>("numberOfTrackPoints");
  EXPECT_TRUE(gui.WaitFor([&] { return figures->text().startsWith(" 0/"); }, 5000))
      << figures->text().toStdString();
  gui.Press("readNewTracks");
  EXPECT_TRUE(gui.SawBox("Reading data or Empty track data."));
}

TEST_F(DevicePage, GetDateTimeReadsThePeriodTheUserChose) {
  ConnectAndReadOptions();
  gui.period = std::nullopt;  // the dialog was cancelled
  ASSERT_EQ(gui.PressAndWait("getDateTime", Operation::Read)->outcome, Outcome::Refused);
  gui.period = ReadPeriod{{24, 5, 1, 8, 10, 0}, {24, 5, 1, 8, 19, 59}};
  const auto read = gui.PressAndWait("getDateTime", Operation::Read);
  ASSERT_EQ(read->outcome, Outcome::Done);
  EXPECT_EQ(read->points, 600u);
}

TEST_F(DevicePage, TheComPortWayListsEveryPortAndTheSerialRates) {
  ASSERT_TRUE(gui.Find<QRadioButton>("comPort") != nullptr);
  gui.Find<QRadioButton>("comPort")->click();
  auto* portList = gui.Find<QComboBox>("portList");
  auto* baudList = gui.Find<QComboBox>("baudList");
  QStringList names;
  for (int i = 0; i < portList->count(); ++i) names << portList->itemText(i);
  EXPECT_EQ(names, (QStringList{" ttyACM0", " ttyS0", " ttyUSB0"}));
  EXPECT_EQ(baudList->count(), 6);
  EXPECT_EQ(baudList->currentText(), " 115200");
  EXPECT_EQ(gui.window->StatusText(), "Select COM Port(Serial) Connect.");
  gui.Find<QRadioButton>("usbPort")->click();
  EXPECT_EQ(portList->count(), 1);
  EXPECT_EQ(baudList->currentText(), "230400");
}

TEST_F(DevicePage, GetAllTracksAsksFirst) {
  ConnectAndReadOptions();
  gui.yes = false;
  gui.Press("getAllTracks");
  EXPECT_TRUE(gui.SawBox("Recommend \"Get New of Memory\".\r\nExecute \"Get All of Memory\"?"));
  EXPECT_FALSE(Session().TransferActive());
  gui.yes = true;
  ASSERT_EQ(gui.PressAndWait("getAllTracks", Operation::Read)->outcome, Outcome::Done);
  EXPECT_EQ(TrackFiles().size(), 5u);
}

TEST_F(DevicePage, EraseAsksAndEmptiesTheLogger) {
  ConnectAndReadOptions();
  gui.yes = false;
  ASSERT_EQ(gui.PressAndWait("eraseAllTracks", Operation::Erase)->outcome, Outcome::Refused);
  EXPECT_EQ(link->Memory().points.size(), 3000u);
  gui.yes = true;
  ASSERT_EQ(gui.PressAndWait("eraseAllTracks", Operation::Erase)->outcome, Outcome::Done);
  EXPECT_TRUE(gui.SawBox("Do you remove all Flash memory?"));
  EXPECT_TRUE(gui.SawBox("Deleted all Memory."));
  EXPECT_TRUE(link->Memory().points.empty());
  EXPECT_NE(std::find(progress.begin(), progress.end(), 1000), progress.end());
}

TEST_F(DevicePage, DuringADownloadTheTabsAndTheDeviceActionsWait) {
  ConnectAndReadOptions();
  ASSERT_TRUE(gui.Press("readNewTracks"));
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Session().ReceivedCount() > 0; }));
  auto* tabs = gui.Find<QTabWidget>("tabs");
  tabs->setCurrentIndex(1);
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_TRUE(gui.SawBox("Reading data."));
  gui.boxes.clear();
  gui.Press("readOptions");
  EXPECT_TRUE(gui.SawBox("Reading data."));
  // Stop is always offered, keeps what arrived and puts the progress bar back.
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return gui.window->ProgressPosition() > 0; }));
  const size_t since = gui.ends.size();
  ASSERT_TRUE(gui.Press("stopReading"));
  const auto read = gui.WaitForEnd(Operation::Read, since);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->outcome, Outcome::Stopped);
  EXPECT_GT(read->points, 0u);
  EXPECT_LT(read->points, 3000u);
  // What arrived is told, where it is, and how to get the rest.
  const std::string told = gui.window->StatusText().toStdString();
  EXPECT_EQ(told.rfind("The read was stopped after ", 0), 0u) << told;
  EXPECT_NE(told.find(" points received are saved in "), std::string::npos) << told;
  EXPECT_NE(told.find("The last track is cut short. Read New Tracks"), std::string::npos) << told;
  EXPECT_TRUE(gui.SawBox(told));
  EXPECT_FALSE(gui.SawBox("Read done.")) << "the logger's end after a stop is no success";
  EXPECT_EQ(gui.window->ProgressPosition(), 0);
  tabs->setCurrentIndex(1);
  EXPECT_EQ(tabs->currentIndex(), 1);
}

TEST_F(DevicePage, ClosingTheWindowDuringADownloadKeepsWhatArrived) {
  TrackListing listing;
  ConnectAndReadOptions();
  ASSERT_TRUE(gui.Press("readNewTracks"));
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return Session().ReceivedCount() > 600; }));
  gui.window->close();
  EXPECT_FALSE(Session().IsConnected());
  const auto files = TrackFiles();
  ASSERT_FALSE(files.empty());
  for (const auto& file : files) EXPECT_EQ(file.extension(), ".bt0") << "no unfinished file left";
  TrackStore store;
  ASSERT_TRUE(store.PrepareDataFolder(dir.Path() / "DataLog"));
  listing = store.Catalogue().ListTracks(nullptr, false);
  uint32_t points = 0;
  for (const TrackEntry& entry : listing.tracks) points += entry.header.pointCount;
  EXPECT_GT(points, 600u);
}

// The track list never shows the row of a track that has no point yet: a track appears with its
// points, when the read ends.
TEST_F(DevicePage, OnlyTracksWithPointsAreListedDuringARead) {
  ConnectAndReadOptions();
  gui::TrackListModel& list = gui.window->DeviceTab()->TrackList();
  std::vector<std::string> empty;  // rows listed without a point, as "first / last"
  QObject watching;
  QObject::connect(&list, &QAbstractItemModel::rowsInserted, &watching,
                   [&](const QModelIndex&, int first, int last) {
                     const auto cell = [&](int row, int column) {
                       return list.data(list.index(row, column), Qt::DisplayRole).toString();
                     };
                     for (int row = first; row <= last; ++row) {
                       if (cell(row, 6).trimmed() != QLatin1String("0")) continue;
                       empty.push_back((cell(row, 1) + " / " + cell(row, 2)).toStdString());
                     }
                   });
  const auto read = gui.PressAndWait("readNewTracks", Operation::Read);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->outcome, Outcome::Done);
  EXPECT_TRUE(empty.empty()) << "listed with 0 points: " << empty.front();
  EXPECT_EQ(list.RowCount(), 5);
}

// Disconnecting stops a read as Stop does, and says so with what was kept, as the command line
// does; the figures are those on the disk.
TEST_F(DevicePage, DisconnectingDuringAReadSaysWhatWasKept) {
  TrackListing listing;
  ConnectAndReadOptions();
  ASSERT_TRUE(gui.Press("readNewTracks"));
  ASSERT_TRUE(GuiDriver::WaitFor(
      [&] { return Session().ReceivedCount() > 600 && gui.window->ProgressPosition() > 0; }));
  const size_t since = gui.ends.size();
  gui.boxes.clear();
  ASSERT_TRUE(gui.Press("connect"));
  const auto read = gui.WaitForEnd(Operation::Read, since);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->outcome, Outcome::Stopped);
  EXPECT_EQ(gui.window->ProgressPosition(), 0);

  TrackStore store;
  ASSERT_TRUE(store.PrepareDataFolder(dir.Path() / "DataLog"));
  listing = store.Catalogue().ListTracks(nullptr, false);
  uint32_t points = 0;
  for (const TrackEntry& entry : listing.tracks) points += entry.header.pointCount;
  const size_t files = listing.tracks.size();
  ASSERT_GT(points, 600u);
  EXPECT_EQ(read->points, points);
  ASSERT_EQ(gui.boxes.size(), 1u);
  const std::string& told = gui.boxes.back().text;
  EXPECT_EQ(told.rfind("Disconnected emulated(230400). The read was cut short after ", 0), 0u)
      << told;
  EXPECT_NE(told.find("The " + std::to_string(points) + " points received are saved in " +
                      std::to_string(files) + (files == 1 ? " track file." : " track files.")),
            std::string::npos)
      << told;
  EXPECT_EQ(gui.window->StatusText().toStdString().rfind("Disconnected emulated(230400). The read "
                                                         "was cut short",
                                                         0),
            0u);
  EXPECT_EQ(gui.Caption("connect"), "Connect");
}

// A data folder that cannot take track files is found before the logger is asked for anything,
// by each read button; the logger's tracks stay new for a read into a good folder.
TEST_F(DevicePage, ADataFolderThatCannotTakeTracksIsFoundBeforeTheLoggerIsAsked) {
  ConnectAndReadOptions();
  const std::string folder = dir / "DataLog";
  gui.period = ReadPeriod{{24, 5, 1, 8, 10, 0}, {24, 5, 1, 8, 19, 59}};
  std::string readOnlyNotTried;
  for (const bool readOnly : {false, true}) {
    // Full to the last byte, where a file is made but not written; or mounted read-only.
    std::optional<ScopedFileSizeLimit> full;
    std::optional<ReadOnlyFolder> mounted;
    if (readOnly) {
      mounted.emplace(folder);
      if (!mounted->Ready()) {
        readOnlyNotTried = mounted->Why();
        continue;
      }
    } else {
      full.emplace(0);
    }
    const std::string why = readOnly ? "Read-only file system" : "File too large";
    for (const char* button : {"readNewTracks", "getAllTracks", "getDateTime"}) {
      SCOPED_TRACE(std::string(button) + " into a folder that says " + why);
      gui.boxes.clear();
      const size_t since = gui.ends.size();
      ASSERT_TRUE(gui.Press(button));
      ASSERT_FALSE(gui.boxes.empty());
      EXPECT_EQ(gui.boxes.back().text,
                "Cannot store tracks in the data folder " + folder +
                    " (a test file could not be written there: " + why +
                    "). Make the folder writable or free some disk space, then read again. "
                    "Nothing was read from the logger.");
      EXPECT_EQ(gui.boxes.back().icon, MsgIcon::Error);
      EXPECT_FALSE(Session().TransferActive());
      EXPECT_EQ(gui.ends.size(), since) << "an operation was started";
    }
  }
  ASSERT_NO_FATAL_FAILURE(ReadEveryNewTrack());
  EXPECT_EQ(TrackFiles().size(), 5u);
  if (!readOnlyNotTried.empty()) GTEST_SKIP() << "no read-only folder: " << readOnlyNotTried;
}

// A folder that fills up during a read stops it at the track file that cannot be written, before
// the logger counts the tracks as read; with room again, Read New Tracks gets every track.
TEST_F(DevicePage, AFolderThatFillsUpStopsTheReadAndTheTracksStayNew) {
  TrackListing listing;
  ConnectAndReadOptions();
  {
    // Room for 600 points a track: the first sector's points reach the disk, the rest of the
    // first track does not.
    const ScopedFileSizeLimit full(64 + 16 * 600);
    const auto read = gui.PressAndWait("readNewTracks", Operation::Read);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->outcome, Outcome::Failed);
    EXPECT_EQ(read->points, static_cast<uint32_t>(kPointsPerSector));
    EXPECT_EQ(read->tracks, 1);
  }
  ASSERT_FALSE(gui.boxes.empty());
  const std::string& told = gui.boxes.back().text;
  EXPECT_EQ(gui.boxes.back().icon, MsgIcon::Error);
  EXPECT_NE(told.find("File too large"), std::string::npos) << told;
  EXPECT_NE(told.find("still new on the logger"), std::string::npos) << told;
  EXPECT_NE(told.find("Read New Tracks"), std::string::npos) << told;
  EXPECT_EQ(gui.window->ProgressPosition(), 0);
  EXPECT_EQ(gui.window->DeviceTab()->TrackList().RowCount(), 1);

  ASSERT_NO_FATAL_FAILURE(ReadEveryNewTrack());
  TrackStore store;
  ASSERT_TRUE(store.PrepareDataFolder(dir.Path() / "DataLog"));
  listing = store.Catalogue().ListTracks(nullptr, false);
  PointVector stored;
  for (const TrackEntry& entry : listing.tracks) store.Files().ReadTrackPoints(entry, stored);
  const auto expected = ExpectedRecords(memory, kReadNewBinary);
  ASSERT_EQ(stored.size(), expected.size());
  EXPECT_EQ(std::memcmp(stored.data(), expected.data(), expected.size() * sizeof(TrackPoint)), 0);
}

// A logger that falls silent during a read: after the window's silence limit the read ends as
// the command line ends it, keeping what arrived.
class SilentLogger : public WindowTest {
 protected:
  SilentLogger() : WindowTest([](gui::WindowSetup& setup) { setup.loggerSilenceMs = 1500; }) {
    options.faults.stopAfterSector = 2;
  }
};

TEST_F(SilentLogger, TheReadEndsAsStoppedAnsweringAndKeepsWhatArrived) {
  ConnectAndReadOptions();
  const auto read = gui.PressAndWait("readNewTracks", Operation::Read);
  ASSERT_TRUE(read) << "the window still waits for the logger";
  EXPECT_EQ(read->outcome, Outcome::Failed);
  EXPECT_EQ(read->points, 2u * kPointsPerSector);
  EXPECT_EQ(read->tracks, 2);
  ASSERT_FALSE(gui.boxes.empty());
  EXPECT_EQ(gui.boxes.back().text,
            "The logger stopped answering after 2 sectors. The 1024 points received are saved in "
            "2 track files. Read the tracks again to get the rest.");
  EXPECT_EQ(gui.window->ProgressPosition(), 0);
  EXPECT_FALSE(Session().TransferActive());
  EXPECT_EQ(TrackFiles().size(), 2u);
}

TEST_F(DevicePage, ALoggerThatLeavesTheLineSetsThePageBackToDisconnected) {
  options.faults.hangUpAfterSector = 2;
  ConnectAndReadOptions();
  const auto read = gui.PressAndWait("readNewTracks", Operation::Read);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->outcome, Outcome::ConnectionLost);
  EXPECT_EQ(read->points, 2u * kPointsPerSector);
  ASSERT_FALSE(gui.boxes.empty());
  EXPECT_EQ(gui.boxes.back().text.rfind("The connection to the logger on emulated was lost", 0), 0u)
      << gui.boxes.back().text;
  EXPECT_EQ(gui.Caption("connect"), "Connect");
  EXPECT_TRUE(gui.Find<QWidget>("portList")->isEnabled());
  EXPECT_FALSE(gui.Find<QWidget>("readNewTracks")->isEnabled());
  EXPECT_EQ(gui.window->Image(), ConnectionImage::Disconnected);
}

TEST_F(DevicePage, ConnectFailuresSayWhy) {
  gui.Find<QComboBox>("portList")->clear();
  gui.Press("connect");
  EXPECT_TRUE(gui.SawBox("There is no connected port."));
  gui.ChoosePort("/dev/does-not-exist");
  gui.Press("connect");
  ASSERT_FALSE(gui.boxes.empty());
  EXPECT_NE(gui.boxes.back().text.find("no such device"), std::string::npos);
  EXPECT_EQ(gui.boxes.back().icon, MsgIcon::Error);
  EXPECT_FALSE(Session().IsConnected());
  EXPECT_EQ(gui.Caption("connect"), "Connect");
}

TEST_F(DevicePage, APortAnotherProgramHoldsIsBusy) {
  PtyPair pty;
  const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  gui.ChoosePort(QString::fromStdString(pty.SlavePath()));
  gui.Press("connect");
  ::close(other);
  ASSERT_FALSE(gui.boxes.empty());
  EXPECT_NE(gui.boxes.back().text.find("the port is busy. Close the other program"),
            std::string::npos)
      << gui.boxes.back().text;
}

// The whole way a user goes, over a real pseudo-terminal with the emulator program on the other
// end: the serial port, its watch thread and the queued arrivals on the GUI thread.
TEST_F(DevicePage, DownloadsFromTheEmulatorProgramOverAPseudoTerminal) {
  const std::string memoryFile = dir / "memory.json";
  std::string error;
  ASSERT_TRUE(emulator::SaveMemoryFile(memory, memoryFile, error)) << error;
  EmulatorProcess process(TAVRIN_EMULATOR_PROGRAM, {"--pty", "--memory", memoryFile}, dir / "run");
  const std::string pty = process.FirstLine();
  ASSERT_FALSE(pty.empty()) << process.Errors();
  gui.ChoosePort(QString::fromStdString(pty));
  ASSERT_TRUE(gui.Press("connect"));
  ASSERT_TRUE(Session().IsConnected()) << (gui.boxes.empty() ? "" : gui.boxes.back().text);
  ASSERT_NO_FATAL_FAILURE(ReadEveryNewTrack(60000));
  EXPECT_EQ(TrackFiles().size(), 5u);
  ASSERT_TRUE(gui.Press("connect"));
  EXPECT_EQ(gui.window->StatusText().toStdString(), "Disconnected " + pty + "(230400).");
}

TEST_F(DevicePage, LoggersThatComeAndGoShowUpInTheUsbListAndTheNewOneIsChosen) {
  auto* list = gui.Find<QComboBox>("portList");
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->itemText(0), "ttyACM0");  // the USB way: the logger's port only
  ports.AddUsbTty("ttyACM1", "1-3", "0e8d", "3329");
  ports.AddUsbTty("ttyUSB1", "1-4", "0403", "6001");  // some other USB serial adapter
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return list->findText("ttyACM1") >= 0; }, 3000));
  EXPECT_EQ(list->currentText(), "ttyACM1") << "the logger that arrived is chosen";
  EXPECT_EQ(list->count(), 2) << "no other port joins the USB list";
  ports.Unplug("ttyACM1");
  ASSERT_TRUE(GuiDriver::WaitFor([&] { return list->findText("ttyACM1") < 0; }, 3000));
  EXPECT_EQ(list->count(), 1);
  EXPECT_EQ(list->currentText(), "ttyACM0");
}

TEST_F(DevicePage, WhileConnectedThePortBoxShowsThePortInUse) {
  ConnectAndReadOptions();
  auto* list = gui.Find<QComboBox>("portList");
  ASSERT_EQ(list->currentText(), "emulated");
  ports.AddUsbTty("ttyACM1", "1-3", "0e8d", "3329");
  ports.Unplug("ttyACM0");
  GuiDriver::WaitFor([] { return false; }, 400);  // several looks for ports
  EXPECT_EQ(list->currentText(), "emulated");
  ASSERT_TRUE(gui.Press("connect"));  // Disconnect: the list is made again
  EXPECT_EQ(list->findText("ttyACM1"), list->currentIndex());
  EXPECT_EQ(list->count(), 1) << "ttyACM0 left while connected";
}

TEST_F(DevicePage, EscapeAndReturnDoNotCloseTheWindow) {
  gui.window->show();
  for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(gui.window.get(), &press);
  }
  EXPECT_TRUE(gui.window->isVisible());
}

TEST_F(DevicePage, TheConnectionImageFlashesWhileBytesArrive) {
  std::vector<ConnectionImage> images;
  QObject::connect(&gui.window->Host(), &gui::QtSessionHost::connectionImage,
                   [&](ConnectionImage image) { images.push_back(image); });
  ConnectAndReadOptions();
  ASSERT_TRUE(
      GuiDriver::WaitFor([&] { return gui.window->Image() == ConnectionImage::Connected; }));
  ASSERT_GE(images.size(), 3u);
  EXPECT_EQ(images[0], ConnectionImage::Connected);
  EXPECT_EQ(images[1], ConnectionImage::Receiving);
  EXPECT_EQ(images.back(), ConnectionImage::Connected);
  gui.Press("connect");
  EXPECT_EQ(gui.window->Image(), ConnectionImage::Disconnected);
}

}  // namespace
}  // namespace tavrin::test
