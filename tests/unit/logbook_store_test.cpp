// SPDX-License-Identifier: GPL-3.0-or-later
// The logbook's own data on disk: every change kept with its time and the value it replaced, a
// damaged file refused and kept aside, and a change killed half-way leaving the old state or the
// new one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "logbook/logbook_store.h"
#include "test_support.h"

namespace tavrin::logbook {
namespace {

namespace fs = std::filesystem;

TEST(LogbookStore, EveryChangeIsKeptWithItsTimeAndTheValueItReplaced) {
  test::TempDir dir;
  long long now = 1'700'000'000;
  LogbookStore store([&now] { return now; });
  ASSERT_TRUE(store.Open(dir.Path().string()));
  ASSERT_TRUE(store.AddPlace("Home", 37.55, 126.98));
  EXPECT_FALSE(store.AddPlace("Home", 1, 1)) << "a name is kept once";
  EXPECT_FALSE(store.AddPlace(" ", 1, 1));
  EXPECT_FALSE(store.AddPlace("Pole", 90.5, 1));
  EXPECT_FALSE(store.AddPlace("Wide", 1, 1, 0));
  now += 60;
  ASSERT_TRUE(store.RenamePlace("Home", "House"));
  ASSERT_TRUE(store.MovePlace("House", 37.56, 126.98, 300.0));
  const std::string tracks[] = {"20240501_070000.bt0", "20240501_100000.bt0"};
  ASSERT_TRUE(store.SetPurpose(tracks, Purpose::Business));
  now += 60;
  ASSERT_TRUE(store.SetPurpose({tracks, 1}, Purpose::Private));
  ASSERT_TRUE(store.SetNote({tracks + 1, 1}, "Kim"));
  ASSERT_TRUE(store.RemovePlace("House"));
  EXPECT_TRUE(store.Places().empty());
  EXPECT_TRUE(store.AddPlace("House", 0, 0)) << "a removed place's name is free again";

  const auto entries = store.Entries();
  EXPECT_EQ(entries.at(tracks[0]).purpose, Purpose::Private);
  EXPECT_EQ(entries.at(tracks[1]).note, "Kim");
  const auto ofFirst = store.Changes(tracks[0]);
  ASSERT_EQ(ofFirst.size(), 2u);
  EXPECT_EQ(ofFirst[1].before, "business");
  EXPECT_EQ(ofFirst[1].after, "private");
  EXPECT_EQ(ofFirst[1].atUtc, now);
  const auto all = store.Changes();
  ASSERT_EQ(all.size(), 10u);
  EXPECT_EQ(all[1].kind, "place");
  EXPECT_EQ(all[1].before, "Home");
  EXPECT_EQ(all[1].after, "House");
  EXPECT_EQ(all[1].atUtc, 1'700'000'060);
  EXPECT_EQ(all[3].field, "radius");
  EXPECT_EQ(all[3].after, "300 m");

  // What is kept is on disk, for the next program to open.
  LogbookStore again;
  ASSERT_TRUE(again.Open(dir.Path().string()));
  EXPECT_EQ(again.Changes().size(), all.size());
  EXPECT_EQ(again.Entries().at(tracks[1]).purpose, Purpose::Business);
}

TEST(LogbookStore, ADamagedLogbookIsRefusedAndACopyKeptAside) {
  test::TempDir dir;
  {
    LogbookStore store;
    ASSERT_TRUE(store.Open(dir.Path().string()));
    ASSERT_TRUE(store.AddPlace("Home", 37.55, 126.98));
  }
  const fs::path file = dir.Path() / kLogbookFileName;
  {  // every page after the first overwritten
    const auto size = static_cast<size_t>(fs::file_size(file));
    ASSERT_GT(size, 4096u);
    std::fstream bytes(file, std::ios::in | std::ios::out | std::ios::binary);
    bytes.seekp(4096);
    const std::string noise(size - 4096, '\x5a');
    bytes.write(noise.data(), static_cast<std::streamsize>(noise.size()));
  }
  const std::vector<uint8_t> damaged = test::ReadBytes(file.string());
  LogbookStore store([] { return 1'700'000'000LL; });
  const Result<void> opened = store.Open(dir.Path().string());
  ASSERT_FALSE(opened);
  EXPECT_FALSE(store.IsOpen());
  const fs::path copy = file.string() + ".damaged-20231114-221320";
  const std::string& reason = opened.Error().reason;
  EXPECT_NE(reason.find("is damaged"), std::string::npos) << reason;
  EXPECT_NE(reason.find(copy.string()), std::string::npos) << reason;
  EXPECT_EQ(reason.find('\n'), std::string::npos) << "one plain sentence, no checker's report";
  EXPECT_EQ(reason.find("Page"), std::string::npos) << reason;
  EXPECT_EQ(test::ReadBytes(copy.string()), damaged);
  EXPECT_EQ(test::ReadBytes(file.string()), damaged) << "the user's file is left as it was";

  // Opened again in the same second: the same copy serves; other bytes get a name of their own.
  const Result<void> again = store.Open(dir.Path().string());
  ASSERT_FALSE(again);
  EXPECT_NE(again.Error().reason.find(copy.string() + ")"), std::string::npos)
      << again.Error().reason;
  std::ofstream(file, std::ios::binary | std::ios::app) << "more";
  const Result<void> changed = store.Open(dir.Path().string());
  ASSERT_FALSE(changed);
  EXPECT_NE(changed.Error().reason.find(copy.string() + "-2)"), std::string::npos)
      << changed.Error().reason;
  size_t copies = 0;
  for (const auto& item : fs::directory_iterator(dir.Path())) {
    copies += item.path().filename().string().starts_with("logbook.sqlite.damaged-") ? 1 : 0;
  }
  EXPECT_EQ(copies, 2u);
}

// A line break or a tab would split a place's row: the name is kept without them, and found by
// the name the list shows; a note keeps them, being free text.
TEST(LogbookStore, APlaceNameIsKeptWithoutControlCharactersAndANoteWithThem) {
  test::TempDir dir;
  LogbookStore store;
  ASSERT_TRUE(store.Open(dir.Path().string()));
  ASSERT_TRUE(store.AddPlace("\tNew\r\nLine\x7f", 37.5, 127));
  ASSERT_EQ(store.Places().size(), 1u);
  EXPECT_EQ(store.Places()[0].name, "New Line");
  EXPECT_FALSE(store.AddPlace("New\nLine", 1, 1)) << "the same name once cleaned";
  ASSERT_TRUE(store.RenamePlace("New Line", "Old\tLine"));
  EXPECT_EQ(store.Places()[0].name, "Old Line");
  EXPECT_FALSE(store.AddPlace("\n\t", 1, 1)) << "nothing left of the name";
  ASSERT_TRUE(store.RemovePlace("Old Line"));
  EXPECT_TRUE(store.Places().empty());
  const std::string track[] = {"20240501_070000.bt0"};
  ASSERT_TRUE(store.SetNote(track, "Kim\n\tsigned"));
  EXPECT_EQ(store.Entries().at(track[0]).note, "Kim\n\tsigned");
}

// A program killed while it writes notes over and over: the logbook opens whole, and the note
// is one that was written, with the change that wrote it last in the history.
TEST(LogbookStore, AChangeKilledHalfWayLeavesTheOldStateOrTheNew) {
  test::TempDir dir;
  const std::string track = "20240501_070000.bt0";
  {
    LogbookStore store;
    ASSERT_TRUE(store.Open(dir.Path().string()));
  }
  for (const int afterMs : {5, 20, 60}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      LogbookStore store;
      if (!store.Open(dir.Path().string())) ::_exit(1);
      const std::string one[] = {track};
      for (int n = 0;; ++n) (void)store.SetNote(one, "note " + std::to_string(n));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(afterMs));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    LogbookStore store;
    ASSERT_TRUE(store.Open(dir.Path().string())) << "after " << afterMs << " ms";
    const auto entries = store.Entries();
    if (entries.empty()) continue;  // killed before its first change
    const auto changes = store.Changes(track);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(entries.at(track).note, changes.back().after);
  }
}

}  // namespace
}  // namespace tavrin::logbook
