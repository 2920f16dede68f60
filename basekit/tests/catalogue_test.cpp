#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "catalogue.h"

namespace {

std::string Text(unsigned int id, int language, int size = 1024) {
    std::string buf(1100, 'x');
    GetResourceString(nullptr, id, language, &buf[0], size);
    return buf.c_str();
}

SYSTEMTIME Day(int y, int m, int d) {
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(y);
    t.wMonth = static_cast<WORD>(m);
    t.wDay = static_cast<WORD>(d);
    return t;
}

std::string Tip(const char* span, int language, const SYSTEMTIME& today, size_t size = 512) {
    char out[512];
    memset(out, 'x', sizeof out);
    GetProgrammtippTimeString(span, out, size, language, today);
    return out;
}

// The conversions of a format text ("%s", "%02d", ...), "%%" left out.
std::string Conversions(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < text.size() && strchr("0123456789.-+ #l", text[j])) ++j;
        if (j < text.size()) out += text[j];
        i = j;
    }
    return out;
}

}  // namespace

TEST(Catalogue, GermanAtTheIdEnglishAtIdPlus2000) {
    EXPECT_EQ("Aufnahme", Text(70, kLanguageGerman));
    EXPECT_EQ("Recording", Text(70, kLanguageEnglish));
    EXPECT_EQ("Heute", Text(491, 0));   // every language but 2 is German
    EXPECT_EQ("Tomorrow", Text(492, kLanguageEnglish));
    EXPECT_EQ("M\xE4rz", Text(76, kLanguageGerman));   // Windows-1252, whatever the code page
    EXPECT_EQ("%s, %02d.%02d. |  %02d:%02d - %02d:%02d o\xB4" "clock", Text(490, kLanguageEnglish));
}

TEST(Catalogue, MissingEnglishFallsBackAndMissingTextIsEmpty) {
    for (unsigned int id : {137u, 619u, 637u, 703u, 704u}) {
        std::string german = Text(id, kLanguageGerman);
        EXPECT_FALSE(german.empty()) << id;
        EXPECT_EQ(german, Text(id, kLanguageEnglish)) << id;
    }
    EXPECT_EQ("", Text(6, kLanguageGerman));      // no such text
    EXPECT_EQ("", Text(6, kLanguageEnglish));
    EXPECT_EQ("", Text(65000, kLanguageGerman));
}

TEST(Catalogue, BufferSizeIsRespected) {
    EXPECT_EQ("Auf", Text(70, kLanguageGerman, 4));
    EXPECT_EQ("", Text(70, kLanguageGerman, 1));
    std::string buf = "untouched";
    GetResourceString(nullptr, 70, kLanguageGerman, &buf[0], 0);
    EXPECT_EQ("untouched", buf);
    GetResourceString(nullptr, 70, kLanguageGerman, nullptr, 10);
}

// A caller formats a text with the arguments its German form takes; the
// English form must not ask for more or other ones.
TEST(Catalogue, EnglishFormatsTakeTheGermanArguments) {
    int checked = 0;
    for (unsigned int id = 1; id <= 731; ++id) {
        char german[1024], english[1024];
        GetResourceString(nullptr, id, kLanguageGerman, german, sizeof german);
        GetResourceString(nullptr, id, kLanguageEnglish, english, sizeof english);
        if (!german[0]) continue;
        ++checked;
        std::string g = Conversions(german), e = Conversions(english);
        EXPECT_EQ(0u, g.compare(0, e.size(), e)) << id << ": \"" << german << "\" / \"" << english << "\"";
    }
    EXPECT_GT(checked, 400);
}

TEST(Catalogue, ProgrammeTipTimeSpans) {
    SYSTEMTIME lastOfMarch = Day(2026, 3, 31);
    SYSTEMTIME midMonth = Day(2026, 3, 14);
    struct Case {
        const char* span;
        int language;
        SYSTEMTIME today;
        const char* expected;
    } cases[] = {
        {"20260331200000-20260331213000", 1, lastOfMarch, "Heute, 31.03. |  20:00 - 21:30 Uhr"},
        {"20260331200000-20260331213000", 2, lastOfMarch, "Today, 31.03. |  20:00 - 21:30 o\xB4" "clock"},
        {"20260315060500-20260315070000", 1, midMonth, "Morgen, 15.03. |  06:05 - 07:00 Uhr"},
        // across the month's end the next day gets its weekday, not "Morgen"
        {"20260401100000-20260401110000", 1, lastOfMarch, "Mi, 01.04. |  10:00 - 11:00 Uhr"},
        {"20260401100000-20260401110000", 2, lastOfMarch, "We, 01.04. |  10:00 - 11:00 o\xB4" "clock"},
        {"20260315000000-20260315010000", 1, lastOfMarch, "So, 15.03. |  00:00 - 01:00 Uhr"},
        {"20260316000000-20260316010000", 1, lastOfMarch, "Mo, 16.03. |  00:00 - 01:00 Uhr"},
        {"20240229120000-20240229130000", 1, lastOfMarch, "Do, 29.02. |  12:00 - 13:00 Uhr"},
        {"20260230120000-20260230130000", 1, lastOfMarch, ", 30.02. |  12:00 - 13:00 Uhr"},   // no such date
        {"20261301120000-20261301130000", 1, lastOfMarch, ", 01.13. |  12:00 - 13:00 Uhr"},
        {"2026ab01120000-2026ab01130000", 1, lastOfMarch, ", 01.00. |  12:00 - 13:00 Uhr"},
        {"2026033120000-20260331213000", 1, lastOfMarch, "2026033120000-20260331213000"},   // 28 characters
        {"", 1, lastOfMarch, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, Tip(c.span, c.language, c.today)) << c.span;
    EXPECT_EQ("Heute, 31.03. |  20:", Tip("20260331200000-20260331213000", 1, lastOfMarch, 21));
}

TEST(Catalogue, WindowsVersionTest) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExA(&info));
#pragma GCC diagnostic pop
    EXPECT_EQ(info.dwMajorVersion > 5 ? 1 : 0, IsWindowsVista());
}

// The texts the player's pieces name by number, listed here from what each
// piece shows rather than read from the table, so a text missing from the
// catalogue shows up as a gap and not as "" == "".
TEST(Catalogue, EveryTextThePiecesNameExistsInGermanAndEnglish) {
    struct Row {
        unsigned first, last;
        bool english;   // a few German texts have no English twin
        const char* what;
    };
    const Row rows[] = {
        {1, 1, true, "searching for the station at each play start"},
        {10, 12, true, "station not in the database, unknown stream format, unknown station"},
        {70, 73, true, "timer actions"},
        {86, 101, true, "repetitions, weekday occurrences, weekdays"},
        {135, 135, true, "do not show this message again"},
        {137, 137, false, "German-only text"},
        {287, 287, true, "playing ended"},
        {292, 307, true, "time-out, buffering, unknown error, air-time notice, engine and open states"},
        {348, 348, true, "station database updated"},
        {356, 357, true, "update offers for the program and the skin"},
        {372, 372, true, "first track"},
        {378, 379, true, "built names of timer entries"},
        {406, 406, true, "timer-job question"},
        {410, 412, true, "timer start, shut-down question, reminder"},
        {414, 414, true, "ready"},
        {454, 460, true, "weekday abbreviations"},
        {490, 492, true, "programme tip line, today, tomorrow"},
        {619, 619, false, "German-only text"},
        {637, 637, false, "German-only text"},
        {703, 704, false, "German-only texts"},
        {729, 729, true, "search podcasts"},
        {731, 731, true, "added to the favourites"},
    };
    for (const Row& row : rows) {
        for (unsigned id = row.first; id <= row.last; ++id) {
            EXPECT_NE("", Text(id, kLanguageGerman)) << id << " (" << row.what << ")";
            // The English twin itself, not the German fallback.
            if (row.english) EXPECT_NE("", Text(id + 2000, kLanguageGerman)) << id << " (" << row.what << ")";
        }
    }
    // Texts each piece names one by one, all with an English twin.
    struct Named {
        const char* what;
        std::vector<unsigned> ids;
    };
    const Named named[] = {
        {"skin download, status and update offers", {2, 3, 4, 8, 13, 14, 15, 16, 351, 352, 353, 354, 355, 359}},
        {"scheduler job states and entry descriptions",
         {7, 17, 18, 19, 91, 92, 93, 94, 104, 453, 461, 462, 463, 480, 481, 482, 483, 488}},
        {"main-window menus",
         {127, 130, 171, 172, 173, 174, 175, 176, 177, 178, 180, 183, 184, 185, 186, 187, 193, 227, 241, 250, 252, 258,
          259, 262, 267, 309, 310, 311, 312, 313, 314, 315, 324, 336, 344, 370, 371, 425, 426, 427, 428, 429, 430, 431,
          432, 433, 434, 435, 436, 437, 438, 439, 440, 441, 442, 443, 445, 446, 504, 505, 506, 508, 515, 516, 579, 602}},
        {"tray agent's menu", {285, 286, 288, 289, 290, 448}},
        {"main window and protocol texts", {60, 192, 222, 407, 575, 600, 624, 731}},
        {"list store, details and search", {205, 214, 218, 220, 224, 361, 423, 424, 447}},
        {"tables and navigator pages", {62, 63, 198, 199, 200, 265, 281, 349, 418, 420, 449, 493, 525, 526, 587, 589}},
        {"timer entries", {70, 74, 189, 190, 378, 379, 464, 507, 509, 510, 511}},
        {"recordings, recommendations and the song link", {121, 122, 188, 213, 373, 387, 388, 527, 556}},
        {"podcasts", {571, 576, 577, 581, 582, 590, 597, 599, 627}},
        {"notices and the encoder download", {123, 389, 472, 557, 610, 632, 633, 634, 636, 638, 639}},
        {"splash, hints and pop-ups", {110, 111, 124, 131, 132, 133, 135, 163, 164, 169, 195, 196, 404, 405, 609, 611, 623, 729}},
        {"recording quality, cut and conversion editors",
         {61, 64, 66, 67, 68, 69, 210, 465, 466, 468, 469, 470, 471, 518, 519, 520, 521, 522, 523, 524, 529, 530, 531, 532,
          533, 534, 535, 536, 537, 538, 539, 591, 592, 593, 594, 595, 622}},
    };
    for (const Named& n : named) {
        for (unsigned id : n.ids) {
            EXPECT_NE("", Text(id, kLanguageGerman)) << id << " (" << n.what << ")";
            EXPECT_NE("", Text(id + 2000, kLanguageGerman)) << id << " (" << n.what << ")";
        }
    }
}
