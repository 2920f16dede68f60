// The table control: its pure pieces (column split, sort order, stored
// layout, repeat schedule, sub-line ids) by tables of cases, and real tables
// in a skinned window: hundreds of station lines scrolled, clicked, sorted
// and photographed; podcast lines opened, closed and exported as playlists;
// timer lines that only act when they have buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "element_fixture.h"
#include "list_store.h"
#include "registry.h"
#include "rows_table.h"
#include "skin_button.h"
#include "skin_wnd_fixture.h"
#include "table_ctrl.h"
#include "tdtest.h"
#include "txtelement.h"
#include "win_handles.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

// ---------------------------------------------------------------- pure pieces

TEST(TableColumnsTest, SplitStopsAtTheEndMarkTheBufferAndTwentyPieces) {
    struct Case {
        std::string text;
        std::vector<std::string> columns;
    } cases[] = {
        {"Radio A\x01" "Pop\x01" "128\x01\x05", {"Radio A", "Pop", "128"}},
        {"a\x01\x01" "c", {"a", "", "c"}},                 // empty middle column kept
        {"only", {"only"}},                                 // no separators, no end mark
        {"\x05tail", {}},                                   // ends at once
        {std::string("x\0y\x01z", 5), {"x", "y", "z"}},     // NULs from an earlier split count too
    };
    for (const Case& c : cases) {
        std::vector<char> buffer(c.text.begin(), c.text.end());
        buffer.push_back(0);
        char* columns[TABLE_MAX_COLUMNS] = {};
        int n = SplitColumns(buffer.data(), c.text.size(), columns);
        ASSERT_EQ(n, static_cast<int>(c.columns.size())) << c.text;
        for (int i = 0; i < n; ++i) EXPECT_EQ(columns[i], c.columns[i]);
    }
    std::string many;
    for (int i = 0; i < 30; ++i) many += std::to_string(i) + "\x01";
    std::vector<char> buffer(many.begin(), many.end());
    char* columns[TABLE_MAX_COLUMNS] = {};
    EXPECT_EQ(SplitColumns(buffer.data(), buffer.size(), columns), TABLE_MAX_COLUMNS);
    EXPECT_STREQ(columns[19], "19");
}

TEST(TableColumnsTest, CompareOrdersNumbersTextsAndMissingColumns) {
    struct Case {
        const char* a;
        const char* b;
        int numeric, descending, expected;
    } cases[] = {
        {"9", "10", 1, 0, -1}, {"10", "9", 1, 0, 1}, {"7", "7", 1, 0, 0},   // equal numbers are equal both ways
        {"9", "10", 0, 0, 1},                                                // as texts "10" comes first
        {"abc", "abd", 0, 0, -1}, {"abc", "abd", 0, 1, 1},                  // descending negates
        {nullptr, "x", 0, 0, -1}, {"x", nullptr, 1, 0, 1}, {nullptr, nullptr, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareColumnTexts(c.a, c.b, c.numeric, c.descending), c.expected)
            << (c.a ? c.a : "null") << " vs " << (c.b ? c.b : "null");
}

// The whole-column sort must give the order the pairwise comparison gives:
// case, accents, ignored marks, digits, texts that start others, missing
// columns, equal texts (which keep their previous order) and numbers.
TEST(TableColumnsTest, ColumnSortKeepsThePairwiseOrder) {
    const std::vector<const char*> names = {
        "Radio Eins", "radio eins", "RADIO EINS", "Radio-Eins", "Radio Eins 2", "Radio", "Radi", "R\xE4" "dio Eins",
        "R\xC4" "dio", "Ra\x02" "dio", "co-op", "coop", "coal", "co op", "O'Neil", "Oneil", "ONeil", "\xC9" "cole", "Ecole",
        "ecole", "\xE6ther", "aether", "Stra\xDF" "e", "Strasse", "Station 00010", "Station 0009", "Station 9",
        "10 Jazz", "9 Jazz", "_under", "~tilde", "", " lead", "zz", "Zz", "\xFF", nullptr, "Radio Eins", nullptr,
        "Jazz & Blues", "Jazz and Blues", "jazz&blues", "\x80uro", "Jazz", "Jazz!", "Jazz?", "#1 Hits", "1 Hits",
    };
    const std::vector<const char*> numbers = {"12", "-3", "0", "12", nullptr, "7 kbit", "x", "2147483647", "-2147483648"};
    for (const auto* set : {&names, &numbers}) {
        const int numeric = set == &numbers ? 1 : 0;
        std::vector<uint32_t> lengths;
        for (const char* t : *set) lengths.push_back(t ? static_cast<uint32_t>(strlen(t)) : 0);
        for (int descending : {0, 1}) {
            std::vector<uint32_t> expected(set->size());
            for (uint32_t i = 0; i < expected.size(); ++i) expected[i] = i;
            std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
                return CompareColumnTexts((*set)[a], (*set)[b], numeric, descending) < 0;
            });
            std::vector<uint32_t> got;
            SortColumnTexts(*set, lengths, numeric, descending, &got);
            ASSERT_EQ(got.size(), expected.size());
            for (size_t i = 0; i < got.size(); ++i)
                EXPECT_EQ(got[i], expected[i]) << "place " << i << ": " << ((*set)[got[i]] ? (*set)[got[i]] : "null")
                                               << " where " << ((*set)[expected[i]] ? (*set)[expected[i]] : "null")
                                               << (numeric ? " numeric" : "") << (descending ? " descending" : "");
        }
    }
    // Column texts are read in place, bounded by their length, not their end.
    std::vector<const char*> inPlace = {"Beta\x01" "1", "Alpha\x01" "2"};
    std::vector<uint32_t> got;
    SortColumnTexts(inPlace, {4, 5}, 0, 0, &got);
    EXPECT_EQ(got, std::vector<uint32_t>({1, 0}));
    size_t length = 0;
    const char text[] = "Name\x01Pop\x01" "128\x01\x05";
    EXPECT_EQ(FindColumn(text, sizeof text - 1, 2, &length), text + 9);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(FindColumn(text, sizeof text - 1, 3, &length), nullptr);
}

TEST(TableColumnsTest, SubLineIdsCarryTheirParentAndIndex) {
    EXPECT_EQ(SubLineId(7, 3), 0x70000u + 0xFF0000u + 3u);
    EXPECT_TRUE(IsSubLineId(SubLineId(7, 3)));
    EXPECT_FALSE(IsSubLineId(0xFF0000));
    EXPECT_EQ(ParentOfSubLine(SubLineId(7, 3)), 7u);
    EXPECT_EQ(SubIndexOf(SubLineId(7, 3)), 3);
    EXPECT_EQ(ParentOfSubLine(SubLineId(kMaxExpandableId, 1)), kMaxExpandableId);
}

TEST(TableColumnsTest, FeedTextsStayInOneBufferPerColumn) {
    cTableLine line;
    line.SetKind(TABLE_PODCASTS);
    const char text[] = "Feed\x01" "\x01" "ok\x01\x05";
    line.SetData(text, sizeof text - 1, 0, 0);
    EXPECT_EQ(line.GetColumnCount(), 3);
    line.SetColumnText(1, "12:00");
    char* first = line.GetColumnText(1);
    std::string longText(1000, 'x');
    line.SetColumnText(1, longText.c_str());
    EXPECT_EQ(line.GetColumnText(1), first);   // overwritten in place, never freed under a painter
    EXPECT_EQ(strlen(line.GetColumnText(1)), static_cast<size_t>(cTableLine::FEED_TEXT_SIZE - 1));
    line.SetColumnText(25, "ignored");
    line.SetColumnText(1, nullptr);
    EXPECT_EQ(line.GetColumnText(1), nullptr);
}

TEST(TableColumnsTest, TimerDateCellsUseTheCatalogueTexts) {
    struct Case {
        std::string cell;
        int language;
        const char* expected;
    } cases[] = {
        {"2026\x02" "12\x02" "24\x02" "08\x02" "05\x02" "09\x02" "30", 1, "24.12.2026 |  08:05 - 09:30 Uhr"},
        {"2026\x02" "12\x02" "24\x02" "08\x02" "05\x02" "09\x02" "30", 2, "24.12.2026 |  08:05 to 09:30 "},
        {"2026\x02" "12\x02" "24\x02" "08\x02" "05", 1, "24.12.2026 |  08:05 Uhr"},
        {"2026\x02" "12", 2, ".12.2026 |  :"},   // missing parts stay empty
        // More than seven parts: the first seven count.
        {"2026\x02" "1\x02" "2\x02" "3\x02" "4\x02" "5\x02" "6\x02" "7\x02" "8", 1, "2.1.2026 |  3:4 - 5:6 Uhr"},
    };
    for (const Case& c : cases) {
        char out[256];
        FormatTimerDateCell(c.cell.c_str(), c.language, out, sizeof out);
        EXPECT_STREQ(out, c.expected) << c.cell;
    }
}

TEST(TableLayoutTest, StoredValueOverridesOnlyWhatItHoldsAndBadNumbersAreIgnored) {
    auto defaults = [] {
        TableLayout l;
        for (int i = 0; i < TABLE_MAX_COLUMNS; ++i) {
            l.widths[i] = 70;
            l.directions[i] = 0;
        }
        l.sortColumn = 0;
        return l;
    };
    TableLayout l = defaults();
    ParseTableLayout("200\x01" "90\x01", &l);            // fewer than 61 numbers
    EXPECT_EQ(l.widths[0], 200);
    EXPECT_EQ(l.widths[1], 90);
    EXPECT_EQ(l.widths[2], 70);
    EXPECT_EQ(l.sortColumn, 0);

    l = defaults();
    std::string value;
    for (int i = 0; i < 20; ++i) value += "x\x01";                  // widths that are no numbers
    for (int i = 0; i < 20; ++i) value += (i == 3 ? "1\x01" : "0\x01");
    for (int i = 0; i < 20; ++i) value += "1\x01";                  // numeric flags are not taken
    value += "57\x01";                                               // a column that does not exist
    ParseTableLayout(value.c_str(), &l);
    EXPECT_EQ(l.widths[0], 70);
    EXPECT_EQ(l.directions[3], 1);
    EXPECT_EQ(l.sortColumn, 0);

    TableLayout out = defaults();
    out.widths[0] = 165;
    out.sortColumn = 4;
    int numeric[TABLE_MAX_COLUMNS] = {};
    numeric[5] = 1;
    char text[1024];
    FormatTableLayout(out, numeric, text, sizeof text);
    EXPECT_EQ(std::string(text).substr(0, 10), "165\x01" "70\x01" "70\x01");
    TableLayout back = defaults();
    ParseTableLayout(text, &back);
    EXPECT_EQ(back.widths[0], 165);
    EXPECT_EQ(back.sortColumn, 4);
}

TEST(TableLayoutTest, ColumnWidthsAreClampedByKind) {
    struct Case {
        int kind, column, width, expected;
    } cases[] = {
        {0, 0, 500, 270}, {0, 0, 50, 120}, {0, 0, 200, 200},
        {TABLE_TIPS, 0, 200, 0},                     // the first column of programme tips stays hidden
        {0, 3, 5, 20}, {0, 3, 300, 300}, {TABLE_PODCASTS, 2, 99999, cTableGrid::WIDTH_LIMIT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampColumnWidth(c.kind, c.column, c.width), c.expected) << c.kind << "/" << c.column;
}

TEST(TableRepeatTest, HeldArrowSpeedsUpToTwentyPixelsEveryTenMilliseconds) {
    int interval = 200, step = 0;
    std::vector<int> steps, intervals;
    for (int i = 0; i < 21; ++i) {
        interval = cTableCtrl::NextRepeat(interval, &step);
        steps.push_back(step);
        intervals.push_back(interval);
    }
    EXPECT_EQ(intervals[0], 190);
    EXPECT_EQ(steps[0], 1);
    EXPECT_EQ(steps[1], 2);    // 180
    EXPECT_EQ(steps[3], 4);    // 160
    EXPECT_EQ(steps[5], 6);    // 140
    EXPECT_EQ(steps[11], 8);   // 80
    EXPECT_EQ(intervals[19], 10);
    EXPECT_EQ(steps[19], 20);
    EXPECT_EQ(intervals[20], 10);
    EXPECT_EQ(steps[20], 20);
}

TEST(TableRowsTest, TimerIconsFollowVariantStateAndFlag) {
    struct Case {
        int variant, state, flag;
        unsigned icon;
    } cases[] = {
        {0, 0, 0, 324}, {0, 3, 0, 342}, {0, 4, 0, 362}, {0, 1, 1, 334}, {0, 2, 0, 338},
        {2, 4, 1, 336}, {2, 4, 0, 340},              // no own sprite for state 4: the flag decides
        {3, 4, 0, 363}, {1, 9, 1, 335}, {4, 0, 0, 0}, {-1, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cTimerRowElement::StateIcon(c.variant, c.state, c.flag), c.icon)
            << c.variant << "/" << c.state << "/" << c.flag;
}

// ---------------------------------------------------------------- real tables

// Podcast feeds as the table sees them, recorded.
class FakePodcasts : public cTablePodcasts {
public:
    struct Episode {
        std::string title, path;
        int duration = 0;
        bool downloaded = true, downloading = false;
    };
    struct Feed {
        int subscribed = 1;
        bool expanded = false;
        std::map<int, Episode> episodes;
        std::map<int, cTableLine*> rows;
    };
    std::map<unsigned long, Feed> feeds;
    std::vector<std::string> calls;

    Feed* F(unsigned long id) {
        auto it = feeds.find(id);
        return it == feeds.end() ? nullptr : &it->second;
    }
    bool HasFeed(unsigned long feed) override { return F(feed) != nullptr; }
    int IsSubscribed(unsigned long feed) override { return F(feed) ? F(feed)->subscribed : 0; }
    void SetSubscribed(unsigned long feed, int s) override {
        if (F(feed)) F(feed)->subscribed = s;
        calls.push_back("subscribe " + std::to_string(feed));
    }
    bool IsExpanded(unsigned long feed) override { return F(feed) && F(feed)->expanded; }
    void SetExpanded(unsigned long feed, int e) override {
        if (F(feed)) F(feed)->expanded = e != 0;
    }
    bool IsBusy(unsigned long) override { return false; }
    bool HasNewEpisodes(unsigned long) override { return false; }
    bool IsEpisodeDownloading(unsigned long feed, int e) override {
        return F(feed) && F(feed)->episodes[e].downloading;
    }
    bool IsEpisodeDownloaded(unsigned long feed, int e) override {
        return F(feed) && F(feed)->episodes.count(e) && F(feed)->episodes[e].downloaded;
    }
    bool IsEpisodeNew(unsigned long, int) override { return false; }
    void SetEpisodeRow(unsigned long feed, int e, cTableLine* line) override {
        if (!F(feed)) return;
        if (line) F(feed)->rows[e] = line;
        else F(feed)->rows.erase(e);
    }
    void ClearRows() override {
        for (auto& f : feeds) f.second.rows.clear();
        calls.push_back("clear rows");
    }
    bool GetUrl(unsigned long feed, char* buffer, size_t size) override {
        return F(feed) && bk::TextFormat(buffer, size, "http://feeds.test/%lu.xml", feed);
    }
    void StartDownload(unsigned long feed, int e) override {
        calls.push_back("download " + std::to_string(feed) + " " + std::to_string(e));
    }
    void CancelEpisodeDownload(unsigned long feed, int e) override {
        calls.push_back("cancel " + std::to_string(feed) + " " + std::to_string(e));
    }
    // Runs while the question is open (a feed refresh rebuilding the view).
    std::function<void()> duringQuestion;
    int DeleteWithConfirm(unsigned long feed, int e) override {
        calls.push_back("delete " + std::to_string(feed) + " " + std::to_string(e));
        if (duringQuestion) duringQuestion();
        return 1;
    }
    void IncPlayCount(unsigned long, int) override {}
    bool GetEpisodeFilePath(unsigned long feed, int e, char* buffer, size_t size) override {
        return F(feed) && bk::TextCopy(buffer, size, F(feed)->episodes[e].path.c_str());
    }
    int GetEpisodeDuration(unsigned long feed, int e) override {
        return F(feed) ? F(feed)->episodes[e].duration : -1;
    }
    bool GetTitle(unsigned long feed, int e, char* buffer, size_t size) override {
        if (!F(feed)) return false;
        return bk::TextCopy(buffer, size, e == 0 ? "Feed title" : F(feed)->episodes[e].title.c_str());
    }
};

class RecordingEvents : public cTableEvents {
public:
    struct Call {
        int code, number;
        std::string text;
    };
    std::vector<Call> callbacks;
    std::vector<int> menus;
    std::vector<unsigned long> items;
    int playlistAnswer = 1;
    std::string playedPath;
    int playedKind = 0, playedIndex = -1;
    std::vector<std::string> handedPaths;
    bool mainWindow = true;

    int HostCallback(int code, int number, void* text) override {
        Call c{code, number, ""};
        if (code == 80) {
            *static_cast<int*>(text) = playlistAnswer;
        } else if (code == 81) {
            for (const char* p = static_cast<const char*>(text); *p; p += strlen(p) + 1) handedPaths.push_back(p);
        } else if (text) {
            c.text = static_cast<const char*>(text);
        }
        callbacks.push_back(c);
        return 0;
    }
    bool HasMainWindow() override { return mainWindow; }
    int ShowContextMenu(HWND, int, int, int subMenu) override {
        menus.push_back(subMenu);
        return 1;
    }
    void SetContextItemId(cSkinWnd*, unsigned long id) override { items.push_back(id); }
    void PlayEpisode(int kind, const char* path, const char* title, int index) override {
        playedKind = kind;
        playedPath = path;
        playedIndex = index;
    }
};

class TableTest : public fk::ElementTest {
protected:
    void SetUp() override {
        fk::ElementTest::SetUp();
        for (int kind : {0, static_cast<int>(TABLE_TIMERS), static_cast<int>(TABLE_TIPS), static_cast<int>(TABLE_PODCASTS)}) {
            char name[16], value[1024] = {};
            bk::TextFormat(name, sizeof name, "TAB%d", kind);
            GetValue(name, value, sizeof value);
            saved_[name] = value;
            SetValue(name, static_cast<const char*>(nullptr));
        }
        nav_ = new fk::TestSkinWnd(WND_ID_NAVIGATOR, 40, 40, 640, 480);
        nav_->SetResourceManager(res_.get());
        cVelmoSkinData* skin = nav_->GetSkinData();
        skin->SetRasterOP(SRCAND);
        skin->SetTableLineColor(RGB(90, 90, 90));
        skin->SetTextcolorN(RGB(20, 20, 20));
        skin->SetTextcolorO(RGB(0, 0, 160));
        skin->SetTextcolorP(RGB(160, 0, 0));
        skin->SetTextcolorBalken(RGB(30, 30, 30));
        skin->SetUnableToPlayColor(RGB(150, 150, 150));
        SetTableEvents(&events_);
        SetTablePodcasts(&podcasts_);
    }
    void TearDown() override {
        table_.reset();
        HWND window = nav_->GetWindow();
        nav_->CloseWindow();
        if (window) DestroyWindow(window);
        nav_ = nullptr;
        SetTableEvents(nullptr);
        SetTablePodcasts(nullptr);
        for (auto& v : saved_) SetValue(v.first.c_str(), v.second.empty() ? nullptr : v.second.c_str());
        fk::ElementTest::TearDown();
    }
    cTableCtrl* Make(int kind, const char* titles) {
        table_.reset(new cTableCtrl(nav_, res_.get(), kind, RECT{10, 10, 610, 410}, 77));
        table_->SetColumnTitles(titles);
        return table_.get();
    }
    void Rebuild(int sortable) {
        SendMessageA(table_->GetWindow(), WM_TABLE_REBUILD, sortable, 0);
        fk::PumpPasses(2);
    }
    // Client point of a line's cell (0-based line from the top shown).
    POINT LinePoint(int shownLine, int column) {
        cTableGrid* g = table_->GetGrid();
        int x = 5;
        for (int c = 0; c < column; ++c) x += g->GetColumnWidth(c);
        return POINT{x, g->GetHeaderHeight() + shownLine * g->GetRowHeight() + 6};
    }
    void Click(POINT p) {
        SendMessageA(table_->GetWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageA(table_->GetWindow(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        fk::PumpPasses(2);
    }
    std::vector<fk::TestSkinWnd::Msg> Posted(UINT msg) {
        std::vector<fk::TestSkinWnd::Msg> out;
        for (auto& m : nav_->received)
            if (m.msg == msg) out.push_back(m);
        return out;
    }
    std::vector<std::string> FirstColumn() {
        std::vector<std::string> out;
        for (int i = 0; i < table_->GetGrid()->GetLineCount(); ++i) {
            const char* t = table_->GetGrid()->GetLine(i)->GetColumnText(0);
            out.push_back(t ? t : "(null)");
        }
        return out;
    }

    fk::TestSkinWnd* nav_ = nullptr;   // the window list owns it
    std::unique_ptr<cTableCtrl> table_;
    RecordingEvents events_;
    FakePodcasts podcasts_;
    std::map<std::string, std::string> saved_;
};

TEST_F(TableTest, ThreeHundredStationsScrollClickSortAndShow) {
    Make(0, "Sender\x01Genre\x01" "Bitrate\x01Land\x01Sprache\x01Rang");
    char text[256];
    for (int i = 0; i < 300; ++i) {
        bk::TextFormat(text, sizeof text, "Station %03d\x02 Live\x01Genre %d\x01%d kbit\x01" "DE\x01" "de\x01%d\x01\x05",
                       i, i % 7, 32 + (i % 5) * 32, (i * 37) % 300);
        table_->AddText(text, 1000 + i);
    }
    table_->AddRow("orphan\x01\x05", 424242, 5);   // no line with that parent: dropped
    Rebuild(1);
    ASSERT_NE(table_->GetVScrollBar(), nullptr);
    ASSERT_NE(table_->GetHScrollBar(), nullptr);
    EXPECT_EQ(table_->GetRowCount(), 300);
    EXPECT_EQ(table_->GetContentHeight(), 300 * 28);

    // Scrolling: past the end keeps the position, 0 or below goes to the top.
    table_->SetPosition(28 * 10 + 5, 1);
    EXPECT_EQ(table_->GetTopRow(), 10);
    EXPECT_EQ(table_->GetRowOffset(), 5);
    table_->SetPosition(28 * 300, 1);
    EXPECT_EQ(table_->GetTopRow(), 10);
    table_->SetPosition(-4, 1);
    EXPECT_EQ(table_->GetTopRow(), 0);
    EXPECT_EQ(table_->GetRowOffset(), 0);
    table_->SetTopRow(301);
    EXPECT_EQ(table_->GetTopRow(), 0);

    // An arrow press scrolls 5 pixels at once; the release stops the repeat.
    SendMessageA(table_->GetWindow(), WM_TABLE_ARROW_PRESSED, 0, SB_DOWN_ARROW);
    EXPECT_EQ(table_->GetVPosition(), 5);
    EXPECT_TRUE(table_->IsRepeating());
    SendMessageA(table_->GetWindow(), WM_TIMER, 10, 0);
    EXPECT_EQ(table_->GetVPosition(), 6);
    EXPECT_EQ(table_->GetRepeatInterval(), 190);
    EXPECT_EQ(SendMessageA(table_->GetWindow(), WM_TIMER, 99, 0), 1);
    SendMessageA(table_->GetWindow(), WM_TABLE_ARROW_RELEASED, 0, SB_DOWN_ARROW);
    EXPECT_FALSE(table_->IsRepeating());
    table_->SetPosition(0, 1);

    // A click on a plain line tells the owner the line's id.
    nav_->received.clear();
    Click(LinePoint(2, 1));
    auto lines = Posted(TABLE_POST_STATION_LINE);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].wParam, table_->GetGrid()->GetLineId(2));

    // Header clicks: rank (numeric) ascending, the same column again descending.
    POINT rank = LinePoint(0, 5);
    rank.y = 5;
    table_->GetGrid()->SortByColumn(0);
    Click(rank);
    EXPECT_EQ(table_->GetGrid()->GetSortColumn(), 5);
    int previous = -1;
    bool ascending = true;
    for (int i = 0; i < table_->GetGrid()->GetLineCount(); ++i) {
        int v = atoi(table_->GetGrid()->GetLine(i)->GetColumnText(5));
        if (v < previous) ascending = false;
        previous = v;
    }
    EXPECT_TRUE(ascending);
    Click(rank);
    EXPECT_EQ(table_->GetGrid()->GetSortDirection(5), 1);
    EXPECT_EQ(atoi(table_->GetGrid()->GetLine(0)->GetColumnText(5)), 299);

    // Hover highlights a line; the picture goes to the artifacts.
    SendMessageA(table_->GetWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(LinePoint(1, 1).x, LinePoint(1, 1).y));
    EXPECT_EQ(table_->GetGrid()->GetHoverRow(), 1);
    RedrawWindow(table_->GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    fk::PumpPasses(2);
    EXPECT_TRUE(tdtest::SaveWindowPng(nav_->GetWindow(), tdtest::ArtifactDir() + "\\table_stations.png"));
    // The composed picture is not the bare background: lines were drawn.
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(tdtest::CaptureWindow(table_->GetWindow(), &w, &h, &pixels));
    uint32_t background = fk::ToRgb(res_->GetPixel(83));
    int differing = 0;
    for (uint32_t p : pixels)
        if (p != background) ++differing;
    EXPECT_GT(differing, w * h / 50);
}

TEST_F(TableTest, ColumnBorderDragStopsAtItsLimitsAndWidthsAreStored) {
    Make(0, "Sender\x01Genre\x01" "Bitrate");
    for (int i = 0; i < 5; ++i) table_->AddText("Name\x01Pop\x01" "128\x01\x05", i + 1);
    Rebuild(1);
    cTableGrid* g = table_->GetGrid();
    int border = g->GetColumnWidth(0);   // 165 by default
    HWND w = table_->GetWindow();
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(border, 40));
    EXPECT_EQ(table_->GetDragMode(), 3);
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(border + 400, 40));
    EXPECT_EQ(g->GetColumnWidth(0), 270);
    // Moving back does not shrink until the mouse is at the stopped border again.
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(border + 300, 40));
    EXPECT_EQ(g->GetColumnWidth(0), 270);
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(270 - 20, 40));
    EXPECT_EQ(g->GetColumnWidth(0), 250);
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(250, 40));
    EXPECT_EQ(table_->GetDragMode(), 0);
    RECT hbar = table_->GetHScrollBar()->GetRect();
    EXPECT_EQ(hbar.left, 250);   // the horizontal bar starts after the first column
    table_.reset();
    char value[1024] = {};
    GetValue("TAB0", value, sizeof value);
    EXPECT_EQ(std::string(value).substr(0, 4), "250\x01");
}

TEST_F(TableTest, ScrollTrackClickJumpsTheThumbAndDragsOn) {
    Make(0, "Sender\x01Genre");
    for (int i = 0; i < 200; ++i) table_->AddText("Name\x01Pop\x01\x05", i + 1);
    Rebuild(1);
    cScrollBar* bar = table_->GetVScrollBar();
    RECT r = bar->GetRect();
    int x = (r.left + r.right) / 2, y = r.bottom - 40;
    SendMessageA(table_->GetWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    EXPECT_EQ(table_->GetDragMode(), 2);
    RECT thumb = bar->GetThumbRect();
    EXPECT_LE(thumb.top, y);
    EXPECT_GE(thumb.bottom + 1, y);
    int after = table_->GetVPosition();
    EXPECT_GT(after, 0);
    SendMessageA(table_->GetWindow(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, r.bottom + 500));
    EXPECT_EQ(table_->GetVPosition(), bar->GetMaximum());
    SendMessageA(table_->GetWindow(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// A directory-sized table holds line objects only for what is in view, and
// its cell tips are the same tools from render to render, told their new
// texts.
TEST_F(TableTest, OnlyTheLinesInViewAreMadeAndCellTipsAreKept) {
    constexpr int kRows = 5000;
    Make(0, "Sender\x01Genre\x01" "Bitrate\x01Land\x01Sprache\x01Rang");
    char text[128];
    for (int i = 0; i < kRows; ++i) {
        bk::TextFormat(text, sizeof text, "Station %04d\x01Genre %d\x01" "128\x01" "DE\x01" "de\x01%d\x01\x05", kRows - 1 - i,
                       i % 7, i);
        table_->AddText(text, 1000 + i);
    }
    Rebuild(1);
    cTableGrid* g = table_->GetGrid();
    ASSERT_EQ(g->GetLineCount(), kRows);
    const int page = (410 - 10) / g->GetRowHeight() + 2;
    EXPECT_LE(g->GetMadeLineCount(), page);
    EXPECT_STREQ(g->GetLine(0)->GetColumnText(0), "Station 0000");   // sorted by name
    EXPECT_EQ(g->GetLineId(0), 1000u + kRows - 1);

    std::vector<const cListElement*> tips;
    for (cListElement* e = g->GetToolTips()->First(); e; e = e->Next()) tips.push_back(e);
    ASSERT_FALSE(tips.empty());
    EXPECT_STREQ(static_cast<cTableCellTip*>(g->GetToolTips()->First())->GetTipText(), "Station 0000");

    // Down the whole table by the thumb: the lines left behind go.
    cScrollBar* bar = table_->GetVScrollBar();
    const RECT thumb = bar->GetThumbRect(), track = bar->GetRect();
    const int x = (thumb.left + thumb.right) / 2;
    int y = (thumb.top + thumb.bottom) / 2;
    SendMessageA(table_->GetWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    for (; y <= track.bottom + 20; y += 7) SendMessageA(table_->GetWindow(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(table_->GetWindow(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    EXPECT_GT(table_->GetTopRow(), kRows - page);
    EXPECT_LE(g->GetMadeLineCount(), 4 * page + 64);
    std::vector<const cListElement*> after;
    for (cListElement* e = g->GetToolTips()->First(); e; e = e->Next()) after.push_back(e);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.front(), tips.front());
    char expected[64];
    bk::TextFormat(expected, sizeof expected, "Station %04d", table_->GetTopRow());
    EXPECT_STREQ(static_cast<cTableCellTip*>(g->GetToolTips()->First())->GetTipText(), expected);

    // A line far from the view is made when asked for, by place or by id.
    cTableLine* away = g->GetLine(17);
    ASSERT_NE(away, nullptr);
    EXPECT_STREQ(away->GetColumnText(0), "Station 0017");
    EXPECT_EQ(table_->GetRowById(away->GetId()), away);
    EXPECT_EQ(g->FindLine(1000 + kRows - 1 - 17), 17);

    // Sorted by rank, numerically: every line follows, made or not.
    POINT rank = LinePoint(0, 5);
    rank.y = 5;
    Click(rank);
    ASSERT_EQ(g->GetSortColumn(), 5);
    EXPECT_EQ(g->GetLineId(0), 1000u);
    EXPECT_EQ(g->GetLineId(kRows - 1), 1000u + kRows - 1);
    EXPECT_STREQ(g->GetLine(kRows - 1)->GetColumnText(0), "Station 0000");
}

// The station table at the size of a whole directory: filling it, a page
// repaint and dragging the scroll thumb from top to bottom.
TEST_F(TableTest, BenchSixtyThousandStations) {
    if (!tdtest::BenchRequested()) GTEST_SKIP() << "a benchmark (scripts/bench)";
    using Clock = std::chrono::steady_clock;
    auto since = [](Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); };
    constexpr int kRows = 60000;
    Make(0, "Sender\x01Genre\x01" "Bitrate\x01Land\x01Sprache\x01Rang");
    char text[256];
    for (int i = 0; i < kRows; ++i) {
        bk::TextFormat(text, sizeof text, "Station %05d\x02 Live\x01Genre %d\x01%d kbit\x01" "DE\x01" "de\x01%d\x01\x05",
                       i, i % 7, 32 + (i % 5) * 32, (i * 37) % kRows);
        table_->AddText(text, 1000 + i);
    }
    // The sort by name alone, over the entries as the table holds them.
    {
        const TableEntries& entries = table_->GetTextEntries();
        std::vector<const char*> names(entries.Count());
        std::vector<uint32_t> lengths(entries.Count());
        for (size_t i = 0; i < entries.Count(); ++i) {
            size_t length = 0;
            names[i] = FindColumn(entries.Text(i), entries.at[i].length, 0, &length);
            lengths[i] = static_cast<uint32_t>(length);
        }
        std::vector<double> sorts;
        std::vector<uint32_t> order;
        for (int round = 0; round < 5; ++round) {
            Clock::time_point s0 = Clock::now();
            SortColumnTexts(names, lengths, 0, round % 2, &order);
            sorts.push_back(since(s0));
        }
        printf("[ BENCH    ] station table of %d rows: sort by name alone, median of 5: %.1f ms\n", kRows,
               tdtest::Median(sorts));
    }
    Clock::time_point t0 = Clock::now();
    SendMessageA(table_->GetWindow(), WM_TABLE_REBUILD, 1, 0);
    UpdateWindow(table_->GetWindow());
    const double fill = since(t0);
    ASSERT_EQ(kRows, table_->GetRowCount());

    std::vector<double> repaint;
    for (int round = 0; round < 5; ++round) {
        t0 = Clock::now();
        table_->Refresh(1);
        UpdateWindow(table_->GetWindow());
        repaint.push_back(since(t0));
    }

    cScrollBar* bar = table_->GetVScrollBar();
    ASSERT_NE(bar, nullptr);
    const RECT thumb = bar->GetThumbRect(), track = bar->GetRect();
    const int x = (thumb.left + thumb.right) / 2;
    int y = (thumb.top + thumb.bottom) / 2;
    SendMessageA(table_->GetWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    double slowest = 0;
    std::vector<double> step;
    for (; y <= track.bottom; y += 2) {
        t0 = Clock::now();
        SendMessageA(table_->GetWindow(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
        UpdateWindow(table_->GetWindow());
        step.push_back(since(t0));
        slowest = std::max(slowest, step.back());
    }
    SendMessageA(table_->GetWindow(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    EXPECT_GT(table_->GetTopRow(), kRows / 2);   // the drag reached the lower half
    // The slowest step is one sample: on a busy machine a single wait for
    // the processor decides it, so the median step goes with it.
    printf("[ BENCH    ] station table of %d rows: thumb dragged in %zu steps, median step %.1f ms\n", kRows,
           step.size(), tdtest::Median(step));
    tdtest::Figure("station table fill, 60000 rows", fill, "ms", 10);
    tdtest::Figure("station table page repaint, 60000 rows", tdtest::Median(repaint), "ms", 16);
    tdtest::Figure("station table thumb drag, slowest step, 60000 rows", slowest, "ms", 16);
}

TEST_F(TableTest, TimerLinesActOnlyWithButtonsAndRightClicksPickTheirMenu) {
    Make(TABLE_TIMERS, "Name\x01Sender\x01" "Datum\x01Wiederholen\x01Status");
    // Column 6 is the entry state: 2 has no buttons.
    table_->AddText("Morgen\x01" "SWR\x01" "2026\x02" "12\x02" "24\x02" "08\x02" "00\x01nie\x01ok\x01" "0\x01" "0\x01" "0\x01" "0\x01\x05", 1);
    table_->AddText("Abend\x01" "NDR\x01" "2026\x02" "12\x02" "25\x01nie\x01ok\x01" "0\x01" "2\x01" "0\x01" "0\x01\x05", 2);
    Rebuild(1);
    cTableLine* active = table_->GetRowById(1);
    cTableLine* done = table_->GetRowById(2);
    ASSERT_TRUE(active && done && active->GetTimerRow() && done->GetTimerRow());
    EXPECT_EQ(active->GetTimerRow()->ButtonCount(), 3);
    // Cell tool tips: the date cell reads as a date, the first column as its text.
    std::vector<std::string> tips;
    for (cListElement* e = table_->GetGrid()->GetToolTips()->First(); e; e = e->Next())
        tips.push_back(static_cast<cTableCellTip*>(e)->GetTipText());
    EXPECT_NE(std::find(tips.begin(), tips.end(), "24.12.2026 |  08:00 Uhr"), tips.end());
    EXPECT_NE(std::find(tips.begin(), tips.end(), "Morgen"), tips.end());
    EXPECT_EQ(done->GetTimerRow()->ButtonCount(), 0);
    int activeIndex = table_->GetGrid()->GetLine(0) == active ? 0 : 1;

    nav_->received.clear();
    Click(LinePoint(activeIndex, 1));
    Click(LinePoint(1 - activeIndex, 1));
    auto posted = Posted(TABLE_POST_TIMER);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, 2u);   // id + 1

    POINT p = LinePoint(activeIndex, 1);
    EXPECT_EQ(table_->OnContextMenu(p.x, p.y), 1);
    p = LinePoint(1 - activeIndex, 1);
    EXPECT_EQ(table_->OnContextMenu(p.x, p.y), 1);
    EXPECT_EQ(events_.menus, std::vector<int>({14}));          // only the line with buttons
    EXPECT_EQ(events_.items, std::vector<unsigned long>({2, 3}));
    EXPECT_EQ(table_->OnContextMenu(p.x, 5), 0);              // header band
    EXPECT_EQ(table_->OnContextMenu(p.x, LinePoint(5, 1).y), 0);   // below the last line
    events_.mainWindow = false;
    EXPECT_EQ(table_->OnContextMenu(LinePoint(0, 1).x, LinePoint(0, 1).y), 0);
}

TEST_F(TableTest, StationButtonsPostTheirMessagesAndFavouritesGetTheRemoveButton) {
    Make(1, "Sender\x01Genre");
    table_->AddText("Radio Eins\x02 Berlin\x01Pop\x01\x05", 501);
    Rebuild(0);
    cTableLine* line = table_->GetRowById(501);
    ASSERT_TRUE(line && line->GetRow());
    cRowElement* row = line->GetRow();
    EXPECT_NE(row->FindButton(29), nullptr);   // not a favourite: add button
    EXPECT_EQ(row->FindButton(32), nullptr);
    struct Case {
        DWORD button;
        UINT posted;
    } cases[] = {{1, TABLE_POST_PLAY}, {332, TABLE_POST_332}, {39, TABLE_POST_DETAILS}, {29, TABLE_POST_FAVOURITE_ADD}};
    for (const Case& c : cases) {
        cSkinButton* b = row->FindButton(c.button);
        ASSERT_NE(b, nullptr) << c.button;
        RECT r = b->GetRect();
        ASSERT_LT(r.left, r.right) << c.button;
        // Button rectangles are in the first column's surface: add the header.
        POINT p = {(r.left + r.right) / 2, table_->GetGrid()->GetHeaderHeight() + (r.top + r.bottom) / 2};
        nav_->received.clear();
        Click(p);
        auto got = Posted(c.posted);
        ASSERT_EQ(got.size(), 1u) << c.button;
        EXPECT_EQ(got[0].wParam, 501u);
        EXPECT_TRUE(Posted(TABLE_POST_STATION_LINE).empty()) << c.button;
    }
    cSkinButton* page = row->FindButton(189);
    ASSERT_NE(page, nullptr);
    RECT r = page->GetRect();
    events_.callbacks.clear();
    Click(POINT{(r.left + r.right) / 2, table_->GetGrid()->GetHeaderHeight() + (r.top + r.bottom) / 2});
    ASSERT_EQ(events_.callbacks.size(), 1u);
    EXPECT_EQ(events_.callbacks[0].code, 5);
    EXPECT_EQ(events_.callbacks[0].number, 501);
}

TEST_F(TableTest, FavouriteAndOwnStationRowsOfferRemovalAndPlay) {
    {
        cListStore& store = GetListStore();
        bk::ScopedLock hold(store.Lock());
        store.List(LS_FAVOURITES)->Delete();
        auto* favourite = new cFavoritenElement();
        favourite->SetId(501);
        favourite->SetText("Radio Eins");
        store.List(LS_FAVOURITES)->Add(favourite);
    }
    Make(1, "Sender\x01Genre");
    const unsigned long own = 0xFFFF0001;   // the first station a user entered
    table_->AddText("Radio Eins\x02 Berlin\x01Pop\x01\x05", 501);
    table_->AddText("Mein Radio\x01Pop\x01\x05", own);
    Rebuild(0);
    struct Case {
        unsigned long id;
        DWORD button;
        UINT posted;
    } cases[] = {{501, 32, TABLE_POST_FAVOURITE_REMOVE}, {own, 1, TABLE_POST_PLAY}, {own, 29, TABLE_POST_FAVOURITE_ADD}};
    for (const Case& c : cases) {
        cTableLine* line = table_->GetRowById(c.id);
        ASSERT_TRUE(line && line->GetRow()) << c.id;
        if (c.id == 501) EXPECT_EQ(line->GetRow()->FindButton(29), nullptr);
        cSkinButton* b = line->GetRow()->FindButton(c.button);
        ASSERT_NE(b, nullptr) << c.button;
        int shown = table_->GetGrid()->GetLine(0) == line ? 0 : 1;
        RECT r = b->GetRect();
        POINT p = {(r.left + r.right) / 2, table_->GetGrid()->GetHeaderHeight() + shown * table_->GetGrid()->GetRowHeight() +
                                               (r.top + r.bottom) / 2 - (r.top / table_->GetGrid()->GetRowHeight()) *
                                                                            table_->GetGrid()->GetRowHeight()};
        nav_->received.clear();
        Click(p);
        auto got = Posted(c.posted);
        ASSERT_EQ(got.size(), 1u) << c.button << " on " << c.id;
        EXPECT_EQ(got[0].wParam, c.id);
    }
    cListStore& store = GetListStore();
    bk::ScopedLock hold(store.Lock());
    store.List(LS_FAVOURITES)->Delete();
}

TEST_F(TableTest, ArrowWindowsSitOnTheBarInTheTableAndScrollIt) {
    Make(0, "Sender\x01Genre");
    for (int i = 0; i < 200; ++i) table_->AddText("Name\x01Pop\x01\x05", i + 1);
    Rebuild(1);
    cScrollBar* bar = table_->GetVScrollBar();
    cWndButton* down = bar->GetSecondArrow();
    ASSERT_NE(down, nullptr);
    HWND arrow = down->GetWindow();
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(GetParent(arrow), table_->GetWindow());
    // The arrow lies at the lower end of the bar, in the table's coordinates.
    RECT placed;
    GetWindowRect(arrow, &placed);
    MapWindowPoints(nullptr, table_->GetWindow(), reinterpret_cast<POINT*>(&placed), 2);
    RECT r = bar->GetRect();
    EXPECT_EQ(placed.left, r.left);
    EXPECT_LE(placed.bottom, r.bottom);
    EXPECT_GT(placed.top, (r.top + r.bottom) / 2);

    // A press on the arrow's own window scrolls and repeats until the release.
    ShowWindow(nav_->GetWindow(), SW_SHOWNOACTIVATE);
    fk::PumpPasses(2);
    int before = table_->GetVPosition();
    POINT inside = {(placed.right - placed.left) / 2, (placed.bottom - placed.top) / 2};
    SendMessageA(arrow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inside.x, inside.y));
    EXPECT_GT(table_->GetVPosition(), before);
    EXPECT_TRUE(table_->IsRepeating());
    fk::PumpPasses(2);
    SendMessageA(arrow, WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
    fk::PumpPasses(2);
    EXPECT_FALSE(table_->IsRepeating());
}

TEST_F(TableTest, LosingTheCaptureEndsADrag) {
    Make(0, "Sender\x01Genre");
    for (int i = 0; i < 200; ++i) table_->AddText("Name\x01Pop\x01\x05", i + 1);
    Rebuild(1);
    RECT r = table_->GetVScrollBar()->GetRect();
    int x = (r.left + r.right) / 2, y = r.bottom - 40;
    SendMessageA(table_->GetWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ASSERT_EQ(table_->GetDragMode(), 2);
    HWND other = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetCapture(other);
    EXPECT_EQ(table_->GetDragMode(), 0);
    int position = table_->GetVPosition();
    SendMessageA(table_->GetWindow(), WM_MOUSEMOVE, 0, MAKELPARAM(x, r.top + 5));
    EXPECT_EQ(table_->GetVPosition(), position);
    ReleaseCapture();
    DestroyWindow(other);
}

class PodcastTableTest : public TableTest {
protected:
    void Fill() {
        FakePodcasts::Feed& f = podcasts_.feeds[3];
        f.episodes[1] = {"First \"talk\" <b>&amp;</b>", "C:\\pods\\3\\ep 1 & more.mp3", 600};
        f.episodes[2] = {"Missing file", "C:\\pods\\3\\ep2.mp3", -1};
        f.episodes[3] = {"Zero length\r\n#EXTINF:1,evil", "C:\\pods\\3\\ep3.mp3", 0};
        f.episodes[4] = {"Fourth", "C:\\pods\\3\\Ä ö.mp3", 90};
        podcasts_.feeds[9].subscribed = 0;
        Make(TABLE_PODCASTS, "Titel\x01" "Dauer\x01Status\x01" "Beschreibung\x01" "Datum");
        table_->AddText("Talk feed\x01" "\x01ok\x01" "desc\x01" "2026\x01\x05", 3);
        table_->AddText("Other feed\x01" "\x01ok\x01" "desc\x01" "2025\x01\x05", 9);
        for (int e = 1; e <= 4; ++e) {
            std::string t = podcasts_.feeds[3].episodes[e].title + "\x01" "10:00\x01" "ok\x01\x05";
            table_->AddRow(t.c_str(), 3, e);
        }
        Rebuild(1);
    }
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(PodcastTableTest, EpisodesOpenCloseAndSurviveSorting) {
    Fill();
    EXPECT_EQ(table_->GetRowCount(), 2);
    EXPECT_NE(std::find(podcasts_.calls.begin(), podcasts_.calls.end(), "clear rows"), podcasts_.calls.end());
    cTableLine* feed = table_->GetRowById(3);
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(feed->GetSubLines()->GetAnzElement(), 4);
    table_->ToggleExpand(3);
    EXPECT_EQ(table_->GetRowCount(), 6);
    EXPECT_TRUE(podcasts_.feeds[3].expanded);
    ASSERT_NE(table_->GetRowById(SubLineId(3, 2)), nullptr);
    EXPECT_EQ(podcasts_.feeds[3].rows.size(), 5u);   // the feed line and its four episodes
    feed->Expand(1, table_->GetGrid());   // opening twice does nothing
    EXPECT_EQ(table_->GetRowCount(), 6);

    // Sorting closes and reopens: the episodes follow their feed.
    table_->GetGrid()->SortByColumn(4);
    table_->GetGrid()->SortByColumn(4);
    EXPECT_EQ(table_->GetRowCount(), 6);
    cTableLine* first = table_->GetGrid()->GetLine(0);
    ASSERT_NE(first, nullptr);
    int feedIndex = -1;
    for (int i = 0; i < 6; ++i)
        if (table_->GetGrid()->GetLine(i) == feed) feedIndex = i;
    ASSERT_GE(feedIndex, 0);
    EXPECT_EQ(table_->GetGrid()->GetLineId(feedIndex + 1), SubLineId(3, 1));

    table_->ToggleExpand(3);
    EXPECT_EQ(table_->GetRowCount(), 2);
    EXPECT_FALSE(podcasts_.feeds[3].expanded);
    EXPECT_EQ(podcasts_.feeds[3].rows.size(), 1u);

    // A rebuild reopens what the feed remembers as open.
    podcasts_.feeds[3].expanded = true;
    Rebuild(1);
    EXPECT_EQ(table_->GetRowCount(), 6);
    cSkinButton* expand = table_->GetRowById(3)->GetRow()->FindButton(374);
    ASSERT_NE(expand, nullptr);
    EXPECT_EQ(expand->GetStatus(), 1);
    // A feed line never shows the play button; an unsubscribed feed is not playable.
    cPodcastRowElement* feedRow = table_->GetRowById(3)->GetPodcastRow();
    ASSERT_NE(feedRow, nullptr);
    EXPECT_FALSE(feedRow->FindButton(381)->IsVisible());
    EXPECT_TRUE(feedRow->IsPlayable());
    EXPECT_FALSE(table_->GetRowById(9)->GetPodcastRow()->IsPlayable());
}

TEST_F(PodcastTableTest, PlaylistsAreWrittenIntoTheTempFolderEscapedAndReadBack) {
    Fill();
    table_->ToggleExpand(3);
    tdtest::TempFolder temp("tbl");
    char oldTmp[MAX_PATH] = {}, oldTemp[MAX_PATH] = {};
    GetEnvironmentVariableA("TMP", oldTmp, sizeof oldTmp);
    GetEnvironmentVariableA("TEMP", oldTemp, sizeof oldTemp);
    SetEnvironmentVariableA("TMP", temp.Path().c_str());
    SetEnvironmentVariableA("TEMP", temp.Path().c_str());

    char path[1024] = {};
    int index = 0;
    ASSERT_EQ(table_->ExportM3U(3, 4, path, sizeof path, &index), 1);
    std::string m3uPath = path;
    EXPECT_EQ(m3uPath.rfind(temp.Path() + "\\vl_tmp", 0), 0u) << m3uPath;
    EXPECT_EQ(index, 2);   // episodes 1 and 3 come before the fourth; 2 has no file
    std::string m3u = Read(m3uPath);
    EXPECT_EQ(m3u.rfind("#EXTM3U\r\n", 0), 0u);
    EXPECT_NE(m3u.find("#EXTINF:600,First \"talk\" <b>&amp;</b>\r\nC:\\pods\\3\\ep 1 & more.mp3\r\n"), std::string::npos);
    EXPECT_NE(m3u.find("#EXTINF:0,Zero length  #EXTINF:1,evil\r\n"), std::string::npos);   // no injected line
    EXPECT_EQ(m3u.find("Missing file"), std::string::npos);
    EXPECT_NE(m3u.find("C:\\pods\\3\\\xC3\x84 \xC3\xB6.mp3\r\n"), std::string::npos);
    ASSERT_FALSE(events_.handedPaths.empty());
    EXPECT_EQ(events_.handedPaths.size(), 3u);

    events_.handedPaths.clear();
    index = 0;
    ASSERT_EQ(table_->ExportASX(3, 4, path, sizeof path, &index), 1);
    std::string asx = Read(path);
    EXPECT_EQ(asx.rfind("<ASX version = \"3.0\">\n", 0), 0u);
    EXPECT_NE(asx.find("<ENTRY><TITLE>First &quot;talk&quot; &lt;b&gt;&amp;amp;&lt;/b&gt;</TITLE>"
                       "<REF HREF = \"C:\\pods\\3\\ep 1 &amp; more.mp3\" /></ENTRY>\r\n"),
              std::string::npos);
    EXPECT_EQ(asx.find("Zero length"), std::string::npos);   // duration 0 only in M3U
    EXPECT_EQ(asx.substr(asx.size() - 6), "</ASX>");
    EXPECT_EQ(index, 1);
    EXPECT_EQ(events_.handedPaths.size(), 2u);
    EXPECT_NE(std::string(path), m3uPath);   // a second file beside the first

    // Playing an episode asks for the kind and hands the file to the main window.
    events_.playlistAnswer = 2;
    cTableLine* episode = table_->GetRowById(SubLineId(3, 4));
    ASSERT_TRUE(episode && episode->GetRow());
    cSkinButton* play = episode->GetRow()->FindButton(1);
    ASSERT_NE(play, nullptr);
    RECT r = play->GetRect();
    int shown = -1;
    for (int i = 0; i < table_->GetRowCount(); ++i)
        if (table_->GetGrid()->GetLine(i) == episode) shown = i;
    ASSERT_GE(shown, 0);
    Click(POINT{(r.left + r.right) / 2, table_->GetGrid()->GetHeaderHeight() + (r.top + r.bottom) / 2});
    EXPECT_EQ(events_.playedKind, 2);
    EXPECT_EQ(events_.playedIndex, 1);
    EXPECT_NE(events_.playedPath.find(".asx"), std::string::npos);

    SetEnvironmentVariableA("TMP", oldTmp[0] ? oldTmp : nullptr);
    SetEnvironmentVariableA("TEMP", oldTemp[0] ? oldTemp : nullptr);
}

TEST_F(PodcastTableTest, FeedButtonsReachTheFeedsAndTheHost) {
    Fill();
    cTableLine* other = table_->GetRowById(9);
    ASSERT_TRUE(other && other->GetRow());
    cSkinButton* subscribe = other->GetRow()->FindButton(380);
    // The fifth button shows 380 until painted subscribed; unsubscribed feed 9 keeps it.
    ASSERT_NE(subscribe, nullptr);
    RECT r = subscribe->GetRect();
    Click(POINT{(r.left + r.right) / 2, table_->GetGrid()->GetHeaderHeight() + (r.top + r.bottom) / 2});
    ASSERT_FALSE(events_.callbacks.empty());
    EXPECT_EQ(events_.callbacks.back().code, 71);
    EXPECT_EQ(events_.callbacks.back().number, 9);
    EXPECT_EQ(events_.callbacks.back().text, "1");
    EXPECT_EQ(podcasts_.feeds[9].subscribed, 1);

    cSkinButton* details = other->GetRow()->FindButton(39);
    ASSERT_NE(details, nullptr);
    r = details->GetRect();
    Click(POINT{(r.left + r.right) / 2, table_->GetGrid()->GetHeaderHeight() + (r.top + r.bottom) / 2});
    EXPECT_EQ(events_.callbacks.back().code, 5);
    EXPECT_NE(events_.callbacks.back().text.find("http://feeds.test/9.xml"), std::string::npos);
}

TEST_F(PodcastTableTest, ATableDeletedDuringTheDeleteQuestionIsNotTouchedAgain) {
    Fill();
    cTableLine* feed = table_->GetRowById(9);
    ASSERT_TRUE(feed && feed->GetRow());
    cSkinButton* remove = feed->GetRow()->FindButton(256);
    ASSERT_NE(remove, nullptr);
    RECT r = remove->GetRect();
    HWND window = table_->GetWindow();
    // The question's message loop lets a feed refresh replace the view.
    podcasts_.duringQuestion = [this] { table_.reset(); };
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM((r.left + r.right) / 2, table_->GetGrid()->GetHeaderHeight() + (r.top + r.bottom) / 2));
    podcasts_.duringQuestion = nullptr;
    EXPECT_EQ(table_, nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_NE(std::find(podcasts_.calls.begin(), podcasts_.calls.end(), "delete 9 -1"), podcasts_.calls.end());
}

}  // namespace
