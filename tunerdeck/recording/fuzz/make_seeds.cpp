// Writes a few valid archives and WAV headers as starting points.
#include <zlib.h>

#include <cstdio>
#include <string>

namespace {

std::string U32(uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string U16(uint16_t v) { return std::string{char(v), char(v >> 8)}; }

std::string Deflate(const std::string& in) {
    z_stream zs = {};
    deflateInit2(&zs, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, in.size()) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

std::string Zip(bool deflated, bool descriptor) {
    std::string data = "lame_enc.dll contents, repeated, repeated, repeated.";
    uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    std::string payload = deflated ? Deflate(data) : data;
    uint16_t method = deflated ? 8 : 0, flags = descriptor ? 8 : 0;
    std::string name = "bin/lame_enc.dll";
    std::string local = "PK\x03\x04" + U16(20) + U16(flags) + U16(method) + U16(0x6a21) + U16(0x5a8c) +
                        (descriptor ? U32(0) + U32(0) + U32(0)
                                    : U32(crc) + U32(static_cast<uint32_t>(payload.size())) + U32(static_cast<uint32_t>(data.size()))) +
                        U16(static_cast<uint16_t>(name.size())) + U16(0) + name + payload;
    if (descriptor) local += "PK\x07\x08" + U32(crc) + U32(static_cast<uint32_t>(payload.size())) + U32(static_cast<uint32_t>(data.size()));
    std::string central = "PK\x01\x02" + U16(20) + U16(20) + U16(flags) + U16(method) + U16(0x6a21) + U16(0x5a8c) +
                          U32(crc) + U32(static_cast<uint32_t>(payload.size())) + U32(static_cast<uint32_t>(data.size())) +
                          U16(static_cast<uint16_t>(name.size())) + U16(0) + U16(0) + U16(0) + U16(0) + U32(0x20) + U32(0) + name;
    std::string end = "PK\x05\x06" + U16(0) + U16(0) + U16(1) + U16(1) + U32(static_cast<uint32_t>(central.size())) +
                      U32(static_cast<uint32_t>(local.size())) + U16(0);
    return local + central + end;
}

std::string Wav(uint16_t channels, uint16_t bits) {
    uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    std::string fmt = U16(1) + U16(channels) + U32(44100) + U32(44100u * align) + U16(align) + U16(bits) + U16(0);
    std::string body = "WAVEfmt " + U32(18) + fmt + "data" + U32(8) + std::string(8, '\x10');
    return "RIFF" + U32(static_cast<uint32_t>(body.size())) + body;
}

void Write(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string zip = argv[1], wav = argv[2];
    Write(zip + "/stored.zip", Zip(false, false));
    Write(zip + "/deflated.zip", Zip(true, false));
    Write(zip + "/descriptor.zip", Zip(true, true));
    Write(wav + "/stereo16.wav", Wav(2, 16));
    Write(wav + "/mono8.wav", Wav(1, 8));
    return 0;
}
