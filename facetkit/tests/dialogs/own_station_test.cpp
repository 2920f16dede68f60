#include <memory>
#include <string>
#include <vector>

#include "dialogs_fixture.h"
#include "list_store.h"
#include "own_station_wnd.h"
#include "txtelement.h"

namespace {

const char S = '\x02';

TEST(OwnStationText, StoredFieldsStayInPlaceAcrossEmptyOnes) {
    struct Case {
        const char* what;
        std::string text;
        const char* name;
        unsigned long genre, type, country, language, format;
        const char* description;
        const char* address;
        const char* homePage;
    } cases[] = {
        {"all fields", std::string("Nachtfunk") + S + "x" + S + "12" + S + "3" + S + "49" + S + "7" + S + "a" + S + "b" +
                           S + "c" + S + "Jazz bei Nacht" + S + "d" + S + "2" + S + "http://s.example/live" + S +
                           "http://www.example",
         "Nachtfunk", 12, 3, 49, 7, 2, "Jazz bei Nacht", "http://s.example/live", "http://www.example"},
        {"fields 6 to 8 empty", std::string("N") + S + S + "1" + S + "2" + S + "3" + S + "4" + S + S + S + S + "Beschr",
         "N", 1, 2, 3, 4, 0, "Beschr", "", ""},
        {"empty", "", "", 0, 0, 0, 0, 0, "", "", ""},
        {"ids that are no numbers", std::string("N") + S + S + "abc" + S + "-", "N", 0, 0, 0, 0, 0, "", "", ""},
    };
    for (const Case& c : cases) {
        ownst::Station s = ownst::ParseStoredStation(c.text.data(), c.text.size());
        EXPECT_EQ(s.name, c.name) << c.what;
        EXPECT_EQ(s.genre, c.genre) << c.what;
        EXPECT_EQ(s.type, c.type) << c.what;
        EXPECT_EQ(s.country, c.country) << c.what;
        EXPECT_EQ(s.language, c.language) << c.what;
        EXPECT_EQ(s.format, c.format) << c.what;
        EXPECT_EQ(s.description, c.description) << c.what;
        EXPECT_EQ(s.address, c.address) << c.what;
        EXPECT_EQ(s.homePage, c.homePage) << c.what;
    }
    // The record always has nine fields, none empty.
    ownst::Station s;
    s.name = "N";
    s.address = "ab";
    const std::string record = ownst::BuildStationRecord(s);
    EXPECT_EQ(record, std::string("N") + S + "0" + S + "0" + S + "0" + S + "0" + S + " " + S + "0" + S + "ab" + S + " ");
    // Typed separators would shift every later field.
    EXPECT_EQ(ownst::CleanField("Rock\x02Pop\r\n"), "RockPop");
}

class OwnStationTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        Fill(LS_COUNTRIES_LOWER, {{"Deutschland", 49}, {"Schweiz", 41}});
        Fill(LS_LANGUAGES, {{"Deutsch", 1}, {"Englisch", 2}});
        Fill(LS_STATION_TYPES, {{"Privat", 5}, {"Öffentlich", 6}});
        Fill(LS_GENRES_LOWER, {{"Rock", 10}, {"Jazz", 11}, {"Pop", 12}});
        Fill(LS_STREAM_FORMATS, {{"MP3", 3}, {"Windows Media", 4}});
    }
    void TearDown() override {
        for (int slot : {LS_COUNTRIES_LOWER, LS_LANGUAGES, LS_STATION_TYPES, LS_GENRES_LOWER, LS_STREAM_FORMATS,
                         LS_USER_STATIONS})
            Fill(slot, {});
        DialogTest::TearDown();
    }
    static void Fill(int slot, const std::vector<std::pair<const char*, unsigned long>>& entries) {
        cListStore& store = GetListStore();
        EnterCriticalSection(store.Lock());
        store.List(slot)->Delete();
        for (const auto& e : entries) {
            auto* t = new cTxtElement;
            t->SetText(e.first);
            t->SetId(e.second);
            store.List(slot)->Add(t);
        }
        LeaveCriticalSection(store.Lock());
    }
    std::unique_ptr<cOwnStationWnd> Open(unsigned long id) {
        return std::unique_ptr<cOwnStationWnd>(new cOwnStationWnd(nullptr, nullptr, res_.get(), id));
    }
    static std::vector<std::string> Fields(const std::string& record) {
        std::vector<std::string> out(1);
        for (char c : record) {
            if (c == S)
                out.emplace_back();
            else
                out.back() += c;
        }
        return out;
    }
};

TEST_F(OwnStationTest, StoredStationIsShownAndSentBackAsEdited) {
    const std::string stored = std::string("Nachtfunk") + S + S + "11" + S + "6" + S + "41" + S + "2" + S + S + S + S +
                               "Jazz bei Nacht" + S + S + "4" + S + "http://s.example/live" + S + "http://www.example";
    Fill(LS_USER_STATIONS, {{stored.c_str(), 77}});
    auto wnd = Open(77);
    EXPECT_EQ(TextOf(wnd->GetEdit(cOwnStationWnd::EDIT_NAME)), "Nachtfunk");
    EXPECT_EQ(TextOf(wnd->GetEdit(cOwnStationWnd::EDIT_HOME_PAGE)), "http://www.example");
    EXPECT_EQ(TextOf(wnd->GetEdit(cOwnStationWnd::EDIT_ADDRESS)), "http://s.example/live");
    const struct {
        int list;
        int selected;
    } selections[] = {{cOwnStationWnd::LIST_COUNTRY, 1}, {cOwnStationWnd::LIST_LANGUAGE, 1},
                      {cOwnStationWnd::LIST_TYPE, 1},    {cOwnStationWnd::LIST_GENRE, 1},
                      {cOwnStationWnd::LIST_FORMAT, 1}};
    for (const auto& s : selections) EXPECT_EQ(wnd->GetList(s.list)->GetCurSel(), s.selected) << s.list;
    Screenshot(wnd.get(), "own_station");

    Choose(wnd->GetList(cOwnStationWnd::LIST_GENRE), 2);
    Type(wnd->GetEdit(cOwnStationWnd::EDIT_NAME), "Nacht\x02" "funk 2");
    // The host pushes its lists again while the editor is open: the choice
    // stays the entry the user saw.
    Fill(LS_GENRES_LOWER, {{"Blues", 9}, {"Rock", 10}, {"Jazz", 11}, {"Pop", 12}});
    Post(wnd.get(), cOwnStationWnd::BUTTON_OK);
    EXPECT_FALSE(wnd->GetWindow() && IsWindow(wnd->GetWindow()));
    auto sent = dlgtest::CallsWithCode(49);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].ch, 77);
    const std::vector<std::string> expected = {"Nachtfunk 2", "12", "6", "41", "2", "Jazz bei Nacht", "4",
                                               "http://s.example/live", "http://www.example"};
    EXPECT_EQ(Fields(sent[0].text), expected);
}

TEST_F(OwnStationTest, UnknownIdsAndStationsStartOnTheFirstEntries) {
    const std::string stored = std::string("X") + S + S + "999" + S + "6";
    Fill(LS_USER_STATIONS, {{stored.c_str(), 5}});
    auto wnd = Open(5);
    EXPECT_EQ(wnd->GetList(cOwnStationWnd::LIST_GENRE)->GetCurSel(), 0) << "genre 999 is in no list";
    EXPECT_EQ(wnd->GetList(cOwnStationWnd::LIST_TYPE)->GetCurSel(), 1);
    Post(wnd.get(), cOwnStationWnd::BUTTON_CANCEL);
    EXPECT_TRUE(dlgtest::CallsWithCode(49).empty());

    // A new station: empty boxes; an empty name becomes the address, empty
    // texts a blank.
    wnd = Open(0);
    EXPECT_EQ(TextOf(wnd->GetEdit(cOwnStationWnd::EDIT_NAME)), "");
    Type(wnd->GetEdit(cOwnStationWnd::EDIT_ADDRESS), "ab");
    Post(wnd.get(), cOwnStationWnd::BUTTON_OK);
    auto sent = dlgtest::CallsWithCode(49);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].ch, 0);
    const std::vector<std::string> expected = {"ab", "10", "5", "49", "1", " ", "3", "ab", " "};
    EXPECT_EQ(Fields(sent[0].text), expected);
}

TEST_F(OwnStationTest, MissingFormatOrAddressKeepsTheEditorOpen) {
    auto wnd = Open(0);
    Type(wnd->GetEdit(cOwnStationWnd::EDIT_ADDRESS), "a");
    Post(wnd.get(), cOwnStationWnd::BUTTON_OK);
    EXPECT_TRUE(wnd->IsAddressMissing()) << "one character is too short";
    EXPECT_FALSE(wnd->IsFormatMissing());
    EXPECT_TRUE(IsWindow(wnd->GetWindow()));
    EXPECT_EQ(GetFocus(), wnd->GetEdit(cOwnStationWnd::EDIT_ADDRESS)->GetWindow());

    Fill(LS_STREAM_FORMATS, {});
    auto bare = Open(0);
    Type(bare->GetEdit(cOwnStationWnd::EDIT_ADDRESS), "a");
    Post(bare.get(), cOwnStationWnd::BUTTON_OK);
    EXPECT_TRUE(bare->IsFormatMissing());
    EXPECT_TRUE(bare->IsAddressMissing());
    EXPECT_EQ(GetFocus(), bare->GetEdit(cOwnStationWnd::EDIT_ADDRESS)->GetWindow()) << "the address is tested last";
    Screenshot(bare.get(), "own_station_missing");
    EXPECT_TRUE(dlgtest::CallsWithCode(49).empty());

    // Help sends its topic.
    Post(bare.get(), cOwnStationWnd::BUTTON_HELP);
    auto help = dlgtest::CallsWithCode(10);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].text, "eigenesender.htm");
    Post(bare.get(), cOwnStationWnd::BUTTON_CANCEL);
    Post(wnd.get(), cOwnStationWnd::BUTTON_CANCEL);
}

TEST_F(OwnStationTest, TryPlaysOnlyWhatSaveWouldTakeAndCancelEndsAt243) {
    const struct {
        bool withFormats;
        const char* address;
        size_t plays;
    } cases[] = {{true, "", 0}, {false, "http://s.example/live", 0}, {true, "http://s.example/live", 1}};
    for (const auto& c : cases) {
        if (!c.withFormats) Fill(LS_STREAM_FORMATS, {});
        auto wnd = Open(0);
        dlgtest::Calls().clear();
        Type(wnd->GetEdit(cOwnStationWnd::EDIT_ADDRESS), c.address);
        Post(wnd.get(), cOwnStationWnd::BUTTON_TRY);
        auto played = dlgtest::CallsWithCode(21);
        ASSERT_EQ(played.size(), c.plays) << c.address << c.withFormats;
        EXPECT_EQ(wnd->IsFormatMissing(), !c.withFormats) << c.address;
        EXPECT_EQ(wnd->IsAddressMissing(), c.address[0] == 0) << c.address;
        if (c.plays) {
            EXPECT_EQ(played[0].ch, 3) << "the chosen format's id";
            EXPECT_EQ(played[0].text, c.address);
        }
        auto* cancel = dynamic_cast<cWndButton*>(wnd->GetButtonList()->GetById(cOwnStationWnd::BUTTON_CANCEL));
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->GetRect().right, 243) << "the right edge";
        Post(wnd.get(), cOwnStationWnd::BUTTON_CANCEL);
        if (!c.withFormats) Fill(LS_STREAM_FORMATS, {{"MP3", 3}, {"Windows Media", 4}});
    }
}

}  // namespace
