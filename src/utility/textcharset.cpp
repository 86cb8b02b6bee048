#include "textcharset.h"

#include <uchardet.h>

#include <memory>

std::string GuessTextCharset(const char* bytes, std::size_t size)
{
    if (!bytes || size == 0)
        return std::string();
    const std::unique_ptr<uchardet, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), bytes, size) != 0)
        return std::string();
    uchardet_data_end(detector.get());
    const char* charset = uchardet_get_charset(detector.get());
    return charset ? std::string(charset) : std::string();
}

bool ReadsAsOrdinaryChinese(const char* bytes, std::size_t size)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    std::size_t doubles = 0;   // characters of more than one byte
    std::size_t unusual = 0;
    std::size_t spaced = 0;    // single spaces between two such characters
    bool afterDouble = false;
    bool spaceAfterDouble = false;
    for (std::size_t i = 0; data && i < size;) {
        const unsigned char lead = data[i];
        if (lead < 0x80) {
            spaceAfterDouble = afterDouble && lead == ' ';
            afterDouble = false;
            ++i;
            continue;
        }
        ++doubles;
        if (spaceAfterDouble)
            ++spaced;
        spaceAfterDouble = false;
        afterDouble = true;
        const unsigned char trail = i + 1 < size ? data[i + 1] : 0;
        if (trail >= 0x30 && trail <= 0x39) {
            // Four bytes: characters beyond the double-byte table.
            ++unusual;
            i += 4;
            continue;
        }
        // Rows B0-D7 hold the common hanzi, rows A1-A3 the full-width punctuation, digits and
        // letters; the rest of the table (rare hanzi, kana, other scripts, private use) and any
        // broken pair is unusual in Chinese prose.
        const bool fullRow = trail >= 0xA1 && trail <= 0xFE;
        const bool common = fullRow && ((lead >= 0xB0 && lead <= 0xD7) || (lead >= 0xA1 && lead <= 0xA3));
        if (!common)
            ++unusual;
        i += 2;
    }
    return unusual * 4 <= doubles && spaced * 6 <= doubles;
}
