#include "textutil.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchesAt(const char* text, const char* find, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (!text[i] || Lower(text[i]) != Lower(find[i])) return false;
    return true;
}

struct Reference {
    char search[8];
    char byte;
};

// The decode table, in the order the rows are applied: later rows see the
// results of earlier ones ("%2526" becomes "%26" and then "&").
struct ReferenceTable {
    Reference rows[228];
    int count = 0;

    void Add(const char* search, int byte) {
        Reference& r = rows[count++];
        snprintf(r.search, sizeof r.search, "%s", search);
        r.byte = static_cast<char>(byte);
    }

    ReferenceTable() {
        static const Reference kEscapes[] = {
            {"%20", ' '},  {"%21", '!'},  {"%22", '"'},  {"&#x26;", '&'}, {"&#38;", '&'}, {"%26", '&'},
            {"%3C", '<'},  {"%3E", '>'},  {"%23", '#'},  {"%25", '%'},    {"%7B", '{'},   {"%7D", '}'},
            {"%7C", '|'},  {"%5C", '\\'}, {"%5E", '^'},  {"%7E", '~'},    {"%5B", '['},   {"%5D", ']'},
            {"%60", '`'},  {"%24", '$'},  {"%26", '&'},  {"%2B", '+'},    {"%2C", ','},   {"%2F", '/'},
            {"%3A", ':'},  {"%3B", ';'},  {"%3D", '='},  {"%3F", '?'},    {"%40", '@'},
            {"%DF", '\xDF'}, {"%E4", '\xE4'}, {"%F6", '\xF6'}, {"%FC", '\xFC'}, {"%C4", '\xC4'}, {"%DC", '\xDC'},
            {"%D6", '\xD6'},
        };
        for (const Reference& r : kEscapes) Add(r.search, static_cast<unsigned char>(r.byte));
        char search[8];
        for (int v = 160; v <= 255; ++v) {
            snprintf(search, sizeof search, "&#%d;", v);
            Add(search, v == 160 ? ' ' : v);
        }
        for (int v = 0xA0; v <= 0xFF; ++v) {
            snprintf(search, sizeof search, "&#x%02X;", v);
            Add(search, v == 0xA0 ? ' ' : v);
        }
    }
};

}  // namespace

bool IsDeviceName(const char* name) {
    if (!name) return false;
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    size_t base = strcspn(name, ".");
    while (base > 0 && name[base - 1] == ' ') --base;   // "CON .mp3" opens the device too
    for (const char* d : kDevices)
        if (base == 3 && MatchesAt(name, d, 3)) return true;
    if (base == 4 && (MatchesAt(name, "COM", 3) || MatchesAt(name, "LPT", 3)) && name[3] >= '1' && name[3] <= '9')
        return true;
    return false;
}

void StringReplace(char* text, char from, char to) {
    if (!text || from == to) return;
    for (; *text; ++text)
        if (*text == from) *text = to;
}

const char* mystristr(const char* text, const char* find) {
    if (!text || !find) return nullptr;
    size_t n = strlen(find);
    if (n == 0) return text;
    for (; *text; ++text)
        if (MatchesAt(text, find, n)) return text;
    return nullptr;
}

int ReplaceString(char* text, const char* find, const char* with) {
    if (!text || !find || !with) return 0;
    size_t findLen = strlen(find), withLen = strlen(with);
    if (findLen == 0) return 1;
    if (withLen > findLen) return 0;
    // One pass with separate read and write positions: inserted text is
    // never searched again and the text can only shrink.
    char* out = text;
    const char* in = text;
    while (*in) {
        if (MatchesAt(in, find, findLen)) {
            memmove(out, with, withLen);
            out += withLen;
            in += findLen;
        } else {
            *out++ = *in++;
        }
    }
    *out = 0;
    return 1;
}

void DoZeichenersetzung(char* text) {
    if (!text) return;
    static const ReferenceTable table;
    for (int i = 0; i < table.count; ++i) {
        const Reference& r = table.rows[i];
        char with[2] = {r.byte, 0};
        ReplaceString(text, r.search, with);
    }
}

int IsWhiteSpace(char c) { return c == '\n' || c == '\r' || c == ' ' || c == '\t' ? 1 : 0; }

void EnsureFileName(char* name) {
    if (!name) return;
    for (char* p = name; *p; ++p) {
        if (strchr(":/\\?|\"<>*", *p) || static_cast<unsigned char>(*p) < 0x20) *p = '_';
    }
    size_t start = strspn(name, ".");
    size_t len = strlen(name);
    if (start > 0) {
        memmove(name, name + start, len - start + 1);
        len -= start;
    }
    while (len > 0 && (name[len - 1] == '.' || name[len - 1] == ' ')) name[--len] = 0;
    if (IsDeviceName(name)) name[0] = '_';
}

// ---------------------------------------------------------------- lists

void ConvertListToArray(const char* list, int* values, int* count) {
    if (!list || !values || !count) return;
    int max = *count, stored = 0;
    const char* p = list;
    while (*p && stored < max) {
        const char* end = strchr(p, ';');
        size_t len = end ? static_cast<size_t>(end - p) : strlen(p);
        if (len > 0) {
            char field[32];
            bk::TextCopyN(field, sizeof field, p, len);
            // atoi's digits with a sign, kept inside int (atoi itself is
            // undefined past that range)
            long long v = strtoll(field, nullptr, 10);
            values[stored++] = v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
        }
        if (!end) break;
        p = end + 1;
    }
    *count = stored;
}

void ConvertListToArray(const char* list, char** values, int* count, size_t fieldSize) {
    if (!list || !values || !count || fieldSize == 0) return;
    int max = *count, filled = 0, pendingEmpty = 0;
    const char* p = list;
    while (*p && filled < max) {
        const char* end = strchr(p, kListTextSeparator);
        size_t len = end ? static_cast<size_t>(end - p) : strlen(p);
        if (len == 0) {
            ++pendingEmpty;   // counts only when a text follows
        } else {
            for (; pendingEmpty > 0 && filled < max; --pendingEmpty) values[filled++][0] = 0;
            if (filled < max) bk::TextCopyN(values[filled++], fieldSize, p, len);
        }
        if (!end) break;
        p = end + 1;
    }
    *count = filled;
}
