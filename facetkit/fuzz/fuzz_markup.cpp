// Feeds arbitrary message texts to the mark-up parser and the line breaker
// and checks what they hand back: terminated run texts, attributes in range,
// line spans inside the text, in order and within the line limit.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "markup.h"

namespace {

// Proportional-looking widths so breaks land at varying places.
int Measure(void* context, const char* text, size_t n) {
    int perChar = *static_cast<int*>(context);
    int w = 0;
    for (size_t i = 0; i < n; ++i) w += perChar + (static_cast<unsigned char>(text[i]) & 3);
    return w;
}

void Check(bool ok) {
    if (!ok) abort();
}

void CheckLines(const char* text, size_t length, int available, int perChar) {
    static markup::LineSpan lines[markup::kMaxLines];
    int n = markup::BreakLines(text, length, available, &Measure, &perChar, lines, markup::kMaxLines);
    Check(n >= 1 && n <= markup::kMaxLines);
    size_t next = 0;
    for (int i = 0; i < n; ++i) {
        Check(lines[i].start == next);
        Check(lines[i].start + lines[i].length <= length);
        next = lines[i].start + lines[i].length;
        if (i + 1 < n) Check(lines[i].length > 0 || lines[i].start == length);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    int maxRuns = 1 + data[0] % markup::kMaxRuns;
    int available = 1 + data[1] * 2;
    const char* text = reinterpret_cast<const char*>(data + 2);
    size_t length = size - 2;
    // An exact-size copy, so reading one byte too far is caught.
    std::vector<char> copy(text, text + length);

    static markup::Run runs[markup::kMaxRuns];
    int used = markup::Parse(copy.data(), copy.size(), runs, maxRuns);
    Check(used >= 1 && used <= maxRuns);
    for (int i = 0; i < maxRuns; ++i) {
        Check(memchr(runs[i].text, 0, markup::kRunText) != nullptr);
        Check(runs[i].font >= 0 && runs[i].font <= 3);
        Check(runs[i].height >= 0 && runs[i].height <= markup::kMaxHeight);
        if (i >= used) Check(runs[i].text[0] == 0);
    }
    for (int i = 0; i < used; ++i) CheckLines(runs[i].text, strlen(runs[i].text), available, 1 + i % 9);
    CheckLines(copy.data(), copy.size(), available, 7);
    return 0;
}
