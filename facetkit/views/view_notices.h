// What the recording, timer and protocol actions share until the main
// window carries them itself: the process-wide flags, the windows they act
// on and the skinned message boxes they ask with.
#pragma once

#include <windows.h>

#include "facetkit_api.h"

class cSkinWnd;
class cMessageWnd;

// The next recording-saved notice is not shown (stop by protocol text or
// by a confirmed shut-down).
FACETKIT_API void SetSuppressNotice(int on);
FACETKIT_API int GetSuppressNotice();
// 1 while a recording runs (set when the host reports its start, cleared
// at its end).
FACETKIT_API void SetRecordingFlag(int on);
FACETKIT_API int GetRecordingFlag();

// Window-list entries: 1 main window, 6 navigator; null when absent.
FACETKIT_API cSkinWnd* MainWindowObject();
FACETKIT_API cSkinWnd* NavWindowObject();
FACETKIT_API HWND MainWindowHandle();
FACETKIT_API HWND NavWindowHandle();

// A catalogue text in the user-interface language.
FACETKIT_API void UiText(unsigned id, char* buffer, int size);

enum NoticeButtons { NB_CONFIRM = 0, NB_YES_NO = 1, NB_CONFIRM_355 = 2 };
struct NoticeRequest {
    const char* text = "";
    const char* subText = nullptr;   // plain messages: the bold line
    bool markup = false;
    NoticeButtons buttons = NB_CONFIRM;
    int countdown = -1;              // seconds; -1 none
    unsigned titleSprite = 285;
    HWND owner = nullptr;            // null: the main window
    int width = 0, height = 0;       // 0: the box's own size
};
// Shows the message and waits for it: 1 for yes (or a countdown that ran
// out), 0 for no. Without the skin's resources nothing is shown and the
// answer is 0.
FACETKIT_API int ShowNoticeModal(const NoticeRequest& request);
// A yes/no question with a catalogue text and no countdown: 1 for yes.
FACETKIT_API int AskCatalogueQuestion(unsigned textId, bool markup, unsigned titleSprite = 285, HWND owner = nullptr);
// Shows it on a thread of its own; the box deletes itself when closed.
FACETKIT_API void ShowNoticeDetached(const NoticeRequest& request);

// A plain message with the wait animation and no button, over the
// navigator, while this thread waits for a download: it runs on a thread of
// its own, so the waiting thread keeps handling its messages. The user may
// close it (Escape, Enter): Cancelled() then answers true.
class FACETKIT_API cWaitNotice {
public:
    cWaitNotice() = default;
    ~cWaitNotice() { Close(); }
    cWaitNotice(const cWaitNotice&) = delete;
    cWaitNotice& operator=(const cWaitNotice&) = delete;
    // Shows it and waits (handling this thread's messages) until it is on
    // screen; false when it cannot be shown or was closed meanwhile.
    bool Open(unsigned titleSprite, const char* text);
    bool Cancelled() const { return !hwnd_ || !IsWindow(hwnd_); }
    void SetText(const char* text);
    // Closes it (it deletes itself).
    void Close();
    // Ends the wait: the text, a confirming button, and the message stays
    // until the user closes it.
    void Finish(const char* text);

private:
    cMessageWnd* box_ = nullptr;
    HWND hwnd_ = nullptr;
};

// Tests put their own boxes in: the hook answers instead of a window.
typedef int (*NoticeHook)(const NoticeRequest& request, bool modal);
FACETKIT_API void SetNoticeHook(NoticeHook hook);
