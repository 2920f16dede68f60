// The resource manager over the generated standard skin and over a careless
// fixture skin: sprite table, fonts, bitmaps by language, drawing guards and
// tool-tip texts.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "catalogue.h"
#include "facetkit_fixtures.h"
#include "host_link.h"
#include "resource_manager.h"
#include "skin_plugin_api.h"

namespace {

// A memory surface filled with one colour.
class Surface {
public:
    Surface(int w, int h, COLORREF fill) : w_(w), h_(h) {
        bk::ScopedGetDC screen(nullptr);
        dc_.Reset(CreateCompatibleDC(screen.Get()));
        bmp_.Reset(CreateCompatibleBitmap(screen.Get(), w, h));
        old_ = SelectObject(dc_.Get(), bmp_.Get());
        RECT all = {0, 0, w, h};
        HBRUSH b = CreateSolidBrush(fill);
        FillRect(dc_.Get(), &all, b);
        DeleteObject(b);
    }
    ~Surface() { SelectObject(dc_.Get(), old_); }
    HDC Dc() const { return dc_.Get(); }
    uint32_t At(int x, int y) const { return fk::DcPixel(dc_.Get(), x, y); }
    int CountNot(uint32_t colour) const {
        int n = 0;
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) n += At(x, y) != colour;
        return n;
    }

private:
    int w_, h_;
    bk::ScopedMemDC dc_;
    bk::ScopedGdiObject bmp_;
    HGDIOBJ old_ = nullptr;
};

struct LanguageSource {
    int language = 0;
    int calls = 0;
    static int Get(void* self) {
        auto* s = static_cast<LanguageSource*>(self);
        ++s->calls;
        return s->language;
    }
};

class ResourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(fk::LoadStockface(&stockface_), nullptr); }
    void TearDown() override { SetHostLanguageSource(nullptr, nullptr); }
    bk::ScopedModule stockface_;
};

TEST_F(ResourceManagerTest, CopiesTheSkinsRectanglesAndGuardsTheRest) {
    cResourceManager res(stockface_.Get(), 0);
    ASSERT_TRUE(res.IsValid());
    auto getRect = reinterpret_cast<SkinGetResourceRectFn>(
        reinterpret_cast<void*>(GetProcAddress(stockface_.Get(), "GetResourceRect")));
    for (unsigned id = 0; id < kSpriteCount; ++id) {
        RECT mine, skins = getRect(static_cast<int>(id));
        EXPECT_EQ(res.GetDC(id, &mine), res.GetDC(0, &mine));
        res.GetDC(id, &mine);
        EXPECT_TRUE(EqualRect(&mine, &skins)) << id;
        if (skins.left == -1) {
            EXPECT_EQ(res.GetGfxWidth(id), 0) << id;
        } else {
            EXPECT_EQ(res.GetGfxWidth(id), skins.right - skins.left + 1) << id;
            EXPECT_EQ(res.GetGfxHeight(id), skins.bottom - skins.top + 1) << id;
        }
    }
    // Ids past the table are absent, whoever asks.
    for (unsigned id : {kSpriteCount, 1000u, 0xFFFFFFFFu}) {
        RECT r;
        res.GetDC(id, &r);
        EXPECT_EQ(r.left, -1);
        EXPECT_EQ(r.bottom, -1);
        EXPECT_EQ(res.GetGfxWidth(id), 0);
        Surface s(20, 20, RGB(1, 2, 3));
        EXPECT_EQ(res.DrawBitmap(s.Dc(), 0, 0, id, SRCCOPY), 1);
        EXPECT_EQ(res.BitBlt(s.Dc(), 0, 0, 20, 20, id, 0, 0, SRCCOPY), 1);
        EXPECT_EQ(res.StretchBlt(s.Dc(), 0, 0, 20, 20, id, 0, 0, SRCCOPY), 1);
        EXPECT_EQ(s.CountNot(0x010203), 0);
        EXPECT_EQ(res.GetPixel(id), RGB(255, 255, 255));
    }
}

TEST_F(ResourceManagerTest, DrawsSpriteCellsAndNothingBeyondThem) {
    cResourceManager res(stockface_.Get(), 0);
    int w = res.GetGfxWidth(1) / 5, h = res.GetGfxHeight(1);
    Surface s(200, 60, RGB(1, 2, 3));
    // Cell 3 (pressed) of the play button at (10, 10).
    EXPECT_NE(res.BitBlt(s.Dc(), 10, 10, w, h, 1, 3 * w, 0, SRCCOPY), 0);
    unsigned id = 0, cell = 0;
    ASSERT_TRUE(fk::DecodeProbe(s.At(12, 12), &id, &cell));
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(cell, 3u);
    // Asking for more than the sprite holds copies only the sprite's part.
    Surface t(200, 60, RGB(1, 2, 3));
    res.BitBlt(t.Dc(), 0, 0, 200, 60, 1, 4 * w, 0, SRCCOPY);
    EXPECT_NE(t.At(w - 1, h - 1), 0x010203u);
    EXPECT_EQ(t.At(w, 0), 0x010203u);
    EXPECT_EQ(t.At(0, h), 0x010203u);
    // The whole sprite: all five cells.
    Surface u(300, 60, RGB(1, 2, 3));
    res.DrawBitmap(u.Dc(), 0, 0, 1, SRCCOPY);
    ASSERT_TRUE(fk::DecodeProbe(u.At(4 * w + 2, 2), &id, &cell));
    EXPECT_EQ(cell, 4u);
    // The colour sample of a background sprite.
    EXPECT_EQ(res.GetPixel(83), RGB(0xF4, 0xF6, 0xF8));
}

TEST_F(ResourceManagerTest, FontsFollowTheTable) {
    cResourceManager res(stockface_.Get(), 0);
    struct {
        int index, points, weight;
    } fonts[] = {{0, 13, 700}, {1, 13, 0}, {2, 12, 0}, {3, 12, 700}};
    bk::ScopedGetDC screen(nullptr);
    for (auto& f : fonts) {
        HFONT font = res.GetFont(f.index);
        ASSERT_NE(font, nullptr) << f.index;
        LOGFONTA lf = {};
        ASSERT_TRUE(GetObjectA(font, sizeof(lf), &lf));
        EXPECT_EQ(lf.lfHeight, MulDiv(f.points, GetDeviceCaps(screen.Get(), LOGPIXELSY),
                                      GetDeviceCaps(screen.Get(), LOGPIXELSX)));
        EXPECT_EQ(lf.lfWeight, f.weight);
        EXPECT_STREQ(lf.lfFaceName, "Microsoft Sans Serif");
    }
    EXPECT_EQ(res.GetFont(4), nullptr);
    EXPECT_EQ(res.GetFont(-1), nullptr);
}

TEST_F(ResourceManagerTest, MasterBitmapKeepsTheLanguageOfConstruction) {
    cResourceManager german(stockface_.Get(), 1);
    cResourceManager english(stockface_.Get(), 2);
    auto cellsDiffer = [&](unsigned id) {
        int w = german.GetGfxWidth(id), h = german.GetGfxHeight(id);
        Surface a(w, h, 0), b(w, h, 0);
        german.DrawBitmap(a.Dc(), 0, 0, id, SRCCOPY);
        english.DrawBitmap(b.Dc(), 0, 0, id, SRCCOPY);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (a.At(x, y) != b.At(x, y)) return true;
        return false;
    };
    EXPECT_TRUE(cellsDiffer(16)) << "SENDER / STATIONS label";
    EXPECT_FALSE(cellsDiffer(1)) << "the play symbol has no text";
    german.SetLanguage(2);
    EXPECT_TRUE(cellsDiffer(16)) << "a later language change does not reload the bitmap";
}

TEST_F(ResourceManagerTest, CarelessSkinGetsItsBadRectanglesRefused) {
    bk::ScopedModule fixture(LoadLibraryA(fk::BinFile("facetkit_fixtureskin.dll").c_str()));
    ASSERT_TRUE(fixture);
    // No English bitmap in this skin: English falls back to the plain one.
    for (int language : {0, 2}) {
        cResourceManager res(fixture.Get(), language);
        ASSERT_TRUE(res.IsValid()) << language;
        EXPECT_EQ(res.GetMasterSize().cx, 100);
        struct {
            unsigned id;
            int w, h;
        } cases[] = {{1, 10, 5}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 100, 70}, {6, 1, 1}, {7, 0, 0}};
        for (auto& c : cases) {
            EXPECT_EQ(res.GetGfxWidth(c.id), c.w) << c.id;
            EXPECT_EQ(res.GetGfxHeight(c.id), c.h) << c.id;
            EXPECT_EQ(res.HasSprite(c.id), c.w > 0) << c.id;
        }
        Surface s(40, 40, RGB(1, 2, 3));
        EXPECT_EQ(res.DrawBitmap(s.Dc(), 0, 0, 3, SRCCOPY), 1);
        EXPECT_EQ(res.DrawBitmap(s.Dc(), 0, 0, 2, SRCCOPY), 1);
        EXPECT_EQ(s.CountNot(0x010203), 0);
    }
}

TEST_F(ResourceManagerTest, SkinWithoutMasterBitmapIsNotValid) {
    // basekit carries neither a master bitmap nor GetResourceRect.
    HMODULE plain = GetModuleHandleA("basekit.dll");
    ASSERT_NE(plain, nullptr);
    cResourceManager res(plain, 0);
    EXPECT_FALSE(res.IsValid());
    RECT r;
    EXPECT_EQ(res.GetDC(1, &r), nullptr);
    EXPECT_EQ(r.left, -1);
    EXPECT_EQ(res.GetPixel(83), RGB(255, 255, 255));
    Surface s(10, 10, RGB(1, 2, 3));
    EXPECT_EQ(res.DrawBitmap(s.Dc(), 0, 0, 1, SRCCOPY), 1);
}

TEST_F(ResourceManagerTest, ToolTipTextsFollowTheHostsLanguageAtEachCall) {
    cResourceManager res(stockface_.Get(), 1);
    LanguageSource host;
    SetHostLanguageSource(&LanguageSource::Get, &host);
    char buffer[300];
    memset(buffer, 'x', sizeof(buffer));
    res.GetToolTipText(23, buffer, sizeof(buffer));
    EXPECT_STREQ(buffer, "") << "element 23 has no tool tip";

    char expected[300];
    for (int language : {2, 1, 2}) {
        host.language = language;
        int before = host.calls;
        res.GetToolTipText(1, buffer, sizeof(buffer));
        EXPECT_EQ(host.calls, before + 1);
        GetResourceString(nullptr, 126, language, expected, sizeof(expected));
        EXPECT_STREQ(buffer, expected);
        if (language == 2 && expected[0]) {
            EXPECT_STREQ(buffer, "Play");
        }
    }
    EXPECT_EQ(ToolTipStringId(1), 126u);
    EXPECT_EQ(ToolTipStringId(14), 240u);
    EXPECT_EQ(ToolTipStringId(406), 281u);
    EXPECT_EQ(ToolTipStringId(23), 0u);
    // A short buffer is zeroed and never overrun.
    char small[4] = {'a', 'b', 'c', 'd'};
    res.GetToolTipText(23, small, 3);
    EXPECT_EQ(small[0], 0);
    EXPECT_EQ(small[3], 'd');
}

}  // namespace
