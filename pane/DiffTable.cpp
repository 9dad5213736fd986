#include "pane/DiffTable.h"

#include <cstdlib>

namespace kamsel::pane {

void DiffTable::Build() {
    for (int d = -255; d <= 255; ++d) {
        const int m = std::abs(d);
        int value = 255;
        if (m < 48)
            value = 0;
        else if (m < 112)
            value = 4 * (m - 48);
        entries_[static_cast<std::size_t>(d + 255)] = static_cast<std::uint8_t>(value);
    }
    built_ = true;
}

} // namespace kamsel::pane
