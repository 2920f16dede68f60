// The player's own 16-byte Blowfish key: settings, data files, server
// requests and enciphered downloads all use it. Free of Windows calls.
#pragma once

constexpr unsigned char kPlayerCipherKey[16] = {0x3f, 0x8e, 0x1a, 0x6c, 0xd7, 0x05, 0x2b, 0x94,
                                                0xe0, 0xc4, 0xa7, 0x19, 0x3d, 0x6b, 0x58, 0xf2};
