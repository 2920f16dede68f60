#include <memory>
#include <string>

#include "dialogs_fixture.h"
#include "list_store.h"
#include "new_folder_wnd.h"
#include "txtelement.h"

namespace {

class NewFolderTest : public dlgtest::DialogTest {
protected:
    void TearDown() override {
        cListStore& store = GetListStore();
        EnterCriticalSection(store.Lock());
        cListe* folders = store.List(LS_FAVOURITE_FOLDERS);
        if (cListElement* e = folders->GetById(kFolderId)) folders->Delete(e);
        LeaveCriticalSection(store.Lock());
        DialogTest::TearDown();
    }
    static void AddFolder(const char* name) {
        auto* folder = new cTxtElement;
        folder->SetId(kFolderId);
        folder->SetText(name);
        cListStore& store = GetListStore();
        EnterCriticalSection(store.Lock());
        store.List(LS_FAVOURITE_FOLDERS)->Add(folder);
        LeaveCriticalSection(store.Lock());
    }
    static const unsigned long kFolderId = 9417;
};

TEST_F(NewFolderTest, OkSendsTheNameWithTheFolderId) {
    AddFolder("Jazz");
    const std::string longName(300, 'n');
    struct Case {
        unsigned long id;
        int language;
        const char* typed;   // null: leave the field as opened
        std::string shown;
        int sentId;
        std::string sent;
    };
    const Case cases[] = {
        {kFolderId, 1, nullptr, "Jazz", int(kFolderId), "Jazz"},
        {kFolderId, 1, "Blues", "Jazz", int(kFolderId), "Blues"},
        {4711, 2, "", "", 0, "New Folder"},          // folder gone: a new one
        {0, 1, "", "", 0, "Neuer Ordner"},
        {0, 1, longName.c_str(), "", 0, std::string(255, 'n')},
    };
    for (const Case& c : cases) {
        dlgtest::Calls().clear();
        host_.m_Language = c.language;
        std::unique_ptr<cNewFolderWnd> wnd(new cNewFolderWnd(nullptr, nullptr, res_.get(), c.id));
        EXPECT_EQ(TextOf(wnd->GetNameEdit()), c.shown) << c.id;
        if (c.typed) SetWindowTextA(wnd->GetNameEdit()->GetWindow(), c.typed);
        if (c.id == kFolderId && !c.typed) Screenshot(wnd.get(), "new_folder");
        Post(wnd.get(), cNewFolderWnd::BUTTON_OK);
        EXPECT_FALSE(IsWindow(wnd->GetWindow()));
        auto calls = dlgtest::CallsWithCode(33);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].ch, c.sentId);
        EXPECT_EQ(calls[0].text, c.sent);
    }
}

TEST_F(NewFolderTest, CancelSendsNothing) {
    std::unique_ptr<cNewFolderWnd> wnd(new cNewFolderWnd(nullptr, nullptr, res_.get(), 0));
    Post(wnd.get(), cNewFolderWnd::BUTTON_CANCEL);
    EXPECT_FALSE(IsWindow(wnd->GetWindow()));
    EXPECT_TRUE(dlgtest::CallsWithCode(33).empty());
}

}  // namespace
