#include "platform/virtualcam/PixelPacking.h"

#include <algorithm>
#include <cstring>

namespace kamsel::virtualcam {
namespace {

std::uint8_t Clamp8(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

} // namespace

void PackYuy2(const PlanarView& picture, std::uint8_t* out) {
    const int pairs = picture.width / 2;
    for (int row = 0; row < picture.height; ++row) {
        const std::uint8_t* y = picture.y + static_cast<std::size_t>(row) * picture.yStride;
        const std::size_t chromaRow = static_cast<std::size_t>(row >> picture.chromaRowShift);
        const std::uint8_t* u = picture.u + chromaRow * picture.chromaStride;
        const std::uint8_t* v = picture.v + chromaRow * picture.chromaStride;
        for (int i = 0; i < pairs; ++i) {
            out[0] = y[2 * i];
            out[1] = u[i];
            out[2] = y[2 * i + 1];
            out[3] = v[i];
            out += 4;
        }
    }
}

void PackI420(const PlanarView& picture, std::uint8_t* out) {
    const auto width = static_cast<std::size_t>(picture.width);
    for (int row = 0; row < picture.height; ++row) {
        std::memcpy(out, picture.y + static_cast<std::size_t>(row) * picture.yStride, width);
        out += width;
    }
    const std::size_t chromaWidth = width / 2;
    const int chromaHeight = (picture.height + 1) / 2;
    for (const std::uint8_t* plane : {picture.u, picture.v}) {
        for (int row = 0; row < chromaHeight; ++row) {
            std::memcpy(out, plane + static_cast<std::size_t>(row) * picture.chromaStride, chromaWidth);
            out += chromaWidth;
        }
    }
}

std::size_t Rgb24Stride(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

void PackRgb24BottomUp(const PlanarView& picture, std::uint8_t* out) {
    // Fixed point with 16 fraction bits: R = 1.164(Y-16) + 1.596(V-128),
    // G = 1.164(Y-16) - 0.391(U-128) - 0.813(V-128), B = 1.164(Y-16) + 2.018(U-128).
    constexpr int kY = 76284, kRv = 104595, kGu = 25625, kGv = 53280, kBu = 132252, kRound = 1 << 15;
    const std::size_t stride = Rgb24Stride(picture.width);
    for (int row = 0; row < picture.height; ++row) {
        const std::uint8_t* y = picture.y + static_cast<std::size_t>(row) * picture.yStride;
        const std::size_t chromaRow = static_cast<std::size_t>(row >> picture.chromaRowShift);
        const std::uint8_t* u = picture.u + chromaRow * picture.chromaStride;
        const std::uint8_t* v = picture.v + chromaRow * picture.chromaStride;
        std::uint8_t* line = out + static_cast<std::size_t>(picture.height - 1 - row) * stride;
        for (int x = 0; x < picture.width; ++x) {
            const int luma = (y[x] - 16) * kY + kRound;
            const int cb = u[x / 2] - 128;
            const int cr = v[x / 2] - 128;
            line[3 * x + 0] = Clamp8((luma + kBu * cb) >> 16);
            line[3 * x + 1] = Clamp8((luma - kGu * cb - kGv * cr) >> 16);
            line[3 * x + 2] = Clamp8((luma + kRv * cr) >> 16);
        }
        std::memset(line + 3 * static_cast<std::size_t>(picture.width), 0,
                    stride - 3 * static_cast<std::size_t>(picture.width));
    }
}

} // namespace kamsel::virtualcam
