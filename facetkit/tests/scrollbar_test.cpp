// The skinned scroll bar: its thumb arithmetic, and a real bar in a window
// moving a recording client.
#include <gtest/gtest.h>

#include "element_fixture.h"
#include "skin_scrollbar.h"
#include "wnd_button.h"

namespace {

TEST(ScrollMetricsTest, ThumbAndRangeFollowTheContent) {
    struct Case {
        int bar, arrow, content;
        float thumb;
        int maximum;
    } cases[] = {
        {200, 10, 400, 90.0f, 200},      // half the content shown: thumb half the track
        {200, 10, 100, 180.0f, 0},       // content smaller than the bar: thumb fills the track
        {200, 10, 1000000, 3.0f, 999800},  // very long content: never below 3 pixels
        {0, 0, 0, 3.0f, 0},              // before the first layout
    };
    for (const Case& c : cases) {
        ScrollMetrics m;
        m.Update(c.bar, c.arrow, c.content);
        EXPECT_FLOAT_EQ(m.thumbLength, c.thumb) << c.bar << "/" << c.content;
        EXPECT_EQ(m.maximum, c.maximum) << c.bar << "/" << c.content;
    }
}

TEST(ScrollMetricsTest, PixelsAndPositionsConvertBothWaysAndNeverDivideByZero) {
    ScrollMetrics m;
    m.Update(200, 10, 400);   // free track 90, maximum 200
    EXPECT_FLOAT_EQ(m.PixelToPos(45.0f), 100.0f);
    EXPECT_FLOAT_EQ(m.PosToPixel(100.0f), 45.0f);
    EXPECT_EQ(m.ThumbOffset(200), 90);   // at the maximum: the whole free track
    EXPECT_EQ(m.ThumbOffset(1), 1);      // rounded up
    ScrollMetrics empty;
    empty.Update(200, 10, 50);           // nothing to scroll
    EXPECT_FLOAT_EQ(empty.PixelToPos(30.0f), 0.0f);
    EXPECT_FLOAT_EQ(empty.PosToPixel(30.0f), 0.0f);
    ScrollMetrics tiny;
    tiny.Update(20, 10, 400);            // arrows fill the bar: no free track
    EXPECT_FLOAT_EQ(tiny.PixelToPos(5.0f), 0.0f);
}

class RecordingClient : public cScrollClient {
public:
    void SetPosition(int pos, int vertical) override {
        if (pos < 1) pos = 0;
        (vertical ? v : h) = pos;
        ++moves;
    }
    int GetContentWidth() override { return width; }
    int GetContentHeight() override { return height; }
    int GetHPosition() override { return h; }
    int GetVPosition() override { return v; }
    void OnScrollBarShown(HDC) override { ++shown; }
    void Refresh(int) override { ++refreshes; }
    int width = 300, height = 2000, h = 0, v = 0, moves = 0, shown = 0, refreshes = 0;
};

class ScrollBarTest : public fk::ElementTest {};

TEST_F(ScrollBarTest, VerticalBarScrollsItsClientAndStopsAtBothEnds) {
    RecordingClient client;
    cScrollBar bar(host_->GetWindow(), 1, host_, res_.get());
    bar.SetClient(&client);
    ASSERT_GT(bar.GetThickness(), 0);
    bar.SetRect(300, 10, 300 + bar.GetThickness(), 210);
    HDC dc = GetDC(host_->GetWindow());
    bar.SetVisible(dc, 1);
    EXPECT_EQ(client.shown, 1);
    EXPECT_EQ(bar.GetMaximum(), 2000 - 200);

    bar.LineDown(50);
    EXPECT_EQ(client.v, 50);
    bar.LineDown(5000);                       // past the end lands on the maximum
    EXPECT_EQ(client.v, bar.GetMaximum());
    bar.LineUp(5000);                         // past the start lands on 0
    EXPECT_EQ(client.v, 0);

    bar.DragThumb(10000);                     // beyond the track: the maximum
    EXPECT_EQ(client.v, bar.GetMaximum());
    bar.DragThumb(-50);
    EXPECT_EQ(client.v, 0);

    bar.Show(dc);
    RECT thumb = bar.GetThumbRect();
    EXPECT_GE(thumb.bottom - thumb.top, 3);
    RECT arrow = bar.GetFirstArrow()->GetRect();
    EXPECT_EQ(thumb.top, 10 + (arrow.bottom - arrow.top));   // at the top of the track
    int midX = 300 + bar.GetThickness() / 2;
    EXPECT_EQ(bar.Check(midX, (thumb.top + thumb.bottom) / 2, host_->GetWindow(), 4), SB_THUMB_ID);
    EXPECT_EQ(bar.Check(midX, 200 - (arrow.bottom - arrow.top) - 2, host_->GetWindow(), 4), SB_TRACK_HIT);
    EXPECT_EQ(bar.HasMouseOver(), 1);
    EXPECT_EQ(bar.Check(10, 10, host_->GetWindow(), 4), 0);
    EXPECT_EQ(bar.HasMouseOver(), 0);
    ReleaseDC(host_->GetWindow(), dc);
}

TEST_F(ScrollBarTest, ArrowsAreWindowButtonsOfTheBarsWindowAndReportTheirPresses) {
    RecordingClient client;
    cScrollBar bar(host_->GetWindow(), 0, host_, res_.get());
    bar.SetClient(&client);
    bar.SetRect(20, 200, 320, 200 + bar.GetThickness());
    ASSERT_NE(bar.GetFirstArrow(), nullptr);
    ASSERT_NE(bar.GetSecondArrow(), nullptr);
    EXPECT_EQ(bar.GetFirstArrow()->GetId(), static_cast<unsigned long>(SB_LEFT_ARROW));
    EXPECT_EQ(bar.GetSecondArrow()->GetId(), static_cast<unsigned long>(SB_RIGHT_ARROW));
    RECT second = bar.GetSecondArrow()->GetRect();
    EXPECT_EQ(second.right, 320);             // the end arrow closes the bar
    HWND arrow = bar.GetFirstArrow()->GetWindow();
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(GetParent(arrow), host_->GetWindow());
    bar.SetVisible(nullptr, 1);
    Pump();
    SendMessageA(arrow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(arrow, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    Pump();
    auto pressed = host_->Take(WM_SKIN_BUTTON_PRESSED);
    ASSERT_FALSE(pressed.empty());
    EXPECT_EQ(pressed[0].lParam, SB_LEFT_ARROW);
}

}  // namespace
