// The search form's criteria: the order of the two-part boxes, stored
// values read back into selections (also when malformed), the record bytes
// the host receives, and the reset.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "catalogue.h"
#include "list_store.h"
#include "registry.h"
#include "search_criteria.h"
#include "tdtest.h"

namespace {

std::vector<CriteriaEntry> Upper() { return {{"", 0, 0}, {"Rock", 10, 0}, {"Jazz", 20, 0}}; }
std::vector<CriteriaEntry> Lower() {
    return {{"alle Genres", 0, 0}, {"Hard Rock", 11, 10}, {"Oldies", 30, 0}, {"Bebop", 21, 20},
            {"Orphan", 40, 99}, {"Punk", 12, 10}};
}

std::string Get(const char* name) {
    char text[300] = {};
    GetValue(name, text, sizeof text);
    return text;
}

struct CriteriaFixture : ::testing::Test {
    tdtest::RegistrySandbox sandbox{"SOFTWARE\\Velmirant\\Radio"};
    void SetUp() override {
        cListStore& s = GetListStore();
        for (int kind : {0, 1, 3, 4, 5, 6, 10, 12}) s.Clear(kind, 1);
        s.AddCriteria(5, "Rock", 10, 0, 1);
        s.AddCriteria(5, "Jazz", 20, 0, 1);
        s.AddCriteria(5, nullptr, 0, 0, 1);
        s.AddCriteria(4, "Hard Rock", 11, 10, 1);
        s.AddCriteria(4, nullptr, 0, 0, 1);
        s.AddCriteria(1, "Deutsch", 7, 0, 1);
        s.AddCriteria(1, nullptr, 0, 0, 1);
        s.AddCriteria(10, "MP3", 300, 0, 1);   // too large for its one-byte field
        s.AddCriteria(10, nullptr, 0, 0, 1);
    }
    void TearDown() override {
        for (int kind : {0, 1, 3, 4, 5, 6, 10, 12}) GetListStore().Clear(kind, 1);
    }
};

}  // namespace

TEST(SearchCriteria, TwoPartBoxOrderAndStoredValues) {
    std::vector<CriteriaChoice> c = TwoPartChoices(Upper(), Lower());
    std::vector<std::string> texts;
    for (const auto& x : c) texts.push_back(x.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"alle Genres", "Rock", "   Hard Rock", "   Punk", "Jazz", "   Bebop",
                                               "Oldies"}));
    EXPECT_EQ(ValueOfChoice(c, 1, true), "10|0");
    EXPECT_EQ(ValueOfChoice(c, 3, true), "10|12");
    EXPECT_EQ(ValueOfChoice(c, 6, true), "0|30");
    EXPECT_EQ(ValueOfChoice(c, 99, true), "0|0");
    struct Case {
        const char* value;
        int index;
    } cases[] = {{"0|0", 0}, {"10|12", 3}, {"20|21", 5}, {"0|30", 6}, {"99|40", 0},
                 {"x|", 0},  {"||", 0},    {"10", 0},    {"", 0},     {"10|12junk", 0}};
    for (const Case& k : cases) EXPECT_EQ(ChoiceIndexOfValue(c, k.value, true), k.index) << k.value;
    std::vector<CriteriaChoice> one = OnePartChoices({{"alle", 0, 0}, {"Deutsch", 7, 0}});
    EXPECT_EQ(ChoiceIndexOfValue(one, "7", false), 1);
    EXPECT_EQ(ChoiceIndexOfValue(one, "8", false), 0);
}

TEST_F(CriteriaFixture, RecordBytesAndStoredValuesOfAFilledForm) {
    int selections[kCriteriaBoxes] = {2, 0, 1, 0, 1, 0};   // Hard Rock, Deutsch, MP3
    SearchRecord record;
    memset(&record, 0, sizeof record);
    FillSearchRecord(&record, "Radio Eins", selections, 1);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(&record);
    EXPECT_STREQ(record.name, "Radio Eins");
    EXPECT_EQ(b[260] | b[261] << 8, 11);   // lower genre
    EXPECT_EQ(b[276] | b[277] << 8, 10);   // upper genre
    EXPECT_EQ(b[262] | b[263] << 8, 7);    // language
    EXPECT_EQ(b[264], 0);                  // 300 does not fit one byte: any format
    EXPECT_EQ(Get("KATEGORIE"), "10|11");
    EXPECT_EQ(Get("SPRACHE"), "7");
    EXPECT_EQ(Get("REGION"), "0");
    EXPECT_EQ(Get("NAME"), "Radio Eins");

    int read[kCriteriaBoxes] = {};
    StoredCriteriaSelections(read);
    EXPECT_EQ(std::vector<int>(read, read + kCriteriaBoxes), std::vector<int>(selections, selections + kCriteriaBoxes));

    // The placeholder sends an empty name; a reset selects every first entry.
    char placeholder[300] = {};
    GetResourceString(nullptr, 361, 1, placeholder, sizeof placeholder);
    memset(&record, 0, sizeof record);
    FillSearchRecord(&record, placeholder, selections, 1);
    EXPECT_STREQ(record.name, "");
    ResetSearchCriteria(1);
    EXPECT_EQ(Get("KATEGORIE"), "0|0");
    StoredCriteriaSelections(read);
    for (int v : read) EXPECT_EQ(v, 0);
    EXPECT_EQ(Get("NAME"), placeholder);
}
