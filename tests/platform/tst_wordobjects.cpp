#include <QtTest>
#include <functional>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "sim/word.h"
#include "window.h"
#include "wordobjects.h"

namespace {
using Call = std::function<void(IDispatch* document, sim::WordDocId doc)>;

// Paragraphs [0, 10), [10, 15), [15, 19); page 2 starts at 10; "ab" at 0 and 6; a surrogate pair
// (U+20BB7) at 11-12.
const std::u16string sample = u"ab cd ab.\rx\U00020BB7y\rend\r";

IDispatchPtr rangeOf(IDispatch* document, int start, int end)
{
    return callMethod(document, word::Document::Range, {start, end}).toDispatch();
}

QString textOf(IDispatch* range) { return getProperty(range, word::Range::Text).toString(); }

QPair<int, int> spanOf(IDispatch* range)
{
    if (!range)
        return {-1, -1};
    return {getProperty(range, word::Range::Start).toLong(), getProperty(range, word::Range::End).toLong()};
}

HRESULT failureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const _com_error& e) {
        return e.Error();
    }
    return S_OK;
}

void setFont(IDispatch* range, int underline, int color)
{
    IDispatchPtr font = getProperty(range, word::Range::Font).toDispatch();
    putProperty(font, word::Font::Underline, underline);
    putProperty(font, word::Font::UnderlineColor, color);
}

QPair<int, int> fontOf(IDispatch* range)
{
    IDispatchPtr font = getProperty(range, word::Range::Font).toDispatch();
    return {getProperty(font, word::Font::Underline).toLong(), getProperty(font, word::Font::UnderlineColor).toLong()};
}
}

Q_DECLARE_METATYPE(Call)

class TestWordObjects : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void argumentsArriveInDeclaredOrder_data();
    void argumentsArriveInDeclaredOrder();
    void badCallsFail_data();
    void badCallsFail();
    void namesFindTheirIds();
    void rangesFollowEdits_data();
    void rangesFollowEdits();
    void writtenTextTakesTheFirstUnitsFormat();
    void unitsAreCodePoints_data();
    void unitsAreCodePoints();
    void goToAndExpand_data();
    void goToAndExpand();
    void findSearchesAndRedefinesTheRange_data();
    void findSearchesAndRedefinesTheRange();
    void replaceAllFormatsEveryRunInside();
    void fontsAreLiveAndReadMixed();
    void paragraphsAndPagesFollowTheText();
    void copyOffersHtmlAndText_data();
    void copyOffersHtmlAndText();
    void getPointAnswersThroughOutArguments();
    void nothingLeaks();

private:
    sim::WordAppId app = 0;
    sim::WordDocId doc = 0;
    IDispatchPtr document;
};

void TestWordObjects::init()
{
    sim::reset();
    app = sim::createWordApp();
    sim::WordDocSpec setup;
    setup.text = sample;
    setup.pageStarts = {10};
    doc = sim::openWordDocument(app, setup);
    document = sim::wordDocumentObject(doc);
}

void TestWordObjects::cleanup()
{
    document = nullptr;
    QCOMPARE(sim::liveWordObjects(), 0);
}

void TestWordObjects::argumentsArriveInDeclaredOrder_data()
{
    QTest::addColumn<QVariantList>("arguments");         // null: omitted
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::newRow("start and end") << QVariantList{5, 9} << 5 << 9;
    QTest::newRow("end before start is ordered") << QVariantList{9, 5} << 5 << 9;
    QTest::newRow("start only collapses") << QVariantList{3} << 3 << 3;
    QTest::newRow("both omitted: everything") << QVariantList{QVariant(), QVariant()} << 0 << 19;
    QTest::newRow("start omitted") << QVariantList{QVariant(), 4} << 0 << 4;
    QTest::newRow("past the end is clamped") << QVariantList{18, 99} << 18 << 19;
}

void TestWordObjects::argumentsArriveInDeclaredOrder()
{
    QFETCH(QVariantList, arguments);
    QFETCH(int, start);
    QFETCH(int, end);
    const _variant_t first = arguments.value(0).isNull() ? vtMissing : _variant_t(arguments[0].toInt());
    IDispatchPtr range;
    if (arguments.size() == 1)
        range = callMethod(document, word::Document::Range, {first}).toDispatch();
    else
        range = callMethod(document, word::Document::Range,
                           {first, arguments[1].isNull() ? vtMissing : _variant_t(arguments[1].toInt())}).toDispatch();
    QCOMPARE(spanOf(range), qMakePair(start, end));
}

void TestWordObjects::badCallsFail_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<HRESULT>("expected");
    QTest::newRow("unknown id") << Call([](IDispatch* d, sim::WordDocId) { getProperty(d, 4711); }) << DISP_E_MEMBERNOTFOUND;
    QTest::newRow("too many arguments") << Call([](IDispatch* d, sim::WordDocId) { callMethod(d, word::Document::Range, {1, 2, 3}); })
                                        << DISP_E_BADPARAMCOUNT;
    QTest::newRow("required argument omitted")
        << Call([](IDispatch* d, sim::WordDocId) { callMethod(rangeOf(d, 0, 1), word::Range::SetRange, {1, vtMissing}); })
        << DISP_E_PARAMNOTOPTIONAL;
    QTest::newRow("text for a number")
        << Call([](IDispatch* d, sim::WordDocId) { callMethod(d, word::Document::Range, {QStringLiteral("x"), 2}); }) << DISP_E_TYPEMISMATCH;
    QTest::newRow("put on a read-only property")
        << Call([](IDispatch* d, sim::WordDocId) { putProperty(d, word::Document::FullName, QStringLiteral("x")); }) << DISP_E_MEMBERNOTFOUND;
    QTest::newRow("null object") << Call([](IDispatch*, sim::WordDocId) { getProperty(nullptr, 0); }) << E_POINTER;
    QTest::newRow("GetPoint without references")
        << Call([](IDispatch* d, sim::WordDocId) {
               IDispatchPtr window = getProperty(d, word::Document::ActiveWindow).toDispatch();
               callMethod(window, word::Window::GetPoint, {1, 2, 3, 4, rangeOf(d, 0, 1)});
           })
        << DISP_E_TYPEMISMATCH;
    QTest::newRow("busy") << Call([](IDispatch* d, sim::WordDocId id) {
        sim::setWordBusy(sim::wordAppOf(id), true);
        getProperty(d, word::Document::Content);
    }) << RPC_E_CALL_REJECTED;
    QTest::newRow("member failing from its third call") << Call([](IDispatch* d, sim::WordDocId) {
        sim::failWordMember(sim::WordObject::Range, word::Range::Text, E_FAIL, 3);
        IDispatchPtr r = rangeOf(d, 0, 2);
        textOf(r);
        textOf(r);
        textOf(r);
    }) << E_FAIL;
    QTest::newRow("member failing once") << Call([](IDispatch* d, sim::WordDocId) {
        sim::failWordMember(sim::WordObject::Document, word::Document::FullName, RPC_E_CALL_REJECTED, 1, 1);
        try {
            getProperty(d, word::Document::FullName);
        } catch (const _com_error&) {
            getProperty(d, word::Document::FullName);      // the second call answers
            return;
        }
    }) << S_OK;
    QTest::newRow("closed document") << Call([](IDispatch* d, sim::WordDocId id) {
        sim::closeWordDocument(id);
        getProperty(d, word::Document::Content);
    }) << RPC_E_DISCONNECTED;
}

void TestWordObjects::badCallsFail()
{
    QFETCH(Call, call);
    QFETCH(HRESULT, expected);
    QCOMPARE(failureOf([&] { call(document, doc); }), expected);
}

void TestWordObjects::namesFindTheirIds()
{
    IDispatchPtr range = rangeOf(document, 0, 1);
    QCOMPARE(dispatchIdOf(range, QStringLiteral("text")), word::Range::Text);
    QCOMPARE(dispatchIdOf(range, QStringLiteral("GoTo")), word::Range::GoTo);
    QCOMPARE(dispatchIdOf(document, QStringLiteral("Range")), word::Document::Range);
    QCOMPARE(failureOf([&] { dispatchIdOf(range, QStringLiteral("Nonsense")); }), DISP_E_UNKNOWNNAME);
}

void TestWordObjects::rangesFollowEdits_data()
{
    QTest::addColumn<int>("editStart");
    QTest::addColumn<int>("editEnd");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");                      // of the watched ranges [3, 5)
    QTest::addColumn<int>("end");
    QTest::newRow("insert before shifts") << 0 << 0 << "xyz" << 6 << 8;
    QTest::newRow("delete before shifts") << 0 << 2 << "" << 1 << 3;
    QTest::newRow("insert at its start goes before it") << 3 << 3 << "xy" << 5 << 7;
    QTest::newRow("delete touching its start shifts") << 1 << 3 << "" << 1 << 3;
    QTest::newRow("insert inside moves the end") << 4 << 4 << "++" << 3 << 7;
    QTest::newRow("replace inside keeps both ends") << 3 << 4 << "X" << 3 << 5;
    QTest::newRow("replace exactly it covers the new text") << 3 << 5 << "XYZ" << 3 << 6;
    QTest::newRow("replace over the end cuts") << 4 << 7 << "" << 3 << 4;
    QTest::newRow("insert at its end stays out") << 5 << 5 << "zz" << 3 << 5;
    QTest::newRow("edit after leaves it") << 6 << 8 << "zz" << 3 << 5;
    QTest::newRow("delete around collapses") << 2 << 6 << "" << 2 << 2;
}

void TestWordObjects::rangesFollowEdits()
{
    QFETCH(int, editStart);
    QFETCH(int, editEnd);
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, end);
    // Every way a range is handed out, and every way the text changes, moves them alike.
    using Edit = std::function<void()>;
    const QList<QPair<const char*, Edit>> edits{
        {"written through a range",
         [&] { putProperty(rangeOf(document, editStart, editEnd), word::Range::Text, text); }},
        {"typed by the user",
         [&] {
             sim::setWordSelection(doc, editStart, editEnd);
             sim::typeWordText(doc, text.toStdU16String());
         }},
        {"replaced in the document", [&] { sim::replaceWordText(doc, editStart, editEnd, text.toStdU16String()); }},
    };
    for (const auto& [how, edit] : edits) {
        sim::setWordText(doc, sample);
        IDispatchPtr fromDocument = rangeOf(document, 3, 5);
        sim::setWordSelection(doc, 3, 5);
        IDispatchPtr selection = getProperty(sim::wordSelectionObject(doc), word::Selection::Range).toDispatch();
        sim::setWordSelection(doc, 0, 0);
        edit();
        QVERIFY2(spanOf(fromDocument) == qMakePair(start, end), how);
        QVERIFY2(spanOf(selection) == qMakePair(start, end), how);
    }
}

void TestWordObjects::writtenTextTakesTheFirstUnitsFormat()
{
    sim::setWordUnderline(doc, 3, 4, {word::wdUnderlineSingle, 255});
    IDispatchPtr range = rangeOf(document, 3, 5);
    putProperty(range, word::Range::Text, QStringLiteral("XYZ"));
    QCOMPARE(spanOf(range), qMakePair(3, 6));
    QCOMPARE(textOf(range), QStringLiteral("XYZ"));
    QCOMPARE(fontOf(range), qMakePair(word::wdUnderlineSingle, 255));
    QCOMPARE(QString::fromStdU16String(sim::wordText(doc)).left(8), QStringLiteral("ab XYZ a"));
    // The document's last paragraph mark survives writing over everything.
    putProperty(getProperty(document, word::Document::Content).toDispatch(), word::Range::Text, QStringLiteral("new"));
    QCOMPARE(QString::fromStdU16String(sim::wordText(doc)), QStringLiteral("new\r"));
}

void TestWordObjects::unitsAreCodePoints_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("nextStart");                  // Next(1, 1); -1: none
    QTest::addColumn<int>("nextEnd");
    QTest::addColumn<int>("previousStart");              // Previous(1, 1)
    QTest::addColumn<int>("previousEnd");
    QTest::newRow("before a pair") << 10 << 11 << 11 << 13 << 9 << 10;
    QTest::newRow("collapsed before a pair counts as the pair") << 11 << 11 << 13 << 14 << 10 << 11;
    QTest::newRow("the pair") << 11 << 13 << 13 << 14 << 10 << 11;
    QTest::newRow("collapsed at the start") << 0 << 0 << 1 << 2 << -1 << -1;
    QTest::newRow("the last unit") << 18 << 19 << -1 << -1 << 17 << 18;
}

void TestWordObjects::unitsAreCodePoints()
{
    QFETCH(int, start);
    QFETCH(int, end);
    IDispatchPtr range = rangeOf(document, start, end);
    QTEST(spanOf(callMethod(range, word::Range::Next, {word::wdCharacter, 1}).toDispatch()).first, "nextStart");
    QTEST(spanOf(callMethod(range, word::Range::Next, {word::wdCharacter, 1}).toDispatch()).second, "nextEnd");
    QTEST(spanOf(callMethod(range, word::Range::Previous, {word::wdCharacter, 1}).toDispatch()).first, "previousStart");
    QTEST(spanOf(callMethod(range, word::Range::Previous, {word::wdCharacter, 1}).toDispatch()).second, "previousEnd");
}

void TestWordObjects::goToAndExpand_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("call");                       // 0: GoTo, 1: Expand
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::newRow("page 2") << 0 << 0 << QVariantList{word::wdGoToPage, word::wdGoToAbsolute, 2} << 10 << 10;
    QTest::newRow("page past the last") << 0 << 0 << QVariantList{word::wdGoToPage, word::wdGoToAbsolute, 3} << 10 << 10;
    QTest::newRow("page 1") << 15 << 0 << QVariantList{word::wdGoToPage, word::wdGoToAbsolute, 1} << 0 << 0;
    QTest::newRow("last line") << 0 << 0 << QVariantList{word::wdGoToLine, word::wdGoToLast} << 15 << 15;
    QTest::newRow("next page") << 2 << 0 << QVariantList{word::wdGoToPage, word::wdGoToNext, 1} << 10 << 10;
    QTest::newRow("sentence ending in a full stop") << 1 << 1 << QVariantList{word::wdSentence} << 0 << 9;
    QTest::newRow("sentence ending with its paragraph") << 12 << 1 << QVariantList{word::wdSentence} << 10 << 15;
    QTest::newRow("paragraph") << 12 << 1 << QVariantList{word::wdParagraph} << 10 << 15;
    QTest::newRow("story") << 12 << 1 << QVariantList{word::wdStory} << 0 << 19;
}

void TestWordObjects::goToAndExpand()
{
    QFETCH(int, from);
    QFETCH(int, call);
    QFETCH(QVariantList, arguments);
    QFETCH(int, start);
    QFETCH(int, end);
    IDispatchPtr range = rangeOf(document, from, from);
    std::vector<_variant_t> args;
    for (const QVariant& a : arguments)
        args.emplace_back(a.toInt());
    if (call == 1) {
        callMethod(range, word::Range::Expand, {args[0]});
        QCOMPARE(spanOf(range), qMakePair(start, end));
        return;
    }
    IDispatchPtr target = args.size() == 2 ? callMethod(range, word::Range::GoTo, {args[0], args[1]}).toDispatch()
                                           : callMethod(range, word::Range::GoTo, {args[0], args[1], args[2]}).toDispatch();
    QCOMPARE(spanOf(target), qMakePair(start, end));
    QCOMPARE(spanOf(range), qMakePair(from, from));     // GoTo gives a new range
}

void TestWordObjects::findSearchesAndRedefinesTheRange_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("text");                   // empty: search the red wavy underline
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("wrap");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<int>("foundStart");                 // -1: not found, range unchanged
    QTest::addColumn<int>("foundEnd");
    QTest::newRow("forward from the end") << 0 << 2 << "ab" << true << word::wdFindStop << true << 6 << 8;
    QTest::newRow("forward stops") << 7 << 7 << "ab" << true << word::wdFindStop << true << -1 << -1;
    QTest::newRow("forward wraps") << 7 << 7 << "ab" << true << word::wdFindContinue << true << 0 << 2;
    QTest::newRow("backward from the start") << 6 << 8 << "ab" << false << word::wdFindStop << true << 0 << 2;
    QTest::newRow("backward wraps") << 1 << 1 << "ab" << false << word::wdFindContinue << true << 6 << 8;
    QTest::newRow("case ignored") << 0 << 0 << "CD" << true << word::wdFindStop << false << 3 << 5;
    QTest::newRow("case kept") << 0 << 0 << "CD" << true << word::wdFindStop << true << -1 << -1;
    QTest::newRow("a pair in the text") << 0 << 0 << QString::fromUtf16(u"\U00020BB7y") << true << word::wdFindStop << true
                                        << 11 << 14;
    QTest::newRow("run after the caret") << 0 << 0 << "" << true << word::wdFindStop << true << 3 << 5;
    QTest::newRow("run holding the caret is passed") << 4 << 4 << "" << true << word::wdFindStop << true << 11 << 13;
    QTest::newRow("run backward") << 11 << 11 << "" << false << word::wdFindStop << true << 3 << 5;
    QTest::newRow("run wraps") << 13 << 13 << "" << true << word::wdFindContinue << true << 3 << 5;
}

void TestWordObjects::findSearchesAndRedefinesTheRange()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, text);
    QFETCH(bool, forward);
    QFETCH(int, wrap);
    QFETCH(bool, matchCase);
    QFETCH(int, foundStart);
    QFETCH(int, foundEnd);
    sim::setWordUnderline(doc, 3, 5, {word::wdUnderlineWavyHeavy, 496});
    sim::setWordUnderline(doc, 11, 13, {word::wdUnderlineWavyHeavy, 496});
    IDispatchPtr range = rangeOf(document, start, end);
    IDispatchPtr find = getProperty(range, word::Range::Find).toDispatch();
    callMethod(find, word::Find::ClearFormatting);
    callMethod(find, word::Find::ClearAllFuzzyOptions);
    callMethod(find, word::Find::ClearHitHighlight);
    putProperty(find, word::Find::Forward, forward);
    putProperty(find, word::Find::Wrap, wrap);
    putProperty(find, word::Find::MatchCase, matchCase);
    putProperty(find, word::Find::Text, text);
    if (text.isEmpty()) {
        IDispatchPtr font = getProperty(find, word::Find::Font).toDispatch();
        putProperty(font, word::Font::Underline, word::wdUnderlineWavyHeavy);
        putProperty(font, word::Font::UnderlineColor, 496);
    }
    const bool found = callMethod(find, word::Find::Execute).toBool();
    QCOMPARE(found, foundStart >= 0);
    QCOMPARE(getProperty(find, word::Find::Found).toBool(), found);
    QCOMPARE(spanOf(range), found ? qMakePair(foundStart, foundEnd) : qMakePair(start, end));
}

void TestWordObjects::replaceAllFormatsEveryRunInside()
{
    sim::setWordUnderline(doc, 0, 2, {word::wdUnderlineWavyHeavy, 496});
    sim::setWordUnderline(doc, 6, 8, {word::wdUnderlineWavyHeavy, 496});
    sim::setWordUnderline(doc, 15, 18, {word::wdUnderlineWavyHeavy, 496});
    sim::setWordUnderline(doc, 3, 5, {word::wdUnderlineSingle, 255});
    IDispatchPtr range = rangeOf(document, 1, 16);       // cuts the first and last runs
    IDispatchPtr find = getProperty(range, word::Range::Find).toDispatch();
    IDispatchPtr wanted = getProperty(find, word::Find::Font).toDispatch();
    putProperty(wanted, word::Font::Underline, word::wdUnderlineWavyHeavy);
    putProperty(wanted, word::Font::UnderlineColor, 496);
    IDispatchPtr replacement = getProperty(find, word::Find::Replacement).toDispatch();
    callMethod(replacement, word::Replacement::ClearFormatting);
    IDispatchPtr plain = getProperty(replacement, word::Replacement::Font).toDispatch();
    putProperty(plain, word::Font::Underline, word::wdUnderlineNone);
    putProperty(plain, word::Font::UnderlineColor, word::wdColorAutomatic);
    QVERIFY(word::findExecute(find, true, true, word::wdReplaceAll).toBool());
    QCOMPARE(QString::fromStdU16String(sim::wordText(doc)), QString::fromStdU16String(sample));
    QCOMPARE(spanOf(range), qMakePair(1, 16));
    const auto runs = sim::wordUnderlineRuns(doc);
    QCOMPARE(int(runs.size()), 3);
    QCOMPARE(qMakePair(runs[0].start, runs[0].end), qMakePair(0, 1));   // outside the range: kept
    QCOMPARE(qMakePair(runs[1].start, runs[1].end), qMakePair(3, 5));   // another underline: kept
    QCOMPARE(qMakePair(runs[2].start, runs[2].end), qMakePair(16, 18));

    // Text replaced everywhere inside, the range following the edits.
    callMethod(replacement, word::Replacement::ClearFormatting);
    IDispatchPtr all = getProperty(document, word::Document::Content).toDispatch();
    IDispatchPtr findText = getProperty(all, word::Range::Find).toDispatch();
    QVERIFY(callMethod(findText, word::Find::Execute,
                       {QStringLiteral("ab"), true, vtMissing, vtMissing, vtMissing, vtMissing, true, vtMissing, false,
                        QStringLiteral("xyz"), word::wdReplaceAll}).toBool());
    QCOMPARE(QString::fromStdU16String(sim::wordText(doc)).left(11), QStringLiteral("xyz cd xyz."));
    QCOMPARE(spanOf(all), qMakePair(0, 21));
}

void TestWordObjects::fontsAreLiveAndReadMixed()
{
    IDispatchPtr range = rangeOf(document, 0, 4);
    IDispatchPtr font = getProperty(range, word::Range::Font).toDispatch();
    sim::setWordUnderline(doc, 0, 2, {word::wdUnderlineSingle, 255});
    QCOMPARE(getProperty(font, word::Font::Underline).toLong(), word::wdUndefined);
    sim::setWordUnderline(doc, 2, 4, {word::wdUnderlineSingle, 255});
    QCOMPARE(getProperty(font, word::Font::Underline).toLong(), word::wdUnderlineSingle);
    // A collapsed range reads the unit after its caret.
    QCOMPARE(fontOf(rangeOf(document, 3, 3)), qMakePair(word::wdUnderlineSingle, 255));
    QCOMPARE(fontOf(rangeOf(document, 4, 4)).first, word::wdUnderlineNone);
    // Assigning one range's font to another copies what it holds.
    putProperty(rangeOf(document, 6, 8), word::Range::Font, font);
    QCOMPARE(sim::wordUnderline(doc, 7), (sim::Underline{word::wdUnderlineSingle, 255}));
    setFont(range, word::wdUnderlineWavyHeavy, 496);
    QCOMPARE(sim::wordUnderline(doc, 0), (sim::Underline{word::wdUnderlineWavyHeavy, 496}));
    QCOMPARE(sim::wordUnderline(doc, 4), sim::Underline());
}

void TestWordObjects::paragraphsAndPagesFollowTheText()
{
    IDispatchPtr paragraphs = getProperty(rangeOf(document, 5, 16), word::Range::Paragraphs).toDispatch();
    QCOMPARE(getProperty(paragraphs, word::Paragraphs::Count).toLong(), 3);
    IDispatchPtr second = callMethod(paragraphs, word::Paragraphs::Item, {2}).toDispatch();
    QCOMPARE(textOf(getProperty(second, word::Paragraph::Range).toDispatch()), QString::fromUtf16(u"x\U00020BB7y\r"));
    QCOMPARE(failureOf([&] { callMethod(paragraphs, word::Paragraphs::Item, {4}); }), E_INVALIDARG);
    IDispatchPtr one = getProperty(rangeOf(document, 11, 11), word::Range::Paragraphs).toDispatch();
    QCOMPARE(getProperty(one, word::Paragraphs::Count).toLong(), 1);

    IDispatchPtr selection = sim::wordSelectionObject(doc);
    sim::setWordSelection(doc, 12, 12);
    QCOMPARE(getProperty(selection, word::Selection::Information, {word::wdActiveEndPageNumber}).toLong(), 2);
    // Page starts move with edits before them.
    putProperty(rangeOf(document, 0, 0), word::Range::Text, QStringLiteral("1234"));
    QCOMPARE(sim::wordPageStarts(doc), std::vector<int>{14});
    QCOMPARE(spanOf(callMethod(rangeOf(document, 0, 0), word::Range::GoTo, {word::wdGoToPage, word::wdGoToAbsolute, 2})
                        .toDispatch()),
             qMakePair(14, 14));
}

void TestWordObjects::copyOffersHtmlAndText_data()
{
    QTest::addColumn<bool>("html");
    QTest::newRow("with HTML") << true;
    QTest::newRow("text only") << false;
}

void TestWordObjects::copyOffersHtmlAndText()
{
    QFETCH(bool, html);
    sim::WordAppSpec setup;
    setup.copyHtml = html;
    sim::setWordAppSpec(app, setup);
    sim::setWordText(doc, u"a<b\rc\r");
    callMethod(getProperty(document, word::Document::Content).toDispatch(), word::Range::Copy);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(mime->hasHtml(), html);
    QCOMPARE(mime->text(), QStringLiteral("a<b\r\nc\r\n"));
    if (html)
        QVERIFY(mime->html().contains(QStringLiteral("<p>a&lt;b</p><p>c</p>")));
    QCOMPARE(sim::lastCopy().text, mime->text());
}

void TestWordObjects::getPointAnswersThroughOutArguments()
{
    IDispatchPtr window = getProperty(document, word::Document::ActiveWindow).toDispatch();
    RECT pane;
    GetWindowRect(sim::wordPane(doc), &pane);
    auto pointOf = [&](IDispatch* range) {
        LONG left = 0, top = 0, width = 0, height = 0;
        callMethod(window, word::Window::GetPoint,
                   {_variant_t::byRef(&left), _variant_t::byRef(&top), _variant_t::byRef(&width), _variant_t::byRef(&height), range});
        return QRect(left, top, width, height);
    };
    // The default grid: lines of 24 pixels, units of 16, 8 pixels in from the pane's corner.
    QCOMPARE(pointOf(rangeOf(document, 11, 13)), QRect(pane.left + 8 + 16, pane.top + 8 + 24, 32, 24));
    sim::setWordGeometry(doc, [](int start, int end) { return RECT{start, 1, end, 2}; });
    QCOMPARE(pointOf(rangeOf(document, 3, 5)), QRect(3, 1, 2, 1));
    IDispatchPtr application = getProperty(window, word::Window::Application).toDispatch();
    QCOMPARE(getProperty(application, word::Application::Version).toString(), QStringLiteral("16.0"));
}

void TestWordObjects::nothingLeaks()
{
    const int strings = sim::liveStrings();
    {
        IDispatchPtr range = rangeOf(document, 0, 5);
        textOf(range);
        getProperty(range, word::Range::Font);
        callMethod(getProperty(range, word::Range::Find).toDispatch(), word::Find::Execute, {QStringLiteral("cd")});
        QVERIFY(sim::liveWordObjects() > 1);
    }
    QCOMPARE(sim::liveWordObjects(), 1);                  // the test's document
    QCOMPARE(sim::liveStrings(), strings);
}

QTEST_MAIN(TestWordObjects)
#include "tst_wordobjects.moc"
