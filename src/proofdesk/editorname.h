#pragma once

#include <QString>

#include "window.h"

// Every tracker names an editor after its root window's caption, so all of them report the same
// name; longer captions are cut at 254 characters.
inline QString editorWindowTitle(HWND hwnd)
{
    WCHAR title[255] = {};
    GetWindowTextW(GetAncestor(hwnd, GA_ROOT), title, 255);
    return QString::fromUtf16(title);
}
