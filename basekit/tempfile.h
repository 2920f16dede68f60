// Uniquely numbered files in the user's temporary folder for data that
// another program opens (playlists for an outside player). The object keeps
// its last two files: making a third deletes the oldest, and destroying the
// object deletes both, so a file stays while its reader may still need it.
#pragma once

#include "basekit_api.h"

class BASEKIT_API cTempFile {
public:
    enum { PATH_SIZE = 1024, MAX_NUMBER = 9999 };

    cTempFile();
    virtual ~cTempFile();
    cTempFile(const cTempFile&) = delete;
    cTempFile& operator=(const cTempFile&) = delete;

    // Creates "<temp folder>\<prefix>_<n>.<extension>" with the lowest free
    // n from 0 to 9999, opened for writing and shared with nobody. On success
    // copies the name into *path (at least 1024 bytes), hands the open handle
    // to *handle (the caller writes and closes it) and returns 1. Returns 0
    // when no name is free, the name would not fit, or the prefix or
    // extension would lead out of the temporary folder.
    virtual int GenerateTempFile(const char* prefix, const char* extension, char** path, void** handle);

    const char* GetSlot(int index) const { return index == 0 || index == 1 ? slots_[index] : ""; }

private:
    char slots_[2][PATH_SIZE];
    int current_;
};
