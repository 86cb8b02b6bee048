#pragma once

#include <QString>

#include "window.h"

// The name trackers give an editor: the title of its top-level window, as far as a 255-character
// buffer takes it.
inline QString editorWindowTitle(HWND hwnd)
{
    WCHAR title[255] = {};
    GetWindowTextW(GetAncestor(hwnd, GA_ROOT), title, 255);
    return QString::fromUtf16(title);
}
