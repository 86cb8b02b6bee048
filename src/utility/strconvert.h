#pragma once

// Converting text between UTF-8, UTF-16, UTF-32 and the old Chinese code page, and telling
// character kinds apart. Bad input yields "" (or false), never an exception; the process locale
// plays no part, so results are the same in every program.

#include <cstddef>
#include <string>
#include <vector>

#include "utility_export.h"

// UTF-8 -> UTF-16, strict: overlong forms, encoded surrogates, values above U+10FFFF and truncated
// sequences give "". Supplementary characters become surrogate pairs.
UTILITY_EXPORT std::u16string toWString(const std::string& s);
// UTF-8 -> UTF-32, refusing the same malformed input.
UTILITY_EXPORT std::u32string toU32String(const std::string& s);
// UTF-16 -> UTF-8. Valid pairs combine; a lone surrogate is kept as its own three-byte form so
// nothing is dropped, except a high one ending the text, which means it was cut short: "".
UTILITY_EXPORT std::string toU8String(const std::u16string& s);
// UTF-32 -> UTF-8: any value above U+10FFFF gives ""; surrogate values are written as three bytes.
UTILITY_EXPORT std::string toU8String(const std::u32string& s);
// Unit by unit: each code point keeps its low 16 bits; no pairs are formed.
UTILITY_EXPORT std::u16string toWString(const std::u32string& s);
// The reverse widening, one code point per 16-bit unit; surrogate pairs stay two values.
UTILITY_EXPORT std::u32string toU32String(const std::u16string& s);

// Code page (CP936) <-> UTF-16. False, with the output untouched, when the conversion fails or
// gives nothing.
UTILITY_EXPORT bool StringAToWString(const std::string& in, std::u16string& out);
UTILITY_EXPORT bool WStringToStringA(const std::u16string& in, std::string& out);
// Into the code page from any Unicode form; "" when the input is malformed or has a character
// the code page lacks.
UTILITY_EXPORT std::string toString(const std::string& u8);
UTILITY_EXPORT std::string toString(const std::u32string& s);
UTILITY_EXPORT std::string toString(const std::u16string& s);
// Back out of the code page into each Unicode form; "" for bytes it cannot decode.
UTILITY_EXPORT std::string toU8StringA(const std::string& s);
UTILITY_EXPORT std::u16string toWStringA(const std::string& s);
UTILITY_EXPORT std::u32string toU32StringA(const std::string& s);
// Kept for callers that prepare the code page first; the conversions need no set-up. Returns true.
UTILITY_EXPORT bool InitString();

// UTF-8 bytes and characters.
UTILITY_EXPORT bool u8IsFirstByte(char c);
UTILITY_EXPORT bool u8IsMid(char c);
UTILITY_EXPORT bool IsEnChar(char c);
// True unless s holds a single well-formed non-ASCII character and nothing more.
UTILITY_EXPORT bool IsOneEnChar(const char* s);
UTILITY_EXPORT bool u8IsBom(const char* p);
UTILITY_EXPORT std::size_t u8Strlen(const char* s);
// The bytes of the character that begins at i (lead byte plus its continuations); "" past the end.
UTILITY_EXPORT std::string u8GetChar(const std::string& s, unsigned i);
// Walking backwards: the character ending at byte i, found by stepping back to its lead byte;
// "" past the end.
UTILITY_EXPORT std::string u8GetCharReverse(const std::string& s, unsigned i);
// Clears out and fills it with the characters of s; returns their number.
UTILITY_EXPORT unsigned u8GetChars(const std::string& s, std::vector<std::string>& out);

// Character classes.
UTILITY_EXPORT bool u32IsWhiteSpace(char32_t c);
UTILITY_EXPORT bool IsWhiteSpaceW(char16_t c);
UTILITY_EXPORT bool IsEnPunctuation(char32_t c);
UTILITY_EXPORT bool IsEnPunctuation(char c);
UTILITY_EXPORT bool IsCnPunctuation(char32_t c);
UTILITY_EXPORT bool IsCnChar(char32_t c, bool withKana = false, bool withHangul = false);

// Whole-string tests; all are false for an empty string.
UTILITY_EXPORT bool IsAllPunctuation(const std::u32string& s);
UTILITY_EXPORT bool HasPunctuation(const std::u32string& s);
UTILITY_EXPORT bool IsAllSpace(const std::u32string& s);
UTILITY_EXPORT bool IsAllEnNumber(const std::string& s);
UTILITY_EXPORT bool IsAllEnNumber(const std::u32string& s);
UTILITY_EXPORT bool IsAllEnChar(const std::u32string& s);
UTILITY_EXPORT bool IsAllEnChar(const std::string& s);
UTILITY_EXPORT bool IsAllCnChar(const std::u32string& s);
UTILITY_EXPORT bool IsAllNumber(const std::u32string& s);

// String tools.
UTILITY_EXPORT std::string& ReplaceAll(std::string& s, const std::string& from, const std::string& to);
UTILITY_EXPORT std::u16string& ReplaceAllW(std::u16string& s, const std::u16string& from,
                                           const std::u16string& to);
UTILITY_EXPORT unsigned split(const std::string& s, char sep, bool keepSep, std::vector<std::string>& out);
UTILITY_EXPORT unsigned splitW(const std::u16string& s, char16_t sep, bool keepSep,
                               std::vector<std::u16string>& out);
UTILITY_EXPORT std::string& ltrim(std::string& s);
UTILITY_EXPORT std::string& rtrim(std::string& s);
UTILITY_EXPORT std::string& trim(std::string& s);
UTILITY_EXPORT std::u16string& wltrim(std::u16string& s);
UTILITY_EXPORT std::u16string& wrtrim(std::u16string& s);
UTILITY_EXPORT std::u16string& wtrim(std::u16string& s);
UTILITY_EXPORT std::string u8trim(std::string& s);
UTILITY_EXPORT std::u16string StringToLower(const std::u16string& s);
UTILITY_EXPORT std::u16string StringToUpper(const std::u16string& s);
UTILITY_EXPORT std::string u8StringToLower(const std::string& s);
UTILITY_EXPORT bool StringCompareNoCase(const std::u16string& a, const std::u16string& b);
// A file-name wildcard pattern (* ? [...]) as a regular expression.
UTILITY_EXPORT std::u16string wildcard2Regex(const std::u16string& pattern, bool backslashEscapes);
