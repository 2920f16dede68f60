// A recording's end: which files a discarded recording deletes; the texts of
// recommendations and the song link.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "recording_display.h"
#include "recording_record.h"
#include "tdtest.h"
#include "view_notices.h"

namespace {

using V = std::vector<std::string>;

TEST(RecordingDisplay, PieceFiles) {
    struct Case {
        const char* path;
        int pieces, first;
        V files;
    } cases[] = {
        {"C:\\r\\Show.mp3", 1, 0, {"C:\\r\\Show.mp3"}},
        {"C:\\r\\Show_0.mp3", 3, 0, {"C:\\r\\Show_0.mp3", "C:\\r\\Show_1.mp3", "C:\\r\\Show_2.mp3"}},
        {"C:\\r\\Show_4.mp3", 2, 4, {"C:\\r\\Show_4.mp3", "C:\\r\\Show_5.mp3"}},
        {"C:\\r\\Show.mp3", 2, 0, {"C:\\r\\Show.mp3", "C:\\r\\Show_1.mp3"}},
        {"C:\\r\\My_Show.mp3", 2, 0, {"C:\\r\\My_Show.mp3", "C:\\r\\My_Show_1.mp3"}},
        {"C:\\r_1\\Show.wav", 2, 0, {"C:\\r_1\\Show.wav", "C:\\r_1\\Show_1.wav"}},
        {"", 3, 0, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(RecordingPieceFiles(c.path, c.pieces, c.first), c.files) << c.path;
    EXPECT_EQ(RecordingPieceFiles("C:\\a.mp3", 1 << 30, 0x7FFFFFF0).size(), 1000u);
    EXPECT_TRUE(RecordingPieceFiles(nullptr, 2, 0).empty());
}

int g_discard = 0;
int SavedPopup(RecordingStartRecord*) { return g_discard ? 0 : 1; }
int g_yes = 1;
int Notice(const NoticeRequest&, bool) { return g_yes; }

TEST(RecordingDisplay, DiscardedRecordingLosesItsPiecesOnly) {
    tdtest::TempFolder dir("rec");
    for (const char* f : {"Show_0.mp3", "Show_1.mp3", "Show_2.mp3", "Show_3.mp3", "Other.mp3"}) dir.Write(f, "x");
    RecordingPopups popups;
    popups.recordSaved = SavedPopup;
    SetRecordingPopups(popups);
    SetNoticeHook(Notice);
    auto run = [&](int discard, int yes, bool suppress) {
        auto* r = static_cast<RecordingStartRecord*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(RecordingStartRecord)));
        r->pieceCount = 3;
        r->firstPiece = 0;
        snprintf(r->name, sizeof r->name, "%s", dir.File("Show_0.mp3").c_str());
        g_discard = discard;
        g_yes = yes;
        if (suppress) SetSuppressNotice(1);
        OnRecordingState(r, 0);
    };
    run(1, 0, false);  // asked, but "no"
    EXPECT_TRUE(dir.Exists("Show_0.mp3"));
    run(1, 1, true);   // stopped by a protocol text: no pop-up, nothing deleted
    EXPECT_TRUE(dir.Exists("Show_0.mp3"));
    EXPECT_EQ(GetSuppressNotice(), 0);
    run(1, 1, false);
    EXPECT_FALSE(dir.Exists("Show_0.mp3"));
    EXPECT_FALSE(dir.Exists("Show_2.mp3"));
    EXPECT_TRUE(dir.Exists("Show_3.mp3"));
    EXPECT_TRUE(dir.Exists("Other.mp3"));
    SetNoticeHook(nullptr);
    SetRecordingPopups(RecordingPopups());
}

TEST(RecordingDisplay, ThanksTexts) {
    EXPECT_EQ(RecommendThanksText(1, "Radio\x02Jazz\x02rest", 2), "Thank you for recommending Radio-Jazz!");
    EXPECT_EQ(RecommendThanksText(2, "Radio\x02Jazz", 2), "Thank you for recommending Radio\x02Jazz!");
    EXPECT_EQ(RecommendThanksText(3, nullptr, 2), "Thank you for recommending velmirant-Player!");
    EXPECT_EQ(RecommendThanksText(9, "x", 2), "");
}

TEST(RecordingDisplay, SongLinkEncodesTheSong) {
    EXPECT_EQ(BuildSongLink("http://shop/s", "AC/DC & Co #1?"), "http://shop/s?song=AC%2FDC%20%26%20Co%20%231%3F");
    EXPECT_EQ(BuildSongLink(nullptr, "\xFC"), "?song=%FC");
    EXPECT_EQ(BuildSongLink("b", std::string(5000, 'a').c_str()).size(), 4095u);
}

}  // namespace
