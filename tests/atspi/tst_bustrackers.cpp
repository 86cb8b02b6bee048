// The editor manager and the trackers against real programs on the accessibility bus: zenity (GTK)
// and a Qt program of ours, each in an X server and a session bus of the test's own.
#include <QtTest>

#include <atspi/atspi.h>

#include <atomic>
#include <csignal>
#include <future>
#include <thread>

#include "atspi/atspidesktop.h"
#include "buscommands.h"
#include "editormanager.h"
#include "msaaclienthelper.h"
#include "process.h"
#include "sim/desktop.h"
#include "window.h"
#include "uiaclienthelper.h"
#include "uiautomation.h"

using buscommands::run;

namespace {

const QString sampleText = QStringLiteral("第一段有个错字😀在这里。\n第二行 plain ASCII 和中文。");
const QString secret = QStringLiteral("Hidden-4711-secret");

QStringList messages;

void keepMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    messages.append(text);
}

struct Client
{
    QString kind;                        // "text-info", "entry", "password", "list", "qt"
    QString focus;                       // the Qt program's field: edit, line, password
    bool editable = true;
};

struct WinEventSeen
{
    DWORD event = 0;
    HWND hwnd = nullptr;
    bool focusChanged = false;
};

QRect rectFromLine(const QByteArray& output, const QString& field)
{
    for (const QByteArray& line : output.split('\n')) {
        const QStringList parts = QString::fromUtf8(line).split(QLatin1Char(' '));
        if (parts.size() == 5 && parts[0] == field)
            return QRect(parts[1].toInt(), parts[2].toInt(), parts[3].toInt(), parts[4].toInt());
    }
    return QRect();
}

// Bus events seen, and those handed to any thread but the bus thread.
struct EventThreads
{
    std::atomic<int> seen{0};
    std::atomic<int> elsewhere{0};
};

void countEventThread(AtspiEvent* event, void* data)
{
    auto* threads = static_cast<EventThreads*>(data);
    ++threads->seen;
    if (!atspi_detail::AtspiDesktop::onBusThread())
        ++threads->elsewhere;
    g_boxed_free(ATSPI_TYPE_EVENT, event);
}

// What one kind of caller reads of an editor, as one line, which stays the same while the window moves.
using Reader = QString (*)(HWND);

QString readWindow(HWND hwnd)
{
    WCHAR className[64] = {};
    WCHAR title[128] = {};
    const HWND frame = GetAncestor(hwnd, GA_ROOT);
    GetClassNameW(hwnd, className, 64);
    GetWindowTextW(frame, title, 128);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT rect = {};
    const bool placed = GetWindowRect(hwnd, &rect) && rect.right > rect.left;
    return QStringList{QString::number(IsWindow(hwnd)), QString::fromUtf16(className), QString::fromUtf16(title),
                       QString::number(reinterpret_cast<quintptr>(frame)), QString::number(pid), QString::number(placed)}
        .join(QLatin1Char('|'));
}

QString readMsaa(HWND hwnd)
{
    IAccessiblePtr acc;
    if (FAILED(AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&acc))) || !acc)
        return QStringLiteral("no object");
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role;
    VariantInit(&role);
    BSTR value = nullptr;
    LONG left = 0, top = 0, width = 0, height = 0;
    const QString line = QStringList{QString::number(acc->get_accRole(self, &role)), QString::number(role.lVal),
                                     QString::number(acc->get_accValue(self, &value)), QString::fromUtf16(value),
                                     QString::number(acc->accLocation(&left, &top, &width, &height, self) == S_OK && width > 0)}
                             .join(QLatin1Char('|'));
    SysFreeString(value);
    return line;
}

QString readUiaInitialised(HWND hwnd)
{
    QString line = QStringLiteral("no automation");
    IUIAutomationPtr automation;
    IUIAutomationElementPtr element;
    IUIAutomationElementPtr frame;
    IUIAutomationConditionPtr condition;
    IUIAutomationElementArrayPtr found;
    IUIAutomationTextPatternPtr pattern;
    IUIAutomationTextRangePtr range;
    VARIANT wanted;
    VariantInit(&wanted);
    wanted.vt = VT_BOOL;
    wanted.boolVal = VARIANT_TRUE;
    BSTR text = nullptr;
    RECT rect = {};
    int editors = 0;
    if (SUCCEEDED(automation.CreateInstance(CLSID_CUIAutomation)) && SUCCEEDED(automation->ElementFromHandle(hwnd, &element))
        && SUCCEEDED(automation->ElementFromHandle(GetAncestor(hwnd, GA_ROOT), &frame))
        && SUCCEEDED(automation->CreatePropertyCondition(UIA_IsTextPatternAvailablePropertyId, wanted, &condition))
        && SUCCEEDED(frame->FindAll(TreeScope_Subtree, condition, &found)) && SUCCEEDED(found->get_Length(&editors))
        && SUCCEEDED(element->GetCurrentPatternAs(UIA_TextPatternId, IID_IUIAutomationTextPattern,
                                                  reinterpret_cast<void**>(&pattern)))
        && pattern && SUCCEEDED(pattern->get_DocumentRange(&range))) {
        line = QStringList{QString::number(range->GetText(-1, &text)), QString::fromUtf16(text),
                           QString::number(element->get_CurrentBoundingRectangle(&rect) == S_OK && rect.right > rect.left),
                           QString::number(editors)}
                   .join(QLatin1Char('|'));
    }
    SysFreeString(text);
    return line;
}

QString readUia(HWND hwnd)
{
    CoInitialize(nullptr);
    const QString line = readUiaInitialised(hwnd);
    CoUninitialize();
    return line;
}

} // namespace

Q_DECLARE_METATYPE(Client)
Q_DECLARE_METATYPE(Reader)

class TestBusTrackers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void editorIsFollowed_data();
    void editorIsFollowed();
    void fieldIsNotTaken_data();
    void fieldIsNotTaken();
    void windowMoveRaisesLocationChange();
    void vanishingClientLeavesNothing();
    void callsFromManyThreadsAgree_data();
    void callsFromManyThreadsAgree();
    void stuckBusThreadIsGivenUp();
    void windowsExistAskedTogether_data();
    void windowsExistAskedTogether();

private:
    void startClient(const Client& client, const QString& title);
    WId clientWindow(const QString& title);
    bool focusSeen();
    void typeIntoClient(const QString& text);

    QTemporaryDir dir;
    QProcess client;
    QProcess busLauncher;
    EditorManager* manager = nullptr;
    UIAClientHelper* uia = nullptr;
    MSAAClientHelper* msaa = nullptr;
    QVector<WinEventSeen> events;
    QSharedPointer<EditorParam> detected;
    ClientHelper* detectedBy = nullptr;
    QString detectedName;
    QByteArray clientOutput;
    WId window = 0;
    int abandoned = 0;
};

void TestBusTrackers::initTestCase()
{
    qRegisterMetaType<QSharedPointer<EditorParam>>();
    QVERIFY(buscommands::startBusLauncher(busLauncher));
    // The desktop's accessibility setting: toolkits join the bus when it is on.
    QTRY_VERIFY_WITH_TIMEOUT(buscommands::setAccessibility(true), 10000);
    QVERIFY2(atspi_detail::AtspiDesktop::instance(), "the accessibility bus did not answer");
    qInstallMessageHandler(keepMessage);
}

void TestBusTrackers::cleanupTestCase()
{
    qInstallMessageHandler(nullptr);
    // The launcher ends the bus it started.
    busLauncher.terminate();
    QVERIFY(busLauncher.waitForFinished());
}

void TestBusTrackers::init()
{
    events.clear();
    detected.reset();
    detectedBy = nullptr;
    detectedName.clear();
    clientOutput.clear();
    messages.clear();
    manager = new EditorManager;
    uia = new UIAClientHelper;
    msaa = new MSAAClientHelper;
    manager->addClientHelper(uia);
    manager->addClientHelper(msaa);
    connect(manager, &EditorManager::winEvent, this,
            [this](IUnknown*, HWINEVENTHOOK, DWORD event, HWND hwnd, LONG, LONG, DWORD, DWORD, bool focusChanged) {
                events.append({event, hwnd, focusChanged});
            });
    connect(manager, &EditorManager::editorDetected, this,
            [this](ClientHelper* helper, QString name, QSharedPointer<EditorParam> param) {
                detectedBy = helper;
                detectedName = name;
                detected = param;
            });
}

void TestBusTrackers::cleanup()
{
    // Released while the client still runs: objects of a program that is gone are abandoned on
    // purpose, which vanishingClientLeavesNothing looks at.
    delete manager;
    manager = nullptr;
    delete uia;
    uia = nullptr;
    delete msaa;
    msaa = nullptr;
    detected.reset();
    QTRY_COMPARE_WITH_TIMEOUT(sim::liveComObjects(), abandoned, 5000);
    QCOMPARE(sim::openProcessHandles(), 0);
    QCOMPARE(sim::liveStrings(), 0);
    if (client.state() != QProcess::NotRunning) {
        client.kill();
        client.waitForFinished();
    }
    QTRY_COMPARE_WITH_TIMEOUT(atspi_detail::AtspiDesktop::instance()->handleCount(), 0, 5000);
}

void TestBusTrackers::startClient(const Client& c, const QString& title)
{
    if (c.kind == QLatin1String("qt")) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        client.setProcessEnvironment(env);
        client.start(QStringLiteral(ATSPI_QTFIXTURE), {title, sampleText, c.focus});
    } else {
        client.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        QStringList args{QStringLiteral("--title=") + title};
        if (c.kind == QLatin1String("text-info")) {
            QFile file(dir.filePath(QStringLiteral("text.txt")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(sampleText.toUtf8());
            file.close();
            args << QStringLiteral("--text-info") << QStringLiteral("--filename=") + file.fileName();
            if (c.editable)
                args << QStringLiteral("--editable");
        } else if (c.kind == QLatin1String("entry")) {
            args << QStringLiteral("--entry") << QStringLiteral("--entry-text=") + sampleText.section(QLatin1Char('\n'), 0, 0);
        } else if (c.kind == QLatin1String("list")) {
            args << QStringLiteral("--list") << QStringLiteral("--column=Row");
            for (int row = 0; row < 5000; ++row)
                args << QString::number(row);
        } else {
            args << QStringLiteral("--password");
        }
        client.start(QStringLiteral("zenity"), args);
    }
    QVERIFY(client.waitForStarted());
    window = clientWindow(title);
    QVERIFY2(window, "the client's window did not appear");
    if (c.kind == QLatin1String("qt"))
        QTRY_VERIFY_WITH_TIMEOUT((clientOutput += client.readAllStandardOutput()).count('\n') >= 3, 10000);
    // Focus events reach winEvent only once the trackers have examined them.
    QVERIFY2(buscommands::focusUntil(QString::number(window), [this] { return focusSeen(); }),
             "the client never reported the focus");
}

WId TestBusTrackers::clientWindow(const QString& title)
{
    QByteArray out;
    for (int tries = 0; tries < 100; ++tries) {
        if (run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')}, &out)
            && !out.trimmed().isEmpty())
            return out.trimmed().split('\n').first().toULongLong();
        QTest::qWait(100);
    }
    return 0;
}

bool TestBusTrackers::focusSeen()
{
    const DWORD pid = static_cast<DWORD>(client.processId());
    for (const WinEventSeen& e : events) {
        DWORD owner = 0;
        if (e.event == EVENT_OBJECT_FOCUS && GetWindowThreadProcessId(e.hwnd, &owner) && owner == pid)
            return true;
    }
    return false;
}

void TestBusTrackers::typeIntoClient(const QString& text)
{
    QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text}));
}

void TestBusTrackers::editorIsFollowed_data()
{
    QTest::addColumn<Client>("client");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("geometryField");

    const QString firstLine = sampleText.section(QLatin1Char('\n'), 0, 0);
    QTest::newRow("GTK text view") << Client{QStringLiteral("text-info"), {}, true} << sampleText
                                   << QStringLiteral("zenity") << QString();
    QTest::newRow("GTK one-line entry") << Client{QStringLiteral("entry"), {}, true} << firstLine
                                        << QStringLiteral("zenity") << QString();
    QTest::newRow("Qt text edit") << Client{QStringLiteral("qt"), QStringLiteral("edit"), true} << sampleText
                                  << QStringLiteral("atspi_qtfixture") << QStringLiteral("edit");
    QTest::newRow("Qt line edit") << Client{QStringLiteral("qt"), QStringLiteral("line"), true} << firstLine
                                  << QStringLiteral("atspi_qtfixture") << QStringLiteral("line");
}

void TestBusTrackers::editorIsFollowed()
{
    QFETCH(Client, client);
    QFETCH(QString, text);
    QFETCH(QString, program);
    QFETCH(QString, geometryField);
    const QString title = QStringLiteral("Korrelo bus editor %1").arg(QTest::currentDataTag());

    startClient(client, title);
    QTRY_VERIFY_WITH_TIMEOUT(detected, 10000);
    QCOMPARE(detectedBy, static_cast<ClientHelper*>(uia));
    QCOMPARE(detectedName, title);
    QCOMPARE(manager->getActiveEditorParam()->exeName, program);
    QCOMPARE(uia->getCurrentPageText(detected, false), text);
    QCOMPARE(msaa->getCurrentPageText(detected, false), text);

    const QRect rect = uia->getEditRect(detected);
    QVERIFY(!rect.isEmpty());
    if (!geometryField.isEmpty()) {
        const QRect expected = rectFromLine(clientOutput, geometryField);
        QVERIFY2(std::abs(rect.left() - expected.left()) <= 2 && std::abs(rect.top() - expected.top()) <= 2
                     && std::abs(rect.width() - expected.width()) <= 2 && std::abs(rect.height() - expected.height()) <= 2,
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height())));
    } else {
        RECT frame;
        QVERIFY(GetWindowRect(GetAncestor(detected->hwnd, GA_ROOT), &frame));
        QVERIFY(QRect(frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top).contains(rect));
    }
    WCHAR className[64] = {};
    QVERIFY(GetClassNameW(detected->hwnd, className, 64) > 0);
    QVERIFY(QString::fromUtf16(className).endsWith(QLatin1String(":text")));
}

void TestBusTrackers::fieldIsNotTaken_data()
{
    QTest::addColumn<Client>("client");
    QTest::addColumn<bool>("typeSecret");

    QTest::newRow("GTK read-only view") << Client{QStringLiteral("text-info"), {}, false} << false;
    // The focused table's subtree is searched for editors within the walk's limits, not row by row.
    QTest::newRow("GTK long list") << Client{QStringLiteral("list"), {}, false} << false;
    QTest::newRow("GTK password") << Client{QStringLiteral("password"), {}, true} << true;
    QTest::newRow("Qt password") << Client{QStringLiteral("qt"), QStringLiteral("password"), true} << true;
}

void TestBusTrackers::fieldIsNotTaken()
{
    QFETCH(Client, client);
    QFETCH(bool, typeSecret);

    startClient(client, QStringLiteral("Korrelo bus field %1").arg(QTest::currentDataTag()));
    if (typeSecret)
        typeIntoClient(secret);
    QVERIFY(!detected);
    QVERIFY(!manager->getActiveHelper());

    // Asked directly, neither tracker reads the field.
    const WinEventSeen focus = *std::find_if(events.rbegin(), events.rend(),
                                             [](const WinEventSeen& e) { return e.event == EVENT_OBJECT_FOCUS; });
    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = focus.hwnd;
    IAccessible* acc = nullptr;
    VARIANT child;
    QCOMPARE(AccessibleObjectFromEvent(focus.hwnd, OBJID_CLIENT, CHILDID_SELF, &acc, &child), S_OK);
    param->setAcc(IAccessiblePtr(acc));
    acc->Release();
    QVERIFY(!uia->focusChanged(param));
    QVERIFY(!msaa->focusChanged(param));
    const QString read = uia->getCurrentPageText(param, false) + msaa->getCurrentPageText(param, false);
    if (typeSecret) {
        QVERIFY(read.isEmpty());
        for (const QString& message : messages)
            QVERIFY(!message.contains(secret));
    }
}

void TestBusTrackers::windowMoveRaisesLocationChange()
{
    startClient({QStringLiteral("entry"), {}, true}, QStringLiteral("Korrelo bus mover"));
    QTRY_VERIFY_WITH_TIMEOUT(detected, 10000);
    const QRect before = uia->getEditRect(detected);
    events.clear();
    QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QString::number(window),
                                            QString::number(before.left() + 37), QString::number(before.top() + 23)}));
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(events.begin(), events.end(),
                                         [](const WinEventSeen& e) { return e.event == EVENT_OBJECT_LOCATIONCHANGE; }),
                             5000);
    QVERIFY(uia->getEditRect(detected) != before);
}

void TestBusTrackers::vanishingClientLeavesNothing()
{
    auto* bus = atspi_detail::AtspiDesktop::instance();
    startClient({QStringLiteral("text-info"), {}, true}, QStringLiteral("Korrelo bus leaver"));
    QTRY_VERIFY_WITH_TIMEOUT(detected, 10000);
    const HWND hwnd = detected->hwnd;
    QVERIFY(IsWindow(hwnd));

    // A program that stops answering in the middle of a request: the call times out, empty.
    ::kill(static_cast<pid_t>(client.processId()), SIGSTOP);
    QVERIFY(uia->getCurrentPageText(detected, false).isEmpty());
    QVERIFY(uia->getEditRect(detected).isEmpty());
    client.kill();
    client.waitForFinished();

    QVERIFY(uia->getCurrentPageText(detected, false).isEmpty());
    QVERIFY(msaa->getCurrentPageText(detected, false).isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!IsWindow(hwnd), 5000);
    WCHAR title[16] = {};
    QCOMPARE(GetWindowTextW(hwnd, title, 16), 0);
    QCOMPARE(manager->getExeFileName(hwnd), QString());
    QTRY_COMPARE_WITH_TIMEOUT(bus->handleCount(), 0, 5000);
    // The editor's accessible object (and its identity) is abandoned rather than released, as for
    // any program that went away; everything else is released.
    abandoned += 2;
}

void TestBusTrackers::callsFromManyThreadsAgree_data()
{
    QTest::addColumn<Reader>("reader");
    QTest::addColumn<QString>("shows");

    const QString firstLine = sampleText.section(QLatin1Char('\n'), 0, 0);
    QTest::newRow("window calls") << &readWindow << QStringLiteral("1|gtk:text|Korrelo bus crowd window calls|");
    QTest::newRow("MSAA") << &readMsaa << QStringLiteral("0|42|0|") + firstLine + QStringLiteral("|1");
    QTest::newRow("UI Automation") << &readUia << QStringLiteral("0|") + firstLine + QStringLiteral("|1|1");
}

// Threads ask about the editor all at once while its window moves and its focus comes and goes;
// the bus reports that on its own thread only.
void TestBusTrackers::callsFromManyThreadsAgree()
{
    using atspi_detail::AtspiDesktop;
    QFETCH(Reader, reader);
    QFETCH(QString, shows);
    startClient({QStringLiteral("entry"), {}, true}, QStringLiteral("Korrelo bus crowd %1").arg(QTest::currentDataTag()));
    QTRY_VERIFY_WITH_TIMEOUT(detected, 10000);
    const HWND hwnd = detected->hwnd;
    const QString expected = reader(hwnd);
    QVERIFY2(expected.startsWith(shows), qPrintable(expected));

    static EventThreads eventThreads;
    eventThreads.seen = eventThreads.elsewhere = 0;
    const std::vector<const char*> watched{"window:", "object:state-changed"};
    AtspiEventListener* listener = AtspiDesktop::call(
        [watched] {
            AtspiEventListener* made = atspi_event_listener_new(countEventThread, &eventThreads, nullptr);
            for (const char* type : watched)
                atspi_event_listener_register(made, type, nullptr);
            return made;
        },
        nullptr);
    QVERIFY(listener);

    constexpr int threads = 4;
    constexpr int rounds = 40;
    std::atomic<int> disagreed{0};
    QString firstOdd;
    std::mutex oddMutex;
    std::vector<std::thread> crowd;
    for (int t = 0; t < threads; ++t) {
        crowd.emplace_back([&] {
            for (int i = 0; i < rounds; ++i) {
                const QString line = reader(hwnd);
                if (line != expected && disagreed++ == 0) {
                    std::lock_guard<std::mutex> held(oddMutex);
                    firstOdd = line;
                }
            }
        });
    }
    const QRect before = uia->getEditRect(detected);
    for (int step = 1; step <= 6; ++step) {
        run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QString::number(window),
                                        QString::number(before.left() + 11 * step), QString::number(before.top() + 7 * step)});
        run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("0")});
        run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QString::number(window)});
    }
    for (std::thread& thread : crowd)
        thread.join();
    AtspiDesktop::call(
        [listener, watched] {
            for (const char* type : watched)
                atspi_event_listener_deregister(listener, type, nullptr);
            g_object_unref(listener);
            return true;
        },
        false);
    QVERIFY(eventThreads.seen > 0);
    QCOMPARE(eventThreads.elsewhere.load(), 0);
    QVERIFY2(disagreed == 0, qPrintable(QStringLiteral("%1 odd answers, first: %2 (expected %3)")
                                            .arg(disagreed.load()).arg(firstOdd, expected)));
}

// A bus thread that stops answering costs each caller a bounded wait, and the work it was handed
// still runs once the thread goes on.
void TestBusTrackers::stuckBusThreadIsGivenUp()
{
    using atspi_detail::AtspiDesktop;
    std::promise<void> unstuck;
    std::shared_future<void> goOn = unstuck.get_future().share();
    AtspiDesktop::post([goOn] { goOn.wait(); });
    auto ran = std::make_shared<std::atomic<bool>>(false);
    QCOMPARE(AtspiDesktop::call([ran] { return ran->exchange(true) ? 2 : 1; }, -1), -1);
    QVERIFY(!*ran);
    unstuck.set_value();
    QTRY_VERIFY_WITH_TIMEOUT(*ran, 5000);
    QCOMPARE(AtspiDesktop::call([] { return 1; }, -1), 1);
}

void TestBusTrackers::windowsExistAskedTogether_data()
{
    QTest::addColumn<QString>("busState");
    // For the editor, its frame, a handle the bus never gave, a simulated window and a destroyed one.
    QTest::addColumn<QVector<bool>>("exist");

    QTest::newRow("bus answers") << QStringLiteral("answers") << QVector<bool>{true, true, false, true, false};
    QTest::newRow("program gone") << QStringLiteral("gone") << QVector<bool>{false, false, false, true, false};
    // Nothing is forgotten for want of an answer, and the simulated desktop still answers.
    QTest::newRow("bus thread stuck") << QStringLiteral("stuck") << QVector<bool>{true, true, true, true, false};
}

void TestBusTrackers::windowsExistAskedTogether()
{
    using atspi_detail::AtspiDesktop;
    QFETCH(QString, busState);
    QFETCH(QVector<bool>, exist);
    startClient({QStringLiteral("entry"), {}, true}, QStringLiteral("Korrelo bus windows %1").arg(QTest::currentDataTag()));
    QTRY_VERIFY_WITH_TIMEOUT(detected, 10000);
    sim::WindowSpec edit;
    edit.className = u"Edit";
    const HWND simulated = sim::createWindow(edit);
    const HWND destroyed = sim::createWindow(edit);
    sim::destroyWindow(destroyed);
    const std::vector<HWND> asked{detected->hwnd, GetAncestor(detected->hwnd, GA_ROOT),
                                  reinterpret_cast<HWND>(0x3ffffff0), simulated, destroyed};

    std::promise<void> unstuck;
    if (busState == QLatin1String("gone")) {
        client.kill();
        client.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(!IsWindow(detected->hwnd), 5000);
        abandoned += 2;
    } else if (busState == QLatin1String("stuck")) {
        std::shared_future<void> goOn = unstuck.get_future().share();
        AtspiDesktop::post([goOn] { goOn.wait(); });
    }
    const std::vector<bool> answers = WindowsExist(asked);
    if (busState == QLatin1String("stuck"))
        unstuck.set_value();
    QCOMPARE(QVector<bool>(answers.begin(), answers.end()), exist);
    sim::destroyWindow(simulated);
}

QTEST_MAIN(TestBusTrackers)
#include "tst_bustrackers.moc"
