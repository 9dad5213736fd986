#include "platform/media/YuvConverter.h"
#if defined(__x86_64__)
#include "platform/media/simd/YuvSimd.h"
#endif
#include "platform/media/StandardYuvTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <vector>

namespace kamsel::media {
namespace {

std::vector<YuvKernel> VectorKernels() {
    std::vector<YuvKernel> kernels;
    for (YuvKernel k : {YuvKernel::Sse2, YuvKernel::Avx2, YuvKernel::Avx512})
        if (YuvConverter::KernelAvailable(k))
            kernels.push_back(k);
    return kernels;
}

const char* Name(YuvKernel k) {
    return k == YuvKernel::Sse2 ? "SSE2" : k == YuvKernel::Avx2 ? "AVX2" : "AVX-512";
}

// Every (y, u, v) triple: one row per (u, v) holding all 256 luma values.
// Runs fully in every build: each kernel checks 2^24 pixels in both layouts
// against the table loop, compared a row at a time.
TEST(YuvConverterKernels, BitExactWithTheTablesForAllTriples) {
    const auto kernels = VectorKernels();
    if (kernels.empty())
        GTEST_SKIP() << "no vector kernels on this processor";
    const StandardYuvTables tables;
    const YuvConverter scalar(tables.View(), YuvKernel::Scalar);
    ASSERT_EQ(scalar.Kernel(), YuvKernel::Scalar);
    std::vector<YuvConverter> vector;
    for (YuvKernel k : kernels) {
        vector.emplace_back(tables.View(), k);
        ASSERT_EQ(vector.back().Kernel(), k);
    }

    std::vector<std::uint8_t> luma(256), u(128), v(128), packed(512);
    std::vector<std::uint8_t> expected(768), planarOut(768), packedOut(768);
    for (int i = 0; i < 256; ++i)
        luma[std::size_t(i)] = std::uint8_t(i);
    for (int cu = 0; cu < 256; ++cu)
        for (int cv = 0; cv < 256; ++cv) {
            std::memset(u.data(), cu, u.size());
            std::memset(v.data(), cv, v.size());
            for (int p = 0; p < 128; ++p) {
                packed[std::size_t(4 * p)] = luma[std::size_t(2 * p)];
                packed[std::size_t(4 * p + 1)] = std::uint8_t(cu);
                packed[std::size_t(4 * p + 2)] = luma[std::size_t(2 * p + 1)];
                packed[std::size_t(4 * p + 3)] = std::uint8_t(cv);
            }
            scalar.PlanarRow(luma.data(), u.data(), v.data(), 128, expected.data());
            for (std::size_t k = 0; k < vector.size(); ++k) {
                vector[k].PlanarRow(luma.data(), u.data(), v.data(), 128, planarOut.data());
                vector[k].PackedRow(packed.data(), 128, packedOut.data());
                if (std::memcmp(planarOut.data(), expected.data(), expected.size()) != 0 ||
                    std::memcmp(packedOut.data(), expected.data(), expected.size()) != 0) {
                    for (int x = 0; x < 256; ++x)
                        for (int c = 0; c < 3; ++c) {
                            const std::size_t i = std::size_t(x * 3 + c);
                            ASSERT_EQ(planarOut[i], expected[i])
                                << Name(kernels[k]) << " planar y=" << x << " u=" << cu << " v=" << cv
                                << " channel " << c;
                            ASSERT_EQ(packedOut[i], expected[i])
                                << Name(kernels[k]) << " packed y=" << x << " u=" << cu << " v=" << cv
                                << " channel " << c;
                        }
                }
            }
        }
}

// Rows of every length from 0 to 70 pairs, in buffers of exactly their size:
// the vector blocks and the table loop for the rest agree with the table
// loop alone, and nothing outside the row is read or written.
TEST(YuvConverterKernels, RowsOfAnyLengthMatchTheTableLoop) {
    const StandardYuvTables tables;
    const YuvConverter scalar(tables.View(), YuvKernel::Scalar);
    std::mt19937 random(3);
    for (YuvKernel k : VectorKernels()) {
        const YuvConverter converter(tables.View(), k);
        for (int pairs = 0; pairs <= 70; ++pairs) {
            const std::size_t n = std::size_t(pairs);
            std::vector<std::uint8_t> y(2 * n), y1(2 * n), u(n), v(n), packed(4 * n);
            for (auto* plane : {&y, &y1, &u, &v, &packed})
                for (auto& b : *plane)
                    b = std::uint8_t(random());
            std::vector<std::uint8_t> expected(6 * n + 1, 0xEE), out(6 * n + 1, 0xEE);
            scalar.PlanarRow(y.data(), u.data(), v.data(), pairs, expected.data());
            converter.PlanarRow(y.data(), u.data(), v.data(), pairs, out.data());
            EXPECT_EQ(out, expected) << Name(k) << " planar, pairs " << pairs;
            // Two rows sharing the chroma row convert as two single rows.
            std::vector<std::uint8_t> expected1(6 * n + 1, 0xEE), out1(6 * n + 1, 0xEE);
            scalar.PlanarRow(y1.data(), u.data(), v.data(), pairs, expected1.data());
            std::fill(out.begin(), out.end(), 0xEE);
            converter.PlanarRows(y.data(), y1.data(), u.data(), v.data(), pairs, out.data(), out1.data());
            EXPECT_EQ(out, expected) << Name(k) << " first of two rows, pairs " << pairs;
            EXPECT_EQ(out1, expected1) << Name(k) << " second of two rows, pairs " << pairs;
            scalar.PackedRow(packed.data(), pairs, expected.data());
            converter.PackedRow(packed.data(), pairs, out.data());
            EXPECT_EQ(out, expected) << Name(k) << " packed, pairs " << pairs;
            EXPECT_EQ(out.back(), 0xEE);
        }
    }
}

#if defined(__x86_64__)
// The start-up check passes the standard tables (so the vector kernels run
// at all on x86-64) and notices a change of one in any entry of any table.
TEST(YuvConverterKernels, StartUpCheckCoversEveryTableEntry) {
    EXPECT_TRUE(YuvConverter::KernelAvailable(YuvKernel::Sse2));
    const StandardYuvTables standard;
    const YuvTables view = standard.View();
    std::array<std::array<std::int32_t, 256>, 5> t;
    const std::int32_t* from[5] = {view.Y, view.UG, view.UB, view.VR, view.VG};
    for (std::size_t k = 0; k < 5; ++k)
        std::copy(from[k], from[k] + 256, t[k].begin());
    auto matches = [&] {
        return simd::CoreMatchesTables(t[0].data(), t[1].data(), t[2].data(), t[3].data(), t[4].data());
    };
    EXPECT_TRUE(matches());
    for (std::size_t k = 0; k < 5; ++k)
        for (const std::size_t entry : {std::size_t(0), std::size_t(137), std::size_t(255)}) {
            t[k][entry] += 1;
            EXPECT_FALSE(matches()) << "table " << k << " entry " << entry;
            t[k][entry] -= 1;
        }
}
#endif

// Vector kernels compute the standard tables' values themselves; tables
// that differ in one entry are served by the table loop, which uses them.
TEST(YuvConverterKernels, OtherTablesGetTheTableLoop) {
    const StandardYuvTables standard;
    const YuvTables view = standard.View();
    std::array<std::int32_t, 256> y;
    std::copy(view.Y, view.Y + 256, y.begin());
    y[200] += 256; // one step brighter in every channel
    YuvTables changed = view;
    changed.Y = y.data();
    for (YuvKernel k : {YuvKernel::Best, YuvKernel::Sse2, YuvKernel::Avx2, YuvKernel::Avx512}) {
        const YuvConverter converter(changed, k);
        EXPECT_EQ(converter.Kernel(), YuvKernel::Scalar);
        std::vector<std::uint8_t> luma(64, 200), chroma(32, 128), out(192);
        converter.PlanarRow(luma.data(), chroma.data(), chroma.data(), 32, out.data());
        std::uint8_t expected[3];
        YuvConverter(view, YuvKernel::Scalar).Pixel(200, 128, 128, expected);
        EXPECT_EQ(out[189], expected[0] + 1) << Name(k);
    }
}

} // namespace
} // namespace kamsel::media
