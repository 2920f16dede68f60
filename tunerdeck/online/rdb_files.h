// The byte forms of the user's .rdb files, read from and written to memory.
// Every read is checked against the bytes there are. Free of Windows calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// CRC-16/XMODEM (polynomial 0x1021, initial value 0); "123456789" gives 0x31C3.
uint16_t CalcCrc16(const unsigned char* data, size_t size);
// The CRC of the bytes so far (`crc`) carried on over the next ones.
uint16_t UpdateCrc16(uint16_t crc, const unsigned char* data, size_t size);
// The trailer: the CRC of the content, low byte first.
void AppendCrc16(std::string* content);
// True when the data is longer than 2 bytes and its last two bytes are the
// CRC of the rest; *size then loses the trailer.
bool CheckCrc16(const unsigned char* data, size_t* size);

constexpr uint32_t kFavoritesMarker = 0xFFFFFFFFu;
constexpr uint32_t kListsMarker = 0xEFFFFFFFu;
constexpr size_t kMaxListName = 255;

struct FavoriteEntry {
    uint32_t id = 0;
    uint32_t folder = 0;
};
struct NamedValue {
    uint32_t id = 0;
    int32_t value = 0;
    std::string name;
};

// radiofa.rdb content (trailer removed): the marker and (id, folder) pairs,
// or the older form of ids only. A partial entry at the end is dropped.
std::vector<FavoriteEntry> ParseFavorites(const unsigned char* data, size_t size);
std::string SerializeFavorites(const std::vector<FavoriteEntry>& list);
// radiott.rdb content: 32-bit ids.
std::vector<uint32_t> ParseTopStations(const unsigned char* data, size_t size);
std::string SerializeTopStations(const std::vector<uint32_t>& ids);
// radioli.rdb content: marker, then per list id, value, name with its zero
// byte, then "|"; the older form keeps one entry behind the fifth "|".
std::vector<NamedValue> ParseListFolders(const unsigned char* data, size_t size);
std::string SerializeListFolders(const std::vector<NamedValue>& lists);
// radiopod.rdb: "entry" elements "<name>#ABO:1"; ids count from 0.
std::vector<NamedValue> ParsePodcasts(const char* text, size_t size);
std::string SerializePodcasts(const std::vector<NamedValue>& podcasts);
// radiocnt.rdb: "entry" elements "<path>#COUNT:<n>"; ids count from 0.
std::vector<NamedValue> ParseFileCounter(const char* text, size_t size);
std::string SerializeFileCounter(const std::vector<NamedValue>& entries);
// radiodb.rdb content (trailer removed): the plain text when it holds
// "<?xml version", else the deciphered text up to its first zero byte.
std::string DecodeStationDbFile(const unsigned char* data, size_t size);
// The same in place: the content becomes the text.
void DecodeStationDbText(std::string* content);
// Whether the bytes hold the mark of the plain text ("<?xml version").
bool HoldsPlainStationDbMark(const char* data, size_t size);
constexpr size_t kPlainStationDbMarkLength = 13;

