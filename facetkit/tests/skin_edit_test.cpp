// The skinned edit box under real key strokes: number stepping at its
// limits, zero padding, clamping on the validate message, bounded and
// one-line text, the multi-line variant's limit, Tab to the parent, and
// the frame it paints in each look.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "control_fixture.h"
#include "element_fixture.h"
#include "skin_edit.h"
#include "skin_wnd.h"
#include "wnd_list.h"
#include "tdtest.h"

namespace {

class SkinEditTest : public fk::ElementTest {
protected:
    std::unique_ptr<cVLEditBox> Make(int look = 0, int password = 0, POINT pos = {20, 20}, SIZE size = {160, 20}) {
        return std::unique_ptr<cVLEditBox>(
            new cVLEditBox(host_->GetWindow(), res_.get(), pos, size, look, password));
    }
    static std::string Text(cVLEditBox* e, int size = 1000) {
        std::string buffer(static_cast<size_t>(size), '\0');
        e->GetText(&buffer[0], size);
        return std::string(buffer.c_str());
    }
    static std::string Raw(HWND w) {
        char buffer[4096] = {};
        GetWindowTextA(w, buffer, sizeof buffer);
        return buffer;
    }
    void Focus(cVLEditBox* e) {
        fk::FocusControl(host_->GetWindow(), e->GetWindow());
        Pump();
    }
    // Types and waits until the control shows what it should.
    bool TypeInto(cVLEditBox* e, const char* keys, const std::string& expect) {
        Focus(e);
        fk::TypeText(keys);
        return fk::PumpUntil([&] { return Raw(e->GetWindow()) == expect; });
    }
};

TEST_F(SkinEditTest, UpAndDownStepTheNumberWithinItsLimits) {
    struct Case {
        const char* what;
        int max, min, pad, digits;
        const char* start;
        WORD key;
        const char* expect;
    };
    const Case cases[] = {
        {"up at the maximum", 10, 0, 0, 0, "10", VK_UP, "10"},
        {"down at the minimum", 10, 0, 0, 0, "0", VK_DOWN, "0"},
        {"up inside", 10, 0, 0, 0, "5", VK_UP, "6"},
        {"down inside", 10, 0, 0, 0, "5", VK_DOWN, "4"},
        {"padded up", 100, 1, 1, 3, "7", VK_UP, "008"},
        {"padded down to the minimum", 100, 1, 1, 3, "2", VK_DOWN, "001"},
        {"above the maximum stays", 10, 0, 0, 0, "50", VK_UP, "50"},
    };
    auto edit = Make();
    for (const Case& c : cases) {
        edit->SetNumberDetails(c.max, c.min, c.pad, c.digits);
        SetWindowTextA(edit->GetWindow(), c.start);
        Focus(edit.get());
        fk::Stroke(c.key);
        EXPECT_TRUE(fk::PumpUntil([&] { return Raw(edit->GetWindow()) == c.expect; }))
            << c.what << ": " << Raw(edit->GetWindow());
    }
}

TEST_F(SkinEditTest, TextStepsOnlyInNumberMode) {
    auto edit = Make();
    SetWindowTextA(edit->GetWindow(), "7");
    Focus(edit.get());
    fk::Stroke(VK_UP);
    Pump();
    EXPECT_EQ(Raw(edit->GetWindow()), "7");
}

TEST_F(SkinEditTest, NumberTextsAreFormattedAndPaddedOnLeaving) {
    auto edit = Make();
    auto other = Make(0, 0, {20, 60});
    edit->SetNumberDetails(100, 1, 1, 3);
    edit->SetText(5);
    EXPECT_EQ(Raw(edit->GetWindow()), "005");
    edit->SetText("42abc");
    EXPECT_EQ(Raw(edit->GetWindow()), "042");

    SetWindowTextA(edit->GetWindow(), "");
    ASSERT_TRUE(TypeInto(edit.get(), "7", "7"));
    SetFocus(other->GetWindow());
    EXPECT_TRUE(fk::PumpUntil([&] { return Raw(edit->GetWindow()) == "007"; })) << Raw(edit->GetWindow());

    // Leaving does not clamp; an emptied field stays empty.
    SetWindowTextA(edit->GetWindow(), "");
    ASSERT_TRUE(TypeInto(edit.get(), "500", "500"));
    SetFocus(other->GetWindow());
    Pump();
    EXPECT_EQ(Raw(edit->GetWindow()), "500");
    SetWindowTextA(edit->GetWindow(), "");
    Focus(edit.get());
    SetFocus(other->GetWindow());
    Pump();
    EXPECT_EQ(Raw(edit->GetWindow()), "");

    // Non-digits are refused while typing into a number field.
    SetWindowTextA(edit->GetWindow(), "");
    Focus(edit.get());
    fk::TypeText("a1b2");
    EXPECT_TRUE(fk::PumpUntil([&] { return Raw(edit->GetWindow()) == "12"; })) << Raw(edit->GetWindow());
}

TEST_F(SkinEditTest, ValidateClampsWhereLimitsWereGiven) {
    struct Case {
        const char* what;
        bool details;
        int pad;
        const char* text;
        const char* expect;
    };
    const Case cases[] = {
        {"padded, above", true, 1, "250", "100"},
        {"padded, below", true, 1, "0", "1"},
        {"padded, inside keeps its form", true, 1, "050", "050"},
        {"limits without padding", true, 0, "250", "100"},
        {"overflowing number saturates", true, 0, "99999999999999", "100"},
        {"empty stays empty", true, 1, "", ""},
        {"no limits given", false, 0, "250", "250"},
    };
    for (const Case& c : cases) {
        auto edit = Make();
        if (c.details)
            edit->SetNumberDetails(100, 1, c.pad, 3);
        else
            edit->SetNumberOnly();
        SetWindowTextA(edit->GetWindow(), c.text);
        SendMessageA(edit->GetWindow(), WM_SKIN_VALIDATE, 0, 0);
        EXPECT_EQ(Raw(edit->GetWindow()), c.expect) << c.what;
    }
}

TEST_F(SkinEditTest, GetTextIsBoundedByTheBufferAndTheLimit) {
    auto edit = Make();
    std::string longText(600, 'x');
    SetWindowTextA(edit->GetWindow(), longText.c_str());
    EXPECT_EQ(Text(edit.get(), 1000).size(), 259u);

    char small[12];
    memset(small, '#', sizeof small);
    EXPECT_EQ(edit->GetText(small, 8), 7);
    EXPECT_EQ(std::string(small), "xxxxxxx");
    EXPECT_EQ(small[8], '#') << "wrote past the given size";
    EXPECT_EQ(edit->GetText(small, 0), 0);
}

TEST_F(SkinEditTest, OneLineBoxTakesNoLineBreaks) {
    auto edit = Make();
    ASSERT_TRUE(TypeInto(edit.get(), "abc", "abc"));
    fk::Stroke(VK_RETURN);
    fk::Stroke(VK_RETURN, false, true);
    fk::TypeText("def");
    EXPECT_TRUE(fk::PumpUntil([&] { return Raw(edit->GetWindow()) == "abcdef"; })) << Raw(edit->GetWindow());

    // A pasted text loses its line breaks as well.
    const char clip[] = "line1\r\nline2\n";
    ASSERT_TRUE(OpenClipboard(host_->GetWindow()));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof clip);
    memcpy(GlobalLock(mem), clip, sizeof clip);
    GlobalUnlock(mem);
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();
    SetWindowTextA(edit->GetWindow(), "");
    Focus(edit.get());
    fk::Stroke('V', false, true);
    EXPECT_TRUE(fk::PumpUntil([&] { return Raw(edit->GetWindow()) == "line1line2"; })) << Raw(edit->GetWindow());

    // Line breaks set from code never come back out of a one-line box.
    SetWindowTextA(edit->GetWindow(), "a\r\nb");
    EXPECT_EQ(Text(edit.get()), "ab");
}

TEST_F(SkinEditTest, MultiLineBoxTakesLinesUpToItsLimit) {
    auto edit = Make(0, 0, {20, 20}, {200, 80});
    HWND old = edit->GetWindow();
    edit->SetMultiLine();
    ASSERT_NE(edit->GetWindow(), old);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(edit->GetWindow(), GWL_STYLE)) & ~WS_VISIBLE, 0x44011144u);

    ASSERT_TRUE(TypeInto(edit.get(), "one", "one"));
    fk::Stroke(VK_RETURN);
    fk::TypeText("two");
    EXPECT_TRUE(fk::PumpUntil([&] { return Raw(edit->GetWindow()) == "one\r\ntwo"; })) << Raw(edit->GetWindow());
    EXPECT_EQ(Text(edit.get()), "one\r\ntwo");

    std::string tooLong(2000, 'y');
    SetWindowTextA(edit->GetWindow(), "");
    SendMessageA(edit->GetWindow(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(tooLong.c_str()));
    EXPECT_EQ(GetWindowTextLengthA(edit->GetWindow()), 1024);
}

TEST_F(SkinEditTest, FocusSelectsAllAndTabAsksTheParentToMoveOn) {
    auto edit = Make();
    auto other = Make(0, 0, {20, 60});
    SetWindowTextA(edit->GetWindow(), "hello");
    Focus(other.get());
    Focus(edit.get());
    DWORD from = 0, to = 0;
    SendMessageA(edit->GetWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 5u);

    host_->Clear();
    fk::Stroke(VK_TAB);
    EXPECT_TRUE(fk::PumpUntil([&] { return !host_->Take(WM_SKIN_NEXT_CONTROL).empty(); }));
    EXPECT_EQ(Raw(edit->GetWindow()), "hello") << "Tab must not reach the text";
}

TEST_F(SkinEditTest, PasswordBoxHidesItsText) {
    auto edit = Make(0, 1);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(edit->GetWindow(), GWL_STYLE)) & ~WS_VISIBLE, 0x440111A0u);
    ASSERT_TRUE(TypeInto(edit.get(), "secret", "secret"));
    EXPECT_EQ(Text(edit.get()), "secret");
}

TEST_F(SkinEditTest, EnableAndVisibleReachTheChild) {
    auto edit = Make();
    edit->SetEnable(0);
    EXPECT_FALSE(edit->IsEnabled());
    edit->SetEnable(1);
    EXPECT_TRUE(edit->IsEnabled());
    edit->SetVisible(0);
    EXPECT_FALSE(IsWindowVisible(edit->GetWindow()));
    edit->SetVisible(1);
    EXPECT_TRUE(IsWindowVisible(edit->GetWindow()));
}

struct FramePaint {
    cVLEditBox* boxes[3];
};

TEST_F(SkinEditTest, FrameIsPaintedInTheLooksSprites) {
    // Three boxes, one per look, painted by the host over a white ground.
    std::unique_ptr<cVLEditBox> boxes[3];
    FramePaint paint = {};
    for (int look = 0; look < 3; ++look) {
        boxes[look] = Make(look, 0, {20, 20 + 40 * look}, {160, 22});
        paint.boxes[look] = boxes[look].get();
        SetWindowTextA(boxes[look]->GetWindow(), look == 0 ? "look 0" : (look == 1 ? "look 1" : "look 2"));
    }
    host_->user = &paint;
    host_->onPaint = [](fk::TestHost* h, HDC dc) {
        RECT r;
        GetClientRect(h->GetWindow(), &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        for (cVLEditBox* b : static_cast<FramePaint*>(h->user)->boxes) b->Show(dc);
    };
    InvalidateRect(host_->GetWindow(), nullptr, TRUE);
    UpdateWindow(host_->GetWindow());
    Pump();
    const unsigned corner[3] = {180, 303, 308}, edge[3] = {176, 299, 304}, bottomRight[3] = {177, 300, 305};
    for (int look = 0; look < 3; ++look) {
        int x = 20, y = 20 + 40 * look;
        EXPECT_EQ(fk::WindowPixel(host_->GetWindow(), x, y), SpritePixel(corner[look], 0, 0)) << look;
        // The child covers most of the frame; its outer pixels stay visible.
        EXPECT_EQ(fk::WindowPixel(host_->GetWindow(), x + 159, y + 21), SpritePixel(bottomRight[look], 5, 5))
            << look;
        EXPECT_EQ(fk::WindowPixel(host_->GetWindow(), x + 80, y), SpritePixel(edge[look], 0, 0)) << look;
        EXPECT_EQ(fk::WindowPixel(host_->GetWindow(), x, y + 11), SpritePixel(edge[look], 0, 0)) << look;
    }
    EXPECT_TRUE(tdtest::SaveWindowPng(host_->GetWindow(), tdtest::ArtifactDir() + "\\facetkit_edit_box.png"));
    host_->onPaint = nullptr;
}

}  // namespace

namespace {

TEST_F(SkinEditTest, CornersTakeTheNavigatorsRasterOperation) {
    // Window objects without windows: only their skin data is looked at.
    auto* main = new cSkinWnd();
    main->SetId(WND_ID_MAIN);
    main->GetSkinData()->SetRasterOP(SRCINVERT);
    auto* nav = new cSkinWnd();
    nav->SetId(WND_ID_NAVIGATOR);
    nav->GetSkinData()->SetRasterOP(SRCCOPY);
    GetWindowList().Add(main);
    GetWindowList().Add(nav);
    auto edit = Make();
    host_->user = edit.get();
    host_->onPaint = [](fk::TestHost* h, HDC dc) {
        RECT r;
        GetClientRect(h->GetWindow(), &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        static_cast<cVLEditBox*>(h->user)->Show(dc);
    };
    struct Case {
        const char* what;
        cSkinWnd* remove;
        uint32_t expect;
    };
    const Case cases[] = {
        {"navigator's", nullptr, SpritePixel(180, 0, 0)},
        {"main window's without a navigator", nav, SpritePixel(180, 0, 0) ^ 0xFFFFFFu},   // XOR onto white
        {"the base's without either", main, SpritePixel(180, 0, 0)},                      // AND onto white
    };
    for (const Case& c : cases) {
        if (c.remove) GetWindowList().Delete(c.remove);
        InvalidateRect(host_->GetWindow(), nullptr, TRUE);
        UpdateWindow(host_->GetWindow());
        Pump();
        EXPECT_EQ(fk::WindowPixel(host_->GetWindow(), 20, 20), c.expect) << c.what;
    }
    host_->onPaint = nullptr;
}

}  // namespace
