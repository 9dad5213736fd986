#include "platform/virtualcam/YuvImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kamsel::virtualcam {

YuvColor YuvColor::FromRgb(int red, int green, int blue) {
    const double r = red, g = green, b = blue;
    const auto to8 = [](double value) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    };
    return YuvColor{to8(16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255),
                    to8(128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255),
                    to8(128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255)};
}

void YuvImage::Resize(int width, int height) {
    width_ = width;
    height_ = height;
    yStride_ = (static_cast<std::size_t>(width) + 15) & ~std::size_t{15};
    const YuvColor black;
    y_.assign(yStride_ * static_cast<std::size_t>(height), black.y);
    u_.assign(ChromaStride() * static_cast<std::size_t>(ChromaHeight()), black.u);
    v_.assign(ChromaStride() * static_cast<std::size_t>(ChromaHeight()), black.v);
}

PlanarView YuvImage::View() const {
    PlanarView view;
    view.y = y_.data();
    view.u = u_.data();
    view.v = v_.data();
    view.yStride = yStride_;
    view.chromaStride = ChromaStride();
    view.width = width_;
    view.height = height_;
    view.chromaRowShift = 1;
    return view;
}

void YuvImage::FillLuma(int x, int y, int width, int height, std::uint8_t luma) {
    const int left = std::max(x, 0);
    const int right = std::min(x + width, width_);
    const int top = std::max(y, 0);
    const int bottom = std::min(y + height, height_);
    if (left >= right)
        return;
    for (int row = top; row < bottom; ++row)
        std::memset(YRow(row) + left, luma, static_cast<std::size_t>(right - left));
}

void YuvImage::FillRect(int x, int y, int width, int height, YuvColor color) {
    FillLuma(x, y, width, height, color.y);
    const int left = std::max(x, 0) / 2;
    const int right = std::min((std::min(x + width, width_) + 1) / 2, ChromaWidth());
    const int top = std::max(y, 0) / 2;
    const int bottom = std::min((std::min(y + height, height_) + 1) / 2, ChromaHeight());
    if (left >= right)
        return;
    for (int row = top; row < bottom; ++row) {
        std::memset(URow(row) + left, color.u, static_cast<std::size_t>(right - left));
        std::memset(VRow(row) + left, color.v, static_cast<std::size_t>(right - left));
    }
}

} // namespace kamsel::virtualcam
