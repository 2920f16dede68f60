// The skin preview: thumbnail and version read from skin libraries in the
// skins folder (as data, from plain file names only), a library without a
// thumbnail, files that are no library at all, and the picture and texts it
// paints inside its view.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "bounded_text.h"
#include "element_fixture.h"
#include "library_state.h"
#include "skin_preview.h"
#include "skindata.h"
#include "tdtest.h"

namespace {

class Owner : public cPreviewOwner {
public:
    RECT GetPreviewArea() override { return area; }
    cVelmoSkinData* GetPreviewSkinData() override { return &skin; }
    void RepaintPreviewArea() override { ++repaints; }
    RECT area = {0, 0, 240, 200};
    cVelmoSkinData skin;
    int repaints = 0;
};

class SkinPreviewTest : public fk::ElementTest {
protected:
    void SetUp() override {
        fk::ElementTest::SetUp();
        folder_.reset(new tdtest::TempFolder("skins"));
        ASSERT_TRUE(CopyFileA(fk::BinFile("stockface.dll").c_str(), folder_->File("stockface.dll").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(fk::BinFile("facetkit_fixtureskin.dll").c_str(),
                              folder_->File("nothumb.dll").c_str(), FALSE));
        folder_->Write("broken.dll", "MZ this is no library at all");
        saved_ = Library().skinsFolder;
        bk::TextCopy(Library().skinsFolder, folder_->Path().c_str());
        owner_.skin.SetSkinauswahlLinks(245);
        owner_.skin.SetTextcolorN(RGB(200, 0, 0));
        bk::ScopedGetDC screen(nullptr);
        preview_.CreateDC(screen.Get(), &owner_);
    }
    void TearDown() override {
        preview_.FreeDC();
        bk::TextCopy(Library().skinsFolder, saved_.c_str());
        folder_.reset();
        fk::ElementTest::TearDown();
    }

    std::unique_ptr<tdtest::TempFolder> folder_;
    std::string saved_;
    Owner owner_;
    cSkinPreview preview_;
};

TEST_F(SkinPreviewTest, LoadsThumbnailAndVersionOfASkin) {
    ASSERT_TRUE(preview_.Load("stockface.dll"));
    EXPECT_EQ(preview_.GetWidth(), 100);
    EXPECT_EQ(preview_.GetHeight(), 70);
    EXPECT_STRNE(preview_.GetInfo().InternalName, "");
    EXPECT_STRNE(preview_.GetInfo().FileVersion, "");
    EXPECT_EQ(owner_.repaints, 1);
    uint32_t picture = fk::DcPixel(preview_.GetDC(), 50, 35);

    // A library without a thumbnail keeps the picture but shows none.
    ASSERT_TRUE(preview_.Load("nothumb.dll"));
    EXPECT_EQ(preview_.GetWidth(), 0);
    EXPECT_EQ(preview_.GetHeight(), 0);
    EXPECT_EQ(fk::DcPixel(preview_.GetDC(), 50, 35), picture);
    EXPECT_EQ(owner_.repaints, 2);
}

TEST_F(SkinPreviewTest, RefusesWhatIsNoSkinOfTheFolder) {
    ASSERT_TRUE(preview_.Load("stockface.dll"));
    std::string longName(400, 'a');
    longName += ".dll";
    const char* names[] = {"broken.dll", "missing.dll", "..\\stockface.dll", "sub/stockface.dll",
                           "C:stockface.dll", "", longName.c_str()};
    for (const char* name : names) {
        EXPECT_FALSE(preview_.Load(name)) << name;
        EXPECT_EQ(preview_.GetWidth(), 0) << name;
    }
    EXPECT_FALSE(preview_.Load(nullptr));
    EXPECT_EQ(owner_.repaints, 1) << "only a read library asks for a repaint";
}

TEST_F(SkinPreviewTest, ShowsPictureAndTextsCentredInTheView) {
    fk::TestHost host(260, 220);
    ASSERT_TRUE(preview_.Load("stockface.dll"));
    host.user = &preview_;
    host.onPaint = [](fk::TestHost* h, HDC dc) {
        RECT r;
        GetClientRect(h->GetWindow(), &r);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        static_cast<cSkinPreview*>(h->user)->Show(dc, 20, 10);
    };
    InvalidateRect(host.GetWindow(), nullptr, TRUE);
    UpdateWindow(host.GetWindow());
    host.Drain();
    // right = 0 - 5 + 245 = 240: the 100 pixels centred between 20 and 240;
    // y = 10 + ((200 - 25 - 10) - (70 + 50)) / 2 = 32.
    const int x = 20 + (240 - 20 - 100) / 2, y = 10 + ((200 - 25 - 10) - (70 + 50)) / 2;
    for (POINT p : {POINT{0, 0}, POINT{50, 35}, POINT{99, 69}})
        EXPECT_EQ(fk::WindowPixel(host.GetWindow(), x + p.x, y + p.y), fk::DcPixel(preview_.GetDC(), p.x, p.y));
    EXPECT_EQ(fk::WindowPixel(host.GetWindow(), x - 1, y), 0xFFFFFFu);
    // Two lines of text in the view's text colour below the picture.
    int red[2] = {0, 0};
    for (int line = 0; line < 2; ++line)
        for (int py = y + 70 + 6 + 13 * line; py < y + 70 + 6 + 13 * (line + 1); ++py)
            for (int px = 20; px < 240; ++px)
                if (fk::WindowPixel(host.GetWindow(), px, py) == 0xC80000u) ++red[line];
    EXPECT_GT(red[0], 0);
    EXPECT_GT(red[1], 0);
    EXPECT_TRUE(tdtest::SaveWindowPng(host.GetWindow(), tdtest::ArtifactDir() + "\\facetkit_skin_preview.png"));

    // Without an owner the preview paints nothing.
    cSkinPreview lone;
    bk::ScopedGetDC dc(host.GetWindow());
    lone.Show(dc.Get(), 0, 0);
}

}  // namespace
