// Message texts with a small mark-up ("<center>", "<font = FONT_BIG>",
// "<color = 666666>", "<height = 13>" and their closing tags) and the line
// breaking that both message pop-ups share. Texts come from the catalogue
// and from the network, so everything here works on a buffer and a length,
// never reads past either, and calls no Windows API (it also builds
// natively for fuzzing).
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include "facetkit_api.h"
#define MARKUP_API FACETKIT_API
#else
#define MARKUP_API
#endif

namespace markup {

enum { kRawText = 4096, kMaxRuns = 128, kRunText = 1024, kMaxLines = 1024, kDefaultHeight = 15 };
// Font indexes of the resource manager.
enum { FONT_BIG_BOLD = 0, FONT_BIG = 1, FONT_SMALL = 2, FONT_SMALL_BOLD = 3 };
// Largest line height a tag may ask for; beyond it a text could make a
// pop-up taller than any screen.
enum { kMaxHeight = 255 };

struct Run {
    int font;
    uint32_t colour;   // COLORREF: lowest byte red
    char text[kRunText];
    int height;
    int centre;
};

struct Attributes {
    int font = FONT_BIG_BOLD;
    uint32_t colour = 0;
    int height = kDefaultHeight;
    int centre = 0;
};

// Empties all run records (font 0, black, 15 high, left-aligned, no text).
MARKUP_API void ResetRuns(Run* runs, int count);

// Parses at most `length` characters of text (stopping at a NUL, and after
// kRawText - 1 characters) into runs: a run is a stretch of text with one
// set of attributes. Returns the number of runs used (the index of the last
// one + 1). Runs beyond `maxRuns` are appended to the last run; a run's text
// is cut at kRunText - 1 characters. An incomplete colour tag leaves the
// colour as it was; tags that are not recognised are text.
MARKUP_API int Parse(const char* text, size_t length, Run* runs, int maxRuns);

// Width in pixels of n characters of text, as the caller's font measures it.
typedef int (*MeasureFn)(void* context, const char* text, size_t n);

struct LineSpan {
    size_t start;    // offset into the text
    size_t length;   // characters of the line, its break character included
};

// Breaks [text, text + length) into lines no wider than `available`: words
// end at a blank, "_" or "-" (which stays at the end of its line) and a line
// feed ends a line; a word wider than the space stands alone. An empty text
// is one empty line, and so is what follows a break character at the very
// end. Writes at most maxLines spans; returns how many it wrote.
MARKUP_API int BreakLines(const char* text, size_t length, int available, MeasureFn measure, void* context, LineSpan* out,
               int maxLines);

}  // namespace markup
