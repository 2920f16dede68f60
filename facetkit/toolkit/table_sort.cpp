// Sorting a table's column at directory size. Asking the locale about every
// pair of texts (a million pairs for 60,000 lines) takes seconds under
// Wine; instead each text gets a key once and the keys are sorted.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "table_grid.h"

namespace {

enum { kMaxCodes = 8 };

// The first level of the user locale's order, one byte per weight: what a
// character weighs is read once from the system's sort key of that
// character alone, and a text's first level is its characters' weights in
// turn. Texts whose first levels tie are ordered by the locale itself.
struct Collation {
    bool usable = false;
    uint8_t length[256] = {};
    uint8_t codes[256][kMaxCodes] = {};
};

// The first-level part of a sort key: the bytes before its first 0x01.
int FirstLevel(const char* text, int length, BYTE* out, int size) {
    BYTE key[256];
    int n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, length, reinterpret_cast<char*>(key), sizeof key);
    int p = 0;
    while (p < n && key[p] != 0x01) ++p;
    if (n <= 0 || p == n || p > size) return -1;
    memcpy(out, key, static_cast<size_t>(p));
    return p;
}

Collation MakeCollation() {
    Collation c;
    CPINFO info = {};
    // Characters of more than one byte would need the code page's own walk.
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1) return c;
    BYTE weights[256][2 * kMaxCodes] = {};
    int lengths[256] = {};
    std::vector<uint16_t> units;
    for (int b = 1; b < 256; ++b) {
        char ch = static_cast<char>(b);
        lengths[b] = FirstLevel(&ch, 1, weights[b], sizeof weights[b]);
        if (lengths[b] < 0 || lengths[b] % 2) return c;
        for (int i = 0; i < lengths[b]; i += 2) {
            // A weight's first byte must lie above the level mark, so that a
            // text that is the start of another sorts before it.
            if (weights[b][i] <= 0x01) return c;
            units.push_back(static_cast<uint16_t>(weights[b][i] << 8 | weights[b][i + 1]));
        }
    }
    std::sort(units.begin(), units.end());
    units.erase(std::unique(units.begin(), units.end()), units.end());
    if (units.size() > 255) return c;
    for (int b = 1; b < 256; ++b) {
        c.length[b] = static_cast<uint8_t>(lengths[b] / 2);
        for (int i = 0; i < lengths[b]; i += 2) {
            uint16_t unit = static_cast<uint16_t>(weights[b][i] << 8 | weights[b][i + 1]);
            c.codes[b][i / 2] = static_cast<uint8_t>(std::lower_bound(units.begin(), units.end(), unit) - units.begin() + 1);
        }
    }
    // A language in which two letters weigh as one ("ch", "ll") is not the
    // sum of its characters: it keeps the full keys.
    for (char a = 'a'; a <= 'z'; ++a)
        for (char b = 'a'; b <= 'z'; ++b) {
            char pair[2] = {a, b};
            BYTE got[4 * kMaxCodes];
            int n = FirstLevel(pair, 2, got, sizeof got);
            int la = lengths[static_cast<unsigned char>(a)], lb = lengths[static_cast<unsigned char>(b)];
            if (n != la + lb || memcmp(got, weights[static_cast<unsigned char>(a)], static_cast<size_t>(la)) != 0 ||
                memcmp(got + la, weights[static_cast<unsigned char>(b)], static_cast<size_t>(lb)) != 0)
                return c;
        }
    c.usable = true;
    return c;
}

const Collation& UserCollation() {
    static const Collation collation = MakeCollation();
    return collation;
}

struct Item {
    uint64_t k0, k1;   // the first 16 bytes of the key past what all keys share
    uint32_t offset, length;
    uint32_t row;
    uint32_t missing;
};

uint64_t Word(const uint8_t* p, uint32_t length, uint32_t from) {
    uint64_t w = 0;
    for (uint32_t i = 0; i < 8; ++i) w = w << 8 | (from + i < length ? p[from + i] : 0);
    return w;
}

}  // namespace

void SortColumnTexts(const std::vector<const char*>& texts, const std::vector<uint32_t>& lengths, int numeric,
                     int descending, std::vector<uint32_t>* order) {
    if (!order) return;
    const size_t n = texts.size();
    const Collation& collation = UserCollation();
    const bool firstLevel = !numeric && collation.usable;
    std::vector<Item> items(n);
    std::vector<uint8_t> keys;
    if (!numeric) keys.reserve(n * 24);
    for (size_t i = 0; i < n; ++i) {
        Item& item = items[i];
        item.row = static_cast<uint32_t>(i);
        item.missing = texts[i] ? 0 : 1;
        item.k0 = item.k1 = 0;
        item.offset = static_cast<uint32_t>(keys.size());
        item.length = 0;
        if (!texts[i]) continue;
        if (numeric) {
            item.k0 = static_cast<uint64_t>(static_cast<int64_t>(atoi(texts[i]))) ^ (1ull << 63);
            continue;
        }
        const unsigned char* t = reinterpret_cast<const unsigned char*>(texts[i]);
        if (firstLevel) {
            for (uint32_t p = 0; p < lengths[i]; ++p) {
                const unsigned char ch = t[p];
                for (int k = 0; k < collation.length[ch]; ++k) keys.push_back(collation.codes[ch][k]);
            }
        } else if (lengths[i] > 0) {
            int size = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, texts[i], static_cast<int>(lengths[i]), nullptr, 0);
            if (size > 0) {
                keys.resize(item.offset + static_cast<size_t>(size));
                LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, texts[i], static_cast<int>(lengths[i]),
                             reinterpret_cast<char*>(keys.data() + item.offset), size);
            }
        }
        item.length = static_cast<uint32_t>(keys.size()) - item.offset;
    }
    // What every key starts with decides nothing: the quick words start past it.
    uint32_t shared = UINT32_MAX;
    const Item* firstPresent = nullptr;
    for (const Item& item : items) {
        if (item.missing) continue;
        if (!firstPresent) {
            firstPresent = &item;
            shared = item.length;
            continue;
        }
        uint32_t limit = std::min(shared, item.length), s = 0;
        const uint8_t *a = keys.data() + firstPresent->offset, *b = keys.data() + item.offset;
        while (s < limit && a[s] == b[s]) ++s;
        shared = s;
    }
    if (!numeric && firstPresent) {
        for (Item& item : items) {
            if (item.missing) continue;
            item.k0 = Word(keys.data() + item.offset, item.length, shared);
            item.k1 = Word(keys.data() + item.offset, item.length, shared + 8);
        }
    }
    const uint8_t* base = keys.data();
    auto compare = [&](const Item& a, const Item& b) -> int {
        if (a.missing || b.missing) return a.missing == b.missing ? 0 : (a.missing ? -1 : 1);
        if (a.k0 != b.k0) return a.k0 < b.k0 ? -1 : 1;
        if (a.k1 != b.k1) return a.k1 < b.k1 ? -1 : 1;
        if (numeric) return 0;
        uint32_t common = std::min(a.length, b.length);
        if (common > shared) {
            int r = memcmp(base + a.offset + shared, base + b.offset + shared, common - shared);
            if (r) return r < 0 ? -1 : 1;
        }
        if (a.length != b.length) return a.length < b.length ? -1 : 1;
        if (!firstLevel) return 0;
        int r = CompareStringA(LOCALE_USER_DEFAULT, 0, texts[a.row], static_cast<int>(lengths[a.row]), texts[b.row],
                               static_cast<int>(lengths[b.row]));
        return r == 0 ? 0 : r - 2;
    };
    // Equal texts keep their previous order, in either direction.
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        int r = descending == 1 ? compare(b, a) : compare(a, b);
        return r != 0 ? r < 0 : a.row < b.row;
    });
    order->resize(n);
    for (size_t i = 0; i < n; ++i) (*order)[i] = items[i].row;
}
