// The player's conversation with the interface server (one operation per
// request kind) and its plain downloads: the station database, the
// installer, skins, playlists, redirect checks and the ".za" files.
//
// cOnlineClient is the interface-server client with these operations added;
// it is a cInternet, so the player core constructs it the same way (server
// text, user name, password) and tests reach the stand-in server through
// SetServerName.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "internet.h"
#include "reply_docs.h"
#include "settings_doc.h"
#include "station_db.h"

// What the version report needs to know of the installation; filled by the
// caller (the player core reads it from the program folder and the system).
struct VersionReportInfo {
    std::string playerVersion;     // the program's "FileVersion"
    std::string skinName;          // the skin file's "InternalName"
    std::string skinVersion;       // the skin file's "FileVersion"
    uint32_t skinId = 0;           // the skin file's "Module"
    int32_t osMajor = 0, osMinor = 0, osBuild = 0, osPlatform = 0;
    std::string osServicePack;
    int32_t oem = 0;
};

// Reads the player's and the active skin's version blocks (program folder
// and its "skins" subfolder, the setting SKIN) and the system version.
VersionReportInfo ReadVersionReportInfo();

// The buffer size the players' callers give CheckURLRedirected.
constexpr size_t kRedirectTargetSize = 1024;
// A playlist is read up to this many bytes.
constexpr unsigned long kPlaylistMaxBytes = 20000;

class cOnlineClient : public cInternet {
public:
    cOnlineClient(const char* server, const char* user, const char* password);

    // ------------------------------------------------------------ requests
    // Version report (always 0). Offline, records the offline skin's id as
    // "aktSkinId" and sends nothing. A new installation (id empty or "0")
    // whose first attempt faults tries once more after retryPauseMs.
    int SendVersionInfo(const char* playerId, std::unique_ptr<cUpdateInfoDoc>* out, int errorDetected,
                        int language, const VersionReportInfo* info = nullptr, DWORD retryPauseMs = 1000);
    // Station-database update: 1 current or a new database parsed into *db,
    // 0 failure or offline. *timeDoc is handed over at once when online.
    int GetDBVersion(const char* playerId, const char* dbTime, std::unique_ptr<cDbTimeDoc>* timeDoc,
                     std::unique_ptr<cStationDbDoc>* db);
    int SendEmpfehlung(const char* playerId, int32_t recommendedId, int32_t kind, const char* fromName,
                       const char* fromAddress, const char* toName, const char* toAddress, const char* message,
                       int32_t language);
    int SendSkinData(const char* playerId, const char* skinId, const char* data);
    // Listening report; 0 unless the server answered (the caller then keeps
    // the records for the next report).
    int SetPlayTime(const char* playerId, const std::vector<ListenRecord>& records, const char* agent,
                    int32_t language);
    // The top list's station ids in order (0 and non-numbers left out); an
    // empty vector when no list came. *date receives the list's date.
    std::vector<int32_t> GetTopSender(const char* playerId, std::string* date);
    // Always 1; *address is unchanged unless the answer names one.
    int GetDownloadlocation(const char* wanted, std::string* address);
    int GetListenProgrammtipps(std::vector<std::unique_ptr<cProgrammtipp>>* tips);
    int GetListenAvoidDeadStreams(std::vector<std::string>* locked);
    int GetListItems(std::unique_ptr<cListItemsDoc>* doc, int32_t listNumber);
    // The whole station directory as text, written to an open file.
    int GetAllDB(HANDLE file);

    // ------------------------------------------------------------ downloads
    // GET into a file (replaced only by a complete answer of at least one
    // byte). maxBytes 0: no limit. 1 stored, 0 failed.
    int Downloadfile(const char* url, const char* localName, unsigned long maxBytes);
    // 1 when the address answers 301, 302 or 303; *target (size bytes)
    // receives the Location value, which must fit.
    int CheckURLRedirected(const char* url, char* target, size_t size);
    // The installer into the user folder as "update.exe", with the progress
    // dialog. 1 stored, 0 failed or offline, kRefusedCode when what came is
    // not what the server announced or not signed (it is deleted then).
    int GetPlayerUpdate(unsigned long expectedSize, const char* url);
    // A skin into a temporary file of the user folder, unpacked; *localName
    // receives the unpacked file's path. 1 stored and unpacked; 0 or
    // kRefusedCode as GetPlayerUpdate (the size is the packed download's,
    // the signature the library's).
    int GetSkinUpdate(unsigned long expectedSize, const char* url, std::string* localName);
    static constexpr int kRefusedCode = -1;

    static int UnpackFile(const char* name);
    static int PackFile(const char* name);
    static int MakeCryptCopy(const char* name);

    // The window of the progress dialog while one is shown (tests take its
    // picture); null otherwise.
    static HWND ProgressDialog();

private:
    HWND OpenProgress(unsigned long expectedSize);
    void CloseProgress(HWND dialog);
    int DownloadStationDb(const std::string& url, std::unique_ptr<cStationDbDoc>* db);
    // Opens Internet handle, connection (with the object's credentials) and
    // a GET request for the address into handles[0..2], logging the step
    // that failed under the operation's name. The caller closes them.
    bool OpenGetRequest(const char* op, const char* url, DWORD flags, const char* headers, HINTERNET handles[3]);

    std::string user_, password_;
};

// Helpers of the download checks, free of Windows calls.
namespace online {
// A bare file name: no separators, no drive, not "." or "..", no control
// characters, and (when ext is given) ending in ext, letters' case ignored.
bool IsBareFileName(const std::string& name, const char* ext);
// Every "&" of the text as "&amp;", "<" and ">" as "&lt;" and "&gt;".
std::string EscapeRequestField(const std::string& text);
// The value of the first header line "Location:" of a raw header block
// (case ignored, blanks after the colon skipped), ended by CR or LF. False
// when there is none.
bool FindLocationHeader(const char* headers, size_t length, std::string* value);
// Drops trailing 0xFD padding bytes.
size_t StripPadding(const unsigned char* data, size_t length);
// "radiodb.rdb" -> "radiodb_crypt.rdb": split at the last "." of the file
// name part; a name without one gets "_crypt." appended.
std::string CryptCopyName(const std::string& path);

// Moves a downloaded skin into the skins folder (with or without a trailing
// backslash) under `name`, replacing a file of that name. The name comes
// from the downloaded file itself, so only a bare ".dll" name is taken;
// for any other the download is deleted and nothing is moved.
bool InstallSkinFile(const std::string& downloaded, const std::string& skinsFolder, const std::string& name);
// The same under the file name the file's version record gives
// ("OriginalFilename"); *name receives it.
bool InstallDownloadedSkin(const std::string& downloaded, const std::string& skinsFolder, std::string* name);
}  // namespace online

// Downloaded code runs, or is loaded, only when its Authenticode signature
// verifies. The verifier is a seam: the system's (WinVerifyTrust) unless a
// test installs its own; null puts the system's back.
using CodeVerifier = bool (*)(const char* path);
void SetCodeVerifier(CodeVerifier verifier);
bool VerifyAuthenticode(const char* path);
// A downloaded program or library: true when its size is the announced one
// (which must be known) and the verifier accepts it; otherwise it is
// deleted and the reason logged.
bool CheckDownloadedCode(const char* path, unsigned long announcedSize);
// The two halves of that check, for what comes packed: the archive has the
// announced size, the code taken out of it the signature.
bool CheckDownloadedSize(const char* path, unsigned long announcedSize);
bool CheckDownloadedSignature(const char* path);
