// What every export format shares: a failed export never costs the earlier file of its name.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "export/kml_creator.h"
#include "export_test_support.h"

namespace tavrin {
namespace {

using test::At;

struct Format {
  const char* name;
  const char* file;  // where the export goes, under the track's folder
  std::function<std::optional<std::string>(CKMLCreator&, const std::string& trackFile,
                                           std::span<const SAVELOG>)>
      make;
};

const Format kFormats[] = {
    {"KML", "KML/20150102_030405.kml",
     [](CKMLCreator& w, const std::string& track, std::span<const SAVELOG> points) {
       return w.MakeKml(track, "/opt/tavrin", points);
     }},
    {"NMEA text", "TXT/20150102_030405.txt",
     [](CKMLCreator& w, const std::string& track, std::span<const SAVELOG> points) {
       return w.MakeTxt(points, track);
     }},
    {"track log", "DORVALE/20150102_030405.log",
     [](CKMLCreator& w, const std::string& track, std::span<const SAVELOG> points) {
       return w.MakeLog(points, track);
     }},
    {"GPX", "GPX/20150102_030405.gpx",
     [](CKMLCreator& w, const std::string& track, std::span<const SAVELOG> points) {
       return w.MakeGpx(points, track);
     }},
    {"map page", "KML/Tvr_GoogleMap.html",
     [](CKMLCreator& w, const std::string& track, std::span<const SAVELOG> points) {
       return w.MakeMapPage(std::filesystem::path(track).parent_path().string(), 726, 412, points);
     }},
};

// `count` points a second apart along a short line.
std::vector<SAVELOG> Track(int count) {
  std::vector<SAVELOG> points;
  for (int i = 0; i < count; ++i) {
    points.push_back(At({15, 1, 2, 3, 4 + i / 60, i % 60}, 37.5f + i * 1e-4f, 127.25f + i * 1e-4f));
  }
  return points;
}

// The names in a folder, hidden ones included.
std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct ChildRun {
  int exitCode = -1;
  std::string said;  // what the child's work reported
};

// Runs `work` in a child process whose files cannot grow past `limit` bytes, as on a disk that
// is nearly full: writes beyond it fail with EFBIG. The child's exit code is what work returns.
ChildRun RunWithFileSizeLimit(rlim_t limit, const std::function<int(std::string& said)>& work) {
  int channel[2];
  if (::pipe(channel) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    const rlimit small{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &small);
    ::signal(SIGXFSZ, SIG_IGN);
    std::string said;
    const int code = work(said);
    [[maybe_unused]] const ssize_t ignored = ::write(channel[1], said.data(), said.size());
    ::_exit(code);
  }
  ::close(channel[1]);
  ChildRun run;
  char chunk[4096];
  ssize_t n;
  while ((n = ::read(channel[0], chunk, sizeof chunk)) > 0) run.said.append(chunk, n);
  ::close(channel[0]);
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    run.exitCode = WEXITSTATUS(status);
  }
  return run;
}

class ExportFormats : public test::ExportTest {};

TEST_F(ExportFormats, AFailedReExportLeavesTheEarlierFileAsItWas) {
  constexpr int kExportFailed = 3;
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    const std::vector<SAVELOG> first = Track(3);
    CKMLCreator writer = Writer();
    const auto path = format.make(writer, TrackPath(), first);
    ASSERT_EQ(path, dir / format.file);
    const std::string before = test::ReadText(*path);

    // The second export is far larger than the files may grow.
    const std::vector<SAVELOG> longer = Track(5000);
    const ChildRun run = RunWithFileSizeLimit(4096, [&](std::string& said) {
      test::MessageLog messages;
      CKMLCreator limited(messages.Fn());
      const bool written = format.make(limited, TrackPath(), longer).has_value();
      for (const std::string& text : messages.texts) said += text + "\n";
      return written ? 0 : kExportFailed;
    });
    EXPECT_EQ(run.exitCode, kExportFailed) << run.said;
    EXPECT_NE(run.said.find(": File too large. Nothing was written under that name; an earlier "
                            "export of it is unchanged."),
              std::string::npos)
        << run.said;
    EXPECT_EQ(test::ReadText(*path), before);
    // No temporary file is left beside it.
    for (const std::string& name : NamesIn(std::filesystem::path(*path).parent_path().string())) {
      EXPECT_NE(name.front(), '.') << name;
    }
  }
}

TEST_F(ExportFormats, AFinishedExportReplacesTheEarlierOneAndLeavesNothingElse) {
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    CKMLCreator writer = Writer();
    const auto first = format.make(writer, TrackPath(), Track(2));
    ASSERT_TRUE(first);
    const std::string before = test::ReadText(*first);
    const auto second = format.make(writer, TrackPath(), Track(40));
    ASSERT_EQ(second, first);
    EXPECT_GT(test::ReadText(*second).size(), before.size());
  }
  for (const auto& item : std::filesystem::recursive_directory_iterator(dir.Path())) {
    EXPECT_NE(item.path().filename().string().front(), '.') << item.path();
  }
}

}  // namespace
}  // namespace tavrin
