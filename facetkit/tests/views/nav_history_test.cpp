// The navigator's fixed rules and its view history: back, forward and
// pushes over the twenty positions, selections carried with their
// positions, the first view by the skin's buttons, the auto-scroll pace,
// the slide steps, banner limits, and the texts of the content view.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "nav_history.h"
#include "nav_view.h"

namespace {

void Show(cNavHistory& h, int kind, std::vector<int> onScreen = {}) {
    h.Plan(kind, onScreen.data(), static_cast<int>(onScreen.size()));
}

std::vector<int> Kinds(const cNavHistory& h) {
    std::vector<int> k;
    for (int i = 0; i <= h.Top(); ++i) k.push_back(h.KindAt(i));
    return k;
}

}  // namespace

TEST(NavHistory, BackForwardAndANewSwitchDropTheForwardEntries) {
    cNavHistory h;
    EXPECT_FALSE(h.Back());
    Show(h, 3);
    Show(h, 4);
    Show(h, 7);
    EXPECT_EQ(Kinds(h), (std::vector<int>{0, 3, 4, 7}));
    EXPECT_FALSE(h.Forward());
    ASSERT_TRUE(h.Back());
    ASSERT_TRUE(h.Back());
    EXPECT_EQ(h.Kind(), 3);
    EXPECT_TRUE(h.CanGoForward());
    NavShowPlan plan = h.Plan(0, nullptr, 0);
    EXPECT_TRUE(plan.sameKind);
    EXPECT_FALSE(plan.pushed);
    Show(h, 9);
    EXPECT_EQ(Kinds(h), (std::vector<int>{0, 3, 9}));
    EXPECT_FALSE(h.CanGoForward());

    // The same kind again pushes nothing.
    plan = h.Plan(9, nullptr, 0);
    EXPECT_TRUE(plan.sameKind);
    EXPECT_EQ(h.Top(), 2);
}

TEST(NavHistory, TheTwentyFirstPushDropsTheOldestWithItsSelections) {
    cNavHistory h;
    for (int i = 0; i < 19; ++i) {
        int sel[1] = {i + 100};
        Show(h, i % 2 ? 4 : 3);
        // Selections of the elements on screen are kept at the position shown.
        h.Plan(0, sel, 1);
    }
    EXPECT_EQ(h.Pos(), 19);
    int first = h.KindAt(1), keptSelection = h.Selections(2)[0];
    Show(h, 12);
    EXPECT_EQ(h.Pos(), 19);
    EXPECT_EQ(h.Top(), 19);
    EXPECT_EQ(h.ShownPos(), 19);
    EXPECT_EQ(h.KindAt(19), 12);
    EXPECT_EQ(h.KindAt(0), first);
    // Each position keeps the selections of its own view.
    EXPECT_EQ(h.Selections(1)[0], keptSelection);
}

TEST(NavHistory, ChangedSelectionsStartTheTableAtRowZero) {
    cNavHistory h;
    int folder[1] = {0};
    h.Plan(3, folder, 1);
    h.SetFirstRow(3, 40);
    // Shown again with the same folder: the first row is kept.
    NavShowPlan plan = h.Plan(0, folder, 1);
    EXPECT_FALSE(plan.tableToTop);
    EXPECT_EQ(h.FirstRow(3), 40);
    // Another folder chosen: back to the top.
    folder[0] = 2;
    plan = h.Plan(0, folder, 1);
    EXPECT_TRUE(plan.tableToTop);
    EXPECT_EQ(h.FirstRow(3), 0);
    // Switching to the timer view hands the host the timer list once.
    EXPECT_TRUE(h.Plan(9, nullptr, 0).handTimerList);
    EXPECT_FALSE(h.Plan(9, nullptr, 0).handTimerList);
    EXPECT_FALSE(h.Plan(0, nullptr, 0).handTimerList);
}

TEST(NavHistory, FoldedAwayOnlyRecords) {
    cNavHistory h;
    h.RecordFolded(4);
    h.RecordFolded(4);
    h.RecordFolded(0);
    h.RecordFolded(10);
    EXPECT_EQ(Kinds(h), (std::vector<int>{0, 4, 10}));
    EXPECT_EQ(h.ShownPos(), 2);
}

TEST(NavRules, ViewButtonsHelpPagesAndTheFirstView) {
    const int kinds[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    const int buttons[] = {7, 6, 5, 0, 0, 8, 265, 322, 356, 368, 375};
    for (size_t i = 0; i < sizeof kinds / sizeof kinds[0]; ++i) EXPECT_EQ(NavViewButton(kinds[i]), buttons[i]);
    EXPECT_STREQ(NavHelpPage(6), "suche.htm");
    EXPECT_EQ(NavHelpPage(11), nullptr);

    struct Case {
        int stored;
        std::set<int> elements;
        int first;
    } cases[] = {
        {3, {6, 7}, 3},
        {3, {7}, 5},          // 3 and 4 without buttons: 5 needs none
        {8, {7}, 2},          // above 8 wraps to 2
        {9, {7}, 2},
        {12, {7, 6}, 2},
        {12, {375}, 12},
        {11, {}, 11},
        {6, {}, 6},
        {10, {}, 5},          // 10 -> 2, 3, 4 missing -> 5
    };
    for (const Case& c : cases) {
        auto has = [](void* ctx, int id) { return static_cast<std::set<int>*>(ctx)->count(id) > 0; };
        std::set<int> e = c.elements;
        EXPECT_EQ(NavFirstView(c.stored, has, &e), c.first) << c.stored;
    }
}

TEST(NavRules, AutoScrollPaceSlideStepsAndBannerLimits) {
    int interval = 100;
    std::vector<int> intervals, lines;
    for (int i = 0; i < 4; ++i) {
        lines.push_back(NavAutoScrollStep(&interval));
        intervals.push_back(interval);
    }
    EXPECT_EQ(intervals, (std::vector<int>{85, 70, 60, 60}));
    EXPECT_EQ(lines, (std::vector<int>{15, 15, 15, 15}));
    interval = 220;
    EXPECT_EQ(NavAutoScrollStep(&interval), 5);   // 205
    EXPECT_EQ(NavAutoScrollStep(&interval), 5);   // 190
    EXPECT_EQ(NavAutoScrollStep(&interval), 6);   // 175

    NavSlideSteps s = NavSlidePlan(280, 470, 0);   // 300 wide, margins 10 and 10
    EXPECT_EQ(s.stepWidth, 6);
    EXPECT_EQ(s.steps, 46);
    EXPECT_EQ(NavSlidePlan(280, 470, 2).stepWidth, 12);
    s = NavSlidePlan(4, 100, 5);   // narrower than one step
    EXPECT_EQ(s.steps, 1);
    EXPECT_DOUBLE_EQ(s.verticalStep, 100.0);

    int w = -1, h = -1;
    NavBannerSize(1, 468, 60, 1, 1, &w, &h);
    EXPECT_EQ(w, 468);
    EXPECT_EQ(h, 60);
    NavBannerSize(2, 1, 1, 3001, 2001, &w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    NavBannerSize(3, 1, 1, 1, 1, &w, &h);
    EXPECT_EQ(w + h, 0);
}

TEST(NavViewTexts, RecordingTimesSizesAndStatusLines) {
    EXPECT_EQ(NavTimeText(0), "00:00:00");
    EXPECT_EQ(NavTimeText(100 * 3600 + 61), "100:01:01");
    struct Case {
        int64_t bytes;
        const char* text;
    } sizes[] = {
        {1024, " |  1024 Byte"},
        {1025, " |  1 kB"},
        {1048567, " |  1023 kB"},
        {1048568, " |  1,00 MB"},
    };
    for (const auto& c : sizes) EXPECT_EQ(NavRecordingSizeText(c.bytes), c.text) << c.bytes;
    EXPECT_EQ(NavRecordingStateText(2), 416u);
    EXPECT_EQ(NavRecordingStateText(7), 0u);

    EXPECT_EQ(NavStatusLine(3, 1, false, 0, "", 2), "1 entry");
    EXPECT_EQ(NavStatusLine(9, 4, false, 0, "", 2), "4 entries");
    EXPECT_EQ(NavStatusLine(6, 0, false, 0, "", 2), "no hits");
    EXPECT_EQ(NavStatusLine(6, 7, true, 40, "", 2), "40% searched... 7 hits so far");
    EXPECT_EQ(NavStatusLine(4, 10, false, 0, "", 2), "");
    EXPECT_EQ(NavStatusLine(12, 10, false, 0, "x", 2), "");
    EXPECT_EQ(NavLevelFromValue(50, 100), 63);
    EXPECT_EQ(NavLevelFromValue(50, 0), 0);
    EXPECT_EQ(NavValueFromLevel(127, 65535), 65535);
}

TEST(NavViewTexts, PodcastRowIds) {
    EXPECT_EQ(PodcastEpisodeRowId(0, 1), 0xFF0001u);
    unsigned long feed = 0;
    int index = 0;
    ASSERT_TRUE(DecodePodcastRowId(0xFF0001u, &feed, &index));
    EXPECT_EQ(feed, 0u);
    EXPECT_EQ(index, 1);
    ASSERT_TRUE(DecodePodcastRowId(PodcastEpisodeRowId(300, 17), &feed, &index));
    EXPECT_EQ(feed, 300u);
    EXPECT_EQ(index, 17);
    EXPECT_FALSE(DecodePodcastRowId(PodcastFeedRowId(300), &feed, &index));
    // Feed ids that would overflow into the episode range get no row id.
    EXPECT_EQ(PodcastFeedRowId(0xFF00), 0u);
    EXPECT_EQ(PodcastEpisodeRowId(65281, 1), 0u);
}
