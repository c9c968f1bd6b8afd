// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/exif_gps_block.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "photos/photo_files.h"

namespace tavrin::photos {
namespace {

constexpr uint16_t kMakeTag = 0x010F;
constexpr uint16_t kXResolutionTag = 0x011A;
constexpr uint16_t kYResolutionTag = 0x011B;
constexpr uint16_t kResolutionUnitTag = 0x0128;
constexpr uint16_t kThumbnailOffsetTag = 0x0201;
constexpr uint16_t kThumbnailLengthTag = 0x0202;
constexpr uint16_t kYCbCrPositioningTag = 0x0213;
constexpr uint16_t kExifDirectoryTag = 0x8769;
constexpr uint16_t kGpsDirectoryTag = 0x8825;
constexpr uint16_t kMakerNoteTag = 0x927C;
constexpr uint16_t kInteropDirectoryTag = 0xA005;
// Canon's maker note points at its original decision data (after the image) from the start of
// the file: the one offset that moves when the EXIF segment grows.
constexpr uint16_t kCanonDecisionDataTag = 0x0083;

constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeDirectory = 13;
constexpr size_t kEntrySize = 12;
constexpr std::array<uint8_t, 6> kExifHeader = {'E', 'x', 'i', 'f', 0, 0};
constexpr size_t kLargestSegment = 0xFFFF;  // its length field counts itself, not the marker

const char* const kNotLaidOut = "its EXIF block is not laid out as a JPEG's should be";

using Segment = JpegSegment;

class ByteOrder {
 public:
  explicit ByteOrder(bool little) : little_(little) {}

  uint16_t U16(std::span<const uint8_t> bytes, size_t at) const {
    return little_ ? static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8)
                   : static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
  }
  uint32_t U32(std::span<const uint8_t> bytes, size_t at) const {
    const uint32_t low = U16(bytes, at + (little_ ? 0 : 2));
    const uint32_t high = U16(bytes, at + (little_ ? 2 : 0));
    return high << 16 | low;
  }
  void Put16(std::span<uint8_t> bytes, size_t at, uint16_t value) const {
    bytes[at + (little_ ? 0 : 1)] = static_cast<uint8_t>(value);
    bytes[at + (little_ ? 1 : 0)] = static_cast<uint8_t>(value >> 8);
  }
  void Put32(std::span<uint8_t> bytes, size_t at, uint32_t value) const {
    Put16(bytes, at + (little_ ? 0 : 2), static_cast<uint16_t>(value));
    Put16(bytes, at + (little_ ? 2 : 0), static_cast<uint16_t>(value >> 16));
  }
  void Add16(std::vector<uint8_t>& bytes, uint16_t value) const {
    bytes.resize(bytes.size() + 2);
    Put16(bytes, bytes.size() - 2, value);
  }
  void Add32(std::vector<uint8_t>& bytes, uint32_t value) const {
    bytes.resize(bytes.size() + 4);
    Put32(bytes, bytes.size() - 4, value);
  }

 private:
  bool little_;
};

size_t Even(size_t size) {
  return size + (size & 1);
}

struct Entry {
  size_t at = 0;  // where its 12 bytes start
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  uint32_t value = 0;  // the value itself when it fits, else where it is
};

struct Directory {
  uint64_t at = 0;    // where its entry count starts
  uint64_t base = 0;  // where the offsets of its values count from
  ByteOrder order{true};
  std::vector<Entry> entries;
  uint32_t next = 0;
  const Entry* Find(uint16_t tag) const {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [tag](const Entry& entry) { return entry.tag == tag; });
    return found == entries.end() ? nullptr : &*found;
  }
};

std::optional<Directory> ReadDirectory(std::span<const uint8_t> tiff, const ByteOrder& order,
                                       uint64_t at) {
  if (at + 2 > tiff.size()) return std::nullopt;
  const size_t count = order.U16(tiff, at);
  if (at + 2 + count * kEntrySize + 4 > tiff.size()) return std::nullopt;
  Directory directory;
  directory.at = at;
  directory.order = order;
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = at + 2 + i * kEntrySize;
    directory.entries.push_back({entry, order.U16(tiff, entry), order.U16(tiff, entry + 2),
                                 order.U32(tiff, entry + 4), order.U32(tiff, entry + 8)});
  }
  directory.next = order.U32(tiff, at + 2 + count * kEntrySize);
  return directory;
}

std::string TextOf(std::span<const uint8_t> tiff, const Entry& entry) {
  if (entry.type != 2) return {};
  if (entry.count <= 4) {
    std::string text(4, '\0');
    for (size_t i = 0; i < 4; ++i) text[i] = static_cast<char>(tiff[entry.at + 8 + i]);
    return text.substr(0, entry.count);
  }
  if (static_cast<uint64_t>(entry.value) + entry.count > tiff.size()) return {};
  return std::string(tiff.begin() + entry.value, tiff.begin() + entry.value + entry.count);
}

// The bytes of one value of a TIFF type, by its number; 0 for a type no reader knows, which all
// of them skip.
uint64_t TypeSize(uint16_t type) {
  static constexpr std::array<uint8_t, 14> kSizes = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
  return type < kSizes.size() ? kSizes[type] : 0;
}

// Where an entry's value starts in the block: values too long for their entry are found from the
// directory's base (the block's start, or the start a maker's notes count from).
uint64_t ValueAt(const Directory& directory, const Entry& entry) {
  return directory.base + entry.value;
}

// Whether the value of every entry lies inside the block: what lies outside it would move when
// the block grows.
bool ValuesInside(const Directory& directory, size_t blockSize) {
  return std::all_of(directory.entries.begin(), directory.entries.end(), [&](const Entry& entry) {
    const uint64_t size = TypeSize(entry.type) * entry.count;
    return size <= 4 || ValueAt(directory, entry) + size <= blockSize;
  });
}

bool KnownTypes(const Directory& directory) {
  return std::all_of(directory.entries.begin(), directory.entries.end(),
                     [](const Entry& entry) { return TypeSize(entry.type) > 0; });
}

// Where a maker puts the directory of its notes (after a header of its own, or at their start)
// and what its offsets count from, as exiftool documents each maker's notes.
struct MakerNoteLayout {
  std::string_view header;        // what the notes start with; empty: a maker known by its Make
  std::string_view make;          // for notes without a header: the start of the photo's Make
  size_t directoryAt = 0;         // from the notes' start
  std::optional<size_t> base;     // offsets count from here in the notes; none: the block's start
  std::optional<size_t> orderAt;  // where "II" or "MM" gives the notes' own byte order
  bool littleEndian = false;      // the notes are little-endian whatever the block is
  bool directoryStored = false;   // the directory's place is a little-endian number at +8
};

using namespace std::string_view_literals;
const MakerNoteLayout kMakerNoteLayouts[] = {
    {"Apple iOS\0"sv, {}, 14, 0, 12},
    {"Nikon\0\x02"sv, {}, 18, 10, 10},
    {"Nikon\0\x01"sv, {}, 8, {}, {}},
    {"OLYMPUS\0"sv, {}, 12, 0, 8},
    {"OM SYSTEM\0"sv, {}, 16, 0, 12},
    {"OLYMP\0"sv, {}, 8, {}, {}},
    {"EPSON\0"sv, {}, 8, {}, {}},
    {"Panasonic\0"sv, {}, 12, {}, {}},
    {"AOC\0"sv, {}, 6, {}, 4},
    {"PENTAX \0"sv, {}, 10, 0, 8},
    {"FUJIFILM"sv, {}, 0, 0, {}, true, true},
    {"GENERALE"sv, {}, 0, 0, {}, true, true},
    {"SONY "sv, {}, 12, {}, {}},
    {"SIGMA\0\0\0"sv, {}, 10, {}, {}},
    {"FOVEON\0\0"sv, {}, 10, {}, {}},
    {"QVC\0"sv, {}, 6, {}, {}},
    {"LEICA\0"sv, {}, 8, {}, {}},
    {"Ricoh\0"sv, {}, 8, {}, {}},
    {"RICOH\0"sv, {}, 8, {}, {}},
    {{}, "Canon"sv, 0, {}, {}},
    {{}, "NIKON"sv, 0, {}, {}},
    {{}, "Nintendo"sv, 0, {}, {}},
    {{}, "DJI"sv, 0, {}, {}},
    {{}, "Hasselblad"sv, 0, {}, {}},
    {{}, "SAMSUNG"sv, 0, {}, {}},
    {{}, "Minolta"sv, 0, {}, {}},
    {{}, "KONICA MINOLTA"sv, 0, {}, {}},
};

bool StartsWith(std::span<const uint8_t> bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), bytes.begin(),
                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

const MakerNoteLayout* KnownLayout(std::span<const uint8_t> notes, std::string_view make) {
  for (const MakerNoteLayout& layout : kMakerNoteLayouts) {
    if (layout.header.empty() ? make.starts_with(layout.make) : StartsWith(notes, layout.header)) {
      return &layout;
    }
  }
  return nullptr;
}

// The notes' directory read as their maker lays it out; none where it does not read so.
std::optional<Directory> ReadKnownNotes(std::span<const uint8_t> tiff, const ByteOrder& blockOrder,
                                        uint64_t start, uint64_t end,
                                        const MakerNoteLayout& layout) {
  const auto notes = tiff.subspan(start, end - start);
  ByteOrder order = layout.littleEndian ? ByteOrder(true) : blockOrder;
  if (layout.orderAt && *layout.orderAt + 2 <= notes.size()) {
    if (StartsWith(notes.subspan(*layout.orderAt), "II")) order = ByteOrder(true);
    if (StartsWith(notes.subspan(*layout.orderAt), "MM")) order = ByteOrder(false);
  }
  uint64_t directoryAt = layout.directoryAt;
  if (layout.directoryStored) {
    if (notes.size() < 12) return std::nullopt;
    directoryAt = ByteOrder(true).U32(notes, 8);
  }
  // Some makers leave out the link to a next directory; the entries are what matter here.
  auto directory = ReadDirectory(tiff.first(std::min<uint64_t>(end + 4, tiff.size())), order,
                                 start + directoryAt);
  if (!directory || directory->entries.empty() || !KnownTypes(*directory)) return std::nullopt;
  directory->base = layout.base ? start + *layout.base : 0;
  return directory;
}

// Notes of a maker not known here: the first place after a few bytes of header that reads as a
// sound directory (known types, tags in order) whose values all lie inside the notes or the block.
std::optional<Directory> GuessNotes(std::span<const uint8_t> tiff, const ByteOrder& order,
                                    uint64_t start, uint64_t end) {
  for (const uint64_t header : {0, 6, 8, 10, 12, 14, 18, 22}) {
    const uint64_t at = start + header;
    if (at + 2 > end) break;
    const size_t count = order.U16(tiff, at);
    if (count == 0 || count > 512 || at + 2 + count * kEntrySize > end) continue;
    auto directory = ReadDirectory(tiff.first(std::min<uint64_t>(end + 4, tiff.size())), order, at);
    if (!directory || !KnownTypes(*directory)) continue;
    const auto& entries = directory->entries;
    const bool inOrder =
        std::adjacent_find(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
          return a.tag >= b.tag;
        }) == entries.end();
    if (!inOrder) continue;
    for (const uint64_t base : {uint64_t{0}, start}) {
      directory->base = base;
      if (ValuesInside(*directory, tiff.size())) return directory;
    }
  }
  return std::nullopt;
}

// A maker's notes are no standard: most are a directory after a header of a few bytes, whose
// values are found from the block's start or from the notes' own start. They are read where
// their maker puts them; notes of another maker where they read as a sound directory; none where
// neither reads, as notes that hold no offsets this could know.
std::optional<Directory> MakerNoteDirectory(std::span<const uint8_t> tiff, const ByteOrder& order,
                                            const Entry& note, std::string_view make) {
  const uint64_t start = note.value;
  const uint64_t end = start + note.count;
  if (note.count <= 4 || end > tiff.size()) return std::nullopt;
  if (const MakerNoteLayout* layout = KnownLayout(tiff.subspan(start, end - start), make)) {
    if (auto directory = ReadKnownNotes(tiff, order, start, end, *layout)) return directory;
  }
  return GuessNotes(tiff, order, start, end);
}

// The EXIF block as it is found: its byte order, the directories whose values we check, which
// of its bytes they (and the header, the maker's notes and the thumbnails) take, and where the
// padding at its end starts that nothing uses.
struct Block {
  ByteOrder order{true};
  Directory first;
  std::optional<Directory> exif;
  std::vector<bool> kept;
  size_t unusedFrom = 0;
};

// Marks the bytes of [from, from + size) that lie in the block.
void Mark(std::vector<bool>& bytes, uint64_t from, uint64_t size) {
  for (uint64_t at = from; at < from + size && at < bytes.size(); ++at) bytes[at] = true;
}

// Marks the bytes of a directory and of the values it points to.
void MarkDirectory(std::vector<bool>& bytes, const Directory& directory) {
  Mark(bytes, directory.at, 2 + directory.entries.size() * kEntrySize + 4);
  for (const Entry& entry : directory.entries) {
    const uint64_t size = TypeSize(entry.type) * entry.count;
    if (size > 4) Mark(bytes, ValueAt(directory, entry), size);
  }
}

// Which bytes of a block of `size` are taken by the header, these directories with their values,
// and a thumbnail or preview one of them leads to.
std::vector<bool> BytesInUse(size_t size, const std::vector<Directory>& directories) {
  std::vector<bool> used(size, false);
  Mark(used, 0, 8);
  for (const Directory& directory : directories) {
    MarkDirectory(used, directory);
    const Entry* offset = directory.Find(kThumbnailOffsetTag);
    const Entry* length = directory.Find(kThumbnailLengthTag);
    if (offset && length) Mark(used, ValueAt(directory, *offset), length->value);
  }
  return used;
}

// Whether an entry's value may be an offset: a directory's, a single long's, or that of a type
// no reader here knows the size of.
bool MayBeOffset(const Entry& entry) {
  return TypeSize(entry.type) == 0 ||
         ((entry.type == kTypeLong || entry.type == kTypeDirectory) && entry.count == 1);
}

// Where the zero bytes at the block's end start that no directory, value or thumbnail takes and
// no offset points into (counted from the block or from a maker's base, since a number may be
// an offset this reader does not know as one): the block's size where there are none.
size_t UnusedFrom(std::span<const uint8_t> tiff, const std::vector<bool>& kept,
                  const std::vector<Directory>& directories) {
  size_t from = tiff.size();
  while (from > 8 && tiff[from - 1] == 0 && !kept[from - 1]) --from;
  from = std::min(Even(from), tiff.size());
  for (const Directory& directory : directories) {
    for (const Entry& entry : directory.entries) {
      if (!MayBeOffset(entry)) continue;
      for (const uint64_t target : {uint64_t{entry.value}, ValueAt(directory, entry)}) {
        if (target >= from && target < tiff.size()) return tiff.size();
      }
    }
  }
  return from;
}

std::optional<Directory> SubDirectory(std::span<const uint8_t> tiff, const ByteOrder& order,
                                      const Directory& parent, uint16_t tag, bool& broken) {
  const Entry* pointer = parent.Find(tag);
  if (pointer == nullptr) return std::nullopt;
  auto directory = ReadDirectory(tiff, order, pointer->value);
  if (!directory) broken = true;
  return directory;
}

// The directories inside a maker's notes (a preview's, settings'), where an entry's value reads
// as one: their bytes are in use, whatever the maker calls them.
std::vector<Directory> NoteSubDirectories(std::span<const uint8_t> tiff, const Directory& notes) {
  std::vector<Directory> found;
  for (const Entry& entry : notes.entries) {
    if (!MayBeOffset(entry)) continue;
    auto directory = ReadDirectory(tiff, notes.order, ValueAt(notes, entry));
    if (directory && !directory->entries.empty() && directory->entries.size() <= 512 &&
        KnownTypes(*directory)) {
      directory->base = notes.base;
      found.push_back(std::move(*directory));
    }
  }
  return found;
}

const char* const kPointsOutside =
    "its EXIF points at data outside its EXIF segment, which would move";

// Whether a thumbnail one of these directories leads to lies inside the block.
bool ThumbnailsInside(const std::vector<Directory>& directories, size_t blockSize) {
  return std::all_of(directories.begin(), directories.end(), [&](const Directory& directory) {
    const Entry* offset = directory.Find(kThumbnailOffsetTag);
    const Entry* length = directory.Find(kThumbnailLengthTag);
    return !offset || !length || ValueAt(directory, *offset) + length->value <= blockSize;
  });
}

Result<Block> ReadBlock(std::span<const uint8_t> tiff) {
  if (tiff.size() < 8 || tiff[0] != tiff[1] || (tiff[0] != 'I' && tiff[0] != 'M')) {
    return Failure{kNotLaidOut};
  }
  Block block;
  block.order = ByteOrder(tiff[0] == 'I');
  if (block.order.U16(tiff, 2) != 42) return Failure{kNotLaidOut};
  auto first = ReadDirectory(tiff, block.order, block.order.U32(tiff, 4));
  if (!first) return Failure{kNotLaidOut};
  block.first = std::move(*first);
  bool broken = false;
  block.exif = SubDirectory(tiff, block.order, block.first, kExifDirectoryTag, broken);
  std::vector<Directory> walked = {block.first};
  if (block.exif) {
    walked.push_back(*block.exif);
    auto interop = SubDirectory(tiff, block.order, *block.exif, kInteropDirectoryTag, broken);
    if (interop) walked.push_back(std::move(*interop));
  }
  if (block.first.next != 0) {
    auto thumbnail = ReadDirectory(tiff, block.order, block.first.next);
    broken = broken || !thumbnail;
    if (thumbnail) walked.push_back(std::move(*thumbnail));
  }
  if (broken) return Failure{kNotLaidOut};
  // A value beyond the block is found by its distance from the block, which growing the block
  // would change.
  const auto inside = [&](const Directory& directory) {
    return ValuesInside(directory, tiff.size());
  };
  if (!ThumbnailsInside(walked, tiff.size()) ||
      !std::all_of(walked.begin(), walked.end(), inside)) {
    return Failure{kPointsOutside};
  }
  if (const Entry* note = block.exif ? block.exif->Find(kMakerNoteTag) : nullptr) {
    const Entry* make = block.first.Find(kMakeTag);
    if (auto notes = MakerNoteDirectory(tiff, block.order, *note,
                                        make ? TextOf(tiff, *make) : std::string())) {
      if (!inside(*notes)) return Failure{kPointsOutside};
      // Directories inside the notes are only guessed at: they keep their bytes from reuse.
      auto inner = NoteSubDirectories(tiff, *notes);
      walked.push_back(std::move(*notes));
      walked.insert(walked.end(), inner.begin(), inner.end());
    }
  }
  block.kept = BytesInUse(tiff.size(), walked);
  block.unusedFrom = UnusedFrom(tiff, block.kept, walked);
  return block;
}

std::vector<uint8_t> ValueBytes(const TiffField& field, const ByteOrder& order) {
  std::vector<uint8_t> bytes;
  switch (field.type) {
    case TiffType::Byte:
      for (uint32_t number : field.numbers) bytes.push_back(static_cast<uint8_t>(number));
      break;
    case TiffType::Ascii:
      bytes.assign(field.text.begin(), field.text.end());
      bytes.push_back(0);
      break;
    case TiffType::Short:
      for (uint32_t number : field.numbers) order.Add16(bytes, static_cast<uint16_t>(number));
      break;
    case TiffType::Long:
    case TiffType::Rational:
      for (uint32_t number : field.numbers) order.Add32(bytes, number);
      break;
  }
  return bytes;
}

uint32_t CountOf(const TiffField& field) {
  switch (field.type) {
    case TiffType::Ascii:
      return static_cast<uint32_t>(field.text.size() + 1);
    case TiffType::Rational:
      return static_cast<uint32_t>(field.numbers.size() / 2);
    default:
      return static_cast<uint32_t>(field.numbers.size());
  }
}

// The bytes a directory of these fields takes with its values.
size_t DirectorySize(const std::vector<TiffField>& fields, const ByteOrder& order) {
  size_t size = 2 + fields.size() * kEntrySize + 4;
  for (const TiffField& field : fields) {
    const size_t bytes = ValueBytes(field, order).size();
    if (bytes > 4) size += Even(bytes);
  }
  return size;
}

// Appends a directory of `fields` (sorted by tag, as readers expect) and the values that do not
// fit in their entries; `tiff` must end on an even offset.
void AppendDirectory(std::vector<uint8_t>& tiff, std::vector<TiffField> fields,
                     const ByteOrder& order) {
  std::sort(fields.begin(), fields.end(),
            [](const TiffField& a, const TiffField& b) { return a.tag < b.tag; });
  std::vector<uint8_t> values;
  const size_t valuesAt = tiff.size() + 2 + fields.size() * kEntrySize + 4;
  order.Add16(tiff, static_cast<uint16_t>(fields.size()));
  for (const TiffField& field : fields) {
    std::vector<uint8_t> bytes = ValueBytes(field, order);
    order.Add16(tiff, field.tag);
    order.Add16(tiff, static_cast<uint16_t>(field.type));
    order.Add32(tiff, CountOf(field));
    if (bytes.size() <= 4) {
      bytes.resize(4, 0);
      tiff.insert(tiff.end(), bytes.begin(), bytes.end());
    } else {
      order.Add32(tiff, static_cast<uint32_t>(valuesAt + values.size()));
      values.insert(values.end(), bytes.begin(), bytes.end());
      values.resize(Even(values.size()), 0);
    }
  }
  order.Add32(tiff, 0);  // no directory follows
  tiff.insert(tiff.end(), values.begin(), values.end());
}

// Within the first directory, a copy with the GPS entry added where its tag belongs.
void AppendFirstDirectoryWithGps(std::vector<uint8_t>& tiff, std::span<const uint8_t> original,
                                 const Block& block, uint32_t gpsAt) {
  const ByteOrder& order = block.order;
  const auto& entries = block.first.entries;
  order.Add16(tiff, static_cast<uint16_t>(entries.size() + 1));
  bool added = false;
  const auto addGps = [&] {
    order.Add16(tiff, kGpsDirectoryTag);
    order.Add16(tiff, kTypeLong);
    order.Add32(tiff, 1);
    order.Add32(tiff, gpsAt);
    added = true;
  };
  for (const Entry& entry : entries) {
    if (!added && entry.tag > kGpsDirectoryTag) addGps();
    tiff.insert(tiff.end(), original.begin() + static_cast<long>(entry.at),
                original.begin() + static_cast<long>(entry.at + kEntrySize));
  }
  if (!added) addGps();
  order.Add32(tiff, block.first.next);
}

// Canon's maker note finds its original decision data by its position in the file; when the
// EXIF segment before it grows by `growth`, that position is moved with it.
void MoveCanonDecisionData(std::vector<uint8_t>& tiff, const Block& block, size_t segmentEnd,
                           int64_t growth) {
  const Entry* make = block.first.Find(kMakeTag);
  if (growth == 0 || make == nullptr || TextOf(tiff, *make).rfind("Canon", 0) != 0 || !block.exif) {
    return;
  }
  const Entry* note = block.exif->Find(kMakerNoteTag);
  if (note == nullptr) return;
  const auto canon = ReadDirectory(tiff, block.order, note->value);
  if (!canon) return;
  const Entry* pointer = canon->Find(kCanonDecisionDataTag);
  if (pointer == nullptr || pointer->type != kTypeLong || pointer->count != 1 ||
      pointer->value < segmentEnd) {
    return;
  }
  const int64_t moved = static_cast<int64_t>(pointer->value) + growth;
  if (moved > 0 && moved <= UINT32_MAX) {
    block.order.Put32(tiff, pointer->at + 8, static_cast<uint32_t>(moved));
  }
}

// The old GPS directory, its entries and the values they point to, is zeroed where no other
// structure of the block uses its bytes: the old position must not stay readable in the photo.
void ZeroOldGpsDirectory(std::vector<uint8_t>& tiff, const Block& block, const Entry& pointer) {
  const auto old = ReadDirectory(tiff, block.order, pointer.value);
  if (!old) return;  // nothing readable there to clear
  std::vector<bool> gps(tiff.size(), false);
  MarkDirectory(gps, *old);
  for (size_t at = 0; at < gps.size() && at < block.kept.size(); ++at) {
    if (gps[at] && !block.kept[at]) tiff[at] = 0;
  }
}

// The block with `gps` as its GPS directory, written from `at` on: into the zero padding at the
// block's end that nothing uses, so that the block keeps its size, or after its last byte.
std::vector<uint8_t> AddGpsDirectory(std::span<const uint8_t> original, const Block& block,
                                     const std::vector<TiffField>& gps, size_t at) {
  std::vector<uint8_t> tiff(original.begin(), original.end());
  const ByteOrder& order = block.order;
  const Entry* pointer = block.first.Find(kGpsDirectoryTag);
  if (pointer) ZeroOldGpsDirectory(tiff, block, *pointer);
  tiff.resize(Even(at), 0);
  if (pointer) {
    // Only the one entry that leads to the GPS directory changes.
    if (pointer->type != kTypeLong && pointer->type != kTypeDirectory) {
      order.Put16(tiff, pointer->at + 2, kTypeLong);
    }
    order.Put32(tiff, pointer->at + 4, 1);
    order.Put32(tiff, pointer->at + 8, static_cast<uint32_t>(tiff.size()));
  } else {
    const size_t firstAt = tiff.size();
    const size_t gpsAt = firstAt + 2 + (block.first.entries.size() + 1) * kEntrySize + 4;
    AppendFirstDirectoryWithGps(tiff, original, block, static_cast<uint32_t>(gpsAt));
    order.Put32(tiff, 4, static_cast<uint32_t>(firstAt));
  }
  AppendDirectory(tiff, gps, order);
  if (tiff.size() < original.size()) tiff.resize(original.size(), 0);
  return tiff;
}

// The block with `gps`, in its padding where that has room, else grown.
std::vector<uint8_t> BlockWithGps(std::span<const uint8_t> original, const Block& block,
                                  const std::vector<TiffField>& gps) {
  if (block.unusedFrom < original.size()) {
    auto inPadding = AddGpsDirectory(original, block, gps, block.unusedFrom);
    if (inPadding.size() == original.size()) return inPadding;
  }
  return AddGpsDirectory(original, block, gps, original.size());
}

constexpr size_t kAfcpRecord = 12;  // the header, each entry and the closing record

// An AFCP trailer's parts are found by their place in the file: when the file grows before them
// by `growth`, the places in its header, entries and closing record move with them.
void MoveAfcpTrailer(std::vector<uint8_t>& out, std::span<const uint8_t> original, size_t movedFrom,
                     int64_t growth) {
  const auto trailer = ReadAfcpTrailer(original);
  if (growth == 0 || !trailer || trailer->start < movedFrom) return;
  const ByteOrder order(trailer->littleEndian);
  const auto moved = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<int64_t>(at) + growth);
  };
  const size_t start = moved(trailer->start);
  order.Put32(out, out.size() - 8, static_cast<uint32_t>(start));
  for (size_t i = 0; i < trailer->parts.size(); ++i) {
    if (trailer->parts[i].at >= movedFrom) {
      order.Put32(out, start + kAfcpRecord * (i + 1) + 8, moved(trailer->parts[i].at));
    }
  }
}

TiffField Rational(uint16_t tag, uint32_t numerator, uint32_t denominator) {
  return {tag, TiffType::Rational, {numerator, denominator}, {}};
}
TiffField Short(uint16_t tag, uint32_t value) {
  return {tag, TiffType::Short, {value}, {}};
}

// A photo without EXIF gets a block of its own, with the first directory's required tags: the
// resolution the JFIF header states (72 dpi when it states none) and centred chroma samples.
std::vector<uint8_t> NewBlock(std::span<const uint8_t> jpeg, const std::vector<Segment>& segments,
                              const std::vector<TiffField>& gps) {
  uint32_t unit = 2, x = 72, y = 72;
  for (const Segment& segment : segments) {
    const auto payload = jpeg.subspan(segment.PayloadStart(), segment.end - segment.PayloadStart());
    static constexpr std::array<uint8_t, 5> kJfif = {'J', 'F', 'I', 'F', 0};
    if (segment.marker == 0xE0 && payload.size() >= 12 &&
        std::equal(kJfif.begin(), kJfif.end(), payload.begin()) && payload[7] >= 1 &&
        payload[7] <= 2 && (payload[8] | payload[9]) != 0 && (payload[10] | payload[11]) != 0) {
      unit = payload[7] + 1u;  // JFIF: 1 dots per inch, 2 per cm; TIFF: 2 inches, 3 cm
      x = static_cast<uint32_t>(payload[8] << 8 | payload[9]);
      y = static_cast<uint32_t>(payload[10] << 8 | payload[11]);
      break;
    }
  }
  const ByteOrder order(false);
  std::vector<uint8_t> tiff = {'M', 'M', 0, 42};
  order.Add32(tiff, 8);
  std::vector<TiffField> first = {Rational(kXResolutionTag, x, 1),
                                  Rational(kYResolutionTag, y, 1),
                                  Short(kResolutionUnitTag, unit),
                                  Short(kYCbCrPositioningTag, 1),
                                  {kGpsDirectoryTag, TiffType::Long, {0}, {}}};
  first.back().numbers[0] = static_cast<uint32_t>(8 + DirectorySize(first, order));
  AppendDirectory(tiff, first, order);
  AppendDirectory(tiff, gps, order);
  return tiff;
}

bool IsExifSegment(std::span<const uint8_t> jpeg, const Segment& segment) {
  return segment.marker == 0xE1 && segment.end - segment.PayloadStart() >= kExifHeader.size() &&
         std::equal(kExifHeader.begin(), kExifHeader.begin() + 4,
                    jpeg.begin() + static_cast<long>(segment.PayloadStart()));
}

}  // namespace

std::optional<AfcpTrailer> ReadAfcpTrailer(std::span<const uint8_t> file) {
  if (file.size() < 2 * kAfcpRecord) return std::nullopt;
  const size_t closing = file.size() - kAfcpRecord;
  const auto mark = file.subspan(closing, 4);
  if (!StartsWith(mark, "AXS") || (mark[3] != '!' && mark[3] != '*')) return std::nullopt;
  AfcpTrailer trailer;
  trailer.littleEndian = mark[3] == '*';
  const ByteOrder order(trailer.littleEndian);
  trailer.start = order.U32(file, closing + 4);
  if (trailer.start > closing - kAfcpRecord ||
      !std::equal(mark.begin(), mark.end(), file.begin() + static_cast<long>(trailer.start))) {
    return std::nullopt;
  }
  const size_t count = order.U16(file, trailer.start + 6);
  if (trailer.start + kAfcpRecord * (count + 1) > closing) return std::nullopt;
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = trailer.start + kAfcpRecord * (i + 1);
    const AfcpTrailer::Part part{order.U32(file, entry + 8), order.U32(file, entry + 4)};
    if (part.at < trailer.start || part.at + part.size > closing) return std::nullopt;
    trailer.parts.push_back(part);
  }
  return trailer;
}

Result<std::vector<uint8_t>> WithGpsBlock(std::span<const uint8_t> jpeg,
                                          const std::vector<TiffField>& gps) {
  const auto layout = ReadJpegLayout(jpeg);
  if (!layout) return Failure{"its segments do not lead to its image data as a JPEG's should"};
  const std::vector<Segment>& segments = layout->segments;
  const auto exif = std::find_if(segments.begin(), segments.end(),
                                 [&](const Segment& s) { return IsExifSegment(jpeg, s); });
  std::vector<uint8_t> tiff;
  size_t replaceFrom = 0, replaceTo = 0;
  if (exif != segments.end()) {
    const size_t tiffAt = exif->PayloadStart() + kExifHeader.size();
    if (!std::equal(kExifHeader.begin(), kExifHeader.end(),
                    jpeg.begin() + static_cast<long>(exif->PayloadStart()))) {
      return Failure{kNotLaidOut};
    }
    const auto original = jpeg.subspan(tiffAt, exif->end - tiffAt);
    const auto block = ReadBlock(original);
    if (!block) return block.Error();
    tiff = BlockWithGps(original, *block, gps);
    const int64_t growth =
        static_cast<int64_t>(tiff.size()) - static_cast<int64_t>(original.size());
    MoveCanonDecisionData(tiff, *block, exif->end, growth);
    replaceFrom = exif->start;
    replaceTo = exif->end;
  } else {
    tiff = NewBlock(jpeg, segments, gps);
    // After the JFIF header, which must come first; before everything else.
    replaceFrom = 2;
    for (const Segment& segment : segments) {
      if (segment.marker != 0xE0) break;
      replaceFrom = segment.end;
    }
    replaceTo = replaceFrom;
  }
  const size_t length = 2 + kExifHeader.size() + tiff.size();
  if (length > kLargestSegment) {
    return Failure{"its EXIF block would grow past the 64 KB a JPEG segment can hold"};
  }
  std::vector<uint8_t> out;
  out.reserve(jpeg.size() - (replaceTo - replaceFrom) + 2 + length);
  out.insert(out.end(), jpeg.begin(), jpeg.begin() + static_cast<long>(replaceFrom));
  out.insert(out.end(),
             {0xFF, 0xE1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
  out.insert(out.end(), kExifHeader.begin(), kExifHeader.end());
  out.insert(out.end(), tiff.begin(), tiff.end());
  out.insert(out.end(), jpeg.begin() + static_cast<long>(replaceTo), jpeg.end());
  MoveAfcpTrailer(out, jpeg, replaceTo,
                  static_cast<int64_t>(out.size()) - static_cast<int64_t>(jpeg.size()));
  return out;
}

}  // namespace tavrin::photos
