#include "profiles.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "debugtext.h"
#include "inifile.h"
#include "userfiles.h"

namespace {

struct Path {
    char text[1024];
    bool ok;
    explicit Path(const char* file) { ok = bk::UserFile(file, text, sizeof text); }
};

// One change to a profile file: the current file is copied to the temporary
// file beside it, changed there through the profile API, and put in place.
class ProfileEdit {
public:
    ProfileEdit(const char* file, const char* op) : path_(file), op_(op), lock_(op) {
        ok_ = path_.ok && lock_.Owned() && bk::TempNameFor(path_.text, tmp_, sizeof tmp_);
        if (!ok_) return;
        std::string current;
        if (!bk::ReadWholeFile(path_.text, &current) && GetFileAttributesA(path_.text) != INVALID_FILE_ATTRIBUTES) {
            DebugLog(DL_ERR, "%s - %s nicht lesbar (%lu)", op_, path_.text, GetLastError());
            ok_ = false;
            return;
        }
        ok_ = bk::WriteWholeFile(tmp_, current.data(), current.size());
        if (!ok_) Fail("WriteFile");
    }
    ~ProfileEdit() {
        if (ok_ && !done_) DeleteFileA(tmp_);
    }

    bool Ok() const { return ok_; }
    const char* Path() const { return path_.text; }
    const char* Temp() const { return tmp_; }

    void Write(const char* section, const char* key, const char* value) {
        if (ok_ && !WritePrivateProfileStringA(section, key, value, tmp_)) Fail("WritePrivateProfileString");
    }
    void WriteInt(const char* section, const char* key, int value) {
        char text[16];
        bk::TextFormat(text, sizeof text, "%d", value);
        Write(section, key, text);
    }
    int Commit() {
        if (!ok_) return 0;
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, tmp_);   // flush a cached copy
        done_ = true;
        return bk::ReplaceWithTemp(tmp_, path_.text, op_) ? 1 : 0;
    }

private:
    void Fail(const char* what) {
        DebugLog(DL_ERR, "%s - Error %lu bei %s : %s", op_, GetLastError(), what, tmp_);
        DeleteFileA(tmp_);
        done_ = true;
        ok_ = false;
    }

    ::Path path_;
    const char* op_;
    bk::UserFilesLock lock_;
    char tmp_[1024 + 8] = "";
    bool ok_ = false;
    bool done_ = false;
};

std::string Section(const char* name) { return bk::CleanIniText(name, true); }

int ReadInt(const char* path, const std::string& section, const char* key, int fallback) {
    return static_cast<int>(GetPrivateProfileIntA(section.c_str(), key, fallback, path));
}

}  // namespace

void ReadFormate(char* buffer, int size) {
    if (!buffer || size <= 0) return;
    buffer[0] = 0;
    if (size >= 2) buffer[1] = 0;
    Path path(kFormateFile);
    if (!path.ok || size < 2) return;
    GetPrivateProfileSectionNamesA(buffer, static_cast<DWORD>(size), path.text);
}

void GetRecQualitySettings(const char* name, int* sps, int* bps, int* nch, int* language) {
    if (!name || !sps || !bps || !nch) return;
    Path path(kFormateFile);
    const std::string s = Section(name);
    const char* file = path.ok ? path.text : "";
    *sps = path.ok ? ReadInt(file, s, "SPS", 44100) : 44100;
    *bps = path.ok ? ReadInt(file, s, "BPS", 16) : 16;
    *nch = path.ok ? ReadInt(file, s, "NCH", 2) : 2;
    if (language) *language = path.ok ? ReadInt(file, s, "LANGUAGE", -1) : -1;
}

int SetRecQualitySettings(const char* name, int sps, int bps, int nch) {
    const std::string s = Section(name);
    if (s.empty()) return 0;
    ProfileEdit edit(kFormateFile, "SetRecQualitySettings");
    edit.WriteInt(s.c_str(), "SPS", sps);
    edit.WriteInt(s.c_str(), "BPS", bps);
    edit.WriteInt(s.c_str(), "NCH", nch);
    if (edit.Ok()) edit.WriteInt(s.c_str(), "LANGUAGE", ReadInt(edit.Temp(), s, "LANGUAGE", -1));
    return edit.Commit();
}

int DeleteRecQualitySettings(const char* name) {
    const std::string s = Section(name);
    if (s.empty()) return 0;
    ProfileEdit edit(kFormateFile, "DeleteRecQualitySettings");
    edit.Write(s.c_str(), nullptr, nullptr);
    return edit.Commit();
}

void GetAutoCutSettings(const char* name, int* type, int* value, int* folder, int* language) {
    if (!name || !type || !value || !folder) return;
    Path path(kSchneidenFile);
    const std::string s = Section(name);
    const char* file = path.ok ? path.text : "";
    *type = path.ok ? ReadInt(file, s, "CUT_TYPE", 0) : 0;
    *value = path.ok ? ReadInt(file, s, "VALUE", 20) : 20;
    *folder = path.ok ? ReadInt(file, s, "FOLDER", 0) : 0;
    if (language) *language = path.ok ? ReadInt(file, s, "LANGUAGE", -1) : -1;
}

int SetAutoCutSettings(const char* name, int type, int value, int folder, int language) {
    const std::string s = Section(name);
    if (s.empty()) return 0;
    ProfileEdit edit(kSchneidenFile, "SetAutoCutSettings");
    edit.WriteInt(s.c_str(), "CUT_TYPE", type);
    edit.WriteInt(s.c_str(), "VALUE", value);
    edit.WriteInt(s.c_str(), "FOLDER", folder);
    edit.WriteInt(s.c_str(), "LANGUAGE", language);
    return edit.Commit();
}

int DeleteAutoCutSettings(const char* name) {
    const std::string s = Section(name);
    if (s.empty()) return 0;
    ProfileEdit edit(kSchneidenFile, "DeleteAutoCutSettings");
    edit.Write(s.c_str(), nullptr, nullptr);
    return edit.Commit();
}

int SortAutoCutSettings() {
    Path path(kSchneidenFile);
    if (!path.ok) return 0;
    bk::UserFilesLock lock("SortAutoCutSettings");
    if (!lock.Owned() || GetFileAttributesA(path.text) == INVALID_FILE_ATTRIBUTES) return 0;

    struct Row {
        std::string name;
        int type, value, folder, language;
    };
    std::string current;
    if (!bk::ReadWholeFile(path.text, &current)) {
        DebugLog(DL_ERR, "SortAutoCutSettings - %s nicht lesbar (%lu)", path.text, GetLastError());
        return 0;
    }
    const bk::IniText ini(current.data(), current.size());
    auto value = [&ini](const std::string& section, const char* key, int fallback) {
        const std::string* v = ini.Find(section.c_str(), key);
        return v ? bk::ParseIniInt(v->c_str()) : fallback;
    };
    std::vector<Row> rows;
    for (const std::string& name : ini.SectionNames()) {
        rows.push_back({name, value(name, "CUT_TYPE", 0), value(name, "VALUE", 20), value(name, "FOLDER", 0),
                        value(name, "LANGUAGE", -1)});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.type != b.type ? a.type < b.type : a.value < b.value;
    });
    std::string text;
    for (const Row& r : rows) {
        char values[128];
        bk::TextFormat(values, sizeof values, "]\r\nCUT_TYPE=%d\r\nVALUE=%d\r\nFOLDER=%d\r\nLANGUAGE=%d\r\n", r.type,
                       r.value, r.folder, r.language);
        text += "[" + r.name + values;
    }
    char tmp[1024 + 8];
    if (!bk::TempNameFor(path.text, tmp, sizeof tmp)) return 0;
    if (!bk::WriteWholeFile(tmp, text.data(), text.size())) {
        DebugLog(DL_ERR, "SortAutoCutSettings - Error %lu bei WriteFile : %s", GetLastError(), tmp);
        DeleteFileA(tmp);
        return 0;
    }
    return bk::ReplaceWithTemp(tmp, path.text, "SortAutoCutSettings") ? 1 : 0;
}
