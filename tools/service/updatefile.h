#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korrelo_service {

// The update download: the same bytes for every name and every request, so a client's copy can
// be compared with the original and its SHA-256 announced in the feed beforehand.
class UpdateFile
{
public:
    // Writes the n bytes that start at offset into out.
    static void fill(uint64_t offset, char* out, size_t n);
    // Lower-case hex SHA-256 of a file of size bytes; remembered per size.
    static std::string sha256Hex(uint64_t size);
};

} // namespace korrelo_service
