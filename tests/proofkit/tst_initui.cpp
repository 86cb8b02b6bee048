#include <QtTest>

#include <QApplication>
#include <QImage>
#include <QStyle>
#include <QStyleFactory>

#include <memory>
#include <QTranslator>

#include "initui.h"

namespace {

QStringList warnings;

void recordMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtDebugMsg)
        warnings << text;
}

} // namespace

class TestInitUI : public QObject
{
    Q_OBJECT
private slots:
    void englishWithoutCatalogue();
    void firstCallPreparesApplication();
    void catalogueTranslates_data();
    void catalogueTranslates();
    void secondCallChangesNothing();
    void resourcesAreCompiledIn();

private:
    static int translatorCount() { return qApp->findChildren<QTranslator*>().size(); }
};

void TestInitUI::englishWithoutCatalogue()
{
    QCOMPARE(QCoreApplication::translate("DialogProgress", "Cancel"), QString("Cancel"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QString("OK"));
}

void TestInitUI::firstCallPreparesApplication()
{
    QApplication* before = qApp;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    initUI();
    qInstallMessageHandler(previous);
    QCOMPARE(warnings, QStringList());   // the program set the scaling attribute already
    QCOMPARE(qApp, before);  // the program's own application is used
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("fusion")));
    QCOMPARE(QApplication::style()->standardPalette(), fusion->standardPalette());
    QCOMPARE(QApplication::font().pointSize(), 9);
    QCOMPARE(QApplication::font().family(), QString("Microsoft Sans Serif"));
    QCOMPARE(qApp->styleSheet(), QString("QPushButton { padding: 0.2em 1em 0.2em 1em; }"));
    QVERIFY(QCoreApplication::testAttribute(Qt::AA_EnableHighDpiScaling));
    QCOMPARE(translatorCount(), 2);
    QVERIFY(QCoreApplication::libraryPaths().contains(QDir(PROOFKIT_DIR).canonicalPath()));
}

void TestInitUI::catalogueTranslates_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("chinese");
    QTest::newRow("own catalogue") << "DialogProgress" << "Cancel" << QString::fromUtf8("取消");
    QTest::newRow("own form text") << "DialogProgress" << "Checking ..." << QString::fromUtf8("正在校对，请稍候 ...");
    QTest::newRow("qt's own texts") << "QPlatformTheme" << "OK" << QString::fromUtf8("确定");
}

void TestInitUI::catalogueTranslates()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, chinese);
    QCOMPARE(QCoreApplication::translate(context.toLatin1(), source.toLatin1()), chinese);
}

void TestInitUI::secondCallChangesNothing()
{
    QStyle* style = QApplication::style();
    const QFont font = QApplication::font();
    const QStringList paths = QCoreApplication::libraryPaths();

    // A program that changed its look after start-up keeps it.
    qApp->setStyleSheet(QStringLiteral("QLabel { color: red; }"));
    initUI();

    QCOMPARE(translatorCount(), 2);
    QCOMPARE(QApplication::style(), style);
    QCOMPARE(QApplication::font(), font);
    QCOMPARE(QCoreApplication::libraryPaths(), paths);
    QCOMPARE(qApp->styleSheet(), QString("QLabel { color: red; }"));
}

void TestInitUI::resourcesAreCompiledIn()
{
    const QImage icon(QStringLiteral(":/images/icon128.png"));
    QCOMPARE(icon.size(), QSize(128, 128));
    QVERIFY(QFile::exists(QStringLiteral(":/fonts/fontawesome-4.7.0.ttf")));
    QVERIFY(QFile::exists(QStringLiteral(":/translations/proofkit_zh_CN.qm")));
    QVERIFY(QFile::exists(QStringLiteral(":/translations/qt_zh_CN.qm")));
}

// As both programs do: the scaling attribute is set before the application is made.
int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QApplication app(argc, argv);
    TestInitUI test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_initui.moc"
