// One line of text (such as the title that plays) over the skin's
// background inside a box; a text wider than the box scrolls left by one
// pixel every 25 ms and wraps. A 0x02 in the text starts a second part shown
// as " - part" in a second font. Any thread may set the text and the box:
// both are handed over under the object's lock and the child window's thread
// takes them when it is woken by a posted message, which carries no data.
#pragma once

#include <windows.h>

#include "activeelement.h"
#include "facetkit_api.h"

class cResourceManagerInterface;

constexpr UINT WM_SCROLLTEXT_TEXT = WM_USER + 168;
constexpr UINT WM_SCROLLTEXT_RECT = WM_USER + 169;

class FACETKIT_API cScrollText : public cActiveElement {
public:
    // Longest text kept; longer stream titles are cut.
    enum { TEXT_SIZE = 1024 };
    enum { SCROLL_TIMER = 1, SCROLL_MS = 25 };

    // rect: the box in the parent's client coordinates; colour: the text's.
    cScrollText(cResourceManagerInterface* res, DWORD kept, int mainFont, int secondFont, HWND parent, DWORD id,
                RECT rect, COLORREF colour, int unused1, int unused2);
    ~cScrollText() override;
    cScrollText(const cScrollText&) = delete;
    cScrollText& operator=(const cScrollText&) = delete;

    void SetVisible(int visible) override;
    // Takes the box's background from the parent's painting and composes.
    void Show(HDC dc) override;
    void Invalidate() override;
    HWND GetWindow() const override { return child_; }
    virtual void SetTextRect(RECT rect);

    // From any thread; null does nothing.
    void SetText(const char* text);
    void SetIndent(int x);
    int GetVisibleTextWidth();

    // State as the window thread last left it (for the owner and tests).
    int GetTextWidth();
    int GetScrollOffset();
    int GetBoxWidth();
    bool IsComposed();
    // The current text, and the main and second parts as displayed.
    void GetText(char* buffer, int size);
    void GetDisplayParts(char* mainPart, int mainSize, char* secondPart, int secondSize);
    HDC LockOutput();      // the composed picture, under the lock; pair with UnlockOutput
    void UnlockOutput();

private:
    struct Surface {
        HDC dc = nullptr;
        HBITMAP bitmap = nullptr;
        HGDIOBJ old = nullptr;
        void Drop();   // frees the bitmap, keeps the DC
        void Free();   // frees both
        bool Set(HBITMAP bmp);
    };

    static LRESULT CALLBACK TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void TakeText();
    void ApplyRect();
    // Splits, measures and draws the current text into the mask and the
    // coloured-text surfaces; under the lock.
    void Layout();
    int Measure(HDC dc, const char* text, HFONT font);
    void ScrollStep();
    // Background + text at the current offset into the output; under the lock.
    void Compose();

    cResourceManagerInterface* res_;
    DWORD kept_;
    int mainFont_;
    int secondFont_;
    int boxHeight_;
    int boxWidth_;
    int textWidth_;
    int mainWidth_;
    int offset_;
    volatile LONG destroying_;
    HWND parent_;
    HWND child_;
    COLORREF colour_;
    CRITICAL_SECTION lock_;
    Surface background_;
    Surface mask_;
    Surface coloured_;
    Surface output_;
    bool composed_;
    int indent_;
    WNDPROC prevProc_;
    bool rectPending_;
    RECT pendingRect_;
    char handOver_[TEXT_SIZE];
    char current_[TEXT_SIZE];
    char mainPart_[TEXT_SIZE + 8];
    char secondPart_[TEXT_SIZE + 8];
};
