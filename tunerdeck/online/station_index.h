// The station database arranged for searching: per channel its station, its
// streams and its category ids already taken apart, and per category value
// the channels that carry it. Built in one pass over the three lists, once
// per database load; it points into the lists, so it is read only while the
// station locks are held.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class cListe;
class cSenderElement;
class cChannelElement;
class cStreamElement;

class cStationIndex {
public:
    // A run of ids in `ids`.
    struct Ids {
        uint32_t at = 0, count = 0;
    };
    struct Channel {
        const cChannelElement* channel = nullptr;
        const cSenderElement* sender = nullptr;   // null when the station is unknown
        uint32_t firstStream = 0, streamCount = 0;
        Ids genres, languages, regions;
        long type = 0;                             // the type text as atol reads it
        uint32_t nameAt = 0, nameLength = 0;       // in upperNames
    };
    using Postings = std::unordered_map<long, std::vector<uint32_t>>;

    // Rebuilds when invalidated or when the lists are not the ones it was
    // built from (a caller filled them by hand).
    void Update(cListe* senders, cListe* channels, cListe* streams);
    // A load replaced the lists.
    void Invalidate() { built_ = false; }

    const std::vector<Channel>& Channels() const { return channels_; }
    const cStreamElement* const* StreamsOf(const Channel& c) const { return streams_.data() + c.firstStream; }
    const long* IdsOf(Ids r) const { return ids_.data() + r.at; }
    const char* UpperNames() const { return upperNames_.data(); }

    // Channel positions (ascending) of each value; a channel listed once per value.
    const Postings& ByGenre() const { return byGenre_; }
    const Postings& ByLanguage() const { return byLanguage_; }
    const Postings& ByRegion() const { return byRegion_; }
    const Postings& ByType() const { return byType_; }
    const Postings& ByCountry() const { return byCountry_; }

    // Texts a user of the index keeps per channel (one set per slot, such
    // as a language), made on first use and dropped when the index is
    // rebuilt: the text of channel i starts at bytes[at[i]], zero-ended.
    // `key` names what else they were made from; the user makes them anew
    // when that has changed.
    struct Texts {
        std::string key;
        std::string bytes;
        std::vector<uint32_t> at;
    };
    Texts& CachedTexts(int slot) { return texts_[slot == 1 ? 1 : 0]; }

    // The ids of a list text ("10;11"): runs of digits, each saturating at
    // 0x7fffffff; anything else separates.
    static void SplitIds(const std::string& text, std::vector<long>* out);
    // Letters to upper case, Windows-1252 accented ones included.
    static unsigned char Upper(unsigned char c) {
        if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
        if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
        return c;
    }

private:
    struct Stamp {
        const void* first = nullptr;
        int count = -1;
        bool operator==(const Stamp& o) const { return first == o.first && count == o.count; }
    };
    static Stamp StampOf(cListe* list);

    Stamp senders_, channelsStamp_, streamsStamp_;
    bool built_ = false;
    std::vector<Channel> channels_;
    std::vector<const cStreamElement*> streams_;
    std::vector<long> ids_;
    std::string upperNames_;
    Postings byGenre_, byLanguage_, byRegion_, byType_, byCountry_;
    Texts texts_[2];
};
