// The editor of a station of the user's own: name, home page, country,
// language, type, genre, description, stream format and address. OK sends
// the station to the host as one record (code 49); the host stores it and
// pushes the user's stations back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dialog_controls.h"
#include "facetkit_api.h"
#include "popup_wnd.h"

class cElementHost;
class cListe;
class cResourceManager;

namespace ownst {
// Fields of a stored station text and of the record sent to the host are
// separated by this byte.
constexpr char kSeparator = '\x02';

// The stored station's fields the editor uses.
struct Station {
    std::string name, homePage, description, address;
    unsigned long genre = 0, type = 0, country = 0, language = 0, format = 0;
};
// Reads a stored station text (empty fields kept in place).
FACETKIT_API Station ParseStoredStation(const char* text, size_t length);
// The nine-field record for the host; blanks stand for empty texts so that
// no field is empty.
FACETKIT_API std::string BuildStationRecord(const Station& s);
// A typed text as it may go into a record: control bytes (the separator
// among them) dropped.
FACETKIT_API std::string CleanField(const char* text);
}  // namespace ownst

class FACETKIT_API cOwnStationWnd : public cPopUpWnd {
public:
    enum { WIDTH = 325, HEIGHT = 437, TEXT_SIZE = 1024 };
    enum {
        BUTTON_FORMAT_HELP = 286, BUTTON_HELP = 400, BUTTON_TRY = 295, BUTTON_OK = 288, BUTTON_CANCEL = 226,
    };
    enum { EDIT_NAME = 0, EDIT_HOME_PAGE, EDIT_DESCRIPTION, EDIT_ADDRESS, EDIT_COUNT };
    enum { LIST_COUNTRY = 0, LIST_LANGUAGE, LIST_TYPE, LIST_GENRE, LIST_FORMAT, LIST_COUNT };

    cOwnStationWnd(cElementHost* owner, HWND parent, cResourceManager* res, unsigned long stationId);
    ~cOwnStationWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    // Sends the station and closes; false (and the pop-up stays) when the
    // format or the address is missing.
    bool Save();
    void TestPlay();
    // Marks (and focuses) a missing format or an address shorter than two
    // characters; true when neither is missing.
    bool CheckPlayable(unsigned long format, const std::string& address);
    void Close();

    cVLEditBox* GetEdit(int index) { return index >= 0 && index < EDIT_COUNT ? edits_[index] : nullptr; }
    cSkinComboBox* GetList(int index) { return index >= 0 && index < LIST_COUNT ? lists_[index] : nullptr; }
    bool IsFormatMissing() const { return formatMissing_; }
    bool IsAddressMissing() const { return addressMissing_; }

    // A skinned button was pressed.
    void OnButton(unsigned long id);
    HBRUSH WhiteBrush() const { return white_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void FillList(int index, int slot, unsigned long selectedId);
    unsigned long SelectedId(int index);
    std::string EditText(int index);

    cElementHost* owner_;
    cResourceManager* res_;
    unsigned long stationId_;
    cVLEditBox* edits_[EDIT_COUNT];
    cSkinComboBox* lists_[LIST_COUNT];
    std::vector<unsigned long> listIds_[LIST_COUNT];
    bool formatMissing_;
    bool addressMissing_;
    bool focusGiven_;
    HBRUSH white_;
};

// Runs the editor modally over the navigator window for a station id (0 or
// an unknown id: a new station).
FACETKIT_API void OpenOwnStationWnd(unsigned long stationId);
