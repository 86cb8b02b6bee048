#include <QtTest>

#include <QAction>
#include <QTemporaryDir>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QToolButton>

#include "../client/clientfixture.h"
#include "actions.h"
#include "config.h"
#include "dialogwriter.h"
#include "dialogweb.h"
#include "contextshow.h"
#include "errorslistgroup.h"
#include "errorslistitem.h"
#include "settingkeys.h"
#include "showsettingwindow.h"
#include "sim/speech.h"
#include "texteditex.h"
#include "widgeterrorlist.h"
#include "widgethistory.h"
#include "widgethistoryitem.h"
#include "widgetsearch.h"
#include "widgetspeak.h"
#include "writerhook.h"
#include "dialogsetting.h"
#include "editorfixture.h"

namespace {
const QString misspelt = QStringLiteral("我们和他门一起去学校。");

template <typename T = QWidget>
T* part(QWidget* window, const char* name)
{
    return window->findChild<T*>(QLatin1String(name));
}

// Text as an input method hands it over: how Chinese is typed.
void typeIn(QWidget* editor, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(editor, &event);
}

void answerPrompts(TextEditEx* editor, QMessageBox::StandardButton answer, int* asked)
{
    editor->setMessageBoxHandler([answer, asked](QMessageBox::Icon, const QString&, const QString&,
                                                 QMessageBox::StandardButtons) {
        ++*asked;
        return answer;
    });
}
}

class TestDialogWriter : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void checkMarksListsAndCounts();
    void emptyEditorSendsNothing();
    void zeroResultsHideTheList();
    void checkStartedElsewhereChangesNothing();
    void applyFromTheList_data();
    void applyFromTheList();
    void groupEditedAwayGreysOut();
    void onlyFlaggedPlacesAreMarkedAndCorrected();
    void correctedGroupIsStruckOut_data();
    void correctedGroupIsStruckOut();
    void searchAndReplaceKeys_data();
    void searchAndReplaceKeys();
    void resultsStayWithTheirText_data();
    void resultsStayWithTheirText();
    void cardActsWhereItOpened_data();
    void cardActsWhereItOpened();
    void typedDuringTheCheckIsNotMarked_data();
    void typedDuringTheCheckIsNotMarked();
    void struckOutFollowsUndoAndRedo_data();
    void struckOutFollowsUndoAndRedo();
    void eachPlaceOffersItsOwnSuggestion();
    void withheldFindingsGiveTheUpgradeLink();
    void setTextIsPlainAndUnmodified();
    void speakPanelPlacedOnce();
    void closeWithUnsavedEdits_data();
    void closeWithUnsavedEdits();
    void closingWhileReading();
    void historyRows();
    void settingMenuFromTheCommandSet();
    void showWriterCommandOpensAWindow();
    void openUrl(const QUrl& url) { openedUrls << url; }

private:
    bool checkInWindow(const QString& text);
    void holdCheckReplies();
    bool titleStruck(int groupIndex);
    QStringList cardSuggestions();
    DialogWriter* window = nullptr;
    TextEditEx* editor = nullptr;
};

void TestDialogWriter::initTestCase()
{
    QVERIFY(startClient(this));
}

void TestDialogWriter::init()
{
    resetClient();
    // The window's checks ask for a login first.
    QVERIFY(client->login("demo", "demo"));
    sim::resetSpeech();
    sim::setSpeechOutput(sim::SpeechOutput::Stepped);
    window = new DialogWriter(nullptr);
    editor = part<TextEditEx>(window, "textEdit");
    window->show();
}

void TestDialogWriter::cleanup()
{
    if (window)
        editor->setModified(false);
    delete window;
    window = nullptr;
    sim::resetSpeech();
}

void TestDialogWriter::cleanupTestCase()
{
    stopClient();
}

bool TestDialogWriter::checkInWindow(const QString& text)
{
    editor->setPlainText(text);
    QSignalSpy done(client, &CheckerClient::checkDone);
    part<QToolButton>(window, "btnCheck")->click();
    const bool ended = (!done.isEmpty() || done.wait(10000)) && done.size() == 1;
    QTest::qWait(300);     // the marks are laid at the highlighter's next tick
    return ended;
}

void TestDialogWriter::checkMarksListsAndCounts()
{
    QVERIFY(checkInWindow(misspelt));
    QCOMPARE(client->getHostId(), QStringLiteral("writer"));
    QCOMPARE(part<QLabel>(window, "labelStatus")->text(), QStringLiteral("<span style=\"color:#ff0000;\">1 errors</span>"));
    QVERIFY(part(window, "widgetErrorList")->isVisible());
    QVERIFY(part<QToolButton>(window, "btnErrorList")->isChecked());
    const QList<ErrorsListGroup*> groups = window->findChildren<ErrorsListGroup*>();
    QCOMPARE(groups.size(), 1);
    QCOMPARE(groups.first()->title(), QStringLiteral("他门"));
    for (const char* name : {"btnPrevious", "btnNext", "btnRemoveAll"})
        QVERIFY2(part(window, name)->isEnabled(), name);
    // The mark lies under the flagged words: Next goes to them.
    editor->moveCursor(QTextCursor::Start);
    part<QToolButton>(window, "btnNext")->click();
    QCOMPARE(editor->textCursor().position(), misspelt.indexOf(QStringLiteral("他门")));
    part<QToolButton>(window, "btnRemoveAll")->click();
    QCOMPARE(part<QLabel>(window, "labelStatus")->text(), QString());
    QVERIFY(!part(window, "btnNext")->isEnabled());
}

void TestDialogWriter::emptyEditorSendsNothing()
{
    QSignalSpy begun(client, &CheckerClient::checkBegin);
    part<QToolButton>(window, "btnCheck")->click();
    QTest::qWait(50);
    QCOMPARE(begun.size(), 0);
    QCOMPARE(part<QLabel>(window, "labelStatus")->text(), QString());
    QCOMPARE(client->getHostId(), QString());
}

void TestDialogWriter::zeroResultsHideTheList()
{
    GetConfig()->setValueBool(SettingKeys::ErrorList, true);
    QVERIFY(checkInWindow(misspelt));
    QVERIFY(part(window, "widgetErrorList")->isVisible());
    QVERIFY(checkInWindow(QStringLiteral("我们一起去学校。")));
    QCOMPARE(part<QLabel>(window, "labelStatus")->text(), QString());
    QVERIFY(!part(window, "widgetErrorList")->isVisible());
    QVERIFY(!part<QToolButton>(window, "btnErrorList")->isChecked());
    for (const char* name : {"btnPrevious", "btnNext", "btnRemoveAll"})
        QVERIFY2(!part(window, name)->isEnabled(), name);
}

void TestDialogWriter::checkStartedElsewhereChangesNothing()
{
    editor->setPlainText(QStringLiteral("别处的文字"));
    QVERIFY(checkAndWait(misspelt));
    QTest::qWait(50);
    QCOMPARE(part<QLabel>(window, "labelStatus")->text(), QString());
    QVERIFY(!part(window, "widgetErrorList")->isVisible());
    QVERIFY(!part(window, "btnNext")->isEnabled());
    QVERIFY(window->findChildren<ErrorsListGroup*>().isEmpty());
}

void TestDialogWriter::applyFromTheList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("corrected");
    QTest::newRow("basic plane only") << misspelt << "我们和他们一起去学校。";
    QTest::newRow("after a character beyond the basic plane")
        << "𠀀𠀁和他门一起去。" << "𠀀𠀁和他们一起去。";
}

void TestDialogWriter::applyFromTheList()
{
    QFETCH(QString, text);
    QFETCH(QString, corrected);
    QVERIFY(checkInWindow(text));
    auto* list = part<WidgetErrorList>(window, "widgetErrorList");
    // As the user does: the group first (the error is found in the text), then its suggestion.
    emit list->groupClicked(window->findChildren<ErrorsListGroup*>().first());
    emit list->apply(QStringLiteral("他们"), 0, QStringLiteral("他门"), 0);
    QCOMPARE(editor->toPlainText(), corrected);
}

void TestDialogWriter::groupEditedAwayGreysOut()
{
    QVERIFY(checkInWindow(misspelt));
    ErrorsListGroup* group = window->findChildren<ErrorsListGroup*>().first();
    auto* list = part<WidgetErrorList>(window, "widgetErrorList");
    // Of the two title labels, those disabled and struck out.
    const auto greyedLabels = [group] {
        int greyed = 0;
        for (const char* name : {"labelTitle", "labelTitle2"}) {
            const QLabel* label = group->findChild<QLabel*>(QLatin1String(name));
            greyed += !label->isEnabled() && label->font().strikeOut();
        }
        return greyed;
    };
    emit list->groupClicked(group);
    QCOMPARE(editor->textCursor().selectedText(), QStringLiteral("他门"));
    QCOMPARE(greyedLabels(), 0);

    editor->setPlainText(QStringLiteral("我们和他们一起去学校。"));
    emit list->groupClicked(group);
    QCOMPARE(greyedLabels(), 2);
}

void TestDialogWriter::onlyFlaggedPlacesAreMarkedAndCorrected()
{
    // The user types at the start while the check runs: the service counts in the text it got.
    const QMetaObject::Connection typing = connect(client, &CheckerClient::checkBegin, editor, [this] {
        QTextCursor(editor->document()).insertText(QStringLiteral("前言。"));
    });
    const bool checked = checkInWindow(QStringLiteral("这是我的的书。他的的确确很好。他说,好。Hello, world"));
    disconnect(typing);
    QVERIFY(checked);
    QCOMPARE(fixture::marks(editor->document(), editor->highlighter()), (QStringList{"0:6+2", "0:20+1"}));
    // Every group applied from the list, as the user would: its own place changes, nothing else.
    auto* list = part<WidgetErrorList>(window, "widgetErrorList");
    for (ErrorsListGroup* group : window->findChildren<ErrorsListGroup*>()) {
        emit list->groupClicked(group);
        emit list->apply(QString(), 0, group->title(), group->groupIndex());
    }
    QCOMPARE(editor->toPlainText(), QStringLiteral("前言。这是我的书。他的的确确很好。他说，好。Hello, world"));
}

void TestDialogWriter::correctedGroupIsStruckOut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("road");
    QTest::addColumn<bool>("struck");
    QTest::newRow("the card") << misspelt << "card" << true;
    QTest::newRow("the list's apply") << misspelt << "list" << true;
    QTest::newRow("a double click") << misspelt << "double click" << true;
    QTest::newRow("one of two places") << QStringLiteral("他门来了，他门走了。") << "list" << false;
}

void TestDialogWriter::correctedGroupIsStruckOut()
{
    QFETCH(QString, text);
    QFETCH(QString, road);
    QFETCH(bool, struck);
    GetConfig()->setValueBool(SettingKeys::ShowErrorTip, true);
    GetConfig()->setValueBool(SettingKeys::ApplyByDoubleClick, true);
    QVERIFY(checkInWindow(text));
    ErrorsListGroup* group = window->findChildren<ErrorsListGroup*>().first();
    auto* title = group->findChild<QLabel*>(QStringLiteral("labelTitle"));
    auto* list = part<WidgetErrorList>(window, "widgetErrorList");
    emit list->groupClicked(group);   // the card opens on the selected error
    if (road == QStringLiteral("card")) {
        QVERIFY(editor->getContextShow()->isVisible());
        emit editor->getContextShow()->apply(QString(), 0, group->title(), group->groupIndex());
    } else if (road == QStringLiteral("list")) {
        emit list->apply(QString(), 0, group->title(), group->groupIndex());
    } else {
        group->expand(true);   // a check's first list comes collapsed
        QTRY_VERIFY(!list->findChildren<ErrorsListItem*>().isEmpty());
        QTest::mouseDClick(list->findChildren<ErrorsListItem*>().first()->findChild<QLabel*>("labelText"),
                           Qt::LeftButton);
    }
    QVERIFY(editor->toPlainText().contains(QStringLiteral("他们")));
    QCOMPARE(title->font().strikeOut(), struck);
    // Undone, the error stands again.
    editor->onUndoError();
    QVERIFY(!title->font().strikeOut());
}

void TestDialogWriter::searchAndReplaceKeys_data()
{
    QTest::addColumn<int>("before");      // 0 hidden, 1 search row only, 2 with the replace row
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("after");
    QTest::newRow("Ctrl+F opens the search") << 0 << "Ctrl+F" << 1;
    QTest::newRow("Ctrl+F on the search closes it") << 1 << "Ctrl+F" << 0;
    QTest::newRow("Ctrl+F on the replace row leaves search only") << 2 << "Ctrl+F" << 1;
    QTest::newRow("Ctrl+H opens the replace row") << 0 << "Ctrl+H" << 2;
    QTest::newRow("Ctrl+H on the search adds the replace row") << 1 << "Ctrl+H" << 2;
    QTest::newRow("Ctrl+H on the replace row closes it") << 2 << "Ctrl+H" << 0;
}

void TestDialogWriter::searchAndReplaceKeys()
{
    QFETCH(int, before);
    QFETCH(QString, keys);
    QFETCH(int, after);
    auto* search = part<WidgetSearch>(window, "widgetSearch");
    if (before == 1)
        search->activateSearch();
    else if (before == 2)
        search->activateReplace();
    QAction* action = part<QAction>(window, keys == "Ctrl+F" ? "actionSearch" : "actionReplace");
    QCOMPARE(action->shortcut(), QKeySequence(keys));
    QVERIFY(window->actions().contains(action));
    action->trigger();
    const int state = search->isHidden() ? 0 : search->isReplaceShow() ? 2 : 1;
    QCOMPARE(state, after);
}

void TestDialogWriter::holdCheckReplies()
{
    // Long enough for the test to act while the check runs; the test waits for the reply itself.
    QVERIFY(service.misbehave({{"target", "check"}, {"mode", "delay"}, {"ms", "1500"}}));
}

bool TestDialogWriter::titleStruck(int groupIndex)
{
    for (ErrorsListGroup* group : window->findChildren<ErrorsListGroup*>()) {
        if (group->groupIndex() == groupIndex)
            return group->findChild<QLabel*>(QStringLiteral("labelTitle"))->font().strikeOut();
    }
    return false;
}

QStringList TestDialogWriter::cardSuggestions()
{
    QStringList shown;
    for (ErrorsListItem* item : editor->getContextShow()->findChildren<ErrorsListItem*>())
        shown << QStringLiteral("%1:%2").arg(item->groupIndex()).arg(item->itemTitle());
    return shown;
}

void TestDialogWriter::resultsStayWithTheirText_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("shown");   // the check's findings come out on the text it was sent
    QTest::newRow("Check pressed again while it runs") << "check" << true;
    QTest::newRow("Check pressed again, then the text edited") << "check and type" << true;
    QTest::newRow("Open while it runs") << "open" << false;
    QTest::newRow("Open once it ended") << "open after" << false;
    QTest::newRow("Open cancelled while it runs") << "open cancelled" << true;
    QTest::newRow("New plain text while it runs") << "new plain" << false;
    QTest::newRow("New rich text while it runs") << "new rich" << false;
    QTest::newRow("another program's text while it runs") << "set text" << false;
    QTest::newRow("closed while it runs") << "close" << false;
    QTest::newRow("Open, then Check refused while it runs") << "open and check" << false;
}

void TestDialogWriter::resultsStayWithTheirText()
{
    QFETCH(QString, action);
    QFETCH(bool, shown);
    const QString checked = QStringLiteral("这是我的的书。");
    const QString other = QStringLiteral("他说的的确确很好。");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(other.toUtf8());
    file.close();
    const bool cancelled = action == QStringLiteral("open cancelled");
    editor->setFileDialogHandler([&](const QString&, QFileDialog::AcceptMode, const QStringList&) {
        return cancelled ? QString() : path;
    });
    int asked = 0;
    answerPrompts(editor, QMessageBox::Discard, &asked);
    const bool after = action == QStringLiteral("open after");
    if (!after)
        holdCheckReplies();

    editor->setPlainText(checked);
    QSignalSpy done(client, &CheckerClient::checkDone);
    part<QToolButton>(window, "btnCheck")->click();
    if (after)
        QVERIFY(done.wait(10000));
    else
        QVERIFY(done.isEmpty() && client->isChecking());

    if (action.startsWith(QStringLiteral("check"))) {
        part<QToolButton>(window, "btnCheck")->click();
        QCOMPARE(boxes.texts(), QStringList{"checking, please wait."});
        if (action.endsWith(QStringLiteral("type")))
            QTextCursor(editor->document()).insertText(QStringLiteral("前言。"));
    } else if (action.startsWith(QStringLiteral("open"))) {
        window->on_btnOpen_clicked();
        if (action.endsWith(QStringLiteral("check"))) {
            part<QToolButton>(window, "btnCheck")->click();
            QCOMPARE(boxes.texts(), QStringList{"checking, please wait."});
        }
    } else if (action == QStringLiteral("new plain")) {
        part<QToolButton>(window, "btnOpen")->menu()->actions().at(0)->trigger();
    } else if (action == QStringLiteral("new rich")) {
        part<QToolButton>(window, "btnOpen")->menu()->actions().at(1)->trigger();
    } else if (action == QStringLiteral("set text")) {
        QString text = other;
        window->setText(text);
    } else {
        QVERIFY(window->close());
    }
    if (!after)
        QVERIFY(done.wait(10000));

    auto* status = part<QLabel>(window, "labelStatus");
    if (shown) {
        const int at = editor->toPlainText().indexOf(QStringLiteral("的的"));
        QTRY_COMPARE(fixture::marks(editor->document(), editor->highlighter()), QStringList{QStringLiteral("0:%1+2").arg(at)});
        QCOMPARE(status->text(), QStringLiteral("<span style=\"color:#ff0000;\">1 errors</span>"));
        QCOMPARE(window->findChildren<ErrorsListGroup*>().size(), 1);
        QVERIFY(part(window, "btnNext")->isEnabled());
        return;
    }
    // Nothing of the check stays behind, on whatever text the editor holds now.
    QVERIFY(editor->highlighter()->checkData().empty());
    QCOMPARE(status->text(), QString());
    QTRY_VERIFY(window->findChildren<ErrorsListGroup*>().isEmpty());
    for (const char* name : {"btnPrevious", "btnNext", "btnRemoveAll"})
        QVERIFY2(!part(window, name)->isEnabled(), name);
    QVERIFY(!part<QToolButton>(window, "btnErrorList")->isChecked());
    QTest::qWait(150);   // a highlighter tick: the marks are drawn from what it holds, which is nothing
    QCOMPARE(fixture::marks(editor->document(), editor->highlighter()), QStringList{});
    if (action.startsWith(QStringLiteral("open")))
        QCOMPARE(editor->toPlainText(), other);
}

void TestDialogWriter::cardActsWhereItOpened_data()
{
    QTest::addColumn<QString>("arrows");   // from the start: N Next, P Previous; from the end: E first
    QTest::addColumn<QString>("road");
    QTest::addColumn<QString>("corrected");
    QTest::newRow("Next to the second, the card's Apply")
        << "N" << "card" << QStringLiteral("他门他们来了。");
    QTest::newRow("Next to the second, the list's Apply")
        << "N" << "list" << QStringLiteral("他门他们来了。");
    QTest::newRow("Previous to the second from the end, the card's Apply")
        << "EP" << "card" << QStringLiteral("他门他们来了。");
    QTest::newRow("Previous twice to the first, the card's Apply")
        << "EPP" << "card" << QStringLiteral("他们他门来了。");
    QTest::newRow("Next and back to the first, the card's Apply")
        << "NP" << "card" << QStringLiteral("他们他门来了。");
    QTest::newRow("Next to the second, the card's Apply after the cursor moved on")
        << "N>" << "card" << QStringLiteral("他门他们来了。");
}

void TestDialogWriter::cardActsWhereItOpened()
{
    QFETCH(QString, arrows);
    QFETCH(QString, road);
    QFETCH(QString, corrected);
    GetConfig()->setValueBool(SettingKeys::ShowErrorTip, true);
    QVERIFY(checkInWindow(QStringLiteral("他门他门来了。")));
    QCOMPARE(fixture::marks(editor->document(), editor->highlighter()).size(), 2);
    editor->moveCursor(QTextCursor::Start);
    ContextShow* card = editor->getContextShow();
    for (const QChar arrow : arrows) {
        if (arrow == QLatin1Char('E'))
            editor->moveCursor(QTextCursor::End);
        else if (arrow == QLatin1Char('N'))
            part<QToolButton>(window, "btnNext")->click();
        else if (arrow == QLatin1Char('P'))
            part<QToolButton>(window, "btnPrevious")->click();
    }
    QTRY_VERIFY(card->isVisible());
    QTRY_COMPARE(cardSuggestions(), QStringList{"0:他们"});
    if (arrows.endsWith(QLatin1Char('>'))) {
        // Moved without the card following (as a click on the card's row can leave it).
        const QSignalBlocker blocker(editor);
        editor->moveCursor(QTextCursor::Start);
    }
    if (road == QStringLiteral("card"))
        emit card->apply(QStringLiteral("他们"), 0, QStringLiteral("他门"), 0);
    else
        emit part<WidgetErrorList>(window, "widgetErrorList")->apply(QStringLiteral("他们"), 0, QStringLiteral("他门"), 0);
    QCOMPARE(editor->toPlainText(), corrected);
}

void TestDialogWriter::typedDuringTheCheckIsNotMarked_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("the flagged words typed right before them") << 0 << "他门" << QStringList{};
    QTest::newRow("the flagged words typed right behind them") << 2 << "他门" << QStringList{};
    QTest::newRow("the flagged words typed at the end") << 5 << "他门" << QStringList{"0:0+2"};
    QTest::newRow("other words typed right before them") << 0 << "我说" << QStringList{"0:2+2*"};
}

void TestDialogWriter::typedDuringTheCheckIsNotMarked()
{
    QFETCH(int, at);
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    holdCheckReplies();
    editor->setPlainText(QStringLiteral("他门来了。"));
    QSignalSpy done(client, &CheckerClient::checkDone);
    part<QToolButton>(window, "btnCheck")->click();
    QVERIFY(done.isEmpty());
    QTextCursor cursor(editor->document());
    cursor.setPosition(at);
    editor->setTextCursor(cursor);
    typeIn(editor, typed);
    QVERIFY(done.wait(10000));
    QCOMPARE(window->findChildren<ErrorsListGroup*>().size(), 1);
    QTest::qWait(150);   // drawn at the highlighter's next tick
    QCOMPARE(fixture::marks(editor->document(), editor->highlighter()), expected);
}

void TestDialogWriter::struckOutFollowsUndoAndRedo_data()
{
    QTest::addColumn<QString>("road");
    QTest::newRow("the card") << "card";
    QTest::newRow("the list") << "list";
    QTest::newRow("typed over by hand") << "hand";
    QTest::newRow("typed over by hand while the check ran") << "hand early";
}

void TestDialogWriter::struckOutFollowsUndoAndRedo()
{
    QFETCH(QString, road);
    GetConfig()->setValueBool(SettingKeys::ShowErrorTip, true);
    const QString corrected = QStringLiteral("我们和他们一起去学校。");
    const auto typeOver = [this] {
        QTextCursor cursor(editor->document());
        cursor.setPosition(misspelt.indexOf(QStringLiteral("他门")) + 1);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);
        typeIn(editor, QStringLiteral("们"));
    };
    if (road == QStringLiteral("hand early")) {
        // Corrected before the reply came: the group comes struck out, as nothing of it is left.
        holdCheckReplies();
        editor->setPlainText(misspelt);
        QSignalSpy done(client, &CheckerClient::checkDone);
        part<QToolButton>(window, "btnCheck")->click();
        typeOver();
        QVERIFY(done.wait(10000));
        QCOMPARE(window->findChildren<ErrorsListGroup*>().size(), 1);
        QTRY_VERIFY(titleStruck(0));
        return;
    }
    QVERIFY(checkInWindow(misspelt));
    auto* list = part<WidgetErrorList>(window, "widgetErrorList");
    emit list->groupClicked(window->findChildren<ErrorsListGroup*>().first());
    if (road == QStringLiteral("card"))
        emit editor->getContextShow()->apply(QStringLiteral("他们"), 0, QStringLiteral("他门"), 0);
    else if (road == QStringLiteral("list"))
        emit list->apply(QStringLiteral("他们"), 0, QStringLiteral("他门"), 0);
    else
        typeOver();
    QCOMPARE(editor->toPlainText(), corrected);
    QTRY_VERIFY(titleStruck(0));
    // The editor's own Undo and Redo, back and forth.
    for (int round = 0; round < 2; ++round) {
        QTest::keySequence(editor, QKeySequence::Undo);
        QCOMPARE(editor->toPlainText(), misspelt);
        QTRY_VERIFY(!titleStruck(0));
        QTest::keySequence(editor, QKeySequence::Redo);
        QCOMPARE(editor->toPlainText(), corrected);
        QTRY_VERIFY(titleStruck(0));
    }
    QTest::keySequence(editor, QKeySequence::Undo);
    QTRY_VERIFY(!titleStruck(0));
    QTRY_COMPARE(fixture::marks(editor->document(), editor->highlighter()).size(), 1);
}

void TestDialogWriter::eachPlaceOffersItsOwnSuggestion()
{
    // 的 flagged twice, for 地 at one place and for 得 at the other.
    const QString text = QStringLiteral("他高兴的跑了，跑的很快。");
    const auto result = [](int at, const char* suggestion) {
        return QStringLiteral("{\"words\":\"的\",\"error_level\":3,\"error_type\":[1],"
                              "\"pos\":[{\"index_begin\":%1,\"index_end\":%1}],"
                              "\"data_item\":{\"key\":\"\",\"values\":[{\"value\":\"%2\",\"frequency\":1}]}}")
            .arg(at).arg(QString::fromUtf8(suggestion));
    };
    const QString reply = QStringLiteral("{\"vip_error_count\":0,\"check_data\":[%1,%2]}")
                              .arg(result(3, "地"), result(8, "得"));
    QVERIFY(service.misbehave({{"target", "check"}, {"mode", "body"}, {"body", reply}}));
    GetConfig()->setValueBool(SettingKeys::ShowErrorTip, true);
    QVERIFY(checkInWindow(text));
    const QList<ErrorsListGroup*> groups = window->findChildren<ErrorsListGroup*>();
    QCOMPARE(groups.size(), 2);
    ContextShow* card = editor->getContextShow();
    QStringList offered;
    editor->moveCursor(QTextCursor::Start);
    for (int place = 0; place < 2; ++place) {
        part<QToolButton>(window, "btnNext")->click();
        QTRY_VERIFY(card->isVisible());
        QTRY_COMPARE(cardSuggestions().size(), 1);
        offered << cardSuggestions().first().section(QLatin1Char(':'), 1);
        ErrorsListItem* item = card->findChildren<ErrorsListItem*>().first();
        emit card->apply(item->itemTitle(), item->itemIndex(), item->groupTitle(), item->groupIndex());
    }
    QCOMPARE(offered, (QStringList{"地", "得"}));
    QCOMPARE(editor->toPlainText(), QStringLiteral("他高兴地跑了，跑得很快。"));
}

void TestDialogWriter::withheldFindingsGiveTheUpgradeLink()
{
    QVERIFY(checkInWindow(QStringLiteral("我们要再接再励，他门也是。")));
    const int withheld = client->getVipErrorCount();
    QVERIFY(withheld > 0);
    auto* status = part<QLabel>(window, "labelStatus");
    const QString page = client->getWebUrl(URL_APP_VIP, QString());
    QVERIFY2(status->text().contains(QStringLiteral("href=\"%1\"").arg(page.toHtmlEscaped())), qPrintable(status->text()));
    QVERIFY(status->text().contains(QStringLiteral("%1 VIP").arg(withheld)));
    QCOMPARE(status->toolTip(), QStringLiteral("%1 VIP Errors").arg(withheld));
    // Another address opens no upgrade page.
    QMetaObject::invokeMethod(status, "linkActivated", Q_ARG(QString, QStringLiteral("http://example.invalid/")));
    QVERIFY(!topLevel<DialogWeb>());
}

void TestDialogWriter::setTextIsPlainAndUnmodified()
{
    QString text = QStringLiteral("<b>粗</b> &amp; 他门");
    window->setText(text);
    QCOMPARE(editor->toPlainText(), text);
    QVERIFY(!editor->isModified());
}

void TestDialogWriter::speakPanelPlacedOnce()
{
    auto* speak = part<QToolButton>(window, "btnSpeak");
    speak->click();
    auto* panel = topLevel<WidgetSpeak>(true);
    QVERIFY(panel);
    const QPoint corner = editor->mapToGlobal(editor->rect().topRight());
    // At the editor's top-right corner, unless that would leave the (small) test screen.
    QCOMPARE(panel->y(), corner.y() + 5);
    QVERIFY(panel->x() <= corner.x() - panel->width() - 5);
    QVERIFY(panel->x() > 0);
    panel->move(123, 234);
    speak->click();
    QVERIFY(!panel->isVisible());
    speak->click();
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->pos(), QPoint(123, 234));
    // The panel's own Close unchecks the button.
    panel->stopAndHide();
    QVERIFY(!speak->isChecked());
}

void TestDialogWriter::closeWithUnsavedEdits_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("Cancel keeps the window and its text") << int(QMessageBox::Cancel) << false;
    QTest::newRow("Escape keeps the window and its text") << int(QMessageBox::NoButton) << false;
    QTest::newRow("Discard closes") << int(QMessageBox::Discard) << true;
}

void TestDialogWriter::closeWithUnsavedEdits()
{
    QFETCH(int, answer);
    QFETCH(bool, closed);
    int asked = 0;
    answerPrompts(editor, QMessageBox::StandardButton(answer), &asked);
    editor->setFocus();
    QTest::keyClicks(editor, QStringLiteral("abc"));
    QVERIFY(editor->isModified());
    QCOMPARE(window->close(), closed);
    QCOMPARE(asked, 1);
    QCOMPARE(window->isVisible(), !closed);
    QCOMPARE(editor->toPlainText(), QStringLiteral("abc"));
}

void TestDialogWriter::closingWhileReading()
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<DialogWriter> guard(window);
    editor->setPlainText(QStringLiteral("第一段\n第二段"));
    editor->moveCursor(QTextCursor::Start);
    part<QToolButton>(window, "btnSpeak")->click();
    QPointer<WidgetSpeak> panel = topLevel<WidgetSpeak>(true);
    QVERIFY(panel);
    QTest::keyClick(editor, Qt::Key_Space);
    sim::releaseSpeechEvents(3);
    QTRY_VERIFY(editor->textCursor().hasSelection());
    QVERIFY(window->close());
    window = nullptr;
    QTRY_VERIFY(!guard);
    QVERIFY(!panel);
    QCOMPARE(sim::liveVoices(), 0);
    sim::releaseSpeechEvents(10000);
    QTest::qWait(100);
}

void TestDialogWriter::historyRows()
{
    auto* history = part<WidgetHistory>(window, "widgetHistory");
    QVERIFY(!history->isVisible());
    QVERIFY(part(window, "btnHistory")->isHidden());
    history->clear();
    history->clear();
    history->addItem(QStringLiteral("<b>一</b>"));
    history->addItem(QStringLiteral("二"));
    QList<WidgetHistoryItem*> rows = history->findChildren<WidgetHistoryItem*>();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.first()->findChild<QLabel*>(QStringLiteral("lblText"))->textFormat(), Qt::PlainText);
    QSignalSpy deleted(rows.first(), &WidgetHistoryItem::deleteText);
    QTest::mouseClick(rows.first()->findChild<QToolButton*>(QStringLiteral("btnDelete")), Qt::LeftButton);
    QCOMPARE(deleted.size(), 1);
    QCOMPARE(deleted.first().first().toInt(), -1);
    QPointer<WidgetHistoryItem> gone(rows.first());
    QVERIFY(gone);
    QTRY_VERIFY(!gone);
    history->clear();
    QTRY_VERIFY(history->findChildren<WidgetHistoryItem*>().isEmpty());
    history->addItem(QStringLiteral("三"));
    auto* layout = history->findChild<QWidget*>(QStringLiteral("scrollContents"))->layout();
    QCOMPARE(layout->count(), 1);
}

void TestDialogWriter::settingMenuFromTheCommandSet()
{
    Actions* actions = getActions();
    auto* button = part<QToolButton>(window, "btnSetting");
    QMenu* menu = button->menu();
    QVERIFY(menu);
    QCOMPARE(button->popupMode(), QToolButton::MenuButtonPopup);
    QCOMPARE(menu->defaultAction(), actions->actionSetting);
    QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 13);
    const QList<QAction*> expected{actions->actionApplyByDoubleClick, actions->actionShowErrorTip,
                                   actions->actionShowDictTip};
    QCOMPARE(items.mid(0, 3), expected);
    QVERIFY(items.at(3)->isSeparator());
    QVERIFY(items.at(4)->menu() && items.at(5)->menu());
    QCOMPARE(items.at(6), actions->actionSetting);
    QCOMPARE(items.mid(8, 4), (QList<QAction*>{actions->actionContact, actions->actionUpdate, actions->actionWeb,
                                               actions->actionAbout}));
    // Opening the menu brings the items in step with the stored settings.
    GetConfig()->setValueBool(SettingKeys::ShowErrorTip, false);
    actions->actionShowErrorTip->setChecked(true);
    emit menu->aboutToShow();
    QVERIFY(!actions->actionShowErrorTip->isChecked());
    button->click();
    QVERIFY(currentSettingWindow());
    delete currentSettingWindow();
}

void TestDialogWriter::showWriterCommandOpensAWindow()
{
    const QString text = QStringLiteral("<b>他门</b>");
    openWriter(text);
    DialogWriter* opened = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != window && qobject_cast<DialogWriter*>(widget) && widget->isVisible())
            opened = static_cast<DialogWriter*>(widget);
    }
    QVERIFY(opened);
    QVERIFY(!opened->parent());
    auto* openedEditor = part<TextEditEx>(opened, "textEdit");
    QCOMPARE(openedEditor->toPlainText(), text);
    QVERIFY(!openedEditor->isModified());
    QPointer<DialogWriter> guard(opened);
    QVERIFY(opened->close());
    QTRY_VERIFY(!guard);
}

QTEST_MAIN(TestDialogWriter)
#include "tst_dialogwriter.moc"
