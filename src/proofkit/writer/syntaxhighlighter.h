#pragma once

#include <QHash>
#include <QPointer>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QVector>

#include <memory>
#include <vector>

#include "checkdata.h"
#include "checkdataex.h"
#include "proofkit_export.h"

class QTextEdit;
class QTimer;

// Draws the findings of a check in an editor: a red wave under each place the service flagged, with
// a light red fill under the one where the cursor stands. A finding without positions is drawn
// wherever its text appears. A flagged place is held by a cursor on the document, so that it moves
// with the user's edits elsewhere and stays drawn exactly while its text is still there.
class PROOFKIT_EXPORT SyntaxHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    SyntaxHighlighter(QTextDocument* document, QTextEdit* editor);
    ~SyntaxHighlighter() override;

    // Findings of a check of the document as it stands.
    void setCheckData(std::vector<std::shared_ptr<CheckData>>& datas);
    // Findings of a check of checkedText, which the user may have edited since it was sent.
    void setCheckData(std::vector<std::shared_ptr<CheckData>>& datas, const QString& checkedText);
    const CHECK_DATAS& checkData() const { return results; }
    void setErrorTypeFilter(int type);
    int errorTypeFilter() const { return typeFilter; }
    void markDirty();
    // Kept for callers that reset the cache before a re-highlight; nothing is cached between blocks.
    void clearLastText();
    QTextCharFormat errorFormat() const;
    QTextCharFormat currentErrorFormat() const;
    bool isErrorFormat(const QTextCharFormat& format) const;
    // The results whose flagged words equal text stop being marked.
    void setErrorHandled(QString text);

    // One mark, in document positions.
    struct Mark
    {
        int start = 0;
        int length = 0;
    };
    // Where the result at index (in the list handed to setCheckData) is drawn now, in text order;
    // nothing for a result that is ignored or left out by the type filter.
    QVector<Mark> marksOf(int index);
    // The results marked in the document range [start, end), by index in the list handed to
    // setCheckData, in that order.
    QVector<int> resultsAt(int start, int end);
    // Per result, by index: its words still stand at a place it flagged (anywhere, for a result
    // without places), whether or not it is ignored or filtered out now.
    std::vector<bool> markedResults();

public slots:
    void timerTickRefresh();

protected:
    void highlightBlock(const QString& text) override;

private:
    struct Needle
    {
        int entry = 0;   // index into checkDatas: formats are applied in result order
        QString text;
    };
    struct Range
    {
        int start = 0;
        int end = 0;
        int side = 0;
    };

    // A flagged place of one result: the cursor's selection spans the flagged text.
    struct Anchor
    {
        int entry = 0;
        QTextCursor range;
    };

    void rebuildIndex();
    bool mayStartWith(QChar unit) const;
    void anchorFlagged(const QString& checkedText);
    void sortAnchors();
    void turnAnchorsForward();
    std::vector<Anchor>::const_iterator firstAnchorFrom(int position);
    // The anchor's place in the paragraph starting at blockStart when its text is still there.
    int heldStart(const Anchor& anchor, const QString& blockText, int blockStart) const;
    // The same for an anchor anywhere in the document.
    bool holds(const Anchor& anchor) const;

    QTextEdit* editor = nullptr;
    QTimer* timer = nullptr;
    bool dirty = false;
    QTextCharFormat plainFormat;
    QTextCharFormat currentFormat;
    // The two formats again, once for each side of neighbouring marks.
    QTextCharFormat plainSides[2];
    QTextCharFormat currentSides[2];
    int typeFilter = -1;
    std::vector<CheckDataEx> checkDatas;
    CHECK_DATAS results;   // the results as handed in, for the card and replacements
    std::vector<int> entryOfResult;   // -1 for a null result
    std::vector<QString> entryTexts;
    std::vector<char> entryAnchored;  // drawn at its flagged places only
    std::vector<char> entryActive;    // neither ignored nor filtered out
    // Kept in order of their starts; an edit clears inOrder before the paragraph is re-highlighted.
    std::vector<Anchor> anchors;
    QPointer<QTextDocument> homeDocument;   // the one given at construction
    QPointer<QTextDocument> anchoredDocument;
    bool anchorsInOrder = true;
    QMetaObject::Connection editWatch;
    // Active error texts indexed by their first one or two UTF-16 units, rebuilt when the results,
    // the filter or the handled marks change: a block costs one pass over its characters (most
    // rejected by one bit test) rather than one search per result.
    QVector<quint64> firstUnitBits;
    QHash<quint32, QVector<Needle>> needlesByPair;   // texts of two units or more
    QHash<ushort, QVector<Needle>> needlesByUnit;    // texts of one unit
    int needleCount = 0;
    // Per block: where the next occurrence of each result may start (no overlap within one text).
    // A stamp per entry saves clearing the table for every block.
    std::vector<int> nextFree;
    std::vector<unsigned> nextFreeStamp;
    unsigned blockStamp = 0;
};
