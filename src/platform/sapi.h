#pragma once

#include "unknown.h"

// Speech: a voice object that speaks asynchronously and reports its progress through a callback, and
// the voice tokens it can speak with. On Linux the voices are espeak-ng's (see sim/speech.h).

typedef uint64_t ULONGLONG;
typedef uint16_t USHORT;
typedef DWORD LCID;
typedef DWORD LCTYPE;

inline constexpr CLSID CLSID_SpVoice = {0x96749377, 0x3391, 0x11D2, {0x9E, 0xE3, 0x00, 0xC0, 0x4F, 0x79, 0x73, 0x96}};
inline constexpr IID IID_ISpVoice = {0x6C44DF74, 0x72B9, 0x4992, {0xA1, 0xEC, 0xEF, 0x99, 0x6E, 0x04, 0x22, 0xD4}};

// Speak flags.
constexpr DWORD SPF_ASYNC = 1;
constexpr DWORD SPF_PURGEBEFORESPEAK = 2;

// Event ids; an interest mask has bit (1 << id) set for each event wanted.
enum SPEVENTENUM : uint16_t {
    SPEI_START_INPUT_STREAM = 1,
    SPEI_END_INPUT_STREAM = 2,
    SPEI_WORD_BOUNDARY = 5,
};
constexpr ULONGLONG SPFEI(int id) { return 1ull << id; }
constexpr ULONGLONG SPFEI_ALL_TTS_EVENTS = SPFEI(SPEI_START_INPUT_STREAM) | SPFEI(SPEI_END_INPUT_STREAM)
                                            | SPFEI(SPEI_WORD_BOUNDARY);

// Running states of a voice.
constexpr DWORD SPRS_DONE = 1;
constexpr DWORD SPRS_IS_SPEAKING = 2;

constexpr HRESULT SPERR_NO_MORE_ITEMS = hresultFromBits(0x80045039u);
constexpr HRESULT SPERR_NOT_FOUND = hresultFromBits(0x8004503Au);

inline constexpr WCHAR SPCAT_VOICES[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";

struct SPEVENT
{
    uint16_t eEventId = 0;
    uint16_t elParamType = 0;
    ULONG ulStreamNum = 0;
    ULONGLONG ullAudioStreamOffset = 0;
    WPARAM wParam = 0;               // word boundary: length of the word
    LPARAM lParam = 0;               // word boundary: position of the word
};

struct SPVOICESTATUS
{
    ULONG ulCurrentStream = 0;
    ULONG ulLastStreamQueued = 0;
    HRESULT hrLastResult = S_OK;
    DWORD dwRunningState = 0;
    ULONG ulInputWordPos = 0;
    ULONG ulInputWordLen = 0;
};

// Receives the voice's notifications; not a COM interface (no reference counting).
struct ISpNotifyCallback
{
    virtual HRESULT NotifyCallback(WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~ISpNotifyCallback() = default;
};

struct ISpDataKey : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid();

    virtual HRESULT GetStringValue(LPCWSTR valueName, LPWSTR* value) = 0;
    virtual HRESULT OpenKey(LPCWSTR subKeyName, ISpDataKey** subKey) = 0;
    virtual HRESULT EnumValues(ULONG index, LPWSTR* valueName) = 0;

protected:
    ~ISpDataKey() = default;
};

struct ISpObjectToken : ISpDataKey
{
    using Base = ISpDataKey;
    static const IID& uuid();

    virtual HRESULT GetId(LPWSTR* tokenId) = 0;

protected:
    ~ISpObjectToken() = default;
};

struct IEnumSpObjectTokens : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid();

    virtual HRESULT Next(ULONG count, ISpObjectToken** tokens, ULONG* fetched) = 0;
    virtual HRESULT GetCount(ULONG* count) = 0;

protected:
    ~IEnumSpObjectTokens() = default;
};

struct ISpVoice : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_ISpVoice; }

    virtual HRESULT SetNotifyCallbackInterface(ISpNotifyCallback* callback, WPARAM wParam, LPARAM lParam) = 0;
    virtual HRESULT SetInterest(ULONGLONG eventInterest, ULONGLONG queuedInterest) = 0;
    virtual HRESULT GetEvents(ULONG count, SPEVENT* events, ULONG* fetched) = 0;
    virtual HRESULT SetVoice(ISpObjectToken* token) = 0;
    virtual HRESULT GetVoice(ISpObjectToken** token) = 0;
    virtual HRESULT Speak(LPCWSTR text, DWORD flags, ULONG* streamNumber) = 0;
    virtual HRESULT GetStatus(SPVOICESTATUS* status, LPWSTR* lastBookmark) = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Resume() = 0;
    virtual HRESULT SetRate(LONG rate) = 0;
    virtual HRESULT GetRate(LONG* rate) = 0;
    virtual HRESULT SetVolume(USHORT volume) = 0;
    virtual HRESULT GetVolume(USHORT* volume) = 0;

protected:
    ~ISpVoice() = default;
};

// Lists the tokens of a category (only SPCAT_VOICES is known); the attribute filters are not used.
HRESULT SpEnumTokens(LPCWSTR category, LPCWSTR requiredAttributes, LPCWSTR optionalAttributes,
                     IEnumSpObjectTokens** tokens);
// The token with the given id, as GetId answered it.
HRESULT SpGetTokenFromId(LPCWSTR tokenId, ISpObjectToken** token, BOOL create = FALSE);

// Strings handed out by the calls above are freed with CoTaskMemFree.
void CoTaskMemFree(void* memory);

constexpr LCTYPE LOCALE_SNAME = 0x5c;
// Answers the locale name ("zh-CN") of the languages the voices carry; 0 for any other.
int GetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR data, int count);

// Sounds a tone (frequency in hertz, duration in milliseconds) and returns when it has played.
BOOL Beep(DWORD frequency, DWORD duration);
