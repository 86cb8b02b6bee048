#include "siteroots.h"

#include <cstdlib>
#include <vector>

#include "strconvert.h"

namespace {

const char* const kBuiltInRoots[4] = {
    "https://www.korrelo.com/",
    "https://www.korrelo.cn/",
    "https://www.korrelo.net/",
    "https://www.korrelo.org/",
};

const char* const kWebSiteAddress = "http://www.korrelo.com/";

// Roots from the environment, or none when it is unset or not one or four non-empty roots.
std::vector<std::string> overrideRoots()
{
    const char* value = std::getenv("KORRELO_SERVICE_ROOTS");
    if (!value || !*value)
        return {};
    std::vector<std::string> pieces;
    split(value, ',', false, pieces);
    if (pieces.size() != 1 && pieces.size() != 4)
        return {};
    for (std::string& piece : pieces) {
        trim(piece);
        if (piece.empty())
            return {};
        // Callers append paths directly, so every root ends with "/".
        if (piece.back() != '/')
            piece += '/';
    }
    return pieces;
}

} // namespace

namespace siteroots {

std::string root(int site)
{
    const int index = (site >= 1 && site <= 3) ? site : 0;
    const std::vector<std::string> roots = overrideRoots();
    if (roots.size() == 1)
        return roots.front();
    if (roots.size() == 4)
        return roots[static_cast<std::size_t>(index)];
    return kBuiltInRoots[index];
}

std::string webSiteAddress()
{
    return kWebSiteAddress;
}

} // namespace siteroots
