#include "formats/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

namespace morvane {

std::string_view ErrorCodeName(ErrorCode code) {
  switch (code) {
    case ErrorCode::kNone:
      return "ok";
    case ErrorCode::kCannotOpen:
      return "cannot open";
    case ErrorCode::kCannotWrite:
      return "cannot write";
    case ErrorCode::kTruncated:
      return "truncated";
    case ErrorCode::kBadFormat:
      return "bad format";
    case ErrorCode::kUnsupported:
      return "unsupported";
    case ErrorCode::kTooLarge:
      return "too large";
    case ErrorCode::kOutOfMemory:
      return "out of memory";
    case ErrorCode::kLibrary:
      return "library error";
    case ErrorCode::kNoImages:
      return "no images";
    case ErrorCode::kChangedOnDisk:
      return "changed on disk";
  }
  return "unknown";
}

std::optional<FileStamp> StampOf(const std::filesystem::path& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  const auto time = std::filesystem::last_write_time(path, error);
  if (error) return std::nullopt;
  return FileStamp{size, time};
}

namespace {

std::string SystemError(int err) {
  return std::error_code(err, std::generic_category()).message();
}

// A name beside the target that no other writer uses: process id plus a counter. O_EXCL at
// creation catches the rare clash with a leftover file, and the caller then tries the next name.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%ld-%u.tmp", static_cast<long>(::getpid()),
                counter.fetch_add(1, std::memory_order_relaxed));
  std::filesystem::path tmp = target;
  tmp += suffix;
  return tmp;
}

bool WriteAll(int fd, std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

Result<std::vector<std::uint8_t>> ReadFileBytes(const std::filesystem::path& path,
                                                std::uint64_t maxBytes) {
  // Only regular files: opening a pipe or a device would block or never end.
  std::error_code ec;
  const auto type = std::filesystem::status(path, ec).type();
  if (type == std::filesystem::file_type::directory) {
    return Status(ErrorCode::kCannotOpen, path.string() + ": is a folder");
  }
  if (!ec && type != std::filesystem::file_type::regular) {
    return Status(ErrorCode::kCannotOpen, path.string() + ": not a regular file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return Status(ErrorCode::kCannotOpen, path.string() + ": " + SystemError(errno));
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return Status(ErrorCode::kCannotOpen, path.string() + ": cannot tell its size");
  if (static_cast<std::uint64_t>(size) > maxBytes) {
    return Status(ErrorCode::kTooLarge, path.string() + ": file too large");
  }
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return Status(ErrorCode::kOutOfMemory, path.string() + ": out of memory");
  }
  in.seekg(0, std::ios::beg);
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    return Status(ErrorCode::kCannotOpen, path.string() + ": read error");
  }
  return bytes;
}

Status WriteFileAtomic(const std::filesystem::path& path, std::span<const std::uint8_t> data) {
  std::filesystem::path tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tmp = TemporaryBeside(path);
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return Status(ErrorCode::kCannotWrite, path.string() + ": " + SystemError(errno));
  // A replaced file keeps its permissions. Only a replacement is flushed before the rename:
  // after a crash the old name must hold the old or the new contents, never an empty file. A
  // new name had nothing to lose, and a flush costs milliseconds on a journalling disk.
  struct stat existing {};
  const bool replacing = ::stat(path.c_str(), &existing) == 0;
  if (replacing) ::fchmod(fd, existing.st_mode & 07777);
  bool ok = WriteAll(fd, data) && (!replacing || ::fsync(fd) == 0);
  int err = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && std::rename(tmp.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    std::error_code ignored;
    std::filesystem::remove(tmp, ignored);
    return Status(ErrorCode::kCannotWrite, path.string() + ": " + SystemError(err));
  }
  return Status::Ok();
}

}  // namespace morvane
