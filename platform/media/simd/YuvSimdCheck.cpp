// The kernels' arithmetic over single 16-bit values, built for the baseline
// processor, to check the decomposition against the tables at start-up.
#include "YuvSimd.h"
#include "YuvSimdCore.h"

namespace kamsel::media::simd {
namespace {

// One 16-bit lane with the wrap-around, unsigned high-half and signed compare
// of the vector instructions.
struct Lane {
    using V = std::uint16_t;
    static V Set1(std::int16_t x) { return V(x); }
    static V Add(V a, V b) { return V(a + b); }
    static V Sub(V a, V b) { return V(a - b); }
    static V MulLo(V a, V b) { return V(std::uint32_t(a) * b); }
    static V MulHi(V a, V b) { return V(std::uint32_t(a) * b >> 16); }
    template <int N>
    static V Shl(V a) {
        return V(a << N);
    }
    template <int N>
    static V Shr(V a) {
        return V(a >> N);
    }
    static V And(V a, V b) { return V(a & b); }
    static V AndNot(V a, V b) { return V(~a & b); }
    static V IncrementWhereGreater(V x, V a, V b) { return std::int16_t(a) > std::int16_t(b) ? V(x + 1) : x; }
};

using Core = YuvCore<Lane>;

std::int32_t Whole(Lane::V high, Lane::V low) {
    return 256 * std::int16_t(high) + low;
}

std::int32_t Whole(const Core::Term& t) {
    return Whole(t.ch, Lane::V(255 - t.clInv));
}

} // namespace

bool CoreMatchesTables(const std::int32_t* y, const std::int32_t* ug, const std::int32_t* ub,
                       const std::int32_t* vr, const std::int32_t* vg) {
    for (int i = 0; i < 256; ++i) {
        Lane::V yh = 0, yl = 0;
        Core::Luma(Lane::V(i), yh, yl);
        if (Whole(yh, yl) != y[i])
            return false;
    }
    for (int u = 0; u < 256; ++u)
        for (int v = 0; v < 256; ++v) {
            Core::Term blue{}, green{}, red{};
            Core::Chroma(Lane::V(u), Lane::V(v), blue, green, red);
            if (Whole(blue) != ub[u] || Whole(red) != vr[v] || Whole(green) != ug[u] + vg[v])
                return false;
        }
    return true;
}

} // namespace kamsel::media::simd
