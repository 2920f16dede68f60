// The timer editor and its recording-format pop-up on real windows with the
// standard skin: what OK writes into the entry (and what Cancel leaves),
// the date, time and repetition encodings the scheduler reads, the action
// list with and without a record button, the station choice, the built
// name, dates that do not exist, the layout of the repetition block, and
// the format pop-up's defaults and summary.
#include <memory>

#include "dialogs_fixture.h"
#include "list_store.h"
#include "timer_entry_wnd.h"
#include "timer_format_wnd.h"
#include "timer_logic.h"
#include "timerentry.h"
#include "txtelement.h"

namespace {

using dlgtest::CallsWithCode;
using dlgtest::Notices;

int WithRecordButton() { return 1; }
int WithoutRecordButton() { return 0; }

int ThisYear() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wYear;
}

class TimerEditorTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        cTimerEntryWnd::SetRecordButtonProbe(&WithRecordButton);
        cListe* recent = GetListStore().List(LS_RECENT);
        recent->Delete();
        AddRecent(recent, "Zeta FM", 30);
        AddRecent(recent, "Alpha Radio", 10);
        AddRecent(recent, "Radio X", 20);
        entry_.SetName("Morning");
        entry_.SetAction(TA_PLAY);
        entry_.SetChannelID(20);
        entry_.SetSendername("Radio X");
        entry_.SetStartTime(cVLTime(ThisYear(), 3, 9, 7, 5, 0));
        entry_.SetStopTime(cVLTime(ThisYear(), 3, 9, 8, 0, 0));
    }
    void TearDown() override {
        wnd_.reset();
        cTimerEntryWnd::SetRecordButtonProbe(nullptr);
        GetListStore().List(LS_RECENT)->Delete();
        DialogTest::TearDown();
    }
    static void AddRecent(cListe* list, const char* name, unsigned long id) {
        auto* e = new cFavoritenElement();
        e->SetText(name);
        e->SetId(id);
        list->Add(e);
    }
    cTimerEntryWnd* Open(cTimerEntry* entry) {
        wnd_.reset(new cTimerEntryWnd(nullptr, nullptr, res_.get(), entry));
        fk::PumpPasses();
        return wnd_.get();
    }
    int Ok() {
        Post(wnd_.get(), cTimerEntryWnd::BUTTON_OK);
        RunModal(wnd_.get(), 3000);
        return wnd_->GetResult();
    }
    cSkinComboBox* List(int i) { return wnd_->GetList(i); }
    cVLEditBox* Edit(int i) { return wnd_->GetEdit(i); }
    int YearIndex(const std::vector<int>& years, int year) { return timer::YearIndex(years, year); }

    cTimerEntry entry_;
    std::unique_ptr<cTimerEntryWnd> wnd_;
};

TEST_F(TimerEditorTest, OkKeepsAnUnchangedEntry) {
    entry_.SetWiederholung(4);
    entry_.SetDayOfMonth(2);
    entry_.SetDayFlag(32);
    entry_.SetRepeatEnd(1);
    entry_.SetRepeatEndTime(cVLTime(ThisYear() + 1, 12, 31, 0, 0, 0));
    entry_.SetActive(1);
    entry_.SetShowHints(0);
    cTimerEntry before(entry_);
    Open(&entry_);
    EXPECT_EQ(TextOf(List(cTimerEntryWnd::LIST_START_YEAR)), std::to_string(ThisYear())) << "today's years are offered";
    fk::PumpPasses();
    EXPECT_FALSE(wnd_->GetButton(cTimerEntryWnd::BOX_OWN_FOLDER)->IsVisible()) << "own folder only for recordings";
    EXPECT_TRUE(wnd_->GetButton(cTimerEntryWnd::BOX_REPEAT_END)->IsVisible());
    Screenshot(wnd_.get(), "timer_editor");
    EXPECT_EQ(Ok(), 1);
    EXPECT_STREQ(entry_.GetName(), "Morning");
    EXPECT_EQ(entry_.GetAction(), TA_PLAY);
    EXPECT_EQ(entry_.GetChannelID(), 20u);
    EXPECT_STREQ(entry_.GetStartTime().GetTime(), before.GetStartTime().GetTime());
    EXPECT_STREQ(entry_.GetStopTime().GetTime(), before.GetStopTime().GetTime());
    EXPECT_STREQ(entry_.GetRepeatEndTime().GetTime(), before.GetRepeatEndTime().GetTime());
    EXPECT_EQ(entry_.GetWiederholung(), 4);
    EXPECT_EQ(entry_.GetDayOfMonth(), 2);
    EXPECT_EQ(entry_.GetDayFlag(), 32);
    EXPECT_EQ(entry_.GetRepeatEnd(), 1);
    EXPECT_EQ(entry_.GetActive(), 1);
}

TEST_F(TimerEditorTest, StopBeforeStartEndsOnTheNextDay) {
    const struct {
        int startHour, stopHour;
        const char* start;
        const char* stop;
    } cases[] = {
        {23, 1, "0309230000", "0310010000"},
        {7, 7, "0309070000", "0309070000"},   // equal: the same instant
    };
    for (const auto& c : cases) {
        Open(&entry_);
        Type(Edit(cTimerEntryWnd::EDIT_START_HOUR), std::to_string(c.startHour).c_str());
        Type(Edit(cTimerEntryWnd::EDIT_START_MINUTE), "0");
        Type(Edit(cTimerEntryWnd::EDIT_STOP_HOUR), std::to_string(c.stopHour).c_str());
        Type(Edit(cTimerEntryWnd::EDIT_STOP_MINUTE), "0");
        ASSERT_EQ(Ok(), 1);
        EXPECT_STREQ(entry_.GetStartTime().GetTime() + 4, c.start);
        EXPECT_STREQ(entry_.GetStopTime().GetTime() + 4, c.stop);
    }
}

TEST_F(TimerEditorTest, HourFieldBringsATooLargeValueDown) {
    Open(&entry_);
    Type(Edit(cTimerEntryWnd::EDIT_START_HOUR), "27");
    EXPECT_EQ(TextOf(Edit(cTimerEntryWnd::EDIT_START_HOUR)), "23");
}

TEST_F(TimerEditorTest, DateThatDoesNotExistKeepsTheEditorOpen) {
    Open(&entry_);
    Choose(List(cTimerEntryWnd::LIST_START_DAY), 30);     // 31.
    Choose(List(cTimerEntryWnd::LIST_START_MONTH), 1);    // February
    Post(wnd_.get(), cTimerEntryWnd::BUTTON_OK);
    EXPECT_TRUE(IsWindow(wnd_->GetWindow()));
    EXPECT_EQ(wnd_->GetResult(), 0);
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_NE(Notices()[0].find("31"), std::string::npos) << Notices()[0];
    EXPECT_NE(Notices()[0].find("Februar"), std::string::npos) << Notices()[0];
    EXPECT_EQ(entry_.GetStartTime().GetDay(), 9) << "the entry is untouched";
    Choose(List(cTimerEntryWnd::LIST_START_DAY), 27);     // 28 February
    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(entry_.GetStartTime().GetDay(), 28);
    EXPECT_EQ(entry_.GetStartTime().GetMonth(), 2);
}

TEST_F(TimerEditorTest, EmptyTimeIsRefusedUnlessTheFieldIsOff) {
    Open(&entry_);
    Type(Edit(cTimerEntryWnd::EDIT_STOP_MINUTE), "");
    Post(wnd_.get(), cTimerEntryWnd::BUTTON_OK);
    EXPECT_EQ(wnd_->GetResult(), 0);
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_NE(Notices()[0].find("Stoppzeit"), std::string::npos) << Notices()[0];
    // A reminder has no stop time to give.
    Choose(List(cTimerEntryWnd::LIST_ACTION), 2);
    EXPECT_EQ(Ok(), 1);
    EXPECT_EQ(entry_.GetAction(), TA_REMIND);
}

TEST_F(TimerEditorTest, RepeatEndBeforeTheStartIsRefused) {
    entry_.SetWiederholung(1);
    entry_.SetRepeatEnd(1);
    entry_.SetRepeatEndTime(cVLTime(ThisYear(), 3, 1, 0, 0, 0));
    Open(&entry_);
    Post(wnd_.get(), cTimerEntryWnd::BUTTON_OK);
    EXPECT_EQ(wnd_->GetResult(), 0);
    EXPECT_EQ(Notices().size(), 1u);
}

TEST_F(TimerEditorTest, ActionListFollowsTheRecordButton) {
    const struct {
        int (*probe)();
        int storedAction;
        size_t entries;
        int shownIndex;
        int firstCode;
    } cases[] = {
        {&WithRecordButton, TA_REMIND, 4, 2, TA_RECORD},
        {&WithoutRecordButton, TA_REMIND, 3, 1, TA_PLAY},
        // A scheduled recording stays one in a skin without the button.
        {&WithoutRecordButton, TA_RECORD, 4, 0, TA_RECORD},
    };
    for (const auto& c : cases) {
        cTimerEntryWnd::SetRecordButtonProbe(c.probe);
        entry_.SetAction(c.storedAction);
        Open(&entry_);
        EXPECT_EQ(wnd_->GetActionCodes().size(), c.entries);
        EXPECT_EQ(List(cTimerEntryWnd::LIST_ACTION)->GetCurSel(), c.shownIndex);
        EXPECT_EQ(wnd_->GetActionCodes()[0], c.firstCode);
        ASSERT_EQ(Ok(), 1);
        EXPECT_EQ(entry_.GetAction(), c.storedAction);
    }
}

TEST_F(TimerEditorTest, StationChoice) {
    // Own station first, then the recent stations by name.
    Open(&entry_);
    cSkinComboBox* stations = List(cTimerEntryWnd::LIST_STATION);
    ASSERT_EQ(stations->GetCount(), 4);
    EXPECT_EQ(TextOf(stations), "Radio X");
    Choose(stations, 1);
    EXPECT_EQ(TextOf(stations), "Alpha Radio");
    ASSERT_EQ(Ok(), 1);
    EXPECT_EQ(entry_.GetChannelID(), 10u);
    EXPECT_STREQ(entry_.GetSendername(), "Alpha Radio");

    // A reminder keeps the entry's station whatever the list shows.
    entry_.SetAction(TA_REMIND);
    Open(&entry_);
    Choose(List(cTimerEntryWnd::LIST_STATION), 3);
    EXPECT_FALSE(List(cTimerEntryWnd::LIST_STATION)->IsEnabled());
    ASSERT_EQ(Ok(), 1);
    EXPECT_EQ(entry_.GetChannelID(), 10u);
    EXPECT_STREQ(entry_.GetSendername(), "Alpha Radio");
}

TEST_F(TimerEditorTest, EmptyNameIsBuiltFromTheStart) {
    const struct {
        int action;
        int language;
        std::string expected;
    } cases[] = {
        {TA_PLAY, 1, "Radio X, 09-03-" + std::to_string(ThisYear()) + ", 07 Uhr 05"},
        {TA_REMIND, 1, "09-03-" + std::to_string(ThisYear()) + ", 07 Uhr 05"},
        {TA_PLAY, 2, "Radio X, 09-03-" + std::to_string(ThisYear()) + ", 07.05 o'clock"},
    };
    for (const auto& c : cases) {
        host_.m_Language = c.language;
        entry_.SetAction(c.action);
        entry_.SetChannelID(20);
        entry_.SetSendername("Radio X");
        Open(&entry_);
        Type(Edit(cTimerEntryWnd::EDIT_NAME), "");
        ASSERT_EQ(Ok(), 1);
        EXPECT_EQ(std::string(entry_.GetName()), c.expected);
    }
}

TEST_F(TimerEditorTest, WeekdaysAndMonthlyRepetition) {
    // Wednesday and Friday: the weekday list shows Wednesday, both boxes ticked.
    entry_.SetWiederholung(2);
    entry_.SetDayFlag(40);
    Open(&entry_);
    EXPECT_EQ(List(cTimerEntryWnd::LIST_WEEKDAY)->GetCurSel(), 3);
    EXPECT_TRUE(IsTicked(Status(wnd_.get(), 3)));
    EXPECT_TRUE(IsTicked(Status(wnd_.get(), 5)));
    EXPECT_FALSE(IsTicked(Status(wnd_.get(), 1)));
    EXPECT_EQ(wnd_->GetRepeatEndRow(), 335);
    Click(wnd_.get(), 7);   // and Sunday
    ASSERT_EQ(Ok(), 1);
    EXPECT_EQ(entry_.GetDayFlag(), 41);

    // Monthly keeps the boxes on screen but stores only the list's weekday.
    Open(&entry_);
    Choose(List(cTimerEntryWnd::LIST_REPEAT), 4);
    EXPECT_EQ(wnd_->GetRepeatEndRow(), 288);
    EXPECT_FALSE(wnd_->GetButton(1)->IsVisible());
    Choose(List(cTimerEntryWnd::LIST_WEEK), 2);
    Choose(List(cTimerEntryWnd::LIST_WEEKDAY), 5);
    ASSERT_EQ(Ok(), 1);
    EXPECT_EQ(entry_.GetWiederholung(), 4);
    EXPECT_EQ(entry_.GetDayOfMonth(), 2);
    EXPECT_EQ(entry_.GetDayFlag(), 32);

    // Weekly with no box ticked stores the empty set; daily leaves it.
    entry_.SetWiederholung(2);
    entry_.SetDayFlag(2);
    Open(&entry_);
    Click(wnd_.get(), 1);
    ASSERT_EQ(Ok(), 1);
    EXPECT_EQ(entry_.GetDayFlag(), 0);
    entry_.SetWiederholung(1);
    entry_.SetDayFlag(64);
    Open(&entry_);
    ASSERT_EQ(Ok(), 1);
    EXPECT_EQ(entry_.GetDayFlag(), 64);
}

TEST_F(TimerEditorTest, NewEntryShowsSecondWeekAndTodayAsRepeatEnd) {
    cTimerEntry fresh;
    fresh.SetStartTime(cVLTime(ThisYear(), 6, 1, 12, 0, 0));
    Open(&fresh);
    EXPECT_EQ(List(cTimerEntryWnd::LIST_WEEK)->GetCurSel(), 1);
    cSkinComboBox* endDay = List(cTimerEntryWnd::LIST_END_DAY);
    SYSTEMTIME today;
    GetLocalTime(&today);
    EXPECT_EQ(endDay->GetCurSel(), today.wDay - 1);
    EXPECT_FALSE(endDay->IsEnabled());
    ASSERT_EQ(Ok(), 1);
    EXPECT_EQ(fresh.GetRepeatEnd(), 0);
    EXPECT_EQ(fresh.GetRepeatEndTime().GetDay(), today.wDay);
    EXPECT_EQ(fresh.GetRepeatEndTime().GetHour(), 0);
}

TEST_F(TimerEditorTest, YearOutsideTheOfferedOnesIsKept) {
    entry_.SetStartTime(cVLTime(2006, 3, 9, 7, 5, 0));
    entry_.SetStopTime(cVLTime(2006, 3, 9, 8, 0, 0));
    Open(&entry_);
    EXPECT_EQ(TextOf(List(cTimerEntryWnd::LIST_START_YEAR)), "2006");
    ASSERT_EQ(Ok(), 1);
    EXPECT_EQ(entry_.GetStartTime().GetYear(), 2006);
}

TEST_F(TimerEditorTest, ShutDownHidesTheRepetition) {
    Open(&entry_);
    Choose(List(cTimerEntryWnd::LIST_REPEAT), 2);
    EXPECT_TRUE(wnd_->GetButton(1)->IsVisible());
    Choose(List(cTimerEntryWnd::LIST_ACTION), 3);   // shut down
    EXPECT_FALSE(List(cTimerEntryWnd::LIST_REPEAT)->IsEnabled());
    EXPECT_FALSE(wnd_->GetButton(1)->IsVisible());
    EXPECT_FALSE(wnd_->GetButton(cTimerEntryWnd::BOX_REPEAT_END)->IsVisible());
    EXPECT_FALSE(Edit(cTimerEntryWnd::EDIT_STOP_HOUR)->IsEnabled());
}

TEST_F(TimerEditorTest, CancelAndHelp) {
    Open(&entry_);
    Type(Edit(cTimerEntryWnd::EDIT_NAME), "changed");
    Post(wnd_.get(), cTimerEntryWnd::BUTTON_HELP);
    auto help = CallsWithCode(10);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].text, "timer_erstellen.htm");
    Post(wnd_.get(), cTimerEntryWnd::BUTTON_CANCEL);
    EXPECT_TRUE(RunModal(wnd_.get()));
    EXPECT_EQ(wnd_->GetResult(), 0);
    EXPECT_STREQ(entry_.GetName(), "Morning");
}

TEST_F(TimerEditorTest, WithoutAnEntryOkOnlyCloses) {
    Open(nullptr);
    EXPECT_EQ(Ok(), 0);
    EXPECT_FALSE(IsWindow(wnd_->GetWindow()));
}

TEST(TimerLogic, DayFlagsAndDates) {
    EXPECT_EQ(timer::IndexFromDayFlag(40), 3);
    EXPECT_EQ(timer::IndexFromDayFlag(0), -1);
    EXPECT_EQ(timer::IndexFromDayFlag(128), -1) << "bits above Saturday are no weekday";
    EXPECT_EQ(timer::DayFlagFromIndex(5), 32);
    EXPECT_EQ(timer::DayFlagFromIndex(7), 0);
    EXPECT_TRUE(timer::IsValidDate(2024, 2, 29));
    EXPECT_FALSE(timer::IsValidDate(2026, 2, 29));
    EXPECT_FALSE(timer::IsValidDate(2026, 4, 31));
    EXPECT_FALSE(timer::IsValidDate(2026, 13, 1));
    std::vector<int> years = timer::YearChoices(2026, 2006);
    EXPECT_EQ(years.front(), 2006);
    EXPECT_EQ(timer::YearIndex(years, 2025), 1);
    EXPECT_EQ(timer::YearChoices(2026, 0).size(), 7u);
    // Across the end of a month and a year.
    EXPECT_STREQ(timer::StopTimeFor(cVLTime(2026, 12, 31, 23, 30, 0), 0, 15).GetTime(), "20270101001500");
}

// ---------------------------------------------------------------- format pop-up

HWND& FormatOwner() {
    static HWND owner = nullptr;
    return owner;
}

// Unticks "use default settings" in the open format pop-up and presses OK.
void CALLBACK AnswerFormatPopup(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND format = nullptr;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetWindow(w, GW_OWNER) == FormatOwner()) format = w;
    if (!format) return;
    auto* list = reinterpret_cast<cButtonListe*>(SendMessageA(format, WM_USER + 144, 0, 0));
    if (auto* box = dynamic_cast<cWndButton*>(list ? list->GetById(cTimerFormatWnd::BOX_USE_DEFAULT) : nullptr))
        box->Invoke();
    PostMessageA(format, WM_USER + 119, 0, cTimerFormatWnd::BUTTON_OK);
}

class TimerFormatTest : public dlgtest::DialogTest {
protected:
    void TearDown() override {
        wnd_.reset();
        DialogTest::TearDown();
    }
    cTimerFormatWnd* Open(cTimerEntry* entry) {
        wnd_.reset(new cTimerFormatWnd(nullptr, nullptr, res_.get(), entry));
        fk::PumpPasses();
        return wnd_.get();
    }
    void Ok() {
        Post(wnd_.get(), cTimerFormatWnd::BUTTON_OK);
        RunModal(wnd_.get(), 3000);
    }
    bool Enabled(unsigned long id) { return wnd_->GetButton(id) && wnd_->GetButton(id)->IsEnabled(); }
    cTimerEntry entry_;
    std::unique_ptr<cTimerFormatWnd> wnd_;
};

TEST_F(TimerFormatTest, DefaultsResolveToConcreteValues) {
    const struct {
        const char* stereoArt;
        const char* summary;
        int channels;
    } cases[] = {
        {"", "128 KBit, Joint Stereo", 1},
        {"stereo", "128 KBit, Joint Stereo", 1},   // the comparison minds the case
        {"STEREO", "128 KBit, Stereo", 0},
    };
    dlgtest::ScopedValue bitrate("MP3_Bitrate", "");
    dlgtest::ScopedValue vbr("MP3_VBR", "");
    for (const auto& c : cases) {
        dlgtest::ScopedValue art("STEREO_ART", c.stereoArt);
        cTimerEntry entry;
        Open(&entry);
        wnd_->ResolveDefaults();
        EXPECT_STREQ(wnd_->GetSummary(), c.summary);
        Ok();
        EXPECT_EQ(entry.GetBitrate(), 128u);
        EXPECT_EQ(entry.GetKanaele(), c.channels);
        EXPECT_EQ(entry.GetVBR(), 0);
        EXPECT_EQ(entry.GetUseDefault(), 1);
    }
}

TEST_F(TimerFormatTest, OwnSettingsEnableTheEditorsTheFormatAllows) {
    const struct {
        int format;
        bool mp3;
    } cases[] = {{1, true}, {0, false}};
    for (const auto& c : cases) {
        host_.m_RecordingFormat = c.format;
        entry_.SetUseDefault(0);
        Open(&entry_);
        EXPECT_EQ(Status(wnd_.get(), cTimerFormatWnd::BOX_USE_DEFAULT), ES_NORMAL);
        EXPECT_TRUE(wnd_->GetList(cTimerFormatWnd::LIST_QUALITY)->IsEnabled());
        EXPECT_TRUE(Enabled(cTimerFormatWnd::BUTTON_EDIT_QUALITY));
        EXPECT_FALSE(Enabled(cTimerFormatWnd::BUTTON_EDIT_CUT)) << "no cut profile chosen";
        EXPECT_EQ(Enabled(cTimerFormatWnd::BUTTON_EDIT_MP3), c.mp3);
        EXPECT_EQ(wnd_->GetMp3Flag(), c.mp3 ? 1 : 0);
        if (c.format == 0) Screenshot(wnd_.get(), "timer_format");
        Ok();
        EXPECT_EQ(entry_.GetUseDefault(), 0);
        // The first cut entry means "do not cut" and is stored as its text.
        EXPECT_STREQ(entry_.GetSchnittprofil(), "Nicht schneiden");
    }
}

TEST_F(TimerFormatTest, EditorsNameIsAddedAndChosen) {
    dlgs::DialogOpeners saved = dlgs::Openers();
    dlgs::Openers().qualityChoice = [](cElementHost*, HWND, cResourceManager*, char* name, int size) {
        bk::TextCopy(name, static_cast<size_t>(size), "Studio");
    };
    entry_.SetUseDefault(0);
    Open(&entry_);
    Post(wnd_.get(), cTimerFormatWnd::BUTTON_EDIT_QUALITY);
    Post(wnd_.get(), cTimerFormatWnd::BUTTON_EDIT_QUALITY);
    dlgs::Openers() = saved;
    cSkinComboBox* quality = wnd_->GetList(cTimerFormatWnd::LIST_QUALITY);
    EXPECT_EQ(TextOf(quality), "Studio");
    EXPECT_EQ(quality->GetCurSel(), quality->GetCount() - 1) << "the last equal entry";
    Ok();
    EXPECT_STREQ(entry_.GetQualitaet(), "Studio");
}

TEST_F(TimerFormatTest, EditorCancelForgetsTheFormatChangesToo) {
    cTimerEntryWnd::SetRecordButtonProbe(&WithRecordButton);
    entry_.SetAction(TA_RECORD);
    entry_.SetStartTime(cVLTime(ThisYear(), 3, 9, 7, 5, 0));
    auto owner = std::make_unique<cTimerEntryWnd>(nullptr, nullptr, res_.get(), &entry_);
    cTimerEntryWnd* editor = owner.get();
    FormatOwner() = editor->GetWindow();
    // The format pop-up's OK, then the editor's Cancel.
    SetTimer(nullptr, 0, 300, &AnswerFormatPopup);
    Post(editor, cTimerEntryWnd::BUTTON_FORMAT);
    EXPECT_EQ(editor->GetWorkingEntry()->GetUseDefault(), 0) << "the format pop-up wrote the working copy";
    Post(editor, cTimerEntryWnd::BUTTON_CANCEL);
    RunModal(editor, 3000);
    EXPECT_EQ(entry_.GetUseDefault(), 1);
    cTimerEntryWnd::SetRecordButtonProbe(nullptr);
}

}  // namespace
