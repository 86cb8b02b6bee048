// The whole road on the real desktop: a GTK editor is focused, the command "Check Current Page" runs,
// and the editor's text goes to the writing window, since that editor cannot show marks.
#include <QAction>
#include <QtTest>

#include "actions.h"
#include "busshell.h"
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
    BusShell shell;
    QProcess editor;
    QTemporaryDir dir;
};

void TestShellRoad::initTestCase()
{
    QVERIFY(shell.start(*this));
}

void TestShellRoad::cleanupTestCase()
{
    editor.kill();
    editor.waitForFinished();
    QVERIFY(shell.stop(*this));
}

void TestShellRoad::checkCurrentPageOpensWriterWithFieldText()
{
    const QString text = QStringLiteral("他门在会议上讨论了计划😀，第二句也有错字。\n下一行。");
    const QString window = buscommands::startTextEditor(editor, dir.filePath(QStringLiteral("page.txt")),
                                                        QStringLiteral("Korrelo shell road"), text);
    QVERIFY(!window.isEmpty());
    QVERIFY(buscommands::focusUntil(window,
                                    [this] { return getEditorManager()->getActiveHelper() == shell.uia; }));

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
