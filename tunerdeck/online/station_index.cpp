#include "station_index.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

#include "user_data_store.h"

void cStationIndex::SplitIds(const std::string& text, std::vector<long>* out) {
    long v = 0;
    bool any = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            v = v * 10 + (c - '0');
            any = true;
            if (v > 0x7fffffffL) v = 0x7fffffffL;
        } else {
            if (any) out->push_back(v);
            v = 0;
            any = false;
        }
    }
    if (any) out->push_back(v);
}

cStationIndex::Stamp cStationIndex::StampOf(cListe* list) {
    Stamp s;
    s.first = list ? list->First() : nullptr;
    s.count = list ? list->GetAnzElement() : 0;
    return s;
}

void cStationIndex::Update(cListe* senders, cListe* channels, cListe* streams) {
    const Stamp se = StampOf(senders), ch = StampOf(channels), st = StampOf(streams);
    if (built_ && se == senders_ && ch == channelsStamp_ && st == streamsStamp_) return;
    senders_ = se;
    channelsStamp_ = ch;
    streamsStamp_ = st;
    built_ = true;
    channels_.clear();
    streams_.clear();
    ids_.clear();
    upperNames_.clear();
    for (Postings* p : {&byGenre_, &byLanguage_, &byRegion_, &byType_, &byCountry_}) p->clear();
    for (Texts& t : texts_) t = Texts();

    std::unordered_map<uint32_t, const cSenderElement*> senderById;
    senderById.reserve(static_cast<size_t>(se.count));
    for (cListElement* e = senders ? senders->First() : nullptr; e; e = e->Next())
        senderById.emplace(static_cast<uint32_t>(e->GetId()), static_cast<const cSenderElement*>(e));

    // Streams grouped by channel id in list order: counted, then placed.
    std::unordered_map<uint32_t, Ids> runs;
    runs.reserve(static_cast<size_t>(ch.count));
    for (cListElement* e = streams ? streams->First() : nullptr; e; e = e->Next())
        ++runs[static_cast<const cStreamElement*>(e)->GetCID()].count;
    uint32_t at = 0;
    for (auto& r : runs) {
        r.second.at = at;
        at += r.second.count;
        r.second.count = 0;
    }
    streams_.resize(at);
    for (cListElement* e = streams ? streams->First() : nullptr; e; e = e->Next()) {
        Ids& r = runs[static_cast<const cStreamElement*>(e)->GetCID()];
        streams_[r.at + r.count++] = static_cast<const cStreamElement*>(e);
    }
    channels_.resize(static_cast<size_t>(ch.count));
    uint32_t pos = 0;
    for (cListElement* e = channels ? channels->First() : nullptr; e; e = e->Next(), ++pos) {
        channels_[pos].channel = static_cast<const cChannelElement*>(e);
        const auto it = runs.find(static_cast<uint32_t>(e->GetId()));
        if (it != runs.end()) {
            channels_[pos].firstStream = it->second.at;
            channels_[pos].streamCount = it->second.count;
        }
    }

    size_t nameBytes = 0;
    for (const Channel& c : channels_) nameBytes += c.channel->N.size() + 1;
    upperNames_.reserve(nameBytes);
    std::vector<long> scratch;
    auto takeIds = [&](const std::string& text, Postings* postings, uint32_t position) {
        scratch.clear();
        SplitIds(text, &scratch);
        Ids r;
        r.at = static_cast<uint32_t>(ids_.size());
        r.count = static_cast<uint32_t>(scratch.size());
        for (size_t i = 0; i < scratch.size(); ++i) {
            ids_.push_back(scratch[i]);
            if (std::find(scratch.begin(), scratch.begin() + static_cast<long>(i), scratch[i]) ==
                scratch.begin() + static_cast<long>(i))
                (*postings)[scratch[i]].push_back(position);
        }
        return r;
    };
    pos = 0;
    for (Channel& c : channels_) {
        const cChannelElement& e = *c.channel;
        const auto sit = senderById.find(e.SID);
        c.sender = sit == senderById.end() ? nullptr : sit->second;
        c.genres = takeIds(e.G, &byGenre_, pos);
        c.languages = takeIds(e.S, &byLanguage_, pos);
        c.regions = takeIds(e.R, &byRegion_, pos);
        c.type = atol(e.T.c_str());
        byType_[c.type].push_back(pos);
        if (c.sender) byCountry_[c.sender->GetL()].push_back(pos);
        c.nameAt = static_cast<uint32_t>(upperNames_.size());
        c.nameLength = static_cast<uint32_t>(e.N.size());
        for (char ch : e.N) upperNames_.push_back(static_cast<char>(Upper(static_cast<unsigned char>(ch))));
        upperNames_.push_back('\0');
        ++pos;
    }
}
