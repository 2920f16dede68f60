#include "search_criteria.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "catalogue.h"
#include "list_store.h"
#include "registry.h"
#include "txtelement.h"
#include "win_handles.h"

namespace {

struct BoxInfo {
    const char* value;
    bool twoPart;
    int upperSlot, lowerSlot;
};
// In form order: KATEGORIE, LAND, SPRACHE, TYP, STREAMFORMAT, QUALITAET.
const BoxInfo kBoxes[kCriteriaBoxes] = {
    {"KATEGORIE", true, LS_GENRES_UPPER, LS_GENRES_LOWER},
    {"LAND", true, LS_COUNTRIES_UPPER, LS_COUNTRIES_LOWER},
    {"SPRACHE", false, -1, LS_LANGUAGES},
    {"TYP", false, -1, LS_STATION_TYPES},
    {"STREAMFORMAT", false, -1, LS_STREAM_FORMATS},
    {"QUALITAET", false, -1, LS_QUALITIES},
};

std::string Placeholder(int language) {
    char text[300] = {};
    GetResourceString(nullptr, 361, language, text, sizeof text);
    return text;
}

// The id as the record's field holds it; an id too large for the field
// becomes 0 (any), which searches more widely instead of for another id.
template <typename T>
T Field(unsigned long id) {
    return id > static_cast<unsigned long>(static_cast<T>(~T(0))) ? T(0) : static_cast<T>(id);
}

}  // namespace

std::vector<CriteriaEntry> CriteriaEntries(cListe* list) {
    std::vector<CriteriaEntry> out;
    if (!list) return out;
    bk::ScopedLock hold(GetListStore().Lock());
    for (cListElement* e = list->First(); e; e = e->Next()) {
        auto* f = static_cast<cFavoritenElement*>(e);
        out.push_back({f->GetText() ? f->GetText() : "", f->GetId(), f->GetOrdner()});
    }
    return out;
}

std::vector<CriteriaChoice> TwoPartChoices(const std::vector<CriteriaEntry>& upper,
                                           const std::vector<CriteriaEntry>& lower) {
    std::vector<CriteriaChoice> out;
    for (const CriteriaEntry& l : lower)
        if (l.folder == 0 && l.id == 0) out.push_back({l.text, 0, 0});
    for (const CriteriaEntry& u : upper) {
        if (u.id == 0) continue;
        out.push_back({u.text, u.id, 0});
        for (const CriteriaEntry& l : lower)
            if (l.folder == u.id && l.id != 0) out.push_back({"   " + l.text, u.id, l.id});
    }
    for (const CriteriaEntry& l : lower)
        if (l.folder == 0 && l.id != 0) out.push_back({l.text, 0, l.id});
    return out;
}

std::vector<CriteriaChoice> OnePartChoices(const std::vector<CriteriaEntry>& list) {
    std::vector<CriteriaChoice> out;
    for (const CriteriaEntry& e : list) out.push_back({e.text, 0, e.id});
    return out;
}

int ChoiceIndexOfValue(const std::vector<CriteriaChoice>& choices, const char* value, bool twoPart) {
    if (!value) return 0;
    char* end = nullptr;
    unsigned long upper = 0, lower = 0;
    if (twoPart) {
        const char* bar = strchr(value, '|');
        if (!bar) return 0;
        upper = strtoul(value, &end, 10);
        if (end != bar) return 0;
        lower = strtoul(bar + 1, &end, 10);
        if (end == bar + 1 || *end) return 0;
    } else {
        lower = strtoul(value, &end, 10);
        if (end == value || *end) return 0;
    }
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].lower == lower && (!twoPart || choices[i].upper == upper)) return static_cast<int>(i);
    return 0;
}

std::string ValueOfChoice(const std::vector<CriteriaChoice>& choices, int index, bool twoPart) {
    char text[48];
    if (index < 0 || static_cast<size_t>(index) >= choices.size()) return twoPart ? "0|0" : "0";
    const CriteriaChoice& c = choices[static_cast<size_t>(index)];
    if (twoPart)
        bk::TextFormat(text, sizeof text, "%d|%d", static_cast<int>(c.upper), static_cast<int>(c.lower));
    else
        bk::TextFormat(text, sizeof text, "%d", static_cast<int>(c.lower));
    return text;
}

const char* CriteriaValueName(int box) { return box >= 0 && box < kCriteriaBoxes ? kBoxes[box].value : ""; }
bool CriteriaBoxIsTwoPart(int box) { return box >= 0 && box < kCriteriaBoxes && kBoxes[box].twoPart; }

std::vector<CriteriaChoice> CriteriaBoxChoices(int box) {
    if (box < 0 || box >= kCriteriaBoxes) return {};
    cListStore& store = GetListStore();
    const BoxInfo& b = kBoxes[box];
    if (b.twoPart) return TwoPartChoices(CriteriaEntries(store.List(b.upperSlot)), CriteriaEntries(store.List(b.lowerSlot)));
    return OnePartChoices(CriteriaEntries(store.List(b.lowerSlot)));
}

void FillSearchRecord(SearchRecord* record, const char* nameText, const int selections[kCriteriaBoxes],
                      int language) {
    char name[260] = {};
    bk::TextCopy(name, nameText ? nameText : "");
    if (Placeholder(language) == name) name[0] = 0;
    memcpy(record->name, name, sizeof name);

    std::vector<CriteriaChoice> choices[kCriteriaBoxes];
    for (int b = 0; b < kCriteriaBoxes; ++b) choices[b] = CriteriaBoxChoices(b);
    auto pick = [&](int box) -> const CriteriaChoice* {
        int i = selections[box];
        return i >= 0 && static_cast<size_t>(i) < choices[box].size() ? &choices[box][static_cast<size_t>(i)] : nullptr;
    };
    if (const CriteriaChoice* c = pick(1)) {
        record->upperCountry = Field<uint16_t>(c->upper);
        record->lowerCountry = Field<uint16_t>(c->lower);
    }
    if (const CriteriaChoice* c = pick(0)) {
        record->upperGenre = Field<uint16_t>(c->upper);
        record->lowerGenre = Field<uint16_t>(c->lower);
    }
    if (const CriteriaChoice* c = pick(2)) record->language = Field<uint16_t>(c->lower);
    if (const CriteriaChoice* c = pick(3)) record->stationType = Field<uint8_t>(c->lower);
    if (const CriteriaChoice* c = pick(4)) record->streamFormat = Field<uint8_t>(c->lower);
    if (const CriteriaChoice* c = pick(5)) record->quality = Field<uint16_t>(c->lower);

    SetValue("TYP", ValueOfChoice(choices[3], selections[3], false).c_str());
    SetValue("NAME", name);
    SetValue("KATEGORIE", ValueOfChoice(choices[0], selections[0], true).c_str());
    SetValue("LAND", ValueOfChoice(choices[1], selections[1], true).c_str());
    SetValue("REGION", "0");
    SetValue("SPRACHE", ValueOfChoice(choices[2], selections[2], false).c_str());
    SetValue("STREAMFORMAT", ValueOfChoice(choices[4], selections[4], false).c_str());
    SetValue("QUALITAET", ValueOfChoice(choices[5], selections[5], false).c_str());
}

void ResetSearchCriteria(int language) {
    SetValue("NAME", Placeholder(language).c_str());
    SetValue("KATEGORIE", "0|0");
    SetValue("LAND", "0|0");
    for (const char* name : {"SPRACHE", "TYP", "STREAMFORMAT", "QUALITAET"}) SetValue(name, "0");
}

void StoreCriteriaSelections(const int selections[kCriteriaBoxes], const char* nameText) {
    // The order in which a form shown again writes its values.
    static const int kOrder[] = {5, 4, 3, 2, 1, 0};
    for (int box : kOrder)
        SetValue(kBoxes[box].value, ValueOfChoice(CriteriaBoxChoices(box), selections[box], kBoxes[box].twoPart).c_str());
    if (nameText) SetValue("NAME", nameText);
}

void StoredCriteriaSelections(int selections[kCriteriaBoxes]) {
    for (int b = 0; b < kCriteriaBoxes; ++b) {
        char value[64] = {};
        GetValue(kBoxes[b].value, value, sizeof value);
        selections[b] = ChoiceIndexOfValue(CriteriaBoxChoices(b), value, kBoxes[b].twoPart);
    }
}
