#include "virtualcam/TestVideoFiles.h"

namespace kamsel::virtualcam::test {
namespace {

Bytes Planes(std::size_t luma, std::size_t chroma, std::uint8_t y, std::uint8_t u, std::uint8_t v) {
    Bytes bytes(luma, y);
    bytes.insert(bytes.end(), chroma, u);
    bytes.insert(bytes.end(), chroma, v);
    return bytes;
}

} // namespace

Bytes Planes420(int width, int height, std::uint8_t y, std::uint8_t u, std::uint8_t v) {
    const auto luma = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return Planes(luma, luma / 4, y, u, v);
}

Bytes Planes422(int width, int height, std::uint8_t y, std::uint8_t u, std::uint8_t v) {
    const auto luma = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return Planes(luma, luma / 2, y, u, v);
}

Bytes Y4mFile(std::string_view header, const std::vector<Bytes>& frames, std::string_view frameLine) {
    Bytes file(header.begin(), header.end());
    file.push_back('\n');
    for (const Bytes& frame : frames) {
        file.insert(file.end(), frameLine.begin(), frameLine.end());
        file.push_back('\n');
        file.insert(file.end(), frame.begin(), frame.end());
    }
    return file;
}

Bytes Concat(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace kamsel::virtualcam::test
