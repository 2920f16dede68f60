// The main window as a skinned window among the others: the wheel that
// scrolls the navigator, the favourite button that follows the favourites
// list, the menus opened on it (marks, recent stations, the tray menu), the
// skin's close request and window region, the text-box colours and a link's
// banner sizes that reach the navigator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue.h"
#include "facetkit_fixtures.h"
#include "fake_settings.h"
#include "host_exports.h"
#include "library_state.h"
#include "list_store.h"
#include "main_menu.h"
#include "main_window.h"
#include "nav_view.h"
#include "nav_window.h"
#include "protocol_commands.h"
#include "resource_manager.h"
#include "skin_plugin_api.h"
#include "skin_wnd_fixture.h"
#include "table_ctrl.h"
#include "tdtest.h"
#include "win_handles.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

std::vector<int> g_codes;

int RecordCode(int code, int, void*) {
    // Code 26 follows the focus, which other programs may move at any time.
    if (code != 26) g_codes.push_back(code);
    return 0;
}

std::string Catalogue(unsigned id) {
    char text[512] = {};
    GetResourceString(nullptr, id, 1, text, sizeof text);
    return text;
}

// Reads the pop-up menu this program shows, then closes it with Escape or
// chooses its first entry.
struct MenuReader {
    bool choose = false;
    // Per top-level entry: its command, whether it is checked, and its
    // sub-menu's entry count and first command (-1 and 0 without one).
    struct Entry {
        UINT command;
        bool checked;
        int subEntries;
        UINT subFirst;
    };
    std::vector<Entry> entries;
    fk::MenuDriver driver;

    void Start() {
        driver.Start([this](HMENU hmenu) {
            for (int i = 0; hmenu && i < GetMenuItemCount(hmenu); ++i) {
                HMENU sub = GetSubMenu(hmenu, i);
                entries.push_back({GetMenuItemID(hmenu, i), (GetMenuState(hmenu, i, MF_BYPOSITION) & MF_CHECKED) != 0,
                                   sub ? GetMenuItemCount(sub) : -1, sub ? GetMenuItemID(sub, 0) : 0});
            }
            return choose ? std::vector<WPARAM>{VK_DOWN, VK_RETURN} : std::vector<WPARAM>{};
        });
    }
    void Join() { driver.Join(); }
    bool Seen() const { return driver.Seen(); }
    bool Checked(UINT command) const {
        for (const Entry& e : entries)
            if (e.command == command) return e.checked;
        return false;
    }
    // The sub-menu whose first entry has this command; -1 when none.
    int SubEntries(UINT first) const {
        for (const Entry& e : entries)
            if (e.subEntries >= 0 && e.subFirst == first) return e.subEntries;
        return -1;
    }
};

class MainWindowShell : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(fk::LoadStockface(&skin_), nullptr);
        res_ = new cResourceManager(skin_.Get(), 1);
        saved_ = Library();
        Library().callback = &RecordCode;
        Library().host = &settings_;
        Library().processId = GetCurrentProcessId();
        settings_.numbers["GetLanguage"] = 1;
        g_codes.clear();
        win_ = new cVelmoWin();
        ASSERT_TRUE(win_->CreateMainWindow(skin_.Get(), res_, "velmirant-Player"));
        auto setMain = reinterpret_cast<SkinSetButtonsMainFn>(
            reinterpret_cast<void*>(GetProcAddress(skin_.Get(), "SetButtonsMain")));
        ASSERT_NE(setMain, nullptr);
        setMain(win_->GetSkinData(), win_->GetButtonList(), res_, win_, 0);
        win_->InitState();
        ShowWindow(win_->GetWindow(), SW_SHOWNOACTIVATE);
        fk::PumpPasses();
    }
    void TearDown() override {
        delete nav_;
        if (win_) {
            HWND hwnd = win_->GetWindow();
            win_->DetachWindow();
            delete win_;
            if (hwnd) DestroyWindow(hwnd);
        }
        delete res_;
        if (Library().textBoxBrush && Library().textBoxBrush != saved_.textBoxBrush)
            DeleteObject(Library().textBoxBrush);
        Library() = saved_;
        cListStore& store = GetListStore();
        for (int slot : {LS_TOP_STATIONS, LS_FAVOURITES, LS_RECENT}) store.List(slot)->Delete();
        fk::PumpPasses();
    }
    // A real navigator with the standard skin's buttons, extended and shown.
    cNavWindow* Navigator() {
        nav_ = CreateNavWindow(skin_.Get(), nullptr, 0);
        if (!nav_) return nullptr;
        nav_->SetResourceManager(res_);
        auto setNav = reinterpret_cast<SkinSetButtonsNavFn>(
            reinterpret_cast<void*>(GetProcAddress(skin_.Get(), "SetButtonsNav")));
        if (setNav) setNav(nav_->GetSkinData(), nav_->GetButtonList(), res_, nav_, 1);
        nav_->SetSize(520, 420);
        nav_->GetSkinData()->SetHasDisplay(1);
        nav_->ApplySkinSizes();
        if (nav_->IsCollapsed()) nav_->Slide();
        ShowWindow(nav_->GetWindow(), SW_SHOWNOACTIVATE);
        UpdateWindow(nav_->GetWindow());
        fk::PumpPasses();
        return nav_;
    }
    cWndButton* Favourite() {
        return dynamic_cast<cWndButton*>(static_cast<cActiveElement*>(win_->GetButtonList()->GetById(29)));
    }

    bk::ScopedModule skin_;
    cResourceManager* res_ = nullptr;
    cVelmoWin* win_ = nullptr;
    cNavWindow* nav_ = nullptr;
    FakeSettings settings_;
    LibraryState saved_;
};

TEST_F(MainWindowShell, WheelOverTheWindowScrollsTheNavigatorsList) {
    // Without a navigator the wheel is taken and nothing happens.
    EXPECT_EQ(SendMessageA(win_->GetWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0), 1);

    for (int i = 1; i <= 80; ++i) GetListStore().AddText(LS_TOP_STATIONS, ("Sender " + std::to_string(i)).c_str(), i);
    ASSERT_NE(Navigator(), nullptr);
    cNavView* view = nav_->GetNavView();
    ASSERT_NE(view, nullptr);
    view->ShowView(4);
    ASSERT_NE(view->Table(), nullptr);
    // The table takes its scroll range when it is painted.
    RedrawWindow(nav_->GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    fk::PumpPasses();
    ASSERT_EQ(view->Table()->GetTopRow(), 0);
    HWND main = win_->GetWindow();
    SendMessageA(main, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    int down = view->Table()->GetTopRow();
    EXPECT_GT(down, 0) << "a turn towards the user moves the rows up";
    SendMessageA(main, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(view->Table()->GetTopRow(), 0);
}

TEST_F(MainWindowShell, FavouriteButtonFollowsTheFavouritesListAtTheEndOfItsSeries) {
    cWndButton* button = Favourite();
    ASSERT_NE(button, nullptr) << "the standard skin places a favourite button";
    win_->SetCurrentSelection(4711, "Radio");
    EXPECT_EQ(button->GetSprite(), 29u);
    EXPECT_EQ(std::string(button->GetToolTipText()), Catalogue(176));

    // The host answers an added favourite with the whole list; its end
    // reaches every window as 1132.
    GetListStore().AddFavourite("Radio", 4711, 0);
    EXPECT_EQ(button->GetSprite(), 29u) << "nothing changes before the series ends";
    AddToFavoriten(nullptr, 0, 0);
    EXPECT_TRUE(tdtest::WaitFor([&] {
        fk::PumpPasses(1);
        return button->GetSprite() == 32u;
    }, 30000));
    EXPECT_EQ(std::string(button->GetToolTipText()), Catalogue(175));

    GetListStore().List(LS_FAVOURITES)->Delete();
    EXPECT_EQ(SendMessageA(win_->GetWindow(), WM_FK_LISTS_CHANGED, 0, 0), 1);
    EXPECT_EQ(button->GetSprite(), 29u);
}

TEST_F(MainWindowShell, ViewMenuOnTheWindowMarksTheNavigatorAsItIs) {
    ASSERT_NE(Navigator(), nullptr);
    nav_->GetNavView()->ShowView(4);
    MenuReader reader;
    reader.Start();
    win_->ShowContextMenu(win_->GetWindow(), 10, 10, MENU_VIEW);
    reader.Join();
    ASSERT_TRUE(reader.Seen());
    EXPECT_TRUE(reader.Checked(CMD_VIEW_EXTENDED));
    EXPECT_FALSE(reader.Checked(CMD_VIEW_NORMAL));
    EXPECT_TRUE(reader.Checked(32779)) << "the top stations are shown";
    EXPECT_FALSE(reader.Checked(32778));
}

TEST_F(MainWindowShell, StationMenuListsAsManyRecentStationsAsTheRecentLimitAllows) {
    // The recent list itself keeps up to the larger limit (timer entries');
    // the menu shows the recent list's own.
    settings_.numbers["GetMaxResentList"] = 2;
    settings_.numbers["GetMaxTimerEditList"] = 30;
    for (int i = 1; i <= 5; ++i) GetListStore().AddRecent(("Sender " + std::to_string(i)).c_str(), i, 30);
    ASSERT_EQ(GetListStore().List(LS_RECENT)->GetAnzElement(), 5);
    MenuReader reader;
    reader.Start();
    win_->ShowContextMenu(win_->GetWindow(), 10, 10, MENU_STATION);
    reader.Join();
    ASSERT_TRUE(reader.Seen());
    EXPECT_EQ(reader.SubEntries(CMD_RECENT_FIRST), 2);
}

TEST_F(MainWindowShell, TrayMenuOpensOnARightButtonReleaseAndGivesTheChoice) {
    EXPECT_EQ(win_->ShowTrayMenu(WM_LBUTTONUP), 0);
    EXPECT_EQ(fk::OwnMenuWindow(), nullptr);
    MenuReader reader;
    reader.choose = true;
    reader.Start();
    int chosen = win_->ShowTrayMenu(WM_RBUTTONUP);
    reader.Join();
    ASSERT_TRUE(reader.Seen());
    ASSERT_FALSE(reader.entries.empty());
    EXPECT_EQ(chosen, static_cast<int>(reader.entries[0].command)) << "the tray sub-menu's entry, handed back";
}

TEST_F(MainWindowShell, SkinsCloseRequestRunsTheClosingSequence) {
    InterlockedExchange(&Library().running, 1);
    // Element 47's press reaches the window's close request.
    win_->OnExtendButton();
    EXPECT_EQ(Library().running, 0) << "the user interface ends";
    EXPECT_EQ(GetWindowList().Find(WND_ID_MAIN), win_) << "the object stays for the start-up to tear down";
}

TEST_F(MainWindowShell, WindowRegionIsACopyOfTheWindowsOwn) {
    HWND hwnd = win_->GetWindow();
    HRGN own = CreateEllipticRgn(0, 0, 200, 120);
    ASSERT_TRUE(SetWindowRgn(hwnd, own, FALSE));   // the window owns it now
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(hwnd, shape), ERROR);
    HRGN copy = win_->CreateWindowRegion(5, 5);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(EqualRgn(copy, shape)) << "the size asked for is not used";
    // The caller may free its copy; the window keeps its shape.
    DeleteObject(copy);
    HRGN again = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(hwnd, again), ERROR);
    EXPECT_TRUE(EqualRgn(again, shape));
    DeleteObject(again);
    DeleteObject(shape);

    SetWindowRgn(hwnd, nullptr, FALSE);
    HRGN whole = win_->CreateWindowRegion(0, 0);
    RECT box = {};
    GetRgnBox(whole, &box);
    RECT client = {};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(box.right, client.right) << "a window without a region is its rectangle";
    EXPECT_EQ(box.bottom, client.bottom);
    DeleteObject(whole);
}

TEST_F(MainWindowShell, EditAndListChildrenGetTheSkinsTextBoxColours) {
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 50, 20, win_->GetWindow(), nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    HDC dc = GetDC(edit);
    Library().textBoxBrush = CreateSolidBrush(RGB(1, 2, 3));
    win_->GetSkinData()->SetTextboxcolorBG(RGB(1, 2, 3));
    win_->GetSkinData()->SetTextcolorN(RGB(200, 100, 50));
    for (UINT msg : {static_cast<UINT>(WM_CTLCOLOREDIT), static_cast<UINT>(WM_CTLCOLORLISTBOX)}) {
        SetBkColor(dc, RGB(255, 255, 255));
        LRESULT brush = SendMessageA(win_->GetWindow(), msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), Library().textBoxBrush) << msg;
        EXPECT_EQ(GetBkColor(dc), RGB(1, 2, 3)) << msg;
        EXPECT_EQ(GetTextColor(dc), RGB(200, 100, 50)) << msg;
    }
    ReleaseDC(edit, dc);
    DestroyWindow(edit);
}

TEST_F(MainWindowShell, BannerOfALinkReachesTheNavigatorsSizesOnTheWindowsThread) {
    settings_.numbers["GetVelmoAddy"] = 1;
    ASSERT_NE(Navigator(), nullptr);
    int before = nav_->GetSkinData()->GetBannerHeight();
    g_codes.clear();
    HandleStartParams(MainProtocolTarget(), "tunerdeck://|INFO|468|60|http://banner.example/ad");
    EXPECT_EQ(settings_.Text("GetAdBannerUrl"), std::string("http://banner.example/ad"));
    EXPECT_EQ(settings_.Number("GetAdBannerCX"), 468);
    EXPECT_EQ(settings_.Number("GetAdBannerCY"), 60);
    ASSERT_TRUE(tdtest::WaitFor([&] {
        fk::PumpPasses(1);
        for (int c : g_codes)
            if (c == CB_BANNER_CHANGED) return true;
        return false;
    }, 30000)) << "the host hears of the new banner";
    EXPECT_NE(nav_->GetSkinData()->GetBannerHeight(), before);
    EXPECT_EQ(nav_->GetSkinData()->GetBannerHeight(), 60) << "applied before the host was told";
}

}  // namespace
