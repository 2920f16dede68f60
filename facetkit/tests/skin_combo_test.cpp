// The skinned combo box under real mouse clicks and key strokes: its list
// operations, choosing entries from the drop-down list (the parent hears of
// every change), the arrow button, show/enable messages, Tab, the editable
// kind, the frame it paints, and the folder menu of the favourites view.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "control_fixture.h"
#include "element_fixture.h"
#include "skin_combo.h"
#include "tdtest.h"
#include "wnd_button.h"

namespace {

class SkinComboTest : public fk::ElementTest {
protected:
    template <class T = cSkinComboBox>
    std::unique_ptr<T> Make(int editable = 0, int kind = 0, int x = 20, int y = 20) {
        auto combo = std::unique_ptr<T>(new T(host_->GetWindow(), res_.get(), x, y, 180, 18, editable, kind));
        for (const char* t : {"Alpha", "Bravo", "Charlie"}) combo->AddString(t);
        return combo;
    }
    static std::string Text(cSkinComboBox* c) {
        char buffer[300] = {};
        c->GetText(buffer);
        return buffer;
    }
    static HWND DropList(cSkinComboBox* c) {
        COMBOBOXINFO info = {sizeof info};
        GetComboBoxInfo(c->GetWindow(), &info);
        return info.hwndList;
    }
    static bool Dropped(cSkinComboBox* c) { return SendMessageA(c->GetWindow(), CB_GETDROPPEDSTATE, 0, 0) != 0; }
    // Clicks the arrow button and waits for the list to drop.
    bool OpenByArrow(cSkinComboBox* c) {
        RECT r = c->GetArrowButton()->GetRect();
        fk::FocusControl(host_->GetWindow(), c->GetWindow());
        fk::ClickAt(c->GetWindow(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        return fk::PumpUntil([&] { return Dropped(c); });
    }
    std::vector<fk::HostMessage> SelChanges() {
        Pump();
        return host_->Take(WM_SKIN_COMBO_SELCHANGE);
    }
};

TEST_F(SkinComboTest, ListOperations) {
    auto combo = Make();
    EXPECT_EQ(combo->GetCount(), 3);
    combo->AddString(nullptr);
    EXPECT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetCurSel(), -1) << "filled after the constructor chose entry 0 of an empty list";

    struct Case {
        int index, expect;
        const char* text;
    };
    const Case cases[] = {{2, 2, "Charlie"}, {99, 0, "Alpha"}, {1, 1, "Bravo"}, {-1, 0, "Alpha"}};
    for (const Case& c : cases) {
        combo->SetCurSel(c.index);
        EXPECT_EQ(combo->GetCurSel(), c.expect) << c.index;
        EXPECT_EQ(Text(combo.get()), c.text) << c.index;
    }
    char small[8];
    memset(small, '#', sizeof small);
    EXPECT_EQ(combo->GetText(small, 4), 3);
    EXPECT_EQ(std::string(small), "Alp");
    EXPECT_EQ(small[4], '#');

    combo->ResetContent();
    EXPECT_EQ(combo->GetCount(), 0);
    EXPECT_EQ(combo->GetCurSel(), -1);
}

TEST_F(SkinComboTest, ArrowButtonSitsAtTheRightAndSetsTheHeight) {
    const int kinds[3] = {191, 192, 284};
    for (int kind = 0; kind < 3; ++kind) {
        auto combo = Make(0, kind);
        cWndButton* arrow = combo->GetArrowButton();
        ASSERT_NE(arrow, nullptr);
        EXPECT_EQ(arrow->GetId(), static_cast<unsigned long>(kinds[kind]));
        EXPECT_EQ(arrow->GetSprite(), static_cast<DWORD>(kinds[kind]));
        EXPECT_EQ(GetParent(arrow->GetWindow()), combo->GetWindow());
        RECT r = arrow->GetRect();
        EXPECT_EQ(r.left, 180 - arrow->GetGfxWidth() - 2);
        EXPECT_EQ(r.top, 3);
        EXPECT_EQ(combo->GetSize().cy, arrow->GetGfxHeight() + 2);
    }
}

TEST_F(SkinComboTest, PickingEntriesWithTheMouseTellsTheParent) {
    auto combo = Make();
    ASSERT_TRUE(OpenByArrow(combo.get()));
    HWND list = DropList(combo.get());
    ASSERT_NE(list, nullptr);
    RECT item;
    SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    fk::ClickAt(list, item.left + 10, (item.top + item.bottom) / 2);
    ASSERT_TRUE(fk::PumpUntil([&] { return !Dropped(combo.get()); }));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(Text(combo.get()), "Charlie");
    auto notices = SelChanges();
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back().wParam, reinterpret_cast<WPARAM>(combo->GetWindow()));
    EXPECT_EQ(notices.back().lParam, 0);
}

TEST_F(SkinComboTest, KeyboardChoiceTellsTheParentAndTabMovesOn) {
    auto combo = Make();
    combo->SetCurSel(0);
    host_->Clear();
    fk::FocusControl(host_->GetWindow(), combo->GetWindow());
    Pump();
    fk::Stroke(VK_DOWN);
    ASSERT_TRUE(fk::PumpUntil([&] { return combo->GetCurSel() == 1; }));
    EXPECT_FALSE(SelChanges().empty());

    fk::Stroke(VK_TAB);
    EXPECT_TRUE(fk::PumpUntil([&] { return !host_->Take(WM_SKIN_NEXT_CONTROL).empty(); }));
    EXPECT_EQ(combo->GetCurSel(), 1);
}

TEST_F(SkinComboTest, EditableComboTakesTypedText) {
    auto combo = Make(1);
    COMBOBOXINFO info = {sizeof info};
    GetComboBoxInfo(combo->GetWindow(), &info);
    ASSERT_NE(info.hwndItem, nullptr);
    fk::FocusControl(host_->GetWindow(), info.hwndItem);
    Pump();
    fk::TypeText("My folder");
    EXPECT_TRUE(fk::PumpUntil([&] { return Text(combo.get()) == "My folder"; })) << Text(combo.get());
    EXPECT_EQ(combo->GetCurSel(), -1);
}

TEST_F(SkinComboTest, ShowAndEnableMessagesReachComboAndArrow) {
    auto combo = Make();
    SendMessageA(combo->GetWindow(), WM_SKIN_ENABLE_ELEMENT, 0, 0);
    EXPECT_FALSE(combo->IsEnabled());
    EXPECT_FALSE(combo->GetArrowButton()->IsEnabled());
    SendMessageA(combo->GetWindow(), WM_SKIN_ENABLE_ELEMENT, 1, 0);
    EXPECT_TRUE(combo->IsEnabled());
    EXPECT_TRUE(combo->GetArrowButton()->IsEnabled());
    SendMessageA(combo->GetWindow(), WM_SKIN_SHOW_ELEMENT, 0, 0);
    EXPECT_FALSE(IsWindowVisible(combo->GetWindow()));
    SendMessageA(combo->GetWindow(), WM_SKIN_SHOW_ELEMENT, 1, 0);
    EXPECT_TRUE(IsWindowVisible(combo->GetWindow()));
    SendMessageA(combo->GetWindow(), WM_SKIN_BUTTON_PRESSED, 0, 191);
    EXPECT_TRUE(Dropped(combo.get()));
    SendMessageA(combo->GetWindow(), CB_SHOWDROPDOWN, 0, 0);
}

struct ComboPaint {
    cSkinComboBox* boxes[2];
};

TEST_F(SkinComboTest, FramePaintsAroundTheArrowOnlyWhileShown) {
    auto first = Make(0, 0, 20, 20);
    auto second = Make(0, 1, 20, 60);
    first->SetCurSel(1);
    second->SetCurSel(2);
    ComboPaint paint = {{first.get(), second.get()}};
    host_->user = &paint;
    host_->onPaint = [](fk::TestHost* h, HDC dc) {
        RECT r;
        GetClientRect(h->GetWindow(), &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        for (cSkinComboBox* b : static_cast<ComboPaint*>(h->user)->boxes) b->Show(dc);
    };
    InvalidateRect(host_->GetWindow(), nullptr, TRUE);
    UpdateWindow(host_->GetWindow());
    Pump();
    HWND w = host_->GetWindow();
    const int width = 178, cy = first->GetSize().cy;
    EXPECT_EQ(fk::WindowPixel(w, 20, 20), SpritePixel(180, 0, 0));
    EXPECT_EQ(fk::WindowPixel(w, 20, 60), SpritePixel(303, 0, 0)) << "kind 1 takes look 1";
    EXPECT_EQ(fk::WindowPixel(w, 20 + width - 1, 20 + cy - 1), SpritePixel(177, 5, 5));
    EXPECT_EQ(fk::WindowPixel(w, 40, 20), SpritePixel(176, 0, 0)) << "top edge";
    EXPECT_TRUE(tdtest::SaveWindowPng(w, tdtest::ArtifactDir() + "\\facetkit_combo_box.png"));

    // A hidden combo leaves its place to the parent's ground.
    first->SetVisible(0);
    UpdateWindow(w);
    Pump();
    EXPECT_EQ(fk::WindowPixel(w, 20, 20), 0xFFFFFFu);
    host_->onPaint = nullptr;
}

using fk::OwnMenuWindow;

// Notes the folder menu's item states and texts, then chooses an item with
// the keyboard or closes the menu with Escape.
struct FolderMenuDriver {
    int clickPosition = -1;   // -1: Escape
    UINT states[4] = {};
    char texts[4][64] = {};
    fk::MenuDriver driver;

    void Start() {
        driver.Start([this](HMENU hmenu) {
            for (int i = 0; i < 4 && hmenu; ++i) {
                states[i] = GetMenuState(hmenu, i, MF_BYPOSITION);
                GetMenuStringA(hmenu, i, texts[i], sizeof texts[i], MF_BYPOSITION);
            }
            // The keyboard steps over separators only; Return on a greyed
            // item chooses nothing, as a click on it does.
            std::vector<WPARAM> keys;
            if (clickPosition >= 0 && clickPosition < 4 && (states[clickPosition] & MF_SEPARATOR) == 0) {
                for (int i = 0; i <= clickPosition; ++i)
                    if ((states[i] & MF_SEPARATOR) == 0) keys.push_back(VK_DOWN);
                keys.push_back(VK_RETURN);
            }
            return keys;
        });
    }
    void Join() { driver.Join(); }
    bool Seen() const { return driver.Seen(); }
};

TEST_F(SkinComboTest, FolderMenuOffersWhatTheSelectionAllows) {
    struct Case {
        const char* what;
        int selection;   // -1: none
        int click;       // menu position, -1 Escape
        LPARAM sent;     // 0: nothing
        bool firstTwoEnabled;
    };
    const Case cases[] = {
        {"first folder, delete is greyed", 0, 1, 0, false},
        {"first folder, create", 0, 3, FOLDER_CREATE, false},
        {"no selection, delete", -1, 1, FOLDER_DELETE, true},
        {"second folder, rename", 1, 0, FOLDER_RENAME, true},
        {"dismissed", 2, -1, 0, true},
    };
    auto combo = Make<cSkinContextMenu>(1);
    for (const Case& c : cases) {
        SendMessageA(combo->GetWindow(), CB_SETCURSEL, static_cast<WPARAM>(c.selection), 0);
        host_->Clear();
        FolderMenuDriver driver;
        driver.clickPosition = c.click;
        driver.Start();
        fk::FocusControl(host_->GetWindow(), combo->GetWindow());
        fk::ClickAt(combo->GetWindow(), 30, 8, true);
        bool closed = fk::PumpUntil([&] { return driver.Seen() && !OwnMenuWindow(); }, 30000);
        driver.Join();
        fk::PumpUntil([] { return !IsWindowVisible(OwnMenuWindow()); }, 30000);
        ASSERT_TRUE(driver.Seen()) << c.what;
        EXPECT_TRUE(closed || !IsWindowVisible(OwnMenuWindow())) << c.what;
        const UINT greyed = MF_GRAYED | MF_DISABLED;
        EXPECT_EQ((driver.states[0] & greyed) == 0, c.firstTwoEnabled) << c.what;
        EXPECT_EQ((driver.states[1] & greyed) == 0, c.firstTwoEnabled) << c.what;
        EXPECT_NE(driver.states[2] & MF_SEPARATOR, 0u) << c.what;
        EXPECT_EQ(driver.states[3] & greyed, 0u) << c.what;
        EXPECT_STREQ(driver.texts[0], "Ordner umbenennen") << c.what;
        EXPECT_EQ(std::string(driver.texts[1]).rfind("Ordner l", 0), 0u) << c.what;
        EXPECT_STREQ(driver.texts[3], "Neuen Ordner anlegen") << c.what;
        Pump();
        auto pressed = host_->Take(WM_SKIN_BUTTON_PRESSED);
        if (c.sent) {
            ASSERT_EQ(pressed.size(), 1u) << c.what;
            EXPECT_EQ(pressed[0].lParam, c.sent) << c.what;
            EXPECT_EQ(pressed[0].wParam, 0u) << c.what;
        } else {
            EXPECT_TRUE(pressed.empty()) << c.what;
        }
    }
}

TEST_F(SkinComboTest, FolderMenuStaysClosedOutsideTheParent) {
    auto combo = Make<cSkinContextMenu>(1);
    combo->SetPos(-40, -40);
    FolderMenuDriver driver;
    driver.Start();
    EXPECT_EQ(combo->OnContextMenu(), 1);
    driver.Join();
    EXPECT_FALSE(driver.Seen());
    EXPECT_TRUE(host_->Take(WM_SKIN_BUTTON_PRESSED).empty());
    // The plain combo leaves the right click to Windows.
    auto plain = Make();
    EXPECT_EQ(plain->OnContextMenu(), 0);
}

}  // namespace
