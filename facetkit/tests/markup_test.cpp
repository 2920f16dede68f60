// The message-text mark-up: which runs and attributes a text gives, texts
// that end inside a tag, the limits of the run records, and the line
// breaking rule shared by both message pop-ups (with a fixed-width measure).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "markup.h"

namespace {

struct Parsed {
    std::vector<markup::Run> runs;
    int used = 0;
};

Parsed ParseText(const std::string& text, int maxRuns = markup::kMaxRuns) {
    Parsed p;
    p.runs.resize(maxRuns);
    p.used = markup::Parse(text.data(), text.size(), p.runs.data(), maxRuns);
    return p;
}

struct RunCase {
    const char* name;
    const char* text;
    int run;
    const char* runText;
    int font;
    uint32_t colour;
    int height;
    int centre;
};

const RunCase kRunCases[] = {
    {"plain text is bold, black, 15 high, left", "Hallo Welt", 0, "Hallo Welt", 0, 0, 15, 0},
    {"centred bold word", "<center><font = FONT_BIG_BOLD>Achtung</font></center>danach", 0, "Achtung", 0, 0, 15, 1},
    {"text after the closing tags", "<center><font = FONT_BIG_BOLD>Achtung</font></center>danach", 1, "danach", 1, 0,
     15, 0},
    {"small bold", "<font = FONT_SMALL_BOLD>x", 0, "x", 3, 0, 15, 0},
    {"small", "<font = FONT_SMALL>x", 0, "x", 2, 0, 15, 0},
    {"big", "<font = FONT_BIG>x", 0, "x", 1, 0, 15, 0},
    {"unknown font name", "<font = FONT_HUGE>x", 0, "x", 0, 0, 15, 0},
    {"font tag without the blank after =", "a<font =FONT_SMALL>x", 1, "x", 0, 0, 15, 0},
    {"grey", "<color = 666666>grau", 0, "grau", 0, 0x666666, 15, 0},
    {"0000FF is the COLORREF of red", "<color = 0000FF>rot", 0, "rot", 0, 0x0000FF, 15, 0},
    {"non-hex digits count as 0", "<color = 1z2y3x>c", 0, "c", 0, 0x102030, 15, 0},
    {"closing colour tag is black", "<color = 123456>a</color>b", 1, "b", 0, 0, 15, 0},
    {"height 18", "<height = 18>hoch", 0, "hoch", 0, 0, 18, 0},
    {"closing height back to 15", "<height = 18>hoch</height>flach", 1, "flach", 0, 0, 15, 0},
    {"huge height is capped", "<height = 99999999999>x", 0, "x", 0, 0, markup::kMaxHeight, 0},
    {"negative height is 0", "<height = -4>x", 0, "x", 0, 0, 0, 0},
    {"unknown tag is text", "a <b>fett</b>", 0, "a <b>fett</b>", 0, 0, 15, 0},
    {"tag without > skips only its <", "a<height = 18", 1, "height = 18", 0, 0, 18, 0},
    {"a centre tag needs its >", "a<center", 0, "a<center", 0, 0, 15, 0},
    {"colour tag without > keeps the colour", "<color = 00FF00>a<color = 0000", 1, "color = 0000", 0, 0x00FF00,
     15, 0},
    {"line feeds are text", "eins\nzwei", 0, "eins\nzwei", 0, 0, 15, 0},
};

TEST(MarkupParse, RunsAndAttributes) {
    for (const RunCase& c : kRunCases) {
        SCOPED_TRACE(c.name);
        Parsed p = ParseText(c.text);
        ASSERT_GT(p.used, c.run);
        const markup::Run& r = p.runs[c.run];
        EXPECT_STREQ(r.text, c.runText);
        EXPECT_EQ(r.font, c.font);
        EXPECT_EQ(r.colour, c.colour);
        EXPECT_EQ(r.height, c.height);
        EXPECT_EQ(r.centre, c.centre);
    }
}

TEST(MarkupParse, ConsecutiveTagsShareOneRun) {
    Parsed p = ParseText("<center><height = 13><color = 666666>x");
    EXPECT_EQ(p.used, 1);
    EXPECT_EQ(p.runs[0].centre, 1);
    EXPECT_EQ(p.runs[0].height, 13);
    EXPECT_EQ(p.runs[0].colour, 0x666666u);
}

TEST(MarkupParse, TextsEndingInsideATagStayInside) {
    // Each prefix of a tag at the very end of an exactly sized buffer.
    const std::string tags[] = {"<font = FONT_SMALL_BOLD>", "<height = 18>", "<color = 666666>", "</center>"};
    for (const std::string& tag : tags) {
        for (size_t cut = 0; cut <= tag.size(); ++cut) {
            std::string text = "Titel " + tag.substr(0, cut);
            std::vector<char> exact(text.begin(), text.end());
            std::vector<markup::Run> runs(markup::kMaxRuns);
            int used = markup::Parse(exact.data(), exact.size(), runs.data(), markup::kMaxRuns);
            EXPECT_GE(used, 1) << text;
            EXPECT_EQ(std::string(runs[0].text).substr(0, 6), "Titel ") << text;
        }
    }
}

TEST(MarkupParse, LimitsOfTheRunRecords) {
    // More runs than records: the rest lands in the last record.
    std::string many;
    for (int i = 0; i < 10; ++i) many += "<center>" + std::to_string(i) + "</center>";
    Parsed p = ParseText(many, 4);
    EXPECT_EQ(p.used, 4);
    EXPECT_STREQ(p.runs[3].text, "3456789");
    // A run longer than its record is cut, terminated.
    Parsed longRun = ParseText(std::string(5000, 'x'));
    EXPECT_EQ(strlen(longRun.runs[0].text), size_t(markup::kRunText - 1));
    // A second parse starts afresh.
    std::vector<markup::Run> runs(markup::kMaxRuns);
    std::string first = "<center>a</center>b";
    markup::Parse(first.data(), first.size(), runs.data(), markup::kMaxRuns);
    std::string second = "c";
    EXPECT_EQ(markup::Parse(second.data(), second.size(), runs.data(), markup::kMaxRuns), 1);
    EXPECT_STREQ(runs[0].text, "c");
    EXPECT_EQ(runs[0].centre, 0);
    EXPECT_STREQ(runs[1].text, "");
}

// ---------------------------------------------------------------- lines

int TenPerChar(void*, const char*, size_t n) { return static_cast<int>(n) * 10; }

std::vector<std::string> Lines(const std::string& text, int available) {
    std::vector<markup::LineSpan> spans(markup::kMaxLines);
    int n = markup::BreakLines(text.data(), text.size(), available, &TenPerChar, nullptr, spans.data(),
                               markup::kMaxLines);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(text.substr(spans[i].start, spans[i].length));
    return out;
}

struct LineCase {
    const char* name;
    const char* text;
    int available;
    std::vector<std::string> lines;
};

TEST(MarkupLines, BreakingRule) {
    const LineCase cases[] = {
        {"empty text is one empty line", "", 100, {""}},
        {"short text is one line", "kurz", 100, {"kurz"}},
        {"hyphen stays at the end of the first line", "Radio-Sender", 100, {"Radio-", "Sender"}},
        {"words break at blanks", "eins zwei drei", 100, {"eins zwei ", "drei"}},
        {"underscore is a break", "abc_defgh_ij", 60, {"abc_", "defgh_", "ij"}},
        {"a word wider than the space stands alone", "a Donaudampfschiff b", 60, {"a ", "Donaudampfschiff ", "b"}},
        {"line feed ends a line", "eins\nzwei", 1000, {"eins\n", "zwei"}},
        {"a line feed at the very end leaves an empty line", "eins\n", 1000, {"eins\n", ""}},
        {"a blank at the very end stays on its line", "eins ", 1000, {"eins "}},
        {"one long word alone", "Donaudampfschiff", 60, {"Donaudampfschiff"}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Lines(c.text, c.available), c.lines);
    }
}

TEST(MarkupLines, StopsAtTheLineLimit) {
    std::string text(3000, '\n');
    std::vector<markup::LineSpan> spans(10);
    EXPECT_EQ(markup::BreakLines(text.data(), text.size(), 100, &TenPerChar, nullptr, spans.data(), 10), 10);
}

}  // namespace
