#include "pane/DisplayFilters.h"

#include "platform/media/PixelKernels.h"

#include <cstddef>
#include <cstring>

namespace kamsel::pane {

using frames::Bitmap24;
using frames::PixelFormat;

namespace {

const media::PixelKernels& Kernels() {
    return media::PixelKernels::Best();
}

void OrBytes(const std::uint8_t* in, std::uint8_t* out, int n) {
    for (int k = 0; k < n; ++k)
        out[k] = static_cast<std::uint8_t>(out[k] | in[k]);
}

// Gives dest the size of source as a 24-bit bitmap; keeps its pixel block
// when both already fit.
void FitTo(Bitmap24& dest, int width, int height) {
    dest.SetFormat(PixelFormat::Bits24);
    dest.SetSize(width, height);
}

// For a filter about to write dest's pixels: when dest's block is shared
// (the paint box keeps the last picture it was given), dest takes a fresh
// block instead of the copy of the whole picture its first write would make.
// With keepEdges the first and the last pixel of each row, which the map
// does not write, are carried over (whole rows below 3 pixels).
void OwnBlock(Bitmap24& dest, bool keepEdges) {
    if (dest.Image().isNull() || dest.Image().isDetached())
        return;
    const QImage old = dest.Image();
    dest.UnshareForOverwrite();
    if (!keepEdges)
        return;
    const int rowBytes = 3 * dest.Width();
    for (int row = 0; row < dest.Height(); ++row) {
        const std::uint8_t* from = old.constScanLine(row);
        std::uint8_t* to = dest.ScanLine(row);
        if (rowBytes < 9) {
            std::memcpy(to, from, std::size_t(rowBytes));
            continue;
        }
        std::memcpy(to, from, 3);
        std::memcpy(to + rowBytes - 3, from + rowBytes - 3, 3);
    }
}

bool Comparable(const Bitmap24& current, const Bitmap24& previous) {
    return current.Width() == previous.Width() && current.Height() == previous.Height() &&
           current.Format() == PixelFormat::Bits24 && previous.Format() == PixelFormat::Bits24;
}

// The map over all rows; OrCurrent also lifts the middle bytes with current.
// Returns the sum of the map values.
template <bool OrCurrent>
std::uint64_t MapRows(const Bitmap24& current, const Bitmap24& previous, Bitmap24& dest) {
    const int width = current.Width();
    const int height = current.Height();
    const int n = 3 * width - 6;
    if (n <= 0)
        return 0;
    const std::uint8_t* c = current.Bits();
    const std::uint8_t* p = previous.Bits();
    std::uint8_t* d = dest.Bits();
    const std::ptrdiff_t cs = current.BytesPerLine(), ps = previous.BytesPerLine(), ds = dest.BytesPerLine();
    const media::PixelKernels::MapRow map = OrCurrent ? Kernels().HighlightRow : Kernels().DifferenceRow;
    std::uint64_t sum = 0;
    for (int row = 0; row < height; ++row, c += cs, p += ps, d += ds)
        sum += map(c, p, d + 3, n);
    return sum;
}

// The ratio of a map sum over all bytes of a width x height frame.
double Ratio(std::uint64_t sum, int width, int height) {
    const double full = 3.0 * width * height * 255.0;
    return full > 0.0 ? static_cast<double>(sum) / full : 0.0;
}

} // namespace

void InvertBitmap(const Bitmap24& source, Bitmap24& dest) {
    const int width = source.Width(), height = source.Height();
    FitTo(dest, width, height);
    if (source.Format() != PixelFormat::Bits24)
        return; // only 24-bit frames reach the pane; anything else stays black
    OwnBlock(dest, false);
    const media::PixelKernels::Rows invert = Kernels().InvertRow;
    for (int row = 0; row < height; ++row)
        invert(source.ScanLine(row), dest.ScanLine(row), 3 * width);
}

void GrayScaleBitmap(const Bitmap24& source, Bitmap24& dest) {
    const int width = source.Width(), height = source.Height();
    FitTo(dest, width, height);
    if (source.Format() != PixelFormat::Bits24)
        return;
    OwnBlock(dest, false);
    const media::PixelKernels::Rows gray = Kernels().GrayRow;
    for (int row = 0; row < height; ++row)
        gray(source.ScanLine(row), dest.ScanLine(row), width);
}

void DifferenceBitmap(const Bitmap24& current, const Bitmap24& previous, double& ratio, Bitmap24& dest) {
    ratio = 0.0;
    if (!Comparable(current, previous)) {
        FitTo(dest, 1, 1);
        return;
    }
    FitTo(dest, current.Width(), current.Height());
    OwnBlock(dest, true);
    ratio = Ratio(MapRows<false>(current, previous, dest), current.Width(), current.Height());
}

void HighlightDifferences(const Bitmap24& current, const Bitmap24& previous, double& ratio, Bitmap24& dest) {
    ratio = 0.0;
    if (!Comparable(current, previous)) {
        FitTo(dest, 1, 1);
        // As after any failed comparison, the 1 x 1 map is lifted when the
        // frame is one pixel wide too.
        if (current.Width() == 1 && current.Format() == PixelFormat::Bits24)
            OrBytes(current.ScanLine(0), dest.ScanLine(0), 3);
        return;
    }
    const int width = current.Width(), height = current.Height();
    FitTo(dest, width, height);
    OwnBlock(dest, true);
    // The map and the lift of its middle bytes in one pass; the edge pixels,
    // which the map leaves alone, are lifted here.
    ratio = Ratio(MapRows<true>(current, previous, dest), width, height);
    const int last = 3 * (width - 1);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* c = current.ScanLine(row);
        std::uint8_t* d = dest.ScanLine(row);
        if (width < 3) {
            OrBytes(c, d, 3 * width);
            continue;
        }
        OrBytes(c, d, 3);
        OrBytes(c + last, d + last, 3);
    }
}

} // namespace kamsel::pane
