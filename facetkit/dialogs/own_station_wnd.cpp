#include "own_station_wnd.h"

#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "button_list.h"
#include "dialog_services.h"
#include "list_store.h"
#include "popup_paint.h"
#include "protocol_commands.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "txtelement.h"
#include "small_popup.h"
#include "window_binding.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace ownst {

Station ParseStoredStation(const char* text, size_t length) {
    Station s;
    std::vector<std::string> fields(1);
    for (size_t i = 0; text && i < length && text[i]; ++i) {
        if (text[i] == kSeparator)
            fields.emplace_back();
        else
            fields.back() += text[i];
    }
    auto field = [&](size_t i) { return i < fields.size() ? fields[i] : std::string(); };
    auto id = [&](size_t i) { return static_cast<unsigned long>(strtoul(field(i).c_str(), nullptr, 10)); };
    s.name = field(0);
    s.genre = id(2);
    s.type = id(3);
    s.country = id(4);
    s.language = id(5);
    s.description = field(9);
    s.format = id(11);
    s.address = field(12);
    s.homePage = field(13);
    return s;
}

std::string BuildStationRecord(const Station& s) {
    auto text = [](const std::string& t) { return t.empty() ? std::string(" ") : t; };
    const std::string sep(1, kSeparator);
    return text(s.name) + sep + std::to_string(s.genre) + sep + std::to_string(s.type) + sep +
           std::to_string(s.country) + sep + std::to_string(s.language) + sep + text(s.description) + sep +
           std::to_string(s.format) + sep + text(s.address) + sep + text(s.homePage);
}

std::string CleanField(const char* text) {
    std::string out;
    for (const char* p = text; p && *p; ++p)
        if (static_cast<unsigned char>(*p) >= 0x20) out += *p;
    return out;
}

}  // namespace ownst

namespace {
enum { SPRITE_TITLE = 296, CODE_STATION = 49, CODE_HELP = 10 };
enum { TXT_HOME_EXAMPLE = 110, TXT_ADDRESS_EXAMPLE = 111, TXT_REQUIRED = 112 };
const COLORREF kMissingRed = RGB(204, 51, 51);
const COLORREF kDots = RGB(102, 102, 102);

const int kListTops[] = {119, 147, 175, 203, 300};
const int kListSlots[] = {LS_COUNTRIES_LOWER, LS_LANGUAGES, LS_STATION_TYPES, LS_GENRES_LOWER, LS_STREAM_FORMATS};

// The list's entries under the store's lock, in list order.
std::vector<std::pair<std::string, unsigned long>> Entries(int slot) {
    std::vector<std::pair<std::string, unsigned long>> out;
    cListStore& store = GetListStore();
    EnterCriticalSection(store.Lock());
    for (cListElement* e = store.List(slot)->First(); e; e = e->Next()) {
        auto* t = static_cast<cTxtElement*>(e);
        out.emplace_back(t->GetText() ? t->GetText() : "", t->GetId());
    }
    LeaveCriticalSection(store.Lock());
    return out;
}
}  // namespace

cOwnStationWnd::cOwnStationWnd(cElementHost* owner, HWND parent, cResourceManager* res, unsigned long stationId)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), stationId_(stationId), edits_{}, lists_{}, listIds_{},
      formatMissing_(false), addressMissing_(false), focusGiven_(false), white_(CreateSolidBrush(RGB(255, 255, 255))) {
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cOwnStationWnd::WndProc, WIDTH, HEIGHT, SPRITE_TITLE);
    ::ShowWindow(hwnd, SW_SHOW);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);

    // Creation order is the Tab order.
    edits_[EDIT_NAME] = new cVLEditBox(hwnd, res_, POINT{83, 39}, SIZE{165, 16}, 2, 0);
    edits_[EDIT_HOME_PAGE] = new cVLEditBox(hwnd, res_, POINT{83, 67}, SIZE{165, 16}, 2, 0);
    for (int i = LIST_COUNTRY; i <= LIST_GENRE; ++i)
        lists_[i] = new cSkinComboBox(hwnd, res_, 83, kListTops[i], 167, 16, 0, 2);
    edits_[EDIT_DESCRIPTION] = new cVLEditBox(hwnd, res_, POINT{83, 234}, SIZE{165, 41}, 2, 0);
    edits_[EDIT_DESCRIPTION]->SetMultiLine();
    lists_[LIST_FORMAT] = new cSkinComboBox(hwnd, res_, 83, kListTops[LIST_FORMAT], 167, 16, 0, 2);
    AddPopupButton(this, owner_, res_, BUTTON_FORMAT_HELP, 286, 260, 301, 0, false);
    if (cWndButton* help = AddPopupButton(this, owner_, res_, BUTTON_HELP, 286, 10, 7, 0, false))
        help->SetPos(POINT{WIDTH - 23, 7}, 1);
    edits_[EDIT_ADDRESS] = new cVLEditBox(hwnd, res_, POINT{83, 328}, SIZE{165, 16}, 2, 0);
    AddPopupButton(this, owner_, res_, BUTTON_TRY, BUTTON_TRY, 259, 328, 0, false);
    if (cWndButton* ok = AddPopupButton(this, owner_, res_, BUTTON_OK, BUTTON_OK, 73, 10, 0, false)) {
        const int y = 425 - ok->GetGfxHeight();
        ok->SetPos(POINT{73, y}, 1);
        if (cWndButton* cancel = AddPopupButton(this, owner_, res_, BUTTON_CANCEL, BUTTON_CANCEL, 73, y, 0, false))
            cancel->SetPos(POINT{243, y}, 0);
    }

    ownst::Station station;
    {
        cListStore& store = GetListStore();
        EnterCriticalSection(store.Lock());
        auto* e = static_cast<cTxtElement*>(store.List(LS_USER_STATIONS)->GetById(stationId_));
        std::string text = e && e->GetText() ? e->GetText() : "";
        LeaveCriticalSection(store.Lock());
        if (text.size() > TEXT_SIZE - 1) text.resize(TEXT_SIZE - 1);
        station = ownst::ParseStoredStation(text.c_str(), text.size());
    }
    const unsigned long ids[LIST_COUNT] = {station.country, station.language, station.type, station.genre,
                                           station.format};
    for (int i = 0; i < LIST_COUNT; ++i) FillList(i, kListSlots[i], ids[i]);
    edits_[EDIT_NAME]->SetText(station.name.c_str());
    edits_[EDIT_HOME_PAGE]->SetText(station.homePage.c_str());
    edits_[EDIT_DESCRIPTION]->SetText(station.description.c_str());
    edits_[EDIT_ADDRESS]->SetText(station.address.c_str());
    SetActiveWindow(edits_[EDIT_NAME]->GetWindow());
    Invalidate();
}

cOwnStationWnd::~cOwnStationWnd() {
    Close();
    if (white_) DeleteObject(white_);
}

void cOwnStationWnd::FillList(int index, int slot, unsigned long selectedId) {
    cSkinComboBox* list = lists_[index];
    if (!list) return;
    int selected = 0, position = 0;
    for (const auto& entry : Entries(slot)) {
        list->AddString(entry.first.c_str());
        listIds_[index].push_back(entry.second);
        if (entry.second == selectedId && selectedId != 0 && selected == 0) selected = position;
        ++position;
    }
    if (position > 0) list->SetCurSel(selected);
}

unsigned long cOwnStationWnd::SelectedId(int index) {
    cSkinComboBox* list = lists_[index];
    const int selected = list ? list->GetCurSel() : -1;
    // The ids as the list was filled: the host may push new lists while
    // the editor is open.
    const std::vector<unsigned long>& ids = listIds_[index];
    return selected >= 0 && static_cast<size_t>(selected) < ids.size() ? ids[static_cast<size_t>(selected)] : 0;
}

std::string cOwnStationWnd::EditText(int index) {
    char text[TEXT_SIZE] = {};
    if (edits_[index]) edits_[index]->GetText(text, sizeof text);
    return ownst::CleanField(text);
}

bool cOwnStationWnd::Save() {
    formatMissing_ = addressMissing_ = false;
    ownst::Station s;
    s.name = EditText(EDIT_NAME);
    s.address = EditText(EDIT_ADDRESS);
    s.description = EditText(EDIT_DESCRIPTION);
    s.homePage = EditText(EDIT_HOME_PAGE);
    s.country = SelectedId(LIST_COUNTRY);
    s.language = SelectedId(LIST_LANGUAGE);
    s.type = SelectedId(LIST_TYPE);
    s.genre = SelectedId(LIST_GENRE);
    s.format = SelectedId(LIST_FORMAT);
    if (!CheckPlayable(s.format, s.address)) return false;
    if (s.name.empty()) s.name = s.address;
    std::string record = ownst::BuildStationRecord(s);
    SetResult(1);
    dlgs::Callback(CODE_STATION, static_cast<int>(stationId_), &record[0]);
    Close();
    return true;
}

bool cOwnStationWnd::CheckPlayable(unsigned long format, const std::string& address) {
    formatMissing_ = format == 0;
    addressMissing_ = address.size() < 2;
    if (formatMissing_ && lists_[LIST_FORMAT]) SetFocus(lists_[LIST_FORMAT]->GetWindow());
    if (addressMissing_ && edits_[EDIT_ADDRESS]) SetFocus(edits_[EDIT_ADDRESS]->GetWindow());
    if (formatMissing_ || addressMissing_) Invalidate();
    return !formatMissing_ && !addressMissing_;
}

void cOwnStationWnd::TestPlay() {
    const std::string address = EditText(EDIT_ADDRESS);
    const unsigned long format = SelectedId(LIST_FORMAT);
    // The host cannot play a stream without its format or its address.
    if (!CheckPlayable(format, address)) return;
    MainProtocolTarget().PlayCustomUrl(static_cast<int>(format), address.c_str());
}

void cOwnStationWnd::Close() {
    for (cVLEditBox*& e : edits_) {
        delete e;
        e = nullptr;
    }
    for (cSkinComboBox*& l : lists_) {
        delete l;
        l = nullptr;
    }
    DestroyPopupWindow();
}

void cOwnStationWnd::OnButton(unsigned long id) {
    switch (id) {
    case BUTTON_CANCEL: Close(); break;
    case BUTTON_FORMAT_HELP:
        if (dlgs::Openers().hint) dlgs::Openers().hint(dlgs::HINT_STREAM_FORMAT, owner_, GetWindow(), res_);
        break;
    case BUTTON_OK: Save(); break;
    case BUTTON_TRY: TestPlay(); break;
    case BUTTON_HELP: {
        char topic[] = "eigenesender.htm";
        dlgs::Callback(CODE_HELP, 0, topic);
        break;
    }
    default: break;
    }
}

LRESULT CALLBACK cOwnStationWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return dlgs::SmallPopupProc<cOwnStationWnd>(hwnd, msg, wParam, lParam, &PopupProc);
}

void cOwnStationWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    if (!focusGiven_ && edits_[EDIT_NAME]) {
        SetFocus(edits_[EDIT_NAME]->GetWindow());
        focusGiven_ = true;
    }
    ClearScreen();
    SetBkMode(dc, TRANSPARENT);
    dlgs::DrawDottedLine(dc, 24, 300, 107, kDots);
    dlgs::DrawDottedLine(dc, 24, 300, 287, kDots);
    const struct {
        unsigned id;
        int top;
        bool red;
    } labels[] = {{361, 39, false},          {362, 68, false},  {363, 119, false}, {364, 147, false},
                  {365, 175, false},         {366, 203, false}, {367, 234, false}, {368, 300, formatMissing_},
                  {369, 328, addressMissing_}};
    HFONT f1 = res_ ? res_->GetFont(1) : nullptr;
    HFONT f2 = res_ ? res_->GetFont(2) : nullptr;
    HGDIOBJ old = f1 ? SelectObject(dc, f1) : nullptr;
    char text[500];
    for (const auto& l : labels) {
        dlgs::Text(l.id, text, sizeof text);
        SetTextColor(dc, l.red ? kMissingRed : RGB(0, 0, 0));
        RECT r = {6, l.top, 90, l.top + 15};
        dlgs::DrawLabel(dc, text, &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    }
    SetTextColor(dc, formatMissing_ || addressMissing_ ? kMissingRed : RGB(0, 0, 0));
    dlgs::Text(TXT_REQUIRED, text, sizeof text);
    RECT footer = {6, 368, 320, 383};
    dlgs::DrawLabel(dc, text, &footer, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    if (f2) SelectObject(dc, f2);
    SetTextColor(dc, RGB(0, 0, 0));
    const struct {
        unsigned id;
        RECT r;
    } examples[] = {{TXT_HOME_EXAMPLE, {85, 85, 320, 100}}, {TXT_ADDRESS_EXAMPLE, {85, 346, 320, 361}}};
    for (const auto& e : examples) {
        dlgs::Text(e.id, text, sizeof text);
        RECT r = e.r;
        dlgs::DrawLabel(dc, text, &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    }
    if (old) SelectObject(dc, old);
    for (cSkinComboBox* l : lists_)
        if (l) l->Show(dc);
    for (cVLEditBox* e : edits_)
        if (e) e->Show(dc);
    cPopUpWnd::OnPaint(dc, ps);
}

void OpenOwnStationWnd(unsigned long stationId) {
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    if (!nav) return;
    cOwnStationWnd* wnd =
        new cOwnStationWnd(GetWindowList().Find(WND_ID_MAIN), nav->GetWindow(), nav->GetResourceManager(), stationId);
    wnd->MessageLoop();
    delete wnd;
}
