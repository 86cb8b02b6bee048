#include <QtTest>

#include <QSettings>
#include <QTemporaryDir>

#include "config.h"
#include "settingkeys.h"

class TestConfig : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void roundTrip_data();
    void roundTrip();
    void groupsKeepTheirOwnValues();
    void quitWritesTheStore();
};

void TestConfig::initTestCase()
{
    QSettings store(QStringLiteral("Korrelo"), QStringLiteral("client"));
    store.clear();
    store.sync();
}

void TestConfig::roundTrip_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("bool in root") << "bool" << "" << QVariant(false);
    QTest::newRow("bool in app") << "bool" << SettingKeys::GroupApp << QVariant(true);
    QTest::newRow("int in root") << "int" << "" << QVariant(-42);
    QTest::newRow("string in hotkey") << "string" << SettingKeys::GroupHotkey << QVariant("Ctrl+Shift+W");
    QTest::newRow("chinese string") << "string" << "" << QVariant(QStringLiteral("校对 ü"));
    QTest::newRow("binary with zero bytes") << "binary" << "" << QVariant(QByteArray("\x00\x01\xff", 3));
    QTest::newRow("variant date") << "variant" << "" << QVariant(QDate(2026, 12, 8));
}

void TestConfig::roundTrip()
{
    QFETCH(QString, type);
    QFETCH(QString, group);
    QFETCH(QVariant, value);
    Config config;
    const QString key = QStringLiteral("roundTrip_") + QTest::currentDataTag();
    // Unwritten, each getter gives the default; written, the value.
    if (type == "bool") {
        QCOMPARE(config.getValueBool(key, !value.toBool(), group), !value.toBool());
        config.setValueBool(key, value.toBool(), group);
        QCOMPARE(config.getValueBool(key, !value.toBool(), group), value.toBool());
    } else if (type == "int") {
        QCOMPARE(config.getValueInt(key, 7, group), 7);
        config.setValueInt(key, value.toInt(), group);
        QCOMPARE(config.getValueInt(key, 7, group), value.toInt());
    } else if (type == "string") {
        QCOMPARE(config.getValueString(key, "default", group), QString("default"));
        config.setValueString(key, value.toString(), group);
        QCOMPARE(config.getValueString(key, "default", group), value.toString());
    } else if (type == "binary") {
        QVERIFY(config.getValueBinary(key, group).isEmpty());
        config.setValueBinary(key, value.toByteArray(), group);
        QCOMPARE(config.getValueBinary(key, group), value.toByteArray());
    } else {
        QCOMPARE(config.getValue(key, QVariant(5), group), QVariant(5));
        config.setValue(key, value, group);
        QCOMPARE(config.getValue(key, QVariant(), group), value);
    }
}

void TestConfig::groupsKeepTheirOwnValues()
{
    Config config;
    const QString key = SettingKeys::dictKey(101);
    config.setValueBool(key, true);
    config.setValueBool(key, false, SettingKeys::GroupApp);
    QCOMPARE(config.getValueBool(key, false), true);
    QCOMPARE(config.getValueBool(key, true, SettingKeys::GroupApp), false);

    config.setValueString(QStringLiteral("onlyInHotkey"), QStringLiteral("Ctrl+Shift+C"), SettingKeys::GroupHotkey);
    QCOMPARE(config.getValueString(QStringLiteral("onlyInHotkey"), QStringLiteral("none")), QString("none"));
    // The group bracket is closed again: a later root access is not inside it.
    config.setValueInt(QStringLiteral("rootAfterGroup"), 1);
    QSettings store(QStringLiteral("Korrelo"), QStringLiteral("client"));
    QVERIFY(store.contains(QStringLiteral("rootAfterGroup")));
    QVERIFY(store.contains(QStringLiteral("hotkey/onlyInHotkey")));
}

void TestConfig::quitWritesTheStore()
{
    Config* config = GetConfig();
    QVERIFY(config);
    QCOMPARE(GetConfig(), config);
    const QString file = QSettings(QStringLiteral("Korrelo"), QStringLiteral("client")).fileName();

    // Written as the last window closes: the event loop ends right after, before QSettings would
    // get round to writing on its own.
    QTimer::singleShot(0, [config] {
        config->setValueString(QStringLiteral("WrittenAtQuit"), QStringLiteral("kept"));
        config->setValueInt(QStringLiteral("WrittenAtQuitInApp"), 12, SettingKeys::GroupApp);
        QCoreApplication::quit();
    });
    QCoreApplication::exec();

    // Read the file itself: another QSettings in this process would share the unwritten cache.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString copy = dir.filePath(QStringLiteral("copy.conf"));
    QVERIFY(QFile::copy(file, copy));
    QSettings onDisk(copy, QSettings::IniFormat);
    QCOMPARE(onDisk.value(QStringLiteral("WrittenAtQuit")).toString(), QString("kept"));
    QCOMPARE(onDisk.value(QStringLiteral("app/WrittenAtQuitInApp")).toInt(), 12);
}

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
