// The layout metrics, colours and addresses of a skin: the skin plug-in
// fills the record through the setters, the skin engine reads it back while
// it lays out and paints its windows. A plain data class.
#pragma once

#include <windows.h>

#include "basekit_api.h"

class BASEKIT_API cVelmoSkinData {
public:
    enum { URL_SIZE = 1024 };

    // Every field starts at zero, so a skin that leaves a value out gets a
    // defined layout rather than whatever the memory held.
    cVelmoSkinData();
    cVelmoSkinData(const cVelmoSkinData& other);
    cVelmoSkinData& operator=(const cVelmoSkinData& other);

    // Virtual operations in the order the skin plug-ins were built against.
    // positions
    virtual POINT GetStatusSymbolPos() const { return statusSymbolPos_; }
    virtual POINT GetDisplayLeftTop() const { return displayLeftTop_; }
    virtual POINT GetCloseBtnPos() const { return closeBtnPos_; }
    virtual POINT GetTitelPos() const { return titelPos_; }
    virtual POINT GetNavWndOffset() const { return navWndOffset_; }
    virtual POINT GetBannerPos() const { return bannerPos_; }
    virtual POINT GetThumbPos() const { return thumbPos_; }
    virtual POINT GetListenCounterPos() const { return listenCounterPos_; }
    virtual void SetStatusSymbolPos(POINT v) { statusSymbolPos_ = v; }
    virtual void SetDisplayLeftTop(POINT v) { displayLeftTop_ = v; }
    virtual void SetCloseBtnPos(POINT v) { closeBtnPos_ = v; }
    virtual void SetTitelPos(POINT v) { titelPos_ = v; }
    virtual void SetNavWndOffset(POINT v) { navWndOffset_ = v; }
    virtual void SetBannerPos(POINT v) { bannerPos_ = v; }
    virtual void SetThumbPos(POINT v) { thumbPos_ = v; }
    virtual void SetListenCounterPos(POINT v) { listenCounterPos_ = v; }
    // rectangles
    virtual RECT GetBufferRect() const { return bufferRect_; }
    virtual RECT GetTimebarRect() const { return timebarRect_; }
    virtual RECT GetDetailInfoTextRect() const { return detailInfoTextRect_; }
    virtual void SetBufferRect(RECT v) { bufferRect_ = v; }
    virtual void SetTimebarRect(RECT v) { timebarRect_ = v; }
    virtual void SetDetailInfoTextRect(RECT v) { detailInfoTextRect_ = v; }
    // main window flags
    virtual DWORD GetMainWindowFlags() const { return mainWindowFlags_; }
    virtual void SetMainWindowFlags(DWORD v) { mainWindowFlags_ = v; }
    // metrics
    virtual int GetBannerHeight() const { return bannerHeight_; }
    virtual int GetSkinauswahlLinks() const { return skinauswahlLinks_; }
    virtual int GetWaitSymbolsCount() const { return waitSymbolsCount_; }
    virtual int GetTimesliderMostLeft() const { return timesliderMostLeft_; }
    virtual int GetTimesliderMostRight() const { return timesliderMostRight_; }
    virtual int GetTimesliderWidth() const { return timesliderWidth_; }
    virtual int GetDisplayRandRechts() const { return displayRandRechts_; }
    virtual int GetDisplayRandLinks() const { return displayRandLinks_; }
    virtual int GetDisplayRandUntenOhneBanner() const { return displayRandUntenOhneBanner_; }
    virtual int GetDisplayRandUntenMitBanner() const { return displayRandUntenMitBanner_; }
    virtual int GetNavWndPaintRandLinks() const { return navWndPaintRandLinks_; }
    virtual int GetNavWndPaintRandRechts() const { return navWndPaintRandRechts_; }
    virtual void SetBannerHeight(int v) { bannerHeight_ = v; }
    virtual void SetSkinauswahlLinks(int v) { skinauswahlLinks_ = v; }
    virtual void SetWaitSymbolsCount(int v) { waitSymbolsCount_ = v; }
    virtual void SetTimesliderMostLeft(int v) { timesliderMostLeft_ = v; }
    virtual void SetTimesliderMostRight(int v) { timesliderMostRight_ = v; }
    virtual void SetTimesliderWidth(int v) { timesliderWidth_ = v; }
    virtual void SetDisplayRandRechts(int v) { displayRandRechts_ = v; }
    virtual void SetDisplayRandLinks(int v) { displayRandLinks_ = v; }
    virtual void SetDisplayRandUntenOhneBanner(int v) { displayRandUntenOhneBanner_ = v; }
    virtual void SetDisplayRandUntenMitBanner(int v) { displayRandUntenMitBanner_ = v; }
    virtual void SetNavWndPaintRandLinks(int v) { navWndPaintRandLinks_ = v; }
    virtual void SetNavWndPaintRandRechts(int v) { navWndPaintRandRechts_ = v; }
    // display flag
    virtual int GetHasDisplay() const { return hasDisplay_; }
    virtual void SetHasDisplay(int v) { hasDisplay_ = v; }
    // sizes
    virtual SIZE GetMinSizeNavWnd() const { return minSizeNavWnd_; }
    virtual SIZE GetDisplayRahmen() const { return displayRahmen_; }
    virtual void SetMinSizeNavWnd(SIZE v) { minSizeNavWnd_ = v; }
    virtual void SetDisplayRahmen(SIZE v) { displayRahmen_ = v; }
    // colours (COLORREF values)
    virtual DWORD GetTextcolorBalken() const { return textcolorBalken_; }
    virtual DWORD GetTextboxcolorBG() const { return textboxcolorBG_; }
    virtual DWORD GetTextcolorN() const { return textcolorN_; }
    virtual DWORD GetTextcolorO() const { return textcolorO_; }
    virtual DWORD GetTextcolorP() const { return textcolorP_; }
    virtual void SetTextcolorBalken(DWORD v) { textcolorBalken_ = v; }
    virtual void SetTextboxcolorBG(DWORD v) { textboxcolorBG_ = v; }
    virtual void SetTextcolorN(DWORD v) { textcolorN_ = v; }
    virtual void SetTextcolorO(DWORD v) { textcolorO_ = v; }
    virtual void SetTextcolorP(DWORD v) { textcolorP_ = v; }
    // navigator animation, add-on window
    virtual void SetNavAnimEnabled(int v) { navAnimEnabled_ = v; }
    virtual int GetNavAnimEnabled() const { return navAnimEnabled_; }
    virtual void SetVelmoaddieType(int v) { velmoaddieType_ = v; }
    virtual int GetVelmoaddieType() const { return velmoaddieType_; }
    virtual void SetNavAnimType(int v) { navAnimType_ = v; }
    virtual int GetNavAnimType() const { return navAnimType_; }
    virtual void SetVelmoaddieUpdateArt(int v) { velmoaddieUpdateArt_ = v; }
    virtual int GetVelmoaddieUpdateArt() const { return velmoaddieUpdateArt_; }
    // addresses: the fields themselves, always terminated
    virtual char* GetSongKaufenURL() { return songKaufenURL_; }
    virtual char* GetPodcastURL() { return podcastURL_; }
    virtual void SetVelmoaddieUeberlappungCY(int v) { velmoaddieUeberlappungCY_ = v; }
    virtual int getVelmoaddieUeberlappungCY() const { return velmoaddieUeberlappungCY_; }
    virtual DWORD GetLanguageSupport() const { return languageSupport_; }
    // resize button
    virtual POINT GetResizeBtnPos() const { return resizeBtnPos_; }
    virtual void SetResizeBtnPos(POINT v) { resizeBtnPos_ = v; }

    void SetTableLineColor(DWORD v) { tableLineColor_ = v; }
    DWORD GetTableLineColor() const { return tableLineColor_; }
    void SetUnableToPlayColor(DWORD v) { unableToPlayColor_ = v; }
    DWORD GetUnableToPlayColor() const { return unableToPlayColor_; }
    void SetRasterOP(DWORD v) { rasterOP_ = v; }
    DWORD GetRasterOP() const { return rasterOP_; }
    // A null text changes nothing; a longer one is cut to 1022 characters.
    void SetSongKaufenURL(const char* url);
    void SetPodcastURL(const char* url);
    void SetAddyRandOffsetRO(int v) { addyRandOffsetRO_ = v; }
    int GetAddyRandOffsetRO() const { return addyRandOffsetRO_; }
    void SetAddyRandOffsetRU(int v) { addyRandOffsetRU_ = v; }
    int GetAddyRandOffsetRU() const { return addyRandOffsetRU_; }
    void SetAddyRandOffsetLO(int v) { addyRandOffsetLO_ = v; }
    int GetAddyRandOffsetLO() const { return addyRandOffsetLO_; }
    void SetAddyRandOffsetLU(int v) { addyRandOffsetLU_ = v; }
    int GetAddyRandOffsetLU() const { return addyRandOffsetLU_; }
    void SetAddyRandOffsetOR(int v) { addyRandOffsetOR_ = v; }
    int GetAddyRandOffsetOR() const { return addyRandOffsetOR_; }
    void SetAddyRandOffsetOL(int v) { addyRandOffsetOL_ = v; }
    int GetAddyRandOffsetOL() const { return addyRandOffsetOL_; }
    void SetAddyRandOffsetUR(int v) { addyRandOffsetUR_ = v; }
    int GetAddyRandOffsetUR() const { return addyRandOffsetUR_; }
    void SetAddyRandOffsetUL(int v) { addyRandOffsetUL_ = v; }
    int GetAddyRandOffsetUL() const { return addyRandOffsetUL_; }
    void SetLanguageSupport(DWORD v) { languageSupport_ = v; }

private:
    POINT statusSymbolPos_;
    POINT displayLeftTop_;
    POINT closeBtnPos_;
    POINT resizeBtnPos_;
    POINT titelPos_;
    POINT navWndOffset_;
    POINT bannerPos_;
    POINT thumbPos_;
    POINT listenCounterPos_;
    RECT bufferRect_;
    RECT timebarRect_;
    RECT detailInfoTextRect_;
    DWORD mainWindowFlags_;
    DWORD rasterOP_;
    int bannerHeight_;
    int skinauswahlLinks_;
    int waitSymbolsCount_;
    int timesliderMostLeft_;
    int timesliderMostRight_;
    int timesliderWidth_;
    int displayRandRechts_;
    int displayRandLinks_;
    int displayRandUntenOhneBanner_;
    int displayRandUntenMitBanner_;
    int navWndPaintRandLinks_;
    int navWndPaintRandRechts_;
    int hasDisplay_;
    SIZE minSizeNavWnd_;
    SIZE displayRahmen_;
    int navAnimEnabled_;
    DWORD textcolorBalken_;
    DWORD textboxcolorBG_;
    DWORD textcolorN_;
    DWORD textcolorO_;
    DWORD textcolorP_;
    DWORD tableLineColor_;
    DWORD unableToPlayColor_;
    int velmoaddieType_;
    int navAnimType_;
    int velmoaddieUpdateArt_;
    char songKaufenURL_[URL_SIZE];
    int addyRandOffsetRO_;
    int addyRandOffsetRU_;
    int addyRandOffsetLO_;
    int addyRandOffsetLU_;
    int addyRandOffsetOR_;
    int addyRandOffsetOL_;
    int addyRandOffsetUR_;
    int addyRandOffsetUL_;
    int velmoaddieUeberlappungCY_;
    char podcastURL_[URL_SIZE];
    DWORD languageSupport_;
};
