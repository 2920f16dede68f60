// The viewer's log file: accepted lines are kept pending and written 40 at a
// time; a file grown past 2,000,000 bytes is moved aside to its "_old" name
// and begun anew. The file is opened and closed for every line so that
// other programs can read it in between.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class cLogFile {
public:
    virtual ~cLogFile() = default;

    static constexpr int kBatchLines = 40;
    static constexpr uint64_t kRolloverBytes = 2000000;
    // While writing keeps failing (disk full) the oldest pending lines go,
    // with one line that says so, rather than the memory.
    static constexpr int kMaxPendingLines = 4000;

    // An empty path (no documents folder) makes every Add fail.
    void SetPath(const char* path);
    const char* Path() const { return path_; }

    // Takes one line (with its CR LF). False when the file cannot be opened:
    // the line is then dropped, as the viewer shows only what it can log.
    bool Add(const std::string& line);
    // Writes the pending lines now (at the end of the program).
    bool WritePending();
    int PendingCount() const { return count_; }

protected:
    // One piece of the pending lines to the file; false when the file does
    // not take it (a full disk).
    virtual bool WriteChunk(HANDLE file, const char* data, DWORD size);

private:
    HANDLE Open(bool* rolledOver) const;
    bool WriteAtEnd(HANDLE file);
    void DropOldestPending();

    char path_[MAX_PATH] = {};
    std::string pending_;
    int count_ = 0;
    uint64_t dropped_ = 0;
};
