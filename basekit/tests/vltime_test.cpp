#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "vltime.h"

namespace {

const uint64_t kDay = 864000000000ull;

struct Fields {
    int y, mo, d, h, mi, s;
};
Fields Of(const cVLTime& t) {
    return {t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(), t.GetSecond()};
}
bool operator==(const Fields& a, const Fields& b) { return memcmp(&a, &b, sizeof a) == 0; }

TEST(VLTimeTest, ConstructionForms) {
    EXPECT_STREQ("00000000000000", cVLTime().GetTime());
    EXPECT_STREQ("00000000000000", cVLTime(static_cast<const char*>(nullptr)).GetTime());
    cVLTime t(2008, 3, 7, 9, 5, 0);
    EXPECT_STREQ("20080307090500", t.GetTime());
    EXPECT_EQ(3, t.GetMonth());
    EXPECT_EQ(7, t.GetDay());
    EXPECT_STREQ("20080307090500", cVLTime("200803070905001234").GetTime());
    cVLTime copy = t;
    EXPECT_STREQ(t.GetTime(), copy.GetTime());
    // Values that do not fit leave their field at zero.
    EXPECT_STREQ("20080000090500", cVLTime(2008, 123, -1, 9, 5, 0).GetTime());
}

// Texts from the timer file or editors may be short or hold non-digits.
TEST(VLTimeTest, FieldsOfOddTexts) {
    struct Case {
        const char* text;
        Fields f;
    } cases[] = {
        {"20081231235959", {2008, 12, 31, 23, 59, 59}},
        {"2008", {2008, 0, 0, 0, 0, 0}},
        {"2008031", {2008, 3, 1, 0, 0, 0}},
        {"", {0, 0, 0, 0, 0, 0}},
        {"20x80307090500", {20, 3, 7, 9, 5, 0}},
        {"2008-3-7 09:05", {2008, 0, 0, 0, 9, 5}},
        {"abcdefghijklmn", {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_TRUE(Of(cVLTime(c.text)) == c.f) << c.text;
}

TEST(VLTimeTest, SettersWriteOnlyTheirDigits) {
    cVLTime t(2008, 3, 7, 9, 5, 0);
    t.SetYear(1999);
    t.SetMonth(12);
    t.SetDay(1);
    t.SetHour(0);
    t.SetMinute(59);
    t.SetSecond(7);
    EXPECT_STREQ("19991201005907", t.GetTime());
    // Out of range: nothing changes and nothing is written past the digits.
    struct {
        void (cVLTime::*set)(int);
        int value;
    } bad[] = {{&cVLTime::SetYear, 10000}, {&cVLTime::SetYear, -1}, {&cVLTime::SetMonth, 100},
               {&cVLTime::SetDay, -5},      {&cVLTime::SetHour, 1000}, {&cVLTime::SetSecond, 100}};
    for (auto& b : bad) {
        (t.*b.set)(b.value);
        EXPECT_STREQ("19991201005907", t.GetTime()) << b.value;
    }
    cVLTime shortText("2008");
    shortText.SetDay(9);
    EXPECT_EQ(9, shortText.GetDay());
    EXPECT_EQ(2008, shortText.GetYear());
    EXPECT_EQ(14u, strlen(cVLTime("20080307090500").GetTime()));
}

TEST(VLTimeTest, FileTimeCount) {
    // 2008-03-07 09:05:00 counted by hand: days from 1601 to 2008-03-07.
    cVLTime t(2008, 3, 7, 9, 5, 0);
    ULARGE_INTEGER count = t.GetAsULargeInteger();
    SYSTEMTIME st = {2008, 3, 0, 7, 9, 5, 0, 0};
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    EXPECT_EQ((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime, count.QuadPart);

    cVLTime back;
    back.SetAsULargeInteger(count);
    EXPECT_STREQ("20080307090500", back.GetTime());

    cVLTime feb(2008, 2, 28, 12, 0, 0);
    ULARGE_INTEGER next = feb.GetAsULargeInteger();
    next.QuadPart += kDay;
    feb.SetAsULargeInteger(next);
    EXPECT_STREQ("20080229120000", feb.GetTime());
    next.QuadPart += kDay;
    feb.SetAsULargeInteger(next);
    EXPECT_STREQ("20080301120000", feb.GetTime());

    // Milliseconds are dropped.
    ULARGE_INTEGER withMs = cVLTime(2010, 1, 1, 0, 0, 1).GetAsULargeInteger();
    withMs.QuadPart += 9999999;
    back.SetAsULargeInteger(withMs);
    EXPECT_STREQ("20100101000001", back.GetTime());

    // A count beyond four year digits gives the zero time.
    ULARGE_INTEGER huge;
    huge.QuadPart = ~0ull;
    back.SetAsULargeInteger(huge);
    EXPECT_STREQ("00000000000000", back.GetTime());
}

TEST(VLTimeTest, InvalidTimesCountZero) {
    const char* invalid[] = {"00000000000000", "20080230120000", "20070229120000", "20081301000000",
                             "20080132000000", "20080101240000", "20080101006000", "20080101000060",
                             "16001231235959", "2008", ""};
    for (const char* text : invalid) EXPECT_EQ(0u, cVLTime(text).GetAsULargeInteger().QuadPart) << text;
    const char* valid[] = {"20000229000000", "16010101000000", "99991231235959"};
    for (const char* text : valid) {
        cVLTime t(text);
        ULARGE_INTEGER c = t.GetAsULargeInteger();
        EXPECT_NE(0u, c.QuadPart + (std::string(text) == "16010101000000")) << text;
        cVLTime back;
        back.SetAsULargeInteger(c);
        EXPECT_STREQ(text, back.GetTime());
    }
}

}  // namespace
