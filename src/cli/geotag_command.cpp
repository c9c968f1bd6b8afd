// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/geotag_command.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/command_line.h"
#include "photos/photo_scan.h"
#include "photos/photo_time.h"
#include "photos/photo_writing.h"

namespace tavrin::cli {
namespace {

using namespace tavrin::photos;

// Fewer photos than this are written before a user could wonder whether anything happens.
constexpr size_t kProgressFrom = 20;

struct GeotagArguments {
  std::string zone;
  std::string offset;
  std::string clockPhoto;
  std::string clockTime;
  double maxGap = kDefaultMaxGapSeconds;
  bool sidecar = false;
  bool overwrite = false;
  bool dryRun = false;
  bool recursive = false;
  bool touch = false;
  std::vector<std::string> paths;
};

// --zone: a zone of the time-zone database ("Europe/Berlin") or a fixed "+HH:MM".
std::optional<LocalZone> CameraZone(const std::string& text, const LocalZone& fallback) {
  if (text.empty()) return fallback;
  if (auto zone = ParseCameraZone(text)) return zone;
  std::cerr << "tavrin geotag: --zone " << text
            << " is no time zone; give a zone such as Europe/Berlin or an offset such as "
               "+02:00.\n";
  return std::nullopt;
}

// The clock's error from --offset, or from --clock-photo and --clock-time; 0 without either.
// Empty, with the reason on stderr, when it cannot be had.
std::optional<double> ClockOffset(const GeotagArguments& args, const LocalZone& zone,
                                  int& exitCode) {
  exitCode = kExitUsage;
  std::string why;
  if (!args.offset.empty()) {
    const auto offset = ParseClockOffset(args.offset, why);
    if (!offset) std::cerr << "tavrin geotag: --offset: " << why << ".\n";
    return offset;
  }
  if (args.clockPhoto.empty()) return 0.0;
  const auto trueTime = ParseTrueTime(args.clockTime, ClockPhotoZone(args.clockPhoto, zone), why);
  if (!trueTime) {
    std::cerr << "tavrin geotag: --clock-time: " << why << ".\n";
    return std::nullopt;
  }
  auto offset = ClockOffsetFromPhoto(args.clockPhoto, *trueTime, zone);
  if (!offset) {
    exitCode = kExitFailure;
    std::cerr << "tavrin geotag: " << offset.Error().reason << ".\n";
    return std::nullopt;
  }
  return *offset;
}

std::string ShownTime(const PhotoItem& item) {
  return item.utcSeconds ? FormatUtc(*item.utcSeconds) : "-";
}

std::string Outcome(const PhotoItem& item, bool dryRun) {
  const std::string into = item.toSidecar ? " in " + SidecarPath(item.path) : "";
  switch (item.state) {
    case PhotoState::Tagged:
      return FormatPosition(*item.position) + into;
    case PhotoState::ToTag:
      return (dryRun ? "would write " : "not written (stopped): ") +
             FormatPosition(*item.position) + into;
    case PhotoState::OutOfRange:
    case PhotoState::AlreadyTagged:
      return item.reason;
    case PhotoState::Failed:
      return (dryRun ? "would fail: " : "failed: ") + item.reason;
  }
  return {};
}

void PrintProgress(size_t done, size_t total) {
  std::fprintf(stderr, "\rtavrin geotag: writing photo %zu of %zu", done, total);
  if (done == total) std::fputc('\n', stderr);
  std::fflush(stderr);
}

int Report(const std::vector<PhotoItem>& items, bool dryRun, size_t pathProblems) {
  for (const PhotoItem& item : items) {
    const std::string line = item.path + "\t" + ShownTime(item) + "\t" + Outcome(item, dryRun);
    std::cout << line << "\n";
    if (item.state == PhotoState::Failed) std::cerr << "tavrin geotag: " << item.reason << "\n";
  }
  const PhotoCounts counts = CountPhotos(items);
  // A dry run counts the photos it would tag.
  const size_t tagged = counts.tagged + (dryRun ? counts.toTag : 0);
  const size_t outOfRange = counts.outOfRange, alreadyTagged = counts.alreadyTagged,
               failed = counts.failed;
  std::cout << (dryRun ? "Would tag: " : "Tagged: ") << tagged << ", out of range: " << outOfRange
            << ", already tagged: " << alreadyTagged << ", failed: " << failed
            << (dryRun ? " (dry run: nothing was written)" : "") << "\n";
  return failed + pathProblems > 0 ? kExitFailure : kExitOk;
}

int RunGeotag(const GlobalOptions& global, const GeotagArguments& args) {
  CliContext context(global);
  const auto zone = CameraZone(args.zone, context.Store().Zone());
  if (!zone) return kExitUsage;
  int offsetExit = kExitOk;
  const auto offset = ClockOffset(args, *zone, offsetExit);
  if (!offset) return offsetExit;
  if (const auto ended = context.FindDataFolder()) {
    if (*ended != kExitOk) return *ended;
    std::cerr << "tavrin geotag: no tracks are stored yet; read the logger's tracks first "
                 "(tavrin read), or choose the folder that holds them with --data.\n";
    return kExitFailure;
  }
  const auto timeline = LoadStoredTimeline(context.Store());
  if (!timeline) {
    std::cerr << "tavrin geotag: " << timeline.Error().reason << ".\n";
    return kExitFailure;
  }

  const FoundPhotos found = FindPhotos(args.paths, args.recursive);
  for (const std::string& problem : found.problems)
    std::cerr << "tavrin geotag: " << problem << "\n";
  GeotagOptions options;
  options.cameraZone = *zone;
  options.clockOffsetSeconds = *offset;
  options.maxGapSeconds = args.maxGap;
  options.sidecar = args.sidecar;
  options.overwrite = args.overwrite;
  options.keepModificationTime = !args.touch;
  std::vector<PhotoItem> items = PlanPhotos(found.files, *timeline, options);
  if (!args.dryRun) {
    const size_t toWrite =
        static_cast<size_t>(std::count_if(items.begin(), items.end(), [](const PhotoItem& i) {
          return i.state == PhotoState::ToTag;
        }));
    const bool showProgress = toWrite >= kProgressFrom && ::isatty(STDERR_FILENO);
    WritePhotos(items, options, showProgress ? GeotagProgressFn(PrintProgress) : nullptr);
  } else {
    CheckPhotos(items);
  }
  return Report(items, args.dryRun, found.problems.size());
}

}  // namespace

void AddGeotagCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto args = std::make_shared<GeotagArguments>();
  CLI::App* command = app.add_subcommand(
      "geotag",
      "Writes where each photo was taken into it, from the stored tracks. A photo's time is its "
      "EXIF DateTimeOriginal (with SubSecTimeOriginal), in the zone of its OffsetTimeOriginal or "
      "else of --zone (default: the zone of Software Options), corrected by the camera clock's "
      "error; the position is interpolated between the two stored points around that time, from "
      "all stored tracks. JPEGs get the GPS tags in their EXIF (written beside the photo, checked "
      "and renamed over it; the image data and every other tag stay as they were, and so does "
      "the file's modification time); raw, HEIF and TIFF files, and every photo with --sidecar, "
      "get an XMP sidecar NAME.xmp instead. Prints one line per photo (file, UTC time, position "
      "or why it was not tagged) and a summary. Example: tavrin geotag --zone Europe/Berlin "
      "--offset +00:01:30 --recursive ~/Pictures/Trip");
  command->add_option("PATH", args->paths, "Photos, or folders of photos")->required();
  command->add_option("--zone", args->zone,
                      "Zone the camera clock was set to, for photos that do not say: a zone "
                      "such as Europe/Berlin, or +HH:MM (default: the zone of Software Options)");
  CLI::Option* offset = command->add_option(
      "--offset", args->offset,
      "Added to the camera's time to give the true time, +HH:MM:SS or -HH:MM:SS (a camera 90 s "
      "slow: +00:01:30)");
  CLI::Option* clockPhoto = command->add_option(
      "--clock-photo", args->clockPhoto,
      "A photo whose true time you know (of the logger's or a phone's clock); with --clock-time "
      "the camera clock's error is worked out from it");
  CLI::Option* clockTime = command->add_option(
      "--clock-time", args->clockTime,
      "The true time the --clock-photo was taken, YYYY-MM-DD hh:mm:ss in the camera's zone (Z "
      "or +hh:mm at the end for another)");
  clockPhoto->needs(clockTime);
  clockTime->needs(clockPhoto);
  offset->excludes(clockPhoto);
  offset->excludes(clockTime);
  command
      ->add_option("--max-gap", args->maxGap,
                   "Most seconds between a photo and the nearest stored point (default 60)")
      ->check(PositiveSeconds(86400));
  command->add_flag("--sidecar", args->sidecar, "Write NAME.xmp beside every photo instead");
  command->add_flag("--overwrite", args->overwrite,
                    "Replace the position of photos that have one already");
  command->add_flag("--dry-run", args->dryRun, "Show what would be written and write nothing");
  command->add_flag("--recursive", args->recursive, "Take the photos of subfolders too");
  command->add_flag("--touch", args->touch,
                    "Give tagged photos the present modification time instead of keeping theirs");
  command->callback(
      [&global, args, &run] { run = [&global, args] { return RunGeotag(global, *args); }; });
}

}  // namespace tavrin::cli
