#include "formfields.h"

#include <cstdlib>

namespace korrelo_service {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

FormFields::FormFields(std::vector<Field> fields) : fields(std::move(fields)) {}

std::string FormFields::decode(const std::string& encoded)
{
    std::string out;
    out.reserve(encoded.size());
    for (size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        if (c == '+') {
            out += ' ';
            continue;
        }
        if (c == '%' && i + 2 < encoded.size()) {
            const int hi = hexDigit(encoded[i + 1]);
            const int lo = hexDigit(encoded[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        // A stray '%' is kept as it stands, as lenient servers do.
        out += c;
    }
    return out;
}

std::string FormFields::encode(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
                           || c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

FormFields FormFields::parse(const std::string& encoded)
{
    std::vector<Field> fields;
    size_t start = 0;
    while (start <= encoded.size()) {
        size_t end = encoded.find('&', start);
        if (end == std::string::npos)
            end = encoded.size();
        const std::string part = encoded.substr(start, end - start);
        if (!part.empty()) {
            const size_t eq = part.find('=');
            if (eq == std::string::npos)
                fields.emplace_back(decode(part), std::string());
            else
                fields.emplace_back(decode(part.substr(0, eq)), decode(part.substr(eq + 1)));
        }
        start = end + 1;
    }
    return FormFields(std::move(fields));
}

bool FormFields::has(const std::string& key) const
{
    for (const Field& field : fields) {
        if (field.first == key)
            return true;
    }
    return false;
}

std::string FormFields::value(const std::string& key, const std::string& fallback) const
{
    for (const Field& field : fields) {
        if (field.first == key)
            return field.second;
    }
    return fallback;
}

int FormFields::intValue(const std::string& key, int fallback) const
{
    if (!has(key))
        return fallback;
    const std::string text = value(key);
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str() || number < -2147483647L || number > 2147483647L)
        return fallback;
    return static_cast<int>(number);
}

} // namespace korrelo_service
