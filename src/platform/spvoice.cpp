#include <cmath>
#include <deque>
#include <memory>
#include <thread>

#include <QAudioDeviceInfo>
#include <QAudioFormat>
#include <QAudioOutput>
#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QRegularExpression>
#include <QString>
#include <QTimer>

#include "comptr.h"
#include "sapi.h"
#include "sim/speechstate.h"
#include "speechengine.h"

namespace {

QAudioFormat formatFor(int sampleRate)
{
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(1);
    format.setSampleSize(16);
    format.setSampleType(QAudioFormat::SignedInt);
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setCodec(QStringLiteral("audio/pcm"));
    return format;
}

// Whether samples go to a sound device; otherwise the timeline runs on a clock.
bool deviceFor(const QAudioFormat& format)
{
    if (sim::speechOutput() != sim::SpeechOutput::Device)
        return false;
    const QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
    return !device.isNull() && device.isFormatSupported(format);
}

// Samples handed to the sound device, scaled by the voice's volume as they are read.
class SampleSource : public QIODevice
{
public:
    SampleSource(std::vector<int16_t> samples, const USHORT* volume) : samples(std::move(samples)), volume(volume)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return qint64(samples.size() - next) * 2 + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const size_t count = std::min(size_t(maxSize / 2), samples.size() - next);
        auto* out = reinterpret_cast<int16_t*>(data);
        for (size_t i = 0; i < count; ++i)
            out[i] = int16_t(samples[next + i] * int(*volume) / 100);
        next += count;
        return qint64(count) * 2;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::vector<int16_t> samples;
    size_t next = 0;
    const USHORT* volume;
};

// Maps espeak-ng's character positions (code points from 1) to UTF-16 offsets of a text.
std::vector<int> utf16Offsets(const QString& text)
{
    std::vector<int> offsets;
    for (int i = 0; i < text.size(); ++i) {
        offsets.push_back(i);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    offsets.push_back(text.size());
    return offsets;
}

// Words per minute for a rate of -10..10: three times faster or slower at the ends.
int wordsPerMinute(LONG rate)
{
    const double wpm = 175.0 * std::pow(3.0, rate / 10.0);
    return std::clamp(int(std::lround(wpm)), 80, 450);
}

class SpVoice : public ComObject<ISpVoice>
{
public:
    SpVoice()
    {
        guard->voice = this;
        tokenId = sim_detail::defaultTokenId();
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, &context, [this] { deliverDue(); });
        sim_detail::SpeechState& s = sim_detail::speechState();
        sim_detail::SpeechLock lock(s.mutex);
        s.voices[this] = {&context, [this] { deliverDue(); }};
    }

    HRESULT SetNotifyCallbackInterface(ISpNotifyCallback* cb, WPARAM wParam, LPARAM lParam) override
    {
        callback = cb;
        callbackW = wParam;
        callbackL = lParam;
        return S_OK;
    }
    HRESULT SetInterest(ULONGLONG eventInterest, ULONGLONG queuedInterest) override
    {
        interest = eventInterest;
        queued = queuedInterest;
        return S_OK;
    }
    HRESULT GetEvents(ULONG count, SPEVENT* out, ULONG* fetched) override
    {
        if (!out)
            return E_POINTER;
        ULONG taken = 0;
        while (taken < count && !pending.empty()) {
            out[taken++] = pending.front();
            pending.pop_front();
        }
        if (fetched)
            *fetched = taken;
        return taken == count ? S_OK : S_FALSE;
    }
    HRESULT SetVoice(ISpObjectToken* token) override
    {
        if (!token) {
            tokenId = sim_detail::defaultTokenId();
            return S_OK;
        }
        LPWSTR id = nullptr;
        const HRESULT hr = token->GetId(&id);
        if (FAILED(hr))
            return hr;
        tokenId = id ? id : u"";
        CoTaskMemFree(id);
        return S_OK;
    }
    HRESULT GetVoice(ISpObjectToken** token) override
    {
        if (!token)
            return E_POINTER;
        *token = nullptr;
        sim_detail::TokenRecord record;
        if (!sim_detail::findToken(tokenId, record))
            return SPERR_NOT_FOUND;
        *token = sim_detail::newToken(record);
        return S_OK;
    }
    HRESULT Speak(LPCWSTR text, DWORD flags, ULONG* streamNumber) override
    {
        if (flags & SPF_PURGEBEFORESPEAK)
            purge();
        if (!text)
            return S_OK;
        if (HRESULT hr = sim_detail::speechFailure(sim::SpeechCall::Speak); FAILED(hr))
            return hr;
        const std::u16string whole(text);
        {
            sim_detail::SpeechState& s = sim_detail::speechState();
            sim_detail::SpeechLock lock(s.mutex);
            s.spoken.push_back(whole);
        }
        auto stream = std::make_shared<Stream>();
        stream->number = ++streamCount;
        stream->text = QString::fromUtf16(whole.data(), int(whole.size()));
        int pitch = 50;
        // Only a leading pitch element is mark-up; everything after it is read as written.
        static const QRegularExpression pitchMarkup(QStringLiteral("^<pitch absmiddle=\"(-?\\d+)\"/>"));
        const QRegularExpressionMatch match = pitchMarkup.match(stream->text);
        if (match.hasMatch()) {
            stream->markup = match.capturedLength();
            pitch = std::clamp(50 + 5 * match.captured(1).toInt(), 0, 100);
        }
        streams.push_back(stream);
        if (streamNumber)
            *streamNumber = stream->number;

        platform_detail::EngineJob job;
        sim_detail::TokenRecord record;
        if (sim_detail::findToken(tokenId, record))
            job.voice = record.engineVoice;
        job.wordsPerMinute = wordsPerMinute(rate);
        job.pitch = pitch;
        job.text = stream->text.mid(stream->markup).toStdString();
        job.cancelled = stream->cancelled;
        std::shared_ptr<Guard> g = guard;
        const ULONG number = stream->number;
        job.done = [g, number](platform_detail::EngineResult&& result) {
            std::lock_guard<std::mutex> lock(g->mutex);
            if (!g->voice)
                return;
            SpVoice* voice = g->voice;
            QMetaObject::invokeMethod(
                &voice->context, [voice, number, r = std::move(result)]() mutable { voice->synthesised(number, r); },
                Qt::QueuedConnection);
        };
        platform_detail::SpeechEngine::instance().submit(std::move(job));
        return S_OK;
    }
    HRESULT GetStatus(SPVOICESTATUS* out, LPWSTR* lastBookmark) override
    {
        if (lastBookmark)
            *lastBookmark = nullptr;
        if (!out)
            return E_POINTER;
        *out = status;
        out->ulLastStreamQueued = streamCount;
        return S_OK;
    }
    HRESULT Pause() override
    {
        if (paused)
            return S_OK;
        paused = true;
        playedBefore += clock.isValid() ? clock.elapsed() : 0;
        clock.invalidate();
        timer.stop();
        if (output)
            output->suspend();
        return S_OK;
    }
    HRESULT Resume() override
    {
        if (!paused)
            return S_OK;
        paused = false;
        if (playing()) {
            clock.start();
            timer.start();
            if (output)
                output->resume();
        }
        return S_OK;
    }
    HRESULT SetRate(LONG value) override
    {
        if (value < -10 || value > 10)
            return E_INVALIDARG;
        rate = value;
        return S_OK;
    }
    HRESULT GetRate(LONG* value) override
    {
        if (!value)
            return E_POINTER;
        *value = rate;
        return S_OK;
    }
    HRESULT SetVolume(USHORT value) override
    {
        if (value > 100)
            return E_INVALIDARG;
        volume = value;
        return S_OK;
    }
    HRESULT GetVolume(USHORT* value) override
    {
        if (!value)
            return E_POINTER;
        *value = volume;
        return S_OK;
    }

protected:
    ~SpVoice() override
    {
        {
            std::lock_guard<std::mutex> lock(guard->mutex);
            guard->voice = nullptr;
        }
        for (const std::shared_ptr<Stream>& stream : streams)
            *stream->cancelled = true;
        stopOutput();
        {
            sim_detail::SpeechState& s = sim_detail::speechState();
            sim_detail::SpeechLock lock(s.mutex);
            s.voices.erase(this);
        }
        platform_detail::SpeechEngine::instance().release();
    }

private:
    struct Event
    {
        int milliseconds = 0;
        uint16_t id = 0;
        ULONG position = 0;
        ULONG length = 0;
    };
    struct Stream
    {
        ULONG number = 0;
        QString text;
        int markup = 0;
        bool ready = false;
        std::vector<int16_t> samples;
        int sampleRate = 22050;
        std::vector<Event> events;
        size_t next = 0;
        std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
    };
    // Lets the worker thread hand results over only while the voice lives.
    struct Guard
    {
        std::mutex mutex;
        SpVoice* voice = nullptr;
    };

    bool playing() const { return !streams.empty() && streams.front()->ready && started; }

    void synthesised(ULONG number, platform_detail::EngineResult& result)
    {
        for (const std::shared_ptr<Stream>& stream : streams) {
            if (stream->number != number)
                continue;
            const std::vector<int> offsets = utf16Offsets(stream->text.mid(stream->markup));
            const int points = int(offsets.size()) - 1;
            stream->events.push_back({0, SPEI_START_INPUT_STREAM, 0, 0});
            for (const platform_detail::EngineWord& word : result.words) {
                const int first = word.position - 1;
                const int last = first + word.length;
                if (word.length <= 0 || first < 0 || first >= points)
                    continue;
                const int begin = offsets[first];
                const int end = offsets[std::min(last, points)];
                stream->events.push_back({word.milliseconds, SPEI_WORD_BOUNDARY, ULONG(stream->markup + begin),
                                          ULONG(end - begin)});
            }
            const int duration = int(qint64(result.samples.size()) * 1000 / std::max(1, result.sampleRate));
            stream->events.push_back({duration, SPEI_END_INPUT_STREAM, 0, 0});
            stream->samples = std::move(result.samples);
            stream->sampleRate = result.sampleRate;
            stream->ready = true;
            break;
        }
        startNext();
    }

    void startNext()
    {
        if (started || streams.empty() || !streams.front()->ready)
            return;
        started = true;
        Stream& stream = *streams.front();
        playedBefore = 0;
        clock.invalidate();
        const QAudioFormat format = formatFor(stream.sampleRate);
        if (deviceFor(format)) {
            output = new QAudioOutput(format, &context);
            source = new SampleSource(stream.samples, &volume);
            source->setParent(&context);
            output->start(source);
            if (output->error() != QAudio::NoError)
                stopOutput();
        }
        if (paused)
            return;
        clock.start();
        if (sim::speechOutput() == sim::SpeechOutput::Stepped)
            QMetaObject::invokeMethod(&context, [this] { deliverDue(); }, Qt::QueuedConnection);
        else
            timer.start();
    }

    qint64 playedMilliseconds() const
    {
        if (output) {
            // The device took everything: the rest has been played by the time it runs dry.
            if (output->state() == QAudio::IdleState)
                return std::numeric_limits<qint64>::max();
            return output->processedUSecs() / 1000;
        }
        return playedBefore + (clock.isValid() ? clock.elapsed() : 0);
    }

    void deliverDue()
    {
        const bool stepped = sim::speechOutput() == sim::SpeechOutput::Stepped;
        while (playing() && !paused) {
            Stream& stream = *streams.front();
            if (stream.next >= stream.events.size())
                break;
            const Event event = stream.events[stream.next];
            if (stepped ? !sim_detail::takeSpeechCredit() : event.milliseconds > playedMilliseconds())
                break;
            ++stream.next;
            if (event.id == SPEI_END_INPUT_STREAM) {
                streams.pop_front();
                started = false;
                stopOutput();
            }
            deliver(event);
            startNext();
        }
    }

    void deliver(const Event& event)
    {
        switch (event.id) {
        case SPEI_START_INPUT_STREAM:
            status.dwRunningState = SPRS_IS_SPEAKING;
            status.ulInputWordPos = 0;
            status.ulInputWordLen = 0;
            status.ulCurrentStream = streamCount;
            break;
        case SPEI_WORD_BOUNDARY:
            status.ulInputWordPos = event.position;
            status.ulInputWordLen = event.length;
            break;
        default:
            status.dwRunningState = SPRS_DONE;
            break;
        }
        if (!((interest | queued) & SPFEI(event.id)))
            return;
        SPEVENT e;
        e.eEventId = event.id;
        e.ulStreamNum = status.ulCurrentStream;
        e.ullAudioStreamOffset = ULONGLONG(event.milliseconds);
        e.wParam = event.length;
        e.lParam = event.position;
        pending.push_back(e);
        if (callback && (interest & SPFEI(event.id)))
            callback->NotifyCallback(callbackW, callbackL);
    }

    // Drops every stream; a listener that heard one start hears it end, after this call returns.
    void purge()
    {
        if (streams.empty())
            return;
        for (const std::shared_ptr<Stream>& stream : streams)
            *stream->cancelled = true;
        streams.clear();
        started = false;
        stopOutput();
        QMetaObject::invokeMethod(
            &context, [this] { deliver({0, SPEI_END_INPUT_STREAM, 0, 0}); }, Qt::QueuedConnection);
    }

    void stopOutput()
    {
        timer.stop();
        clock.invalidate();
        playedBefore = 0;
        if (output) {
            output->stop();
            delete output;
            output = nullptr;
        }
        delete source;
        source = nullptr;
    }

    QObject context;
    QTimer timer;
    QElapsedTimer clock;
    qint64 playedBefore = 0;
    QAudioOutput* output = nullptr;
    SampleSource* source = nullptr;
    std::shared_ptr<Guard> guard = std::make_shared<Guard>();

    std::deque<std::shared_ptr<Stream>> streams;
    bool started = false;
    bool paused = false;
    ULONG streamCount = 0;
    std::u16string tokenId;
    LONG rate = 0;
    USHORT volume = 100;

    ISpNotifyCallback* callback = nullptr;
    WPARAM callbackW = 0;
    LPARAM callbackL = 0;
    ULONGLONG interest = 0;
    ULONGLONG queued = 0;
    SPVOICESTATUS status;
    std::deque<SPEVENT> pending;
};

} // namespace

namespace platform_detail {

HRESULT createSpeechVoice(REFIID iid, void** object);
HRESULT createSpeechVoice(REFIID iid, void** object)
{
    if (HRESULT hr = sim_detail::speechFailure(sim::SpeechCall::CreateVoice); FAILED(hr))
        return hr;
    if (!SpeechEngine::instance().acquire())
        return E_FAIL;
    auto* voice = new SpVoice;
    const HRESULT hr = voice->QueryInterface(iid, object);
    voice->Release();
    return hr;
}

} // namespace platform_detail

BOOL Beep(DWORD frequency, DWORD duration)
{
    {
        sim_detail::SpeechState& s = sim_detail::speechState();
        sim_detail::SpeechLock lock(s.mutex);
        s.beeps++;
    }
    const int sampleRate = 22050;
    const QAudioFormat format = formatFor(sampleRate);
    if (!deviceFor(format))
        return TRUE;
    // The tone goes to the device whole, then the caller waits for it as for a real beep.
    static QAudioOutput* beeper = nullptr;
    static QIODevice* sink = nullptr;
    if (!beeper) {
        beeper = new QAudioOutput(format);
        beeper->setBufferSize(sampleRate * 2);
        sink = beeper->start();
    }
    if (!sink)
        return FALSE;
    const int count = int(qint64(sampleRate) * duration / 1000);
    std::vector<int16_t> tone(size_t(count), 0);
    for (int i = 0; i < count; ++i)
        tone[size_t(i)] = int16_t(8000 * std::sin(2 * M_PI * frequency * i / sampleRate));
    sink->write(reinterpret_cast<const char*>(tone.data()), qint64(tone.size()) * 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(duration));
    return TRUE;
}
