// Native model of the store's station database load, for instruction counts
// that a busy machine does not disturb (callgrind): a file of N stations in
// the stored form (enciphered, with its trailer) is checked, deciphered and
// read into elements with the texts the store's elements keep. See
// docs/performance.md.
//   bench_stationdb [stations, default 60000]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "rdb_files.h"
#include "sample_station_db.h"
#include "station_db.h"

namespace {

std::string MakeFile(int stations) {
    std::string file = MakeSampleStationDb(stations)->Write();
    AppendCrc16(&file);
    return file;
}

// The texts and numbers the store's three element kinds keep.
struct Element {
    std::string texts[9];
    int64_t numbers[4] = {};
};

class Sink : public cStationDbSink {
public:
    void Sender(const StationDbFields& f) override {
        Take({kSeN, kSeU, kSeR}, {kSeId, kSeT, kSeL}, f);
    }
    void Channel(const StationDbFields& f) override {
        Take({kChN, kChTx, kChTxEng, kChS, kChG, kChD, kChT, kChR, kChM}, {kChId, kChSID}, f);
    }
    void Stream(const StationDbFields& f) override { Take({kStU}, {kStId, kStCID, kStF, kStQ, kStD}, f); }
    void Category(int, CategoryItem) override {}
    size_t Count() const { return elements_.size(); }

private:
    void Take(std::initializer_list<int> texts, std::initializer_list<int> numbers, const StationDbFields& f) {
        std::unique_ptr<Element> e(new Element);
        int i = 0;
        for (int t : texts) e->texts[i++] = f.Text(t);
        i = 0;
        for (int n : numbers) e->numbers[i++ % 4] = f.Number64(n);
        elements_.push_back(std::move(e));
    }
    std::vector<std::unique_ptr<Element>> elements_;
};

// What the store does with the file's bytes; callgrind counts this alone
// with --toggle-collect=LoadStationDb.
__attribute__((noinline)) size_t LoadStationDb(const std::string& file) {
    std::string content = file;   // as read from the disk
    size_t size = content.size();
    if (!CheckCrc16(reinterpret_cast<const unsigned char*>(content.data()), &size)) return 0;
    content.resize(size);
    DecodeStationDbText(&content);
    Sink sink;
    ReadStationDbText(content.data(), content.size(), &sink);
    return sink.Count();
}

}  // namespace

int main(int argc, char** argv) {
    const int stations = argc > 1 ? atoi(argv[1]) : 60000;
    const std::string file = MakeFile(stations);
    const auto t0 = std::chrono::steady_clock::now();
    const size_t elements = LoadStationDb(file);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    printf("%d stations (%.1f MB file): %zu elements in %.1f ms\n", stations, file.size() / 1048576.0, elements, ms);
    return elements == static_cast<size_t>(3 * stations) ? 0 : 1;
}
