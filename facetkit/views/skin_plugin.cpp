#include "skin_plugin.h"

#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "catalogue.h"
#include "registry.h"

namespace {

void DefaultMessage(const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_OK); }

SkinMessageSink g_messageSink = DefaultMessage;

template <typename Fn>
void Bind(HMODULE module, const char* name, Fn* slot) {
    *slot = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Puts the first "%s" of a catalogue text in place of the name; the text
// is never used as a format, so a stray "%" in it cannot misread arguments.
void FillName(const char* pattern, const char* name, char* out, size_t outSize) {
    const char* at = strstr(pattern, "%s");
    if (!at) {
        bk::TextCopy(out, outSize, pattern);
        return;
    }
    bk::TextCopyN(out, outSize, pattern, static_cast<size_t>(at - pattern));
    bk::TextAppend(out, outSize, name);
    bk::TextAppend(out, outSize, at + 2);
}

// folder\file; the host hands folders with and without a closing "\".
bool JoinPath(char* out, size_t outSize, const char* folder, const char* file) {
    if (!folder || !file || !file[0]) return false;
    size_t n = strlen(folder);
    const char* sep = n && (folder[n - 1] == '\\' || folder[n - 1] == '/') ? "" : "\\";
    return bk::TextFormat(out, outSize, "%s%s%s", folder, sep, file);
}

HMODULE LoadFrom(const char* folder, const char* file) {
    char path[MAX_PATH];
    if (!JoinPath(path, sizeof path, folder, file)) return nullptr;
    return LoadLibraryA(path);
}

}  // namespace

SkinPlugin& CurrentSkin() {
    static SkinPlugin plugin;
    return plugin;
}

void BindSkinPlugin(HMODULE module, SkinEntryPoints* e) {
    if (!e) return;
    Bind(module, "SetButtonsMain", &e->SetButtonsMain);
    Bind(module, "SetButtonsNav", &e->SetButtonsNav);
    Bind(module, "PreStartSkin", &e->PreStartSkin);
    Bind(module, "GetKundeURL", &e->GetKundeURL);
    Bind(module, "GetKundeURLLang", &e->GetKundeURLLang);
    Bind(module, "StatusHook", &e->StatusHook);
    Bind(module, "SkinSpecificBtn", &e->SkinSpecificBtn);
    Bind(module, "PaintMain", &e->PaintMain);
    Bind(module, "PaintNav", &e->PaintNav);
    Bind(module, "GetSkinRegionExtWnd", &e->GetSkinRegionExtWnd);
    Bind(module, "GetResourceRect", &e->GetResourceRect);
    Bind(module, "NotifyBtnStateChanged", &e->NotifyBtnStateChanged);
    Bind(module, "GetSkinPoweredBy", &e->GetSkinPoweredBy);
    Bind(module, "SetSkinLanguage", &e->SetSkinLanguage);
}

bool SkinIsUsable(const SkinEntryPoints& e) {
    return e.SetButtonsMain && e.SetButtonsNav && e.GetSkinRegionExtWnd;
}

bool ParseSkinVersion(const char* text, int version[3]) {
    version[0] = version[1] = version[2] = 0;
    if (!text) return false;
    const char* p = text;
    bool any = false;
    for (int part = 0; part < 3; ++part) {
        while (*p == ' ' || *p == '\t') ++p;
        if (*p < '0' || *p > '9') break;
        long n = 0;
        while (*p >= '0' && *p <= '9') {
            if (n < 100000) n = n * 10 + (*p - '0');
            ++p;
        }
        version[part] = static_cast<int>(n);
        any = true;
        while (*p == ' ' || *p == '\t') ++p;
        if (*p != '.' && *p != ',') break;
        ++p;
    }
    return any;
}

bool SkinVersionTooOld(const char* fileVersion) {
    int v[3];
    if (!ParseSkinVersion(fileVersion, v)) return false;
    const int least[3] = {1, 1, 7};
    for (int i = 0; i < 3; ++i)
        if (v[i] != least[i]) return v[i] < least[i];
    return false;
}

void SetSkinMessageSink(SkinMessageSink sink) { g_messageSink = sink ? sink : DefaultMessage; }

HMODULE LoadNamedSkin(const char* skinsFolder, const char* skinFile, int language) {
    char path[MAX_PATH];
    if (!JoinPath(path, sizeof path, skinsFolder, skinFile)) return nullptr;
    HMODULE module = LoadLibraryA(path);
    if (!module) return nullptr;
    MyFileInfo info;
    if (GetFileVersion(path, &info) && SkinVersionTooOld(info.FileVersion)) {
        char pattern[500], text[800];
        GetResourceString(nullptr, 222, language, pattern, sizeof pattern);
        FillName(pattern, info.InternalName, text, sizeof text);
        g_messageSink(text, "velmirant-Player");
        FreeLibrary(module);
        return nullptr;
    }
    return module;
}

HMODULE LoadStandardSkin(const char* skinsFolder, const char* programFolder) {
    HMODULE module = LoadFrom(skinsFolder, kStandardSkinFile);
    if (module || !programFolder || !programFolder[0]) return module;
    char folder[MAX_PATH];
    if (!JoinPath(folder, sizeof folder, programFolder, "skins")) return nullptr;
    return LoadFrom(folder, kStandardSkinFile);
}

void ReleaseSkinPlugin(SkinPlugin* plugin) {
    if (!plugin) return;
    plugin->entry = SkinEntryPoints{};
    if (plugin->module) FreeLibrary(plugin->module);
    plugin->module = nullptr;
}
