#include <QtTest>

#include "hotkey.h"
#include "sim/systemmetrics.h"
#include "systemmetrics.h"

// The hot-key calls' character table, error texts and what they answer without an X11 display.
class TestHotkey : public QObject
{
    Q_OBJECT
private slots:
    void characterToKey_data();
    void characterToKey();
    void errorTexts_data();
    void errorTexts();
    void lastErrorIsPerThread();
    void withoutDisplay();
    void scrollBarSizes();
};

void TestHotkey::characterToKey_data()
{
    QTest::addColumn<QChar>("ch");
    QTest::addColumn<int>("result");
    QTest::newRow("lower-case letter") << QChar('w') << 0x57;
    QTest::newRow("upper-case letter needs Shift") << QChar('W') << 0x157;
    QTest::newRow("digit") << QChar('0') << 0x30;
    QTest::newRow("shifted digit") << QChar('(') << 0x139;
    QTest::newRow("semicolon") << QChar(';') << 0xBA;
    QTest::newRow("colon") << QChar(':') << 0x1BA;
    QTest::newRow("quote") << QChar('\'') << 0xDE;
    QTest::newRow("tilde") << QChar('~') << 0x1C0;
    QTest::newRow("space") << QChar(' ') << 0x20;
    QTest::newRow("not on the layout") << QChar(0x00E9) << -1;
    QTest::newRow("Chinese character") << QChar(0x4E2D) << -1;
}

void TestHotkey::characterToKey()
{
    QFETCH(QChar, ch);
    QFETCH(int, result);
    QCOMPARE(int(VkKeyScanW(ch.unicode())), result);
}

void TestHotkey::errorTexts_data()
{
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("taken") << uint(ERROR_HOTKEY_ALREADY_REGISTERED) << "Hot key is already registered.";
    QTest::newRow("not held") << uint(ERROR_HOTKEY_NOT_REGISTERED) << "Hot key is not registered.";
    QTest::newRow("no display") << uint(ERROR_NOT_SUPPORTED) << "Global hot keys need an X11 display.";
    QTest::newRow("unknown code") << 4242u << "";
}

void TestHotkey::errorTexts()
{
    QFETCH(uint, code);
    QFETCH(QString, text);
    LPWSTR buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0,
                                        reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    QCOMPARE(QString::fromUtf16(buffer, int(length)).trimmed(), text);
    QCOMPARE(buffer == nullptr, text.isEmpty());
    QVERIFY(LocalFree(buffer) == nullptr);

    // Into a caller's buffer: only when it is large enough for the text and its terminator.
    WCHAR small[8] = {};
    QCOMPARE(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, small, 8, nullptr), DWORD(0));
    WCHAR large[128] = {};
    QCOMPARE(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, large, 128, nullptr), length);
}

void TestHotkey::lastErrorIsPerThread()
{
    SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
    DWORD seenThere = 1;
    QThread* thread = QThread::create([&seenThere] {
        seenThere = GetLastError();
        SetLastError(ERROR_NOT_SUPPORTED);
    });
    thread->start();
    thread->wait();
    delete thread;
    QCOMPARE(seenThere, DWORD(ERROR_SUCCESS));
    QCOMPARE(GetLastError(), DWORD(ERROR_HOTKEY_ALREADY_REGISTERED));
}

void TestHotkey::withoutDisplay()
{
    SetLastError(ERROR_SUCCESS);
    QCOMPARE(RegisterHotKey(nullptr, 0x7657, MOD_CONTROL | MOD_SHIFT, 'W'), FALSE);
    QCOMPARE(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
    QCOMPARE(registeredHotKeyCount(), 0);
    QCOMPARE(UnregisterHotKey(nullptr, 0x7657), FALSE);
    QCOMPARE(GetLastError(), DWORD(ERROR_HOTKEY_NOT_REGISTERED));
}

void TestHotkey::scrollBarSizes()
{
    QCOMPARE(GetSystemMetrics(SM_CXVSCROLL), 17);
    QCOMPARE(GetSystemMetrics(SM_CYHSCROLL), 17);
    sim::setSystemMetric(SM_CXVSCROLL, 22);
    QCOMPARE(GetSystemMetrics(SM_CXVSCROLL), 22);
    QCOMPARE(GetSystemMetrics(SM_CYHSCROLL), 17);
    sim::resetSystemMetrics();
    QCOMPARE(GetSystemMetrics(SM_CXVSCROLL), 17);
}

QTEST_GUILESS_MAIN(TestHotkey)
#include "tst_hotkey.moc"
