#pragma once

#include <QList>
#include <QSharedPointer>
#include <QVector>

#include <memory>
#include <vector>

#include "checkdata.h"
#include "comvariant.h"
#include "wordmark.h"

// Per-pane state of the Word tracker: last results, the type filter, and the marks on the caret's page.
class WordDocumentData
{
public:
    WordDocumentData(const CHECK_DATAS& results, const QVector<int>& typeFilter);

    // Drops the marks lying inside range (with all, every other mark of the same results too),
    // restoring their underline, and erases the results none of whose marks stay; true when a mark
    // was found there. Marks that stay keep pointing at their results. Raises _com_error.
    bool removeMarks(IDispatch* range, bool all);
    // Restores every mark, last placed first so overlapping marks end on the oldest saved underline,
    // and forgets them; failures are ignored so that the remaining marks are still tried.
    void restoreAllMarks();

    CHECK_DATAS results;
    QVector<int> typeFilter;
    QList<QSharedPointer<WordMark>> marks;
};
