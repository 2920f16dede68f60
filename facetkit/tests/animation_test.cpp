// Window animations on a real window: frame geometry, a forwards run and the
// way back, one worker per animation, and clean ends when the object or the
// window goes away mid-run.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "animation.h"
#include "facetkit_fixtures.h"
#include "resource_manager.h"
#include "tdtest.h"

namespace {

const unsigned kStrip = 408;   // 6 frames of 40 x 30 in the standard skin

// A window that lets its animation paint and records what it painted.
struct Stage {
    cAnimation* anim = nullptr;
    std::vector<int> steppedFrames;   // frames in the order they were drawn
    int started = 0, ended = 0;
    HWND hwnd = nullptr;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Stage*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (self->anim) {
                // Frames as drawn, a repeated paint of the same frame once.
                int frame = self->anim->GetAktStep();
                if (self->steppedFrames.empty() || self->steppedFrames.back() != frame)
                    self->steppedFrames.push_back(frame);
                self->anim->Paint(dc, ps.rcPaint);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_ANIM_STARTED: ++self->started; return 0;
        case WM_ANIM_ENDED: ++self->ended; return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    explicit Stage(HWND parent) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = &Stage::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "facetkit_anim_stage";
            RegisterClassA(&wc);
            registered = true;
        }
        hwnd = CreateWindowExA(0, "facetkit_anim_stage", "", WS_CHILD | WS_VISIBLE, 10, 10, 40, 30, parent, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Stage() {
        if (IsWindow(hwnd)) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            DestroyWindow(hwnd);
        }
    }
};

class AnimationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { host_ = new fk::TestHost(); }
    static void TearDownTestSuite() {
        delete host_;
        host_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(fk::LoadStockface(&skin_), nullptr);
        res_ = new cResourceManager(skin_.Get(), 0);
        for (int i = 0; i < 6; ++i) regions_[i] = CreateRectRgn(0, 0, 20 + 4 * i, 30);
    }
    void TearDown() override {
        delete res_;
        for (HRGN r : regions_) DeleteObject(r);
    }
    bool RunToEnd(cAnimation& anim, Stage& stage, int endedBefore) {
        return tdtest::WaitFor([&] { return stage.ended > endedBefore && !anim.IsActiveEventSignal(); }, 30000);
    }
    bk::ScopedModule skin_;
    cResourceManager* res_ = nullptr;
    HRGN regions_[6] = {};
    static fk::TestHost* host_;
};
fk::TestHost* AnimationTest::host_ = nullptr;

TEST_F(AnimationTest, FramesAreEqualSlicesOfTheStrip) {
    cAnimation anim(res_, 6, kStrip, 0, regions_);
    EXPECT_EQ(anim.GetGfxWidth(), 40);
    EXPECT_EQ(anim.GetGfxHeight(), 30);
    EXPECT_EQ(anim.GetDelay(), 40);
    // Its own copies: the caller may delete its regions right away.
    ASSERT_NE(anim.GetRgn(5), nullptr);
    EXPECT_NE(anim.GetRgn(5), regions_[5]);
    EXPECT_TRUE(EqualRgn(anim.GetRgn(5), regions_[5]));
    EXPECT_EQ(anim.GetRgn(6), nullptr);
    bk::ScopedGetDC screen(nullptr);
    bk::ScopedMemDC dc(CreateCompatibleDC(screen.Get()));
    bk::ScopedGdiObject bmp(CreateCompatibleBitmap(screen.Get(), 40, 30));
    bk::ScopedSelect sel(dc.Get(), bmp.Get());
    RECT all = {0, 0, 40, 30};
    for (int expected = 0; expected < 3; ++expected) {
        anim.SetNeedPaint(expected < 2 ? 1 : 0);
        anim.Paint(dc.Get(), all);
        unsigned id = 0, cell = 0;
        ASSERT_TRUE(fk::DecodeProbe(fk::DcPixel(dc.Get(), 2, 2), &id, &cell));
        EXPECT_EQ(id, kStrip);
        EXPECT_EQ(cell, static_cast<unsigned>(expected)) << "frame from x offset " << 40 * expected;
    }
    EXPECT_EQ(anim.GetAktStep(), 2);
}

TEST_F(AnimationTest, RunsForwardsThenBackThroughTheStrip) {
    Stage stage(host_->GetWindow());
    cAnimation anim(res_, 6, kStrip, 0, regions_);
    stage.anim = &anim;

    anim.DoAnim(stage.hwnd, cAnimation::FORWARDS);
    ASSERT_TRUE(RunToEnd(anim, stage, 0));
    EXPECT_EQ(stage.steppedFrames, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(anim.GetAktStep(), 5);
    EXPECT_EQ(stage.started, 1);

    stage.steppedFrames.clear();
    anim.DoAnim(stage.hwnd, cAnimation::BACKWARDS);
    ASSERT_TRUE(RunToEnd(anim, stage, 1));
    EXPECT_EQ(stage.steppedFrames, (std::vector<int>{5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(anim.GetAktStep(), 0);
    EXPECT_EQ(stage.started, 2);
    stage.anim = nullptr;
}

TEST_F(AnimationTest, SecondStartWhileRunningStartsNoSecondWorker) {
    Stage stage(host_->GetWindow());
    cAnimation anim(res_, 6, kStrip, 0, regions_);
    stage.anim = &anim;
    anim.DoAnim(stage.hwnd, cAnimation::FORWARDS);
    EXPECT_EQ(anim.IsActiveEventSignal(), 1);
    anim.DoAnim(stage.hwnd, cAnimation::FORWARDS);
    ASSERT_TRUE(RunToEnd(anim, stage, 0));
    tdtest::WaitFor([] { return false; }, 200);
    EXPECT_EQ(stage.started, 1);
    EXPECT_EQ(stage.ended, 1);
    stage.anim = nullptr;
}

TEST_F(AnimationTest, DestroyedMidRunStopsTheWorker) {
    Stage stage(host_->GetWindow());
    auto* anim = new cAnimation(res_, 6, kStrip, 0, regions_);
    anim->DoAnim(stage.hwnd, cAnimation::FORWARDS);
    ASSERT_EQ(anim->IsActiveEventSignal(), 1);
    // Nobody paints: the animation would never reach its last frame alone.
    DWORD start = GetTickCount();
    delete anim;
    EXPECT_LT(GetTickCount() - start, 60000u);   // bounded: only a hang fails
    tdtest::WaitFor([&] { return stage.ended == 1; }, 30000);
    EXPECT_EQ(stage.ended, 1);
}

TEST_F(AnimationTest, WindowDestroyedMidRunEndsTheWorker) {
    auto* stage = new Stage(host_->GetWindow());
    cAnimation anim(res_, 6, kStrip, 0, regions_);
    anim.DoAnim(stage->hwnd, cAnimation::FORWARDS);
    ASSERT_EQ(anim.IsActiveEventSignal(), 1);
    delete stage;
    tdtest::WaitFor([] { return false; }, 150);
    // Still "active" (nothing painted the last frame), but the worker is gone:
    // stopping and destroying must not wait for it.
    DWORD start = GetTickCount();
    anim.StopAnim();
    EXPECT_EQ(anim.IsActiveEventSignal(), 0);
    EXPECT_LT(GetTickCount() - start, 60000u);   // bounded: only a hang fails
}

TEST_F(AnimationTest, UnusableAnimationsNeverStart) {
    Stage stage(host_->GetWindow());
    struct {
        int steps;
        HRGN* regions;
    } cases[] = {{0, regions_}, {-3, regions_}, {6, nullptr}};
    for (auto& c : cases) {
        cAnimation anim(res_, c.steps, kStrip, 0, c.regions);
        EXPECT_FALSE(anim.IsUsable());
        anim.DoAnim(stage.hwnd, cAnimation::FORWARDS);
        EXPECT_EQ(anim.IsActiveEventSignal(), 0);
        bk::ScopedGetDC dc(stage.hwnd);
        anim.SetNeedPaint(1);
        anim.Paint(dc.Get(), RECT{0, 0, 40, 30});   // no division, no fault
        EXPECT_GE(anim.GetAktStep(), 0);
    }
    tdtest::WaitFor([] { return false; }, 100);
    EXPECT_EQ(stage.started, 0);
    // A sprite the skin lacks gives an animation of size 0 that draws nothing.
    cAnimation absent(res_, 6, 9999, 0, regions_);
    EXPECT_EQ(absent.GetGfxWidth(), 0);
}

}  // namespace
