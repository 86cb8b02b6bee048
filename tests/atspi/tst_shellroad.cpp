// The whole road on the real desktop: a GTK editor is focused, the command "Check Current Page" runs,
// and the editor's text goes to the writing window, since that editor cannot show marks.
#include <QAction>
#include <QtTest>

#include "actions.h"
#include "atspi/atspidesktop.h"
#include "buscommands.h"
#include "clientfixture.h"
#include "editormanager.h"
#include "msaaclienthelper.h"
#include "uiaclienthelper.h"
#include "dialogwriter.h"
#include "texteditex.h"

using buscommands::run;

class TestShellRoad : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void checkCurrentPageOpensWriterWithFieldText();

private:
    QProcess busLauncher;
    QProcess editor;
    QTemporaryDir dir;
    UIAClientHelper* uia = nullptr;
    MSAAClientHelper* msaa = nullptr;
};

void TestShellRoad::initTestCase()
{
    QVERIFY(buscommands::startBusLauncher(busLauncher));
    QTRY_VERIFY_WITH_TIMEOUT(buscommands::setAccessibility(true), 10000);
    QVERIFY(atspi_detail::AtspiDesktop::instance());
    QVERIFY(startClient());
    // Made once the manager has set up COM on this thread, as the tray program does.
    EditorManager* manager = getEditorManager();
    uia = new UIAClientHelper;
    msaa = new MSAAClientHelper;
    manager->addClientHelper(uia);
    manager->addClientHelper(msaa);
}

void TestShellRoad::cleanupTestCase()
{
    delete getEditorManager();
    delete uia;
    delete msaa;
    stopClient();
    editor.kill();
    editor.waitForFinished();
    busLauncher.terminate();
    QVERIFY(busLauncher.waitForFinished());
}

void TestShellRoad::checkCurrentPageOpensWriterWithFieldText()
{
    const QString text = QStringLiteral("他门在会议上讨论了计划😀，第二句也有错字。\n下一行。");
    const QString window = buscommands::startTextEditor(editor, dir.filePath(QStringLiteral("page.txt")),
                                                        QStringLiteral("Korrelo shell road"), text);
    QVERIFY(!window.isEmpty());
    QVERIFY(buscommands::focusUntil(window,
                                    [this] { return getEditorManager()->getActiveHelper() == uia; }));

    getActions()->actionCheckCurrentPage->trigger();
    DialogWriter* writer = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<DialogWriter*>(widget); candidate && candidate->isVisible())
            writer = candidate;
    }
    QVERIFY(writer);
    auto* edit = writer->findChild<TextEditEx*>(QStringLiteral("textEdit"));
    QVERIFY(edit);
    QCOMPARE(edit->toPlainText(), text);
    QVERIFY(!edit->document()->isModified());
    writer->close();
}

QTEST_MAIN(TestShellRoad)
#include "tst_shellroad.moc"
