#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "bounded_text.h"
#include "registry.h"
#include "shared_data.h"
#include "tdtest.h"

namespace {

std::string PlayUrl() {
    char buf[kSharedSlotSize];
    memset(buf, 'x', sizeof buf);
    GetPlayURL(buf);
    return buf;
}

std::string VlMetaUrl() {
    char buf[kSharedSlotSize];
    memset(buf, 'x', sizeof buf);
    GetVL_METAURL(buf);
    return buf;
}

std::string MetaUrl(const char* before) {
    char buf[kSharedSlotSize];
    bk::TextCopy(buf, before);
    GetMETAURL(buf);
    return buf;
}

void Credentials(std::string* user, std::string* password) {
    char u[kSharedSlotSize], p[kSharedSlotSize];
    memset(u, 'x', sizeof u);
    memset(p, 'x', sizeof p);
    char* up = u;
    char* pp = p;
    GetUserNameA(&up, &pp);
    *user = u;
    *password = p;
}

}  // namespace

TEST(SharedData, CredentialsComeBackWhole) {
    std::string user, password;
    SetUserName("ab", "");
    Credentials(&user, &password);
    EXPECT_EQ("ab", user);
    EXPECT_EQ("", password);

    // Characters equal to the scramble mask become zero bytes in the slot;
    // the stored length still brings them back.
    std::string tricky;
    for (int c = 1; c < 256; ++c) tricky += static_cast<char>(c);
    SetUserName(tricky.c_str(), tricky.c_str());
    Credentials(&user, &password);
    EXPECT_EQ(tricky, user);
    EXPECT_EQ(tricky, password);
    SetUserName("", "");
}

TEST(SharedData, ShorterTextLeavesNoTailAndTooLongIsRefused) {
    SetPlayURL(std::string(1000, 'a').c_str());
    SetPlayURL("b");
    EXPECT_EQ("b", PlayUrl());

    std::string max(1023, 'm');
    SetPlayURL(max.c_str());
    EXPECT_EQ(max, PlayUrl());
    SetPlayURL(std::string(1024, 'o').c_str());   // would fill the slot without a terminator
    EXPECT_EQ("", PlayUrl());
    SetPlayURL(std::string(5000, 'o').c_str());
    EXPECT_EQ("", PlayUrl());

    SetUserName(std::string(2000, 'u').c_str(), "pw");
    std::string user, password;
    Credentials(&user, &password);
    EXPECT_EQ("", user);
    EXPECT_EQ("pw", password);
    SetPlayURL(nullptr);
    EXPECT_EQ("", PlayUrl());
}

TEST(SharedData, MetaAddressesAreIndependent) {
    SetVL_METAURL("http://titles.example/doc.xml");
    SetMETAURL("http://stream.example:8000/");
    EXPECT_EQ("http://titles.example/doc.xml", VlMetaUrl());
    EXPECT_EQ("http://stream.example:8000/", MetaUrl(""));
    SetMETAURL("http://other/");
    EXPECT_EQ("http://titles.example/doc.xml", VlMetaUrl());
    SetVL_METAURL("");
    EXPECT_EQ("http://other/", MetaUrl(""));
    EXPECT_EQ("", VlMetaUrl());
}

TEST(SharedData, EmptyResolvedAddressLeavesTheCallersAndNoOldTail) {
    SetMETAURL("");
    EXPECT_EQ("http://kept/address", MetaUrl("http://kept/address"));
    SetMETAURL("http://new/");
    // The caller's buffer held a longer address: nothing of it may remain.
    EXPECT_EQ("http://new/", MetaUrl("http://a-much-longer-old-address/stream.mp3"));
    SetMETAURL("");
}

TEST(SharedData, ProxySettingsFitTheCallersBuffers) {
    SetProxySettings("proxy.example", "3128", 1, 0);
    char host[100], port[100];
    memset(host, 'x', sizeof host);
    memset(port, 'x', sizeof port);
    char* hp = host;
    char* pp = port;
    unsigned long enabled = 7, httpOnly = 7;
    GetProxySettings(&hp, &pp, &enabled, &httpOnly);
    EXPECT_STREQ("proxy.example", host);
    EXPECT_STREQ("3128", port);
    EXPECT_EQ(1ul, enabled);
    EXPECT_EQ(0ul, httpOnly);

    // A host of 150 characters is stored, but fits only a sized buffer.
    std::string longHost(150, 'h');
    SetProxySettings(longHost.c_str(), "80", 0, 1);
    GetProxySettings(&hp, &pp, &enabled, &httpOnly);
    EXPECT_STREQ("", host);
    EXPECT_STREQ("80", port);
    EXPECT_EQ(1ul, httpOnly);
    char big[300], small[3];
    GetProxySettings(big, sizeof big, small, sizeof small, nullptr, nullptr);
    EXPECT_EQ(longHost, big);
    EXPECT_STREQ("80", small);
    GetProxySettings(big, sizeof big, small, 2, nullptr, nullptr);
    EXPECT_STREQ("", small);

    SetProxySettings(std::string(300, 'h').c_str(), std::string(40, '9').c_str(), 1, 1);   // refused
    GetProxySettings(big, sizeof big, port, sizeof port, &enabled, nullptr);
    EXPECT_STREQ("", big);
    EXPECT_STREQ("", port);
    EXPECT_EQ(1ul, enabled);
    SetProxySettings("", "", 0, 0);
}

TEST(SharedData, SectionIsSharedAndMarkedSo) {
    HMODULE dll = GetModuleHandleA("basekit.dll");
    ASSERT_NE(nullptr, dll);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(dll);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(reinterpret_cast<BYTE*>(dll) + dos->e_lfanew);
    IMAGE_SECTION_HEADER* sec = IMAGE_FIRST_SECTION(nt);
    bool found = false;
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
        if (strncmp(reinterpret_cast<char*>(sec[i].Name), ".tdshare", 8) != 0) continue;
        found = true;
        EXPECT_TRUE(sec[i].Characteristics & IMAGE_SCN_MEM_SHARED);
        EXPECT_GE(sec[i].Misc.VirtualSize, sizeof(SharedDataSection));
    }
    EXPECT_TRUE(found);
}

// ---------------------------------------------------------------- two processes

TD_CHILD(sharedreader) {
    // Checks what the parent stored, then stores answers of its own.
    char buf[kSharedSlotSize] = "";
    GetPlayURL(buf);
    if (strcmp(buf, "http://parent/play") != 0) return 10;
    GetVL_METAURL(buf);
    if (strcmp(buf, "http://parent/titles") != 0) return 11;
    buf[0] = 0;
    GetMETAURL(buf);
    if (strcmp(buf, "http://parent/resolved") != 0) return 12;
    char u[kSharedSlotSize] = "", p[kSharedSlotSize] = "";
    char* up = u;
    char* pp = p;
    GetUserNameA(&up, &pp);
    if (strcmp(u, "parent-user") != 0 || strcmp(p, "\xA7pass") != 0) return 13;
    char host[100] = "", port[100] = "";
    char* hp = host;
    char* ptp = port;
    unsigned long enabled = 0, httpOnly = 0;
    GetProxySettings(&hp, &ptp, &enabled, &httpOnly);
    if (strcmp(host, "proxy.parent") != 0 || strcmp(port, "8080") != 0 || enabled != 1 || httpOnly != 1) return 14;

    SetPlayURL("http://child/play");
    SetVL_METAURL("http://child/titles");
    SetMETAURL("http://child/resolved");
    SetUserName("child-user", "child-pass");
    SetProxySettings("proxy.child", "81", 0, 0);
    return 0;
}

TD_CHILD(sharedholder) {
    // Holds the shared mutex until told to let go (argv[1]: event name).
    if (argc < 2) return 2;
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, argv[1]);
    if (!go) return 3;
    if (WaitForSingleObject(GetSharedMutex(), 30000) != WAIT_OBJECT_0) return 4;
    HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(argv[1]) + "_held").c_str());
    if (held) SetEvent(held);
    WaitForSingleObject(go, 20000);
    ReleaseMutex(GetSharedMutex());
    return 0;
}

TEST(SharedData, SecondProcessSeesEverySlot) {
    SetPlayURL("http://parent/play");
    SetVL_METAURL("http://parent/titles");
    SetMETAURL("http://parent/resolved");
    SetUserName("parent-user", "\xA7pass");
    SetProxySettings("proxy.parent", "8080", 1, 1);

    tdtest::Process child;
    ASSERT_TRUE(child.StartChild("sharedreader"));
    DWORD code = 99;
    ASSERT_TRUE(child.Wait(20000, &code));
    ASSERT_EQ(0u, code);

    EXPECT_EQ("http://child/play", PlayUrl());
    EXPECT_EQ("http://child/titles", VlMetaUrl());
    EXPECT_EQ("http://child/resolved", MetaUrl(""));
    std::string user, password;
    Credentials(&user, &password);
    EXPECT_EQ("child-user", user);
    EXPECT_EQ("child-pass", password);
    char host[100], port[100];
    unsigned long enabled = 9, httpOnly = 9;
    GetProxySettings(host, sizeof host, port, sizeof port, &enabled, &httpOnly);
    EXPECT_STREQ("proxy.child", host);
    EXPECT_STREQ("81", port);
    EXPECT_EQ(0ul, enabled);
    EXPECT_EQ(0ul, httpOnly);
    SetUserName("", "");
    SetProxySettings("", "", 0, 0);
}

TEST(SharedData, AccessWaitsForTheMutexAndGivesUpAfterItsTimeOut) {
    SetPlayURL("http://before/");
    std::string name = "bk2_shared_go_" + std::to_string(GetCurrentProcessId());
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, (name + "_held").c_str());
    tdtest::Process child;
    ASSERT_TRUE(child.StartChild("sharedholder", {name}));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held, 20000));

    DWORD start = GetTickCount();
    SetPlayURL("http://while-held/");   // times out: nothing is written
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, kSharedWaitMs - 200);
    EXPECT_LT(waited, kSharedWaitMs + 60000);   // gave up while the holder still held on
    SetEvent(go);
    DWORD code = 99;
    ASSERT_TRUE(child.Wait(20000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ("http://before/", PlayUrl());
    CloseHandle(go);
    CloseHandle(held);
}
