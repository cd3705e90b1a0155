#include "formats/icl_reader.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "formats/file_io.h"
#include "formats/icon_groups.h"
#include "formats/icon_image.h"

namespace morvane {
namespace {

constexpr int kMaxLibraryImageSide = 256;

// Width and height from the image block's own header (PNG or bitmap), before decoding it.
std::optional<std::pair<int, int>> PeekImageSize(Bytes data) {
  if (data.size() >= 24 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') {
    const auto be = [&](std::size_t at) {
      return static_cast<std::uint32_t>(data[at]) << 24 |
             static_cast<std::uint32_t>(data[at + 1]) << 16 |
             static_cast<std::uint32_t>(data[at + 2]) << 8 | data[at + 3];
    };
    const std::uint32_t w = be(16), h = be(20);
    if (w == 0 || h == 0 || w > 0xFFFF || h > 0xFFFF) return std::nullopt;
    return std::pair<int, int>(static_cast<int>(w), static_cast<int>(h));
  }
  const auto width = LoadU32(data, 4);
  const auto height = LoadU32(data, 8);
  if (!width || !height) return std::nullopt;
  const std::int64_t w = static_cast<std::int32_t>(*width);
  const std::int64_t h =
      std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(*height))) / 2;
  if (w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF) return std::nullopt;
  return std::pair<int, int>(static_cast<int>(w), static_cast<int>(h));
}

std::size_t PixelBytes(int width, int height) {
  return static_cast<std::size_t>(StrideFor(width)) * static_cast<std::size_t>(height) *
         sizeof(Pixel);
}

// The listed group of an image whose group was left out.
constexpr int kLeftOut = -2;

// The image an icon record holds and the listed group that names it first.
struct Claim {
  int listedGroup = -1;
  const GroupImage* image = nullptr;
};

// Decodes the icon records in record order, once each, while the pixel budget lasts, and
// numbers the groups afterwards: the listed groups that kept an image in file order, then one
// group for each image that no group names, so that no stored image is lost.
class LibraryFiller {
 public:
  LibraryFiller(Bytes file, std::size_t budget) : file_(file), budget_(budget) {}

  void Fill(const IconGroupList& list) {
    std::unordered_map<std::uint16_t, Claim> claims;
    std::vector<bool> usable(list.groups.size(), false);
    for (std::size_t g = 0; g < list.groups.size(); ++g) {
      const IconGroup& group = list.groups[g];
      if (group.kind != GroupKind::kIcon) continue;
      // An icon object holds at most 256 images; a larger group could never be opened, and
      // its images go with it.
      const bool tooLarge = group.images.size() > static_cast<std::size_t>(kMaxIconFrames);
      if (tooLarge) ++result_.skippedGroups;
      usable[g] = !tooLarge;
      for (const GroupImage& image : group.images) {
        claims.emplace(image.entry.resourceId,
                       Claim{tooLarge ? kLeftOut : static_cast<int>(g), &image});
      }
    }
    // Without any group the file holds no icons; images are kept unnamed only beside groups.
    const bool keepUnnamed = std::find(usable.begin(), usable.end(), true) != usable.end();
    std::vector<int> listedGroupOf;  // per library image
    std::unordered_set<std::uint16_t> seen;
    for (const IconResource& record : ListIconResources(file_, list.fromNe)) {
      // A later record of an equal number can never be reached through a group.
      if (!seen.insert(record.id).second || !record.data) {
        ++result_.skippedImages;
        continue;
      }
      const auto claim = claims.find(record.id);
      const bool claimed = claim != claims.end();
      if ((claimed && claim->second.listedGroup == kLeftOut) || (!claimed && !keepUnnamed)) {
        ++result_.skippedImages;
        continue;
      }
      const std::string name =
          claimed ? list.groups[static_cast<std::size_t>(claim->second.listedGroup)].name.ToString()
                  : std::string();
      const int bits = claimed ? claim->second.image->bits : 0;
      if (!AddImage(*record.data, bits, name)) {
        ++result_.skippedImages;
        continue;
      }
      listedGroupOf.push_back(claimed ? claim->second.listedGroup : -1);
    }
    NumberGroups(list, usable, listedGroupOf);
  }

  IconLibrary& Library() { return library_; }
  LibraryReadResult& Report() { return result_; }

 private:
  void NumberGroups(const IconGroupList& list, const std::vector<bool>& usable,
                    const std::vector<int>& listedGroupOf) {
    std::vector<int> number(list.groups.size(), -1);
    for (int listed : listedGroupOf) {
      if (listed >= 0) number[static_cast<std::size_t>(listed)] = 0;
    }
    int next = 0;
    for (std::size_t g = 0; g < list.groups.size(); ++g) {
      if (number[g] == 0) {
        number[g] = next++;
      } else if (usable[g]) {
        ++result_.skippedGroups;  // none of its images could be read
      }
    }
    for (std::size_t i = 0; i < listedGroupOf.size(); ++i) {
      const int listed = listedGroupOf[i];
      library_.images[i].group = listed >= 0 ? number[static_cast<std::size_t>(listed)] : next++;
    }
    library_.groupCount = next;
  }

  // bits: the colour format the naming group's entry gives; 0 takes the image's own.
  bool AddImage(Bytes data, int bits, const std::string& name) {
    const auto header = PeekImageSize(data);
    // The header's size is checked before decoding, so nothing large is ever allocated.
    if (!header || header->first > kMaxLibraryImageSide || header->second > kMaxLibraryImageSide ||
        PixelBytes(header->first, header->second) > budget_) {
      return false;
    }
    auto decoded = DecodeIconImage(data);
    if (!decoded.ok()) return false;
    CDib& pixels = decoded->image;
    const std::size_t cost = pixels.StoredPixelCount() * sizeof(Pixel);
    if (pixels.GetWidth() > kMaxLibraryImageSide || pixels.GetHeight() > kMaxLibraryImageSide ||
        cost > budget_) {
      return false;
    }
    budget_ -= cost;
    LibraryImage image;
    image.width = pixels.GetWidth();
    image.height = pixels.GetHeight();
    image.pixels = std::move(pixels);
    image.bits = bits != 0 ? bits : decoded->bitCount;
    image.fileOffset = static_cast<std::int64_t>(data.data() - file_.data());
    image.dataLength = static_cast<std::int64_t>(data.size());
    image.storedAsPng = decoded->isPng;
    image.name = name;
    library_.images.push_back(std::move(image));
    return true;
  }

  Bytes file_;
  IconLibrary library_;
  LibraryReadResult result_;
  std::size_t budget_;
};

}  // namespace

LibraryReadResult ReadLibrary(Bytes file, IconLibrary& library, std::size_t pixelBudget) {
  const IconGroupList list = ListExecutableGroups(file);
  LibraryFiller filler(file, pixelBudget);
  filler.Fill(list);
  LibraryReadResult result = std::move(filler.Report());
  result.skippedGroups += list.skippedGroups;
  result.fromNe = list.fromNe;
  result.groups = filler.Library().groupCount;
  if (result.groups == 0) {
    result.status = {ErrorCode::kNoImages, "Icon library: no icon group found"};
    return result;
  }
  library.groupCount = filler.Library().groupCount;
  library.images = std::move(filler.Library().images);
  return result;
}

LibraryReadResult ReadLibrary(const std::filesystem::path& path, IconLibrary& library) {
  const auto bytes = ReadFileBytes(path);
  if (!bytes.ok()) {
    LibraryReadResult result;
    result.status = bytes.status();
    return result;
  }
  const auto stamp = StampOf(path);
  LibraryReadResult result = ReadLibrary(Bytes(*bytes), library);
  if (result.groups > 0) {
    library.path = path;
    library.stamp = stamp;
    library.modified = false;
    library.isIcl = HasIclExtension(path);
  }
  return result;
}

}  // namespace morvane
