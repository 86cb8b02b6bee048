#include <QtTest>
#include <cmath>
#include <dlfcn.h>

#include "library.h"
#include "process.h"
#include "sim/desktop.h"
#include "window.h"

namespace {
QString text(const WCHAR* buffer) { return QString::fromUtf16(buffer); }

HWND makeWindow(HWND parent, HWND owner, const std::u16string& title, DWORD pid = 0)
{
    sim::WindowSpec desc;
    desc.className = u"Edit";
    desc.title = title;
    desc.parent = parent;
    desc.owner = owner;
    desc.processId = pid;
    return sim::createWindow(desc);
}

BOOL collect(HWND hwnd, LPARAM param)
{
    reinterpret_cast<QVector<HWND>*>(param)->append(hwnd);
    return TRUE;
}
}

class TestDesktop : public QObject
{
    Q_OBJECT
private slots:
    void init() { sim::reset(); }
    void ancestorsFollowParentsAndOwners_data();
    void ancestorsFollowParentsAndOwners();
    void textIsCutToTheBuffer_data();
    void textIsCutToTheBuffer();
    void childrenAreEnumeratedDepthFirst();
    void processQueriesAnswerAndCountHandles_data();
    void processQueriesAnswerAndCountHandles();
    void ownProcessImageComesFromLinux();
    void destroyedWindowsAreGone();
    void librariesResolveByWindowsName();
};

// Desktop: top (owner of popup), top > panel > edit.
void TestDesktop::ancestorsFollowParentsAndOwners_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("rootOwner");
    QTest::newRow("top-level") << "top" << "" << "top" << "top";
    QTest::newRow("child") << "panel" << "top" << "top" << "top";
    QTest::newRow("grandchild") << "edit" << "panel" << "top" << "top";
    QTest::newRow("owned popup") << "popup" << "top" << "popup" << "top";
    QTest::newRow("child of popup") << "popupEdit" << "popup" << "popup" << "top";
}

void TestDesktop::ancestorsFollowParentsAndOwners()
{
    QFETCH(QString, window);
    QFETCH(QString, parent);
    QFETCH(QString, root);
    QFETCH(QString, rootOwner);
    QMap<QString, HWND> w;
    w[""] = nullptr;
    w["top"] = makeWindow(nullptr, nullptr, u"top");
    w["panel"] = makeWindow(w["top"], nullptr, u"panel");
    w["edit"] = makeWindow(w["panel"], nullptr, u"edit");
    w["popup"] = makeWindow(nullptr, w["top"], u"popup");
    w["popupEdit"] = makeWindow(w["popup"], nullptr, u"popupEdit");
    QCOMPARE(GetParent(w[window]), w[parent]);
    QCOMPARE(GetAncestor(w[window], GA_ROOT), w[root]);
    QCOMPARE(GetAncestor(w[window], GA_ROOTOWNER), w[rootOwner]);
    DWORD pid = 0;
    DWORD topPid = 0;
    QVERIFY(GetWindowThreadProcessId(w[window], &pid) != 0);
    GetWindowThreadProcessId(w[rootOwner], &topPid);
    QCOMPARE(pid, topPid);                   // inherited from the window above
}

void TestDesktop::textIsCutToTheBuffer_data()
{
    QTest::addColumn<int>("titleLength");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<int>("expected");
    QTest::newRow("exactly one short") << 254 << 255 << 254;
    QTest::newRow("too long") << 300 << 255 << 254;
    QTest::newRow("buffer of one") << 5 << 1 << 0;
}

void TestDesktop::textIsCutToTheBuffer()
{
    QFETCH(int, titleLength);
    QFETCH(int, bufferSize);
    QFETCH(int, expected);
    HWND hwnd = makeWindow(nullptr, nullptr, std::u16string(size_t(titleLength), u'题'));
    std::vector<WCHAR> buffer(size_t(bufferSize) + 1, u'#');
    QCOMPARE(GetWindowTextW(hwnd, buffer.data(), bufferSize), expected);
    QCOMPARE(buffer[size_t(expected)], u'\0');
    QCOMPARE(buffer[size_t(bufferSize)], u'#');  // nothing written past the buffer
    WCHAR cls[3];
    QCOMPARE(GetClassNameW(hwnd, cls, 3), 2);
    QCOMPARE(text(cls), QStringLiteral("Ed"));
}

void TestDesktop::childrenAreEnumeratedDepthFirst()
{
    HWND top = makeWindow(nullptr, nullptr, u"top");
    HWND a = makeWindow(top, nullptr, u"a");
    HWND a1 = makeWindow(a, nullptr, u"a1");
    HWND b = makeWindow(top, nullptr, u"b");
    QVector<HWND> seen;
    EnumChildWindows(top, collect, reinterpret_cast<LPARAM>(&seen));
    QCOMPARE(seen, (QVector<HWND>{a, a1, b}));
}

void TestDesktop::processQueriesAnswerAndCountHandles_data()
{
    QTest::addColumn<bool>("canOpen");
    QTest::addColumn<bool>("moduleReadable");
    QTest::addColumn<bool>("imageReadable");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("image");
    QTest::newRow("all readable") << true << true << true << "C:\\apps\\note.exe" << "C:\\apps\\note.exe";
    QTest::newRow("module name hidden") << true << false << true << "" << "C:\\apps\\note.exe";
    QTest::newRow("nothing readable") << true << false << false << "" << "";
    QTest::newRow("cannot open") << false << true << true << "" << "";
}

void TestDesktop::processQueriesAnswerAndCountHandles()
{
    QFETCH(bool, canOpen);
    QFETCH(bool, moduleReadable);
    QFETCH(bool, imageReadable);
    QFETCH(QString, module);
    QFETCH(QString, image);
    const DWORD pid = sim::createProcess({u"C:\\apps\\note.exe", canOpen, moduleReadable, imageReadable});
    QVERIFY(pid != sim::ownProcessId());
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    QCOMPARE(h != nullptr, canOpen);
    QCOMPARE(sim::openProcessHandles(), canOpen ? 1 : 0);
    WCHAR buffer[MAX_PATH] = {};
    QCOMPARE(K32GetModuleFileNameExW(h, nullptr, buffer, MAX_PATH), DWORD(module.size()));
    QCOMPARE(text(buffer), module);
    DWORD size = MAX_PATH;
    buffer[0] = 0;
    QCOMPARE(bool(QueryFullProcessImageNameW(h, 0, buffer, &size)), !image.isEmpty());
    QCOMPARE(text(buffer), image);
    QCOMPARE(bool(CloseHandle(h)), canOpen);
    QVERIFY(!CloseHandle(h));                // a second close fails
    QCOMPARE(sim::openProcessHandles(), 0);
}

void TestDesktop::ownProcessImageComesFromLinux()
{
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
    QVERIFY(h);
    WCHAR buffer[MAX_PATH];
    QVERIFY(K32GetModuleFileNameExW(h, nullptr, buffer, MAX_PATH) > 0);
    QCOMPARE(text(buffer), QCoreApplication::applicationFilePath());
    CloseHandle(h);
    // Without the access the call needs, nothing is read.
    h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetCurrentProcessId());
    QCOMPARE(K32GetModuleFileNameExW(h, nullptr, buffer, MAX_PATH), DWORD(0));
    CloseHandle(h);
    QCOMPARE(sim::openProcessHandles(), 0);
}

void TestDesktop::destroyedWindowsAreGone()
{
    HWND top = makeWindow(nullptr, nullptr, u"top");
    HWND child = makeWindow(top, nullptr, u"child");
    sim::setForeground(top);
    QCOMPARE(GetForegroundWindow(), top);
    sim::destroyWindow(top);
    QVERIFY(!IsWindow(top));
    QVERIFY(!IsWindow(child));
    QCOMPARE(GetForegroundWindow(), HWND(nullptr));
    DWORD pid = 0xFFFFFFFF;
    QCOMPARE(GetWindowThreadProcessId(child, &pid), DWORD(0));
    QCOMPARE(pid, 0xFFFFFFFFu);
    WCHAR buffer[8] = {u'x'};
    QCOMPARE(GetWindowTextW(child, buffer, 8), 0);
    QCOMPARE(buffer[0], u'\0');
}

void TestDesktop::librariesResolveByWindowsName()
{
    const int before = sim::loadedLibraries();
    QVERIFY(!LoadLibraryW(u"NoSuchLibrary.dll"));
    QVERIFY(!LoadLibraryW(u"m.so.6"));       // neither "X.dll" nor a path: left unresolved
    // A library given with its folder is loaded as it stands.
    Dl_info info;
    QVERIFY(dladdr(reinterpret_cast<void*>(&cosf), &info) && info.dli_fname);
    const QString path = QString::fromLocal8Bit(info.dli_fname);
    HMODULE m = LoadLibraryW(reinterpret_cast<const WCHAR*>(path.utf16()));
    QVERIFY(m);
    QCOMPARE(sim::loadedLibraries(), before + 1);
    QVERIFY(GetProcAddress(m, "cos"));
    QVERIFY(!GetProcAddress(m, "noSuchEntry"));
    WCHAR found[MAX_PATH];
    QVERIFY(GetModuleFileNameW(m, found, MAX_PATH) > 0);
    QCOMPARE(QFileInfo(text(found)).fileName(), QFileInfo(path).fileName());
    QVERIFY(FreeLibrary(m));
    QCOMPARE(sim::loadedLibraries(), before);
    QVERIFY(GetModuleFileNameW(nullptr, found, MAX_PATH) > 0);
    QCOMPARE(text(found), QCoreApplication::applicationFilePath());
}

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
