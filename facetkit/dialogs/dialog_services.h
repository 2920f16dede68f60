// What the settings and timer pop-ups need of the rest of the library: the
// host interface and its callback, catalogue texts in the user's language,
// the skin windows' elements, the navigator's recording-list replies, the
// profile names, a notice for input that cannot be taken, and the pop-ups
// of other areas (hints, the recording-source search, the profile choice
// editors, the folder browser). Each of the latter goes through a slot that
// the library (or a test) fills; an empty slot logs and does nothing.
#pragma once

#include <windows.h>

#include "facetkit_api.h"

class cElementHost;
class cResourceManager;
class cSettingsInterface;
class cListe;

namespace dlgs {

// Element ids of the skin windows the pop-ups look at.
enum {
    ELEMENT_MAIN_RECORD = 274,
    ELEMENT_NAV_RECORD = 265,
    ELEMENT_NAV_PROGRAMME_TIPS = 356,
};

FACETKIT_API cSettingsInterface* Host();
FACETKIT_API int Callback(int code, int ch, void* text);
// 1 German, 2 English (German without a host).
FACETKIT_API int Language();
// Catalogue text `id` in the user's language.
FACETKIT_API void Text(unsigned id, char* buffer, int size);
// The dialogs' own texts (validation notices) from the library's resources.
FACETKIT_API void OwnText(unsigned id, char* buffer, int size);

// Whether a skin window (1 main, 6 navigator) has the element.
FACETKIT_API bool WindowHasElement(unsigned long windowId, unsigned long elementId);
// The main window's object (buttons of the pop-ups report to it), or null.
FACETKIT_API cElementHost* MainWindowObject();
// The list store's recent stations.
FACETKIT_API cListe* RecentStations();

// The navigator's two reply fields for the recording lists, by the status
// that fills them: 43 the inputs of the capture device, 70 the devices.
enum { REPLY_INPUTS = 43, REPLY_DEVICES = 70 };
struct RecListReplies {
    void (*markPending)(int which);
    // Waits (bounded, and no longer once `stop` is set) for the reply and
    // copies it; false when none came.
    bool (*wait)(int which, char* out, int size, DWORD timeoutMs, const volatile LONG* stop);
};
FACETKIT_API void SetRecListReplies(const RecListReplies& replies);
// Whether something other than the empty default answers the waits.
FACETKIT_API bool RecListRepliesInstalled();
FACETKIT_API void MarkRecListPending(int which);
FACETKIT_API bool WaitRecList(int which, char* out, int size, DWORD timeoutMs, const volatile LONG* stop = nullptr);

// Profiles fitting the user's language: recording qualities of formate.ini
// and cut profiles of schneiden.ini, each NUL-terminated, the list ended by
// an empty name.
FACETKIT_API void FittingQualityNames(char* buffer, int size);
FACETKIT_API void FittingCutProfileNames(char* buffer, int size);

// The maker's download pages for the players some stations need, as host
// name and path (the host adds the scheme).
constexpr const char kRealPlayerPage[] = "www.velmirant.de/realplayer.php";
constexpr const char kWindowsMediaPage[] = "www.velmirant.de/windowsmedia.php";

// Pop-ups of other areas.
enum HintKind {
    HINT_PROXY = 1,
    HINT_AUTH,
    HINT_REC_DEVICE,
    HINT_AUTO_PAUSE,
    HINT_TIMER,
    HINT_STREAM_FORMAT,
    HINT_SEARCH_FAILED,
};
struct DialogOpeners {
    void (*hint)(int kind, cElementHost* owner, HWND parent, cResourceManager* res);
    void (*recSourceSearch)(cElementHost* owner, HWND parent, cResourceManager* res);
    // name: in and out, `size` bytes.
    void (*qualityChoice)(cElementHost* owner, HWND parent, cResourceManager* res, char* name, int size);
    void (*cutChoice)(cElementHost* owner, HWND parent, cResourceManager* res, char* name, int size);
    void (*mp3Choice)(cElementHost* owner, HWND parent, cResourceManager* res, unsigned long* bitrate, int* channels,
                      int* vbr);
    // 1 when the user asked for a search (the question of text 611).
    int (*askYesNo)(cElementHost* owner, HWND parent, cResourceManager* res, const char* markupText);
    // Forgets the podcast episodes' file paths after the podcast folder changed.
    void (*podcastFolderChanged)();
};
FACETKIT_API DialogOpeners& Openers();
// The slots as the library loads them, before anything is installed (the
// question of askYesNo is already the production one).
FACETKIT_API const DialogOpeners& EmptyOpeners();

// The shell's folder browser with a title, modal over `owner`; false when
// nothing was chosen.
typedef bool (*FolderChooser)(HWND owner, const char* title, char* out, int size);
FACETKIT_API void SetFolderChooser(FolderChooser chooser);
FACETKIT_API bool ChooseFolder(HWND owner, const char* title, char* out, int size);

// Tells the user why an input was not taken (a message pop-up with one
// button, run modally). A test may take the texts instead.
typedef void (*NoticeSink)(const char* text);
FACETKIT_API void SetNoticeSink(NoticeSink sink);
FACETKIT_API void Notice(cElementHost* owner, HWND parent, cResourceManager* res, const char* text,
                         unsigned titleSprite = 0);
// The same for a catalogue text with mark-up: the mark-up pop-up (title
// sprite 285, one button 289), so the tags are read, never shown.
FACETKIT_API void MarkupNotice(cElementHost* owner, HWND parent, cResourceManager* res, const char* text);

// A one-line label in its place: drawn narrower when the font at hand is
// too wide for it (fonts differ between systems), never cut or run over
// the control beside it.
FACETKIT_API void DrawLabel(HDC dc, const char* text, RECT* r, UINT format);

// Waits up to `ms` while handling this thread's messages, so windows stay
// painted and replies posted to them arrive.
FACETKIT_API void PumpFor(DWORD ms);

}  // namespace dlgs
