// The station search form's criteria: the record handed to the host with
// callback code 6, the order of the selection boxes over the list store's
// criteria lists, and the stored values that let the form open with the
// last search.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "facetkit_api.h"

class cListe;

#pragma pack(push, 1)
struct SearchRecord {
    char name[260];
    uint16_t lowerGenre;
    uint16_t language;
    uint8_t streamFormat;
    uint8_t stationType;
    uint16_t lowerCountry;
    uint16_t region;
    uint16_t quality;
    uint16_t marked;   // 1 for the navigator's new-stations search
    uint16_t upperCountry;
    uint16_t upperGenre;
};
#pragma pack(pop)
static_assert(sizeof(SearchRecord) == 278, "search record of 278 bytes");
static_assert(offsetof(SearchRecord, lowerGenre) == 260 && offsetof(SearchRecord, streamFormat) == 264 &&
                  offsetof(SearchRecord, lowerCountry) == 266 && offsetof(SearchRecord, marked) == 272 &&
                  offsetof(SearchRecord, upperGenre) == 276,
              "field offsets the host reads");

// One entry of a criteria list (text, id, parent folder).
struct CriteriaEntry {
    std::string text;
    unsigned long id;
    unsigned long folder;
};
FACETKIT_API std::vector<CriteriaEntry> CriteriaEntries(cListe* list);

// One line of a selection box: its text and the pair it stands for (the
// upper id and the lower id; one-part boxes use `lower` only).
struct CriteriaChoice {
    std::string text;
    unsigned long upper;
    unsigned long lower;
};
// A two-part box (genres, countries): the "all" entry, then each upper entry
// with its sub-entries (indented by three blanks), then the lone lower
// entries.
FACETKIT_API std::vector<CriteriaChoice> TwoPartChoices(const std::vector<CriteriaEntry>& upper,
                                                        const std::vector<CriteriaEntry>& lower);
// A one-part box: the list in its order.
FACETKIT_API std::vector<CriteriaChoice> OnePartChoices(const std::vector<CriteriaEntry>& list);
// The index of a stored "%d|%d" (two-part) or "%d" (one-part) value; 0 when
// the value is malformed or names no entry.
FACETKIT_API int ChoiceIndexOfValue(const std::vector<CriteriaChoice>& choices, const char* value, bool twoPart);
// The stored text of the choice at an index ("0|0" or "0" when out of range).
FACETKIT_API std::string ValueOfChoice(const std::vector<CriteriaChoice>& choices, int index, bool twoPart);

// The six selection boxes of the form in their order (saved selections 0
// to 5) and the value names they store.
enum { kCriteriaBoxes = 6 };
FACETKIT_API const char* CriteriaValueName(int box);
FACETKIT_API bool CriteriaBoxIsTwoPart(int box);
// The choices of a box from the list store.
FACETKIT_API std::vector<CriteriaChoice> CriteriaBoxChoices(int box);

// Fills the record from the form (name box text and the six selected
// indices) and writes the eight stored values. An id that does not fit its
// field is sent as 0 (any) rather than cut to another id.
FACETKIT_API void FillSearchRecord(SearchRecord* record, const char* nameText, const int selections[kCriteriaBoxes],
                                   int language);
// Writes the reset values (the name placeholder, "0|0" and "0").
FACETKIT_API void ResetSearchCriteria(int language);
// Writes the stored values from the selections saved for a history position
// (showing the form again) and, when given, the name.
FACETKIT_API void StoreCriteriaSelections(const int selections[kCriteriaBoxes], const char* nameText);
// The selected indices the stored values name.
FACETKIT_API void StoredCriteriaSelections(int selections[kCriteriaBoxes]);
