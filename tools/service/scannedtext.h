#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korrelo_service {

// UTF-8 text split into code points, each with its offset in UTF-16 units, because the service
// reports positions as the client measures them (a supplementary character counts two).
class ScannedText
{
public:
    explicit ScannedText(const std::string& utf8);

    size_t size() const { return points.size(); }
    char32_t at(size_t i) const { return i < points.size() ? points[i] : 0; }
    uint32_t utf16Offset(size_t i) const { return offsets[i]; }
    uint32_t utf16Length() const { return offsets.back(); }
    // The UTF-8 text of code points [first, first + count).
    std::string slice(size_t first, size_t count) const;

    static std::string toUtf8(char32_t cp);
    static std::string toUtf8(const std::u32string& text);
    static std::u32string toUtf32(const std::string& utf8);
    static bool isUtf8(const std::string& text);

    static bool isHan(char32_t cp);
    static bool isCjkPunctuation(char32_t cp);

private:
    std::vector<char32_t> points;
    std::vector<uint32_t> offsets;   // one more than points: the end offset last
};

} // namespace korrelo_service
