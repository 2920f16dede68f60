#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "registry.h"
#include "tdtest.h"

namespace {

// Test values live under the real settings key with a prefix of their own
// and are removed afterwards, so other tests' values are left alone.
class SettingsValues : public ::testing::Test {
protected:
    void TearDown() override {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, GetSettingsKeyName(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        for (const std::string& n : names_) RegDeleteValueA(key, n.c_str());
        RegCloseKey(key);
    }
    const char* Name(const std::string& n) {
        names_.push_back(n);
        return names_.back().c_str();
    }
    std::vector<std::string> names_;
};

std::string ReadRunValue(const char* name) {
    HKEY key;
    std::string out;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "<no key>";
    char buf[512] = "";
    DWORD size = sizeof buf - 1;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS)
        out = buf;
    else
        out = "<none>";
    RegCloseKey(key);
    return out;
}

}  // namespace

// The value is written with three bytes (no terminator); Wine stores text
// values as UTF-16 and adds one, so only the read-back is checked here.
TEST_F(SettingsValues, ShortTextReadsBack) {
    const char* name = Name("bk2test_text");
    SetValue(name, "abc");
    char buf[16];
    memset(buf, 0, sizeof buf);
    GetValue(name, buf, sizeof buf);
    EXPECT_STREQ("abc", buf);
    memset(buf, 'x', sizeof buf);
    GetValue(name, buf, 4);
    EXPECT_STREQ("abc", buf);
}

TEST_F(SettingsValues, TextReadsAlwaysTerminateAndFailEmpty) {
    const char* name = Name("bk2test_long");
    SetValue(name, "0123456789");
    char buf[8];
    memset(buf, 'x', sizeof buf);
    GetValue(name, buf, sizeof buf);   // does not fit
    EXPECT_STREQ("", buf);
    char exact[11];
    memset(exact, 'x', sizeof exact);
    GetValue(name, exact, sizeof exact);   // fits with its terminator only
    EXPECT_STREQ("0123456789", exact);
    memset(buf, 'x', sizeof buf);
    GetValue("bk2test_missing", buf, sizeof buf);
    EXPECT_STREQ("", buf);
}

TEST_F(SettingsValues, NullTextDeletesTheValue) {
    const char* name = Name("bk2test_del");
    SetValue(name, 77ul);
    unsigned long n = 0;
    GetValue(name, &n);
    EXPECT_EQ(77ul, n);
    SetValue(name, static_cast<const char*>(nullptr));
    n = 5;
    GetValue(name, &n);
    EXPECT_EQ(0ul, n);
    GetValue(name, static_cast<unsigned long*>(nullptr));   // does nothing
}

TEST_F(SettingsValues, NumberReadsLeadingDigits) {
    struct Case {
        const char* stored;
        unsigned long expected;
    } cases[] = {
        {"12ab", 12}, {"", 0}, {"abc", 0}, {"0", 0}, {"2147483647", 2147483647ul},
        {"-65535", 0xFFFF0001ul},   // user stations are written with "%d"
        {" 42", 42},
    };
    const char* name = Name("bk2test_num");
    for (const Case& c : cases) {
        SetValue(name, c.stored);
        unsigned long n = 99;
        GetValue(name, &n);
        EXPECT_EQ(c.expected, n) << c.stored;
    }
    SetValue(name, 0xFFFF0001u);   // every integer type picks an overload
    SetValue(name, 0);
    SetValue(name, -65535L);
    SetValue(name, static_cast<uint32_t>(0xFFFF0001u));
    char text[32];
    GetValue(name, text, sizeof text);
    EXPECT_STREQ("-65535", text);
    unsigned long back = 0;
    GetValue(name, &back);
    EXPECT_EQ(0xFFFF0001ul, back);
}

TEST_F(SettingsValues, OfflineAndSkinValues) {
    const char* offline = Name("OfflinePlayer");
    SetValue(offline, "2");
    EXPECT_EQ(0, IsOffline());
    SetValue(offline, "1");
    EXPECT_EQ(1, IsOffline());
    SetValue(Name("OEM_Player"), "3");
    EXPECT_EQ(3ul, IsOEMPlayer());
    SetValue(Name("aktSkinId"), 1234ul);
    EXPECT_EQ(1234ul, getSkinId());
    SetValue(Name("OfflineSkinDir"), "C:\\skins");
    SetValue(Name("OfflineSoundFilesDir"), "C:\\sounds");
    SetValue(Name("OfflineAddie7"), "banner.html");
    SetValue(Name("OfflineAddieCX7"), "468");
    char out[512];
    getOfflineSkinDir(out);
    EXPECT_STREQ("C:\\skins", out);
    GetOfflineSoundfilesDir(out);
    EXPECT_STREQ("C:\\sounds", out);
    GetOfflineAddie(7, out);
    EXPECT_STREQ("banner.html", out);
    SIZE s = GetOfflineAddieSize(7);
    EXPECT_EQ(468, s.cx);
    EXPECT_EQ(0, s.cy);
}

TEST_F(SettingsValues, BinaryRoundTripAndErrorsGiveSizeZero) {
    const char* name = Name("bk2test_bin");
    const unsigned char data[5] = {0, 1, 2, 0xFF, 0};
    SetBinary(name, data, sizeof data);
    unsigned char buf[16];
    unsigned long size = sizeof buf;
    GetBinary(name, buf, &size);
    ASSERT_EQ(5ul, size);
    EXPECT_EQ(0, memcmp(buf, data, 5));

    unsigned char small[3] = {9, 9, 9};
    size = sizeof small;
    GetBinary(name, small, &size);
    EXPECT_EQ(0ul, size);   // never the size the value would need
    size = sizeof buf;
    GetBinary("bk2test_nobin", buf, &size);
    EXPECT_EQ(0ul, size);
    size = sizeof buf;
    GetBinary(name, nullptr, &size);
    EXPECT_EQ(0ul, size);
}

TEST(Autostart, RunValuesAreWrittenAndDeleted) {
    struct Case {
        void (*fn)(const char*, int);
        const char* value;
    } cases[] = {{AutoStartVLTimer, kTimerRunValue}, {AutoStartVLAgent, GetAgentRunValueName()}};
    for (const Case& c : cases) {
        // The Run key may be missing in a fresh prefix; it is never created.
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_READ, nullptr, &key,
                                                 nullptr));
        RegCloseKey(key);
        c.fn("\"C:\\prog\\x.exe\" -start", 1);
        EXPECT_EQ("\"C:\\prog\\x.exe\" -start", ReadRunValue(c.value));
        c.fn(nullptr, 0);
        EXPECT_EQ("<none>", ReadRunValue(c.value));
    }
    EXPECT_STREQ("VelmirantTimer", kTimerRunValue);
}

TEST(RealPlayerPaths, ReadFromClassesAndUntouchedWhenMissing) {
    char common[64] = "untouched", player[64] = "untouched";
    GetRealInitPath(common, sizeof common, player, sizeof player);
    EXPECT_STREQ("untouched", common);
    EXPECT_STREQ("untouched", player);

    // Wine's HKEY_CLASSES_ROOT does not show the user's classes, so the key
    // goes there directly.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, "Software\\RealNetworks\\Preferences\\DT_Common", 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\Real\\Common\\"), 16);
    RegCloseKey(key);
    GetRealInitPath(common, sizeof common, player, sizeof player);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "Software\\RealNetworks");
    EXPECT_STREQ("C:\\Real\\Common\\", common);
    EXPECT_STREQ("untouched", player);
}

TEST(FileVersion, ReadsOurVersionBlock) {
    MyFileInfo info;
    memset(&info, 'x', sizeof info);
    std::string dll = tdtest::BinDir() + "\\basekit.dll";
    ASSERT_EQ(1, GetFileVersion(dll.c_str(), &info));
    EXPECT_STREQ("basekit", info.InternalName);
    EXPECT_STREQ("basekit.dll", info.OriginalFilename);
    EXPECT_EQ(0, strncmp(info.FileVersion, "1.", 2)) << info.FileVersion;
    EXPECT_EQ(0u, info.Module);

    // The test variant of launchgate carries a "Module" entry (a skin id).
    std::string gate = tdtest::BinDir() + "\\launchgate_variant.exe";
    ASSERT_EQ(1, GetFileVersion(gate.c_str(), &info));
    EXPECT_EQ(4711u, info.Module);
}

TEST(FileVersion, FileWithoutBlockGivesZeroAndEmptyFields) {
    tdtest::TempFolder dir;
    dir.Write("plain.txt", "no version here");
    MyFileInfo info;
    memset(&info, 'x', sizeof info);
    EXPECT_EQ(0, GetFileVersion(dir.File("plain.txt").c_str(), &info));
    EXPECT_STREQ("", info.InternalName);
    EXPECT_STREQ("", info.FileVersion);
    EXPECT_STREQ("", info.OriginalFilename);
    EXPECT_EQ(0u, info.Module);
    EXPECT_EQ(0, GetFileVersion(dir.File("missing.dll").c_str(), &info));
}

TEST_F(SettingsValues, PlayerSkinVersionFindsTheSkinBySetting) {
    SetValue(Name("SKIN"), "basekit.dll");
    MyFileInfo player, skin;
    std::string folder = tdtest::BinDir() + "\\";
    GetPlayerSkinVersion(&player, &skin, tdtest::BinDir().c_str(), folder.c_str());
    EXPECT_STREQ("basekit", skin.InternalName);
    tdtest::TempFolder empty;
    GetPlayerSkinVersion(&player, &skin, empty.Path().c_str(), nullptr);   // no tunerdeck.exe, no skins folder
    EXPECT_STREQ("", player.InternalName);
    EXPECT_STREQ("", skin.InternalName);
}

TEST(CopyRegion, GivesAnEqualNewRegion) {
    HRGN a = CreateRoundRectRgn(0, 0, 50, 40, 10, 10);
    HRGN b = CreateRectRgn(20, 20, 30, 30);
    CombineRgn(a, a, b, RGN_DIFF);
    HRGN copy = CopyRegion(a);
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(a, copy);
    // Wine's EqualRgn compares the band layout; the area is what counts.
    HRGN diff = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(NULLREGION, CombineRgn(diff, a, copy, RGN_XOR));
    RECT ra, rc;
    GetRgnBox(a, &ra);
    GetRgnBox(copy, &rc);
    EXPECT_TRUE(EqualRect(&ra, &rc));
    DeleteObject(diff);
    DeleteObject(copy);
    DeleteObject(a);
    DeleteObject(b);
    EXPECT_EQ(nullptr, CopyRegion(nullptr));
}

TEST(ConvertList, Numbers) {
    struct Case {
        const char* list;
        int count;
        std::vector<int> expected;
    } cases[] = {
        {"1;;3", 5, {1, 3}}, {"1;2;3", 2, {1, 2}}, {"", 4, {}}, {";;", 4, {}},
        {"-5;x;7;", 5, {-5, 0, 7}}, {";;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;9", 1, {9}},
        {"99999999999;-99999999999;1", 5, {2147483647, -2147483647 - 1, 1}},
    };
    for (const Case& c : cases) {
        int values[8] = {0};
        int count = c.count;
        ConvertListToArray(c.list, values, &count);
        EXPECT_EQ(std::vector<int>(values, values + count), c.expected) << c.list;
    }
    int count = 3;
    ConvertListToArray(nullptr, static_cast<int*>(nullptr), &count);
    EXPECT_EQ(3, count);
}

TEST(ConvertList, TextsSplitAtByteTwoAndFitTheFields) {
    struct Case {
        std::string list;
        int count;
        std::vector<std::string> expected;
    } cases[] = {
        {"1\x02\x02" "3", 5, {"1", "", "3"}},
        {"a\x02" "b\x02", 5, {"a", "b"}},
        {"\x02" "a", 5, {"", "a"}},
        {"a\x02\x02\x02", 5, {"a"}},
        {"a\x02" "b\x02" "c", 2, {"a", "b"}},
        {"\x02\x02\x02" "d", 2, {"", ""}},
        {"a;b", 5, {"a;b"}},
        {"0123456789ABCDEF\x02" "x", 5, {"0123456", "x"}},   // cut to the 8-byte fields
        {"", 5, {}},
    };
    for (const Case& c : cases) {
        char fields[5][8];
        memset(fields, '#', sizeof fields);
        char* ptrs[5] = {fields[0], fields[1], fields[2], fields[3], fields[4]};
        int count = c.count;
        ConvertListToArray(c.list.c_str(), ptrs, &count, sizeof fields[0]);
        ASSERT_EQ(static_cast<int>(c.expected.size()), count) << c.list;
        for (int i = 0; i < count; ++i) EXPECT_EQ(c.expected[i], fields[i]) << c.list << " field " << i;
        for (int i = c.count; i < 5; ++i) EXPECT_EQ('#', fields[i][0]);   // buffers past the count untouched
    }
}

TEST(StartBrowser, OnlyWebAddressesAndMediaFilesOfTheUser) {
    tdtest::TempFolder dir;   // under the user's profile
    dir.Write("song.mp3", "ID3");
    dir.Write("tool.exe", "MZ");
    CreateDirectoryA("C:\\windows\\temp", nullptr);
    std::string outside = "C:\\windows\\temp\\bk2test_outside.mp3";
    tdtest::WriteFileBytes(outside, "ID3");
    struct Case {
        std::string target;
        int allowed;
    } cases[] = {
        {"http://www.example.com/station", 1},
        {"HTTPS://example.com/", 1},
        {dir.File("song.mp3"), 1},
        {dir.File("tool.exe"), 0},
        {dir.File("missing.mp3"), 0},
        {dir.File("..\\..\\..\\..\\..\\..\\windows\\temp\\bk2test_outside.mp3"), 0},
        {outside, 0},
        {"file:///C:/windows/system32/cmd.exe", 0},
        {"javascript:alert(1)", 0},
        {"\\\\server\\share\\song.mp3", 0},
        {"C:\\windows\\system32\\cmd.exe", 0},
        {"http://example.com/\r\nx", 0},
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.allowed, IsBrowsableTarget(c.target.c_str())) << c.target;
    EXPECT_EQ(0, IsBrowsableTarget(nullptr));

    DeleteFileA(outside.c_str());

    // A folder the player adds (its podcast folder, say) opens its media files.
    std::string podcasts = "C:\\windows\\temp\\bk2_podcasts";
    CreateDirectoryA(podcasts.c_str(), nullptr);
    std::string episode = podcasts + "\\episode.mp3";
    tdtest::WriteFileBytes(episode, "ID3");
    EXPECT_EQ(0, IsBrowsableTarget(episode.c_str()));
    EXPECT_EQ(1, AddBrowsableFolder(podcasts.c_str()));
    EXPECT_EQ(1, IsBrowsableTarget(episode.c_str()));
    std::string sibling = podcasts + "_other";   // same beginning, another folder
    CreateDirectoryA(sibling.c_str(), nullptr);
    tdtest::WriteFileBytes(sibling + "\\episode.mp3", "ID3");
    EXPECT_EQ(0, IsBrowsableTarget((sibling + "\\episode.mp3").c_str()));
    EXPECT_EQ(0, AddBrowsableFolder(""));
    // Full, the folder added longest ago makes room; added again, it is back.
    for (int i = 0; i < kMaxBrowsableFolders; ++i)
        EXPECT_EQ(1, AddBrowsableFolder(("C:\\bk2_fill_" + std::to_string(i)).c_str()));
    EXPECT_EQ(0, IsBrowsableTarget(episode.c_str()));
    EXPECT_EQ(1, AddBrowsableFolder(podcasts.c_str()));
    EXPECT_EQ(1, IsBrowsableTarget(episode.c_str()));
    DeleteFileA(episode.c_str());
    DeleteFileA((sibling + "\\episode.mp3").c_str());
    RemoveDirectoryA(podcasts.c_str());
    RemoveDirectoryA(sibling.c_str());
}

// ---------------------------------------------------------------- launchgate

TD_CHILD(startvalues) {
    // argv[1]: file that receives the settings key and the agent value name.
    if (argc < 2) return 2;
    std::string text = std::string(GetSettingsKeyName()) + "\n" + GetAgentRunValueName();
    SetValue("bk2test_probe", "here");
    return tdtest::WriteFileBytes(argv[1], text) ? 0 : 3;
}

namespace {

// Runs the child role from a copy of the test program and basekit in a
// folder of its own, with or without a launchgate.exe beside them.
std::string StartValuesIn(const tdtest::TempFolder& dir, const char* gateSource) {
    std::string bin = tdtest::BinDir();
    EXPECT_TRUE(CopyFileA(tdtest::SelfPath().c_str(), dir.File("t.exe").c_str(), FALSE));
    EXPECT_TRUE(CopyFileA((bin + "\\basekit.dll").c_str(), dir.File("basekit.dll").c_str(), FALSE));
    if (gateSource) {
        EXPECT_TRUE(CopyFileA((bin + "\\" + gateSource).c_str(), dir.File("launchgate.exe").c_str(), FALSE));
    }
    tdtest::Process p;
    if (!p.Start(dir.File("t.exe"), {"--td-child=startvalues", dir.File("out.txt")}, dir.Path())) return "<start>";
    DWORD code = 1;
    if (!p.Wait(20000, &code)) return "<hung>";
    if (code != 0) return "<exit " + std::to_string(code) + ">";
    return dir.Read("out.txt");
}

}  // namespace

TEST_F(SettingsValues, LaunchgateDefaultsWithoutIt) {
    Name("bk2test_probe");
    tdtest::TempFolder dir("nogate");
    EXPECT_EQ("SOFTWARE\\Velmirant\\Radio\nVelmirantAgent", StartValuesIn(dir, nullptr));
}

TEST(Launchgate, ItsStringsSwitchTheSettingsKey) {
    tdtest::RegistrySandbox variantKey("SOFTWARE\\VelmirantTest\\Radio");
    tdtest::TempFolder dir("gate");
    EXPECT_EQ("SOFTWARE\\VelmirantTest\\Radio\nVelmirantTestAgent", StartValuesIn(dir, "launchgate_variant.exe"));
    std::string probe;
    EXPECT_TRUE(variantKey.GetString("bk2test_probe", &probe));
    EXPECT_EQ("here", probe);
}

TEST_F(SettingsValues, LaunchgateStandInKeepsTheDeploymentValues) {
    Name("bk2test_probe");
    tdtest::TempFolder dir("stdgate");
    EXPECT_EQ("SOFTWARE\\Velmirant\\Radio\nVelmirantAgent", StartValuesIn(dir, "launchgate.exe"));
}

// What the start-up and the tray agent read from the stand-in besides the
// key names: product folder name (11), pre-set skin (40) and the tray icon
// (index 1).
TEST(Launchgate, StandInCarriesItsStringsAndIcons) {
    std::string path = tdtest::BinDir() + "\\launchgate.exe";
    HMODULE gate = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, gate);
    struct Case {
        UINT id;
        const char* text;
    } cases[] = {{11, "velmirant-Player"}, {30, "SOFTWARE\\Velmirant\\Radio"}, {35, "VelmirantAgent"},
                 {40, "zentorraface.dll"}};
    for (const Case& c : cases) {
        char buf[256] = "";
        EXPECT_GT(LoadStringA(gate, c.id, buf, sizeof buf), 0) << c.id;
        EXPECT_STREQ(c.text, buf) << c.id;
    }
    FreeLibrary(gate);
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), 1);
    EXPECT_NE(nullptr, icon);
    EXPECT_NE(reinterpret_cast<HICON>(1), icon);
    if (icon && icon != reinterpret_cast<HICON>(1)) DestroyIcon(icon);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), static_cast<UINT>(-1))),
              2u);   // two icons
}

TEST(NamedMutexes, ExistWhileBasekitIsLoaded) {
    ASSERT_NE(nullptr, GetTimerMutex());
    ASSERT_NE(nullptr, GetSharedMutex());
    for (const char* name : {"TUNERDECK_TIMER_MUTEX", "TUNERDECK_SHARED_MUTEX"}) {
        HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, name);
        EXPECT_NE(nullptr, h) << name;
        if (h) CloseHandle(h);
    }
}
