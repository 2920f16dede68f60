#include "settings_logic.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "textutil.h"

namespace settings {

namespace {

enum { LAST_PAGE = 7, PAGE_RECORDING = 4, PAGE_TIPS = 5 };

// Leading digits without overflow; false when there are none.
bool LeadingNumber(const char* text, long long* value) {
    if (!text) return false;
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (v < INT_MAX) v = v * 10 + (*p - '0');
    *value = negative ? -v : v;
    return true;
}

}  // namespace

int ClampedNumber(const char* text, int low, int high, bool* adjusted) {
    long long value = 0;
    bool number = LeadingNumber(text, &value);
    long long stored = value < low ? low : value > high ? high : value;
    if (adjusted) *adjusted = !number || stored != value;
    return static_cast<int>(stored);
}

int RetryIndex(int value) { return value == 0 ? 9 : value - 1; }

int RetryValue(int index) {
    int value = index + 1;
    return value == 10 ? 0 : value;
}

int TipsIndex(int days) { return days == -1 ? 6 : days; }

int TipsValue(int index) { return index == 6 ? -1 : index; }

int NextPage(int page, bool hasRecordButton, bool german) {
    ++page;
    if (page == PAGE_RECORDING && !hasRecordButton) ++page;
    if (!german && page == PAGE_TIPS) ++page;
    if (page > LAST_PAGE) --page;
    return page;
}

int PreviousPage(int page, bool hasRecordButton, bool german) {
    --page;
    if (page == PAGE_TIPS && !german) --page;
    if (page == PAGE_RECORDING && !hasRecordButton) --page;
    if (page < 0) ++page;
    return page;
}

void ParseRecList(const char* text, size_t length, std::vector<std::string>* entries, int* choice) {
    entries->clear();
    *choice = -1;
    long long marker = -1;
    bool hasMarker = false;
    size_t start = 0;
    for (size_t i = 0; text && i <= length; ++i) {
        if (i < length && text[i] != '\x01' && text[i] != 0) continue;
        std::string part(text + start, i - start);
        bool last = i >= length || text[i] == 0;
        if (!part.empty() && part[0] == '\x02') {
            long long v = 0;
            if (LeadingNumber(part.c_str() + 1, &v)) {
                marker = v;
                hasMarker = true;
            }
        } else if (!(last && part.empty())) {
            entries->push_back(part);
        }
        if (last) break;
        start = i + 1;
    }
    if (hasMarker && marker >= 0 && marker < static_cast<long long>(entries->size()))
        *choice = static_cast<int>(marker);
}

bool IsUsableFolder(const char* path) {
    if (!path || !path[0]) return true;
    const size_t n = strlen(path);
    size_t at;
    if (n >= 3 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && (path[2] == '\\' || path[2] == '/'))
        at = 3;
    else if (n >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\' && path[2] != '?' && path[2] != '.')
        at = 2;
    else
        return false;
    for (size_t i = at; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || strchr("*?\"<>|:", c)) return false;
    }
    // Each step between separators.
    std::string step;
    for (size_t i = at; i <= n; ++i) {
        if (i < n && path[i] != '\\' && path[i] != '/') {
            step += path[i];
            continue;
        }
        if (step == "." || step == ".." || IsDeviceName(step.c_str())) return false;
        step.clear();
    }
    return true;
}

}  // namespace settings
