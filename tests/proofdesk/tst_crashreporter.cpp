#include <QtTest>

#include "crashdouble.h"
#include "crashreporter.h"
#include "library.h"

namespace {
QString text(const std::u16string& s) { return QString::fromStdU16String(s); }

// The double's record, reached through the same loaded library the reporter uses; the library stays
// loaded for the rest of the run, as the reporter's does.
CrashDoubleState* doubleState(const WCHAR* library)
{
    HMODULE module = LoadLibraryW(library);
    if (!module)
        return nullptr;
    auto state = reinterpret_cast<PFNCRASHDOUBLESTATE>(GetProcAddress(module, "crashDoubleState"));
    return state ? state() : nullptr;
}

const std::u16string fullDouble = QStringLiteral(CRASHDOUBLE_FULL).toStdU16String();
const std::u16string partialDouble = QStringLiteral(CRASHDOUBLE_PARTIAL).toStdU16String();

CrashDoubleState* freshDouble()
{
    CrashDoubleState* state = doubleState(fullDouble.c_str());
    if (state)
        *state = CrashDoubleState();
    return state;
}
}

class TestCrashReporter : public QObject
{
    Q_OBJECT
private slots:
    void failedInstallLeavesNothing_data();
    void failedInstallLeavesNothing();
    void recordCarriesTheProgramsSetUp();
    void callbackDecides_data();
    void callbackDecides();
};

void TestCrashReporter::failedInstallLeavesNothing_data()
{
    QTest::addColumn<int>("library");  // 0: the real one, absent beside tests; 1: lacking an entry point
    QTest::addColumn<int>("installCalls");
    // First: once a double is loaded, its name is found among the loaded libraries.
    QTest::newRow("no library") << 0 << 0;
    QTest::newRow("missing entry point") << 1 << 0;
    QTest::newRow("installation refused") << 2 << 1;
}

void TestCrashReporter::failedInstallLeavesNothing()
{
    QFETCH(int, library);
    QFETCH(int, installCalls);
    const WCHAR* path = library == 1 ? partialDouble.c_str() : fullDouble.c_str();
    if (library == 2)
        freshDouble()->installResult = 1;
    CrashReporter reporter;
    QVERIFY(library ? !reporter.install(u"Korrelo", path) : !reporter.install(u"Korrelo"));
    QCOMPARE(reporter.isLoaded(), library != 0);
    QVERIFY(!reporter.isInstalled());
    if (library == 0) {
        reporter.uninstall();  // harmless without the library
        InstallCrashReporter(u"Korrelo");
        UninstallCrashReporter();
        return;
    }
    const CrashDoubleState* state = doubleState(path);
    QCOMPARE(state->installCalls, installCalls);
    QCOMPARE(state->callbackCalls, 0);
}

void TestCrashReporter::recordCarriesTheProgramsSetUp()
{
    const QString reportFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                 + QStringLiteral("/Korrelo/crash");
    QDir(reportFolder).removeRecursively();
    QVERIFY(freshDouble());
    CrashReporter reporter;
    QVERIFY(reporter.install(u"Korrelo", fullDouble.c_str()));
    const CrashDoubleState* state = doubleState(fullDouble.c_str());
    QCOMPARE(state->installCalls, 1);
    QCOMPARE(state->cb, UINT(sizeof(CR_INSTALL_INFOW)));
    QCOMPARE(text(state->appName), QStringLiteral("Korrelo"));
    QCOMPARE(text(state->appVersion), QStringLiteral("2.1.0.1545"));
    QCOMPARE(text(state->subject), QStringLiteral("Korrelo-2.1.0.1545-crash"));
    QCOMPARE(state->flags, DWORD(0x851FFF));
    QCOMPARE(state->dumpType, DWORD(0x41175));
    QCOMPARE(state->priorities[CR_HTTP], 1u);
    QCOMPARE(state->priorities[CR_SMTP], 3u);
    QCOMPARE(state->priorities[CR_SMAPI], 2u);
    QCOMPARE(text(state->url), text(crashDoubleNull));
    // No credential is built in: the mail fields stay empty unless the build configures them.
    QCOMPARE(text(state->emailTo), text(crashDoubleNull));
    QCOMPARE(text(state->smtpProxy), text(crashDoubleNull));
    QCOMPARE(text(state->smtpLogin), text(crashDoubleNull));
    QCOMPARE(text(state->smtpPassword), text(crashDoubleNull));
    QCOMPARE(text(state->saveDir), reportFolder);
    QVERIFY(QFileInfo(reportFolder).isDir());
    QCOMPARE(text(state->restartCommand), QCoreApplication::applicationFilePath());
    QCOMPARE(state->callbackCalls, 1);
    QVERIFY(state->callback == &CrashReportCallback);
    reporter.uninstall();
    QCOMPARE(state->uninstallCalls, 1);
}

void TestCrashReporter::callbackDecides_data()
{
    QTest::addColumn<bool>("withInfo");
    QTest::addColumn<bool>("withException");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("continues");
    QTest::newRow("no information") << false << false << 0 << CR_CB_CANCEL << false;
    QTest::newRow("no exception details") << true << false << 0 << CR_CB_CANCEL << true;
    QTest::newRow("structured exception") << true << true << CR_SEH_EXCEPTION << CR_CB_CANCEL << true;
    QTest::newRow("terminate call") << true << true << CR_CPP_TERMINATE_CALL << CR_CB_CANCEL << true;
    QTest::newRow("unexpected call") << true << true << CR_CPP_UNEXPECTED_CALL << CR_CB_DODEFAULT << false;
    QTest::newRow("invalid parameter") << true << true << CR_CPP_INVALID_PARAMETER << CR_CB_DODEFAULT << false;
}

void TestCrashReporter::callbackDecides()
{
    QFETCH(bool, withInfo);
    QFETCH(bool, withException);
    QFETCH(int, type);
    QFETCH(int, answer);
    QFETCH(bool, continues);
    CR_EXCEPTION_INFO exception{sizeof(CR_EXCEPTION_INFO), type, 0};
    CR_CRASH_CALLBACK_INFOW info{};
    info.cb = sizeof info;
    info.pExceptionInfo = withException ? &exception : nullptr;
    QCOMPARE(CrashReportCallback(withInfo ? &info : nullptr), answer);
    QCOMPARE(bool(info.bContinueExecution), continues);
}

QTEST_GUILESS_MAIN(TestCrashReporter)
#include "tst_crashreporter.moc"
