#include "CameraYUVConverter.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

struct Yuv {
    int y, u, v;
};

// Converts a 4x2 picture whose left 2x2 block is `left` and right block is `right` (B, G, R).
std::array<Yuv, 2> convertBlocks(std::array<int, 3> left, std::array<int, 3> right)
{
    const int stride = 4 * 4 + 8; // padded rows
    std::vector<std::uint8_t> bgra(stride * 2, 0xAB);
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 4; ++x) {
            const std::array<int, 3> &c = x < 2 ? left : right;
            std::uint8_t *p = &bgra[row * stride + x * 4];
            p[0] = std::uint8_t(c[0]), p[1] = std::uint8_t(c[1]), p[2] = std::uint8_t(c[2]), p[3] = 255;
        }
    }
    std::uint8_t y[2 * 4], u[2], v[2];
    CameraYUVConverter::convertBGRAToI420(bgra.data(), stride, 4, 2, y, 4, u, 2, v, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(y[i * 2], y[i * 2 + 1]);
        EXPECT_EQ(y[i * 2], y[4 + i * 2]) << "both rows";
    }
    return { Yuv { y[0], u[0], v[0] }, Yuv { y[2], u[1], v[1] } };
}

} // namespace

TEST(CameraYUVConverter, Bt709LimitedRangeReferenceColours)
{
    // Expected values from the BT.709 equations, rounded.
    const struct {
        const char *name;
        std::array<int, 3> bgr;
        Yuv yuv;
    } cases[] = {
        { "black", { 0, 0, 0 }, { 16, 128, 128 } },
        { "white", { 255, 255, 255 }, { 235, 128, 128 } },
        { "grey", { 128, 128, 128 }, { 126, 128, 128 } },
        { "red", { 0, 0, 255 }, { 63, 102, 240 } },
        { "green", { 0, 255, 0 }, { 173, 42, 26 } },
        { "blue", { 255, 0, 0 }, { 32, 240, 118 } },
        { "yellow", { 0, 255, 255 }, { 219, 16, 138 } },
    };
    for (const auto &c : cases) {
        const Yuv got = convertBlocks(c.bgr, { 0, 0, 0 })[0];
        EXPECT_EQ(got.y, c.yuv.y) << c.name;
        EXPECT_EQ(got.u, c.yuv.u) << c.name;
        EXPECT_EQ(got.v, c.yuv.v) << c.name;
    }
}

TEST(CameraYUVConverter, ChromaIsTheMeanOfEachBlock)
{
    // Neighbouring blocks stay apart; within a block, luma is per pixel and chroma shared.
    const auto blocks = convertBlocks({ 0, 0, 255 }, { 255, 0, 0 });
    EXPECT_EQ(blocks[0].u, 102);
    EXPECT_EQ(blocks[1].u, 240);

    const int stride = 8;
    // One 2x2 block: red, black / black, black.
    const std::uint8_t bgra[] = { 0, 0, 255, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255 };
    std::uint8_t y[4], u[1], v[1];
    CameraYUVConverter::convertBGRAToI420(bgra, stride, 2, 2, y, 2, u, 1, v, 1);
    EXPECT_EQ(y[0], 63);
    EXPECT_EQ(y[1], 16);
    EXPECT_EQ(y[2], 16);
    // A quarter of red's chroma offsets: 128 - 25.7 / 4 and 128 + 112 / 4.
    EXPECT_EQ(u[0], 122);
    EXPECT_EQ(v[0], 156);
}
