#pragma once

// The icon font's names (hyphens removed) and their code points, in name order.
struct IconFontName
{
    const char* name;
    int codePoint;
};

extern const IconFontName iconFontNames[];
extern const int iconFontNameCount;
