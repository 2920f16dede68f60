#include <cstring>
#include <memory>
#include <string>

#include "catalogue.h"
#include "dialogs_fixture.h"
#include "list_store.h"
#include "recommend_wnd.h"
#include "skin_wnd.h"
#include "timerentry.h"
#include "window_binding.h"

namespace {

cTimerEntry MakeEntry(const char* name) {
    cTimerEntry e;
    e.SetName(name);
    e.SetChannelID(4711);
    e.SetStartTime(cVLTime("20260301200000"));
    e.SetStopTime(cVLTime("20260301220000"));
    e.SetAction(1);
    e.SetWiederholung(2);
    e.SetShowHints(1);
    e.SetDayFlag(5);
    e.SetDayOfMonth(3);
    return e;
}

std::string English(unsigned id) {
    char text[500] = {};
    GetResourceString(nullptr, id, 2, text, sizeof text);
    return text;
}

class RecommendTest : public dlgtest::DialogTest {
protected:
    void TearDown() override {
        wnd_.reset();
        cListStore& store = GetListStore();
        EnterCriticalSection(store.Lock());
        store.List(LS_TIMER_ENTRIES)->Delete();
        store.List(LS_PODCASTS)->Delete();
        LeaveCriticalSection(store.Lock());
        DialogTest::TearDown();
    }
    void Open(int kind, int id, const char* item) {
        record_ = RecommendRecord{};
        record_.kind = kind;
        record_.id = id;
        record_.item = item;
        wnd_.reset(new cRecommendWnd(nullptr, nullptr, res_.get(), &record_));
        fk::PumpPasses();
    }
    // Puts a text into a box as a paste would, control bytes and all.
    void Put(int box, const char* text) {
        ASSERT_NE(wnd_->GetEdit(box), nullptr);
        SetWindowTextA(wnd_->GetEdit(box)->GetWindow(), text);
    }
    void FillValid() {
        Put(cRecommendWnd::EDIT_RECIPIENT_NAME, "Ben");
        Put(cRecommendWnd::EDIT_RECIPIENT_MAIL, "ben@example.org");
        Put(cRecommendWnd::EDIT_SENDER_NAME, "Anna");
    }
    bool IsOpen() const { return wnd_->GetWindow() && IsWindow(wnd_->GetWindow()); }

    RecommendRecord record_ = {};
    std::unique_ptr<cRecommendWnd> wnd_;
};

TEST_F(RecommendTest, RecipientAddressShapes) {
    const struct {
        const char* address;
        bool accepted;
        const char* why;
    } cases[] = {
        {"ab@c.d", true, "the shortest shape"},
        {"anna@example.org", true, "an ordinary address"},
        {"ab@c.d.e", true, "the last full stop counts"},
        {"a.b@c@d.e", true, "the first at sign counts"},
        {"a@cd.e", false, "one character before the at sign"},
        {"ab@.cd", false, "full stop right after the at sign"},
        {"ab@cde", false, "no full stop"},
        {"ab@cd.", false, "full stop at the very end"},
        {"ab.c@de", false, "the last full stop before the at sign"},
        {"ab@c", false, "four characters"},
        {"a@.b", false, "four characters"},
        {"abcdef", false, "no at sign"},
        {"", false, "empty"},
        {nullptr, false, "none"},
    };
    for (const auto& c : cases) EXPECT_EQ(recmd::IsMailShaped(c.address), c.accepted) << c.why;
}

TEST_F(RecommendTest, TimerAndPodcastLinks) {
    cTimerEntry plain = MakeEntry("Jazz am Abend");
    EXPECT_EQ(recmd::TimerLink(&plain),
              "tunerdeck://|TIMER|Jazz_am_Abend|4711|20260301200000|20260301220000|1|2|1|5|3");
    // A "|" or a control byte in the name would shift the recipient's fields.
    cTimerEntry piped = MakeEntry("Rock|Pop\x01 Nacht");
    EXPECT_EQ(recmd::TimerLink(&piped),
              "tunerdeck://|TIMER|Rock_Pop_Nacht|4711|20260301200000|20260301220000|1|2|1|5|3");
    EXPECT_EQ(recmd::TimerLink(nullptr), "error");

    EXPECT_EQ(recmd::PodcastLink("http://p.example/my feed.xml"), "tunerdeck://|PODCAST|http://p.example/my feed.xml")
        << "blanks of the address stay";
    EXPECT_EQ(recmd::PodcastLink("http://p.example/a|b"), "tunerdeck://|PODCAST|http://p.example/a%7Cb");
    EXPECT_EQ(recmd::PodcastLink(nullptr), "");
}

TEST_F(RecommendTest, MessageAndLinkNeverOutgrowTheRecord) {
    const struct {
        size_t message, link;
        size_t kept;          // characters of the message kept
        bool errorLink;
        const char* why;
    } cases[] = {
        {259, 100, 259, false, "the longest typed message beside a timer link"},
        {920, 100, 920, false, "exactly 1023 characters"},
        {921, 100, 920, false, "one more: the message gives way"},
        {5, 1019, 1, false, "room for one character"},
        {0, 1020, 0, false, "a link alone of 1020 characters fits"},
        {1, 1020, 1, true, "no room at all: the link becomes error"},
        {259, 1500, 259, true, "an overlong podcast address"},
        {1020, 1021, 1015, true, "even beside error the record's end holds"},
        {1023, 0, 1023, false, "no link: the message as it is"},
        {1500, 0, 1023, false, "no link: cut to the record"},
    };
    for (const auto& c : cases) {
        const std::string message(c.message, 'm');
        const std::string link = c.link ? "tunerdeck://|PODCAST|" + std::string(c.link - 21, 'a') : std::string();
        const std::string out = recmd::WithLink(message, link);
        EXPECT_LE(out.size(), 1023u) << c.why;
        const std::string tail = c.link == 0 ? "" : std::string("###") + (c.errorLink ? "error" : link);
        EXPECT_EQ(out, std::string(c.kept, 'm') + tail) << c.why;
    }
    // A timer entry whose name alone fills the record cannot be linked.
    cTimerEntry huge = MakeEntry(std::string(1023, 'n').c_str());
    EXPECT_EQ(recmd::WithLink("hi", recmd::TimerLink(&huge)), "hi###error");
}

TEST_F(RecommendTest, TypedTextsLoseTheirControlBytes) {
    EXPECT_EQ(recmd::CleanLine("An\x01na|\x02 B\r\n"), "Anna| B") << "a \"|\" is no field separator here";
    EXPECT_EQ(recmd::CleanMessage("Hallo\r\nWelt\x02\tda\x7f"), "Hallo\r\nWelt\tda\x7f");
}

TEST_F(RecommendTest, HeadingsByKind) {
    const auto wide = [](const std::string&) { return true; };
    const auto narrow = [](const std::string&) { return false; };
    const std::string longName = "Die lange Nacht der Jazzmusik im Radio";
    const struct {
        int kind;
        const char* item;
        bool fits;
        std::string heading;
    } cases[] = {
        {1, "Radio Eins\x02" "Berlin\x02" "Pop", true, "Recommend station \"Radio Eins-Berlin\""},
        {1, "Radio Eins", true, "Recommend station \"Radio Eins\""},
        {1, nullptr, true, ""},
        {2, "Skin Blau", true, "Recommend Skin Blau"},
        {2, "", true, ""},
        {3, nullptr, true, "Recommend velmirant-Player"},
        {4, longName.c_str(), true, "Send timer entry \"" + longName + "\""},
        {4, longName.c_str(), false, "Send timer entry \"" + longName.substr(0, 21) + "...\""},
        {5, "Zeitfragen", true, "Recommend podcast \"Zeitfragen\""},
        {5, nullptr, true, ""},
        {7, "x", true, ""},
    };
    for (const auto& c : cases) {
        const unsigned id = recmd::HeadingTextId(c.kind);
        const std::string format = id ? English(id) : "";
        EXPECT_EQ(recmd::Heading(c.kind, c.item, format.c_str(), c.fits ? wide : narrow), c.heading)
            << c.kind << " " << (c.item ? c.item : "(none)");
    }
}

TEST_F(RecommendTest, RefusedSendThenGoodOneAppendsTheLinkOnce) {
    const cTimerEntry first = MakeEntry("Erste"), second = MakeEntry("Jazz am Abend");
    GetListStore().AddTimerEntry(&first);
    GetListStore().AddTimerEntry(&second);
    Open(4, 1, "Jazz am Abend");
    Put(cRecommendWnd::EDIT_MESSAGE, "Hoer mal rein");
    Put(cRecommendWnd::EDIT_RECIPIENT_MAIL, "b@example.org");
    Post(wnd_.get(), cRecommendWnd::BUTTON_SEND);
    EXPECT_TRUE(IsOpen());
    EXPECT_TRUE(wnd_->IsSenderNameMissing());
    EXPECT_TRUE(wnd_->IsRecipientMailInvalid());
    EXPECT_TRUE(wnd_->IsRecipientNameMissing());
    EXPECT_EQ(GetFocus(), wnd_->GetEdit(cRecommendWnd::EDIT_RECIPIENT_NAME)->GetWindow()) << "the last failing box";
    EXPECT_EQ(wnd_->GetResult(), 0);
    Screenshot(wnd_.get(), "recommend_refused");

    FillValid();
    Put(cRecommendWnd::EDIT_SENDER_MAIL, "anna@example.org");
    Post(wnd_.get(), cRecommendWnd::BUTTON_SEND);
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(wnd_->GetResult(), 1);
    EXPECT_STREQ(record_.message,
                 "Hoer mal rein###tunerdeck://|TIMER|Jazz_am_Abend|4711|20260301200000|20260301220000|1|2|1|5|3");
    EXPECT_STREQ(record_.recipientName, "Ben");
    EXPECT_STREQ(record_.recipientMail, "ben@example.org");
    EXPECT_STREQ(record_.senderName, "Anna");
    EXPECT_STREQ(record_.senderMail, "anna@example.org");
    EXPECT_EQ(record_.kind, 4) << "the host writes the outcome, not the pop-up";
    EXPECT_TRUE(dlgtest::Calls().empty()) << "the pop-up sends nothing itself";
}

TEST_F(RecommendTest, EachCheckMarksOnlyItsOwnBox) {
    const struct {
        const char* senderName;
        const char* recipientMail;
        bool senderMissing, mailInvalid;
        int focus;
    } cases[] = {
        {"", "ben@example.org", true, false, cRecommendWnd::EDIT_SENDER_NAME},
        {"Anna", "ben@example", false, true, cRecommendWnd::EDIT_RECIPIENT_MAIL},
        {"", "ben@example", true, true, cRecommendWnd::EDIT_RECIPIENT_MAIL},
        {"\x01\x02", "ben@example.org", true, false, cRecommendWnd::EDIT_SENDER_NAME},
    };
    for (const auto& c : cases) {
        Open(3, 0, nullptr);
        Put(cRecommendWnd::EDIT_SENDER_NAME, c.senderName);
        Put(cRecommendWnd::EDIT_RECIPIENT_MAIL, c.recipientMail);
        Put(cRecommendWnd::EDIT_RECIPIENT_NAME, "Ben");
        Post(wnd_.get(), cRecommendWnd::BUTTON_SEND);
        EXPECT_TRUE(IsOpen()) << c.focus;
        EXPECT_EQ(wnd_->IsSenderNameMissing(), c.senderMissing) << c.focus;
        EXPECT_EQ(wnd_->IsRecipientMailInvalid(), c.mailInvalid) << c.focus;
        EXPECT_FALSE(wnd_->IsRecipientNameMissing());
        EXPECT_EQ(GetFocus(), wnd_->GetEdit(c.focus)->GetWindow()) << c.focus;
        Post(wnd_.get(), cRecommendWnd::BUTTON_CANCEL);
        EXPECT_FALSE(IsOpen());
        EXPECT_EQ(wnd_->GetResult(), 0);
    }
}

TEST_F(RecommendTest, LinksForMissingAndPresentItems) {
    GetListStore().AddPodcast("http://p.example/my feed.xml", 31, 1);
    const struct {
        int kind, id;
        const char* message;
    } cases[] = {
        {4, 0, "Hallo###error"},   // no timer entries at all
        {4, -1, "Hallo###error"},
        {5, 99, "Hallo"},          // a podcast no longer there: no link
        {5, 31, "Hallo###tunerdeck://|PODCAST|http://p.example/my feed.xml"},
        {1, 31, "Hallo"},
    };
    for (const auto& c : cases) {
        Open(c.kind, c.id, "x");
        FillValid();
        Put(cRecommendWnd::EDIT_MESSAGE, "Hallo");
        Post(wnd_.get(), cRecommendWnd::BUTTON_SEND);
        EXPECT_EQ(wnd_->GetResult(), 1) << c.kind << "/" << c.id;
        EXPECT_STREQ(record_.message, c.message) << c.kind << "/" << c.id;
    }
}

TEST_F(RecommendTest, PastedControlBytesStayOutOfTheRecordAndTheLink) {
    const cTimerEntry entry = MakeEntry("Rock|Pop");
    GetListStore().AddTimerEntry(&entry);
    Open(4, 0, "Rock|Pop");
    Put(cRecommendWnd::EDIT_RECIPIENT_NAME, "B\x02" "en|");
    Put(cRecommendWnd::EDIT_RECIPIENT_MAIL, "ben@example.org");
    Put(cRecommendWnd::EDIT_SENDER_NAME, "An\x01na");
    Put(cRecommendWnd::EDIT_MESSAGE, "Zeile\x02 1\r\nZeile 2");
    Post(wnd_.get(), cRecommendWnd::BUTTON_SEND);
    ASSERT_EQ(wnd_->GetResult(), 1);
    EXPECT_STREQ(record_.recipientName, "Ben|");
    EXPECT_STREQ(record_.senderName, "Anna");
    EXPECT_STREQ(record_.message,
                 "Zeile 1\r\nZeile 2###tunerdeck://|TIMER|Rock_Pop|4711|20260301200000|20260301220000|1|2|1|5|3");
}

TEST_F(RecommendTest, HeadingShowsTheItem) {
    const std::string longName(60, 'N');
    const struct {
        int kind;
        const char* item;
        std::string heading;
    } cases[] = {
        {1, "Radio Eins\x02" "Berlin\x02" "Pop", "Sender \"Radio Eins-Berlin\" empfehlen"},
        {3, nullptr, "velmirant-Player empfehlen"},
        {4, "Kurz", "Timer-Eintrag \"Kurz\" verschicken"},
        {4, longName.c_str(), "Timer-Eintrag \"" + std::string(21, 'N') + "...\" verschicken"},
    };
    for (const auto& c : cases) {
        Open(c.kind, 0, c.item);
        RedrawWindow(wnd_->GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        fk::PumpPasses();
        EXPECT_EQ(wnd_->GetHeading(), c.heading) << c.kind;
        if (c.kind == 1) Screenshot(wnd_.get(), "recommend_station");
        Post(wnd_.get(), cRecommendWnd::BUTTON_CANCEL);
    }
}

// The modal run over the navigator: the pop-up is found by its owner and
// answered from a timer, as the user would while the loop runs.
HWND g_navWindow = nullptr;
bool g_fillBeforeSend = false;

void CALLBACK AnswerRecommendation(HWND, UINT, UINT_PTR id, DWORD) {
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (GetWindow(w, GW_OWNER) != g_navWindow) continue;
        auto* wnd = dynamic_cast<cRecommendWnd*>(fkwin::Bound<cPopUpWnd>(w));
        if (!wnd) continue;
        KillTimer(nullptr, id);
        if (g_fillBeforeSend) {
            SetWindowTextA(wnd->GetEdit(cRecommendWnd::EDIT_RECIPIENT_NAME)->GetWindow(), "Ben");
            SetWindowTextA(wnd->GetEdit(cRecommendWnd::EDIT_RECIPIENT_MAIL)->GetWindow(), "ben@example.org");
            SetWindowTextA(wnd->GetEdit(cRecommendWnd::EDIT_SENDER_NAME)->GetWindow(), "Anna");
        }
        PostMessageA(w, WM_SKIN_BUTTON_PRESSED, 0,
                     g_fillBeforeSend ? cRecommendWnd::BUTTON_SEND : cRecommendWnd::BUTTON_CANCEL);
        return;
    }
}

void CALLBACK CloseStrayRecommendation(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetWindow(w, GW_OWNER) == g_navWindow && dynamic_cast<cRecommendWnd*>(fkwin::Bound<cPopUpWnd>(w)))
            PostMessageA(w, WM_SKIN_BUTTON_PRESSED, 0, cRecommendWnd::BUTTON_CANCEL);
}

TEST_F(RecommendTest, RunsModallyOverTheNavigator) {
    RecommendRecord record = {};
    record.kind = 2;
    EXPECT_EQ(RunRecommendWnd(&record, "Skin"), 0) << "no navigator";
    EXPECT_EQ(record.item, nullptr);
    EXPECT_EQ(RunRecommendWnd(nullptr, "Skin"), 0);

    dlgtest::ScopedSkinWindow navHolder(WND_ID_NAVIGATOR, 356, res_.get());
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    ASSERT_NE(nav, nullptr);
    nav->SetResourceManager(res_.get());
    g_navWindow = nav->GetWindow();
    const char* item = "Skin Blau";
    for (bool send : {false, true}) {
        g_fillBeforeSend = send;
        record = RecommendRecord{};
        record.kind = 2;
        SetTimer(nullptr, 0, 100, &AnswerRecommendation);
        const UINT_PTR guard = SetTimer(nullptr, 0, 5000, &CloseStrayRecommendation);
        EXPECT_EQ(RunRecommendWnd(&record, item), send ? 1 : 0);
        KillTimer(nullptr, guard);
        EXPECT_EQ(record.item, item);
        EXPECT_STREQ(record.senderName, send ? "Anna" : "");
    }
    nav->SetResourceManager(nullptr);
    g_navWindow = nullptr;
}

TEST_F(RecommendTest, CancelEndsWhereTheFormSaysAndSendsNothing) {
    Open(1, 4711, "Radio Eins");
    auto* cancel = dynamic_cast<cWndButton*>(wnd_->GetButtonList()->GetById(cRecommendWnd::BUTTON_CANCEL));
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->GetRect().right, 256) << "the right edge";
    Post(wnd_.get(), cRecommendWnd::BUTTON_CANCEL);
    EXPECT_FALSE(IsOpen());
    EXPECT_EQ(wnd_->GetResult(), 0);
}

}  // namespace
