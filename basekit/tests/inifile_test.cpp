#include <gtest/gtest.h>

#include <string>

// The reader is internal to basekit (not exported): the test compiles it in.
#include "inifile.cpp"  // NOLINT(bugprone-suspicious-include)

namespace {

TEST(IniTextTest, FollowsTheProfileRules) {
    const std::string text =
        "orphan=before any section\r\n"
        "; [Comment]\r\n"
        "[ Erste ]\r\n"
        "  Name  =  mit Blanks  \r\n"
        "Quoted=\"  in quotes  \"\r\n"
        "Single='x'\r\n"
        "Half=\"open\r\n"
        "NoValue\r\n"
        "Empty=\r\n"
        "Name=second wins not\n"
        "[zweite]\rKey=cr only\r"
        "[ERSTE]\nLater=merged\n"
        "[offen\nKey=unclosed bracket\n"
        "[last]\nKey=no newline at end";
    bk::IniText ini(text.data(), text.size());
    struct Case {
        const char* section;
        const char* key;
        const char* value;   // null: absent
    } cases[] = {
        {"Erste", "name", "mit Blanks"},
        {"erste", "Quoted", "  in quotes  "},
        {"Erste", "Single", "x"},
        {"Erste", "Half", "\"open"},
        {"Erste", "NoValue", ""},
        {"Erste", "Empty", ""},
        {"Erste", "Later", "merged"},
        {"Zweite", "Key", "cr only"},
        {"offen", "Key", "unclosed bracket"},
        {"last", "Key", "no newline at end"},
        {"Erste", "Missing", nullptr},
        {"Comment", "x", nullptr},
        {"", "orphan", nullptr},
        {"nirgends", "Key", nullptr},
    };
    for (const Case& c : cases) {
        const std::string* v = ini.Find(c.section, c.key);
        if (!c.value)
            EXPECT_EQ(nullptr, v) << c.section << "/" << c.key;
        else
            EXPECT_TRUE(v && *v == c.value) << c.section << "/" << c.key << ": " << (v ? *v : "(absent)");
    }
    EXPECT_EQ((std::vector<std::string>{"Erste", "zweite", "offen", "last"}), ini.SectionNames());
}

TEST(IniTextTest, BinaryAndEmptyInput) {
    const std::string binary("[a]\0k=v\0\xff\xfe[b]\nk=w", 18);
    bk::IniText ini(binary.data(), binary.size());
    ASSERT_NE(nullptr, ini.Find("a", "k"));
    EXPECT_EQ("v", *ini.Find("a", "k"));
    bk::IniText none(nullptr, 100);
    EXPECT_EQ(nullptr, none.Find("a", "k"));
    EXPECT_TRUE(none.SectionNames().empty());
    bk::IniText empty("", 0);
    EXPECT_EQ(nullptr, empty.Find(nullptr, "k"));
}

}  // namespace
