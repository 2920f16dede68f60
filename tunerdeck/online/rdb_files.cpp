#include "rdb_files.h"

#include <algorithm>
#include <cstring>

#include "player_cipher.h"
#include "xml_core.h"

namespace {

// Eight bytes per step (a database file is megabytes): t[k][b] is what byte
// b contributes when k more bytes follow it, so the eight lookups of a step
// do not wait for each other.
struct CrcTable {
    uint16_t t[8][256];
    CrcTable() {
        for (int i = 0; i < 256; ++i) {
            uint16_t c = static_cast<uint16_t>(i << 8);
            for (int b = 0; b < 8; ++b) c = static_cast<uint16_t>((c & 0x8000) ? (c << 1) ^ 0x1021 : c << 1);
            t[0][i] = c;
        }
        for (int k = 1; k < 8; ++k)
            for (int i = 0; i < 256; ++i)
                t[k][i] = static_cast<uint16_t>((t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 8]);
    }
};

uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void PutLe32(std::string* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(v >> (8 * i)));
}

// One (id, value, name) entry at *at; false when it runs past the end.
bool ReadListEntry(const unsigned char* data, size_t size, size_t* at, NamedValue* out) {
    if (size - *at < 8) return false;
    out->id = Le32(data + *at);
    out->value = static_cast<int32_t>(Le32(data + *at + 4));
    size_t p = *at + 8;
    const void* zero = memchr(data + p, 0, size - p);
    if (!zero) return false;
    size_t len = static_cast<const unsigned char*>(zero) - (data + p);
    out->name.assign(reinterpret_cast<const char*>(data + p), len < kMaxListName ? len : kMaxListName);
    *at = p + len + 1;
    return true;
}

std::vector<NamedValue> ParseEntries(const char* text, size_t size, const char* mark, bool counter) {
    std::vector<NamedValue> out;
    if (!text) return out;
    std::string doc(text, strnlen(text, size));
    size_t pos = 0;
    std::string entry;
    size_t markLen = strlen(mark);
    while (NextElementText(doc, "entry", &entry, &pos)) {
        NamedValue nv;
        nv.id = static_cast<uint32_t>(out.size());
        size_t cut = entry.find(mark);
        if (cut == std::string::npos) {
            nv.name = entry;
            nv.value = counter ? 1 : 0;
        } else {
            nv.name = entry.substr(0, cut);
            std::string rest = entry.substr(cut + markLen);
            nv.value = counter ? XmlToInt(rest) : (!rest.empty() && rest[0] == '1' ? 1 : 0);
        }
        out.push_back(std::move(nv));
    }
    return out;
}

}  // namespace

uint16_t CalcCrc16(const unsigned char* data, size_t size) { return UpdateCrc16(0, data, size); }

uint16_t UpdateCrc16(uint16_t crc, const unsigned char* data, size_t size) {
    static const CrcTable table;
    const auto& t = table.t;
    size_t i = 0;
    for (; size - i >= 8; i += 8) {
        const unsigned char* b = data + i;
        crc = static_cast<uint16_t>(t[7][(crc >> 8) ^ b[0]] ^ t[6][(crc & 0xFF) ^ b[1]] ^ t[5][b[2]] ^ t[4][b[3]] ^
                                    t[3][b[4]] ^ t[2][b[5]] ^ t[1][b[6]] ^ t[0][b[7]]);
    }
    for (; i < size; ++i) crc = static_cast<uint16_t>((crc << 8) ^ t[0][((crc >> 8) ^ data[i]) & 0xFF]);
    return crc;
}

void AppendCrc16(std::string* content) {
    uint16_t crc = CalcCrc16(reinterpret_cast<const unsigned char*>(content->data()), content->size());
    content->push_back(static_cast<char>(crc & 0xFF));
    content->push_back(static_cast<char>(crc >> 8));
}

bool CheckCrc16(const unsigned char* data, size_t* size) {
    if (!data || !size || *size <= 2) return false;
    size_t n = *size - 2;
    uint16_t stored = static_cast<uint16_t>(data[n] | (data[n + 1] << 8));
    if (CalcCrc16(data, n) != stored) return false;
    *size = n;
    return true;
}

std::vector<FavoriteEntry> ParseFavorites(const unsigned char* data, size_t size) {
    std::vector<FavoriteEntry> out;
    if (!data || size < 4) return out;
    if (Le32(data) == kFavoritesMarker) {
        for (size_t at = 4; size - at >= 8; at += 8) out.push_back({Le32(data + at), Le32(data + at + 4)});
    } else {
        for (size_t at = 0; size - at >= 4; at += 4) out.push_back({Le32(data + at), 0});
    }
    return out;
}

std::string SerializeFavorites(const std::vector<FavoriteEntry>& list) {
    std::string out;
    PutLe32(&out, kFavoritesMarker);
    for (const FavoriteEntry& f : list) {
        PutLe32(&out, f.id);
        PutLe32(&out, f.folder);
    }
    return out;
}

std::vector<uint32_t> ParseTopStations(const unsigned char* data, size_t size) {
    std::vector<uint32_t> out;
    for (size_t at = 0; data && size - at >= 4; at += 4) out.push_back(Le32(data + at));
    return out;
}

std::string SerializeTopStations(const std::vector<uint32_t>& ids) {
    std::string out;
    for (uint32_t id : ids) PutLe32(&out, id);
    return out;
}

std::vector<NamedValue> ParseListFolders(const unsigned char* data, size_t size) {
    std::vector<NamedValue> out;
    if (!data || size < 4) return out;
    uint32_t marker = Le32(data);
    size_t at = 4;
    if (marker == kListsMarker) {
        // The "|" closes the list; it is not skipped in front of an entry,
        // whose id may well begin with the byte 0x7C (list 124).
        while (at < size) {
            size_t rest = at;
            while (rest < size && data[rest] == '|') ++rest;
            if (rest == size) break;
            NamedValue nv;
            if (!ReadListEntry(data, size, &at, &nv)) break;
            out.push_back(std::move(nv));
        }
    } else if (marker == kFavoritesMarker) {
        // Older layout: sections separated by "|"; one entry stands behind
        // the fifth separator.
        int separators = 0;
        for (; at < size && separators <= 14; ++at) {
            if (data[at] != '|') continue;
            if (++separators == 5) {
                size_t p = at + 1;
                NamedValue nv;
                if (ReadListEntry(data, size, &p, &nv)) out.push_back(std::move(nv));
                break;
            }
        }
    }
    return out;
}

std::string SerializeListFolders(const std::vector<NamedValue>& lists) {
    std::string out;
    PutLe32(&out, kListsMarker);
    for (const NamedValue& nv : lists) {
        PutLe32(&out, nv.id);
        PutLe32(&out, static_cast<uint32_t>(nv.value));
        std::string name = nv.name.substr(0, kMaxListName);
        name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
        out += name;
        out.push_back('\0');
    }
    out.push_back('|');
    return out;
}

std::vector<NamedValue> ParsePodcasts(const char* text, size_t size) { return ParseEntries(text, size, "#ABO:", false); }
std::vector<NamedValue> ParseFileCounter(const char* text, size_t size) {
    return ParseEntries(text, size, "#COUNT:", true);
}

std::string SerializePodcasts(const std::vector<NamedValue>& podcasts) {
    std::string out = "<?xml version=\"1.0\"?><Podcasts>\r\n";
    for (const NamedValue& p : podcasts) out += "<entry>" + p.name + (p.value == 1 ? "#ABO:1" : "#ABO:0") + "</entry>\r\n";
    return out + "</Podcasts>";
}

std::string SerializeFileCounter(const std::vector<NamedValue>& entries) {
    std::string out = "<?xml version=\"1.0\"?><Filecounter>\r\n";
    for (const NamedValue& e : entries) out += "<entry>" + e.name + "#COUNT:" + std::to_string(e.value) + "</entry>\r\n";
    return out + "</Filecounter>";
}

bool HoldsPlainStationDbMark(const char* data, size_t size) {
    static const char kPlain[] = "<?xml version";
    static_assert(sizeof kPlain - 1 == kPlainStationDbMarkLength, "the mark's length");
    for (const char* p = data; p;) {
        p = static_cast<const char*>(memchr(p, '<', size - static_cast<size_t>(p - data)));
        if (!p || size - static_cast<size_t>(p - data) < kPlainStationDbMarkLength) return false;
        if (memcmp(p, kPlain, kPlainStationDbMarkLength) == 0) return true;
        ++p;
    }
    return false;
}

void DecodeStationDbText(std::string* content) {
    if (!content || content->empty()) return;
    if (!HoldsPlainStationDbMark(content->data(), content->size())) {
        content->resize(RoundUpTo8(content->size()), '\0');
        DecipherInPlace(reinterpret_cast<unsigned char*>(&(*content)[0]), content->size());
    }
    const size_t zero = content->find('\0');
    if (zero != std::string::npos) content->resize(zero);
}

std::string DecodeStationDbFile(const unsigned char* data, size_t size) {
    if (!data || size == 0) return std::string();
    std::string text(reinterpret_cast<const char*>(data), size);
    DecodeStationDbText(&text);
    return text;
}
