// The level picture's frame table (including frame counts a skin should not
// give), what its window shows, when it repaints, the regions it keeps, and
// the stretched picture.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "element_fixture.h"
#include "motion_picture.h"

namespace {

const unsigned kLevel = 277;   // 10 frames of 8 x 40
const unsigned kPlay = 1;      // 44 x 30 cells

class PicturesTest : public fk::ElementTest {
protected:
    std::unique_ptr<cMotionPicture> Make(int count = 10, HRGN* regions = nullptr) {
        return std::unique_ptr<cMotionPicture>(
            new cMotionPicture(host_->GetWindow(), res_.get(), POINT{30, 20}, 277, kLevel, regions, count));
    }
};

TEST(MotionFrame, PercentChoosesTheFrame) {
    struct Case {
        int count, percent, frame;
    };
    const Case cases[] = {
        {10, 0, 0},   {10, 10, 0},  {10, 11, 1},   {10, 55, 5},   {10, 100, 9},
        {3, 100, 2},  {3, 33, 0},   {3, 34, 1},    {3, 67, 2},    // step 33: 100 % would be frame 3
        {1, 100, 0},  {100, 0, 0},  {100, 1, 0},   {100, 100, 99},
        {7, 150, 6},  {7, -5, 0},                                // percentages outside 0..100
        {0, 50, 0},   {-4, 50, 0},  {250, 100, 99}, {250, 0, 0},  // counts a skin should not give
    };
    for (const Case& c : cases)
        EXPECT_EQ(MotionFrame(c.percent, c.count), c.frame) << c.count << " frames at " << c.percent << " %";
}

TEST_F(PicturesTest, WindowShowsTheChosenFrame) {
    auto picture = Make();
    EXPECT_EQ(picture->GetTyp(), ET_PASSIVE);
    EXPECT_EQ(picture->GetGfxWidth(), 8);
    EXPECT_EQ(picture->GetGfxHeight(), 40);
    RECT r = picture->GetRect();
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.right, 38);
    EXPECT_TRUE(IsWindowVisible(picture->GetWindow()));
    struct Case {
        int set, stored;
        unsigned frame;
    };
    const Case cases[] = {{0, 0, 0}, {11, 11, 1}, {100, 100, 9}, {150, 100, 9}, {-5, 0, 0}, {47, 47, 4}};
    for (const Case& c : cases) {
        picture->SetPercent(c.set);
        EXPECT_EQ(picture->GetPercent(), c.stored);
        unsigned id = 0, cell = 0;
        ASSERT_TRUE(ShownCell(picture->GetWindow(), 2, 2, &id, &cell)) << c.set;
        EXPECT_EQ(id, kLevel);
        EXPECT_EQ(cell, c.frame) << c.set << " %";
    }
    picture->SetPos(POINT{100, 20}, 0);
    EXPECT_EQ(picture->GetRect().right, 100) << "right-aligned";
    picture->SetVisible(0);
    EXPECT_FALSE(IsWindowVisible(picture->GetWindow()));
    picture->SetVisible(1);
    EXPECT_TRUE(IsWindowVisible(picture->GetWindow()));
}

TEST_F(PicturesTest, SamePercentageRepaintsNothing) {
    auto picture = Make();
    HWND wnd = picture->GetWindow();
    picture->SetPercent(30);
    UpdateWindow(wnd);
    RECT dirty;
    ASSERT_FALSE(GetUpdateRect(wnd, &dirty, FALSE));
    picture->SetPercent(30);
    EXPECT_FALSE(GetUpdateRect(wnd, &dirty, FALSE)) << "unchanged: no repaint";
    picture->SetPercent(31);
    EXPECT_TRUE(GetUpdateRect(wnd, &dirty, FALSE));
    UpdateWindow(wnd);
    picture->SetPercent(180);
    UpdateWindow(wnd);
    picture->SetPercent(100);
    EXPECT_FALSE(GetUpdateRect(wnd, &dirty, FALSE)) << "150 was already taken as 100";
}

TEST_F(PicturesTest, FrameCountsOutsideTheRangeAreHeldInIt) {
    auto none = Make(0);
    EXPECT_EQ(none->GetFrameCount(), 1);
    EXPECT_EQ(none->GetGfxWidth(), 80) << "one frame: the whole strip";
    auto many = Make(1000);
    EXPECT_EQ(many->GetFrameCount(), 100);
    many->SetPercent(100);
    UpdateWindow(many->GetWindow());   // paints without dividing by zero
    EXPECT_EQ(many->GetShownFrame(), 99);
}

TEST_F(PicturesTest, RegionsAreCopiesOfItsOwn) {
    HRGN regions[3];
    for (HRGN& r : regions) r = CreateRectRgn(0, 0, 8, 40);
    auto picture = Make(3, regions);
    DeleteObject(regions[1]);   // the skin frees one of its own early
    picture.reset();
    RECT box;
    EXPECT_EQ(GetRgnBox(regions[0], &box), SIMPLEREGION) << "the caller's regions outlive the picture";
    EXPECT_EQ(GetRgnBox(regions[2], &box), SIMPLEREGION);
    DeleteObject(regions[0]);
    DeleteObject(regions[2]);
}

TEST_F(PicturesTest, StretchedPictureCoversItsRectangle) {
    cStretchPicture picture(nullptr, host_, res_.get(), 44, 30, kPlay, RECT{10, 10, 0, 0}, 5, 0);
    EXPECT_EQ(picture.GetTyp(), ET_BUTTON);
    picture.SetRect(RECT{10, 10, 98, 70}, 0);   // twice the cell's size
    bk::ScopedGetDC screen(nullptr);
    bk::ScopedMemDC dc(CreateCompatibleDC(screen.Get()));
    bk::ScopedGdiObject bmp(CreateCompatibleBitmap(screen.Get(), 120, 100));
    bk::ScopedSelect sel(dc.Get(), bmp.Get());
    for (int status : {ES_NORMAL, ES_PRESSED}) {
        PatBlt(dc.Get(), 0, 0, 120, 100, BLACKNESS);
        picture.SetStatus(status);
        picture.Show(dc.Get());
        unsigned id = 0, cell = 0;
        ASSERT_TRUE(fk::DecodeProbe(fk::DcPixel(dc.Get(), 10 + 4, 10 + 4), &id, &cell)) << "the probe, doubled";
        EXPECT_EQ(id, kPlay);
        EXPECT_EQ(cell, 0u) << "always the sprite's top-left part, whatever the status";
        EXPECT_NE(fk::DcPixel(dc.Get(), 97, 69), 0u) << "down to the far corner";
        EXPECT_EQ(fk::DcPixel(dc.Get(), 99, 71), 0u) << "and not beyond";
    }
    // A source larger than the sprite is cut at the sprite's edge.
    cStretchPicture wide(nullptr, host_, res_.get(), 100000, 30, kPlay, RECT{0, 0, 0, 0}, 6, 0);
    wide.SetRect(RECT{0, 0, 110, 30}, 0);
    PatBlt(dc.Get(), 0, 0, 120, 100, BLACKNESS);
    wide.Show(dc.Get());
    // Its right half shows the disabled cell (176..219), row 3 a plain gradient.
    EXPECT_EQ(fk::DcPixel(dc.Get(), 100, 3), SpritePixel(kPlay, 200, 3)) << "half the width: the sprite's, squeezed";
}

}  // namespace
