#include "shell/object_search.h"

#include <algorithm>
#include <fstream>
#include <new>
#include <set>
#include <system_error>

#include "formats/ani_codec.h"
#include "formats/ansi_text.h"
#include "formats/executable_objects.h"
#include "formats/ico_codec.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

// Extensions of programs and libraries worth opening; files without a known extension are
// looked at when they start like a program ("MZ").
bool IsProgramExtension(const std::string& ext) {
  return ext == ".exe" || ext == ".dll" || ext == ".ocx" || ext == ".scr" || ext == ".cpl" ||
         ext == ".icl" || ext == ".mun" || ext == ".sys";
}

bool StartsLikeProgram(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  char magic[2] = {};
  return in.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
}

// The preview: the largest image, at most 256 pixels each way.
void KeepLargest(const CDib& image, FoundObject& object) {
  if (!image.IsLive() || image.GetWidth() > 256 || image.GetHeight() > 256) return;
  if (object.preview.IsLive() && object.preview.GetWidth() * object.preview.GetHeight() >=
                                     image.GetWidth() * image.GetHeight()) {
    return;
  }
  CDib copy;
  if (image.CopyTo(copy, CDib::CopyMode::kRecreate)) object.preview = std::move(copy);
}

void AddImage(const CDib& image, int bits, FoundObject& object) {
  object.images.push_back({image.GetWidth(), image.GetHeight(),
                           ColorFormatFromBits(bits).value_or(ColorFormat::kTrueColorAlpha)});
  KeepLargest(image, object);
}

FileVerdict ClassifyIcon(const fs::path& path, FoundObject& object) {
  Result<IconFileContents> icon = ReadIconFile(path);
  if (!icon.ok()) return FileVerdict::kDamaged;
  object.kind = icon->type == IconFileType::kCursor ? FoundKind::kCursor : FoundKind::kIcon;
  for (const IconFrame& f : icon->frames) AddImage(f.image, f.format, object);
  return FileVerdict::kObject;
}

FileVerdict ClassifyAni(const fs::path& path, FoundObject& object) {
  Result<AniContents> ani = LoadAniFile(path);
  if (!ani.ok()) return FileVerdict::kDamaged;
  object.kind = FoundKind::kAnimatedCursor;
  for (const AniFrame& f : ani->frames) AddImage(f.image, f.format, object);
  return FileVerdict::kObject;
}

FileVerdict ClassifyProgram(const fs::path& path, bool byExtension, FoundObject& object) {
  Result<ExecutableObjects> objects = ExecutableObjects::Read(path);
  if (!objects.ok()) return FileVerdict::kDamaged;
  if (objects->Count() == 0) return FileVerdict::kNotAnObject;
  object.kind = byExtension && AsciiLower(path.extension().string()) == ".icl"
                    ? FoundKind::kLibrary
                    : FoundKind::kProgram;
  object.groups = objects->Count();
  for (const ObjectInfo& group : objects->List()) {
    for (const ObjectImageInfo& image : group.images) {
      object.images.push_back({image.width, image.height, image.format});
    }
  }
  for (const ObjectPreview& p : objects->Previews(0, 0x00FFFFFF)) {
    if (p.readable) KeepLargest(p.preview, object);
  }
  return FileVerdict::kObject;
}

class Walker {
 public:
  Walker(SearchObserver& observer, const std::atomic<bool>& stop)
      : observer_(observer), stop_(stop) {}

  void Folder(const fs::path& folder) {
    if (Stopped()) return;
    std::error_code ec;
    const fs::path real = fs::canonical(folder, ec);
    if (ec || !visited_.insert(real).second) {
      ++(ec ? counts_.unreadableFolders : counts_.symlinkLoops);
      return;
    }
    std::vector<fs::directory_entry> entries;
    fs::directory_iterator it(folder, fs::directory_options::none, ec);
    if (ec) {
      ++counts_.unreadableFolders;
      return;
    }
    for (; it != fs::directory_iterator() && !Stopped(); it.increment(ec)) {
      if (ec) break;
      entries.push_back(*it);
    }
    if (ec) ++counts_.unreadableFolders;
    ++counts_.folders;
    std::sort(entries.begin(), entries.end());
    for (const fs::directory_entry& entry : entries) {
      if (Stopped()) return;
      if (entry.is_directory(ec)) {
        Folder(entry.path());
      } else if (entry.is_regular_file(ec)) {
        File(entry);
        if (counts_.files % 64 == 0) observer_.Progress(counts_, folder);
      }
    }
    observer_.Progress(counts_, folder);
  }

  const SearchCounts& Counts() const { return counts_; }

 private:
  bool Stopped() const { return stop_.load(std::memory_order_relaxed); }

  void File(const fs::directory_entry& entry) {
    ++counts_.files;
    std::error_code ec;
    if (entry.file_size(ec) > kMaxSearchFileBytes && !ec) {
      ++counts_.largeFiles;
      return;
    }
    FoundObject object;
    object.path = entry.path();
    switch (ClassifyFile(entry.path(), object)) {
      case FileVerdict::kObject:
        ++counts_.found;
        observer_.Found(std::move(object));
        break;
      case FileVerdict::kDamaged:
        ++counts_.damagedFiles;
        break;
      case FileVerdict::kNotAnObject:
        break;
    }
  }

  SearchObserver& observer_;
  const std::atomic<bool>& stop_;
  SearchCounts counts_;
  std::set<fs::path> visited_;
};

}  // namespace

FileVerdict ClassifyFile(const fs::path& path, FoundObject& object) {
  try {
    const std::string ext = AsciiLower(path.extension().string());
    if (ext == ".ico" || ext == ".cur") return ClassifyIcon(path, object);
    if (ext == ".ani") return ClassifyAni(path, object);
    if (IsProgramExtension(ext)) return ClassifyProgram(path, true, object);
    if (ext.empty() && StartsLikeProgram(path)) return ClassifyProgram(path, false, object);
    return FileVerdict::kNotAnObject;
  } catch (const std::bad_alloc&) {
    return FileVerdict::kDamaged;
  }
}

SearchCounts SearchObjects(const fs::path& root, SearchObserver& observer,
                           const std::atomic<bool>& stop) {
  Walker walker(observer, stop);
  walker.Folder(root);
  return walker.Counts();
}

bool MatchesFilter(const FoundObject& object, int size, int bits) {
  return std::any_of(object.images.begin(), object.images.end(), [&](const FoundImage& image) {
    const bool sizeOk = size == 0 || (image.width == size && image.height == size);
    return sizeOk && (bits == 0 || BitsOf(image.format) == bits);
  });
}

}  // namespace morvane
