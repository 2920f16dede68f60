#include "recommend_wnd.h"

#include <cstring>

#include "bounded_text.h"
#include "button_list.h"
#include "dialog_controls.h"
#include "dialog_services.h"
#include "list_store.h"
#include "popup_paint.h"
#include "resource_manager.h"
#include "skin_edit.h"
#include "skin_wnd.h"
#include "small_popup.h"
#include "timerentry.h"
#include "win_handles.h"
#include "window_binding.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace recmd {

namespace {
// A text that goes into one field of a protocol link: a "|" would start a
// new field and control bytes have no place in a link.
std::string LinkField(const char* text) {
    std::string out;
    for (const char* p = text; p && *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20) continue;
        out += c == '|' ? '_' : static_cast<char>(c);
    }
    return out;
}

std::string FormatWith(const char* format, const std::string& value) {
    if (!format || !*format) return std::string();
    // Room for the longest item (1023 characters) beside any catalogue text.
    char out[2048] = {};
    bk::TextFormat(out, sizeof out, format, value.c_str());
    return out;
}
}  // namespace

bool IsMailShaped(const char* text) {
    if (!text) return false;
    const size_t length = strlen(text);
    if (length < 5) return false;
    const char* at = strchr(text, '@');
    const char* dot = strrchr(text, '.');
    if (!at || !dot) return false;
    const size_t atPos = static_cast<size_t>(at - text);
    const size_t dotPos = static_cast<size_t>(dot - text);
    return atPos >= 2 && dotPos >= atPos + 2 && dotPos + 1 < length;
}

std::string TimerLink(const cTimerEntry* entry) {
    if (!entry) return kErrorLink;
    // Built to its full length (the name alone may hold 1023 characters);
    // the length rule decides later whether it fits beside the message.
    std::string link = "tunerdeck://|TIMER|" + LinkField(entry->GetName());
    link += "|" + std::to_string(static_cast<int>(entry->GetChannelID()));
    link += "|" + LinkField(entry->GetStartTime().GetTime());
    link += "|" + LinkField(entry->GetStopTime().GetTime());
    for (int value : {entry->GetAction(), entry->GetWiederholung(), entry->GetShowHints(), entry->GetDayFlag(),
                      entry->GetDayOfMonth()})
        link += "|" + std::to_string(value);
    for (char& c : link)
        if (c == ' ') c = '_';
    return link;
}

std::string PodcastLink(const char* address) {
    if (!address) return std::string();
    std::string link = "tunerdeck://|PODCAST|";
    for (const char* p = address; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20) continue;
        if (c == '|')
            link += "%7C";
        else
            link += static_cast<char>(c);
    }
    return link;
}

std::string WithLink(const std::string& message, const std::string& link, size_t size) {
    if (size == 0) return std::string();
    const size_t limit = size - 1;   // the last byte ends the text
    if (link.empty()) return message.substr(0, limit);
    const size_t mark = sizeof kLinkMark - 1;
    std::string text = message;
    std::string tail = link;
    if (text.size() + mark + tail.size() > limit) {
        if (tail.size() + mark >= limit) {
            // Not even one character of the message would fit: the link
            // gives way, the message stays.
            tail = kErrorLink;
            const size_t room = limit > mark + tail.size() ? limit - mark - tail.size() : 0;
            if (text.size() > room) text.resize(room);
        } else {
            text.resize(limit - mark - tail.size());
        }
    }
    std::string out = text + kLinkMark + tail;
    if (out.size() > limit) out.resize(limit);
    return out;
}

std::string CleanLine(const char* typed) {
    std::string out;
    for (const char* p = typed; p && *p; ++p)
        if (static_cast<unsigned char>(*p) >= 0x20) out += *p;
    return out;
}

std::string CleanMessage(const char* typed) {
    std::string out;
    for (const char* p = typed; p && *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20 || c == '\t' || c == '\r' || c == '\n') out += *p;
    }
    return out;
}

unsigned HeadingTextId(int kind) {
    switch (kind) {
    case 1: return 113;
    case 2:
    case 3: return 114;
    case 4: return 386;
    case 5: return 620;
    default: return 0;
    }
}

std::string Heading(int kind, const char* item, const char* format,
                    const std::function<bool(const std::string&)>& fits) {
    const bool hasItem = item && *item;
    switch (kind) {
    case 1: {
        if (!hasItem) return std::string();
        // A display text: its first two fields joined by a hyphen.
        std::string name = item;
        const size_t first = name.find('\x02');
        if (first != std::string::npos) {
            name[first] = '-';
            const size_t second = name.find('\x02', first + 1);
            if (second != std::string::npos) name.erase(second);
        }
        return FormatWith(format, name);
    }
    case 2:
    case 5: return hasItem ? FormatWith(format, item) : std::string();
    case 3: return FormatWith(format, "velmirant-Player");
    case 4: {
        const std::string name = hasItem ? item : "";
        std::string line = FormatWith(format, name);
        if (!fits || fits(line)) return line;
        return FormatWith(format, name.substr(0, 21) + "...");
    }
    default: return std::string();
    }
}

}  // namespace recmd

namespace {
enum { SPRITE_TITLE = 235 };
enum { TXT_FILL_RED = 115 };
enum { NAME_LIMIT = 80, MESSAGE_LIMIT = 980 };
const COLORREF kErrorRed = RGB(204, 51, 51);
const RECT kHeadingRect = {10, 27, 323, 60};

const struct {
    POINT pos;
    SIZE size;
} kEdits[cRecommendWnd::EDIT_COUNT] = {
    {{10, 90}, {150, 15}},  {{170, 90}, {150, 15}},  {{10, 135}, {310, 80}},
    {{10, 246}, {150, 15}}, {{170, 246}, {150, 15}},
};
}  // namespace

cRecommendWnd::cRecommendWnd(cElementHost* owner, HWND parent, cResourceManager* res, RecommendRecord* record)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), record_(record), edits_{}, senderNameMissing_(false),
      recipientMailInvalid_(false), recipientNameMissing_(false), focusGiven_(false),
      white_(CreateSolidBrush(RGB(255, 255, 255))) {
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cRecommendWnd::WndProc, WIDTH, HEIGHT, SPRITE_TITLE);
    ::ShowWindow(hwnd, SW_SHOW);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    if (cWndButton* send = AddPopupButton(this, owner_, res_, BUTTON_SEND, BUTTON_SEND, 75, 10, 0, false)) {
        const int y = 307 - send->GetGfxHeight();
        send->SetPos(POINT{75, y}, 1);
        if (cWndButton* cancel = AddPopupButton(this, owner_, res_, BUTTON_CANCEL, BUTTON_CANCEL, 10, y, 0, false))
            cancel->SetPos(POINT{256, y}, 0);
    }
    // Creation order is the Tab order: the message follows the recipient's
    // address.
    for (int i = 0; i < EDIT_COUNT; ++i) {
        edits_[i] = new cVLEditBox(hwnd, res_, kEdits[i].pos, kEdits[i].size, 2, 0);
        if (i == EDIT_MESSAGE) {
            edits_[i]->SetMultiLine();
            PlaceBehind(edits_[i]->GetWindow(), edits_[EDIT_RECIPIENT_MAIL]->GetWindow());
        }
    }
    Invalidate();
}

cRecommendWnd::~cRecommendWnd() {
    Close();
    if (white_) DeleteObject(white_);
}

void cRecommendWnd::Close() {
    for (cVLEditBox*& e : edits_) {
        delete e;
        e = nullptr;
    }
    DestroyPopupWindow();
}

std::string cRecommendWnd::ReadEdit(int index, int limit) {
    char text[cVLEditBox::MULTILINE_LIMIT] = {};
    if (edits_[index]) edits_[index]->GetText(text, limit);
    return index == EDIT_MESSAGE ? recmd::CleanMessage(text) : recmd::CleanLine(text);
}

std::string cRecommendWnd::LinkForRecord() {
    cListStore& store = GetListStore();
    switch (record_->kind) {
    case 4: {
        // The list's own lookup takes a negative index for the first entry.
        if (record_->id < 0) return recmd::TimerLink(nullptr);
        bk::ScopedLock hold(store.Lock());
        auto* entry = static_cast<cTimerEntry*>(store.List(LS_TIMER_ENTRIES)->GetByIndex(record_->id));
        return recmd::TimerLink(entry);
    }
    case 5: {
        bk::ScopedLock hold(store.Lock());
        auto* podcast = static_cast<cPodcastEntry*>(store.List(LS_PODCASTS)->GetById(static_cast<unsigned long>(record_->id)));
        return podcast ? recmd::PodcastLink(podcast->GetText() ? podcast->GetText() : "") : std::string();
    }
    default: return std::string();
    }
}

bool cRecommendWnd::Send() {
    senderNameMissing_ = recipientMailInvalid_ = recipientNameMissing_ = false;
    if (!record_) return false;
    const std::string senderMail = ReadEdit(EDIT_SENDER_MAIL, NAME_LIMIT);
    const std::string senderName = ReadEdit(EDIT_SENDER_NAME, NAME_LIMIT);
    const std::string recipientMail = ReadEdit(EDIT_RECIPIENT_MAIL, NAME_LIMIT);
    const std::string recipientName = ReadEdit(EDIT_RECIPIENT_NAME, NAME_LIMIT);
    bk::TextCopy(record_->senderMail, senderMail.c_str());
    bk::TextCopy(record_->senderName, senderName.c_str());
    bk::TextCopy(record_->recipientMail, recipientMail.c_str());
    bk::TextCopy(record_->recipientName, recipientName.c_str());
    // The message is read afresh on every try, so a refused send does not
    // leave a link behind for the next one to append again.
    const std::string message = recmd::WithLink(ReadEdit(EDIT_MESSAGE, MESSAGE_LIMIT), LinkForRecord());
    bk::TextCopy(record_->message, message.c_str());

    // Each failing check takes the focus, so it ends in the last of them.
    if (record_->senderName[0] == 0) {
        senderNameMissing_ = true;
        if (edits_[EDIT_SENDER_NAME]) SetFocus(edits_[EDIT_SENDER_NAME]->GetWindow());
    }
    if (!recmd::IsMailShaped(record_->recipientMail)) {
        recipientMailInvalid_ = true;
        if (edits_[EDIT_RECIPIENT_MAIL]) SetFocus(edits_[EDIT_RECIPIENT_MAIL]->GetWindow());
    }
    if (record_->recipientName[0] == 0) {
        recipientNameMissing_ = true;
        if (edits_[EDIT_RECIPIENT_NAME]) SetFocus(edits_[EDIT_RECIPIENT_NAME]->GetWindow());
    }
    if (senderNameMissing_ || recipientMailInvalid_ || recipientNameMissing_) {
        Invalidate();
        return false;
    }
    SetResult(1);
    Close();
    return true;
}

void cRecommendWnd::OnButton(unsigned long id) {
    if (id == BUTTON_SEND) Send();
    if (id == BUTTON_CANCEL) Close();
}

LRESULT CALLBACK cRecommendWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return dlgs::SmallPopupProc<cRecommendWnd>(hwnd, msg, wParam, lParam, &PopupProc);
}

void cRecommendWnd::PaintHeading(HDC dc) {
    char format[500] = {};
    const unsigned id = recmd::HeadingTextId(record_ ? record_->kind : 0);
    if (id) dlgs::Text(id, format, sizeof format);
    const int width = kHeadingRect.right - kHeadingRect.left;
    heading_ = recmd::Heading(record_ ? record_->kind : 0, record_ ? record_->item : nullptr, format,
                              [dc, width](const std::string& line) {
                                  RECT r = {0, 0, 0, 0};
                                  DrawTextA(dc, line.c_str(), -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
                                  return r.right - r.left <= width;
                              });
    if (heading_.empty()) return;
    RECT r = kHeadingRect;
    RECT measured = r;
    const UINT flags = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    DrawTextA(dc, heading_.c_str(), -1, &measured, flags | DT_CALCRECT);
    const int free = (r.bottom - r.top) - (measured.bottom - measured.top);
    if (free > 0) r.top += free / 2;
    DrawTextA(dc, heading_.c_str(), -1, &r, flags);
}

void cRecommendWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    if (!focusGiven_ && edits_[EDIT_RECIPIENT_NAME]) {
        SetFocus(edits_[EDIT_RECIPIENT_NAME]->GetWindow());
        focusGiven_ = true;
    }
    ClearScreen();
    SetBkMode(dc, TRANSPARENT);
    HFONT f0 = res_ ? res_->GetFont(0) : nullptr;
    HFONT f1 = res_ ? res_->GetFont(1) : nullptr;
    HGDIOBJ old = f0 ? SelectObject(dc, f0) : nullptr;
    SetTextColor(dc, RGB(0, 0, 0));
    PaintHeading(dc);
    char text[500];
    if (senderNameMissing_ || recipientMailInvalid_ || recipientNameMissing_) {
        SetTextColor(dc, kErrorRed);
        dlgs::Text(TXT_FILL_RED, text, sizeof text);
        RECT r = {10, 58, 310, 73};
        dlgs::DrawLabel(dc, text, &r, DT_NOPREFIX | DT_SINGLELINE);
    }
    if (f1) SelectObject(dc, f1);
    const struct {
        unsigned id;
        RECT r;
        bool red;
    } labels[] = {
        {116, {10, 75, 210, 90}, recipientNameMissing_}, {117, {170, 75, 370, 90}, recipientMailInvalid_},
        {118, {10, 120, 210, 175}, false},               {119, {10, 231, 210, 246}, senderNameMissing_},
        {120, {170, 231, 370, 246}, false},
    };
    for (const auto& l : labels) {
        dlgs::Text(l.id, text, sizeof text);
        SetTextColor(dc, l.red ? kErrorRed : RGB(0, 0, 0));
        RECT r = l.r;
        dlgs::DrawLabel(dc, text, &r, DT_NOPREFIX | DT_SINGLELINE);
    }
    if (old) SelectObject(dc, old);
    for (cVLEditBox* e : edits_)
        if (e) e->Show(dc);
    cPopUpWnd::OnPaint(dc, ps);
}

int RunRecommendWnd(RecommendRecord* record, const char* itemText) {
    if (!record) return 0;
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    if (!nav) return 0;
    if (itemText) record->item = itemText;
    cRecommendWnd* wnd = new cRecommendWnd(nav, nav->GetWindow(), nav->GetResourceManager(), record);
    wnd->MessageLoop();
    const int result = wnd->GetResult();
    delete wnd;
    return result;
}
