#include <QtTest>

#include <atomic>
#include <clocale>
#include <cstdlib>

#include "filelog/logconfig.h"
#include "filelog/logermanager.h"
#include "filelogtesthelpers.h"

using filelog::LogConfig;
using filelog::LogerManager;
using filelog::ParsedLogger;

namespace {

// The parsed settings in one comparable line.
QString describe(const ParsedLogger& logger)
{
    return QString("name=%1 path=%2 level=%3 display=%4 outfile=%5 monthdir=%6 limitsize=%7 enable=%8 fileline=%9 reserve=%10")
        .arg(QString::fromStdString(logger.name), QString::fromStdString(logger.path))
        .arg(logger.level).arg(logger.display).arg(logger.outfile).arg(logger.monthdir)
        .arg(logger.limitsize).arg(logger.enable).arg(logger.fileline).arg(logger.reserve);
}

QString defaultsWith(const QString& name, const QString& changed)
{
    QString text = QString("name=%1 path=./log/ level=1 display=1 outfile=1 monthdir=0 limitsize=100 enable=1 "
                           "fileline=0 reserve=0").arg(name);
    for (const QString& setting : changed.split(' ', Qt::SkipEmptyParts)) {
        const QString key = setting.section('=', 0, 0);
        text.replace(QRegularExpression("\\b" + key + "=\\S*"), setting);
    }
    return text;
}

bool writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

} // namespace

class TestFilelogConfig : public QObject
{
    Q_OBJECT

private slots:
    void parsesSettings_data();
    void parsesSettings();
    void foldsCaseInAsciiUnderATurkishLocale();
    void markInsideBracketsNamesOneLogger_data();
    void markInsideBracketsNamesOneLogger();
    void createsAtMostTwentyLoggers();
    void appliesChangedTextOnly_data();
    void appliesChangedTextOnly();
    void readsConfigFileOnce();
    void rereadsConfigFileWhenDue();
};

void TestFilelogConfig::parsesSettings_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QByteArray>("warning");
    auto row = [](const char* label, const QByteArray& text, const QString& section, const QString& changed,
                  const QByteArray& warning = QByteArray()) {
        QTest::newRow(label) << text << section << defaultsWith(section, changed) << warning;
    };
    row("main in any case", "[mAIn]\nlevel=WARNING", "Main", "level=3");
    row("unknown level word keeps level", "[a]\nlevel=info\nlevel=loud", "a", "level=2");
    row("empty display is true", "[a]\ndisplay=false\ndisplay=", "a", "display=1");
    row("false words", "[a]\ndisplay=FALSE\noutfile=0\nenable=0\nmonthdir=yes\nfileline=no", "a",
        "display=0 outfile=0 enable=0 monthdir=1 fileline=1");
    row("limitsize not a number", "[a]\nlimitsize=big", "a", "limitsize=0");
    row("limitsize leading number", "[a]\nlimitsize= 12mb", "a", "limitsize=12");
    row("limitsize huge clamps", "[a]\nlimitsize=99999999999999", "a", "limitsize=2147483647");
    row("path and name keep case", "[a]\nPATH = ./Logs/Net\nName=NetLog", "a", "name=NetLog path=./Logs/Net");
    row("blanks, tabs and CR LF", "\t[ net ]\t\r\n  level\t=  Alarm \r\n", "net", "level=5");
    row("byte-order mark", "\xEF\xBB\xBF[main]\nlevel=error", "Main", "level=4");
    row("byte-order mark inside brackets", "[\xEF\xBB\xBF a]\nlevel=info", "a", "level=2");
    row("byte-order mark before main inside brackets", "[\xEF\xBB\xBFmain]\nlevel=error", "Main", "level=4");
    row("comments ignored", "[a]\n# level=fatal\n#display=false", "a", "");
    row("repeated section continues", "[a]\nlevel=error\n[b]\n[a]\ndisplay=0", "a", "level=4 display=0",
        "filelog configure warning: duplicate logger key:[a] at line: 4 \r\n");
    row("setting before any section", "# logging\nlevel = info\n[a]", "a", "",
        "filelog configure warning: not found current logger name:[] at line:2, key=level, value=info \r\n");
    row("duplicate key, CR LF counts two lines", "[a]\r\n[b]\r\n[A]\r\n[a]\r\n", "a", "",
        "filelog configure warning: duplicate logger key:[a] at line: 7 \r\n");
}

void TestFilelogConfig::parsesSettings()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, section);
    QFETCH(QString, expected);
    QFETCH(QByteArray, warning);

    StdoutCapture capture;
    const auto sections = LogConfig::parse(text.toStdString());
    const auto found = sections.find(section.toStdString());
    QVERIFY(found != sections.end());
    QCOMPARE(QString::fromStdString(found->second.key), section);
    QCOMPARE(describe(found->second), expected);
    QCOMPARE(capture.text(), warning);
}

void TestFilelogConfig::foldsCaseInAsciiUnderATurkishLocale()
{
    // Qt programs take the locale from LANG; under Turkish rules 'I' does not fold to 'i'.
    QTemporaryDir locales;
    QProcess build;
    build.start("localedef", {"-i", "tr_TR", "-f", "UTF-8", locales.filePath("tr_TR.UTF-8")});
    if (!build.waitForFinished(120000) || build.exitCode() != 0)
        QSKIP("cannot build a Turkish locale here");
    const QByteArray previousPath = qgetenv("LOCPATH");
    qputenv("LOCPATH", locales.path().toUtf8());
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    QVERIFY(std::setlocale(LC_ALL, "tr_TR.UTF-8"));
    const auto sections = LogConfig::parse("[MAIN]\nLEVEL=INFO\nDISPLAY=FALSE\nFILELINE=TRUE");
    std::setlocale(LC_ALL, previous.c_str());
    qputenv("LOCPATH", previousPath);

    QCOMPARE(int(sections.size()), 1);
    QCOMPARE(sections.begin()->first, std::string("Main"));
    QCOMPARE(describe(sections.begin()->second), defaultsWith("Main", "level=2 display=0 fileline=1"));
}

void TestFilelogConfig::markInsideBracketsNamesOneLogger_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("reloaded");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("active");   // loggers still on after the reload
    QTest::newRow("reload switches the logger off") << QByteArray("[\xEF\xBB\xBF" "a]\n")
                                                    << QByteArray("[\xEF\xBB\xBF" "a]\nenable=false\n") << "a" << 1 << 1;
    QTest::newRow("main stays the one main logger") << QByteArray("[\xEF\xBB\xBFmain]\n")
                                                    << QByteArray("[\xEF\xBB\xBFmain]\nenable=false\n") << "Main" << 0 << 0;
    QTest::newRow("two marks") << QByteArray("[\xEF\xBB\xBF\xEF\xBB\xBF" "a]\n")
                               << QByteArray("[\xEF\xBB\xBF\xEF\xBB\xBF" "a]\nenable=0\n") << "a" << 1 << 1;
}

void TestFilelogConfig::markInsideBracketsNamesOneLogger()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, reloaded);
    QFETCH(QString, key);
    QFETCH(int, id);
    QFETCH(int, active);
    QTemporaryDir dir;
    const QString path = dir.filePath("log.ini");
    LogerManager manager;
    QVERIFY(writeFile(path, first));
    QVERIFY(manager.configFromFile(path.toUtf8().constData()));
    QCOMPARE(manager.findLoggerId(key.toUtf8().constData()), id);
    QVERIFY(manager.isLoggerEnabled(id));
    QVERIFY(writeFile(path, reloaded));
    QVERIFY(manager.reloadConfig());
    QVERIFY(!manager.isLoggerEnabled(id));
    QCOMPARE(manager.activeLoggerCount(), active);
}

void TestFilelogConfig::createsAtMostTwentyLoggers()
{
    LogerManager manager;
    QCOMPARE(manager.findLoggerId("Main"), 0);
    QCOMPARE(manager.createLogger(nullptr), -1);
    for (int id = 1; id < filelog::LOGGER_MAX; ++id)
        QCOMPARE(manager.createLogger(QByteArray("logger" + QByteArray::number(id)).constData()), id);
    QCOMPARE(manager.createLogger(" logger7\t"), 7);
    QCOMPARE(manager.activeLoggerCount(), filelog::LOGGER_MAX);

    StdoutCapture capture;
    QCOMPARE(manager.createLogger("one too many"), -1);
    QCOMPARE(capture.text(),
             QByteArray("filelog: CreateLogger can not create|writeover, because loggerid need < LOGGER_MAX! \r\n"));
    QCOMPARE(manager.findLoggerId("one too many"), -1);

    LogerManager small;
    QVERIFY(!small.setLoggerLevel(1, 0));   // beyond the last logger in use
    QVERIFY(!small.setLoggerPath(0, nullptr));
    QVERIFY(!small.setLoggerName(0, std::string(8192, 'n').c_str()));
}

void TestFilelogConfig::appliesChangedTextOnly_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<bool>("aEnabled");
    QTest::addColumn<bool>("bEnabled");

    // Between the two texts "a" is switched off by hand; only a changed text switches it back.
    QTest::newRow("same text skipped") << QByteArray("[a]\nenable=1\n[b]\nenable=0")
                                       << QByteArray("[a]\nenable=1\n[b]\nenable=0") << false << false;
    QTest::newRow("swapped values have the same byte sum")
        << QByteArray("[a]\nenable=0\n[b]\nenable=1") << QByteArray("[a]\nenable=1\n[b]\nenable=0") << true << false;
}

void TestFilelogConfig::appliesChangedTextOnly()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(bool, aEnabled);
    QFETCH(bool, bEnabled);

    LogerManager manager;
    QVERIFY(manager.configFromString(first.constData()));
    const int a = manager.findLoggerId("a");
    const int b = manager.findLoggerId("b");
    QVERIFY(a > 0 && b > 0);
    QVERIFY(manager.setLoggerEnabled(a, false));
    QVERIFY(manager.configFromString(second.constData()));
    QCOMPARE(manager.isLoggerEnabled(a), aEnabled);
    QCOMPARE(manager.isLoggerEnabled(b), bEnabled);
}

void TestFilelogConfig::readsConfigFileOnce()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("log.ini");
    LogerManager manager;
    {
        StdoutCapture capture;
        QVERIFY(!manager.reloadConfig());
        QCOMPARE(capture.text(),
                 QByteArray(" !!! !!! !!! !!!\r\n !!! !!! filelog load config file error. filename=  !!! !!! \r\n !!! !!! !!! !!!\r\n"));
    }
    QVERIFY(writeFile(path, "[net]\nlevel=info\n"));
    const QByteArray file = path.toUtf8();
    QVERIFY(manager.configFromFile(file.constData()));
    QCOMPARE(manager.findLoggerId("net"), 1);
    {
        StdoutCapture capture;
        QVERIFY(!manager.configFromFile("other.ini"));
        QCOMPARE(capture.text(),
                 " !!! !!! !!! !!!\r\n !!! !!! filelog configure error: too many calls to Config. the old config file="
                     + file + ",  the new config file=other.ini !!! !!! \r\n !!! !!! !!! !!!\r\n");
    }

    // An update changes known loggers and creates none.
    QVERIFY(writeFile(path, "[net]\nenable=false\n[db]\n"));
    QVERIFY(manager.reloadConfig());
    QCOMPARE(manager.findLoggerId("db"), -1);
    QVERIFY(!manager.isLoggerEnabled(1));

    QVERIFY(QFile::remove(path));
    StdoutCapture capture;
    QVERIFY(!manager.reloadConfig());
    QVERIFY(capture.text().contains("filelog load config file error. filename=" + file));

    LogerManager fresh;
    QVERIFY(!fresh.configFromFile(file.constData()));
}

void TestFilelogConfig::rereadsConfigFileWhenDue()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("log.ini");
    const QByteArray main = "[main]\ndisplay=false\npath=" + dir.filePath("main").toUtf8();
    std::atomic<qint64> now{1565870400000};
    LogerManager manager;
    manager.setClock([&now] { return now.load(); });
    QVERIFY(writeFile(path, main + "\n[net]\noutfile=0\n"));
    QVERIFY(manager.configFromFile(path.toUtf8().constData()));
    QVERIFY(manager.setUpdateInterval(60));
    manager.setSynchronous(false);
    QVERIFY(manager.start());

    QVERIFY(writeFile(path, main + "\n[net]\nenable=false\n"));
    QTest::qWait(150);
    QVERIFY(manager.isLoggerEnabled(1));   // not due yet
    now += 61000;
    QTRY_VERIFY(!manager.isLoggerEnabled(1));
    QVERIFY(manager.stop());
}

QTEST_GUILESS_MAIN(TestFilelogConfig)
#include "tst_filelog_config.moc"
