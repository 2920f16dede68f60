// Window captures as PNG, written with zlib (no image library needed).
#include <zlib.h>

#include <cstring>

#include "tdtest.h"

namespace tdtest {
namespace {

void Put32(std::string* s, uint32_t v) {
    char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    s->append(b, 4);
}

void Chunk(std::string* png, const char type[4], const std::string& data) {
    Put32(png, static_cast<uint32_t>(data.size()));
    std::string typed(type, 4);
    typed += data;
    png->append(typed);
    Put32(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                           static_cast<uInt>(typed.size()))));
}

}  // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels) {
    if (width <= 0 || height <= 0 || pixels.size() < size_t(width) * size_t(height)) return false;
    std::string raw;
    raw.reserve(size_t(height) * (size_t(width) * 3 + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            uint32_t p = pixels[size_t(y) * width + x];
            raw.push_back(char(p >> 16));
            raw.push_back(char(p >> 8));
            raw.push_back(char(p));
        }
    }
    uLongf zlen = compressBound(static_cast<uLong>(raw.size()));
    std::string z(zlen, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&z[0]), &zlen, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), 6) != Z_OK)
        return false;
    z.resize(zlen);
    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string ihdr;
    Put32(&ihdr, uint32_t(width));
    Put32(&ihdr, uint32_t(height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);   // 8 bit, RGB, no interlace
    Chunk(&png, "IHDR", ihdr);
    Chunk(&png, "IDAT", z);
    Chunk(&png, "IEND", std::string());
    return WriteFileBytes(path, png);
}

bool CaptureWindow(HWND hwnd, int* width, int* height, std::vector<uint32_t>* pixels) {
    RECT r;
    if (!GetWindowRect(hwnd, &r)) return false;
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    // Read from the screen where the window shows: that is what a user sees,
    // including regions and child windows.
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (dib) {
        HGDIOBJ old = SelectObject(mem, dib);
        ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != FALSE;
        GdiFlush();
        if (ok) {
            pixels->assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(w) * h);
            for (auto& p : *pixels) p &= 0x00FFFFFF;
            *width = w;
            *height = h;
        }
        SelectObject(mem, old);
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

bool SaveWindowPng(HWND hwnd, const std::string& path) {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    return CaptureWindow(hwnd, &w, &h, &px) && WritePng(path, w, h, px);
}

}  // namespace tdtest
