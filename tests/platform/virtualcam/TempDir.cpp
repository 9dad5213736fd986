#include "virtualcam/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace kamsel::virtualcam::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kamsel-virtualcam-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::PathOf(std::string_view name) const {
    return (path_ / name).string();
}

std::string TempDir::Write(std::string_view name, const std::vector<std::uint8_t>& bytes) const {
    const std::string path = PathOf(name);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
    return path;
}

} // namespace kamsel::virtualcam::test
