// The skinned list box under real mouse and keyboard input: selecting with
// clicks and keys tells the parent (only when the selection changed),
// scrolling with the wheel and the keys, and the frame with its white inner
// line that the owner paints whether the list is shown or not.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "control_fixture.h"
#include "element_fixture.h"
#include "skin_listbox.h"
#include "tdtest.h"

namespace {

class SkinListBoxTest : public fk::ElementTest {
protected:
    std::unique_ptr<cSkinListBox> Make(int entries, int height = 120) {
        auto list = std::unique_ptr<cSkinListBox>(new cSkinListBox(host_->GetWindow(), res_.get(), 20, 20, 200, height));
        for (int i = 0; i < entries; ++i) {
            char text[32];
            wsprintfA(text, "Station %02d", i);
            list->AddString(text);
        }
        return list;
    }
    size_t Notices() {
        Pump();
        return host_->Take(WM_SKIN_LIST_SELCHANGE).size();
    }
    static int ItemY(cSkinListBox* l, int index) {
        RECT r;
        SendMessageA(l->GetWindow(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return (r.top + r.bottom) / 2;
    }
    static int Top(cSkinListBox* l) { return static_cast<int>(SendMessageA(l->GetWindow(), LB_GETTOPINDEX, 0, 0)); }
};

TEST_F(SkinListBoxTest, SelectionFromCode) {
    auto list = Make(0);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(list->AddString("first"), 0);
    EXPECT_EQ(list->AddString(nullptr), LB_ERR);
    EXPECT_EQ(list->AddString("second"), 1);
    EXPECT_EQ(list->GetCurSel(), -1);
    struct Case {
        int index, expect;
    };
    for (const Case& c : {Case{1, 1}, Case{0, 0}, Case{7, -1}, Case{-1, -1}}) {
        list->SetCurSel(c.index);
        EXPECT_EQ(list->GetCurSel(), c.expect) << c.index;
        EXPECT_LE(SendMessageA(list->GetWindow(), LB_GETSELCOUNT, 0, 0), 1) << c.index;
    }
    EXPECT_EQ(Notices(), 0u) << "selection set from code is not the user's";
    EXPECT_EQ(SendMessageA(list->GetWindow(), WM_SKIN_BUTTON_PRESSED, 0, 5), 0);
}

TEST_F(SkinListBoxTest, ClicksAndKeysSelectAndTellTheParent) {
    auto list = Make(8);
    HWND w = list->GetWindow();
    fk::FocusControl(host_->GetWindow(), w);
    Pump();
    host_->Clear();

    fk::ClickAt(w, 30, ItemY(list.get(), 3));
    ASSERT_TRUE(fk::PumpUntil([&] { return list->GetCurSel() == 3; }));
    EXPECT_EQ(Notices(), 1u);

    // The same entry again changes nothing: input is taken in order, so
    // once the key's move shows, the click was handled too.
    fk::ClickAt(w, 30, ItemY(list.get(), 3));
    fk::Stroke(VK_DOWN);
    ASSERT_TRUE(fk::PumpUntil([&] { return list->GetCurSel() == 4; }));
    EXPECT_EQ(Notices(), 1u) << "the key's change alone";

    // Shift extends the selection: still a change the parent hears of.
    fk::Stroke(VK_DOWN, true);
    ASSERT_TRUE(fk::PumpUntil([&] { return SendMessageA(w, LB_GETSELCOUNT, 0, 0) == 2; }));
    EXPECT_EQ(Notices(), 1u);
}

TEST_F(SkinListBoxTest, WheelAndKeysScrollALongList) {
    auto list = Make(40, 100);
    HWND w = list->GetWindow();
    fk::FocusControl(host_->GetWindow(), w);
    Pump();
    ASSERT_EQ(Top(list.get()), 0);

    fk::Wheel(w, 40, 40, -2);
    ASSERT_TRUE(fk::PumpUntil([&] { return Top(list.get()) > 0; })) << "the wheel did not scroll";
    int afterWheel = Top(list.get());
    EXPECT_EQ(list->GetCurSel(), -1) << "scrolling selects nothing";

    fk::Stroke(VK_END);
    ASSERT_TRUE(fk::PumpUntil([&] { return list->GetCurSel() == 39; }));
    EXPECT_GT(Top(list.get()), afterWheel);
    EXPECT_EQ(Notices(), 1u);

    fk::Stroke(VK_HOME);
    ASSERT_TRUE(fk::PumpUntil([&] { return list->GetCurSel() == 0; }));
    EXPECT_EQ(Top(list.get()), 0);

    fk::ClickAt(w, 30, ItemY(list.get(), 2));
    ASSERT_TRUE(fk::PumpUntil([&] { return list->GetCurSel() == 2; }));
    host_->user = list.get();
    host_->onPaint = [](fk::TestHost* h, HDC dc) { static_cast<cSkinListBox*>(h->user)->DrawFrame(dc); };
    InvalidateRect(host_->GetWindow(), nullptr, TRUE);
    UpdateWindow(host_->GetWindow());
    Pump();
    EXPECT_TRUE(tdtest::SaveWindowPng(host_->GetWindow(), tdtest::ArtifactDir() + "\\facetkit_list_box.png"));
    host_->onPaint = nullptr;
}

TEST_F(SkinListBoxTest, FrameIsDrawnWhetherTheListIsShownOrNot) {
    auto list = Make(3, 80);
    host_->user = list.get();
    host_->onPaint = [](fk::TestHost* h, HDC dc) {
        RECT r;
        GetClientRect(h->GetWindow(), &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        static_cast<cSkinListBox*>(h->user)->DrawFrame(dc);
    };
    HWND w = host_->GetWindow();
    for (int visible : {1, 0}) {
        list->SetVisible(visible);
        EXPECT_EQ(IsWindowVisible(list->GetWindow()) != 0, visible == 1);
        InvalidateRect(w, nullptr, TRUE);
        UpdateWindow(w);
        Pump();
        // Corners go through the skin's raster operation onto the ground.
        uint32_t ground = fk::ToRgb(GetPixel(GetDC(w), 0, 0));
        EXPECT_EQ(fk::WindowPixel(w, 20, 20), SpritePixel(180, 0, 0) & ground) << visible;
        EXPECT_EQ(fk::WindowPixel(w, 120, 20), SpritePixel(176, 0, 0)) << visible;
        EXPECT_EQ(fk::WindowPixel(w, 20, 60), SpritePixel(176, 0, 0)) << visible;
        if (!visible) {
            // The white line shows where the hidden list was.
            EXPECT_EQ(fk::WindowPixel(w, 21, 30), 0xFFFFFFu);
            EXPECT_EQ(fk::WindowPixel(w, 21, 20 + 80 - 6), 0x808080u) << "stops above the bottom corner";
        }
    }
    host_->onPaint = nullptr;
}

}  // namespace
