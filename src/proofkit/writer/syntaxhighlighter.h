#pragma once

#include <QHash>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QVector>

#include <memory>
#include <vector>

#include "checkdata.h"
#include "checkdataex.h"
#include "proofkit_export.h"

class QTextEdit;
class QTimer;

// Draws the findings of a check in an editor: a red wave under each place a flagged text appears,
// with a light red fill under the one where the cursor stands.
class PROOFKIT_EXPORT SyntaxHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    SyntaxHighlighter(QTextDocument* document, QTextEdit* editor);
    ~SyntaxHighlighter() override;

    void setCheckData(std::vector<std::shared_ptr<CheckData>>& datas);
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

    void rebuildIndex();
    bool mayStartWith(QChar unit) const;

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
