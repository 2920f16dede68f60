// The skin plug-in the user chose (setting SKIN): loaded from the skins
// folder, refused when older than 1.1.7, replaced by the standard skin when
// it cannot be used, and bound by the names of its entry points.
#pragma once

#include <windows.h>

#include <cstddef>

#include "facetkit_api.h"
#include "skin_plugin_api.h"

constexpr const char* kStandardSkinFile = "stockface.dll";

// The plug-in's entry points, in the order they are looked up; each is
// null where the plug-in lacks it.
struct SkinEntryPoints {
    SkinSetButtonsMainFn SetButtonsMain;
    SkinSetButtonsNavFn SetButtonsNav;
    SkinPreStartSkinFn PreStartSkin;
    SkinGetKundeURLFn GetKundeURL;
    SkinGetKundeURLLangFn GetKundeURLLang;
    SkinStatusHookFn StatusHook;
    SkinSkinSpecificBtnFn SkinSpecificBtn;
    SkinPaintFn PaintMain;
    SkinPaintFn PaintNav;
    SkinGetSkinRegionExtWndFn GetSkinRegionExtWnd;
    SkinGetResourceRectFn GetResourceRect;
    SkinNotifyBtnStateChangedFn NotifyBtnStateChanged;
    SkinGetSkinPoweredByFn GetSkinPoweredBy;
    SkinSetSkinLanguageFn SetSkinLanguage;
};
constexpr int kSkinEntryPointCount = 14;
static_assert(sizeof(SkinEntryPoints) == kSkinEntryPointCount * sizeof(void*), "one pointer per entry point");

struct SkinPlugin {
    HMODULE module = nullptr;
    SkinEntryPoints entry = {};
    char skinFile[256] = {};
};

// The library's plug-in (one per process).
FACETKIT_API SkinPlugin& CurrentSkin();

// Looks up the fourteen names in the module; all null for no module.
FACETKIT_API void BindSkinPlugin(HMODULE module, SkinEntryPoints* entry);
// True when the plug-in can carry both windows: the two element builders
// and the navigator's region (the navigator calls that one unasked).
FACETKIT_API bool SkinIsUsable(const SkinEntryPoints& entry);

// Reads "a.b.c" (also "a, b, c"; blanks around parts, missing parts count
// 0). False when the text holds no leading number at all.
FACETKIT_API bool ParseSkinVersion(const char* text, int version[3]);
// True only for a version read from the text and below 1.1.7.
FACETKIT_API bool SkinVersionTooOld(const char* fileVersion);

// Shows the refusal of a too-old skin; the message box by default. Tests
// put a sink of their own in.
typedef void (*SkinMessageSink)(const char* text, const char* caption);
FACETKIT_API void SetSkinMessageSink(SkinMessageSink sink);

// Loads skinsFolder\skinFile and checks its version: null when it is
// missing, not loadable or refused (the user is told about a refusal).
FACETKIT_API HMODULE LoadNamedSkin(const char* skinsFolder, const char* skinFile, int language);
// The standard skin from the skins folder, else from programFolder\skins.
FACETKIT_API HMODULE LoadStandardSkin(const char* skinsFolder, const char* programFolder);

// Frees the plug-in and empties its entry points.
FACETKIT_API void ReleaseSkinPlugin(SkinPlugin* plugin);
