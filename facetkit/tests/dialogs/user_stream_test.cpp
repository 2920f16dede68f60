#include <memory>
#include <string>

#include "dialogs_fixture.h"
#include "user_stream_wnd.h"

namespace {

class UserStreamTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        items_.reset(new dlgtest::ScopedValue("UserDefinedItem", ""));
        size_.reset(new dlgtest::ScopedValue("UserDefinedItemSize", ""));
    }
    void TearDown() override {
        size_.reset();
        items_.reset();
        DialogTest::TearDown();
    }
    // Opens the pop-up, types `address`, presses OK; the result.
    int Confirm(const std::string& address, bool secondKind = false) {
        std::unique_ptr<cUserStreamWnd> wnd(new cUserStreamWnd(nullptr, nullptr, res_.get()));
        SetWindowTextA(wnd->GetCombo()->GetWindow(), address.c_str());
        if (secondKind) Click(wnd.get(), cUserStreamWnd::RADIO_KIND_2);
        Post(wnd.get(), cUserStreamWnd::BUTTON_OK);
        kind_ = wnd->GetStreamKind();
        sent_ = wnd->GetAddress();
        open_ = IsWindow(wnd->GetWindow()) != FALSE;
        return wnd->GetResult();
    }
    static std::string Stored(const char* key) {
        char text[4096] = {};
        GetValue(key, text, sizeof text);
        return text;
    }
    std::unique_ptr<dlgtest::ScopedValue> items_, size_;
    int kind_ = 0;
    std::string sent_;
    bool open_ = false;
};

TEST_F(UserStreamTest, HistoryKeepsTheLastElevenNewestFirst) {
    std::string seeded;
    for (int i = 10; i >= 1; --i) seeded += "http://radio.example/" + std::to_string(i) + "\x01";
    SetValue("UserDefinedItem", seeded.c_str());
    for (int i = 11; i <= 12; ++i) ASSERT_EQ(Confirm("http://radio.example/" + std::to_string(i)), 1);
    std::string expected;
    for (int i = 12; i >= 2; --i) expected += "http://radio.example/" + std::to_string(i) + "\x01";
    EXPECT_EQ(Stored("UserDefinedItem"), expected);
    EXPECT_EQ(Stored("UserDefinedItemSize"), std::to_string(expected.size() + 1));

    std::unique_ptr<cUserStreamWnd> wnd(new cUserStreamWnd(nullptr, nullptr, res_.get()));
    EXPECT_EQ(wnd->GetCombo()->GetCount(), 11);
    Screenshot(wnd.get(), "user_stream");
    Post(wnd.get(), cUserStreamWnd::BUTTON_CANCEL);
    EXPECT_EQ(wnd->GetResult(), 0);
}

TEST_F(UserStreamTest, KnownAddressesLeaveTheHistoryAlone) {
    Confirm("http://a.example/live");
    Confirm("http://b.example/live");
    const std::string before = Stored("UserDefinedItem");
    for (const char* again : {"http://a.example/live", "http://a.example"}) {
        EXPECT_EQ(Confirm(again), 1);
        EXPECT_EQ(Stored("UserDefinedItem"), before) << again;
    }
}

TEST_F(UserStreamTest, KindAndAddressAsTheOpenerReadsThem) {
    EXPECT_EQ(Confirm("  http://c.example/s  "), 1);
    EXPECT_EQ(kind_, 1);
    EXPECT_EQ(sent_, "http://c.example/s");
    EXPECT_EQ(Confirm("http://d.example/s", true), 1);
    EXPECT_EQ(kind_, 2);
}

TEST_F(UserStreamTest, EmptyAddressIsRefusedWithAMessage) {
    EXPECT_EQ(Confirm("   "), 0);
    EXPECT_TRUE(open_);
    EXPECT_EQ(dlgtest::Notices().size(), 1u);
    EXPECT_EQ(Stored("UserDefinedItem"), "");
}

TEST_F(UserStreamTest, BrokenSizeValueDoesNotLoseTheHistory) {
    for (const char* size : {"1", "99999999999", "abc"}) {
        dlgtest::ScopedValue items("UserDefinedItem", "http://old.example/1\x01http://old.example/2\x01");
        dlgtest::ScopedValue stored("UserDefinedItemSize", size);
        std::unique_ptr<cUserStreamWnd> wnd(new cUserStreamWnd(nullptr, nullptr, res_.get()));
        EXPECT_EQ(wnd->GetCombo()->GetCount(), 2) << size;
        Post(wnd.get(), cUserStreamWnd::BUTTON_CANCEL);
        Confirm("http://new.example/");
        EXPECT_EQ(Stored("UserDefinedItem"), "http://new.example/\x01http://old.example/1\x01http://old.example/2\x01")
            << size;
    }
}

}  // namespace
