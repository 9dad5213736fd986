#pragma once
// The pixel filters behind the display modes. Each works on 24-bit bitmaps
// (blue, green, red per pixel), gives dest the size of its input and makes it
// 24-bit; a dest that already has that size and format keeps its pixel block,
// so a pane that filters every frame allocates only when the size changes.
//
// Threads: whichever thread owns the bitmaps (the user-interface thread in the
// program).

#include "frames/Bitmap24.h"

#include <cstdint>

namespace kamsel::pane {

// Every byte b becomes 255 - b.
void InvertBitmap(const frames::Bitmap24& source, frames::Bitmap24& dest);

// Every pixel becomes grey v = (100 * blue + 128 * green + 28 * red) / 256,
// remainder dropped; the weights sum to 256, so v never exceeds 255.
void GrayScaleBitmap(const frames::Bitmap24& source, frames::Bitmap24& dest);

// The difference map of two frames: for each colour byte of the pixels 1 to
// W - 2 of every row, the 1-2-1 smoothed sums of the byte and the same byte of
// its two neighbours in current and previous, their difference divided by 4
// (truncated toward zero), mapped through table. The first and last pixel of
// each row keep what dest held. ratio = sum of the map / (3 * W * H * 255):
// the edge pixels count in the denominator, never in the sum.
//
// Frames that differ in size, or that are not 24-bit, give a 1 x 1 dest and a
// ratio of 0. A frame narrower than 3 pixels has no byte to compare: ratio 0.
//
// The map values are those of media::DifferenceMap; the rows go through the
// media layer's row kernels (PixelKernels), as do those of the other filters.
void DifferenceBitmap(const frames::Bitmap24& current, const frames::Bitmap24& previous, double& ratio,
                      frames::Bitmap24& dest);

// The difference map with current OR-ed onto it byte by byte, edge pixels
// included, so that changed areas of the newest frame are lifted toward white.
// ratio is that of the map. Without a map (1 x 1 dest) dest stays as it is.
void HighlightDifferences(const frames::Bitmap24& current, const frames::Bitmap24& previous, double& ratio,
                          frames::Bitmap24& dest);

} // namespace kamsel::pane
