// Which desktop a process starts with, and the one line it logs when the bus cannot serve it.
#include <QtTest>

#include "buscommands.h"

using buscommands::setAccessibility;


class TestChoice : public QObject
{
    Q_OBJECT
private slots:
    void desktopIsChosenAtStart_data();
    void desktopIsChosenAtStart();
};

void TestChoice::desktopIsChosenAtStart_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<bool>("accessibilityOn");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("logged");

    const QString noAnswer = QStringLiteral("The accessibility bus does not answer");
    QTest::newRow("bus answers") << QStringList() << true << QStringLiteral("atspi") << QString();
    QTest::newRow("bus forced") << QStringList{QStringLiteral("KORRELO_DESKTOP=atspi")} << true
                                << QStringLiteral("atspi") << QString();
    QTest::newRow("simulated forced") << QStringList{QStringLiteral("KORRELO_DESKTOP=sim")} << true
                                      << QStringLiteral("sim") << QString();
    QTest::newRow("no session bus") << QStringList{QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent")}
                                    << true << QStringLiteral("sim") << noAnswer;
    QTest::newRow("bus forced without bus")
        << QStringList{QStringLiteral("KORRELO_DESKTOP=atspi"), QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent")}
        << true << QStringLiteral("sim") << noAnswer;
    QTest::newRow("accessibility off") << QStringList() << false << QStringLiteral("atspi")
                                       << QStringLiteral("Accessibility is switched off");
    QTest::newRow("Wayland only") << QStringList{QStringLiteral("DISPLAY="), QStringLiteral("WAYLAND_DISPLAY=wayland-0")}
                                  << true << QStringLiteral("atspi") << QStringLiteral("Wayland session");
}

void TestChoice::desktopIsChosenAtStart()
{
    QFETCH(QStringList, environment);
    QFETCH(bool, accessibilityOn);
    QFETCH(QString, chosen);
    QFETCH(QString, logged);

    QVERIFY(setAccessibility(accessibilityOn));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("KORRELO_DESKTOP"));
    for (const QString& entry : environment)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(ATSPI_CHOICEPROBE), QStringList());
    QVERIFY(probe.waitForFinished(20000));
    QCOMPARE(probe.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()).trimmed(), chosen);
    const QStringList lines = QString::fromUtf8(probe.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList ours = lines.filter(QRegularExpression(QStringLiteral("^(The accessibility|Accessibility is|Wayland)")));
    if (logged.isEmpty()) {
        QVERIFY2(ours.isEmpty(), qPrintable(ours.join(QLatin1Char('\n'))));
    } else {
        QCOMPARE(ours.size(), 1);
        QVERIFY(ours.first().startsWith(logged));
    }
}

QTEST_GUILESS_MAIN(TestChoice)
#include "tst_choice.moc"
