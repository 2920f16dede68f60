// The scrolling text: a text that fits stands still without a spacer, a
// wider one scrolls and wraps with " *** ", the same text again does not
// restart it, the 0x02 second part, a new box waits for the parent's
// painting, four threads setting texts at once, and messages from outside
// that carry no text.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "element_fixture.h"
#include "scroll_text.h"

namespace {

const COLORREF kInk = RGB(255, 255, 0);
const COLORREF kGround = RGB(0, 0, 160);

class ScrollTextTest : public fk::ElementTest {
protected:
    std::unique_ptr<cScrollText> Make(RECT box = RECT{20, 20, 220, 36}) {
        std::unique_ptr<cScrollText> text(
            new cScrollText(res_.get(), 0, 0, 1, host_->GetWindow(), 70, box, kInk, 0, 0));
        Pump();
        return text;
    }
    // The parent paints: a plain background under the box, then the text's Show.
    void ParentPaints(cScrollText* text) {
        bk::ScopedGetDC screen(nullptr);
        bk::ScopedMemDC dc(CreateCompatibleDC(screen.Get()));
        bk::ScopedGdiObject bmp(CreateCompatibleBitmap(screen.Get(), 420, 300));
        bk::ScopedSelect sel(dc.Get(), bmp.Get());
        HBRUSH ground = CreateSolidBrush(kGround);
        RECT all = {0, 0, 420, 300};
        FillRect(dc.Get(), &all, ground);
        DeleteObject(ground);
        text->Show(dc.Get());
    }
    static std::string Text(cScrollText* t) {
        char buffer[cScrollText::TEXT_SIZE];
        t->GetText(buffer, sizeof(buffer));
        return buffer;
    }
    static std::string Part(cScrollText* t, int which) {
        char main[cScrollText::TEXT_SIZE + 8], second[cScrollText::TEXT_SIZE + 8];
        t->GetDisplayParts(main, sizeof(main), second, sizeof(second));
        return which == 0 ? main : second;
    }
    // Counts the composed picture's pixels of the text's colour and of the ground.
    static void CountColours(cScrollText* t, int* ink, int* ground) {
        *ink = *ground = 0;
        HDC out = t->LockOutput();
        if (out) {
            int w = t->GetBoxWidth();
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < w; ++x) {
                    uint32_t px = fk::DcPixel(out, x, y);
                    if (px == fk::ToRgb(kInk)) ++*ink;
                    if (px == fk::ToRgb(kGround)) ++*ground;
                }
        }
        t->UnlockOutput();
    }
};

TEST_F(ScrollTextTest, TextThatFitsStandsStill) {
    auto text = Make();
    EXPECT_EQ(text->GetBoxWidth(), 200);
    EXPECT_EQ(text->GetTyp(), ET_PASSIVE);
    EXPECT_TRUE(IsWindowVisible(text->GetWindow()));
    text->SetText("Radio");
    Pump();
    EXPECT_EQ(Text(text.get()), "Radio");
    EXPECT_EQ(Part(text.get(), 0), "Radio") << "no spacer";
    int width = text->GetTextWidth();
    EXPECT_GT(width, 0);
    EXPECT_LT(width, 200);
    EXPECT_EQ(text->GetVisibleTextWidth(), width);
    ParentPaints(text.get());
    PumpFor(150);
    EXPECT_EQ(text->GetScrollOffset(), 0) << "nothing scrolls";
    int ink = 0, ground = 0;
    CountColours(text.get(), &ink, &ground);
    EXPECT_GT(ink, 0) << "the text in its colour";
    EXPECT_GT(ground, 0) << "over the parent's background";
}

TEST_F(ScrollTextTest, WideTextScrollsWrapsAndKeepsScrollingWhenSetAgain) {
    auto text = Make(RECT{20, 20, 80, 36});
    const char* title = "A station title far too long for the little box";
    text->SetText(title);
    Pump();
    std::string main = Part(text.get(), 0);
    EXPECT_EQ(main, std::string(title) + " *** ");
    int width = text->GetTextWidth();
    EXPECT_GT(width, 60);
    EXPECT_EQ(text->GetVisibleTextWidth(), 60);
    ParentPaints(text.get());
    PumpFor(300);
    int moved = text->GetScrollOffset();
    EXPECT_GT(moved, 0) << "scrolls every 25 ms";
    text->SetText(title);
    Pump();
    EXPECT_GE(text->GetScrollOffset(), moved) << "the same text does not start again";
    EXPECT_EQ(Part(text.get(), 0), main) << "and gets no second spacer";

    // Round the whole width (the timer's steps, sent at once): the offset
    // comes back to the start.
    bool wrapped = false;
    for (int i = 0; i < width + 2 && !wrapped; ++i) {
        int before = text->GetScrollOffset();
        SendMessageA(text->GetWindow(), WM_TIMER, cScrollText::SCROLL_TIMER, 0);
        wrapped = text->GetScrollOffset() < before;
    }
    EXPECT_TRUE(wrapped);
    int ink = 0, ground = 0;
    CountColours(text.get(), &ink, &ground);
    EXPECT_GT(ink, 0);

    text->SetText("Short");
    Pump();
    EXPECT_EQ(text->GetScrollOffset(), 0) << "a new text starts at the beginning";
    PumpFor(100);
    EXPECT_EQ(text->GetScrollOffset(), 0);
}

TEST_F(ScrollTextTest, SecondPartFollowsWithADash) {
    auto text = Make();
    text->SetText("Artist\x02Title");
    Pump();
    EXPECT_EQ(Part(text.get(), 0), "Artist");
    EXPECT_EQ(Part(text.get(), 1), " - Title");
    // The main part in the main font (bold), the second part in the second.
    bk::ScopedGetDC screen(nullptr);
    auto width = [&](const char* s, int font) {
        bk::ScopedSelect sel(screen.Get(), res_->GetFont(font));
        RECT r = {0, 0, 0, 0};
        DrawTextA(screen.Get(), s, -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
        return static_cast<int>(r.right);
    };
    EXPECT_EQ(text->GetTextWidth(), width("Artist", 0) + width(" - Title", 1));
    EXPECT_NE(width("Artist", 0), width("Artist", 1)) << "the fonts differ, so the test sees a mix-up";
    text->SetText("Somebody with a long name\x02" "and a song title that will never fit");
    Pump();
    EXPECT_EQ(Part(text.get(), 0), "Somebody with a long name");
    EXPECT_EQ(Part(text.get(), 1), " - and a song title that will never fit *** ") << "the spacer goes to the second part";
    text->SetText("\x02");
    Pump();
    EXPECT_EQ(Part(text.get(), 0), "");
    EXPECT_EQ(Part(text.get(), 1), " - ");
}

TEST_F(ScrollTextTest, NewBoxShowsAgainOnlyAfterTheParentPainted) {
    auto text = Make();
    text->SetText("Radio");
    Pump();
    ParentPaints(text.get());
    EXPECT_TRUE(text->IsComposed());
    text->SetTextRect(RECT{20, 20, 60, 40});
    Pump();
    EXPECT_FALSE(text->IsComposed());
    EXPECT_EQ(text->GetBoxWidth(), 40);
    PumpFor(100);
    EXPECT_FALSE(text->IsComposed()) << "the timer alone cannot compose without a background";
    RECT r;
    GetWindowRect(text->GetWindow(), &r);
    EXPECT_EQ(r.right - r.left, 40);
    ParentPaints(text.get());
    EXPECT_TRUE(text->IsComposed());
    // The narrower box no longer holds "Radio"? Then it scrolls with a spacer.
    if (text->GetTextWidth() > 40) {
        EXPECT_NE(Part(text.get(), 0).find(" *** "), std::string::npos);
    }
}

TEST_F(ScrollTextTest, FourThreadsSettingTextsAtOnce) {
    auto text = Make(RECT{20, 20, 100, 36});
    ParentPaints(text.get());
    std::atomic<int> running(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            char line[64];
            for (int i = 0; i < 1000; ++i) {
                snprintf(line, sizeof(line), "thread %d title %d\x02part %d", t, i, i % 7);
                text->SetText(line);
            }
            --running;
        });
    }
    // The window thread takes texts meanwhile.
    for (int i = 0; i < 2000 && running > 0; ++i) PumpFor(5);
    for (std::thread& th : threads) th.join();
    Pump();
    std::string last = Text(text.get());
    EXPECT_EQ(last.rfind("thread ", 0), 0u) << last;
    EXPECT_NE(last.find(" title 999\x02"), std::string::npos) << "one thread's last text: " << last;
}

TEST_F(ScrollTextTest, LongTextsAreCutAndForeignMessagesCarryNothing) {
    auto text = Make();
    std::string huge(70000, 'x');
    text->SetText(huge.c_str());
    text->SetText(nullptr);
    Pump();
    EXPECT_EQ(Text(text.get()).size(), static_cast<size_t>(cScrollText::TEXT_SIZE - 1));
    text->SetText("Radio");
    Pump();
    // Another process may post the element's messages with any values.
    PostMessageA(text->GetWindow(), WM_SCROLLTEXT_TEXT, static_cast<WPARAM>(0xDEADBEEF), 0x1234);
    PostMessageA(text->GetWindow(), WM_SCROLLTEXT_RECT, static_cast<WPARAM>(0xBAADF00D), 0);
    Pump();
    EXPECT_EQ(Text(text.get()), "Radio");
    EXPECT_EQ(text->GetBoxWidth(), 200);
    text->SetIndent(-20);
    text->SetIndent(500);   // wider than the box: nothing drawn, nothing broken
    ParentPaints(text.get());
    PumpFor(60);
    text->SetVisible(0);
    EXPECT_FALSE(IsWindowVisible(text->GetWindow()));
    SendMessageA(text->GetWindow(), WM_SKIN_SHOW_ELEMENT, 1, 0);
    EXPECT_TRUE(IsWindowVisible(text->GetWindow()));
}

}  // namespace
