// Entry point of every test executable. With "--td-child=NAME" the
// executable acts as the peer process registered under NAME.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "tdtest.h"

namespace tdtest {
namespace {
std::map<std::string, ChildMain>& Children() {
    static std::map<std::string, ChildMain> children;
    return children;
}
}  // namespace

ChildRegistrar::ChildRegistrar(const char* name, ChildMain fn) { Children()[name] = fn; }

int RunChildIfRequested(int argc, char** argv, bool* handled) {
    *handled = false;
    static const char kFlag[] = "--td-child=";
    for (int i = 1; i < argc; ++i) {
        if (strncmp(argv[i], kFlag, sizeof(kFlag) - 1) != 0) continue;
        *handled = true;
        auto it = Children().find(argv[i] + sizeof(kFlag) - 1);
        if (it == Children().end()) {
            fprintf(stderr, "unknown child role %s\n", argv[i]);
            return 99;
        }
        return it->second(argc - i, argv + i);   // argv[0] is the flag, then the role's own arguments
    }
    return 0;
}
}  // namespace tdtest

int main(int argc, char** argv) {
    bool handled = false;
    int rc = tdtest::RunChildIfRequested(argc, argv, &handled);
    if (handled) return rc;
    // Crashes must end the process, not wait for a dialog nobody can click.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
