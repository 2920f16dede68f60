// The zentorra skin loaded by the real skin engine's library: it binds the
// engine's C functions, and the elements it builds through them are the
// engine's own, drawn from this skin's master bitmap.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "activeelement.h"
#include "button_list.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "tdtest.h"
#include "win_handles.h"
#include "wnd_list.h"

namespace {

typedef void (*SetButtonsFn)(cVelmoSkinData*, cButtonListe*, cResourceManager*, cSkinWnd*, int);
typedef int (*StatusHookFn)(const char*, int);
typedef HRGN (*RegionFn)(void*, int, int, int, int, int);

const char kClass[] = "zentorra_engine_test_wnd";

// A skinned top-level window of the engine with nothing of its own.
class PlainSkinWnd : public cSkinWnd {
public:
    PlainSkinWnd(int x, int width, int height) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &cSkinWnd::StaticWndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
        wc.lpszClassName = kClass;
        RegisterClassA(&wc);
        SetSize(width, height);
        HWND hwnd = CreateWindowExA(0, kClass, "zentorra", WS_POPUP | WS_VISIBLE, x, 30, width, height, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), this);
        InitWindow(hwnd, 77);
    }
};

void Pump(DWORD ms = 100) { tdtest::WaitFor([] { return false; }, ms); }

template <typename Fn>
Fn Export(HMODULE m, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

class EngineTest : public ::testing::Test {
protected:
    bk::ScopedModule skin;
    std::unique_ptr<cResourceManager> res;
    PlainSkinWnd* main = nullptr;

    void SetUp() override {
        if (!GetProcAddress(GetModuleHandleA("facetkit.dll"), "AddWndButtonToList"))
            GTEST_SKIP() << "this facetkit has no C functions for skins yet";
        skin.Reset(LoadLibraryA((tdtest::BinDir() + "\\zentorraface.dll").c_str()));
        ASSERT_TRUE(skin) << "the skin refused the engine";
        res.reset(new cResourceManager(skin.Get(), 1));
        main = new PlainSkinWnd(20, 372, 220);
    }
    void TearDown() override {
        if (main) {
            HWND hwnd = main->GetWindow();
            GetWindowList().Delete(main);
            DestroyWindow(hwnd);
        }
        Pump();
        res.reset();
    }
    void Build(PlainSkinWnd* w, const char* entry) {
        auto set = Export<SetButtonsFn>(skin.Get(), entry);
        ASSERT_NE(set, nullptr);
        set(w->GetSkinData(), w->GetButtonList(), res.get(), w, 0);
        Pump();
    }
    cActiveElement* Element(PlainSkinWnd* w, DWORD id) {
        return static_cast<cActiveElement*>(w->GetButtonList()->GetById(id));
    }
};

TEST_F(EngineTest, MainWindowElementsAreTheEnginesOwnFromThisSkinsBitmap) {
    ASSERT_TRUE(res->IsValid());
    SIZE master = res->GetMasterSize();
    EXPECT_EQ(master.cx, 1061);
    EXPECT_EQ(master.cy, 1255);
    for (unsigned id : {1u, 2u, 3u, 4u, 5u, 12u, 42u, 44u, 58u, 83u, 274u, 390u, 410u, 411u, 412u})
        EXPECT_TRUE(res->HasSprite(id)) << id;   // none refused
    EXPECT_EQ(res->GetGfxWidth(1), 201);
    EXPECT_EQ(res->GetGfxHeight(1), 47);

    Build(main, "SetButtonsMain");
    for (DWORD id : {390u, 15u, 14u, 1u, 274u, 2u, 3u, 43u, 44u, 12u, 18u, 19u, 17u, 16u, 42u, 39u, 189u, 29u, 195u,
                     58u, 45u, 48u, 49u, 50u, 54u, 56u, 52u})
        EXPECT_NE(Element(main, id), nullptr) << id;
    cActiveElement* play = Element(main, 1);
    ASSERT_NE(play, nullptr);
    RECT r = play->GetRect();
    EXPECT_EQ(r.left, 85);
    EXPECT_EQ(r.top, 157);
    EXPECT_EQ(r.right - r.left, 40);   // one of the five state images
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(main->GetWindow(), rgn), ERROR);
    DeleteObject(rgn);

    auto hook = Export<StatusHookFn>(skin.Get(), "StatusHook");
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(hook("", 8), 1);
    Pump();
    EXPECT_EQ(play->GetStatus(), 2);
    EXPECT_EQ(Element(main, 2)->GetStatus(), 2);
    EXPECT_EQ(hook("", 20), 1);
    Pump();
    EXPECT_EQ(play->GetStatus(), 1);

    Pump(300);
    EXPECT_TRUE(tdtest::SaveWindowPng(main->GetWindow(), tdtest::ArtifactDir() + "\\zentorraface_main_engine.png"));
}

TEST_F(EngineTest, NavigatorButtonsFollowTheOutlineToTheBottom) {
    Build(main, "SetButtonsMain");
    PlainSkinWnd* nav = new PlainSkinWnd(420, 400, 600);
    Build(nav, "SetButtonsNav");
    for (DWORD id : {6u, 5u, 7u, 265u, 322u, 8u}) EXPECT_NE(Element(nav, id), nullptr) << id;
    auto region = Export<RegionFn>(skin.Get(), "GetSkinRegionExtWnd");
    ASSERT_NE(region, nullptr);
    HRGN rgn = region(nav, 1, 0, 600, 400, 0);
    ASSERT_NE(rgn, nullptr);
    Pump();
    for (DWORD id : {6u, 5u, 7u, 265u, 322u, 8u}) {
        cActiveElement* e = Element(nav, id);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->GetRect().top, 600 - 277) << id;
    }
    EXPECT_EQ(Element(main, 58)->GetStatus(), 1);
    EXPECT_NE(SetWindowRgn(nav->GetWindow(), rgn, TRUE), 0);
    Pump(300);
    tdtest::SaveWindowPng(nav->GetWindow(), tdtest::ArtifactDir() + "\\zentorraface_navigator_engine.png");
    HWND hwnd = nav->GetWindow();
    GetWindowList().Delete(nav);
    DestroyWindow(hwnd);
}

// The same main window in the standard skin, for the picture beside this one.
TEST_F(EngineTest, StandardSkinMainWindowForComparison) {
    bk::ScopedModule standard(LoadLibraryA((tdtest::BinDir() + "\\stockface.dll").c_str()));
    if (!standard) GTEST_SKIP() << "the standard skin is not built in this tree";
    auto set = Export<SetButtonsFn>(standard.Get(), "SetButtonsMain");
    ASSERT_NE(set, nullptr);
    cResourceManager standardRes(standard.Get(), 1);
    PlainSkinWnd* w = new PlainSkinWnd(420, 360, 210);
    set(w->GetSkinData(), w->GetButtonList(), &standardRes, w, 0);
    Pump(300);
    EXPECT_NE(w->GetButtonList()->GetById(1), nullptr);
    tdtest::SaveWindowPng(w->GetWindow(), tdtest::ArtifactDir() + "\\stockface_main_engine.png");
    HWND hwnd = w->GetWindow();
    GetWindowList().Delete(w);
    DestroyWindow(hwnd);
    Pump();
}

}  // namespace
