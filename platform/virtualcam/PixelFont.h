#pragma once
// A 5x7 dot font for the digits and the few signs of the pattern camera's
// clock ("0123456789:.# "), drawn as squares of `scale` pixels.

#include "platform/virtualcam/YuvImage.h"

#include <string_view>

namespace kamsel::virtualcam {

class PixelFont {
  public:
    static constexpr int kGlyphWidth = 5;
    static constexpr int kGlyphHeight = 7;
    static constexpr int kAdvance = 6; // glyph and one dot of space

    static int TextWidth(std::string_view text, int scale);
    // Draws the dots of `text` in `luma` from its top-left corner at (x, y);
    // characters without a glyph are left blank.
    static void Draw(YuvImage& image, int x, int y, std::string_view text, int scale, std::uint8_t luma);
};

} // namespace kamsel::virtualcam
