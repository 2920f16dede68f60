#include "vltime.h"

#include <cstdint>
#include <cstring>

#include "bounded_text.h"

namespace {

const char kZeroTime[] = "00000000000000";
const uint64_t kTicksPerSecond = 10000000ull;
const int64_t kDays1601To1970 = 134774;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, int* m, int* d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *y = yoe + era * 400 + (*m <= 2);
}

}  // namespace

cVLTime::cVLTime() { memcpy(text_, kZeroTime, sizeof text_); }

cVLTime::cVLTime(int year, int month, int day, int hour, int minute, int second) : cVLTime() {
    SetYear(year);
    SetMonth(month);
    SetDay(day);
    SetHour(hour);
    SetMinute(minute);
    SetSecond(second);
}

cVLTime::cVLTime(const char* text) {
    memset(text_, 0, sizeof text_);
    if (!text) {
        memcpy(text_, kZeroTime, sizeof text_);
        return;
    }
    bk::TextCopyN(text_, sizeof text_, text, 14);
}

cVLTime::cVLTime(const cVLTime& other) { memcpy(text_, other.text_, sizeof text_); }

cVLTime& cVLTime::operator=(const cVLTime& other) {
    memcpy(text_, other.text_, sizeof text_);
    text_[14] = 0;
    return *this;
}

cVLTime::~cVLTime() = default;

int cVLTime::Field(int offset, int width) const {
    int value = 0;
    for (int i = offset; i < offset + width && text_[i] >= '0' && text_[i] <= '9'; ++i)
        value = value * 10 + (text_[i] - '0');
    // A field that starts past the end of a short text reads 0 by the loop
    // above, because the terminator stops it.
    for (int i = 0; i < offset; ++i)
        if (!text_[i]) return 0;
    return value;
}

void cVLTime::SetField(int offset, int width, int value) {
    const int limit = width == 4 ? 9999 : 99;
    if (value < 0 || value > limit) return;
    // A short text is padded with zero digits up to the field so that the
    // digits land where every reader expects them.
    size_t len = strnlen(text_, sizeof text_ - 1);
    for (size_t i = len; i < static_cast<size_t>(offset); ++i) text_[i] = '0';
    for (int i = width - 1; i >= 0; --i) {
        text_[offset + i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    text_[14] = 0;
}

int cVLTime::GetYear() const { return Field(0, 4); }
int cVLTime::GetMonth() const { return Field(4, 2); }
int cVLTime::GetDay() const { return Field(6, 2); }
int cVLTime::GetHour() const { return Field(8, 2); }
int cVLTime::GetMinute() const { return Field(10, 2); }
int cVLTime::GetSecond() const { return Field(12, 2); }

void cVLTime::SetYear(int year) { SetField(0, 4, year); }
void cVLTime::SetMonth(int month) { SetField(4, 2, month); }
void cVLTime::SetDay(int day) { SetField(6, 2, day); }
void cVLTime::SetHour(int hour) { SetField(8, 2, hour); }
void cVLTime::SetMinute(int minute) { SetField(10, 2, minute); }
void cVLTime::SetSecond(int second) { SetField(12, 2, second); }

bool cVLTime::IsZero() const { return strcmp(text_, kZeroTime) == 0; }

ULARGE_INTEGER cVLTime::GetAsULargeInteger() const {
    ULARGE_INTEGER result;
    result.QuadPart = 0;
    const int y = GetYear(), mo = GetMonth(), d = GetDay();
    const int h = GetHour(), mi = GetMinute(), s = GetSecond();
    // The file-time range starts in 1601, as SystemTimeToFileTime's does.
    if (y < 1601 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo)) return result;
    if (h > 23 || mi > 59 || s > 59) return result;
    const int64_t days = DaysFromCivil(y, mo, d) + kDays1601To1970;
    const uint64_t seconds = static_cast<uint64_t>(days) * 86400u + h * 3600u + mi * 60u + s;
    result.QuadPart = seconds * kTicksPerSecond;
    return result;
}

void cVLTime::SetAsULargeInteger(ULARGE_INTEGER count) {
    const uint64_t seconds = count.QuadPart / kTicksPerSecond;
    const int64_t days = static_cast<int64_t>(seconds / 86400u);
    const int secOfDay = static_cast<int>(seconds % 86400u);
    int64_t y;
    int m, d;
    CivilFromDays(days - kDays1601To1970, &y, &m, &d);
    memcpy(text_, kZeroTime, sizeof text_);
    if (y > 9999) return;
    SetYear(static_cast<int>(y));
    SetMonth(m);
    SetDay(d);
    SetHour(secOfDay / 3600);
    SetMinute(secOfDay / 60 % 60);
    SetSecond(secOfDay % 60);
}
