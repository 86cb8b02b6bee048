// The error pop-up and the list window under the application's own look (initUI).
#include <QImage>
#include <QTest>

#include "contextshow.h"
#include "errordisplayfixture.h"
#include "errorslistgroup.h"
#include "initui.h"
#include "widgeterrorlist.h"

using fixture::makeError;

class TestErrorLooks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { initUI(); }
    void whiteBelowTheLastGroup_data();
    void whiteBelowTheLastGroup();
};

void TestErrorLooks::whiteBelowTheLastGroup_data()
{
    QTest::addColumn<bool>("popup");
    QTest::newRow("pop-up") << true;
    QTest::newRow("list window") << false;
}

void TestErrorLooks::whiteBelowTheLastGroup()
{
    QFETCH(bool, popup);
    const CHECK_DATAS results{ makeError("他门", { { "他们", 3 } }, 0, { 1 }) };
    std::unique_ptr<QWidget> window;
    if (popup) {
        auto* show = new ContextShow;
        window.reset(show);
        QVERIFY(show->showCheckData(results, QStringLiteral("他门")));
    } else {
        auto* list = new WidgetErrorList;
        window.reset(list);
        list->setCheckData(results, QStringLiteral("x"));
    }
    window->resize(340, 340);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QWidget* contents = window->findChild<QWidget*>(QStringLiteral("scrollAreaWidgetContents"));
    const QList<ErrorsListGroup*> groups = contents->findChildren<ErrorsListGroup*>();
    QCOMPARE(groups.size(), 1);
    const QPoint below(contents->width() / 2, groups.first()->geometry().bottom() + 3);
    QVERIFY(contents->rect().contains(below));
    const QImage image = window->grab().toImage();
    QCOMPARE(QColor(image.pixel(contents->mapTo(window.get(), below))), QColor(Qt::white));
}

QTEST_MAIN(TestErrorLooks)
#include "tst_errorlooks.moc"
