// Row elements: the play row's text layout and buttons, the skin row's
// buttons by the skin in use, and what the station and podcast rows draw,
// read back from the probe pixels of the standard skin's sprites.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "bounded_text.h"
#include "element_fixture.h"
#include "registry.h"
#include "rows_skin.h"
#include "rows_table.h"
#include "skin_button.h"
#include "skin_wnd_fixture.h"
#include "table_line.h"
#include "win_handles.h"
#include "wnd_list.h"

namespace {

TEST(PlayRowTextTest, MarksGiveTitleFirstAndSecondLine) {
    struct Case {
        const char* text;
        int hasTitle, cut;
        const char* title;
        const char* first;
        const char* second;
    } cases[] = {
        {"Plain name", 0, 0, "Plain name", "", ""},
        {"Shown\x01hidden", 0, 1, "Shown", "", ""},
        {"Up\x03" "down", 0, 0, "Up", "", ""},
        {"Title\x02rest", 1, 0, "Title", " - rest", ""},
        {"Title\x02middle\x03" "second", 1, 0, "Title", " - middle", "second"},
        // With a version the second line gets the prefix whatever it says.
        {"Skin\x02 by me\x03" "Version 2\x05skin.dll", 1, 0, "Skin", "", "Version Version 2"},
        {"Skin\x02\x03" "1.0\x05", 1, 0, "Skin", "", "Version 1.0"},
    };
    for (const Case& c : cases) {
        PlayRowText t;
        SplitPlayRowText(c.text, &t);
        EXPECT_EQ(t.hasTitle, c.hasTitle) << c.text;
        EXPECT_EQ(t.cut, c.cut) << c.text;
        EXPECT_STREQ(t.title, c.title) << c.text;
        EXPECT_STREQ(t.first, c.first) << c.text;
        EXPECT_STREQ(t.second, c.second) << c.text;
    }
}

class FeedState : public cTablePodcasts {
public:
    bool busy = false, downloading = false, downloaded = false, subscribed = true;
    bool HasFeed(unsigned long feed) override { return feed == 3; }
    int IsSubscribed(unsigned long) override { return subscribed ? 1 : 0; }
    void SetSubscribed(unsigned long, int) override {}
    bool IsExpanded(unsigned long) override { return false; }
    void SetExpanded(unsigned long, int) override {}
    bool IsBusy(unsigned long) override { return busy; }
    bool HasNewEpisodes(unsigned long) override { return false; }
    bool IsEpisodeDownloading(unsigned long, int) override { return downloading; }
    bool IsEpisodeDownloaded(unsigned long, int) override { return downloaded; }
    bool IsEpisodeNew(unsigned long, int) override { return false; }
    void SetEpisodeRow(unsigned long, int, cTableLine*) override {}
    void ClearRows() override {}
    bool GetUrl(unsigned long, char*, size_t) override { return false; }
    void StartDownload(unsigned long, int) override {}
    void CancelEpisodeDownload(unsigned long, int) override {}
    int DeleteWithConfirm(unsigned long, int) override { return 0; }
    void IncPlayCount(unsigned long, int) override {}
    bool GetEpisodeFilePath(unsigned long, int, char*, size_t) override { return false; }
    int GetEpisodeDuration(unsigned long, int) override { return -1; }
    bool GetTitle(unsigned long, int, char*, size_t) override { return false; }
};

// Rows outside a table take the main window's resources and metrics.
class RowsTest : public fk::ElementTest {
protected:
    void SetUp() override {
        fk::ElementTest::SetUp();
        char value[MAX_PATH] = {};
        GetValue("SKIN", value, sizeof value);
        savedSkin_ = value;
        main_ = new fk::TestSkinWnd(WND_ID_MAIN, 20, 20, 300, 120);
        main_->SetResourceManager(res_.get());
        main_->GetSkinData()->SetRasterOP(SRCAND);
        main_->GetSkinData()->SetTextcolorP(RGB(200, 0, 0));
        main_->GetSkinData()->SetTextcolorN(RGB(0, 0, 0));
        SetTablePodcasts(&feeds_);
        dc_.Reset(CreateCompatibleDC(nullptr));
        HDC screen = GetDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(screen, 400, 60);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_.Get(), bitmap_);
        RECT all = {0, 0, 400, 60};
        FillRect(dc_.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    void TearDown() override {
        SelectObject(dc_.Get(), old_);
        DeleteObject(bitmap_);
        dc_.Reset();
        SetTablePodcasts(nullptr);
        HWND window = main_->GetWindow();
        main_->CloseWindow();
        if (window) DestroyWindow(window);
        SetValue("SKIN", savedSkin_.empty() ? nullptr : savedSkin_.c_str());
        fk::ElementTest::TearDown();
    }
    bool Probe(int x, int y, unsigned* id, unsigned* cell) {
        return fk::DecodeProbe(fk::DcPixel(dc_.Get(), x, y), id, cell);
    }

    fk::TestSkinWnd* main_ = nullptr;
    FeedState feeds_;
    bk::ScopedMemDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::string savedSkin_;
};

TEST_F(RowsTest, PlayRowBuildsItsButtonsOnceAndChoosesTheFavouriteButton) {
    cListe favourites;
    cListElement* fav = new cListElement();
    fav->SetId(42);
    favourites.Add(fav);
    cPlayRowElement row(nullptr, nullptr, 1);
    row.SetId(42);
    row.SetState(ROW_HOVER);
    row.BuildButtons(&favourites);
    EXPECT_EQ(row.GetState(), ROW_NORMAL);
    ASSERT_EQ(row.ButtonCount(), 5);
    EXPECT_NE(row.FindButton(32), nullptr);   // already a favourite: the remove button
    EXPECT_EQ(row.FindButton(29), nullptr);
    row.SetState(ROW_SELECTED);
    row.BuildButtons(nullptr);
    EXPECT_EQ(row.ButtonCount(), 5);
    EXPECT_EQ(row.GetState(), ROW_NORMAL);

    cPlayRowElement plain(nullptr, nullptr, 0);
    plain.BuildButtons(&favourites);
    EXPECT_EQ(plain.ButtonCount(), 0);
    RECT t;
    res_->GetDC(113, &t);
    EXPECT_EQ(plain.GetHeight(), t.bottom - t.top);
    EXPECT_EQ(row.Paint(nullptr, 0, 0, 100, 20, 0, 0), 0);
}

TEST_F(RowsTest, SkinRowButtonsFollowTheStandardSkinAndTheSkinInUse) {
    struct Case {
        const char* text;
        const char* inUse;
        int buttons;
        int deleteEnabled;
    } cases[] = {
        {"Standard\x02\x03" "1.0\x05stockface.dll", "stockface.dll", 0, 0},
        {"Standard\x02\x03" "1.0\x05StockFace.DLL", "other.dll", 0, 0},
        {"Blue\x02\x03" "2.0\x05" "blue.dll", "blue.dll", 2, 0},
        {"Blue\x02\x03" "2.0\x05" "blue.dll", "BLUE.DLL", 2, 0},
        {"Blue\x02\x03" "2.0\x05" "blue.dll", "stockface.dll", 2, 1},
        {"No file name", "blue.dll", 0, 0},
    };
    for (const Case& c : cases) {
        SetValue("SKIN", c.inUse);
        cSkinRowElement row(nullptr);
        row.SetText(c.text);
        row.BuildButtons(nullptr);
        ASSERT_EQ(row.ButtonCount(), c.buttons) << c.text << " / " << c.inUse;
        if (!c.buttons) continue;
        cSkinButton* recommend = row.FindButton(195);
        cSkinButton* remove = row.FindButton(186);
        ASSERT_TRUE(recommend && remove);
        EXPECT_EQ(recommend->IsEnabled(), 1);
        EXPECT_EQ(remove->IsEnabled(), c.deleteEnabled) << c.text << " / " << c.inUse;
        EXPECT_STRNE(recommend->GetToolTipText(), "");
    }
}

TEST_F(RowsTest, StationRowDrawsTheQualityCellAndPlacesItsButtons) {
    struct Case {
        int quality;
        bool icon;
        unsigned cell;
    } cases[] = {{1, true, 0}, {20, true, 19}, {0, false, 0}, {21, false, 0}};
    int cw = res_->GetGfxWidth(116) / 20, ch = res_->GetGfxHeight(116);
    for (const Case& c : cases) {
        RECT all = {0, 0, 400, 60};
        FillRect(dc_.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        cStationRowElement row(nullptr, nullptr, 0, 1);
        row.SetText("Name\x02" "Second");
        row.BuildButtons(nullptr);
        ASSERT_EQ(row.ButtonCount(), 6);
        row.PaintCell(dc_.Get(), 0, 0, 300, 28, 0, 0, 0, 0, nullptr, c.quality);
        unsigned id = 0, cell = 0;
        bool probe = Probe(2, (28 - ch) / 2 + 2, &id, &cell);
        EXPECT_EQ(probe && id == 116, c.icon) << c.quality;
        if (c.icon) EXPECT_EQ(cell, c.cell);
        cSkinButton* play = row.FindButton(1);
        ASSERT_NE(play, nullptr);
        EXPECT_EQ(play->GetRect().left, (c.icon ? cw + 5 : 0) + 1) << c.quality;
        EXPECT_EQ(play->GetRect().top, 1 + 14);   // the lower half
        EXPECT_EQ(row.FindButton(332)->GetRect().right, 300 - 3);
    }
}

TEST_F(RowsTest, PodcastRowsFollowTheirFeedState) {
    // A feed line's busy mark alternates between its two sprites.
    cPodcastRowElement feedRow(nullptr, nullptr, 0, 1);
    feedRow.SetId(3);
    feedRow.SetText("Feed");
    feedRow.BuildButtons(nullptr);
    ASSERT_EQ(feedRow.ButtonCount(), 5);
    EXPECT_FALSE(feedRow.FindButton(381)->IsVisible());   // a feed line shows no play or download button
    feeds_.busy = true;
    // 410 is too small to carry a probe: the strip alternates 411, 410, 411.
    int bh = res_->GetGfxHeight(411);
    for (bool expect411 : {true, false, true}) {
        RECT all = {0, 0, 400, 60};
        FillRect(dc_.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        feedRow.PaintCell(dc_.Get(), 0, 0, 300, 28, 0, 0, 0, 0, nullptr, 0);
        unsigned id = 0, cell = 0;
        EXPECT_EQ(Probe(2, (28 - bh) / 2 + 2, &id, &cell) && id == 411, expect411);
    }
    feeds_.subscribed = false;
    feedRow.PaintCell(dc_.Get(), 0, 0, 300, 28, 0, 0, 0, 0, nullptr, 0);
    EXPECT_NE(feedRow.FindButton(380), nullptr);
    EXPECT_FALSE(feedRow.IsPlayable());

    // An episode: downloading shows cancel, finished shows play, a vanished file download.
    cPodcastRowElement episode(nullptr, nullptr, 0, 1);
    episode.SetId(SubLineId(3, 2));
    episode.SetText("Episode");
    episode.BuildButtons(nullptr);
    EXPECT_TRUE(episode.IsPlayable());
    EXPECT_NE(episode.FindButton(381), nullptr);
    struct Step {
        bool downloading, downloaded;
        DWORD button;
    } steps[] = {{true, false, 382}, {false, true, 1}, {false, false, 381}};
    for (const Step& s : steps) {
        feeds_.downloading = s.downloading;
        feeds_.downloaded = s.downloaded;
        episode.PaintCell(dc_.Get(), 0, 0, 300, 28, 0, 0, 0, 0, nullptr, 0);
        ASSERT_NE(episode.FindButton(s.button), nullptr) << s.button;
        EXPECT_EQ(episode.FindButton(s.button)->GetSprite(), s.button == 1 ? 35u : s.button);
    }
}

TEST_F(RowsTest, HeadingRowStretchesItsBackgroundInsideA15PixelMargin) {
    cHeaderRowElement heading(RGB(0, 0, 255));
    heading.SetText("Section");
    heading.BuildButtons(nullptr);
    EXPECT_EQ(heading.ButtonCount(), 0);
    EXPECT_EQ(heading.Paint(dc_.Get(), 0, 0, 300, 20), 1);
    EXPECT_EQ(fk::DcPixel(dc_.Get(), 10, 1), 0xFFFFFFu);   // the margin stays untouched
    EXPECT_NE(fk::DcPixel(dc_.Get(), 16, 1), 0xFFFFFFu);   // the stretched tile (a gradient)
    EXPECT_EQ(fk::DcPixel(dc_.Get(), 290, 1), 0xFFFFFFu);
}

TEST_F(RowsTest, TimerRowsGetButtonsOnlyWhenWantedAndTipsNever) {
    cTimerRowElement timer(nullptr, nullptr, 0, 1, 0, 0, 1);
    timer.BuildButtons(nullptr);
    ASSERT_EQ(timer.ButtonCount(), 3);
    timer.PaintCell(dc_.Get(), 0, 0, 300, 28, 0, 0, 0, 0, nullptr, 1);
    RECT first = timer.FindButton(316)->GetRect(), second = timer.FindButton(256)->GetRect(),
         third = timer.FindButton(328)->GetRect();
    EXPECT_EQ(first.right, 300 - 3);
    EXPECT_EQ(first.top, 3 + 14);
    EXPECT_EQ(second.right, first.left - 4);
    EXPECT_EQ(second.top, first.top - 2);
    EXPECT_EQ(third.right, second.left - 4);
    EXPECT_EQ(third.top, second.top + 1);
    EXPECT_STRNE(timer.FindButton(256)->GetToolTipText(), "");
    unsigned id = 0, cell = 0;
    int ih = res_->GetGfxHeight(327);
    ASSERT_TRUE(Probe(2, (28 - ih) / 2 + 2, &id, &cell));
    EXPECT_EQ(id, 327u);   // variant 1, state 0

    cProgrammTippRowElement tip(nullptr, nullptr, 0, 0, 0, 0, 0);
    tip.BuildButtons(nullptr);
    EXPECT_EQ(tip.ButtonCount(), 0);
}

}  // namespace
