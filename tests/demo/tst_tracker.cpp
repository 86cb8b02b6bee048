#include <QtTest>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "actions.h"
#include "clientfixture.h"
#include "contextshow.h"
#include "demoscene.h"
#include "demowindow.h"
#include "dialogwriter.h"
#include "editormanager.h"
#include "errorslist.h"
#include "errorslistgroup.h"
#include "errorslistitem.h"
#include "sim/word.h"
#include "wordclienthelper.h"
#include "wordobjects.h"

namespace {
ContextShow* visiblePopup()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* popup = qobject_cast<ContextShow*>(widget); popup && popup->isVisible())
            return popup;
    }
    return nullptr;
}

QString shownWords(ContextShow* popup)
{
    auto* list = popup->findChild<ErrorsList*>();
    return list && !list->groups().isEmpty() ? list->groups().first()->title() : QString();
}

// The marked stretches of the document (neighbouring marks read as one).
QStringList marksOn(sim::WordDocId doc)
{
    const QString text = QString::fromStdU16String(sim::wordText(doc));
    QStringList marks;
    for (const sim::UnderlineRun& run : sim::wordUnderlineRuns(doc)) {
        if (run.underline == sim::Underline{word::wdUnderlineWavyHeavy, 496})
            marks << text.mid(run.start, run.end - run.start);
    }
    return marks;
}
}

// The demonstration as a user meets it: focus in the document, a check through the tray program's
// check command, marks in the editor, the pop-up under the caret's mark, a suggestion applied.
class TestDemoTracker : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void focusCheckMarksPopupApply();
    void showWriterGivesText_data();
    void showWriterGivesText();
};

void TestDemoTracker::initTestCase()
{
    QVERIFY(startClient());
    resetClient();
    QVERIFY(client->login("demo", "demo"));
    getEditorManager()->addClientHelper(new WordClientHelper);
}

void TestDemoTracker::cleanupTestCase()
{
    stopClient();
}

void TestDemoTracker::focusCheckMarksPopupApply()
{
    DemoScene scene;
    DemoWindow* window = scene.windows().value(0);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QApplication::setActiveWindow(window);
    QPlainTextEdit* editor = window->editor();
    editor->setFocus();
    // The pane's focus event reaches the editor manager and the Word tracker takes the pane.
    QTRY_VERIFY(qobject_cast<WordClientHelper*>(getEditorManager()->getActiveHelper()));
    QCOMPARE(getEditorManager()->getActiveEditorParam()->hwnd, sim::wordPane(window->document()));

    // What the floating button, Ctrl+Shift+C and the tray menu's item all trigger.
    getActions()->actionCheckCurrentPage->trigger();
    // Page 1 holds 他门, 以经, 按装, 做为 and a half-width comma; 的的确确 and 1,000 are right.
    QTRY_COMPARE_WITH_TIMEOUT(marksOn(window->document()), (QStringList{"他门", "以经", "按装", "做为", ","}), 30000);
    QCOMPARE(editor->extraSelections().size(), 5);

    // A suggestion applied at the caret's mark leaves every other mark of the page where it was.
    auto applyAt = [&](const QString& words, const QString& expected) {
        QTextCursor caret = editor->textCursor();
        caret.setPosition(editor->toPlainText().indexOf(words) + words.size() / 2);
        editor->setTextCursor(caret);
        QTRY_VERIFY(visiblePopup() && shownWords(visiblePopup()) == words);
        auto* item = visiblePopup()->findChild<ErrorsListItem*>();
        QVERIFY(item);
        item->findChild<QAbstractButton*>(QStringLiteral("btnApply"))->click();
        QTRY_VERIFY(editor->toPlainText().contains(expected));
        QVERIFY(QString::fromStdU16String(sim::wordText(window->document())).contains(expected));
    };
    applyAt(QStringLiteral("他门"), QStringLiteral("本周他们都以经"));
    QTRY_COMPARE(marksOn(window->document()), (QStringList{"以经", "按装", "做为", ","}));
    applyAt(QStringLiteral(","), QStringLiteral("部门，继续"));
    QTRY_COMPARE(marksOn(window->document()), (QStringList{"以经", "按装", "做为"}));
    const QString text = QString::fromStdU16String(sim::wordText(window->document()));
    QVERIFY(text.contains(QStringLiteral("大家的的确确付出")));
    QVERIFY(text.contains(QStringLiteral("预算是1,000元")));
}

void TestDemoTracker::showWriterGivesText_data()
{
    QTest::addColumn<bool>("copyHtml");   // the word processor offers HTML beside the plain text
    QTest::newRow("HTML offered") << true;
    QTest::newRow("plain text only") << false;
}

void TestDemoTracker::showWriterGivesText()
{
    QFETCH(bool, copyHtml);
    DemoScene scene;
    sim::WordAppSpec spec;
    spec.copyHtml = copyHtml;
    sim::setWordAppSpec(scene.application(), spec);
    DemoWindow* window = scene.windows().value(0);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QApplication::setActiveWindow(window);
    window->editor()->setFocus();
    QTRY_VERIFY(qobject_cast<WordClientHelper*>(getEditorManager()->getActiveHelper())
                && getEditorManager()->getActiveEditorParam()->hwnd == sim::wordPane(window->document()));

    // What Ctrl+Shift+W and the tray menu's item trigger while the word processor is followed.
    getActions()->actionShowWriter->trigger();
    DialogWriter* writer = nullptr;
    QTRY_VERIFY((writer = [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<DialogWriter*>(widget); found && found->isVisible())
                return found;
        }
        return static_cast<DialogWriter*>(nullptr);
    }()));
    auto* edit = writer->findChild<QTextEdit*>(QStringLiteral("textEdit"));
    QVERIFY(edit);
    const QString text = edit->toPlainText();
    QVERIFY2(!text.contains(QLatin1Char('<')) && !text.contains(QLatin1String("html")), qPrintable(text));
    QVERIFY2(text.startsWith(QStringLiteral("项目周报")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("预算是1,000元。")));
    writer->close();
    delete writer;
}

QTEST_MAIN(TestDemoTracker)
#include "tst_tracker.moc"
