#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tdtest.h"
#include "url_protocol.h"

namespace {

constexpr const char* kGeneral = "Software\\Microsoft\\NetShow\\Player\\General";
constexpr const char* kLocal = "Software\\Microsoft\\NetShow\\Player\\Local";
constexpr const char* kPrefs = "Software\\Microsoft\\MediaPlayer\\Preferences";

// -1: no such value.
long long Dword(const char* subkey, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return -1;
    DWORD v = 0, size = sizeof v, type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long long>(v) : -1;
}

std::string Text(const char* subkey, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "<no key>";
    char buf[1024] = "";
    DWORD size = sizeof buf - 1, type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(buf) : "<none>";
}

bool KeyExists(const char* subkey) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

// A fresh prefix has none of the Media Player keys; they are never created.
TEST(MediaPlayerValues, MissingKeysStayMissing) {
    tdtest::RegistrySandbox netshow("Software\\Microsoft\\NetShow");
    tdtest::RegistrySandbox prefs(kPrefs);
    SetBufferSizeMP(5000);
    SetProxiMP("proxy", 8080);
    UnsetProxiMP();
    SetTransportMP(1);
    SetTransportMP9(1);
    EXPECT_FALSE(KeyExists(kGeneral));
    EXPECT_FALSE(KeyExists(kLocal));
    EXPECT_FALSE(KeyExists(kPrefs));
}

TEST(MediaPlayerValues, WrittenIntoExistingKeys) {
    tdtest::RegistrySandbox netshow("Software\\Microsoft\\NetShow");
    tdtest::RegistrySandbox prefs(kPrefs);
    tdtest::RegistrySandbox general(kGeneral);
    tdtest::RegistrySandbox local(kLocal);
    ASSERT_TRUE(general.SetString("marker", "x"));
    ASSERT_TRUE(local.SetString("marker", "x"));
    ASSERT_TRUE(prefs.SetString("marker", "x"));

    SetBufferSizeMP(8000);
    EXPECT_EQ(8000, Dword(kGeneral, "Buffering Time"));

    struct Case {
        int flag;
        long long others;
    } cases[] = {{0, 1}, {1, 0}, {7, 0}};
    for (const Case& c : cases) {
        SetTransportMP(c.flag);
        SetTransportMP9(c.flag);
        for (const char* n : {"EnableUDP", "EnableTCP", "EnableMulticast"}) EXPECT_EQ(c.others, Dword(kGeneral, n)) << n;
        EXPECT_EQ(1, Dword(kGeneral, "EnableHTTP"));
        for (const char* n : {"UseUDP", "UseTCP", "UseMulticast"}) EXPECT_EQ(c.others, Dword(kPrefs, n)) << n;
        EXPECT_EQ(1, Dword(kPrefs, "UseHTTP"));
    }

    SetProxiMP("proxy.example", 3128);
    EXPECT_EQ(1, Dword(kLocal, "ProxyEnabled"));
    EXPECT_EQ(0, Dword(kLocal, "EnableAutoProxy"));
    EXPECT_EQ(3128, Dword(kLocal, "ProxyPort"));
    std::string host;
    EXPECT_TRUE(local.GetString("ProxyHost", &host));
    EXPECT_EQ("proxy.example", host);
    UnsetProxiMP();
    EXPECT_EQ(0, Dword(kLocal, "ProxyEnabled"));
    EXPECT_EQ(0, Dword(kLocal, "EnableAutoProxy"));
}

TEST(UrlProtocol, RegisteredForTheCurrentUser) {
    tdtest::RegistrySandbox proto("Software\\Classes\\tunerdeck");
    RegisterVLProtokoll();
    std::string self = tdtest::SelfPath();
    EXPECT_EQ("\"" + self + "\" %1", Text("Software\\Classes\\tunerdeck\\shell\\open\\command", nullptr));
    EXPECT_EQ(self, Text("Software\\Classes\\tunerdeck\\DefaultIcon", nullptr));
    EXPECT_EQ("URL: tunerdeck Protocol", Text("Software\\Classes\\tunerdeck", nullptr));
    EXPECT_EQ("URL: tunerdeck Protocol", Text("Software\\Classes\\tunerdeck", "URL Protocol"));
}
