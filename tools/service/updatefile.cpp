#include "updatefile.h"

#include <openssl/evp.h>

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace korrelo_service {

namespace {

constexpr size_t kBlock = 65536;

// A pseudo-random block; each repetition is varied by its index, so a shifted, repeated or
// dropped block changes the result.
const std::array<uint8_t, kBlock>& block()
{
    static const std::array<uint8_t, kBlock> bytes = [] {
        std::array<uint8_t, kBlock> b{};
        uint64_t x = 0x2545F4914F6CDD1DULL;
        for (uint8_t& byte : b) {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            byte = static_cast<uint8_t>(x >> 32);
        }
        return b;
    }();
    return bytes;
}

} // namespace

void UpdateFile::fill(uint64_t offset, char* out, size_t n)
{
    const auto& b = block();
    while (n > 0) {
        const size_t at = offset % kBlock;
        const size_t run = std::min(n, kBlock - at);
        const auto variation = static_cast<uint8_t>((offset / kBlock) * 167 + 1);
        for (size_t i = 0; i < run; ++i)
            out[i] = static_cast<char>(b[at + i] ^ variation);
        out += run;
        offset += run;
        n -= run;
    }
}

std::string UpdateFile::sha256Hex(uint64_t size)
{
    static std::mutex mutex;
    static std::map<uint64_t, std::string> known;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = known.find(size);
    if (found != known.end())
        return found->second;

    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr);
    std::vector<char> chunk(1 << 20);
    for (uint64_t offset = 0; offset < size;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), size - offset));
        fill(offset, chunk.data(), n);
        EVP_DigestUpdate(context.get(), chunk.data(), n);
        offset += n;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context.get(), digest, &length);
    static const char* const hex = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    known[size] = text;
    return text;
}

} // namespace korrelo_service
