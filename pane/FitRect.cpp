#include "pane/FitRect.h"

#include <algorithm>
#include <cstdint>

namespace kamsel::pane {

QRect FitRect(QSize picture, QSize box) {
    if (picture.isEmpty() || box.isEmpty())
        return {};
    // Compare picture.w / picture.h with box.w / box.h in integers: the side
    // that limits is the one whose ratio is the smaller.
    const std::int64_t pw = picture.width(), ph = picture.height();
    const std::int64_t bw = box.width(), bh = box.height();
    int width = box.width();
    int height = box.height();
    if (pw * bh > bw * ph)
        height = static_cast<int>(std::max<std::int64_t>(1, (bw * ph + pw / 2) / pw));
    else
        width = static_cast<int>(std::max<std::int64_t>(1, (bh * pw + ph / 2) / ph));
    return {(box.width() - width) / 2, (box.height() - height) / 2, width, height};
}

} // namespace kamsel::pane
