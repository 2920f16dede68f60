// The pop-up in which the user recommends a station, the player, a timer
// entry or a podcast to somebody by e-mail. It sends nothing itself: it
// fills the opener's record (names, addresses, the message and, for a timer
// entry or a podcast, a link in the player's own protocol appended to the
// message) and closes with result 1; the opener hands the record on to the
// host, which sends it through the interface server.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "facetkit_api.h"
#include "popup_wnd.h"
#include "recording_display.h"

class cElementHost;
class cResourceManager;
class cTimerEntry;
class cVLEditBox;

namespace recmd {

// Between the user's message and the appended link.
constexpr char kLinkMark[] = "###";
// The link of a timer entry that is no longer in the list.
constexpr char kErrorLink[] = "error";

// Whether a recipient's address has the shape the server accepts: at least
// two characters before the first "@", and the last "." of the text at
// least two places after it with at least one character following.
FACETKIT_API bool IsMailShaped(const char* text);

// The link that hands a timer entry to the recipient's player ("error" for
// none); blanks become "_" and a "|" inside the name "_" as well, since
// either would shift the link's fields.
FACETKIT_API std::string TimerLink(const cTimerEntry* entry);
// The link of a podcast by its feed address; empty for none (nothing is
// appended). The address keeps its blanks; a "|" is written "%7C" so the
// link keeps its fields.
FACETKIT_API std::string PodcastLink(const char* address);

// The message with "###" and the link appended, never longer than
// `size` - 1 characters: a message that does not fit beside the link is cut
// to make room; a link that leaves no room for any message becomes "error".
// No link: the message as it is (cut to the room).
FACETKIT_API std::string WithLink(const std::string& message, const std::string& link,
                                  size_t size = RecommendRecord::MESSAGE_SIZE);

// A typed one-line text as it may go into the record: control bytes dropped.
FACETKIT_API std::string CleanLine(const char* typed);
// A typed message: control bytes other than tab and line breaks dropped.
FACETKIT_API std::string CleanMessage(const char* typed);

// The catalogue text the heading is built from for a kind (0: none).
FACETKIT_API unsigned HeadingTextId(int kind);
// The heading for a kind, from that catalogue text (`format`, with one
// "%s") and the item text. `fits` answers whether a line fits the heading's
// width (only a timer entry's heading asks).
FACETKIT_API std::string Heading(int kind, const char* item, const char* format,
                                 const std::function<bool(const std::string&)>& fits);

}  // namespace recmd

class FACETKIT_API cRecommendWnd : public cPopUpWnd {
public:
    enum { WIDTH = 333, HEIGHT = 320 };
    enum { BUTTON_SEND = 242, BUTTON_CANCEL = 226 };
    // In the Tab order.
    enum { EDIT_RECIPIENT_NAME = 0, EDIT_RECIPIENT_MAIL, EDIT_MESSAGE, EDIT_SENDER_NAME, EDIT_SENDER_MAIL, EDIT_COUNT };

    cRecommendWnd(cElementHost* owner, HWND parent, cResourceManager* res, RecommendRecord* record);
    ~cRecommendWnd() override;

    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    // Fills the record from the boxes and closes with result 1; false (the
    // pop-up stays, the faulty labels red) when a field is missing or wrong.
    bool Send();
    void Close();

    cVLEditBox* GetEdit(int index) { return index >= 0 && index < EDIT_COUNT ? edits_[index] : nullptr; }
    bool IsSenderNameMissing() const { return senderNameMissing_; }
    bool IsRecipientMailInvalid() const { return recipientMailInvalid_; }
    bool IsRecipientNameMissing() const { return recipientNameMissing_; }
    // The heading as the last paint showed it.
    const std::string& GetHeading() const { return heading_; }

    void OnButton(unsigned long id);
    HBRUSH WhiteBrush() const { return white_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    std::string ReadEdit(int index, int limit);
    std::string LinkForRecord();
    void PaintHeading(HDC dc);

    cElementHost* owner_;
    cResourceManager* res_;
    RecommendRecord* record_;
    cVLEditBox* edits_[EDIT_COUNT];
    bool senderNameMissing_;
    bool recipientMailInvalid_;
    bool recipientNameMissing_;
    bool focusGiven_;
    HBRUSH white_;
    std::string heading_;
};

// Runs the pop-up modally over the navigator window with the record (the
// item text, when given, goes into it) and answers its result: 1 when the
// record was filled and is to be sent, 0 otherwise or without a navigator.
FACETKIT_API int RunRecommendWnd(RecommendRecord* record, const char* itemText);
