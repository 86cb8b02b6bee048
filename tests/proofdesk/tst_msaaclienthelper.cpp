#include <QtTest>

#include "comapi.h"
#include "msaaclienthelper.h"
#include "sim/desktop.h"

namespace {
struct Editor
{
    HWND hwnd = nullptr;
    sim::AccessibleId object = 0;
};

Editor makeEditor(const sim::AccessibleSpec& desc, const std::u16string& title = u"Notes - Editor")
{
    sim::WindowSpec top;
    top.title = title;
    top.processId = sim::createProcess({u"C:\\notes.exe"});
    sim::WindowSpec edit;
    edit.parent = sim::createWindow(top);
    edit.title = u"inner";
    Editor e;
    e.hwnd = sim::createWindow(edit);
    e.object = sim::attachAccessible(e.hwnd, OBJID_CLIENT, desc);
    return e;
}

QSharedPointer<EditorParam> paramOf(const Editor& e, LONG childId = 0)
{
    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = e.hwnd;
    param->childId = childId;
    param->setAcc(sim::accessiblePtr(e.object));
    return param;
}

}

class TestMsaaClientHelper : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { CoInitialize(nullptr); }
    void cleanupTestCase() { CoUninitialize(); }
    void init() { sim::reset(); }
    void cleanup()
    {
        // Every object and string the tracker took or read was released with it.
        QCOMPARE(sim::liveComObjects(), 0);
        QCOMPARE(sim::liveStrings(), 0);
    }
    void takesOnlyTextObjects_data();
    void takesOnlyTextObjects();
    void readsValueAndLocation_data();
    void readsValueAndLocation();
};

void TestMsaaClientHelper::takesOnlyTextObjects_data()
{
    QTest::addColumn<LONG>("role");
    QTest::addColumn<HRESULT>("roleResult");
    QTest::addColumn<bool>("withObject");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<int>("titleLength");   // 0: "Notes - Editor"; a longer one is cut to 254
    QTest::newRow("edit field") << ROLE_SYSTEM_TEXT << S_OK << true << true << 0;
    QTest::newRow("edit field of a long title") << ROLE_SYSTEM_TEXT << S_OK << true << true << 300;
    QTest::newRow("push button") << ROLE_SYSTEM_PUSHBUTTON << S_OK << true << false << 0;
    QTest::newRow("static text") << ROLE_SYSTEM_STATICTEXT << S_OK << true << false << 0;
    QTest::newRow("role unreadable") << ROLE_SYSTEM_TEXT << E_FAIL << true << false << 0;
    QTest::newRow("role answered S_FALSE") << ROLE_SYSTEM_TEXT << S_FALSE << true << false << 0;
    QTest::newRow("no accessible object") << ROLE_SYSTEM_TEXT << S_OK << false << false << 0;
}

void TestMsaaClientHelper::takesOnlyTextObjects()
{
    QFETCH(LONG, role);
    QFETCH(HRESULT, roleResult);
    QFETCH(bool, withObject);
    QFETCH(bool, taken);
    QFETCH(int, titleLength);
    sim::AccessibleSpec desc;
    desc.role = role;
    desc.roleResult = roleResult;
    const std::u16string title = titleLength ? std::u16string(size_t(titleLength), u'文') : u"Notes - Editor";
    const Editor editor = makeEditor(desc, title);
    auto param = paramOf(editor);
    if (!withObject)
        param->setAcc(nullptr);
    MSAAClientHelper helper;
    QSignalSpy detected(&helper, &ClientHelper::editorDetected);
    QCOMPARE(helper.focusChanged(param), taken);
    QCOMPARE(detected.count(), taken ? 1 : 0);
    QCOMPARE(helper.getCurDocument() == param, taken);
    if (taken) {
        QCOMPARE(detected[0][0].value<ClientHelper*>(), &helper);
        // The top-level window's title.
        QCOMPARE(detected[0][1].toString(), QString::fromStdU16String(title.substr(0, 254)));
        QCOMPARE(detected[0][2].value<QSharedPointer<EditorParam>>(), param);
    }
}

void TestMsaaClientHelper::readsValueAndLocation_data()
{
    QTest::addColumn<HRESULT>("valueResult");
    QTest::addColumn<HRESULT>("locationResult");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("area");
    QTest::newRow("readable") << S_OK << S_OK << "他们再次相遇。" << QRect(10, 20, 300, 40);
    QTest::newRow("value unreadable") << E_NOTIMPL << S_OK << "" << QRect(10, 20, 300, 40);
    QTest::newRow("value answered S_FALSE") << S_FALSE << S_OK << "" << QRect(10, 20, 300, 40);
    QTest::newRow("location unreadable") << S_OK << E_FAIL << "他们再次相遇。" << QRect();
}

void TestMsaaClientHelper::readsValueAndLocation()
{
    QFETCH(HRESULT, valueResult);
    QFETCH(HRESULT, locationResult);
    QFETCH(QString, text);
    QFETCH(QRect, area);
    sim::AccessibleSpec desc;
    desc.role = ROLE_SYSTEM_TEXT;
    desc.value = u"他们再次相遇。";
    desc.valueResult = valueResult;
    desc.location = RECT{10, 20, 310, 60};
    desc.locationResult = locationResult;
    MSAAClientHelper helper;
    auto param = paramOf(makeEditor(desc), 2);
    QCOMPARE(helper.getCurrentPageText(param, false), text);
    QCOMPARE(helper.getEditRect(param), area);
    QVERIFY(helper.getAllPageText(param, false).isEmpty());
    QVERIFY(helper.getNextPageText(param, false, 2).isEmpty());
    QVERIFY(!helper.getCheckDatas(param));
    param->setAcc(nullptr);
    QVERIFY(helper.getCurrentPageText(param, false).isEmpty());
    QVERIFY(helper.getEditRect(param).isNull());
}

QTEST_GUILESS_MAIN(TestMsaaClientHelper)
#include "tst_msaaclienthelper.moc"
