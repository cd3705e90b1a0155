#include "shell/desktop_files.h"

#include <span>
#include <system_error>

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "formats/file_io.h"

namespace morvane {

std::optional<std::string> ReadTextFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return ec ? std::nullopt : std::optional(std::string());
  auto bytes = ReadFileBytes(path, std::uint64_t{16} << 20);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

std::string WriteTextFile(const std::filesystem::path& path, const std::string& text) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (ec) return "cannot create " + path.parent_path().string() + ": " + ec.message();
  const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
  const Status status = WriteFileAtomic(path, std::span(data, text.size()));
  return status.ok() ? std::string() : path.string() + ": " + status.message();
}

std::string RemoveOwnFile(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return ec ? "cannot remove " + path.string() + ": " + ec.message() : std::string();
}

bool RunDesktopTool(const std::string& program, const std::vector<std::string>& arguments) {
  const QString found = QStandardPaths::findExecutable(QString::fromStdString(program));
  if (found.isEmpty()) return false;
  QStringList list;
  for (const std::string& a : arguments) list << QString::fromStdString(a);
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.setStandardOutputFile(QProcess::nullDevice());
  process.start(found, list);
  return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
}

}  // namespace morvane
