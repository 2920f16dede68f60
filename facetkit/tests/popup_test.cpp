// Pop-ups and message boxes on real windows with the standard skin: the
// rounded region, the shadow bitmap, staying on top, Tab cycling, dragging,
// the modal loop, the message boxes' sizes, countdown, buttons and results,
// closing (also of boxes that delete themselves), the mark-up's looks on
// screen (screenshots, German and English), and no GDI objects left behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "catalogue.h"
#include "facetkit_fixtures.h"
#include "host_link.h"
#include "message_popup.h"
#include "popup_wnd.h"
#include "resource_manager.h"
#include "skin_wnd_fixture.h"
#include "tdtest.h"
#include "wnd_button.h"

namespace {

int English(void*) { return 2; }

// The TEB is read through the gs segment, which GCC cannot see into.
#pragma GCC diagnostic ignored "-Warray-bounds"
// Live GDI objects of this process. Wine answers GetGuiResources with 0, so
// there the process's GDI handle table (its address in the PEB, entries of
// 24 bytes with the object's type in byte 14, 0 when free) is counted.
DWORD GdiObjectCount() {
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count) return count;
#ifdef _WIN64
    const BYTE* peb = *reinterpret_cast<const BYTE* const*>(reinterpret_cast<const BYTE*>(NtCurrentTeb()) + 0x60);
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + 0xF8);
    if (!table) return 0;
    for (size_t i = 0; i < 0x10000; ++i)
        if (table[i * 24 + 14]) ++count;
#endif
    return count;
}
int German(void*) { return 0; }

void Pump(int passes = 3) { fk::PumpPasses(passes); }

class PopupTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { suiteHost_ = new fk::TestHost(300, 200); }
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
    }
    void TearDown() override {
        SetHostLanguageSource(nullptr, nullptr);
        Pump();
        res_.reset();
    }
    cMessageWnd* NewMessage(const char* text, bool twoButtons, unsigned confirm = ELEMENT_CONFIRM) {
        auto* m = new cMessageWnd(host_, host_->GetWindow(), res_.get());
        m->SetText(text);
        m->AddButton(confirm, ELEMENT_CONFIRM);
        if (twoButtons) m->AddButton(ELEMENT_CANCEL, ELEMENT_CANCEL);
        return m;
    }
    static RECT Rect(HWND hwnd) {
        RECT r;
        GetWindowRect(hwnd, &r);
        return r;
    }
    void Screenshot(HWND hwnd, const std::string& name) {
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
        EXPECT_TRUE(tdtest::SaveWindowPng(hwnd, tdtest::ArtifactDir() + "\\" + name + ".png")) << name;
    }
    bk::ScopedModule skin_;
    std::unique_ptr<cResourceManager> res_;
    fk::TestHost* host_ = nullptr;
    static fk::TestHost* suiteHost_;
};
fk::TestHost* PopupTest::suiteHost_ = nullptr;

// ---------------------------------------------------------------- base

TEST_F(PopupTest, RegionShadowAndPlace) {
    cPopUpWnd popup(host_->GetWindow(), res_.get());
    ASSERT_NE(popup.GetWindow(), nullptr);
    EXPECT_EQ(GetWindowLongA(popup.GetWindow(), GWL_STYLE) & 0xFFFFFFFF, 0x8600010D);
    popup.SetSize(100, 50);
    bk::ScopedGdiObject region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(popup.GetWindow(), static_cast<HRGN>(region.Get())), ERROR);
    HRGN r = static_cast<HRGN>(region.Get());
    EXPECT_FALSE(PtInRegion(r, 0, 0)) << "rounded top left";
    EXPECT_FALSE(PtInRegion(r, 99, 0)) << "rounded top right";
    EXPECT_FALSE(PtInRegion(r, 99, 49)) << "rounded bottom right";
    EXPECT_TRUE(PtInRegion(r, 0, 49)) << "square bottom left";
    EXPECT_TRUE(PtInRegion(r, 50, 25));

    popup.SetSize(0, 0);
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectA(GetCurrentObject(popup.GetShadowDC(), OBJ_BITMAP), sizeof(bm), &bm));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);

    popup.SetSize(120, 80);
    popup.SetPos();
    RECT at = Rect(popup.GetWindow());
    EXPECT_EQ(at.left, (GetSystemMetrics(SM_CXSCREEN) - 120) / 2);
    EXPECT_EQ(at.top, (GetSystemMetrics(SM_CYSCREEN) - 80) / 2);
    EXPECT_EQ(popup.GetTitleHeight(), res_->GetGfxHeight(216));
    EXPECT_EQ(popup.GetBKColor(), res_->GetPixel(223));
    EXPECT_EQ(SendMessageA(popup.GetWindow(), WM_USER + 144, 0, 0),
              reinterpret_cast<LRESULT>(popup.GetButtonList()));
}

TEST_F(PopupTest, StaysOnTopAndClicksWithoutMovingStayPut) {
    cPopUpWnd popup(host_->GetWindow(), res_.get());
    popup.SetSize(120, 80);
    popup.SetPos(200, 150);
    popup.ShowWindow(SW_SHOWNA);
    Pump();
    fk::TestHost other(100, 100);
    SetWindowPos(other.GetWindow(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(popup.GetWindow(), other.GetWindow(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Pump();
    EXPECT_TRUE(GetWindowLongA(popup.GetWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    // A window placed after the other in z-order went back above it.
    bool popupFirst = false;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == popup.GetWindow()) {
            popupFirst = true;
            break;
        }
        if (w == other.GetWindow()) break;
    }
    EXPECT_TRUE(popupFirst);

    SendMessageA(popup.GetWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
    EXPECT_EQ(popup.IsMoveWindow(), 1);
    SendMessageA(popup.GetWindow(), WM_LBUTTONUP, 0, MAKELPARAM(30, 10));
    EXPECT_EQ(popup.IsMoveWindow(), 0);
    EXPECT_EQ(Rect(popup.GetWindow()).left, 200);
    EXPECT_EQ(Rect(popup.GetWindow()).top, 150);
    // A drag moves it by the distance the mouse went.
    SendMessageA(popup.GetWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
    SendMessageA(popup.GetWindow(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 25));
    SendMessageA(popup.GetWindow(), WM_LBUTTONUP, 0, MAKELPARAM(50, 25));
    EXPECT_EQ(Rect(popup.GetWindow()).left, 220);
    EXPECT_EQ(Rect(popup.GetWindow()).top, 165);
}

TEST_F(PopupTest, TabCyclesThroughEnabledChildrenAndEnds) {
    cPopUpWnd popup(host_->GetWindow(), res_.get());
    popup.SetSize(200, 100);
    popup.ShowWindow(SW_SHOW);
    SetForegroundWindow(popup.GetWindow());
    HWND kids[3];
    for (int i = 0; i < 3; ++i)
        kids[i] = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10 + 60 * i, 40, 50, 20,
                                  popup.GetWindow(), nullptr, nullptr, nullptr);
    Pump();
    SetFocus(popup.GetWindow());
    SendMessageA(popup.GetWindow(), WM_CHAR, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), kids[0]) << "from the pop-up to its first child";
    SendMessageA(popup.GetWindow(), WM_USER + 142, 0, 0);
    EXPECT_EQ(GetFocus(), kids[1]);
    EnableWindow(kids[2], FALSE);
    SendMessageA(popup.GetWindow(), WM_CHAR, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), kids[0]) << "past the disabled last child, wrapped to the first";
    // All others disabled or hidden: the search ends where it began.
    EnableWindow(kids[1], FALSE);
    ShowWindow(kids[2], SW_HIDE);
    SendMessageA(popup.GetWindow(), WM_CHAR, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), kids[0]);
}

HWND g_modalOwner, g_modalPopup;
int g_enabledWhileRunning;

// Runs inside the pop-up's loop: notes the owner's state, then the
// confirming button reports itself and the box closes and deletes itself.
void CALLBACK WhileModal(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_enabledWhileRunning = IsWindowEnabled(g_modalOwner) ? 1 : 0;
    SendMessageA(g_modalPopup, WM_USER + 119, 0, ELEMENT_CONFIRM);
}

TEST_F(PopupTest, ModalLoopHoldsTheOwnerAndLeavesItEnabledAndActiveAfterwards) {
    SetForegroundWindow(host_->GetWindow());
    SetActiveWindow(host_->GetWindow());
    Pump();
    cMessageWnd* m = NewMessage("Modal", false);
    m->SetDeleteOnClose();
    g_modalOwner = host_->GetWindow();
    g_modalPopup = m->GetWindow();
    g_enabledWhileRunning = -1;
    ASSERT_NE(SetTimer(nullptr, 0, 50, &WhileModal), 0u);
    m->MessageLoop();   // returns when the window is gone; m is deleted
    // While the box waits the owner takes no input (no second editor opens
    // inside the first); closing the player still ends the box (see
    // ClosingThePlayerEndsTheBoxesThatWait).
    EXPECT_EQ(g_enabledWhileRunning, 0);
    EXPECT_FALSE(IsWindow(g_modalPopup));
    EXPECT_TRUE(IsWindowEnabled(host_->GetWindow()));
    // The keyboard goes back to the owner, not to some other window.
    Pump();
    EXPECT_EQ(GetActiveWindow(), host_->GetWindow());
}

TEST_F(PopupTest, KeysAndCloseAnswerTheBox) {
    struct Case {
        const char* name;
        bool two;
        UINT msg;
        WPARAM key;
        int result;
    };
    const Case cases[] = {
        {"Enter confirms a question", true, WM_KEYDOWN, VK_RETURN, 1},
        {"Escape declines a question", true, WM_KEYDOWN, VK_ESCAPE, 0},
        {"Escape closes a notice as its button", false, WM_KEYDOWN, VK_ESCAPE, 1},
        {"Enter closes a notice", false, WM_KEYDOWN, VK_RETURN, 1},
        {"WM_CLOSE declines", true, WM_CLOSE, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<cMessageWnd> m(NewMessage("Frage?", c.two));
        m->InitWndSize();
        HWND hwnd = m->GetWindow();
        SendMessageA(hwnd, c.msg, c.key, 0);
        EXPECT_EQ(m->GetResult(), c.result);
        EXPECT_FALSE(IsWindow(hwnd));
    }
    // Other keys leave the box waiting.
    std::unique_ptr<cMessageWnd> m(NewMessage("Frage?", true));
    m->InitWndSize();
    SendMessageA(m->GetWindow(), WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(IsWindow(m->GetWindow()));
}

TEST_F(PopupTest, ClosingThePlayerEndsTheBoxesThatWait) {
    cMessageWnd* m = NewMessage("Offen", true);
    m->SetDeleteOnClose();
    g_modalPopup = m->GetWindow();
    // The player closes while the box's loop runs.
    ASSERT_NE(SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
                  KillTimer(nullptr, id);
                  CloseThreadPopups();
              }),
              0u);
    m->MessageLoop();
    EXPECT_FALSE(IsWindow(g_modalPopup));
}

TEST(PopupCountdown, CountdownLineReadsAsTheSystemSaysIt) {
    char text[256] = {};
    GetResourceString(nullptr, 404, 1, text, sizeof text);
    // The catalogue is read in the ANSI code page.
    EXPECT_STREQ(text, "Dieses Fenster schlie\xDF" "t sich in %02d Sekunden.");
    GetResourceString(nullptr, 404, 2, text, sizeof text);
    EXPECT_STREQ(text, "This window will close in %02d seconds.");
}

TEST_F(PopupTest, LoopOnAThreadOfItsOwnLeavesTheOwnerEnabled) {
    cMessageWnd* m = NewMessage("Nebenbei", false);
    m->SetDeleteOnClose();
    HWND hwnd = m->GetWindow();
    m->RunMessageLoop();
    // The window is this thread's: its sizing and showing need our pumping.
    EXPECT_TRUE(tdtest::WaitFor([&] { return IsWindowVisible(hwnd) != FALSE; }, 10000));
    EXPECT_TRUE(IsWindowEnabled(host_->GetWindow()));
    SendMessageA(hwnd, WM_USER + 119, 0, ELEMENT_CONFIRM);
    EXPECT_FALSE(IsWindow(hwnd));
    Sleep(50);   // the loop thread sees the window gone and ends
}

// ---------------------------------------------------------------- message box

TEST_F(PopupTest, MessageSizeFollowsLinesAndCountdown) {
    struct Case {
        const char* name;
        const char* text;
        const char* sub;
        int countdown;
        int lines, firstSub, height;
    };
    const Case cases[] = {
        {"empty text, no countdown", "", "", -1, 1, -1, 115},
        {"empty text with countdown", "", "", 15, 1, -1, 152},
        {"second text after an empty line", "Oben", "Unten", -1, 3, 2, 145},
        {"line feed", "eins\nzwei", "", -1, 2, -1, 130},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<cMessageWnd> m(NewMessage(c.text, false));
        m->SetSubText(c.sub);
        m->SetCountdown(c.countdown);
        m->InitWndSize();
        EXPECT_EQ(m->GetLineCount(), c.lines);
        EXPECT_EQ(m->GetFirstSubTextLine(), c.firstSub);
        EXPECT_EQ(m->GetSize().cy, c.height);
        EXPECT_EQ(m->GetSize().cx, 300);
    }
    std::unique_ptr<cMessageWnd> tall(NewMessage("x", false));
    tall->SetCountdown(-1);
    tall->SetMinHeight(200);
    tall->InitWndSize();
    EXPECT_EQ(tall->GetSize().cy, 200);
    // A word wider than the box stands alone; a hyphen stays at its line's end.
    std::unique_ptr<cMessageWnd> words(
        NewMessage("a Donaudampfschifffahrtsgesellschaftskapitaensmuetzenabzeichenhalterung b", false));
    words->InitWndSize();
    ASSERT_EQ(words->GetLineCount(), 3);
    EXPECT_EQ(words->GetLine(0), "a ");
    EXPECT_EQ(words->GetLine(1).substr(0, 6), "Donaud");
    EXPECT_EQ(words->GetLine(2), "b");
    std::unique_ptr<cMessageWnd> hyphen(NewMessage("Rundfunkprogrammdirektion-Sendeanstaltsverwaltung", false));
    hyphen->InitWndSize();
    ASSERT_EQ(hyphen->GetLineCount(), 2);
    EXPECT_EQ(hyphen->GetLine(0), "Rundfunkprogrammdirektion-");
    EXPECT_EQ(hyphen->GetLine(1), "Sendeanstaltsverwaltung");
    // Texts beyond the buffer are cut, not overrun.
    std::string huge(10000, 'w');
    std::unique_ptr<cMessageWnd> cut(NewMessage(huge.c_str(), false));
    cut->InitWndSize();
    size_t total = 0;
    for (int i = 0; i < cut->GetLineCount(); ++i) total += cut->GetLine(i).size();
    EXPECT_EQ(total, 4095u);
}

TEST_F(PopupTest, ButtonsCountdownAndResults) {
    struct Case {
        const char* name;
        bool two;
        int ticks;        // countdown ticks sent
        LPARAM pressed;   // element reported, 0 none
        int result;
        bool closed;
        unsigned confirm = ELEMENT_CONFIRM;   // the confirming button's element
    };
    const Case cases[] = {
        {"confirm", true, 0, ELEMENT_CONFIRM, 1, true},
        {"cancel", true, 0, ELEMENT_CANCEL, 0, true},
        {"another element", true, 0, 47, 0, false},
        {"countdown of 15 runs out", false, 15, 0, 1, true},
        {"14 ticks are not enough", false, 14, 0, 0, false},
        {"one-button notice closes by its button", false, 0, ELEMENT_CONFIRM, 1, true},
        // The notices' single buttons are elements 187 and 355.
        {"a single button of another element confirms", false, 0, 187, 1, true, 187},
        {"beside a single button another element does nothing", false, 0, 47, 0, false, 187},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<cMessageWnd> m(NewMessage("Frage?", c.two, c.confirm));
        m->InitWndSize();
        HWND hwnd = m->GetWindow();
        for (int i = 0; i < c.ticks; ++i) SendMessageA(hwnd, WM_TIMER, 1, 0);
        if (c.pressed) SendMessageA(hwnd, WM_USER + 119, 0, c.pressed);
        EXPECT_EQ(m->GetResult(), c.result);
        EXPECT_EQ(IsWindow(hwnd) == FALSE, c.closed);
    }
    // Buttons: one centred, two either side of the centre, 12 above the bottom.
    std::unique_ptr<cMessageWnd> two(NewMessage("Frage?", true));
    two->InitWndSize();
    cWndButton* ok = static_cast<cWndButton*>(two->GetButtonList()->GetById(ELEMENT_CONFIRM));
    cWndButton* cancel = static_cast<cWndButton*>(two->GetButtonList()->GetById(ELEMENT_CANCEL));
    EXPECT_EQ(ok->GetRect().right, 150 - 10);
    EXPECT_EQ(cancel->GetRect().left, 150 + 10);
    EXPECT_EQ(ok->GetRect().bottom, two->GetSize().cy - 12);
    std::unique_ptr<cMessageWnd> one(NewMessage("Hinweis", false));
    one->InitWndSize();
    cWndButton* only = static_cast<cWndButton*>(one->GetButtonList()->First());
    EXPECT_EQ(only->GetRect().left, (300 - only->GetGfxWidth()) / 2);
}

TEST_F(PopupTest, BoxesThatDeleteThemselvesCloseFromEveryPath) {
    // A click on the box's own button window: the button's notice deletes the
    // box (and the button) while the button still handles the click.
    for (int path = 0; path < 3; ++path) {
        SCOPED_TRACE(path);
        cMessageWnd* m = NewMessage("Weg damit", true);
        m->SetDeleteOnClose();
        m->InitWndSize();
        m->ShowWindow(SW_SHOWNA);
        HWND hwnd = m->GetWindow();
        if (path == 0) {
            cWndButton* ok = static_cast<cWndButton*>(m->GetButtonList()->GetById(ELEMENT_CONFIRM));
            HWND button = ok->GetWindow();
            SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        } else if (path == 1) {
            m->SetCountdown(1);
            SendMessageA(hwnd, WM_TIMER, 1, 0);
        } else {
            m->Close();
        }
        Pump();
        EXPECT_FALSE(IsWindow(hwnd));
        // Late messages to the dead window are harmless.
        SendMessageA(hwnd, WM_TIMER, 1, 0);
    }
}

TEST_F(PopupTest, HundredBoxesLeaveNoGdiObjects) {
    // Painted through their paint handler without being shown: showing a
    // top-level window costs seconds under Wine.
    auto once = [&](bool markup) {
        if (markup) {
            auto* m = new cMarkupMessageWnd(host_, host_->GetWindow(), res_.get());
            m->SetText("<center><font = FONT_BIG_BOLD>Hallo</font></center> <color = 666666>Welt</color>");
            m->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
            m->SetDeleteOnClose();
            m->InitWndSize();
            SendMessageA(m->GetWindow(), WM_PAINT, 0, 0);
            m->Close();
        } else {
            auto* m = NewMessage("Hallo Welt", true);
            m->SetSubText("zweiter Text");
            m->SetWaitAnimation(1);
            m->SetDeleteOnClose();
            m->InitWndSize();
            SendMessageA(m->GetWindow(), WM_PAINT, 0, 0);
            SendMessageA(m->GetWindow(), WM_USER + 119, 0, ELEMENT_CANCEL);
        }
        Pump(1);
    };
    once(false);   // first use creates lasting objects (fonts, caches)
    once(true);
    DWORD before = GdiObjectCount();
    ASSERT_GT(before, 0u) << "the count must be measurable";
    for (int i = 0; i < 100; ++i) once(i % 2 == 1);
    DWORD after = GdiObjectCount();
    EXPECT_EQ(after, before);
    // The count sees a leak: ten brushes more are ten objects more.
    HBRUSH leak[10];
    for (HBRUSH& b : leak) b = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(GdiObjectCount(), after + 10);
    for (HBRUSH b : leak) DeleteObject(b);
}

// ---------------------------------------------------------------- mark-up box

TEST_F(PopupTest, MarkupLinesTakeTheirRunsLooks) {
    std::unique_ptr<cMarkupMessageWnd> m(new cMarkupMessageWnd(host_, host_->GetWindow(), res_.get()));
    m->SetText("<center><font = FONT_BIG_BOLD>Titel</font></center>Text danach <height = 18><color = 0000FF>rot"
               "</color></height><font = FONT_SMALL_BOLD>klein");
    m->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
    m->SetCountdown(-1);
    m->InitWndSize();
    ASSERT_EQ(m->GetLineCount(), 4);
    const cMarkupMessageWnd::Line& title = m->GetLine(0);
    EXPECT_STREQ(title.text, "Titel");
    EXPECT_EQ(title.centre, 1);
    EXPECT_EQ(title.font, 0);
    EXPECT_EQ(m->GetLine(1).font, 1);
    EXPECT_EQ(m->GetLine(1).centre, 0);
    EXPECT_EQ(m->GetLine(2).height, 18);
    EXPECT_EQ(m->GetLine(2).colour, RGB(255, 0, 0));
    EXPECT_EQ(m->GetLine(3).font, 3);
    EXPECT_EQ(m->GetSize().cy, 15 + 15 + 18 + 15 + 94);
    m->SetCountdown(5);
    m->InitWndSize();
    EXPECT_EQ(m->GetSize().cy, 15 + 15 + 18 + 15 + 94 + 37);
    // The red run shows red on screen.
    m->ShowWindow(SW_SHOWNA);
    RedrawWindow(m->GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(tdtest::CaptureWindow(m->GetWindow(), &w, &h, &pixels));
    int red = 0;
    for (int y = 38 + 30; y < 38 + 48 && y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t p = pixels[static_cast<size_t>(y * w + x)];
            if (((p >> 16) & 0xFF) > 180 && ((p >> 8) & 0xFF) < 80 && (p & 0xFF) < 80) ++red;
        }
    EXPECT_GT(red, 5);
}

TEST_F(PopupTest, ScreenshotsInBothLanguages) {
    struct Lang {
        const char* tag;
        int (*source)(void*);
    };
    const Lang langs[] = {{"de", &German}, {"en", &English}};
    for (const Lang& lang : langs) {
        SetHostLanguageSource(lang.source, nullptr);
        res_.reset(new cResourceManager(skin_.Get(), lang.source(nullptr)));
        std::string tag = lang.tag;

        std::unique_ptr<cMessageWnd> one(NewMessage(
            tag == "de" ? "Der Sender ist im Moment nicht erreichbar." : "The station cannot be reached right now.",
            false));
        one->SetCountdown(-1);
        one->InitWndSize();
        one->ShowWindow(SW_SHOWNA);
        Screenshot(one->GetWindow(), "message_one_button_" + tag);

        std::unique_ptr<cMessageWnd> two(NewMessage(
            tag == "de" ? "Soll die Aufnahme wirklich beendet werden?" : "Do you really want to stop recording?",
            true));
        two->SetSubText(tag == "de" ? "Die Datei bleibt erhalten." : "The file is kept.");
        two->SetCountdown(12);
        two->SetWaitAnimation(1);
        two->InitWndSize();
        two->ShowWindow(SW_SHOWNA);
        Screenshot(two->GetWindow(), "message_countdown_" + tag);

        std::unique_ptr<cMarkupMessageWnd> tags(new cMarkupMessageWnd(host_, host_->GetWindow(), res_.get()));
        tags->SetText(tag == "de"
                          ? "<center><font = FONT_BIG_BOLD>Neuer Podcast</font></center>\n"
                            "<font = FONT_BIG>Folge 12 ist da.</font> <color = 666666>grau</color> "
                            "<color = 0000FF>rot</color> <font = FONT_SMALL>klein</font> "
                            "<font = FONT_SMALL_BOLD>klein fett</font>\n<height = 22>22 Pixel hoch</height>"
                          : "<center><font = FONT_BIG_BOLD>New podcast</font></center>\n"
                            "<font = FONT_BIG>Episode 12 is here.</font> <color = 666666>grey</color> "
                            "<color = 0000FF>red</color> <font = FONT_SMALL>small</font> "
                            "<font = FONT_SMALL_BOLD>small bold</font>\n<height = 22>22 pixels high</height>");
        tags->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
        tags->AddButton(ELEMENT_CANCEL, ELEMENT_CANCEL);
        tags->SetCountdown(9);
        tags->InitWndSize();
        tags->ShowWindow(SW_SHOWNA);
        Screenshot(tags->GetWindow(), "message_markup_" + tag);
    }
}

}  // namespace
