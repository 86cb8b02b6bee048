#include "wordpane.h"

#include <string_view>

namespace {
BOOL CALLBACK takeFirstPane(HWND hwnd, LPARAM found)
{
    if (!isWordPane(hwnd))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}
}

bool isWordPane(HWND hwnd)
{
    WCHAR name[256] = {};
    GetClassNameW(hwnd, name, 255);
    return std::u16string_view(name) == u"_WwG";
}

HWND findWordPaneUnder(HWND parent)
{
    HWND found = nullptr;
    if (parent)
        EnumChildWindows(parent, takeFirstPane, reinterpret_cast<LPARAM>(&found));
    return found;
}
