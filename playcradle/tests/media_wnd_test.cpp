// The engine window's mapping of control events and polls onto status
// records, driven in this process against the stand-in control at rest.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "media_wnd.h"
#include "playerstatus.h"
#include "statusrecords.h"
#include "tdtest.h"
#include "test_audio.h"

namespace {

// Collects the records the reporter sends to this process's status window.
class Recorder {
public:
    Recorder() {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "control_activex_class";
            RegisterClassA(&wc);
            registered = true;
        }
        hwnd_ = CreateWindowExA(0, "control_activex_class", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Recorder() { DestroyWindow(hwnd_); }

    // Kinds (and the value of kinds 2 to 6) of the records other than logs.
    std::vector<std::pair<uint32_t, uint32_t>> seen;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Recorder*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && msg == WM_COPYDATA) {
            auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lParam);
            bk::StatusRecord r;
            uint32_t kind = static_cast<uint32_t>(wParam);
            if (kind != bk::kStatusLog && bk::DecodeStatusRecord(kind, cds->lpData, cds->cbData, &r)) {
                uint32_t value = kind >= 2 && kind <= 6 ? r.value.value : kind == bk::kStatusRunInfo ? r.runInfo.a : 0;
                self->seen.emplace_back(kind, value);
            }
            return 1;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    HWND hwnd_;
};

class MediaWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(pe_test::CallRegistration("mp64control.dll", "DllRegisterServer"), S_OK);
        OleInitialize(nullptr);
        reporter.reset(new cSendRunTimeInfo(nullptr));
        reporter->Reset(0);
        wnd = new CMediaWnd(reporter.get());
        ASSERT_EQ(wnd->Create(), 1);
        recorder.seen.clear();
    }
    void TearDown() override {
        if (wnd) wnd->TermPlayer();
        reporter.reset();
        OleUninitialize();
    }
    using Seen = std::vector<std::pair<uint32_t, uint32_t>>;

    Recorder recorder;
    std::unique_ptr<cSendRunTimeInfo> reporter;
    CMediaWnd* wnd = nullptr;
};

TEST_F(MediaWndTest, PlayingWhileNotOpenGivesStreamInformationButNoPlayState) {
    wnd->OnPlayStateChange(0, 2);
    ASSERT_FALSE(recorder.seen.empty());
    EXPECT_EQ(recorder.seen[0].first, bk::kStatusStreamInfo);
    for (auto& r : recorder.seen) EXPECT_NE(r.first, bk::kStatusEnginePlayState);
}

TEST_F(MediaWndTest, PlayingWhenOpenReportsThePlayStateFirst) {
    wnd->OnOpenStateChange(5, 6);
    wnd->OnPlayStateChange(0, 2);
    Seen want = {{bk::kStatusOpenState, 6}, {bk::kStatusEnginePlayState, 2}, {bk::kStatusStreamInfo, 0}};
    EXPECT_EQ(recorder.seen, want);
}

TEST_F(MediaWndTest, BufferingPollShowsProgressPlusOne) {
    wnd->OnTimer(2);   // the control at rest reports 0 percent
    Seen want = {{bk::kStatusBuffering, 1}};
    EXPECT_EQ(recorder.seen, want);
}

TEST_F(MediaWndTest, RunInformationWhileNotPlayingHasPositionZero) {
    wnd->OnTimer(1);
    ASSERT_EQ(recorder.seen.size(), 1u);
    EXPECT_EQ(recorder.seen[0], std::make_pair(uint32_t(bk::kStatusRunInfo), 0u));
}

TEST_F(MediaWndTest, ErrorWhileNotPlayingReportsErrorThenTheOpenState) {
    wnd->OnError();
    // The error, then the open state 0 (at rest), which the reporter turns
    // into play state 1 and the end of its session with the window: the
    // open-state record and the second error are not sent any more.
    Seen want = {{bk::kStatusError, 0}, {bk::kStatusPlayState, 1}};
    EXPECT_EQ(recorder.seen, want);
}

TEST_F(MediaWndTest, ErrorsDuringShutDownAreIgnored) {
    wnd->SetBusy(1);
    wnd->OnError();
    wnd->SetBusy(0);
    EXPECT_TRUE(recorder.seen.empty());
}

TEST_F(MediaWndTest, BufferingEndWithAnUnchangedStateReportsOnlyThePlayState) {
    // Control at rest: play state 0, as last seen.
    wnd->OnBuffering(FALSE);
    Seen want = {{bk::kStatusEnginePlayState, 0}};
    EXPECT_EQ(recorder.seen, want);
}

}  // namespace
