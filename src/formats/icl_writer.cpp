#include "formats/icl_writer.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "formats/file_io.h"
#include "formats/ne_resources.h"
#include "image/byte_sink.h"

namespace morvane {
namespace {

// 128-byte sectors address 8 MB through 16-bit sector numbers; a larger library takes the
// smallest larger shift that addresses it, which every NE reader honours.
constexpr std::uint16_t kDefaultAlignmentShift = 7;
constexpr std::uint16_t kMaxAlignmentShift = 15;
constexpr std::size_t kNeHeaderOffset = 0x80;
constexpr std::size_t kTypeRecordsOffset = 0xC2;
constexpr std::size_t kTypeRecordSize = 8;
constexpr std::size_t kResourceRecordSize = 12;
// The DOS header, the NE header and the type records with the terminator when both types are
// empty; every resource adds one record.
constexpr std::size_t kEmptyTableEnd = 210;
constexpr std::uint16_t kGroupIconType = kNeIntegerId | kResourceIconGroup;
constexpr std::uint16_t kIconType = kNeIntegerId | kResourceIcon;
constexpr std::uint16_t kResourceFlags = 0x1C30;  // movable, pure, discardable
constexpr int kFirstGroupNumber = 129;
constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;
constexpr std::uint16_t kMaxSectors = 0xFFFF;
constexpr int kMaxImageSide = 256;

bool IsStoredFormat(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

Status TooLarge(const std::string& what) {
  return {ErrorCode::kTooLarge, "Icon library: " + what};
}

// Why a layout failed because its sector numbers ran out: a larger shift may still fit.
constexpr std::string_view kOutOfSectors = "beyond the addressable sectors";

// Builds the file in memory. Records are written with the table, data blocks at their sectors;
// the buffer grows with zeros up to each sector, so gaps stay zero.
class IclBuilder {
 public:
  IclBuilder(const IconLibrary& library, std::vector<std::uint8_t>& out,
             const IconWriteOptions& options, std::uint16_t shift)
      : library_(library),
        out_(out),
        start_(out.size()),
        options_(options),
        shift_(shift),
        sectorBytes_(std::size_t{1} << shift) {}

  bool OutOfSectors() const { return outOfSectors_; }

  Status Build(std::vector<IclPlacement>& placements, const LibraryProgress& progress) {
    const std::size_t records = library_.images.size() + static_cast<std::size_t>(Groups());
    const std::size_t tableEnd = kResourceRecordSize * records + kEmptyTableEnd;
    // The data starts at the first sector after the table, where the resident names point.
    residentNames_ = SectorsFor(tableEnd) * sectorBytes_ - kNeHeaderOffset;
    if (residentNames_ > 0xFFFF) return TooLarge("too many images");
    out_.resize(start_ + tableEnd + 2, 0);  // the table and its terminator
    WriteHeader();
    sector_ = (residentNames_ + kNeHeaderOffset) / sectorBytes_;
    record_ = kTypeRecordsOffset;
    if (Status groups = WriteGroups(); !groups.ok()) return groups;
    ++sector_;  // one empty sector after the groups
    if (Status images = WriteImages(placements, progress); !images.ok()) return images;
    // The last image is padded too: its record counts whole sectors, and readers that check
    // each resource against the file size drop a last icon that ends short of its sector.
    const bool anyData = std::any_of(placements.begin(), placements.end(),
                                     [](const IclPlacement& p) { return p.offset >= 0; });
    if (anyData) PadTo(sector_);
    return Status::Ok();
  }

 private:
  std::size_t SectorsFor(std::size_t bytes) const {
    return (bytes + sectorBytes_ - 1) / sectorBytes_;
  }

  Status OutOfRange(const std::string& what) {
    outOfSectors_ = true;
    return TooLarge(what + " " + std::string(kOutOfSectors));
  }

  int Groups() const { return library_.groupCount > 0 ? library_.groupCount : 0; }

  void Patch16(std::size_t at, std::uint16_t v) { ByteSink(out_).PatchU16(start_ + at, v); }

  void WriteHeader() {
    Patch16(0x00, 0x5A4D);  // "MZ"
    Patch16(0x3C, static_cast<std::uint16_t>(kNeHeaderOffset));
    Patch16(0x7E, 0x4D49);  // "IM", completing the constant "IMNE"
    Patch16(0x80, 0x454E);  // "NE"
    Patch16(0xA2, 0x0040);  // segment table (there are no segments)
    Patch16(0xA4, 0x0040);  // resource table
    Patch16(0xA6, static_cast<std::uint16_t>(residentNames_));
    out_[start_ + 0xB6] = 2;  // target system: Windows
    Patch16(0xBE, 0x0300);    // expected Windows version 3.0
    Patch16(0xC0, shift_);
  }

  Status WriteGroups() {
    WriteTypeRecord(record_, kGroupIconType, Groups());
    record_ += kTypeRecordSize;
    for (int g = 0; g < Groups(); ++g, record_ += kResourceRecordSize) {
      if (sector_ > kMaxSectors) return OutOfRange("groups");
      const std::size_t length = WriteGroup(g, sector_);
      WriteRecord(record_, sector_, length, kFirstGroupNumber + g);
      sector_ += length;
    }
    return Status::Ok();
  }

  Status WriteImages(std::vector<IclPlacement>& placements, const LibraryProgress& progress) {
    const int total = static_cast<int>(library_.images.size());
    WriteTypeRecord(record_, kIconType, total);
    record_ += kTypeRecordSize;
    for (int i = 0; i < total; ++i, record_ += kResourceRecordSize) {
      if (sector_ > kMaxSectors) return OutOfRange("images");
      const auto index = static_cast<std::size_t>(i);
      Result<IclPlacement> placed = WriteImage(library_.images[index], sector_);
      if (!placed.ok()) {
        return placed.status().WithContext("Icon library: image " + std::to_string(i));
      }
      const std::size_t length = SectorsFor(static_cast<std::size_t>(placed->length));
      if (length > kMaxSectors) return OutOfRange("an image");
      WriteRecord(record_, sector_, length, i + 1);
      PatchSizeField(index, static_cast<std::uint32_t>(placed->length));
      sector_ += length;
      placements.push_back(*placed);
      if (progress && !progress(i + 1, total)) {
        return {ErrorCode::kCannotWrite, "Icon library: writing cancelled"};
      }
    }
    return Status::Ok();
  }

  void WriteTypeRecord(std::size_t at, std::uint16_t type, int count) {
    Patch16(at, type);
    Patch16(at + 2, static_cast<std::uint16_t>(count));
  }

  void WriteRecord(std::size_t at, std::size_t sector, std::size_t length, int id) {
    Patch16(at, static_cast<std::uint16_t>(sector));
    Patch16(at + 2, static_cast<std::uint16_t>(length));
    Patch16(at + 4, kResourceFlags);
    Patch16(at + 6, static_cast<std::uint16_t>(kNeIntegerId | id));
  }

  void PatchSizeField(std::size_t image, std::uint32_t length) {
    if (sizeFieldAt_[image] != kNoEntry) ByteSink(out_).PatchU32(sizeFieldAt_[image], length);
  }

  // Moves the end of the buffer to the start of a sector, filling with zeros.
  void PadTo(std::size_t sector) {
    const std::size_t at = start_ + sector * sectorBytes_;
    if (out_.size() < at) out_.resize(at, 0);
  }

  // The group directory at its sector, zero-padded to whole sectors. Returns its sectors.
  std::size_t WriteGroup(int group, std::size_t sector) {
    PadTo(sector);
    ByteSink sink(out_);
    const std::vector<int> members = library_.GroupImages(group);
    sink.U16(0);
    sink.U16(1);
    sink.U16(static_cast<std::uint16_t>(members.size()));
    for (int i : members) {
      const LibraryImage& image = library_.images[static_cast<std::size_t>(i)];
      sink.U8(static_cast<std::uint8_t>(image.width));  // 256 is stored as 0
      sink.U8(static_cast<std::uint8_t>(image.height));
      sink.U8(0);  // colour count
      sink.U8(0);
      sink.U16(1);  // planes
      sink.U16(static_cast<std::uint16_t>(image.bits));
      // Readers that rebuild an icon file from the group take the image's length from here.
      sizeFieldAt_[static_cast<std::size_t>(i)] = sink.Position();
      sink.U32(0);  // bytes in resource, set once the image is written
      sink.U16(static_cast<std::uint16_t>(i + 1));
    }
    const std::size_t sectors = SectorsFor(kGroupHeaderSize + kGroupEntrySize * members.size());
    sink.Zeros(sectors * sectorBytes_ - sink.Written());
    return sectors;
  }

  Result<IclPlacement> WriteImage(const LibraryImage& image, std::size_t sector) {
    if (image.width > kMaxImageSide || image.height > kMaxImageSide) {
      return TooLarge("an image is larger than 256 pixels");
    }
    if (!IsStoredFormat(image.bits)) return IclPlacement{};
    PadTo(sector);
    const std::size_t at = out_.size();
    Result<std::size_t> written = WriteIclImageBlock(image.pixels, image.bits, out_, options_);
    if (!written.ok()) return written.status();
    return IclPlacement{static_cast<std::int64_t>(at - start_),
                        static_cast<std::int64_t>(*written)};
  }

  const IconLibrary& library_;
  std::vector<std::uint8_t>& out_;
  const std::size_t start_;
  const IconWriteOptions& options_;
  const std::uint16_t shift_;
  const std::size_t sectorBytes_;
  bool outOfSectors_ = false;
  std::size_t residentNames_ = 0;
  std::size_t sector_ = 0;  // the next free sector
  std::size_t record_ = 0;  // file offset of the next type or resource record
  // Per image, where its group entry keeps its length (kNoEntry: in no group).
  static constexpr std::size_t kNoEntry = SIZE_MAX;
  std::vector<std::size_t> sizeFieldAt_ =
      std::vector<std::size_t>(library_.images.size(), kNoEntry);
};

}  // namespace

Result<std::size_t> WriteIclImageBlock(const CDib& image, int bits, std::vector<std::uint8_t>& out,
                                       const IconWriteOptions& options) {
  return WriteBitmapImage(image, bits, out, options);
}

Status WriteIcl(const IconLibrary& library, std::vector<std::uint8_t>& out,
                std::vector<IclPlacement>* placements, const IconWriteOptions& options,
                const LibraryProgress& progress) {
  const std::size_t start = out.size();
  std::vector<IclPlacement> placed;
  Status status;
  try {
    for (std::uint16_t shift = kDefaultAlignmentShift; shift <= kMaxAlignmentShift; ++shift) {
      placed.clear();
      out.resize(start);
      IclBuilder builder(library, out, options, shift);
      status = builder.Build(placed, progress);
      if (status.ok() || !builder.OutOfSectors()) break;
    }
  } catch (const std::bad_alloc&) {
    status = {ErrorCode::kOutOfMemory, "Icon library: out of memory"};
  }
  if (!status.ok()) {
    out.resize(start);
    return status;
  }
  if (placements) *placements = std::move(placed);
  return Status::Ok();
}

Status WriteLibrary(const IconLibrary& library, const std::filesystem::path& path,
                    const IconWriteOptions& options, const LibraryProgress& progress,
                    std::vector<IclPlacement>* placements) {
  std::vector<std::uint8_t> bytes;
  const Status built = WriteIcl(library, bytes, placements, options, progress);
  if (!built.ok()) return built;
  return WriteFileAtomic(path, bytes);
}

Status SaveLibrary(IconLibrary& library, const std::filesystem::path& path,
                   const IconWriteOptions& options, const LibraryProgress& progress) {
  std::vector<IclPlacement> placements;
  const Status status = WriteLibrary(library, path, options, progress, &placements);
  if (!status.ok()) return status;
  library.path = path;
  library.modified = false;
  library.isIcl = true;
  library.stamp = StampOf(path);
  for (std::size_t i = 0; i < library.images.size(); ++i) {
    library.images[i].fileOffset = placements[i].offset;
    library.images[i].dataLength = placements[i].length;
    library.images[i].storedAsPng = false;
  }
  return Status::Ok();
}

}  // namespace morvane
