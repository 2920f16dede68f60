// A calendar time stamp held as the 14 digits YYYYMMDDhhmmss, the form in
// which the timer list file stores it. "00000000000000" means "not set".
// Converts to and from the Windows file-time count (100 ns units since
// 1601-01-01) without any time-zone conversion: the digits are local time.
#pragma once

#include <windows.h>

#include "basekit_api.h"

class BASEKIT_API cVLTime {
public:
    cVLTime();
    // A value that does not fit its field leaves that field at zero.
    cVLTime(int year, int month, int day, int hour, int minute, int second);
    // Keeps at most 14 characters; null gives the zero time. A shorter text
    // is kept as it is and the fields beyond its end read as 0.
    cVLTime(const char* text);
    cVLTime(const cVLTime& other);
    cVLTime& operator=(const cVLTime& other);
    virtual ~cVLTime();

    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;

    // Each setter writes exactly its own digits; a value that does not fit
    // (year outside 0-9999, other fields outside 0-99) changes nothing.
    void SetYear(int year);
    void SetMonth(int month);
    void SetDay(int day);
    void SetHour(int hour);
    void SetMinute(int minute);
    void SetSecond(int second);

    char* GetTime() { return text_; }
    const char* GetTime() const { return text_; }
    bool IsZero() const;

    // 0 when the fields do not form a valid time (the zero time among them).
    ULARGE_INTEGER GetAsULargeInteger() const;
    // A count that cannot be shown as a time gives the zero time.
    void SetAsULargeInteger(ULARGE_INTEGER count);

private:
    int Field(int offset, int width) const;
    void SetField(int offset, int width, int value);

    char text_[15];
};
