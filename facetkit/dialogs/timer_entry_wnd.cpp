#include "timer_entry_wnd.h"

#include <cstdlib>
#include <cstring>

#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "button_list.h"
#include "catalogue.h"
#include "debugtext.h"
#include "dialog_services.h"
#include "popup_paint.h"
#include "dialogs_a_strings.h"
#include "list_store.h"
#include "resource_manager.h"
#include "timer_format_wnd.h"
#include "timer_logic.h"
#include "txtelement.h"
#include "window_binding.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

enum { SPRITE_TITLE = 331, SPRITE_CHECK = 214, SPRITE_FORMAT = 391 };
enum {
    TXT_ACTION_RECORD = 70, TXT_ACTION_SHUTDOWN = 73, TXT_JANUARY = 74, TXT_DECEMBER = 85, TXT_REPEAT_NONE = 86,
    TXT_REPEAT_MONTHLY = 90, TXT_WEEK_FIRST = 91, TXT_WEEK_FOURTH = 94, TXT_SUNDAY = 95, TXT_SATURDAY = 101,
    TXT_NAME_STATION = 378, TXT_NAME_PLAIN = 379, TXT_START_TIME = 103, TXT_STOP_TIME = 105,
};
const char kHelpTopic[] = "timer_erstellen.htm";
const char kHelpTip[] = "Hilfe zum Timer programmieren";
const COLORREF kGrey = RGB(167, 167, 167);
const COLORREF kDots = RGB(102, 102, 102);

// Weekday boxes: element, position; Sunday first (its bit is 0).
const struct {
    unsigned long id;
    int x, y;
} kWeekdayBoxes[] = {{7, 103, 311}, {1, 103, 260}, {2, 183, 260}, {3, 103, 277},
                     {4, 183, 277}, {5, 103, 294}, {6, 183, 294}};

int BitOfBox(unsigned long id) { return id == cTimerEntryWnd::BOX_SUNDAY ? 1 : 1 << id; }

int DefaultRecordProbe() {
    return dlgs::WindowHasElement(WND_ID_MAIN, dlgs::ELEMENT_MAIN_RECORD) ? 1 : 0;
}
int (*g_recordProbe)() = &DefaultRecordProbe;

cVLTime Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return cVLTime(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, 0);
}

}  // namespace

void cTimerEntryWnd::SetRecordButtonProbe(int (*probe)()) { g_recordProbe = probe ? probe : &DefaultRecordProbe; }

cTimerEntryWnd::cTimerEntryWnd(cElementHost* owner, HWND parent, cResourceManager* res, cTimerEntry* entry)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), entry_(entry), ownStation_(0), repeatEndRow_(260),
      recordFlag_(0), lastInChain_(nullptr) {
    if (entry_) work_ = *entry_;
    recordFlag_ = g_recordProbe();
    // Recordings stay recordings in a skin without a record button.
    if (recordFlag_ || (entry_ && entry_->GetAction() == TA_RECORD)) actionCodes_.push_back(TA_RECORD);
    for (int code = TA_PLAY; code <= TA_SHUTDOWN; ++code) actionCodes_.push_back(code);

    if (cListe* recent = dlgs::RecentStations()) {
        for (cListElement* e = recent->First(); e; e = e->Next()) {
            auto* from = dynamic_cast<cTxtElement*>(e);
            if (!from) continue;
            auto* copy = new cFavoritenElement();
            copy->SetText(from->GetText());
            copy->SetId(from->GetId());
            if (auto* fav = dynamic_cast<cFavoritenElement*>(e)) copy->SetOrdner(fav->GetOrdner());
            stations_.Add(copy);
        }
        cListStore::SortFavoritenElements(&stations_, false);
    }

    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cTimerEntryWnd::TimerProc, WIDTH, HEIGHT, SPRITE_TITLE);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    CreateControls();
    dlgs::PumpFor(10);
    ::ShowWindow(hwnd, SW_SHOW);
    LoadEntry();
    UpdateActionControls();
    dlgs::PumpFor(0);
    Invalidate();
}

cTimerEntryWnd::~cTimerEntryWnd() {
    stations_.Delete();
    lists_.Delete();
    edits_.Delete();
}

// ---------------------------------------------------------------- controls

cVLEditBox* cTimerEntryWnd::GetEdit(int index) { return static_cast<cVLEditBox*>(edits_.GetById(index + 1)); }

cSkinComboBox* cTimerEntryWnd::GetList(int index) { return static_cast<cSkinComboBox*>(lists_.GetById(index + 1)); }

cWndButton* cTimerEntryWnd::GetButton(unsigned long id) {
    return static_cast<cWndButton*>(GetButtonList()->GetById(id));
}

cSkinComboBox* cTimerEntryWnd::AddList(int x, int y, int width) {
    auto* list = new cSkinComboBox(GetWindow(), res_, x, y, width, 16, 0, 2);
    list->SetId(lists_.GetAnzElement() + 1);
    lists_.Add(list);
    PlaceBehind(list->GetWindow(), lastInChain_);
    lastInChain_ = list->GetWindow();
    return list;
}

cVLEditBox* cTimerEntryWnd::AddEdit(int x, int y, int width, int maximum) {
    auto* edit = new cVLEditBox(GetWindow(), res_, POINT{x, y}, SIZE{width, 16}, 2, 0);
    if (maximum > 0) edit->SetNumberDetails(maximum, 0, 1, 2);
    edit->SetId(edits_.GetAnzElement() + 1);
    edits_.Add(edit);
    PlaceBehind(edit->GetWindow(), lastInChain_);
    lastInChain_ = edit->GetWindow();
    return edit;
}

cWndButton* cTimerEntryWnd::AddButton(unsigned long id, unsigned long sprite, int x, int y, int look) {
    return AddPopupButton(this, owner_, res_, id, sprite, x, y, 0, look != 0);
}

void cTimerEntryWnd::FillDayList(cSkinComboBox* list) {
    for (int day = 1; day <= 31; ++day) {
        char text[8];
        bk::TextFormat(text, sizeof text, "%02d.", day);
        list->AddString(text);
    }
    list->SetCurSel(0);
}

void cTimerEntryWnd::FillTextList(cSkinComboBox* list, unsigned first, unsigned last) {
    for (unsigned id = first; id <= last; ++id) {
        char text[128] = {};
        dlgs::Text(id, text, sizeof text);
        list->AddString(text);
    }
    list->SetCurSel(0);
}

void cTimerEntryWnd::FillYearList(cSkinComboBox* list, const std::vector<int>& years) {
    for (int year : years) {
        char text[8];
        bk::TextFormat(text, sizeof text, "%4d", year);
        list->AddString(text);
    }
    list->SetCurSel(0);
}

void cTimerEntryWnd::CreateControls() {
    lastInChain_ = nullptr;
    const int thisYear = Now().GetYear();
    cVLTime start = work_.GetStartTime();
    startYears_ = timer::YearChoices(thisYear, start.IsZero() ? 0 : start.GetYear());
    cVLTime end = work_.GetRepeatEndTime();
    endYears_ = timer::YearChoices(thisYear, work_.GetRepeatEnd() > 0 && !end.IsZero() ? end.GetYear() : 0);

    AddEdit(71, 39, 180, 0);
    cSkinComboBox* action = AddList(71, 71, 170);
    for (int code : actionCodes_) {
        char text[128] = {};
        dlgs::Text(TXT_ACTION_RECORD + static_cast<unsigned>(code), text, sizeof text);
        action->AddString(text);
    }
    action->SetCurSel(0);
    AddButton(BUTTON_FORMAT, SPRITE_FORMAT, 243, 74, 0);
    AddList(71, 100, 170);
    FillDayList(AddList(71, 141, 40));
    FillTextList(AddList(116, 141, 75), TXT_JANUARY, TXT_DECEMBER);
    FillYearList(AddList(196, 141, 51), startYears_);
    AddEdit(71, 166, 22, 23);
    AddEdit(103, 166, 22, 59);
    AddEdit(71, 191, 22, 23);
    AddEdit(103, 191, 22, 59);
    FillTextList(AddList(71, 236, 170), TXT_REPEAT_NONE, TXT_REPEAT_MONTHLY);
    FillTextList(AddList(92, 257, 60), TXT_WEEK_FIRST, TXT_WEEK_FOURTH);
    FillTextList(AddList(158, 257, 80), TXT_SUNDAY, TXT_SATURDAY);
    cWndButton* sunday = nullptr;
    cWndButton* saturday = nullptr;
    for (const auto& box : kWeekdayBoxes) {
        cWndButton* b = AddButton(box.id, SPRITE_CHECK, box.x, box.y, 1);
        if (box.id == BOX_SUNDAY) sunday = b;
        if (box.id == 6) saturday = b;
    }
    if (sunday && saturday) PlaceBehind(sunday->GetWindow(), saturday->GetWindow());
    AddButton(BOX_OWN_FOLDER, SPRITE_CHECK, 70, 301, 1);
    AddButton(BOX_SHOW_NOTES, SPRITE_CHECK, 7, 413, 1);
    AddButton(BOX_ACTIVE, SPRITE_CHECK, 7, 430, 1);
    cWndButton* ok = AddButton(BUTTON_OK, BUTTON_OK, 81, 0, 0);
    ok->SetPos(POINT{81, 480 - ok->GetGfxHeight()}, 1);
    cWndButton* cancel = AddButton(BUTTON_CANCEL, BUTTON_CANCEL, 0, 0, 0);
    cancel->SetPos(POINT{253 - cancel->GetGfxWidth(), 480 - ok->GetGfxHeight()}, 1);
    cWndButton* help = AddButton(BUTTON_HELP, BUTTON_HELP, WIDTH - 23, 7, 0);
    help->SetToolTipText(kHelpTip);
    AddButton(BOX_REPEAT_END, SPRITE_CHECK, 70, 400, 1);
    FillDayList(AddList(90, 420, 40));
    FillTextList(AddList(136, 420, 75), TXT_JANUARY, TXT_DECEMBER);
    FillYearList(AddList(216, 420, 51), endYears_);
}

bool cTimerEntryWnd::Ticked(unsigned long id) {
    cWndButton* b = GetButton(id);
    return b && IsTicked(b->GetStatus());
}

bool cTimerEntryWnd::Visible(unsigned long id) {
    cWndButton* b = GetButton(id);
    return b && b->IsVisible();
}

void cTimerEntryWnd::SetTicked(unsigned long id, bool ticked) {
    if (cWndButton* b = GetButton(id)) b->SetStatus(ticked ? ES_SELECTED : ES_NORMAL);
}

int cTimerEntryWnd::ChosenAction() {
    cSkinComboBox* list = GetList(LIST_ACTION);
    int index = list ? list->GetCurSel() : 0;
    if (index < 0 || index >= static_cast<int>(actionCodes_.size())) index = 0;
    return actionCodes_.empty() ? TA_PLAY : actionCodes_[static_cast<size_t>(index)];
}

int cTimerEntryWnd::NumberOf(int editIndex) {
    char text[cVLEditBox::TEXT_LIMIT] = {};
    if (cVLEditBox* e = GetEdit(editIndex)) e->GetText(text, sizeof text);
    return atoi(text);
}

// ---------------------------------------------------------------- loading

void cTimerEntryWnd::LoadEntry() {
    if (!entry_) {
        OnRepeatEndToggled();
        return;
    }
    int index = 0;
    for (size_t i = 0; i < actionCodes_.size(); ++i)
        if (actionCodes_[i] == work_.GetAction()) index = static_cast<int>(i);
    if (cSkinComboBox* l = GetList(LIST_ACTION)) l->SetCurSel(index);
    if (cWndButton* b = GetButton(BUTTON_FORMAT)) b->SetVisible(work_.GetAction() == TA_RECORD && recordFlag_);
    if (cVLEditBox* e = GetEdit(EDIT_NAME)) e->SetText(work_.GetName());
    LoadTimes();
    if (cSkinComboBox* stations = GetList(LIST_STATION)) {
        ownStation_ = work_.GetSendername()[0] ? 1 : 0;
        if (ownStation_) stations->AddString(work_.GetSendername());
        for (cListElement* e = stations_.First(); e; e = e->Next())
            stations->AddString(static_cast<cFavoritenElement*>(e)->GetText());
        stations->SetCurSel(0);
    }
    LoadRepetition();
    SetTicked(BOX_OWN_FOLDER, work_.GetCreateFolder() != 0);
    SetTicked(BOX_SHOW_NOTES, work_.GetShowHints() > 0);
    SetTicked(BOX_ACTIVE, work_.GetActive() > 0);
    OnRepeatEndToggled();
}

void cTimerEntryWnd::LoadTimes() {
    cVLTime start = work_.GetStartTime();
    if (start.IsZero()) start = Now();
    if (cSkinComboBox* l = GetList(LIST_START_DAY)) l->SetCurSel(start.GetDay() - 1);
    if (cSkinComboBox* l = GetList(LIST_START_MONTH)) l->SetCurSel(start.GetMonth() - 1);
    if (cSkinComboBox* l = GetList(LIST_START_YEAR)) l->SetCurSel(timer::YearIndex(startYears_, start.GetYear()));
    if (cVLEditBox* e = GetEdit(EDIT_START_HOUR)) e->SetText(start.GetHour());
    if (cVLEditBox* e = GetEdit(EDIT_START_MINUTE)) e->SetText(start.GetMinute());
    cVLTime stop = work_.GetStopTime();
    if (stop.IsZero()) stop = start;
    if (cVLEditBox* e = GetEdit(EDIT_STOP_HOUR)) e->SetText(stop.GetHour());
    if (cVLEditBox* e = GetEdit(EDIT_STOP_MINUTE)) e->SetText(stop.GetMinute());
}

void cTimerEntryWnd::LoadRepetition() {
    if (cSkinComboBox* l = GetList(LIST_REPEAT)) l->SetCurSel(work_.GetWiederholung());
    if (cSkinComboBox* l = GetList(LIST_WEEK)) l->SetCurSel(work_.GetDayOfMonth());
    if (cSkinComboBox* l = GetList(LIST_WEEKDAY)) l->SetCurSel(timer::IndexFromDayFlag(work_.GetDayFlag()));
    int flags = work_.GetDayFlag();
    if (flags & 0x7F)
        for (const auto& box : kWeekdayBoxes)
            if (flags & BitOfBox(box.id)) SetTicked(box.id, true);
    cVLTime end = work_.GetRepeatEndTime();
    bool repeatEnd = work_.GetRepeatEnd() > 0 && !end.IsZero();
    SetTicked(BOX_REPEAT_END, work_.GetRepeatEnd() > 0);
    if (!repeatEnd) end = Now();
    if (cSkinComboBox* l = GetList(LIST_END_DAY)) l->SetCurSel(end.GetDay() - 1);
    if (cSkinComboBox* l = GetList(LIST_END_MONTH)) l->SetCurSel(end.GetMonth() - 1);
    if (cSkinComboBox* l = GetList(LIST_END_YEAR)) l->SetCurSel(timer::YearIndex(endYears_, end.GetYear()));
}

// ---------------------------------------------------------------- layout

void cTimerEntryWnd::Redraw() {
    if (GetWindow()) RedrawWindow(GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void cTimerEntryWnd::UpdateActionControls() {
    int action = ChosenAction();
    bool record = action == TA_RECORD;
    bool withStation = action == TA_RECORD || action == TA_PLAY;
    if (cWndButton* b = GetButton(BOX_SHOW_NOTES)) b->SetVisible(record);
    if (cWndButton* b = GetButton(BUTTON_FORMAT)) b->SetVisible(record && recordFlag_);
    if (cSkinComboBox* l = GetList(LIST_STATION)) l->SetEnable(withStation);
    if (cVLEditBox* e = GetEdit(EDIT_STOP_HOUR)) e->SetEnable(withStation);
    if (cVLEditBox* e = GetEdit(EDIT_STOP_MINUTE)) e->SetEnable(withStation);
    UpdateRepeatControls();
    Redraw();
}

void cTimerEntryWnd::UpdateRepeatControls() {
    int action = ChosenAction();
    cSkinComboBox* repeat = GetList(LIST_REPEAT);
    auto showWeekdays = [&](bool show) {
        for (const auto& box : kWeekdayBoxes)
            if (cWndButton* b = GetButton(box.id)) b->SetVisible(show);
    };
    auto showMonthly = [&](bool show) {
        if (cSkinComboBox* l = GetList(LIST_WEEK)) l->SetVisible(show);
        if (cSkinComboBox* l = GetList(LIST_WEEKDAY)) l->SetVisible(show);
    };
    auto showEnd = [&](bool show) {
        if (cWndButton* b = GetButton(BOX_REPEAT_END)) b->SetVisible(show);
        for (int i = LIST_END_DAY; i <= LIST_END_YEAR; ++i)
            if (cSkinComboBox* l = GetList(i)) l->SetVisible(show);
    };
    cWndButton* ownFolder = GetButton(BOX_OWN_FOLDER);
    if (action == TA_SHUTDOWN) {
        if (repeat) repeat->SetEnable(0);
        showMonthly(false);
        showWeekdays(false);
        if (ownFolder) ownFolder->SetVisible(0);
        showEnd(false);
        return;
    }
    if (repeat) repeat->SetEnable(1);
    int mode = repeat ? repeat->GetCurSel() : 0;
    int row = 260, folderY = 0;
    switch (mode) {
    case 1: folderY = 301; break;
    case 2:
    case 3: row = 335; folderY = 376; break;
    case 4: row = 288; folderY = 329; break;
    default: break;
    }
    // Only buttons that stay visible are moved: a moved button shows itself.
    repeatEndRow_ = row;
    const bool folderShown = mode != 0 && action == TA_RECORD;
    if (cWndButton* b = GetButton(BOX_REPEAT_END))
        if (mode != 0) b->SetPos(POINT{70, row}, 1);
    const int endX[] = {90, 136, 216};
    for (int i = LIST_END_DAY; i <= LIST_END_YEAR; ++i)
        if (cSkinComboBox* l = GetList(i)) l->SetPos(endX[i - LIST_END_DAY], row + 18);
    if (ownFolder && folderShown) ownFolder->SetPos(POINT{70, folderY}, 1);
    showMonthly(mode == 4);
    showWeekdays(mode == 2 || mode == 3);
    showEnd(mode != 0);
    if (ownFolder) ownFolder->SetVisible(folderShown);
}

void cTimerEntryWnd::OnRepeatEndToggled() {
    bool on = Ticked(BOX_REPEAT_END);
    for (int i = LIST_END_DAY; i <= LIST_END_YEAR; ++i)
        if (cSkinComboBox* l = GetList(i)) l->SetEnable(on);
    Redraw();
}

// ---------------------------------------------------------------- saving

int cTimerEntryWnd::Chosen(int list) {
    cSkinComboBox* l = GetList(list);
    return l ? l->GetCurSel() : 0;
}

int cTimerEntryWnd::ChosenYear(const std::vector<int>& years, int list) {
    int index = Chosen(list);
    return index >= 0 && index < static_cast<int>(years.size()) ? years[static_cast<size_t>(index)] : 0;
}

bool cTimerEntryWnd::CheckInput() {
    const int day = Chosen(LIST_START_DAY) + 1, month = Chosen(LIST_START_MONTH) + 1;
    const int year = ChosenYear(startYears_, LIST_START_YEAR);
    const bool endUsed = Visible(BOX_REPEAT_END) && Ticked(BOX_REPEAT_END);
    const int endDay = Chosen(LIST_END_DAY) + 1, endMonth = Chosen(LIST_END_MONTH) + 1;
    const int endYear = ChosenYear(endYears_, LIST_END_YEAR);
    char message[512] = {};
    auto noSuchDate = [&](unsigned what, int d, int m, int y) {
        char format[256] = {}, label[64] = {}, monthName[64] = {};
        dlgs::OwnText(DLG_TEXT_NO_SUCH_DATE, format, sizeof format);
        dlgs::OwnText(what, label, sizeof label);
        dlgs::Text(TXT_JANUARY + static_cast<unsigned>(m - 1), monthName, sizeof monthName);
        bk::TextFormat(message, sizeof message, format, label, d, monthName, y);
    };
    // An empty hour or minute would silently become 0.
    auto timeMissing = [&](int hourField, int minuteField, unsigned label) {
        for (int field : {hourField, minuteField}) {
            cVLEditBox* e = GetEdit(field);
            char text[8] = {};
            if (e && e->IsEnabled()) e->GetText(text, sizeof text);
            if (e && e->IsEnabled() && !text[0]) {
                char format[256] = {}, name[64] = {};
                dlgs::OwnText(DLG_TEXT_TIME_MISSING, format, sizeof format);
                dlgs::Text(label, name, sizeof name);
                bk::TextFormat(message, sizeof message, format, name);
                return true;
            }
        }
        return false;
    };
    const bool timesGiven = !timeMissing(EDIT_START_HOUR, EDIT_START_MINUTE, TXT_START_TIME) &&
                            !timeMissing(EDIT_STOP_HOUR, EDIT_STOP_MINUTE, TXT_STOP_TIME);
    if (timesGiven) {
        if (!timer::IsValidDate(year, month, day))
            noSuchDate(DLG_TEXT_START_DATE, day, month, year);
        else if (endUsed && !timer::IsValidDate(endYear, endMonth, endDay))
            noSuchDate(DLG_TEXT_REPEAT_END_DATE, endDay, endMonth, endYear);
        else if (endUsed && timer::CompareDates(endYear, endMonth, endDay, year, month, day) < 0)
            dlgs::OwnText(DLG_TEXT_REPEAT_END_BEFORE_START, message, sizeof message);
    }
    if (!message[0]) return true;
    dlgs::Notice(owner_, GetWindow(), res_, message);
    return false;
}

void cTimerEntryWnd::SaveTimes() {
    cVLTime t("00000000000000");
    t.SetSecond(0);
    t.SetYear(ChosenYear(startYears_, LIST_START_YEAR));
    t.SetMonth(Chosen(LIST_START_MONTH) + 1);
    t.SetDay(Chosen(LIST_START_DAY) + 1);
    t.SetHour(NumberOf(EDIT_START_HOUR));
    t.SetMinute(NumberOf(EDIT_START_MINUTE));
    work_.SetStartTime(t);
    work_.SetStopTime(timer::StopTimeFor(t, NumberOf(EDIT_STOP_HOUR), NumberOf(EDIT_STOP_MINUTE)));
    cVLTime end(t);
    end.SetYear(ChosenYear(endYears_, LIST_END_YEAR));
    end.SetMonth(Chosen(LIST_END_MONTH) + 1);
    end.SetDay(Chosen(LIST_END_DAY) + 1);
    end.SetHour(0);
    end.SetMinute(0);
    work_.SetRepeatEndTime(end);
    work_.SetRepeatEnd(Ticked(BOX_REPEAT_END) ? 1 : 0);
}

void cTimerEntryWnd::SaveRepetition() {
    cSkinComboBox* repeat = GetList(LIST_REPEAT);
    int mode = repeat ? repeat->GetCurSel() : 0;
    if (mode < 0) mode = 0;
    work_.SetWiederholung(mode);
    if (cSkinComboBox* l = GetList(LIST_WEEK)) work_.SetDayOfMonth(l->GetCurSel() < 0 ? 0 : l->GetCurSel());
    if (mode == 4)
        if (cSkinComboBox* l = GetList(LIST_WEEKDAY)) work_.SetDayFlag(timer::DayFlagFromIndex(l->GetCurSel()));
    if (Visible(1)) {
        int flags = 0;
        for (const auto& box : kWeekdayBoxes)
            if (Ticked(box.id)) flags |= BitOfBox(box.id);
        work_.SetDayFlag(flags);
    }
}

void cTimerEntryWnd::OnOk() {
    if (!entry_) {
        Close();
        return;
    }
    if (!CheckInput()) return;
    SetResult(1);
    const int action = ChosenAction();
    work_.SetAction(action);
    SaveTimes();
    if (action == TA_RECORD || action == TA_PLAY) {
        cSkinComboBox* stations = GetList(LIST_STATION);
        int index = stations ? stations->GetCurSel() : -1;
        if (!(ownStation_ && index == 0) && index >= 0) {
            auto* choice = static_cast<cFavoritenElement*>(stations_.GetByIndex(index - ownStation_));
            if (choice) {
                work_.SetChannelID(choice->GetId());
                char text[cSkinComboBox::TEXT_LIMIT] = {};
                stations->GetText(text, sizeof text);
                work_.SetSendername(text);
            }
        }
    }
    char name[cVLEditBox::TEXT_LIMIT] = {};
    if (cVLEditBox* e = GetEdit(EDIT_NAME)) e->GetText(name, sizeof name);
    if (!name[0]) {
        const bool withStation = action == TA_RECORD || action == TA_PLAY;
        char format[128] = {};
        dlgs::Text(withStation ? TXT_NAME_STATION : TXT_NAME_PLAIN, format, sizeof format);
        timer::BuildEntryName(name, sizeof name, format, withStation, work_.GetSendername(), work_.GetStartTime());
    }
    work_.SetName(name);
    SaveRepetition();
    work_.SetZustand(0);
    work_.SetCreateFolder(Visible(BOX_OWN_FOLDER) && Ticked(BOX_OWN_FOLDER) ? 1 : 0);
    work_.SetShowHints(Ticked(BOX_SHOW_NOTES) ? 1 : 0);
    work_.SetActive(Ticked(BOX_ACTIVE) ? 1 : 0);
    *entry_ = work_;
    Close();
}

void cTimerEntryWnd::Close() {
    lists_.Delete();
    edits_.Delete();
    DestroyPopupWindow();
}

void cTimerEntryWnd::OnHelp() {
    if (dlgs::Language() == kLanguageGerman)
        dlgs::Callback(10, 0, const_cast<char*>(kHelpTopic));
    else
        dlgs::Openers().hint(dlgs::HINT_TIMER, owner_, GetWindow(), res_);
}

void cTimerEntryWnd::OnFormat() {
    // The format pop-up changes the working copy; only OK here keeps it.
    auto* format = new cTimerFormatWnd(owner_, GetWindow(), res_, &work_);
    format->MessageLoop();
    delete format;
}

// ---------------------------------------------------------------- messages

LRESULT CALLBACK cTimerEntryWnd::TimerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<cTimerEntryWnd*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (!self) return 0;
    switch (msg) {
    case WM_COMMAND:
        ValidateChangedEdit(wParam, lParam);
        break;
    case WM_SKIN_BUTTON_PRESSED:
        switch (lParam) {
        case BOX_REPEAT_END: self->OnRepeatEndToggled(); break;
        case BUTTON_CANCEL: self->Close(); break;
        case BUTTON_HELP: self->OnHelp(); break;
        case BUTTON_OK: self->OnOk(); break;
        case BUTTON_FORMAT: self->OnFormat(); break;
        default: break;
        }
        return 0;
    case WM_SKIN_COMBO_SELCHANGE: self->UpdateActionControls(); return 0;
    default: break;
    }
    return PopupProc(hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------- painting

void cTimerEntryWnd::DrawLabelText(HDC dc, const char* text, int x, int y, bool grey) {
    SetTextColor(dc, grey ? kGrey : RGB(0, 0, 0));
    RECT r = {x, y, WIDTH - 8, y + 16};
    dlgs::DrawLabel(dc, text, &r, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void cTimerEntryWnd::DrawLabel(HDC dc, unsigned id, int x, int y, bool grey) {
    char text[256] = {};
    dlgs::Text(id, text, sizeof text);
    DrawLabelText(dc, text, x, y, grey);
}

void cTimerEntryWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    HFONT font = res_ ? res_->GetFont(1) : nullptr;
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    cSkinComboBox* stations = GetList(LIST_STATION);
    cSkinComboBox* repeat = GetList(LIST_REPEAT);
    cVLEditBox* stopHour = GetEdit(EDIT_STOP_HOUR);
    const bool stopGrey = stopHour && !stopHour->IsEnabled();
    DrawLabel(dc, 380, 7, 40, false);
    DrawLabel(dc, 381, 7, 74, false);
    DrawLabel(dc, 382, 7, 103, stations && !stations->IsEnabled());
    DrawLabel(dc, 102, 7, 143, false);
    DrawLabel(dc, 103, 7, 169, false);
    DrawLabelText(dc, ":", 96, 169, false);
    DrawLabel(dc, 104, 128, 169, false);
    DrawLabel(dc, 105, 7, 194, stopGrey);
    DrawLabelText(dc, ":", 96, 194, stopGrey);
    DrawLabel(dc, 104, 128, 194, stopGrey);
    const bool repeatOn = repeat && repeat->IsEnabled();
    DrawLabel(dc, 107, 7, 238, !repeatOn);
    if (repeatOn && repeat->GetCurSel() == 4) {
        DrawLabel(dc, 383, 73, 258, false);
        DrawLabel(dc, 384, 241, 258, false);
    }
    if (Visible(1)) {
        DrawLabel(dc, 360, 70, 258, false);
        const struct {
            unsigned text;
            int x, y;
        } names[] = {{96, 120, 258}, {97, 200, 258}, {98, 120, 275}, {99, 200, 275},
                     {100, 120, 292}, {101, 200, 292}, {95, 120, 309}};
        for (const auto& n : names) DrawLabel(dc, n.text, n.x, n.y, false);
    }
    if (Visible(BOX_REPEAT_END)) DrawLabel(dc, 479, 88, repeatEndRow_, false);
    if (Visible(BOX_SHOW_NOTES)) DrawLabel(dc, 109, 26, 412, false);
    if (Visible(BOX_ACTIVE)) DrawLabel(dc, 385, 26, 429, false);
    if (Visible(BOX_OWN_FOLDER)) DrawLabel(dc, 517, 88, repeatEndRow_ + 40, false);
    dlgs::DrawDottedLine(dc, 10, 329, 129, kDots);
    dlgs::DrawDottedLine(dc, 10, 329, 222, kDots);
    dlgs::DrawDottedLine(dc, 10, 329, 400, kDots);
    for (cListElement* e = lists_.First(); e; e = e->Next()) static_cast<cSkinComboBox*>(e)->Show(dc);
    for (cListElement* e = edits_.First(); e; e = e->Next()) static_cast<cVLEditBox*>(e)->Show(dc);
    if (old) SelectObject(dc, old);
    cPopUpWnd::OnPaint(dc, ps);
}
