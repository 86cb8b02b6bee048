#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "utility_export.h"

namespace filelog {

// One [section] of a logging configuration text, with the logger defaults where a setting is missing.
struct ParsedLogger
{
    std::string key;
    std::string name;
    std::string path = "./log/";
    int level = 1;
    bool display = true;
    bool outfile = true;
    bool monthdir = false;
    int limitsize = 100;
    bool enable = true;
    bool fileline = false;
    int64_t reserve = 0;
};

// The INI-like configuration text of the logging engine:
//   [section]            a logger, named by its key ("main" in any case is the main logger)
//   key = value          path, name, level, display, outfile, monthdir, limitsize, fileline, enable, reserve
//   # comment
// Problems are warned about on standard output; parsing goes on.
class UTILITY_EXPORT LogConfig
{
public:
    // Sections by key.
    static std::map<std::string, ParsedLogger> parse(const std::string& text);

    // Drops a leading UTF-8 byte-order mark, then CR, LF, tab, space and the extra characters
    // from both ends.
    static std::string trim(const std::string& text, const char* extra = "");

    // The key a logger is created and found by: trimmed as above until nothing more goes, so a
    // mark or blank met only after another was dropped cannot make a second key for one logger.
    static std::string loggerKey(const std::string& text);

    // Level word ("trace", "debug", ... "fatal", lower case) to level; -1 for an unknown word.
    static int parseLevel(const std::string& word);
    // Leading decimal number as atoi reads it (blanks, sign, digits), clamped to int; 0 when none.
    static int parseNumber(const std::string& text);

private:
    static void parseLine(const std::string& line, int lineNumber,
                          std::map<std::string, ParsedLogger>& sections, std::string& current);
};

} // namespace filelog
