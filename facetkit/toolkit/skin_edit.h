// The skin engine's text-entry control: a Win32 "EDIT" child inside a
// frame its owner paints from skin sprites. Number mode (digits only,
// limits, zero padding, Up and Down step the value), a password variant, a
// multi-line variant, and Tab moving the focus inside a pop-up.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "liste.h"
#include "skin_frame.h"

class cResourceManager;

// Sent to an edit box: check (clamp) its content.
constexpr UINT WM_SKIN_VALIDATE = WM_USER + 100;

class FACETKIT_API cVLEditBox : public cListElement {
public:
    enum { TEXT_LIMIT = 260, NUMBER_TEXT = 20, MULTILINE_LIMIT = 1024, MAX_DIGITS = 10 };

    // look 0, 1 or 2 chooses the frame sprites; password: a hidden-text box.
    cVLEditBox(HWND parent, cResourceManager* res, POINT pos, SIZE size, int look, int password);
    ~cVLEditBox() override;
    cVLEditBox(const cVLEditBox&) = delete;
    cVLEditBox& operator=(const cVLEditBox&) = delete;

    HWND GetWindow() const { return child_; }
    HWND GetParentWindow() const { return parent_; }
    BOOL IsEnabled() const { return child_ && IsWindowEnabled(child_); }
    void SetEnable(int enable);
    void SetVisible(int visible);

    void SetNumberOnly();
    // Number mode with limits; pad: zero-pad to `digits` (1 to 10).
    void SetNumberDetails(int max, int min, int pad, int digits);
    void SetText(int value);
    // A number box reads the text as a number and shows it formatted.
    void SetText(const char* text);
    // At most min(size, 260) characters including the NUL; a one-line box
    // never hands out line breaks. Answers the length.
    int GetText(char* buffer, int size);
    // A number box with limits clamps its value to them.
    void ValidateCtrlContent();
    // Replaces the child by a multi-line one (at most 1024 characters).
    void SetMultiLine();
    int IsMultiLine() const { return multiLine_; }

    // Paints the frame into the parent's context.
    void Show(HDC dc);
    void Init();
    void LoadResource(unsigned sprite, int piece) { frame_.LoadPiece(res_, sprite, piece); }

    void OnGetFocus();
    void OnKillFocus();
    void OnKeyUp();
    void OnKeyDown();

    int GetMin() const { return min_; }
    int GetMax() const { return max_; }
    int IsNumberMode() const;
    POINT GetPos() const { return POINT{x_, y_}; }
    SIZE GetSize() const { return SIZE{cx_, cy_}; }
    int GetLook() const { return look_; }

    // Reads a number as the field shows it: leading blanks, an optional sign
    // and digits; anything else ends it, too large a value saturates.
    static int ParseNumber(const char* text);

private:
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND CreateChild(DWORD style);
    void Subclass(HWND child);
    void Unsubclass(HWND child);
    void Format(int value, char* out, int size) const;
    int ReadNumber();
    void WriteNumber(int value);
    void PasteOneLine();

    cResourceManager* res_;
    HWND parent_;
    HWND child_;
    int x_, y_, cx_, cy_;
    cSkinFrame frame_;
    int look_;
    int min_, max_, pad_, digits_;
    int limitsSet_;
    int multiLine_;
    WNDPROC prevProc_;
};
