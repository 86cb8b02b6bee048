#pragma once

#include <string>
#include <utility>
#include <vector>

#include "../sapi.h"

// Speech on Linux: espeak-ng synthesises on one worker thread of the process and the samples play
// through Qt Multimedia's default output. The voice's notifications follow the played time and reach
// its callback queued on the thread that created the voice.
//
// Where it behaves differently from Windows:
// - Only a leading <pitch absmiddle="N"/> is read as mark-up; the rest of the text is spoken as
//   written (no XML), and word positions count UTF-16 units of the whole string Speak received.
// - The voices are espeak-ng's whose language is in a small table (Mandarin, Cantonese, English and
//   a few more); the others are not listed.
// - Without a sound device the same timeline runs silently on a clock.
// - GetStatus and GetEvents answer as of the last notification delivered, not of the latest call.
namespace sim {

enum class SpeechOutput {
    Device,      // the default sound device, or a silent clock when there is none
    Silent,      // a silent clock
    Stepped,     // no clock: notifications wait for releaseSpeechEvents
};
// Also chosen for a whole program by KORRELO_SPEECH_OUTPUT=device|silent|stepped.
void setSpeechOutput(SpeechOutput output);
SpeechOutput speechOutput();
// Lets the next count notifications of the voices through (Stepped output); unused ones are kept.
void releaseSpeechEvents(int count);

// A voice token standing in for espeak-ng's list; speech with it uses the default espeak-ng voice.
struct SpeechTokenSpec
{
    std::u16string id;
    std::vector<std::pair<std::u16string, std::u16string>> attributes;   // "Name", "Language", ...
    bool openKeyFails = false;
    int enumValuesFailsFrom = -1;       // indexes from here on fail (-1: none)
    bool getStringValueFails = false;
    bool getIdFails = false;
};
void setSpeechTokens(const std::vector<SpeechTokenSpec>& tokens);

enum class SpeechCall {
    CreateVoice,
    Speak,
    TokenFromId,
};
void failSpeechCall(SpeechCall call, HRESULT result = E_FAIL);

// What was asked of speech so far.
std::vector<std::u16string> spokenTexts();   // every text Speak received, mark-up included
int beepCount();
int liveVoices();

// Back to espeak-ng's tokens, the output of the environment, no failures, counters at zero.
void resetSpeech();

} // namespace sim
