#include "StandardYuvTables.h"

namespace kamsel::media {

StandardYuvTables::StandardYuvTables() {
    for (int i = 0; i < 256; ++i) {
        const auto at = std::size_t(i);
        y_[at] = YuvConverter::TermValue(YuvTerm::Y, i);
        ug_[at] = YuvConverter::TermValue(YuvTerm::UG, i);
        ub_[at] = YuvConverter::TermValue(YuvTerm::UB, i);
        vr_[at] = YuvConverter::TermValue(YuvTerm::VR, i);
        vg_[at] = YuvConverter::TermValue(YuvTerm::VG, i);
    }
    for (int k = -kClipZero; k <= kClipZero; ++k)
        clip_[std::size_t(k + kClipZero)] = YuvConverter::ClipValue(k);
}

YuvTables StandardYuvTables::View() const {
    return {y_.data(), ug_.data(), ub_.data(), vr_.data(), vg_.data(), clip_.data() + kClipZero};
}

const StandardYuvTables& StandardYuvTables::Shared() {
    static const StandardYuvTables tables;
    return tables;
}

} // namespace kamsel::media
