// Mipmap level sizes of the CPU-built chains.
#include <gtest/gtest.h>

#include "vorn/MipmapChain.h"

using namespace vorn;

namespace {

std::vector<mipmapLevelSize> sizes(std::initializer_list<std::pair<int, int>> list)
{
    std::vector<mipmapLevelSize> out;
    for (auto [w, h] : list)
        out.push_back({w, h});
    return out;
}

} // namespace

TEST(MipmapChainTest, WideImageKeepsShortSideAtOne)
{
    EXPECT_EQ(mipmapLevelSizes(256, 128),
              sizes({{256, 128}, {128, 64}, {64, 32}, {32, 16}, {16, 8}, {8, 4}, {4, 2}, {2, 1}, {1, 1}}));
    EXPECT_EQ(mipmapLevelSizes(4, 16), sizes({{4, 16}, {2, 8}, {1, 4}, {1, 2}, {1, 1}}));
}

TEST(MipmapChainTest, NonPowerOfTwoRoundsDown)
{
    EXPECT_EQ(mipmapLevelSizes(100, 100),
              sizes({{100, 100}, {50, 50}, {25, 25}, {12, 12}, {6, 6}, {3, 3}, {1, 1}}));
    EXPECT_FALSE(isPowerOfTwoSize(100));
    EXPECT_TRUE(isPowerOfTwoSize(256));
    EXPECT_TRUE(isPowerOfTwoSize(1));
}

TEST(MipmapChainTest, SideOfOneNeverBecomesZero)
{
    EXPECT_EQ(mipmapLevelSizes(1, 4), sizes({{1, 4}, {1, 2}, {1, 1}}));
    EXPECT_EQ(mipmapLevelSizes(1, 1), sizes({{1, 1}}));
    EXPECT_TRUE(mipmapLevelSizes(0, 0).empty());
    EXPECT_TRUE(mipmapLevelSizes(-5, 8).empty());
}

TEST(MipmapChainTest, CubeFacesCountFromTheSmallerSide)
{
    EXPECT_EQ(cubeMipmapLevelSizes(8, 8), sizes({{8, 8}, {4, 4}, {2, 2}, {1, 1}}));
    EXPECT_EQ(cubeMipmapLevelSizes(8, 4), sizes({{8, 4}, {4, 2}, {2, 1}}));
}
