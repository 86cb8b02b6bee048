#include "logconfig.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "numbertext.h"

namespace filelog {

namespace {

// ASCII only: the process locale (a Turkish one maps 'I' elsewhere) must not change the words.
std::string lowerCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool parseBool(const std::string& lowered)
{
    return lowered != "false" && lowered != "0";
}

} // namespace

std::string LogConfig::trim(const std::string& text, const char* extra)
{
    size_t begin = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        begin = 3;
    auto isTrimmed = [extra](char c) {
        return c == '\r' || c == '\n' || c == '\t' || c == ' ' || (c != '\0' && std::strchr(extra, c));
    };
    size_t end = text.size();
    while (begin < end && isTrimmed(text[begin]))
        ++begin;
    while (end > begin && isTrimmed(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string LogConfig::loggerKey(const std::string& text)
{
    std::string key = trim(text);
    for (std::string again = trim(key); again != key; again = trim(key))
        key = again;
    return key;
}

int LogConfig::parseLevel(const std::string& word)
{
    if (word == "trace" || word == "all")
        return 0;
    if (word == "debug")
        return 1;
    if (word == "info")
        return 2;
    if (word == "warn" || word == "warning")
        return 3;
    if (word == "error")
        return 4;
    if (word == "alarm")
        return 5;
    if (word == "fatal")
        return 6;
    return -1;
}

int LogConfig::parseNumber(const std::string& text)
{
    return numbertext::leadingInt(text);
}

std::map<std::string, ParsedLogger> LogConfig::parse(const std::string& text)
{
    std::map<std::string, ParsedLogger> sections;
    std::string current;
    int lineNumber = 1;
    size_t lineStart = 0;
    // Every CR and every LF ends a line, so a CR LF pair also counts an empty line.
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n')
            continue;
        parseLine(text.substr(lineStart, i - lineStart), lineNumber, sections, current);
        ++lineNumber;
        lineStart = i + 1;
    }
    return sections;
}

void LogConfig::parseLine(const std::string& line, int lineNumber,
                          std::map<std::string, ParsedLogger>& sections, std::string& current)
{
    const size_t equals = line.find('=');
    const std::string key = trim(line.substr(0, equals));
    const std::string value = equals == std::string::npos ? std::string() : trim(line.substr(equals + 1));
    if (key.empty() || key[0] == '#')
        return;

    if (key[0] == '[') {
        std::string section = loggerKey(trim(key, "[]"));
        if (lowerCase(section) == "main")
            section = "Main";
        if (sections.count(section)) {
            std::printf("filelog configure warning: duplicate logger key:[%s] at line: %d \r\n",
                        section.c_str(), lineNumber);
        } else {
            ParsedLogger parsed;
            parsed.key = section;
            parsed.name = section;
            sections.emplace(section, parsed);
        }
        current = section;
        return;
    }

    auto found = sections.find(current);
    if (found == sections.end()) {
        std::printf("filelog configure warning: not found current logger name:[%s] at line:%d, key=%s, value=%s \r\n",
                    current.c_str(), lineNumber, key.c_str(), value.c_str());
        return;
    }
    ParsedLogger& logger = found->second;
    const std::string name = lowerCase(key);
    if (name == "path") {
        logger.path = value;
        return;
    }
    if (name == "name") {
        logger.name = value;
        return;
    }
    const std::string lowered = lowerCase(value);
    if (name == "level") {
        const int level = parseLevel(lowered);
        if (level >= 0)
            logger.level = level;
    } else if (name == "display") {
        logger.display = parseBool(lowered);
    } else if (name == "outfile") {
        logger.outfile = parseBool(lowered);
    } else if (name == "monthdir") {
        logger.monthdir = parseBool(lowered);
    } else if (name == "limitsize") {
        logger.limitsize = parseNumber(lowered);
    } else if (name == "fileline") {
        logger.fileline = parseBool(lowered);
    } else if (name == "enable") {
        logger.enable = parseBool(lowered);
    } else if (name == "reserve") {
        logger.reserve = parseNumber(lowered);
    }
}

} // namespace filelog
