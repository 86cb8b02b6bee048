#pragma once

#include <string>

#include "utility_export.h"

// Encoding named by the byte-order mark at the start of a text file.
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

// Makes `path`, or the program's folder when `path` is empty, the current directory; false when there is
// no folder to use or the system refuses it.
UTILITY_EXPORT bool SetCurrentPath(const std::string& path);

// Reads at most the first three bytes, and none past a NUL, so a short NUL-terminated buffer is safe.
UTILITY_EXPORT CHARACTER_ENCODING GetFileEncoding(const char* bytes);
