// The text list panel in a skinned window that forwards the mouse to it as
// the content views do: scrolling through the skinned scroll bar (its arrow
// clicked for real, the wheel, code), hover and button hits on the rows,
// repaints only where something changed, and the page it paints.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "control_fixture.h"
#include "element_fixture.h"
#include "skin_button.h"
#include "skin_scrollbar.h"
#include "skin_wnd_fixture.h"
#include "tdtest.h"
#include "text_list_panel.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

const RECT kPanel = {10, 10, 290, 150};
const int kRowHeight = 20;

// A play row that counts its paints.
class CountingRow : public cPlayRowElement {
public:
    CountingRow(cRowOwner* owner, unsigned long id) : cPlayRowElement(owner, nullptr, 1) {
        SetId(id);
        char text[32];
        wsprintfA(text, "Station %lu", id);
        SetText(text);
    }
    using cPlayRowElement::Paint;
    int Paint(HDC dc, int l, int t, int r, int b, int x, int y) override {
        ++paints;
        return cPlayRowElement::Paint(dc, l, t, r, b, x, y);
    }
    int paints = 0;
};

// The main window of the test: paints the panel and its bar, hands them
// the mouse and the arrows' clicks the way the navigator's view does.
class PanelWnd : public fk::TestSkinWnd {
public:
    PanelWnd() : fk::TestSkinWnd(WND_ID_MAIN, 60, 60, 320, 200) {}
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (panel && msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            panel->Show(dc);
            if (bar) bar->Show(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        if (panel && (msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN)) {
            POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            PanelHit hit = panel->Check(pt, hwnd, msg == WM_LBUTTONDOWN ? 8 : 4);
            if (msg == WM_LBUTTONDOWN) clicks.push_back(hit);
            return 0;
        }
        if (bar && msg == WM_SKIN_BUTTON_PRESSED) {
            if (lParam == SB_DOWN_ARROW) bar->LineDown(kRowHeight);
            if (lParam == SB_UP_ARROW) bar->LineUp(kRowHeight);
        }
        if (bar && msg == WM_MOUSEWHEEL) {
            if (static_cast<short>(HIWORD(wParam)) < 0)
                bar->LineDown(kRowHeight);
            else
                bar->LineUp(kRowHeight);
            return 0;
        }
        return fk::TestSkinWnd::WndProc(hwnd, msg, wParam, lParam);
    }
    cTextListPanel* panel = nullptr;
    cScrollBar* bar = nullptr;
    std::vector<PanelHit> clicks;
};

class TextListPanelTest : public fk::ElementTest {
protected:
    void SetUp() override {
        fk::ElementTest::SetUp();
        wnd_ = new PanelWnd();
        wnd_->SetResourceManager(res_.get());
        panel_.reset(new cTextListPanel(res_.get()));
        panel_->SetOwner(wnd_);
        panel_->SetRect(kPanel.left, kPanel.top, kPanel.right, kPanel.bottom);
        panel_->SetRowHeight(kRowHeight);
        wnd_->panel = panel_.get();
    }
    void TearDown() override {
        wnd_->panel = nullptr;
        wnd_->bar = nullptr;
        bar_.reset();
        panel_.reset();
        HWND hwnd = wnd_->GetWindow();
        GetWindowList().Delete(wnd_);
        DestroyWindow(hwnd);
        fk::ElementTest::TearDown();
    }
    std::vector<CountingRow*> Fill(int count) {
        std::vector<CountingRow*> rows;
        for (int i = 0; i < count; ++i) {
            rows.push_back(new CountingRow(panel_.get(), 100 + i));
            panel_->Add(rows.back());
        }
        return rows;
    }
    void ShowBar() {
        bar_.reset(new cScrollBar(wnd_->GetWindow(), 1, wnd_, res_.get()));
        bar_->SetClient(panel_.get());
        bar_->SetRect(kPanel.right, kPanel.top, kPanel.right + 14, kPanel.bottom);
        bk::ScopedGetDC dc(wnd_->GetWindow());
        bar_->SetVisible(dc.Get(), 1);
        wnd_->bar = bar_.get();
        InvalidateRect(wnd_->GetWindow(), nullptr, FALSE);
        fk::PumpPasses();
    }
    // The middle of a visible row in the window.
    POINT RowPoint(int index, int x = 150) {
        RECT r = panel_->GetRowRect(index, 0);
        return POINT{x, (r.top + r.bottom) / 2 - panel_->GetPixelOffset()};
    }
    void Hover(POINT pt) {
        fk::FocusControl(wnd_->GetWindow(), wnd_->GetWindow());
        POINT screen = pt;
        ClientToScreen(wnd_->GetWindow(), &screen);
        fk::MoveMouseTo(screen);
        fk::PumpPasses();
    }

    PanelWnd* wnd_ = nullptr;
    std::unique_ptr<cTextListPanel> panel_;
    std::unique_ptr<cScrollBar> bar_;
};

TEST_F(TextListPanelTest, PositionsInsideTheContentMoveTheRows) {
    Fill(20);
    EXPECT_EQ(panel_->GetContentHeight(), 20 * kRowHeight);
    // A page holds the rows that fit and one partly shown at each end.
    EXPECT_EQ(panel_->GetVisibleRowCount(), (kPanel.bottom - kPanel.top) / kRowHeight + 2);
    struct Case {
        int pos, first, offset;
    };
    // Positions at or beyond the content's end keep the current place.
    const Case cases[] = {{45, 2, 5}, {0, 0, 0}, {399, 19, 19}, {400, 19, 19}, {5000, 19, 19},
                          {60, 3, 0}, {-7, 0, 0}};
    for (const Case& c : cases) {
        panel_->SetPosition(c.pos, 1);
        EXPECT_EQ(panel_->GetFirstVisibleRow(), c.first) << c.pos;
        EXPECT_EQ(panel_->GetPixelOffset(), c.offset) << c.pos;
        EXPECT_EQ(panel_->GetVPosition(), c.first * kRowHeight + c.offset) << c.pos;
    }
    EXPECT_EQ(panel_->GetRowScrollPos(), 0);
}

TEST_F(TextListPanelTest, ScrollBarArrowAndWheelScrollThePanel) {
    auto rows = Fill(30);
    ShowBar();
    ASSERT_NE(panel_->GetPageDC(), nullptr) << "the bar gives the panel its page";
    cWndButton* down = bar_->GetSecondArrow();
    ASSERT_NE(down, nullptr);
    RECT arrow = down->GetRect();
    fk::FocusControl(wnd_->GetWindow(), wnd_->GetWindow());
    fk::ClickAt(wnd_->GetWindow(), (arrow.left + arrow.right) / 2, (arrow.top + arrow.bottom) / 2);
    ASSERT_TRUE(fk::PumpUntil([&] { return panel_->GetFirstVisibleRow() == 1; }));
    EXPECT_EQ(panel_->GetPixelOffset(), 0);

    fk::Wheel(wnd_->GetWindow(), 100, 60, -1);
    ASSERT_TRUE(fk::PumpUntil([&] { return panel_->GetFirstVisibleRow() == 2; }));

    // Far past the end: the bar stops at its maximum, the panel follows.
    bar_->LineDown(100000);
    EXPECT_EQ(panel_->GetVPosition(), bar_->GetMaximum());
    EXPECT_EQ(bar_->GetMaximum(), 30 * kRowHeight - (kPanel.bottom - kPanel.top));
    bar_->LineUp(100000);
    EXPECT_EQ(panel_->GetVPosition(), 0);
    EXPECT_EQ(panel_->GetFirstVisibleRow(), 0);

    bar_->LineDown(3 * kRowHeight + 7);
    fk::PumpPasses();
    Hover(RowPoint(5));
    EXPECT_TRUE(tdtest::SaveWindowPng(wnd_->GetWindow(), tdtest::ArtifactDir() + "\\facetkit_text_list_panel.png"));
}

TEST_F(TextListPanelTest, HoverFollowsTheMouseAndRepaintsOnlyOnChange) {
    auto rows = Fill(5);
    ShowBar();
    Hover(RowPoint(1));
    EXPECT_EQ(rows[1]->GetState(), ROW_HOVER);
    for (int i : {0, 2, 3, 4}) EXPECT_EQ(rows[i]->GetState(), ROW_NORMAL) << i;

    // Moving inside the row, over no button, paints it no more.
    int paints = rows[1]->paints;
    Hover(RowPoint(1, 160));
    Hover(RowPoint(1, 170));
    EXPECT_EQ(rows[1]->paints, paints);

    // Onto the next row: the old one goes back to normal, once.
    Hover(RowPoint(2));
    EXPECT_EQ(rows[1]->GetState(), ROW_NORMAL);
    EXPECT_EQ(rows[2]->GetState(), ROW_HOVER);
    EXPECT_EQ(rows[1]->paints, paints + 1);

    // Below the last row nothing is under the mouse.
    Hover(POINT{150, kPanel.top + 5 * kRowHeight + 8});
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rows[i]->GetState(), ROW_NORMAL) << i;
    PanelHit none = panel_->Check(POINT{150, kPanel.top + 5 * kRowHeight + 8}, wnd_->GetWindow(), 4);
    EXPECT_EQ(none.row, nullptr);
    EXPECT_EQ(none.id, 0u);

    // An inactive row is not hovered.
    rows[3]->SetActive(0);
    Hover(RowPoint(3));
    EXPECT_EQ(rows[3]->GetState(), ROW_NORMAL);
}

TEST_F(TextListPanelTest, ClicksReportRowAndButton) {
    auto rows = Fill(12);
    ShowBar();
    bar_->LineDown(kRowHeight + 4);   // the hit test must take the offset into account
    fk::PumpPasses();
    ASSERT_EQ(panel_->GetFirstVisibleRow(), 1);
    ASSERT_EQ(panel_->GetPixelOffset(), 4);

    POINT text = RowPoint(3);
    fk::FocusControl(wnd_->GetWindow(), wnd_->GetWindow());
    fk::ClickAt(wnd_->GetWindow(), text.x, text.y);
    ASSERT_TRUE(fk::PumpUntil([&] { return !wnd_->clicks.empty(); }));
    EXPECT_EQ(wnd_->clicks.back().id, 103u);
    EXPECT_EQ(wnd_->clicks.back().row, rows[3]);
    EXPECT_EQ(wnd_->clicks.back().button, 0u);

    // The play button sits at the row's left, placed by the row's painting.
    ASSERT_GT(rows[4]->ButtonCount(), 0);
    cSkinButton* play = rows[4]->FindButton(1);
    ASSERT_NE(play, nullptr);
    RECT b = play->GetRect();   // page coordinates
    POINT onPlay = {kPanel.left + (b.left + b.right) / 2,
                    kPanel.top + (b.top + b.bottom) / 2 - panel_->GetPixelOffset()};
    wnd_->clicks.clear();
    fk::ClickAt(wnd_->GetWindow(), onPlay.x, onPlay.y);
    ASSERT_TRUE(fk::PumpUntil([&] { return !wnd_->clicks.empty(); }));
    EXPECT_EQ(wnd_->clicks.back().id, 104u);
    EXPECT_EQ(wnd_->clicks.back().button, 1u);
}

TEST_F(TextListPanelTest, PageFollowsTheRectangleAndClearEmptiesAll) {
    Fill(3);
    ShowBar();
    HDC page = panel_->GetPageDC();
    ASSERT_NE(page, nullptr);
    panel_->SetRect(kPanel.left, kPanel.top, kPanel.right, kPanel.bottom);
    EXPECT_EQ(panel_->GetPageDC(), page) << "an equal rectangle keeps the page";

    // Below the rows the page holds the panel's background colour.
    uint32_t ground = fk::ToRgb(res_->GetPixel(cTextListPanel::BACKGROUND_SPRITE));
    EXPECT_EQ(fk::DcPixel(panel_->GetPageDC(), 5, 3 * kRowHeight + 5), ground);
    InvalidateRect(wnd_->GetWindow(), nullptr, FALSE);
    UpdateWindow(wnd_->GetWindow());
    EXPECT_EQ(fk::WindowPixel(wnd_->GetWindow(), kPanel.left + 5, kPanel.top + 3 * kRowHeight + 5), ground);

    panel_->GetButtons()->AddButton(wnd_, res_.get(), 35, POINT{0, 0}, 77, 0);
    panel_->Clear();
    EXPECT_EQ(panel_->GetRowCount(), 0);
    EXPECT_TRUE(panel_->GetButtons()->IsEmpty());
    EXPECT_EQ(panel_->GetPageDC(), nullptr);
    PanelHit none = panel_->Check(RowPoint(0), wnd_->GetWindow(), 4);
    EXPECT_EQ(none.row, nullptr);
}

}  // namespace
