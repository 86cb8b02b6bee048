#pragma once

#include <string>

#include "utility_export.h"

// What a file's leading BOM says about its encoding; text files without one are taken as they come.
enum CHARACTER_ENCODING
{
    ENCODING_NONE = 0,       // no byte-order mark
    ENCODING_UTF16_LE = 1,   // FF FE
    ENCODING_UTF16_BE = 2,   // FE FF
    ENCODING_UTF8 = 3        // EF BB BF
};

// Folder, with its trailing "/", of the module that holds `addressInModule` (any function or object
// of a shared library or of the program); null names the running program. "" when it cannot be told.
UTILITY_EXPORT std::string GetAppPath(const void* addressInModule = nullptr);

// File name of the running program without folder and without its last extension.
UTILITY_EXPORT std::string GetAppName();

// Changes the working directory; an empty `path` stands for the program's own folder. False if no
// such folder is known or the change is refused.
UTILITY_EXPORT bool SetCurrentPath(const std::string& path);

// Reads at most the first three bytes, and none past a NUL, so a short NUL-terminated buffer is safe.
UTILITY_EXPORT CHARACTER_ENCODING GetFileEncoding(const char* bytes);
