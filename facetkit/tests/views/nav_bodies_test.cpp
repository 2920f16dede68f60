// The content view's bodies: the texts they are built from (quality lines,
// stream rows, the details' name and description, word wrapping, the skins
// found in the skins folder, the profile names) and the views themselves on
// a navigator with the standard skin: header buttons, selection boxes and
// their carried-over choices, the recording overview and its enable state,
// the details and skins panels and the search form.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bounded_text.h"
#include "catalogue.h"
#include "element_query.h"
#include "facetkit_fixtures.h"
#include "fake_settings.h"
#include "fill_bars.h"
#include "table_ctrl.h"
#include "library_guard.h"
#include "main_probe.h"
#include "library_state.h"
#include "list_store.h"
#include "nav_view.h"
#include "nav_window.h"
#include "registry.h"
#include "resource_manager.h"
#include "rows_skin.h"
#include "scroll_text.h"
#include "search_criteria.h"
#include "skin_combo.h"
#include "skin_edit.h"
#include "skin_preview.h"
#include "station_details.h"
#include "tdtest.h"
#include "text_list_panel.h"
#include "txtelement.h"
#include "volume_slider.h"
#include "win_handles.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

std::string Catalogue(unsigned id, int language) {
    char text[600] = {};
    GetResourceString(nullptr, id, language, text, sizeof text);
    return text;
}

void AddText(int slot, unsigned long id, const char* text, unsigned long folder = 0) {
    cListStore& store = GetListStore();
    bk::ScopedLock hold(store.Lock());
    auto* e = new cFavoritenElement();
    e->SetId(id);
    e->SetText(text);
    e->SetOrdner(folder);
    store.List(slot)->Add(e);
}

void ClearSlots() {
    cListStore& store = GetListStore();
    bk::ScopedLock hold(store.Lock());
    for (int slot = 0; slot < LS_COUNT; ++slot) store.List(slot)->Delete();
}

void Pump() {
    MSG m;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(5);
    }
}

// Fits when the line has at most `width` characters.
bool FitsChars(void* context, const char* line) { return strlen(line) <= *static_cast<size_t*>(context); }

}  // namespace

// ------------------------------------------------------------------ texts

TEST(NavBodyTexts, QualityLinesNameFormatCutAndValues) {
    EXPECT_EQ(NavQualityFormatLine("MP3", "Stille", 2), "Record as: MP3  |  Cut: Stille");
    EXPECT_EQ(NavQualityFormatLine("WAV", "", 1), "Aufnahme im Format: WAV  |  Schneiden: ");
    struct Case {
        int rate, bits, channels;
        const char* expected;
    } cases[] = {
        {44100, 16, 2, "CD  |  44 kHz, 16 Bit, stereo"},
        {22050, 8, 1, "CD  |  22 kHz, 8 Bit, mono"},
        {48000, 24, 6, "CD  |  48 kHz, 24 Bit, stereo"},
    };
    for (const Case& c : cases) EXPECT_EQ(NavQualityValuesLine("CD", c.rate, c.bits, c.channels, 2), c.expected);
}

TEST(NavBodyTexts, StreamRowsNameSpeedClassAndFormat) {
    ClearSlots();
    AddText(LS_STREAM_FORMATS, 2, "MP3");
    struct Case {
        const char* record;
        unsigned long id;
        const char* expected;
    } cases[] = {
        {"17\x02" "0\x02" "28\x02" "2", 17, " 28 kbit/s - Modem |  MP3 "},
        {"18\x02" "0\x02" "29\x02" "2", 18, " 29 kbit/s - ISDN |  MP3 "},
        {"19\x02" "0\x02" "64\x02" "2", 19, " 64 kbit/s - ISDN |  MP3 "},
        {"20\x02" "0\x02" "128\x02" "2", 20, "128 kbit/s - DSL/Cable |  MP3 "},
        {"21\x02" "0\x02" "65\x02" "7", 21, " 65 kbit/s - DSL/Cable | unbekannt"},
        {"", 0, "  0 kbit/s - Modem | unbekannt"},
    };
    for (const Case& c : cases) {
        unsigned long id = 99;
        EXPECT_EQ(NavStreamRowText(c.record, 2, &id), c.expected) << c.record;
        EXPECT_EQ(id, c.id) << c.record;
    }
    ClearSlots();
}

TEST(NavBodyTexts, DetailsNameAndDescriptionFromTheNameText) {
    struct Case {
        const char* text;
        const char* name;
        const char* description;
    } cases[] = {
        {"line\x02Radio Eins\x02" "Pop and more", "Radio Eins", "Pop and more"},
        {"line\x02Radio Eins", "Radio Eins", ""},
        {"Radio Zwei", "Radio Zwei", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NavDetailsName(c.text), c.name) << c.text;
        EXPECT_EQ(NavDetailsDescription(c.text), c.description) << c.text;
    }
    EXPECT_EQ(NavDetailsName(nullptr), "");
}

TEST(NavBodyTexts, WrappingSplitsAtLineEndsAndBlanks) {
    size_t width = 10;
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"short", {"short"}},
        {"one two three four", {"one two", "three four"}},
        {"tab\there", {"tab here"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        // A word longer than the line stands alone rather than looping.
        {"abcdefghijklmno xy", {"abcdefghijklmno", "xy"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(NavWrapText(c.text, &FitsChars, &width), c.lines) << c.text;
}

TEST(NavBodyTexts, SkinRowsCarryTheFileNameTheScanFound) {
    tdtest::TempFolder folder("navbodyskins");
    ASSERT_TRUE(CopyFileA(fk::BinFile("stockface.dll").c_str(), folder.File("renamed.dll").c_str(), FALSE));
    folder.Write("junk.dll", "not a library");
    CreateDirectoryA(folder.File("dir.dll").c_str(), nullptr);
    std::vector<NavSkinFile> skins = NavSkinFiles(folder.Path().c_str());
    ASSERT_EQ(skins.size(), 1u);
    EXPECT_EQ(skins[0].file, "renamed.dll");
    size_t five = skins[0].text.find('\x05');
    ASSERT_NE(five, std::string::npos);
    EXPECT_EQ(skins[0].text.substr(five + 1), "renamed.dll");
    EXPECT_NE(skins[0].text.find("\x02\x03"), std::string::npos);
    EXPECT_GE(skins[0].number, 1);
    EXPECT_LE(skins[0].number, 2);   // the broken file counts too
    // A trailing separator and a missing folder.
    EXPECT_EQ(NavSkinFiles((folder.Path() + "\\").c_str()).size(), 1u);
    EXPECT_TRUE(NavSkinFiles(folder.File("none").c_str()).empty());
}

TEST(NavBodyTexts, ProfilesThatFitTheLanguage) {
    tdtest::RegistrySandbox sandbox{"SOFTWARE\\Velmirant\\Radio"};
    tdtest::TempFolder user("navbodyuser");
    SetValue("PathUser", (user.Path() + "\\").c_str());
    user.Write("formate.ini",
               "[CD]\r\nSPS=44100\r\n[Radio]\r\nSPS=22050\r\nLANGUAGE=1\r\n[Speech]\r\nSPS=8000\r\nLANGUAGE=2\r\n");
    user.Write("schneiden.ini", "[Titel]\r\nCUT_TYPE=1\r\n[Stille]\r\nLANGUAGE=2\r\n[Pause]\r\nLANGUAGE=-1\r\n");
    EXPECT_EQ(NavQualityProfiles(1), (std::vector<std::string>{"CD", "Radio"}));
    EXPECT_EQ(NavQualityProfiles(2), (std::vector<std::string>{"CD", "Speech"}));
    EXPECT_EQ(NavCutProfiles(1), (std::vector<std::string>{"Titel", "Pause"}));
    EXPECT_EQ(NavCutProfiles(2), (std::vector<std::string>{"Titel", "Stille", "Pause"}));
    SetValue("PathUser", "");
    EXPECT_TRUE(NavCutProfiles(1).empty());
}

// ------------------------------------------------------------------ views

namespace {

struct HostCall {
    int code, ch;
};
std::vector<HostCall> g_hostCalls;
SearchRecord g_record;
int RecordHost(int code, int ch, void* text) {
    g_hostCalls.push_back({code, ch});
    if (code == 6 && text) memcpy(&g_record, text, sizeof g_record);
    return 0;
}
int CountCode(int code) {
    int n = 0;
    for (const HostCall& c : g_hostCalls) n += c.code == code;
    return n;
}

std::vector<std::string> g_questions;
int g_answer = 0;
int Answer(const char* text) {
    g_questions.push_back(text);
    return g_answer;
}

class NavBodies : public ::testing::Test {
protected:
    void SetUp() override {
        g_hostCalls.clear();
        ClearSlots();
        ASSERT_NE(fk::LoadStockface(&skin_), nullptr);
        res_ = new cResourceManager(skin_.Get(), 1);
        nav_ = CreateNavWindow(nullptr, nullptr, 0);
        ASSERT_NE(nav_, nullptr);
        nav_->SetResourceManager(res_);
    }
    void TearDown() override {
        delete nav_;
        delete res_;
        ClearSlots();
        SetNavQuestion(nullptr);
    }
    cNavView* Extend() {
        nav_->SetSize(520, 420);
        nav_->GetSkinData()->SetHasDisplay(1);
        nav_->ApplySkinSizes();
        if (nav_->IsCollapsed()) nav_->Slide();
        return nav_->GetNavView();
    }
    static std::vector<std::string> BoxTexts(cSkinComboBox* box) {
        std::vector<std::string> out;
        int n = box->GetCount();
        int sel = box->GetCurSel();
        for (int i = 0; i < n; ++i) {
            box->SetCurSel(i);
            char text[300] = {};
            box->GetText(text, sizeof text);
            out.push_back(text);
        }
        box->SetCurSel(sel);
        return out;
    }
    static std::vector<std::string> PanelTexts(cTextListPanel* panel) {
        std::vector<std::string> out;
        for (cListElement* e = panel->First(); e; e = e->Next())
            out.push_back(static_cast<cTextElement*>(e)->GetText());
        return out;
    }
    static bool Enabled(HWND w) { return w && IsWindowEnabled(w); }
    // Two quality profiles (CD, Radio) and two cut profiles (Titel, Stille).
    static void WriteProfiles(tdtest::TempFolder& user) {
        SetValue("PathUser", (user.Path() + "\\").c_str());
        user.Write("formate.ini", "[CD]\r\nSPS=44100\r\n[Radio]\r\nSPS=22050\r\nBPS=8\r\nNCH=1\r\n");
        user.Write("schneiden.ini", "[Titel]\r\n[Stille]\r\n");
    }

    tdtest::RegistrySandbox sandbox_{"SOFTWARE\\Velmirant\\Radio"};
    FakeSettings settings_;
    LibraryGuard guard_{&settings_, &RecordHost};
    bk::ScopedModule skin_;
    cResourceManager* res_ = nullptr;
    cNavWindow* nav_ = nullptr;
};

}  // namespace

TEST_F(NavBodies, HeaderButtonsFollowTheHistoryAndTheEdition) {
    cNavView* view = Extend();
    ASSERT_NE(view, nullptr);
    view->ShowView(NV_FAVOURITES);
    view->ShowView(NV_TOP_STATIONS);
    view->Back();
    struct Step {
        void (*move)(cNavView*);
        bool back, forward;
    } steps[] = {
        {[](cNavView* v) { v->ShowView(NV_TIMERS); }, true, false},
        {[](cNavView* v) { v->Back(); }, true, true},
        {[](cNavView* v) {
             while (v->History().CanGoBack()) v->Back();
         }, false, true},
    };
    for (const Step& s : steps) {
        s.move(view);
        ASSERT_NE(view->Button(41), nullptr);
        ASSERT_NE(view->Button(184), nullptr);
        EXPECT_EQ(view->Button(41)->IsEnabled() != 0, s.back) << view->History().Pos();
        EXPECT_EQ(view->Button(184)->IsEnabled() != 0, s.forward) << view->History().Pos();
        EXPECT_NE(view->Button(4), nullptr);
        EXPECT_NE(view->Button(400), nullptr);
    }
    // A partner edition has no help button and its own link at the right.
    SetValue("OEM_Player", 1ul);
    view->ShowView(NV_SKIN_STATIONS);
    EXPECT_EQ(view->Button(400), nullptr);
    unsigned right = res_->HasSprite(317) ? 317u : 4u;
    EXPECT_NE(view->Button(right), nullptr);
}

TEST_F(NavBodies, FavouriteFoldersChooseTheRowsAndGuardTheFixedFolders) {
    AddText(LS_FAVOURITE_FOLDERS, 0, "Alle Favoriten");
    AddText(LS_FAVOURITE_FOLDERS, 0xFFFF0001ul, "Eigene Sender");
    AddText(LS_FAVOURITE_FOLDERS, 7, "Jazz");
    AddText(LS_FAVOURITES, 1, "A\x02" "x", 7);
    AddText(LS_FAVOURITES, 2, "B\x02" "x", 8);
    AddText(LS_FAVOURITES, 3, "C\x02" "x", 7);
    AddText(LS_USER_STATIONS, 9, "Own\x02" "x");
    cNavView* view = Extend();
    view->ShowView(NV_FAVOURITES);
    ASSERT_EQ(view->BoxCount(), 1);
    EXPECT_EQ(BoxTexts(view->Box(0)), (std::vector<std::string>{"Alle Favoriten", "Eigene Sender", "Jazz"}));
    EXPECT_NE(view->Button(185), nullptr);
    struct Case {
        int index;
        bool deletable;
        int rows;
    } cases[] = {{2, true, 2}, {1, false, 1}, {0, false, 3}};
    for (const Case& c : cases) {
        view->Box(0)->SetCurSel(c.index);
        view->ShowView(0);
        ASSERT_EQ(view->BoxCount(), 1);
        EXPECT_EQ(view->Box(0)->GetCurSel(), c.index);
        ASSERT_NE(view->Button(186), nullptr);
        EXPECT_EQ(view->Button(186)->IsEnabled() != 0, c.deletable) << c.index;
        EXPECT_EQ(view->RowCount(), c.rows) << c.index;
    }

    // Deleting a folder asks with its name; yes hands the host its id.
    SetNavQuestion(&Answer);
    g_questions.clear();
    struct Ask {
        int index, answer, deletes;
    } asks[] = {{0, 1, 0}, {2, 0, 0}, {2, 1, 1}};
    for (const Ask& a : asks) {
        g_hostCalls.clear();
        g_answer = a.answer;
        view->Box(0)->SetCurSel(a.index);
        view->DeleteFolderQuestion();
        EXPECT_EQ(CountCode(34), a.deletes) << a.index << a.answer;
    }
    ASSERT_EQ(g_questions.size(), 2u);   // never for "Alle Favoriten"
    EXPECT_NE(g_questions[0].find("Jazz"), std::string::npos);
    bool sawChannel7 = false;
    for (const HostCall& c : g_hostCalls) sawChannel7 |= c.code == 34 && c.ch == 7;
    EXPECT_TRUE(sawChannel7);
    EXPECT_EQ(view->Box(0)->GetCurSel(), 0);
}

TEST_F(NavBodies, TableViewsGetTheirBoxesAndButtons) {
    settings_.numbers["GetLanguage"] = 1;
    cNavView* view = Extend();
    struct Case {
        int kind;
        int boxes;
        std::vector<unsigned long> buttons, absent;
    } cases[] = {
        {NV_TIPS, 1, {357}, {330, 383}},
        {NV_PODCASTS, 0, {383}, {357}},
        {NV_TIMERS, 0, {330, 404}, {383}},
        {NV_SKIN_STATIONS, 0, {}, {330, 357, 383, 185}},
        {NV_SEARCH_RESULTS, 0, {}, {330, 357, 383}},
    };
    for (const Case& c : cases) {
        view->ShowView(c.kind);
        EXPECT_EQ(view->BoxCount(), c.boxes) << c.kind;
        for (unsigned long id : c.buttons) EXPECT_NE(view->Button(id), nullptr) << c.kind << " " << id;
        for (unsigned long id : c.absent) EXPECT_EQ(view->Button(id), nullptr) << c.kind << " " << id;
    }
    view->ShowView(NV_TIPS);
    EXPECT_EQ(BoxTexts(view->Box(0)), NavTipFilterTexts());
    // The radio-programme link is for German players of the full edition.
    settings_.numbers["GetLanguage"] = 2;
    view->ShowView(NV_TIMERS);
    EXPECT_EQ(view->Button(404), nullptr);
    settings_.numbers["GetLanguage"] = 1;
    SetValue("OEM_Player", 1ul);
    view->ShowView(NV_TIPS);
    view->ShowView(NV_TIMERS);
    EXPECT_EQ(view->Button(404), nullptr);
}

TEST_F(NavBodies, ChosenEntriesComeBackWithBackAndForward) {
    AddText(LS_GENRES_UPPER, 0, "");
    AddText(LS_GENRES_UPPER, 10, "Rock");
    AddText(LS_GENRES_LOWER, 0, "alle Genres");
    AddText(LS_GENRES_LOWER, 11, "Hard Rock", 10);
    cNavView* view = Extend();
    view->ShowView(NV_TOP_STATIONS);
    ASSERT_EQ(view->BoxCount(), 1);
    ASSERT_EQ(view->Box(0)->GetCount(), 3);
    view->Box(0)->SetCurSel(2);
    view->ShowView(NV_TIPS);
    view->Box(0)->SetCurSel(3);
    view->ShowView(NV_FAVOURITES);
    EXPECT_EQ(view->BoxCount(), 1);
    view->Back();
    ASSERT_EQ(view->BuiltKind(), NV_TIPS);
    EXPECT_EQ(view->Box(0)->GetCurSel(), 3);
    view->Back();
    ASSERT_EQ(view->BuiltKind(), NV_TOP_STATIONS);
    EXPECT_EQ(view->Box(0)->GetCurSel(), 2);
    view->Forward();
    EXPECT_EQ(view->Box(0)->GetCurSel(), 3);
    // The view's own button shows a new entry: its choices start at 0.
    view->ShowView(NV_TOP_STATIONS);
    EXPECT_EQ(view->Box(0)->GetCurSel(), 0);
}

TEST_F(NavBodies, RecordingOverviewBuildsItsChoicesAndFollowsTheRecordingFlag) {
    tdtest::TempFolder user("navbodyrec");
    WriteProfiles(user);
    settings_.texts["GetQualityMuster"] = "Radio";
    settings_.texts["GetAutoCutMuster"] = "Stille";
    settings_.numbers["GetRecordingFormat"] = 1;
    cNavView* view = Extend();
    view->ShowView(NV_RECORDING);
    ASSERT_EQ(view->BoxCount(), 3);
    EXPECT_EQ(BoxTexts(view->Box(0)), (std::vector<std::string>{"WAV", "MP3"}));
    EXPECT_EQ(view->Box(0)->GetCurSel(), 1);
    EXPECT_EQ(BoxTexts(view->Box(1)), (std::vector<std::string>{"CD", "Radio"}));
    EXPECT_EQ(view->Box(1)->GetCurSel(), 1);
    EXPECT_EQ(BoxTexts(view->Box(2)), (std::vector<std::string>{Catalogue(525, 0), "Titel", "Stille"}));
    EXPECT_EQ(view->Box(2)->GetCurSel(), 2);
    char format[300], quality[300], cut[300];
    ASSERT_TRUE(view->GetRecordingChoices(format, quality, cut, sizeof format));
    EXPECT_STREQ(format, "MP3");
    EXPECT_STREQ(quality, "Radio");
    EXPECT_STREQ(cut, "Stille");
    // The constructor read the profile's values and the host's format.
    ASSERT_NE(view->Panel(), nullptr);
    std::vector<std::string> lines = PanelTexts(view->Panel());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], NavQualityFormatLine("MP3", "Stille", 0));
    EXPECT_EQ(lines[1], NavQualityValuesLine("Radio", 22050, 8, 1, 0));
    EXPECT_GE(CountCode(79), 1);

    for (unsigned long id : {270ul, 329ul, 370ul}) ASSERT_NE(view->Button(id), nullptr) << id;
    struct Flag {
        int recording;
        bool enabled;
    } flags[] = {{1, false}, {0, true}};
    for (const Flag& f : flags) {
        view->SetRecordingFlag(f.recording);
        Pump();
        for (int i = 0; i < view->BoxCount(); ++i) EXPECT_EQ(Enabled(view->Box(i)->GetWindow()), f.enabled) << i;
        for (unsigned long id : {270ul, 329ul, 370ul})
            EXPECT_EQ(view->Button(id)->IsEnabled() != 0, f.enabled) << id;
    }
    // Built while a recording runs, everything starts disabled.
    view->SetRecordingFlag(1);
    view->ShowView(0);
    ASSERT_EQ(view->BoxCount(), 3);
    EXPECT_FALSE(Enabled(view->Box(0)->GetWindow()));
    EXPECT_FALSE(view->Button(270)->IsEnabled());
    view->SetRecordingFlag(0);
    Pump();

    // The host's quality report reaches the lines through message 1197.
    view->SetQualityInfo("WAV", "CD", 44100, 16, 2);
    Pump();
    lines = PanelTexts(view->Panel());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], NavQualityFormatLine("WAV", "Stille", 0));
    EXPECT_EQ(lines[1], NavQualityValuesLine("CD", 44100, 16, 2, 0));
    // Another view shown: the report is not taken.
    view->ShowView(NV_FAVOURITES);
    view->SetQualityInfo("MP3", "Other", 8000, 8, 1);
    EXPECT_EQ(view->FormatText(), "WAV");
}

TEST_F(NavBodies, AroundASlideTheViewsOwnElementsHideAndShowAgain) {
    cNavView* view = Extend();
    // The navigator itself stays hidden here: a window's own style tells.
    auto Shown = [](HWND w) { return (GetWindowLongPtrA(w, GWL_STYLE) & WS_VISIBLE) != 0; };
    // The windows each view kind has of its own.
    auto windows = [&]() {
        std::vector<HWND> w;
        if (view->NameBox()) w.push_back(view->NameBox()->GetWindow());
        for (int i = 0; i < view->BoxCount(); ++i) w.push_back(view->Box(i)->GetWindow());
        if (view->Table()) w.push_back(view->Table()->GetWindow());
        for (unsigned long id : {41ul, 184ul, 270ul, 329ul}) if (view->Button(id)) w.push_back(view->Button(id)->GetWindow());
        return w;
    };
    for (int kind : {NV_SEARCH_FORM, NV_RECORDING, NV_FAVOURITES}) {
        view->ShowView(kind);
        Pump();
        std::vector<HWND> own = windows();
        ASSERT_GE(own.size(), 3u) << kind;
        nav_->SetElementsVisible(0);
        Pump();
        for (HWND w : own) EXPECT_FALSE(Shown(w)) << kind;
        EXPECT_FALSE(view->ElementsShown());
        if (kind == NV_RECORDING) {
            EXPECT_FALSE(view->Meter(0)->IsVisible());
            if (view->LevelSlider()) {
                EXPECT_FALSE(view->LevelSlider()->IsVisible());
            }
        }
        nav_->SetElementsVisible(1);
        Pump();
        for (HWND w : own) EXPECT_TRUE(Shown(w)) << kind;
        EXPECT_TRUE(view->ElementsShown());
        if (kind == NV_RECORDING) {
            EXPECT_TRUE(view->Meter(1)->IsVisible());
        }
    }
    // Hidden, then built anew: the new view shows.
    nav_->SetElementsVisible(0);
    view->ShowView(NV_SEARCH_FORM);
    Pump();
    EXPECT_TRUE(view->ElementsShown());
    EXPECT_TRUE(Shown(view->NameBox()->GetWindow()));
}

TEST_F(NavBodies, PartnerEditionHidesTheCutProfile) {
    SetValue("OEM_Player", 1ul);
    cNavView* view = Extend();
    view->ShowView(NV_RECORDING);
    Pump();
    ASSERT_EQ(view->BoxCount(), 3);
    EXPECT_FALSE(IsWindowVisible(view->Box(2)->GetWindow()));
    EXPECT_NE(view->Button(270), nullptr);
    EXPECT_NE(view->Button(329), nullptr);
    EXPECT_EQ(view->Button(370), nullptr);
}

TEST_F(NavBodies, RecordingValuesSliderAndMeters) {
    cNavView* view = Extend();
    RECT r = {0, 0, 100, 12};
    for (DWORD id : {271ul, 273ul, 319ul})
        nav_->GetButtonList()->AddScrollText(res_, 0, 0, 1, nav_->GetWindow(), id, r, 0xFFFFFF, 0, 0);
    auto shown = [&](DWORD id) {
        Pump();
        auto* e = dynamic_cast<cScrollText*>(static_cast<cActiveElement*>(nav_->GetButtonList()->GetById(id)));
        char text[200] = {};
        if (e) e->GetText(text, sizeof text);
        return std::string(text);
    };
    // Reported while another view shows: stored, shown when it opens.
    view->ShowView(NV_FAVOURITES);
    view->SetRecordingInfo(3725, 1048568, 60, 1);
    view->SetLevelSlider(40, 100, 0);
    EXPECT_EQ(shown(271), "");
    view->ShowView(NV_RECORDING);
    EXPECT_EQ(shown(271), "01:02:05");
    EXPECT_EQ(shown(273), "00:01:00 |  1,00 MB");
    EXPECT_EQ(shown(319), view->StateText());
    EXPECT_FALSE(view->StateText().empty());
    ASSERT_NE(view->LevelSlider(), nullptr);
    EXPECT_EQ(view->LevelSlider()->GetValue(), 40);
    struct Level {
        int value, max, min, expected;
    } levels[] = {{70, 100, 0, 70}, {10, 0, 0, 70}, {150, 100, 0, 100}, {-5, 100, 0, 0}};
    for (const Level& l : levels) {
        view->SetLevelSlider(l.value, l.max, l.min);
        EXPECT_EQ(view->LevelSlider()->GetValue(), l.expected) << l.value << "/" << l.max;
    }
    // Reported on a host thread: the slider moves on the window's thread.
    std::thread host([&] { view->SetLevelSlider(55, 100, 0); });
    host.join();
    EXPECT_EQ(view->LevelValue(), 55);
    EXPECT_EQ(view->LevelSlider()->GetValue(), 0) << "moved from the host's thread";
    Pump();
    EXPECT_EQ(view->LevelSlider()->GetValue(), 55);
    // A state beyond 3 leaves the state text.
    std::string before = shown(319);
    view->SetRecordingInfo(1, 1, 1, 9);
    EXPECT_EQ(shown(319), before);

    ASSERT_NE(view->Meter(0), nullptr);
    view->SetPeakLevels(100, 40);
    EXPECT_EQ(view->Meter(0)->GetOverloadCount(), 1);
    EXPECT_EQ(view->Meter(1)->GetOverloadCount(), 0);
    EXPECT_EQ(view->Meter(1)->GetValue(), 40);
    view->ShowView(NV_FAVOURITES);
    EXPECT_EQ(view->LevelSlider(), nullptr);
    view->SetPeakLevels(100, 100);
    EXPECT_EQ(view->Meter(1)->GetValue(), 40);
}

TEST_F(NavBodies, StationDetailsListNameDescriptionFactsAndStreams) {
    AddText(LS_STREAM_FORMATS, 2, "MP3");
    GetDetails("line", 4711, "x\x02Radio Eins\x02" "First line\r\nSecond line", "", 0, 0, "", "",
               "31\x02" "0\x02" "128\x02" "2\x01" "32\x02" "0\x02" "24\x02" "5");
    cNavView* view = Extend();
    view->ShowView(NV_STATION_DETAILS);
    ASSERT_NE(view->Panel(), nullptr);
    std::vector<std::string> rows = PanelTexts(view->Panel());
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0], "Radio Eins");
    EXPECT_EQ(view->Panel()->First()->GetId(), 4711ul);
    EXPECT_EQ(rows[1], "");
    EXPECT_EQ(rows[2], "First line");
    EXPECT_EQ(rows[3], "Second line");
    EXPECT_EQ(rows[4], "  |  ");
    EXPECT_EQ(rows[5], "  |  ");
    EXPECT_EQ(rows[6], NavStreamRowText("31\x02" "0\x02" "128\x02" "2", 0, nullptr));
    EXPECT_EQ(rows[7], NavStreamRowText("32\x02" "0\x02" "24\x02" "5", 0, nullptr));
    EXPECT_NE(view->Panel()->GetById(31), nullptr);
    EXPECT_NE(view->Panel()->GetById(32), nullptr);
    GetDetails("", 0, "", "", 0, 0, "", "", nullptr);
}

TEST_F(NavBodies, SkinsViewListsTheFolderAndPreviewsTheFirstSkin) {
    tdtest::TempFolder folder("navbodyview");
    ASSERT_TRUE(CopyFileA(fk::BinFile("stockface.dll").c_str(), folder.File("mine.dll").c_str(), FALSE));
    bk::TextCopy(Library().skinsFolder, (folder.Path() + "\\").c_str());
    cNavView* view = Extend();
    view->ShowView(NV_SKINS);
    ASSERT_NE(view->Panel(), nullptr);
    ASSERT_EQ(view->Panel()->GetRowCount(), 1);
    auto* row = static_cast<cSkinRowElement*>(view->Panel()->First());
    ASSERT_NE(row->FileName(), nullptr);
    EXPECT_STREQ(row->FileName(), "mine.dll");
    EXPECT_NE(view->Button(169), nullptr);
    ASSERT_NE(view->Preview(), nullptr);
    EXPECT_NE(view->Preview()->GetInfo().InternalName[0], 0);
    // The preview is made once and kept across showings.
    cSkinPreview* preview = view->Preview();
    view->ShowView(NV_FAVOURITES);
    view->ShowView(NV_SKINS);
    EXPECT_EQ(view->Preview(), preview);
}

TEST_F(NavBodies, SearchFormShowsTheStoredCriteriaAndSearchesWithWhatIsTyped) {
    AddText(LS_LANGUAGES, 0, "<alle>");
    AddText(LS_LANGUAGES, 5, "Deutsch");
    SetValue("NAME", "Jazz");
    SetValue("SPRACHE", "5");
    cNavView* view = Extend();
    view->ShowView(NV_SEARCH_FORM);
    ASSERT_NE(view->NameBox(), nullptr);
    char name[300] = {};
    view->NameBox()->GetText(name, sizeof name);
    EXPECT_STREQ(name, "Jazz");
    ASSERT_EQ(view->BoxCount(), kCriteriaBoxes);
    EXPECT_EQ(view->Box(2)->GetCurSel(), 1);
    for (unsigned long id : {36ul, 37ul, 190ul, 193ul}) EXPECT_NE(view->Button(id), nullptr) << id;

    view->NameBox()->SetText("Blues");
    view->Box(2)->SetCurSel(0);
    memset(&g_record, 0, sizeof g_record);
    SendMessageA(nav_->GetWindow(), WM_NAV_CLICK, 0, 36);
    EXPECT_STREQ(g_record.name, "Blues");
    EXPECT_EQ(g_record.language, 0);
    char stored[300] = {};
    GetValue("SPRACHE", stored, sizeof stored);
    EXPECT_STREQ(stored, "0");
}

// ------------------------------------------------------------------ input

namespace {


// The middle of a panel row's first button in the navigator's coordinates.
POINT FirstButtonOf(cTextListPanel* panel, cListElement* row) {
    auto* element = static_cast<cRowElement*>(row);
    auto* button = static_cast<cActiveElement*>(element->GetButtons()->First());
    if (!button) return POINT{-1, -1};
    RECT b = button->GetRect();
    const RECT& p = panel->GetPanelRect();
    return POINT{p.left + (b.left + b.right) / 2, p.top + (b.top + b.bottom) / 2 - panel->GetPixelOffset()};
}

LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

// What a window answers to the line query for one position: the line, then
// its buttons; empty past the last line.
std::vector<ElementReport> g_reports;
LRESULT CALLBACK ReportProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (cds->dwData == kElementReportKind && cds->cbData == sizeof(ElementReport))
            g_reports.push_back(*static_cast<const ElementReport*>(cds->lpData));
        return 1;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
std::vector<ElementReport> AskLine(HWND window, int position) {
    static HWND reply = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ReportProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "nav bodies line reply";
        RegisterClassA(&wc);
        return CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    }();
    g_reports.clear();
    const LRESULT answer = SendMessageA(window, RegisterWindowMessageA(kTableLineQueryMessage),
                                        static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(reply));
    if (answer != 1) g_reports.clear();
    return g_reports;
}

void Click(HWND hwnd, POINT p) {
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, At(p));
}

// Details of station 4711 longer than a page: 60 lines of description, then
// its stream 31.
void GiveLongDetails() {
    AddText(LS_STREAM_FORMATS, 2, "MP3");
    std::string description;
    for (int i = 0; i < 60; ++i) description += "Line " + std::to_string(i) + "\r\n";
    GetDetails("line", 4711, ("x\x02Radio Eins\x02" + description).c_str(), "", 0, 0, "", "",
               "31\x02" "0\x02" "128\x02" "2");
}

}  // namespace

TEST_F(NavBodies, DetailsPagePlaysTheStationAndItsStreamsAndScrolls) {
    GiveLongDetails();
    MainProbe main;
    main.SetResourceManager(res_);
    cNavView* view = Extend();
    view->ShowView(NV_STATION_DETAILS);
    cTextListPanel* panel = view->Panel();
    ASSERT_NE(panel, nullptr);
    // The panel shows as many rows as its height holds.
    const RECT& area = panel->GetPanelRect();
    EXPECT_GE(panel->GetVisibleRowCount(), (area.bottom - area.top) / panel->GetRowHeight());
    HWND hwnd = nav_->GetWindow();
    main.Take();

    // The station's own row plays the station.
    POINT play = FirstButtonOf(panel, panel->First());
    ASSERT_GE(play.x, 0);
    Click(hwnd, play);
    auto posted = main.Take();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0], std::make_pair(1130u, static_cast<WPARAM>(4711)));
    EXPECT_FALSE(nav_->IsMoving());

    // The wheel and the arrows move the rows; the stream row at the end then
    // shows and its button plays that stream.
    int before = panel->GetFirstVisibleRow();
    SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    int afterWheel = panel->GetFirstVisibleRow();
    EXPECT_GT(afterWheel, before);
    SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(panel->GetFirstVisibleRow(), before);
    SendMessageA(hwnd, WM_NAV_CLICK, 0, 21);
    EXPECT_EQ(panel->GetFirstVisibleRow(), before + 5);
    SendMessageA(hwnd, WM_TIMER, 10, 0);
    EXPECT_GT(panel->GetFirstVisibleRow(), before + 5);
    SendMessageA(hwnd, WM_NAV_RELEASE, 0, 21);
    for (int i = 0; i < 20; ++i) SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    cListElement* stream = panel->GetById(31);
    ASSERT_NE(stream, nullptr);
    panel->Invalidate(0);
    POINT streamPlay = FirstButtonOf(panel, stream);
    Click(hwnd, streamPlay);
    posted = main.Take();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0], std::make_pair(1129u, static_cast<WPARAM>(31)));
    GetDetails("", 0, "", "", 0, 0, "", "", nullptr);
}

TEST_F(NavBodies, TheDetailsRowsAreToldAsLinesWithTheirPlacesInTheWindow) {
    GiveLongDetails();
    cNavView* view = Extend();
    view->ShowView(NV_STATION_DETAILS);
    cTextListPanel* panel = view->Panel();
    ASSERT_NE(panel, nullptr);
    HWND hwnd = nav_->GetWindow();
    const RECT area = panel->GetPanelRect();
    std::vector<ElementReport> row = AskLine(hwnd, 0);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(row[0].id, 4711);
    EXPECT_STREQ(row[0].text, "Radio Eins");
    EXPECT_TRUE(row[0].visible);
    EXPECT_EQ(row[1].id, 1);
    // Scrolled to the end: the station is out of view, the stream row in
    // view with its play button where a click finds it.
    for (int i = 0; i < 20; ++i) SendMessageA(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    const int last = panel->GetRowCount() - 1;
    row = AskLine(hwnd, last);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(row[0].id, 31);
    EXPECT_TRUE(row[0].visible);
    EXPECT_GE(row[0].top, area.top);
    EXPECT_LE(row[0].bottom, area.bottom);
    const POINT play = FirstButtonOf(panel, panel->GetById(31));
    EXPECT_TRUE(row[1].visible);
    EXPECT_EQ((row[1].left + row[1].right) / 2, play.x);
    EXPECT_EQ((row[1].top + row[1].bottom) / 2, play.y);
    row = AskLine(hwnd, 0);
    ASSERT_FALSE(row.empty());
    EXPECT_FALSE(row[0].visible);
    EXPECT_TRUE(AskLine(hwnd, last + 1).empty());
    GetDetails("", 0, "", "", 0, 0, "", "", nullptr);
}

TEST_F(NavBodies, SkinsPageChoosesDeletesAndRecommendsByClicks) {
    tdtest::TempFolder folder("navbodyclick");
    ASSERT_TRUE(CopyFileA(fk::BinFile("stockface.dll").c_str(), folder.File("mine.dll").c_str(), FALSE));
    bk::TextCopy(Library().skinsFolder, (folder.Path() + "\\").c_str());
    MainProbe main;
    main.SetResourceManager(res_);
    cNavView* view = Extend();
    view->ShowView(NV_SKINS);
    cTextListPanel* panel = view->Panel();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->GetRowCount(), 1);
    auto* row = static_cast<cRowElement*>(panel->First());
    HWND hwnd = nav_->GetWindow();
    // The row's buttons: recommend (195) and delete (186).
    POINT recommend = {-1, -1}, remove = {-1, -1};
    const RECT p = panel->GetPanelRect();
    for (cListElement* e = row->GetButtons()->First(); e; e = e->Next()) {
        auto* b = static_cast<cActiveElement*>(e);
        RECT r = b->GetRect();
        POINT c = {p.left + (r.left + r.right) / 2, p.top + (r.top + r.bottom) / 2};
        if (b->GetId() == 195) recommend = c;
        if (b->GetId() == 186) remove = c;
    }
    ASSERT_GE(remove.x, 0);
    ASSERT_GE(recommend.x, 0);

    SetNavQuestion(&Answer);
    g_questions.clear();
    g_answer = 0;
    Click(hwnd, remove);
    ASSERT_EQ(g_questions.size(), 1u);
    EXPECT_TRUE(folder.Exists("mine.dll"));
    g_answer = 1;
    Click(hwnd, remove);
    EXPECT_FALSE(folder.Exists("mine.dll"));

    // Chosen by a click on the row itself: the host is told and the main
    // window closes for the restart.
    ASSERT_TRUE(CopyFileA(fk::BinFile("stockface.dll").c_str(), folder.File("other.dll").c_str(), FALSE));
    view->ShowView(NV_SKINS);
    panel = view->Panel();
    ASSERT_EQ(panel->GetRowCount(), 1);
    g_hostCalls.clear();
    main.Take();
    Click(hwnd, POINT{p.left + 20, p.top + panel->GetRowHeight() / 2});
    EXPECT_EQ(CountCode(16), 1);
    bool closed = false;
    for (auto& m : main.Take()) closed = closed || m.first == WM_CLOSE;
    EXPECT_TRUE(closed);
    (void)recommend;
}

TEST_F(NavBodies, RecordingOverviewAppliesItsChoicesOn1163) {
    tdtest::TempFolder user("navbodyapply");
    WriteProfiles(user);
    settings_.texts["GetQualityMuster"] = "CD";
    settings_.texts["GetAutoCutMuster"] = "Titel";
    settings_.numbers["GetRecordingFormat"] = 0;
    cNavView* view = Extend();
    view->ShowView(NV_RECORDING);
    ASSERT_EQ(view->BoxCount(), 3);
    view->Box(0)->SetCurSel(1);
    view->Box(1)->SetCurSel(1);
    view->Box(2)->SetCurSel(2);
    int saves = settings_.saves;
    g_hostCalls.clear();
    SendMessageA(nav_->GetWindow(), WM_NAV_RECORDING_CHOICES, 0, 0);
    EXPECT_EQ(settings_.numbers["GetRecordingFormat"], 1);
    EXPECT_EQ(settings_.texts["GetQualityMuster"], "Radio");
    EXPECT_EQ(settings_.texts["GetAutoCutMuster"], "Stille");
    EXPECT_GT(settings_.saves, saves);
    EXPECT_EQ(CountCode(46), 1);
    Pump();
    std::vector<std::string> lines = PanelTexts(view->Panel());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], NavQualityValuesLine("Radio", 22050, 8, 1, 0));
}

TEST_F(NavBodies, SearchFormKeepsChoicesAcrossRefreshesAndResetClearsTheName) {
    AddText(LS_LANGUAGES, 0, "<alle>");
    AddText(LS_LANGUAGES, 5, "Deutsch");
    SetValue("NAME", "Jazz");
    SetValue("SPRACHE", "0");
    cNavView* view = Extend();
    view->ShowView(NV_SEARCH_FORM);
    ASSERT_EQ(view->BoxCount(), kCriteriaBoxes);
    view->Box(2)->SetCurSel(1);
    view->NameBox()->SetText("Blues");
    // A list refresh and a redraw of the same view.
    SendMessageA(nav_->GetWindow(), WM_NAV_LISTS, 0, 0);
    EXPECT_EQ(view->Box(2)->GetCurSel(), 1);
    view->ShowView(0);
    EXPECT_EQ(view->Box(2)->GetCurSel(), 1);
    char name[300] = {};
    view->NameBox()->GetText(name, sizeof name);
    EXPECT_STREQ(name, "Blues");

    SendMessageA(nav_->GetWindow(), WM_NAV_CLICK, 0, 193);
    EXPECT_EQ(view->Box(2)->GetCurSel(), 0);
    view->NameBox()->GetText(name, sizeof name);
    EXPECT_STRNE(name, "Blues");
    char stored[300] = {};
    GetValue("NAME", stored, sizeof stored);
    EXPECT_STREQ(stored, name);
}

TEST_F(NavBodies, TableAndPageActionsReachTheMainWindow) {
    MainProbe main;
    Extend();
    main.Take();
    for (UINT m : {1126u, 1127u, 1128u, 1129u, 1130u, 1174u, 1175u, 1176u, 1177u}) {
        EXPECT_EQ(SendMessageA(nav_->GetWindow(), m, 77, 0), 1) << m;
        auto posted = main.Take();
        ASSERT_EQ(posted.size(), 1u) << m;
        EXPECT_EQ(posted[0], std::make_pair(m, static_cast<WPARAM>(77)));
    }
}
