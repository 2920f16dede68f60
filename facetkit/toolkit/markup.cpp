#include "markup.h"

#include <cstring>

namespace markup {

namespace {

bool StartsWith(const char* p, const char* end, const char* word) {
    size_t n = strlen(word);
    return p <= end && static_cast<size_t>(end - p) >= n && memcmp(p, word, n) == 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

// Reads a decimal number as atoi does (blanks, sign, digits), saturated and
// never beyond end.
int ReadNumber(const char* p, const char* end) {
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')) ++p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    long long value = 0;
    while (p < end && *p >= '0' && *p <= '9') {
        value = value * 10 + (*p++ - '0');
        if (value > 1000000) value = 1000000;
    }
    return static_cast<int>(negative ? -value : value);
}

const char* FindClose(const char* p, const char* end) {
    const void* hit = memchr(p, '>', static_cast<size_t>(end - p));
    return static_cast<const char*>(hit);
}

}  // namespace

void ResetRuns(Run* runs, int count) {
    for (int i = 0; i < count; ++i) {
        runs[i].font = FONT_BIG_BOLD;
        runs[i].colour = 0;
        runs[i].text[0] = 0;
        runs[i].height = kDefaultHeight;
        runs[i].centre = 0;
    }
}

int Parse(const char* text, size_t length, Run* runs, int maxRuns) {
    if (!runs || maxRuns < 1) return 0;
    ResetRuns(runs, maxRuns);
    if (!text) return 1;
    size_t n = 0;
    while (n < length && n < kRawText - 1 && text[n]) ++n;
    const char* p = text;
    const char* end = text + n;

    Attributes a;
    int current = 0;
    bool started = false;
    size_t used = 0;   // characters in the current run
    auto appendChar = [&]() {
        if (used < kRunText - 1) {
            runs[current].text[used++] = *p;
            runs[current].text[used] = 0;
        }
        started = true;
        ++p;
    };
    while (p < end) {
        if (*p != '<') {
            appendChar();
            continue;
        }
        enum { NONE, COLOUR, FONT, HEIGHT, CLOSE_COLOUR, CLOSE_FONT, CLOSE_HEIGHT, CENTRE, CENTRE_OFF } kind = NONE;
        if (StartsWith(p, end, "<color ="))
            kind = COLOUR;
        else if (StartsWith(p, end, "<font ="))
            kind = FONT;
        else if (StartsWith(p, end, "<height ="))
            kind = HEIGHT;
        else if (StartsWith(p, end, "</color>"))
            kind = CLOSE_COLOUR;
        else if (StartsWith(p, end, "</font>"))
            kind = CLOSE_FONT;
        else if (StartsWith(p, end, "</height>"))
            kind = CLOSE_HEIGHT;
        else if (StartsWith(p, end, "<center>"))
            kind = CENTRE;
        else if (StartsWith(p, end, "</center>"))
            kind = CENTRE_OFF;
        if (kind == NONE) {
            appendChar();
            continue;
        }

        const char* close = FindClose(p, end);
        switch (kind) {
        case COLOUR:
            // The six characters before ">"; the tag's own eight characters
            // come first, so they never start before it.
            if (close) {
                uint32_t value = 0;
                for (const char* d = close - 6; d < close; ++d) value = (value << 4) | static_cast<uint32_t>(HexDigit(*d));
                a.colour = value;
            }
            break;
        case FONT: {
            const char* name = p + 8;
            if (StartsWith(name, end, "FONT_BIG_BOLD"))
                a.font = FONT_BIG_BOLD;
            else if (StartsWith(name, end, "FONT_BIG"))
                a.font = FONT_BIG;
            else if (StartsWith(name, end, "FONT_SMALL_BOLD"))
                a.font = FONT_SMALL_BOLD;
            else if (StartsWith(name, end, "FONT_SMALL"))
                a.font = FONT_SMALL;
            else
                a.font = FONT_BIG_BOLD;
            break;
        }
        case HEIGHT: {
            int h = p + 10 <= end ? ReadNumber(p + 10, end) : a.height;
            a.height = h < 0 ? 0 : (h > kMaxHeight ? kMaxHeight : h);
            break;
        }
        case CLOSE_COLOUR: a.colour = 0; break;
        case CLOSE_FONT: a.font = FONT_BIG; break;
        case CLOSE_HEIGHT: a.height = kDefaultHeight; break;
        case CENTRE: a.centre = 1; break;
        case CENTRE_OFF: a.centre = 0; break;
        default: break;
        }

        // A run that already has text keeps its attributes; the tag opens
        // the next one. Past the last record the text stays in the last.
        if (started && current + 1 < maxRuns) {
            ++current;
            used = 0;
        }
        if (!started || used == 0) {
            runs[current].font = a.font;
            runs[current].colour = a.colour;
            runs[current].height = a.height;
            runs[current].centre = a.centre;
            started = false;
        }
        p = close ? close + 1 : p + 1;
    }
    return current + 1;
}

int BreakLines(const char* text, size_t length, int available, MeasureFn measure, void* context, LineSpan* out,
               int maxLines) {
    if (!out || maxLines < 1 || !measure) return 0;
    if (!text) length = 0;
    const size_t e = length;
    size_t s = 0;
    int count = 0;
    auto isBreak = [](char c) { return c == ' ' || c == '_' || c == '-'; };
    while (s <= e && count < maxLines) {
        size_t p = s;
        bool haveFit = false;
        size_t fit = 0;
        for (;;) {
            while (p < e && !isBreak(text[p]) && text[p] != '\n') ++p;
            int width = measure(context, text + s, p - s);
            if (width < available) {
                haveFit = true;
                fit = p;
                if (p == e || text[p] == '\n') break;
                ++p;   // over the break character
            } else {
                if (p != e && !haveFit) {
                    haveFit = true;
                    fit = p;
                }
                break;
            }
        }
        if (!haveFit) fit = e;
        // The line runs through its fit character (a break character stays
        // at its end); at the end of the text there is none to include.
        size_t stop = fit < e ? fit + 1 : e;
        out[count].start = s;
        out[count].length = stop - s;
        ++count;
        s = fit + 1;
    }
    return count;
}

}  // namespace markup
