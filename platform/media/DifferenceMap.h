#pragma once
// DifferenceMap: how much a smoothed per-channel change d between two frames
// (-255 to 255) counts in the difference map. Symmetric in d: |d| below 48
// counts 0, 48 to 111 rise in steps of 4 from 0 to 252, and 112 or more count
// 255.
//
// Table() is that sentence as written; Value() is the branch-free arithmetic
// the row kernels compute in 16-bit lanes. The compiler holds the two equal
// for all 511 changes (below), so neither can drift from the other.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kamsel::media {

class DifferenceMap {
  public:
    // The value of a change of size m (0 to 255): the clamps are the
    // saturating subtraction and minimum of the vector kernels.
    static constexpr int Magnitude(int m) {
        int t = m - 48;
        t = t < 0 ? 0 : t;
        t = t > 64 ? 64 : t;
        t *= 4;
        return t > 255 ? 255 : t;
    }

    static constexpr std::uint8_t Value(int d) {
        return static_cast<std::uint8_t>(Magnitude(d < 0 ? -d : d));
    }

    // Entry d + 255 is the value of the change d.
    static constexpr std::array<std::uint8_t, 511> Table() {
        std::array<std::uint8_t, 511> entries{};
        for (int d = -255; d <= 255; ++d) {
            const int m = d < 0 ? -d : d;
            int value = 255;
            if (m < 48)
                value = 0;
            else if (m < 112)
                value = 4 * (m - 48);
            entries[static_cast<std::size_t>(d + 255)] = static_cast<std::uint8_t>(value);
        }
        return entries;
    }

    static constexpr bool ValueMatchesTable() {
        const std::array<std::uint8_t, 511> table = Table();
        for (int d = -255; d <= 255; ++d)
            if (Value(d) != table[static_cast<std::size_t>(d + 255)])
                return false;
        return true;
    }
};

static_assert(DifferenceMap::ValueMatchesTable(),
              "the kernels' arithmetic must give the table's every entry");

} // namespace kamsel::media
