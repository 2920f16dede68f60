#include "catalogue.h"

#include <cstring>

#include "bounded_text.h"
#include "registry.h"

namespace {

// Loads one string as Windows-1252 text; false when the table has none.
bool LoadText(HINSTANCE module, unsigned int id, char* buffer, int size) {
    const wchar_t* text = nullptr;
    int len = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (len <= 0 || !text) return false;
    if (len > size - 1) len = size - 1;   // single-byte code page: one byte per character
    int n = len > 0 ? WideCharToMultiByte(1252, 0, text, len, buffer, size - 1, nullptr, nullptr) : 0;
    buffer[n > 0 ? n : 0] = 0;
    return n > 0;
}

bool ParseDigits(const char* p, int count, int* value) {
    int v = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9') return false;
        v = v * 10 + (p[i] - '0');
    }
    *value = v;
    return true;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// 0 = Sunday.
int Weekday(int year, int month, int day) {
    static const int kOffset[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + kOffset[month - 1] + day) % 7;
}

}  // namespace

void GetResourceString(HINSTANCE module, unsigned int id, int language, char* buffer, int size) {
    if (!buffer || size <= 0) return;
    buffer[0] = 0;
    if (!module) module = GetBasekitModule();
    if (language == kLanguageEnglish && LoadText(module, id + kEnglishOffset, buffer, size)) return;
    if (!LoadText(module, id, buffer, size)) buffer[0] = 0;
}

int IsWindowsVista() {
    DWORD version = GetVersion();
    return LOBYTE(LOWORD(version)) > 5 ? 1 : 0;
}

void GetProgrammtippTimeString(const char* span, char* out, size_t outSize, int language, const SYSTEMTIME& today) {
    if (!out || outSize == 0) return;
    out[0] = 0;
    if (!span) return;
    if (strnlen(span, 29) < 29) {
        bk::TextCopy(out, outSize, span);
        return;
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, endHour = 0, endMinute = 0;
    // Every field is read on its own (a field that is not all digits reads 0);
    // any bad date field leaves the day label empty.
    bool date = ParseDigits(span, 4, &year);
    date = ParseDigits(span + 4, 2, &month) && date;
    date = ParseDigits(span + 6, 2, &day) && date;
    ParseDigits(span + 8, 2, &hour);
    ParseDigits(span + 10, 2, &minute);
    ParseDigits(span + 23, 2, &endHour);
    ParseDigits(span + 25, 2, &endMinute);
    date = date && year > 0 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);

    char label[20] = "";
    if (date) {
        if (year == today.wYear && month == today.wMonth && day == today.wDay) {
            GetResourceString(nullptr, 491, language, label, 20);
        } else if (year == today.wYear && month == today.wMonth && day == today.wDay + 1) {
            GetResourceString(nullptr, 492, language, label, 20);
        } else {
            int wd = Weekday(year, month, day);
            GetResourceString(nullptr, wd == 0 ? 460 : 453 + wd, language, label, 5);
        }
    }
    char format[500];
    GetResourceString(nullptr, 490, language, format, sizeof format);
    if (!format[0]) return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    bk::TextFormat(out, outSize, format, label, day, month, hour, minute, endHour, endMinute);
#pragma GCC diagnostic pop
}

void GetProgrammtippTimeString(const char* span, char* out, int language) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    GetProgrammtippTimeString(span, out, 512, language, now);
}
