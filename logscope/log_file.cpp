#include "log_file.h"

#include "bounded_text.h"
#include "log_text.h"
#include "win_handles.h"

void cLogFile::SetPath(const char* path) {
    if (!bk::TextCopy(path_, path)) path_[0] = 0;   // a cut path would name another file
}

HANDLE cLogFile::Open(bool* rolledOver) const {
    *rolledOver = false;
    if (!path_[0]) return INVALID_HANDLE_VALUE;
    bk::ScopedFile file(CreateFileA(path_, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return INVALID_HANDLE_VALUE;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || static_cast<uint64_t>(size.QuadPart) <= kRolloverBytes)
        return file.Release();

    file.Reset();
    char oldName[MAX_PATH];
    // The log is emptied only once its content is safe under the old name;
    // when the move fails (the old file locked, say) the log just grows on.
    if (MakeOldLogName(path_, oldName, sizeof oldName) &&
        MoveFileExA(path_, oldName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        *rolledOver = true;
        return CreateFileA(path_, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    return CreateFileA(path_, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool cLogFile::WriteChunk(HANDLE file, const char* data, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}

bool cLogFile::WriteAtEnd(HANDLE file) {
    LARGE_INTEGER zero = {}, end = {};
    if (!SetFilePointerEx(file, zero, &end, FILE_END)) return false;
    const char* p = pending_.data();
    size_t left = pending_.size();
    while (left > 0) {
        DWORD chunk = left > 0x100000 ? 0x100000 : static_cast<DWORD>(left);
        if (!WriteChunk(file, p, chunk)) {
            // Take back a partial write so the lines, still pending, are
            // not doubled by the next try.
            SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
            SetEndOfFile(file);
            return false;
        }
        p += chunk;
        left -= chunk;
    }
    pending_.clear();
    count_ = 0;
    dropped_ = 0;
    return true;
}

// Keeps the newest lines below the cap, behind one line that counts what
// was lost.
void cLogFile::DropOldestPending() {
    size_t at = 0;
    int keep = kMaxPendingLines - kBatchLines;
    int drop = count_ - keep;
    if (drop <= 0) return;
    // A marker line of an earlier drop is counted in dropped_ and goes too.
    for (int i = 0; i < drop && at < pending_.size(); ++i) {
        size_t end = pending_.find('\n', at);
        at = end == std::string::npos ? pending_.size() : end + 1;
    }
    bool hadMarker = dropped_ > 0;
    dropped_ += static_cast<uint64_t>(drop) - (hadMarker ? 1 : 0);
    char marker[96];
    bk::TextFormat(marker, sizeof marker, "--- %llu Zeilen verworfen: Log-Datei nicht beschreibbar ---\r\n",
                   static_cast<unsigned long long>(dropped_));
    pending_ = marker + pending_.substr(at);
    count_ = keep + 1;
}

bool cLogFile::Add(const std::string& line) {
    bool rolledOver = false;
    bk::ScopedFile file(Open(&rolledOver));
    if (!file) return false;
    pending_ += line;
    ++count_;
    if (count_ > kMaxPendingLines) DropOldestPending();
    // A new log begins with what is pending, so it never stands empty.
    if (count_ >= kBatchLines || rolledOver) WriteAtEnd(file.Get());
    return true;
}

bool cLogFile::WritePending() {
    if (count_ == 0) return true;
    bool rolledOver = false;
    bk::ScopedFile file(Open(&rolledOver));
    return file && WriteAtEnd(file.Get());
}
