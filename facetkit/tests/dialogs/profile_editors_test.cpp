#include <algorithm>
#include <memory>
#include <string>

#include "dialogs_fixture.h"
#include "profile_editors.h"
#include "profiles.h"

namespace {

const char kCut[] = "dlgB cut profile";
const char kQuality[] = "dlgB quality profile";

int g_confirmAnswer = 0;
std::string g_question;
int Confirm(cElementHost*, HWND, cResourceManager*, const char* text) {
    g_question = text;
    return g_confirmAnswer;
}

class ProfileEditorTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        folder_.reset(new tdtest::TempFolder("dlgB"));
        userFolder_.reset(new dlgtest::ScopedValue("PathUser", (folder_->Path() + "\\").c_str()));
        saved_ = dlgs::ProfileHooks();
        dlgs::ProfileHooks().confirm = &Confirm;
        g_confirmAnswer = 0;
        g_question.clear();
        Forget();
    }
    void TearDown() override {
        Forget();
        dlgs::ProfileHooks() = saved_;
        userFolder_.reset();
        folder_.reset();
        DialogTest::TearDown();
    }
    static void Forget() {
        for (const char* n : {kCut, "every 45 MB", "alle 45 MB"}) DeleteAutoCutSettings(n);
        DeleteRecQualitySettings(kQuality);
    }
    static std::string Of(cVLEditBox* e) { return TextOf(e); }
    dlgs::ProfileEditorHooks saved_;
    std::unique_ptr<tdtest::TempFolder> folder_;
    std::unique_ptr<dlgtest::ScopedValue> userFolder_;
};

TEST_F(ProfileEditorTest, CutProfileShowsDefaultsSuggestsANameAndSaves) {
    host_.m_Language = 2;
    char name[cCutProfileWnd::NAME_SIZE] = {};
    bk::TextCopy(name, kCut);
    std::unique_ptr<cCutProfileWnd> wnd(new cCutProfileWnd(nullptr, nullptr, res_.get(), name));
    EXPECT_EQ(wnd->GetTypeList()->GetCurSel(), 0);
    EXPECT_EQ(Of(wnd->GetValueEdit()), "20");
    EXPECT_EQ(Status(wnd.get(), cCutProfileWnd::BOX_OWN_FOLDER), 2);
    EXPECT_EQ(Of(wnd->GetNameEdit()), kCut);
    Choose(wnd->GetTypeList(), 1);
    Type(wnd->GetValueEdit(), "45");
    EXPECT_EQ(Of(wnd->GetNameEdit()), "every 45 MB");
    Click(wnd.get(), cCutProfileWnd::BOX_OWN_FOLDER);
    Screenshot(wnd.get(), "cut_profile_editor");
    Post(wnd.get(), cCutProfileWnd::BUTTON_SAVE);
    EXPECT_FALSE(IsWindow(wnd->GetWindow()));
    int type = 0, value = 0, folder = 0, language = 0;
    GetAutoCutSettings("every 45 MB", &type, &value, &folder, &language);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(value, 45);
    EXPECT_EQ(folder, 1);
    EXPECT_EQ(language, -1);
    EXPECT_EQ(host_.m_AutoCutMuster, "every 45 MB");
    EXPECT_TRUE(dlgtest::Notices().empty());
}

TEST_F(ProfileEditorTest, CutProfileRefusesWhatCannotBeStored) {
    struct Case {
        const char* value;
        const char* name;
        bool saved;
    };
    const Case cases[] = {
        {"", kCut, false},   {"0", kCut, false},      {"1001", kCut, false},
        {"20", "a]b", false}, {"20", ";x", false},     {"1000", kCut, true},
    };
    for (const Case& c : cases) {
        dlgtest::Notices().clear();
        char name[cCutProfileWnd::NAME_SIZE] = {};
        bk::TextCopy(name, kCut);
        std::unique_ptr<cCutProfileWnd> wnd(new cCutProfileWnd(nullptr, nullptr, res_.get(), name));
        Type(wnd->GetValueEdit(), c.value);
        Type(wnd->GetNameEdit(), c.name);
        Post(wnd.get(), cCutProfileWnd::BUTTON_SAVE);
        EXPECT_EQ(IsWindow(wnd->GetWindow()) == FALSE, c.saved) << c.value << " " << c.name;
        EXPECT_EQ(dlgtest::Notices().size(), c.saved ? 0u : 1u) << c.value << " " << c.name;
        int type = 0, value = 0, folder = 0;
        GetAutoCutSettings(kCut, &type, &value, &folder, nullptr);
        if (c.saved) EXPECT_EQ(value, 1000);
        Post(wnd.get(), cCutProfileWnd::BUTTON_CANCEL);
        DeleteAutoCutSettings(kCut);
    }
}

TEST_F(ProfileEditorTest, EmptyNameClosesWithoutStoring) {
    char name[cCutProfileWnd::NAME_SIZE] = {};
    bk::TextCopy(name, kCut);
    std::unique_ptr<cCutProfileWnd> wnd(new cCutProfileWnd(nullptr, nullptr, res_.get(), name));
    Type(wnd->GetNameEdit(), "   ");
    Post(wnd.get(), cCutProfileWnd::BUTTON_SAVE);
    EXPECT_FALSE(IsWindow(wnd->GetWindow()));
    EXPECT_TRUE(host_.calls.empty() || host_.m_AutoCutMuster.empty());
}

TEST_F(ProfileEditorTest, ChoiceFormsHandTheNameBackAndLeaveThePlayerAlone) {
    char buffer[cCutProfileWnd::NAME_SIZE] = {};
    bk::TextCopy(buffer, kCut);
    std::unique_ptr<cCutProfileWnd> cut(new cCutProfileChoiceWnd(nullptr, nullptr, res_.get(), buffer));
    Type(cut->GetNameEdit(), "  dlgB cut profile  ");
    Post(cut.get(), cCutProfileWnd::BUTTON_SAVE);
    EXPECT_STREQ(buffer, kCut);
    EXPECT_TRUE(host_.m_AutoCutMuster.empty());

    char quality[cRecQualityWnd::NAME_SIZE] = {};
    bk::TextCopy(quality, kQuality);
    std::unique_ptr<cRecQualityWnd> rec(new cRecQualityChoiceWnd(nullptr, nullptr, res_.get(), quality));
    Post(rec.get(), cRecQualityWnd::BUTTON_SAVE);
    EXPECT_STREQ(quality, kQuality);
    EXPECT_TRUE(host_.m_QualityMuster.empty());
}

TEST_F(ProfileEditorTest, DeleteAsksWithTheTypedNameAndKeepsTheProfileOnNo) {
    SetAutoCutSettings(kCut, 1, 30, 0, -1);
    char name[cCutProfileWnd::NAME_SIZE] = {};
    bk::TextCopy(name, kCut);
    std::unique_ptr<cCutProfileWnd> wnd(new cCutProfileWnd(nullptr, nullptr, res_.get(), name));
    Post(wnd.get(), cCutProfileWnd::BUTTON_DELETE);
    EXPECT_NE(g_question.find(kCut), std::string::npos);
    EXPECT_TRUE(IsWindow(wnd->GetWindow()));
    int type = 0, value = 0, folder = 0;
    GetAutoCutSettings(kCut, &type, &value, &folder, nullptr);
    EXPECT_EQ(value, 30);
    g_confirmAnswer = 1;
    Post(wnd.get(), cCutProfileWnd::BUTTON_DELETE);
    EXPECT_FALSE(IsWindow(wnd->GetWindow()));
    GetAutoCutSettings(kCut, &type, &value, &folder, nullptr);
    EXPECT_EQ(type, 0) << "the profile is gone";
}

TEST_F(ProfileEditorTest, DeletingThePlayersCutProfileLeavesItOnDoNotCut) {
    const struct {
        const char* current;   // the player's cut profile
        const char* expected;  // afterwards
    } cases[] = {{kCut, "Nicht schneiden"}, {"every 45 MB", "every 45 MB"}};
    for (const auto& c : cases) {
        SetAutoCutSettings(kCut, 1, 30, 0, -1);
        host_.m_AutoCutMuster = c.current;
        host_.calls.clear();
        dlgtest::Calls().clear();
        g_confirmAnswer = 1;
        char name[cCutProfileWnd::NAME_SIZE] = {};
        bk::TextCopy(name, kCut);
        std::unique_ptr<cCutProfileWnd> wnd(new cCutProfileWnd(nullptr, nullptr, res_.get(), name));
        Post(wnd.get(), cCutProfileWnd::BUTTON_DELETE);
        EXPECT_FALSE(IsWindow(wnd->GetWindow()));
        EXPECT_EQ(host_.m_AutoCutMuster, c.expected) << c.current;
        const bool changed = std::string(c.current) != c.expected;
        EXPECT_EQ(dlgtest::CallsWithCode(46).size(), changed ? 1u : 0u) << "the host re-reads its recording settings";
        EXPECT_EQ(std::count(host_.calls.begin(), host_.calls.end(), "Save"), changed ? 1 : 0) << c.current;
    }
}

TEST_F(ProfileEditorTest, RecQualityShowsTheNearestEntriesAndWritesThemBack) {
    struct Case {
        int sps, bps, nch;
        const char* rateText;
        int savedSps, savedBps, savedNch;
    };
    const Case cases[] = {
        {22050, 8, 1, "22 kHz", 22050, 8, 1},
        {96000, 16, 2, "48 kHz", 48000, 16, 2},
        {44100, 12, 6, "44,1 kHz", 44100, 16, 2},
    };
    for (const Case& c : cases) {
        SetRecQualitySettings(kQuality, c.sps, c.bps, c.nch);
        char name[cRecQualityWnd::NAME_SIZE] = {};
        bk::TextCopy(name, kQuality);
        std::unique_ptr<cRecQualityWnd> wnd(new cRecQualityWnd(nullptr, nullptr, res_.get(), name));
        EXPECT_EQ(TextOf(wnd->GetList(cRecQualityWnd::LIST_RATE)), c.rateText);
        if (c.sps == 22050) Screenshot(wnd.get(), "rec_quality_editor");
        Post(wnd.get(), cRecQualityWnd::BUTTON_SAVE);
        int sps = 0, bps = 0, nch = 0;
        GetRecQualitySettings(kQuality, &sps, &bps, &nch, nullptr);
        EXPECT_EQ(sps, c.savedSps) << c.sps;
        EXPECT_EQ(bps, c.savedBps) << c.sps;
        EXPECT_EQ(nch, c.savedNch) << c.sps;
        EXPECT_EQ(host_.m_QualityMuster, kQuality);
    }
}

TEST_F(ProfileEditorTest, LongQualityNameKeepsTheDeleteButtonInsideTheFrame) {
    char name[cRecQualityWnd::NAME_SIZE] = {};
    bk::TextCopy(name, "a very long recording quality profile name that goes on");
    std::unique_ptr<cRecQualityWnd> wnd(new cRecQualityWnd(nullptr, nullptr, res_.get(), name));
    RedrawWindow(wnd->GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    fk::PumpPasses();
    auto* del = dynamic_cast<cWndButton*>(wnd->GetButtonList()->GetById(cRecQualityWnd::BUTTON_DELETE));
    ASSERT_NE(del, nullptr);
    RECT r = {};
    GetWindowRect(del->GetWindow(), &r);
    POINT p = {r.left, r.top};
    ScreenToClient(wnd->GetWindow(), &p);
    EXPECT_EQ(p.x, cRecQualityWnd::DELETE_MAX_X);
    Post(wnd.get(), cRecQualityWnd::BUTTON_CANCEL);
}

}  // namespace
