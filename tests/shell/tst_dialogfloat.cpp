#include <QLabel>
#include <QMovie>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

#include "actions.h"
#include "clientfixture.h"
#include "config.h"
#include "dialogfloat.h"
#include "menuex.h"
#include "settingkeys.h"
#include "shellfixture.h"
#include "sim/systemmetrics.h"
#include "systemmetrics.h"

namespace {
RECT toRect(const QRect& r)
{
    return RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

// An accessible object of the given role for a window, as a location event would carry it.
IAccessiblePtr objectWithRole(HWND hwnd, LONG role)
{
    sim::AccessibleSpec desc;
    desc.role = role;
    return sim::accessiblePtr(sim::attachAccessible(hwnd, OBJID_WINDOW, desc));
}
}

class TestDialogFloat : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void placement_data();
    void placement();
    void keptInsideScreen_data();
    void keptInsideScreen();
    void dragKeptUntilEditorMoves();
    void closedEditorHidesButton();
    void focusLossHides();
    void locationEvents_data();
    void locationEvents();
    void locationAfterFocusMoves_data();
    void locationAfterFocusMoves();
    void disabledProgramHasNoButton();
    void animationAndCancel();
    void commandSetSeesCheckEndFirst();
    void menuCarriesCommands();
    void followsFocusedEditorEndToEnd();

private:
    void place(HWND hwnd);

    DialogFloat* button = nullptr;
    RecordingTracker tracker;
    QStringList log;
};

void TestDialogFloat::initTestCase()
{
    QVERIFY(startClient());
    button = getDialogFloat();
    QVERIFY(button);
    QCOMPARE(getDialogFloat(), button);
    tracker.log = &log;
}

void TestDialogFloat::init()
{
    resetClient();
    sim::reset();
    sim::resetSystemMetrics();
    tracker.editRect = QRect();
    tracker.marks = true;
    tracker.takes = false;
    button->hide();
    log.clear();
}

void TestDialogFloat::cleanupTestCase()
{
    stopClient();
}

void TestDialogFloat::place(HWND hwnd)
{
    activateEditor(&tracker, hwnd);
}

void TestDialogFloat::placement_data()
{
    QTest::addColumn<QRect>("editor");       // the edit window
    QTest::addColumn<QRect>("editRect");     // what the tracker reports (null: none)
    QTest::addColumn<int>("scrollBar");
    QTest::addColumn<QPoint>("base");        // expected point = base - factor * button size
    QTest::addColumn<QPoint>("factor");
    QTest::addColumn<bool>("shown");

    const QRect editor(100, 100, 600, 400);
    QTest::newRow("lower right of the window") << editor << QRect() << 17 << QPoint(700 - 27, 500 - 27)
                                               << QPoint(1, 1) << true;
    QTest::newRow("wider scroll bars") << editor << QRect() << 30 << QPoint(700 - 40, 500 - 40) << QPoint(1, 1)
                                       << true;
    QTest::newRow("tracker's rectangle") << editor << QRect(200, 150, 300, 200) << 17
                                         << QPoint(500 - 27, 350 - 27) << QPoint(1, 1) << true;
    QTest::newRow("clamped to the window's left") << editor << QRect(0, 150, 170, 200) << 17
                                                  << QPoint(100, 350 - 27) << QPoint(0, 1) << true;
    QTest::newRow("clamped to the window's right") << editor << QRect(600, 150, 400, 200) << 0
                                                   << QPoint(700, 350 - 10) << QPoint(1, 1) << true;
    QTest::newRow("clamped to the window's top") << editor << QRect(200, 0, 300, 150) << 17
                                                 << QPoint(500 - 27, 100) << QPoint(1, 0) << true;
    QTest::newRow("clamped to the window's bottom") << editor << QRect(200, 300, 300, 500) << 0
                                                    << QPoint(500 - 10, 500) << QPoint(1, 1) << true;
    // Not beyond the edge with its corner, but with part of its width or height.
    QTest::newRow("partly over the window's right") << editor << QRect(200, 150, 520, 200) << 0
                                                    << QPoint(700, 350 - 10) << QPoint(1, 1) << true;
    QTest::newRow("partly over the window's bottom") << editor << QRect(200, 160, 300, 360) << 0
                                                     << QPoint(500 - 10, 500) << QPoint(1, 1) << true;
    QTest::newRow("editor lower than the button") << QRect(100, 100, 600, 30) << QRect() << 17 << QPoint()
                                                  << QPoint() << false;
    QTest::newRow("editor narrower than the button") << QRect(100, 100, 30, 300) << QRect() << 17 << QPoint()
                                                     << QPoint() << false;
    // An editor the user cannot see: scrolled out of its window, or reported without extents.
    QTest::newRow("too little of it left of the window") << editor << QRect(0, 150, 140, 200) << 17 << QPoint()
                                                         << QPoint() << false;
    QTest::newRow("too little of it above the window") << editor << QRect(200, 0, 300, 120) << 17 << QPoint()
                                                       << QPoint() << false;
    QTest::newRow("scrolled below the window") << editor << QRect(200, 600, 300, 200) << 17 << QPoint()
                                               << QPoint() << false;
    QTest::newRow("scrolled above the screen") << editor << QRect(200, -900, 300, 200) << 17 << QPoint()
                                               << QPoint() << false;
    QTest::newRow("empty extents") << editor << QRect(300, 200, 0, 0) << 17 << QPoint() << QPoint() << false;
    QTest::newRow("empty window: its root's rectangle") << QRect(300, 300, 0, 0) << QRect() << 17
                                                        << QPoint(600 - 27, 500 - 27) << QPoint(1, 1) << true;
}

void TestDialogFloat::placement()
{
    QFETCH(QRect, editor);
    QFETCH(QRect, editRect);
    QFETCH(int, scrollBar);
    QFETCH(QPoint, base);
    QFETCH(QPoint, factor);
    QFETCH(bool, shown);
    sim::setSystemMetric(SM_CXVSCROLL, scrollBar);
    sim::setSystemMetric(SM_CYHSCROLL, scrollBar);
    tracker.editRect = editRect;
    HWND hwnd = createEditor(editor);
    if (editor.isEmpty()) {
        const HWND root = GetAncestor(hwnd, GA_ROOT);
        sim::moveWindow(root, toRect(QRect(100, 100, 500, 400)));
    }
    place(hwnd);
    QCOMPARE(button->isVisible(), shown);
    if (!shown)
        return;
    const QPoint expected(base.x() - factor.x() * button->width(), base.y() - factor.y() * button->height());
    QCOMPARE(button->pos(), expected);
    QCOMPARE(button->positionOf(hwnd)->pos, expected);
}

void TestDialogFloat::keptInsideScreen_data()
{
    QTest::addColumn<QString>("edge");
    QTest::addColumn<bool>("shown");
    QTest::newRow("hanging over the right") << "right" << true;
    QTest::newRow("hanging over the bottom") << "bottom" << true;
    QTest::newRow("wholly beyond the left") << "left" << false;
    QTest::newRow("wholly above the top") << "top" << false;
}

void TestDialogFloat::keptInsideScreen()
{
    QFETCH(QString, edge);
    QFETCH(bool, shown);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // An editor hanging over the edge; the tracker's rectangle lies outside the screen altogether.
    QRect editor(screen.x() + 100, screen.y() + 100, 400, 300);
    QRect rect = editor;
    if (edge == "right") {
        editor.moveLeft(screen.x() + screen.width() - 100);
        rect = editor;
    } else if (edge == "bottom") {
        editor.moveTop(screen.y() + screen.height() - 100);
        rect = editor;
    } else if (edge == "left") {
        editor.moveLeft(screen.x() - 1000);
        rect = editor;
    } else {
        editor.moveTop(screen.y() - 1000);
        rect = editor;
    }
    tracker.editRect = rect;
    place(createEditor(editor));
    QCOMPARE(button->isVisible(), shown);
    QVERIFY2(!shown || screen.contains(button->frameGeometry()), qPrintable(edge));
}

void TestDialogFloat::dragKeptUntilEditorMoves()
{
    HWND hwnd = createEditor(QRect(100, 100, 600, 400));
    place(hwnd);
    const QPoint computed = button->pos();
    const QPoint dragged = computed - QPoint(150, 120);
    button->move(dragged);

    // The same editor, unchanged, focused again: the button goes back where the user left it.
    place(hwnd);
    QCOMPARE(button->pos(), dragged);
    // Shown again from the tray program: the place is worked out afresh.
    button->show();
    QCOMPARE(button->pos(), computed);

    button->move(dragged);
    sim::moveWindow(GetAncestor(hwnd, GA_ROOT), toRect(QRect(140, 60, 620, 450)));
    sim::moveWindow(hwnd, toRect(QRect(150, 100, 600, 400)));
    place(hwnd);
    QCOMPARE(button->pos(), computed + QPoint(50, 0));
}

void TestDialogFloat::closedEditorHidesButton()
{
    HWND hwnd = createEditor(QRect(100, 100, 600, 400));
    place(hwnd);
    QVERIFY(button->isVisible());
    // Gone before the location event is handled: no rectangle, no button.
    sim::destroyWindow(GetAncestor(hwnd, GA_ROOT));
    button->setHookHWND(hwnd, true);
    QVERIFY(!button->isVisible());

    // Gone with nothing else taking the focus: the editor ends, and the button with it.
    hwnd = createEditor(QRect(100, 100, 600, 400));
    place(hwnd);
    QVERIFY(button->isVisible());
    sim::destroyWindow(GetAncestor(hwnd, GA_ROOT));
    QTRY_VERIFY_WITH_TIMEOUT(!getEditorManager()->getActiveEditorParam(), 1000);
    QVERIFY(!button->isVisible());
}

void TestDialogFloat::focusLossHides()
{
    HWND hwnd = createEditor(QRect(100, 100, 600, 400));
    place(hwnd);
    QVERIFY(button->isVisible());
    button->winEventProc(nullptr, nullptr, EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, 0, 0, 0, true);
    QVERIFY(button->isVisible());
    button->winEventProc(nullptr, nullptr, EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, 0, 0, 0, false);
    QVERIFY(!button->isVisible());
}

void TestDialogFloat::locationEvents_data()
{
    QTest::addColumn<QString>("source");     // the window the event names
    QTest::addColumn<LONG>("role");
    QTest::addColumn<bool>("follows");
    QTest::newRow("editor, client") << "editor" << ROLE_SYSTEM_CLIENT << true;
    QTest::newRow("editor, text") << "editor" << ROLE_SYSTEM_TEXT << true;
    QTest::newRow("editor, document") << "editor" << ROLE_SYSTEM_DOCUMENT << true;
    QTest::newRow("parent, window") << "parent" << ROLE_SYSTEM_WINDOW << true;
    QTest::newRow("root, dialog") << "root" << LONG(0x12) << true;
    QTest::newRow("editor, push button") << "editor" << ROLE_SYSTEM_PUSHBUTTON << false;
    QTest::newRow("another window") << "other" << ROLE_SYSTEM_CLIENT << false;
    QTest::newRow("no object") << "none" << ROLE_SYSTEM_CLIENT << false;
}

void TestDialogFloat::locationEvents()
{
    QFETCH(QString, source);
    QFETCH(LONG, role);
    QFETCH(bool, follows);
    // Editor inside a dialog frame inside a top-level window.
    sim::WindowSpec top;
    top.rect = RECT{0, 0, 900, 700};
    top.processId = sim::createProcess({u"C:\\Apps\\note.exe"});
    HWND root = sim::createWindow(top);
    sim::WindowSpec pane;
    pane.parent = root;
    pane.rect = RECT{50, 50, 850, 650};
    HWND parent = sim::createWindow(pane);
    sim::WindowSpec edit;
    edit.parent = parent;
    edit.rect = RECT{100, 100, 700, 500};
    HWND hwnd = sim::createWindow(edit);
    HWND other = createEditor(QRect(0, 0, 500, 500));
    place(hwnd);
    const QPoint before = button->pos();

    sim::moveWindow(hwnd, RECT{120, 100, 720, 500});
    const QMap<QString, HWND> windows{{"editor", hwnd}, {"parent", parent}, {"root", root}, {"other", other},
                                      {"none", hwnd}};
    const HWND named = windows.value(source);
    IAccessiblePtr object = source == "none" ? IAccessiblePtr() : objectWithRole(named, role);
    button->winEventProc(object.GetInterfacePtr(), nullptr, EVENT_OBJECT_LOCATIONCHANGE, named, OBJID_WINDOW, 0, 0,
                         0, false);
    QCOMPARE(button->pos(), follows ? before + QPoint(20, 0) : before);
}

void TestDialogFloat::locationAfterFocusMoves_data()
{
    QTest::addColumn<QStringList>("steps");  // what happens between placing the button and the editor's move
    QTest::addColumn<bool>("follows");
    QTest::newRow("focus on a non-editor") << QStringList{"focus elsewhere"} << false;
    QTest::newRow("focus back on the editor") << QStringList{"focus elsewhere", "editor detected"} << true;
    QTest::newRow("focus taken by a tracked editor") << QStringList{"focus on editor"} << true;
    QTest::newRow("focus elsewhere, then on an editor")
        << QStringList{"focus elsewhere", "focus on editor"} << true;
    QTest::newRow("shown again by the command") << QStringList{"focus elsewhere", "shown"} << true;
}

void TestDialogFloat::locationAfterFocusMoves()
{
    QFETCH(QStringList, steps);
    QFETCH(bool, follows);
    HWND hwnd = createEditor(QRect(100, 100, 600, 400));
    HWND other = createEditor(QRect(0, 0, 300, 300), u"C:\\Apps\\paint.exe");
    place(hwnd);
    const QPoint before = button->pos();
    for (const QString& step : steps) {
        if (step == "focus elsewhere")
            button->winEventProc(nullptr, nullptr, EVENT_OBJECT_FOCUS, other, OBJID_CLIENT, 0, 0, 0, false);
        else if (step == "focus on editor")
            button->winEventProc(nullptr, nullptr, EVENT_OBJECT_FOCUS, hwnd, OBJID_CLIENT, 0, 0, 0, true);
        else if (step == "editor detected")
            place(hwnd);
        else
            button->show();
    }

    sim::moveWindow(hwnd, RECT{130, 100, 730, 500});
    IAccessiblePtr object = objectWithRole(hwnd, ROLE_SYSTEM_CLIENT);
    button->winEventProc(object.GetInterfacePtr(), nullptr, EVENT_OBJECT_LOCATIONCHANGE, hwnd, OBJID_WINDOW, 0, 0,
                         0, false);
    QCOMPARE(button->isVisible(), follows);
    if (follows)
        QCOMPARE(button->pos(), before + QPoint(30, 0));
}

void TestDialogFloat::disabledProgramHasNoButton()
{
    HWND hwnd = createEditor(QRect(100, 100, 600, 400));
    place(hwnd);
    QVERIFY(button->isVisible());
    getEditorManager()->enableCurrentEditor(false);
    QVERIFY(!button->isVisible());

    // Switched off, a focus on it or a move of it brings nothing back.
    place(hwnd);
    QVERIFY(!button->isVisible());
    IAccessiblePtr object = objectWithRole(hwnd, ROLE_SYSTEM_CLIENT);
    button->winEventProc(object.GetInterfacePtr(), nullptr, EVENT_OBJECT_LOCATIONCHANGE, hwnd, OBJID_WINDOW, 0, 0,
                         0, false);
    QVERIFY(!button->isVisible());

    getEditorManager()->enableCurrentEditor(true);
    QVERIFY(button->isVisible());
}

void TestDialogFloat::animationAndCancel()
{
    place(createEditor(QRect(100, 100, 600, 400)));
    auto* label = button->findChild<QLabel*>("lblChecking");
    auto* logo = button->findChild<QToolButton*>("btnLogo");
    auto* menu = button->findChild<QToolButton*>("btnLogoMenu");
    QVERIFY(label && logo && menu);
    QVERIFY(label->isHidden());

    for (int run = 0; run < 2; ++run) {
        button->checkBegin();
        QPointer<QMovie> movie = label->movie();
        QVERIFY(movie);
        QCOMPARE(movie->state(), QMovie::Running);
        QVERIFY(movie->frameCount() > 1);
        QVERIFY(!label->isHidden());
        QVERIFY(logo->isHidden() && menu->isHidden());

        getActions()->checkParam = getEditorManager()->getActiveEditorParam();
        button->on_lblChecking_mouseLeftClick();
        QVERIFY(!getActions()->checkParam);
        QVERIFY(!movie);      // one animation per check, gone with it
        QVERIFY(label->isHidden());
        QVERIFY(!logo->isHidden() && !menu->isHidden());
    }
}

void TestDialogFloat::commandSetSeesCheckEndFirst()
{
    QVERIFY(client->login("demo", "demo"));
    tracker.pageText = QStringLiteral("我们的的目标在这里。");
    place(createEditor(QRect(100, 100, 600, 400)));
    log.clear();
    QSignalSpy done(client, &CheckerClient::checkDone);
    button->on_btnLogo_clicked();
    QVERIFY(done.wait(30000));
    // The result reached the editor the check was made for; then the button forgot it.
    QCOMPARE(log.mid(0, 2), (QStringList{"current page", "show 1 errors in editor"}));
    QVERIFY(!getActions()->checkParam);
    QVERIFY(button->findChild<QLabel*>("lblChecking")->isHidden());
}

void TestDialogFloat::menuCarriesCommands()
{
    Actions* actions = getActions();
    QList<QAction*> entries = button->menu()->actions();
    QStringList names;
    for (QAction* entry : entries)
        names << (entry->isSeparator() ? "-" : entry->menu() ? entry->menu()->title() : entry->objectName());
    QCOMPARE(names, (QStringList{"actionCheckCurrentPage", "actionCheckNext10Pages", "actionRemoveAll", "-",
                                 "actionShowErrorList", "actionShowWriter", "-", "actionEnableThisEditor", "-",
                                 "Error Type", "Dict", "-", "actionReportError"}));
    QCOMPARE(button->menu()->defaultAction(), actions->actionCheckCurrentPage);
}

void TestDialogFloat::followsFocusedEditorEndToEnd()
{
    EditorManager* manager = getEditorManager();
    tracker.takes = true;
    manager->addClientHelper(&tracker);
    HWND hwnd = createEditor(QRect(200, 150, 500, 300));
    sim::setFocus(hwnd);
    QTRY_VERIFY_WITH_TIMEOUT(button->isVisible(), 5000);
    const QPoint first = button->pos();
    QCOMPARE(first, QPoint(700 - 27 - button->width(), 450 - 27 - button->height()));

    sim::moveWindow(GetAncestor(hwnd, GA_ROOT), RECT{250, 150, 770, 500});
    sim::moveWindow(hwnd, RECT{260, 190, 760, 490});
    QTRY_COMPARE_WITH_TIMEOUT(button->pos(), first + QPoint(60, 40), 5000);

    // Another program takes the focus and no tracker wants it: the button goes.
    tracker.takes = false;
    sim::setFocus(createEditor(QRect(0, 0, 300, 300), u"C:\\Apps\\paint.exe"));
    QTRY_VERIFY_WITH_TIMEOUT(!button->isVisible(), 5000);

    // The editor left behind moves: it stays without the button.
    int moves = 0;
    QObject guard;
    connect(manager, &EditorManager::winEvent, &guard,
            [&moves](IUnknown*, HWINEVENTHOOK, DWORD event) { moves += event == EVENT_OBJECT_LOCATIONCHANGE; });
    sim::moveWindow(hwnd, RECT{300, 190, 800, 490});
    QTRY_VERIFY_WITH_TIMEOUT(moves > 0, 5000);
    QVERIFY(!button->isVisible());
}

QTEST_MAIN(TestDialogFloat)
#include "tst_dialogfloat.moc"
