#include "encoder_setup.h"

#include <windows.h>

#include "bounded_text.h"
#include "debug_log.h"
#include "player_globals.h"
#include "requests.h"
#include "zip_archive.h"

namespace {

constexpr const char* kPartialName = "lame_enc.dll.part";
constexpr DWORD kExtractBuffer = 65535;

// The library's entry, wherever the archive keeps it; -1 when there is none.
int FindLibrary(CZipArchive& zip) {
    for (int i = 0; i < zip.GetNoEntries(); ++i) {
        CZipFileHeader info;
        if (!zip.GetFileInfo(info, i) || zip.IsFileDirectory(i)) continue;
        const std::string& name = info.name;
        size_t slash = name.find_last_of("/\\");
        std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
        if (_stricmp(base.c_str(), kEncoderLibrary) == 0) return i;
    }
    return -1;
}

// Extracts the entry under a temporary name and renames it only when it is
// complete, so a broken download never leaves a truncated library where a
// later LoadLibrary would find it first.
bool ExtractInto(const char* archivePath, const char* folder) {
    if (!folder || !folder[0]) return false;
    char base[MAX_PATH * 2];
    bk::TextCopy(base, sizeof base, folder);
    size_t n = strlen(base);
    while (n > 0 && (base[n - 1] == '\\' || base[n - 1] == '/')) base[--n] = 0;
    char partial[MAX_PATH * 2], target[MAX_PATH * 2];
    if (!bk::TextFormat(partial, sizeof partial, "%s\\%s", base, kPartialName) ||
        !bk::TextFormat(target, sizeof target, "%s\\%s", base, kEncoderLibrary))
        return false;

    CZipArchive zip;
    bool done = false;
    try {
        zip.Open(archivePath, CZipArchive::zipOpenReadOnly);
        int index = FindLibrary(zip);
        if (index >= 0) {
            DeleteFileA(partial);
            done = zip.ExtractFile(index, base, false, kPartialName, nullptr, nullptr, kExtractBuffer);
        }
        zip.Close();
    } catch (const CZipException& e) {
        WriteDebugLogF(1, "UnpackEncoderLibrary EXCEPTION (%d)", e.m_iCause);
        zip.Close(true);
        done = false;
    } catch (const std::exception& e) {
        WriteDebugLogF(1, "UnpackEncoderLibrary EXCEPTION (%s)", e.what());
        zip.Close(true);
        done = false;
    }
    // The library is loaded into the recording: only a signed one is put in place.
    if (done) done = CheckDownloadedSignature(partial);
    if (done) done = MoveFileExA(partial, target, MOVEFILE_REPLACE_EXISTING) != 0;
    if (!done) DeleteFileA(partial);
    return done;
}

bool HasEntry(const char* archivePath) {
    try {
        CZipArchive zip;
        zip.Open(archivePath, CZipArchive::zipOpenReadOnly);
        bool found = FindLibrary(zip) >= 0;
        zip.Close();
        return found;
    } catch (...) {
        return false;
    }
}

}  // namespace

int UnpackEncoderLibrary(const char* archivePath) {
    char path[4096];
    if (!archivePath || !bk::TextCopy(path, sizeof path, archivePath)) return 0;
    if (!HasEntry(path)) return 0;
    if (ExtractInto(path, td::ProgramFolder())) return 1;
    WriteDebugLog("UnpackEncoderLibrary: program folder failed, trying the user folder", 5);
    return ExtractInto(path, td::UserFolder()) ? 1 : 0;
}
