#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "registry.h"
#include "textutil.h"

namespace {

// Runs an in-place routine on a copy placed between guard bytes and checks
// that it neither writes past the text's terminator nor lets it grow.
template <typename Fn>
std::string InPlace(const std::string& text, Fn fn) {
    const size_t guard = 32;
    std::vector<char> buf(guard + text.size() + 1 + guard, '\x7F');
    memcpy(buf.data() + guard, text.c_str(), text.size() + 1);
    fn(buf.data() + guard);
    for (size_t i = 0; i < guard; ++i) {
        EXPECT_EQ('\x7F', buf[i]) << "written before the text";
        EXPECT_EQ('\x7F', buf[guard + text.size() + 1 + i]) << "written after the text";
    }
    std::string out(buf.data() + guard);
    EXPECT_LE(out.size(), text.size());
    return out;
}

}  // namespace

TEST(TextUtil, StringReplaceAndWhiteSpace) {
    char text[] = "a;b;c";
    StringReplace(text, ';', 2);
    EXPECT_STREQ("a\x02" "b\x02" "c", text);
    StringReplace(text, 'a', 'a');
    StringReplace(nullptr, 'a', 'b');
    for (char c : {'\n', '\r', ' ', '\t'}) EXPECT_EQ(1, IsWhiteSpace(c));
    for (char c : {'a', '\0', '\v', '\xA0'}) EXPECT_EQ(0, IsWhiteSpace(c));
}

TEST(TextUtil, SearchIgnoresCaseOfLettersOnly) {
    const char* text = "Hello World";
    EXPECT_EQ(text + 6, mystristr(text, "wORLD"));
    EXPECT_EQ(text, mystristr(text, ""));
    EXPECT_EQ(nullptr, mystristr(text, "worlds"));
    EXPECT_EQ(nullptr, mystristr("\xE4", "\xC4"));   // only a-z and A-Z fold
    EXPECT_EQ(nullptr, mystristr(static_cast<const char*>(nullptr), "a"));
    EXPECT_EQ(nullptr, mystristr(text, nullptr));
}

TEST(TextUtil, ReplaceString) {
    struct Case {
        const char *text, *find, *with, *expected;
    } cases[] = {
        {"a&amp;b&AMP;c", "&amp;", "&", "a&b&c"},
        {"aaaa", "aa", "a", "aa"},            // never searches inside inserted text
        {"abc", "", "x", "abc"},
        {"abc", "b", "", "ac"},
        {"abc", "b", "xy", "abc"},            // would grow: refused
        {"%2526", "%25", "%", "%26"},
        {"", "a", "", ""},
        {"ab", "abc", "", "ab"},              // a find longer than the rest
    };
    for (const Case& c : cases) {
        std::string out = InPlace(c.text, [&](char* t) { ReplaceString(t, c.find, c.with); });
        EXPECT_EQ(c.expected, out) << c.text << " / " << c.find;
    }
    char text[] = "abc";
    EXPECT_EQ(0, ReplaceString(text, "b", "xy"));
    EXPECT_EQ(1, ReplaceString(text, "b", "y"));
    EXPECT_EQ(0, ReplaceString(nullptr, "a", "b"));
}

TEST(TextUtil, DecodesEscapesAndReferences) {
    struct Case {
        const char *text, *expected;
    } cases[] = {
        {"Caf&#233;%20Bar", "Caf\xE9 Bar"},
        {"%2526", "&"},                       // "%25" first, then the second "%26" row
        {"%3c%3E%3C", "<><"},
        {"&#xe4;&#xE4;&#XE4;", "\xE4\xE4\xE4"},
        {"&#160;&#xA0;", "  "},
        {"%DF%e4%F6%fc%C4%DC%D6", "\xDF\xE4\xF6\xFC\xC4\xDC\xD6"},
        {"&#38;&#x26;", "&&"},
        {"&#65;&#159;&#256;", "&#65;&#159;&#256;"},   // not in the table
        {"%2", "%2"},
        {"&#23", "&#23"},
        {"%", "%"},
        {"&#xFF", "&#xFF"},
        {"a%2Fb%5Cc", "a/b\\c"},
    };
    for (const Case& c : cases) {
        std::string out = InPlace(c.text, [](char* t) { DoZeichenersetzung(t); });
        EXPECT_EQ(c.expected, out) << c.text;
    }
    DoZeichenersetzung(nullptr);
}

TEST(TextUtil, EnsureFileName) {
    struct Case {
        const char *text, *expected;
    } cases[] = {
        {"..a:b*?.mp3..", "a_b__.mp3"},
        {"...", ""},
        {"", ""},
        {"a/b\\c|d\"e<f>g", "a_b_c_d_e_f_g"},
        {"Title\r\nArtist\t1", "Title__Artist_1"},
        {"song. . ", "song"},
        {"CON", "_ON"},
        {"nul.mp3", "_ul.mp3"},
        {"com1.wav", "_om1.wav"},
        {"LPT9", "_PT9"},
        {"CONCERT.mp3", "CONCERT.mp3"},
        {"com0", "com0"},
        {"Radio Bremen - Musik", "Radio Bremen - Musik"},
    };
    for (const Case& c : cases) {
        std::string out = InPlace(c.text, [](char* t) { EnsureFileName(t); });
        EXPECT_EQ(c.expected, out) << c.text;
    }
    EnsureFileName(nullptr);
}

// Random network-like texts (escapes cut anywhere, control and high bytes,
// long runs) through every in-place routine: nothing may be written outside
// the text and nothing may grow.
TEST(TextUtil, FuzzedInputsStayInsideTheirBuffers) {
    std::mt19937 rng(4711);
    const char* pieces[] = {"%", "%2", "%25", "%2526", "&#", "&#x", "&#xE", "&#xE4", "&#xe4;", "&#233;", "&#2",
                            "&amp;", ".", "..", ":", "\\", "/", "\r", "\n", "\x01", "\xFF", "CON", "a", "Z", " "};
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        int n = rng() % 40;
        for (int i = 0; i < n; ++i) text += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
        InPlace(text, [](char* t) { DoZeichenersetzung(t); });
        InPlace(text, [](char* t) { EnsureFileName(t); });
        InPlace(text, [](char* t) { ReplaceString(t, "&#x", "&"); });
        InPlace(text, [](char* t) { ReplaceString(t, "%25", ""); });

        // The list splitter cuts each field to the caller's buffers.
        char fields[4][6];
        memset(fields, 0x7F, sizeof fields);
        char* ptrs[3] = {fields[0], fields[1], fields[2]};
        std::string list = text;   // ":" and "/" stand in for the two separators
        for (char& c : list) {
            if (c == ':') c = '\x02';
            if (c == '/') c = ';';
        }
        int count = 3;
        ConvertListToArray(list.c_str(), ptrs, &count, sizeof fields[0]);
        ASSERT_GE(count, 0);
        ASSERT_LE(count, 3);
        for (int i = 0; i < count; ++i) EXPECT_LT(strnlen(fields[i], sizeof fields[i]), sizeof fields[i]);
        for (size_t i = 0; i < sizeof fields[3]; ++i) EXPECT_EQ('\x7F', fields[3][i]);
        int numbers[3];
        count = 3;
        ConvertListToArray(list.c_str(), numbers, &count);
        ASSERT_LE(count, 3);
    }
}
