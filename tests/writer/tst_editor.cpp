#include <QSignalSpy>
#include <QTest>
#include <QTextList>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include "config.h"
#include "contextshow.h"
#include "dialogreporterror.h"
#include "editorfixture.h"
#include "settingkeys.h"

namespace {

// An editor showing text with its marks in place and the cursor at position.
struct MarkedEditor
{
    TextEditEx editor;
    CHECK_DATAS results;

    MarkedEditor(const QString& text, CHECK_DATAS checked, int position = 0)
        : results(std::move(checked))
    {
        editor.setPlainText(text);
        editor.setCheckData(results);
        fixture::settle(editor);
        fixture::placeCursor(editor, position);
        fixture::settle(editor);
    }
};

const QString Wrong = QStringLiteral("错字");

CHECK_DATAS wrongWithTwoSuggestions(int begin = -1)
{
    return {fixture::makeResult(Wrong, {QStringLiteral("正字"), QStringLiteral("好字")}, begin)};
}

CHECK_DATAS wrongFlaggedAt(const QList<int>& begins)
{
    return {fixture::makeFlagged(Wrong, begins, {QStringLiteral("正字"), QStringLiteral("好字"), QString()})};
}

} // namespace

class TestEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cardFollowsTheCursor();
    void cardStaysShutWhenTurnedOff();
    void eachEditorOpensItsOwnCard();
    void applyAndUndo_data();
    void applyAndUndo();
    void newCheckDisablesUndo();
    void touchingErrorsActAlone_data();
    void touchingErrorsActAlone();
    void applyActsOnTheChosenError_data();
    void applyActsOnTheChosenError();
    void undoBelongsToTheLastCorrection_data();
    void undoBelongsToTheLastCorrection();
    void nextAndPrevious_data();
    void nextAndPrevious();
    void ignoreStopsMarking();
    void reportAsksWithTheErrorAndSentence();
    void speechParagraphs_data();
    void speechParagraphs();
    void zoom();
    void formatting_data();
    void formatting();
    void lists();
    void extraSelections_data();
    void extraSelections();
};

void TestEditor::init()
{
    GetConfig()->setValueBool(SettingKeys::ShowErrorTip, true);
}

void TestEditor::cardFollowsTheCursor()
{
    MarkedEditor marked(QStringLiteral("这是错字的句子"), wrongWithTwoSuggestions());
    TextEditEx& editor = marked.editor;
    QVERIFY(fixture::focusEditor(editor));
    ContextShow* card = editor.getContextShow();

    // Extending a selection into the error opens nothing.
    QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY(!card->isVisible());
    QTest::keyRelease(&editor, Qt::Key_Shift);   // the modifier state follows the last key event

    fixture::placeCursor(editor, 4);
    QVERIFY(card->isVisible());
    QCOMPARE(editor.currentErrorText(), Wrong);

    // A second move inside the same error does not re-open a card the user hid.
    card->hide();
    fixture::placeCursor(editor, 3);
    QVERIFY(!card->isVisible());

    fixture::placeCursor(editor, 6);
    QVERIFY(!card->isVisible());
    QVERIFY(editor.currentErrorText().isEmpty());
}

void TestEditor::cardStaysShutWhenTurnedOff()
{
    GetConfig()->setValueBool(SettingKeys::ShowErrorTip, false);
    MarkedEditor marked(QStringLiteral("这是错字的句子"), wrongWithTwoSuggestions());
    fixture::placeCursor(marked.editor, 3);
    QVERIFY(!marked.editor.getContextShow()->isVisible());
    QCOMPARE(fixture::marks(marked.editor.document(), marked.editor.highlighter()).size(), 1);
}

void TestEditor::eachEditorOpensItsOwnCard()
{
    MarkedEditor first(QStringLiteral("一错字"), wrongWithTwoSuggestions());
    MarkedEditor second(QStringLiteral("二错字"), wrongWithTwoSuggestions());
    fixture::placeCursor(first.editor, 2);
    QVERIFY(first.editor.getContextShow()->isVisible());
    fixture::placeCursor(second.editor, 2);
    QVERIFY(second.editor.getContextShow()->isVisible());
    QVERIFY(first.editor.getContextShow() != second.editor.getContextShow());
}

void TestEditor::applyAndUndo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("begins");  // positions of the flagged words in the checked text
    // >= 0: apply that suggestion at the cursor; -1: undo; -2: cursor to the second occurrence;
    // -3: the editor becomes read-only
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("expected");

    QTest::newRow("apply one") << QStringLiteral("甲错字乙") << QList<int>{1} << QList<int>{0} << 2
                               << QStringLiteral("甲正字乙");
    QTest::newRow("second suggestion replaces the first")
        << QStringLiteral("甲错字乙") << QList<int>{1} << QList<int>{0, 1} << 2 << QStringLiteral("甲好字乙");
    QTest::newRow("undo restores the original")
        << QStringLiteral("甲错字乙") << QList<int>{1} << QList<int>{0, 1, -1} << 2 << QStringLiteral("甲错字乙");
    QTest::newRow("second occurrence after the first")
        << QStringLiteral("错字甲错字") << QList<int>{0, 3} << QList<int>{0, -2, 1} << 1
        << QStringLiteral("正字甲好字");
    QTest::newRow("after a supplementary character")
        << QStringLiteral("𠀀错字乙") << QList<int>{2} << QList<int>{1} << 3 << QStringLiteral("𠀀好字乙");
    QTest::newRow("read-only editor") << QStringLiteral("甲错字乙") << QList<int>{1} << QList<int>{-3, 0} << 2
                                      << QStringLiteral("甲错字乙");
    QTest::newRow("no undo once read-only")
        << QStringLiteral("甲错字乙") << QList<int>{1} << QList<int>{0, -3, -1} << 2 << QStringLiteral("甲正字乙");
    QTest::newRow("undo brings back words an empty suggestion deleted")
        << QStringLiteral("甲错字乙") << QList<int>{1} << QList<int>{2, -1} << 2 << QStringLiteral("甲错字乙");
    // Without a position there is no replacement to build: the words stay.
    QTest::newRow("result without a position") << QStringLiteral("甲错字乙") << QList<int>{} << QList<int>{0} << 2
                                               << QStringLiteral("甲错字乙");
}

void TestEditor::applyAndUndo()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, begins);
    QFETCH(QList<int>, steps);
    QFETCH(int, cursor);
    QFETCH(QString, expected);

    MarkedEditor marked(text, wrongFlaggedAt(begins), cursor);
    TextEditEx& editor = marked.editor;
    QToolButton* undo = editor.getContextShow()->findChild<QToolButton*>(QStringLiteral("btnUndo"));
    for (int step : steps) {
        if (step == -1) {
            editor.onUndoError();
            QCOMPARE(undo->isEnabled(), editor.isReadOnly());
        } else if (step == -3) {
            editor.setReadOnlyMode(true);
        } else if (step == -2) {
            fixture::placeCursor(editor, editor.toPlainText().lastIndexOf(Wrong) + 1);
            fixture::settle(editor);
        } else {
            editor.onApply(QString(), step, Wrong, 0);
            QCOMPARE(undo->isEnabled(), !editor.isReadOnly() && !begins.isEmpty());
        }
    }
    QCOMPARE(editor.toPlainText(), expected);
}

void TestEditor::newCheckDisablesUndo()
{
    MarkedEditor marked(QStringLiteral("甲错字乙错字"), wrongWithTwoSuggestions(1), 2);
    TextEditEx& editor = marked.editor;
    QToolButton* undo = editor.getContextShow()->findChild<QToolButton*>(QStringLiteral("btnUndo"));
    editor.onApply(QString(), 0, Wrong, 0);
    QVERIFY(undo->isEnabled());

    CHECK_DATAS again = wrongWithTwoSuggestions(4);
    editor.setCheckData(again);
    QVERIFY(!undo->isEnabled());
    fixture::settle(editor);
    fixture::placeCursor(editor, 5);
    fixture::settle(editor);
    editor.onApply(QString(), 1, Wrong, 0);
    QCOMPARE(editor.toPlainText(), QStringLiteral("甲正字乙好字"));
}

void TestEditor::touchingErrorsActAlone_data()
{
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("error");   // the error under the cursor afterwards
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("marks");
    // 他门以经来了: two errors meeting at 2
    const QString text = QStringLiteral("他门以经来了");
    const QStringList both{"0:0+2", "0:2+2"};
    QTest::newRow("in the first") << 1 << "none" << "他门" << text << both;
    QTest::newRow("where they meet: the one starting there") << 2 << "none" << "以经" << text << both;
    QTest::newRow("apply to the first") << 1 << "apply" << "他们" << QStringLiteral("他们以经来了")
                                        << QStringList{"0:2+2"};
    QTest::newRow("apply where they meet") << 2 << "apply" << "已经" << QStringLiteral("他门已经来了")
                                           << QStringList{"0:0+2"};
    // Undo puts the first error back as it was: marked, and left so by the correction of the
    // neighbour right behind it.
    QTest::newRow("apply to the first, undo, apply to the second")
        << 1 << "undo, then the second" << "已经" << QStringLiteral("他门已经来了") << QStringList{"0:0+2"};
    QTest::newRow("ignore the first") << 0 << "ignore" << "" << text << QStringList{"0:2+2"};
    QTest::newRow("next from the first") << 0 << "next" << "以经" << text << both;
    QTest::newRow("previous from the second") << 2 << "previous" << "他门" << text << both;
}

void TestEditor::touchingErrorsActAlone()
{
    QFETCH(int, cursor);
    QFETCH(QString, action);
    QFETCH(QString, error);
    QFETCH(QString, text);
    QFETCH(QStringList, marks);
    CHECK_DATAS results{fixture::makeResult(QStringLiteral("他门"), {QStringLiteral("他们")}, 0),
                        fixture::makeResult(QStringLiteral("以经"), {QStringLiteral("已经")}, 2)};
    MarkedEditor marked(QStringLiteral("他门以经来了"), results, cursor);
    TextEditEx& editor = marked.editor;
    const int group = editor.currentErrorText() == QStringLiteral("他门") ? 0 : 1;
    const bool applies = action == QStringLiteral("apply") || action == QStringLiteral("undo, then the second");
    if (applies)
        editor.onApply(QString(), 0, editor.currentErrorText(), group);
    if (action == QStringLiteral("undo, then the second")) {
        editor.onUndoError();
        fixture::settle(editor);
        editor.onApply(QString(), 0, QString(), 1);
    } else if (action == QStringLiteral("ignore"))
        editor.onIgnoreOnce();
    else if (action == QStringLiteral("next"))
        QVERIFY(editor.onNext());
    else if (action == QStringLiteral("previous"))
        QVERIFY(editor.onPrev());
    fixture::settle(editor);
    QCOMPARE(editor.toPlainText(), text);
    QCOMPARE(fixture::marks(editor.document(), editor.highlighter()).replaceInStrings(QStringLiteral("*"), QString()),
             marks);
    if (applies)
        QCOMPARE(editor.textCursor().selectedText(), error);
    else
        QCOMPARE(editor.currentErrorText(), error);
}

void TestEditor::applyActsOnTheChosenError_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("flagged");   // "words@begin>suggestion"
    QTest::addColumn<int>("anchor");            // -1: no selection
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("expected");      // the text unchanged: nothing else changes either

    const QString touching = QStringLiteral("他门以经来了");
    const QStringList both{"他门@0>他们", "以经@2>已经"};
    QTest::newRow("group selected by the list, cursor at its end") << touching << both << 0 << 2 << 0
                                                                   << QStringLiteral("他们以经来了");
    QTest::newRow("cursor on the touching neighbour") << touching << both << -1 << 3 << 0
                                                      << QStringLiteral("他们以经来了");
    const QString repeat = QStringLiteral("这是我的的书。他的的确确很好。");
    QTest::newRow("cursor inside the word that holds the same text")
        << repeat << QStringList{"的的@3>的"} << -1 << 9 << 0 << QStringLiteral("这是我的书。他的的确确很好。");
    QTest::newRow("cursor on the comma of Hello, world")
        << QStringLiteral("他来了,好。Hello, world") << QStringList{",@3>，"} << -1 << 12 << 0
        << QStringLiteral("他来了，好。Hello, world");
    QTest::newRow("suggestion equal to the words") << touching << QStringList{"他门@0>他门"} << -1 << 1 << 0
                                                   << touching;
}

void TestEditor::applyActsOnTheChosenError()
{
    QFETCH(QString, text);
    QFETCH(QStringList, flagged);
    QFETCH(int, anchor);
    QFETCH(int, cursor);
    QFETCH(int, group);
    QFETCH(QString, expected);
    CHECK_DATAS results;
    for (const QString& place : flagged) {
        const QString words = place.section(QLatin1Char('@'), 0, 0);
        const int begin = place.section(QLatin1Char('@'), 1).section(QLatin1Char('>'), 0, 0).toInt();
        results.push_back(fixture::makeFlagged(words, {begin}, {place.section(QLatin1Char('>'), 1)}));
    }
    MarkedEditor marked(text, results);
    TextEditEx& editor = marked.editor;
    fixture::placeCursor(editor, cursor, anchor);
    // A selected error is the one the card is about, though its end touches the next one.
    if (anchor >= 0)
        QCOMPARE(editor.currentErrorText(), text.mid(anchor, cursor - anchor));
    QToolButton* undo = editor.getContextShow()->findChild<QToolButton*>(QStringLiteral("btnUndo"));
    editor.onApply(QString(), 0, QString(), group);
    QCOMPARE(editor.toPlainText(), expected);
    const bool changed = expected != text;
    QCOMPARE(editor.document()->isModified(), changed);
    QCOMPARE(editor.document()->isUndoAvailable(), changed);
    QCOMPARE(undo->isEnabled(), changed);
}

void TestEditor::undoBelongsToTheLastCorrection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("corrected");   // the cursor in the error corrected first
    QTest::addColumn<int>("other");       // the cursor in the other error afterwards
    QTest::addColumn<QString>("expected");

    QTest::newRow("apart") << QStringLiteral("他门和以经来了") << 1 << 4 << QStringLiteral("他们和以经来了");
    // Errors that meet share only a border, not the correction.
    QTest::newRow("touching, the other behind") << QStringLiteral("他门以经来了") << 1 << 3
                                                << QStringLiteral("他们以经来了");
    QTest::newRow("touching, the other before") << QStringLiteral("他门以经来了") << 3 << 1
                                                << QStringLiteral("他门已经来了");
}

void TestEditor::undoBelongsToTheLastCorrection()
{
    QFETCH(QString, text);
    QFETCH(int, corrected);
    QFETCH(int, other);
    QFETCH(QString, expected);
    const int second = text.indexOf(QStringLiteral("以经"));
    CHECK_DATAS results{fixture::makeFlagged(QStringLiteral("他门"), {0}, {QStringLiteral("他们")}),
                        fixture::makeFlagged(QStringLiteral("以经"), {second}, {QStringLiteral("已经")})};
    MarkedEditor marked(text, results, corrected);
    TextEditEx& editor = marked.editor;
    ContextShow* card = editor.getContextShow();
    QToolButton* undo = card->findChild<QToolButton*>(QStringLiteral("btnUndo"));
    QVERIFY(card->isVisible());
    const int group = corrected < second ? 0 : 1;
    emit card->apply(QString(), 0, QString(), group);
    QCOMPARE(editor.toPlainText(), expected);
    QVERIFY(undo->isEnabled());

    // The card of the other error offers nothing to undo, and its Undo leaves the first correction.
    fixture::settle(editor);
    fixture::placeCursor(editor, other);
    QVERIFY(card->isVisible());
    QVERIFY(!undo->isEnabled());
    undo->click();
    QCOMPARE(editor.toPlainText(), expected);
}

void TestEditor::nextAndPrevious_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("expected");   // -1: nothing found, the cursor stays
    // 错字甲 | 乙 | 丙错字丁错字  (paragraphs start at 0, 4 and 6)
    QTest::newRow("next across paragraphs") << 0 << true << 7;
    QTest::newRow("next in the same paragraph") << 7 << true << 10;
    QTest::newRow("next after the last") << 10 << true << -1;
    QTest::newRow("previous across paragraphs") << 7 << false << 0;
    QTest::newRow("previous from the end") << 12 << false << 7;
    QTest::newRow("previous before the first") << 1 << false << -1;
}

void TestEditor::nextAndPrevious()
{
    QFETCH(int, start);
    QFETCH(bool, forward);
    QFETCH(int, expected);
    GetConfig()->setValueBool(SettingKeys::ShowErrorTip, false);
    MarkedEditor marked(QStringLiteral("错字甲\n乙\n丙错字丁错字"), wrongWithTwoSuggestions(), start);
    const bool found = forward ? marked.editor.onNext() : marked.editor.onPrev();
    QCOMPARE(found, expected >= 0);
    QCOMPARE(marked.editor.textCursor().position(), expected >= 0 ? expected : start);
    QVERIFY(!marked.editor.textCursor().hasSelection());
}

void TestEditor::ignoreStopsMarking()
{
    CHECK_DATAS results = fixture::makeResults({Wrong, QStringLiteral("的的")});
    MarkedEditor marked(QStringLiteral("错字，的的\n错字"), results, 1);
    marked.editor.onIgnoreAll();
    QTRY_COMPARE(fixture::marks(marked.editor.document(), marked.editor.highlighter()), QStringList{"0:3+2"});
}

void TestEditor::reportAsksWithTheErrorAndSentence()
{
    MarkedEditor marked(QStringLiteral("甲\n  这是错字的句子 \n乙"), wrongWithTwoSuggestions(), 6);
    QString errorText;
    QString sentence;
    bool asked = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<DialogReportError*>(widget);
            if (!dialog || !dialog->isVisible())
                continue;
            asked = true;
            errorText = dialog->errorText();
            sentence = dialog->sentence();
            dialog->reject();
        }
    });
    marked.editor.onReportError();
    QVERIFY(asked);
    QCOMPARE(errorText, Wrong);
    QCOMPARE(sentence, QStringLiteral("这是错字的句子"));
}

void TestEditor::speechParagraphs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QStringList>("steps");      // "current", "next", "previous"
    QTest::addColumn<QStringList>("expected");   // "text@position" or "-" when nothing is found

    const QString zwsp(QChar(0x200B));
    QTest::newRow("end of line starts at the next paragraph")
        << QStringLiteral("一二\n三四") << 2 << QStringList{"current"} << QStringList{"三四@3"};
    QTest::newRow("middle of a paragraph reads the rest")
        << QStringLiteral("一二三") << 1 << QStringList{"current"} << QStringList{"二三@1"};
    QTest::newRow("blank and zero-width paragraphs are skipped")
        << QStringLiteral("一\n\n  \n%1%1\n二%1三").arg(zwsp) << 0 << QStringList{"current", "next", "next"}
        << QStringList{"一@0", "二三@9", "-"};
    QTest::newRow("previous skips back over blanks")
        << QStringLiteral("一\n\n%1\n二").arg(zwsp) << 5 << QStringList{"current", "previous", "previous"}
        << QStringList{"二@5", "一@0", "一@0"};
    QTest::newRow("spaces between zero-width spaces are blank")
        << QStringLiteral(" %1 \n一\n%1\t%1\n二").arg(zwsp) << 0 << QStringList{"current", "next", "previous"}
        << QStringList{"一@4", "二@10", "一@4"};
    QTest::newRow("rest of the line only zero-width spaces")
        << QStringLiteral("一%1 \n二").arg(zwsp) << 1 << QStringList{"current"} << QStringList{"二@4"};
    QTest::newRow("previous at the first paragraph stays on it")
        << QStringLiteral("一二\n三") << 1 << QStringList{"current", "previous", "next"}
        << QStringList{"二@1", "一二@0", "三@3"};
    QTest::newRow("previous with only blanks before stays, next goes on")
        << QStringLiteral("\n %1\n一\n二").arg(zwsp) << 0 << QStringList{"current", "previous", "next", "next"}
        << QStringList{"一@4", "一@4", "二@6", "-"};
    QTest::newRow("nothing after the cursor") << QStringLiteral("一\n \n") << 1 << QStringList{"current"}
                                              << QStringList{"-"};
}

void TestEditor::speechParagraphs()
{
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    TextEditEx editor;
    editor.setPlainText(text);
    fixture::placeCursor(editor, cursor);
    QStringList got;
    for (const QString& step : steps) {
        QString paragraph;
        int position = -1;
        bool found = false;
        if (step == QLatin1String("current"))
            found = editor.currentParagraphForSpeech(paragraph, position);
        else if (step == QLatin1String("next"))
            found = editor.nextParagraphForSpeech(paragraph, position);
        else
            found = editor.previousParagraphForSpeech(paragraph, position);
        got << (found ? QStringLiteral("%1@%2").arg(paragraph).arg(position) : QStringLiteral("-"));
    }
    QCOMPARE(got, expected);
}

void TestEditor::zoom()
{
    QFont font = QApplication::font();
    font.setPointSizeF(10);
    // The base size is the one at construction; build the editor under test with a known font.
    QWidget parent;
    parent.setFont(font);
    auto* child = new TextEditEx(&parent);
    QCOMPARE(child->zoomLevel(), 100);
    QSignalSpy zoomed(child, &TextEditEx::zoomed);

    QWheelEvent up(QPointF(5, 5), child->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(child->viewport(), &up);
    QCOMPARE(zoomed.count(), 1);
    QCOMPARE(zoomed.at(0).at(0).toInt(), 110);

    QWheelEvent plain(QPointF(5, 5), child->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(child->viewport(), &plain);
    QCOMPARE(zoomed.count(), 1);
    QCOMPARE(child->zoomLevel(), 110);

    child->setZoom(150);
    QCOMPARE(child->font().pointSizeF(), 15.0);
    QCOMPARE(child->zoomLevel(), 150);
    child->setZoom(0);
    QCOMPARE(child->zoomLevel(), 150);
}

void TestEditor::formatting_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("anchor");   // -1: no selection, the word under the cursor is formatted
    QTest::addColumn<QString>("formatted");
    QTest::newRow("bold on a selection") << "bold" << 0 << "ab";
    QTest::newRow("bold on the word under the cursor") << "bold" << -1 << "abcd";
    QTest::newRow("italic") << "italic" << 0 << "ab";
    QTest::newRow("underline") << "underline" << 0 << "ab";
    QTest::newRow("point size") << "size" << 0 << "ab";
    QTest::newRow("point size zero is ignored") << "size0" << 0 << "";
}

void TestEditor::formatting()
{
    QFETCH(QString, operation);
    QFETCH(int, anchor);
    QFETCH(QString, formatted);
    TextEditEx editor;
    editor.setPlainText(QStringLiteral("abcd efg"));
    fixture::placeCursor(editor, 2, anchor);
    if (operation == QLatin1String("bold"))
        editor.setBold(true);
    else if (operation == QLatin1String("italic"))
        editor.setItalic(true);
    else if (operation == QLatin1String("underline"))
        editor.setUnderline(true);
    else if (operation == QLatin1String("size"))
        editor.setFontPointSize(QStringLiteral("23.5"));
    else
        editor.setFontPointSize(QStringLiteral("0"));
    QString got;
    for (auto it = editor.document()->begin().begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        if (format.fontWeight() == QFont::Bold || format.fontItalic() || format.fontUnderline()
            || format.fontPointSize() == 23.5)
            got += it.fragment().text();
    }
    QCOMPARE(got, formatted);
}

void TestEditor::lists()
{
    TextEditEx editor;
    editor.setPlainText(QStringLiteral("一\n二"));
    fixture::placeCursor(editor, 3);
    editor.toggleList();
    QTextList* list = editor.textCursor().currentList();
    QVERIFY(list);
    QCOMPARE(list->format().style(), QTextListFormat::ListDecimal);
    QVERIFY(!editor.document()->begin().textList());
    editor.toggleList();
    QVERIFY(!editor.textCursor().currentList());
    QCOMPARE(editor.textCursor().blockFormat().indent(), 0);

    editor.increaseIndent();
    editor.increaseIndent();
    editor.decreaseIndent();
    QCOMPARE(editor.textCursor().blockFormat().indent(), 1);
    editor.decreaseIndent();
    editor.decreaseIndent();
    QCOMPARE(editor.textCursor().blockFormat().indent(), 0);
}

void TestEditor::extraSelections_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("speaking");
    QTest::addColumn<bool>("currentLine");
    QTest::addColumn<QStringList>("expected");   // "start-end" of each extra selection

    QTest::newRow("other occurrences of the selected word") << "ab cd ab abc" << 0 << 2 << false << false
                                                            << QStringList{"0-2", "6-8", "9-11"};
    QTest::newRow("selection trimmed") << "ab cd ab" << 5 << 8 << false << false << QStringList{"0-2", "6-8"};
    QTest::newRow("nothing while reading aloud") << "ab cd ab" << 0 << 2 << true << false << QStringList{};
    QTest::newRow("no selection") << "ab cd ab" << 1 << 1 << false << false << QStringList{};
    QTest::newRow("current line") << "ab\ncd" << 4 << 4 << false << true << QStringList{"3-3"};
}

void TestEditor::extraSelections()
{
    QFETCH(QString, text);
    QFETCH(int, anchor);
    QFETCH(int, position);
    QFETCH(bool, speaking);
    QFETCH(bool, currentLine);
    QFETCH(QStringList, expected);
    TextEditEx editor;
    editor.show();
    editor.setPlainText(text);
    editor.setSpeakingFlag(!speaking);
    editor.setHighlightCurrentLineEnabled(currentLine);
    fixture::placeCursor(editor, position, anchor);
    QStringList got;
    for (const QTextEdit::ExtraSelection& selection : editor.extraSelections())
        got << QStringLiteral("%1-%2").arg(selection.cursor.selectionStart()).arg(selection.cursor.selectionEnd());
    QCOMPARE(got, expected);
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
