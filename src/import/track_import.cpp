// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/track_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "import/gpx_reader.h"
#include "import/kml_reader.h"
#include "import/nmea_reader.h"
#include "import/track_splitter.h"
#include "store/posix_file.h"

namespace tavrin::imports {
namespace {

constexpr size_t kPieceBytes = 1 << 20;
constexpr size_t kSniffBytes = 4096;

struct OpenedFile {
  UniqueFd fd;
  uint64_t size = 0;
};

// Only regular files are read: a FIFO would block, a device never end. O_NONBLOCK keeps the
// open itself from waiting for a FIFO's writer.
Result<OpenedFile> OpenTrackFileToImport(const std::string& path) {
  OpenedFile opened{OpenFile(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
  if (!opened.fd.Valid()) {
    const int error = errno;
    return SystemFailure(error, "cannot be opened (" + std::string(std::strerror(error)) +
                                    "). Check its name and that you may read it");
  }
  struct stat info {};
  if (::fstat(opened.fd.Get(), &info) != 0) {
    return SystemFailure(errno, "cannot be read (" + std::string(std::strerror(errno)) + ")");
  }
  if (S_ISDIR(info.st_mode)) {
    return Failure{"is a folder. Give the GPX, KML or NMEA files in it instead"};
  }
  if (!S_ISREG(info.st_mode)) {
    return Failure{
        "is no regular file (a pipe or a device), so it is not read. Save it as a "
        "file first"};
  }
  if (info.st_size == 0) return Failure{"is empty (0 bytes): there is nothing to import"};
  // Back to blocking reads: a regular file never waits, and some file systems refuse O_NONBLOCK.
  ::fcntl(opened.fd.Get(), F_SETFL, ::fcntl(opened.fd.Get(), F_GETFL) & ~O_NONBLOCK);
  opened.size = static_cast<uint64_t>(info.st_size);
  return opened;
}

// XML says its encoding itself, and expat reads UTF-16 as well.
std::unique_ptr<TrackReader> MakeReader(const Sniffed& sniffed, PointSink& sink) {
  switch (sniffed.format) {
    case TrackFormat::Gpx:
      return MakeGpxReader(sink);
    case TrackFormat::Kml:
      return MakeKmlReader(sink);
    case TrackFormat::Nmea:
      if (sniffed.encoding == TextEncoding::Utf8) return MakeNmeaReader(sink);
      return MakeUtf16Reader(sniffed.encoding, MakeNmeaReader(sink));
  }
  return nullptr;
}

class FileImporter {
 public:
  FileImporter(TrackStore& store, const ImportOptions& options, uint64_t& done, uint64_t total)
      : store_(store), options_(options), done_(done), total_(total) {}

  FileImport Import(const std::string& path) {
    FileImport result;
    result.file = path;
    auto opened = OpenTrackFileToImport(path);
    if (!opened) {
      result.failure = path + " " + opened.Error().reason + ".";
      return result;
    }
    TrackSplitter splitter(store_, result, options_.allOrNothing);
    const bool wholeFile = Read(*opened, splitter, result);
    if (result.stopped || (!wholeFile && options_.allOrNothing)) {
      splitter.Discard();
    } else {
      splitter.Finish();
    }
    splitter.Summarise();
    if (options_.allOrNothing && !result.stopped) {
      if (result.Failed()) {
        splitter.Discard();
        result.notes.push_back(path + ": nothing of it was imported, as all or nothing was asked.");
      } else {
        splitter.WriteHeld();
      }
    }
    return result;
  }

 private:
  // False when the file could not be read to its end.
  bool Read(OpenedFile& file, TrackSplitter& splitter, FileImport& result) {
    std::unique_ptr<TrackReader> reader;
    std::string start;
    std::string buffer(kPieceBytes, '\0');
    uint64_t offset = 0;
    const uint64_t startDone = done_;
    while (offset < file.size) {
      if (options_.stop && options_.stop->load()) {
        result.stopped = true;
        return false;
      }
      const size_t want = static_cast<size_t>(std::min<uint64_t>(kPieceBytes, file.size - offset));
      const ssize_t got = ReadAt(file.fd.Get(), buffer.data(), want, static_cast<off_t>(offset));
      if (got < 0) {
        result.failure = result.file + " could not be read: " + std::strerror(errno) + ".";
        return false;
      }
      const bool last = got == 0 || offset + static_cast<uint64_t>(got) >= file.size;
      std::string_view piece(buffer.data(), static_cast<size_t>(got));
      offset += static_cast<uint64_t>(got);
      if (!reader) {
        // The first pieces are kept until they tell what the file is, then read as one.
        const bool gathering = !start.empty();
        if (gathering) start.append(piece);
        const std::string_view seen = gathering ? std::string_view(start) : piece;
        const auto sniffed = SniffFormat(seen, last || seen.size() >= kMostBytesBeforeASentence);
        if (!sniffed) {
          result.failure = result.file + " " + sniffed.Error().reason + ".";
          return false;
        }
        if (!*sniffed) {
          if (!gathering) start.assign(piece);
          continue;
        }
        reader = MakeReader(**sniffed, splitter);
        piece = seen;
      }
      const auto fed = reader->Feed(piece, last);
      std::string().swap(start);
      if (!fed) {
        result.failure = result.file + ", " + fed.Error().reason + ".";
        return false;
      }
      if (splitter.WriteFailed()) return false;
      done_ = startDone + offset;
      if (options_.progress) options_.progress(done_, total_);
      if (got == 0) break;  // the file shrank while it was read
    }
    return true;
  }

  TrackStore& store_;
  const ImportOptions& options_;
  uint64_t& done_;
  uint64_t total_;
};

// The root element decides; declarations and comments may come before it.
Result<TrackFormat> XmlFormat(std::string_view start) {
  size_t at = 0;
  while ((at = start.find('<', at)) != std::string_view::npos) {
    const std::string_view rest = start.substr(at + 1);
    if (!rest.starts_with('?') && !rest.starts_with('!')) {
      const size_t colon = rest.find_first_of(":> \t\r\n/");
      std::string_view name = rest.substr(0, colon);
      if (colon != std::string_view::npos && rest[colon] == ':') {
        name = rest.substr(colon + 1, rest.find_first_of("> \t\r\n/", colon) - colon - 1);
      }
      if (name == "gpx") return TrackFormat::Gpx;
      if (name == "kml") return TrackFormat::Kml;
      return Failure{"is XML, but neither GPX nor KML (its first element is <" +
                     std::string(name.substr(0, 40)) + ">)"};
    }
    ++at;
  }
  return Failure{"begins as XML but has no element in its first " + std::to_string(kSniffBytes) +
                 " bytes; it is no GPX or KML file we can read"};
}

bool IsAddressCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A line that begins, after blanks, as an NMEA sentence does: "$", an address of capitals and
// digits, a comma.
bool BeginsSentence(std::string_view line) {
  const size_t dollar = line.find_first_not_of(" \t");
  if (dollar == std::string_view::npos || line[dollar] != '$') return false;
  size_t at = dollar + 1;
  while (at < line.size() && IsAddressCharacter(line[at])) ++at;
  return at - dollar - 1 >= 3 && at < line.size() && line[at] == ',';
}

bool HoldsSentence(std::string_view text) {
  size_t from = 0;
  while (from < text.size()) {
    const size_t end = text.find('\n', from);
    if (BeginsSentence(text.substr(from, end - from))) return true;
    if (end == std::string_view::npos) break;
    from = end + 1;
  }
  return false;
}

uint64_t FileSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
             ? static_cast<uint64_t>(info.st_size)
             : 0;
}

}  // namespace

Result<std::optional<Sniffed>> SniffFormat(std::string_view start, bool whole) {
  const TextEncoding encoding = DetectEncoding(start);
  std::string decoded;
  std::string_view text = start;
  if (encoding != TextEncoding::Utf8) {
    Utf16Decoder(encoding).Decode(start, decoded);
    text = decoded;
  }
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) {
    if (!whole) return std::optional<Sniffed>();
    return Failure{"holds only blank space: there is nothing to import"};
  }
  if (text[first] == '<') {
    auto format = XmlFormat(text.substr(first, kSniffBytes));
    if (format) return std::optional<Sniffed>(Sniffed{*format, encoding});
    // A log may begin with a note such as "<start>".
    if (!HoldsSentence(text)) return format.Error();
    return std::optional<Sniffed>(Sniffed{TrackFormat::Nmea, encoding});
  }
  if (HoldsSentence(text)) return std::optional<Sniffed>(Sniffed{TrackFormat::Nmea, encoding});
  if (!whole) return std::optional<Sniffed>();
  if (encoding == TextEncoding::Utf8 && text.find('\0') != std::string_view::npos) {
    return Failure{"holds binary data, so it is no GPX, KML or NMEA file"};
  }
  return Failure{
      "is no GPX, KML or NMEA file (it holds neither an XML element nor an NMEA "
      "sentence in its first " +
      std::to_string(std::min(text.size(), kMostBytesBeforeASentence)) + " bytes)"};
}

std::vector<FileImport> ImportFiles(TrackStore& store, std::span<const std::string> files,
                                    const ImportOptions& options) {
  uint64_t total = 0, done = 0;
  for (const std::string& file : files) total += FileSize(file);
  std::vector<FileImport> results;
  FileImporter importer(store, options, done, total);
  for (const std::string& file : files) {
    if (options.stop && options.stop->load()) break;
    results.push_back(importer.Import(file));
  }
  return results;
}

}  // namespace tavrin::imports
