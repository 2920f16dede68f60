// The standard skin as the skin engine meets it: every rectangle it hands
// out against the rules of its sprite table and the bitmap they point into,
// its version block and its entry points.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "facetkit_fixtures.h"
#include "skin_plugin_api.h"
#include "skindata.h"
#include "stockface_sprites.inc"

namespace {

struct SpriteRule {
    int id, kind, cells, cellW, cellH;
    long long sample;
    int probe;
};
enum { K_BTN5, K_STRIP, K_IMG, K_TILE, K_COLOUR, K_FRAME };
const SpriteRule kRules[] = {STOCKFACE_SPRITE_ROWS};

class Stockface : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(fk::LoadStockface(&module_), nullptr);
        getRect_ = reinterpret_cast<SkinGetResourceRectFn>(
            reinterpret_cast<void*>(GetProcAddress(module_.Get(), "GetResourceRect")));
        ASSERT_NE(getRect_, nullptr);
    }
    bk::ScopedModule module_;
    SkinGetResourceRectFn getRect_ = nullptr;
};

// Pixels of a bitmap resource of the skin, top row first.
bool ReadBitmap(HMODULE module, const char* name, int* w, int* h, std::vector<uint32_t>* px) {
    HBITMAP bmp = LoadBitmapA(module, name);
    if (!bmp) return false;
    BITMAP info = {};
    GetObjectA(bmp, sizeof(info), &info);
    *w = info.bmWidth;
    *h = info.bmHeight;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = *w;
    bi.bmiHeader.biHeight = -*h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    px->assign(static_cast<size_t>(*w) * *h, 0);
    bk::ScopedGetDC screen(nullptr);
    int rows = GetDIBits(screen.Get(), bmp, 0, *h, px->data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    for (uint32_t& p : *px) p &= 0xFFFFFF;
    return rows == *h;
}

TEST_F(Stockface, EveryRectangleFollowsTheSpriteTable) {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    ASSERT_TRUE(ReadBitmap(module_.Get(), SKIN_BITMAP_MASTER, &w, &h, &px));
    EXPECT_EQ(w, STOCKFACE_MASTER_WIDTH);
    EXPECT_EQ(h, STOCKFACE_MASTER_HEIGHT);

    std::vector<const SpriteRule*> byId(kSkinResourceIds, nullptr);
    for (const SpriteRule& r : kRules) byId[r.id] = &r;

    std::vector<RECT> present;
    for (int id = 0; id < kSkinResourceIds; ++id) {
        RECT r = getRect_(id);
        const SpriteRule* rule = byId[id];
        if (!rule) {
            EXPECT_EQ(r.left, -1) << "id " << id << " is not in the table";
            EXPECT_EQ(r.bottom, -1) << id;
            continue;
        }
        SCOPED_TRACE("sprite " + std::to_string(id));
        ASSERT_GE(r.left, 0);
        ASSERT_GE(r.top, 0);
        ASSERT_LT(r.right, w);
        ASSERT_LT(r.bottom, h);
        int width = r.right - r.left + 1, height = r.bottom - r.top + 1;
        EXPECT_EQ(width, rule->cells * rule->cellW);
        EXPECT_EQ(height, rule->cellH);
        if (rule->kind == K_BTN5) {
            EXPECT_EQ(width % 5, 0);
        }
        if (rule->kind == K_STRIP) {
            EXPECT_EQ(width % rule->cells, 0);
        }
        for (const RECT& other : present) {
            bool overlaps = r.left <= other.right && other.left <= r.right && r.top <= other.bottom &&
                            other.top <= r.bottom;
            EXPECT_FALSE(overlaps) << "overlaps the sprite at " << other.left << "," << other.top;
        }
        present.push_back(r);
        auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * w + x]; };
        if (rule->sample >= 0) {
            EXPECT_EQ(at(r.left, r.top), static_cast<uint32_t>(rule->sample));
        }
        if (rule->probe) {
            for (int cell = 0; cell < rule->cells; ++cell) {
                unsigned pid = 0, pcell = 0;
                ASSERT_TRUE(fk::DecodeProbe(at(r.left + cell * rule->cellW + 2, r.top + 2), &pid, &pcell)) << cell;
                EXPECT_EQ(pid, static_cast<unsigned>(id));
                EXPECT_EQ(pcell, static_cast<unsigned>(cell));
            }
        }
    }
    // Out of range ids are absent in all four values.
    for (int id : {-1, kSkinResourceIds, 100000}) {
        RECT r = getRect_(id);
        EXPECT_TRUE(r.left == -1 && r.top == -1 && r.right == -1 && r.bottom == -1) << id;
    }
}

// Sizes the skin engine's layouts force on the standard skin.
TEST_F(Stockface, SpritesHaveTheSizesTheLayoutsNeed) {
    auto size = [&](int id) {
        RECT r = getRect_(id);
        return SIZE{r.right - r.left + 1, r.bottom - r.top + 1};
    };
    for (int id : {30, 33, 34, 35, 40, 256, 315, 316, 328, 333, 374, 379, 380, 381, 382})
        EXPECT_LE(size(id).cy, 11) << "row button " << id;
    EXPECT_LE(size(174).cy, 13);
    EXPECT_LE(size(175).cy, 13);
    EXPECT_EQ(size(20).cx / 5, size(23).cx) << "arrow cells match the vertical bar";
    EXPECT_EQ(size(170).cy, size(173).cy) << "arrow cells match the horizontal bar";
    EXPECT_EQ(size(25).cx, size(26).cx);
    EXPECT_EQ(size(371).cx, size(372).cx);
    EXPECT_EQ(size(116).cx % 20, 0);
    EXPECT_EQ(size(408).cx, 240) << "the six-step animation strip";
    EXPECT_EQ(size(83).cx, 1);
    EXPECT_GE(size(216).cy, 36) << "pop-up title height";
}

TEST_F(Stockface, CarriesItsBitmapsAndVersionBlock) {
    int w = 0, h = 0;
    std::vector<uint32_t> de, en;
    ASSERT_TRUE(ReadBitmap(module_.Get(), "BigResource", &w, &h, &de));
    ASSERT_TRUE(ReadBitmap(module_.Get(), "BigResource_ENG", &w, &h, &en));
    EXPECT_NE(de, en) << "labels differ by language";
    std::vector<uint32_t> thumb;
    ASSERT_TRUE(ReadBitmap(module_.Get(), "BM_THUMB", &w, &h, &thumb));
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 70);

    std::string path = fk::BinFile("stockface.dll");
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    auto value = [&](const char* name) {
        char query[128];
        snprintf(query, sizeof(query), "\\StringFileInfo\\040904b0\\%s", name);
        char* text = nullptr;
        UINT len = 0;
        if (!VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&text), &len) || !text) return std::string();
        return std::string(text);
    };
    int a = 0, b = 0, c = 0;
    ASSERT_EQ(sscanf(value("FileVersion").c_str(), "%d.%d.%d", &a, &b, &c), 3);
    EXPECT_TRUE(a > 1 || (a == 1 && (b > 1 || (b == 1 && c >= 7)))) << value("FileVersion");
    EXPECT_FALSE(value("InternalName").empty());
    EXPECT_GT(atoi(value("Module").c_str()), 0);
}

TEST_F(Stockface, OffersTheEntryPointsTheEngineRequires) {
    for (const char* name : {"SetButtonsMain", "SetButtonsNav", "GetSkinRegionExtWnd", "GetResourceRect",
                             "NotifyBtnStateChanged", "SetSkinLanguage", "PreStartSkin", "StatusHook",
                             "SkinSpecificBtn", "PaintMain", "PaintNav"})
        EXPECT_NE(GetProcAddress(module_.Get(), name), nullptr) << name;
    auto preStart = reinterpret_cast<SkinPreStartSkinFn>(
        reinterpret_cast<void*>(GetProcAddress(module_.Get(), "PreStartSkin")));
    EXPECT_NE(preStart(nullptr, nullptr, nullptr), 0) << "the standard skin never stops the start";
    auto paint = reinterpret_cast<SkinPaintFn>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), "PaintMain")));
    EXPECT_EQ(paint(nullptr, nullptr, nullptr), 0) << "the engine paints the background";
    auto region = reinterpret_cast<SkinGetSkinRegionExtWndFn>(
        reinterpret_cast<void*>(GetProcAddress(module_.Get(), "GetSkinRegionExtWnd")));
    HRGN extended = region(nullptr, 1, 300, 200, 300, 200);
    RECT box;
    ASSERT_NE(extended, nullptr);
    GetRgnBox(extended, &box);
    EXPECT_EQ(box.right, 300);
    EXPECT_EQ(box.bottom, 200);
    DeleteObject(extended);
    HRGN folded = region(nullptr, 0, 0, 200, 300, 200);
    ASSERT_NE(folded, nullptr);
    EXPECT_EQ(GetRgnBox(folded, &box), NULLREGION);
    DeleteObject(folded);
}

TEST_F(Stockface, SetsTheSkinMetricsTheEngineReads) {
    auto setMain = reinterpret_cast<SkinSetButtonsMainFn>(
        reinterpret_cast<void*>(GetProcAddress(module_.Get(), "SetButtonsMain")));
    auto setNav = reinterpret_cast<SkinSetButtonsNavFn>(
        reinterpret_cast<void*>(GetProcAddress(module_.Get(), "SetButtonsNav")));
    ASSERT_TRUE(setMain && setNav);
    for (int window = 0; window < 2; ++window) {
        cVelmoSkinData data;
        // No element list: only the metrics are set.
        if (window == 0)
            setMain(&data, nullptr, nullptr, nullptr, 0);
        else
            setNav(&data, nullptr, nullptr, nullptr, 2);
        EXPECT_EQ(data.GetRasterOP(), static_cast<DWORD>(SRCAND));
        EXPECT_EQ(data.GetLanguageSupport(), 3u);
        EXPECT_NE(data.GetTextcolorO(), 0u);
        EXPECT_NE(data.GetTableLineColor(), 0u);
        EXPECT_NE(data.GetUnableToPlayColor(), 0u);
        EXPECT_EQ(data.GetResizeBtnPos().x, -1);
        EXPECT_GT(data.GetDisplayRahmen().cx, 0);
        EXPECT_GT(data.GetSkinauswahlLinks(), 0);
        EXPECT_GT(data.GetMinSizeNavWnd().cx, 0);
    }
    setMain(nullptr, nullptr, nullptr, nullptr, 0);   // nothing to fill: no fault
}

}  // namespace
