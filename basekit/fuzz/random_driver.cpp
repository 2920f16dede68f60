// Stand-in for libFuzzer where clang is missing: mutates the seed files at
// random for a given time and calls the target; AddressSanitizer reports.
// Usage: fuzz_x -max_total_time=N corpus_dir
#include <dirent.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    int seconds = 20;
    std::vector<std::string> seeds;
    for (int i = 1; i < argc; ++i) {
        if (strncmp(argv[i], "-max_total_time=", 16) == 0) {
            seconds = atoi(argv[i] + 16);
            continue;
        }
        if (argv[i][0] == '-') continue;
        if (DIR* d = opendir(argv[i])) {
            while (dirent* e = readdir(d)) {
                if (e->d_name[0] == '.') continue;
                std::ifstream f(std::string(argv[i]) + "/" + e->d_name, std::ios::binary);
                std::stringstream ss;
                ss << f.rdbuf();
                seeds.push_back(ss.str());
            }
            closedir(d);
        }
    }
    if (seeds.empty()) seeds.push_back(std::string());
    std::mt19937 rng(12345);
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    unsigned long runs = 0;
    while (std::chrono::steady_clock::now() < end) {
        std::string s = seeds[rng() % seeds.size()];
        int edits = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < edits; ++k) {
            switch (rng() % 4) {
                case 0: if (!s.empty()) s[rng() % s.size()] = static_cast<char>(rng()); break;
                case 1: s.insert(s.begin() + (s.empty() ? 0 : rng() % s.size()), static_cast<char>(rng())); break;
                case 2: if (!s.empty()) s.erase(rng() % s.size(), 1 + rng() % 16); break;
                default: if (!s.empty()) s.resize(rng() % s.size()); break;
            }
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(s.data()), s.size());
        ++runs;
    }
    printf("random driver: %lu runs, nothing found\n", runs);
    return 0;
}
