// The button list of a window: hit tests over overlapping and disabled
// elements, the status walk of plain and latching buttons under the mouse,
// selecting and releasing, radio groups of window buttons, painting order,
// the factories, and a window with every kind of element as a picture.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "button_list.h"
#include "element_fixture.h"
#include "fill_bars.h"
#include "motion_picture.h"
#include "scroll_text.h"
#include "skin_button.h"
#include "tdtest.h"
#include "volume_slider.h"
#include "wnd_button.h"

namespace {

const unsigned kPlay = 1;   // 44 x 30 cells
const unsigned kStop = 2;
const DWORD kNone = 0, kDisabledHit = static_cast<DWORD>(-1);

class ButtonListTest : public fk::ElementTest {
protected:
    // The elements go before the resource manager whose fonts they use.
    void TearDown() override {
        list_.Delete();
        fk::ElementTest::TearDown();
    }
    cActiveElement* Element(DWORD id) { return static_cast<cActiveElement*>(list_.GetById(id)); }
    DWORD Check(int x, int y, DWORD flag) { return list_.Check(POINT{x, y}, host_->GetWindow(), flag); }
    cButtonListe list_;
};

TEST_F(ButtonListTest, CheckAnswersTheLastEnabledElementHit) {
    // Two overlapping buttons (10..54 and 30..74), a passive picture beside them.
    list_.AddButton(host_, res_.get(), kPlay, POINT{10, 10}, 1, 0);
    list_.AddButton(host_, res_.get(), kStop, POINT{30, 10}, 2, 0);
    list_.AddMotionPicture(host_->GetWindow(), res_.get(), POINT{200, 10}, 3, 277, nullptr, 10);
    struct Case {
        const char* what;
        int disable;   // id to disable, 0 none
        int x, y;
        DWORD answer;
    };
    const Case cases[] = {
        {"overlap: the later one", 0, 40, 20, 2},
        {"only the first", 0, 15, 20, 1},
        {"a passive picture yields its id", 0, 202, 12, 3},
        {"nothing", 0, 150, 150, kNone},
        {"disabled later, enabled earlier", 2, 40, 20, 1},
        {"disabled earlier, enabled later", 1, 40, 20, 2},
        {"only a disabled one", 1, 15, 20, kDisabledHit},
    };
    for (const Case& c : cases) {
        for (DWORD id : {1u, 2u}) Element(id)->SetEnable(static_cast<int>(id) != c.disable);
        EXPECT_EQ(Check(c.x, c.y, ES_MOUSEOVER), c.answer) << c.what;
    }
}

TEST_F(ButtonListTest, ButtonsFollowTheMouseThroughTheirStates) {
    list_.AddButton(host_, res_.get(), kPlay, POINT{10, 10}, 1, 0);
    list_.AddButton(host_, res_.get(), kStop, POINT{100, 10}, 2, 1);   // latching
    struct Step {
        const char* what;
        DWORD id;      // the button looked at
        int inside;    // mouse over it
        DWORD flag;    // 4 move, 8 button down
        int invoke;    // the owner latches it afterwards
        int status;
    };
    const Step steps[] = {
        {"plain: over", 1, 1, ES_MOUSEOVER, 0, ES_MOUSEOVER},
        {"plain: down", 1, 1, ES_PRESSED, 0, ES_PRESSED},
        {"plain: leaves pressed", 1, 0, ES_MOUSEOVER, 0, ES_NORMAL},
        {"latching: over", 2, 1, ES_MOUSEOVER, 0, ES_MOUSEOVER},
        {"latching: clicked and latched", 2, 1, ES_PRESSED, 1, ES_SELECTED},
        {"latching: over while selected shows pressed", 2, 1, ES_MOUSEOVER, 0, ES_PRESSED},
        {"latching: leaves, stays selected", 2, 0, ES_MOUSEOVER, 0, ES_SELECTED},
        {"latching: over again", 2, 1, ES_MOUSEOVER, 0, ES_PRESSED},
        {"latching: clicked while selected unselects", 2, 1, ES_PRESSED, 0, ES_MOUSEOVER},
        {"latching: leaves", 2, 0, ES_MOUSEOVER, 0, ES_NORMAL},
    };
    for (const Step& s : steps) {
        RECT r = Element(s.id)->GetRect();
        POINT p = s.inside ? POINT{r.left + 3, r.top + 3} : POINT{300, 200};
        list_.Check(p, host_->GetWindow(), s.flag);
        if (s.invoke) list_.Invoke(host_->GetWindow(), s.id);
        EXPECT_EQ(Element(s.id)->GetStatus(), s.status) << s.what;
    }
    EXPECT_EQ(list_.HasMouseOver(), 0);
    Check(12, 12, ES_MOUSEOVER);
    EXPECT_EQ(list_.HasMouseOver(), 1);
}

TEST_F(ButtonListTest, ReleaseSelectsOneAndInvokeLatchesOnlyLatchingButtons) {
    list_.AddButton(host_, res_.get(), kPlay, POINT{10, 10}, 1, 1);
    list_.AddButton(host_, res_.get(), kPlay, POINT{60, 10}, 2, 1);
    list_.AddButton(host_, res_.get(), kPlay, POINT{110, 10}, 3, 0);
    cWndButton* wb = list_.AddWndButton(host_, res_.get(), kStop, POINT{160, 10}, 4, 0, nullptr, 0);
    ASSERT_NE(wb, nullptr);
    HWND wnd = host_->GetWindow();

    list_.Invoke(wnd, 3);
    EXPECT_EQ(Element(3)->GetStatus(), ES_NORMAL) << "a plain button is not latched";
    list_.Invoke(wnd, 1);
    EXPECT_EQ(Element(1)->GetStatus(), ES_SELECTED);

    Element(3)->SetStatus(ES_PRESSED);
    wb->SetStatus(ES_SELECTED);
    list_.Release(wnd, 2);
    EXPECT_EQ(Element(2)->GetStatus(), ES_SELECTED);
    EXPECT_EQ(Element(1)->GetStatus(), ES_NORMAL);
    EXPECT_EQ(Element(3)->GetStatus(), ES_NORMAL);
    EXPECT_EQ(wb->GetStatus(), ES_SELECTED) << "window buttons look after themselves";

    list_.Release(wnd, 0);
    for (DWORD id : {1u, 2u, 3u}) EXPECT_EQ(Element(id)->GetStatus(), ES_NORMAL) << id;
    EXPECT_EQ(wb->GetStatus(), ES_SELECTED);
}

TEST_F(ButtonListTest, PressingAWindowButtonReleasesItsGroupThroughTheList) {
    cWndButton* a = list_.AddWndButton(host_, res_.get(), kPlay, POINT{10, 10}, 11, 5, nullptr, cWndButton::FLAG_LATCHING);
    cWndButton* b = list_.AddWndButton(host_, res_.get(), kStop, POINT{60, 10}, 12, 5, nullptr, cWndButton::FLAG_LATCHING);
    cWndButton* c = list_.AddWndButton(host_, res_.get(), kStop, POINT{110, 10}, 13, 6, nullptr, cWndButton::FLAG_LATCHING);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->GetListe(), &list_);
    b->SetStatus(ES_SELECTED);
    c->SetStatus(ES_SELECTED);
    a->Invoke();
    EXPECT_EQ(a->GetStatus(), ES_PRESSED);
    EXPECT_EQ(b->GetStatus(), ES_NORMAL);
    EXPECT_EQ(c->GetStatus(), ES_SELECTED) << "another group";
    list_.ReleaseGroup(6);
    EXPECT_EQ(c->GetStatus(), ES_NORMAL);
}

TEST_F(ButtonListTest, ShowAllPaintsInListOrder) {
    list_.AddButton(host_, res_.get(), kPlay, POINT{10, 10}, 1, 0);
    list_.AddButton(host_, res_.get(), kStop, POINT{10, 10}, 2, 0);
    bk::ScopedGetDC screen(nullptr);
    bk::ScopedMemDC dc(CreateCompatibleDC(screen.Get()));
    bk::ScopedGdiObject bmp(CreateCompatibleBitmap(screen.Get(), 80, 60));
    bk::ScopedSelect sel(dc.Get(), bmp.Get());
    list_.ShowAll(dc.Get());
    unsigned id = 0, cell = 0;
    ASSERT_TRUE(fk::DecodeProbe(fk::DcPixel(dc.Get(), 12, 12), &id, &cell));
    EXPECT_EQ(id, kStop) << "the later element is painted over the earlier";
}

TEST_F(ButtonListTest, FactoriesAddTheirElementsOnly) {
    RECT r = {30, 40, 999, 999};
    list_.AddButton(host_, res_.get(), kPlay, r, 1, 0);
    ASSERT_EQ(list_.GetAnzElement(), 1);
    RECT got = Element(1)->GetRect();
    EXPECT_EQ(got.left, 30);
    EXPECT_EQ(got.right - got.left, res_->GetGfxWidth(kPlay) / 5) << "the size is the sprite's";
    EXPECT_EQ(Element(1)->GetListe(), &list_);

    list_.Add(nullptr);
    RECT own = {10, 100, 90, 108};
    for (DWORD kind : {1u, 2u, 7u})
        list_.AddVolume(host_, res_.get(), kind, RECT{10, 100, 20, 116}, POINT{-1, 0}, POINT{-1, 0}, own,
                        POINT{10, 100}, POINT{80, 100}, nullptr, nullptr, nullptr, 9, 11, 10, 60);
    EXPECT_EQ(list_.GetAnzElement(), 1) << "only kind 0 is a volume slider";
    list_.AddVolume(host_, res_.get(), 0, RECT{10, 100, 20, 116}, POINT{-1, 0}, POINT{-1, 0}, own, POINT{10, 100},
                    POINT{80, 100}, nullptr, nullptr, nullptr, 9, 11, 10, 60);
    ASSERT_EQ(list_.GetAnzElement(), 2);
    EXPECT_EQ(Element(60)->GetTyp(), ET_VOLUME_SLIDER);

    list_.AddScrollText(res_.get(), 0, 0, 1, host_->GetWindow(), 70, RECT{10, 150, 110, 166}, RGB(255, 255, 0), 0, 0);
    ASSERT_EQ(list_.GetAnzElement(), 3);
    EXPECT_EQ(Element(70)->GetTyp(), ET_PASSIVE);

    list_.Delete();
    EXPECT_EQ(list_.GetAnzElement(), 0);
    EXPECT_FALSE(list_.IsMarkedForDelete());
    list_.AddButton(host_, res_.get(), kPlay, POINT{10, 10}, 5, 0);
    EXPECT_EQ(Check(12, 12, ES_MOUSEOVER), 5u) << "the emptied list works on";
}

TEST_F(ButtonListTest, EmptyingWaitsForAWalkOfAnotherThread) {
    for (DWORD id = 1; id <= 3; ++id) list_.AddButton(host_, res_.get(), kPlay, POINT{10 + 50 * static_cast<int>(id), 10}, id, 0);
    HANDLE walking = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    volatile LONG seen = 0;
    std::atomic<bool> walked{false};
    std::thread walker([&] {
        cIterator* it = list_.GetIterator();
        SetEvent(walking);
        Sleep(150);   // the elements must still be there meanwhile
        while (cListElement* e = it->Next()) InterlockedAdd(&seen, static_cast<LONG>(e->GetId()));
        walked = true;
        list_.FreeIterator(it);
    });
    WaitForSingleObject(walking, 30000);
    list_.Delete();
    const bool walkedBeforeEmptying = walked;
    walker.join();
    CloseHandle(walking);
    EXPECT_EQ(seen, 6) << "the walk saw every element";
    EXPECT_TRUE(walkedBeforeEmptying) << "the emptying ended while the walk still ran";
    EXPECT_EQ(list_.GetAnzElement(), 0);
    EXPECT_EQ(Check(62, 12, ES_MOUSEOVER), kNone);
}

TEST_F(ButtonListTest, CheckHandsTheSliderItsOwnHitTest) {
    RECT own = {20, 100, 120, 108};
    list_.AddVolume(host_, res_.get(), 0, RECT{20, 100, 30, 116}, POINT{-1, 0}, POINT{-1, 0}, own, POINT{20, 100},
                    POINT{110, 100}, nullptr, nullptr, nullptr, 9, 11, 10, 60);
    cVolumeSlider* slider = static_cast<cVolumeSlider*>(Element(60));
    slider->SetValue(0, 100, 0, 0);
    EXPECT_EQ(Check(119, 104, ES_PRESSED), 60u);
    EXPECT_EQ(slider->GetValue(), 100) << "a click at the track's right end";
    EXPECT_EQ(slider->EndDrag(), 1);
    EXPECT_EQ(Check(300, 104, ES_MOUSEOVER), kNone);
}

// ---------------------------------------------------------------- gallery

TEST_F(ButtonListTest, GalleryOfEveryElementKind) {
    HWND wnd = host_->GetWindow();
    list_.AddButton(host_, res_.get(), kPlay, POINT{10, 10}, 1, 0);
    list_.AddButton(host_, res_.get(), kStop, POINT{60, 10}, 2, 1);
    list_.Invoke(wnd, 2);
    list_.AddWndButton(host_, res_.get(), 3, POINT{110, 10}, 3, 0, nullptr, 0);
    cMotionPicture* level = list_.AddMotionPicture(wnd, res_.get(), POINT{170, 10}, 277, 277, nullptr, 10);
    ASSERT_NE(level, nullptr);
    level->SetPercent(70);
    cStretchPicture* stretched =
        new cStretchPicture(nullptr, host_, res_.get(), 44, 30, kPlay, RECT{190, 10, 0, 0}, 8, 0);
    stretched->SetRect(RECT{190, 10, 278, 70}, 0);
    list_.Add(stretched);
    list_.AddVolume(host_, res_.get(), 0, RECT{10, 60, 20, 76}, POINT{100, 62}, POINT{116, 62},
                    RECT{10, 64, 90, 72}, POINT{10, 60}, POINT{80, 60}, nullptr, nullptr, nullptr, 9, 11, 10, 60);
    static_cast<cVolumeSlider*>(Element(60))->SetValue(60, 100, 0, 0);
    list_.AddScrollText(res_.get(), 0, 0, 1, wnd, 70, RECT{10, 90, 160, 106}, RGB(255, 230, 90), 0, 0);
    static_cast<cScrollText*>(Element(70))->SetText("Gallery\x02" "every element kind of the skin engine");

    cBufferView buffer(wnd);
    buffer.Init(res_.get());
    buffer.SetRect(RECT{10, 120, 10 + buffer.GetWidth(), 120 + buffer.GetHeight()});
    buffer.SetBufferPos(60, 0);
    cPeakMeter peak(wnd);
    peak.Init(res_.get());
    peak.SetPos(POINT{40, 120});
    peak.SetBufferPos(75, 1);
    cVLProgressBar progress(wnd, res_.get());
    progress.SetPos(POINT{110, 120});
    progress.SetBufferPos(3, 2);

    host_->user = &list_;
    host_->onPaint = [](fk::TestHost* h, HDC dc) { static_cast<cButtonListe*>(h->user)->ShowAll(dc); };
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
    PumpFor(200);
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
    PumpFor(100);

    unsigned id = 0, cell = 0;
    ASSERT_TRUE(ShownCell(level->GetWindow(), 2, 2, &id, &cell));
    EXPECT_EQ(id, 277u);
    EXPECT_EQ(cell, 6u);
    EXPECT_TRUE(tdtest::SaveWindowPng(wnd, tdtest::ArtifactDir() + "\\facetkit_elements.png"));
    host_->onPaint = nullptr;
}

}  // namespace

// Emptying the list while another walk stays open past the wait: the walk
// goes on through live elements instead of freed ones.
TEST_F(ButtonListTest, EmptyingDoesNotFreeUnderAnOpenWalk) {
    list_.AddButton(host_, res_.get(), kPlay, POINT{10, 10}, 1, 0);
    list_.AddButton(host_, res_.get(), kStop, POINT{30, 10}, 2, 0);
    cIterator* walk = list_.GetIterator();
    ASSERT_NE(walk, nullptr);
    cListElement* first = walk->Next();
    list_.Delete();   // gives up waiting after its bound
    EXPECT_TRUE(list_.IsEmpty());
    ASSERT_NE(first, nullptr);
    cListElement* second = first->Next();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetId(), 2u);
    list_.FreeIterator(walk);
    delete second;   // left to the walker; the test frees them
    delete first;
}
