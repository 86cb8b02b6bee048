#include "strconvert.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <wctype.h>

#include "numbertext.h"
#include "textlocale.h"

namespace {

bool isWideSpace(char16_t c)
{
    return iswspace_l(static_cast<wint_t>(c), textLocale()) != 0;
}

char16_t wideLower(char16_t c)
{
    const wint_t r = towlower_l(static_cast<wint_t>(c), textLocale());
    return r <= 0xFFFF ? static_cast<char16_t>(r) : c;
}

char16_t wideUpper(char16_t c)
{
    const wint_t r = towupper_l(static_cast<wint_t>(c), textLocale());
    return r <= 0xFFFF ? static_cast<char16_t>(r) : c;
}

// How many bytes a lead byte claims. The obsolete 5- and 6-byte leads still report their length so
// scanning skips them whole; validation rejects them later.
int sequenceLength(unsigned char lead)
{
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    if (lead < 0xF8)
        return 4;
    if (lead < 0xFC)
        return 5;
    if (lead < 0xFE)
        return 6;
    return 1;
}

bool isLegalSequence(const unsigned char* p, int length)
{
    if (length < 1 || length > 4)
        return false;
    const unsigned char lead = p[0];
    if (length == 1)
        return lead < 0x80;
    if (lead < 0xC2 || lead > 0xF4)
        return false;
    for (int k = 1; k < length; ++k) {
        if (p[k] < 0x80 || p[k] > 0xBF)
            return false;
    }
    const unsigned char second = p[1];
    switch (lead) {
    case 0xE0: return second >= 0xA0;
    case 0xED: return second <= 0x9F;
    case 0xF0: return second >= 0x90;
    case 0xF4: return second <= 0x8F;
    default: return true;
    }
}

enum class Decode { Ok, SourceExhausted, Illegal };

// Decodes a whole UTF-8 text strictly, handing each code point to emit. Stops at the first NUL.
template <typename Emit>
Decode decodeUtf8(const std::string& s, Emit emit)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const int length = sequenceLength(p[i]);
        if (n - i < static_cast<std::size_t>(length))
            return Decode::SourceExhausted;
        if (!isLegalSequence(p + i, length))
            return Decode::Illegal;
        char32_t c = 0;
        switch (length) {
        case 1: c = p[i]; break;
        case 2: c = (char32_t(p[i] & 0x1F) << 6) | (p[i + 1] & 0x3F); break;
        case 3: c = (char32_t(p[i] & 0x0F) << 12) | (char32_t(p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F); break;
        default:
            c = (char32_t(p[i] & 0x07) << 18) | (char32_t(p[i + 1] & 0x3F) << 12)
                | (char32_t(p[i + 2] & 0x3F) << 6) | (p[i + 3] & 0x3F);
            break;
        }
        if (c == 0)
            break;
        emit(c);
        i += static_cast<std::size_t>(length);
    }
    return Decode::Ok;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// One conversion through iconv; false on any failure. A descriptor is opened per call because a
// descriptor carries shift state and must not be shared between threads.
bool iconvConvert(const char* to, const char* from, const char* data, std::size_t size, std::string& out)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string result;
    result.resize(size * 4 + 16);
    char* in = const_cast<char*>(data);
    std::size_t inLeft = size;
    std::size_t written = 0;
    bool ok = true;
    while (true) {
        char* outPtr = &result[written];
        std::size_t outLeft = result.size() - written;
        const std::size_t rc = inLeft ? iconv(cd, &in, &inLeft, &outPtr, &outLeft)
                                      : iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        written = result.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0)
                break;
            continue;
        }
        if (errno == E2BIG) {
            result.resize(result.size() * 2);
            continue;
        }
        ok = false;   // EILSEQ or EINVAL: not representable or truncated
        break;
    }
    iconv_close(cd);
    if (!ok)
        return false;
    result.resize(written);
    out = std::move(result);
    return true;
}

const char* const kCodePage = "CP936";

} // namespace

std::u16string toWString(const std::string& s)
{
    std::u16string out;
    out.reserve(s.size() + 1);
    const Decode rc = decodeUtf8(s, [&out](char32_t c) {
        if (c > 0xFFFF) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    });
    return rc == Decode::Ok ? out : std::u16string();
}

std::u32string toU32String(const std::string& s)
{
    std::u32string out;
    out.reserve(s.size() + 1);
    const Decode rc = decodeUtf8(s, [&out](char32_t c) { out += c; });
    return rc == Decode::Ok ? out : std::u32string();
}

std::string toU8String(const std::u16string& s)
{
    std::string out;
    out.reserve(s.size() * 3 + 1);
    const std::size_t n = s.size();
    for (std::size_t i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c == 0)
            break;
        if (isHighSurrogate(c)) {
            if (i + 1 == n)
                return std::string();
            if (isLowSurrogate(s[i + 1])) {
                c = ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00) + 0x10000;
                ++i;
            }
        }
        appendUtf8(out, c);
    }
    return out;
}

std::string toU8String(const std::u32string& s)
{
    std::string out;
    out.reserve(s.size() * 4 + 1);
    for (char32_t c : s) {
        if (c > 0x10FFFF)
            return std::string();
        if (c == 0)
            break;
        appendUtf8(out, c);
    }
    return out;
}

std::u16string toWString(const std::u32string& s)
{
    std::u16string out(s.size(), u'\0');
    std::transform(s.begin(), s.end(), out.begin(), [](char32_t c) { return static_cast<char16_t>(c & 0xFFFF); });
    return out;
}

std::u32string toU32String(const std::u16string& s)
{
    return std::u32string(s.begin(), s.end());
}

bool StringAToWString(const std::string& in, std::u16string& out)
{
    // The text ends at its first NUL, as the code page's C strings do.
    const std::size_t size = std::strlen(in.c_str());
    std::string bytes;
    if (size == 0 || !iconvConvert("UTF-16LE", kCodePage, in.data(), size, bytes) || bytes.size() < 2)
        return false;
    std::u16string result(bytes.size() / 2, u'\0');
    for (std::size_t k = 0; k < result.size(); ++k) {
        result[k] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k])
                                          | (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
    }
    out = std::move(result);
    return true;
}

bool WStringToStringA(const std::u16string& in, std::string& out)
{
    std::string bytes;
    bytes.reserve(in.size() * 2);
    for (char16_t c : in) {
        if (c == 0)
            break;
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    std::string result;
    if (bytes.empty() || !iconvConvert(kCodePage, "UTF-16LE", bytes.data(), bytes.size(), result) || result.empty())
        return false;
    out = std::move(result);
    return true;
}

std::string toString(const std::string& u8)
{
    return toString(toWString(u8));
}

std::string toString(const std::u32string& s)
{
    return toString(toWString(toU8String(s)));
}

std::string toString(const std::u16string& s)
{
    std::string out;
    WStringToStringA(s, out);
    return out;
}

std::string toU8StringA(const std::string& s)
{
    std::u16string wide;
    StringAToWString(s, wide);
    return toU8String(wide);
}

std::u16string toWStringA(const std::string& s)
{
    std::u16string wide;
    StringAToWString(s, wide);
    return wide;
}

std::u32string toU32StringA(const std::string& s)
{
    return toU32String(toU8StringA(s));
}

bool InitString()
{
    return true;
}

bool u8IsFirstByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b < 0x80 || (b >= 0xC0 && b <= 0xFD);
}

bool u8IsMid(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x80 && b <= 0xBF;
}

bool IsEnChar(char c)
{
    return static_cast<unsigned char>(c) < 0x80;
}

bool IsOneEnChar(const char* s)
{
    if (!s || !*s)
        return true;
    const int length = sequenceLength(static_cast<unsigned char>(*s));
    if (length == 1)
        return true;
    for (int k = 1; k < length; ++k) {
        if (s[k] == '\0')
            return true;   // truncated: not one complete character
    }
    if (s[length] != '\0')
        return true;
    return !isLegalSequence(reinterpret_cast<const unsigned char*>(s), length);
}

bool u8IsBom(const char* p)
{
    return p && static_cast<unsigned char>(p[0]) == 0xEF && static_cast<unsigned char>(p[1]) == 0xBB
        && static_cast<unsigned char>(p[2]) == 0xBF;
}

std::size_t u8Strlen(const char* s)
{
    if (!s)
        return 0;
    std::size_t count = 0;
    while (*s) {
        const int length = sequenceLength(static_cast<unsigned char>(*s));
        ++count;
        ++s;
        for (int k = 1; k < length && *s; ++k)
            ++s;
    }
    return count;
}

std::string u8GetChar(const std::string& s, unsigned i)
{
    if (i >= s.size())
        return std::string();
    std::size_t end = i + 1;
    while (end < s.size() && u8IsMid(s[end]))
        ++end;
    return s.substr(i, end - i);
}

std::string u8GetCharReverse(const std::string& s, unsigned i)
{
    if (i >= s.size())
        return std::string();
    if (!u8IsMid(s[i]))
        return s.substr(i, 1);
    std::size_t begin = i;
    while (begin > 0 && u8IsMid(s[begin - 1]))
        --begin;
    // Take the lead byte in front of the continuation bytes, but never an ASCII byte.
    if (begin > 0 && static_cast<unsigned char>(s[begin - 1]) >= 0xC0)
        --begin;
    return s.substr(begin, i - begin + 1);
}

unsigned u8GetChars(const std::string& s, std::vector<std::string>& out)
{
    out.clear();
    std::size_t k = 0;
    while (k < s.size()) {
        out.push_back(u8GetChar(s, static_cast<unsigned>(k)));
        k += out.back().size();
    }
    return static_cast<unsigned>(out.size());
}

bool u32IsWhiteSpace(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 || c == 0x180E
        || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F
        || c == 0x3000;
}

bool IsWhiteSpaceW(char16_t c)
{
    return u32IsWhiteSpace(c);
}

bool IsEnPunctuation(char32_t c)
{
    return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60)
        || (c >= 0x7B && c <= 0x7E) || (c >= 0xA1 && c <= 0xBF) || c == 0xD7 || c == 0xE7 || c == 0xF7;
}

bool IsEnPunctuation(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x21 && b <= 0x2F) || (b >= 0x3A && b <= 0x40) || (b >= 0x5B && b <= 0x60)
        || (b >= 0x7B && b <= 0x7E);
}

namespace {

struct Range
{
    char32_t first;
    char32_t last;
};

template <std::size_t N>
bool inRanges(char32_t c, const Range (&ranges)[N])
{
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [c](const Range& r) { return c >= r.first && c <= r.last; });
}

const Range kCnPunctuation[] = {
    {0xFF01, 0xFF0F}, {0xFF1A, 0xFF1F}, {0xFF3B, 0xFF40}, {0xFF5B, 0xFF65}, {0xFFE0, 0xFFEF},
    {0xFE10, 0xFE1F}, {0xFE30, 0xFE4F}, {0xFE50, 0xFE6F}, {0x3001, 0x301F}, {0x25A0, 0x25FF},
    {0x2000, 0x206F}, {0x2190, 0x21FF}, {0x2200, 0x22FF},
};

const Range kCnChars[] = {
    {0x4E00, 0x9FBF}, {0x2E80, 0x2EFF}, {0x2F00, 0x2FDF}, {0x31C0, 0x31EF}, {0x3200, 0x32FF},
    {0x3300, 0x33FF}, {0x3400, 0x4DBF}, {0x4DC0, 0x4DFF}, {0xF900, 0xFAFF}, {0xE000, 0xF8FF},
};

const Range kKana[] = {{0x3040, 0x309F}, {0x30A0, 0x30FF}, {0x31F0, 0x31FF}};
const Range kHangul[] = {{0xAC00, 0xD7AF}, {0x1100, 0x11FF}, {0x3130, 0x318F}};

bool isPunctuation(char32_t c)
{
    return IsEnPunctuation(c) || IsCnPunctuation(c);
}

bool isEnNumberByte(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
        || (c != 0 && c < 0x80 && std::strchr(".+-,%&#@$*", static_cast<int>(c)) != nullptr);
}

template <typename Text, typename Pred>
bool allOf(const Text& s, Pred pred)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), pred);
}

} // namespace

bool IsCnPunctuation(char32_t c)
{
    return inRanges(c, kCnPunctuation);
}

bool IsCnChar(char32_t c, bool withKana, bool withHangul)
{
    return inRanges(c, kCnChars) || (withKana && inRanges(c, kKana)) || (withHangul && inRanges(c, kHangul));
}

bool IsAllPunctuation(const std::u32string& s)
{
    return allOf(s, isPunctuation);
}

bool HasPunctuation(const std::u32string& s)
{
    return std::any_of(s.begin(), s.end(), isPunctuation);
}

bool IsAllSpace(const std::u32string& s)
{
    return allOf(s, [](char32_t c) { return c == 0x3000 || c == 0xA0 || isWideSpace(static_cast<char16_t>(c & 0xFFFF)); });
}

bool IsAllEnNumber(const std::string& s)
{
    return allOf(s, [](char c) { return isEnNumberByte(static_cast<unsigned char>(c)); });
}

bool IsAllEnNumber(const std::u32string& s)
{
    return allOf(s, [](char32_t c) {
        return isEnNumberByte(c) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A)
            || (c >= 0xFF10 && c <= 0xFF19);
    });
}

bool IsAllEnChar(const std::u32string& s)
{
    return allOf(s, [](char32_t c) { return c <= 0xFF; });
}

bool IsAllEnChar(const std::string& s)
{
    return allOf(s, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsAllCnChar(const std::u32string& s)
{
    return allOf(s, [](char32_t c) { return IsCnChar(c, false, false); });
}

bool IsAllNumber(const std::u32string& s)
{
    return allOf(s, [](char32_t c) {
        return (c >= '0' && c <= '9') || c == 'E' || c == 'e' || c == '.' || c == '+' || c == '-' || c == ','
            || c == '%' || c == '#' || c == '$' || c == 0x2103 || c == 0x2109;
    });
}

namespace {

template <typename Text>
Text& replaceAllIn(Text& s, const Text& from, const Text& to)
{
    if (from.empty())
        return s;
    typename Text::size_type pos = 0;
    while ((pos = s.find(from, pos)) != Text::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
    return s;
}

template <typename Text, typename Unit>
unsigned splitText(const Text& s, Unit sep, bool keepSep, std::vector<Text>& out)
{
    typename Text::size_type start = 0;
    while (true) {
        const auto pos = s.find(sep, start);
        if (pos == Text::npos)
            break;
        out.push_back(s.substr(start, pos - start + (keepSep ? 1 : 0)));
        start = pos + 1;
    }
    out.push_back(s.substr(start));
    return static_cast<unsigned>(out.size());
}

} // namespace

std::string& ReplaceAll(std::string& s, const std::string& from, const std::string& to)
{
    return replaceAllIn(s, from, to);
}

std::u16string& ReplaceAllW(std::u16string& s, const std::u16string& from, const std::u16string& to)
{
    return replaceAllIn(s, from, to);
}

unsigned split(const std::string& s, char sep, bool keepSep, std::vector<std::string>& out)
{
    return splitText(s, sep, keepSep, out);
}

unsigned splitW(const std::u16string& s, char16_t sep, bool keepSep, std::vector<std::u16string>& out)
{
    return splitText(s, sep, keepSep, out);
}

std::string& ltrim(std::string& s)
{
    const auto it = std::find_if(s.begin(), s.end(), [](char c) { return !numbertext::isBlank(c); });
    s.erase(s.begin(), it);
    return s;
}

std::string& rtrim(std::string& s)
{
    const auto it = std::find_if(s.rbegin(), s.rend(), [](char c) { return !numbertext::isBlank(c); });
    s.erase(it.base(), s.end());
    return s;
}

std::string& trim(std::string& s)
{
    return ltrim(rtrim(s));
}

std::u16string& wltrim(std::u16string& s)
{
    const auto it = std::find_if(s.begin(), s.end(), [](char16_t c) { return !isWideSpace(c); });
    s.erase(s.begin(), it);
    return s;
}

std::u16string& wrtrim(std::u16string& s)
{
    const auto it = std::find_if(s.rbegin(), s.rend(), [](char16_t c) { return !isWideSpace(c); });
    s.erase(it.base(), s.end());
    return s;
}

std::u16string& wtrim(std::u16string& s)
{
    return wltrim(wrtrim(s));
}

std::string u8trim(std::string& s)
{
    std::u16string wide = toWString(s);
    return toU8String(wltrim(wrtrim(wide)));
}

std::u16string StringToLower(const std::u16string& s)
{
    std::u16string out(s);
    std::transform(out.begin(), out.end(), out.begin(), wideLower);
    return out;
}

std::u16string StringToUpper(const std::u16string& s)
{
    std::u16string out(s);
    std::transform(out.begin(), out.end(), out.begin(), wideUpper);
    return out;
}

std::string u8StringToLower(const std::string& s)
{
    return toU8String(StringToLower(toWString(s)));
}

bool StringCompareNoCase(const std::u16string& a, const std::u16string& b)
{
    return StringToLower(a) == StringToLower(b);
}

std::u16string wildcard2Regex(const std::u16string& pattern, bool backslashEscapes)
{
    static const std::u16string kLiteralBackslash = u"\\\\";
    std::u16string rx;
    rx.reserve(pattern.size() * 2);
    const std::size_t n = pattern.size();
    bool escape = false;
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = pattern[i];
        if (c == u'\\') {
            // A backslash escapes the wildcard characters only when escapes are wanted; otherwise,
            // or with nothing after it, it stands for itself.
            if (backslashEscapes) {
                if (escape)
                    rx += kLiteralBackslash;
                if (i + 1 < n) {
                    escape = true;
                } else {
                    rx += kLiteralBackslash;
                    escape = false;
                }
            } else {
                rx += kLiteralBackslash;
            }
            continue;
        }
        switch (c) {
        case u'*':
            rx += escape ? u"\\*" : u".*";
            break;
        case u'?':
            rx += escape ? u"\\?" : u".";
            break;
        case u'$': case u'(': case u')': case u'+': case u'.': case u'^': case u'{': case u'|': case u'}':
            if (escape)
                rx += kLiteralBackslash;
            rx += u'\\';
            rx += c;
            break;
        case u'[':
            if (escape) {
                rx += u"\\[";
                break;
            }
            rx += u'[';
            ++i;
            if (i < n && pattern[i] == u'^')
                rx += pattern[i++];
            if (i < n && pattern[i] == u']')
                rx += pattern[i++];
            while (i < n && pattern[i] != u']') {
                if (pattern[i] == u'\\')
                    rx += kLiteralBackslash;
                else
                    rx += pattern[i];
                ++i;
            }
            if (i >= n)
                return rx;   // unclosed class: the pattern ends inside it
            rx += u']';
            break;
        case u']':
            if (escape)
                rx += u'\\';
            rx += c;
            break;
        default:
            if (escape)
                rx += kLiteralBackslash;
            rx += c;
            break;
        }
        escape = false;
    }
    return rx;
}
