#pragma once

#include "utility_export.h"

namespace filelog {

// Console output of records and of the engine's own messages.
class UTILITY_EXPORT LogConsole
{
public:
    // Levels 2..6 are coloured (info green, warn yellow, error red, alarm and fatal magenta)
    // when standard output is a terminal; everything else is printed as it is.
    static void printColored(const char* text, int level);
};

} // namespace filelog
