// The pop-ups as the running player opens them: the seams the start-up
// fills, the options opener with its list requests, the window group it
// holds still and the navigator's refresh afterwards, the podcast folder
// change reaching the feeds, and a catalogue notice shown through the real
// mark-up pop-up.
#include <cstring>
#include <string>
#include <vector>

#include "dialog_openers.h"
#include "dialogs_fixture.h"
#include "list_store.h"
#include "main_window.h"
#include "message_popup.h"
#include "mp3_quality_wnd.h"
#include "podcast_feed.h"
#include "profile_editors.h"
#include "recording_display.h"
#include "timer_entries.h"
#include "window_binding.h"

namespace {

using dlgtest::CallsWithCode;

// Every seam the dialogs use, as it is before and after the test.
class SavedSeams {
public:
    SavedSeams()
        : openers_(dlgs::Openers()), profiles_(dlgs::ProfileHooks()), popups_(GetRecordingPopups()),
          main_(MainHooks()), timer_(GetTimerEditorHook()) {}
    ~SavedSeams() {
        dlgs::Openers() = openers_;
        dlgs::ProfileHooks() = profiles_;
        SetRecordingPopups(popups_);
        MainHooks() = main_;
        SetTimerEditorHook(timer_);
    }

private:
    dlgs::DialogOpeners openers_;
    dlgs::ProfileEditorHooks profiles_;
    RecordingPopups popups_;
    MainWindowHooks main_;
    TimerEditorHook timer_;
};

std::string EmptySeams() {
    char names[1024] = {};
    dlgs::EmptyDialogSeams(names, sizeof names);
    return names;
}

// The visible top-level windows of this thread that `owner` owns.
struct PopupSearch {
    HWND owner;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectOwned(HWND hwnd, LPARAM data) {
    auto* s = reinterpret_cast<PopupSearch*>(data);
    if (GetWindow(hwnd, GW_OWNER) == s->owner && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
    return TRUE;
}
std::vector<HWND> OwnedPopups(HWND owner) {
    PopupSearch search{owner, {}};
    EnumThreadWindows(GetCurrentThreadId(), &CollectOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class OpenersTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        main_.reset(new dlgtest::ScopedSkinWindow(WND_ID_MAIN, 274, res_.get()));
        nav_.reset(new dlgtest::ScopedSkinWindow(WND_ID_NAVIGATOR, 265, res_.get()));
        host_.m_HostCapabilitiesKnown = 1;
        host_.m_HostCapabilities = 7;
    }
    void TearDown() override {
        nav_.reset();
        main_.reset();
        DialogTest::TearDown();
    }
    static HWND WindowOf(unsigned long id) {
        cSkinWnd* w = GetWindowList().Find(id);
        return w ? w->GetWindow() : nullptr;
    }
    std::unique_ptr<dlgtest::ScopedSkinWindow> main_, nav_;
    SavedSeams seams_;
};

TEST_F(OpenersTest, StartUpFillsEveryDialogSeam) {
    // As the library loads: the check names what is missing.
    dlgs::Openers() = dlgs::EmptyOpeners();
    SetRecordingPopups(RecordingPopups{});
    MainHooks() = MainWindowHooks{};
    SetTimerEditorHook(nullptr);
    dlgs::SetRecListReplies(dlgs::RecListReplies{nullptr, nullptr});
    const std::string before = EmptySeams();
    for (const char* name : {"podcastFolderChanged", "recListReplies", "settings", "timerEditor", "cutChoice"})
        EXPECT_NE(before.find(name), std::string::npos) << name << " in \"" << before << "\"";

    // What BuildUp installs.
    dlgs::InstallProfileEditorOpeners();
    dlgs::InstallMp3ChoiceOpener();
    dlgs::InstallDialogOpeners();
    EXPECT_EQ(EmptySeams(), "");
}

int g_groupEnabledDuringLoop = -1;
int g_popupsSeen = 0;
void CALLBACK CancelSettings(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND nav = GetWindowList().Find(WND_ID_NAVIGATOR)->GetWindow();
    std::vector<HWND> popups = OwnedPopups(nav);
    if (popups.empty()) return;
    KillTimer(nullptr, timer);
    g_popupsSeen = static_cast<int>(popups.size());
    HWND main = GetWindowList().Find(WND_ID_MAIN)->GetWindow();
    g_groupEnabledDuringLoop = (IsWindowEnabled(main) ? 1 : 0) + (IsWindowEnabled(nav) ? 2 : 0);
    for (HWND p : popups) PostMessageA(p, WM_USER + 119, 0, 226);   // Cancel
}

TEST_F(OpenersTest, OptionsHoldThePlayerWindowsAndRefreshTheNavigatorAfterwards) {
    dlgs::InstallDialogOpeners();
    g_groupEnabledDuringLoop = -1;
    g_popupsSeen = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &CancelSettings);
    MainHooks().settings();   // as the menu's Options entry calls it
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_popupsSeen, 1);
    EXPECT_EQ(g_groupEnabledDuringLoop, 0) << "neither the main window nor the navigator takes input meanwhile";
    EXPECT_TRUE(IsWindowEnabled(WindowOf(WND_ID_MAIN)));
    EXPECT_TRUE(IsWindowEnabled(WindowOf(WND_ID_NAVIGATOR)));
    // The lists were asked for before the dialog opened.
    EXPECT_EQ(CallsWithCode(42).size(), 1u);
    EXPECT_EQ(CallsWithCode(59).size(), 1u);
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, WindowOf(WND_ID_NAVIGATOR), 1140, 1140, PM_REMOVE))
        << "the navigator refreshes its views after the options";
}

TEST_F(OpenersTest, NewPodcastFolderReachesTheFeeds) {
    tdtest::TempFolder folder;
    host_.m_PodcastDir = folder.File("old");
    const char* rss =
        "<rss><channel><title>Show</title><item><title>One</title>"
        "<enclosure url=\"http://h/one.mp3\" type=\"audio/mpeg\"/></item></channel></rss>";
    auto* feed = new cPodcastFeed;
    feed->SetUrl("http://example.org/show.xml");
    char* doc = new char[strlen(rss) + 1];
    memcpy(doc, rss, strlen(rss) + 1);
    delete[] feed->SwapText(doc);
    {
        bk::ScopedLock hold(PodcastFeedsLock());
        PodcastFeeds().Add(feed);
    }
    char before[MAX_PATH * 2] = {}, after[MAX_PATH * 2] = {};
    ASSERT_TRUE(feed->GetEpisodeFilePath(1, before, sizeof before));
    EXPECT_NE(std::string(before).find(folder.File("old")), std::string::npos) << before;

    dlgs::InstallDialogOpeners();
    host_.m_PodcastDir = folder.File("new");
    dlgs::Openers().podcastFolderChanged();   // what the options' OK calls on a change
    ASSERT_TRUE(feed->GetEpisodeFilePath(1, after, sizeof after));
    EXPECT_NE(std::string(after).find(folder.File("new")), std::string::npos) << after;
    {
        bk::ScopedLock hold(PodcastFeedsLock());
        PodcastFeeds().Delete(feed);
    }
}

int g_markupSeen = -1;
void CALLBACK ConfirmNotice(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND main = GetWindowList().Find(WND_ID_MAIN)->GetWindow();
    std::vector<HWND> popups = OwnedPopups(main);
    if (popups.empty()) return;
    KillTimer(nullptr, timer);
    auto* popup = fkwin::Bound<cPopUpWnd>(popups[0]);
    g_markupSeen = dynamic_cast<cMarkupMessageWnd*>(popup) != nullptr ? 1 : 0;
    PostMessageA(popups[0], WM_USER + 119, 0, ELEMENT_CONFIRM);
}

TEST_F(OpenersTest, CatalogueNoticeIsShownThroughTheMarkupPopup) {
    dlgs::SetNoticeSink(nullptr);
    g_markupSeen = -1;
    char format[1024] = {}, text[2048] = {};
    dlgs::Text(591, format, sizeof format);   // the converter's "file not found"
    ASSERT_NE(std::string(format).find("<center>"), std::string::npos);
    bk::TextFormat(text, sizeof text, format, "C:\\missing.wav");
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &ConfirmNotice);
    dlgs::MarkupNotice(nullptr, WindowOf(WND_ID_MAIN), res_.get(), text);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_markupSeen, 1) << "the tags are read by the mark-up pop-up, not shown";
}

}  // namespace
