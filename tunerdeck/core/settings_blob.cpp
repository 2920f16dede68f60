#include "settings_blob.h"

#include <cstring>

#include "blowfish.h"
#include "player_key.h"
#include "rdb_files.h"
#include "xml_core.h"

namespace td {
namespace {

CBlowFish SettingsCipher() { return CBlowFish(kPlayerCipherKey, sizeof kPlayerCipherKey, SBlock(0, 0), kBlowfishWhitenEven, kBlowfishWhitenOdd); }

}  // namespace

std::vector<unsigned char> SealSettings(const std::string& xml) {
    size_t padded = (xml.size() + 7) / 8 * 8;
    if (padded == 0) padded = 8;
    std::vector<unsigned char> blob(padded + 2, 0);
    memcpy(blob.data(), xml.data(), xml.size());
    SettingsCipher().Encrypt(blob.data(), static_cast<unsigned int>(padded), CBlowFish::ECB);
    uint16_t crc = CalcCrc16(blob.data(), padded);
    blob[padded] = static_cast<unsigned char>(crc & 0xff);
    blob[padded + 1] = static_cast<unsigned char>(crc >> 8);
    return blob;
}

OpenResult OpenSettings(const unsigned char* blob, size_t size, std::string* xml) {
    if (!blob || size < kMinSettingsBlob) return OpenResult::TooShort;
    size_t body = size - 2;
    uint16_t stored = static_cast<uint16_t>(blob[body] | (blob[body + 1] << 8));
    if (CalcCrc16(blob, body) != stored) return OpenResult::CrcMismatch;
    // A body that is not whole blocks is deciphered over the next multiple
    // of 8, the missing bytes taken as zeros.
    size_t padded = (body + 7) / 8 * 8;
    std::vector<unsigned char> plain(padded + 1, 0);
    memcpy(plain.data(), blob, body);
    try {
        SettingsCipher().Decrypt(plain.data(), static_cast<unsigned int>(padded), CBlowFish::ECB);
    } catch (const std::exception&) {
        return OpenResult::CipherFailed;
    }
    xml->assign(reinterpret_cast<const char*>(plain.data()), strnlen(reinterpret_cast<const char*>(plain.data()), padded));
    return OpenResult::Ok;
}

bool FindElement(const std::string& doc, const char* name, std::string* out, size_t* begin, size_t* end) {
    std::string content;
    size_t position = 0;
    if (!NextElementText(doc, name, &content, &position)) return false;
    // position is the closing tag's offset; the opening tag stands just
    // before the content.
    const size_t openSize = strlen(name) + 2, closeSize = strlen(name) + 3;
    if (position < content.size() + openSize) return false;
    if (begin) *begin = position - content.size() - openSize;
    if (end) *end = position + closeSize;
    if (out) *out = content;
    return true;
}

bool ParseDecimal(const std::string& text, int32_t* value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > 0x80000000LL) v = 0x80000000LL;
    }
    if (negative) v = -v;
    if (v > INT32_MAX) v = INT32_MAX;
    *value = static_cast<int32_t>(v);
    return true;
}

}  // namespace td
