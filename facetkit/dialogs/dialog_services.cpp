#include "dialog_services.h"

#include <shlobj.h>

#include <cstring>

#include "bounded_text.h"
#include "button_list.h"
#include "catalogue.h"
#include "debugtext.h"
#include "library_state.h"
#include "list_store.h"
#include "message_popup.h"
#include "profiles.h"
#include "registry.h"
#include "../../tunerdeck/core/settings_interface.h"
#include "skin_wnd.h"
#include "wnd_list.h"

namespace dlgs {

namespace {

void NoPending(int) {}
bool NoReply(int which, char* out, int size, DWORD, const volatile LONG*) {
    if (out && size > 0) out[0] = 0;
    DebugLog(DL_WAR, "dialogs: no recording list source for status %d", which);
    return false;
}
RecListReplies g_replies = {&NoPending, &NoReply};

void NoHint(int kind, cElementHost*, HWND, cResourceManager*) {
    DebugLog(DL_WAR, "dialogs: hint %d not available", kind);
}
void NoSearch(cElementHost*, HWND, cResourceManager*) {
    DebugLog(DL_WAR, "dialogs: recording-source search not available");
}
void NoChoice(cElementHost*, HWND, cResourceManager*, char*, int) {
    DebugLog(DL_WAR, "dialogs: profile editor not available");
}
void NoMp3Choice(cElementHost*, HWND, cResourceManager*, unsigned long*, int*, int*) {
    DebugLog(DL_WAR, "dialogs: MP3 quality editor not available");
}
int AskMarkup(cElementHost* owner, HWND parent, cResourceManager* res, const char* text) {
    auto* box = new cMarkupMessageWnd(owner, parent, res);
    box->SetTitleDC(232);
    box->SetText(text);
    box->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
    box->AddButton(ELEMENT_CANCEL, ELEMENT_CANCEL);
    box->SetCountdown(-1);
    box->MessageLoop();
    int result = box->GetResult();
    delete box;
    return result;
}
void NoPodcastReset() {}

const DialogOpeners kEmptyOpeners = {&NoHint, &NoSearch, &NoChoice, &NoChoice, &NoMp3Choice, &AskMarkup, &NoPodcastReset};
DialogOpeners g_openers = kEmptyOpeners;

typedef HRESULT(WINAPI* CoInitializeFn)(LPVOID);
typedef void(WINAPI* CoUninitializeFn)();

bool BrowseForFolder(HWND owner, const char* title, char* out, int size) {
    // ole32 is not among the library's link inputs; the shell needs COM.
    HMODULE ole = LoadLibraryA("ole32.dll");
    auto coInit = ole ? reinterpret_cast<CoInitializeFn>(GetProcAddress(ole, "CoInitialize")) : nullptr;
    auto coUninit = ole ? reinterpret_cast<CoUninitializeFn>(GetProcAddress(ole, "CoUninitialize")) : nullptr;
    HRESULT com = coInit ? coInit(nullptr) : E_FAIL;
    char display[MAX_PATH] = {};
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = title;
    bool chosen = false;
    LPITEMIDLIST list = SHBrowseForFolderA(&info);
    if (list) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(list, path) && path[0]) chosen = bk::TextCopy(out, static_cast<size_t>(size), path);
        IMalloc* malloc = nullptr;
        if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
            malloc->Free(list);
            malloc->Release();
        }
    }
    if (SUCCEEDED(com) && coUninit) coUninit();
    if (ole) FreeLibrary(ole);
    return chosen;
}
FolderChooser g_chooser = &BrowseForFolder;

NoticeSink g_notice = nullptr;

// Appends a name to a NUL-separated list ended by an empty name; false
// when it does not fit.
bool AppendName(char* buffer, int size, int* used, const char* name) {
    int n = static_cast<int>(strlen(name));
    if (*used + n + 2 > size) return false;
    memcpy(buffer + *used, name, static_cast<size_t>(n) + 1);
    *used += n + 1;
    buffer[*used] = 0;
    return true;
}

bool FitsLanguage(int profileLanguage) { return profileLanguage == -1 || profileLanguage == Language(); }

}  // namespace

cSettingsInterface* Host() { return Library().host; }

int Callback(int code, int ch, void* text) { return HostCallback(code, ch, text); }

int Language() {
    cSettingsInterface* host = Host();
    return host && host->GetLanguage() == kLanguageEnglish ? kLanguageEnglish : kLanguageGerman;
}

void Text(unsigned id, char* buffer, int size) { GetResourceString(nullptr, id, Language(), buffer, size); }

void OwnText(unsigned id, char* buffer, int size) {
    HINSTANCE module = Library().module;
    if (!module) {
        if (buffer && size > 0) buffer[0] = 0;
        return;
    }
    GetResourceString(module, id, Language(), buffer, size);
}

bool WindowHasElement(unsigned long windowId, unsigned long elementId) {
    cSkinWnd* wnd = GetWindowList().Find(windowId);
    return wnd && wnd->GetButtonList()->GetById(elementId) != nullptr;
}

cElementHost* MainWindowObject() { return GetWindowList().Find(WND_ID_MAIN); }

cListe* RecentStations() { return GetListStore().List(LS_RECENT); }


void SetRecListReplies(const RecListReplies& replies) {
    g_replies.markPending = replies.markPending ? replies.markPending : &NoPending;
    g_replies.wait = replies.wait ? replies.wait : &NoReply;
}

bool RecListRepliesInstalled() { return g_replies.markPending != &NoPending && g_replies.wait != &NoReply; }

void MarkRecListPending(int which) { g_replies.markPending(which); }

bool WaitRecList(int which, char* out, int size, DWORD timeoutMs, const volatile LONG* stop) {
    return g_replies.wait(which, out, size, timeoutMs, stop);
}

void FittingQualityNames(char* buffer, int size) {
    if (!buffer || size < 2) return;
    buffer[0] = buffer[1] = 0;
    char all[8192] = {};
    ReadFormate(all, sizeof all);
    int used = 0;
    for (const char* name = all; *name && name < all + sizeof all; name += strlen(name) + 1) {
        int sps = 0, bps = 0, nch = 0, language = -1;
        GetRecQualitySettings(name, &sps, &bps, &nch, &language);
        if (FitsLanguage(language) && !AppendName(buffer, size, &used, name)) break;
    }
}

void FittingCutProfileNames(char* buffer, int size) {
    if (!buffer || size < 2) return;
    buffer[0] = buffer[1] = 0;
    char folder[MAX_PATH] = {};
    GetValue("PathUser", folder, sizeof folder);
    char path[MAX_PATH] = {};
    size_t len = strlen(folder);
    const char* sep = len && folder[len - 1] != '\\' ? "\\" : "";
    if (!bk::TextFormat(path, sizeof path, "%s%s%s", folder, sep, kSchneidenFile)) return;
    char all[8192] = {};
    DWORD got = GetPrivateProfileSectionNamesA(all, sizeof all, path);
    if (got == 0) return;
    int used = 0;
    for (const char* name = all; *name && name < all + got; name += strlen(name) + 1) {
        int type = 0, value = 0, own = 0, language = -1;
        GetAutoCutSettings(name, &type, &value, &own, &language);
        if (FitsLanguage(language) && !AppendName(buffer, size, &used, name)) break;
    }
}

DialogOpeners& Openers() { return g_openers; }

const DialogOpeners& EmptyOpeners() { return kEmptyOpeners; }

void SetFolderChooser(FolderChooser chooser) { g_chooser = chooser ? chooser : &BrowseForFolder; }

bool ChooseFolder(HWND owner, const char* title, char* out, int size) {
    if (!out || size <= 0) return false;
    return g_chooser(owner, title, out, size);
}

void SetNoticeSink(NoticeSink sink) { g_notice = sink; }

void Notice(cElementHost* owner, HWND parent, cResourceManager* res, const char* text, unsigned titleSprite) {
    DebugLog(DL_INF, "dialogs: notice \"%s\"", text ? text : "");
    if (g_notice) {
        g_notice(text ? text : "");
        return;
    }
    auto* box = new cMessageWnd(owner, parent, res);
    if (titleSprite) box->SetTitleDC(titleSprite);
    box->SetText(text);
    box->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
    box->SetCountdown(-1);
    box->MessageLoop();
    delete box;
}

void MarkupNotice(cElementHost* owner, HWND parent, cResourceManager* res, const char* text) {
    DebugLog(DL_INF, "dialogs: notice \"%s\"", text ? text : "");
    if (g_notice) {
        g_notice(text ? text : "");
        return;
    }
    auto* box = new cMarkupMessageWnd(owner, parent, res);
    box->SetTitleDC(285);
    box->SetText(text);
    box->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
    box->SetCountdown(-1);
    box->MessageLoop();
    delete box;
}

void DrawLabel(HDC dc, const char* text, RECT* r, UINT format) {
    if (!dc || !text || !r) return;
    const int room = r->right - r->left;
    HFONT narrow = nullptr;
    HGDIOBJ old = nullptr;
    for (int step = 0; step < 4 && room > 0; ++step) {
        RECT need = *r;
        DrawTextA(dc, text, -1, &need, format | DT_CALCRECT);
        const int wide = need.right - need.left;
        if (wide <= room) break;
        LOGFONTA lf = {};
        TEXTMETRICA tm = {};
        HGDIOBJ current = GetCurrentObject(dc, OBJ_FONT);
        if (!current || !GetObjectA(current, sizeof lf, &lf) || !GetTextMetricsA(dc, &tm)) break;
        const int average = lf.lfWidth > 0 ? lf.lfWidth : tm.tmAveCharWidth;
        lf.lfWidth = MulDiv(average, room, wide) - (step > 0 ? 1 : 0);
        if (lf.lfWidth < 1) break;
        HFONT next = CreateFontIndirectA(&lf);
        if (!next) break;
        HGDIOBJ was = SelectObject(dc, next);
        if (narrow) {
            DeleteObject(narrow);
        } else {
            old = was;
        }
        narrow = next;
    }
    DrawTextA(dc, text, -1, r, format);
    if (narrow) {
        SelectObject(dc, old);
        DeleteObject(narrow);
    }
}

void PumpFor(DWORD ms) {
    DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() - start >= ms) break;
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

}  // namespace dlgs
