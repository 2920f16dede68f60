// The start text of a program or protocol start: normalising, splitting
// and the registry requests of the protocol keywords.
#include <gtest/gtest.h>

#include "app_start.h"

namespace {

TEST(StartText, NormalisesEscapesAndTrailingSlashes) {
    EXPECT_EQ(td::NormaliseStartText("tunerdeck://%7CCHANNELID%7C123/"), "tunerdeck://|CHANNELID|123");
    EXPECT_EQ(td::NormaliseStartText("a%20b%C2%A0c//"), "a b c");
    EXPECT_EQ(td::NormaliseStartText("///"), "");
    // A replacement never forms a new escape with what follows it.
    EXPECT_EQ(td::NormaliseStartText("%2%7C0"), "%2|0");
}

TEST(StartText, SplitsAtEveryKindOfSeparatorWithoutEmptyFields) {
    std::vector<std::string> f = td::SplitStartText("tunerdeck://||CHANNELID\n\xA0" "5|");
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], "tunerdeck://");
    EXPECT_EQ(f[1], "CHANNELID");
    EXPECT_EQ(f[2], "5");
    EXPECT_TRUE(td::SplitStartText("").empty());
    EXPECT_TRUE(td::SplitStartText("|||").empty());
}

TEST(StartText, KeepsAtMostTenFieldsOfTheFirst255Characters) {
    EXPECT_EQ(td::SplitStartText("1|2|3|4|5|6|7|8|9|10|11|12").size(), 10u);
    std::string longField(300, 'x');
    std::vector<std::string> f = td::SplitStartText("a|" + longField + "|b");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[1].size(), 253u);   // 255 characters of the copy, minus "a|"
}

TEST(StartText, CommandLineTailSkipsTheProgramPath) {
    EXPECT_STREQ(td::CommandLineTail("\"C:\\Program Files\\t\\tunerdeck.exe\"  tunerdeck://|X"), "tunerdeck://|X");
    EXPECT_STREQ(td::CommandLineTail("tunerdeck.exe  a b"), "a b");
    EXPECT_STREQ(td::CommandLineTail("tunerdeck.exe"), "");
    EXPECT_STREQ(td::CommandLineTail(nullptr), "");
}

struct KeywordCase {
    const char* text;
    const char* values;   // "name=value;" or "name-;" for a deletion
    bool startParams;
    bool endNow;
};

std::string Describe(const td::StartRequest& r) {
    std::string out;
    for (const auto& v : r.values) out += v.name + (v.remove ? "-;" : "=" + v.value + ";");
    return out;
}

TEST(StartText, ProtocolKeywordsBecomeRegistryRequests) {
    const KeywordCase cases[] = {
        {"tunerdeck://|CHANNELID|123", "LastChannelId=123;LastStreamId-;", true, false},
        {"TUNERDECK:|streamid|77", "LastStreamId=77;LastChannelId-;", true, false},
        {"tunerdeck|CHANNELID", "", false, false},
        {"tunerdeck://|SKINKEY|abc|4096", "DownloadSkinKey=abc;DownloadSkinSize=4096;", true, false},
        {"tunerdeck://|SKINKEY|abc", "DownloadSkinKey=abc;DownloadSkinSize=0;", true, false},
        {"tunerdeck://|SHUTDOWN", "", true, true},
        {"tunerdeck://|SHUTDOWN|1", "ShutDown=1;", true, false},
        {"tunerdeck://|REMIND|Sendung um 8", "Erinnerung=Sendung um 8;", true, false},
        {"tunerdeck://|REMIND", "Erinnerung-;", true, false},
        {"tunerdeck://|SEARCH|jazz", "CmdLine=tunerdeck://|SEARCH|jazz;", true, false},
        {"tunerdeck://", "", false, false},
        {"other://|CHANNELID|5", "", false, false},
        {"x", "", false, false},
    };
    for (const KeywordCase& c : cases) {
        td::StartRequest r = td::ParseStartKeywords(c.text);
        EXPECT_EQ(Describe(r), c.values) << c.text;
        EXPECT_EQ(r.startParams, c.startParams) << c.text;
        EXPECT_EQ(r.endNow, c.endNow) << c.text;
    }
}

TEST(StartText, FolderNamesLoseTheNineForbiddenCharacters) {
    EXPECT_EQ(td::SanitiseFileName("a:b/c\\d?e|f\"g<h>i*j"), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(td::SanitiseFileName("velmirant Radio"), "velmirant Radio");
}

}  // namespace
