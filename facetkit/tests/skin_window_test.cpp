// Skinned top-level windows and the window list on real windows: docking
// (1 pixel touches, 2 do not, chains, the navigator that never docks),
// dragging a group so each window moves once per step, the notice to docked
// windows at the end of a drag, placement clamping, resizing down to the
// minimum, cursors, broadcasts, and a window whose object closed.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "button_list.h"
#include "facetkit_fixtures.h"
#include "resource_manager.h"
#include "skin_button.h"
#include "wnd_button.h"
#include "skin_wnd.h"
#include "skin_wnd_fixture.h"
#include "tdtest.h"
#include "wnd_list.h"

namespace {

using fk::TestSkinWnd;

void Pump() { fk::PumpPasses(); }

class SkinWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        // Windows of the list go with it: the list deletes its objects.
        std::vector<HWND> windows;
        cIterator* it = GetWindowList().GetIterator();
        while (cListElement* e = it->Next()) windows.push_back(static_cast<cSkinWnd*>(e)->GetWindow());
        GetWindowList().FreeIterator(it);
        GetWindowList().Delete();
        for (HWND w : windows)
            if (w) DestroyWindow(w);
        Pump();
    }
    TestSkinWnd* Make(unsigned id, int x, int y, int w, int h) { return new TestSkinWnd(id, x, y, w, h); }
};

TEST_F(SkinWindowTest, DockingFollowsTouchingWindows) {
    struct Case {
        const char* name;
        int navX;
        int navType;
        int mainDocked, navDocked, thirdDocked;
    };
    // Main window 100..300; the third window touches only the navigator.
    const Case cases[] = {
        {"1 pixel apart docks, and the chain with it", 301, 0, 1, 1, 1},
        {"2 pixels apart does not dock", 302, 0, 1, 0, 0},
        {"navigator animation type 5 never docks", 300, NAV_ANIM_NO_DOCKING, 0, 0, 0},
    };
    TestSkinWnd* main = Make(WND_ID_MAIN, 100, 100, 200, 100);
    TestSkinWnd* nav = Make(WND_ID_NAVIGATOR, 400, 100, 150, 100);
    TestSkinWnd* third = Make(9, 600, 100, 80, 60);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetWindowPos(nav->GetWindow(), nullptr, c.navX, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(third->GetWindow(), nullptr, c.navX + 150, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        nav->GetSkinData()->SetNavAnimType(c.navType);
        GetWindowList().UpdateDocking();
        EXPECT_EQ(main->IsDocked(), c.mainDocked);
        EXPECT_EQ(nav->IsDocked(), c.navDocked);
        EXPECT_EQ(third->IsDocked(), c.thirdDocked);
    }
}

TEST_F(SkinWindowTest, DraggingMovesEachDockedWindowOncePerStep) {
    TestSkinWnd* main = Make(WND_ID_MAIN, 100, 100, 200, 100);
    TestSkinWnd* nav = Make(WND_ID_NAVIGATOR, 100, 200, 200, 150);   // docked below
    TestSkinWnd* loose = Make(9, 500, 500, 50, 50);
    main->SetDragOffset(10, 10);
    main->SetMouseParams(MK_LBUTTON, MAKELPARAM(10, 10));
    main->TakeMousePosFromLParam();
    main->SetMoving(1);
    ASSERT_EQ(nav->IsDocked(), 1);
    ASSERT_EQ(loose->IsDocked(), 0);
    // The first step only takes the mouse; then each step moves the group by
    // how far the mouse is from where it grabbed the window.
    const POINT steps[] = {{12, 11}, {15, 13}, {7, 10}, {10, 10}};
    POINT mainAt = {100, 100}, navAt = {100, 200};
    bool first = true;
    for (const POINT& m : steps) {
        main->SetMouseParams(MK_LBUTTON, MAKELPARAM(m.x, m.y));
        main->DragTo(1);
        Pump();
        if (!first) {
            mainAt.x += m.x - 10;
            mainAt.y += m.y - 10;
            navAt.x += m.x - 10;
            navAt.y += m.y - 10;
        }
        first = false;
        EXPECT_EQ(main->Rect().left, mainAt.x);
        EXPECT_EQ(main->Rect().top, mainAt.y);
        EXPECT_EQ(nav->Rect().left, navAt.x) << "moved once, not twice";
        EXPECT_EQ(nav->Rect().top, navAt.y);
        EXPECT_EQ(loose->Rect().left, 500);
    }
    nav->received.clear();
    main->EndDrag();
    Pump();
    EXPECT_EQ(main->IsMoving(), 0);
    EXPECT_EQ(main->GetPosX(), mainAt.x);
    EXPECT_EQ(main->GetPosY(), mainAt.y);
    ASSERT_EQ(nav->received.size(), 1u);
    EXPECT_EQ(nav->received[0].msg, WM_SKIN_GROUP_MOVED);
    EXPECT_EQ(static_cast<int>(nav->received[0].wParam), mainAt.x - 100);
    EXPECT_EQ(static_cast<int>(nav->received[0].lParam), mainAt.y - 100);
    EXPECT_TRUE(loose->received.empty());
}

TEST_F(SkinWindowTest, StoredPositionsAreClampedToTheDesktop) {
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    struct Case {
        const char* name;
        int x, y, w;
        int wantX, wantY;
    };
    const Case cases[] = {
        {"left of and above the desktop", -50, -20, 100, 0, 0},
        {"beyond the right edge", desktop.right + 40, 10, 100, desktop.right - 100, 10},
        {"beyond the bottom edge", 10, desktop.bottom + 5, 100, 10, desktop.bottom - 60},
        {"wider than the desktop", desktop.right + 40, 10, desktop.right + 300, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestSkinWnd* w = Make(WND_ID_MAIN, c.x, c.y, c.w, 60);
        EXPECT_EQ(w->GetPosX(), c.wantX);
        EXPECT_EQ(w->GetPosY(), c.wantY);
        TearDown();
    }
    TestSkinWnd* tiny = Make(WND_ID_MAIN, 10, 10, 3, 4);
    EXPECT_EQ(tiny->GetWidth(), 20) << "the minimum size";
    EXPECT_EQ(tiny->GetHeight(), 20);
}

TEST_F(SkinWindowTest, ResizingStopsAtTheMinimumSize) {
    struct Case {
        int minW, minH;
        POINT mouse;
        SIZE want;
    };
    const Case cases[] = {
        {20, 20, {5, 3}, {20, 20}},
        {20, 20, {149, 89}, {160, 100}},   // grabbed 11, 11 from the bottom right
        {120, 50, {30, 30}, {120, 50}},
    };
    for (const Case& c : cases) {
        TestSkinWnd* w = Make(WND_ID_NAVIGATOR, 50, 50, 200, 120);
        w->SetMinSize(c.minW, c.minH);
        w->SetMouseParams(MK_LBUTTON, MAKELPARAM(189, 109));
        w->TakeMousePosFromLParam();
        w->SetResizing(1);
        EXPECT_EQ(w->GetDragOffset().x, 11);
        w->SetMouseParams(MK_LBUTTON, MAKELPARAM(c.mouse.x, c.mouse.y));
        w->TakeMousePosFromLParam();
        w->UpdateResizeFrame();
        EXPECT_EQ(w->IsOutlineDrawn(), 1);
        EXPECT_GE(w->GetLastMouseX() + 11, c.minW);
        w->EndResize();
        Pump();
        EXPECT_EQ(w->IsResizing(), 0);
        EXPECT_EQ(w->IsOutlineDrawn(), 0);
        EXPECT_EQ(w->Rect().right - w->Rect().left, c.want.cx);
        EXPECT_EQ(w->Rect().bottom - w->Rect().top, c.want.cy);
        EXPECT_EQ(w->GetWidth(), c.want.cx);
        EXPECT_EQ(w->IsLayoutDone(), 1);
        TearDown();
    }
}

TEST_F(SkinWindowTest, MouseStateCursorsAndDefaults) {
    TestSkinWnd* w = Make(WND_ID_MAIN, 10, 10, 100, 100);
    EXPECT_EQ(w->SetMousePos(4, 5), 1);
    EXPECT_EQ(w->SetMousePos(4, 5), 0);
    w->SetMouseParams(0, MAKELPARAM(-3, 7));
    w->TakeMousePosFromLParam();
    EXPECT_EQ(w->GetMouseX(), -3) << "signed words";
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    EXPECT_EQ(w->GetCursor(3), arrow);
    EXPECT_EQ(w->GetCursor(7), arrow);
    EXPECT_NE(w->GetCursor(1), nullptr) << "the move cursor from the library's resources";
    EXPECT_NE(w->GetCursor(2), nullptr);
    EXPECT_NE(w->GetCursor(4), nullptr);
    w->SetMoving(1);
    EXPECT_EQ(w->GetCursor(0), w->GetCursor(1)) << "moving shows the move cursor";
    w->SetMoving(0);
    w->SelectCursor(nullptr);
    EXPECT_EQ(w->GetCursor(0), arrow);
    EXPECT_NE(w->GetToolTipWindow(), nullptr);
    cVelmoSkinData* d = w->GetSkinData();
    EXPECT_EQ(d->GetRasterOP(), static_cast<DWORD>(SRCAND));
    EXPECT_EQ(d->GetNavAnimEnabled(), 1);
    EXPECT_EQ(d->GetLanguageSupport(), 3u);
    RECT rect;
    HRGN region = w->CreateWindowRegion(30, 40);
    GetRgnBox(region, &rect);
    DeleteObject(region);
    EXPECT_EQ(rect.right, 30);
    EXPECT_EQ(rect.bottom, 40);
}

TEST_F(SkinWindowTest, ListBroadcastsFindsAndForgetsClosedWindows) {
    TestSkinWnd* main = Make(WND_ID_MAIN, 10, 10, 100, 100);
    TestSkinWnd* nav = Make(WND_ID_NAVIGATOR, 120, 10, 100, 100);
    EXPECT_EQ(GetWindowList().Find(WND_ID_NAVIGATOR), nav);
    GetWindowList().PostToAll(WM_USER + 77, 3, 4);
    Pump();
    for (TestSkinWnd* w : {main, nav}) {
        ASSERT_EQ(w->received.size(), 1u);
        EXPECT_EQ(w->received[0].msg, UINT(WM_USER + 77));
        EXPECT_EQ(w->received[0].lParam, 4);
    }
    HWND navWindow = nav->GetWindow();
    SetWindowPos(navWindow, nullptr, 130, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    nav->CloseWindow();   // deletes the object
    EXPECT_EQ(GetWindowList().Find(WND_ID_NAVIGATOR), nullptr);
    EXPECT_EQ(GetWindowList().GetAnzElement(), 1);
    // The window outlives its object: what still arrives is ignored.
    EXPECT_EQ(SendMessageA(navWindow, WM_USER + 77, 0, 0), 0);
    PostMessageA(navWindow, WM_USER + 78, 0, 0);
    Pump();
    DestroyWindow(navWindow);
}


// A navigator whose extended-view button only counts its presses.
class CountingNav : public TestSkinWnd {
public:
    CountingNav() : TestSkinWnd(WND_ID_NAVIGATOR, 40, 40, 300, 200) {}
    void OnExtendButton() override { ++extendPresses; }
    int extendPresses = 0;
};

TEST_F(SkinWindowTest, LayoutPlacesTheExtendButtonAndTheResizeGrip) {
    bk::ScopedModule skin;
    ASSERT_NE(fk::LoadStockface(&skin), nullptr);
    cResourceManager res(skin.Get(), 0);
    CountingNav* nav = new CountingNav();
    nav->SetResourceManager(&res);
    nav->SetWndFlags(WNDFLAG_EXTEND_BUTTON | WNDFLAG_RESIZE_GRIP);
    nav->GetSkinData()->SetResizeBtnPos(POINT{20, 5});
    nav->UpdateLayout(0);
    cButtonListe* list = nav->GetButtonList();
    auto* extend = static_cast<cSkinButton*>(list->GetById(ELEMENT_EXTEND_BUTTON));
    auto* grip = static_cast<cWndButton*>(list->GetById(ELEMENT_RESIZE_GRIP));
    ASSERT_NE(extend, nullptr);
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(extend->GetTyp(), ET_BUTTON);
    EXPECT_STREQ(extend->GetToolTipText(), "erweiterte Ansicht an/aus");
    EXPECT_EQ(grip->GetTyp(), ET_WINDOW_BUTTON);
    EXPECT_EQ(nav->IsLayoutDone(), 1);
    // Placed on the next layout: the grip from the skin's resize position.
    nav->UpdateLayout(0);
    EXPECT_EQ(list->GetAnzElement(), 2) << "made once";
    EXPECT_EQ(grip->GetRect().left, 300 - 20);
    EXPECT_EQ(grip->GetRect().top, 200 - grip->GetGfxHeight() - 5);
    nav->GetSkinData()->SetResizeBtnPos(POINT{-1, 0});
    nav->GetSkinData()->SetCloseBtnPos(POINT{-30, 0});
    nav->UpdateLayout(0);
    EXPECT_EQ(grip->GetRect().left, 300 - 30);
    EXPECT_EQ(grip->GetRect().top, 200 - grip->GetGfxHeight());

    // Over the extended-view button: the link cursor; pressing it runs its action.
    RECT r = extend->GetRect();
    POINT over = {r.left + 2, r.top + 2};
    EXPECT_EQ(nav->HitExtendButton(over, nav->GetWindow(), ES_MOUSEOVER), 1);
    EXPECT_EQ(nav->extendPresses, 0);
    nav->SelectCursor(nullptr);
    EXPECT_EQ(nav->GetCursor(0), nav->GetCursor(2));
    EXPECT_EQ(nav->HitExtendButton(over, nav->GetWindow(), ES_PRESSED), 1);
    EXPECT_EQ(nav->extendPresses, 1);
    EXPECT_EQ(nav->HitExtendButton(POINT{1, 150}, nav->GetWindow(), ES_PRESSED), 0);
    // Over the grip: the resize cursor.
    list->Release(nav->GetWindow(), 0);
    extend->SetStatus(ES_NORMAL);
    grip->SetStatus(ES_MOUSEOVER);
    nav->SelectCursor(nullptr);
    EXPECT_NE(nav->GetCursor(0), nav->GetCursor(2));
    EXPECT_NE(nav->GetCursor(0), nav->GetCursor(3));
    EXPECT_NE(nav->GetCursor(0), nullptr);
    nav->GetButtonList()->Delete();   // before the resource manager goes
}

}  // namespace
