// Build-time generator of the data files that start-up copies into a new
// user folder: the station database (from data/stations.csv, enciphered,
// with its check trailer), the top stations, and empty favourites, lists
// and podcasts. Runs on the build machine; the output depends only on the
// input, so every build writes the same bytes.
//   make_default_data <stations.csv> <output folder>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "player_cipher.h"
#include "rdb_files.h"
#include "station_db.h"

namespace {

// ---------------------------------------------------------------- CSV (RFC 4180)
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false, any = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
            else if (c == '"') quoted = false;
            else field += c;
            continue;
        }
        if (c == '"') quoted = true, any = true;
        else if (c == ',') rows.back().push_back(field), field.clear(), any = true;
        else if (c == '\r') continue;
        else if (c == '\n') {
            if (any || !field.empty()) rows.back().push_back(field);
            field.clear();
            any = false;
            rows.emplace_back();
        } else field += c, any = true;
    }
    if (any || !field.empty()) rows.back().push_back(field);
    while (!rows.empty() && rows.back().empty()) rows.pop_back();
    return rows;
}

// UTF-8 to the player's 8-bit text (Windows-1252); what it cannot show becomes "?".
std::string ToAnsi(const std::string& s) {
    static const std::map<unsigned, unsigned char> extra = {
        {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
        {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
        {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
        {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
        {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        unsigned cp = c, n = 0;
        if (c >= 0xF0) cp = c & 0x07, n = 3;
        else if (c >= 0xE0) cp = c & 0x0F, n = 2;
        else if (c >= 0xC0) cp = c & 0x1F, n = 1;
        ++i;
        for (unsigned k = 0; k < n && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) out += static_cast<char>(cp);
        else if (extra.count(cp)) out += static_cast<char>(extra.at(cp));
        else out += '?';
    }
    return out;
}

std::string Capital(std::string s) {
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

std::vector<std::string> SplitList(const std::string& s) {
    std::vector<std::string> out;
    std::stringstream ss(s);
    std::string part;
    while (std::getline(ss, part, ',')) {
        while (!part.empty() && part[0] == ' ') part.erase(0, 1);
        if (!part.empty()) out.push_back(part);
    }
    return out;
}

struct Country {
    const char* code;
    const char* de;
    const char* en;
    int region;
};
// Regions: 1 Western, 2 Northern, 3 Central, 4 Eastern Europe, 5 North America, 6 Oceania.
const Country kCountries[] = {
    {"DE", "Deutschland", "Germany", 3}, {"AT", "\xD6sterreich", "Austria", 3}, {"CH", "Schweiz", "Switzerland", 3},
    {"GB", "Gro\xDF" "britannien", "United Kingdom", 1}, {"FR", "Frankreich", "France", 1},
    {"NL", "Niederlande", "Netherlands", 1}, {"BE", "Belgien", "Belgium", 1}, {"US", "USA", "USA", 5},
    {"DK", "D\xE4nemark", "Denmark", 2}, {"SE", "Schweden", "Sweden", 2}, {"NO", "Norwegen", "Norway", 2},
    {"EE", "Estland", "Estonia", 2}, {"PL", "Polen", "Poland", 4}, {"CZ", "Tschechien", "Czechia", 4},
    {"SK", "Slowakei", "Slovakia", 4}, {"AU", "Australien", "Australia", 6},
    {"NZ", "Neuseeland", "New Zealand", 6}};
const char* const kRegionsDe[] = {"", "Westeuropa", "Nordeuropa", "Mitteleuropa", "Osteuropa", "Nordamerika", "Ozeanien"};
const char* const kRegionsEn[] = {"", "Western Europe", "Northern Europe", "Central Europe", "Eastern Europe",
                                  "North America", "Oceania"};
int ContinentOfRegion(int r) { return r <= 4 ? 1 : r == 5 ? 2 : 3; }
const char* const kContinentsDe[] = {"", "Europa", "Nordamerika", "Ozeanien"};
const char* const kContinentsEn[] = {"", "Europe", "North America", "Oceania"};

const std::map<std::string, std::string> kLanguageDe = {
    {"german", "Deutsch"}, {"english", "Englisch"}, {"french", "Franz\xF6sisch"}, {"dutch", "Niederl\xE4ndisch"},
    {"danish", "D\xE4nisch"}, {"swedish", "Schwedisch"}, {"norwegian", "Norwegisch"}, {"polish", "Polnisch"},
    {"czech", "Tschechisch"}, {"slovak", "Slowakisch"}, {"estonian", "Estnisch"}, {"spanish", "Spanisch"},
    {"italian", "Italienisch"}, {"romansh", "R\xE4toromanisch"}, {"flemish", "Fl\xE4misch"}, {"maori", "Maori"}};

// Top genres by a word in the genre.
struct Top {
    const char* de;
    const char* en;
    std::vector<const char*> words;
};
const Top kTops[] = {
    {"Pop", "Pop", {"pop", "80", "90", "00", "hits", "chart", "top", "disco", "oldie", "schlager"}},
    {"Rock", "Rock", {"rock", "metal", "punk", "grunge", "indie", "alternative"}},
    {"Elektronisch", "Electronic", {"electr", "dance", "house", "techno", "trance", "ambient", "chill", "lounge", "edm", "drum", "dub"}},
    {"Jazz und Blues", "Jazz and blues", {"jazz", "blues", "soul", "funk", "r&b", "swing"}},
    {"Klassik", "Classical", {"classic", "baroque", "opera"}},
    {"Wort und Nachrichten", "Talk and news", {"news", "talk", "info", "culture", "kultur", "public", "spoken"}},
    {"Sonstiges", "Other", {}}};

int TopOf(const std::string& genre) {
    for (size_t t = 0; t + 1 < sizeof kTops / sizeof kTops[0]; ++t)
        for (const char* w : kTops[t].words)
            if (genre.find(w) != std::string::npos) return static_cast<int>(t) + 1;
    return static_cast<int>(sizeof kTops / sizeof kTops[0]);
}

template <typename T>
std::string Join(const std::vector<T>& v) {
    std::string s;
    for (const T& x : v) s += (s.empty() ? "" : ";") + std::to_string(x);
    return s;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s stations.csv output-folder\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    auto rows = ReadCsv(ss.str());
    if (rows.size() < 2) {
        fprintf(stderr, "no stations in %s\n", argv[1]);
        return 1;
    }
    std::map<std::string, int> col;
    for (size_t i = 0; i < rows[0].size(); ++i) col[rows[0][i]] = static_cast<int>(i);
    for (const char* need : {"name", "stream_url", "codec", "bitrate_kbps", "country_code", "language", "genre", "homepage"})
        if (!col.count(need)) {
            fprintf(stderr, "column %s missing\n", need);
            return 1;
        }

    cStationDbDoc db;
    db.lists[kCatTyp].push_back({1, "Musik und Wort", "Music and talk", 0});
    for (int r = 1; r <= 6; ++r) db.lists[kCatRegion].push_back({r, kRegionsDe[r], kRegionsEn[r], ContinentOfRegion(r)});
    for (int c = 1; c <= 3; ++c) db.lists[kCatKontinente].push_back({c, kContinentsDe[c], kContinentsEn[c], 0});
    for (size_t t = 0; t < sizeof kTops / sizeof kTops[0]; ++t)
        db.lists[kCatTopGenre].push_back({static_cast<int>(t) + 1, kTops[t].de, kTops[t].en, 0});

    std::map<std::string, int> genreIds, languageIds, countryIds, stationOf;
    auto idFor = [&](std::map<std::string, int>& ids, int kind, const std::string& key, const std::string& de,
                     const std::string& en, int pid) {
        auto it = ids.find(key);
        if (it != ids.end()) return it->second;
        int id = static_cast<int>(ids.size()) + 1;
        ids[key] = id;
        db.lists[kind].push_back({id, de, en, pid});
        return id;
    };

    int extraStream = 100000;
    for (size_t r = 1; r < rows.size(); ++r) {
        auto& row = rows[r];
        if (row.size() < rows[0].size()) continue;
        auto get = [&](const char* c) { return ToAnsi(row[col[c]]); };
        std::string name = get("name");
        std::string key;
        for (char ch : name) key += static_cast<char>(tolower(static_cast<unsigned char>(ch)));
        int id;
        if (stationOf.count(key)) {
            id = stationOf[key];
        } else {
            id = static_cast<int>(stationOf.size()) + 1;
            stationOf[key] = id;
            const Country* country = nullptr;
            for (const Country& c : kCountries)
                if (get("country_code") == c.code) country = &c;
            int countryId = 0, region = 0;
            if (country) {
                region = country->region;
                countryId = idFor(countryIds, kCatLand, country->code, country->de, country->en,
                                  ContinentOfRegion(region));
            }
            std::vector<int> langs, genres;
            for (const std::string& l : SplitList(get("language"))) {
                std::string de = kLanguageDe.count(l) ? kLanguageDe.at(l) : Capital(l);
                langs.push_back(idFor(languageIds, kCatSprache, l, de, Capital(l), 0));
            }
            std::vector<std::string> genreNames = SplitList(get("genre"));
            for (const std::string& g : genreNames)
                genres.push_back(idFor(genreIds, kCatGenre, g, Capital(g), Capital(g), TopOf(g)));

            std::unique_ptr<cSenderDoc> se(new cSenderDoc);
            se->N = name;
            se->Id = std::to_string(id);
            se->U = get("homepage");
            se->T = "1";
            se->L = std::to_string(countryId);
            db.senders.push_back(std::move(se));

            std::string genreText;
            for (const std::string& g : genreNames) genreText += (genreText.empty() ? "" : ", ") + g;
            std::unique_ptr<cChannelDoc> ch(new cChannelDoc);
            ch->N = name;
            ch->Id = std::to_string(id);
            ch->SID = std::to_string(id);
            ch->S = Join(langs);
            ch->G = Join(genres);
            ch->Tx = std::string("Internetradio") + (country ? std::string(" aus ") + country->de : "") +
                     (genreText.empty() ? "" : " (" + genreText + ")");
            ch->Tx_ENG = std::string("Internet radio") + (country ? std::string(" from ") + country->en : "") +
                         (genreText.empty() ? "" : " (" + genreText + ")");
            ch->R = region ? std::to_string(region) : "";
            ch->T = "1";
            ch->D = "20260822";
            db.channels.push_back(std::move(ch));
        }
        std::unique_ptr<cStreamDoc> st(new cStreamDoc);
        bool first = true;
        for (const auto& s : db.streams)
            if (s->CID == static_cast<uint32_t>(id)) first = false;
        st->Id = first ? static_cast<uint32_t>(id) : static_cast<uint32_t>(++extraStream);
        st->CID = static_cast<uint32_t>(id);
        st->U = get("stream_url");
        // Stream types of the player: 1 RealAudio, 2 Windows Media, 3 MP3.
        st->F = get("codec") == "MP3" ? 3 : 2;
        st->Q = atoi(get("bitrate_kbps").c_str());
        st->D = 0;
        db.streams.push_back(std::move(st));
    }

    std::string folder = argv[2];
    std::string radiodb = db.Write();
    AppendCrc16(&radiodb);
    std::vector<uint32_t> tops;
    for (uint32_t i = 1; i <= 10 && i <= db.senders.size(); ++i) tops.push_back(i);
    std::string radiott = SerializeTopStations(tops);
    AppendCrc16(&radiott);
    std::string radiofa = SerializeFavorites({});
    AppendCrc16(&radiofa);
    std::string radioli = SerializeListFolders({});
    AppendCrc16(&radioli);
    bool ok = WriteFile(folder + "/radiodb.rdb", radiodb) && WriteFile(folder + "/radiott.rdb", radiott) &&
              WriteFile(folder + "/radiofa.rdb", radiofa) && WriteFile(folder + "/radioli.rdb", radioli) &&
              WriteFile(folder + "/radiopod.rdb", SerializePodcasts({}));
    if (!ok) {
        fprintf(stderr, "cannot write into %s\n", folder.c_str());
        return 1;
    }
    printf("default data: %zu stations, %zu streams\n", db.senders.size(), db.streams.size());
    return 0;
}
