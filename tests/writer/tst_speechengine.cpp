#include <QtTest>

#include "qsapi.h"
#include "sim/speech.h"

namespace {
struct Change
{
    QTextToSpeech::State state;
    int begin;
    int end;
};

// Every stateChanged of an engine, in order.
struct Changes : QVector<Change>
{
    explicit Changes(QSapi& engine)
    {
        QObject::connect(&engine, qOverload<QTextToSpeech::State, int, int>(&QSapi::stateChanged), &engine,
                         [this](QTextToSpeech::State state, int begin, int end) { append({state, begin, end}); });
    }
    QStringList words(const QString& text) const
    {
        QStringList out;
        for (const Change& c : *this) {
            if (c.state == QTextToSpeech::Speaking && c.begin < c.end)
                out << text.mid(c.begin, c.end - c.begin);
        }
        return out;
    }
    int count(QTextToSpeech::State state) const
    {
        return int(std::count_if(begin(), end(), [state](const Change& c) { return c.state == state; }));
    }
    bool ended() const { return !isEmpty() && last().state == QTextToSpeech::Ready; }
};

sim::SpeechTokenSpec token(const std::u16string& id, const std::u16string& name, const std::u16string& language)
{
    sim::SpeechTokenSpec setup;
    setup.id = id;
    setup.attributes = {{u"Name", name}, {u"Gender", u"Female"}, {u"Age", u"Adult"}, {u"Language", language}};
    return setup;
}
}

class TestSpeechEngine : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wordsOfTheTextSaid_data();
    void wordsOfTheTextSaid();
    void sayInterruptingSayGivesOneReady();
    void rateAndVolume_data();
    void rateAndVolume();
    void secondPauseIsIgnored();
    void mandarinVoiceRoundTrips();
    void localeWithoutVoicesKeepsTheVoice();
    void fakeTokens_data();
    void fakeTokens();
    void failingSpeakReportsBackendError();
    void failingTokenFromIdReportsBackendError();
};

void TestSpeechEngine::init()
{
    sim::resetSpeech();
    sim::setSpeechOutput(sim::SpeechOutput::Stepped);
}

void TestSpeechEngine::cleanup()
{
    sim::resetSpeech();
}

void TestSpeechEngine::wordsOfTheTextSaid_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("pitch");
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("pitch mark-up before the text, positions without it")
        << "我们" << 0.5 << "<pitch absmiddle=\"5\"/>" << QStringList{"我", "们"};
    QTest::newRow("low pitch") << "好" << -1.0 << "<pitch absmiddle=\"-10\"/>" << QStringList{"好"};
    QTest::newRow("character beyond the basic plane")
        << "𠀀你" << 0.0 << "<pitch absmiddle=\"0\"/>" << QStringList{"𠀀", "你"};
    QTest::newRow("tags and ampersand of a document")
        << "a<b>c & d" << 0.0 << "<pitch absmiddle=\"0\"/>" << QStringList{"a", "b", "c", "&", "d"};
}

void TestSpeechEngine::wordsOfTheTextSaid()
{
    QFETCH(QString, text);
    QFETCH(double, pitch);
    QFETCH(QString, markup);
    QFETCH(QStringList, words);
    QSapi engine({}, nullptr);
    QCOMPARE(engine.state(), QTextToSpeech::Ready);
    Changes changes(engine);
    engine.setPitch(pitch);
    engine.say(text);
    sim::releaseSpeechEvents(1000);
    QTRY_VERIFY(changes.ended());
    QCOMPARE(changes.words(text), words);
    const std::vector<std::u16string> spoken = sim::spokenTexts();
    QCOMPARE(spoken.size(), size_t(1));
    QCOMPARE(QString::fromStdU16String(spoken.front()), markup + text);
}

void TestSpeechEngine::sayInterruptingSayGivesOneReady()
{
    QSapi engine({}, nullptr);
    Changes changes(engine);
    engine.say(QStringLiteral("我们和他们一起去学校"));
    sim::releaseSpeechEvents(2);
    QTRY_COMPARE(changes.size(), 2);
    QCOMPARE(engine.state(), QTextToSpeech::Speaking);
    engine.say(QStringLiteral("好"));
    sim::releaseSpeechEvents(1000);
    QTRY_VERIFY(changes.size() > 3 && changes.ended());
    // start, first word, the interrupted one's end, then the new one: start, its word, its end.
    QCOMPARE(changes.count(QTextToSpeech::Ready), 2);
    QCOMPARE(changes.at(2).state, QTextToSpeech::Ready);
    QCOMPARE(changes.words(QStringLiteral("好")).last(), QStringLiteral("好"));
}

void TestSpeechEngine::rateAndVolume_data()
{
    QTest::addColumn<double>("rate");
    QTest::addColumn<double>("volume");
    QTest::addColumn<double>("rateRead");
    QTest::addColumn<double>("volumeRead");
    QTest::newRow("fractions cut towards zero") << 0.55 << 0.999 << 0.5 << 0.99;
    QTest::newRow("negative rate") << -0.55 << 0.0 << -0.5 << 0.0;
    QTest::newRow("beyond the ends clamped") << 3.0 << 2.0 << 1.0 << 1.0;
    QTest::newRow("below the ends clamped") << -3.0 << -1.0 << -1.0 << 0.0;
}

void TestSpeechEngine::rateAndVolume()
{
    QFETCH(double, rate);
    QFETCH(double, volume);
    QFETCH(double, rateRead);
    QFETCH(double, volumeRead);
    QSapi engine({}, nullptr);
    QVERIFY(engine.setRate(rate));
    QVERIFY(engine.setVolume(volume));
    QCOMPARE(engine.rate(), rateRead);
    QCOMPARE(engine.volume(), volumeRead);
}

void TestSpeechEngine::secondPauseIsIgnored()
{
    QSapi engine({}, nullptr);
    Changes changes(engine);
    engine.say(QStringLiteral("我们"));
    sim::releaseSpeechEvents(1);
    QTRY_COMPARE(engine.state(), QTextToSpeech::Speaking);
    engine.pause();
    engine.pause();
    QCOMPARE(engine.state(), QTextToSpeech::Paused);
    QCOMPARE(changes.count(QTextToSpeech::Paused), 1);
    engine.resume();
    QCOMPARE(engine.state(), QTextToSpeech::Speaking);
    sim::releaseSpeechEvents(1000);
    QTRY_VERIFY(changes.ended());
}

void TestSpeechEngine::mandarinVoiceRoundTrips()
{
    QSapi engine({}, nullptr);
    const QVector<QVoice> chinese = engine.voicesForLocale(QLocale(QStringLiteral("zh_CN")));
    QCOMPARE(chinese.size(), 1);
    QCOMPARE(engine.locale().name(), QStringLiteral("zh_CN"));
    QVERIFY(engine.availableLocales().contains(QLocale(QStringLiteral("en_US"))));
    const QVoice english = engine.voicesForLocale(QLocale(QStringLiteral("en_US"))).first();
    QVERIFY(engine.setVoice(english));
    QCOMPARE(engine.voice().name(), english.name());
    QCOMPARE(engine.locale().name(), QStringLiteral("en_US"));
    QVERIFY(engine.setVoice(chinese.first()));
    QCOMPARE(engine.voice().name(), chinese.first().name());
}

void TestSpeechEngine::localeWithoutVoicesKeepsTheVoice()
{
    QSapi engine({}, nullptr);
    const QString before = engine.voice().name();
    QTest::ignoreMessage(QtWarningMsg, "No voice found for given locale");
    QVERIFY(!engine.setLocale(QLocale(QLocale::Swahili)));
    QCOMPARE(engine.voice().name(), before);
}

void TestSpeechEngine::fakeTokens_data()
{
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QStringList>("names");      // voices listed under zh_CN, in order
    QTest::addColumn<int>("defaultLocaleVoices");
    QTest::newRow("several languages in one attribute")
        << 0 << "Could not convert language attribute to LCID" << QStringList{"Second", "First"} << 1;
    QTest::newRow("every attribute index failing")
        << 1 << "ISpDataKey::EnumValues failed" << QStringList{"Second", "First"} << 1;
    QTest::newRow("token id unreadable") << 2 << "ISpObjectToken::GetId failed" << QStringList{"Second", "First"} << 1;
}

void TestSpeechEngine::fakeTokens()
{
    QFETCH(int, failure);
    QFETCH(QString, warning);
    QFETCH(QStringList, names);
    QFETCH(int, defaultLocaleVoices);
    sim::SpeechTokenSpec odd = token(u"fake\\odd", u"Odd", u"804;409");
    if (failure == 1) {
        odd.attributes.back().second = u"804";
        odd.enumValuesFailsFrom = 0;
    } else if (failure == 2) {
        odd.attributes.back().second = u"409";
        odd.getIdFails = true;
    }
    sim::setSpeechTokens({token(u"fake\\first", u"First", u"804"), odd, token(u"fake\\second", u"Second", u"804")});
    QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    QSapi engine({}, nullptr);
    QCOMPARE(engine.state(), QTextToSpeech::Ready);
    // Voices of one locale come most recently listed first.
    QStringList listed;
    for (const QVoice& voice : engine.voicesForLocale(QLocale(QStringLiteral("zh_CN"))))
        listed << voice.name();
    QCOMPARE(listed, names);
    QCOMPARE(engine.voicesForLocale(failure == 2 ? QLocale(QStringLiteral("en_US")) : QLocale()).size(),
             defaultLocaleVoices);
}

void TestSpeechEngine::failingSpeakReportsBackendError()
{
    QSapi engine({}, nullptr);
    Changes changes(engine);
    sim::failSpeechCall(sim::SpeechCall::Speak);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ISpVoice::Speak failed"));
    engine.say(QStringLiteral("好"));
    QCOMPARE(engine.state(), QTextToSpeech::BackendError);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.first().state, QTextToSpeech::BackendError);
}

void TestSpeechEngine::failingTokenFromIdReportsBackendError()
{
    QSapi engine({}, nullptr);
    Changes changes(engine);
    const QVoice voice = engine.voice();
    sim::failSpeechCall(sim::SpeechCall::TokenFromId);
    QTest::ignoreMessage(QtWarningMsg, "Creating the voice token from ID failed");
    QVERIFY(!engine.setVoice(voice));
    QCOMPARE(engine.state(), QTextToSpeech::BackendError);
    sim::resetSpeech();
    sim::setSpeechOutput(sim::SpeechOutput::Stepped);
    QVERIFY(engine.setVoice(voice));
    QCOMPARE(engine.state(), QTextToSpeech::Ready);
    QCOMPARE(changes.size(), 2);
}

QTEST_GUILESS_MAIN(TestSpeechEngine)
#include "tst_speechengine.moc"
