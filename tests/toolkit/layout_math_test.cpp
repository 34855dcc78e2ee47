// Layout arithmetic and attribute parsing, checked with tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/attributes.h"
#include "toolkit/layout_math.h"

namespace zelui {
namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

struct StackCase {
    const char* what;
    Axis axis;
    RECT area;
    std::vector<StackItem> items;
    std::vector<RECT> expected;
};

TEST(ArrangeStack, PlacesChildrenByTable) {
    const StackCase cases[] = {
        {"header row: flexible title, two glyphs with right paddings", Axis::Horizontal, {0, 0, 462, 35},
         {{0, 0, {39, 6, 0, 0}}, {11, 9, {0, 11, 16, 0}}, {9, 9, {0, 11, 11, 0}}},
         {{39, 6, 415, 35}, {415, 11, 426, 20}, {442, 11, 451, 20}}},
        {"page under the header: padding pushes it down, it takes the rest", Axis::Vertical, {0, 0, 462, 312},
         {{0, 35, {}}, {0, 0, {0, 195, 0, 0}}},
         {{0, 0, 462, 35}, {0, 230, 462, 312}}},
        {"negative padding pulls a child up and out of its row", Axis::Horizontal, {0, 230, 462, 312},
         {{130, 40, {166, 20, 0, 0}}, {0, 0, {10, -10, 0, 0}}},
         {{166, 250, 296, 290}, {306, 220, 462, 312}}},
        {"spacer shares what the buttons leave", Axis::Horizontal, {0, 59, 280, 95},
         {{0, 0, {}}, {80, 26, {0, 10, 20, 0}}, {80, 26, {0, 10, 20, 0}}},
         {{0, 59, 80, 95}, {80, 69, 160, 95}, {180, 69, 260, 95}}},
        {"two flexible children split evenly, the last takes the rest", Axis::Vertical, {0, 0, 10, 11},
         {{0, 0, {}}, {0, 0, {}}},
         {{0, 0, 10, 5}, {0, 5, 10, 11}}},
        {"fixed children overflow a small area, flexible ones get nothing", Axis::Vertical, {0, 0, 50, 20},
         {{0, 15, {}}, {0, 0, {}}, {0, 15, {}}},
         {{0, 0, 50, 15}, {0, 15, 50, 15}, {0, 15, 50, 30}}},
        {"cross padding narrows a spanning child, never below zero", Axis::Vertical, {0, 0, 20, 40},
         {{0, 10, {5, 0, 5, 0}}, {0, 10, {15, 0, 15, 0}}},
         {{5, 0, 15, 10}, {15, 10, 15, 20}}},
        {"no children", Axis::Horizontal, {0, 0, 10, 10}, {}, {}},
    };
    for (const StackCase& c : cases) {
        std::vector<RECT> got = ArrangeStack(c.axis, c.area, c.items);
        ASSERT_EQ(got.size(), c.expected.size()) << c.what;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_TRUE(SameRect(got[i], c.expected[i]))
                << c.what << ": child " << i << " is " << Str(got[i]) << ", expected " << Str(c.expected[i]);
        }
    }
}

TEST(StackContentHeight, SumsOrTakesTheTallest) {
    const struct {
        Axis axis;
        std::vector<StackItem> items;
        int expected;
    } cases[] = {
        {Axis::Horizontal, {{0, 0, {}}, {18, 18, {}}, {220, 28, {10, 0, 0, 0}}}, 28},  // content row
        {Axis::Horizontal, {{0, 0, {}}, {80, 26, {0, 10, 20, 0}}}, 36},               // button row
        {Axis::Horizontal, {{0, 0, {}}}, 0},                                           // only a spacer
        {Axis::Vertical, {{0, 35, {}}, {0, 28, {0, 10, 0, 0}}, {0, 36, {}}}, 109},
        {Axis::Vertical, {{0, 5, {0, -20, 0, 0}}}, 0},  // never negative
    };
    for (const auto& c : cases) EXPECT_EQ(StackContentHeight(c.axis, c.items), c.expected);
}

TEST(CaptionRect, RightCountsFromTheRightEdgeBottomFromTheTop) {
    EXPECT_TRUE(SameRect(CaptionRect({0, 0, 0, 35}, {462, 312}), {0, 0, 462, 35}));
    EXPECT_TRUE(SameRect(CaptionRect({0, 0, 0, 34}, {280, 140}), {0, 0, 280, 34}));
    EXPECT_TRUE(SameRect(CaptionRect({5, 2, 30, 20}, {200, 100}), {5, 2, 170, 20}));
}

TEST(ProgressFillWidth, ClampsToTheBar) {
    const struct {
        int width, min, max, value, expected;
    } cases[] = {
        {462, 0, 100, 0, 0},   {462, 0, 100, 50, 231}, {462, 0, 100, 99, 457}, {462, 0, 100, 100, 462},
        {462, 0, 100, 150, 462}, {462, 0, 100, -5, 0}, {100, 50, 150, 75, 25}, {100, 10, 10, 10, 0},
        {100, 20, 10, 15, 0},  {0, 0, 100, 50, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressFillWidth(c.width, c.min, c.max, c.value), c.expected)
            << c.width << " " << c.min << ".." << c.max << " at " << c.value;
    }
}

TEST(Attributes, ColoursNeedAPrefixAndSixOrEightDigits) {
    const struct {
        const wchar_t* text;
        bool ok;
        uint32_t argb;
    } cases[] = {
        {L"#FF0E6EFF", true, 0xFF0E6EFF}, {L"0x73FFFFFF", true, 0x73FFFFFF}, {L"0X00000000", true, 0},
        {L"#ff3c3d5e", true, 0xFF3C3D5E}, {L"#3C3D5E", true, 0xFF3C3D5E},    {L"FF0E6EFF", false, 0},
        {L"#FF0E6EF", false, 0},          {L"#GG0E6EFF", false, 0},          {L"", false, 0},
    };
    for (const auto& c : cases) {
        uint32_t v = 0x12345678;
        EXPECT_EQ(ParseColor(c.text, v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.argb : 0x12345678u) << c.text;
    }
}

TEST(Attributes, NumberListsBoolsAndImages) {
    int n[4] = {9, 9, 9, 9};
    EXPECT_TRUE(ParseInts(L"10,-10,0,0", n, 4));
    EXPECT_EQ(n[1], -10);
    EXPECT_TRUE(ParseInts(L"12px", n, 1));
    EXPECT_EQ(n[0], 12);
    EXPECT_TRUE(ParseInts(L" 462 , 312 ", n, 2));
    EXPECT_EQ(n[0] + n[1], 774);
    int untouched[4] = {1, 2, 3, 4};
    EXPECT_FALSE(ParseInts(L"1,2,3", untouched, 4));
    EXPECT_FALSE(ParseInts(L"auto", untouched, 1));
    EXPECT_EQ(untouched[0] + untouched[3], 5);

    EXPECT_TRUE(ParseBool(L"TRUE"));
    EXPECT_TRUE(ParseBool(L"true"));
    EXPECT_FALSE(ParseBool(L"1"));
    EXPECT_FALSE(ParseBool(L"yes"));

    ImageRef plain = ParseImage(L"img/x-normal.png");
    EXPECT_EQ(plain.file, L"img/x-normal.png");
    EXPECT_FALSE(plain.hasDest);
    ImageRef dest = ParseImage(L"file='img/-normal.png' dest='0,4,11,5'");
    EXPECT_EQ(dest.file, L"img/-normal.png");
    ASSERT_TRUE(dest.hasDest);
    EXPECT_TRUE(SameRect(dest.dest, {0, 4, 11, 5}));

    auto pairs = ParseAttributeString(L"resourcetext=\"true\" endellipsis='true'  padding = \"0,195,0,0\"");
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[2].first, L"padding");
    EXPECT_EQ(pairs[2].second, L"0,195,0,0");
    EXPECT_EQ(ParseAttributeString(L"broken=\"no end").size(), 0u);
}

}  // namespace
}  // namespace zelui
