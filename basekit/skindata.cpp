#include "skindata.h"

#include <cstring>

#include "bounded_text.h"

namespace {
void SetUrl(char* field, size_t size, const char* url) {
    if (!url) return;
    memset(field, 0, size);
    bk::TextCopyN(field, size, url, size - 2);
}
}  // namespace

// Each member is zeroed on its own: the table of virtual operations must
// stay untouched.
cVelmoSkinData::cVelmoSkinData()
    : statusSymbolPos_(), displayLeftTop_(), closeBtnPos_(), resizeBtnPos_(), titelPos_(), navWndOffset_(),
      bannerPos_(), thumbPos_(), listenCounterPos_(), bufferRect_(), timebarRect_(), detailInfoTextRect_(),
      mainWindowFlags_(), rasterOP_(), bannerHeight_(), skinauswahlLinks_(), waitSymbolsCount_(),
      timesliderMostLeft_(), timesliderMostRight_(), timesliderWidth_(), displayRandRechts_(),
      displayRandLinks_(), displayRandUntenOhneBanner_(), displayRandUntenMitBanner_(),
      navWndPaintRandLinks_(), navWndPaintRandRechts_(), hasDisplay_(), minSizeNavWnd_(), displayRahmen_(),
      navAnimEnabled_(), textcolorBalken_(), textboxcolorBG_(), textcolorN_(), textcolorO_(), textcolorP_(),
      tableLineColor_(), unableToPlayColor_(), velmoaddieType_(), navAnimType_(), velmoaddieUpdateArt_(),
      songKaufenURL_(), addyRandOffsetRO_(), addyRandOffsetRU_(), addyRandOffsetLO_(), addyRandOffsetLU_(),
      addyRandOffsetOR_(), addyRandOffsetOL_(), addyRandOffsetUR_(), addyRandOffsetUL_(),
      velmoaddieUeberlappungCY_(), podcastURL_(), languageSupport_() {}

cVelmoSkinData::cVelmoSkinData(const cVelmoSkinData& other) = default;
cVelmoSkinData& cVelmoSkinData::operator=(const cVelmoSkinData& other) = default;

void cVelmoSkinData::SetSongKaufenURL(const char* url) { SetUrl(songKaufenURL_, sizeof songKaufenURL_, url); }
void cVelmoSkinData::SetPodcastURL(const char* url) { SetUrl(podcastURL_, sizeof podcastURL_, url); }
