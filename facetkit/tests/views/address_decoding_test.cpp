// Names from web pages: percent-encoded UTF-8 to Windows-1252, and the
// replacement routine under it.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "address_decoding.h"

namespace {

std::string Decode(const std::string& in) {
    std::string buf = in;
    buf.push_back(0);
    UrlDecodeUtf8(&buf[0]);
    return std::string(buf.c_str());
}

TEST(AddressDecoding, TableHoldsEveryCodePageCharacterButFive) {
    const Utf8EscapePair* t = Utf8EscapeTable();
    std::set<int> bytes;
    for (int i = 0; i < kUtf8EscapePairCount; ++i) {
        bytes.insert(t[i].byte);
        // Cross-check each pair against the system's own conversion.
        wchar_t wide[2] = {};
        char one = static_cast<char>(t[i].byte);
        ASSERT_EQ(MultiByteToWideChar(1252, 0, &one, 1, wide, 2), 1);
        char utf8[8] = {};
        int n = WideCharToMultiByte(CP_UTF8, 0, wide, 1, utf8, sizeof utf8, nullptr, nullptr);
        std::string expect;
        for (int k = 0; k < n; ++k) {
            char g[4];
            snprintf(g, sizeof g, "%%%02X", static_cast<unsigned char>(utf8[k]));
            expect += g;
        }
        EXPECT_EQ(t[i].escaped, expect) << "byte " << int(t[i].byte);
    }
    EXPECT_EQ(bytes.size(), 123u);
    for (int b : {0x95, 0xA0, 0xAD, 0xB4, 0xCA}) EXPECT_EQ(bytes.count(b), 0u) << b;
    EXPECT_STREQ(t[0].escaped, "%C3%84");  // the umlauts come first
}

TEST(AddressDecoding, DecodesOnlyUpperCaseSequencesOfTheTable) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"Gr%C3%BC%C3%9Fe", "Gr\xFC\xDF" "e"},
        {"gr%c3%bc%c3%9fe", "gr%c3%bc%c3%9fe"},
        {"a%20b", "a%20b"},
        {"%E2%82%AC 5", "\x80 5"},
        {"%C5%A0", "\x8A"},
        {"%C2%81%C2%8D", "\x81\x8D"},
        {"no%C2%A0break", "no%C2%A0break"},
        {"%E2%80%A2", "%E2%80%A2"},
        {"%C3", "%C3"},
        {"%C3%8", "%C3%8"},
        {"%%C3%A4%", "%\xE4%"},
        {"", ""},
        {"%C3%84%C3%84%C3%84", "\xC4\xC4\xC4"},
    };
    for (const Case& c : cases) EXPECT_EQ(Decode(c.in), c.out) << c.in;
    UrlDecodeUtf8(nullptr);
}

TEST(AddressDecoding, LongTextsAreDecodedWhole) {
    std::string in, out;
    for (int i = 0; i < 3000; ++i) {
        in += "%C3%B6";
        out += "\xF6";
    }
    EXPECT_EQ(Decode(in), out);
}

TEST(AddressDecoding, ReplaceAllContinuesBehindEachReplacementAndCutsAtCapacity) {
    char text[16] = "aaa";
    EXPECT_EQ(ReplaceAll(text, sizeof text, "aa", "b"), 1);
    EXPECT_STREQ(text, "ba");
    char grow[8] = "xyx";
    EXPECT_EQ(ReplaceAll(grow, sizeof grow, "x", "long"), 2);
    EXPECT_STREQ(grow, "longylo");
    char same[8] = "abc";
    EXPECT_EQ(ReplaceAll(same, sizeof same, "", "z"), 0);
    EXPECT_EQ(ReplaceAll(same, sizeof same, "B", "z"), 0);
    EXPECT_STREQ(same, "abc");
}

}  // namespace
