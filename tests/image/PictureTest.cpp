#include "Picture.h"

#include <gtest/gtest.h>
#include <cstdlib>

namespace {

// A picture whose header and rows share one block, as some readers deliver them.
dib sharedBlockPicture(int width, int height)
{
    const int bytew = (width * 3 + 3) / 4 * 4;
    auto *block = static_cast<uint8_t *>(std::calloc(1, sizeof(BITMAPINFOHEADER) + size_t(bytew) * height));
    dib d{};
    d.pmi = reinterpret_cast<BITMAPINFO *>(block);
    d.pmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    d.pmi->bmiHeader.biWidth = width;
    d.pmi->bmiHeader.biHeight = height;
    d.pmi->bmiHeader.biBitCount = 24;
    d.poi = block + sizeof(BITMAPINFOHEADER);
    d.pmih = d.poih = reinterpret_cast<uintptr_t>(block);
    d.bytew = bytew;
    return d;
}

TEST(FreeDib, HeaderWithoutPixelsIsNotReleased)
{
    BITMAPINFO header{};
    dib d{};
    d.pmi = &header;
    d.pmih = 1234; // would crash if freed
    d.zoom = 7;
    freedib(d);
    EXPECT_EQ(d.pmi, &header);
    EXPECT_EQ(d.pmih, 1234u);
    EXPECT_EQ(d.zoom, 7);
}

TEST(FreeDib, SharedBlockIsFreedOnceAndFieldsCleared)
{
    dib d = sharedBlockPicture(5, 3);
    d.bytew = 16;
    d.scx = 3;
    freedib(d); // a second free of the shared block would abort here
    EXPECT_EQ(d.pmi, nullptr);
    EXPECT_EQ(d.poi, nullptr);
    EXPECT_EQ(d.pmih, 0u);
    EXPECT_EQ(d.poih, 0u);
    EXPECT_EQ(d.bytew, 16) << "other fields keep their values";
    EXPECT_EQ(d.scx, 3);
    freedib(d); // released once: nothing left to free
}

TEST(FreeDib, SeparateBlocksFromTheLibrary)
{
    dib d{};
    newdib(&d, 17, 9, 8, nullptr, 256);
    ASSERT_NE(d.poi, nullptr);
    freedib(d);
    EXPECT_EQ(d.poi, nullptr);
    EXPECT_EQ(d.pmi, nullptr);
}

TEST(Queries, ZeroedDescriptor)
{
    const dib d{};
    EXPECT_EQ(dibwidth(d), 0);
    EXPECT_EQ(dibheight(d), 0);
    EXPECT_EQ(dibbits(d), 0);
    EXPECT_EQ(dibcolors(d), 1);
}

TEST(Queries, ColoursFollowTheDepth)
{
    const struct {
        int bits;
        int64_t colours;
    } cases[] = {{1, 2}, {4, 16}, {8, 256}, {24, 16777216}};
    for (const auto &c : cases) {
        dib d{};
        newdib(&d, 321, 2, c.bits, nullptr, c.bits < 24 ? 1 << c.bits : 0);
        ASSERT_NE(d.poi, nullptr) << c.bits;
        EXPECT_EQ(dibwidth(d), 321);
        EXPECT_EQ(dibheight(d), 2);
        EXPECT_EQ(dibbits(d), c.bits);
        EXPECT_EQ(dibcolors(d), c.colours);
        freedib(d);
    }
}

TEST(RowOffsets, BottomUpRows)
{
    dib d = sharedBlockPicture(320, 200);
    const RowTable rows = rowTableOf(d);
    ASSERT_EQ(rows.size(), 200u);
    EXPECT_EQ(rows[0], 191040);
    EXPECT_EQ(rows[1], 191040 - 960);
    EXPECT_EQ(rows[199], 0);
    EXPECT_TRUE(rowTableOf(dib{}).empty()) << "no picture, no rows";
    freedib(d);
}

// The table belongs to the picture held now: a new record, a conversion in
// place or a move must never leave the rows of another geometry behind.
TEST(OwnedPicture, RowsFollowThePictureHeld)
{
    Picture picture(sharedBlockPicture(320, 200));
    ASSERT_EQ(picture.rows().size(), 200u);
    picture.reset(sharedBlockPicture(321, 1));
    ASSERT_EQ(picture.rows().size(), 1u);
    EXPECT_EQ(picture.rows()[0], 0);

    Picture wide(7, 3, 8, 256);
    ASSERT_FALSE(wide.empty());
    EXPECT_EQ(wide.rows()[0], 2 * 8);
    dib converted = sharedBlockPicture(7, 3); // the same rows, three times as long
    freedib(wide.get());
    wide.get() = converted;
    EXPECT_EQ(wide.rows()[0], 2 * 24);

    Picture moved(std::move(wide));
    EXPECT_TRUE(wide.empty());
    EXPECT_TRUE(wide.rows().empty());
    EXPECT_EQ(moved.rows().size(), 3u);
    moved = std::move(picture);
    EXPECT_EQ(moved.rows().size(), 1u);
    EXPECT_EQ(moved.width(), 321);

    dib handed = moved.release();
    EXPECT_TRUE(moved.empty());
    EXPECT_TRUE(moved.rows().empty());
    freedib(handed);
}

} // namespace
