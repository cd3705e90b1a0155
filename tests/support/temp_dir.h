// A scratch folder for the running test, named after it and removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace morvane::testing {

class TempDir {
 public:
  TempDir() {
    // The process id keeps parallel runs of the same test apart, the serial two folders of one
    // test.
    static int serial = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "-" + info->name() : "none";
    for (char& ch : name) {
      if (ch == '/') ch = '_';
    }
    path_ = std::filesystem::temp_directory_path() /
            ("morvane-" + std::to_string(::getpid()) + "-" + name + "-" + std::to_string(++serial));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace morvane::testing
