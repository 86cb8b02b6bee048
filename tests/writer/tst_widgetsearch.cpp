#include <QLineEdit>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include "editorfixture.h"
#include "widgetsearch.h"

namespace {

// A bar over an editor holding text, with the options set through its own buttons.
struct SearchBar
{
    TextEditEx editor;
    WidgetSearch bar;
    QLineEdit* field = nullptr;
    QLineEdit* replaceField = nullptr;

    explicit SearchBar(const QString& text)
    {
        editor.setPlainText(text);
        bar.setTextEdit(&editor);
        field = bar.findChild<QLineEdit*>(QStringLiteral("searchLineEdit"));
        replaceField = bar.findChild<QLineEdit*>(QStringLiteral("replaceLineEdit"));
    }
    void setOption(const char* button, bool on) { bar.findChild<QToolButton*>(QLatin1String(button))->setChecked(on); }
    void setPattern(const QString& pattern, int cursor)
    {
        const QSignalBlocker blocker(field);
        field->setText(pattern);
        fixture::placeCursor(editor, cursor);
    }
    QString selection() const
    {
        const QTextCursor cursor = editor.textCursor();
        return QStringLiteral("%1-%2").arg(cursor.selectionStart()).arg(cursor.selectionEnd());
    }
};

} // namespace

class TestWidgetSearch : public QObject
{
    Q_OBJECT
private slots:
    void search_data();
    void search();
    void replaceAll_data();
    void replaceAll();
    void replaceNext();
    void readOnlyEditorIsNotChanged();
    void typingKeepsTheCurrentMatch();
    void activateSearchTakesTheSelection();
    void keys();
};

void TestWidgetSearch::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("options");   // r: regular expression, c: match case, w: whole words
    QTest::addColumn<bool>("forward");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<QString>("expected");   // selection "start-end", or "-" when not found

    QTest::newRow("plain forward") << "abc abc" << 1 << "abc" << "" << true << true << "4-7";
    QTest::newRow("wraps from the last match") << "abc x abc" << 9 << "abc" << "" << true << true << "0-3";
    QTest::newRow("no wrap stops at the end") << "abc x abc" << 9 << "abc" << "" << true << false << "-";
    QTest::newRow("backward") << "abc abc" << 7 << "abc" << "" << false << true << "4-7";
    QTest::newRow("backward wraps") << "abc x" << 0 << "abc" << "" << false << true << "0-3";
    QTest::newRow("case ignored") << "ABC" << 0 << "abc" << "" << true << true << "0-3";
    QTest::newRow("case matched") << "ABC" << 0 << "abc" << "c" << true << true << "-";
    QTest::newRow("whole words") << "abcd abc" << 0 << "abc" << "w" << true << true << "5-8";
    QTest::newRow("regular expression before the cursor") << "a1 b" << 4 << "[0-9]" << "r" << true << true
                                                          << "1-2";
    QTest::newRow("dot is no literal in a regular expression") << "abc" << 0 << "a.c" << "r" << true << true
                                                               << "0-3";
    QTest::newRow("dot is literal in plain text") << "abc" << 0 << "a.c" << "" << true << true << "-";
    QTest::newRow("regular expression ignores case") << "ABC" << 0 << "a.c" << "r" << true << true << "0-3";
    QTest::newRow("regular expression matches case") << "ABC" << 0 << "a.c" << "rc" << true << true << "-";
    QTest::newRow("a* skips the empty matches") << "xxaay" << 0 << "a*" << "r" << true << true << "2-4";
    QTest::newRow("^ matches only empty text") << "abc\ndef" << 0 << "^" << "r" << true << true << "-";
    QTest::newRow("x? without an x") << "abc" << 0 << "x?" << "r" << true << true << "-";
    QTest::newRow("x? with an x") << "abx" << 0 << "x?" << "r" << true << true << "2-3";
    QTest::newRow("x? backward") << "xbc" << 3 << "x?" << "r" << false << true << "0-1";
    QTest::newRow("empty field") << "abc" << 0 << "" << "" << true << true << "-";
    QTest::newRow("an unfinished expression") << "a(b" << 0 << "(" << "r" << true << true << "-";
    QTest::newRow("the same, plain") << "a(b" << 0 << "(" << "" << true << true << "1-2";
    // 𠀀 is one character of two UTF-16 units.
    QTest::newRow("dot takes a whole character") << "名字是𠀀先生。" << 0 << "是." << "r" << true << true << "2-5";
    QTest::newRow("dot backward") << "名字是𠀀先生。" << 8 << ".生" << "r" << false << true << "5-7";
    QTest::newRow("\\w takes a whole character") << "。𠀀。" << 0 << "\\w+" << "r" << true << true << "1-3";
    QTest::newRow("\\w knows hanzi") << "ab 中文" << 0 << "\\w{2}$" << "r" << true << true << "3-5";
    QTest::newRow("[^x] takes a whole character") << "x𠀀" << 0 << "[^x]" << "r" << true << true << "1-3";
    QTest::newRow("empty matches step over a whole character") << "𠀀a" << 0 << "a*" << "r" << true << true
                                                              << "2-3";
    QTest::newRow("empty matches step back over a whole character") << "a𠀀" << 3 << "a*" << "r" << false
                                                                   << true << "0-1";
    QTest::newRow("from between the halves of a character") << "𠀀a𠀀a" << 1 << "a" << "r" << true << false
                                                            << "2-3";
    QTest::newRow("plain text beside a character") << "𠀀先生𠀀" << 0 << "先生𠀀" << "" << true << true << "2-6";
    QTest::newRow("half a character is never found") << "a𠀀" << 0 << QString(QChar(0xD840)) << "" << true
                                                     << true << "-";
}

void TestWidgetSearch::search()
{
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(QString, pattern);
    QFETCH(QString, options);
    QFETCH(bool, forward);
    QFETCH(bool, wrap);
    QFETCH(QString, expected);

    SearchBar search(text);
    search.setOption("btnRegEx", options.contains(QLatin1Char('r')));
    search.setOption("btnMatchCase", options.contains(QLatin1Char('c')));
    search.setOption("btnWholeWord", options.contains(QLatin1Char('w')));
    search.setPattern(pattern, cursor);
    const bool found = search.bar.doSearch(forward, wrap);
    QCOMPARE(found, expected != QLatin1String("-"));
    if (found)
        QCOMPARE(search.selection(), expected);
    else
        QCOMPARE(search.editor.textCursor().position(), cursor);
    const QString sheet = search.field->styleSheet();
    if (pattern.isEmpty())
        QCOMPARE(sheet, QStringLiteral("* { background: none; }"));
    else
        QCOMPARE(sheet, QStringLiteral("* { background: %1; }").arg(found ? "#D5FAE2" : "#FAE9EB"));
}

void TestWidgetSearch::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a by aa doubles each a once") << "a ba a" << "a" << "" << "aa" << "aa baa aa";
    QTest::newRow("a* by X") << "baaac a" << "a*" << "r" << "X" << "bXc X";
    QTest::newRow("captures") << "ab12 cd34" << "([a-z]+)(\\d+)" << "r" << "\\2\\1" << "12ab 34cd";
    QTest::newRow("case ignored") << "Abc abc" << "abc" << "" << "X" << "X X";
    QTest::newRow("case matched in a regular expression") << "Abc abc" << "a.c" << "rc" << "X" << "Abc X";
    QTest::newRow("whole words") << "abc abcd" << "abc" << "w" << "X" << "X abcd";
    QTest::newRow("across paragraphs") << "错字\n一错字\n错字" << "错字" << "" << "正字" << "正字\n一正字\n正字";
    QTest::newRow("replaced by nothing") << "a-b-c" << "-" << "" << "" << "abc";
    QTest::newRow("nothing found") << "xyz" << "a" << "" << "b" << "xyz";
    QTest::newRow("lookahead") << "ab" << "a(?=b)" << "r" << "X" << "Xb";
    QTest::newRow("a deletion makes no new line start") << "abc\nde" << "^." << "r" << "" << "bc\ne";
    QTest::newRow("a replacement makes no new word start") << "aa" << "\\ba" << "r" << " " << " a";
    QTest::newRow("dot beside a character beyond the basic plane") << "名字是𠀀先生。" << "是." << "r" << "为X"
                                                                   << "名字为X先生。";
    QTest::newRow("\\w and captures") << "a𠀀b" << "(\\w)" << "r" << "<\\1>" << "<a><𠀀><b>";
    QTest::newRow("[^x]") << "x𠀀x𠀀" << "[^x]" << "r" << "y" << "xyxy";
    QTest::newRow("empty matches between characters") << "𠀀a𠀀" << "a*" << "r" << "-" << "𠀀-𠀀";
    QTest::newRow("only empty matches") << "𠀀𠀀" << "x*" << "r" << "-" << "𠀀𠀀";
    QTest::newRow("capture ten") << "abcdefghij" << "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)" << "r" << "\\10\\1" << "ja";

    // Random short texts against patterns that never match empty text: what one pass of
    // QString::replace gives on each paragraph.
    const QStringList patterns[] = {
        {"a(?=b)", "X"}, {"^.", ""}, {"\\ba", " "}, {"a\\b", "<>"}, {"(a)(b)", "\\2\\1"}, {".$", "E"},
        {"b+", "-"}, {"a(?!b)", "ab"}, {"[ab]{2}", "c"}, {"(\\w)\\1", "<\\1>"}, {" (?=a)", "__"},
    };
    QRandomGenerator random(22);
    for (const QStringList& pattern : patterns) {
        for (int row = 0; row < 12; ++row) {
            QString text;
            for (int i = random.bounded(12); i > 0; --i)
                text += QStringLiteral("aab b\n").at(random.bounded(6));
            QStringList paragraphs = text.split(QLatin1Char('\n'));
            for (QString& paragraph : paragraphs)
                paragraph.replace(QRegularExpression(pattern.at(0)), pattern.at(1));
            QTest::addRow("%s %d", qPrintable(pattern.at(0)), row)
                << text << pattern.at(0) << "rc" << pattern.at(1) << paragraphs.join(QLatin1Char('\n'));
        }
    }
}

void TestWidgetSearch::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, options);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);

    SearchBar search(text);
    search.setOption("btnRegEx", options.contains(QLatin1Char('r')));
    search.setOption("btnMatchCase", options.contains(QLatin1Char('c')));
    search.setOption("btnWholeWord", options.contains(QLatin1Char('w')));
    search.setPattern(pattern, text.size());
    search.replaceField->setText(replacement);
    search.bar.on_btnReplaceAll_clicked();
    QCOMPARE(search.editor.toPlainText(), expected);
    if (expected == text)
        return;
    search.editor.undo();
    QCOMPARE(search.editor.toPlainText(), text);
}

void TestWidgetSearch::replaceNext()
{
    SearchBar search(QStringLiteral("one two one"));
    search.setPattern(QStringLiteral("one"), 0);
    search.replaceField->setText(QStringLiteral("1"));
    QVERIFY(!search.bar.on_btnReplaceNext_clicked());
    QCOMPARE(search.editor.toPlainText(), QStringLiteral("one two one"));

    QVERIFY(search.bar.doSearch(true, true));
    QVERIFY(search.bar.on_btnReplaceNext_clicked());
    QCOMPARE(search.editor.toPlainText(), QStringLiteral("1 two one"));
    QCOMPARE(search.selection(), QStringLiteral("6-9"));

    // The selection is replaced as it stands, match or not.
    fixture::placeCursor(search.editor, 5, 2);
    QVERIFY(search.bar.on_btnReplaceNext_clicked());
    QCOMPARE(search.editor.toPlainText(), QStringLiteral("1 1 one"));
    QCOMPARE(search.selection(), QStringLiteral("4-7"));
    QVERIFY(search.bar.on_btnReplaceNext_clicked());
    QCOMPARE(search.editor.toPlainText(), QStringLiteral("1 1 1"));
    // Nothing left to find: the cursor stays after the replacement.
    QCOMPARE(search.selection(), QStringLiteral("5-5"));

    // The match is replaced as the expression sees it in its paragraph.
    SearchBar ahead(QStringLiteral("ab ab"));
    ahead.setOption("btnRegEx", true);
    ahead.setPattern(QStringLiteral("a(?=b)"), 0);
    ahead.replaceField->setText(QStringLiteral("X"));
    QVERIFY(ahead.bar.doSearch(true, true));
    QVERIFY(ahead.bar.on_btnReplaceNext_clicked());
    QCOMPARE(ahead.editor.toPlainText(), QStringLiteral("Xb ab"));
    QCOMPARE(ahead.selection(), QStringLiteral("3-4"));
}

void TestWidgetSearch::readOnlyEditorIsNotChanged()
{
    SearchBar search(QStringLiteral("abc abc"));
    search.editor.setReadOnly(true);
    search.setPattern(QStringLiteral("abc"), 0);
    search.replaceField->setText(QStringLiteral("X"));
    QVERIFY(search.bar.doSearch(true, true));
    QVERIFY(!search.bar.on_btnReplaceNext_clicked());
    search.bar.on_btnReplaceAll_clicked();
    QCOMPARE(search.editor.toPlainText(), QStringLiteral("abc abc"));
    search.bar.activateReplace();
    QVERIFY(!search.bar.isVisible());
    QVERIFY(!search.bar.isReplaceShow());
}

void TestWidgetSearch::typingKeepsTheCurrentMatch()
{
    SearchBar search(QStringLiteral("ab ab abc"));
    fixture::placeCursor(search.editor, 0);
    QTest::keyClicks(search.field, QStringLiteral("a"));
    QCOMPARE(search.selection(), QStringLiteral("0-1"));
    QTest::keyClicks(search.field, QStringLiteral("b"));
    QCOMPARE(search.selection(), QStringLiteral("0-2"));
    QTest::keyClicks(search.field, QStringLiteral("c"));
    QCOMPARE(search.selection(), QStringLiteral("6-9"));
}

void TestWidgetSearch::activateSearchTakesTheSelection()
{
    SearchBar search(QStringLiteral("one two two"));
    fixture::placeCursor(search.editor, 7, 4);
    search.bar.activateSearch();
    QVERIFY(search.bar.isVisible());
    QVERIFY(!search.bar.isReplaceShow());
    QCOMPARE(search.field->text(), QStringLiteral("two"));
    QCOMPARE(search.selection(), QStringLiteral("8-11"));

    fixture::placeCursor(search.editor, 3, 0);
    search.bar.activateReplace();
    QVERIFY(search.bar.isReplaceShow());
    QCOMPARE(search.field->text(), QStringLiteral("two"));
}

void TestWidgetSearch::keys()
{
    SearchBar search(QStringLiteral("ab ab ab"));
    search.bar.activateReplace();
    search.setPattern(QStringLiteral("ab"), 0);
    search.replaceField->setText(QStringLiteral("X"));
    QTest::keyClick(search.replaceField, Qt::Key_Return);
    QCOMPARE(search.selection(), QStringLiteral("0-2"));
    QTest::keyClick(search.replaceField, Qt::Key_Return);
    QCOMPARE(search.selection(), QStringLiteral("3-5"));
    QCOMPARE(search.editor.toPlainText(), QStringLiteral("ab ab ab"));
    QTest::keyClick(search.field, Qt::Key_Up);
    QCOMPARE(search.selection(), QStringLiteral("0-2"));
    QTest::keyClick(search.field, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(search.selection(), QStringLiteral("6-8"));
    QTest::keyClick(search.field, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(search.selection(), QStringLiteral("3-5"));
    QTest::keyClick(search.field, Qt::Key_Escape);
    QVERIFY(!search.bar.isVisible());
}

QTEST_MAIN(TestWidgetSearch)
#include "tst_widgetsearch.moc"
