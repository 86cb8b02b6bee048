#include "scannedtext.h"

namespace korrelo_service {

namespace {

// Decodes one code point at i; malformed or overlong input yields U+FFFD for one byte, so
// garbage from a client can never make the scan read past the end.
char32_t decodeAt(const std::string& s, size_t& i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1; cp = c & 0x1F; minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2; cp = c & 0x0F; minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3; cp = c & 0x07; minimum = 0x10000;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + extra >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char cc = byte(i + k);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += extra + 1;
    return cp;
}

} // namespace

ScannedText::ScannedText(const std::string& utf8)
{
    points.reserve(utf8.size());
    offsets.reserve(utf8.size() + 1);
    uint32_t offset = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        const char32_t cp = decodeAt(utf8, i);
        points.push_back(cp);
        offsets.push_back(offset);
        offset += cp >= 0x10000 ? 2 : 1;
    }
    offsets.push_back(offset);
}

std::string ScannedText::slice(size_t first, size_t count) const
{
    std::string out;
    for (size_t i = first; i < first + count && i < points.size(); ++i)
        out += toUtf8(points[i]);
    return out;
}

std::string ScannedText::toUtf8(char32_t cp)
{
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

std::string ScannedText::toUtf8(const std::u32string& text)
{
    std::string out;
    for (char32_t cp : text)
        out += toUtf8(cp);
    return out;
}

std::u32string ScannedText::toUtf32(const std::string& utf8)
{
    std::u32string out;
    size_t i = 0;
    while (i < utf8.size())
        out += decodeAt(utf8, i);
    return out;
}

bool ScannedText::isUtf8(const std::string& text)
{
    // Every malformed byte decodes to U+FFFD, which encodes back to other bytes.
    return toUtf8(toUtf32(text)) == text;
}

bool ScannedText::isHan(char32_t cp)
{
    return (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0x3400 && cp <= 0x4DBF)
           || (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0x20000 && cp <= 0x3134F);
}

bool ScannedText::isCjkPunctuation(char32_t cp)
{
    return (cp >= 0x3000 && cp <= 0x303F) || (cp >= 0xFF01 && cp <= 0xFF0F)
           || (cp >= 0xFF1A && cp <= 0xFF20) || (cp >= 0xFF3B && cp <= 0xFF40)
           || (cp >= 0xFF5B && cp <= 0xFF65) || (cp >= 0x2018 && cp <= 0x201F)
           || cp == 0x2026 || cp == 0x2014;
}

} // namespace korrelo_service
