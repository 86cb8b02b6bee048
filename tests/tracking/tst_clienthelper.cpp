#include <QtTest>

#include "clienthelper.h"
#include "sim/desktop.h"

// A bare tracker answers neutrally to everything, so callers never need to know its type.
class TestClientHelper : public QObject
{
    Q_OBJECT
private slots:
    void everyOperationIsNeutral();
};

void TestClientHelper::everyOperationIsNeutral()
{
    ClientHelper helper;
    QSignalSpy detected(&helper, &ClientHelper::editorDetected);
    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = sim::createWindow({});
    helper.setForegroundEditor();
    QVERIFY(helper.getCurrentPageText(param, false).isEmpty());
    QVERIFY(helper.getAllPageText(param, true).isEmpty());
    QVERIFY(helper.getNextPageText(param, false, 3).isEmpty());
    QVERIFY(!helper.focusChanged(param));
    QVERIFY(!helper.hasData(param));
    QVERIFY(!helper.canShowErrors(param));
    helper.showErrors({}, param, {});
    helper.reportError(param);
    QVERIFY(!helper.getCheckDatas(param));
    helper.clearErrors(param);
    QVERIFY(!helper.nextError(param));
    QVERIFY(!helper.prevError(param));
    QVERIFY(helper.getEditRect(param).isNull());
    QVERIFY(!helper.canShowErrorList(param));
    QVERIFY(!helper.showErrorList(param));
    QVERIFY(!helper.getCurDocument());
    QCOMPARE(detected.count(), 0);
    QWeakPointer<EditorParam> watch = param;
    param.reset();
    QVERIFY(watch.isNull());                 // nothing kept the editor
    // focusChanged on a null editor is as neutral.
    QVERIFY(!helper.focusChanged({}));
}

QTEST_GUILESS_MAIN(TestClientHelper)
#include "tst_clienthelper.moc"
