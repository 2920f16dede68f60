// The skin engine's message boxes: a plain message (centred lines, an
// optional second text, a blinking wait symbol) and a message whose text
// carries mark-up (colour, font, line height, centring). Both have one or
// two buttons (289 confirms, 290 cancels) and an optional countdown after
// which they close by themselves as confirmed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "element_host.h"
#include "facetkit_api.h"
#include "markup.h"
#include "popup_wnd.h"

enum { ELEMENT_CONFIRM = 289, ELEMENT_CANCEL = 290 };
enum { SPRITE_MESSAGE_TITLE = 285, SPRITE_WAIT_ON = 366, SPRITE_WAIT_OFF = 367 };
// Catalogue texts under the countdown.
enum { TEXT_COUNTDOWN = 404, TEXT_AFTERWARDS = 405 };

// What both message boxes share: buttons and their places, the countdown,
// closing (and deleting themselves), the window procedure they put in front
// of the pop-up's.
class FACETKIT_API cMessagePopupBase : public cPopUpWnd {
public:
    enum { TEXT_SIZE = 4096, MAX_LINES = 1024, DEFAULT_COUNTDOWN = 15, WIDTH = 300, HEIGHT = 100 };

    // -1 stops the countdown; any other value (re)starts it.
    void SetCountdown(int seconds);
    int GetCountdown() const { return countdown_; }
    void SetDeleteOnClose() { deleteOnClose_ = 1; }
    // Stops the countdown and destroys the window; with delete-on-close the
    // object is deleted too and must not be touched afterwards.
    void Close();

protected:
    cMessagePopupBase(cElementHost* ownerObject, HWND owner, cResourceManager* res);
    ~cMessagePopupBase() override;

    void AddButtonTo(unsigned elementId, unsigned spriteId, bool topmost);
    // One button centred; else 289 left and 290 right of the centre.
    void PlaceButtons();
    // The size once the lines are known: centred on the screen, buttons placed.
    void ApplyHeight(int height);
    // Draws the countdown line (and the "afterwards" line with two
    // buttons) from y on, each lineHeight high, in the given font.
    void PaintCountdown(HDC dc, int y, int lineHeight, HFONT font);
    // 1 on a timer the subclass handled.
    virtual int OnOtherTimer(UINT_PTR) { return 0; }

    cElementHost* ownerObject_;
    cResourceManager* res_;
    int countdown_;
    int deleteOnClose_;
    HBRUSH white_;

private:
    static LRESULT CALLBACK MessageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

class FACETKIT_API cMessageWnd : public cMessagePopupBase {
public:
    // ownerObject: the window object handed to the buttons (may be null).
    cMessageWnd(cElementHost* ownerObject, HWND owner, cResourceManager* res);
    ~cMessageWnd() override;

    // Texts longer than 4095 characters are cut.
    void SetText(const char* text);
    void SetSubText(const char* text);
    void AddButton(unsigned elementId, unsigned spriteId) { AddButtonTo(elementId, spriteId, true); }
    void SetWaitAnimation(int on);
    void SetMinHeight(int height) { minHeight_ = height; }

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    void InitWndSize() override;

    int GetLineCount() const { return static_cast<int>(lines_.size()); }
    const std::string& GetLine(int i) const { return lines_[static_cast<size_t>(i)]; }
    int GetFirstSubTextLine() const { return firstSubLine_; }
    int GetWaitPhase() const { return waitPhase_; }

protected:
    int OnOtherTimer(UINT_PTR id) override;

private:
    void BreakInto(const char* text, int font);

    char text_[TEXT_SIZE];
    char subText_[TEXT_SIZE];
    int minHeight_;
    int firstSubLine_;
    std::vector<std::string> lines_;
    int wait_;
    int waitPhase_;
};

class FACETKIT_API cMarkupMessageWnd : public cMessagePopupBase {
public:
    struct Line {
        int font;
        COLORREF colour;
        char text[markup::kRunText];
        int height;
        int centre;
    };

    cMarkupMessageWnd(cElementHost* ownerObject, HWND owner, cResourceManager* res);
    ~cMarkupMessageWnd() override;

    // Copies the text (cut at 4095 characters) and parses it into runs; a
    // second call starts afresh.
    void SetText(const char* text);
    void AddButton(unsigned elementId, unsigned spriteId) { AddButtonTo(elementId, spriteId, false); }

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    void InitWndSize() override;

    int GetLineCount() const { return static_cast<int>(lines_.size()); }
    int GetRunCount() const { return runCount_; }
    const markup::Run& GetRun(int i) const { return runs_[i]; }
    const Line& GetLine(int i) const { return lines_[static_cast<size_t>(i)]; }

private:
    char text_[TEXT_SIZE];
    std::vector<Line> lines_;
    markup::Run runs_[markup::kMaxRuns];
    int runCount_;
};
