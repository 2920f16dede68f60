#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "skindata.h"

namespace {

bool Same(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }
bool Same(SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; }
bool Same(RECT a, RECT b) { return EqualRect(&a, &b) != 0; }

// Every getter of a record, as one comparable text.
std::string Dump(cVelmoSkinData& d) {
    std::string s;
    auto add = [&s](long v) { s += std::to_string(v) + ","; };
    POINT p[] = {d.GetStatusSymbolPos(), d.GetDisplayLeftTop(), d.GetCloseBtnPos(), d.GetTitelPos(),
                 d.GetNavWndOffset(),    d.GetBannerPos(),      d.GetThumbPos(),    d.GetListenCounterPos(),
                 d.GetResizeBtnPos()};
    for (POINT q : p) add(q.x), add(q.y);
    RECT r[] = {d.GetBufferRect(), d.GetTimebarRect(), d.GetDetailInfoTextRect()};
    for (RECT q : r) add(q.left), add(q.top), add(q.right), add(q.bottom);
    SIZE z[] = {d.GetMinSizeNavWnd(), d.GetDisplayRahmen()};
    for (SIZE q : z) add(q.cx), add(q.cy);
    long v[] = {static_cast<long>(d.GetMainWindowFlags()), static_cast<long>(d.GetRasterOP()), d.GetBannerHeight(),
                d.GetSkinauswahlLinks(), d.GetWaitSymbolsCount(), d.GetTimesliderMostLeft(),
                d.GetTimesliderMostRight(), d.GetTimesliderWidth(), d.GetDisplayRandRechts(),
                d.GetDisplayRandLinks(), d.GetDisplayRandUntenOhneBanner(), d.GetDisplayRandUntenMitBanner(),
                d.GetNavWndPaintRandLinks(), d.GetNavWndPaintRandRechts(), d.GetHasDisplay(),
                d.GetNavAnimEnabled(), static_cast<long>(d.GetTextcolorBalken()),
                static_cast<long>(d.GetTextboxcolorBG()), static_cast<long>(d.GetTextcolorN()),
                static_cast<long>(d.GetTextcolorO()), static_cast<long>(d.GetTextcolorP()),
                static_cast<long>(d.GetTableLineColor()), static_cast<long>(d.GetUnableToPlayColor()),
                d.GetVelmoaddieType(), d.GetNavAnimType(), d.GetVelmoaddieUpdateArt(),
                d.GetAddyRandOffsetRO(), d.GetAddyRandOffsetRU(), d.GetAddyRandOffsetLO(),
                d.GetAddyRandOffsetLU(), d.GetAddyRandOffsetOR(), d.GetAddyRandOffsetOL(),
                d.GetAddyRandOffsetUR(), d.GetAddyRandOffsetUL(), d.getVelmoaddieUeberlappungCY(),
                static_cast<long>(d.GetLanguageSupport())};
    for (long q : v) add(q);
    s += d.GetSongKaufenURL();
    s += "|";
    s += d.GetPodcastURL();
    return s;
}

TEST(SkinDataTest, StartsZeroed) {
    cVelmoSkinData d;
    std::string dump = Dump(d);
    for (char c : dump) EXPECT_TRUE(c == '0' || c == ',' || c == '|') << dump;
}

TEST(SkinDataTest, GettersReturnWhatSettersStoredAndCopiesAgree) {
    cVelmoSkinData d;
    int n = 1;
    auto pt = [&n] { POINT p = {n, n + 1}; n += 2; return p; };
    auto sz = [&n] { SIZE s = {n, n + 1}; n += 2; return s; };
    auto rc = [&n] { RECT r = {n, n + 1, n + 2, n + 3}; n += 4; return r; };
    auto v = [&n] { return n++; };
    POINT p1 = pt();
    d.SetStatusSymbolPos(p1);
    d.SetDisplayLeftTop(pt());
    d.SetCloseBtnPos(pt());
    d.SetTitelPos(pt());
    d.SetNavWndOffset(pt());
    d.SetBannerPos(pt());
    d.SetThumbPos(pt());
    d.SetListenCounterPos(pt());
    POINT resize = pt();
    d.SetResizeBtnPos(resize);
    RECT r1 = rc();
    d.SetBufferRect(r1);
    d.SetTimebarRect(rc());
    d.SetDetailInfoTextRect(rc());
    SIZE s1 = sz();
    d.SetMinSizeNavWnd(s1);
    d.SetDisplayRahmen(sz());
    d.SetMainWindowFlags(v());
    d.SetRasterOP(v());
    d.SetBannerHeight(v());
    d.SetSkinauswahlLinks(v());
    d.SetWaitSymbolsCount(v());
    d.SetTimesliderMostLeft(v());
    d.SetTimesliderMostRight(v());
    d.SetTimesliderWidth(v());
    d.SetDisplayRandRechts(v());
    d.SetDisplayRandLinks(v());
    d.SetDisplayRandUntenOhneBanner(v());
    d.SetDisplayRandUntenMitBanner(v());
    d.SetNavWndPaintRandLinks(v());
    d.SetNavWndPaintRandRechts(v());
    d.SetHasDisplay(v());
    d.SetNavAnimEnabled(v());
    d.SetTextcolorBalken(v());
    d.SetTextboxcolorBG(v());
    d.SetTextcolorN(v());
    d.SetTextcolorO(v());
    d.SetTextcolorP(v());
    d.SetTableLineColor(v());
    d.SetUnableToPlayColor(v());
    d.SetVelmoaddieType(v());
    d.SetNavAnimType(v());
    d.SetVelmoaddieUpdateArt(v());
    d.SetAddyRandOffsetRO(v());
    d.SetAddyRandOffsetRU(v());
    d.SetAddyRandOffsetLO(v());
    d.SetAddyRandOffsetLU(v());
    d.SetAddyRandOffsetOR(v());
    d.SetAddyRandOffsetOL(v());
    d.SetAddyRandOffsetUR(v());
    d.SetAddyRandOffsetUL(v());
    d.SetVelmoaddieUeberlappungCY(v());
    d.SetLanguageSupport(3);
    d.SetSongKaufenURL("http://kaufen.example/");
    d.SetPodcastURL("http://podcast.example/");

    EXPECT_TRUE(Same(p1, d.GetStatusSymbolPos()));
    EXPECT_TRUE(Same(resize, d.GetResizeBtnPos()));
    EXPECT_TRUE(Same(r1, d.GetBufferRect()));
    EXPECT_TRUE(Same(s1, d.GetMinSizeNavWnd()));
    EXPECT_EQ(3u, d.GetLanguageSupport());
    // Each value was distinct, so a getter wired to the wrong field shows
    // as a repeated or missing number.
    std::string dump = Dump(d);
    const std::string numbers = "," + dump;
    for (int k = 1; k < n; ++k) EXPECT_NE(std::string::npos, numbers.find("," + std::to_string(k) + ",")) << k;

    cVelmoSkinData copy(d);
    EXPECT_EQ(dump, Dump(copy));
    cVelmoSkinData assigned;
    assigned = d;
    EXPECT_EQ(dump, Dump(assigned));
}

TEST(SkinDataTest, AddressesAreBoundedAndNullKeepsThem) {
    cVelmoSkinData d;
    d.SetSongKaufenURL("http://a/");
    d.SetSongKaufenURL(nullptr);
    EXPECT_STREQ("http://a/", d.GetSongKaufenURL());
    const std::string longUrl = "http://" + std::string(1093, 'p');
    d.SetPodcastURL(longUrl.c_str());
    EXPECT_EQ(longUrl.substr(0, 1022), d.GetPodcastURL());
    d.SetPodcastURL("http://b/");   // the shorter text leaves no tail of the longer
    EXPECT_STREQ("http://b/", d.GetPodcastURL());
    EXPECT_EQ(0, d.GetPodcastURL()[1023]);
}

}  // namespace
