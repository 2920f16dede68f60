// Windowless and window buttons on a real host window: their five looks
// (read back from probe pixels), mouse tracking from synthesised messages,
// latching, radio groups, animation, keyboard, tool tips, changes posted
// from other threads, and the messages they send their parent.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "animation.h"
#include "facetkit_fixtures.h"
#include "liste.h"
#include "resource_manager.h"
#include "skin_button.h"
#include "tdtest.h"
#include "wnd_button.h"

namespace {

const unsigned kPlay = 1;    // 44 x 30 cells in the standard skin
const unsigned kStop = 2;
const unsigned kStrip = 408;

struct Look {
    int status, enabled;
    unsigned cell;
};
const Look kLooks[] = {{ES_NORMAL, 1, 0}, {ES_MOUSEOVER, 1, 1}, {ES_SELECTED, 1, 2}, {ES_PRESSED, 1, 3},
                       {ES_NORMAL, 0, 4}, {ES_PRESSED, 0, 4}};

class ButtonsTest : public ::testing::Test {
protected:
    // One host window for the suite: creating and destroying a top-level
    // window costs seconds under Wine.
    static void SetUpTestSuite() { suiteHost_ = new fk::TestHost(420, 300); }
    static void TearDownTestSuite() {
        delete suiteHost_;
        suiteHost_ = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(fk::LoadStockface(&skin_), nullptr);
        res_.reset(new cResourceManager(skin_.Get(), 0));
        host_ = suiteHost_;
        host_->Drain();
        host_->Clear();
        host_->watched = nullptr;
        host_->onPressed = nullptr;
        host_->onPaint = nullptr;
        host_->user = nullptr;
        host_->cursorUpdates = 0;
    }
    void TearDown() override {
        host_->Drain();
        res_.reset();
    }
    // Which sprite cell a window shows at (x, y) of its client area.
    static bool ShownCell(HWND hwnd, int x, int y, unsigned* id, unsigned* cell) {
        UpdateWindow(hwnd);
        return fk::DecodeProbe(fk::WindowPixel(hwnd, x, y), id, cell);
    }
    cWndButton* NewWndButton(DWORD id, POINT pos, DWORD flags = 0, int group = 0, unsigned sprite = kPlay) {
        return new cWndButton(host_, nullptr, res_.get(), sprite, pos, id, nullptr, group, nullptr, flags);
    }
    void Send(cWndButton* b, UINT msg, WPARAM wp = 0, LPARAM lp = MAKELPARAM(5, 5)) {
        SendMessageA(b->GetWindow(), msg, wp, lp);
        host_->Drain();
    }
    bk::ScopedModule skin_;
    std::unique_ptr<cResourceManager> res_;
    fk::TestHost* host_ = nullptr;
    static fk::TestHost* suiteHost_;
};
fk::TestHost* ButtonsTest::suiteHost_ = nullptr;

// ---------------------------------------------------------------- windowless

TEST_F(ButtonsTest, SkinButtonShowsOneImagePerStatus) {
    cSkinButton button(nullptr, host_, res_.get(), kPlay, 10, 10, 7, nullptr, 0);
    EXPECT_EQ(button.GetTyp(), ET_BUTTON);
    EXPECT_EQ(button.GetStatus(), ES_NORMAL);
    EXPECT_EQ(button.GetWindow(), host_->GetWindow());
    bk::ScopedGetDC screen(nullptr);
    bk::ScopedMemDC dc(CreateCompatibleDC(screen.Get()));
    bk::ScopedGdiObject bmp(CreateCompatibleBitmap(screen.Get(), 80, 60));
    bk::ScopedSelect sel(dc.Get(), bmp.Get());
    for (const Look& look : kLooks) {
        PatBlt(dc.Get(), 0, 0, 80, 60, BLACKNESS);
        button.SetEnable(look.enabled);
        button.SetStatus(look.status);
        button.Show(dc.Get());
        unsigned id = 0, cell = 0;
        ASSERT_TRUE(fk::DecodeProbe(fk::DcPixel(dc.Get(), 12, 12), &id, &cell)) << look.status;
        EXPECT_EQ(id, kPlay);
        EXPECT_EQ(cell, look.cell) << "status " << look.status << " enabled " << look.enabled;
    }
    // An unknown status draws nothing while enabled; an invisible button never.
    button.SetEnable(1);
    for (int variant = 0; variant < 2; ++variant) {
        PatBlt(dc.Get(), 0, 0, 80, 60, BLACKNESS);
        button.SetStatus(variant == 0 ? 16 : ES_NORMAL);
        button.SetVisible(variant == 0 ? 1 : 0);
        button.Show(dc.Get());
        EXPECT_EQ(fk::DcPixel(dc.Get(), 12, 12), 0u) << variant;
    }
}

TEST_F(ButtonsTest, SkinButtonPlacesItselfFromItsSprite) {
    int w = res_->GetGfxWidth(kPlay) / 5, h = res_->GetGfxHeight(kPlay);
    cSkinButton left(nullptr, host_, res_.get(), kPlay, 30, 20, 1, nullptr, 0);
    EXPECT_EQ(left.GetGfxWidth(), w);
    EXPECT_EQ(left.GetRect().left, 30);
    EXPECT_EQ(left.GetRect().right, 30 + w);
    EXPECT_EQ(left.GetRect().bottom, 20 + h);
    left.SetPos(200, 20, 0);
    EXPECT_EQ(left.GetRect().right, 200) << "right-aligned";
    EXPECT_EQ(left.GetRect().left, 200 - w);
    cSkinButton fromRect(nullptr, host_, res_.get(), kPlay, RECT{5, 6, 500, 500}, 2, nullptr, 0);
    EXPECT_EQ(fromRect.GetRect().right, 5 + w) << "the given size is not kept";
    EXPECT_EQ(fromRect.GetRect().bottom, 6 + h);
    fromRect.SetSprite(14);
    EXPECT_EQ(fromRect.GetGfxWidth(), res_->GetGfxWidth(14) / 5);
}

TEST_F(ButtonsTest, SkinButtonToolTipsRegisterOnceAndGoWithTheButton) {
    {
        cSkinButton atOrigin(nullptr, host_, res_.get(), kPlay, 0, 0, 1, nullptr, 0);
        EXPECT_EQ(host_->ToolCount(), 0) << "a button at (0, 0) gets no tool tip";
    }
    char text[32] = "Abspielen";
    auto* button = new cSkinButton(nullptr, host_, res_.get(), kPlay, 10, 10, 1, text, 0);
    text[0] = 0;   // the caller's buffer may change or go away
    EXPECT_STREQ(button->GetToolTipText(), "Abspielen");
    EXPECT_EQ(host_->ToolCount(), 1);
    button->SetToolTipRect(10, 10, 54, 40);
    button->SetToolTipRect(10, 10, 54, 40);
    EXPECT_EQ(host_->ToolCount(), 1);
    button->SetPos(100, 10, 1);
    EXPECT_EQ(host_->ToolCount(), 1) << "moved, not added twice";
    // The tip control knows the new place and still the text.
    auto toolOf = [&](const cSkinButton* b) {
        TOOLINFOA info = {};
        char buffer[300] = {};
        info.cbSize = TTTOOLINFOA_V2_SIZE;
        info.hwnd = host_->GetWindow();
        info.uId = reinterpret_cast<UINT_PTR>(b);
        info.lpszText = buffer;
        EXPECT_TRUE(host_->GetToolInfo(&info));
        return std::make_pair(info.rect, std::string(buffer));
    };
    RECT moved = toolOf(button).first;
    EXPECT_EQ(moved.left, 100);
    EXPECT_EQ(toolOf(button).second, "Abspielen");
    // Taken off (a table line out of view) and put back on the same spot: registered again.
    button->RemoveToolTip();
    EXPECT_EQ(host_->ToolCount(), 0);
    button->SetToolTipRect(moved.left, moved.top, moved.right, moved.bottom);
    EXPECT_EQ(host_->ToolCount(), 1);
    EXPECT_TRUE(button->HasToolTip());
    std::string tooLong(400, 'x');
    cSkinButton second(nullptr, host_, res_.get(), kStop, 60, 10, 2, tooLong.c_str(), 0);
    EXPECT_EQ(strlen(second.GetToolTipText()), 299u);
    EXPECT_EQ(host_->ToolCount(), 2);
    delete button;
    EXPECT_EQ(host_->ToolCount(), 1);
}

// ---------------------------------------------------------------- window buttons

TEST_F(ButtonsTest, WndButtonShowsOneImagePerStatus) {
    std::unique_ptr<cWndButton> button(NewWndButton(11, POINT{20, 20}));
    HWND child = button->GetWindow();
    ASSERT_TRUE(IsWindow(child));
    EXPECT_EQ(GetWindowLongA(child, GWL_STYLE) & 0xFFFF, 0x010D);
    RECT rc;
    GetClientRect(child, &rc);
    EXPECT_EQ(rc.right, res_->GetGfxWidth(kPlay) / 5);
    EXPECT_EQ(rc.bottom, res_->GetGfxHeight(kPlay));
    for (const Look& look : kLooks) {
        button->SetEnable(look.enabled);
        button->SetStatus(look.status);
        unsigned id = 0, cell = 0;
        ASSERT_TRUE(ShownCell(child, 2, 2, &id, &cell)) << look.status;
        EXPECT_EQ(id, kPlay);
        EXPECT_EQ(cell, look.cell) << "status " << look.status << " enabled " << look.enabled;
    }
}

TEST_F(ButtonsTest, WndButtonTracksTheMouseAndReportsToItsParent) {
    std::unique_ptr<cWndButton> button(NewWndButton(21, POINT{20, 20}));
    host_->watched = button.get();
    host_->Drain();
    host_->Clear();

    Send(button.get(), WM_MOUSEMOVE);
    EXPECT_EQ(button->GetStatus(), ES_MOUSEOVER);
    auto changed = host_->Take(WM_SKIN_STATUS_CHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].wParam, static_cast<WPARAM>(ES_MOUSEOVER));
    EXPECT_EQ(changed[0].lParam, 21);
    EXPECT_GT(host_->cursorUpdates, 0);

    Send(button.get(), WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(button->GetStatus(), ES_PRESSED);
    EXPECT_EQ(GetCapture(), button->GetWindow());
    auto pressed = host_->Take(WM_SKIN_BUTTON_PRESSED);
    ASSERT_EQ(pressed.size(), 1u);
    EXPECT_EQ(pressed[0].lParam, 21);
    EXPECT_EQ(button->GetPressedMousePos().x, 5);

    Send(button.get(), WM_LBUTTONUP);
    EXPECT_EQ(button->GetStatus(), ES_MOUSEOVER);
    EXPECT_EQ(host_->Take(WM_SKIN_BUTTON_RELEASED).size(), 1u);
    EXPECT_NE(GetCapture(), button->GetWindow());

    Send(button.get(), WM_MOUSELEAVE);
    EXPECT_EQ(button->GetStatus(), ES_NORMAL);

    // Keyboard: Tab asks the parent for the next control, Enter presses.
    host_->Clear();
    Send(button.get(), WM_CHAR, VK_TAB);
    EXPECT_EQ(host_->Take(WM_SKIN_NEXT_CONTROL).size(), 1u);
    Send(button.get(), WM_CHAR, VK_RETURN);
    EXPECT_EQ(host_->Take(WM_SKIN_BUTTON_PRESSED).size(), 1u);
    EXPECT_EQ(button->GetStatus(), ES_SELECTED) << "pressed without the mouse over it";
    host_->watched = nullptr;
}

TEST_F(ButtonsTest, DisabledWndButtonReportsTheClickAndStaysAsItIs) {
    std::unique_ptr<cWndButton> button(NewWndButton(31, POINT{20, 20}));
    button->SetEnable(0);
    host_->Drain();
    host_->Clear();
    int before = button->GetStatus();
    Send(button.get(), WM_LBUTTONDOWN, MK_LBUTTON);
    auto disabled = host_->Take(WM_SKIN_DISABLED_PRESSED);
    ASSERT_EQ(disabled.size(), 1u);
    EXPECT_EQ(disabled[0].lParam, 31);
    EXPECT_TRUE(host_->Take(WM_SKIN_BUTTON_PRESSED).empty());
    EXPECT_EQ(button->GetStatus(), before);
    Send(button.get(), WM_LBUTTONUP);
}

TEST_F(ButtonsTest, LatchingWndButtonClickedTwiceIsUnderTheMouseAgain) {
    std::unique_ptr<cWndButton> button(NewWndButton(41, POINT{20, 20}, cWndButton::FLAG_LATCHING));
    Send(button.get(), WM_MOUSEMOVE);
    Send(button.get(), WM_LBUTTONDOWN, MK_LBUTTON);
    Send(button.get(), WM_LBUTTONUP);
    EXPECT_EQ(button->GetStatus(), ES_PRESSED) << "latched while the mouse is over it";
    Send(button.get(), WM_MOUSELEAVE);
    EXPECT_EQ(button->GetStatus(), ES_SELECTED);
    Send(button.get(), WM_MOUSEMOVE);
    Send(button.get(), WM_LBUTTONDOWN, MK_LBUTTON);
    Send(button.get(), WM_LBUTTONUP);
    EXPECT_EQ(button->GetStatus(), ES_MOUSEOVER);
}

TEST_F(ButtonsTest, NotifyFlagsOrderThePressNoticeAndTheStatusChange) {
    struct Case {
        DWORD flags;
        int startStatus;     // set before the click
        int newStatus;       // what Invoke makes of it
        int statusAtNotice;  // the button's status when the parent hears of it
    } cases[] = {
        {0, ES_MOUSEOVER, ES_PRESSED, ES_PRESSED},
        {cWndButton::FLAG_NOTIFY_BEFORE_PRESS, ES_MOUSEOVER, ES_PRESSED, ES_MOUSEOVER},
        {cWndButton::FLAG_NOTIFY_BEFORE_RELEASE, ES_MOUSEOVER, ES_PRESSED, ES_PRESSED},
        {cWndButton::FLAG_LATCHING, ES_SELECTED, ES_MOUSEOVER, ES_MOUSEOVER},
        {cWndButton::FLAG_LATCHING | cWndButton::FLAG_NOTIFY_BEFORE_RELEASE, ES_SELECTED, ES_MOUSEOVER, ES_SELECTED},
        {cWndButton::FLAG_LATCHING | cWndButton::FLAG_NOTIFY_BEFORE_PRESS, ES_NORMAL, ES_PRESSED, ES_NORMAL},
    };
    for (const Case& c : cases) {
        std::unique_ptr<cWndButton> button(NewWndButton(51, POINT{20, 20}, c.flags));
        button->SetStatus(c.startStatus);
        host_->watched = button.get();
        host_->Drain();
        host_->Clear();
        button->Invoke();
        auto notices = host_->Take(WM_SKIN_BUTTON_PRESSED);
        ASSERT_EQ(notices.size(), 1u) << c.flags;
        EXPECT_EQ(button->GetStatus(), c.newStatus) << "flags " << c.flags;
        EXPECT_EQ(notices[0].statusAtArrival, c.statusAtNotice) << "flags " << c.flags;
        host_->watched = nullptr;
    }
}

TEST_F(ButtonsTest, PressingOneButtonOfAGroupReleasesTheOthers) {
    cListe list;
    cWndButton* a = NewWndButton(61, POINT{20, 20}, cWndButton::FLAG_LATCHING, 3);
    cWndButton* b = NewWndButton(62, POINT{80, 20}, cWndButton::FLAG_LATCHING, 3, kStop);
    cWndButton* other = NewWndButton(63, POINT{140, 20}, cWndButton::FLAG_LATCHING, 4);
    for (cWndButton* e : {a, b, other}) {
        e->SetListe(&list);
        list.Add(e);
    }
    b->SetStatus(ES_SELECTED);
    other->SetStatus(ES_SELECTED);
    host_->Drain();
    host_->Clear();
    a->Invoke();
    EXPECT_EQ(a->GetStatus(), ES_PRESSED);
    // The pressed button reports its own change once, no release before it.
    for (const auto& m : host_->Take(WM_SKIN_STATUS_CHANGED))
        if (m.lParam == 61) EXPECT_NE(m.wParam, static_cast<WPARAM>(ES_NORMAL)) << "a false release of the pressed button";
    EXPECT_EQ(b->GetStatus(), ES_NORMAL);
    EXPECT_EQ(other->GetStatus(), ES_SELECTED) << "another group";
    unsigned id = 0, cell = 0;
    ASSERT_TRUE(ShownCell(b->GetWindow(), 2, 2, &id, &cell));
    EXPECT_EQ(cell, 0u) << "the released button shows its normal look";
}

TEST_F(ButtonsTest, AnimatedButtonPlaysItsStripDownAndUp) {
    std::unique_ptr<cWndButton> button(NewWndButton(71, POINT{20, 20}, 0, 0, 0));
    HRGN shapes[6];
    for (HRGN& r : shapes) r = CreateRectRgn(0, 0, 40, 30);
    button->AddAnim(6, kStrip, 0, shapes);   // the regions stay ours
    ASSERT_NE(button->GetAnimation(), nullptr);
    EXPECT_EQ(button->GetGfxWidth(), 40) << "no sprite: the animation's frame size";
    button->SetPos(POINT{20, 20}, 1);         // as a skin places it after adding the animation
    host_->Drain();
    host_->Clear();

    DWORD start = GetTickCount();
    button->SetStatus(ES_SELECTED);
    EXPECT_LT(GetTickCount() - start, 60000u);   // bounded: only a hang fails
    EXPECT_EQ(button->GetStatus(), ES_SELECTED);
    EXPECT_EQ(button->IsAnimActive(), 0);
    EXPECT_EQ(button->GetAnimation()->GetAktStep(), 5);
    unsigned id = 0, cell = 0;
    button->Invalidate();
    host_->Drain();
    ASSERT_TRUE(ShownCell(button->GetWindow(), 2, 2, &id, &cell));
    EXPECT_EQ(id, kStrip);
    EXPECT_EQ(cell, 5u) << "the strip's last frame stays";

    button->SetStatus(ES_NORMAL);
    EXPECT_EQ(button->GetAnimation()->GetAktStep(), 0);

    // While an animation runs, a status change is only reported.
    host_->Drain();
    host_->Clear();
    button->SetAnimActive(1);
    button->SetStatus(ES_PRESSED);
    EXPECT_EQ(button->GetStatus(), ES_NORMAL);
    host_->Drain();
    auto changed = host_->Take(WM_SKIN_STATUS_CHANGED);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].wParam, static_cast<WPARAM>(ES_PRESSED));
    button->SetAnimActive(0);
    button.reset();
    for (HRGN r : shapes) DeleteObject(r);
}

TEST_F(ButtonsTest, HiddenAnimatedButtonDoesNotWaitForPaints) {
    std::unique_ptr<cWndButton> button(NewWndButton(72, POINT{20, 20}, 0, 0, 0));
    HRGN shapes[6];
    for (HRGN& r : shapes) r = CreateRectRgn(0, 0, 40, 30);
    button->AddAnim(6, kStrip, 0, shapes);
    button->SetVisible(0);
    DWORD start = GetTickCount();
    button->SetStatus(ES_SELECTED);
    EXPECT_LT(GetTickCount() - start, 60000u);   // bounded: only a hang fails
    EXPECT_EQ(button->GetStatus(), ES_SELECTED);
    for (HRGN r : shapes) DeleteObject(r);
    button->AddAnim(0, kStrip, 0, shapes);   // refused, keeps the old one
    EXPECT_NE(button->GetAnimation(), nullptr);
}

TEST_F(ButtonsTest, ButtonDeletedWhileAnimatingEndsWithinABound) {
    cWndButton* button = NewWndButton(73, POINT{20, 20}, 0, 0, 0);
    HRGN shapes[6];
    for (HRGN& r : shapes) r = CreateRectRgn(0, 0, 40, 30);
    button->AddAnim(6, kStrip, 0, shapes);
    button->SetPos(POINT{20, 20}, 1);
    HWND child = button->GetWindow();
    button->GetAnimation()->DoAnim(child, cAnimation::FORWARDS);
    ASSERT_EQ(button->GetAnimation()->IsActiveEventSignal(), 1);
    DWORD start = GetTickCount();
    delete button;
    EXPECT_LT(GetTickCount() - start, 60000u);   // bounded: only a hang fails
    EXPECT_FALSE(IsWindow(child));
    host_->Drain();   // the worker's last notice finds no button
    for (HRGN r : shapes) DeleteObject(r);
}

TEST_F(ButtonsTest, WndButtonShapeFollowsItsRegionPairAndVisibility) {
    HRGN pair[2] = {CreateRectRgn(0, 0, 30, 20), CreateRectRgn(0, 0, 20, 30)};
    std::unique_ptr<cWndButton> button(
        new cWndButton(host_, nullptr, res_.get(), kPlay, POINT{20, 20}, 111, nullptr, 0, pair, 0));
    // The button keeps copies: the skin may delete its own regions at once.
    DeleteObject(pair[0]);
    DeleteObject(pair[1]);
    auto box = [&] {
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        RECT r = {-1, -1, -1, -1};
        int kind = GetWindowRgn(button->GetWindow(), shape);
        if (kind != ERROR) GetRgnBox(shape, &r);
        DeleteObject(shape);
        return r;
    };
    EXPECT_EQ(box().right, 30);
    EXPECT_EQ(box().bottom, 20);
    button->SetStatus(ES_SELECTED);
    EXPECT_EQ(box().right, 20) << "pressed shape";
    EXPECT_EQ(box().bottom, 30);
    button->SetStatus(ES_MOUSEOVER);
    EXPECT_EQ(box().right, 30);
    button->SetVisible(0);
    RECT hidden = box();
    EXPECT_TRUE(IsRectEmpty(&hidden)) << "hidden: empty shape";
}

TEST_F(ButtonsTest, FocusShowsTheButtonAsUnderTheMouse) {
    std::unique_ptr<cWndButton> button(NewWndButton(121, POINT{20, 20}, cWndButton::FLAG_LATCHING));
    struct {
        int from;
        UINT msg;
        int to;
    } cases[] = {{ES_NORMAL, WM_SETFOCUS, ES_MOUSEOVER}, {ES_SELECTED, WM_SETFOCUS, ES_PRESSED},
                 {ES_MOUSEOVER, WM_KILLFOCUS, ES_NORMAL}, {ES_PRESSED, WM_KILLFOCUS, ES_SELECTED}};
    for (auto& c : cases) {
        button->SetStatus(c.from);
        Send(button.get(), c.msg, 0, 0);
        EXPECT_EQ(button->GetStatus(), c.to) << c.from << " " << c.msg;
    }
}

void DeleteOnPress(fk::TestHost* host, LPARAM) {
    auto** button = static_cast<cWndButton**>(host->user);
    delete *button;
    *button = nullptr;
}

TEST_F(ButtonsTest, ParentMayDeleteTheButtonWhileItIsPressed) {
    for (DWORD flags : {0ul, static_cast<unsigned long>(cWndButton::FLAG_NOTIFY_BEFORE_PRESS)}) {
        cWndButton* button = NewWndButton(81, POINT{20, 20}, flags);
        HWND child = button->GetWindow();
        host_->user = &button;
        host_->onPressed = &DeleteOnPress;
        SendMessageA(child, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        EXPECT_EQ(button, nullptr);
        EXPECT_FALSE(IsWindow(child));
        host_->onPressed = nullptr;
        host_->Drain();
    }
}

TEST_F(ButtonsTest, OtherThreadsChangeAWndButtonByPostedMessagesOnly) {
    std::unique_ptr<cWndButton> button(NewWndButton(91, POINT{20, 20}));
    HWND child = button->GetWindow();
    std::thread worker([child] {
        PostMessageA(child, WM_SKIN_SHOW_ELEMENT, 0, 0);
        PostMessageA(child, WM_SKIN_ENABLE_ELEMENT, 0, 0);
        PostMessageA(child, WM_SKIN_MOVE_ELEMENT, 120, 40);
    });
    worker.join();
    EXPECT_EQ(button->IsVisible(), 1) << "nothing changes before the window's thread handles it";
    host_->Drain();
    EXPECT_EQ(button->IsEnabled(), 0);
    EXPECT_EQ(button->GetRect().left, 120);
    EXPECT_EQ(button->GetRect().top, 40);
    // Moving posts a show to the button itself (a moved button shows).
    host_->Drain();
    EXPECT_EQ(button->IsVisible(), 1);
    PostMessageA(child, WM_SKIN_SHOW_ELEMENT, 0, 0);
    host_->Drain();
    EXPECT_EQ(button->IsVisible(), 0);
    EXPECT_FALSE(IsWindowVisible(child));
}

// A skin's status hook runs on the player's status thread while it holds a
// lock the window's thread may wait for: changing a button from there must
// not wait for the window's thread.
TEST_F(ButtonsTest, StatusAndLookFromAnotherThreadDoNotWaitForTheWindowThread) {
    std::unique_ptr<cWndButton> button(NewWndButton(92, POINT{20, 20}, cWndButton::FLAG_LATCHING));
    bk::ScopedHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE doneEvent = done.Get();
    std::thread worker([&button, doneEvent] {
        button->SetStatus(ES_SELECTED);
        button->SetBtnLook(kStop);
        SetEvent(doneEvent);
    });
    // This (the window's) thread is busy: it waits without handling any
    // message, sent ones included.
    bool finished = WaitForSingleObject(doneEvent, 20000) == WAIT_OBJECT_0;
    if (!finished) tdtest::WaitFor([&] { return WaitForSingleObject(doneEvent, 0) == WAIT_OBJECT_0; }, 30000);
    worker.join();
    ASSERT_TRUE(finished) << "the other thread waited for the busy window thread";
    host_->Drain();
    EXPECT_EQ(button->GetStatus(), ES_SELECTED);
    EXPECT_EQ(button->GetSprite(), kStop);
}

TEST_F(ButtonsTest, WndButtonToolTipIsCopiedAndRemovedWithTheButton) {
    auto* button = NewWndButton(101, POINT{20, 20});
    EXPECT_EQ(host_->ToolCount(), 1);
    char text[16] = "Stopp";
    button->SetToolTipText(text);
    text[0] = 0;
    EXPECT_STREQ(button->GetToolTipText(), "Stopp");
    EXPECT_EQ(host_->ToolCount(), 1) << "re-registered, not added";
    TOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = button->GetWindow();
    info.uId = reinterpret_cast<UINT_PTR>(button);
    char got[300] = {};
    info.lpszText = got;
    ASSERT_TRUE(host_->GetToolInfo(&info));
    EXPECT_STREQ(got, "Stopp");
    delete button;
    EXPECT_EQ(host_->ToolCount(), 0);
}

// ---------------------------------------------------------------- picture

struct Gallery {
    std::vector<std::unique_ptr<cSkinButton>> windowless;
};

void PaintGallery(fk::TestHost* host, HDC dc) {
    RECT all;
    GetClientRect(host->GetWindow(), &all);
    HBRUSH b = CreateSolidBrush(RGB(0x22, 0x30, 0x3C));
    FillRect(dc, &all, b);
    DeleteObject(b);
    for (auto& button : static_cast<Gallery*>(host->user)->windowless) button->Show(dc);
}

TEST_F(ButtonsTest, GalleryOfEveryButtonKindInEveryState) {
    Gallery gallery;
    host_->user = &gallery;
    host_->onPaint = &PaintGallery;
    const unsigned sprites[] = {1, 3, 2, 274, 12, 14};
    std::vector<std::unique_ptr<cWndButton>> windowed;
    // Row 0: windowless play buttons, row 1: window play buttons, one per look.
    int y = 10;
    for (int row = 0; row < 2; ++row) {
        for (int k = 0; k < 5; ++k) {
            const Look& look = kLooks[k];
            int x = 10 + 60 * k;
            if (row == 0) {
                auto* b = new cSkinButton(nullptr, host_, res_.get(), kPlay, x, y, 200 + k, nullptr, 0);
                b->SetStatus(look.status);
                b->SetEnable(look.enabled);
                gallery.windowless.emplace_back(b);
            } else {
                auto* w = NewWndButton(300 + k, POINT{x, y});
                w->SetStatus(look.status);
                w->SetEnable(look.enabled);
                windowed.emplace_back(w);
            }
        }
        y += 40;
    }
    // Every other sprite of the main window in all five looks, row by row.
    for (unsigned sprite : sprites) {
        int w = res_->GetGfxWidth(sprite) / 5 + 4;
        for (int k = 0; k < 5; ++k) {
            auto* b = new cSkinButton(nullptr, host_, res_.get(), sprite, 10 + k * w, y, 400 + k, nullptr, 0);
            b->SetStatus(kLooks[k].status);
            b->SetEnable(kLooks[k].enabled);
            gallery.windowless.emplace_back(b);
        }
        y += res_->GetGfxHeight(sprite) + 4;
        if (y > 270) break;
    }
    InvalidateRect(host_->GetWindow(), nullptr, TRUE);
    UpdateWindow(host_->GetWindow());
    host_->Drain();

    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(tdtest::CaptureWindow(host_->GetWindow(), &width, &height, &pixels));
    // Read the looks back from the capture: windowless row, then window row.
    for (int row = 0; row < 2; ++row) {
        for (int k = 0; k < 5; ++k) {
            int x = 10 + 60 * k + 2, yy = 10 + 40 * row + 2;
            ASSERT_LT(static_cast<size_t>(yy) * width + x, pixels.size());
            unsigned id = 0, cell = 0;
            ASSERT_TRUE(fk::DecodeProbe(pixels[static_cast<size_t>(yy) * width + x], &id, &cell)) << row << "/" << k;
            EXPECT_EQ(id, kPlay);
            EXPECT_EQ(cell, kLooks[k].cell) << row << "/" << k;
        }
    }
    EXPECT_TRUE(tdtest::SaveWindowPng(host_->GetWindow(), tdtest::ArtifactDir() + "\\facetkit_buttons.png"));
    host_->onPaint = nullptr;
}

}  // namespace
