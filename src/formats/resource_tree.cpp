#include "formats/resource_tree.h"

#include <utility>

namespace morvane {
namespace {

constexpr std::uint16_t kMzSignature = 0x5A4D;
constexpr std::uint32_t kPeSignature = 0x00004550;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint16_t kMinNewExeRelocOffset = 64;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kTableHeaderSize = 16;
constexpr std::uint64_t kEntrySize = 8;
constexpr std::uint64_t kDataEntrySize = 16;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
// An entry leads to its data through the language level: one subdirectory. One more is
// tolerated; beyond that a chain of subdirectories is a loop or garbage and is not followed.
constexpr int kMaxSubdirectorySteps = 2;

struct PeHeader {
  bool pe32Plus = false;
  std::uint32_t resourceAddress = 0;
  std::vector<PeSection> sections;
};

// Where the data directory array starts, relative to the optional header, by header magic.
std::optional<std::uint64_t> DataDirectoryStart(std::uint16_t magic) {
  if (magic == kPe32Magic) return 96;
  if (magic == kPe32PlusMagic) return 112;  // 64-bit files keep their directories 16 bytes later
  return std::nullopt;
}

std::uint32_t ResourceAddress(Bytes file, std::uint64_t optionalHeader, std::uint16_t optionalSize,
                              std::uint64_t directories) {
  // The count of data directories precedes the array; a header too short or a count too small
  // to hold the resource entry means the file has none.
  const auto count = LoadU32(file, optionalHeader + directories - 4);
  const std::uint64_t entry = directories + kResourceDirectoryIndex * 8;
  if (!count || *count <= kResourceDirectoryIndex || entry + 8 > optionalSize) return 0;
  return LoadU32(file, optionalHeader + entry).value_or(0);
}

std::vector<PeSection> ReadSections(Bytes file, std::uint64_t table, std::uint16_t count) {
  std::vector<PeSection> sections;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t at = table + i * kSectionHeaderSize;
    if (!RangeFits(file.size(), at, kSectionHeaderSize)) break;  // the table ends with the file
    const std::uint32_t virtualSize = *LoadU32(file, at + 8);
    const std::uint32_t rawSize = *LoadU32(file, at + 16);
    sections.push_back({*LoadU32(file, at + 12), virtualSize != 0 ? virtualSize : rawSize,
                        *LoadU32(file, at + 20)});
  }
  return sections;
}

std::optional<PeHeader> ReadPeHeader(Bytes file) {
  if (LoadU16(file, 0) != kMzSignature) return std::nullopt;
  const auto reloc = LoadU16(file, 24);
  if (!reloc || *reloc < kMinNewExeRelocOffset) return std::nullopt;
  const auto peOffset = LoadU32(file, 60);
  if (!peOffset || LoadU32(file, *peOffset) != kPeSignature) return std::nullopt;
  const std::uint64_t pe = *peOffset;
  const auto sectionCount = LoadU16(file, pe + 6);
  const auto optionalSize = LoadU16(file, pe + 20);
  const std::uint64_t optionalHeader = pe + 24;
  const auto magic = LoadU16(file, optionalHeader);
  if (!sectionCount || !optionalSize || !magic) return std::nullopt;
  const auto directories = DataDirectoryStart(*magic);
  if (!directories) return std::nullopt;

  PeHeader header;
  header.pe32Plus = *magic == kPe32PlusMagic;
  header.resourceAddress = ResourceAddress(file, optionalHeader, *optionalSize, *directories);
  header.sections = ReadSections(file, optionalHeader + *optionalSize, *sectionCount);
  return header;
}

std::optional<std::uint64_t> SectionOffset(const std::vector<PeSection>& sections,
                                           std::uint32_t address) {
  for (const PeSection& s : sections) {
    if (address >= s.virtualAddress && address - s.virtualAddress < s.extent) {
      return std::uint64_t{s.rawOffset} + (address - s.virtualAddress);
    }
  }
  return std::nullopt;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16LE code units to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(Bytes units) {
  std::string out;
  const std::size_t count = units.size() / 2;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint32_t c = *LoadU16(units, 2 * i);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
      const std::uint32_t low = *LoadU16(units, 2 * i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace

std::string ResourceName::ToString() const {
  return isNumber ? std::to_string(number) : text;
}

bool ResourceTree::Open(Bytes file) {
  Close();
  auto header = ReadPeHeader(file);
  if (!header || header->resourceAddress == 0) return false;
  const auto root = SectionOffset(header->sections, header->resourceAddress);
  if (!root) return false;

  file_ = file;
  rootOffset_ = *root;
  sections_ = std::make_shared<const std::vector<PeSection>>(std::move(header->sections));
  const auto table = ReadTable(0);
  if (!table) {
    Close();
    return false;
  }
  SetTable(*table);
  pe32Plus_ = header->pe32Plus;
  open_ = true;
  return true;
}

void ResourceTree::Close() {
  *this = ResourceTree();
}

std::optional<ResourceTree::Table> ResourceTree::ReadTable(std::uint32_t relativeOffset) const {
  const std::uint64_t at = rootOffset_ + relativeOffset;
  const auto named = LoadU16(file_, at + 12);
  const auto ids = LoadU16(file_, at + 14);
  if (!named || !ids) return std::nullopt;
  const std::uint64_t entries = std::uint64_t{*named} + *ids;
  if (!RangeFits(file_.size(), at, kTableHeaderSize + entries * kEntrySize)) return std::nullopt;
  return Table{at, *named, *ids};
}

void ResourceTree::SetTable(const Table& table) {
  tableOffset_ = table.offset;
  namedCount_ = table.named;
  idCount_ = table.ids;
}

std::optional<ResourceTree> ResourceTree::FindDirectory(std::uint16_t id) const {
  if (!open_) return std::nullopt;
  for (std::uint32_t i = namedCount_; i < EntryCount(); ++i) {
    const std::uint64_t entry = tableOffset_ + kTableHeaderSize + i * kEntrySize;
    if ((*LoadU32(file_, entry) & 0xFFFF) != id) continue;
    const std::uint32_t target = *LoadU32(file_, entry + 4);
    if (!(target & kSubdirectoryBit)) return std::nullopt;
    const auto table = ReadTable(target & ~kSubdirectoryBit);
    if (!table) return std::nullopt;
    ResourceTree sub = *this;
    sub.SetTable(*table);
    return sub;
  }
  return std::nullopt;
}

std::optional<ResourceItem> ResourceTree::NextEntry(
    const std::optional<ResourceItem>& previous) const {
  const std::uint32_t index = previous ? previous->index + 1 : 0;
  if (!open_ || index >= EntryCount()) return std::nullopt;
  return ItemAt(index);
}

std::optional<ResourceItem> ResourceTree::FindItem(std::uint16_t id) const {
  if (!open_) return std::nullopt;
  for (std::uint32_t i = namedCount_; i < EntryCount(); ++i) {
    const std::uint64_t entry = tableOffset_ + kTableHeaderSize + i * kEntrySize;
    if ((*LoadU32(file_, entry) & 0xFFFF) == id) return ItemAt(i);
  }
  return std::nullopt;
}

ResourceItem ResourceTree::ItemAt(std::uint32_t index) const {
  // ReadTable checked that the whole entry array lies inside the file.
  const std::uint64_t entry = tableOffset_ + kTableHeaderSize + index * kEntrySize;
  ResourceItem item;
  item.index = index;
  item.name = EntryName(index, *LoadU32(file_, entry));
  item.hasData = ResolveData(*LoadU32(file_, entry + 4), item);
  return item;
}

ResourceName ResourceTree::EntryName(std::uint32_t index, std::uint32_t nameField) const {
  if (index >= namedCount_) return ResourceName::Number(static_cast<std::uint16_t>(nameField));
  // A name is a 16-bit length and that many UTF-16 units, placed relative to the root.
  const std::uint64_t at = rootOffset_ + (nameField & ~kSubdirectoryBit);
  const auto length = LoadU16(file_, at);
  if (!length) return ResourceName::Text({});
  const auto units = SliceOf(file_, at + 2, std::uint64_t{*length} * 2);
  return ResourceName::Text(units ? Utf16ToUtf8(*units) : std::string());
}

// Follows subdirectories through their first entries down to a data entry.
bool ResourceTree::ResolveData(std::uint32_t offsetField, ResourceItem& item) const {
  std::uint32_t target = offsetField;
  for (int step = 0; target & kSubdirectoryBit; ++step) {
    const auto table = ReadTable(target & ~kSubdirectoryBit);
    if (step == kMaxSubdirectorySteps || !table || table->named + table->ids == 0) return false;
    const std::uint64_t first = table->offset + kTableHeaderSize;
    item.language = static_cast<std::uint16_t>(*LoadU32(file_, first));
    target = *LoadU32(file_, first + 4);
  }
  const std::uint64_t dataEntry = rootOffset_ + target;
  if (!RangeFits(file_.size(), dataEntry, kDataEntrySize)) return false;
  item.dataAddress = *LoadU32(file_, dataEntry);
  item.dataSize = *LoadU32(file_, dataEntry + 4);
  return true;
}

std::optional<std::uint64_t> ResourceTree::AddressToOffset(std::uint32_t address) const {
  if (!sections_) return std::nullopt;
  return SectionOffset(*sections_, address);
}

std::optional<Bytes> ResourceTree::ItemData(const ResourceItem& item) const {
  if (!open_ || !item.hasData) return std::nullopt;
  const auto offset = AddressToOffset(item.dataAddress);
  if (!offset) return std::nullopt;
  return SliceOf(file_, *offset, item.dataSize);
}

}  // namespace morvane
