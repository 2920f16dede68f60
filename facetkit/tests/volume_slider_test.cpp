// The volume slider's arithmetic in every orientation with a minimum other
// than 0, its track clicks and knob drags, zero-length tracks and empty
// ranges, steps at both ends, the owner's notice, its extra buttons and the
// filled track it paints.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "element_fixture.h"
#include "volume_slider.h"
#include "wnd_button.h"

namespace {

const DWORD kKnob = 9, kSecond = 11, kFirst = 10, kOwn = 60;
const POINT kNoButton = {-1, 0};

struct Track {
    const char* what;
    POINT start, end;
    RECT own;
    int orientation;
};
// The knob sprite is 10 x 16; own rectangles are 80 pixels along the track.
const Track kTracks[] = {
    {"right", {100, 50}, {180, 50}, {100, 50, 180, 58}, cVolumeSlider::OR_RIGHT},
    {"left", {180, 50}, {100, 50}, {100, 50, 180, 58}, cVolumeSlider::OR_LEFT},
    {"up", {100, 150}, {100, 70}, {100, 70, 108, 150}, cVolumeSlider::OR_UP},
    {"down", {100, 70}, {100, 150}, {100, 70, 108, 150}, cVolumeSlider::OR_DOWN},
    {"right, sloping down", {100, 50}, {180, 60}, {100, 50, 180, 58}, cVolumeSlider::OR_RIGHT},
    {"left, sloping up", {180, 60}, {100, 50}, {100, 50, 180, 58}, cVolumeSlider::OR_LEFT},
};

class VolumeSliderTest : public fk::ElementTest {
protected:
    std::unique_ptr<cVolumeSlider> Make(const Track& t, cElementHost* owner = nullptr, POINT first = kNoButton,
                                        POINT second = kNoButton) {
        RECT knob = {t.start.x, t.start.y, t.start.x + 10, t.start.y + 16};
        return std::unique_ptr<cVolumeSlider>(new cVolumeSlider(owner ? owner : host_, res_.get(), knob, first,
                                                                second, t.own, t.start, t.end, nullptr, nullptr,
                                                                nullptr, kKnob, kSecond, kFirst, kOwn));
    }
    static POINT KnobAt(cVolumeSlider* s) {
        Pump();
        RECT r = s->GetKnob()->GetRect();
        return POINT{r.left, r.top};
    }
};

TEST_F(VolumeSliderTest, KnobRunsFromStartToEndInEveryOrientation) {
    for (const Track& t : kTracks) {
        auto slider = Make(t);
        EXPECT_EQ(slider->GetOrientation(), t.orientation) << t.what;
        EXPECT_EQ(slider->GetTyp(), ET_VOLUME_SLIDER);
        POINT mid = {(t.start.x + t.end.x) / 2, (t.start.y + t.end.y) / 2};
        struct Case {
            int value, expect;
            POINT at;
        };
        const Case cases[] = {{20, 20, t.start}, {120, 120, t.end}, {70, 70, mid}, {500, 120, t.end}, {-3, 20, t.start}};
        for (const Case& c : cases) {
            slider->SetValue(c.value, 120, 20, 0);
            EXPECT_EQ(slider->GetValue(), c.expect) << t.what << " " << c.value;
            POINT at = KnobAt(slider.get());
            EXPECT_EQ(at.x, c.at.x) << t.what << " " << c.value;
            EXPECT_EQ(at.y, c.at.y) << t.what << " " << c.value;
        }
    }
}

TEST_F(VolumeSliderTest, TrackClicksReachBothEnds) {
    struct Case {
        int track;   // index into kTracks
        POINT click;
        int value;
    };
    const Case cases[] = {
        {0, {100, 54}, 20}, {0, {179, 54}, 120}, {0, {179 - 79 / 4, 54}, 20 + 100 * 60 / 79},   // right
        {1, {100, 54}, 120}, {1, {179, 54}, 20},                        // left: the other way round
        {2, {104, 70}, 120}, {2, {104, 149}, 20},                       // up
        {3, {104, 70}, 20}, {3, {104, 149}, 120},                       // down
    };
    for (const Case& c : cases) {
        const Track& t = kTracks[c.track];
        auto slider = Make(t);
        slider->SetValue(50, 120, 20, 0);
        DWORD hit = slider->Check(c.click, host_->GetWindow(), ES_PRESSED);
        EXPECT_EQ(hit, kOwn) << t.what;
        EXPECT_EQ(slider->GetValue(), c.value) << t.what << " at " << c.click.x << "," << c.click.y;
        EXPECT_EQ(slider->GetDragState(), cVolumeSlider::DRAG_TRACK);
        EXPECT_EQ(slider->EndDrag(), 1);
        EXPECT_EQ(slider->EndDrag(), 0) << "no drag left to end";
    }
    // Hovering answers the id without moving; outside answers nothing.
    auto slider = Make(kTracks[0]);
    slider->SetValue(50, 120, 20, 0);
    EXPECT_EQ(slider->Check(POINT{170, 54}, host_->GetWindow(), ES_MOUSEOVER), kOwn);
    EXPECT_EQ(slider->GetValue(), 50);
    EXPECT_EQ(slider->Check(POINT{10, 10}, host_->GetWindow(), ES_PRESSED), 0u);
    EXPECT_EQ(slider->GetValue(), 50);
    EXPECT_EQ(slider->Drag(150, 54), 0) << "no drag without a press";
}

TEST_F(VolumeSliderTest, KnobDragFollowsTheMouseEitherWay) {
    for (int index : {0, 1}) {
        const Track& t = kTracks[index];
        auto slider = Make(t);
        slider->SetValue(0, 80, 0, 0);
        HWND knob = slider->GetKnob()->GetWindow();
        Pump();
        SendMessageA(knob, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 6));   // grabbed at (4, 6)
        slider->BeginDrag();
        EXPECT_EQ(slider->GetDragState(), cVolumeSlider::DRAG_KNOB);
        struct Step {
            int knobX, value;
        };
        // Knob positions along the track, the mouse 4 pixels right of them.
        const Step right[] = {{140, 40}, {100, 0}, {300, 80}, {-50, 0}};
        const Step left[] = {{120, 60}, {180, 0}, {100, 80}, {300, 0}};
        for (const Step& s : index == 0 ? right : left) {
            EXPECT_EQ(slider->Drag(s.knobX + 4, 56), 1);
            EXPECT_EQ(slider->GetValue(), s.value) << t.what << " knob at " << s.knobX;
        }
        SendMessageA(knob, WM_LBUTTONUP, 0, MAKELPARAM(4, 6));
        EXPECT_EQ(slider->EndDrag(), 1);
        Pump();
    }
}

TEST_F(VolumeSliderTest, DegenerateTracksAndRangesDoNotDivideByZero) {
    // Both track points the same: no orientation, the value stays.
    Track still = {"point", {100, 50}, {100, 50}, {100, 50, 180, 58}, cVolumeSlider::OR_NONE};
    auto slider = Make(still);
    EXPECT_EQ(slider->GetOrientation(), cVolumeSlider::OR_NONE);
    slider->SetValue(30, 100, 0, 0);
    slider->Check(POINT{170, 54}, host_->GetWindow(), ES_PRESSED);
    EXPECT_EQ(slider->GetValue(), 30);
    slider->EndDrag();

    // A one-pixel own rectangle along the track.
    Track thin = {"thin", {100, 50}, {180, 50}, {100, 50, 101, 58}, cVolumeSlider::OR_RIGHT};
    slider = Make(thin);
    slider->SetValue(30, 100, 0, 0);
    slider->Check(POINT{100, 54}, host_->GetWindow(), ES_PRESSED);
    EXPECT_EQ(slider->GetValue(), 30);
    slider->EndDrag();

    // max == min: stored, the knob stays where it is.
    slider = Make(kTracks[0]);
    slider->SetValue(40, 80, 0, 0);
    POINT before = KnobAt(slider.get());
    slider->SetValue(7, 5, 5, 0);
    EXPECT_EQ(slider->GetValue(), 5);
    EXPECT_EQ(slider->GetMax(), 5);
    EXPECT_EQ(slider->GetMin(), 5);
    POINT after = KnobAt(slider.get());
    EXPECT_EQ(after.x, before.x);
    slider->Step(1);
    EXPECT_EQ(slider->GetValue(), 5);
}

TEST_F(VolumeSliderTest, StepsStayInsideTheRange) {
    struct Case {
        int min, max, start, steps, value;
    };
    const Case cases[] = {
        {0, 100, 0, -1, 0},         // at the minimum
        {0, 100, 100, 1, 100},      // at the maximum
        {0, 100, 50, 3, 53},
        {0, 50, 10, 2, 12},         // a range under 100 still steps by 1
        {1000, 3000, 1000, 2, 1040},
        {-50, 50, -45, -3, -48},
        {-50, 50, -49, -5, -50},
    };
    for (const Case& c : cases) {
        auto slider = Make(kTracks[0]);
        slider->SetValue(c.start, c.max, c.min, 0);
        slider->Step(c.steps);
        EXPECT_EQ(slider->GetValue(), c.value) << c.min << ".." << c.max << " from " << c.start;
    }
}

struct VolumeHost : fk::TestHost, cVolumeChangeTarget {
    VolumeHost() : fk::TestHost(300, 200) {}
    void VolumeChanged(int value) override { values.push_back(value); }
    std::vector<int> values;
};

TEST_F(VolumeSliderTest, OwnerHearsOfChangesTheUserMakes) {
    VolumeHost owner;
    auto slider = Make(kTracks[0], &owner);
    slider->SetValue(50, 120, 20, 0);
    EXPECT_TRUE(owner.values.empty()) << "set by the program: no notice";
    slider->Step(1);
    slider->Check(POINT{179, 54}, owner.GetWindow(), ES_PRESSED);
    slider->EndDrag();
    slider->SetValue(120, 120, 20, 1);   // unchanged: nothing at all
    ASSERT_EQ(owner.values.size(), 2u);
    EXPECT_EQ(owner.values[0], 51);
    EXPECT_EQ(owner.values[1], 120);
    slider.reset();
    Pump();
}

TEST_F(VolumeSliderTest, ExtraButtonsAtNegativeXAreNeitherMadeNorMoved) {
    auto slider = Make(kTracks[0], nullptr, kNoButton, POINT{200, 50});
    EXPECT_EQ(slider->GetFirstButton(), nullptr);
    ASSERT_NE(slider->GetSecondButton(), nullptr);
    EXPECT_EQ(slider->GetKnobList()->GetAnzElement(), 2);
    EXPECT_EQ(slider->GetSecondButton()->GetId(), kSecond);
    EXPECT_EQ(slider->GetKnob()->GetId(), kKnob);

    RECT knob = {110, 60, 120, 76}, own = {110, 60, 190, 68};
    slider->SetPosition(knob, POINT{5, 5}, POINT{-5, 3}, own, POINT{110, 60}, POINT{190, 60});
    Pump();
    POINT first = {-9, -9}, second = {-9, -9}, start, end;
    RECT gotKnob, gotOwn;
    slider->GetPosition(&gotKnob, &first, &second, &gotOwn, &start, &end);
    EXPECT_EQ(first.x, -9) << "no first button: left untouched";
    EXPECT_EQ(second.x, 200) << "a negative x leaves the button where it is";
    EXPECT_TRUE(EqualRect(&gotKnob, &knob));
    EXPECT_TRUE(EqualRect(&gotOwn, &own));
    EXPECT_EQ(start.x, 110);
    EXPECT_EQ(end.x, 190);

    slider->SetPosition(knob, kNoButton, POINT{210, 52}, own, POINT{110, 60}, POINT{190, 60});
    Pump();
    slider->GetPosition(nullptr, nullptr, &second, nullptr, nullptr, nullptr);
    EXPECT_EQ(second.x, 210);
    EXPECT_EQ(second.y, 52);
    slider->SetValue(40, 80, 0, 0);
    EXPECT_EQ(KnobAt(slider.get()).x, 150) << "the new track counts";
}

TEST_F(VolumeSliderTest, TrackIsFilledUpToTheValue) {
    bk::ScopedGetDC screen(nullptr);
    bk::ScopedMemDC dc(CreateCompatibleDC(screen.Get()));
    bk::ScopedGdiObject bmp(CreateCompatibleBitmap(screen.Get(), 300, 200));
    bk::ScopedSelect sel(dc.Get(), bmp.Get());
    uint32_t filled = SpritePixel(cVolumeSlider::SPRITE_TRACK_FILLED, 0, 0);
    uint32_t empty = SpritePixel(cVolumeSlider::SPRITE_TRACK_EMPTY, 0, 0);
    ASSERT_NE(filled, empty);
    struct Case {
        int track, value;
        int dx1;
        uint32_t at1;
        int dx2;   // -1: one probe only
        uint32_t at2;
    };
    const Case cases[] = {
        {0, 50, 10, filled, 70, empty},    // right: 50 % is 40 pixels from the left
        {1, 50, 10, empty, 70, filled},    // left: from the right end
        {0, 0, 10, empty, 70, empty},
        {2, 100, 2, empty, -1, 0},         // vertical tracks stay empty
    };
    for (const Case& c : cases) {
        auto slider = Make(kTracks[c.track]);
        slider->SetValue(c.value, 100, 0, 0);
        PatBlt(dc.Get(), 0, 0, 300, 200, BLACKNESS);
        slider->Show(dc.Get());
        RECT own = kTracks[c.track].own;
        EXPECT_EQ(fk::DcPixel(dc.Get(), own.left + c.dx1, own.top), c.at1) << kTracks[c.track].what << c.value;
        if (c.dx2 >= 0) {
            EXPECT_EQ(fk::DcPixel(dc.Get(), own.left + c.dx2, own.top), c.at2) << kTracks[c.track].what << c.value;
        }
    }
    auto hidden = Make(kTracks[0]);
    hidden->SetValue(50, 100, 0, 0);
    hidden->SetVisible(0);
    PatBlt(dc.Get(), 0, 0, 300, 200, BLACKNESS);
    hidden->Show(dc.Get());
    EXPECT_EQ(fk::DcPixel(dc.Get(), 110, 50), 0u);
    EXPECT_FALSE(IsWindowVisible(hidden->GetKnob()->GetWindow()));
}

}  // namespace
