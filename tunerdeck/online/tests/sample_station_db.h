// A station database of the shape the server delivers, with `stations`
// stations of one channel and one stream each: for the store's tests and
// benchmark and the native model of its load.
#pragma once

#include <memory>
#include <string>

#include "station_db.h"

inline std::unique_ptr<cStationDbDoc> MakeSampleStationDb(int stations, bool withLanguage = true) {
    auto db = std::make_unique<cStationDbDoc>();
    for (int i = 1; i <= stations; ++i) {
        auto se = std::make_unique<cSenderDoc>();
        se->N = "Station " + std::to_string(i);
        se->Id = std::to_string(i);
        se->U = "http://station" + std::to_string(i) + ".example/";
        se->T = "1";
        se->L = std::to_string(i % 40);
        db->senders.push_back(std::move(se));
        auto ch = std::make_unique<cChannelDoc>();
        ch->N = "Station " + std::to_string(i);
        ch->Id = std::to_string(i);
        ch->SID = std::to_string(i);
        ch->S = "1";
        ch->G = std::to_string(i % 50) + ";" + std::to_string(i % 7);
        ch->Tx = "Ein Sender mit Musik und Nachrichten aus der Region";
        ch->Tx_ENG = "A station with music and news from the region";
        ch->R = "3";
        ch->T = "1";
        ch->D = "20261201";
        db->channels.push_back(std::move(ch));
        auto st = std::make_unique<cStreamDoc>();
        st->Id = static_cast<uint32_t>(i);
        st->CID = static_cast<uint32_t>(i);
        st->U = "http://stream" + std::to_string(i) + ".example/live.mp3?a=1&b=2";
        st->F = 3;
        st->Q = 128;
        db->streams.push_back(std::move(st));
    }
    if (withLanguage) db->lists[kCatSprache].push_back({1, "Deutsch", "German", 0});
    db->lists[kCatGenre].push_back({1, "Rock", "Rock", 1});
    return db;
}
