#include "nav_rows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "library_state.h"
#include "list_store.h"
#include "nav_view.h"
#include "podcast_feed.h"
#include "textutil.h"
#include "timerentry.h"
#include "txtelement.h"
#include "vltime.h"
#include "win_handles.h"

// Each field is cut to fit its buffer.
std::vector<std::string> ListFields(const char* text, int count) {
    std::vector<std::vector<char>> buffers(static_cast<size_t>(count), std::vector<char>(1024));
    std::vector<char*> pointers;
    for (auto& b : buffers) pointers.push_back(b.data());
    int filled = count;
    ConvertListToArray(text ? text : "", pointers.data(), &filled, 1024);
    std::vector<std::string> out(static_cast<size_t>(count));
    for (int i = 0; i < filled && i < count; ++i) out[static_cast<size_t>(i)] = buffers[static_cast<size_t>(i)].data();
    return out;
}

namespace {

std::vector<std::string> Fields(const char* text, int count) { return ListFields(text, count); }

const char kCell = 0x01, kPart = 0x02;
const char kRowEnd[] = {0x01, 0x05, 0};

std::vector<int> Ids(const std::string& list, int most) {
    std::vector<int> ids(static_cast<size_t>(most));
    int n = most;
    ConvertListToArray(list.c_str(), ids.data(), &n);
    ids.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return ids;
}

// The text of an entry of a list-store slot; null when it has none.
const char* NameIn(int slot, unsigned long id) {
    cListe* list = GetListStore().List(slot);
    cListElement* e = list ? list->GetById(id) : nullptr;
    return e ? static_cast<cTxtElement*>(e)->GetText() : nullptr;
}

std::string Joined(const std::vector<int>& ids, int slot, int fallbackSlot) {
    std::string out;
    for (int id : ids) {
        const char* name = NameIn(slot, static_cast<unsigned long>(id));
        if (!name && fallbackSlot >= 0) name = NameIn(fallbackSlot, static_cast<unsigned long>(id));
        if (!name) continue;
        if (!out.empty()) out += ", ";
        out += name;
    }
    return out;
}

}  // namespace

std::string StationRowText(const char* stationText) {
    std::vector<std::string> f = Fields(stationText, 11);
    std::string row = f[0] + kPart + f[1];
    bk::ScopedLock hold(GetListStore().Lock());
    const char* type = NameIn(LS_STATION_TYPES, strtoul(f[3].c_str(), nullptr, 10));
    const char* country = NameIn(LS_COUNTRIES_LOWER, strtoul(f[4].c_str(), nullptr, 10));
    std::string cells[] = {Joined(Ids(f[2], 20), LS_GENRES_LOWER, LS_GENRES_UPPER),
                           country ? country : " ",
                           Joined(Ids(f[5], 20), LS_LANGUAGES, -1),
                           type ? type : " ",
                           f[6] + " kbit/s",
                           f[7],
                           f[8],
                           f[9],
                           f[10]};
    for (const std::string& c : cells) row += kCell + c;
    return row + kRowEnd;
}

std::string TipRowText(const char* tipText, const char* now, bool* past) {
    std::vector<std::string> f = Fields(tipText, 10);
    bool isPast = false;
    const std::string& when = f[1];
    if (when.size() > 3 && now) {
        // "YYYYMMDDhh" + separator + "mm" against "YYYYMMDDhhmm".
        std::string stamp = when.substr(0, 10) + (when.size() >= 13 ? when.substr(11, 2) : std::string("00"));
        isPast = stamp < std::string(now).substr(0, 12);
    }
    if (past) *past = isPast;
    std::string row = f[7] + kCell + f[3] + kCell + f[2] + kCell + f[0] + kPart + f[1] + kCell + f[4] + kCell + kCell +
                      f[6] + kCell + kCell + kCell + (isPast ? "0" : "1");
    return row + kRowEnd;
}

bool TipPassesFilter(int filter, const std::string& row, const char* tipText, const char* today,
                     const char* tomorrow) {
    if (filter == 1) return !row.empty() && row[0] == '1';
    if (filter != 2 && filter != 3) return true;
    std::vector<std::string> f = Fields(tipText, 10);
    if (f[1].size() <= 8) return false;
    return f[1].compare(0, 8, filter == 2 ? today : tomorrow) == 0;
}

std::string TimerRowText(const cTimerEntry& e) {
    int action = e.GetAction();
    cVLTime t = e.GetWiederholung() ? e.GetNextJobTime() : e.GetStartTime();
    char date[96];
    if (action == 0 || action == 1) {
        cVLTime stop = e.GetStopTime();
        bk::TextFormat(date, sizeof date, "%04d\x02%02d\x02%02d\x02%02d\x02%02d\x02%02d\x02%02d", t.GetYear(),
                       t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(), stop.GetHour(), stop.GetMinute());
    } else {
        bk::TextFormat(date, sizeof date, "%04d\x02%02d\x02%02d\x02%02d\x02%02d", t.GetYear(), t.GetMonth(), t.GetDay(),
                       t.GetHour(), t.GetMinute());
    }
    std::string row = std::string(e.GetName()) + kCell + (action == 0 || action == 1 ? e.GetSendername() : " --- ") +
                      kCell + date + kCell + e.GetWiederholungTxt() + kCell + e.GetStatus();
    for (int n : {action, e.GetLog(), e.GetOK(), e.GetWiederholung()}) row += kCell + std::to_string(n);
    return row + kRowEnd;
}

std::vector<PodcastRow> PodcastRows(cPodcastFeed& feed, bool allEpisodes) {
    std::vector<PodcastRow> rows;
    uint32_t feedRow = PodcastFeedRowId(feed.GetId());
    if (!feedRow && feed.GetId() != 0) return rows;
    int count = feed.GetEpisodeCount();
    int newest = feed.FindNewestEpisode();
    auto lengthText = [&](int index) {
        int seconds = index >= 1 ? feed.CachedEpisodeDuration(index) : -1;
        return seconds > 0 ? cPodcastFeed::DurationText(seconds)
                           : std::string(index >= 1 ? feed.GetEpisodeSizeText(index) : "");
    };
    std::string title = feed.GetTitle(0);
    std::string date = feed.GetEpisodeDate(0);
    std::string length = lengthText(newest);
    std::string description = feed.GetDescription(0);
    std::string category = feed.GetCategory(0);
    rows.push_back({feedRow, title + kCell + date + kCell + length + kCell + description + kCell + category + kRowEnd, 0});
    if (!allEpisodes && !feed.IsExpanded()) return rows;
    std::vector<std::pair<int, int>> order;
    for (int i = 1; i <= count; ++i) order.emplace_back(feed.GetEpisodeDateNumber(i), i);
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& o : order) {
        int i = o.second;
        int status = feed.GetEpisodeStatus(i);
        std::string state = status == 2 || status == 3 || status == 4 || status == 6 || status == 7
                                ? std::string(feed.GetEpisodeStatusText(i))
                                : lengthText(i);
        std::string t = feed.GetTitle(i);
        std::string d = feed.GetEpisodeDate(i);
        std::string desc = feed.GetDescription(i);
        std::string cat = feed.GetCategory(i);
        rows.push_back({PodcastEpisodeRowId(feed.GetId(), i), t + kCell + d + kCell + state + kCell + desc + kCell + cat + kRowEnd, i});
    }
    return rows;
}
