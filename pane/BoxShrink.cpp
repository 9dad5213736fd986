#include "pane/BoxShrink.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kamsel::pane {

namespace {

// Adds one source row's bytes into the column sums; a plain loop the
// vectoriser widens.
template <typename Sum>
void AddRow(const std::uint8_t* row, Sum* sums, int bytes) {
    for (int i = 0; i < bytes; ++i)
        sums[i] = static_cast<Sum>(sums[i] + row[i]);
}

// Sum is wide enough for the bytes of all the rows one target row covers.
template <typename Sum>
void Shrink(const QImage& source, QImage& target, const QRect& rect) {
    const int sw = source.width();
    const int sh = source.height();
    const int w = rect.width();
    const int h = rect.height();
    std::vector<int> columns(static_cast<std::size_t>(w) + 1);
    for (int x = 0; x <= w; ++x)
        columns[std::size_t(x)] = static_cast<int>(static_cast<std::int64_t>(x) * sw / w);
    std::vector<Sum> sums(static_cast<std::size_t>(sw) * 3);
    for (int y = 0; y < h; ++y) {
        const int top = static_cast<int>(static_cast<std::int64_t>(y) * sh / h);
        const int bottom = static_cast<int>(static_cast<std::int64_t>(y + 1) * sh / h);
        std::fill(sums.begin(), sums.end(), Sum(0));
        for (int sy = top; sy < bottom; ++sy)
            AddRow(source.constScanLine(sy), sums.data(), sw * 3);
        auto* out = reinterpret_cast<std::uint32_t*>(target.scanLine(rect.top() + y)) + rect.left();
        for (int x = 0; x < w; ++x) {
            std::uint32_t blue = 0, green = 0, red = 0;
            const int first = columns[std::size_t(x)];
            const int end = columns[std::size_t(x) + 1];
            for (const Sum* sum = sums.data() + 3 * first; sum != sums.data() + 3 * end; sum += 3) {
                blue += sum[0];
                green += sum[1];
                red += sum[2];
            }
            const auto count = static_cast<std::uint32_t>((end - first) * (bottom - top));
            const std::uint32_t half = count / 2;
            out[x] = 0xff000000u | ((red + half) / count) << 16 | ((green + half) / count) << 8 |
                     (blue + half) / count;
        }
    }
}

} // namespace

void BoxShrink(const QImage& source, QImage& target, const QRect& rect) {
    if (rect.isEmpty() || rect.width() > source.width() || rect.height() > source.height())
        return;
    // At most this many rows per target row: 16-bit sums, half the memory to
    // go through, when that is few enough.
    const int rows = (source.height() + rect.height() - 1) / rect.height();
    if (rows <= 0xffff / 0xff)
        Shrink<std::uint16_t>(source, target, rect);
    else
        Shrink<std::uint32_t>(source, target, rect);
}

} // namespace kamsel::pane
