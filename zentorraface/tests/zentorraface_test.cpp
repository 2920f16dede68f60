// The zentorra skin against a recording stand-in of the skin engine's C
// functions: its rectangle table and artwork, the elements and metrics of
// both windows, the window outlines, the reactions to status codes and
// button changes, and its binding to the engine.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "recording_engine.h"
#include "skindata.h"
#include "tdtest.h"
#include "zentorra_skin.h"

namespace {

std::string Bin(const std::string& name) { return tdtest::BinDir() + "\\" + name; }
std::string EnginePath(const char* variant) { return Bin(std::string("zentorra_engine_") + variant + "\\facetkit.dll"); }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::vector<std::string> Only(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : lines)
        if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
}

// The skin, loaded beside the recording engine; unloaded after each test so
// every test starts from the state of a fresh load.
class Skin {
public:
    Skin() {
        engine_ = LoadLibraryA(EnginePath("full").c_str());   // stays: the skin finds it by name
        skin_ = LoadLibraryA(Bin("zentorraface.dll").c_str());
        if (engine_) {
            log_ = Get<EngineCallLogFn>(engine_, "EngineCallLog");
            reset_ = Get<EngineResetFn>(engine_, "EngineReset");
            if (reset_) reset_();
        }
    }
    ~Skin() {
        if (skin_) FreeLibrary(skin_);
    }
    bool Loaded() const { return skin_ && log_ && reset_; }
    template <typename Fn>
    Fn Export(const char* name) const { return Get<Fn>(skin_, name); }
    std::vector<std::string> Calls() const { return Lines(log_()); }
    void Forget() const { reset_(); }

private:
    template <typename Fn>
    static Fn Get(HMODULE m, const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)));
    }
    HMODULE engine_ = nullptr;
    HMODULE skin_ = nullptr;
    EngineCallLogFn log_ = nullptr;
    EngineResetFn reset_ = nullptr;
};

typedef decltype(&GetResourceRect) GetResourceRectFn;
typedef decltype(&SetButtonsMain) SetButtonsMainFn;
typedef decltype(&SetButtonsNav) SetButtonsNavFn;
typedef decltype(&GetSkinRegionExtWnd) GetSkinRegionExtWndFn;
typedef decltype(&StatusHook) StatusHookFn;
typedef decltype(&SkinSpecificBtn) SkinSpecificBtnFn;
typedef decltype(&NotifyBtnStateChanged) NotifyFn;
typedef decltype(&GetKundeURL) GetKundeURLFn;

// A real window for the window object, so outlines and messages land.
UINT g_lastUserMsg = 0;
LPARAM g_lastUserParam = 0;
LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m >= WM_USER) {
        g_lastUserMsg = m;
        g_lastUserParam = lp;
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

struct TestWindow {
    EngineList list;
    EngineWindow object;
    explicit TestWindow(const char* name, int width = 400, int height = 240) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "zentorra_test_window";
        RegisterClassA(&wc);
        lstrcpynA(list.name, name, sizeof list.name);
        lstrcpynA(object.name, name, sizeof object.name);
        object.list = &list;
        object.wnd = CreateWindowA("zentorra_test_window", name, WS_POPUP, 10, 10, width, height, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    }
    ~TestWindow() { DestroyWindow(object.wnd); }
};

class SkinTest : public ::testing::Test {
protected:
    Skin skin;
    cVelmoSkinData mainData;
    int res = 0;   // the resource manager, opaque to the skin
    void SetUp() override { ASSERT_TRUE(skin.Loaded()); }
    // The main window as the engine builds it first, then a clean call log.
    void BuildMain(TestWindow* main) {
        auto setMain = skin.Export<SetButtonsMainFn>("SetButtonsMain");
        ASSERT_NE(setMain, nullptr);
        setMain(&mainData, &main->list, &res, &main->object, 0);
        skin.Forget();
    }
};

// ---------------------------------------------------------------- rectangle table

TEST_F(SkinTest, RectangleTableHoldsTheSkinsRowsAndNothingElse) {
    auto rect = skin.Export<GetResourceRectFn>("GetResourceRect");
    ASSERT_NE(rect, nullptr);
    struct Row {
        int id;
        RECT r;
    } rows[] = {
        {1, {452, 700, 652, 746}},   {2, {452, 747, 617, 787}},   {3, {452, 788, 612, 828}},
        {4, {510, 359, 939, 370}},   {5, {715, 838, 1060, 856}},  {12, {452, 870, 597, 901}},
        {42, {500, 570, 1050, 588}}, {44, {452, 661, 642, 699}},  {58, {441, 528, 566, 539}},
        {83, {919, 12, 919, 12}},    {274, {452, 829, 612, 869}}, {390, {835, 538, 910, 556}},
        {410, {1031, 24, 1038, 24}}, {411, {1039, 24, 1046, 32}}, {412, {502, 10, 543, 26}},
    };
    for (const Row& row : rows) {
        RECT r = rect(row.id);
        EXPECT_TRUE(EqualRect(&r, &row.r)) << row.id << ": " << r.left << "," << r.top << "," << r.right << ","
                                           << r.bottom;
    }
    for (int id : {0, 9, 13, 24, 27, 28, 31, 34, 46, 48, 49, 50, 51, 413, -1, 100000}) {
        RECT r = rect(id);
        EXPECT_TRUE(r.left == -1 && r.top == -1 && r.right == -1 && r.bottom == -1) << id;
    }
    int present = 0;
    for (int id = 1; id <= 412; ++id) {
        RECT r = rect(id);
        if (r.left == -1) continue;
        ++present;
        // Inside the master bitmap, or the skin engine refuses the sprite.
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right < 1061 &&
                    r.bottom < 1255)
            << id;
    }
    EXPECT_EQ(present, 280);
    // Every look the coupled buttons switch to exists.
    for (int look : {118, 120, 122, 124, 126, 128, 130, 133, 135, 137, 139, 141, 143, 145, 147})
        EXPECT_NE(rect(look).left, -1) << look;
}

// ---------------------------------------------------------------- artwork and resources

struct Bitmap {
    BITMAPINFOHEADER head = {};
    const BYTE* bits = nullptr;
    uint32_t Pixel(int x, int y) const {   // 0xRRGGBB of a bottom-up 24-bit bitmap
        int stride = (head.biWidth * 3 + 3) & ~3;
        const BYTE* p = bits + (head.biHeight - 1 - y) * stride + x * 3;
        return (p[2] << 16) | (p[1] << 8) | p[0];
    }
};

bool FindBitmap(HMODULE m, const char* name, Bitmap* out) {
    HRSRC r = FindResourceA(m, name, MAKEINTRESOURCEA(2));   // RT_BITMAP
    if (!r) return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(m, r)));
    if (!data || SizeofResource(m, r) < sizeof(BITMAPINFOHEADER)) return false;
    memcpy(&out->head, data, sizeof out->head);
    out->bits = data + out->head.biSize;
    return true;
}

TEST(Artwork, MasterBitmapMatchesTheTableAndTheLibraryCarriesItsResources) {
    HMODULE m = LoadLibraryExA(Bin("zentorraface.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(m, nullptr);
    Bitmap big, thumb;
    ASSERT_TRUE(FindBitmap(m, "BIGRESOURCE", &big));
    EXPECT_EQ(big.head.biWidth, 1061);   // 1060 and the column sprite 5 reaches into
    EXPECT_EQ(big.head.biHeight, 1255);
    EXPECT_EQ(big.head.biBitCount, 24);
    ASSERT_TRUE(FindBitmap(m, "BM_THUMB", &thumb));
    EXPECT_EQ(thumb.head.biWidth, 70);
    EXPECT_EQ(thumb.head.biHeight, 70);
    EXPECT_EQ(thumb.head.biBitCount, 24);
    // Each drawn cell carries its probe pixel at (2, 2): the rectangles the
    // skin hands out frame the pictures that are really there.
    struct Probe {
        int id, left, top, cellWidth, cell;
    } probes[] = {{1, 452, 700, 40, 0}, {1, 452, 700, 40, 4}, {274, 452, 829, 32, 2}, {5, 715, 838, 69, 4},
                  {412, 502, 10, 42, 0}};
    for (const Probe& p : probes) {
        uint32_t expected = ((p.id & 0xFF) << 16) | ((((p.id >> 8) | (p.cell << 1)) & 0xFF) << 8) | 0xA5;
        EXPECT_EQ(big.Pixel(p.left + p.cellWidth * p.cell + 2, p.top + 2), expected) << p.id << " cell " << p.cell;
    }
    EXPECT_NE(FindResourceA(m, "BIGICON", MAKEINTRESOURCEA(14)), nullptr);   // RT_GROUP_ICON
    EXPECT_NE(FindResourceA(m, "SMALLICON", MAKEINTRESOURCEA(14)), nullptr);
    char text[128];
    struct Str {
        UINT id;
        const char* text;
    } strings[] = {{11, "zentorra VovIdore"}, {12, "zentorra VovIdore"}, {2011, "zentorra Radio"},
                   {2012, "zentorra Radio"},  {24, "SKINAUSWAHL"}};
    for (const Str& s : strings) {
        ASSERT_GT(LoadStringA(m, s.id, text, sizeof text), 0) << s.id;
        EXPECT_STREQ(text, s.text);
    }
    for (UINT id : {32u, 33u, 34u, 2032u, 2033u, 2035u, 2036u}) EXPECT_GT(LoadStringA(m, id, text, sizeof text), 0) << id;
    FreeLibrary(m);
}

TEST(Artwork, VersionBlockIsOneTheSkinEngineAccepts) {
    std::string path = Bin("zentorraface.dll");
    DWORD ignored = 0, size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    char* value = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&value),
                               &len));
    int a = 0, b = 0, c = 0;
    ASSERT_EQ(sscanf(value, "%d.%d.%d", &a, &b, &c), 3);
    EXPECT_GE(a * 10000 + b * 100 + c, 1 * 10000 + 1 * 100 + 7) << value;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\InternalName",
                               reinterpret_cast<void**>(&value), &len));
    EXPECT_GT(strlen(value), 0u);
}

// ---------------------------------------------------------------- main window

std::vector<std::string> ExpectedMainCalls() {
    std::vector<std::string> e{"SetSkinData main SetLanguageSupport=1"};
    struct B {
        int id, x, y, group, last;
    } buttons[] = {{390, 338, 83, 0, 0}, {15, 338, 102, 0, 0}, {14, 338, 117, 0, 0}, {1, 85, 157, 1, 1},
                   {274, 189, 159, 0, 1}, {2, 125, 159, 2, 1}, {3, 157, 159, 1, 0},  {43, 18, 160, 0, 0},
                   {44, 50, 160, 0, 0},   {12, 221, 164, 0, 1}, {18, 23, 51, 0, 0},  {19, 104, 51, 0, 0},
                   {17, 181, 51, 0, 0},   {16, 266, 51, 0, 0},  {42, 23, 26, 0, 0},  {39, 158, 78, 0, 0},
                   {189, 172, 78, 0, 0},  {29, 185, 78, 0, 0},  {195, 198, 78, 0, 0}, {58, 166, 201, 0, 1}};
    char line[256];
    for (const B& b : buttons) {
        snprintf(line, sizeof line,
                 "AddWndButtonToList main win=main res=1 sprite=%d at=%d,%d id=%d group=%d region=0 last=%d", b.id,
                 b.x, b.y, b.id, b.group, b.last);
        e.push_back(line);
    }
    struct T {
        int id, l, t, r, b, first, second;
        bool transparent;
    } texts[] = {{48, 78, 126, 328, 141, 2, 0, true},  {49, 47, 92, 304, 107, 0, 1, false},
                 {50, 47, 108, 304, 123, 1, 0, false}, {54, 76, 126, 142, 141, 2, 0, true},
                 {56, 162, 126, 252, 141, 2, 0, true}, {52, 272, 126, 322, 141, 2, 0, true}};
    for (const T& t : texts) {
        snprintf(line, sizeof line,
                 "ButtonListAddScrollText main res=1 graphic=83 values=%d,%d hwnd=1 id=%d rect=%d,%d,%d,%d "
                 "colour=FFFFFF last=1,1",
                 t.first, t.second, t.id, t.l, t.t, t.r, t.b);
        e.push_back(line);
        if (t.transparent) {
            snprintf(line, sizeof line, "ActiveElementSetTransparenz main id=%d on=1 win=main", t.id);
            e.push_back(line);
        }
    }
    e.push_back("ButtonListAddVolume main win=main res=1 values=0,0,0,0,0,253,172,318,172,264,173,317,183,264,175,317,175,0,0,0");
    e.push_back("AddWndButtonToList main win=main res=1 sprite=45 at=0,129 id=45 group=0 region=0 last=0");
    return e;
}

TEST_F(SkinTest, MainWindowGetsTheSkinsElementsMetricsAndOutline) {
    auto setMain = skin.Export<SetButtonsMainFn>("SetButtonsMain");
    ASSERT_NE(setMain, nullptr);
    TestWindow main("main");
    cVelmoSkinData& data = mainData;
    setMain(&data, &main.list, &res, &main.object, 0);
    EXPECT_EQ(skin.Calls(), ExpectedMainCalls());

    POINT p = data.GetStatusSymbolPos();
    EXPECT_EQ(p.x, 65);
    EXPECT_EQ(p.y, 128);
    EXPECT_EQ(data.GetTextcolorP(), 0x3333CCu);
    EXPECT_EQ(data.GetWaitSymbolsCount(), 2);
    RECT timebar = data.GetTimebarRect(), want = {47, 145, 312, 150};
    EXPECT_TRUE(EqualRect(&timebar, &want));
    RECT buffer = data.GetBufferRect(), wantBuffer = {49, 129, 62, 136};
    EXPECT_TRUE(EqualRect(&buffer, &wantBuffer));
    EXPECT_EQ(data.GetTimesliderMostRight(), 312);

    // The outline: the display notch at the top right is cut out, the
    // corners are rounded, the body is inside.
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(main.object.wnd, rgn), ERROR);
    struct Pt {
        int x, y;
        bool inside;
    } points[] = {{295, 20}, {295, 40, true}, {1, 15}, {186, 100, true}, {370, 214}, {340, 90, true}, {186, 5}};
    for (const Pt& pt : points) EXPECT_EQ(PtInRegion(rgn, pt.x, pt.y) != FALSE, pt.inside) << pt.x << "," << pt.y;
    DeleteObject(rgn);
}

TEST_F(SkinTest, WithoutSkinDataNothingIsCreated) {
    auto setMain = skin.Export<SetButtonsMainFn>("SetButtonsMain");
    auto setNav = skin.Export<SetButtonsNavFn>("SetButtonsNav");
    TestWindow w("main");
    setMain(nullptr, &w.list, &res, &w.object, 0);
    setNav(nullptr, &w.list, &res, &w.object, 0);
    EXPECT_TRUE(skin.Calls().empty());
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(w.object.wnd, rgn), ERROR);
    DeleteObject(rgn);
}

// ---------------------------------------------------------------- navigator

const char* const kNavSettings[] = {
    "SetSkinData nav VelmoaddieType=1",     "SetSkinData nav VelmoaddieUpdate=1",
    "SetSkinData nav NavAnimType=3",        "SetSkinData nav ResizeBtnPos=3,4",
    "SetSkinData nav SetLanguageSupport=1", "SetSkinData nav TableLineColor=818181",
    "SetSkinData nav UnableToPlayColor=AAAAAA", "SetSkinData nav NavAnimEnabled=0",
    "SetSkinData nav SetRasterOP=660046",
};

TEST_F(SkinTest, NavigatorGetsItsMetricsAndStandardButtons) {
    auto setNav = skin.Export<SetButtonsNavFn>("SetButtonsNav");
    ASSERT_NE(setNav, nullptr);
    TestWindow nav("nav");
    cVelmoSkinData data;
    setNav(&data, &nav.list, &res, &nav.object, 0);
    std::vector<std::string> expected(std::begin(kNavSettings), std::end(kNavSettings));
    for (const char* b : {"sprite=6 at=19,285 id=6", "sprite=5 at=80,181 id=5", "sprite=7 at=149,181 id=7",
                          "sprite=265 at=247,181 id=265", "sprite=322 at=201,181 id=322", "sprite=8 at=312,181 id=8"})
        expected.push_back(std::string("AddWndButtonToList nav win=nav res=1 ") + b + " group=2 region=0 last=1");
    EXPECT_EQ(skin.Calls(), expected);
    SIZE minSize = data.GetMinSizeNavWnd();
    EXPECT_EQ(minSize.cx, 370);
    EXPECT_EQ(minSize.cy, 564);
    POINT offset = data.GetNavWndOffset();
    EXPECT_EQ(offset.x, -363);
    EXPECT_EQ(offset.y, 181);
    EXPECT_EQ(data.GetDisplayRandUntenOhneBanner(), 282);
    EXPECT_EQ(data.GetTextcolorP(), 0x818181u);
    EXPECT_EQ(data.GetTextboxcolorBG(), 0u);
}

// ---------------------------------------------------------------- regions

TEST_F(SkinTest, NavigatorOutlineFollowsTheSideAndMovesTheViewButtons) {
    auto setNav = skin.Export<SetButtonsNavFn>("SetButtonsNav");
    auto region = skin.Export<GetSkinRegionExtWndFn>("GetSkinRegionExtWnd");
    ASSERT_NE(region, nullptr);
    TestWindow main("main"), nav("nav");
    BuildMain(&main);
    cVelmoSkinData navData;
    setNav(&navData, &nav.list, &res, &nav.object, 0);

    struct Case {
        int side, current;
        bool outline;      // the navigator's outline, else an empty region
        int state58;       // 0: no state set, no region at all
    } cases[] = {{0, 200, true, 2}, {0, 0, false, 2}, {0, 400, false, 2}, {1, 0, true, 1}, {2, 0, true, 1},
                 {3, 200, false, 0}, {-1, 200, false, 0}};
    const int w = 400, h = 600;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.side * 1000 + c.current);
        skin.Forget();
        HRGN rgn = region(&nav.object, c.side, c.current, h, w, 0);
        std::vector<std::string> calls = skin.Calls();
        if (!c.state58) {
            EXPECT_EQ(rgn, nullptr);
            EXPECT_TRUE(calls.empty());
            continue;
        }
        ASSERT_NE(rgn, nullptr);
        RECT box;
        int kind = GetRgnBox(rgn, &box);
        if (c.outline) {
            EXPECT_EQ(kind, COMPLEXREGION);
            EXPECT_TRUE(PtInRegion(rgn, w - 1, h - 1));
            EXPECT_TRUE(PtInRegion(rgn, 200, 40));
            EXPECT_FALSE(PtInRegion(rgn, 200, 30));   // under the main window
            EXPECT_FALSE(PtInRegion(rgn, 1, 1));
            std::vector<std::string> moved;
            for (int id : {6, 5, 7, 265, 322, 8}) {
                RECT before = {0, 0, 0, 0};
                char line[128];
                for (const auto& b : std::vector<std::pair<int, POINT>>{{6, {19, 285}}, {5, {80, 181}},
                                                                        {7, {149, 181}}, {265, {247, 181}},
                                                                        {322, {201, 181}}, {8, {312, 181}}})
                    if (b.first == id) before = RECT{b.second.x, 0, b.second.x + 40, 0};
                snprintf(line, sizeof line, "ActiveElementSetRect nav id=%d rect=%ld,%d,%ld,%d redraw=1", id,
                         before.left, h - 277, before.right, h - 277 + 20);
                moved.push_back(line);
            }
            EXPECT_EQ(Only(calls, "ActiveElementSetRect"), moved);
        } else {
            EXPECT_EQ(kind, NULLREGION);
            EXPECT_TRUE(Only(calls, "ActiveElementSetRect").empty());
        }
        EXPECT_EQ(Only(calls, "ActiveElementSetStatus"),
                  std::vector<std::string>{"ActiveElementSetStatus main id=58 status=" + std::to_string(c.state58)});
        DeleteObject(rgn);
    }
    // Sizes no window can have give an empty region, not a fault.
    for (int size : {-5, 0, 1 << 20}) {
        HRGN rgn = region(&nav.object, 1, 0, size, size, 0);
        ASSERT_NE(rgn, nullptr);
        RECT box;
        EXPECT_EQ(GetRgnBox(rgn, &box), NULLREGION) << size;
        DeleteObject(rgn);
    }
}

// ---------------------------------------------------------------- reactions

TEST_F(SkinTest, StatusCodesSwitchTheTransportButtons) {
    auto hook = skin.Export<StatusHookFn>("StatusHook");
    ASSERT_NE(hook, nullptr);
    TestWindow main("main");
    BuildMain(&main);
    struct Case {
        int code;
        std::vector<std::string> states;
    } cases[] = {
        {8, {"id=1 status=2", "id=2 status=2"}},
        {9, {"id=2 status=2", "id=1 status=1"}},
        {20, {"id=1 status=1"}},
        {46, {"id=274 status=2"}},
        {47, {}},
        {0, {}},
        {-3, {}},
    };
    for (const Case& c : cases) {
        skin.Forget();
        EXPECT_EQ(hook("text", c.code), 1);
        std::vector<std::string> expected;
        for (const std::string& s : c.states) expected.push_back("ActiveElementSetStatus main " + s);
        EXPECT_EQ(skin.Calls(), expected) << c.code;
    }
}

TEST_F(SkinTest, SkinSpecificButtonAsksTheMainWindow) {
    auto btn = skin.Export<SkinSpecificBtnFn>("SkinSpecificBtn");
    ASSERT_NE(btn, nullptr);
    TestWindow main("main");
    for (int id : {57, 59, 0}) {
        g_lastUserMsg = 0;
        EXPECT_EQ(btn(&res, &main.object, &main.list, id), 1);
        EXPECT_EQ(g_lastUserMsg, 0u) << id;
    }
    EXPECT_EQ(btn(&res, &main.object, &main.list, 58), 1);
    EXPECT_EQ(g_lastUserMsg, static_cast<UINT>(WM_USER + 119));
    EXPECT_EQ(g_lastUserParam, 58);
    EXPECT_EQ(btn(&res, nullptr, nullptr, 58), 1);   // no window object: nothing to ask
    auto url = skin.Export<GetKundeURLFn>("GetKundeURL");
    ASSERT_NE(url, nullptr);
    EXPECT_EQ(std::string(url()).rfind("http://", 0), 0u);
}

TEST_F(SkinTest, CoupledButtonsChangeLooksOnlyWhenTheLookChanges) {
    auto notify = skin.Export<NotifyFn>("NotifyBtnStateChanged");
    ASSERT_NE(notify, nullptr);
    TestWindow main("main");
    BuildMain(&main);
    // One walk through the rules; each step's looks depend on the ones before.
    struct Step {
        int kind, element;
        std::vector<std::string> looks;   // "id:look"
    } steps[] = {
        {1, 1, {"44:118", "2:120"}},   // play on
        {1, 1, {}},                    // again: nothing changes
        {2, 1, {"44:44", "2:2"}},      // play off (any kind but 1 and 8 is off)
        {8, 3, {"2:141", "274:135"}},  // pause on
        {0, 1, {}},                    // play off: 44 shows 44 already, 2 keeps its pause look
        {1, 12, {"274:139"}},
        {4, 12, {"274:135"}},
        {1, 274, {"3:130", "12:145"}},
        {1, 2, {"1:122", "3:133"}},
        {1, 44, {"1:128", "43:147"}},
        {0, 44, {"1:122", "43:43"}},
        {0, 274, {"3:124", "12:12"}},
        {0, 2, {"1:1", "3:3"}},
        {1, 99, {}},
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(++n);
        skin.Forget();
        notify(s.kind, s.element);
        std::vector<std::string> expected;
        for (const std::string& l : s.looks) {
            size_t colon = l.find(':');
            expected.push_back("ActiveElementSetBtnLook main id=" + l.substr(0, colon) + " look=" + l.substr(colon + 1));
        }
        EXPECT_EQ(skin.Calls(), expected);
    }
}

// ---------------------------------------------------------------- preview

// The main window as a skin lays it out: its background sprite with every
// button's first image at its place, cut by the skin's outline. Drawn from
// the skin's own master bitmap and the buttons it created.
std::vector<uint32_t> ComposeMain(HMODULE skinModule, GetResourceRectFn rect, const std::vector<std::string>& calls,
                                  HRGN outline, int* width, int* height) {
    Bitmap big;
    RECT panel = rect(294);
    *width = panel.right - panel.left + 1;
    *height = panel.bottom - panel.top + 1;
    std::vector<uint32_t> px(static_cast<size_t>(*width) * *height, 0);
    if (!FindBitmap(skinModule, "BIGRESOURCE", &big)) return px;
    auto copy = [&](const RECT& src, int w, int h, int x, int y) {
        for (int dy = 0; dy < h; ++dy)
            for (int dx = 0; dx < w; ++dx) {
                int sx = src.left + dx, sy = src.top + dy, tx = x + dx, ty = y + dy;
                if (sx < 0 || sy < 0 || sx >= big.head.biWidth || sy >= big.head.biHeight) continue;
                if (tx < 0 || ty < 0 || tx >= *width || ty >= *height) continue;
                px[static_cast<size_t>(ty) * *width + tx] = big.Pixel(sx, sy);
            }
    };
    copy(panel, *width, *height, 0, 0);
    for (const std::string& line : Only(calls, "AddWndButtonToList")) {
        int sprite = 0, x = 0, y = 0;
        if (sscanf(line.c_str() + line.find("sprite="), "sprite=%d at=%d,%d", &sprite, &x, &y) != 3) continue;
        RECT r = rect(sprite);
        if (r.left < 0) continue;
        copy(r, (r.right - r.left + 1) / 5, r.bottom - r.top + 1, x, y);
    }
    if (outline)
        for (int y = 0; y < *height; ++y)
            for (int x = 0; x < *width; ++x)
                if (!PtInRegion(outline, x, y)) px[static_cast<size_t>(y) * *width + x] = 0xFFFFFF;
    return px;
}

TEST_F(SkinTest, PreviewOfTheMainWindowBesideTheStandardSkin) {
    struct Look {
        const char* dll;
        const char* png;
    } looks[] = {{"zentorraface.dll", "zentorraface_main_preview.png"}, {"stockface.dll", "stockface_main_preview.png"}};
    uint32_t average[2] = {};   // the mean colour of each window
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(looks[i].dll);
        HMODULE m = LoadLibraryA(Bin(looks[i].dll).c_str());
        if (!m && i == 1) GTEST_SKIP() << "the standard skin is not built in this tree";
        ASSERT_NE(m, nullptr);
        auto rect = reinterpret_cast<GetResourceRectFn>(reinterpret_cast<void*>(GetProcAddress(m, "GetResourceRect")));
        auto setMain = reinterpret_cast<SetButtonsMainFn>(reinterpret_cast<void*>(GetProcAddress(m, "SetButtonsMain")));
        ASSERT_TRUE(rect && setMain);
        TestWindow main("main", 400, 260);
        cVelmoSkinData data;
        skin.Forget();
        setMain(&data, &main.list, &res, &main.object, 0);
        HRGN outline = CreateRectRgn(0, 0, 0, 0);
        bool shaped = GetWindowRgn(main.object.wnd, outline) != ERROR;
        int w = 0, h = 0;
        std::vector<uint32_t> px = ComposeMain(m, rect, skin.Calls(), shaped ? outline : nullptr, &w, &h);
        DeleteObject(outline);
        EXPECT_TRUE(tdtest::WritePng(tdtest::ArtifactDir() + "\\" + looks[i].png, w, h, px));
        uint64_t sum[3] = {};
        for (uint32_t c : px)
            for (int k = 0; k < 3; ++k) sum[k] += (c >> (8 * k)) & 0xFF;
        for (int k = 0; k < 3; ++k) average[i] |= static_cast<uint32_t>(sum[k] / (px.empty() ? 1 : px.size())) << (8 * k);
        FreeLibrary(m);
    }
    EXPECT_NE(average[0], average[1]);   // a look of its own
}

// ---------------------------------------------------------------- binding

// Loads the skin beside the engine stand-in in the folder given (none: no
// engine at all); 0 loaded and usable, 1 refused, 2 set-up failed.
TD_CHILD(bind) {
    if (argc > 1 && argv[1][0] && !LoadLibraryA(argv[1])) return 2;
    HMODULE skin = LoadLibraryA((tdtest::BinDir() + "\\zentorraface.dll").c_str());
    if (!skin) return 1;
    auto setMain = reinterpret_cast<SetButtonsMainFn>(reinterpret_cast<void*>(GetProcAddress(skin, "SetButtonsMain")));
    auto hook = reinterpret_cast<StatusHookFn>(reinterpret_cast<void*>(GetProcAddress(skin, "StatusHook")));
    auto region = reinterpret_cast<GetSkinRegionExtWndFn>(
        reinterpret_cast<void*>(GetProcAddress(skin, "GetSkinRegionExtWnd")));
    if (!setMain || !hook || !region) return 2;
    TestWindow main("main");
    cVelmoSkinData data;
    int res = 0;
    setMain(&data, &main.list, &res, &main.object, 0);
    // The optional functions may be missing: these then set no states.
    if (hook("", 8) != 1) return 2;
    HRGN rgn = region(&main.object, 1, 0, 600, 400, 0);
    if (!rgn) return 2;
    DeleteObject(rgn);
    return 0;
}

TEST(Binding, LoadsOnlyBesideAnEngineWithEveryRequiredFunction) {
    struct Case {
        std::string engine;
        DWORD expected;
    } cases[] = {{EnginePath("full"), 0}, {EnginePath("optional"), 0}, {EnginePath("missing"), 1}, {"", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.engine);
        tdtest::Process child;
        ASSERT_TRUE(child.StartChild("bind", {c.engine}));
        DWORD code = 99;
        ASSERT_TRUE(child.Wait(20000, &code));
        EXPECT_EQ(code, c.expected);
    }
}

// ---------------------------------------------------------------- OEM variant

// Run from a program folder of its own (the skin reads the settings key from
// the start program beside the running program): writes the navigator's
// calls to the file given.
TD_CHILD(nav_calls) {
    if (argc < 3) return 2;
    HMODULE engine = LoadLibraryA(argv[1]);
    HMODULE skin = engine ? LoadLibraryA("zentorraface.dll") : nullptr;
    if (!skin) return 1;
    auto setNav = reinterpret_cast<SetButtonsNavFn>(reinterpret_cast<void*>(GetProcAddress(skin, "SetButtonsNav")));
    auto log = reinterpret_cast<EngineCallLogFn>(reinterpret_cast<void*>(GetProcAddress(engine, "EngineCallLog")));
    if (!setNav || !log) return 2;
    TestWindow nav("nav");
    cVelmoSkinData data;
    int res = 0;
    setNav(&data, &nav.list, &res, &nav.object, 0);
    return tdtest::WriteFileBytes(argv[2], log()) ? 0 : 2;
}

TEST(Oem, OemPlayerSettingChoosesThePartnerNavigatorButtons) {
    tdtest::TempFolder temp("zf");
    tdtest::RegistrySandbox settings("SOFTWARE\\VelmirantZentorraTest\\Radio");
    const std::string prog = temp.Path();
    for (const char* f : {"zentorraface_tests.exe", "zentorraface.dll", "basekit.dll"})
        ASSERT_TRUE(CopyFileA(Bin(f).c_str(), (prog + "\\" + f).c_str(), FALSE)) << f;
    ASSERT_TRUE(CopyFileA(Bin("zentorraface_test_launchgate.exe").c_str(), (prog + "\\launchgate.exe").c_str(), FALSE));
    struct Case {
        const char* value;   // null: not set
        bool oem;
    } cases[] = {{nullptr, false}, {"0", false}, {"1", true}, {"11", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(none)");
        if (c.value) {
            ASSERT_TRUE(settings.SetString("OEM_Player", c.value));
        }
        tdtest::Process child;
        ASSERT_TRUE(child.Start(prog + "\\zentorraface_tests.exe",
                                {"--td-child=nav_calls", EnginePath("full"), prog + "\\calls.txt"}, prog));
        DWORD code = 99;
        ASSERT_TRUE(child.Wait(20000, &code));
        ASSERT_EQ(code, 0u);
        std::vector<std::string> ids;
        for (const std::string& l : Only(Lines(temp.Read("calls.txt")), "AddWndButtonToList"))
            ids.push_back(l.substr(l.find("sprite=")));
        std::vector<std::string> expected;
        if (c.oem)
            expected = {"sprite=6 at=19,287 id=163 group=2 region=0 last=1",
                        "sprite=5 at=88,181 id=160 group=2 region=0 last=1",
                        "sprite=7 at=164,181 id=159 group=2 region=0 last=1",
                        "sprite=265 at=277,181 id=161 group=2 region=0 last=1",
                        "sprite=322 at=223,181 id=162 group=2 region=0 last=1"};
        else
            expected = {"sprite=6 at=19,285 id=6 group=2 region=0 last=1",
                        "sprite=5 at=80,181 id=5 group=2 region=0 last=1",
                        "sprite=7 at=149,181 id=7 group=2 region=0 last=1",
                        "sprite=265 at=247,181 id=265 group=2 region=0 last=1",
                        "sprite=322 at=201,181 id=322 group=2 region=0 last=1",
                        "sprite=8 at=312,181 id=8 group=2 region=0 last=1"};
        EXPECT_EQ(ids, expected);
    }
}

TEST(Oem, SettingsKeyComesFromTheStartProgramBesideTheProgram) {
    tdtest::TempFolder temp("zfkey");
    char key[512];
    zf::SettingsKeyFor((temp.Path() + "\\player.exe").c_str(), key, sizeof key);
    EXPECT_STREQ(key, "SOFTWARE\\Velmirant\\Radio");   // no start program
    ASSERT_TRUE(CopyFileA(Bin("zentorraface_test_launchgate.exe").c_str(), temp.File("launchgate.exe").c_str(), FALSE));
    zf::SettingsKeyFor((temp.Path() + "\\player.exe").c_str(), key, sizeof key);
    EXPECT_STREQ(key, "SOFTWARE\\VelmirantZentorraTest\\Radio");
    zf::SettingsKeyFor("player.exe", key, sizeof key);   // no folder at all
    EXPECT_STREQ(key, "SOFTWARE\\Velmirant\\Radio");
}

}  // namespace
