#include "platform/virtualcam/PixelFont.h"

#include <array>

namespace kamsel::virtualcam {
namespace {

using Glyph = std::array<std::uint8_t, PixelFont::kGlyphHeight>; // rows, bit 4 the leftmost dot

const Glyph* GlyphOf(char c) {
    static constexpr std::array<Glyph, 10> kDigits = {{
        {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, // 0
        {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}, // 1
        {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, // 2
        {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}, // 3
        {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, // 4
        {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}, // 5
        {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, // 6
        {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}, // 7
        {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, // 8
        {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}, // 9
    }};
    static constexpr Glyph kColon = {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00};
    static constexpr Glyph kPoint = {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C};
    static constexpr Glyph kHash = {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A};
    if (c >= '0' && c <= '9')
        return &kDigits[static_cast<std::size_t>(c - '0')];
    switch (c) {
    case ':':
        return &kColon;
    case '.':
        return &kPoint;
    case '#':
        return &kHash;
    default:
        return nullptr;
    }
}

} // namespace

int PixelFont::TextWidth(std::string_view text, int scale) {
    return text.empty() ? 0 : (static_cast<int>(text.size()) * kAdvance - 1) * scale;
}

void PixelFont::Draw(YuvImage& image, int x, int y, std::string_view text, int scale, std::uint8_t luma) {
    for (const char c : text) {
        if (const Glyph* glyph = GlyphOf(c)) {
            for (int row = 0; row < kGlyphHeight; ++row) {
                for (int column = 0; column < kGlyphWidth; ++column) {
                    if ((*glyph)[static_cast<std::size_t>(row)] & (0x10 >> column))
                        image.FillLuma(x + column * scale, y + row * scale, scale, scale, luma);
                }
            }
        }
        x += kAdvance * scale;
    }
}

} // namespace kamsel::virtualcam
