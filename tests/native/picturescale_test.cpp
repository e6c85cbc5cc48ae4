// Area-averaging resampling of the picture control.
#include "controls/PictureScale.h"

#include <gtest/gtest.h>

namespace {

TEST(PictureScale, AveragesTheCoveredArea) {
  // 4 x 2 -> 2 x 1: each target pixel is the mean of a 2 x 2 block, per channel.
  const std::vector<uint32_t> src = {
      0x000000, 0x0000FF, 0xFFFFFF, 0xFFFFFF,
      0x000000, 0x0000FF, 0x102030, 0x102030,
  };
  EXPECT_EQ(ScalePixelsArea(src, 4, 2, 2, 1), (std::vector<uint32_t>{0x000080, 0x889098}));
}

TEST(PictureScale, SameSizeKeepsAndEnlargingRepeatsPixels) {
  const std::vector<uint32_t> src = {0x112233, 0x445566, 0x778899, 0xAABBCC};
  EXPECT_EQ(ScalePixelsArea(src, 2, 2, 2, 2), src);
  const std::vector<uint32_t> wide = ScalePixelsArea(src, 2, 2, 4, 2);
  EXPECT_EQ(wide, (std::vector<uint32_t>{0x112233, 0x112233, 0x445566, 0x445566,
                                         0x778899, 0x778899, 0xAABBCC, 0xAABBCC}));
  // 3 -> 2: the middle pixel is shared half and half.
  EXPECT_EQ(ScalePixelsArea({0x000000, 0x000030, 0x000090}, 3, 1, 2, 1),
            (std::vector<uint32_t>{0x000010, 0x000070}));
}

TEST(PictureScale, RejectsEmptySizesAndShortInput) {
  const std::vector<uint32_t> src(6, 0xFFFFFF);
  EXPECT_TRUE(ScalePixelsArea(src, 3, 2, 0, 5).empty());
  EXPECT_TRUE(ScalePixelsArea(src, 0, 2, 4, 4).empty());
  EXPECT_TRUE(ScalePixelsArea(src, 3, 3, 4, 4).empty());  // 9 pixels claimed, 6 given
}

}  // namespace
