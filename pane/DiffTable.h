#pragma once
// DiffTable: how much a smoothed per-channel change between two frames counts
// in the difference map. Indexed by the change d from -255 to 255, symmetric
// in d: |d| below 48 counts 0, 48 to 111 rise in steps of 4 from 0 to 252, and
// 112 or more count 255.
//
// The table is the definition; the difference filter's inner loop computes
// the same values arithmetically (see DisplayFilters.cpp), and a test holds
// the two equal for every index.

#include <array>
#include <cstdint>

namespace kamsel::pane {

class DiffTable {
  public:
    DiffTable() = default;
    // Fills the 511 entries.
    void Build();
    std::uint8_t operator[](int d) const { return entries_[static_cast<std::size_t>(d + 255)]; }
    bool Built() const { return built_; }

  private:
    std::array<std::uint8_t, 511> entries_{};
    bool built_ = false;
};

} // namespace kamsel::pane
