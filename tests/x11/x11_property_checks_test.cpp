// What other clients store is checked before it is used: property replies
// of the wrong type or format are no answer, and frame extents of any size
// give a rectangle within the window's own bounds.
#include <gtest/gtest.h>

#include "platform/x11/x11_frame_rect.h"
#include "platform/x11/x11_property_checks.h"

namespace {

using x11_frame::Extents;
using x11_frame::Layout;

// A 300x200 window at (100, 150) in a frame with a 24-pixel title bar and
// 2-pixel borders.
const Layout kFramed{98, 126, 304, 226, 0, 2, 24, 300, 200};

TEST(FrameRect, ExtentsOfAnySizeStayWithinTheWindowsBounds)
{
    const Extents honest{true, 2, 2, 24, 2};
    const RECT rect = x11_frame::VisibleRect(kFramed, honest, Extents{});
    EXPECT_EQ(rect.left, 98);
    EXPECT_EQ(rect.top, 126);
    EXPECT_EQ(rect.right, 402);
    EXPECT_EQ(rect.bottom, 352);

    for (uint32_t huge : {0x7fffffffu, 0x80000000u, 0xffffffffu}) {
        const Extents claim{true, huge, huge, huge, huge};
        // Decorations no larger than the whole frame window.
        const RECT framed = x11_frame::VisibleRect(kFramed, claim, Extents{});
        EXPECT_EQ(framed.left, 100 - 304);
        EXPECT_EQ(framed.right, 400 + 304);
        EXPECT_EQ(framed.top, 150 - 226);
        EXPECT_EQ(framed.bottom, 350 + 226);
        // Shadows that eat the whole window leave an empty rectangle at its
        // corner, never an inverted one.
        const RECT shadowed = x11_frame::VisibleRect(kFramed, Extents{}, claim);
        EXPECT_EQ(shadowed.left, shadowed.right);
        EXPECT_EQ(shadowed.top, shadowed.bottom);
        EXPECT_GE(shadowed.left, 98);
        EXPECT_LE(shadowed.right, 402);
    }
    // Shadows within the window are taken as they are.
    const RECT csd = x11_frame::VisibleRect(kFramed, Extents{}, Extents{true, 10, 20, 30, 40});
    EXPECT_EQ(csd.left, 108);
    EXPECT_EQ(csd.right, 382);
    EXPECT_EQ(csd.top, 156);
    EXPECT_EQ(csd.bottom, 312);
}

TEST(PropertyData, OnlyTheExpectedTypeAndFormatAreRead)
{
    const xcb_atom_t utf8 = 300; // any atom number: nothing here asks the server
    const char bytes[] = "Form1";
    x11_properties::PropertyData text{XCB_ATOM_STRING, 8, 5,
                                      reinterpret_cast<const unsigned char*>(bytes)};
    std::string title = "old";
    EXPECT_FALSE(x11_properties::ParseText(text, {utf8}, 127, title));
    EXPECT_EQ(title, "");
    EXPECT_TRUE(x11_properties::ParseText(text, {XCB_ATOM_STRING, utf8}, 127, title));
    EXPECT_EQ(title, "Form1");
    EXPECT_TRUE(x11_properties::ParseText(text, {XCB_ATOM_STRING}, 3, title));
    EXPECT_EQ(title, "For");
    text.format = 32;
    EXPECT_FALSE(x11_properties::ParseText(text, {XCB_ATOM_STRING}, 127, title));

    // 32-bit items: exactly the type, and the 32 bits that were sent.
    const uint32_t items[2] = {0xFFFFFFFFu, 7};
    x11_properties::PropertyData cardinals{XCB_ATOM_CARDINAL, 32, 2,
                                           reinterpret_cast<const unsigned char*>(items)};
    std::vector<uint32_t> values;
    ASSERT_TRUE(x11_properties::ParseItems32(cardinals, XCB_ATOM_CARDINAL, 4, values));
    EXPECT_EQ(values, (std::vector<uint32_t>{0xFFFFFFFFu, 7}));
    ASSERT_TRUE(x11_properties::ParseItems32(cardinals, XCB_ATOM_CARDINAL, 1, values));
    EXPECT_EQ(values.size(), 1u);
    EXPECT_FALSE(x11_properties::ParseItems32(cardinals, XCB_ATOM_WINDOW, 4, values));
    cardinals.format = 16;
    EXPECT_FALSE(x11_properties::ParseItems32(cardinals, XCB_ATOM_CARDINAL, 4, values));
}

} // namespace
