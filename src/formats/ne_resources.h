// The resource table of a 16-bit NE executable: icon libraries, old programs and libraries,
// fonts. Read-only, over bytes the caller keeps alive; every record is checked against the data.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/resource_tree.h"

namespace morvane {

inline constexpr std::uint16_t kNeIntegerId = 0x8000;  // marks numbered types and resources

struct NeResource {
  ResourceName type;               // numbered types without the 0x8000 mark: 14 is an icon group
  ResourceName name;               // numbered resources without the 0x8000 mark
  std::uint64_t offset = 0;        // file offset of the data (sector << alignment shift)
  std::uint64_t length = 0;        // as recorded, in bytes (whole sectors)
  std::uint64_t recordOffset = 0;  // file offset of the 12-byte resource record
  std::uint16_t flags = 0;
};

class NeResources {
 public:
  // Reads the resource table. Returns false (and holds nothing) when the bytes are not an NE
  // file or have no resource table; a table damaged part way keeps the records read before.
  bool Open(Bytes file);

  bool IsOpen() const { return open_; }
  Bytes File() const { return file_; }
  std::uint16_t AlignmentShift() const { return shift_; }
  const std::vector<NeResource>& Resources() const { return resources_; }

  // The first resource of numbered type `type` numbered `id`, or nothing.
  const NeResource* Find(std::uint16_t type, std::uint16_t id) const;

  // The resource's bytes. Lengths count whole sectors and the last resource of a file may end
  // before its last sector does, so the range is cut at the end of the file; nothing when the
  // data starts outside it.
  std::optional<Bytes> Data(const NeResource& resource) const;

 private:
  bool ReadTypes(std::uint64_t table, std::uint64_t limit);
  ResourceName ReadName(std::uint64_t table, std::uint16_t field) const;

  Bytes file_;
  std::vector<NeResource> resources_;
  std::uint16_t shift_ = 0;
  bool open_ = false;
};

}  // namespace morvane
