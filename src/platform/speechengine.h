#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The espeak-ng synthesiser of the process. espeak-ng keeps process-wide state and is not reentrant,
// so one worker thread makes every call: it starts with the first user and is joined with the last
// one, or when the application object goes.
namespace platform_detail {

struct EngineVoice
{
    std::string identifier;     // file of the voice within espeak-ng's data
    std::string name;
    std::string language;       // the first language the voice names
    int gender = 0;             // 1 male, 2 female
};

struct EngineWord
{
    int milliseconds = 0;       // time from the start of the output
    int position = 0;           // code points from 1
    int length = 0;             // code points
};

struct EngineResult
{
    std::vector<int16_t> samples;    // mono, at sampleRate
    int sampleRate = 22050;
    std::vector<EngineWord> words;
};

struct EngineJob
{
    std::string voice;          // identifier; empty: espeak-ng's default
    int wordsPerMinute = 175;
    int pitch = 50;             // 0..100
    std::string text;           // UTF-8, spoken as written
    std::shared_ptr<std::atomic<bool>> cancelled;
    std::function<void(EngineResult&&)> done;    // called on the worker thread
};

class SpeechEngine
{
public:
    static SpeechEngine& instance();

    // Starts the worker for the first user; false when espeak-ng cannot start (no data).
    bool acquire();
    void release();
    void submit(EngineJob job);

    // espeak-ng's voices as read by the last start; empty before.
    std::vector<EngineVoice> voices();
    int sampleRate();

private:
    SpeechEngine() = default;
    struct Worker;
    void stop();
    static void stopAtExit();

    std::mutex mutex;
    Worker* worker = nullptr;
    int users = 0;
    bool exitHooked = false;
    std::vector<EngineVoice> voiceList;
    int rate = 22050;
};

} // namespace platform_detail
