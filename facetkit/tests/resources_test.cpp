// facetkit's own resources: the four cursors of the skinned windows and the
// menu resource whose sub-menus the pop-up menus are built from.
#include <gtest/gtest.h>

#include <windows.h>

#include "host_link.h"

namespace {

HMODULE Facetkit() {
    // Any export pins the library into this process.
    HMODULE m = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&GetHostLanguage), &m);
    return m;
}

TEST(FacetkitResources, CursorsLoadByName) {
    HMODULE facetkit = Facetkit();
    ASSERT_NE(facetkit, nullptr);
    for (const char* name : {"IDC_CUR_MOVE", "IDC_CUR_LINK", "IDC_CUR_RESIZE", "IDC_CUR_SIZEB"}) {
        HCURSOR cursor = LoadCursorA(facetkit, name);
        ASSERT_NE(cursor, nullptr) << name;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(cursor, &info)) << name;
        EXPECT_FALSE(info.fIcon) << name;
        if (info.hbmMask) DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
    }
}

TEST(FacetkitResources, ContextMenuHasItsSubMenusByPosition) {
    HMENU menu = LoadMenuA(Facetkit(), "ContextMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 17);
    for (int i = 0; i < 17; ++i) EXPECT_NE(GetSubMenu(menu, i), nullptr) << i;
    HMENU folder = GetSubMenu(menu, 13);
    ASSERT_EQ(GetMenuItemCount(folder), 4);
    EXPECT_EQ(GetMenuItemID(folder, 0), 32843u);
    EXPECT_EQ(GetMenuItemID(folder, 1), 32844u);
    EXPECT_EQ(GetMenuState(folder, 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuItemID(folder, 3), 32845u);
    // Commands the table and navigator menus address by id.
    struct {
        int sub;
        UINT id;
    } present[] = {{0, 32774}, {0, 32787}, {3, 32802}, {4, 32795}, {5, 32815}, {6, 32817},
                   {10, 32826}, {11, 32830}, {14, 32858}, {15, 32860}};
    for (auto& p : present) {
        EXPECT_NE(GetMenuState(GetSubMenu(menu, p.sub), p.id, MF_BYCOMMAND), static_cast<UINT>(-1))
            << p.sub << ":" << p.id;
    }
    DestroyMenu(menu);
}

}  // namespace
