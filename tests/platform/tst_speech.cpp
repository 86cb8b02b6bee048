#include <QtTest>

#include "comptr.h"
#include "sapi.h"
#include "sim/speech.h"

namespace {
struct Word
{
    ULONG position;
    ULONG length;
    bool operator==(const Word& other) const { return position == other.position && length == other.length; }
};
using Words = QVector<Word>;

// Records what each notification shows: the running state and the events it brings.
struct Recorder : ISpNotifyCallback
{
    ISpVoice* voice = nullptr;
    bool insideSpeak = false;
    bool calledInsideSpeak = false;
    QVector<DWORD> states;
    QVector<uint16_t> events;
    Words words;

    HRESULT NotifyCallback(WPARAM, LPARAM) override
    {
        calledInsideSpeak |= insideSpeak;
        SPVOICESTATUS status;
        voice->GetStatus(&status, nullptr);
        states.append(status.dwRunningState);
        SPEVENT event;
        ULONG fetched = 0;
        while (voice->GetEvents(1, &event, &fetched) == S_OK && fetched == 1) {
            events.append(event.eEventId);
            if (event.eEventId == SPEI_WORD_BOUNDARY)
                words.append({ULONG(event.lParam), ULONG(event.wParam)});
        }
        return S_OK;
    }
    HRESULT speak(const QString& text, DWORD flags = SPF_ASYNC)
    {
        insideSpeak = true;
        const HRESULT hr = voice->Speak(text.isNull() ? nullptr : reinterpret_cast<LPCWSTR>(text.utf16()), flags,
                                        nullptr);
        insideSpeak = false;
        return hr;
    }
    bool ended() const { return !events.isEmpty() && events.last() == SPEI_END_INPUT_STREAM; }
};

QString wide(LPCWSTR text)
{
    return QString::fromUtf16(text);
}
}

Q_DECLARE_METATYPE(Words)

class TestSpeech : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wordPositions_data();
    void wordPositions();
    void notificationsFollowSpeakAndReportDeliveredState();
    void purgeGivesOneEndBeforeTheNextStream();
    void steppedOutputWaitsForRelease();
    void pausedVoiceHoldsItsNotifications();
    void voiceTokens();
    void tokenIdRoundTrips();
    void fakeTokensAndTheirFailures();
    void localeNames_data();
    void localeNames();
    void failuresOnRequest_data();
    void failuresOnRequest();
    void rangesOfRateAndVolume_data();
    void rangesOfRateAndVolume();
    void beepsAreCountedAndVoicesLive();

private:
    ComPtr<ISpVoice> newVoice(Recorder& recorder);
};

void TestSpeech::init()
{
    sim::resetSpeech();
    sim::setSpeechOutput(sim::SpeechOutput::Stepped);
    QCOMPARE(CoInitialize(nullptr), S_OK);
}

void TestSpeech::cleanup()
{
    sim::resetSpeech();
    CoUninitialize();
}

ComPtr<ISpVoice> TestSpeech::newVoice(Recorder& recorder)
{
    ComPtr<ISpVoice> voice;
    if (FAILED(voice.CreateInstance(CLSID_SpVoice)))
        return voice;
    recorder.voice = voice;
    voice->SetInterest(SPFEI_ALL_TTS_EVENTS, SPFEI_ALL_TTS_EVENTS);
    voice->SetNotifyCallbackInterface(&recorder, 0, 0);
    return voice;
}

void TestSpeech::wordPositions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Words>("words");
    QTest::newRow("one word per Chinese character") << "我们去" << Words{{0, 1}, {1, 1}, {2, 1}};
    QTest::newRow("character beyond the basic plane counts two units")
        << "𠀀你" << Words{{0, 2}, {2, 1}};
    QTest::newRow("pitch mark-up counted in the positions")
        << "<pitch absmiddle=\"5\"/>学校" << Words{{22, 1}, {23, 1}};
    QTest::newRow("tags and ampersand spoken as written")
        << "a<b>c & d" << Words{{0, 1}, {2, 1}, {4, 1}, {6, 1}, {8, 1}};
}

void TestSpeech::wordPositions()
{
    QFETCH(QString, text);
    QFETCH(Words, words);
    Recorder recorder;
    ComPtr<ISpVoice> voice = newVoice(recorder);
    QVERIFY(voice);
    QCOMPARE(recorder.speak(text), S_OK);
    sim::releaseSpeechEvents(1000);
    QTRY_VERIFY(recorder.ended());
    QCOMPARE(recorder.words, words);
    QCOMPARE(sim::spokenTexts(), std::vector<std::u16string>{reinterpret_cast<const char16_t*>(text.utf16())});
}

void TestSpeech::notificationsFollowSpeakAndReportDeliveredState()
{
    sim::setSpeechOutput(sim::SpeechOutput::Silent);
    Recorder recorder;
    ComPtr<ISpVoice> voice = newVoice(recorder);
    QCOMPARE(recorder.speak(QStringLiteral("你好")), S_OK);
    SPVOICESTATUS status;
    voice->GetStatus(&status, nullptr);
    QVERIFY(status.dwRunningState != SPRS_IS_SPEAKING);     // nothing delivered yet
    QTRY_VERIFY_WITH_TIMEOUT(recorder.ended(), 10000);
    QVERIFY(!recorder.calledInsideSpeak);
    QCOMPARE(recorder.events.first(), uint16_t(SPEI_START_INPUT_STREAM));
    QCOMPARE(recorder.states.first(), SPRS_IS_SPEAKING);
    QCOMPARE(recorder.states.last(), SPRS_DONE);
    QCOMPARE(recorder.events.count(uint16_t(SPEI_WORD_BOUNDARY)), 2);
}

void TestSpeech::purgeGivesOneEndBeforeTheNextStream()
{
    Recorder recorder;
    ComPtr<ISpVoice> voice = newVoice(recorder);
    recorder.speak(QStringLiteral("我们和他们一起去学校"));
    sim::releaseSpeechEvents(2);                             // start and the first word
    QTRY_COMPARE(recorder.events.size(), 2);
    recorder.speak(QString(), SPF_PURGEBEFORESPEAK);
    recorder.speak(QStringLiteral("好"));
    QVERIFY(!recorder.calledInsideSpeak);
    QTRY_COMPARE(recorder.events.size(), 3);
    QCOMPARE(recorder.events.last(), uint16_t(SPEI_END_INPUT_STREAM));
    QCOMPARE(recorder.states.last(), SPRS_DONE);
    sim::releaseSpeechEvents(1000);
    QTRY_VERIFY(recorder.events.size() > 3 && recorder.ended());
    const QVector<uint16_t> expected{SPEI_START_INPUT_STREAM, SPEI_WORD_BOUNDARY, SPEI_END_INPUT_STREAM,
                                     SPEI_START_INPUT_STREAM, SPEI_WORD_BOUNDARY, SPEI_END_INPUT_STREAM};
    QCOMPARE(recorder.events, expected);
}

void TestSpeech::steppedOutputWaitsForRelease()
{
    Recorder recorder;
    ComPtr<ISpVoice> voice = newVoice(recorder);
    recorder.speak(QStringLiteral("我们"));
    QTest::qWait(300);
    QVERIFY(recorder.events.isEmpty());
    sim::releaseSpeechEvents(1);
    QTRY_COMPARE(recorder.events.size(), 1);
    QTest::qWait(100);
    QCOMPARE(recorder.events.size(), 1);
}

void TestSpeech::pausedVoiceHoldsItsNotifications()
{
    Recorder recorder;
    ComPtr<ISpVoice> voice = newVoice(recorder);
    recorder.speak(QStringLiteral("我们"));
    sim::releaseSpeechEvents(1);
    QTRY_COMPARE(recorder.events.size(), 1);
    voice->Pause();
    sim::releaseSpeechEvents(1000);
    QTest::qWait(200);
    QCOMPARE(recorder.events.size(), 1);
    voice->Resume();
    QTRY_VERIFY(recorder.ended());
}

// What the speech engine reads of each voice: a name to show, and a language given as a hexadecimal
// locale id that the locale lookup must know, or the voice is never offered.
void TestSpeech::voiceTokens()
{
    ComPtr<IEnumSpObjectTokens> tokens;
    QCOMPARE(SpEnumTokens(SPCAT_VOICES, nullptr, nullptr, &tokens), S_OK);
    ULONG count = 0;
    QCOMPARE(tokens->GetCount(&count), S_OK);
    QStringList locales;
    for (ULONG i = 0; i < count; ++i) {
        ComPtr<ISpObjectToken> token;
        QCOMPARE(tokens->Next(1, &token, nullptr), S_OK);
        ComPtr<ISpDataKey> key;
        QCOMPARE(token->OpenKey(u"Attributes", &key), S_OK);
        LPWSTR value = nullptr;
        QCOMPARE(key->GetStringValue(u"Name", &value), S_OK);
        const QString name = wide(value);
        CoTaskMemFree(value);
        QVERIFY(!name.isEmpty());
        QCOMPARE(key->GetStringValue(u"Language", &value), S_OK);
        bool ok = false;
        const uint lcid = wide(value).toUInt(&ok, 16);
        CoTaskMemFree(value);
        QVERIFY2(ok, qPrintable(name));
        WCHAR locale[85] = {};
        QVERIFY2(GetLocaleInfoW(lcid, LOCALE_SNAME, locale, 85) > 0, qPrintable(name));
        locales << wide(locale);
    }
    // Chinese text is read with the Mandarin voice.
    QVERIFY2(locales.contains(QStringLiteral("zh-CN")), qPrintable(locales.join(", ")));
}

void TestSpeech::tokenIdRoundTrips()
{
    Recorder recorder;
    ComPtr<ISpVoice> voice = newVoice(recorder);
    ComPtr<ISpObjectToken> current;
    QCOMPARE(voice->GetVoice(&current), S_OK);
    LPWSTR id = nullptr;
    QCOMPARE(current->GetId(&id), S_OK);
    const QString defaultId = wide(id);
    CoTaskMemFree(id);
    QVERIFY2(defaultId.endsWith(QLatin1String("cmn")), qPrintable(defaultId));    // Mandarin by default

    ComPtr<ISpObjectToken> again;
    QCOMPARE(SpGetTokenFromId(reinterpret_cast<LPCWSTR>(defaultId.utf16()), &again), S_OK);
    QCOMPARE(again->GetId(&id), S_OK);
    QCOMPARE(wide(id), defaultId);
    CoTaskMemFree(id);
    QCOMPARE(SpGetTokenFromId(u"no such voice", &again), SPERR_NOT_FOUND);
}

void TestSpeech::fakeTokensAndTheirFailures()
{
    sim::SpeechTokenSpec plain;
    plain.id = u"fake\\one";
    plain.attributes = {{u"Name", u"One"}, {u"Language", u"804;409"}};
    sim::SpeechTokenSpec broken = plain;
    broken.id = u"fake\\two";
    broken.enumValuesFailsFrom = 0;
    broken.getIdFails = true;
    broken.getStringValueFails = true;
    sim::setSpeechTokens({plain, broken});

    ComPtr<IEnumSpObjectTokens> tokens;
    QCOMPARE(SpEnumTokens(SPCAT_VOICES, nullptr, nullptr, &tokens), S_OK);
    ULONG count = 0;
    tokens->GetCount(&count);
    QCOMPARE(count, ULONG(2));
    ComPtr<ISpObjectToken> token;
    tokens->Next(1, &token, nullptr);
    ComPtr<ISpDataKey> key;
    token->OpenKey(u"Attributes", &key);
    LPWSTR name = nullptr;
    QCOMPARE(key->EnumValues(1, &name), S_OK);
    QCOMPARE(wide(name), QStringLiteral("Language"));
    CoTaskMemFree(name);
    QCOMPARE(key->EnumValues(2, &name), SPERR_NO_MORE_ITEMS);

    tokens->Next(1, &token, nullptr);
    LPWSTR id = nullptr;
    QCOMPARE(token->GetId(&id), E_FAIL);
    token->OpenKey(u"Attributes", &key);
    QCOMPARE(key->EnumValues(5, &name), E_FAIL);
    QCOMPARE(key->GetStringValue(u"Name", &name), E_FAIL);
    QCOMPARE(tokens->Next(1, &token, nullptr), S_FALSE);
}

void TestSpeech::localeNames_data()
{
    QTest::addColumn<uint>("lcid");
    QTest::addColumn<QString>("name");
    QTest::newRow("language of a voice") << 0x804u << "zh-CN";
    QTest::newRow("unknown locale") << 0x1234u << "";
}

void TestSpeech::localeNames()
{
    QFETCH(uint, lcid);
    QFETCH(QString, name);
    WCHAR buffer[85] = {};
    const int written = GetLocaleInfoW(lcid, LOCALE_SNAME, buffer, 85);
    QCOMPARE(written, name.isEmpty() ? 0 : name.size() + 1);
    QCOMPARE(wide(buffer), name);
}

void TestSpeech::failuresOnRequest_data()
{
    QTest::addColumn<int>("call");
    QTest::newRow("voice creation") << int(sim::SpeechCall::CreateVoice);
    QTest::newRow("speak") << int(sim::SpeechCall::Speak);
    QTest::newRow("token from id") << int(sim::SpeechCall::TokenFromId);
}

void TestSpeech::failuresOnRequest()
{
    QFETCH(int, call);
    const auto failing = sim::SpeechCall(call);
    sim::failSpeechCall(failing, E_OUTOFMEMORY);
    Recorder recorder;
    ComPtr<ISpVoice> voice = newVoice(recorder);
    QCOMPARE(bool(voice), failing != sim::SpeechCall::CreateVoice);
    if (!voice)
        return;
    QCOMPARE(recorder.speak(QStringLiteral("好")), failing == sim::SpeechCall::Speak ? E_OUTOFMEMORY : S_OK);
    ComPtr<ISpObjectToken> token;
    const HRESULT fromId = SpGetTokenFromId(u"espeak-ng\\sit/cmn", &token);
    QCOMPARE(fromId, failing == sim::SpeechCall::TokenFromId ? E_OUTOFMEMORY : S_OK);
}

void TestSpeech::rangesOfRateAndVolume_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("volume");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("ends of the ranges") << -10 << 100 << true;
    QTest::newRow("rate too fast") << 11 << 50 << false;
    QTest::newRow("volume too loud") << 0 << 101 << false;
}

void TestSpeech::rangesOfRateAndVolume()
{
    QFETCH(int, rate);
    QFETCH(int, volume);
    QFETCH(bool, accepted);
    Recorder recorder;
    ComPtr<ISpVoice> voice = newVoice(recorder);
    const bool both = SUCCEEDED(voice->SetRate(rate)) && SUCCEEDED(voice->SetVolume(USHORT(volume)));
    QCOMPARE(both, accepted);
    LONG gotRate = 0;
    USHORT gotVolume = 0;
    voice->GetRate(&gotRate);
    voice->GetVolume(&gotVolume);
    QCOMPARE(gotRate == rate && gotVolume == volume, accepted);
}

void TestSpeech::beepsAreCountedAndVoicesLive()
{
    QCOMPARE(sim::liveVoices(), 0);
    {
        Recorder recorder;
        ComPtr<ISpVoice> voice = newVoice(recorder);
        QCOMPARE(sim::liveVoices(), 1);
        Beep(750, 100);
        Beep(750, 100);
        QCOMPARE(sim::beepCount(), 2);
    }
    QCOMPARE(sim::liveVoices(), 0);
    // The synthesiser starts again for a later voice.
    Recorder recorder;
    ComPtr<ISpVoice> voice = newVoice(recorder);
    recorder.speak(QStringLiteral("好"));
    sim::releaseSpeechEvents(1000);
    QTRY_VERIFY(recorder.ended());
}

QTEST_GUILESS_MAIN(TestSpeech)
#include "tst_speech.moc"
