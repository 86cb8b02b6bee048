#include <QAction>
#include <QRadioButton>
#include <QtTest>

#include "actions.h"
#include "clientfixture.h"
#include "config.h"
#include "dialogsetting.h"
#include "dialogwriter.h"
#include "quitapplication.h"
#include "settingkeys.h"
#include "shellfixture.h"
#include "showsettingwindow.h"
#include "texteditex.h"
#include "writerhook.h"

class TestActions : public QObject, public ClientFixture
{
    Q_OBJECT
public slots:
    void openUrl(const QUrl& url) { openedUrls.append(url); }

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void withoutEditorEditorCommandsDoNothing();
    void itemsFollowTrackerAndProgram_data();
    void itemsFollowTrackerAndProgram();
    void userAndLoginItemsFollowAccount_data();
    void userAndLoginItemsFollowAccount();
    void radioPairStoresListMode();
    void slotEffects_data();
    void slotEffects();
    void exitAsksAboutUnsavedText_data();
    void exitAsksAboutUnsavedText();
    void checkCommands_data();
    void checkCommands();
    void checkStartedElsewhereStaysThere();
    void cancelForgetsCheckedEditor();
    void hotkeyList();
    void hotkeyBindingWithoutDisplay_data();
    void hotkeyBindingWithoutDisplay();
    void updateIsDue_data();
    void updateIsDue();

private:
    Actions* actions = nullptr;
    RecordingTracker tracker;
    QStringList log;
    HWND editor = nullptr;
};

void TestActions::initTestCase()
{
    QVERIFY(startClient(this));
    actions = getActions();
    QVERIFY(actions);
    tracker.log = &log;
    setQuitFunction([this](int code) { log << QStringLiteral("quit %1").arg(code); });
    setWriterFunction([this](const QString& text) { log << QStringLiteral("writer: %1").arg(text); });
}

void TestActions::init()
{
    resetClient();
    sim::reset();
    tracker.marks = true;
    tracker.lists = true;
    tracker.pageText = QStringLiteral("他们在那里等待。");
    log.clear();
}

void TestActions::cleanupTestCase()
{
    setQuitFunction(nullptr);
    setWriterFunction(nullptr);
    stopClient();
}

void TestActions::withoutEditorEditorCommandsDoNothing()
{
    actions->updateActions();
    QVERIFY(!actions->actionEnableThisEditor->isEnabled());
    QCOMPARE(actions->actionEnableThisEditor->text(), QStringLiteral("Enable This Editor"));
    for (QAction* action : {actions->actionCheckCurrentPage, actions->actionCheckNext10Pages,
                            actions->actionRemoveAll, actions->actionEnableThisEditor})
        action->trigger();
    QVERIFY(!client->isChecking());
    QVERIFY(boxes.boxes.isEmpty());
    QVERIFY(!GetConfig()->getValue(QStringLiteral("note.exe"), QVariant(), "app").isValid());
    // The writing window still opens, empty.
    actions->actionShowWriter->trigger();
    QCOMPARE(log, QStringList{"writer: "});
}

void TestActions::itemsFollowTrackerAndProgram_data()
{
    QTest::addColumn<bool>("marks");
    QTest::addColumn<bool>("lists");
    QTest::addColumn<bool>("blackMode");
    QTest::addColumn<QVariant>("programSwitch");
    QTest::addColumn<bool>("enabledHere");
    QTest::newRow("marking tracker, black list") << true << true << true << QVariant() << true;
    QTest::newRow("whole-text tracker") << false << false << true << QVariant() << true;
    QTest::newRow("program switched off") << true << false << true << QVariant(false) << false;
    QTest::newRow("white list, program not listed") << true << true << false << QVariant() << false;
    QTest::newRow("white list, program listed") << false << true << false << QVariant(true) << true;
}

void TestActions::itemsFollowTrackerAndProgram()
{
    QFETCH(bool, marks);
    QFETCH(bool, lists);
    QFETCH(bool, blackMode);
    QFETCH(QVariant, programSwitch);
    QFETCH(bool, enabledHere);
    GetConfig()->setValueBool(SettingKeys::BlackMode, blackMode);
    if (programSwitch.isValid())
        GetConfig()->setValueBool(QStringLiteral("note.exe"), programSwitch.toBool(), "app");
    tracker.marks = marks;
    tracker.lists = lists;
    activateEditor(&tracker, createEditor(QRect(100, 100, 600, 400)));

    actions->updateActions();
    QCOMPARE(actions->actionCheckNext10Pages->isEnabled(), marks);
    QCOMPARE(actions->actionRemoveAll->isEnabled(), marks);
    QCOMPARE(actions->actionShowErrorList->isEnabled(), lists);
    QVERIFY(actions->actionEnableThisEditor->isEnabled());
    QCOMPARE(actions->actionEnableThisEditor->text(), QStringLiteral("Enable Editor note.exe"));
    QCOMPARE(actions->actionEnableThisEditor->isChecked(), enabledHere);
    QCOMPARE(actions->radioBlackList->isChecked(), blackMode);
    QCOMPARE(actions->radioWhiteList->isChecked(), !blackMode);
}

void TestActions::userAndLoginItemsFollowAccount_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("tip");
    QTest::newRow("plain account") << "demo" << "demo";
    QTest::newRow("VIP account") << "vip" << "VIP User, 2099-12-31 expired";
}

void TestActions::userAndLoginItemsFollowAccount()
{
    QFETCH(QString, user);
    QFETCH(QString, tip);
    actions->updateActions();
    QVERIFY(!actions->actionUser->isVisible());
    QCOMPARE(actions->actionLogin->text(), QStringLiteral("Login ..."));

    QVERIFY(client->login(user, user));
    actions->updateActions();
    QVERIFY(actions->actionUser->isVisible());
    QCOMPARE(actions->actionUser->text(), user);
    QCOMPARE(actions->actionUser->toolTip(), tip);
    QCOMPARE(actions->actionLogin->text(), QStringLiteral("Logout"));
    QCOMPARE(actions->actionCheckNext10Pages->text(),
             QStringLiteral("Check Next %1 Pages").arg(client->getMaxPageCount()));

    // Logging out through the item tells the user and puts the items back at once.
    actions->actionLogin->trigger();
    QVERIFY(!client->isLogin());
    QCOMPARE(boxes.texts(), QStringList{"Logout succeed"});
    QVERIFY(!actions->actionUser->isVisible());
    QCOMPARE(actions->actionLogin->text(), QStringLiteral("Login ..."));
}

void TestActions::radioPairStoresListMode()
{
    activateEditor(&tracker, createEditor(QRect(100, 100, 600, 400)));
    actions->updateActions();
    QVERIFY(actions->radioBlackList->isChecked());
    QVERIFY(actions->actionEnableThisEditor->isChecked());

    actions->radioWhiteList->click();
    QCOMPARE(GetConfig()->getValueBool(SettingKeys::BlackMode, true), false);
    QVERIFY(!actions->radioBlackList->isChecked());
    // The program is not on the white list, and the item says so at once.
    QVERIFY(!actions->actionEnableThisEditor->isChecked());

    actions->radioBlackList->click();
    QCOMPARE(GetConfig()->getValueBool(SettingKeys::BlackMode, false), true);
    QVERIFY(actions->actionEnableThisEditor->isChecked());
}

void TestActions::slotEffects_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("key");           // setting the slot turns over ("" none)
    QTest::addColumn<QStringList>("calls");     // what reached the tracker and the hooks (a setting: two runs)
    QTest::addColumn<QStringList>("urls");

    QTest::newRow("error tip") << "on_actionShowErrorTip_triggered" << "ShowErrorTip"
                               << QStringList{"error tip 0", "error tip 1"} << QStringList();
    QTest::newRow("dictionary tip") << "on_actionShowDictTip_triggered" << "ShowDictTip" << QStringList()
                                    << QStringList();
    // Shown only when it is turned on again.
    QTest::newRow("error list") << "on_actionShowErrorList_triggered" << "ShowErrorList"
                                << QStringList{"error list"} << QStringList();
    QTest::newRow("apply by double click") << "on_actionApplyByDoubleClick_triggered" << "ApplyByDoubleClick"
                                           << QStringList() << QStringList();
    QTest::newRow("remove all") << "on_actionRemoveAll_triggered" << "" << QStringList{"clear errors"}
                                << QStringList();
    QTest::newRow("writer gets the page") << "on_actionShowWriter_triggered" << ""
                                          << QStringList{"current page via clipboard", "writer: 他们在那里等待。"}
                                          << QStringList();
    QTest::newRow("exit") << "on_actionExit_triggered" << "" << QStringList{"quit 0"} << QStringList();
    QTest::newRow("contact") << "on_actionContact_triggered" << "" << QStringList() << QStringList{"contact"};
    QTest::newRow("web") << "on_actionWeb_triggered" << "" << QStringList() << QStringList{"/site0/"};
}

void TestActions::slotEffects()
{
    QFETCH(QString, slot);
    QFETCH(QString, key);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, urls);
    activateEditor(&tracker, createEditor(QRect(100, 100, 600, 400)));
    actions->updateActions();
    log.clear();

    // Twice: a hot key runs the slot without moving the tick, and each run turns the value over.
    for (bool expected : {false, true}) {
        QVERIFY(QMetaObject::invokeMethod(actions, slot.toLatin1().constData()));
        if (key.isEmpty())
            break;
        QCOMPARE(GetConfig()->getValueBool(key, !expected), expected);
        actions->updateActions();
        const QAction* item = actions->findChild<QAction*>("action" + key);
        QVERIFY(item);
        QCOMPARE(item->isChecked(), expected);
    }
    QCOMPARE(log, calls);
    QStringList opened;
    for (const QUrl& url : qAsConst(openedUrls))
        opened << url.toString();
    QCOMPARE(opened.size(), urls.size());
    for (int i = 0; i < urls.size(); ++i)
        QVERIFY2(opened[i].contains(urls[i], Qt::CaseInsensitive), qPrintable(opened[i]));
}

void TestActions::exitAsksAboutUnsavedText_data()
{
    QTest::addColumn<bool>("edited");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("quits");
    QTest::newRow("unsaved, cancelled") << true << int(QMessageBox::Cancel) << false;
    QTest::newRow("unsaved, prompt closed") << true << int(QMessageBox::NoButton) << false;
    QTest::newRow("unsaved, discarded") << true << int(QMessageBox::Discard) << true;
    QTest::newRow("nothing unsaved") << false << int(QMessageBox::Cancel) << true;
}

void TestActions::exitAsksAboutUnsavedText()
{
    QFETCH(bool, edited);
    QFETCH(int, answer);
    QFETCH(bool, quits);
    DialogWriter writer;
    auto* edit = writer.findChild<TextEditEx*>(QStringLiteral("textEdit"));
    QVERIFY(edit);
    int asked = 0;
    edit->setMessageBoxHandler([&](QMessageBox::Icon, const QString&, const QString&, QMessageBox::StandardButtons) {
        ++asked;
        return QMessageBox::StandardButton(answer);
    });
    writer.show();
    if (edited)
        edit->insertPlainText(QStringLiteral("还没保存的一段话。"));
    log.clear();

    actions->on_actionExit_triggered();
    QCOMPARE(asked, edited ? 1 : 0);
    QCOMPARE(log, quits ? QStringList{"quit 0"} : QStringList());
    // A kept window keeps its text.
    QCOMPARE(writer.isVisible(), !quits);
    if (!quits)
        QVERIFY(edit->toPlainText().contains(QStringLiteral("还没保存")));
}

void TestActions::checkCommands_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<bool>("marks");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("showList");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("messages");

    const QString text = QStringLiteral("我们的的目标在这里。");
    QTest::newRow("current page checked and marked")
        << "on_actionCheckCurrentPage_triggered" << true << text << true
        << QStringList{"current page", "show 1 errors in editor", "error list"} << QStringList();
    QTest::newRow("list switched off") << "on_actionCheckCurrentPage_triggered" << true << text << false
                                       << QStringList{"current page", "show 1 errors in editor"} << QStringList();
    QTest::newRow("next pages") << "on_actionCheckNext10Pages_triggered" << true << text << true
                                << QStringList{"next 10 pages", "show 1 errors in editor", "error list"}
                                << QStringList();
    QTest::newRow("whole-text editor opens the writer")
        << "on_actionCheckCurrentPage_triggered" << false << text << true
        << QStringList{"current page via clipboard", "writer: " + text} << QStringList();
    QTest::newRow("empty current page") << "on_actionCheckCurrentPage_triggered" << true << "" << true
                                        << QStringList{"current page"}
                                        << QStringList{"Can't Get Current Page Text"};
    QTest::newRow("empty next pages") << "on_actionCheckNext10Pages_triggered" << true << "" << true
                                      << QStringList{"next 10 pages"} << QStringList{"Can't Get All Page Text"};
}

void TestActions::checkCommands()
{
    QFETCH(QString, slot);
    QFETCH(bool, marks);
    QFETCH(QString, text);
    QFETCH(bool, showList);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, messages);
    QVERIFY(client->login("demo", "demo"));
    GetConfig()->setValueBool(SettingKeys::ShowErrorList, showList);
    tracker.marks = marks;
    tracker.pageText = text;
    const QSharedPointer<EditorParam> editor = activateEditor(&tracker, createEditor(QRect(100, 100, 600, 400)));
    log.clear();
    actions->checkParam.clear();

    QSignalSpy done(client, &CheckerClient::checkDone);
    QVERIFY(QMetaObject::invokeMethod(actions, slot.toLatin1().constData()));
    const bool started = marks && !text.isEmpty();
    QCOMPARE(actions->checkParam == editor, started);
    if (started)
        QVERIFY(done.wait(30000));
    QCOMPARE(log, calls);
    QCOMPARE(boxes.texts(), messages);
}

void TestActions::checkStartedElsewhereStaysThere()
{
    QVERIFY(client->login("demo", "demo"));
    activateEditor(&tracker, createEditor(QRect(100, 100, 600, 400)));
    log.clear();
    // As the writing window checks its own text.
    QVERIFY(checkAndWait(QStringLiteral("他们在那里等待。")));
    QVERIFY(log.isEmpty());
}

void TestActions::cancelForgetsCheckedEditor()
{
    QVERIFY(client->login("demo", "demo"));
    QVERIFY(service.misbehave({{"target", "check"}, {"mode", "hang"}}));
    activateEditor(&tracker, createEditor(QRect(100, 100, 600, 400)));
    log.clear();
    actions->actionCheckCurrentPage->trigger();
    QVERIFY(actions->checkParam);
    actions->actionCancelCheck->trigger();
    QVERIFY(!actions->checkParam);
    QTRY_VERIFY_WITH_TIMEOUT(!client->isChecking(), 10000);
    QVERIFY(service.control(QStringLiteral("release")));
    // What the stopped check brought goes to the editor it was started for, once.
    QCOMPARE(log, (QStringList{"current page", "show 0 errors in editor", "error list"}));
}

void TestActions::hotkeyList()
{
    QList<QSharedPointer<HotkeyEntry>> entries;
    actions->hotkeyList(entries);
    QStringList names;
    QStringList texts;
    for (const auto& entry : entries) {
        names << entry->objectName;
        texts << entry->text;
    }
    QCOMPARE(names, (QStringList{"actionApplyByDoubleClick", "actionCancelCheck", "actionSetting",
                                 "actionReportError", "actionExit", "actionShowWriter", "actionCheckNext10Pages",
                                 "actionCheckCurrentPage", "actionRemoveAll", "actionEnableThisEditor",
                                 "actionShowErrorTip", "actionShowDictTip", "actionShowErrorList"}));
    QCOMPARE(texts[2], QStringLiteral("Setting "));
    QCOMPARE(texts[5], QStringLiteral("Show Writer "));
    QCOMPARE(texts[9], QStringLiteral("Enable This Editor"));
}

void TestActions::hotkeyBindingWithoutDisplay_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("a key cannot be grabbed offscreen") << "actionShowWriter" << "Ctrl+Shift+W" << false << QVariant();
    QTest::newRow("clearing is stored") << "actionShowWriter" << "" << true << QVariant("");
    QTest::newRow("unknown command") << "actionNothing" << "" << false << QVariant();
    QTest::newRow("a command without hot key slot") << "actionLogin" << "" << false << QVariant();
}

void TestActions::hotkeyBindingWithoutDisplay()
{
    QFETCH(QString, name);
    QFETCH(QString, key);
    QFETCH(bool, result);
    QFETCH(QVariant, stored);
    if (!result && !key.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Failed to register hotkey. Error: .*X11"));
    // Twice in a row: the second run finds the first one's state and ends the same.
    for (int run = 0; run < 2; ++run) {
        QCOMPARE(actions->setHotkey(name, key), result);
        if (run == 0 && !result && !key.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Failed to register hotkey. Error: .*X11"));
    }
    QCOMPARE(GetConfig()->getValue(name, QVariant(), SettingKeys::GroupHotkey), stored);
    if (QAction* action = actions->findChild<QAction*>(name))
        QVERIFY(action->shortcut().isEmpty());
}

void TestActions::updateIsDue_data()
{
    QTest::addColumn<QDateTime>("last");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<bool>("due");
    const QDateTime noon(QDate(2026, 3, 10), QTime(12, 0));
    QTest::newRow("never checked") << QDateTime() << noon << true;
    QTest::newRow("earlier the same day") << noon.addSecs(-3600 * 11) << noon << false;
    QTest::newRow("late yesterday") << QDateTime(QDate(2026, 3, 9), QTime(23, 59)) << noon << true;
    QTest::newRow("a week ago") << noon.addDays(-7) << noon << true;
    QTest::newRow("clock set back") << noon.addDays(2) << noon << false;
}

void TestActions::updateIsDue()
{
    QFETCH(QDateTime, last);
    QFETCH(QDateTime, now);
    QFETCH(bool, due);
    QCOMPARE(Actions::isUpdateDue(last, now), due);
}

QTEST_MAIN(TestActions)
#include "tst_actions.moc"
