#include <QAction>
#include <QtTest>

#include "actions.h"
#include "checkerclient.h"
#include "dialogsetting.h"
#include "initui.h"
#include "systemtrayicon.h"

// The shell's windows speak Chinese once the library's catalogue is installed.
class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void texts_data();
    void texts();
    void windowsUseCatalogue();
};

void TestCatalogue::initTestCase()
{
    initUI();
}

void TestCatalogue::texts_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("chinese");
    QTest::newRow("check command") << "Actions" << "Check Current Page" << "校对本页";
    QTest::newRow("page count kept") << "Actions" << "Check Next %1 Pages" << "校对后 %1 页";
    QTest::newRow("remove all in the button's context") << "DialogFloat" << "Remove All" << "清除校对结果";
    QTest::newRow("settings error") << "DialogSetting" << "local server setting error"
                                    << "校对服务器设置错误，请重新设置。";
    QTest::newRow("clear button") << "KeySequenceEdit" << "Clear" << "清除快捷键";
}

void TestCatalogue::texts()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, chinese);
    QCOMPARE(QCoreApplication::translate(context.toLatin1(), source.toLatin1()), chinese);
}

void TestCatalogue::windowsUseCatalogue()
{
    QCOMPARE(getActions()->actionExit->text(), QStringLiteral("退出"));
    DialogSetting dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Korrelo-设置"));
    SystemTrayIcon icon;
    QCOMPARE(icon.toolTip(), QStringLiteral("Korrelo-校对助手 ") + getCheckerClient()->getClientVer());
}

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
