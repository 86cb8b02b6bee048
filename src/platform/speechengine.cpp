#include "speechengine.h"

#include <condition_variable>
#include <deque>
#include <future>
#include <thread>

#include <QCoreApplication>

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

namespace platform_detail {

namespace {
// The job being synthesised; only the worker thread touches it.
thread_local EngineJob* currentJob = nullptr;
thread_local EngineResult* currentResult = nullptr;
// Set by the worker that initialised espeak-ng; later workers start one after the other.
bool espeakReady = false;

int onSynthesised(short* samples, int count, espeak_EVENT* events)
{
    if (!currentJob || (currentJob->cancelled && *currentJob->cancelled))
        return 1;
    if (samples && count > 0)
        currentResult->samples.insert(currentResult->samples.end(), samples, samples + count);
    for (espeak_EVENT* e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type == espeakEVENT_WORD)
            currentResult->words.push_back({e->audio_position, e->text_position, e->length});
    }
    return 0;
}

std::vector<EngineVoice> readVoices()
{
    std::vector<EngineVoice> list;
    const espeak_VOICE** voices = espeak_ListVoices(nullptr);
    for (int i = 0; voices && voices[i]; ++i) {
        const espeak_VOICE* v = voices[i];
        EngineVoice voice;
        voice.identifier = v->identifier ? v->identifier : "";
        voice.name = v->name ? v->name : "";
        // Languages: a priority byte, then the name, for each; the first one is the voice's own.
        if (v->languages && v->languages[0])
            voice.language = v->languages + 1;
        voice.gender = v->gender;
        list.push_back(voice);
    }
    return list;
}
}

struct SpeechEngine::Worker
{
    std::thread thread;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<EngineJob> jobs;
    bool stopping = false;

    void run(std::promise<bool>& started, std::vector<EngineVoice>& voices, int& rate)
    {
        if (!espeakReady && !initialiseEspeak()) {
            started.set_value(false);
            return;
        }
        espeakReady = true;
        espeak_SetSynthCallback(onSynthesised);
        voices = readVoices();
        rate = espeak_ng_GetSampleRate();
        started.set_value(true);

        for (;;) {
            EngineJob job;
            {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [this] { return stopping || !jobs.empty(); });
                if (stopping)
                    break;
                job = std::move(jobs.front());
                jobs.pop_front();
            }
            synthesise(job, rate);
        }
    }

    // espeak-ng stays initialised until the process ends: its own clean-up waits for ever on a
    // thread it keeps for playback, which synchronous output never started.
    static bool initialiseEspeak()
    {
        espeak_ng_InitializePath(nullptr);
        espeak_ng_ERROR_CONTEXT context = nullptr;
        if (espeak_ng_Initialize(&context) != ENS_OK) {
            espeak_ng_ClearErrorContext(&context);
            return false;
        }
        return espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr) == ENS_OK;
    }

    static void synthesise(EngineJob& job, int rate)
    {
        if (job.cancelled && *job.cancelled)
            return;
        EngineResult result;
        result.sampleRate = rate;
        if (!job.voice.empty())
            espeak_SetVoiceByName(job.voice.c_str());
        espeak_SetParameter(espeakRATE, job.wordsPerMinute, 0);
        espeak_SetParameter(espeakPITCH, job.pitch, 0);
        currentJob = &job;
        currentResult = &result;
        espeak_Synth(job.text.c_str(), job.text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                     nullptr);
        currentJob = nullptr;
        currentResult = nullptr;
        if (job.cancelled && *job.cancelled)
            return;
        if (job.done)
            job.done(std::move(result));
    }
};

SpeechEngine& SpeechEngine::instance()
{
    // Never deleted: the worker is joined by its last user or at application exit, not at static
    // destruction, when espeak-ng's own state may already be gone.
    static SpeechEngine* engine = new SpeechEngine;
    return *engine;
}

bool SpeechEngine::acquire()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (worker) {
        ++users;
        return true;
    }
    auto* w = new Worker;
    std::promise<bool> started;
    std::future<bool> result = started.get_future();
    w->thread = std::thread([w, &started, this] { w->run(started, voiceList, rate); });
    if (!result.get()) {
        w->thread.join();
        delete w;
        return false;
    }
    worker = w;
    ++users;
    if (!exitHooked && QCoreApplication::instance()) {
        qAddPostRoutine(&SpeechEngine::stopAtExit);
        exitHooked = true;
    }
    return true;
}

void SpeechEngine::release()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (users > 0 && --users == 0)
        stop();
}

void SpeechEngine::stop()
{
    if (!worker)
        return;
    {
        std::lock_guard<std::mutex> lock(worker->mutex);
        worker->stopping = true;
        for (EngineJob& job : worker->jobs) {
            if (job.cancelled)
                *job.cancelled = true;
        }
    }
    worker->wake.notify_all();
    worker->thread.join();
    delete worker;
    worker = nullptr;
}

void SpeechEngine::stopAtExit()
{
    SpeechEngine& engine = instance();
    std::lock_guard<std::mutex> lock(engine.mutex);
    engine.stop();
    engine.users = 0;
    engine.exitHooked = false;
}

void SpeechEngine::submit(EngineJob job)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!worker)
        return;
    {
        std::lock_guard<std::mutex> jobLock(worker->mutex);
        worker->jobs.push_back(std::move(job));
    }
    worker->wake.notify_one();
}

std::vector<EngineVoice> SpeechEngine::voices()
{
    std::lock_guard<std::mutex> lock(mutex);
    return voiceList;
}

int SpeechEngine::sampleRate()
{
    std::lock_guard<std::mutex> lock(mutex);
    return rate;
}

} // namespace platform_detail
