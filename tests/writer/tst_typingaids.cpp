#include <QSignalSpy>
#include <QTest>

#include "editorfixture.h"

namespace {

// Text with "|" for the cursor and, for a selection, "^" for its anchor.
void setMarkedText(TextEditEx& editor, QString text)
{
    const int anchorMark = text.indexOf(QLatin1Char('^'));
    text.remove(QLatin1Char('^'));
    const int cursorMark = text.indexOf(QLatin1Char('|'));
    text.remove(QLatin1Char('|'));
    editor.setPlainText(text);
    fixture::placeCursor(editor, cursorMark, anchorMark);
}

QString markedText(const TextEditEx& editor)
{
    QString text = editor.toPlainText();
    const QTextCursor cursor = editor.textCursor();
    if (!cursor.hasSelection())
        return text.insert(cursor.position(), QLatin1Char('|'));
    const int position = cursor.position();
    const int anchor = cursor.anchor();
    if (position > anchor)
        return text.insert(position, QLatin1Char('|')).insert(anchor, QLatin1Char('^'));
    return text.insert(anchor, QLatin1Char('^')).insert(position, QLatin1Char('|'));
}

void press(TextEditEx& editor, const QString& key)
{
    static const QMap<QString, QPair<int, Qt::KeyboardModifiers>> named{
        {"Tab", {Qt::Key_Tab, Qt::NoModifier}},
        {"Backtab", {Qt::Key_Backtab, Qt::ShiftModifier}},
        {"Backspace", {Qt::Key_Backspace, Qt::NoModifier}},
        {"Return", {Qt::Key_Return, Qt::NoModifier}},
        {"Down", {Qt::Key_Down, Qt::NoModifier}},
        {"Up", {Qt::Key_Up, Qt::NoModifier}},
        {"Ctrl+Alt+Down", {Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier}},
        {"Ctrl+Z", {Qt::Key_Z, Qt::ControlModifier}},
    };
    const auto found = named.constFind(key);
    if (found != named.constEnd())
        QTest::keyClick(&editor, Qt::Key(found->first), found->second);
    else
        QTest::keyClicks(&editor, key);
}

} // namespace

class TestTypingAids : public QObject
{
    Q_OBJECT
private slots:
    void keys_data();
    void keys();
    void ctrlClickIsConsumed();
};

void TestTypingAids::keys_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("readOnly");

    QTest::newRow("( at the end of a line") << "ab|" << QStringList{"("} << true << "ab(|)" << false;
    QTest::newRow(") over a closing partner") << "ab(|)" << QStringList{")"} << true << "ab()|" << false;
    QTest::newRow(") with nothing open is typed") << "ab|)" << QStringList{")"} << true << "ab)|)" << false;
    QTest::newRow("( in the middle of a line") << "a|b" << QStringList{"("} << true << "a(|b" << false;
    QTest::newRow("pairs only at the line end") << "|" << QStringList{"[", "{", "<"} << true << "[{<|]" << false;
    QTest::newRow("quote pair") << "x|" << QStringList{"\""} << true << "x\"|\"" << false;
    QTest::newRow("quote closes an open one") << "x\"|" << QStringList{"\""} << true << "x\"\"|" << false;
    QTest::newRow("star alone doubles to four") << "*|" << QStringList{"*"} << true << "**|**" << false;
    QTest::newRow("star at the line start") << "|" << QStringList{"*"} << true << "*|" << false;
    QTest::newRow("star after a word") << "ab|" << QStringList{"*"} << true << "ab*|*" << false;
    QTest::newRow("Backspace removes the partner") << "a(|)c" << QStringList{"Backspace"} << true << "a|c" << false;
    QTest::newRow("Backspace keeps a partner further on")
        << "f(|x, y) z)" << QStringList{"Backspace"} << true << "f|x, y) z)" << false;
    QTest::newRow("Backspace after a closing quote keeps the next quotation")
        << QStringLiteral("他说\"好\"|，她说\"行\"。") << QStringList{"Backspace"} << true
        << QStringLiteral("他说\"好|，她说\"行\"。") << false;
    QTest::newRow("one undo brings the pair back") << "a(|)c" << QStringList{"Backspace", "Ctrl+Z"} << true
                                                   << "a(|)c" << false;
    QTest::newRow("Backspace with no partner") << "a(|b" << QStringList{"Backspace"} << true << "a|b" << false;
    QTest::newRow("Return continues a list item") << "  * item|" << QStringList{"Return"} << true
                                                  << "  * item\n  * |" << false;
    QTest::newRow("Return empties an empty list item") << "- |" << QStringList{"Return"} << true << "|" << false;
    QTest::newRow("Return on plain text") << "ab|" << QStringList{"Return"} << true << "ab\n|" << false;
    QTest::newRow("Tab indents an empty list item") << "- |" << QStringList{"Tab"} << true << "\t- |" << false;
    QTest::newRow("Backtab outdents an empty list item") << "\t- |" << QStringList{"Backtab"} << true << "- |" << false;
    QTest::newRow("Tab types a tab") << "a|" << QStringList{"Tab"} << true << "a\t|" << false;
    QTest::newRow("Tab on a selection") << "^ab\ncd|" << QStringList{"Tab"} << true << "^\tab\n\tcd|" << false;
    QTest::newRow("Backtab on a selection") << "^\tab\n cd|" << QStringList{"Backtab"} << true << "^ab\ncd|" << false;
    QTest::newRow("Backtab removes the tab to the left") << "\t|x" << QStringList{"Backtab"} << true << "|x" << false;
    QTest::newRow("Backtab removes the space to the right") << "|  x" << QStringList{"Backtab"} << true << "| x" << false;
    QTest::newRow("Ctrl+Alt+Down duplicates the line") << "ab|c\nd" << QStringList{"Ctrl+Alt+Down"} << true
                                                       << "abc\nab|c\nd" << false;
    QTest::newRow("Ctrl+Alt+Down duplicates the selection") << "^ab|c" << QStringList{"Ctrl+Alt+Down"} << true
                                                            << "ab^ab|c" << false;
    QTest::newRow("Down in the last paragraph goes to its end") << "a|bc" << QStringList{"Down"} << true << "abc|" << false;
    QTest::newRow("Up in the first paragraph goes to its start") << "ab|c\nd" << QStringList{"Up"} << true
                                                                 << "|abc\nd" << false;
    QTest::newRow("without focus ( is typed alone") << "ab|" << QStringList{"("} << false << "ab(|" << false;
    QTest::newRow("read-only: ( types nothing") << "ab|" << QStringList{"("} << true << "ab|" << true;
    QTest::newRow("read-only: Return on a list item") << "- a|" << QStringList{"Return"} << true << "- a|" << true;
    QTest::newRow("read-only: Backspace keeps the partner") << "a(|)" << QStringList{"Backspace"} << true
                                                            << "a(|)" << true;
    QTest::newRow("read-only: Ctrl+Alt+Down") << "ab|" << QStringList{"Ctrl+Alt+Down"} << true << "ab|" << true;
    QTest::newRow("read-only: Tab on a selection") << "^ab|" << QStringList{"Tab"} << true << "^ab|" << true;
    QTest::newRow("without focus Return on a list item") << "- a|" << QStringList{"Return"} << false << "- a\n|" << false;
}

void TestTypingAids::keys()
{
    QFETCH(QString, before);
    QFETCH(QStringList, keys);
    QFETCH(bool, focused);
    QFETCH(QString, after);
    QFETCH(bool, readOnly);
    TextEditEx editor;
    if (focused)
        QVERIFY(fixture::focusEditor(editor));
    setMarkedText(editor, before);
    editor.setReadOnlyMode(readOnly);
    for (const QString& key : keys)
        press(editor, key);
    QCOMPARE(markedText(editor), after);
}

void TestTypingAids::ctrlClickIsConsumed()
{
    TextEditEx editor;
    editor.resize(300, 200);
    QVERIFY(fixture::focusEditor(editor));
    editor.setPlainText(QStringLiteral("abc http://example.org def"));
    fixture::placeCursor(editor, 1);
    QSignalSpy clicked(&editor, &TextEditEx::urlClicked);
    const QPoint end = editor.cursorRect(QTextCursor(editor.document()->lastBlock())).center() + QPoint(200, 0);
    QTest::keyPress(&editor, Qt::Key_Control);
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::ControlModifier, end);
    QTest::keyRelease(&editor, Qt::Key_Control);
    QCOMPARE(editor.textCursor().position(), 1);
    QCOMPARE(clicked.count(), 1);
    QVERIFY(clicked.at(0).at(0).toString().isEmpty());
    // A plain click moves the cursor as usual.
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, end);
    QVERIFY(editor.textCursor().position() != 1);
}

QTEST_MAIN(TestTypingAids)
#include "tst_typingaids.moc"
