#pragma once

#include <string>
#include <utility>
#include <vector>

namespace korrelo_service {

// The fields of a form-encoded body or a query string, decoded as a web server decodes them
// ('+' is a space, %XX is a byte) and kept in the order they arrived, duplicates included,
// because the request log must show exactly what the client sent.
class FormFields
{
public:
    using Field = std::pair<std::string, std::string>;

    FormFields() = default;
    explicit FormFields(std::vector<Field> fields);

    static FormFields parse(const std::string& encoded);
    static std::string decode(const std::string& encoded);
    static std::string encode(const std::string& text);

    bool has(const std::string& key) const;
    // The first value of the key; fallback when the key is absent.
    std::string value(const std::string& key, const std::string& fallback = std::string()) const;
    int intValue(const std::string& key, int fallback) const;
    const std::vector<Field>& items() const { return fields; }

private:
    std::vector<Field> fields;
};

} // namespace korrelo_service
