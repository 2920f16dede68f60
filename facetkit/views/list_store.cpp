#include "list_store.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "catalogue.h"
#include "registry.h"
#include "timerentry.h"
#include "win_handles.h"

namespace {

struct KindInfo {
    int kind;
    int slot;
    enum { NONE, BY_TEXT, BY_NUMBER } sort;
    unsigned allText;   // message text of the "all" entry; 0 for an empty text
};

// Criteria lists: the kind the host names, its slot, how the series is
// sorted and which "all" entry leads it.
const KindInfo kCriteria[] = {
    {0, LS_STATION_TYPES, KindInfo::BY_TEXT, 215},   {1, LS_LANGUAGES, KindInfo::BY_TEXT, 217},
    {2, LS_REGIONS, KindInfo::BY_TEXT, 220},         {3, LS_COUNTRIES_LOWER, KindInfo::BY_TEXT, 216},
    {4, LS_GENRES_LOWER, KindInfo::BY_NUMBER, 218},  {5, LS_GENRES_UPPER, KindInfo::BY_NUMBER, 0},
    {6, LS_COUNTRIES_UPPER, KindInfo::BY_NUMBER, 0}, {10, LS_STREAM_FORMATS, KindInfo::BY_TEXT, 219},
    {12, LS_QUALITIES, KindInfo::NONE, 221},
};

const KindInfo* CriteriaOf(int kind) {
    for (const auto& k : kCriteria)
        if (k.kind == kind) return &k;
    return nullptr;
}

// Lists that ClearList empties beyond the criteria lists.
const struct { int kind, slot; } kClearOnly[] = {
    {7, LS_FAVOURITES},  {8, LS_TOP_STATIONS},     {11, LS_FAVOURITE_FOLDERS}, {14, LS_USER_STATIONS},
    {15, LS_TIMER_ENTRIES}, {16, LS_PROGRAMME_TIPS}, {17, LS_SKIN_STATIONS},   {18, LS_PODCASTS},
};

cFavoritenElement* MakeFavourite(const char* text, int id, int folder) {
    auto* e = new cFavoritenElement();
    e->SetId(static_cast<unsigned long>(id));
    e->SetText(text);
    e->SetOrdner(static_cast<unsigned long>(folder));
    return e;
}

// The decimal number behind the first "#"; 0 without one.
long NumberKey(const std::string& text) {
    size_t hash = text.find('#');
    return hash == std::string::npos ? 0 : strtol(text.c_str() + hash + 1, nullptr, 10);
}

}  // namespace

cListStore::cListStore() { InitializeCriticalSection(&lock_); }

cListStore::~cListStore() {
    for (auto& l : lists_) l.Delete();
    DeleteCriticalSection(&lock_);
}

cListe* cListStore::ListOfKind(int kind) {
    if (const KindInfo* k = CriteriaOf(kind)) return &lists_[k->slot];
    for (const auto& c : kClearOnly)
        if (c.kind == kind) return &lists_[c.slot];
    return nullptr;
}

void cListStore::Clear(int kind, int language) {
    cListe* list = ListOfKind(kind);
    if (!list) return;
    bk::ScopedLock hold(&lock_);
    list->Delete();
    if (kind != 11) return;
    char text[256];
    GetResourceString(nullptr, 214, language, text, sizeof text);
    auto* all = new cTxtElement();
    all->SetId(0);
    all->SetText(text);
    list->Add(all);
    GetResourceString(nullptr, 447, language, text, sizeof text);
    auto* own = new cTxtElement();
    own->SetId(0xFFFF0001ul);
    own->SetText(text);
    list->Add(own);
}

bool cListStore::AddCriteria(int kind, const char* text, int id, int folder, int language) {
    const KindInfo* k = CriteriaOf(kind);
    if (!k) return false;
    bk::ScopedLock hold(&lock_);
    cListe* list = &lists_[k->slot];
    if (text) {
        list->Add(MakeFavourite(text, id, folder));
        return true;
    }
    if (k->sort != KindInfo::NONE) SortFavoritenElements(list, k->sort == KindInfo::BY_NUMBER);
    char all[256] = {};
    if (k->allText) GetResourceString(nullptr, k->allText, language, all, sizeof all);
    list->AddFirst(MakeFavourite(all, 0, 0));
    return true;
}

void cListStore::SortFavoritenElements(cListe* list, bool byNumber) {
    if (!list) return;
    struct Value {
        unsigned long id;
        std::string text;
        unsigned long folder;
        bool hasText;
    };
    std::vector<Value> values;
    for (cListElement* e = list->First(); e; e = e->Next()) {
        auto* f = static_cast<cFavoritenElement*>(e);
        const char* t = f->GetText();
        values.push_back({f->GetId(), t ? t : "", f->GetOrdner(), t != nullptr});
    }
    // A stable sort with a consistent order: equal keys keep the host's order.
    if (byNumber) {
        std::stable_sort(values.begin(), values.end(),
                         [](const Value& a, const Value& b) { return NumberKey(a.text) < NumberKey(b.text); });
    } else {
        std::stable_sort(values.begin(), values.end(), [](const Value& a, const Value& b) {
            return CompareStringA(LOCALE_USER_DEFAULT, 0, a.text.c_str(), -1, b.text.c_str(), -1) == CSTR_LESS_THAN;
        });
    }
    size_t i = 0;
    for (cListElement* e = list->First(); e && i < values.size(); e = e->Next(), ++i) {
        auto* f = static_cast<cFavoritenElement*>(e);
        Value& v = values[i];
        if (byNumber) {
            size_t hash = v.text.find('#');
            if (hash != std::string::npos) v.text.resize(hash);
        }
        f->SetId(v.id);
        f->SetText(v.hasText ? v.text.c_str() : nullptr);
        f->SetOrdner(v.folder);
    }
}

void cListStore::AddRecent(const char* text, int id, int limit) {
    limit = std::min(std::max(limit, kRecentLimitMin), kRecentLimitMax);
    char value[kRecentValueSize];
    {
        bk::ScopedLock hold(&lock_);
        cListe& recent = lists_[LS_RECENT];
        if (cListElement* same = recent.GetById(static_cast<unsigned long>(id))) recent.Delete(same);
        while (recent.GetAnzElement() > limit - 1) {
            cListElement* cut = recent.GetByIndex(limit - 1);
            if (!cut) break;
            recent.Delete(cut);
        }
        recent.AddFirst(MakeFavourite(text, id, 0));
        BuildRecentValue(value, sizeof value);
    }
    SetValue(kRecentValueName, value);
}

void cListStore::BuildRecentValue(char* out, size_t size) {
    if (!out || !size) return;
    out[0] = 0;
    size_t used = 0;
    for (cListElement* e = lists_[LS_RECENT].First(); e; e = e->Next()) {
        auto* f = static_cast<cFavoritenElement*>(e);
        char piece[1100];
        const char* t = f->GetText();
        if (!bk::TextFormat(piece, sizeof piece, "%s\x01%lu;", t ? t : "", f->GetId())) continue;
        size_t n = strlen(piece);
        // The value stays below 4095 characters; a piece that would reach it is left out.
        if (used + n >= size - 1 || used + n >= kRecentValueSize - 1) continue;
        memcpy(out + used, piece, n + 1);
        used += n;
    }
}

void cListStore::LoadRecent(const char* value) {
    if (!value) return;
    bk::ScopedLock hold(&lock_);
    // The store outlives a restart of the user interface, which reads the
    // saved list again.
    lists_[LS_RECENT].Delete();
    const char* p = value;
    // Read piece by piece: the text runs to the byte 0x01 (a name may hold
    // ";"), then decimal digits closed by ";". A piece whose id is not closed
    // is dropped rather than taken with a cut id.
    while (*p) {
        const char* mark = strchr(p, '\x01');
        if (!mark) break;
        const char* digits = mark + 1;
        const char* q = digits;
        while (*q >= '0' && *q <= '9') ++q;
        if (*q != ';') {
            const char* next = strchr(q, ';');
            if (!next) break;
            p = next + 1;
            continue;
        }
        if (q > digits) {
            std::string text(p, mark);
            unsigned long id = strtoul(std::string(digits, q).c_str(), nullptr, 10);
            lists_[LS_RECENT].Add(MakeFavourite(text.c_str(), static_cast<int>(id), 0));
        }
        p = q + 1;
    }
}

void cListStore::AddFavourite(const char* text, int id, int folder) {
    if (!text) return;
    bk::ScopedLock hold(&lock_);
    if (id != 0) {
        lists_[LS_FAVOURITES].Add(MakeFavourite(text, id, folder));
        return;
    }
    auto* e = new cTxtElement();
    e->SetId(static_cast<unsigned long>(folder));
    e->SetText(text);
    lists_[LS_FAVOURITE_FOLDERS].Add(e);
}

void cListStore::AddText(int slot, const char* text, int id) {
    cListe* list = List(slot);
    if (!list || !text) return;
    bk::ScopedLock hold(&lock_);
    auto* e = new cTxtElement();
    e->SetId(static_cast<unsigned long>(id));
    e->SetText(text);
    list->Add(e);
}

void cListStore::AddTimerEntry(const cTimerEntry* entry) {
    if (!entry) return;
    bk::ScopedLock hold(&lock_);
    lists_[LS_TIMER_ENTRIES].Add(new cTimerEntry(*entry));
}

cPodcastEntry* cListStore::AddPodcast(const char* address, int id, int subscribed) {
    if (!address) return nullptr;
    bk::ScopedLock hold(&lock_);
    auto* e = new cPodcastEntry();
    e->SetId(static_cast<unsigned long>(id));
    e->SetText(address);
    e->subscribed = subscribed;
    lists_[LS_PODCASTS].Add(e);
    return e;
}

void cListStore::FormatListDate(const char* date, char* out, size_t outSize) {
    if (!date || strnlen(date, 8) < 8 || !out) return;
    bk::TextFormat(out, outSize, "%.2s.%.2s.%.4s", date + 6, date + 4, date);
}

cListStore& GetListStore() {
    static cListStore store;
    return store;
}
