// The settings record: registry round trip, the stored form, damaged
// records and the host interface seen from a second module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blowfish.h"
#include "core_test_support.h"
#include "debug_log.h"
#include "rdb_files.h"
#include "registry.h"
#include "settings.h"
#include "settings_blob.h"

namespace {

// The settings key as the test reads it back, bypassing the code under test.
std::vector<unsigned char> StoredBlob(const char* name = "VLSettings") {
    HKEY key = nullptr;
    std::vector<unsigned char> data;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, GetSettingsKeyName(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return data;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size);
    }
    RegCloseKey(key);
    return data;
}

void StoreBlob(const std::vector<unsigned char>& blob) {
    SetBinary("VLSettings", blob.empty() ? nullptr : blob.data(), static_cast<unsigned long>(blob.size()));
}

// The stored form built step by step from the published key, independent
// of the code under test: pad, encipher, CRC-16/XMODEM trailer.
std::vector<unsigned char> Seal(const std::string& xml, size_t cutTo = 0) {
    static const unsigned char key[16] = {0x3f, 0x8e, 0x1a, 0x6c, 0xd7, 0x05, 0x2b, 0x94,
                                          0xe0, 0xc4, 0xa7, 0x19, 0x3d, 0x6b, 0x58, 0xf2};
    std::vector<unsigned char> body(xml.begin(), xml.end());
    body.resize((body.size() + 7) / 8 * 8, 0);
    CBlowFish fish(key, sizeof key, SBlock(0, 0), kBlowfishWhitenEven, kBlowfishWhitenOdd);
    fish.Encrypt(body.data(), static_cast<unsigned>(body.size()), CBlowFish::ECB);
    if (cutTo) body.resize(cutTo);
    uint16_t crc = 0;
    for (unsigned char b : body) {
        crc ^= static_cast<uint16_t>(b << 8);
        for (int i = 0; i < 8; ++i) crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    body.push_back(static_cast<unsigned char>(crc & 0xff));
    body.push_back(static_cast<unsigned char>(crc >> 8));
    return body;
}

std::string Record(const std::string& elements) { return "<?xml version=\"1.0\"?><Setting>" + elements + "</Setting>"; }

class SettingsTest : public ::testing::Test {
protected:
    coretest::PlayerFolders folders;
};

TEST_F(SettingsTest, FreshStartHasTheDefaults) {
    cSettings s;
    EXPECT_EQ(s.IsFirstStart(), 1);
    EXPECT_EQ(s.IsFirstStart(), 0);
    EXPECT_EQ(s.GetBufferSize(), 15);
    EXPECT_EQ(s.GetTimeout(), 60);
    EXPECT_EQ(s.GetScreen(), 4);
    EXPECT_EQ(s.GetUseControlCenter(), 1);
    EXPECT_EQ(s.GetRecordingDevice(), -1);
    EXPECT_EQ(s.GetPodAutoDeleteFiles(), 3);
    EXPECT_EQ(s.GetLanguage(), 1);
    EXPECT_STREQ(s.GetPID(), "0");
    EXPECT_STREQ(s.GetVLUrl(), "interface.velmirant.net");
    EXPECT_EQ(std::string(s.GetRecordingDir()), folders.Docs() + "\\Aufnahmen");
    EXPECT_EQ(std::string(s.GetPodcastDir()), folders.Docs() + "\\Podcasts");
}

// Episodes and recordings are opened from the interface: the folders the
// user chose for them, wherever they are (here outside the profile, which is
// open anyway), may be opened.
TEST_F(SettingsTest, ChosenPodcastAndRecordingFoldersCanBeOpened) {
    const std::string base = "C:\\tdbrowse" + std::to_string(GetCurrentProcessId());
    const std::string pods = base + "\\pods", recs = base + "\\recs", other = base + "\\other";
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    for (const std::string& f : {pods, recs, other}) {
        ASSERT_TRUE(CreateDirectoryA(f.c_str(), nullptr));
        ASSERT_TRUE(tdtest::WriteFileBytes(f + "\\episode.mp3", "ID3"));
    }
    cSettings s;
    EXPECT_EQ(IsBrowsableTarget((pods + "\\episode.mp3").c_str()), 0);
    s.SetPodcastDir(pods.c_str());
    s.SetRecordingDir(recs.c_str());
    EXPECT_EQ(IsBrowsableTarget((pods + "\\episode.mp3").c_str()), 1);
    EXPECT_EQ(IsBrowsableTarget((recs + "\\episode.mp3").c_str()), 1);
    EXPECT_EQ(IsBrowsableTarget((other + "\\episode.mp3").c_str()), 0);
    // Set again at every change of the settings, they take no new places.
    for (int i = 0; i < 20; ++i) s.SetPodcastDir(pods.c_str());
    EXPECT_EQ(IsBrowsableTarget((pods + "\\episode.mp3").c_str()), 1);
    for (const std::string& f : {pods, recs, other}) {
        DeleteFileA((f + "\\episode.mp3").c_str());
        RemoveDirectoryA(f.c_str());
    }
    RemoveDirectoryA(base.c_str());
}

TEST_F(SettingsTest, SaveAndLoadRoundTripThroughTheRegistry) {
    CreateDirectoryA((folders.User() + "\\rec &amp; more").c_str(), nullptr);
    std::string recDir = folders.User() + "\\rec &amp; more";
    {
        cSettings s;
        s.SetBufferSize(30);
        s.SetTimeout(45);
        s.SetRetryCount(3);
        s.SetScreen(2);
        s.SetRecordingDir(recDir.c_str());
        s.SetProxyHost("127.0.0.1");
        s.SetProxyPort("8080");
        s.SetUserNameAuth("name");
        s.SetUserPasswortAuth("p<a>ss&</UserPasswortAuth><Timeout>99</Timeout>");
        s.SetDBTime("20261210120000");
        s.SetPID("4711");
        s.SetNavWinCX(640);
        s.SetLanguage(2);
        s.SetPendingUserActions("<Action><Id>5</Id></Action><Action><Id>6</Id></Action>");
        s.Save();
    }
    cSettings s;
    EXPECT_EQ(s.IsFirstStart(), 0);
    EXPECT_EQ(s.GetBufferSize(), 30);
    EXPECT_EQ(s.GetTimeout(), 45);
    EXPECT_EQ(s.GetRetryCount(), 3);
    EXPECT_EQ(s.GetScreen(), 2);
    EXPECT_EQ(std::string(s.GetRecordingDir()), recDir);
    EXPECT_STREQ(s.GetProxyPort(), "8080");
    EXPECT_STREQ(s.GetUserPasswortAuth(), "p<a>ss&</UserPasswortAuth><Timeout>99</Timeout>");
    EXPECT_STREQ(s.GetDBTime(), "20261210120000");
    EXPECT_STREQ(s.GetPID(), "4711");
    EXPECT_EQ(s.GetNavWinCX(), 640);
    EXPECT_EQ(s.GetLanguage(), 2);
    EXPECT_EQ(s.GetPendingUserActions(), "<Action><Id>5</Id></Action><Action><Id>6</Id></Action>");

    // The stored form deciphers to the record the template describes.
    std::string xml;
    std::vector<unsigned char> blob = StoredBlob();
    ASSERT_EQ(td::OpenSettings(blob.data(), blob.size(), &xml), td::OpenResult::Ok);
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\"?><Setting><AutoStart>0</AutoStart><SearchExtra>0</SearchExtra>", 0), 0u)
        << xml;
    EXPECT_NE(xml.find("<PodAutoDeleteFiles>3</PodAutoDeleteFiles>/d<PodDeletePodcasts>"), std::string::npos);
    EXPECT_EQ(xml.substr(xml.size() - 10), "</Setting>");
    EXPECT_EQ(blob.size() % 8, 2u);
}

TEST_F(SettingsTest, KnownAnswerRecordLoads) {
    StoreBlob(Seal(Record("<BufferSize>42</BufferSize><PID>abc</PID><ProxyHost>a&amp;b</ProxyHost>"
                          "<MaxResentList>20</MaxResentList><MaxTimerEditList>0</MaxTimerEditList>"
                          "<PodAutoUpdate>0</PodAutoUpdate><PodDeletePodcasts>0</PodDeletePodcasts>"
                          "<AdBannerUrl>http://b/x</AdBannerUrl>")));
    cSettings s;
    EXPECT_EQ(s.IsFirstStart(), 0);
    EXPECT_EQ(s.GetBufferSize(), 42);
    EXPECT_STREQ(s.GetPID(), "abc");
    EXPECT_STREQ(s.GetProxyHost(), "a&b");
    EXPECT_EQ(s.GetMaxResentList(), 9);
    EXPECT_EQ(s.GetMaxTimerEditList(), 30);
    EXPECT_EQ(s.GetPodAutoUpdate(), 1);
    EXPECT_EQ(s.GetPodDeletePodcasts(), 3);
    // Elements the record lacks keep their defaults.
    EXPECT_EQ(s.GetTimeout(), 60);
    EXPECT_EQ(s.GetScreen(), 4);
    // "-1" brings back the address the record held.
    s.SetAdBannerUrl("http://other/");
    EXPECT_STREQ(s.GetAdBannerUrl(), "http://other/");
    s.SetAdBannerUrl("-1");
    EXPECT_STREQ(s.GetAdBannerUrl(), "http://b/x");
}

TEST_F(SettingsTest, BodyNotWholeBlocksIsReadOverTheNextBlock) {
    // 24 enciphered bytes cut to 21: the last block is read with zeros in
    // place of the missing bytes, which garbles only the record's tail.
    std::string xml = Record("<Screen>7</Screen>");
    xml.resize(48, ' ');
    std::vector<unsigned char> blob = Seal(xml, 45);
    StoreBlob(blob);
    cSettings s;   // must not crash; the garbled tail loses the closing tag
    EXPECT_EQ(s.GetScreen(), 4);
    EXPECT_EQ(s.IsFirstStart(), 1);
}

TEST_F(SettingsTest, DamagedRecordsGiveDefaultsAndAreKeptAside) {
    std::vector<unsigned char> good = Seal(Record("<BufferSize>33</BufferSize>"));
    std::vector<unsigned char> wrongCrc = good;
    wrongCrc.back() ^= 0x55;
    struct Case {
        const char* name;
        std::vector<unsigned char> blob;
    } cases[] = {
        {"wrong check value", wrongCrc},
        {"no Setting element", Seal("<?xml version=\"1.0\"?><Other><BufferSize>33</BufferSize></Other>")},
        {"unclosed record", Seal("<?xml version=\"1.0\"?><Setting><BufferSize>33</BufferSize>")},
        {"garbage", Seal(std::string("\x01\x02\xff\xfe garbage", 13))},
        {"two zero bytes", {0, 0}},
        {"crc of nothing", {0x00, 0x00, 0x00}},
    };
    for (int size = 0; size <= 10; ++size) {
        std::vector<unsigned char> cut(good.begin(), good.begin() + size);
        uint16_t crc = CalcCrc16(cut.data(), cut.size() > 2 ? cut.size() - 2 : 0);
        if (cut.size() >= 2) {
            cut[cut.size() - 2] = static_cast<unsigned char>(crc & 0xff);
            cut[cut.size() - 1] = static_cast<unsigned char>(crc >> 8);
        }
        StoreBlob(cut);
        cSettings s;
        EXPECT_EQ(s.GetBufferSize(), 15) << "size " << size;
        EXPECT_EQ(s.IsFirstStart(), 1) << "size " << size;
    }
    for (const Case& c : cases) {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, GetSettingsKeyName(), cSettings::kBadRecordValue);
        StoreBlob(c.blob);
        {
            cSettings s;
            EXPECT_EQ(s.GetBufferSize(), 15) << c.name;
            EXPECT_EQ(s.IsFirstStart(), 1) << c.name;
        }
        EXPECT_EQ(StoredBlob(cSettings::kBadRecordValue), c.blob) << c.name;
    }
}

TEST_F(SettingsTest, NumbersOutsideTheirRangesKeepTheDefaults) {
    struct Case {
        const char* element;
        int (*get)(cSettings&);
        int expected;
    } cases[] = {
        {"<BufferSize>0</BufferSize>", [](cSettings& s) { return s.GetBufferSize(); }, 15},
        {"<BufferSize>91</BufferSize>", [](cSettings& s) { return s.GetBufferSize(); }, 15},
        {"<BufferSize>90</BufferSize>", [](cSettings& s) { return s.GetBufferSize(); }, 90},
        {"<BufferSize>abc</BufferSize>", [](cSettings& s) { return s.GetBufferSize(); }, 15},
        {"<BufferSize></BufferSize>", [](cSettings& s) { return s.GetBufferSize(); }, 15},
        {"<Timeout>0</Timeout>", [](cSettings& s) { return s.GetTimeout(); }, 60},
        {"<Timeout>20</Timeout>", [](cSettings& s) { return s.GetTimeout(); }, 20},
        {"<Timeout>99999999999999</Timeout>", [](cSettings& s) { return s.GetTimeout(); }, 60},
        {"<RetryCount>-1</RetryCount>", [](cSettings& s) { return s.GetRetryCount(); }, 0},
        {"<RetryCount>9</RetryCount>", [](cSettings& s) { return s.GetRetryCount(); }, 9},
        {"<AlterNeueSender>31</AlterNeueSender>", [](cSettings& s) { return int(s.GetAlterNeueSender()); }, 5},
        {"<DeleteOldPrgTipps>-1</DeleteOldPrgTipps>", [](cSettings& s) { return s.GetDeleteOldPrgTipps(); }, -1},
        {"<DeleteOldPrgTipps>6</DeleteOldPrgTipps>", [](cSettings& s) { return s.GetDeleteOldPrgTipps(); }, 0},
        {"<Screen>70000</Screen>", [](cSettings& s) { return int(s.GetScreen()); }, 4},
        {"<NavWinCX>  -12x</NavWinCX>", [](cSettings& s) { return s.GetNavWinCX(); }, -12},
    };
    for (const Case& c : cases) {
        StoreBlob(Seal(Record(c.element)));
        cSettings s;
        EXPECT_EQ(c.get(s), c.expected) << c.element;
    }
}

TEST_F(SettingsTest, TagsInsideTheUserActionRecordsNeverStandInForSettings) {
    StoreBlob(Seal(Record("<UserAction><Action><Timeout>25</Timeout></Action></UserAction><Screen>3</Screen>")));
    cSettings s;
    EXPECT_EQ(s.GetTimeout(), 60);
    EXPECT_EQ(s.GetScreen(), 3);
    EXPECT_EQ(s.GetPendingUserActions(), "<Action><Timeout>25</Timeout></Action>");
}

TEST_F(SettingsTest, LanguageOutsideOneAndTwoBecomesGerman) {
    for (const char* stored : {"0", "3", "-2", "x", "2"}) {
        SetValue("Language", stored);
        cSettings s;
        EXPECT_EQ(s.GetLanguage(), std::string(stored) == "2" ? 2 : 1) << stored;
        s.SetLanguage(2);   // saved at the end, read again by the next pass
    }
}

TEST_F(SettingsTest, FoldersAreProbedForWriting) {
    std::string missing = folders.Program() + "\\no\\such\\folder";
    StoreBlob(Seal(Record("<RecordingDir>x</RecordingDir><PodcastDir>" + missing + "</PodcastDir>")));
    cSettings s;
    EXPECT_EQ(std::string(s.GetRecordingDir()), folders.Program());
    EXPECT_EQ(std::string(s.GetPodcastDir()), folders.Docs() + "\\Podcasts");
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folders.Program() + "\\vl_dummy_.tst").c_str(), &fd);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "the probe file stays behind";
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST_F(SettingsTest, TextsAreCutAndStayInPlace) {
    cSettings s;
    const char* before = s.GetProxyHost();
    std::string longText(5000, 'h');
    s.SetProxyHost(longText.c_str());
    EXPECT_EQ(s.GetProxyHost(), before);
    EXPECT_EQ(strlen(s.GetProxyHost()), cSettings::kTextCapacity - 1);
    s.SetProxyHost(nullptr);
    EXPECT_STREQ(s.GetProxyHost(), "");
}

TEST_F(SettingsTest, TheLogNeverShowsTheProxyPassword) {
    SetValue("DEBUG_IT", "20");
    td::ResetDebugLogThreshold();
    {
        cSettings s;
        s.SetUserPasswortAuth("Geheim-1234");
        s.Save();
    }
    { cSettings again; }
    char path[MAX_PATH];
    td::DebugLogPaths(path, sizeof path, nullptr, 0);
    std::string log;
    tdtest::ReadFileBytes(path, &log);
    EXPECT_NE(log.find("Settings interpret as XML"), std::string::npos);
    EXPECT_EQ(log.find("Geheim-1234"), std::string::npos);
    td::ResetDebugLogThreshold();
}

TEST_F(SettingsTest, EverySlotWorksFromASecondModule) {
    HMODULE probe = LoadLibraryA((tdtest::BinDir() + "\\td_slot_probe.dll").c_str());
    ASSERT_NE(probe, nullptr);
    typedef int (*ProbeFn)(cSettingsInterface*, int, char*, int);
    auto fn = reinterpret_cast<ProbeFn>(GetProcAddress(probe, "ProbeSettingsSlots"));
    ASSERT_NE(fn, nullptr);
    {
        cSettings s;
        char failed[64] = {};
        EXPECT_EQ(fn(&s, 100, failed, sizeof failed), 0) << failed;
        EXPECT_EQ(s.GetBufferSize(), 107);
        EXPECT_STREQ(s.GetSplashURL(), "http://splash.example/de");
        EXPECT_STREQ(s.GetSplashURL_ENG(), "http://splash.example/en");
        EXPECT_STREQ(s.GetAdBannerUrl(), "http://banner.example/a");
        s.SetBufferSize(20);
        s.SetTimeout(30);
        s.SetRetryCount(2);
        s.SetAlterNeueSender(4);
        s.SetDeleteOldPrgTipps(1);
    }
    // The destructor reached through the interface saves, like the one the
    // player calls.
    cSettingsInterface* viaInterface = new cSettings;
    EXPECT_STREQ(viaInterface->GetUserPasswortAuth(), "pa<ss>&word");
    EXPECT_EQ(viaInterface->GetNavWinCY(), 145);
    viaInterface->SetNavWinCY(7);
    delete viaInterface;
    cSettings s;
    EXPECT_EQ(s.GetNavWinCY(), 7);
    FreeLibrary(probe);
}

}  // namespace
