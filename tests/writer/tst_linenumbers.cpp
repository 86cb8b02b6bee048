#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTest>

#include "editorfixture.h"
#include "linenumberarea.h"

namespace {

// The room left of the text, beside the frame.
int leftMargin(const TextEditEx& editor)
{
    return editor.viewport()->geometry().left() - editor.contentsRect().left();
}

} // namespace

class TestLineNumbers : public QObject
{
    Q_OBJECT
private slots:
    void offByDefault();
    void widthFollowsTheDigits_data();
    void widthFollowsTheDigits();
    void firstVisibleParagraphAfterScrolling();
};

void TestLineNumbers::offByDefault()
{
    TextEditEx editor;
    editor.setPlainText(QStringLiteral("一\n二\n三"));
    editor.show();
    QVERIFY(!editor.showLineNumbers());
    QCOMPARE(leftMargin(editor), 0);
    QCOMPARE(editor.lineNumberAreaWidth(), 0);
    LineNumberArea* area = editor.findChild<LineNumberArea*>();
    QVERIFY(area);
    QCOMPARE(area->geometry().width(), 0);
}

void TestLineNumbers::widthFollowsTheDigits_data()
{
    QTest::addColumn<int>("paragraphs");
    QTest::addColumn<int>("digits");
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("9") << 9 << 1;
    QTest::newRow("10") << 10 << 2;
    QTest::newRow("99") << 99 << 2;
    QTest::newRow("100") << 100 << 3;
}

void TestLineNumbers::widthFollowsTheDigits()
{
    QFETCH(int, paragraphs);
    QFETCH(int, digits);
    TextEditEx editor;
    editor.setShowLineNumbers(true);
    QStringList lines;
    for (int i = 0; i < paragraphs; ++i)
        lines << QString::number(i);
    editor.setPlainText(lines.join(QLatin1Char('\n')));
    const int digit = editor.fontMetrics().horizontalAdvance(QLatin1Char('9'));
    QCOMPARE(leftMargin(editor), digit * digits + 12);

    // One more paragraph past a power of ten widens the gutter by one digit.
    if (paragraphs == 9) {
        editor.append(QStringLiteral("ten"));
        QCOMPARE(leftMargin(editor), digit * 2 + 12);
        editor.setShowLineNumbers(false);
        QCOMPARE(leftMargin(editor), 0);
    }
}

void TestLineNumbers::firstVisibleParagraphAfterScrolling()
{
    TextEditEx editor;
    editor.resize(300, 200);
    editor.setShowLineNumbers(true);
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("第%1段").arg(i);
    editor.setPlainText(lines.join(QLatin1Char('\n')));
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QCOMPARE(editor.firstVisibleBlock().blockNumber(), 0);

    QScrollBar* bar = editor.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    const QTextBlock tenth = editor.document()->findBlockByNumber(10);
    const int tenthTop = int(editor.document()->documentLayout()->blockBoundingRect(tenth).y());
    // Half way into the tenth paragraph: the first numbered one is the eleventh.
    bar->setValue(tenthTop + 3);
    QCOMPARE(editor.firstVisibleBlock().blockNumber(), 11);
    bar->setValue(tenthTop);
    QCOMPARE(editor.firstVisibleBlock().blockNumber(), 10);
    QCOMPARE(editor.verticalOffset(), -tenthTop);

    // The gutter paints its own background beside the numbers.
    LineNumberArea* area = editor.findChild<LineNumberArea*>();
    const QImage gutter = area->grab().toImage();
    QCOMPARE(gutter.width(), area->calculateWidth());
    QCOMPARE(QColor(gutter.pixel(1, 1)), QColor(240, 240, 240));
}

QTEST_MAIN(TestLineNumbers)
#include "tst_linenumbers.moc"
