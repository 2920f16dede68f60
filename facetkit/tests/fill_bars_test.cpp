// The three bars: drawn from their first value, redrawn only on a change,
// values held in range (and byte counts that would overflow), the progress
// bar moved from another thread, the level meter's bottom-up bar and its
// overload lamp.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <thread>

#include "element_fixture.h"
#include "fill_bars.h"

namespace {

class FillBarsTest : public fk::ElementTest {
protected:
    // Which sprite the memory picture shows at (x, y): its probe, or the
    // sprite whose pixel at the same place it equals.
    bool ShowsSprite(HDC dc, int x, int y, unsigned sprite) {
        uint32_t px = fk::DcPixel(dc, x, y);
        unsigned id = 0, cell = 0;
        if (fk::DecodeProbe(px, &id, &cell)) return id == sprite;
        return px == SpritePixel(sprite, x, y);
    }
};

TEST_F(FillBarsTest, BufferViewDrawsItsFirstValueAndThenOnlyChanges) {
    cBufferView bar(host_->GetWindow());
    bar.Init(res_.get());
    ASSERT_NE(bar.GetWindow(), nullptr);
    EXPECT_EQ(bar.GetWidth(), 14);
    EXPECT_EQ(bar.GetValue(), -1);
    EXPECT_FALSE(IsWindowVisible(bar.GetWindow())) << "hidden until placed";
    HDC mem = bar.GetMemoryDC();
    ASSERT_NE(mem, nullptr);
    struct Step {
        int percent, value, draws;
        unsigned at2;    // sprite at (2, 2): the bar's probe or the background's
        unsigned at12;   // sprite at (12, 5)
    };
    const Step steps[] = {
        {0, 0, 1, cBufferView::SPRITE_BACK, cBufferView::SPRITE_BACK},   // the first value always draws
        {0, 0, 1, cBufferView::SPRITE_BACK, cBufferView::SPRITE_BACK},
        {50, 50, 2, cBufferView::SPRITE_BAR, cBufferView::SPRITE_BACK},  // 7 of 14 pixels
        {150, 100, 3, cBufferView::SPRITE_BAR, cBufferView::SPRITE_BAR},
        {100, 100, 3, cBufferView::SPRITE_BAR, cBufferView::SPRITE_BAR},
        {-5, 0, 4, cBufferView::SPRITE_BACK, cBufferView::SPRITE_BACK},
    };
    for (const Step& s : steps) {
        bar.SetBufferPos(s.percent, 0);
        EXPECT_EQ(bar.GetValue(), s.value) << s.percent;
        EXPECT_EQ(bar.GetDrawCount(), s.draws) << s.percent;
        EXPECT_TRUE(ShowsSprite(mem, 2, 2, s.at2)) << s.percent;
        EXPECT_TRUE(ShowsSprite(mem, 12, 5, s.at12)) << s.percent;
    }
    bar.SetBufferPos(80, 0);
    bar.SetRect(RECT{20, 200, 34, 208});
    EXPECT_EQ(bar.GetValue(), 0) << "placing it draws the bar anew at 0";
    EXPECT_TRUE(IsWindowVisible(bar.GetWindow()));
    unsigned id = 0, cell = 0;
    ASSERT_TRUE(ShownCell(bar.GetWindow(), 2, 2, &id, &cell));
    EXPECT_EQ(id, static_cast<unsigned>(cBufferView::SPRITE_BACK));
    bar.SetVisible(0);
    EXPECT_FALSE(IsWindowVisible(bar.GetWindow()));
}

TEST_F(FillBarsTest, ProgressBarTakesOnlyPositionsWithinItsMaximum) {
    cVLProgressBar bar(host_->GetWindow(), res_.get());
    EXPECT_EQ(bar.GetWidth(), 100);
    bar.SetPos(POINT{20, 220});
    EXPECT_EQ(bar.GetValue(), 0);
    int draws = bar.GetDrawCount();
    EXPECT_EQ(draws, 1);
    struct Step {
        int max, pos;
        bool drawn;
        int fill;   // pixels of the bar, when drawn
    };
    const Step steps[] = {
        {0, 0, false, 0},    {5, 6, false, 0},  {-1, 0, false, 0}, {10, -1, false, 0},
        {10, 5, true, 50},   {10, 5, false, 0}, {20, 5, true, 25},  // a new maximum moves the bar too
        {INT_MAX, INT_MAX / 2, true, 49}, {INT_MAX, INT_MAX, true, 100}, {1, 0, true, 0},
    };
    HDC mem = bar.GetMemoryDC();
    for (const Step& s : steps) {
        int before = bar.GetDrawCount();
        bar.SetBufferPos(s.max, s.pos);
        EXPECT_EQ(bar.GetDrawCount() - before, s.drawn ? 1 : 0) << s.max << "/" << s.pos;
        if (!s.drawn) continue;
        EXPECT_EQ(bar.GetValue(), s.pos);
        if (s.fill > 0) {
            EXPECT_TRUE(ShowsSprite(mem, s.fill - 1, 5, cVLProgressBar::SPRITE_BAR)) << s.max << "/" << s.pos;
        }
        if (s.fill < 100) {
            EXPECT_TRUE(ShowsSprite(mem, s.fill, 5, cVLProgressBar::SPRITE_BACK)) << s.max << "/" << s.pos;
        }
    }

    // Another thread moves it by posting; nonsense stays ignored.
    std::thread worker([&] {
        PostMessageA(bar.GetWindow(), WM_PROGRESS_SET, static_cast<WPARAM>(-1), 5);
        PostMessageA(bar.GetWindow(), WM_PROGRESS_SET, 8, 6);
    });
    worker.join();
    Pump();
    EXPECT_EQ(bar.GetValue(), 6);
    EXPECT_EQ(bar.GetMaximum(), 8);
}

TEST_F(FillBarsTest, PeakMeterGrowsFromTheBottomAndLightsItsLamp) {
    cPeakMeter meter(host_->GetWindow());
    meter.Init(res_.get());
    EXPECT_EQ(meter.GetWidth(), 60);
    EXPECT_EQ(meter.GetBarHeight(), 8);
    EXPECT_EQ(meter.GetHeight(), 14) << "bar and lamp above it";
    meter.SetPos(POINT{200, 200});
    HDC mem = meter.GetMemoryDC();

    meter.SetBufferPos(50, 0);   // 4 of 8 rows, from the bottom
    for (int y : {0, 3}) EXPECT_EQ(fk::DcPixel(mem, 30, y), SpritePixel(cPeakMeter::SPRITE_BACK, 30, y)) << y;
    for (int y : {4, 7}) EXPECT_EQ(fk::DcPixel(mem, 30, y), SpritePixel(cPeakMeter::SPRITE_BAR, 30, y)) << y;
    meter.SetBufferPos(250, 0);   // taken as 100: the whole bar, nothing above it
    EXPECT_EQ(meter.GetValue(), 100);
    for (int y : {0, 7}) EXPECT_EQ(fk::DcPixel(mem, 30, y), SpritePixel(cPeakMeter::SPRITE_BAR, 30, y)) << y;

    struct Step {
        int percent, overload;
        unsigned lamp;   // shown after the report
    };
    const Step steps[] = {
        {60, 0, cPeakMeter::SPRITE_LAMP_DARK},
        {60, 1, cPeakMeter::SPRITE_LAMP_DARK},   // same level: no repaint yet
        {70, 1, cPeakMeter::SPRITE_LAMP_LIT},
        {70, 0, cPeakMeter::SPRITE_LAMP_LIT},    // still the last picture
        {71, 0, cPeakMeter::SPRITE_LAMP_DARK},
        {72, 5, cPeakMeter::SPRITE_LAMP_LIT},
    };
    for (const Step& s : steps) {
        meter.SetBufferPos(s.percent, s.overload);
        unsigned id = 0, cell = 0;
        ASSERT_TRUE(ShownCell(meter.GetWindow(), 2, 2, &id, &cell)) << s.percent << "/" << s.overload;
        EXPECT_EQ(id, s.lamp) << s.percent << "/" << s.overload;
    }
    // The bar area sits below the lamp, at the window's bottom.
    EXPECT_EQ(fk::WindowPixel(meter.GetWindow(), 30, 6 + 6), SpritePixel(cPeakMeter::SPRITE_BAR, 30, 6));
}

}  // namespace
