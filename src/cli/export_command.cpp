// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/export_command.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "export/desktop_opener.h"
#include "export/export_commands.h"
#include "export/export_formats.h"
#include "export/export_paths.h"
#include "export/exportable_points.h"
#include "map/map_line.h"
#include "settings/app_paths.h"

namespace tavrin::cli {
namespace {

struct ExportArguments {
  std::string format;
  std::string outFolder;
  bool open = false;
  std::vector<std::string> files;
};

// One map page of the points of all the files, one after another, beside the first file. A file
// that cannot be read is told of and left off the page; the good ones are drawn. The page that
// needs no key is written beside it: without a map key the web map service draws nothing, and
// with one the page offers it when the service cannot be reached.
Result<std::vector<std::string>> ExportMapPages(TrackStore& store, ExportWriter& writer,
                                                const std::vector<std::string>& files) {
  PointVector points;
  size_t drawn = 0;
  for (const std::string& file : files) {
    const auto entry = store.Files().ReadTrackHeader(file);
    if (entry && store.Files().ReadTrackPoints(*entry, points)) {
      ++drawn;
    } else {
      std::cerr << "tavrin export: " << file << " is left off the map page.\n";
    }
  }
  if (drawn == 0) {
    const std::string why = "none of the files could be read; no map page was made.";
    std::cerr << "tavrin export: " << why << "\n";
    return Failure{why};
  }
  const std::string folder = FolderOf(files.front());
  // Both pages hold a long track's line with its levels of detail: worked out once.
  const ExportablePoints exportable(points);
  const std::string line = EncodeMapLine(exportable.Points());
  auto page = writer.MakeMapPage(folder, kMapPageWidth, kMapPageHeight, points, &line);
  if (!page) return page.Error();
  std::vector<std::string> pages{*page};
  auto open = writer.MakeOpenMapPage(folder, points, &line);
  if (!open) return open.Error();
  pages.push_back(*open);
  return pages;
}

// The store has told why a file could not be read.
Result<std::string> ExportOne(TrackStore& store, ExportWriter& writer, ExportKind kind,
                              const std::string& file) {
  const auto entry = store.Files().ReadTrackHeader(file);
  if (!entry) return Failure{file + " cannot be read."};
  PointVector points;
  return ExportRecord(store, writer, kind, {file, std::span(&*entry, 1), false},
                      ResourceFolder(ProgramFolder()).string(), points);
}

bool PrepareOutFolder(const std::string& folder) {
  if (folder.empty()) return true;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (std::filesystem::is_directory(folder, error)) return true;
  std::cerr << "tavrin export: cannot create the folder " << folder
            << ". Choose another one with --out.\n";
  return false;
}

int RunExport(const GlobalOptions& global, const ExportArguments& args) {
  if (!PrepareOutFolder(args.outFolder)) return kExitFailure;
  CliContext context(global);
  TrackStore& store = context.Store();
  const ExportOptions options{store.Zone(), args.outFolder, context.GetSettings().googleMapLicense};
  ExportWriter writer(StderrMessages(), nullptr, options);
  bool allOpened = true;
  const auto announce = [&args, &allOpened](const std::string& path) {
    std::cout << path << std::endl;
    if (!args.open) return;
    const OpenerOutcome opened = OpenWithDesktop(path);
    if (opened.Succeeded()) return;
    std::cerr << "tavrin export: " << OpenerFailureText(path, opened) << "\n";
    allOpened = false;
  };

  if (args.format == "map") {
    const auto pages = ExportMapPages(store, writer, args.files);
    if (!pages) return kExitFailure;
    for (const std::string& page : *pages) announce(page);
    return context.FileProblems() > 0 || !allOpened ? kExitFailure : kExitOk;
  }
  // The command line's check has let through only the formats' words and "map".
  const ExportKind kind = FindExportFormat(args.format)->kind;
  bool allWritten = true;
  for (const std::string& file : args.files) {
    if (const auto path = ExportOne(store, writer, kind, file)) {
      announce(*path);
    } else {
      std::cerr << "tavrin export: " << file << " was not exported.\n";
      allWritten = false;
    }
  }
  return allWritten && allOpened && context.FileProblems() == 0 ? kExitOk : kExitFailure;
}

// "a, b, c or d".
std::string ListedInWords(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? " or " : ", ";
    text += items[i];
  }
  return text;
}

// Each format's files with their folder, "KML (KML/)", then the map page.
std::string ExportDescription() {
  std::vector<std::string> kinds;
  for (const ExportFormat& format : ExportFormats()) {
    kinds.push_back(std::string(format.helpName) + " (" + format.folder + "/)");
  }
  return "Writes track files as " + ListedInWords(kinds) + " beside each track file, or one map " +
         "page (" + kKmlFolder + "/" + kMapPageName + ") of all their points. Prints each file " +
         "written.";
}

// The FORMAT words: each format's, then the map page's.
std::vector<std::string> FormatWords() {
  std::vector<std::string> words;
  for (const ExportFormat& format : ExportFormats()) words.emplace_back(format.commandName);
  words.emplace_back("map");
  return words;
}

}  // namespace

void AddExportCommand(CLI::App& app, const GlobalOptions& global, std::function<int()>& run) {
  auto args = std::make_shared<ExportArguments>();
  CLI::App* command = app.add_subcommand("export", ExportDescription());
  const std::vector<std::string> words = FormatWords();
  command->add_option("FORMAT", args->format, ListedInWords(words))
      ->required()
      ->check(CLI::IsMember(words));
  command->add_option("FILE", args->files, "Track files (.bt0)")->required();
  command->add_option("--out", args->outFolder, "Write the files into this folder instead");
  command->add_flag("--open", args->open,
                    "Open each file written with the desktop's application for it");
  command->callback(
      [&global, args, &run] { run = [&global, args] { return RunExport(global, *args); }; });
}

}  // namespace tavrin::cli
