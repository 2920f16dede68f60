// The engine window's mapping of control events and polls onto status
// records, driven in this process against the stand-in control at rest.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "media_wnd.h"
#include "playerstatus.h"
#include "statusrecords.h"
#include "status_window.h"
#include "tdtest.h"
#include "test_audio.h"

namespace {

// The kinds (and the value of kinds 2 to 6, the position of kind 8) of the
// records other than logs.
std::vector<std::pair<uint32_t, uint32_t>> Seen(const StatusWindow& w) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    for (const Received& r : w.records) {
        if (r.kind == bk::kStatusLog) continue;
        uint32_t value = r.kind >= 2 && r.kind <= 6 ? r.rec.value.value : r.kind == bk::kStatusRunInfo ? r.rec.runInfo.a : 0;
        out.emplace_back(r.kind, value);
    }
    return out;
}

class MediaWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(pe_test::CallRegistration("mp64control.dll", "DllRegisterServer"), S_OK);
        OleInitialize(nullptr);
        reporter.reset(new cSendRunTimeInfo(nullptr));
        reporter->Reset(0);
        wnd = new CMediaWnd(reporter.get());
        ASSERT_EQ(wnd->Create(), 1);
        recorder.records.clear();
    }
    void TearDown() override {
        if (wnd) wnd->TermPlayer();
        reporter.reset();
        OleUninitialize();
    }
    using SeenList = std::vector<std::pair<uint32_t, uint32_t>>;

    StatusWindow recorder;
    std::unique_ptr<cSendRunTimeInfo> reporter;
    CMediaWnd* wnd = nullptr;
};

TEST_F(MediaWndTest, PlayingWhileNotOpenGivesStreamInformationButNoPlayState) {
    wnd->OnPlayStateChange(0, 2);
    ASSERT_FALSE(Seen(recorder).empty());
    EXPECT_EQ(Seen(recorder)[0].first, bk::kStatusStreamInfo);
    for (auto& r : Seen(recorder)) EXPECT_NE(r.first, bk::kStatusEnginePlayState);
}

TEST_F(MediaWndTest, PlayingWhenOpenReportsThePlayStateFirst) {
    wnd->OnOpenStateChange(5, 6);
    wnd->OnPlayStateChange(0, 2);
    SeenList want = {{bk::kStatusOpenState, 6}, {bk::kStatusEnginePlayState, 2}, {bk::kStatusStreamInfo, 0}};
    EXPECT_EQ(Seen(recorder), want);
}

TEST_F(MediaWndTest, BufferingPollShowsProgressPlusOne) {
    wnd->OnTimer(2);   // the control at rest reports 0 percent
    SeenList want = {{bk::kStatusBuffering, 1}};
    EXPECT_EQ(Seen(recorder), want);
}

TEST_F(MediaWndTest, RunInformationWhileNotPlayingHasPositionZero) {
    wnd->OnTimer(1);
    ASSERT_EQ(Seen(recorder).size(), 1u);
    EXPECT_EQ(Seen(recorder)[0], std::make_pair(uint32_t(bk::kStatusRunInfo), 0u));
}

TEST_F(MediaWndTest, ErrorWhileNotPlayingReportsErrorThenTheOpenState) {
    wnd->OnError();
    // The error, then the open state 0 (at rest), which the reporter turns
    // into play state 1 and the end of its session with the window: the
    // open-state record and the second error are not sent any more.
    SeenList want = {{bk::kStatusError, 0}, {bk::kStatusPlayState, 1}};
    EXPECT_EQ(Seen(recorder), want);
}

TEST_F(MediaWndTest, ErrorsDuringShutDownAreIgnored) {
    wnd->SetBusy(1);
    wnd->OnError();
    wnd->SetBusy(0);
    EXPECT_TRUE(Seen(recorder).empty());
}

TEST_F(MediaWndTest, BufferingEndWithAnUnchangedStateReportsOnlyThePlayState) {
    // Control at rest: play state 0, as last seen.
    wnd->OnBuffering(FALSE);
    SeenList want = {{bk::kStatusEnginePlayState, 0}};
    EXPECT_EQ(Seen(recorder), want);
}

}  // namespace
