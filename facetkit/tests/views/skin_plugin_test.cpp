// Binding the skin plug-in: the version rule, the refusal message, the
// standard skin as fall-back, and which plug-ins can carry the windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "facetkit_fixtures.h"
#include "skin_plugin.h"
#include "tdtest.h"
#include "win_handles.h"

namespace {

// ---------------------------------------------------------------- a version block of our own
void Pad4(std::vector<char>* b) {
    while (b->size() % 4) b->push_back(0);
}

// One node of a version resource: length, value length, type, key, value,
// children, each start on a 4-byte boundary.
std::vector<char> Node(const std::wstring& key, const void* value, size_t valueBytes, WORD valueLength, WORD type,
                       const std::vector<std::vector<char>>& children = {}) {
    std::vector<char> b(6, 0);
    const char* k = reinterpret_cast<const char*>(key.c_str());
    b.insert(b.end(), k, k + (key.size() + 1) * sizeof(wchar_t));
    Pad4(&b);
    const char* v = static_cast<const char*>(value);
    if (valueBytes) b.insert(b.end(), v, v + valueBytes);
    for (const auto& c : children) {
        Pad4(&b);
        b.insert(b.end(), c.begin(), c.end());
    }
    WORD length = static_cast<WORD>(b.size());
    memcpy(&b[0], &length, 2);
    memcpy(&b[2], &valueLength, 2);
    memcpy(&b[4], &type, 2);
    return b;
}

std::vector<char> Text(const std::wstring& key, const std::wstring& value) {
    return Node(key, value.c_str(), (value.size() + 1) * sizeof(wchar_t), static_cast<WORD>(value.size() + 1), 1);
}

std::vector<char> VersionBlock(const std::wstring& fileVersion, const std::wstring& internalName) {
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = 0xFEEF04BD;
    fixed.dwStrucVersion = 0x10000;
    std::vector<char> strings =
        Node(L"040904b0", nullptr, 0, 0, 1,
             {Text(L"FileVersion", fileVersion), Text(L"InternalName", internalName),
              Text(L"OriginalFilename", L"skin.dll")});
    DWORD translation = 0x04B00409;
    std::vector<char> var = Node(L"VarFileInfo", nullptr, 0, 0, 1, {Node(L"Translation", &translation, 4, 4, 0)});
    return Node(L"VS_VERSION_INFO", &fixed, sizeof fixed, sizeof fixed, 0,
                {Node(L"StringFileInfo", nullptr, 0, 0, 1, {strings}), var});
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) {
    reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
    return TRUE;
}

// A copy of the standard skin whose version block says what the test wants.
bool CopySkinWithVersion(const std::string& target, const wchar_t* fileVersion, const wchar_t* internalName) {
    if (!CopyFileA(fk::BinFile("stockface.dll").c_str(), target.c_str(), FALSE)) return false;
    std::vector<WORD> languages;
    {
        bk::ScopedModule data(LoadLibraryExA(target.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!data.Get()) return false;
        EnumResourceLanguagesA(data.Get(), MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
    }
    HANDLE update = BeginUpdateResourceA(target.c_str(), FALSE);
    if (!update) return false;
    for (WORD l : languages) UpdateResourceA(update, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), l, nullptr, 0);
    std::vector<char> block = VersionBlock(fileVersion, internalName);
    bool ok = UpdateResourceA(update, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1),
                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), block.data(),
                              static_cast<DWORD>(block.size())) != 0;
    return EndUpdateResourceA(update, FALSE) && ok;
}

std::vector<std::string> g_messages;
void RecordMessage(const char* text, const char* caption) { g_messages.push_back(std::string(caption) + "|" + text); }

struct MessageSinkScope {
    MessageSinkScope() {
        g_messages.clear();
        SetSkinMessageSink(RecordMessage);
    }
    ~MessageSinkScope() { SetSkinMessageSink(nullptr); }
};

// ---------------------------------------------------------------- tests
TEST(SkinPlugin, VersionTexts) {
    struct Case {
        const char* text;
        bool tooOld;
    } cases[] = {
        {"1.1.7", false},   {"2.01.5", false},   {"1.2.0.0", false}, {"1.1.6", true},  {"1.0.9", true},
        {"0.9.9", true},    {"1, 1, 7, 0", false}, {"1, 1, 6, 0", true}, {" 1 . 1 . 10", false},
        {"1.1", true},      {"1", true},         {"", false},        {"x.y.z", false}, {nullptr, false},
        {"99999999999.0.0", false},
    };
    for (const Case& c : cases) EXPECT_EQ(SkinVersionTooOld(c.text), c.tooOld) << (c.text ? c.text : "(null)");
    int v[3];
    ASSERT_TRUE(ParseSkinVersion("1, 01, 7, 3", v));
    EXPECT_EQ(v[0] * 10000 + v[1] * 100 + v[2], 10107);
}

TEST(SkinPlugin, TheStandardSkinBindsAndCarriesTheWindows) {
    bk::ScopedModule holder;
    ASSERT_NE(fk::LoadStockface(&holder), nullptr);
    SkinEntryPoints e = {};
    BindSkinPlugin(holder.Get(), &e);
    EXPECT_TRUE(SkinIsUsable(e));
    EXPECT_NE(e.GetResourceRect, nullptr);
    EXPECT_NE(e.SetSkinLanguage, nullptr);

    // A library with only GetResourceRect loads but cannot carry the windows.
    bk::ScopedModule fixture(LoadLibraryA(fk::BinFile("facetkit_fixtureskin.dll").c_str()));
    ASSERT_NE(fixture.Get(), nullptr);
    BindSkinPlugin(fixture.Get(), &e);
    EXPECT_NE(e.GetResourceRect, nullptr);
    EXPECT_FALSE(SkinIsUsable(e));
    // No module: everything empty.
    BindSkinPlugin(nullptr, &e);
    const void* const* slots = reinterpret_cast<const void* const*>(&e);
    for (int i = 0; i < kSkinEntryPointCount; ++i) EXPECT_EQ(slots[i], nullptr) << i;
}

TEST(SkinPlugin, SkinsBelowTheLeastVersionAreRefusedWithTheirName) {
    tdtest::TempFolder skins("fk4skins");
    MessageSinkScope sink;
    struct Case {
        const wchar_t* version;
        bool loads;
    } cases[] = {{L"1.1.6", false}, {L"1.1.7", true}, {L"2.01.5", true}, {L"1.0.9", false}, {L"0.9.9", false}};
    int n = 0;
    for (const Case& c : cases) {
        std::string file = "skin" + std::to_string(n++) + ".dll";
        ASSERT_TRUE(CopySkinWithVersion(skins.File(file), c.version, L"Altskin")) << file;
        g_messages.clear();
        HMODULE m = LoadNamedSkin(skins.Path().c_str(), file.c_str(), 1);
        EXPECT_EQ(m != nullptr, c.loads) << file;
        if (c.loads) {
            EXPECT_TRUE(g_messages.empty());
            FreeLibrary(m);
        } else {
            ASSERT_EQ(g_messages.size(), 1u);
            EXPECT_EQ(g_messages[0].rfind("velmirant-Player|", 0), 0u) << g_messages[0];
            EXPECT_NE(g_messages[0].find("\"Altskin\""), std::string::npos) << g_messages[0];
        }
    }
    // The English text names the skin too.
    g_messages.clear();
    EXPECT_EQ(LoadNamedSkin((skins.Path() + "\\").c_str(), "skin0.dll", 2), nullptr);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_NE(g_messages[0].find("The skin 'Altskin' is too old"), std::string::npos) << g_messages[0];
    // Missing files and names are no skin, silently.
    g_messages.clear();
    EXPECT_EQ(LoadNamedSkin(skins.Path().c_str(), "missing.dll", 1), nullptr);
    EXPECT_EQ(LoadNamedSkin(skins.Path().c_str(), "", 1), nullptr);
    EXPECT_EQ(LoadNamedSkin(nullptr, "skin1.dll", 1), nullptr);
    EXPECT_TRUE(g_messages.empty());
}

TEST(SkinPlugin, TheStandardSkinComesFromTheSkinsFolderOrTheProgramFolder) {
    tdtest::TempFolder skins("fk4std");
    tdtest::TempFolder program("fk4prog");
    EXPECT_EQ(LoadStandardSkin(skins.Path().c_str(), program.Path().c_str()), nullptr);
    ASSERT_TRUE(CreateDirectoryA(program.File("skins").c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(fk::BinFile("stockface.dll").c_str(), (program.File("skins") + "\\stockface.dll").c_str(),
                          FALSE));
    HMODULE fromProgram = LoadStandardSkin(skins.Path().c_str(), program.Path().c_str());
    ASSERT_NE(fromProgram, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(fromProgram, path, sizeof path);
    EXPECT_NE(std::string(path).find("fk4prog"), std::string::npos) << path;
    FreeLibrary(fromProgram);

    ASSERT_TRUE(CopyFileA(fk::BinFile("stockface.dll").c_str(), skins.File("stockface.dll").c_str(), FALSE));
    HMODULE fromSkins = LoadStandardSkin((skins.Path() + "\\").c_str(), program.Path().c_str());
    ASSERT_NE(fromSkins, nullptr);
    GetModuleFileNameA(fromSkins, path, sizeof path);
    EXPECT_NE(std::string(path).find("fk4std"), std::string::npos) << path;
    FreeLibrary(fromSkins);
}

}  // namespace
