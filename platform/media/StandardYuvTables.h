#pragma once
// The BT.601 studio-range tables, built once from YuvConverter::TermValue and
// ClipValue, for code that converts YUV without keeping tables of its own
// (the preview renderer). Immutable after construction, so one instance may
// serve every thread.

#include "YuvConverter.h"

#include <array>
#include <cstdint>

namespace kamsel::media {

class StandardYuvTables {
  public:
    StandardYuvTables();

    YuvTables View() const;

    // One instance for the whole process, built on first use.
    static const StandardYuvTables& Shared();

  private:
    static constexpr int kClipZero = 1023;
    std::array<std::int32_t, 256> y_{}, ug_{}, ub_{}, vr_{}, vg_{};
    std::array<std::uint8_t, 2 * kClipZero + 1> clip_{};
};

} // namespace kamsel::media
