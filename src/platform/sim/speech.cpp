#include "speech.h"

#include <QByteArray>
#include <QtGlobal>

#include "speechstate.h"

namespace sim_detail {

SpeechState& speechState()
{
    static SpeechState* instance = new SpeechState;
    return *instance;
}

HRESULT speechFailure(sim::SpeechCall call)
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    auto found = s.failures.find(call);
    return found == s.failures.end() ? S_OK : found->second;
}

bool takeSpeechCredit()
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    if (s.credits <= 0)
        return false;
    --s.credits;
    return true;
}

} // namespace sim_detail

namespace sim {

using namespace sim_detail;

void setSpeechOutput(SpeechOutput output)
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    s.output = output;
    s.outputChosen = true;
}

SpeechOutput speechOutput()
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    if (!s.outputChosen) {
        const QByteArray chosen = qgetenv("KORRELO_SPEECH_OUTPUT").toLower();
        if (chosen == "silent")
            s.output = SpeechOutput::Silent;
        else if (chosen == "stepped")
            s.output = SpeechOutput::Stepped;
        else
            s.output = SpeechOutput::Device;
        s.outputChosen = true;
    }
    return s.output;
}

void releaseSpeechEvents(int count)
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    s.credits += count;
    for (auto& [voice, target] : s.voices) {
        (void)voice;
        QMetaObject::invokeMethod(target.first, target.second, Qt::QueuedConnection);
    }
}

void setSpeechTokens(const std::vector<SpeechTokenSpec>& tokens)
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    s.tokens = tokens;
    s.fakeTokens = true;
}

void failSpeechCall(SpeechCall call, HRESULT result)
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    s.failures[call] = result;
}

std::vector<std::u16string> spokenTexts()
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    return s.spoken;
}

int beepCount()
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    return s.beeps;
}

int liveVoices()
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    return int(s.voices.size());
}

void resetSpeech()
{
    SpeechState& s = speechState();
    SpeechLock lock(s.mutex);
    s.outputChosen = false;
    s.credits = 0;
    s.fakeTokens = false;
    s.tokens.clear();
    s.failures.clear();
    s.spoken.clear();
    s.beeps = 0;
}

} // namespace sim
