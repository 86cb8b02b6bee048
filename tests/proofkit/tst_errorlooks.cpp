// The error pop-up under the application's own look (initUI).
#include <QImage>
#include <QTest>

#include "contextshow.h"
#include "errordisplayfixture.h"
#include "errorslistgroup.h"
#include "initui.h"

using fixture::makeError;

class TestErrorLooks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { initUI(); }
    void whiteBelowTheLastGroup();
};

void TestErrorLooks::whiteBelowTheLastGroup()
{
    const CHECK_DATAS results{ makeError("他门", { { "他们", 3 } }, 0, { 1 }) };
    ContextShow window;
    QVERIFY(window.showCheckData(results, QStringLiteral("他门")));
    window.resize(340, 340);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget* contents = window.findChild<QWidget*>(QStringLiteral("scrollAreaWidgetContents"));
    const QList<ErrorsListGroup*> groups = contents->findChildren<ErrorsListGroup*>();
    QCOMPARE(groups.size(), 1);
    const QPoint below(contents->width() / 2, groups.first()->geometry().bottom() + 3);
    QVERIFY(contents->rect().contains(below));
    const QImage image = window.grab().toImage();
    QCOMPARE(QColor(image.pixel(contents->mapTo(&window, below))), QColor(Qt::white));
}

QTEST_MAIN(TestErrorLooks)
#include "tst_errorlooks.moc"
