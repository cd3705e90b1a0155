// Small executables built in memory for resource reader tests: a minimal PE32 or PE32+ file with
// a .rsrc section, and a minimal NE file with a resource table, each laid out from a list of
// resources. The builders also report where they put things, so tests can damage them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace morvane::testing {

using ByteVector = std::vector<std::uint8_t>;

inline void PutU16(ByteVector& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(ByteVector& b, std::size_t at, std::uint32_t v) {
  PutU16(b, at, v & 0xFFFF);
  PutU16(b, at + 2, v >> 16);
}
inline std::size_t AlignUp(std::size_t v, std::size_t a) {
  return (v + a - 1) / a * a;
}

// A bitmap-form icon image block: header (height doubled), palette, colour rows, mask rows.
inline ByteVector IconImageBlock(int width, int height, int bits, std::uint8_t fill = 0x5A) {
  const std::size_t palette = bits <= 8 ? (std::size_t{1} << bits) * 4 : 0;
  const std::size_t colorRow = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t maskRow = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  ByteVector b(40 + palette + (colorRow + maskRow) * height, fill);
  std::fill(b.begin(), b.begin() + 40, 0);
  PutU32(b, 0, 40);
  PutU32(b, 4, width);
  PutU32(b, 8, 2 * height);
  PutU16(b, 12, 1);
  PutU16(b, 14, bits);
  return b;
}

// The start of a PNG stream: signature and IHDR, enough for anything that only peeks at it.
inline ByteVector PngHead(std::uint32_t width, std::uint32_t height, std::uint8_t depth = 8,
                          std::uint8_t colorType = 6) {
  ByteVector b{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (std::uint32_t v : {width, height}) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
  }
  b.insert(b.end(), {depth, colorType, 0, 0, 0, 0, 0, 0, 0});
  return b;
}

struct GroupFixtureEntry {
  std::uint16_t width = 32;  // icon groups store the low byte
  std::uint16_t height = 32;
  std::uint16_t bitCount = 32;
  std::uint16_t resourceId = 1;
  std::uint8_t colorCount = 0;
  std::uint16_t planes = 1;
  std::uint32_t bytes = 0;
};

// Group data: header (reserved 0, type 1 icon / 2 cursor, count) and 14-byte entries.
inline ByteVector GroupData(bool cursor, const std::vector<GroupFixtureEntry>& entries) {
  ByteVector b(6, 0);
  PutU16(b, 2, cursor ? 2 : 1);
  PutU16(b, 4, static_cast<std::uint32_t>(entries.size()));
  for (const GroupFixtureEntry& e : entries) {
    const std::size_t at = b.size();
    b.resize(at + 14, 0);
    if (cursor) {
      PutU16(b, at, e.width);
      PutU16(b, at + 2, e.height);
    } else {
      b[at] = static_cast<std::uint8_t>(e.width);
      b[at + 1] = static_cast<std::uint8_t>(e.height);
      b[at + 2] = e.colorCount;
    }
    PutU16(b, at + 4, e.planes);
    PutU16(b, at + 6, e.bitCount);
    PutU32(b, at + 8, e.bytes);
    PutU16(b, at + 12, e.resourceId);
  }
  return b;
}

// A cursor resource: hotspot, then the image block.
inline ByteVector CursorResource(std::uint16_t x, std::uint16_t y, const ByteVector& image) {
  ByteVector b(4, 0);
  PutU16(b, 0, x);
  PutU16(b, 2, y);
  b.insert(b.end(), image.begin(), image.end());
  return b;
}

// ---------------------------------------------------------------------------------------------
// PE

struct PeFixtureResource {
  std::uint16_t type = 0;
  std::uint16_t id = 0;
  std::u16string name;  // not empty: a named entry
  std::uint16_t language = 0;
  ByteVector data;
};

struct PeFixtureOptions {
  bool pe32Plus = false;
  std::uint32_t resourceAddressOverride = 0;  // e.g. an address that lies in no section
};

struct PeFixture {
  ByteVector bytes;
  std::size_t rootOffset = 0;  // file offset of the resource root table
  std::uint32_t rootAddress = 0;
  std::size_t sectionTable = 0;
  std::size_t resourceDataDirectory = 0;  // file offset of data directory entry 2
};

namespace pe_detail {

struct NameNode {
  std::uint16_t id = 0;
  std::u16string name;
  std::vector<const PeFixtureResource*> languages;
};
struct TypeNode {
  std::uint16_t type = 0;
  std::vector<NameNode> names;
};

// Types in first-seen order; named entries before ID entries, each kind in first-seen order.
inline std::vector<TypeNode> GroupResources(const std::vector<PeFixtureResource>& resources) {
  std::vector<TypeNode> types;
  for (const PeFixtureResource& r : resources) {
    auto t = std::find_if(types.begin(), types.end(), [&](auto& n) { return n.type == r.type; });
    if (t == types.end()) t = types.insert(types.end(), TypeNode{r.type, {}});
    auto n = std::find_if(t->names.begin(), t->names.end(),
                          [&](auto& n) { return n.name == r.name && n.id == r.id; });
    if (n == t->names.end()) n = t->names.insert(t->names.end(), NameNode{r.id, r.name, {}});
    n->languages.push_back(&r);
  }
  for (TypeNode& t : types) {
    std::stable_partition(t.names.begin(), t.names.end(),
                          [](const NameNode& n) { return !n.name.empty(); });
  }
  return types;
}

inline void PutTable(ByteVector& s, std::size_t at, std::size_t named, std::size_t ids) {
  PutU16(s, at + 12, static_cast<std::uint32_t>(named));
  PutU16(s, at + 14, static_cast<std::uint32_t>(ids));
}

// Lays out the resource section: tables, data entries, name strings, then the data.
inline ByteVector BuildResourceSection(const std::vector<PeFixtureResource>& resources,
                                       std::uint32_t sectionAddress) {
  const std::vector<TypeNode> types = GroupResources(resources);
  std::size_t size = 16 + 8 * types.size();
  for (const TypeNode& t : types) {
    size += 16 + 8 * t.names.size();
    for (const NameNode& n : t.names) size += 16 + 8 * n.languages.size();
  }
  const std::size_t dataEntries = size;
  std::size_t strings = dataEntries + 16 * resources.size();
  ByteVector s(strings, 0);
  PutTable(s, 0, 0, types.size());

  std::size_t next = 16 + 8 * types.size();  // the next free table
  std::size_t nextDataEntry = dataEntries;
  for (std::size_t ti = 0; ti < types.size(); ++ti) {
    const TypeNode& t = types[ti];
    PutU32(s, 16 + 8 * ti, t.type);
    PutU32(s, 16 + 8 * ti + 4, 0x80000000u | static_cast<std::uint32_t>(next));
    const std::size_t typeTable = next;
    const std::size_t named = static_cast<std::size_t>(std::count_if(
        t.names.begin(), t.names.end(), [](const NameNode& n) { return !n.name.empty(); }));
    PutTable(s, typeTable, named, t.names.size() - named);
    next += 16 + 8 * t.names.size();
    for (std::size_t ni = 0; ni < t.names.size(); ++ni) {
      const NameNode& n = t.names[ni];
      const std::size_t entry = typeTable + 16 + 8 * ni;
      if (n.name.empty()) {
        PutU32(s, entry, n.id);
      } else {
        PutU32(s, entry, 0x80000000u | static_cast<std::uint32_t>(s.size()));
        PutU16(s, s.size(), static_cast<std::uint32_t>(n.name.size()));
        for (char16_t c : n.name) PutU16(s, s.size(), c);
      }
      PutU32(s, entry + 4, 0x80000000u | static_cast<std::uint32_t>(next));
      PutTable(s, next, 0, n.languages.size());
      for (std::size_t li = 0; li < n.languages.size(); ++li) {
        PutU32(s, next + 16 + 8 * li, n.languages[li]->language);
        PutU32(s, next + 16 + 8 * li + 4, static_cast<std::uint32_t>(nextDataEntry));
        nextDataEntry += 16;
      }
      next += 16 + 8 * n.languages.size();
    }
  }
  // Data in data-entry order, 8-byte aligned.
  nextDataEntry = dataEntries;
  for (const TypeNode& t : types) {
    for (const NameNode& n : t.names) {
      for (const PeFixtureResource* r : n.languages) {
        const std::size_t at = AlignUp(s.size(), 8);
        s.resize(at, 0);
        s.insert(s.end(), r->data.begin(), r->data.end());
        PutU32(s, nextDataEntry, sectionAddress + static_cast<std::uint32_t>(at));
        PutU32(s, nextDataEntry + 4, static_cast<std::uint32_t>(r->data.size()));
        nextDataEntry += 16;
      }
    }
  }
  return s;
}

}  // namespace pe_detail

// MZ header, PE header, two sections (.text, .rsrc at 0x2000 from file offset 0x400).
inline PeFixture BuildPe(const std::vector<PeFixtureResource>& resources,
                         PeFixtureOptions options = {}) {
  constexpr std::uint32_t kResourceAddress = 0x2000;
  constexpr std::size_t kResourceFileOffset = 0x400;
  const ByteVector section = pe_detail::BuildResourceSection(resources, kResourceAddress);

  PeFixture f;
  ByteVector& b = f.bytes;
  b.assign(kResourceFileOffset, 0);
  b[0] = 'M';
  b[1] = 'Z';
  PutU16(b, 24, 0x40);
  PutU32(b, 60, 0x40);
  const std::size_t pe = 0x40;
  b[pe] = 'P';
  b[pe + 1] = 'E';
  PutU16(b, pe + 4, options.pe32Plus ? 0x8664 : 0x14C);
  PutU16(b, pe + 6, 2);
  const std::uint16_t optionalSize = options.pe32Plus ? 240 : 224;
  PutU16(b, pe + 20, optionalSize);
  PutU16(b, pe + 22, options.pe32Plus ? 0x22 : 0x102);
  const std::size_t opt = pe + 24;
  PutU16(b, opt, options.pe32Plus ? 0x20B : 0x10B);
  PutU32(b, opt + 32, 0x1000);  // section alignment
  PutU32(b, opt + 36, 0x200);   // file alignment
  const std::size_t directories = opt + (options.pe32Plus ? 112 : 96);
  PutU32(b, directories - 4, 16);
  f.resourceDataDirectory = directories + 16;
  const std::uint32_t address =
      options.resourceAddressOverride ? options.resourceAddressOverride : kResourceAddress;
  PutU32(b, f.resourceDataDirectory, address);
  PutU32(b, f.resourceDataDirectory + 4, static_cast<std::uint32_t>(section.size()));

  f.sectionTable = opt + optionalSize;
  const auto putSection = [&](std::size_t at, const char* name, std::uint32_t va,
                              std::uint32_t vsize, std::uint32_t rawSize, std::uint32_t raw) {
    for (int i = 0; name[i]; ++i) b[at + i] = static_cast<std::uint8_t>(name[i]);
    PutU32(b, at + 8, vsize);
    PutU32(b, at + 12, va);
    PutU32(b, at + 16, rawSize);
    PutU32(b, at + 20, raw);
  };
  const auto rawSize = static_cast<std::uint32_t>(AlignUp(section.size(), 0x200));
  putSection(f.sectionTable, ".text", 0x1000, 0x10, 0x200, 0x200);
  putSection(f.sectionTable + 40, ".rsrc", kResourceAddress,
             static_cast<std::uint32_t>(section.size()), rawSize, kResourceFileOffset);

  f.rootOffset = kResourceFileOffset;
  f.rootAddress = kResourceAddress;
  b.insert(b.end(), section.begin(), section.end());
  b.resize(kResourceFileOffset + rawSize, 0);
  return f;
}

// ---------------------------------------------------------------------------------------------
// NE

struct NeFixtureResource {
  std::uint16_t type = 0;  // numbered type, without the 0x8000 mark
  std::uint16_t id = 0;    // numbered resource, without the mark
  std::string name;        // not empty: a named resource
  ByteVector data;
};

struct NeFixture {
  ByteVector bytes;
  std::size_t neOffset = 0x80;
  std::size_t resourceTable = 0;  // file offset of the alignment shift
};

// An NE header at 0x80, the resource table after it, and each resource's data at its own
// sector. The last resource is not padded to a whole sector, as icon libraries do it.
inline NeFixture BuildNe(const std::vector<NeFixtureResource>& resources, int shift = 4) {
  NeFixture f;
  ByteVector& b = f.bytes;
  b.assign(0xC0, 0);
  b[0] = 'M';
  b[1] = 'Z';
  PutU32(b, 0x3C, 0x80);
  b[0x80] = 'N';
  b[0x81] = 'E';
  PutU16(b, 0x80 + 0x22, 0x40);  // segment table
  PutU16(b, 0x80 + 0x24, 0x40);  // resource table
  b[0x80 + 0x36] = 2;
  f.resourceTable = 0xC0;

  std::vector<std::uint16_t> types;
  for (const auto& r : resources) {
    if (std::find(types.begin(), types.end(), r.type) == types.end()) types.push_back(r.type);
  }
  std::size_t tableSize = 2 + 2;
  for (std::uint16_t t : types) {
    tableSize += 8 + 12 * std::count_if(resources.begin(), resources.end(),
                                        [&](auto& r) { return r.type == t; });
  }
  std::size_t strings = f.resourceTable + tableSize;
  std::size_t residentNames = strings;
  for (const auto& r : resources) residentNames += r.name.empty() ? 0 : 1 + r.name.size();
  PutU16(b, 0x80 + 0x26, static_cast<std::uint32_t>(residentNames - 0x80));
  b.resize(residentNames + 2, 0);
  PutU16(b, f.resourceTable, shift);

  const std::size_t sector = std::size_t{1} << shift;
  std::size_t data = AlignUp(b.size(), sector);
  std::size_t at = f.resourceTable + 2;
  std::vector<std::pair<std::size_t, const NeFixtureResource*>> placed;
  for (std::uint16_t t : types) {
    PutU16(b, at, 0x8000u | t);
    const std::size_t countAt = at + 2;
    at += 8;
    int count = 0;
    for (const auto& r : resources) {
      if (r.type != t) continue;
      ++count;
      PutU16(b, at, static_cast<std::uint32_t>(data >> shift));
      PutU16(b, at + 2, static_cast<std::uint32_t>(AlignUp(r.data.size(), sector) >> shift));
      PutU16(b, at + 4, 0x1C30);
      if (r.name.empty()) {
        PutU16(b, at + 6, 0x8000u | r.id);
      } else {
        PutU16(b, at + 6, static_cast<std::uint32_t>(strings - f.resourceTable));
        b[strings] = static_cast<std::uint8_t>(r.name.size());
        std::copy(r.name.begin(), r.name.end(), b.begin() + strings + 1);
        strings += 1 + r.name.size();
      }
      placed.emplace_back(data, &r);
      data = AlignUp(data + r.data.size(), sector);
      at += 12;
    }
    PutU16(b, countAt, count);
  }
  for (const auto& [offset, r] : placed) {
    b.resize(std::max(b.size(), offset + r->data.size()), 0);
    std::copy(r->data.begin(), r->data.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  return f;
}

}  // namespace morvane::testing
