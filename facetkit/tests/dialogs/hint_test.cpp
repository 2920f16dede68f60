#include <functional>
#include <string>

#include "dialogs_fixture.h"
#include "hint_wnds.h"
#include "profile_editors.h"
#include "window_binding.h"

namespace {

class HintTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        baseline_ = cHintPopup::LiveCount();
        for (const char* v : {"SHOW_FORMATUNBEKANNT", "SHOW_FORMATUNGUELTIG", "SHOW_KEINEVERBINDUNG"}) SetValue(v, nullptr);
    }
    void TearDown() override {
        for (const char* v : {"SHOW_FORMATUNBEKANNT", "SHOW_FORMATUNGUELTIG", "SHOW_KEINEVERBINDUNG"}) SetValue(v, nullptr);
        DialogTest::TearDown();
    }
    int Alive() const { return cHintPopup::LiveCount() - baseline_; }
    static std::string Value(const char* name) {
        char text[32] = {};
        GetValue(name, text, sizeof text);
        return text;
    }
    static RECT PlaceOf(cPopUpWnd* hint, unsigned long id) {
        auto* b = dynamic_cast<cWndButton*>(hint->GetButtonList()->GetById(id));
        return b ? b->GetRect() : RECT{-1, -1, -1, -1};
    }
    // Presses OK on every hint this thread shows, the way a modal opener's
    // user would, once the opener has entered its loop.
    static BOOL CALLBACK PressOk(HWND hwnd, LPARAM) {
        if (dynamic_cast<cHintPopup*>(fkwin::Bound<cPopUpWnd>(hwnd))) {
            PostMessageA(hwnd, WM_USER + 119, 0, cHintPopup::BUTTON_OK);
            ++Pressed();
        }
        return TRUE;
    }
    static int& Pressed() {
        static int pressed = 0;
        return pressed;
    }
    static void CALLBACK PressOkOnHints(HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        EnumThreadWindows(GetCurrentThreadId(), &HintTest::PressOk, 0);
    }
    // Runs a modal opener; true when it returned after the hint's OK (the
    // timer only fires inside the opener's own loop).
    static bool OpenedModally(const std::function<void()>& open) {
        Pressed() = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 300, &HintTest::PressOkOnHints);
        open();
        KillTimer(nullptr, timer);
        return Pressed() > 0;
    }

    int baseline_ = 0;
};

TEST_F(HintTest, EveryHelpHintHasItsSizeAndEndsWithOk) {
    const struct {
        const char* name;
        std::function<cHintPopup*(cResourceManager*)> make;
        LONG width, height;
        LONG okCentreWidth, okBottom;   // 0: fixed place
    } hints[] = {
        {"rec_quality", [](cResourceManager* r) { return new cRecQualityHintWnd(nullptr, nullptr, r); }, 335, 275, 335, 270},
        {"rec_device", [](cResourceManager* r) { return new cRecDeviceHintWnd(nullptr, nullptr, r); }, 335, 310, 335, 300},
        {"auth", [](cResourceManager* r) { return new cAuthHintWnd(nullptr, nullptr, r); }, 335, 235, 335, 225},
        {"timer", [](cResourceManager* r) { return new cTimerHintWnd(nullptr, nullptr, r); }, 380, 500, 380, 490},
        {"mp3_quality", [](cResourceManager* r) { return new cMp3QualityHintWnd(nullptr, nullptr, r); }, 270, 350, 255, 340},
        {"proxy", [](cResourceManager* r) { return new cProxyHintWnd(nullptr, nullptr, r); }, 335, 300, 335, 290},
        {"stream_format", [](cResourceManager* r) { return new cStreamFormatHintWnd(nullptr, nullptr, r); }, 350, 380, 350, 370},
        {"auto_pause", [](cResourceManager* r) { return new cAutoPauseHintWnd(nullptr, nullptr, r); }, 270, 160, 262, 148},
    };
    for (const auto& h : hints) {
        cHintPopup* hint = h.make(res_.get());
        HWND hwnd = hint->GetWindow();
        ASSERT_TRUE(hwnd && IsWindowVisible(hwnd)) << h.name;
        EXPECT_EQ(hint->GetSize().cx, h.width) << h.name;
        EXPECT_EQ(hint->GetSize().cy, h.height) << h.name;
        const RECT ok = PlaceOf(hint, cHintPopup::BUTTON_OK);
        EXPECT_EQ(ok.bottom, h.okBottom) << h.name;
        EXPECT_EQ(ok.left, (h.okCentreWidth - (ok.right - ok.left)) / 2) << h.name;
        if (std::string(h.name) == "timer" || std::string(h.name) == "stream_format") Screenshot(hint, std::string("hint_") + h.name);
        EXPECT_EQ(Alive(), 1) << h.name;
        Post(hint, 999);
        EXPECT_TRUE(IsWindow(hwnd)) << h.name << ": other elements do nothing";
        Post(hint, cHintPopup::BUTTON_OK);
        EXPECT_FALSE(IsWindow(hwnd)) << h.name;
        EXPECT_EQ(Alive(), 0) << h.name << ": OK deletes the hint";
    }
}

TEST_F(HintTest, SearchFailureGuideOnlyInGerman) {
    for (int language : {1, 2}) {
        host_.m_Language = language;
        auto* hint = new cSearchFailedHintWnd(nullptr, nullptr, res_.get());
        EXPECT_EQ(Has(hint, cHintPopup::LINK_GUIDE), language == 1) << language;
        const RECT ok = PlaceOf(hint, cHintPopup::BUTTON_OK);
        EXPECT_EQ(ok.left, 101) << language;
        EXPECT_EQ(ok.top, 289) << language;
        if (language == 1) {
            const RECT link = PlaceOf(hint, cHintPopup::LINK_GUIDE);
            EXPECT_EQ(link.left, 154);
            EXPECT_EQ(link.top, 260);
            Screenshot(hint, "hint_search_failed_de");
        }
        Post(hint, cHintPopup::BUTTON_OK);
        EXPECT_EQ(Alive(), 0);
    }
}

TEST_F(HintTest, NeverAgainBoxWritesOnlyWhenTickedAtOk) {
    const struct {
        const char* value;
        std::function<cHintPopup*(cResourceManager*)> make;
    } hints[] = {
        {"SHOW_FORMATUNBEKANNT", [](cResourceManager* r) { return new cPlayerMissingHintWnd(nullptr, nullptr, r, 1); }},
        {"SHOW_FORMATUNGUELTIG", [](cResourceManager* r) { return new cMp3AdjustedHintWnd(nullptr, nullptr, r); }},
        {"SHOW_KEINEVERBINDUNG", [](cResourceManager* r) { return new cNoConnectionHintWnd(nullptr, nullptr, r, 1); }},
    };
    const struct {
        int clicks;
        const char* expected;
    } cases[] = {{0, ""}, {1, "1"}, {2, ""}, {3, "1"}};
    for (const auto& h : hints) {
        for (const auto& c : cases) {
            SetValue(h.value, nullptr);
            cHintPopup* hint = h.make(res_.get());
            ASSERT_TRUE(Has(hint, cHintPopup::CHECK_NEVER_AGAIN)) << h.value;
            for (int i = 0; i < c.clicks; ++i) Click(hint, cHintPopup::CHECK_NEVER_AGAIN);
            if (c.clicks == 1) Screenshot(hint, std::string("hint_") + h.value);
            EXPECT_EQ(Value(h.value), "") << h.value << ": nothing is written before OK";
            Post(hint, cHintPopup::BUTTON_OK);
            EXPECT_EQ(Value(h.value), c.expected) << h.value << " after " << c.clicks << " clicks";
            EXPECT_EQ(Alive(), 0) << h.value;
        }
    }
}

TEST_F(HintTest, PlayerDownloadLinkByKindLeavesTheHintOpen) {
    const struct {
        int kind;
        const char* page;   // null: the link does nothing
    } cases[] = {{1, "realplayer.php"}, {2, "windowsmedia.php"}, {3, "windowsmedia.php"}, {0, nullptr}, {7, nullptr}};
    for (const auto& c : cases) {
        dlgtest::Calls().clear();
        auto* hint = new cPlayerMissingHintWnd(nullptr, nullptr, res_.get(), c.kind);
        Post(hint, cHintPopup::LINK_DOWNLOAD);
        auto links = dlgtest::CallsWithCode(5);
        if (c.page) {
            ASSERT_EQ(links.size(), 1u) << c.kind;
            EXPECT_NE(links[0].text.find(c.page), std::string::npos) << c.kind;
        } else {
            EXPECT_TRUE(links.empty()) << c.kind;
        }
        EXPECT_TRUE(IsWindow(hint->GetWindow())) << c.kind;
        Post(hint, cHintPopup::BUTTON_OK);
    }
    EXPECT_EQ(Alive(), 0);
}

TEST_F(HintTest, HintGoesWithItsOwnerWithoutLeaking) {
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    auto* settingsHint = new cProxyHintWnd(nullptr, owner, res_.get());
    auto* notice = new cMp3AdjustedHintWnd(nullptr, owner, res_.get());
    HWND a = settingsHint->GetWindow(), b = notice->GetWindow();
    EXPECT_EQ(Alive(), 2);
    DestroyWindow(owner);
    fk::PumpPasses(2);
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(IsWindow(b));
    EXPECT_EQ(Alive(), 0) << "hints deleted when their owner went";
}

TEST_F(HintTest, OpenersRespectTheNeverAgainValuesAndEndTheirLoops) {
    dlgtest::ScopedSkinWindow nav(6, 1, res_.get());
    // Modal openers return once the hint's OK is pressed.
    EXPECT_TRUE(OpenedModally([] { dlgs::OpenPlayerMissingHint(2); }));
    EXPECT_TRUE(OpenedModally([] { dlgs::OpenNoConnectionHint(1); }));
    EXPECT_TRUE(OpenedModally([this] { dlgs::OpenHint(dlgs::HINT_TIMER, nullptr, nullptr, res_.get()); }));
    EXPECT_TRUE(OpenedModally([this] { dlgs::OpenEditorHelp(dlgs::HELP_MP3_QUALITY, nullptr, nullptr, res_.get()); }));
    EXPECT_EQ(Alive(), 0);

    // Modeless ones stay beside the opener.
    dlgs::OpenHint(dlgs::HINT_AUTO_PAUSE, nullptr, nullptr, res_.get());
    dlgs::OpenMp3AdjustedHint();
    EXPECT_EQ(Alive(), 2);
    PressOkOnHints(nullptr, 0, 0, 0);
    fk::PumpPasses(2);
    EXPECT_EQ(Alive(), 0);

    // Asked never to show them again: nothing opens.
    SetValue("SHOW_FORMATUNBEKANNT", "1");
    SetValue("SHOW_KEINEVERBINDUNG", "1");
    SetValue("SHOW_FORMATUNGUELTIG", "1");
    dlgs::OpenPlayerMissingHint(1);
    dlgs::OpenNoConnectionHint(1);
    dlgs::OpenMp3AdjustedHint();
    EXPECT_EQ(Alive(), 0);
}

}  // namespace
