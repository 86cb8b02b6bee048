#include <QtTest>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "demoscene.h"
#include "demowindow.h"
#include "editorbinding.h"
#include "pagedtextedit.h"
#include "window.h"
#include "winevent.h"
#include "wordobjects.h"

namespace {
// Counts the selection-change events the word processor raises.
class SelectionSink : public ComObject<IDispatch>
{
public:
    int selections = 0;
    HRESULT GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        if (event == word::AppEvent::WindowSelectionChange)
            ++selections;
        return S_OK;
    }
};

QVector<QPair<DWORD, HWND>> focusEvents;
void hookProcedure(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG, LONG, DWORD, DWORD)
{
    focusEvents.append({event, hwnd});
}

QString simText(sim::WordDocId doc) { return QString::fromStdU16String(sim::wordText(doc)); }
}

class TestDemoWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void editsReachTheDocument_data();
    void editsReachTheDocument();
    void documentChangesReachTheEditor();
    void focusFollowsBothWays();
    void leavingTheWindowLeavesTheDocument();
    void geometryIsTheEditorsLayout();
    void documentCommands();
    void pageEndsAreShown();

private:
    DemoWindow* window() const { return scene->windows().value(0); }
    QPlainTextEdit* editor() const { return window()->editor(); }
    sim::WordDocId doc() const { return window()->document(); }

    DemoScene* scene = nullptr;
    SelectionSink* sink = nullptr;
    IConnectionPointPtr point;
    DWORD cookie = 0;
};

void TestDemoWindow::init()
{
    sim::reset();
    scene = new DemoScene;
    QVERIFY(QTest::qWaitForWindowExposed(window()));
    QApplication::setActiveWindow(window());
    editor()->setFocus();
    sink = new SelectionSink;
    IConnectionPointContainerPtr container(sim::wordApplicationObject(scene->application()));
    QCOMPARE(container->FindConnectionPoint(IID_ApplicationEvents2, &point), S_OK);
    QCOMPARE(point->Advise(static_cast<IDispatch*>(sink), &cookie), S_OK);
}

void TestDemoWindow::cleanup()
{
    point->Unadvise(cookie);
    point = nullptr;
    sink->Release();
    delete scene;
    QCOMPARE(sim::liveWordObjects(), 0);
}

void TestDemoWindow::editsReachTheDocument_data()
{
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("keys");                    // typed; "\b" backspace, "\n" new paragraph
    QTest::addColumn<QString>("start");                   // how the document begins afterwards
    QTest::newRow("typing") << 2 << "XY" << "项目XY周报\r";
    QTest::newRow("backspace") << 2 << "\b" << "项周报\r";
    QTest::newRow("new paragraph") << 2 << "\n" << "项目\r周报\r";
}

void TestDemoWindow::editsReachTheDocument()
{
    QFETCH(int, caret);
    QFETCH(QString, keys);
    QFETCH(QString, start);
    const int pageTwo = sim::wordPageStarts(doc())[0];
    QTextCursor cursor = editor()->textCursor();
    cursor.setPosition(caret);
    editor()->setTextCursor(cursor);
    QCOMPARE(sim::wordSelection(doc()), std::make_pair(caret, caret));
    QTRY_COMPARE(sink->selections, 1);
    for (QChar key : keys) {
        if (key == QLatin1Char('\b'))
            QTest::keyClick(editor(), Qt::Key_Backspace);
        else if (key == QLatin1Char('\n'))
            QTest::keyClick(editor(), Qt::Key_Return);
        else
            QTest::keyClicks(editor(), QString(key));
    }
    QVERIFY(simText(doc()).startsWith(start));
    QCOMPARE(EditorBinding::editorText(sim::wordText(doc())), editor()->toPlainText());
    const int moved = start.indexOf(QLatin1Char('\r'), start.indexOf(QStringLiteral("周报"))) + 1 - 5;
    QCOMPARE(sim::wordPageStarts(doc())[0], pageTwo + moved);
    const int caretAfter = editor()->textCursor().position();
    QCOMPARE(sim::wordSelection(doc()), std::make_pair(caretAfter, caretAfter));
    QTRY_COMPARE(sink->selections, 1 + keys.size());
}

void TestDemoWindow::documentChangesReachTheEditor()
{
    IDispatchPtr document = sim::wordDocumentObject(doc());
    IDispatchPtr range = callMethod(document, word::Document::Range, {7, 9}).toDispatch();
    QCOMPARE(getProperty(range, word::Range::Text).toString(), QStringLiteral("他门"));
    IDispatchPtr font = getProperty(range, word::Range::Font).toDispatch();
    putProperty(font, word::Font::Underline, word::wdUnderlineWavyHeavy);
    putProperty(font, word::Font::UnderlineColor, 496);
    const QList<QTextEdit::ExtraSelection> marks = editor()->extraSelections();
    QCOMPARE(marks.size(), 1);
    QCOMPARE(marks[0].cursor.selectionStart(), 7);
    QCOMPARE(marks[0].cursor.selectionEnd(), 9);
    QCOMPARE(marks[0].format.underlineStyle(), QTextCharFormat::WaveUnderline);
    QCOMPARE(marks[0].format.underlineColor(), QColor(240, 1, 0));

    callMethod(range, word::Range::Select);
    QCOMPARE(editor()->textCursor().selectedText(), QStringLiteral("他门"));
    putProperty(range, word::Range::Text, QStringLiteral("他们"));
    QVERIFY(editor()->toPlainText().startsWith(QStringLiteral("项目周报\n本周他们都以经")));
    QCOMPARE(editor()->extraSelections().size(), 1);        // the new text keeps the first unit's format
}

void TestDemoWindow::focusFollowsBothWays()
{
    focusEvents.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_FOCUS, nullptr, hookProcedure, 0, 0,
                                         WINEVENT_OUTOFCONTEXT);
    QLineEdit elsewhere;
    elsewhere.show();
    // Shown windows are activated later on this platform: that must not happen mid-test.
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    elsewhere.setFocus();
    QTRY_VERIFY(elsewhere.hasFocus());
    sim::setForeground(nullptr);
    SetFocus(nullptr);
    // The tracker gives the focus back to the document the way it would on Windows.
    QVERIFY(SetForegroundWindow(sim::wordFrame(doc())));
    SetFocus(sim::wordPane(doc()));
    QTRY_VERIFY(editor()->hasFocus());
    QCOMPARE(GetFocus(), sim::wordPane(doc()));
    QTRY_VERIFY(focusEvents.contains(qMakePair(EVENT_OBJECT_FOCUS, sim::wordPane(doc()))));

    // And the editor's own focus is the pane's.
    QApplication::setActiveWindow(&elsewhere);
    // The platform's own activation of it, queued, must not come after the switch back.
    QCoreApplication::processEvents();
    elsewhere.setFocus();
    SetFocus(nullptr);
    focusEvents.clear();
    QApplication::setActiveWindow(window());
    editor()->setFocus();
    QTRY_VERIFY(focusEvents.contains(qMakePair(EVENT_OBJECT_FOCUS, sim::wordPane(doc()))));
    QCOMPARE(GetForegroundWindow(), sim::wordFrame(doc()));
    UnhookWinEvent(hook);
}

void TestDemoWindow::leavingTheWindowLeavesTheDocument()
{
    QTRY_COMPARE(GetFocus(), sim::wordPane(doc()));
    // The set-up's own events first: they would pull the window to the front again.
    QCoreApplication::processEvents();
    focusEvents.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, hookProcedure, 0, 0,
                                         WINEVENT_OUTOFCONTEXT);
    // Any other window, even one the simulated desktop does not know.
    QLineEdit elsewhere;
    elsewhere.show();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    QTRY_VERIFY(!focusEvents.isEmpty());
    const HWND focused = focusEvents.last().second;
    QVERIFY(focused && focused != sim::wordPane(doc()) && focused != sim::wordFrame(doc()));
    QCOMPARE(GetFocus(), focused);
    // Back in the window, the document has the focus again.
    QApplication::setActiveWindow(window());
    editor()->setFocus();
    QTRY_COMPARE(GetFocus(), sim::wordPane(doc()));
    UnhookWinEvent(hook);
}

void TestDemoWindow::geometryIsTheEditorsLayout()
{
    RECT pane;
    GetWindowRect(sim::wordPane(doc()), &pane);
    const QPoint origin = editor()->viewport()->mapToGlobal(QPoint(0, 0));
    QCOMPARE(QPoint(pane.left, pane.top), origin);
    IDispatchPtr window = sim::wordWindowObject(doc());
    IDispatchPtr range = sim::wordRangeObject(doc(), 7, 9);
    LONG left = 0, top = 0, width = 0, height = 0;
    callMethod(window, word::Window::GetPoint,
               {_variant_t::byRef(&left), _variant_t::byRef(&top), _variant_t::byRef(&width), _variant_t::byRef(&height), range});
    QTextCursor cursor(editor()->document());
    cursor.setPosition(7);
    const QRect start = editor()->cursorRect(cursor).translated(origin);
    QCOMPARE(QPoint(left, top), start.topLeft());
    QVERIFY(width > 0 && height >= start.height());
}

void TestDemoWindow::documentCommands()
{
    const sim::WordDocId first = doc();
    window()->findChild<QPushButton*>(QStringLiteral("pushButtonSave"))->click();
    window()->findChild<QPushButton*>(QStringLiteral("pushButtonPrint"))->click();
    QTRY_COMPARE(sim::lastSave(first).count, 1);
    QTRY_COMPARE(sim::lastPrint(first).count, 1);
    window()->findChild<QPushButton*>(QStringLiteral("pushButtonNew"))->click();
    QCOMPARE(scene->windows().size(), 2);
    const sim::WordDocId second = scene->windows()[1]->document();
    QVERIFY(second != first);
    QCOMPARE(scene->windows()[1]->editor()->toPlainText(), QString());
    scene->windows()[0]->findChild<QPushButton*>(QStringLiteral("pushButtonClose"))->click();
    QTRY_VERIFY(!sim::wordDocumentOpen(first));
    QTRY_COMPARE(scene->windows().size(), 1);
    QCOMPARE(window()->document(), second);
}

void TestDemoWindow::pageEndsAreShown()
{
    const QImage shown = editor()->viewport()->grab().toImage();
    const int x = shown.width() / 4;
    // Whether a line in the page-end colour crosses the view between two lines of text.
    auto lineBetween = [&](int before, int after) {
        QTextCursor cursor(editor()->document());
        cursor.setPosition(before);
        const int top = editor()->cursorRect(cursor).bottom() - 2;
        cursor.setPosition(after);
        const int bottom = editor()->cursorRect(cursor).top() + 2;
        for (int y = std::max(0, top); y <= bottom && y < shown.height(); ++y) {
            if (shown.pixelColor(x, y) == PagedTextEdit::pageEndColor())
                return true;
        }
        return false;
    };
    const std::vector<int> starts = sim::wordPageStarts(doc());
    QCOMPARE(int(starts.size()), 2);
    for (int start : starts)
        QVERIFY2(lineBetween(start - 1, start), qPrintable(QStringLiteral("no end before %1").arg(start)));
    // Lines within a page are not divided.
    const int secondLine = simText(doc()).indexOf(QLatin1Char('\r')) + 1;
    QVERIFY(!lineBetween(secondLine - 1, secondLine));
}

QTEST_MAIN(TestDemoWindow)
#include "tst_demowindow.moc"
