#include <memory>
#include <string>

#include "about_wnd.h"
#include "catalogue.h"
#include "dialogs_fixture.h"
#include "skin_plugin.h"

namespace {

class AboutTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        savedSkinModule_ = CurrentSkin().module;
        bk::TextCopy(Library().skinsFolder, (tdtest::BinDir() + "\\").c_str());
    }
    void TearDown() override {
        CurrentSkin().module = savedSkinModule_;
        Library().skinsFolder[0] = 0;
        SetValue("OEM_Player", 0);
        DialogTest::TearDown();
    }
    std::unique_ptr<cAboutWnd> Open() { return std::unique_ptr<cAboutWnd>(new cAboutWnd(nullptr, nullptr, res_.get())); }
    static std::string Catalogue(unsigned id) {
        char text[500] = {};
        GetResourceString(nullptr, id, 1, text, sizeof text);
        return text;
    }

    HMODULE savedSkinModule_ = nullptr;
};

TEST_F(AboutTest, SkinVersionAndTheTwoGroupsOfInformation) {
    dlgtest::ScopedValue skin("SKIN", "stockface.dll");
    auto wnd = Open();
    EXPECT_STREQ(wnd->GetSkinLine(), "Skin: Standard") << "the skin file's internal name";
    const std::string version = wnd->GetSkinVersionLine();
    EXPECT_EQ(version.rfind("Version ", 0), 0u) << version;
    EXPECT_GT(version.size(), strlen("Version ")) << "the skin file has a version block";
    const struct {
        int line;
        unsigned id;   // 0: blank
    } lines[] = {{0, 0}, {1, 0}, {2, 163}, {3, 528}, {4, 0}, {5, 164}, {6, 169}, {7, 0}};
    for (const auto& l : lines)
        EXPECT_EQ(wnd->GetInfoLine(l.line), l.id ? Catalogue(l.id) : std::string()) << l.line;
    Screenshot(wnd.get(), "about");

    Post(wnd.get(), cAboutWnd::BUTTON_LINK);
    Post(wnd.get(), cAboutWnd::BUTTON_LINK);
    EXPECT_EQ(dlgtest::CallsWithCode(5).size(), 2u);
    EXPECT_TRUE(wnd->GetWindow() && IsWindow(wnd->GetWindow())) << "the link leaves the pop-up open";
    Post(wnd.get(), cAboutWnd::BUTTON_OK);
    EXPECT_FALSE(wnd->GetWindow() && IsWindow(wnd->GetWindow()));
}

TEST_F(AboutTest, FilesWithoutVersionsAndOverlongSkinNamesStillOpen) {
    const std::string longName(400, 'k');
    for (const std::string& name : {std::string("no-such-skin.dll"), longName}) {
        dlgtest::ScopedValue skin("SKIN", name.c_str());
        auto wnd = Open();
        EXPECT_STREQ(wnd->GetSkinLine(), "Skin: ") << name.size();
        EXPECT_STREQ(wnd->GetSkinVersionLine(), "Version ") << name.size();
        Post(wnd.get(), cAboutWnd::BUTTON_OK);
    }
}

TEST_F(AboutTest, PartnerEditionTakesItsLinesFromTheSkin) {
    SetValue("OEM_Player", 1);
    // A module with strings 30 to 37 stands for the partner's skin.
    CurrentSkin().module = GetBasekitModule();
    auto wnd = Open();
    for (int i = 0; i < cAboutWnd::INFO_LINES; ++i) {
        char expected[256] = {};
        GetResourceString(GetBasekitModule(), static_cast<unsigned>(30 + i), 1, expected, sizeof expected);
        EXPECT_STREQ(wnd->GetInfoLine(i), expected) << i;
    }
    EXPECT_STRNE(wnd->GetInfoLine(0), "") << "the partner's lines, not the catalogue's groups";
    Post(wnd.get(), cAboutWnd::BUTTON_OK);

    // A skin without those strings leaves the lines empty.
    CurrentSkin().module = nullptr;
    wnd = Open();
    for (int i = 0; i < cAboutWnd::INFO_LINES; ++i) EXPECT_STREQ(wnd->GetInfoLine(i), "") << i;
    Post(wnd.get(), cAboutWnd::BUTTON_OK);
}

}  // namespace
