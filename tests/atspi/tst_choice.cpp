// Which desktop a process starts with, and the one line it logs when the bus cannot serve it.
#include <QScopeGuard>
#include <QtTest>

#include "buscommands.h"

using buscommands::run;
using buscommands::setAccessibility;

namespace {

QString busAddress()
{
    QByteArray out;
    run(QStringLiteral("dbus-send"), {QStringLiteral("--session"), QStringLiteral("--print-reply"), QStringLiteral("--dest=org.a11y.Bus"),
                                      QStringLiteral("/org/a11y/bus"), QStringLiteral("org.a11y.Bus.GetAddress")},
        &out);
    return QString::fromUtf8(out).section(QLatin1Char('"'), 1, 1);
}

// Programs registered on the accessibility bus, as its registry counts them.
int programsOnBus()
{
    QByteArray out;
    if (!run(QStringLiteral("dbus-send"), {QStringLiteral("--bus=") + busAddress(), QStringLiteral("--print-reply"),
                                           QStringLiteral("--dest=org.a11y.atspi.Registry"),
                                           QStringLiteral("/org/a11y/atspi/accessible/root"),
                                           QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                                           QStringLiteral("string:org.a11y.atspi.Accessible"), QStringLiteral("string:ChildCount")},
             &out))
        return -1;
    return QString::fromUtf8(out).section(QStringLiteral("int32 "), 1).trimmed().toInt();
}

} // namespace


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
    // A GTK program on the bus, and the display naming the bus for Qt programs.
    QTest::addColumn<bool>("gtkPeer");
    QTest::addColumn<bool>("displayNamesBus");

    const QString noAnswer = QStringLiteral("The accessibility bus does not answer");
    QTest::newRow("bus answers") << QStringList() << true << QStringLiteral("atspi") << QString() << false << false;
    QTest::newRow("bus forced") << QStringList{QStringLiteral("KORRELO_DESKTOP=atspi")} << true
                                << QStringLiteral("atspi") << QString() << false << false;
    QTest::newRow("simulated forced") << QStringList{QStringLiteral("KORRELO_DESKTOP=sim")} << true
                                      << QStringLiteral("sim") << QString() << false << false;
    QTest::newRow("no session bus") << QStringList{QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent")}
                                    << true << QStringLiteral("sim") << noAnswer << false << false;
    QTest::newRow("bus forced without bus")
        << QStringList{QStringLiteral("KORRELO_DESKTOP=atspi"), QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent")}
        << true << QStringLiteral("sim") << noAnswer << false << false;
    QTest::newRow("accessibility off") << QStringList() << false << QStringLiteral("atspi")
                                       << QStringLiteral("Accessibility is switched off") << false << false;
    QTest::newRow("Wayland only") << QStringList{QStringLiteral("DISPLAY="), QStringLiteral("WAYLAND_DISPLAY=wayland-0")}
                                  << true << QStringLiteral("atspi") << QStringLiteral("Wayland session") << false << false;
    // What the bus holds is logged, not what the setting suggests.
    const QString off = QStringLiteral("Accessibility is switched off on this desktop. Programs on the accessibility bus "
                                       "now, besides this one: ");
    QTest::newRow("accessibility off, GTK program on the bus")
        << QStringList() << false << QStringLiteral("atspi")
        << off + QStringLiteral("1. Qt programs join it only once it is switched on.")
        << true << false;
    QTest::newRow("accessibility off, display names the bus")
        << QStringList() << false << QStringLiteral("atspi")
        << off + QStringLiteral("0. Qt programs join it through the display's AT_SPI_BUS property.")
        << false << true;
}

void TestChoice::desktopIsChosenAtStart()
{
    QFETCH(QStringList, environment);
    QFETCH(bool, accessibilityOn);
    QFETCH(QString, chosen);
    QFETCH(QString, logged);

    QFETCH(bool, gtkPeer);
    QFETCH(bool, displayNamesBus);

    QVERIFY(setAccessibility(accessibilityOn));
    QProcess peer;
    if (gtkPeer) {
        peer.start(QStringLiteral("zenity"), {QStringLiteral("--entry"), QStringLiteral("--title=Korrelo choice peer")});
        QVERIFY(peer.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(programsOnBus(), 1, 20000);
    }
    // A client stays connected meanwhile: the virtual X server forgets the root window's properties
    // once its last client leaves.
    QProcess xClient;
    if (displayNamesBus) {
        xClient.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-spy"), QStringLiteral("AT_SPI_BUS")});
        QVERIFY(xClient.waitForStarted());
        // Connected once it has printed the property's present state.
        QVERIFY(xClient.waitForReadyRead(10000));
    }
    if (displayNamesBus)
        QVERIFY(run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-f"), QStringLiteral("AT_SPI_BUS"),
                                              QStringLiteral("8s"), QStringLiteral("-set"), QStringLiteral("AT_SPI_BUS"),
                                              busAddress()}));
    auto tidy = qScopeGuard([&] {
        if (displayNamesBus)
            run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-remove"), QStringLiteral("AT_SPI_BUS")});
        peer.kill();
        peer.waitForFinished();
        xClient.kill();
        xClient.waitForFinished();
    });
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
        QVERIFY2(ours.first().startsWith(logged), qPrintable(ours.first()));
    }
}

QTEST_GUILESS_MAIN(TestChoice)
#include "tst_choice.moc"
