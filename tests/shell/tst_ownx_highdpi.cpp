#include <QtTest>

#include "clientfixture.h"
#include "desktopfixture.h"

// At scale factor 2 the layouts made for scale 1 are larger than the screen; under openbox on an X
// server of this test's own every window must still open inside the available area.
class TestHighDpiX : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void firstShowFitsTheScreen_data();
    void firstShowFitsTheScreen();

private:
    Openbox windowManager;
};

void TestHighDpiX::initTestCase()
{
    QVERIFY(QGuiApplication::platformName() == QLatin1String("xcb"));
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    QVERIFY(windowManager.start());
    QVERIFY(startClient());
}

void TestHighDpiX::cleanupTestCase()
{
    stopClient();
}

void TestHighDpiX::firstShowFitsTheScreen_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("writing window") << "writing window";
    QTest::newRow("tips window") << "tips window";
    QTest::newRow("settings") << "settings";
    QTest::newRow("error list") << "error list";
}

void TestHighDpiX::firstShowFitsTheScreen()
{
    QFETCH(QString, kind);
    QSettings("Korrelo", "client").clear();
    std::unique_ptr<QWidget> window = makeWindow(kind);
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(framed(window.get()), 20000);
    QTRY_VERIFY2_WITH_TIMEOUT(available().contains(window->frameGeometry()),
                              qPrintable(QStringLiteral("%1,%2 %3x%4")
                                             .arg(window->frameGeometry().x())
                                             .arg(window->frameGeometry().y())
                                             .arg(window->frameGeometry().width())
                                             .arg(window->frameGeometry().height())),
                              20000);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHighDpiX test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ownx_highdpi.moc"
