#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

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
    ParsedLogger logger;
    logger.name = name.toStdString();
    QString text = describe(logger);
    for (const QString& setting : changed.split(' ', Qt::SkipEmptyParts)) {
        const QString key = setting.section('=', 0, 0);
        text.replace(QRegularExpression("\\b" + key + "=\\S*"), setting);
    }
    return text;
}

} // namespace

class TestFilelogConfig : public QObject
{
    Q_OBJECT

private slots:
    void parsesSettings_data();
    void parsesSettings();
    void warnsAboutProblems_data();
    void warnsAboutProblems();
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

    QTest::newRow("main in any case") << QByteArray("[mAIn]\nlevel=WARNING") << "Main"
                                      << defaultsWith("Main", "level=3");
    QTest::newRow("unknown level word keeps level") << QByteArray("[a]\nlevel=info\nlevel=loud") << "a"
                                                    << defaultsWith("a", "level=2");
    QTest::newRow("empty display is true") << QByteArray("[a]\ndisplay=false\ndisplay=") << "a"
                                           << defaultsWith("a", "display=1");
    QTest::newRow("false words") << QByteArray("[a]\ndisplay=FALSE\noutfile=0\nenable=0\nmonthdir=yes\nfileline=no")
                                 << "a" << defaultsWith("a", "display=0 outfile=0 enable=0 monthdir=1 fileline=1");
    QTest::newRow("limitsize not a number") << QByteArray("[a]\nlimitsize=big") << "a"
                                            << defaultsWith("a", "limitsize=0");
    QTest::newRow("limitsize leading number") << QByteArray("[a]\nlimitsize= 12mb") << "a"
                                              << defaultsWith("a", "limitsize=12");
    QTest::newRow("limitsize huge clamps") << QByteArray("[a]\nlimitsize=99999999999999") << "a"
                                           << defaultsWith("a", "limitsize=2147483647");
    QTest::newRow("path and name keep case") << QByteArray("[a]\nPATH = ./Logs/Net\nName=NetLog") << "a"
                                             << defaultsWith("NetLog", "path=./Logs/Net");
    QTest::newRow("blanks, tabs and CR LF") << QByteArray("\t[ net ]\t\r\n  level\t=  Alarm \r\n") << "net"
                                            << defaultsWith("net", "level=5");
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[main]\nlevel=error") << "Main"
                                     << defaultsWith("Main", "level=4");
    QTest::newRow("comments ignored") << QByteArray("[a]\n# level=fatal\n#display=false") << "a" << defaultsWith("a", "");
    QTest::newRow("repeated section continues") << QByteArray("[a]\nlevel=error\n[b]\n[a]\ndisplay=0") << "a"
                                                << defaultsWith("a", "level=4 display=0");
}

void TestFilelogConfig::parsesSettings()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, section);
    QFETCH(QString, expected);

    StdoutCapture capture;
    const auto sections = LogConfig::parse(text.toStdString());
    const auto found = sections.find(section.toStdString());
    QVERIFY(found != sections.end());
    QCOMPARE(QString::fromStdString(found->second.key), section);
    QCOMPARE(describe(found->second), expected);
}

void TestFilelogConfig::warnsAboutProblems_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("clean") << QByteArray("[a]\r\nlevel=info\r\n") << QByteArray();
    QTest::newRow("setting before any section")
        << QByteArray("# logging\nlevel = info\n[a]")
        << QByteArray("filelog configure warning: not found current logger name:[] at line:2, key=level, value=info \r\n");
    QTest::newRow("duplicate key, CR LF counts two lines")
        << QByteArray("[a]\r\n[b]\r\n[A]\r\n[a]\r\n")
        << QByteArray("filelog configure warning: duplicate logger key:[a] at line: 7 \r\n");
}

void TestFilelogConfig::warnsAboutProblems()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);

    StdoutCapture capture;
    LogConfig::parse(text.toStdString());
    QCOMPARE(QByteArray::fromStdString(capture.text()), expected);
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
    QCOMPARE(QByteArray::fromStdString(capture.text()),
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
    QTest::newRow("one byte changed") << QByteArray("[a]\nenable=1\n[b]\nenable=0")
                                      << QByteArray("[a]\nenable=1\n[b]\nenable=1") << true << true;
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
    auto writeConfig = [&](const QByteArray& text) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    LogerManager manager;
    {
        StdoutCapture capture;
        QVERIFY(!manager.reloadConfig());
        QCOMPARE(QByteArray::fromStdString(capture.text()),
                 QByteArray(" !!! !!! !!! !!!\r\n !!! !!! filelog load config file error. filename=  !!! !!! \r\n !!! !!! !!! !!!\r\n"));
    }
    writeConfig("[net]\nlevel=info\n");
    const QByteArray file = path.toUtf8();
    QVERIFY(manager.configFromFile(file.constData()));
    QCOMPARE(manager.findLoggerId("net"), 1);
    {
        StdoutCapture capture;
        QVERIFY(!manager.configFromFile("other.ini"));
        QCOMPARE(QByteArray::fromStdString(capture.text()),
                 " !!! !!! !!! !!!\r\n !!! !!! filelog configure error: too many calls to Config. the old config file="
                     + file + ",  the new config file=other.ini !!! !!! \r\n !!! !!! !!! !!!\r\n");
    }

    // An update changes known loggers and creates none.
    writeConfig("[net]\nenable=false\n[db]\n");
    QVERIFY(manager.reloadConfig());
    QCOMPARE(manager.findLoggerId("db"), -1);
    QVERIFY(!manager.isLoggerEnabled(1));

    QVERIFY(QFile::remove(path));
    StdoutCapture capture;
    QVERIFY(!manager.reloadConfig());
    QVERIFY(capture.text().find("filelog load config file error. filename=" + file.toStdString()) != std::string::npos);

    LogerManager fresh;
    QVERIFY(!fresh.configFromFile(file.constData()));
}

void TestFilelogConfig::rereadsConfigFileWhenDue()
{
    QTemporaryDir dir;
    const QByteArray path = dir.filePath("log.ini").toUtf8();
    auto writeConfig = [&](const QByteArray& text) {
        QFile file(QString::fromUtf8(path));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    std::atomic<qint64> now{1565870400000};
    LogerManager manager;
    manager.setClock([&now] { return now.load(); });
    writeConfig("[main]\ndisplay=false\npath=" + dir.filePath("main").toUtf8() + "\n[net]\noutfile=0\n");
    QVERIFY(manager.configFromFile(path.constData()));
    QVERIFY(manager.setUpdateInterval(60));
    manager.setSynchronous(false);
    QVERIFY(manager.start());

    writeConfig("[main]\ndisplay=false\npath=" + dir.filePath("main").toUtf8() + "\n[net]\nenable=false\n");
    QTest::qWait(150);
    QVERIFY(manager.isLoggerEnabled(1));   // not due yet
    now += 61000;
    QTRY_VERIFY(!manager.isLoggerEnabled(1));
    QVERIFY(manager.stop());
}

QTEST_GUILESS_MAIN(TestFilelogConfig)
#include "tst_filelog_config.moc"
