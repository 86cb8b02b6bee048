#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "config.h"
#include "errordisplayfixture.h"
#include "errorslistitem.h"
#include "settingkeys.h"

class TestErrorsListItem : public QObject
{
    Q_OBJECT
private slots:
    void rendersSuggestionAgainstWords_data();
    void rendersSuggestionAgainstWords();
    void oneApplyPerChoice_data();
    void oneApplyPerChoice();

private:
    static QLabel* text(ErrorsListItem& item) { return item.findChild<QLabel*>("labelText"); }
};

void TestErrorsListItem::rendersSuggestionAgainstWords_data()
{
    QTest::addColumn<QString>("suggestion");
    QTest::addColumn<QString>("words");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("red");
    QTest::addColumn<QString>("grey");

    QTest::newRow("changed first character") << "的确" << "地确" << 12 << "的确 (12)" << "的" << "(12)";
    QTest::newRow("star becomes ellipsis") << "在*中" << "在其中" << -1 << "在...中" << "" << "";
    QTest::newRow("zero count shown") << "他们" << "他门" << 0 << "他们 (0)" << "们" << "(0)";
    QTest::newRow("same as words") << "书名" << "书名" << 3 << "书名 (3)" << "" << "(3)";
    QTest::newRow("empty suggestion") << "" << "的的" << 2 << "(2)" << "" << "(2)";
    QTest::newRow("markup shown literally") << "<b>x</b>" << "x" << -1 << "<b>x</b>" << "<b></b>" << "";
    QTest::newRow("entities shown literally") << "<&amp;>" << "y" << -1 << "<&amp;>" << "<&amp;>" << "";
    QTest::newRow("ampersand equal to the words") << "a&b" << "a&b" << -1 << "a&b" << "" << "";
    QTest::newRow("angle brackets of a title") << "《书名》" << "<书名>" << -1 << "《书名》" << "《》" << "";
    QTest::newRow("star inside a red run splits it") << "甲*乙" << "丙" << -1 << "甲...乙" << "甲乙" << "";
}

void TestErrorsListItem::rendersSuggestionAgainstWords()
{
    QFETCH(QString, suggestion);
    QFETCH(QString, words);
    QFETCH(int, count);
    QFETCH(QString, plain);
    QFETCH(QString, red);
    QFETCH(QString, grey);

    ErrorsListItem item;
    item.setText(suggestion, count, words, 0, 0);
    const fixture::Rendered shown = fixture::render(text(item));
    QCOMPARE(shown.plain, plain);
    QCOMPARE(shown.red, red);
    QCOMPARE(shown.grey, grey);
}

void TestErrorsListItem::oneApplyPerChoice_data()
{
    QTest::addColumn<bool>("byDoubleClick");
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("applies");

    QTest::newRow("single mode: click on the text") << false << "click text" << 1;
    QTest::newRow("single mode: click beside the text") << false << "click row" << 1;
    QTest::newRow("single mode: right click on the row") << false << "right click row" << 1;
    QTest::newRow("single mode: apply button") << false << "apply button" << 1;
    QTest::newRow("double mode: click on the text") << true << "click text" << 0;
    QTest::newRow("double mode: click beside the text") << true << "click row" << 0;
    QTest::newRow("double mode: double click on the text") << true << "double click text" << 1;
    QTest::newRow("double mode: apply button") << true << "apply button" << 1;
}

void TestErrorsListItem::oneApplyPerChoice()
{
    QFETCH(bool, byDoubleClick);
    QFETCH(QString, gesture);
    QFETCH(int, applies);

    GetConfig()->setValueBool(SettingKeys::ApplyByDoubleClick, byDoubleClick);
    ErrorsListItem item;
    item.setText("的确", 1, "地确", 0, 0);
    item.resize(400, 44);
    item.show();
    QVERIFY(QTest::qWaitForWindowExposed(&item));
    QCOMPARE(item.cursor().shape(), byDoubleClick ? Qt::ArrowCursor : Qt::PointingHandCursor);

    QSignalSpy spy(&item, &ErrorsListItem::apply);
    QLabel* label = text(item);
    QWidget* row = item.findChild<QWidget*>("frameMore");
    const QPoint besideText(row->width() - 2, row->height() / 2);
    if (gesture == "click text") {
        QTest::mouseClick(label, Qt::LeftButton);
    } else if (gesture == "click row") {
        QTest::mouseClick(row, Qt::LeftButton, {}, besideText);
    } else if (gesture == "right click row") {
        QTest::mouseClick(row, Qt::RightButton, {}, besideText);
    } else if (gesture == "double click text") {
        QTest::mouseDClick(label, Qt::LeftButton);
    } else if (gesture == "apply button") {
        item.findChild<QToolButton*>("btnApply")->click();
    }
    QCOMPARE(spy.count(), applies);
}

QTEST_MAIN(TestErrorsListItem)
#include "tst_errorslistitem.moc"
