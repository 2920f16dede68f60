#include <cstring>
#include <memory>
#include <string>

#include "dialogs_fixture.h"
#include "record_saved_wnd.h"
#include "recording_record.h"

namespace {

struct ChooserScript {
    bool confirm = false;
    std::string answer;   // empty: keep the proposal
    std::string proposal, title, extension, filter;
    int asked = 0;
};
ChooserScript g_script;

bool ScriptedChooser(const cRecordSavedWnd::SaveRequest& r) {
    ++g_script.asked;
    g_script.proposal = r.path;
    g_script.title = r.title ? r.title : "";
    g_script.extension = r.defaultExtension ? r.defaultExtension : "";
    g_script.filter = r.filter ? r.filter : "";
    if (g_script.confirm && !g_script.answer.empty()) bk::TextCopy(r.path, static_cast<size_t>(r.size), g_script.answer.c_str());
    return g_script.confirm;
}

class RecordSavedTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        g_script = ChooserScript();
        cRecordSavedWnd::SetSaveChooser(&ScriptedChooser);
        recorded_ = folder_.File("Abendsendung.mp3");
        folder_.Write("Abendsendung.mp3", "ID3 recorded bytes");
    }
    void TearDown() override {
        cRecordSavedWnd::SetSaveChooser(nullptr);
        DialogTest::TearDown();
    }
    std::unique_ptr<cRecordSavedWnd> Open(const std::string& path, int pieces = 0) {
        RecordingStartRecord record = {};
        bk::TextCopy(record.name, sizeof record.name, path.c_str());
        record.pieceCount = pieces;
        std::unique_ptr<cRecordSavedWnd> wnd(new cRecordSavedWnd(nullptr, nullptr, res_.get()));
        wnd->SetRecording(&record);
        return wnd;
    }
    static bool IsOpen(cRecordSavedWnd* wnd) { return wnd->GetWindow() && IsWindow(wnd->GetWindow()); }

    tdtest::TempFolder folder_{"recsaved"};
    std::string recorded_;
};

TEST(RecordedFileType, FilterAndExtensionFollowThePath) {
    struct Case {
        const char* path;
        const char* filterStart;   // null: none
        const char* extension;
    } cases[] = {
        {"C:\\rec\\show.mp3", "MP3 (*.mp3)", "mp3"},
        {"C:\\rec\\show.wav", "WAV (*.wav)", "wav"},
        {"C:\\rec.wav\\show.mp3", "MP3 (*.mp3)", "mp3"},
        {"C:\\rec.mp3\\show.wav", "MP3 (*.mp3)", "wav"},
        {"C:\\rec\\show.MP3", nullptr, "MP3"},
        {"C:\\rec\\show.ogg", nullptr, "ogg"},
        {"ab", nullptr, "ab"},
    };
    for (const Case& c : cases) {
        RecordedFileType type = RecordedFileTypeOf(c.path);
        if (c.filterStart)
            EXPECT_STREQ(type.filter, c.filterStart) << c.path;
        else
            EXPECT_EQ(type.filter, nullptr) << c.path;
        EXPECT_STREQ(type.extension, c.extension) << c.path;
    }
}

TEST_F(RecordSavedTest, PathIsSplitIntoFolderAndName) {
    auto wnd = Open(recorded_, 3);
    EXPECT_EQ(std::string(wnd->GetFolder()), folder_.Path());
    EXPECT_STREQ(wnd->GetFileName(), "Abendsendung.mp3");
    EXPECT_EQ(wnd->GetPieces(), 3);
    Screenshot(wnd.get(), "record_saved_pieces");
    // One row, 15 pixels apart, from x 55, bottom edges at 200.
    int left = 55;
    for (unsigned long id : {cRecordSavedWnd::BUTTON_OK, cRecordSavedWnd::BUTTON_SAVE_AS, cRecordSavedWnd::BUTTON_DELETE}) {
        auto* b = dynamic_cast<cWndButton*>(wnd->GetButtonList()->GetById(id));
        ASSERT_NE(b, nullptr) << id;
        const RECT r = b->GetRect();
        EXPECT_EQ(r.left, left) << id;
        EXPECT_EQ(r.bottom, 200) << id;
        left = r.right + 15;
    }
    auto bare = Open("show.wav");
    EXPECT_STREQ(bare->GetFolder(), "show.wav");
    EXPECT_STREQ(bare->GetFileName(), "show.wav");

    // A record without its terminating zero is read up to the field's end.
    RecordingStartRecord record = {};
    memset(record.name, 'x', sizeof record.name);
    bare->SetRecording(&record);
    EXPECT_EQ(strlen(bare->GetFileName()), sizeof record.name - 1);
}

TEST_F(RecordSavedTest, OkKeepsAndDeleteAsksTheCallerToDelete) {
    auto wnd = Open(recorded_);
    Post(wnd.get(), cRecordSavedWnd::BUTTON_OK);
    EXPECT_FALSE(IsOpen(wnd.get()));
    EXPECT_EQ(wnd->GetResult(), 1);
    // Closed by the system (Alt+F4) or gone with its owner: kept as well.
    wnd = Open(recorded_);
    SendMessageA(wnd->GetWindow(), WM_CLOSE, 0, 0);
    fk::PumpPasses(2);
    EXPECT_EQ(wnd->GetResult(), 1) << "closed";
    wnd = Open(recorded_);
    DestroyWindow(wnd->GetWindow());
    EXPECT_EQ(wnd->GetResult(), 1) << "destroyed";
    wnd = Open(recorded_);
    Post(wnd.get(), cRecordSavedWnd::BUTTON_DELETE);
    EXPECT_FALSE(IsOpen(wnd.get()));
    EXPECT_EQ(wnd->GetResult(), 0);
    EXPECT_TRUE(folder_.Exists("Abendsendung.mp3")) << "the pop-up deletes nothing by itself";
}

TEST_F(RecordSavedTest, SaveAsMovesTheFileOrLeavesItWhereItIs) {
    // Moved elsewhere.
    g_script.confirm = true;
    g_script.answer = folder_.File("Kopie.mp3");
    auto wnd = Open(recorded_);
    Post(wnd.get(), cRecordSavedWnd::BUTTON_SAVE_AS);
    EXPECT_EQ(g_script.proposal, recorded_);
    EXPECT_EQ(g_script.extension, "mp3");
    EXPECT_EQ(g_script.filter, "MP3 (*.mp3)");
    EXPECT_FALSE(g_script.title.empty());
    EXPECT_EQ(wnd->GetResult(), 1);
    EXPECT_FALSE(IsOpen(wnd.get()));
    EXPECT_EQ(folder_.Read("Kopie.mp3"), "ID3 recorded bytes");
    EXPECT_FALSE(folder_.Exists("Abendsendung.mp3"));

    // The same path in other letters: nothing copied or deleted, still kept.
    g_script.answer = folder_.File("KOPIE.MP3");
    wnd = Open(folder_.File("Kopie.mp3"));
    Post(wnd.get(), cRecordSavedWnd::BUTTON_SAVE_AS);
    EXPECT_EQ(wnd->GetResult(), 1);
    EXPECT_EQ(folder_.Read("Kopie.mp3"), "ID3 recorded bytes");

    // Cancelled: the pop-up shows again and nothing moved.
    g_script.confirm = false;
    wnd = Open(folder_.File("Kopie.mp3"));
    Post(wnd.get(), cRecordSavedWnd::BUTTON_SAVE_AS);
    EXPECT_TRUE(IsOpen(wnd.get()));
    EXPECT_TRUE(IsWindowVisible(wnd->GetWindow()));
    EXPECT_EQ(wnd->GetResult(), 1) << "still kept if it closes now";
    EXPECT_TRUE(dlgtest::Notices().empty());

    // A copy that fails leaves the recording in place and says so.
    g_script.confirm = true;
    g_script.answer = folder_.File("no such folder\\Kopie.mp3");
    Post(wnd.get(), cRecordSavedWnd::BUTTON_SAVE_AS);
    EXPECT_TRUE(IsOpen(wnd.get()));
    EXPECT_EQ(wnd->GetResult(), 1);
    EXPECT_EQ(folder_.Read("Kopie.mp3"), "ID3 recorded bytes");
    ASSERT_EQ(dlgtest::Notices().size(), 1u);
    EXPECT_NE(dlgtest::Notices()[0].find("no such folder"), std::string::npos) << dlgtest::Notices()[0];
    Post(wnd.get(), cRecordSavedWnd::BUTTON_OK);
}

}  // namespace
