#include <cstdlib>
#include <cstring>

#include "comptr.h"
#include "sapi.h"
#include "sim/speechstate.h"
#include "speechengine.h"

namespace {
constexpr IID IID_ISpDataKey = {0x4b1f3c21, 0x7d52, 0x4e0a, {0x9a, 0x61, 0x2c, 0x35, 0x8e, 0x11, 0x64, 0x02}};
constexpr IID IID_ISpObjectToken = {0x4b1f3c22, 0x7d52, 0x4e0a, {0x9a, 0x61, 0x2c, 0x35, 0x8e, 0x11, 0x64, 0x02}};
constexpr IID IID_IEnumSpObjectTokens = {0x4b1f3c23, 0x7d52, 0x4e0a, {0x9a, 0x61, 0x2c, 0x35, 0x8e, 0x11, 0x64, 0x02}};

// The languages whose voices are listed: espeak-ng's language, the locale id and its name.
struct Language
{
    const char* engine;
    LCID lcid;
    const char16_t* name;
};
constexpr Language languages[] = {
    {"cmn", 0x804, u"zh-CN"},   {"yue", 0xC04, u"zh-HK"},   {"en-us", 0x409, u"en-US"},
    {"en-gb", 0x809, u"en-GB"}, {"de", 0x407, u"de-DE"},    {"fr-fr", 0x40C, u"fr-FR"},
    {"es", 0xC0A, u"es-ES"},    {"ja", 0x411, u"ja-JP"},    {"ko", 0x412, u"ko-KR"},
    {"ru", 0x419, u"ru-RU"},
};

std::u16string ascii(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

std::u16string hex(LCID lcid)
{
    static const char digits[] = "0123456789ABCDEF";
    std::u16string text;
    do {
        text.insert(text.begin(), char16_t(digits[lcid % 16]));
        lcid /= 16;
    } while (lcid);
    return text;
}

std::u16string displayName(const std::string& name)
{
    std::u16string text;
    for (char c : name)
        text.push_back(c == '_' ? u' ' : char16_t(static_cast<unsigned char>(c)));
    return text;
}

using Attributes = std::vector<std::pair<std::u16string, std::u16string>>;

// The "Attributes" sub-key of a token.
class AttributeKey : public ComObject<ISpDataKey>
{
public:
    explicit AttributeKey(const sim::SpeechTokenSpec& setup) : setup(setup) {}

    HRESULT GetStringValue(LPCWSTR valueName, LPWSTR* value) override
    {
        if (!value)
            return E_POINTER;
        *value = nullptr;
        if (setup.getStringValueFails)
            return E_FAIL;
        const std::u16string name = valueName ? valueName : u"";
        for (const auto& [key, text] : setup.attributes) {
            if (key == name) {
                *value = sim_detail::taskString(text);
                return S_OK;
            }
        }
        return SPERR_NOT_FOUND;
    }
    HRESULT OpenKey(LPCWSTR, ISpDataKey** subKey) override
    {
        if (subKey)
            *subKey = nullptr;
        return SPERR_NOT_FOUND;
    }
    HRESULT EnumValues(ULONG index, LPWSTR* valueName) override
    {
        if (!valueName)
            return E_POINTER;
        *valueName = nullptr;
        if (setup.enumValuesFailsFrom >= 0 && index >= ULONG(setup.enumValuesFailsFrom))
            return E_FAIL;
        if (index >= setup.attributes.size())
            return SPERR_NO_MORE_ITEMS;
        *valueName = sim_detail::taskString(setup.attributes[index].first);
        return S_OK;
    }

private:
    sim::SpeechTokenSpec setup;
};

class ObjectToken : public ComObject<ISpObjectToken>
{
public:
    explicit ObjectToken(const sim_detail::TokenRecord& record) : record(record) {}

    HRESULT GetStringValue(LPCWSTR, LPWSTR* value) override
    {
        if (value)
            *value = nullptr;
        return SPERR_NOT_FOUND;
    }
    HRESULT OpenKey(LPCWSTR subKeyName, ISpDataKey** subKey) override
    {
        if (!subKey)
            return E_POINTER;
        *subKey = nullptr;
        if (record.setup.openKeyFails || !subKeyName || std::u16string(subKeyName) != u"Attributes")
            return SPERR_NOT_FOUND;
        *subKey = new AttributeKey(record.setup);
        return S_OK;
    }
    HRESULT EnumValues(ULONG, LPWSTR* valueName) override
    {
        if (valueName)
            *valueName = nullptr;
        return SPERR_NO_MORE_ITEMS;
    }
    HRESULT GetId(LPWSTR* tokenId) override
    {
        if (!tokenId)
            return E_POINTER;
        *tokenId = nullptr;
        if (record.setup.getIdFails)
            return E_FAIL;
        *tokenId = sim_detail::taskString(record.setup.id);
        return S_OK;
    }

private:
    sim_detail::TokenRecord record;
};

class TokenList : public ComObject<IEnumSpObjectTokens>
{
public:
    explicit TokenList(std::vector<sim_detail::TokenRecord> records) : records(std::move(records)) {}

    HRESULT Next(ULONG count, ISpObjectToken** tokens, ULONG* fetched) override
    {
        if (!tokens)
            return E_POINTER;
        ULONG taken = 0;
        while (taken < count && next < records.size())
            tokens[taken++] = sim_detail::newToken(records[next++]);
        if (fetched)
            *fetched = taken;
        return taken == count ? S_OK : S_FALSE;
    }
    HRESULT GetCount(ULONG* count) override
    {
        if (!count)
            return E_POINTER;
        *count = ULONG(records.size());
        return S_OK;
    }

private:
    std::vector<sim_detail::TokenRecord> records;
    size_t next = 0;
};
}

const IID& ISpDataKey::uuid() { return IID_ISpDataKey; }
const IID& ISpObjectToken::uuid() { return IID_ISpObjectToken; }
const IID& IEnumSpObjectTokens::uuid() { return IID_IEnumSpObjectTokens; }

namespace sim_detail {

std::vector<TokenRecord> voiceTokens()
{
    {
        SpeechState& s = speechState();
        SpeechLock lock(s.mutex);
        if (s.fakeTokens) {
            std::vector<TokenRecord> records;
            for (const sim::SpeechTokenSpec& setup : s.tokens)
                records.push_back({setup, std::string()});
            return records;
        }
    }
    platform_detail::SpeechEngine& engine = platform_detail::SpeechEngine::instance();
    std::vector<platform_detail::EngineVoice> voices = engine.voices();
    if (voices.empty() && engine.acquire()) {
        voices = engine.voices();
        engine.release();
    }
    std::vector<TokenRecord> records;
    for (const platform_detail::EngineVoice& voice : voices) {
        for (const Language& language : languages) {
            if (voice.language != language.engine)
                continue;
            TokenRecord record;
            record.engineVoice = voice.identifier;
            record.setup.id = u"espeak-ng\\" + ascii(voice.identifier);
            record.setup.attributes = {
                {u"Name", displayName(voice.name)},
                {u"Gender", voice.gender == 1 ? u"Male" : voice.gender == 2 ? u"Female" : u""},
                {u"Age", u"Adult"},
                {u"Language", hex(language.lcid)},
                {u"Vendor", u"espeak-ng"},
            };
            records.push_back(record);
        }
    }
    return records;
}

bool findToken(const std::u16string& id, TokenRecord& found)
{
    for (const TokenRecord& record : voiceTokens()) {
        if (record.setup.id == id) {
            found = record;
            return true;
        }
    }
    return false;
}

std::u16string defaultTokenId()
{
    const std::vector<TokenRecord> records = voiceTokens();
    for (const TokenRecord& record : records) {
        for (const auto& [key, value] : record.setup.attributes) {
            if (key == u"Language" && value == u"804")
                return record.setup.id;
        }
    }
    return records.empty() ? std::u16string() : records.front().setup.id;
}

ISpObjectToken* newToken(const TokenRecord& record)
{
    return new ObjectToken(record);
}

LPWSTR taskString(const std::u16string& text)
{
    auto* copy = static_cast<WCHAR*>(std::malloc((text.size() + 1) * sizeof(WCHAR)));
    if (!copy)
        return nullptr;
    std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    return copy;
}

} // namespace sim_detail

HRESULT SpEnumTokens(LPCWSTR category, LPCWSTR, LPCWSTR, IEnumSpObjectTokens** tokens)
{
    if (!tokens)
        return E_POINTER;
    *tokens = nullptr;
    if (!category || std::u16string(category) != SPCAT_VOICES)
        return SPERR_NOT_FOUND;
    *tokens = new TokenList(sim_detail::voiceTokens());
    return S_OK;
}

HRESULT SpGetTokenFromId(LPCWSTR tokenId, ISpObjectToken** token, BOOL)
{
    if (!token)
        return E_POINTER;
    *token = nullptr;
    if (HRESULT hr = sim_detail::speechFailure(sim::SpeechCall::TokenFromId); FAILED(hr))
        return hr;
    sim_detail::TokenRecord record;
    if (!tokenId || !sim_detail::findToken(tokenId, record))
        return SPERR_NOT_FOUND;
    *token = sim_detail::newToken(record);
    return S_OK;
}

void CoTaskMemFree(void* memory)
{
    std::free(memory);
}

int GetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR data, int count)
{
    if (type != LOCALE_SNAME)
        return 0;
    for (const Language& language : languages) {
        if (language.lcid != locale)
            continue;
        const std::u16string name = language.name;
        const int needed = int(name.size()) + 1;
        if (count == 0)
            return needed;
        if (!data || count < needed)
            return 0;
        std::memcpy(data, name.c_str(), needed * sizeof(WCHAR));
        return needed;
    }
    return 0;
}
