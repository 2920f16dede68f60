// The options dialog on real windows with the standard skin, driven by the
// messages its buttons and lists send: what reaches the host on OK, Cancel
// and close, the pages' mappings between settings and controls, the limits
// of the number fields (and what the user is told), the proxy and
// credential fields, the waits for the playback host and the recording
// lists, and the guided page order.
#include <memory>

#include "catalogue.h"
#include "dialogs_fixture.h"
#include "settings_logic.h"
#include "settings_wnd.h"
#include "status_intake.h"
#include "view_notices.h"

namespace {

using dlgtest::Calls;
using dlgtest::CallsWithCode;
using dlgtest::Notices;

class SettingsTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        host_.m_HostCapabilitiesKnown = 1;
        host_.m_HostCapabilities = 7;
        host_.m_BufferSize = 10;
        host_.m_Timeout = 30;
        host_.m_AlterNeueSender = 7;
        host_.m_RetryCount = 3;
        host_.m_PodAutoUpdate = 1;
        host_.m_PodAutoDownload = 1;
        host_.m_PodAutoDeleteFiles = 1;
        host_.m_PodDeletePodcasts = 1;
        host_.m_ProxyHost = "old.proxy";
        host_.m_ProxyPort = "8080";
        host_.m_UserNameAuth = "user";
        host_.m_UserPasswortAuth = "secret";
        cSettingsWnd::SetWaitLimits(2000, 200);
    }
    void TearDown() override {
        wnd_.reset();
        DialogTest::TearDown();
    }
    cSettingsWnd* Open() {
        wnd_.reset(new cSettingsWnd(nullptr, nullptr, res_.get(), 0));
        host_.calls.clear();
        Calls().clear();
        fk::PumpPasses();
        return wnd_.get();
    }
    // OK, the modal loop's end and the pop-up's deletion, as the opener does.
    void OkAndClose() {
        Post(wnd_.get(), cSettingsWnd::BUTTON_OK);
        EXPECT_TRUE(RunModal(wnd_.get()));
        wnd_.reset();
    }
    std::vector<std::string> SettersCalled() const {
        std::vector<std::string> out;
        for (const std::string& c : host_.calls)
            if (c != "Save") out.push_back(c);
        return out;
    }
    std::unique_ptr<cSettingsWnd> wnd_;
};

TEST_F(SettingsTest, OkWritesTheSnapshotBackSavesAndAsksForTheRecordingSettings) {
    Open();
    EXPECT_EQ(wnd_->GetPage(), cSettingsWnd::PAGE_FORMATS);
    OkAndClose();
    const std::vector<std::string> expected = {
        "SetAutoStart=0", "SetUseControlCenter=0", "SetUseToolTip=0", "SetUseAutoUpdate=0", "SetBufferSize=10",
        "SetReconnectOnServerLost=0", "SetRetryCount=3", "SetAutoselectBandbreite=0", "SetInternetaccess=0",
        "SetTimeout=30", "SetAlterNeueSender=7", "SetUseRecording=0", "SetRecordingDir=", "SetPodcastDir=",
        "SetNAVAnimEnabled=0", "SetPodAutoDeleteFiles=1", "SetPodAutoDownload=1", "SetPodAutoUpdate=1",
        "SetPodDeletePodcasts=1", "SetProxyEnabled=0", "SetHTTP_Only=0", "SetProxyHost=old.proxy",
        "SetProxyPort=8080", "SetUserNameAuth=user", "SetUserPasswortAuth=secret", "SetUseAuthentify=0",
        "SetIconizeToTray=0", "SetRecordSkipSilents=0", "SetAdjustRecordVol=0", "SetAutoupdatePrgTipps=0",
        "SetDeleteOldPrgTipps=0"};
    EXPECT_EQ(SettersCalled(), expected);
    EXPECT_EQ(host_.saves, 1);
    ASSERT_EQ(CallsWithCode(46).size(), 1u);
    EXPECT_TRUE(CallsWithCode(16).empty()) << "unchanged connection data restart nothing";
}

TEST_F(SettingsTest, ChangedProxyPortRestartsTheSkinWhenTheDialogCloses) {
    dlgtest::ScopedValue skin("SKIN", "stockface.dll");
    Open();
    Post(wnd_.get(), cSettingsWnd::TAB_INTERNET);
    ASSERT_EQ(wnd_->GetPage(), cSettingsWnd::PAGE_INTERNET);
    Type(wnd_->GetEdit(1), "3128");
    Post(wnd_.get(), cSettingsWnd::BUTTON_OK);
    EXPECT_TRUE(CallsWithCode(16).empty()) << "the restart waits for the close";
    RunModal(wnd_.get());
    wnd_.reset();
    EXPECT_EQ(host_.m_ProxyPort, "3128");
    auto restart = CallsWithCode(16);
    ASSERT_EQ(restart.size(), 1u);
    EXPECT_EQ(restart[0].text, "stockface.dll");
}

TEST_F(SettingsTest, CancelWritesNothingButStillSaves) {
    Open();
    Post(wnd_.get(), cSettingsWnd::TAB_GENERAL);
    Click(wnd_.get(), cSettingsWnd::CHECK_AUTOSTART);
    Post(wnd_.get(), cSettingsWnd::BUTTON_CANCEL);
    EXPECT_TRUE(RunModal(wnd_.get()));
    wnd_.reset();
    EXPECT_TRUE(SettersCalled().empty());
    EXPECT_EQ(host_.saves, 1);
    EXPECT_TRUE(Calls().empty());
}

// The number fields take what fits and tell the user what they stored
// instead of an entry they could not take; the values reach the snapshot
// when the page is left.
TEST_F(SettingsTest, NumberFieldsStoreTheirLimitsAndSayWhatTheyStored) {
    const struct {
        int tab;
        int slot;
        const char* typed;
        int cSettingsWnd::Snapshot::*member;
        int stored;
        bool told;
    } cases[] = {
        {cSettingsWnd::TAB_CONNECTION, 1, "95", &cSettingsWnd::Snapshot::bufferSize, 90, true},
        {cSettingsWnd::TAB_CONNECTION, 1, "", &cSettingsWnd::Snapshot::bufferSize, 1, true},
        {cSettingsWnd::TAB_CONNECTION, 1, "45", &cSettingsWnd::Snapshot::bufferSize, 45, false},
        {cSettingsWnd::TAB_CONNECTION, 2, "5", &cSettingsWnd::Snapshot::timeout, 20, true},
        {cSettingsWnd::TAB_CONNECTION, 2, "90", &cSettingsWnd::Snapshot::timeout, 90, false},
    };
    Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("typed \"") + c.typed + "\"");
        Notices().clear();
        Post(wnd_.get(), c.tab);
        Type(wnd_->GetEdit(c.slot), c.typed);
        Post(wnd_.get(), cSettingsWnd::TAB_STREAM);
        EXPECT_EQ(wnd_->GetSnapshot().*c.member, c.stored);
        ASSERT_EQ(Notices().size(), c.told ? 1u : 0u);
        if (c.told) {
            EXPECT_NE(Notices()[0].find(std::to_string(c.stored)), std::string::npos) << Notices()[0];
        }
    }
    // The days of new stations are a 16-bit setting of their own.
    const struct {
        const char* typed;
        short stored;
    } days[] = {{"0", 1}, {"31", 30}, {"30", 30}};
    for (const auto& d : days) {
        Post(wnd_.get(), cSettingsWnd::TAB_GENERAL);
        Type(wnd_->GetEdit(0), d.typed);
        Post(wnd_.get(), cSettingsWnd::TAB_STREAM);
        EXPECT_EQ(wnd_->GetSnapshot().alterNeueSender, d.stored) << d.typed;
    }
    OkAndClose();
    EXPECT_EQ(host_.m_BufferSize, 45);
    EXPECT_EQ(host_.m_Timeout, 90);
    EXPECT_EQ(host_.m_AlterNeueSender, 30);
}

TEST_F(SettingsTest, ListsMapTheirStoredValues) {
    // Retry count 0 is "unlimited", the last entry; podcast choices are 1-based.
    host_.m_RetryCount = 0;
    host_.m_PodDeletePodcasts = 3;
    Open();
    Post(wnd_.get(), cSettingsWnd::TAB_CONNECTION);
    EXPECT_EQ(wnd_->GetCombo(0)->GetCurSel(), 9);
    Choose(wnd_->GetCombo(0), 8);
    Post(wnd_.get(), cSettingsWnd::TAB_PODCASTS);
    EXPECT_EQ(wnd_->GetSnapshot().retryCount, 9);
    EXPECT_EQ(wnd_->GetCombo(3)->GetCurSel(), 2);
    Choose(wnd_->GetCombo(3), 0);
    Post(wnd_.get(), cSettingsWnd::TAB_CONNECTION);
    Choose(wnd_->GetCombo(0), 9);
    OkAndClose();
    EXPECT_EQ(host_.m_RetryCount, 0);
    EXPECT_EQ(host_.m_PodDeletePodcasts, 1);
}

TEST_F(SettingsTest, ProgrammeTipsAgeMapsNeverToTheLastEntry) {
    host_.m_DeleteOldPrgTipps = -1;
    dlgtest::ScopedSkinWindow nav(WND_ID_NAVIGATOR, 356, res_.get());
    Open();
    ASSERT_TRUE(Has(wnd_.get(), cSettingsWnd::TAB_TIPS)) << "German interface with the tips element";
    Post(wnd_.get(), cSettingsWnd::TAB_TIPS);
    EXPECT_EQ(wnd_->GetCombo(0)->GetCurSel(), 6);
    Choose(wnd_->GetCombo(0), 3);
    OkAndClose();
    EXPECT_EQ(host_.m_DeleteOldPrgTipps, 3);
}

TEST_F(SettingsTest, ProxyAndCredentialFieldsFollowTheirBoxes) {
    Open();
    Post(wnd_.get(), cSettingsWnd::TAB_INTERNET);
    cVLEditBox* proxyHost = wnd_->GetEdit(0);
    cVLEditBox* user = wnd_->GetEdit(2);
    EXPECT_FALSE(proxyHost->IsEnabled());
    EXPECT_FALSE(user->IsEnabled());

    Click(wnd_.get(), cSettingsWnd::CHECK_PROXY);
    EXPECT_TRUE(proxyHost->IsEnabled());
    EXPECT_TRUE(IsTicked(Status(wnd_.get(), cSettingsWnd::CHECK_HTTP_ONLY))) << "proxy ticks HTTP streaming";
    Type(proxyHost, "typed.proxy");
    Click(wnd_.get(), cSettingsWnd::CHECK_PROXY);
    EXPECT_FALSE(proxyHost->IsEnabled());
    EXPECT_TRUE(IsTicked(Status(wnd_.get(), cSettingsWnd::CHECK_HTTP_ONLY))) << "unticking keeps HTTP streaming";

    Click(wnd_.get(), cSettingsWnd::CHECK_AUTH);
    EXPECT_TRUE(user->IsEnabled());
    Screenshot(wnd_.get(), "settings_internet_access");
    OkAndClose();
    // The typed address stays, with the proxy off.
    EXPECT_EQ(host_.m_ProxyHost, "typed.proxy");
    EXPECT_EQ(host_.m_ProxyEnabled, 0);
    EXPECT_EQ(host_.m_HTTP_Only, 1);
    EXPECT_EQ(host_.m_UseAuthentify, 1);
}

TEST_F(SettingsTest, DetectedProxyIsShownAndKept) {
    Open();
    Post(wnd_.get(), cSettingsWnd::TAB_INTERNET);
    Post(wnd_.get(), cSettingsWnd::BUTTON_DETECT_PROXY);
    ASSERT_EQ(CallsWithCode(78).size(), 1u);
    EXPECT_EQ(TextOf(wnd_->GetEdit(0)), "proxy.example");
    EXPECT_EQ(TextOf(wnd_->GetEdit(1)), "3128");
    EXPECT_TRUE(wnd_->GetEdit(0)->IsEnabled());
    EXPECT_EQ(Status(wnd_.get(), cSettingsWnd::CHECK_PROXY), ES_SELECTED);
}

TEST_F(SettingsTest, DetectedProxyTakesEffectOnOkAndIsUndoneOnCancel) {
    for (bool ok : {true, false}) {
        host_.m_ProxyHost = "old.proxy";
        host_.m_ProxyPort = "8080";
        host_.m_ProxyEnabled = 0;
        Open();
        Post(wnd_.get(), cSettingsWnd::TAB_INTERNET);
        Post(wnd_.get(), cSettingsWnd::BUTTON_DETECT_PROXY);
        if (ok) {
            OkAndClose();
        } else {
            Post(wnd_.get(), cSettingsWnd::BUTTON_CANCEL);
            RunModal(wnd_.get());
            wnd_.reset();
        }
        struct Proxy {
            std::string host, port;
            int enabled;
        };
        const Proxy expected = ok ? Proxy{"proxy.example", "3128", 1} : Proxy{"old.proxy", "8080", 0};
        EXPECT_EQ(host_.m_ProxyHost, expected.host) << ok;
        EXPECT_EQ(host_.m_ProxyPort, expected.port) << ok;
        EXPECT_EQ(host_.m_ProxyEnabled, expected.enabled) << ok;
        EXPECT_EQ(CallsWithCode(16).size(), ok ? 1u : 0u) << "the skin restarts for the new proxy only on OK";
        ASSERT_FALSE(host_.calls.empty());
        EXPECT_EQ(host_.calls.back(), "Save") << "saved after the proxy was put back";
    }
}

TEST_F(SettingsTest, OneStreamChoiceStaysTicked) {
    host_.m_AutoselectBandbreite = 1;
    Open();
    Post(wnd_.get(), cSettingsWnd::TAB_STREAM);
    EXPECT_TRUE(IsTicked(Status(wnd_.get(), cSettingsWnd::RADIO_SMALLEST)));
    Click(wnd_.get(), cSettingsWnd::RADIO_SMALLEST);
    EXPECT_TRUE(IsTicked(Status(wnd_.get(), cSettingsWnd::RADIO_SMALLEST))) << "the ticked choice cannot be unticked";
    Click(wnd_.get(), cSettingsWnd::RADIO_BEST);
    EXPECT_TRUE(IsTicked(Status(wnd_.get(), cSettingsWnd::RADIO_BEST)));
    EXPECT_FALSE(IsTicked(Status(wnd_.get(), cSettingsWnd::RADIO_SMALLEST)));
    OkAndClose();
    EXPECT_EQ(host_.m_AutoselectBandbreite, 0);
}

TEST_F(SettingsTest, FormatsPageOffersDownloadsOnlyForMissingFormats) {
    host_.m_HostCapabilities = 7;
    Open();
    for (unsigned long link : {207ul, 208ul, 209ul}) EXPECT_FALSE(Has(wnd_.get(), link));
    wnd_.reset();

    host_.m_HostCapabilities = 2;   // Windows Media only
    Open();
    EXPECT_FALSE(Has(wnd_.get(), cSettingsWnd::LINK_WINDOWS_MEDIA));
    EXPECT_TRUE(Has(wnd_.get(), cSettingsWnd::LINK_REALAUDIO));
    EXPECT_TRUE(Has(wnd_.get(), cSettingsWnd::LINK_MP3));
    Screenshot(wnd_.get(), "settings_media_formats");
    Post(wnd_.get(), cSettingsWnd::LINK_REALAUDIO);
    auto links = CallsWithCode(5);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_NE(links[0].text.find("realplayer.php"), std::string::npos);
    EXPECT_EQ(links[0].text.find("://"), std::string::npos) << "host name and path, no scheme";
    Post(wnd_.get(), cSettingsWnd::TAB_CONNECTION);
    EXPECT_FALSE(Has(wnd_.get(), cSettingsWnd::LINK_MP3)) << "the links go with their page";
}

TEST_F(SettingsTest, SilentPlaybackHostDoesNotHoldTheDialog) {
    host_.m_HostCapabilitiesKnown = 0;
    cSettingsWnd::SetWaitLimits(300, 200);
    DWORD start = GetTickCount();
    Open();
    EXPECT_LT(GetTickCount() - start, 60000u);   // bounded: only a hang fails
    // Nothing known: every format is offered for download.
    for (unsigned long link : {207ul, 208ul, 209ul}) EXPECT_TRUE(Has(wnd_.get(), link));
}

class SettingsRecordingTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        main_.reset(new dlgtest::ScopedSkinWindow(WND_ID_MAIN, 274, res_.get()));
        host_.m_UseRecording = 1;
        host_.m_RecordingSource = 1;
        host_.m_RecordingDevice = 0;
        dlgtest::Lists().inputs = "Line\x01Mic\x01\x02" "1\x01";
        dlgtest::Lists().devices = "Card A\x01\x02" "0\x01" "Card B";
    }
    void TearDown() override {
        SettingsTest::TearDown();
        main_.reset();
    }
    std::unique_ptr<dlgtest::ScopedSkinWindow> main_;
};

TEST_F(SettingsRecordingTest, LeavingThePageHandsTheChoicesToTheHostAndCancelTakesThemBack) {
    Open();
    Post(wnd_.get(), cSettingsWnd::TAB_RECORDING);
    ASSERT_EQ(wnd_->GetPage(), cSettingsWnd::PAGE_RECORDING);
    cSkinComboBox* inputs = wnd_->GetCombo(0);
    cSkinComboBox* devices = wnd_->GetCombo(1);
    const int offset = IsWindowsVista() ? 1 : 0;
    EXPECT_EQ(inputs->GetCount(), 2 + offset);
    EXPECT_EQ(inputs->GetCurSel(), 1 + offset);
    EXPECT_EQ(devices->GetCurSel(), 0 + offset);
    EXPECT_TRUE(inputs->IsEnabled());
    Screenshot(wnd_.get(), "settings_recording");

    SendMessageA(inputs->GetWindow(), CB_SETCURSEL, static_cast<WPARAM>(0 + offset), 0);
    Post(wnd_.get(), cSettingsWnd::TAB_GENERAL);
    auto inputCalls = CallsWithCode(43);
    auto deviceCalls = CallsWithCode(60);
    ASSERT_EQ(inputCalls.size(), 1u);
    EXPECT_EQ(inputCalls[0].ch, 1);
    ASSERT_EQ(deviceCalls.size(), 1u) << "sent even when unchanged";
    EXPECT_EQ(deviceCalls[0].ch, 1);
    EXPECT_EQ(CallsWithCode(42).size(), 1u);
    EXPECT_EQ(CallsWithCode(59).size(), 1u);

    // The host has not applied the choice yet; Cancel still takes it back.
    Calls().clear();
    Post(wnd_.get(), cSettingsWnd::BUTTON_CANCEL);
    RunModal(wnd_.get());
    inputCalls = CallsWithCode(43);
    ASSERT_EQ(inputCalls.size(), 1u);
    EXPECT_EQ(inputCalls[0].ch, 2) << "the input at open, 1-based";
    ASSERT_EQ(CallsWithCode(60).size(), 1u);
    EXPECT_EQ(CallsWithCode(60)[0].ch, 1);
}

namespace {
// The host confirms a device choice (status 76) as it takes it.
int AcknowledgingHost(int code, int ch, void* text) {
    const int result = dlgtest::RecordCall(code, ch, text);
    if (code == 60) InterlockedExchange(&GetStatusFlags().wizardAck2, 1);
    return result;
}
std::vector<std::string> ListCalls() {
    std::vector<std::string> out;
    for (const dlgtest::HostCall& c : Calls())
        if (c.code == 60 || c.code == 43 || c.code == 42 || c.code == 59)
            out.push_back(std::to_string(c.code) + "/" + std::to_string(c.ch));
    return out;
}
}  // namespace

TEST_F(SettingsRecordingTest, DeviceGoesFirstAndTheInputOnlyOntoTheDeviceItWasListedFor) {
    const int offset = IsWindowsVista() ? 1 : 0;
    const struct {
        const char* what;
        const char* devices;
        int slot;     // the list the user changes, -1 none
        int choice;   // its new entry
        std::vector<std::string> expected;
    } cases[] = {
        {"nothing changed", "Card A\x01\x02" "0\x01" "Card B", -1, 0, {"60/1", "43/2", "42/0", "59/0"}},
        {"another device: its own inputs are read", "Card A\x01\x02" "0\x01" "Card B", 1, 1,
         {"60/2", "42/0", "59/0"}},
        {"only an input: its list is read again", "Card A\x01" "Card B", 0, 0, {"43/1", "42/0"}},
    };
    for (const auto& c : cases) {
        dlgtest::Lists().devices = c.devices;
        Open();
        Library().callback = &AcknowledgingHost;
        Post(wnd_.get(), cSettingsWnd::TAB_RECORDING);
        Calls().clear();
        dlgtest::Lists().pending.clear();
        if (c.slot >= 0)
            Choose(wnd_->GetCombo(c.slot), c.choice + offset);
        else
            Post(wnd_.get(), cSettingsWnd::TAB_GENERAL);
        EXPECT_EQ(ListCalls(), c.expected) << c.what;
        EXPECT_FALSE(dlgtest::Lists().pending.empty()) << c.what << ": the replies are awaited";
        Post(wnd_.get(), cSettingsWnd::BUTTON_OK);
        RunModal(wnd_.get());
        wnd_.reset();
        Library().callback = &dlgtest::RecordCall;
    }
}

TEST_F(SettingsRecordingTest, SourceSearchAsksBeforeItEndsARunningRecording) {
    static std::vector<std::string> asked;
    static int searches = 0;
    static int answerStop = 0;
    dlgs::DialogOpeners saved = dlgs::Openers();
    dlgs::Openers().askYesNo = [](cElementHost*, HWND, cResourceManager*, const char* text) {
        asked.push_back(text);
        return asked.size() == 1 ? 1 : answerStop;
    };
    dlgs::Openers().recSourceSearch = [](cElementHost*, HWND, cResourceManager*) { ++searches; };
    const struct {
        int recording, answer;
        size_t questions;
        int searches;
    } cases[] = {{0, 0, 1, 1}, {1, 0, 2, 0}, {1, 1, 2, 1}};
    for (const auto& c : cases) {
        asked.clear();
        searches = 0;
        answerStop = c.answer;
        SetRecordingFlag(c.recording);
        Open();
        Post(wnd_.get(), cSettingsWnd::TAB_RECORDING);
        Post(wnd_.get(), cSettingsWnd::BUTTON_SOURCE_SEARCH);
        EXPECT_EQ(asked.size(), c.questions) << c.recording << c.answer;
        EXPECT_EQ(searches, c.searches) << c.recording << c.answer;
        if (asked.size() == 2) EXPECT_NE(asked[1].find("<center>"), std::string::npos) << "a mark-up question";
        wnd_.reset();
    }
    SetRecordingFlag(0);
    dlgs::Openers() = saved;
}

TEST_F(SettingsRecordingTest, ListWithoutTheHostsMarkerIsNoChoice) {
    dlgtest::Lists().inputs = "Line\x01Mic";
    dlgtest::Lists().devices = "Card A\x01\x02" "7";   // marks an entry that is not there
    Open();
    Post(wnd_.get(), cSettingsWnd::TAB_RECORDING);
    EXPECT_FALSE(wnd_->GetCombo(0)->IsEnabled());
    EXPECT_FALSE(wnd_->GetCombo(1)->IsEnabled());
    Post(wnd_.get(), cSettingsWnd::TAB_GENERAL);
    EXPECT_TRUE(CallsWithCode(43).empty());
    EXPECT_TRUE(CallsWithCode(60).empty());
    Post(wnd_.get(), cSettingsWnd::BUTTON_CANCEL);
    RunModal(wnd_.get());
    EXPECT_TRUE(CallsWithCode(43).empty()) << "nothing handed over, nothing to take back";
}

TEST_F(SettingsRecordingTest, RecordingBoxShowsOrHidesThePage) {
    host_.m_UseRecording = 0;
    Open();
    Post(wnd_.get(), cSettingsWnd::TAB_RECORDING);
    EXPECT_EQ(wnd_->GetCombo(0), nullptr);
    Click(wnd_.get(), cSettingsWnd::CHECK_RECORDING);
    EXPECT_NE(wnd_->GetCombo(0), nullptr) << "ticking shows the whole page";
    EXPECT_EQ(wnd_->GetSnapshot().useRecording, 1);
    Click(wnd_.get(), cSettingsWnd::CHECK_RECORDING);
    EXPECT_EQ(wnd_->GetCombo(0), nullptr);
    EXPECT_TRUE(Has(wnd_.get(), cSettingsWnd::CHECK_RECORDING));
}

TEST_F(SettingsRecordingTest, SourceSearchIgnoresTheTabsUntilItEnds) {
    static cSettingsWnd* during = nullptr;
    static int pageSeen = -1;
    during = nullptr;
    dlgs::DialogOpeners saved = dlgs::Openers();
    dlgs::Openers().askYesNo = [](cElementHost*, HWND, cResourceManager*, const char*) { return 1; };
    dlgs::Openers().recSourceSearch = [](cElementHost*, HWND, cResourceManager*) {
        SendMessageA(during->GetWindow(), WM_USER + 119, 0, cSettingsWnd::TAB_GENERAL);
        pageSeen = during->GetPage();
    };
    Open();
    during = wnd_.get();
    Post(wnd_.get(), cSettingsWnd::TAB_RECORDING);
    host_.m_RecordingSource = 0;   // what the search chose
    // The search button's press (the button itself exists before Vista only).
    Post(wnd_.get(), cSettingsWnd::BUTTON_SOURCE_SEARCH);
    dlgs::Openers() = saved;
    EXPECT_EQ(pageSeen, cSettingsWnd::PAGE_RECORDING);
    EXPECT_EQ(wnd_->GetSnapshot().recordingSourceAtOpen, 0) << "Cancel keeps the search's choice";
}

TEST_F(SettingsRecordingTest, OkSetsTheRecordButtonsByTheRecordingSetting) {
    host_.m_UseRecording = 1;
    Open();
    Post(wnd_.get(), cSettingsWnd::TAB_RECORDING);
    Click(wnd_.get(), cSettingsWnd::CHECK_RECORDING);
    OkAndClose();
    EXPECT_EQ(host_.m_UseRecording, 0);
    cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
    auto* record = dynamic_cast<cWndButton*>(main->GetButtonList()->GetById(274));
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->IsEnabled());
    EXPECT_NE(std::string(record->GetToolTipText()).find("Option"), std::string::npos) << record->GetToolTipText();
}

TEST_F(SettingsTest, ChosenPodcastFolderIsShownAndOnlyAChangeResetsTheEpisodes) {
    static int resets = 0;
    dlgs::DialogOpeners saved = dlgs::Openers();
    dlgs::Openers().podcastFolderChanged = [] { ++resets; };
    dlgs::SetFolderChooser([](HWND, const char*, char* out, int size) {
        bk::TextCopy(out, static_cast<size_t>(size), "C:\\Podcasts");
        return true;
    });
    const struct {
        const char* before;
        int resets;
    } cases[] = {{"C:\\Podcasts", 0}, {"C:\\Old", 1}};
    for (const auto& c : cases) {
        resets = 0;
        host_.m_PodcastDir = c.before;
        Open();
        Post(wnd_.get(), cSettingsWnd::TAB_PODCASTS);
        Type(wnd_->GetEdit(0), "D:\\Elsewhere");
        Post(wnd_.get(), cSettingsWnd::BUTTON_FOLDER);
        EXPECT_EQ(TextOf(wnd_->GetEdit(0)), "C:\\Podcasts");
        OkAndClose();
        EXPECT_EQ(host_.m_PodcastDir, "C:\\Podcasts");
        EXPECT_EQ(resets, c.resets) << c.before;
    }
    dlgs::SetFolderChooser(nullptr);
    dlgs::Openers() = saved;
}

TEST_F(SettingsTest, FolderChosenAfterThePageChangedGoesNowhere) {
    static cSettingsWnd* during = nullptr;
    static HWND owner = nullptr;
    dlgs::SetFolderChooser([](HWND o, const char*, char* out, int size) {
        owner = o;
        // The user went to another page while the browser was open.
        SendMessageA(during->GetWindow(), WM_USER + 119, 0, cSettingsWnd::TAB_INTERNET);
        bk::TextCopy(out, static_cast<size_t>(size), "C:\\Chosen");
        return true;
    });
    host_.m_PodcastDir = "C:\\Podcasts";
    Open();
    during = wnd_.get();
    Post(wnd_.get(), cSettingsWnd::TAB_PODCASTS);
    Post(wnd_.get(), cSettingsWnd::BUTTON_FOLDER);
    dlgs::SetFolderChooser(nullptr);
    EXPECT_EQ(owner, wnd_->GetWindow()) << "the browser is modal over the dialog";
    ASSERT_EQ(wnd_->GetPage(), cSettingsWnd::PAGE_INTERNET);
    EXPECT_EQ(TextOf(wnd_->GetEdit(0)), "old.proxy") << "the path is not taken as the proxy";
    OkAndClose();
    EXPECT_EQ(host_.m_ProxyHost, "old.proxy");
    EXPECT_EQ(host_.m_PodcastDir, "C:\\Podcasts");
}

TEST(SettingsLogic, FolderPathsTheSettingsTake) {
    const struct {
        const char* path;
        bool usable;
    } cases[] = {
        {"", true},
        {"C:\\Aufnahmen", true},
        {"d:/Podcasts/neu", true},
        {"\\\\server\\share\\rec", true},
        {"Aufnahmen", false},                  // relative: lands wherever the player runs
        {"C:Aufnahmen", false},
        {"\\Aufnahmen", false},
        {"\\\\?\\C:\\x", false},
        {"C:\\a\\..\\..\\Windows", false},   // steps out of the folder it names
        {"C:\\a\\.\\b", false},
        {"C:\\NUL", false},
        {"C:\\rec\\com1.txt", false},
        {"C:\\rec\\con \\x", false},
        {"C:\\connect", true},
        {"C:\\a*b", false},
        {"C:\\a\"b", false},
        {"C:\\a|b", false},
        {"C:\\a:b", false},
        {"C:\\a\nb", false},                  // a line break would end the INI value
    };
    for (const auto& c : cases) EXPECT_EQ(settings::IsUsableFolder(c.path), c.usable) << c.path;
}

TEST_F(SettingsTest, FolderThatCannotBeOneIsRefusedWithAMessage) {
    const struct {
        int tab;
        const char* typed;
    } cases[] = {{cSettingsWnd::TAB_PODCASTS, "NUL"}, {cSettingsWnd::TAB_PODCASTS, "C:\\a\\..\\..\\x"}};
    for (const auto& c : cases) {
        host_.m_PodcastDir = "C:\\Podcasts";
        Notices().clear();
        Open();
        Post(wnd_.get(), static_cast<unsigned long>(c.tab));
        Type(wnd_->GetEdit(0), c.typed);
        OkAndClose();
        EXPECT_EQ(host_.m_PodcastDir, "C:\\Podcasts") << c.typed;
        ASSERT_EQ(Notices().size(), 1u) << c.typed;
        EXPECT_NE(Notices()[0].find(c.typed), std::string::npos) << Notices()[0];
        EXPECT_NE(Notices()[0].find("C:\\Podcasts"), std::string::npos) << "names what stays: " << Notices()[0];
    }
}

TEST(SettingsLogic, GuidedOrderSkipsPagesTheSkinOrLanguageLacks) {
    const struct {
        int page;
        bool record, german;
        int next, previous;
    } cases[] = {
        {3, false, true, 5, 2}, {3, false, false, 6, 2}, {3, true, false, 4, 2}, {6, false, false, 7, 3},
        {6, true, true, 7, 5},  {5, false, true, 6, 3},  {0, true, true, 1, 0},  {7, true, true, 7, 6},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settings::NextPage(c.page, c.record, c.german), c.next) << c.page;
        EXPECT_EQ(settings::PreviousPage(c.page, c.record, c.german), c.previous) << c.page;
    }
}

TEST(SettingsLogic, RecordingListsAndTheirMarker) {
    const struct {
        const char* text;
        size_t entries;
        int choice;
    } cases[] = {
        {"A\x01" "B\x01\x02" "1", 2, 1},
        {"A\x01" "B\x01", 2, -1},           // no marker
        {"A\x01\x02" "x", 1, -1},           // not a number
        {"A\x01\x02" "5", 1, -1},           // no such entry
        {"\x02" "0\x01" "A", 1, 0},         // marker first
        {"", 0, -1},
        {"\x01\x01", 2, -1},                // empty entries keep their places
    };
    for (const auto& c : cases) {
        std::vector<std::string> entries;
        int choice = 99;
        settings::ParseRecList(c.text, strlen(c.text), &entries, &choice);
        EXPECT_EQ(entries.size(), c.entries) << c.text;
        EXPECT_EQ(choice, c.choice) << c.text;
    }
}

TEST(SettingsLogic, NumberFieldReading) {
    bool adjusted = false;
    EXPECT_EQ(settings::ClampedNumber("99999999999999999999", 1, 90, &adjusted), 90);
    EXPECT_TRUE(adjusted);
    EXPECT_EQ(settings::ClampedNumber("12abc", 1, 90, &adjusted), 12);
    EXPECT_FALSE(adjusted);
    EXPECT_EQ(settings::ClampedNumber("-4", 1, 90, &adjusted), 1);
    EXPECT_TRUE(adjusted);
}

}  // namespace
