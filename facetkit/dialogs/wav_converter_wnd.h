// Turns an existing WAV file into an MP3 file with the player's MP3 quality:
// the user picks the WAV file, the MP3 name and its folder; the pop-up checks
// them and hands a conversion order to the host, whose worker reports
// progress back by posted messages.
#pragma once

#include <windows.h>

#include "../../tunerdeck/core/convert_order.h"
#include "dialog_controls.h"
#include "facetkit_api.h"
#include "liste.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;
class cVLProgressBar;

namespace convert {
enum NameCheck { NAME_OK = 0, NAME_FORBIDDEN_CHARACTER, NAME_RESERVED };
// Whether `name` can be a file name: none of \ / : * ? " < > | and not a
// device name (CON, NUL, COM1 ... also with an extension).
FACETKIT_API NameCheck CheckMp3Name(const char* name);
// folder + "\" (unless it ends with "\" or "/") + name + ".mp3"; false when
// it does not fit.
FACETKIT_API bool BuildMp3Path(const char* folder, const char* name, char* out, int size);
// What choosing `wavPath` proposes: the file name without its extension and
// the folder without a trailing "\".
FACETKIT_API void ProposeFromWav(const char* wavPath, char* name, int nameSize, char* folder, int folderSize);
}  // namespace convert

class FACETKIT_API cWavConverterWnd : public cPopUpWnd {
public:
    enum { WIDTH = 284, HEIGHT = 251 };
    enum {
        BUTTON_BROWSE_WAV = 0, BUTTON_BROWSE_FOLDER = 1, BUTTON_STOP = 2, BUTTON_CONVERT = 187, BUTTON_CANCEL = 226,
        BUTTON_MP3_QUALITY = 270, BUTTON_HELP = 286, BUTTON_CLOSE = 355,
    };
    enum { EDIT_WAV = 0, EDIT_NAME = 1, EDIT_FOLDER = 2 };
    enum { STATE_INPUT = 0, STATE_CONVERTING = 1, STATE_FINISHED = 2 };
    // How long a stop waits for the worker's last word before it gives up.
    enum { STOP_WAIT_MS = 5000 };

    cWavConverterWnd(cElementHost* owner, HWND parent, cResourceManager* res);
    ~cWavConverterWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;

    cVLEditBox* GetEdit(int index);
    int GetState() const { return state_; }
    int GetPercent() const { return percent_; }
    bool IsAborted() const { return aborted_ != 0; }
    bool IsMissing(int index) const { return missing_[index] != 0; }
    const td::ConvertOrder& GetOrder() const { return order_; }
    const char* GetQualityLine();

    // The system's file chooser; a test may choose instead.
    typedef bool (*FileChooser)(const char* title, const char* firstFolder, char* out, int size);
    static void SetFileChooser(FileChooser chooser);

private:
    static LRESULT CALLBACK ConverterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    cVLEditBox* AddEdit(int x, int y, int width, HWND behind);
    void ReadQuality();
    void OnChooseWav();
    void OnChooseFolder();
    void OnMp3Quality();
    void OnConvert();
    void OnStop();
    void OnProgress(WPARAM wParam, LPARAM lParam);
    void Finish(bool aborted);
    void Close();
    void Tell(unsigned textId, bool own, const char* argument);

    cElementHost* owner_;
    cResourceManager* res_;
    cListe edits_;
    cVLProgressBar* progress_;
    int state_;
    int percent_;
    int aborted_;
    int missing_[3];
    bool chooserOpen_;
    bool stopRequested_;
    char rateText_[101];
    char channelText_[64];
    char vbrText_[16];
    char qualityLine_[256];
    td::ConvertOrder order_;
    HBRUSH white_;
};
