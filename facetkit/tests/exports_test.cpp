// The C functions for skin plug-ins: a fixture skin binds all of them by
// name and builds a window's elements through them; then they are driven
// with the cases skins get wrong (null pointers, unknown ids, elements of
// another kind) and the edge cases of deleting, showing and skin metrics.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <atomic>
#include <thread>

#include "button_list.h"
#include "facetkit_fixtures.h"
#include "resource_manager.h"
#include "skin_exports.h"
#include "skin_wnd.h"
#include "skin_wnd_fixture.h"
#include "tdtest.h"
#include "volume_slider.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

typedef int (*BindFn)();
typedef cWndButton* (*BuildFn)(cSkinWnd*, cResourceManager*);
typedef int (*MisuseFn)(cSkinWnd*, cResourceManager*, DWORD);

enum { FX_BUTTON = 100, FX_PICTURE = 101, FX_SCROLL = 102, FX_VOLUME = 60 };

void Pump() { fk::PumpPasses(); }

class ExportsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        window_ = new fk::TestSkinWnd(12, 30, 30, 320, 200);
        plugin_ = LoadLibraryA(fk::BinFile("facetkit_exportskin.dll").c_str());
    }
    static void TearDownTestSuite() {
        HWND hwnd = window_->GetWindow();
        GetWindowList().Delete(window_);
        window_ = nullptr;
        DestroyWindow(hwnd);
        if (plugin_) FreeLibrary(plugin_);
    }
    void SetUp() override {
        ASSERT_NE(plugin_, nullptr);
        ASSERT_NE(fk::LoadStockface(&skin_), nullptr);
        res_.reset(new cResourceManager(skin_.Get(), 0));
        bind_ = reinterpret_cast<BindFn>(reinterpret_cast<void*>(GetProcAddress(plugin_, "FixtureBind")));
        build_ = reinterpret_cast<BuildFn>(reinterpret_cast<void*>(GetProcAddress(plugin_, "FixtureBuild")));
        misuse_ = reinterpret_cast<MisuseFn>(reinterpret_cast<void*>(GetProcAddress(plugin_, "FixtureMisuse")));
        ASSERT_TRUE(bind_ && build_ && misuse_);
        ASSERT_EQ(bind_(), 30) << "every C function bound by name";
        list_ = window_->GetButtonList();
        list_->Delete();
        button_ = build_(window_, res_.get());
        Pump();
    }
    void TearDown() override {
        list_->Delete();
        Pump();
        res_.reset();
    }
    cActiveElement* Element(DWORD id) { return static_cast<cActiveElement*>(list_->GetById(id)); }

    static fk::TestSkinWnd* window_;
    static HMODULE plugin_;
    bk::ScopedModule skin_;
    std::unique_ptr<cResourceManager> res_;
    BindFn bind_ = nullptr;
    BuildFn build_ = nullptr;
    MisuseFn misuse_ = nullptr;
    cButtonListe* list_ = nullptr;
    cWndButton* button_ = nullptr;
};
fk::TestSkinWnd* ExportsTest::window_ = nullptr;
HMODULE ExportsTest::plugin_ = nullptr;

TEST_F(ExportsTest, ASkinBuildsItsElementsThroughTheFunctions) {
    ASSERT_NE(button_, nullptr);
    EXPECT_EQ(Element(FX_BUTTON), button_);
    EXPECT_EQ(button_->GetTyp(), ET_WINDOW_BUTTON);
    EXPECT_EQ(button_->GetParentWindow(), window_->GetWindow());
    EXPECT_EQ(button_->GetRect().left, 12) << "moved by WndButtonSetPos";
    ASSERT_NE(Element(FX_PICTURE), nullptr);
    EXPECT_EQ(Element(FX_PICTURE)->GetWindow() != nullptr, true);
    ASSERT_NE(Element(FX_SCROLL), nullptr);
    ASSERT_NE(Element(FX_VOLUME), nullptr);
    EXPECT_EQ(Element(FX_VOLUME)->GetTyp(), ET_VOLUME_SLIDER);
    EXPECT_EQ(list_->GetAnzElement(), 4) << "the volume of an unknown kind was not added";
    cVelmoSkinData* d = window_->GetSkinData();
    EXPECT_EQ(d->GetTableLineColor(), 0x00123456u);
    EXPECT_EQ(d->GetResizeBtnPos().x, -1);
    EXPECT_EQ(d->GetResizeBtnPos().y, 7);
    EXPECT_EQ(d->GetNavAnimType(), 5);
    EXPECT_STREQ(d->GetPodcastURL(), "http://example.invalid/podcasts");
}

TEST_F(ExportsTest, CarelessArgumentsDoNothing) {
    cVelmoSkinData before(*window_->GetSkinData());
    int sprite = static_cast<int>(button_->GetSprite());
    EXPECT_EQ(misuse_(window_, res_.get(), FX_VOLUME), 0) << "number of the first check that answered";
    EXPECT_EQ(list_->GetAnzElement(), 4);
    EXPECT_FALSE(list_->IsMarkedForDelete());
    EXPECT_EQ(static_cast<int>(button_->GetSprite()), sprite);
    EXPECT_EQ(memcmp(&before, window_->GetSkinData(), sizeof(before)), 0) << "no metric changed";
    // Unknown keys change nothing either.
    int32_t v = 77;
    SetSkinData(window_, "NoSuchKey", &v);
    EXPECT_EQ(memcmp(&before, window_->GetSkinData(), sizeof(before)), 0);
}

TEST_F(ExportsTest, ElementsAreSteeredById) {
    ActiveElementSetStatus(list_, FX_PICTURE, ES_MOUSEOVER);
    EXPECT_EQ(ActiveElementGetStatus(list_, FX_PICTURE), ES_MOUSEOVER);
    ActiveElementSetEnable(list_, FX_BUTTON, 0);
    EXPECT_EQ(button_->IsEnabled(), 0);
    ActiveElementSetBtnLook(list_, FX_BUTTON, 2);
    EXPECT_EQ(button_->GetSprite(), 2u);
    ActiveElementSetRect(list_, FX_SCROLL, 5, 6, 105, 26, 0);
    RECT r = ActiveElementGetRect(list_, FX_SCROLL);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.bottom, 26);
    r = ActiveElementGetRect(list_, 4711);
    EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0);
    // A window button is shown or hidden by its own window, not at once.
    ASSERT_EQ(button_->IsVisible(), 1);
    ActiveElementSetVisible(list_, FX_BUTTON, 0);
    EXPECT_EQ(button_->IsVisible(), 1);
    Pump();
    EXPECT_EQ(button_->IsVisible(), 0);
    InvokeWndButton(button_, 1);
    // Volume geometry round trip.
    VolumeSetPosition(list_, FX_VOLUME, 20, 120, 30, 130, -1, 0, -1, 0, 10, 120, 210, 132, 10, 120, 200, 120);
    RECT knob, own;
    POINT first, second, start, end;
    VolumeGetPosition(list_, FX_VOLUME, &knob, &first, &second, &own, &start, &end);
    EXPECT_EQ(own.top, 120);
    EXPECT_EQ(end.x, 200);
    // Through the resource manager.
    RECT sprite;
    HDC master = ResourceManagerGetDC(res_.get(), 1, &sprite);
    EXPECT_NE(master, nullptr);
    EXPECT_EQ(sprite.right - sprite.left + 1, res_->GetGfxWidth(1));
    bk::ScopedGetDC screen(nullptr);
    bk::ScopedMemDC dc(CreateCompatibleDC(screen.Get()));
    bk::ScopedGdiObject bmp(CreateCompatibleBitmap(screen.Get(), 300, 60));
    bk::ScopedSelect sel(dc.Get(), bmp.Get());
    EXPECT_NE(CallResDrawBitmap(res_.get(), dc.Get(), 0, 0, 1, SRCCOPY), 0);
    unsigned id = 0, cell = 0;
    ASSERT_TRUE(fk::DecodeProbe(fk::DcPixel(dc.Get(), 2, 2), &id, &cell));
    EXPECT_EQ(id, 1u);
    EXPECT_NE(CallResBitBlt(res_.get(), dc.Get(), 0, 0, 10, 10, 1, 0, 0, SRCCOPY), 0);
    EXPECT_NE(CallResStretchBlt(res_.get(), dc.Get(), 0, 0, 20, 20, 1, 0, 0, SRCCOPY), 0);
    EXPECT_EQ(VelmoWinGetWindow(window_), window_->GetWindow());
    EXPECT_EQ(VelmoWinGetSkinData(window_), window_->GetSkinData());
}

TEST_F(ExportsTest, DeletingByIdSkipsUnknownIdsAndWaitsForOpenWalks) {
    const DWORD ids[] = {FX_PICTURE, 4711, FX_PICTURE};
    ListeDeleteById(list_, 3, ids);
    EXPECT_EQ(Element(FX_PICTURE), nullptr);
    EXPECT_EQ(list_->GetAnzElement(), 3) << "one element for an id given twice";
    EXPECT_FALSE(list_->IsMarkedForDelete());
    // A walk still open on another thread ends before its elements go.
    cIterator* walk = list_->GetIterator();
    ASSERT_NE(walk, nullptr);
    std::atomic<bool> walkEnding{false};
    std::thread walker([&] {
        Sleep(300);
        walkEnding = true;
        list_->FreeIterator(walk);
    });
    const DWORD scroll[] = {FX_SCROLL};
    ListeDeleteById(list_, 1, scroll);
    const bool waited = walkEnding;
    walker.join();
    EXPECT_TRUE(waited) << "the elements went while the walk was open";
    EXPECT_EQ(Element(FX_SCROLL), nullptr);
    EXPECT_FALSE(list_->IsMarkedForDelete());
    ListeMarkForDelete(list_, true);
    EXPECT_EQ(list_->GetById(FX_BUTTON), nullptr) << "no lookups while marked";
    ListeMarkForDelete(list_, false);
    EXPECT_NE(list_->GetById(FX_BUTTON), nullptr);
}

}  // namespace
