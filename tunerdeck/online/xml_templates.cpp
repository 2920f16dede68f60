#include "xml_templates.h"

#include <vector>

#define U_DECL "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
#define P_DECL "<?xml version=\"1.0\"?>"

namespace {
const char* const kTemplates[kXmlTemplateSlots + 1] = {
    "",
    /* 1 */ U_DECL "<GetDBUpdate3><PId>%s</PId><DbTime>%s</DbTime></GetDBUpdate3>",
    /* 2 */ U_DECL "<GetListItems><list>%d</list></GetListItems>",
    /* 3 */ U_DECL "<RunInfo2><Agent>%s</Agent><PId>%s</PId><StreamIds>%s</StreamIds><FromTimes>%s</FromTimes>"
                   "<TillTimes>%s</TillTimes><ConnectTimes>%s</ConnectTimes><Qualitys>%s</Qualitys>"
                   "<UserUrls>%s</UserUrls><SId>%s</SId><IsOEM>%d</IsOEM><Language>%d</Language></RunInfo2>",
    /* 4 */ U_DECL "<GetTops><PId>%s</PId></GetTops>",
    /* 5 */ U_DECL "<UpdatePlayerInfo2><Version>%s</Version><PId>%s</PId><Skin>%s</Skin><SkinVersion>%s</SkinVersion>"
                   "<SkinKey>%d</SkinKey><SysMaVer>%d</SysMaVer><SysMiVer>%d</SysMiVer><SysBNumber>%d</SysBNumber>"
                   "<SysPlatformID>%d</SysPlatformID><SysTextInfo>%s</SysTextInfo><SysError>%d</SysError>"
                   "<IsOEM>%d</IsOEM><Language>%d</Language></UpdatePlayerInfo2>",
    /* 6 */ "<v>%s</v>",
    /* 7 */ "<v>%d</v>",
    /* 8 */ U_DECL "<GetSenderStream2><Agent>dbpacker</Agent></GetSenderStream2>",
    /* 9 */ "",
    /* 10 */ U_DECL "<GetPlayerExe><Agent>tunerdeck</Agent><GiveMe>%s</GiveMe></GetPlayerExe>",
    /* 11 */ U_DECL "<Empfehlung2><PId>%s</PId><Typ>%d</Typ><Von>%s</Von><VonAdr>%s</VonAdr><An>%s</An>"
                    "<AnAdr>%s</AnAdr><Id>%d</Id><Nachricht>%s</Nachricht><SkinKey>%d</SkinKey>"
                    "<Language>%d</Language><IsOEM>%d</IsOEM></Empfehlung2>",
    /* 12 */ P_DECL "<Setting><AutoStart>%d</AutoStart><SearchExtra>%d</SearchExtra>"
                    "<UseControlCenter>%d</UseControlCenter><UseLokal>%d</UseLokal>    <DBTime>%s</DBTime>"
                    "<VLUrl>%s</VLUrl><PID>%s</PID><AdBannerUrl>%s</AdBannerUrl><AdBannerUrl_ENG>%s</AdBannerUrl_ENG>"
                    "<AdBannerCX>%d</AdBannerCX><AdBannerCY>%d</AdBannerCY>    <UserAction>%s</UserAction>"
                    "<NavOpen>%d</NavOpen><Screen>%d</Screen><UseToolTip>%d</UseToolTip>"
                    "<UseAutoUpdate>%d</UseAutoUpdate><BufferSize>%d</BufferSize><MaxResentList>%d</MaxResentList>"
                    "<MaxTimerEditList>%d</MaxTimerEditList><ReconnectOnServerLost>%d</ReconnectOnServerLost>"
                    "<RetryCount>%d</RetryCount><Internetaccess>%d</Internetaccess>"
                    "<AutoselectBandbreite>%d</AutoselectBandbreite><Timeout>%d</Timeout>"
                    "<AlterNeueSender>%d</AlterNeueSender>    <RecordingDir>%s</RecordingDir>"
                    "<UseRecording>%d</UseRecording><ProxyHost>%s</ProxyHost><ProxyPort>%s</ProxyPort>"
                    "<ProxyEnabled>%d</ProxyEnabled><HTTP_Only>%d</HTTP_Only><NAVAnimEnabled>%d</NAVAnimEnabled>"
                    "<UserNameAuth>%s</UserNameAuth><UserPasswortAuth>%s</UserPasswortAuth>"
                    "<UseAuthentify>%d</UseAuthentify><IconizeToTray>%d</IconizeToTray>"
                    "<RecordSkipSilents>%d</RecordSkipSilents><AdjustRecordVol>%d</AdjustRecordVol>"
                    "<RecordingDevice>%d</RecordingDevice><RecordingSource>%d</RecordingSource>"
                    "<AutoupdatePrgTipps>%d</AutoupdatePrgTipps><DeleteOldPrgTipps>%d</DeleteOldPrgTipps>"
                    "    <AutoCutMuster>%s</AutoCutMuster><AutoCutType>%d</AutoCutType>"
                    "<AutoCutValue>%d</AutoCutValue><AutoCutFolder>%d</AutoCutFolder>"
                    "<QualityMuster>%s</QualityMuster><QualitySPS>%d</QualitySPS><QualityBPS>%d</QualityBPS>"
                    "<QualityNCH>%d</QualityNCH><RecordingFormat>%d</RecordingFormat><MP3VBR>%d</MP3VBR>"
                    "<MP3STEREO>%d</MP3STEREO><MP3BPS>%d</MP3BPS><NavWinCX>%d</NavWinCX><NavWinCY>%d</NavWinCY>"
                    "<VelmoAddy>%d</VelmoAddy><PodAutoUpdate>%d</PodAutoUpdate><PodAutoDownload>%d</PodAutoDownload>"
                    "<PodAutoDeleteFiles>%d</PodAutoDeleteFiles><PodDeletePodcasts>%d</PodDeletePodcasts>"
                    "<SplashURL>%s</SplashURL><SplashCX>%d</SplashCX><SplashCY>%d</SplashCY>"
                    "<SplashURL_ENG>%s</SplashURL_ENG><SplashCX_ENG>%d</SplashCX_ENG><SplashCY_ENG>%d</SplashCY_ENG>"
                    "<PodcastDir>%s</PodcastDir></Setting>",
    /* 13 */ "<Action><ListenStart>%d</ListenStart><ListenStop>%d</ListenStop><ConnectTime>%d</ConnectTime>"
             "<StreamID>%d</StreamID><Typ>%d</Typ><Quality>%d</Quality><UserURL>%s</UserURL><SkinID>%s</SkinID>"
             "        </Action>",
    /* 14 */ P_DECL "<SkinData><PId>%s</PId><SId>%s</SId><Data>%s</Data></SkinData>",
    /* 15 */ "",
    /* 16 */ U_DECL "<GetDownloadLocation><GiveMe>%s</GiveMe></GetDownloadLocation>",
    /* 17 */ U_DECL "<GetProgrammtipp></GetProgrammtipp>",
    /* 18 */ U_DECL "<GetAvoidDeadStreams></GetAvoidDeadStreams>",
};
}  // namespace

const char* XmlTemplate(int slot) { return slot >= 1 && slot <= kXmlTemplateSlots ? kTemplates[slot] : ""; }

std::string FormatTemplate(const std::string& tmpl, std::initializer_list<std::string> values) {
    std::string out;
    out.reserve(tmpl.size() + 64);
    auto next = values.begin();
    for (size_t i = 0; i < tmpl.size(); ++i) {
        if (tmpl[i] == '%' && i + 1 < tmpl.size()) {
            char c = tmpl[i + 1];
            if (c == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (c == 's' || c == 'd') {
                if (next != values.end()) out += *next++;
                ++i;
                continue;
            }
        }
        out += tmpl[i];
    }
    return out;
}
