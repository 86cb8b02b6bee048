#pragma once

#include <QObject>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "speech.h"

// Shared records of the speech stand-in: the controls of sim/speech.h and the voice tokens.
namespace sim_detail {

struct TokenRecord
{
    sim::SpeechTokenSpec setup;
    std::string engineVoice;     // espeak-ng's identifier; empty: its default voice
};

struct SpeechState
{
    std::recursive_mutex mutex;
    bool outputChosen = false;
    sim::SpeechOutput output = sim::SpeechOutput::Device;
    int credits = 0;
    bool fakeTokens = false;
    std::vector<sim::SpeechTokenSpec> tokens;
    std::map<sim::SpeechCall, HRESULT> failures;
    std::vector<std::u16string> spoken;
    int beeps = 0;
    // Live voices: the object their work is queued to and what releasing notifications runs.
    std::map<const void*, std::pair<QObject*, std::function<void()>>> voices;
};
SpeechState& speechState();
using SpeechLock = std::lock_guard<std::recursive_mutex>;

HRESULT speechFailure(sim::SpeechCall call);
// Takes one released notification; false when none is left.
bool takeSpeechCredit();

// The voice tokens: the fake ones when set, else espeak-ng's voices with a known language.
std::vector<TokenRecord> voiceTokens();
bool findToken(const std::u16string& id, TokenRecord& found);
std::u16string defaultTokenId();
ISpObjectToken* newToken(const TokenRecord& record);

// Copies text into memory freed with CoTaskMemFree.
LPWSTR taskString(const std::u16string& text);

} // namespace sim_detail
