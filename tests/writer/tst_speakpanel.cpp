#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include "../client/clientfixture.h"
#include "config.h"
#include "qsapi.h"
#include "settingkeys.h"
#include "sim/speech.h"
#include "texteditex.h"
#include "widgetspeak.h"

namespace {
// The words the panel selected in the editor, one per spoken word.
struct Selections : QStringList
{
    Selections(WidgetSpeak& panel, TextEditEx& editor)
    {
        QSapi* engine = panel.findChild<QSapi*>();
        QObject::connect(engine, qOverload<QTextToSpeech::State, int, int>(&QSapi::stateChanged), &panel,
                         [this, &editor](QTextToSpeech::State state, int begin, int end) {
                             if (state == QTextToSpeech::Speaking && begin < end)
                                 append(editor.textCursor().selectedText());
                         });
    }
};

QStringList spokenWithoutMarkup()
{
    QStringList out;
    for (const std::u16string& text : sim::spokenTexts())
        out << QString::fromStdU16String(text).remove(QRegularExpression(QStringLiteral("^<pitch[^>]*>")));
    return out;
}

void press(QWidget* target, Qt::Key key)
{
    QTest::keyPress(target, key);
    QTest::keyRelease(target, key);
}
}

class TestSpeakPanel : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void readsWordByWord_data();
    void readsWordByWord();
    void pageKeysMoveOnce_data();
    void pageKeysMoveOnce();
    void stopAndStartAgainContinuesFromTheWordSpoken();
    void keysSwallowedOnlyWhileVisible();
    void unknownSavedVoiceKeepsTheEngines();
    void settingsKeptOverCloseAndReopen();
    void savedValuesAtTheSlidersStartReachTheEngine();
    void withoutVoiceTheHelpPageIsOffered_data();
    void withoutVoiceTheHelpPageIsOffered();
    void failingSpeakStopsReading();
    void openUrl(const QUrl& url) { openedUrls << url; }

private:
    TextEditEx* editor = nullptr;
};

void TestSpeakPanel::initTestCase()
{
    QVERIFY(startClient(this));
}

void TestSpeakPanel::init()
{
    resetClient();
    sim::resetSpeech();
    sim::setSpeechOutput(sim::SpeechOutput::Stepped);
    editor = new TextEditEx;
    editor->show();
}

void TestSpeakPanel::cleanup()
{
    delete editor;
    editor = nullptr;
    sim::resetSpeech();
}

void TestSpeakPanel::cleanupTestCase()
{
    stopClient();
}

void TestSpeakPanel::readsWordByWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QStringList>("spoken");
    QTest::newRow("from the middle of a paragraph, then the next ones")
        << "第一段文字\n\n第二段\n  \n第三" << 2 << QStringList{"段", "文", "字", "第", "二", "段", "第", "三"}
        << QStringList{"段文字", "第二段", "第三"};
    QTest::newRow("zero-width spaces: the word spoken is the word selected")
        << "我\u200b们\u200b\u200b去" << 0 << QStringList{"我", "们", "去"} << QStringList{"我们去"};
    QTest::newRow("only blanks and zero-width spaces") << "  \n\u200b\u200b\n \u200b \n\t" << 0 << QStringList{}
                                                       << QStringList{};
}

void TestSpeakPanel::readsWordByWord()
{
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(QStringList, selected);
    QFETCH(QStringList, spoken);
    editor->setPlainText(text);
    QTextCursor at = editor->textCursor();
    at.setPosition(cursor);
    editor->setTextCursor(at);
    WidgetSpeak panel(editor);
    Selections selections(panel, *editor);
    panel.show();
    press(editor, Qt::Key_Space);
    sim::releaseSpeechEvents(10000);
    QTRY_COMPARE(sim::beepCount(), 2);
    QCOMPARE(selections, selected);
    QCOMPARE(spokenWithoutMarkup(), spoken);
    QCOMPARE(editor->toPlainText(), text);     // the Space went to the panel, not into the text
}

void TestSpeakPanel::pageKeysMoveOnce_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("released");          // notifications let through before the key
    QTest::addColumn<QStringList>("before");    // words selected by then
    QTest::addColumn<QStringList>("spoken");
    QTest::addColumn<QStringList>("selected");
    QTest::newRow("PageDown jumps to the next paragraph once")
        << "一二三四五\n六七\n八九" << int(Qt::Key_PageDown) << 2 << QStringList{"一"}
        << QStringList{"一二三四五", "六七", "八九"} << QStringList{"一", "六", "七", "八", "九"};
    QTest::newRow("PageUp goes back one paragraph")
        << "一二\n三四五\n六" << int(Qt::Key_PageUp) << 7 << QStringList{"一", "二", "三", "四"}
        << QStringList{"一二", "三四五", "一二", "三四五", "六"}
        << QStringList{"一", "二", "三", "四", "一", "二", "三", "四", "五", "六"};
    QTest::newRow("PageUp on the first paragraph reads it again")
        << "一二三\n四五" << int(Qt::Key_PageUp) << 3 << QStringList{"一", "二"}
        << QStringList{"一二三", "一二三", "四五"} << QStringList{"一", "二", "一", "二", "三", "四", "五"};
    QTest::newRow("PageUp after blank first lines reads the first text again")
        << "\n\u200b \n一二\n三" << int(Qt::Key_PageUp) << 2 << QStringList{"一"}
        << QStringList{"一二", "一二", "三"} << QStringList{"一", "一", "二", "三"};
}

void TestSpeakPanel::pageKeysMoveOnce()
{
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(int, released);
    QFETCH(QStringList, before);
    QFETCH(QStringList, spoken);
    QFETCH(QStringList, selected);
    editor->setPlainText(text);
    editor->moveCursor(QTextCursor::Start);
    WidgetSpeak panel(editor);
    Selections selections(panel, *editor);
    panel.show();
    press(editor, Qt::Key_Space);
    sim::releaseSpeechEvents(released);
    QTRY_COMPARE(selections, before);
    press(editor, Qt::Key(key));
    sim::releaseSpeechEvents(10000);
    QTRY_COMPARE(sim::beepCount(), 2);
    QCOMPARE(spokenWithoutMarkup(), spoken);
    QCOMPARE(selections, selected);
}

void TestSpeakPanel::stopAndStartAgainContinuesFromTheWordSpoken()
{
    editor->setPlainText(QStringLiteral("一二三\n四五"));
    editor->moveCursor(QTextCursor::Start);
    WidgetSpeak panel(editor);
    Selections selections(panel, *editor);
    panel.show();
    press(editor, Qt::Key_Space);
    sim::releaseSpeechEvents(2);
    QTRY_COMPARE(selections, QStringList{"一"});
    // Stopped and started again before the stopped speech has reported its end.
    press(editor, Qt::Key_Space);
    press(editor, Qt::Key_Space);
    sim::releaseSpeechEvents(10000);
    QTRY_COMPARE(sim::beepCount(), 2);
    QCOMPARE(spokenWithoutMarkup(), (QStringList{"一二三", "二三", "四五"}));
    QCOMPARE(selections, (QStringList{"一", "二", "三", "四", "五"}));
}

void TestSpeakPanel::keysSwallowedOnlyWhileVisible()
{
    WidgetSpeak panel(editor);
    panel.show();
    QTest::keyClicks(editor, QStringLiteral("ab"));
    QCOMPARE(editor->toPlainText(), QString());
    panel.stopAndHide();
    QTest::keyClicks(editor, QStringLiteral("ab"));
    QCOMPARE(editor->toPlainText(), QStringLiteral("ab"));
}

void TestSpeakPanel::unknownSavedVoiceKeepsTheEngines()
{
    GetConfig()->setValueString(SettingKeys::SpeakName, QStringLiteral("nobody（中文）"));
    WidgetSpeak panel(editor);
    auto* voices = panel.findChild<QComboBox*>(QStringLiteral("cmbVoice"));
    QVERIFY(voices->count() > 1);
    QCOMPARE(panel.findChild<QSapi*>()->locale().name(), QStringLiteral("zh_CN"));
    QVERIFY2(voices->currentText().startsWith(QStringLiteral("Chinese (Mandarin")), qPrintable(voices->currentText()));
}

void TestSpeakPanel::settingsKeptOverCloseAndReopen()
{
    QString chosen;
    {
        WidgetSpeak panel(editor);
        panel.show();
        panel.findChild<QSlider*>(QStringLiteral("sliderVolume"))->setValue(40);
        panel.findChild<QSlider*>(QStringLiteral("sliderRate"))->setValue(30);
        panel.findChild<QSlider*>(QStringLiteral("sliderPitch"))->setValue(-20);
        auto* voices = panel.findChild<QComboBox*>(QStringLiteral("cmbVoice"));
        voices->setCurrentIndex(voices->findText(QStringLiteral("English (America)"), Qt::MatchStartsWith));
        chosen = voices->currentText();
        QVERIFY(!chosen.isEmpty());
        QSignalSpy hidden(&panel, &WidgetSpeak::speakStopAndHide);
        press(editor, Qt::Key_Escape);
        QCOMPARE(hidden.size(), 1);
        QVERIFY(!panel.isVisible());
    }
    WidgetSpeak panel(editor);
    QCOMPARE(panel.findChild<QSlider*>(QStringLiteral("sliderVolume"))->value(), 40);
    QCOMPARE(panel.findChild<QSlider*>(QStringLiteral("sliderRate"))->value(), 30);
    QCOMPARE(panel.findChild<QSlider*>(QStringLiteral("sliderPitch"))->value(), -20);
    QCOMPARE(panel.findChild<QComboBox*>(QStringLiteral("cmbVoice"))->currentText(), chosen);
    QSapi* engine = panel.findChild<QSapi*>();
    QCOMPARE(engine->volume(), 0.4);
    QCOMPARE(engine->rate(), 0.3);
    QCOMPARE(engine->pitch(), -0.2);
    QCOMPARE(engine->locale().name(), QStringLiteral("en_US"));
}

void TestSpeakPanel::savedValuesAtTheSlidersStartReachTheEngine()
{
    GetConfig()->setValueInt(SettingKeys::SpeakVolume, 0);
    GetConfig()->setValueInt(SettingKeys::SpeakRate, -100);
    GetConfig()->setValueInt(SettingKeys::SpeakPitch, -100);
    WidgetSpeak panel(editor);
    QSapi* engine = panel.findChild<QSapi*>();
    QCOMPARE(engine->volume(), 0.0);
    QCOMPARE(engine->rate(), -1.0);
    QCOMPARE(engine->pitch(), -1.0);
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("labelVolume"))->text(), QStringLiteral("Volume(0)"));
}

void TestSpeakPanel::withoutVoiceTheHelpPageIsOffered_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("pagesOpened");
    QTest::newRow("Ok opens the help page") << int(QMessageBox::Ok) << 1;
    QTest::newRow("Cancel opens nothing") << int(QMessageBox::Cancel) << 0;
}

void TestSpeakPanel::withoutVoiceTheHelpPageIsOffered()
{
    QFETCH(int, answer);
    QFETCH(int, pagesOpened);
    boxes.answer = answer;
    sim::failSpeechCall(sim::SpeechCall::CreateVoice);
    QTest::ignoreMessage(QtWarningMsg, "Could not init voice");
    editor->setPlainText(QStringLiteral("我们"));
    WidgetSpeak panel(editor);
    QCOMPARE(boxes.texts(), QStringList{"tts error, click ok to get more info."});
    QCOMPARE(boxes.boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(boxes.boxes.first().buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QTRY_COMPARE(openedUrls.size(), pagesOpened);
    if (pagesOpened)
        QCOMPARE(openedUrls.first().toString(), client->getWebUrl(URL_TTS, QString()));
    QVERIFY(!panel.findChild<QToolButton*>(QStringLiteral("btnSpeak"))->isEnabled());
    panel.show();
    press(editor, Qt::Key_Space);
    press(editor, Qt::Key_PageDown);
    QTest::qWait(50);
    QCOMPARE(sim::beepCount(), 0);           // nothing started, nothing ended
    QVERIFY(sim::spokenTexts().empty());
}

void TestSpeakPanel::failingSpeakStopsReading()
{
    editor->setPlainText(QStringLiteral("我们"));
    editor->moveCursor(QTextCursor::Start);
    WidgetSpeak panel(editor);
    panel.show();
    sim::failSpeechCall(sim::SpeechCall::Speak);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ISpVoice::Speak failed"));
    press(editor, Qt::Key_Space);
    sim::resetSpeech();
    sim::setSpeechOutput(sim::SpeechOutput::Stepped);
    // Reading stopped on the failure: Space starts it again rather than stopping it.
    press(editor, Qt::Key_Space);
    QCOMPARE(spokenWithoutMarkup(), QStringList{"我们"});
    sim::releaseSpeechEvents(10000);
    QTRY_COMPARE(sim::beepCount(), 2);
}

QTEST_MAIN(TestSpeakPanel)
#include "tst_speakpanel.moc"
