#include <QtTest>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
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
#include "widgeterrorlist.h"
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

ErrorsListGroup* listGroup(const QString& title)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && !qobject_cast<ContextShow*>(widget)) {
            if (auto* list = widget->findChild<ErrorsList*>()) {
                for (ErrorsListGroup* group : list->groups()) {
                    if (group->title() == title)
                        return group;
                }
            }
        }
    }
    return nullptr;
}

bool groupLive(ErrorsListGroup* group)
{
    return group && group->findChild<QWidget*>(QStringLiteral("labelTitle"))->isEnabled();
}

QString shownWords(ContextShow* popup)
{
    auto* list = popup->findChild<ErrorsList*>();
    return list && !list->groups().isEmpty() ? list->groups().first()->title() : QString();
}

ContextShow* popupShowing(const QString& words)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* popup = qobject_cast<ContextShow*>(widget);
        if (popup && popup->isVisible() && shownWords(popup) == words)
            return popup;
    }
    return nullptr;
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
    void handFixPageChangeAndUndoInTheEditor();
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

    // What the floating button, its menu's item and Ctrl+Shift+C all trigger.
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

void TestDemoTracker::handFixPageChangeAndUndoInTheEditor()
{
    DemoScene scene;
    DemoWindow* window = scene.windows().value(0);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QApplication::setActiveWindow(window);
    QPlainTextEdit* editor = window->editor();
    editor->setFocus();
    QTRY_VERIFY(qobject_cast<WordClientHelper*>(getEditorManager()->getActiveHelper())
                && getEditorManager()->getActiveEditorParam()->hwnd == sim::wordPane(window->document()));
    getActions()->actionCheckCurrentPage->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(marksOn(window->document()), (QStringList{"他门", "以经", "按装", "做为", ","}), 30000);
    QVERIFY(getEditorManager()->getActiveHelper()->showErrorList(getEditorManager()->getActiveEditorParam()));
    QTRY_VERIFY(listGroup(QStringLiteral(",")));
    auto caretTo = [&](int position) {
        QTextCursor caret = editor->textCursor();
        caret.setPosition(position);
        editor->setTextCursor(caret);
    };

    // The user selects the half-width comma and types the full-width one, then turns to page 2 and back.
    const int comma = editor->toPlainText().indexOf(QStringLiteral("部门,")) + 2;
    QTextCursor selection = editor->textCursor();
    selection.setPosition(comma);
    selection.setPosition(comma + 1, QTextCursor::KeepAnchor);
    editor->setTextCursor(selection);
    // Chinese punctuation comes from the input method.
    QInputMethodEvent typed;
    typed.setCommitString(QStringLiteral("，"));
    QApplication::sendEvent(editor, &typed);
    QTRY_VERIFY(QString::fromStdU16String(sim::wordText(window->document())).contains(QStringLiteral("部门，继续")));
    caretTo(editor->toPlainText().indexOf(QStringLiteral("会议纪要")) + 1);
    // Only page 1 was checked: page 2 carries no mark, and page 1's are taken off meanwhile.
    QTRY_VERIFY(marksOn(window->document()).isEmpty());
    caretTo(1);
    QTRY_COMPARE(marksOn(window->document()), (QStringList{"他门", "以经", "按装", "做为"}));

    // The list's Apply for the comma finds no flagged place left: 1,000 stays as it is.
    ErrorsListGroup* commaGroup = listGroup(QStringLiteral(","));
    QVERIFY(commaGroup);
    auto* list = qobject_cast<WidgetErrorList*>(commaGroup->window());
    QVERIFY(list);
    // As the group's first suggestion asks.
    emit list->apply(QStringLiteral("，"), 0, commaGroup->title(), commaGroup->groupIndex());
    QTRY_VERIFY(!groupLive(commaGroup));
    QVERIFY(editor->toPlainText().contains(QStringLiteral("预算是1,000元")));

    // Corrected from the pop-up, 他门's group is struck at once; the editor's own undo brings it back.
    // The user is back in the document after using the list.
    QApplication::setActiveWindow(window);
    editor->setFocus();
    QTRY_COMPARE(GetFocus(), sim::wordPane(window->document()));
    caretTo(editor->toPlainText().indexOf(QStringLiteral("他门")) + 1);
    // An earlier document's pop-up may still be about: the one showing 他门 is this document's.
    ContextShow* popup = nullptr;
    QTRY_VERIFY((popup = popupShowing(QStringLiteral("他门"))));
    auto* item = popup->findChild<ErrorsListItem*>();
    QVERIFY(item);
    item->findChild<QAbstractButton*>(QStringLiteral("btnApply"))->click();
    QTRY_VERIFY(editor->toPlainText().contains(QStringLiteral("本周他们都")));
    ErrorsListGroup* group = listGroup(QStringLiteral("他门"));
    QTRY_VERIFY(!groupLive(group));
    editor->undo();
    QTRY_VERIFY(QString::fromStdU16String(sim::wordText(window->document())).contains(QStringLiteral("本周他门都")));
    QTRY_VERIFY(groupLive(group));
    QTRY_COMPARE(marksOn(window->document()), (QStringList{"他门", "以经", "按装", "做为"}));
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
    sim::WordAppSpec setup;
    setup.copyHtml = copyHtml;
    sim::setWordAppSpec(scene.application(), setup);
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
