#pragma once
// The arithmetic shared by the SSE2 and AVX2 kernels, written once over an
// instruction set's 16-bit lane operations (Ops). Included by exactly one
// translation unit per instruction set; everything here has internal linkage
// so that code compiled for AVX2 never stands in for the SSE2 code.
//
// Why it is exact: with TY = TableY[y] and C the chroma sum of a channel,
// the channel is clamp(floor((TY + C) / 256)). Split TY = 256 * yh + yl and
// C = 256 * ch + cl (0 <= yl, cl <= 255); then
//   floor((TY + C) / 256) = yh + ch + (yl + cl >= 256 ? 1 : 0),
// which fits 16-bit lanes, and packus clamps it to a byte. yh, yl, ch and cl
// come from the table definitions: each table entry is an integer-linear part
// plus a small rounded correction w(x) = round-half-even(a * x + b), and each
// correction equals floor(((128 * x + c) * M) >> (16 + s)) (or with c - 128 * x
// for falling ones) for the constants below, found by exhaustive search over
// all 256 inputs. YuvSimdCheck.cpp runs this same code over scalar lanes and
// compares every table entry with the tables at start-up; the unit test
// compares every (y, u, v) triple.

#include <cstdint>

namespace kamsel::media::simd {
namespace {

template <class Ops>
struct YuvCore {
    using V = typename Ops::V;

    static V K(int value) { return Ops::Set1(static_cast<std::int16_t>(static_cast<std::uint16_t>(value))); }

    // TableY[y] = 256 * yh + yl.
    static void Luma(V y, V& yh, V& yl) {
        // 42 * y + round-half-even(0.082 * y)
        const V e = Ops::MulHi(Ops::Add(Ops::template Shl<7>(y), K(764)), K(42));
        const V z = Ops::Add(Ops::MulLo(y, K(42)), e);
        yh = Ops::Add(y, Ops::template Shr<8>(z));
        yl = Ops::And(z, K(255));
    }

    struct Term {
        V ch;    // C div 256 (floor)
        V clInv; // 255 - C mod 256
    };

    static Term Split(V high, V z) {
        return {Ops::Add(high, Ops::template Shr<8>(z)), Ops::AndNot(z, K(255))};
    }

    // Chroma sums of the three channels for pair-dense u and v.
    static void Chroma(V u, V v, Term& blue, Term& green, Term& red) {
        const V u7 = Ops::template Shl<7>(u);
        const V v7 = Ops::template Shl<7>(v);
        // TableUB[u] = 256 * (2u - 277) + 4u + 42 + round-half-even(0.412u - 0.016)
        const V wB = Ops::template Shr<4>(Ops::MulHi(Ops::Add(u7, K(13201)), K(3375)));
        blue = Split(Ops::Sub(Ops::Add(u, u), K(277)), Ops::Add(Ops::template Shl<2>(u), wB));
        // TableVR[v] = 256 * (v - 223) + 152v + 20 + round-half-even(0.583v + 0.224)
        const V wR = Ops::template Shr<1>(Ops::MulHi(Ops::Add(v7, K(4549)), K(597)));
        red = Split(Ops::Sub(v, K(223)), Ops::Add(Ops::MulLo(v, K(152)), wR));
        // TableUG[u] + TableVG[v] = 256 * (135 - u - v) + 156u + 48v
        //     + (116 + round-half-even(-0.291u)) + (31 + round-half-even(0.456 - 0.12v))
        const V g1 = Ops::MulHi(Ops::Sub(K(51241), u7), K(149));
        const V g2 = Ops::template Shr<1>(Ops::MulHi(Ops::Sub(K(34050), v7), K(123)));
        const V zG = Ops::Add(Ops::Add(Ops::MulLo(u, K(156)), Ops::MulLo(v, K(48))), Ops::Add(g1, g2));
        green = Split(Ops::Sub(Ops::Sub(K(135), u), v), zG);
    }

    // yh + ch + carry of yl + cl, as a signed 16-bit lane.
    static V Channel(V yh, V yl, V ch, V clInv) {
        return Ops::IncrementWhereGreater(Ops::Add(yh, ch), yl, clInv);
    }

    // A channel's chroma spread over the pixels: A for the pixels that
    // UnpackLo of the pair-dense chroma covers, B for UnpackHi.
    struct Spread {
        V chA, clA, chB, clB;
    };

    static Spread Spreading(const Term& t) {
        return {Ops::UnpackLo(t.ch, t.ch), Ops::UnpackLo(t.clInv, t.clInv), Ops::UnpackHi(t.ch, t.ch),
                Ops::UnpackHi(t.clInv, t.clInv)};
    }

    struct Chroma3 {
        Spread blue, green, red;
    };

    static Chroma3 ChromaOf(V u, V v) {
        Term tb, tg, tr;
        Chroma(u, v, tb, tg, tr);
        return {Spreading(tb), Spreading(tg), Spreading(tr)};
    }

    // yA and yB hold the luma of the A and B pixels; the results are bytes
    // in pixel order.
    static void Pixels(V yA, V yB, const Chroma3& c, V& blue, V& green, V& red) {
        V yhA, ylA, yhB, ylB;
        Luma(yA, yhA, ylA);
        Luma(yB, yhB, ylB);
        blue =
            Ops::PackUs(Channel(yhA, ylA, c.blue.chA, c.blue.clA), Channel(yhB, ylB, c.blue.chB, c.blue.clB));
        green = Ops::PackUs(Channel(yhA, ylA, c.green.chA, c.green.clA),
                            Channel(yhB, ylB, c.green.chB, c.green.clB));
        red = Ops::PackUs(Channel(yhA, ylA, c.red.chA, c.red.clA), Channel(yhB, ylB, c.red.chB, c.red.clB));
    }
};

} // namespace
} // namespace kamsel::media::simd
