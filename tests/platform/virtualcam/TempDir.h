#pragma once
// A fresh directory for a test's files, removed with everything in it when
// the object goes.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kamsel::virtualcam::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes `bytes` to the file `name` in the directory; returns its path.
    std::string Write(std::string_view name, const std::vector<std::uint8_t>& bytes) const;
    std::string PathOf(std::string_view name) const;

  private:
    std::filesystem::path path_;
};

} // namespace kamsel::virtualcam::test
