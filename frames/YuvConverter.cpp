#include "YuvConverter.h"

namespace kamsel::frames {

namespace {

struct Coefficients {
    std::int64_t perStep; // coefficient x 1000
    std::int64_t offset;  // offset x 1000
};

Coefficients CoefficientsOf(YuvTerm term) {
    switch (term) {
    case YuvTerm::Y:
        return {298082, 0};
    case YuvTerm::UG:
        return {-100291, 0};
    case YuvTerm::UB:
        return {516412, -70870016};
    case YuvTerm::VR:
        return {408583, -57067776};
    case YuvTerm::VG:
        return {-208120, 34707456};
    }
    return {0, 0};
}

// n / 1000 rounded to the nearest integer, halves to the even neighbour.
std::int32_t DivideRoundHalfEven(std::int64_t n) {
    std::int64_t q = n / 1000;
    std::int64_t r = n % 1000;
    if (r < 0) { // make q the floor and r non-negative
        q -= 1;
        r += 1000;
    }
    if (r > 500 || (r == 500 && (q & 1) != 0))
        q += 1;
    return static_cast<std::int32_t>(q);
}

} // namespace

std::int32_t YuvConverter::TermValue(YuvTerm term, int i) {
    const Coefficients c = CoefficientsOf(term);
    return DivideRoundHalfEven(c.perStep * i + c.offset);
}

std::uint8_t YuvConverter::ClipValue(int index) {
    if (index < 0)
        return 0;
    return index > 255 ? 255 : static_cast<std::uint8_t>(index);
}

void YuvConverter::Pixel(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* out) const {
    const std::int32_t luma = t_.Y[y];
    out[0] = Clip(luma + t_.UB[u]);
    out[1] = Clip(luma + t_.UG[u] + t_.VG[v]);
    out[2] = Clip(luma + t_.VR[v]);
}

void YuvConverter::PlanarRow(const std::uint8_t* y, const std::uint8_t* u, const std::uint8_t* v, int pairs,
                             std::uint8_t* out) const {
    for (int p = 0; p < pairs; ++p) {
        const std::int32_t blue = t_.UB[u[p]];
        const std::int32_t green = t_.UG[u[p]] + t_.VG[v[p]];
        const std::int32_t red = t_.VR[v[p]];
        const std::int32_t y0 = t_.Y[y[0]];
        const std::int32_t y1 = t_.Y[y[1]];
        out[0] = Clip(y0 + blue);
        out[1] = Clip(y0 + green);
        out[2] = Clip(y0 + red);
        out[3] = Clip(y1 + blue);
        out[4] = Clip(y1 + green);
        out[5] = Clip(y1 + red);
        y += 2;
        out += 6;
    }
}

void YuvConverter::PackedRow(const std::uint8_t* yuyv, int pairs, std::uint8_t* out) const {
    for (int p = 0; p < pairs; ++p) {
        const std::int32_t blue = t_.UB[yuyv[1]];
        const std::int32_t green = t_.UG[yuyv[1]] + t_.VG[yuyv[3]];
        const std::int32_t red = t_.VR[yuyv[3]];
        const std::int32_t y0 = t_.Y[yuyv[0]];
        const std::int32_t y1 = t_.Y[yuyv[2]];
        out[0] = Clip(y0 + blue);
        out[1] = Clip(y0 + green);
        out[2] = Clip(y0 + red);
        out[3] = Clip(y1 + blue);
        out[4] = Clip(y1 + green);
        out[5] = Clip(y1 + red);
        yuyv += 4;
        out += 6;
    }
}

} // namespace kamsel::frames
