#pragma once
// A 4:2:0 picture in three planes (studio-range BT.601 unless a user says
// otherwise), the working surface of the pattern camera. Rows are padded to a
// multiple of 16 pixels, as the JPEG encoder reads whole blocks.

#include "platform/virtualcam/PixelPacking.h"

#include <cstdint>
#include <vector>

namespace kamsel::virtualcam {

struct YuvColor {
    std::uint8_t y = 16;
    std::uint8_t u = 128;
    std::uint8_t v = 128;

    // From full-range red, green and blue, by BT.601 into studio range.
    static YuvColor FromRgb(int red, int green, int blue);
};

class YuvImage {
  public:
    // Sizes must be even and positive; the planes are filled with black.
    void Resize(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int ChromaWidth() const { return width_ / 2; }
    int ChromaHeight() const { return height_ / 2; }
    std::size_t YStride() const { return yStride_; }
    std::size_t ChromaStride() const { return yStride_ / 2; }

    std::uint8_t* YRow(int row) { return y_.data() + static_cast<std::size_t>(row) * yStride_; }
    std::uint8_t* URow(int row) { return u_.data() + static_cast<std::size_t>(row) * ChromaStride(); }
    std::uint8_t* VRow(int row) { return v_.data() + static_cast<std::size_t>(row) * ChromaStride(); }
    const std::uint8_t* YRow(int row) const { return y_.data() + static_cast<std::size_t>(row) * yStride_; }
    const std::uint8_t* URow(int row) const {
        return u_.data() + static_cast<std::size_t>(row) * ChromaStride();
    }
    const std::uint8_t* VRow(int row) const {
        return v_.data() + static_cast<std::size_t>(row) * ChromaStride();
    }

    PlanarView View() const;

    // Paints the rectangle, clipped to the picture; chroma covers every 2x2
    // block the rectangle touches.
    void FillRect(int x, int y, int width, int height, YuvColor color);
    // Paints luma only, leaving the colour of the area as it is.
    void FillLuma(int x, int y, int width, int height, std::uint8_t luma);

  private:
    int width_ = 0;
    int height_ = 0;
    std::size_t yStride_ = 0;
    std::vector<std::uint8_t> y_;
    std::vector<std::uint8_t> u_;
    std::vector<std::uint8_t> v_;
};

} // namespace kamsel::virtualcam
