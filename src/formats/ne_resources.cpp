#include "formats/ne_resources.h"

#include <algorithm>
#include <limits>
#include <string>

namespace morvane {
namespace {

constexpr std::uint16_t kMzSignature = 0x5A4D;
constexpr std::uint16_t kNeSignature = 0x454E;
constexpr std::uint16_t kMaxAlignmentShift = 256;
// A resource table addressed by 16-bit offsets never holds more; it bounds a hostile walk.
constexpr std::size_t kMaxResources = 0x10000;
constexpr std::uint64_t kTypeRecordSize = 8;
constexpr std::uint64_t kResourceRecordSize = 12;

// Sector counts to bytes. Shifts up to the accepted limit would overflow; such values can never
// lie inside a file, so they saturate instead.
std::uint64_t Scaled(std::uint16_t value, std::uint16_t shift) {
  if (value == 0) return 0;
  return shift < 48 ? std::uint64_t{value} << shift : std::numeric_limits<std::uint64_t>::max();
}

// Names are byte strings in the system's 8-bit code page; read as Latin-1 they stay valid UTF-8.
std::string Latin1ToUtf8(Bytes chars) {
  std::string out;
  for (std::uint8_t c : chars) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

bool NeResources::Open(Bytes file) {
  *this = NeResources();
  if (LoadU16(file, 0) != kMzSignature) return false;
  const auto neOffset = LoadU32(file, 0x3C);
  if (!neOffset || LoadU16(file, *neOffset) != kNeSignature) return false;
  const std::uint64_t ne = *neOffset;
  const auto tableOffset = LoadU16(file, ne + 0x24);
  const auto residentNames = LoadU16(file, ne + 0x26);
  // Equal offsets mean an empty resource table.
  if (!tableOffset || !residentNames || *tableOffset == *residentNames) return false;
  const std::uint64_t table = ne + *tableOffset;
  const auto shift = LoadU16(file, table);
  if (!shift || *shift > kMaxAlignmentShift) return false;

  file_ = file;
  shift_ = *shift;
  if (!ReadTypes(table, table + 2)) {
    *this = NeResources();
    return false;
  }
  open_ = true;
  return true;
}

// Walks the type records from `at` until the closing type 0. Returns false only when not one
// record could be read; a table damaged further on keeps what came before the damage.
bool NeResources::ReadTypes(std::uint64_t table, std::uint64_t at) {
  while (resources_.size() < kMaxResources) {
    const auto typeId = LoadU16(file_, at);
    if (!typeId || *typeId == 0) return typeId.has_value() || !resources_.empty();
    const std::uint16_t count = LoadU16(file_, at + 2).value_or(0);
    at += kTypeRecordSize;
    if (!RangeFits(file_.size(), at, count * kResourceRecordSize)) return !resources_.empty();
    const ResourceName type = ReadName(table, *typeId);
    for (std::uint16_t i = 0; i < count && resources_.size() < kMaxResources; ++i) {
      const std::uint64_t record = at + i * kResourceRecordSize;
      NeResource r;
      r.type = type;
      r.offset = Scaled(*LoadU16(file_, record), shift_);
      r.length = Scaled(*LoadU16(file_, record + 2), shift_);
      r.flags = *LoadU16(file_, record + 4);
      r.name = ReadName(table, *LoadU16(file_, record + 6));
      r.recordOffset = record;
      resources_.push_back(std::move(r));
    }
    at += count * kResourceRecordSize;
  }
  return true;
}

// A numbered field carries the 0x8000 mark; any other value is the offset of a length-prefixed
// string from the start of the resource table.
ResourceName NeResources::ReadName(std::uint64_t table, std::uint16_t field) const {
  if (field & kNeIntegerId) return ResourceName::Number(field & ~kNeIntegerId);
  const std::uint64_t at = table + field;
  if (!RangeFits(file_.size(), at, 1)) return ResourceName::Text({});
  const auto chars = SliceOf(file_, at + 1, file_[at]);
  return ResourceName::Text(chars ? Latin1ToUtf8(*chars) : std::string());
}

const NeResource* NeResources::Find(std::uint16_t type, std::uint16_t id) const {
  const ResourceName wantType = ResourceName::Number(type);
  const ResourceName wantName = ResourceName::Number(id);
  for (const NeResource& r : resources_) {
    if (r.type == wantType && r.name == wantName) return &r;
  }
  return nullptr;
}

std::optional<Bytes> NeResources::Data(const NeResource& resource) const {
  if (!open_ || resource.offset >= file_.size()) return std::nullopt;
  const std::uint64_t available = file_.size() - resource.offset;
  return SliceOf(file_, resource.offset, std::min(resource.length, available));
}

}  // namespace morvane
