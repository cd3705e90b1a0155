// Writes language pack files into a temporary program folder for the tests.
#pragma once

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace morvane::testing {

class PackFolder {
 public:
  PackFolder() : root_(dir_.path().toStdString()) {}
  const std::filesystem::path& root() const { return root_; }

  // Writes bytes to root/relative, creating folders on the way.
  std::filesystem::path Write(const std::string& relative, std::string_view bytes) const {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // A pack that passes the [Info] checks, followed by body.
  std::filesystem::path WritePack(const std::string& relative, const std::string& name,
                                  const std::string& body, int version = 840) const {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about chained operator+.
    std::string text = "[Info]\nprogram=Morvane Pro\nversion=";
    text.append(std::to_string(version)).append("\nname=").append(name).append("\n");
    text.append(body);
    return Write(relative, text);
  }

 private:
  QTemporaryDir dir_;
  std::filesystem::path root_;
};

}  // namespace morvane::testing
