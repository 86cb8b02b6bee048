#pragma once

#include <QList>
#include <QSharedPointer>
#include <QVector>

#include <map>
#include <memory>
#include <vector>

#include "checkdata.h"
#include "comvariant.h"
#include "flaggedoccurrences.h"
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

    // Which occurrences of the result's words the service flagged, counted in the checked stretch.
    FlaggedOccurrences& occurrencesOf(const std::shared_ptr<CheckData>& result);

    CHECK_DATAS results;
    QVector<int> typeFilter;
    QList<QSharedPointer<WordMark>> marks;
    // The stretch of the document that was checked, following later edits; null when the results
    // came without it, and then every occurrence of a result counts.
    IDispatchPtr checkedRange;
    std::map<std::shared_ptr<CheckData>, FlaggedOccurrences> occurrences;
};
