#include <QtTest>

#include "qsapi.h"
#include "sim/speech.h"

// Its own program: espeak-ng reads its data folder once, when the first voice starts it.
class TestSpeechNoData : public QObject
{
    Q_OBJECT
private slots:
    void withoutDataNoVoiceIsMade();

private:
    QTemporaryDir emptyData;
};

void TestSpeechNoData::withoutDataNoVoiceIsMade()
{
    QVERIFY(emptyData.isValid());
    qputenv("ESPEAK_DATA_PATH", emptyData.path().toLocal8Bit());
    sim::setSpeechOutput(sim::SpeechOutput::Stepped);
    QTest::ignoreMessage(QtWarningMsg, "Could not init voice");
    QSapi engine({}, nullptr);
    QCOMPARE(engine.state(), QTextToSpeech::BackendError);
    QVERIFY(engine.availableLocales().isEmpty());
    QCOMPARE(engine.rate(), -1.0);
    QVERIFY(!engine.setVolume(0.5));
    engine.say(QStringLiteral("好"));
    QVERIFY(sim::spokenTexts().empty());
    QCOMPARE(sim::liveVoices(), 0);
}

QTEST_GUILESS_MAIN(TestSpeechNoData)
#include "tst_speechnodata.moc"
