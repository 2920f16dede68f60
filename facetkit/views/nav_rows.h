// The row texts of the navigator's table views, built from the list store:
// station rows (with genre, country, language and type names looked up),
// programme tips and their filter, timer entries, and the podcast rows of a
// feed with its episodes. Cells are separated by the byte 0x01, two parts
// of a cell joined by 0x02, every row closed by 0x01 0x05.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "facetkit_api.h"

// The first `count` fields of a list text (missing ones empty).
FACETKIT_API std::vector<std::string> ListFields(const char* text, int count);

class cTimerEntry;
class cPodcastFeed;

// A station's list-store text (fields separated by 0x02) as a table row.
FACETKIT_API std::string StationRowText(const char* stationText);

// A programme tip's text (ten fields) as a table row; `past` tells whether
// its start lies before `now` (local time, "YYYYMMDDhhmm").
FACETKIT_API std::string TipRowText(const char* tipText, const char* now, bool* past);
// Filter box of the tips view: 0 all, 1 new (rows starting "1"), 2 today,
// 3 tomorrow (dates "YYYYMMDD").
FACETKIT_API bool TipPassesFilter(int filter, const std::string& row, const char* tipText, const char* today,
                                  const char* tomorrow);

FACETKIT_API std::string TimerRowText(const cTimerEntry& entry);

struct PodcastRow {
    uint32_t id;
    std::string text;
    int episode;   // 0 for the feed's own row
};
// The feed's row and, when it is opened (or `allEpisodes`: the table opens
// and closes feeds itself), one row per episode, newest first.
FACETKIT_API std::vector<PodcastRow> PodcastRows(cPodcastFeed& feed, bool allEpisodes = false);
