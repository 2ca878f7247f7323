#include <gtest/gtest.h>

#include <vector>

#include "platform/PenRules.h"

using platform::Rect;

namespace {

std::vector<Rect> sidesOf(const Rect& frame) {
    std::vector<Rect> sides;
    platform::fillFrameSides(frame, [&](const Rect& side) { sides.push_back(side); });
    return sides;
}

// Every pixel the fills cover, counted: a pixel covered twice would be blended twice.
std::vector<int> coverage(const std::vector<Rect>& fills, int width, int height) {
    std::vector<int> count(std::size_t(width * height), 0);
    for (const Rect& r : fills) {
        for (int y = r.y; y < r.y + r.height; ++y) {
            for (int x = r.x; x < r.x + r.width; ++x) ++count[std::size_t(y * width + x)];
        }
    }
    return count;
}

}  // namespace

// A frame of width w and height h covers the outline of a (w + 1) x (h + 1) box, each pixel
// once, as the one-pixel pen draws it.
TEST(PenRules, AFrameCoversItsOutlineOnceIncludingTheRightColumnAndBottomRow) {
    std::vector<int> count = coverage(sidesOf({1, 1, 4, 3}), 7, 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 7; ++x) {
            bool inBox = x >= 1 && x <= 5 && y >= 1 && y <= 4;
            bool outline = inBox && (x == 1 || x == 5 || y == 1 || y == 4);
            EXPECT_EQ(count[std::size_t(y * 7 + x)], outline ? 1 : 0) << x << "," << y;
        }
    }
}

TEST(PenRules, AFlatOrNarrowFrameIsOneRowOrColumn) {
    std::vector<Rect> flat = sidesOf({2, 3, 5, 0});
    std::vector<int> row = coverage(flat, 10, 5);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(row[std::size_t(3 * 10 + x)], x >= 2 && x <= 7 ? 1 : 0);
    std::vector<Rect> narrow = sidesOf({2, 1, 0, 3});
    std::vector<int> column = coverage(narrow, 5, 6);
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(column[std::size_t(y * 5 + 2)], y >= 1 && y <= 4 ? 1 : 0) << y;
    }
}

TEST(PenRules, AStraightLineCoversBothEndsWhicheverWayItIsDrawn) {
    Rect covered;
    ASSERT_TRUE(platform::straightLineRect(7, 4, 2, 4, covered));
    EXPECT_EQ(covered, (Rect{2, 4, 6, 1}));
    ASSERT_TRUE(platform::straightLineRect(3, 9, 3, 5, covered));
    EXPECT_EQ(covered, (Rect{3, 5, 1, 5}));
    ASSERT_TRUE(platform::straightLineRect(3, 3, 3, 3, covered));
    EXPECT_EQ(covered, (Rect{3, 3, 1, 1}));
    EXPECT_FALSE(platform::straightLineRect(0, 0, 2, 1, covered));
}
