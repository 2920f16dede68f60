#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tdtest.h"

namespace tdtest {

bool BenchRequested() {
    const char* v = getenv("TD_BENCH");
    return v && *v && *v != '0';
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Figure(const char* name, double value, const char* unit, double target, bool atMost) {
    printf("[ FIGURE   ] %s|%.3f|%s|%s|%.3f\n", name, value, unit, atMost ? "<=" : ">=", target);
    fflush(stdout);
}

}  // namespace tdtest
