// Read-only access to the resources of a Portable Executable file (programs and libraries of 32
// and 64 bits) over bytes the caller keeps alive. Nothing is copied and nothing in the file is
// trusted: every table, entry and data range is checked against the data before it is followed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/byte_reader.h"

namespace morvane {

// Resource type ids the program looks for.
inline constexpr std::uint16_t kResourceCursor = 1;
inline constexpr std::uint16_t kResourceBitmap = 2;
inline constexpr std::uint16_t kResourceIcon = 3;
inline constexpr std::uint16_t kResourceCursorGroup = 12;
inline constexpr std::uint16_t kResourceIconGroup = 14;

// The name of a resource: a number, or a text (UTF-8) for named entries.
struct ResourceName {
  bool isNumber = true;
  std::uint16_t number = 0;
  std::string text;

  static ResourceName Number(std::uint16_t n) { return {true, n, {}}; }
  static ResourceName Text(std::string t) { return {false, 0, std::move(t)}; }
  // "103" for a number, the text itself for a name.
  std::string ToString() const;
  friend bool operator==(const ResourceName&, const ResourceName&) = default;
};

// One entry of a directory, resolved to the data of its first language.
struct ResourceItem {
  std::uint32_t index = 0;  // position in the directory, named entries first
  ResourceName name;
  std::uint16_t language = 0;     // id of the language entry the data was taken from
  bool hasData = false;           // false when the entry leads to nothing inside the file
  std::uint32_t dataAddress = 0;  // virtual address of the data
  std::uint32_t dataSize = 0;
};

struct PeSection {
  std::uint32_t virtualAddress = 0;
  std::uint32_t extent = 0;  // virtual size, or the raw size when the virtual size is 0
  std::uint32_t rawOffset = 0;
};

// A position in the three-level resource directory (type, name, language) of one file. A tree
// opened on a file sits on the root; FindDirectory returns trees positioned on subdirectories.
// Copies are cheap and independent; all of them read the caller's bytes.
class ResourceTree {
 public:
  ResourceTree() = default;

  // Locates the resource root. Returns false and leaves the tree empty (every lookup fails) when
  // the bytes are not a PE file (16-bit NE files included) or hold no resource directory.
  bool Open(Bytes file);
  void Close();

  bool IsOpen() const { return open_; }
  bool IsPe32Plus() const { return pe32Plus_; }
  Bytes File() const { return file_; }
  std::uint32_t EntryCount() const { return namedCount_ + idCount_; }
  std::uint32_t NamedCount() const { return namedCount_; }

  // Among the current directory's ID entries, the first whose ID equals `id`, as a tree
  // positioned on that subdirectory; nothing when there is none or it is not a valid table.
  std::optional<ResourceTree> FindDirectory(std::uint16_t id) const;

  // Every entry of the current directory, named and ID entries alike, in stored order: pass
  // nothing for the first and the previous item for the next; nothing after the last.
  std::optional<ResourceItem> NextEntry(const std::optional<ResourceItem>& previous) const;

  // The first ID entry of the current directory whose ID equals `id`.
  std::optional<ResourceItem> FindItem(std::uint16_t id) const;

  // The item's bytes inside the file, or nothing when they do not lie wholly inside it.
  std::optional<Bytes> ItemData(const ResourceItem& item) const;
  std::uint32_t ItemSize(const ResourceItem& item) const { return item.dataSize; }

 private:
  struct Table {
    std::uint64_t offset = 0;
    std::uint32_t named = 0;
    std::uint32_t ids = 0;
  };

  std::optional<Table> ReadTable(std::uint32_t relativeOffset) const;
  ResourceItem ItemAt(std::uint32_t index) const;
  ResourceName EntryName(std::uint32_t index, std::uint32_t nameField) const;
  bool ResolveData(std::uint32_t offsetField, ResourceItem& item) const;
  std::optional<std::uint64_t> AddressToOffset(std::uint32_t address) const;
  void SetTable(const Table& table);

  Bytes file_;
  std::shared_ptr<const std::vector<PeSection>> sections_;
  std::uint64_t rootOffset_ = 0;   // file offset of the root table; entry offsets count from it
  std::uint64_t tableOffset_ = 0;  // file offset of the current table
  std::uint32_t namedCount_ = 0;
  std::uint32_t idCount_ = 0;
  bool open_ = false;
  bool pe32Plus_ = false;
};

}  // namespace morvane
