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
