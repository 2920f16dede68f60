// The hint pop-ups: fixed texts of the catalogue explaining one setting or
// one situation, an OK button, and for some a link or a box to never show
// the hint again. Every hint deletes itself when its window goes, whether by
// OK or with its owner, so openers never delete one.
#pragma once

#include <windows.h>

#include <vector>

#include "facetkit_api.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;

// What the hints share: the layout they are built from, the painting of
// their texts and their end.
class FACETKIT_API cHintPopup : public cPopUpWnd {
public:
    enum { BUTTON_OK = 187, CHECK_NEVER_AGAIN = 214, LINK_DOWNLOAD = 244, LINK_GUIDE = 399 };
    enum { FONT_BOLD = 0, FONT_NORMAL = 1 };
    enum { LIMIT_DEFAULT = 500 };

    struct Text {
        unsigned id;        // 0: the text the hint's kind selects
        int font;
        bool wrap;
        bool centred;
        RECT rect;
        int limit;          // 0: LIMIT_DEFAULT
        bool germanOnly;
    };
    // A button placed centred on `centreWidth` with its bottom at `bottom`,
    // or at (x, y) when centreWidth is 0.
    struct Place {
        int centreWidth;
        int bottom;
        int x, y;
    };
    struct Layout {
        int width, height;
        unsigned titleSprite;
        unsigned okSprite;
        Place ok;
        int checkLine;            // top of the never-again box's 15-pixel line; 0 none
        const char* neverAgainValue;
        unsigned linkId;          // 0 none
        Place link;
        bool linkGermanOnly;
        const Text* texts;
        int textCount;
    };

    // Hints alive now (for tests of their end).
    static int LiveCount();

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    // Writes the never-again value when its box is ticked, then closes.
    void OnOk();
    // Destroys the window and deletes the hint.
    void Close();

protected:
    cHintPopup(cElementHost* owner, HWND parent, cResourceManager* res, const Layout& layout);
    ~cHintPopup() override;
    virtual void OnLink() {}
    virtual unsigned KindText() const { return 0; }
    // The hint's texts, in order, as the window's own text too (for screen
    // readers and tests acting as the user).
    void TellTexts();
    // The catalogue text `t` shows now, into *text; false when it shows none.
    bool ShownText(const Text& t, std::vector<char>* text) const;
    cElementHost* Owner() const { return owner_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void AddPlaced(unsigned long id, unsigned sprite, const Place& place, bool latching, int checkLine);

    cElementHost* owner_;
    cResourceManager* res_;
    const Layout& layout_;
};

// Help hints behind the help buttons of the editors and the settings.
#define FK_HELP_HINT(Name)                                                          \
    class FACETKIT_API Name : public cHintPopup {                                   \
    public:                                                                         \
        Name(cElementHost* owner, HWND parent, cResourceManager* res);              \
    }
FK_HELP_HINT(cRecQualityHintWnd);
FK_HELP_HINT(cRecDeviceHintWnd);
FK_HELP_HINT(cAuthHintWnd);
FK_HELP_HINT(cTimerHintWnd);
FK_HELP_HINT(cMp3QualityHintWnd);
FK_HELP_HINT(cProxyHintWnd);
FK_HELP_HINT(cStreamFormatHintWnd);
FK_HELP_HINT(cAutoPauseHintWnd);
FK_HELP_HINT(cMp3AdjustedHintWnd);
#undef FK_HELP_HINT

// Why the recording-source search found nothing; in German with a link to
// the guide for checking the sound card by hand.
class FACETKIT_API cSearchFailedHintWnd : public cHintPopup {
public:
    cSearchFailedHintWnd(cElementHost* owner, HWND parent, cResourceManager* res);
    void OnLink() override;
};

// The station needs RealPlayer (kind 1) or Windows Media Player (2, 3).
class FACETKIT_API cPlayerMissingHintWnd : public cHintPopup {
public:
    cPlayerMissingHintWnd(cElementHost* owner, HWND parent, cResourceManager* res, int kind);
    void OnLink() override;

private:
    unsigned KindText() const override;
    int kind_;
};

class FACETKIT_API cNoConnectionHintWnd : public cHintPopup {
public:
    cNoConnectionHintWnd(cElementHost* owner, HWND parent, cResourceManager* res, int kind);

private:
    int kind_;
};

namespace dlgs {
// The opener of the dialogs' hint slot (HintKind); the editors' hints run
// modally, the settings' hints stay beside the settings.
FACETKIT_API void OpenHint(int kind, cElementHost* owner, HWND parent, cResourceManager* res);
// The profile editors' help (HELP_REC_QUALITY, HELP_MP3_QUALITY), modal.
FACETKIT_API void OpenEditorHelp(int kind, cElementHost* owner, HWND parent, cResourceManager* res);
// The navigator's notices: each opens over the navigator only while the
// user has not asked never to see it again.
FACETKIT_API void OpenPlayerMissingHint(int kind);
FACETKIT_API void OpenNoConnectionHint(int kind);
FACETKIT_API void OpenMp3AdjustedHint();
}  // namespace dlgs
