// Feeds arbitrary bytes to the parsers of texts that other programs and web
// links hand the player: the protocol text split and its numbers, the
// percent-encoded UTF-8 decoder, the splash window's second-start text and
// the encoder's source list. Checks that fields stay within the input, that
// decoding never lengthens a text and that values stay in their ranges.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "address_decoding.h"
#include "encoder_notices.h"
#include "protocol_commands.h"
#include "splash_text.h"

namespace {
void Check(bool ok) {
    if (!ok) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);

    ProtocolFields f;
    SplitProtocolText(text, size, &f);
    Check(f.count >= 0 && f.count <= kProtocolMaxFields);
    size_t total = 0;
    for (int i = 0; i < f.count; ++i) {
        Check(!f.field[i].empty());
        total += f.field[i].size();
        ProtocolUnsigned(f.Get(i));
        const long s = ProtocolSigned(f.Get(i));
        (void)s;
    }
    Check(total <= size);

    Check(CopyDataText(data, size).size() <= size);

    std::string copy(text, size);
    const size_t before = strlen(copy.c_str());
    UrlDecodeUtf8(&copy[0]);
    Check(strlen(copy.c_str()) <= before);

    int value = 0;
    if (ParseSplashCopyData(data, size, &value)) Check(value == -1 || (value >= 1 && value < 130));

    for (const std::string& item : EncoderSources(text, size)) Check(!item.empty() && item.size() < 1024);
    return 0;
}
